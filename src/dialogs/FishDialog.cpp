#include "dialogs/FishDialog.h"

#include <algorithm>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include "controls/FlatButton.h"
#include "controls/HyperlinkStatic.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/ProductInfo.h"
#include "scene/Resources.h"

namespace {

constexpr int kStripBitmap = 129, kStripBitmap2x = 130;
// Template size in dialog units.
constexpr int kDialogWidthDu = 334, kDialogHeightDu = 345;
const QColor kTotalText(0, 0, 255);
const QColor kTotalBackground(239, 230, 214);

QImage LoadStrip(int id) {
    const std::string bytes = LoadResourceBytes(id);
    QImage image;
    image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()),
                       "BMP");
    return image;
}

int MulDiv(int value, int numerator, int denominator) {
    return static_cast<int>((static_cast<long long>(value) * numerator * 2 + denominator) /
                            (2LL * denominator));
}

}  // namespace

FishDialog::FishDialog(QWidget* parent, std::string settingsPath)
    : QDialog(parent), path_(settingsPath.empty() ? SettingsFilePath() : std::move(settingsPath)) {
    setWindowTitle(QStringLiteral("Fish Settings - %1").arg(QString::fromUtf8(kProductTitle)));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    // Dialog base units: the average width of the letters and the line height.
    const QFontMetrics fm(font());
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = std::max(1, (letters / 26 + 1) / 2);
    baseY_ = std::max(1, fm.height());
    setFixedSize(MapDialogRect(0, 0, kDialogWidthDu, kDialogHeightDu).size());

    strip_ = LoadStrip(kStripBitmap);
    strip2x_ = LoadStrip(kStripBitmap2x);
    strip2x_.setDevicePixelRatio(2.0);  // drawn at the plain strip's size
    counts_ = FishCounts::FromFile(path_);

    AddButton(QStringLiteral("&Add"), kIdAdd, {121, 324, 27, 15});
    AddButton(QStringLiteral("&Delete"), kIdDelete, {150, 324, 32, 15});
    AddButton(QStringLiteral("&Random"), kIdRandom, {184, 324, 31, 15});
    AddButton(QStringLiteral("&Clear"), kIdClear, {217, 324, 27, 15});
    // OK and Cancel are there for Enter and Escape only.
    AddButton(QStringLiteral("OK"), 1, {211, 209, 47, 21})->hide();
    AddButton(QStringLiteral("Cancel"), 2, {283, 209, 47, 21})->hide();

    link_ =
        new HyperlinkStatic(QString::fromUtf8(kProductUrl), QString::fromUtf8(kProductUrl), this);
    link_->setObjectName(QString::number(kIdLink));
    link_->setGeometry(MapDialogRect(9, 332, 113, 12));
    link_->FitToText();
    link_->installEventFilter(this);

    total_ = new QLabel(this);
    total_->setObjectName(QString::number(kIdTotal));
    total_->setGeometry(MapDialogRect(252, 332, 81, 8));
    QPalette pal = total_->palette();
    pal.setColor(QPalette::WindowText, kTotalText);
    pal.setColor(QPalette::Window, kTotalBackground);
    total_->setPalette(pal);
    total_->setAutoFillBackground(true);
    total_->setText(TotalText());

    tick_.setInterval(kTickMs);
    connect(&tick_, &QTimer::timeout, this, &FishDialog::SaveAndApply);
    tick_.start();
}

FlatButton* FishDialog::AddButton(const QString& text, int id, QRect du) {
    auto* button = new FlatButton(text, this);
    button->setObjectName(QString::number(id));
    button->setGeometry(MapDialogRect(du.x(), du.y(), du.width(), du.height()));
    button->installEventFilter(this);
    connect(button, &QPushButton::clicked, this, [this, id] {
        switch (id) {
            case kIdAdd:
                if (counts_.Add()) CountsChanged();
                break;
            case kIdDelete:
                if (counts_.Delete()) CountsChanged();
                break;
            case kIdRandom:
                counts_.Random();
                CountsChanged();
                break;
            case kIdClear:
                counts_.Clear();
                CountsChanged();
                break;
            case 1:
                accept();
                break;
            case 2:
                reject();
                break;
        }
    });
    return button;
}

QRect FishDialog::MapDialogRect(int x, int y, int width, int height) const {
    return {MulDiv(x, baseX_, 4), MulDiv(y, baseY_, 8), MulDiv(width, baseX_, 4),
            MulDiv(height, baseY_, 8)};
}

QString FishDialog::TotalText() const {
    return QString::fromStdString(counts_.TotalText());
}

void FishDialog::CountsChanged() {
    total_->setText(TotalText());
    update();
}

void FishDialog::SaveAndApply() {
    // A failed write keeps the dialog working and is said once; the scene
    // still follows. A save also takes in what another program wrote.
    std::string notice;
    const auto before = counts_.Counts();
    counts_.Save(path_, &notice);
    counts_.Apply();
    if (counts_.Counts() != before) CountsChanged();
    if (!notice.empty()) ShowMessageBox(notice, kApplicationName);
}

void FishDialog::CentreOver(const QRect& area) {
    const QRect frame = frameGeometry();
    const QSize outer = frame.size().expandedTo(size());
    move(area.center() - QPoint(outer.width() / 2, outer.height() / 2) + (pos() - frame.topLeft()));
}

void FishDialog::accept() {
    SaveAndApply();
    QDialog::accept();
}

void FishDialog::done(int result) {
    tick_.stop();
    QDialog::done(result);
}

void FishDialog::closeEvent(QCloseEvent* event) {
    // The close box keeps what is shown, like OK.
    if (isVisible()) accept();
    event->accept();
}

void FishDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The sharper strip where the screen has the pixels for it.
    // (The device transform carries the scale when rendering into another device.)
    const qreal scale = std::max(devicePixelRatioF(), painter.deviceTransform().m11());
    const bool sharp = scale > 1.0 && !strip2x_.isNull();
    const QImage& strip = sharp ? strip2x_ : strip_;
    // Pixel for pixel when sharp: smoothing would only blur it.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !sharp);
    if (!strip.isNull()) painter.drawImage(QPoint(0, 0), strip);

    // The strip is light whatever the desktop's colours: black counts on it.
    painter.setPen(Qt::black);
    for (int i = 0; i < FishCounts::kKinds; ++i) {
        const FishCounts::Cell cell = FishCounts::CellRect(i);
        painter.drawText(QRect(cell.left + 2, cell.top + 2, 40, 20), Qt::AlignLeft | Qt::AlignTop,
                         QString::number(counts_.Count(i)));
    }

    if (counts_.HasKindSelected()) {
        const FishCounts::Cell cell = FishCounts::CellRect(counts_.Selection());
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawEllipse(
            QRect(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top));
    }
}

void FishDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        counts_.PressAt(at.x(), at.y());
        update();
    }
    QDialog::mousePressEvent(event);
}

void FishDialog::mouseDoubleClickEvent(QMouseEvent* event) {
    bool changed = false;
    if (event->button() == Qt::LeftButton) changed = counts_.Add();
    if (event->button() == Qt::RightButton) changed = counts_.Delete();
    if (changed) CountsChanged();
}

bool FishDialog::HandleKey(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (event->key()) {
        case Qt::Key_A:
            if (counts_.Add()) CountsChanged();
            return true;
        case Qt::Key_D:
            if (counts_.Delete()) CountsChanged();
            return true;
        case Qt::Key_R:
            counts_.Random();
            CountsChanged();
            return true;
        case Qt::Key_C:
            counts_.Clear();
            CountsChanged();
            return true;
        case Qt::Key_Left:
        case Qt::Key_Right: {
            // The strip by keyboard: step through the five kinds.
            const int step = event->key() == Qt::Key_Right ? 1 : FishCounts::kKinds - 1;
            const int from = counts_.HasKindSelected() ? counts_.Selection()
                                                       : (step == 1 ? FishCounts::kKinds - 1 : 0);
            const int to = (from + step) % FishCounts::kKinds;
            counts_.PressAt(FishCounts::CellRect(to).left + 1, FishCounts::CellRect(to).top + 1);
            update();
            return true;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
            accept();
            return true;
        default:
            return false;
    }
}

void FishDialog::keyPressEvent(QKeyEvent* event) {
    if (HandleKey(event)) return;
    QDialog::keyPressEvent(event);
}

bool FishDialog::eventFilter(QObject* watched, QEvent* event) {
    // Our keys win over the focused control's own handling.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool activates = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!(activates && watched == link_) && HandleKey(key)) return true;
    }
    return QDialog::eventFilter(watched, event);
}

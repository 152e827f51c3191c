#include "dialogs/FishDialog.h"

#include <algorithm>

#include <QBoxLayout>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include "controls/FlatButton.h"
#include "controls/HyperlinkStatic.h"
#include "dialogs/DialogSupport.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/ProductInfo.h"
#include "scene/Resources.h"

namespace {

constexpr int kStripBitmap = 129, kStripBitmap2x = 130;
const QColor kTotalText(0, 0, 255);
const QColor kTotalBackground(239, 230, 214);

QImage LoadStrip(int id) {
    const std::string bytes = LoadResourceBytes(id);
    QImage image;
    image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()),
                       "BMP");
    return image;
}

}  // namespace

FishDialog::FishDialog(SettingsRecord& record, QWidget* parent, std::string settingsPath)
    : TankDialog(parent),
      record_(record),
      path_(settingsPath.empty() ? SettingsFilePath() : std::move(settingsPath)) {
    setWindowTitle(QStringLiteral("Fish Settings - %1").arg(QString::fromUtf8(kProductTitle)));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    strip_ = LoadStrip(kStripBitmap);
    strip2x_ = LoadStrip(kStripBitmap2x);
    strip2x_.setDevicePixelRatio(2.0);  // drawn at the plain strip's size
    counts_ = FishCounts::FromFile(path_);

    // Laid out from what it shows, so it is as compact at a large font or
    // scale as at the usual one: the strip, the buttons, then the link and
    // the total.
    stripArea_ = new FishStrip(this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    AddButton(QStringLiteral("&Add"), kIdAdd, buttons);
    AddButton(QStringLiteral("&Delete"), kIdDelete, buttons);
    AddButton(QStringLiteral("&Random"), kIdRandom, buttons);
    AddButton(QStringLiteral("&Clear"), kIdClear, buttons);
    buttons->addStretch(1);
    // OK and Cancel are there for Enter and Escape only.
    AddButton(QStringLiteral("OK"), 1, nullptr)->hide();
    AddButton(QStringLiteral("Cancel"), 2, nullptr)->hide();

    link_ =
        new HyperlinkStatic(QString::fromUtf8(kProductUrl), QString::fromUtf8(kProductUrl), this);
    link_->setObjectName(QString::number(kIdLink));
    link_->FitToText();
    link_->installEventFilter(this);

    total_ = new QLabel(this);
    total_->setObjectName(QString::number(kIdTotal));
    // Blue on its own light ground: readable in any theme.
    QPalette pal = total_->palette();
    pal.setColor(QPalette::WindowText, kTotalText);
    pal.setColor(QPalette::Window, kTotalBackground);
    total_->setPalette(pal);
    total_->setAutoFillBackground(true);
    total_->setMargin(2);
    total_->setText(TotalText());

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(link_);
    bottom->addStretch(1);
    bottom->addWidget(total_);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(stripArea_, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);
    layout->addLayout(bottom);

    tick_.setInterval(kTickMs);
    connect(&tick_, &QTimer::timeout, this, &FishDialog::SaveAndApply);
    tick_.start();
}

FlatButton* FishDialog::AddButton(const QString& text, int id, QHBoxLayout* row) {
    auto* button = new FlatButton(text, this);
    button->setObjectName(QString::number(id));
    if (row) row->addWidget(button);
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

QString FishDialog::TotalText() const {
    return QString::fromStdString(counts_.TotalText());
}

void FishDialog::CountsChanged() {
    total_->setText(TotalText());
    stripArea_->update();
}

void FishDialog::SaveAndApply() {
    // A failed write keeps the dialog working and is said once; the scene
    // still follows. A save also takes in what another program wrote.
    std::string notice;
    const auto before = counts_.Counts();
    counts_.Save(path_, &notice);
    counts_.Apply(record_);
    if (counts_.Counts() != before) CountsChanged();
    if (!notice.empty()) ShowMessageBox(notice, kApplicationName);
}

void FishDialog::CentreOver(const QRect& area) {
    const QRect frame = frameGeometry();
    const QSize outer = frame.size().expandedTo(size());
    move(area.center() - QPoint(outer.width() / 2, outer.height() / 2) + (pos() - frame.topLeft()));
}

void FishDialog::done(int result) {
    tick_.stop();
    // However it closes, what the tank shows is what the file keeps.
    SaveAndApply();
    QDialog::done(result);
}

void FishDialog::closeEvent(QCloseEvent* event) {
    // The close box keeps what is shown, like OK.
    if (isVisible()) accept();
    event->accept();
}

void FishDialog::PaintStrip(QPainter& painter, qreal scale) const {
    // The sharper strip where the screen has the pixels for it.
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
        // The disc stays on the strip, whatever the scale.
        const QRect disc =
            QRect(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top) &
            QRect(QPoint(0, 0), StripSize());
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawEllipse(disc);
    }
}

QSize FishDialog::StripSize() const {
    // Without its picture the strip still takes the cells' room.
    if (!strip_.isNull()) return strip_.size();
    return {FishCounts::kKinds * FishCounts::kCellWidth + 4, FishCounts::kCellHeight};
}

void FishDialog::mousePressEvent(QMouseEvent* event) {
    // A press off the strip lets go of the selected kind.
    if (event->button() == Qt::LeftButton) {
        counts_.PressAt(0, FishCounts::kClearBelowY + 1);
        stripArea_->update();
    }
    QDialog::mousePressEvent(event);
}

void FishDialog::StripPressed(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    counts_.PressAt(at.x(), at.y());
    stripArea_->update();
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
            stripArea_->update();
            return true;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter presses the focused button; elsewhere it is OK.
            if (!PressFocusedButton(this, event)) accept();
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
    // Our keys win over the focused control's own handling; Enter on the
    // link opens it.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool activates = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!(activates && watched == link_) && HandleKey(key)) return true;
    }
    return QDialog::eventFilter(watched, event);
}

FishStrip::FishStrip(FishDialog* dialog) : QWidget(dialog), dialog_(dialog) {
    setObjectName(QStringLiteral("strip"));
    setFixedSize(dialog->StripSize());
}

void FishStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The device transform carries the scale when rendering into another device.
    dialog_->PaintStrip(painter, std::max(devicePixelRatioF(), painter.deviceTransform().m11()));
}

void FishStrip::mousePressEvent(QMouseEvent* event) {
    dialog_->StripPressed(event);
}

void FishStrip::mouseDoubleClickEvent(QMouseEvent* event) {
    dialog_->mouseDoubleClickEvent(event);
}

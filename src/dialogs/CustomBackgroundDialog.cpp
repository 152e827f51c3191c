#include "dialogs/CustomBackgroundDialog.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>

#include "controls/FlatButton.h"
#include "controls/LedCheckBox.h"
#include "dialogs/DialogSupport.h"
#include "platform/ProductInfo.h"

namespace {

// The list's colours, as Windows colour values (red in the low byte).
constexpr int kListBackground = 8566991;  // light tan
constexpr int kListText = 16711680;       // pure blue
constexpr int kModeOn = 65280;
constexpr int kModeOff = 0;

QColor FromColorRef(int c) {
    return QColor(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
}

}  // namespace

CustomBackgroundDialog::CustomBackgroundDialog(SlideshowRunner& runner, QWidget* parent)
    : TankDialog(parent), runner_(runner), show_(runner.Show()) {
    setWindowTitle(QStringLiteral("Custom Background - ") + kProductTitle);
    setModal(false);

    ownImage_ = new LedCheckBox(QStringLiteral("Use your own image"), this);
    ownImage_->SetIcons(LedCheckBox::kIconSwitchOn, LedCheckBox::kIconSwitchOff);

    list_ = new QTableWidget(0, 2, this);
    list_->setHorizontalHeaderLabels(
        {QStringLiteral("Backgrounds Directory"), QStringLiteral("State")});
    list_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    list_->horizontalHeader()->setHighlightSections(false);
    // The path takes the spare width, shortened in the middle so the file
    // name stays readable; the whole path is the row's tool tip.
    list_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    list_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->verticalHeader()->hide();
    list_->setShowGrid(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setWordWrap(false);
    list_->setTextElideMode(Qt::ElideMiddle);
    ColourList(list_, FromColorRef(kListBackground), FromColorRef(kListText));
    LetTabLeave(list_);
    // Room for six rows.
    list_->setMinimumSize(486, list_->horizontalHeader()->sizeHint().height() +
                                   6 * list_->verticalHeader()->defaultSectionSize() +
                                   2 * list_->frameWidth());

    const char* modeNames[3] = {"Repeat One", "Repeat All", "Random "};
    auto* modeRow = new QHBoxLayout;
    for (int m = 0; m < 3; ++m) {
        modes_[m] = new LedCheckBox(QString::fromLatin1(modeNames[m]), this);
        modes_[m]->SetColors(FromColorRef(kModeOn), FromColorRef(kModeOff));
        modeRow->addWidget(modes_[m]);
        connect(modes_[m], &QAbstractButton::clicked, this, [this, m] {
            show_.SetPlayMode(m);
            Refresh();
        });
    }
    modeRow->addStretch(1);
    auto* intervalLabel = new QLabel(QStringLiteral("Interval"), this);
    interval_ = new QLineEdit(this);
    interval_->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]*"), interval_));
    interval_->setMaxLength(9);
    interval_->setAlignment(Qt::AlignRight);
    interval_->setFixedWidth(interval_->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    intervalLabel->setBuddy(interval_);
    modeRow->addWidget(intervalLabel);
    modeRow->addWidget(interval_);
    modeRow->addWidget(new QLabel(QStringLiteral("S"), this));

    add_ = new FlatButton(QStringLiteral("Add Image"), this);
    remove_ = new FlatButton(QStringLiteral("Remove Image"), this);
    removeAll_ = new FlatButton(QStringLiteral("Remove All"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(add_);
    buttons->addWidget(remove_);
    buttons->addWidget(removeAll_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ownImage_);
    layout->addWidget(list_, 1);
    layout->addLayout(modeRow);
    layout->addLayout(buttons);

    connect(ownImage_, &QAbstractButton::clicked, this, [this] {
        show_.SetOwnImage(ownImage_->isChecked());
        Refresh();
    });
    connect(interval_, &QLineEdit::textEdited, this,
            [this](const QString& text) { show_.IntervalText = text.toStdString(); });
    connect(add_, &QAbstractButton::clicked, this, &CustomBackgroundDialog::AddImageByDialog);
    connect(remove_, &QAbstractButton::clicked, this, [this] {
        if (FirstSelectedRow() < 0) {
            auto* box =
                new QMessageBox(QMessageBox::Warning, QString(),
                                QStringLiteral("Please select an item from the image list!"),
                                QMessageBox::Ok, this);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->open();
            return;
        }
        show_.RemoveSelectedImage(FirstSelectedRow());
        Refresh();
    });
    connect(removeAll_, &QAbstractButton::clicked, this, [this] {
        show_.RemoveAllImages();
        Refresh();
    });
    auto pick = [this] {
        const int row = FirstSelectedRow();
        if (row >= 0) show_.ClickRow(row);
        Refresh();
    };
    connect(list_, &QAbstractItemView::clicked, this, pick);
    connect(list_, &QAbstractItemView::activated, this, pick);  // Enter on a row

    ChooseFile = [this] {
        return QFileDialog::getOpenFileName(this, QString(), QString(), FileFilter(), nullptr,
                                            QFileDialog::ReadOnly);
    };

    Refresh();
    // The show ticks five times a second; a hidden dialog catches up when shown.
    connect(&runner_, &SlideshowRunner::Changed, this, [this] {
        if (isVisible()) Refresh();
    });
}

QString CustomBackgroundDialog::FileFilter() {
    // The file dialog matches these whatever the case of the suffix.
    return QStringLiteral("Pictures (*.jpg *.jpeg *.png *.bmp)");
}

void CustomBackgroundDialog::ShowCentredOn(const QRect& owner) {
    Refresh();
    adjustSize();
    QRect frame = frameGeometry();
    frame.moveCenter(owner.center());
    move(frame.topLeft());
    show();
}

void CustomBackgroundDialog::keyPressEvent(QKeyEvent* event) {
    if (PressFocusedButton(this, event)) return;
    QDialog::keyPressEvent(event);
}

void CustomBackgroundDialog::AddImageByDialog() {
    const QString chosen = ChooseFile ? ChooseFile() : QString();
    if (chosen.isEmpty()) return;
    show_.AddImage(QFile::encodeName(chosen).toStdString(), true);
    Refresh();
}

int CustomBackgroundDialog::FirstSelectedRow() const {
    int first = -1;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows())
        if (first < 0 || index.row() < first) first = index.row();
    return first;
}

void CustomBackgroundDialog::Refresh() {
    ownImage_->SetCheck(show_.OwnImageChecked ? 1 : 0);
    for (int m = 0; m < 3; ++m)
        modes_[m]->SetCheck(show_.ModeChecked[m] ? 1 : 0);
    const QString interval = QString::fromStdString(show_.IntervalText);
    if (interval_->text() != interval) interval_->setText(interval);

    const auto& rows = show_.Rows();
    bool same = list_->rowCount() == static_cast<int>(rows.size());
    for (int i = 0; same && i < list_->rowCount(); ++i)
        same = list_->item(i, 0)->data(Qt::UserRole).toByteArray().toStdString() == rows[i].path;
    if (!same) {
        list_->clearContents();
        list_->setRowCount(static_cast<int>(rows.size()));
        for (int i = 0; i < list_->rowCount(); ++i) {
            const QByteArray raw = QByteArray::fromStdString(rows[i].path);
            auto* path = new QTableWidgetItem(QFile::decodeName(raw));
            path->setData(Qt::UserRole, raw);
            path->setTextAlignment(Qt::AlignCenter);
            path->setToolTip(path->text());
            auto* state = new QTableWidgetItem;
            state->setTextAlignment(Qt::AlignCenter);
            list_->setItem(i, 0, path);
            list_->setItem(i, 1, state);
        }
    }
    for (int i = 0; i < list_->rowCount(); ++i) {
        const QString state = rows[i].on ? QStringLiteral("ON") : QStringLiteral("OFF");
        if (list_->item(i, 1)->text() != state) list_->item(i, 1)->setText(state);
    }
}

void CustomBackgroundDialog::HideAndSave() {
    hide();
    Save();
}

void CustomBackgroundDialog::Save() {
    runner_.Save();
}

void CustomBackgroundDialog::reject() {
    HideAndSave();
}

void CustomBackgroundDialog::accept() {}

void CustomBackgroundDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    HideAndSave();
}

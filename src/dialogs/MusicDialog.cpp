#include "dialogs/MusicDialog.h"

#include <SDL_mixer.h>

#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <algorithm>

#include "controls/CustomDrawSlider.h"
#include "controls/LedCheckBox.h"
#include "dialogs/DialogSupport.h"
#include "platform/MessageBox.h"
#include "platform/ProductInfo.h"

namespace {

// Every kind of file this build's SDL_mixer decodes, for the file dialog.
QString MusicFileFilter() {
    static const std::pair<const char*, const char*> kDecoders[] = {
        {"WAVE", "*.wav"},
        {"MP3", "*.mp3 *.mpeg *.mpg *.mp2"},
        {"MPG123", "*.mp3 *.mpeg *.mpg *.mp2"},
        {"OGG", "*.ogg *.oga"},
        {"FLAC", "*.flac"},
        {"OPUS", "*.opus"},
        {"MOD", "*.mod *.xm *.s3m *.it"},
        {"MODPLUG", "*.mod *.xm *.s3m *.it"},
        {"MIDI", "*.mid *.midi"},
        {"FLUIDSYNTH", "*.mid *.midi"}};
    QStringList patterns;
    for (int i = 0; i < Mix_GetNumMusicDecoders(); ++i) {
        const QString decoder = QString::fromLatin1(Mix_GetMusicDecoder(i));
        for (const auto& [name, globs] : kDecoders)
            if (decoder == QLatin1String(name))
                for (const QString& glob : QString::fromLatin1(globs).split(' '))
                    if (!patterns.contains(glob)) patterns << glob;
    }
    // Before the mixer is open (no sound device) it lists nothing: the usual ones.
    if (patterns.isEmpty())
        patterns << "*.wav"
                 << "*.mp3"
                 << "*.mpeg"
                 << "*.ogg"
                 << "*.flac";
    return QStringLiteral("Music (%1)").arg(patterns.join(' '));
}

// Rows: blue text on tan, the playing row on green. Edited labels are
// never taken over.
class PlaylistDelegate : public QStyledItemDelegate {
public:
    PlaylistDelegate(const MusicPlaylist& playlist, QObject* parent)
        : QStyledItemDelegate(parent), playlist_(playlist) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const bool playing = index.row() == playlist_.CurrentTrackRow();
        QColor back = playing ? MusicDialog::PlayingRowBackground()
                              : ::RowBackground(option.palette, MusicDialog::RowBackground());
        QColor text = ::RowText(option.palette, MusicDialog::RowText(), back);
        if (selected) {
            back = option.palette.color(QPalette::Highlight);
            text = option.palette.color(QPalette::HighlightedText);
        }
        p->fillRect(option.rect, back);
        p->setPen(text);
        p->setFont(option.font);
        const QRect r = option.rect.adjusted(3, 0, -3, 0);
        p->drawText(
            r, Qt::AlignLeft | Qt::AlignVCenter,
            option.fontMetrics.elidedText(index.data().toString(), Qt::ElideMiddle, r.width()));
        if (option.state & QStyle::State_HasFocus) {
            p->setPen(QPen(text, 1, Qt::DotLine));
            p->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
    }
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

private:
    const MusicPlaylist& playlist_;
};

}  // namespace

MusicDialog::MusicDialog(MusicRunner& music, QWidget* parent)
    : TankDialog(parent), music_(music), player_(music.Player()), playlist_(music.Playlist()) {
    setWindowTitle(QStringLiteral("Custom Music - Tidemere 1.1"));
    BuildControls();
    Sync();
    connect(&music_, &MusicRunner::Changed, this, &MusicDialog::Sync);
}

void MusicDialog::BuildControls() {
    const DialogUnits du(fontMetrics());
    setFixedSize(du.X(317), du.Y(151));

    auto* ownGroup = new QGroupBox(QStringLiteral("Use your own music"), this);
    ownGroup->setGeometry(du.Rect(10, 10, 79, 22));
    onOff_ = new LedCheckBox(QStringLiteral("On/Off"), this);
    onOff_->setGeometry(du.Rect(17, 19, 54, 12));
    onOff_->SetIcons(LedCheckBox::kIconSwitchOn, LedCheckBox::kIconSwitchOff);
    connect(onOff_, &QAbstractButton::clicked, this, [this] {
        playlist_.OnOwnMusicToggled(onOff_->GetCheck() == 1);
        Sync();
    });

    auto* modeGroup = new QGroupBox(QStringLiteral("Play Modes"), this);
    modeGroup->setGeometry(du.Rect(95, 10, 212, 22));
    const char* modeText[3] = {"Repeat One", "Repeat All", "Random "};
    const QRect modeRect[3] = {du.Rect(100, 20, 58, 8), du.Rect(186, 20, 53, 8),
                               du.Rect(262, 20, 41, 8)};
    for (int m = 0; m < 3; ++m) {
        modes_[m] = new LedCheckBox(QString::fromLatin1(modeText[m]), this);
        // The LED needs a little more height than the text line it sits on.
        modes_[m]->setGeometry(modeRect[m].adjusted(0, -3, 0, 3));
        modes_[m]->SetColors(QColor(0, 255, 0), QColor(0, 0, 0));
        connect(modes_[m], &QAbstractButton::clicked, this, [this, m] {
            playlist_.OnModeClicked(m);
            Sync();
        });
    }

    list_ = new QTableWidget(0, 1, this);
    list_->setGeometry(du.Rect(15, 44, 250, 95));
    list_->setHorizontalHeaderLabels({QStringLiteral("Music List")});
    list_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    list_->horizontalHeader()->setStretchLastSection(false);
    list_->setColumnWidth(0, 500);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    list_->setShowGrid(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // F2 edits a label in place; the edit is never taken over.
    list_->setEditTriggers(QAbstractItemView::EditKeyPressed);
    list_->setTextElideMode(Qt::ElideMiddle);
    list_->setItemDelegate(new PlaylistDelegate(playlist_, list_));
    ColourList(list_, ListBackground(), RowText());
    LetTabLeave(list_);
    connect(list_, &QAbstractItemView::clicked, this, &MusicDialog::OnListClicked);
    connect(list_, &QTableWidget::itemSelectionChanged, this, &MusicDialog::OnSelectionChanged);

    // The button column widens for a font wider than the one it was laid
    // out for, up to the dialog's edge.
    int columnWidth = du.X(38);
    for (const char* text : {"Add Music", "Remove", "Remove All", "Play", "Stop"})
        columnWidth =
            std::max(columnWidth, fontMetrics().horizontalAdvance(QString::fromLatin1(text)) + 8);
    columnWidth = std::min(columnWidth, du.X(317) - du.X(270) - 2);
    auto button = [&](const char* text, QRect r) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        r.setWidth(columnWidth);
        b->setGeometry(r);
        b->setAutoDefault(false);  // no button stands in for OK
        return b;
    };
    add_ = button("Add Music", du.Rect(270, 44, 38, 11));
    remove_ = button("Remove", du.Rect(270, 57, 38, 11));
    removeAll_ = button("Remove All", du.Rect(270, 70, 38, 11));
    play_ = button("Play", du.Rect(270, 83, 38, 11));
    stop_ = button("Stop", du.Rect(270, 97, 38, 11));
    connect(add_, &QPushButton::clicked, this, &MusicDialog::OnAddMusic);
    connect(remove_, &QPushButton::clicked, this, &MusicDialog::OnRemove);
    connect(removeAll_, &QPushButton::clicked, this, [this] {
        playlist_.OnRemoveAll();
        Sync();
    });
    connect(play_, &QPushButton::clicked, this, [this] {
        const int row = playlist_.Selected();
        playlist_.OnPlayButton();
        // A row that will not play stays selected and says why; nothing else starts.
        if (!playlist_.Rows().empty() && !player_.CanPlay()) {
            playlist_.Select(row);
            TellUnplayable(row >= 0 ? row : playlist_.CurrentIndex());
        }
        Sync();
    });
    connect(stop_, &QPushButton::clicked, this, [this] {
        playlist_.OnStopButton();
        Sync();
    });

    auto* volumeGroup = new QGroupBox(QStringLiteral("Volume"), this);
    volumeGroup->setGeometry(du.Rect(270, 113, 38, 26));
    volume_ = new CustomDrawSlider(Qt::Horizontal, this);
    volume_->setGeometry(du.Rect(271, 122, 33, 13));
    volume_->setTickPosition(QSlider::NoTicks);
    volume_->setRange(0, 1000);
    volume_->setPageStep(100);
    volume_->setValue(playlist_.Volume());
    connect(volume_, &QSlider::valueChanged, this, [this](int v) { playlist_.OnVolume(v); });

    // Keyboard order follows the layout.
    setTabOrder(onOff_, modes_[0]);
    setTabOrder(modes_[0], modes_[1]);
    setTabOrder(modes_[1], modes_[2]);
    setTabOrder(modes_[2], list_);
    setTabOrder(list_, add_);
    setTabOrder(add_, remove_);
    setTabOrder(remove_, removeAll_);
    setTabOrder(removeAll_, play_);
    setTabOrder(play_, stop_);
    setTabOrder(stop_, volume_);
}

void MusicDialog::ShowCentredOn(const QRect& owner) {
    QRect frame = geometry();
    frame.moveCenter(owner.center());
    move(frame.topLeft());
    show();
}

void MusicDialog::reject() {
    hide();
    Save();
}

void MusicDialog::Save() {
    music_.Save();
}

void MusicDialog::keyPressEvent(QKeyEvent* event) {
    // Enter presses the focused button; elsewhere it is OK, which does nothing.
    if (PressFocusedButton(this, event)) return;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    QDialog::keyPressEvent(event);
}

void MusicDialog::TellUnplayable(int row) {
    const int count = static_cast<int>(playlist_.Rows().size());
    const std::string path = row >= 0 && row < count ? playlist_.Rows()[row] : player_.FileName();
    const std::string why = playlist_.WhyUnplayable(row);
    auto* box =
        new QMessageBox(QMessageBox::Warning, windowTitle(),
                        why == "no sound device"
                            ? QStringLiteral("There is no sound device to play music on.")
                            : QStringLiteral("Cannot play %1:\n%2")
                                  .arg(QString::fromStdString(path), QString::fromStdString(why)),
                        QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MusicDialog::OnAddMusic() {
    const QString path =
        QFileDialog::getOpenFileName(this, QString(), QString(), MusicFileFilter());
    if (path.isEmpty()) return;
    if (!playlist_.AddRow(path.toStdString())) {
        ReportProblem("a music file name with a line break cannot be kept");
        return;
    }
    Sync();
}

void MusicDialog::OnRemove() {
    if (!playlist_.OnRemove()) {
        // No caption of its own: the window system shows the program's name.
        auto* box = new QMessageBox(QMessageBox::Warning, QString(),
                                    QStringLiteral("Please select an item from the music list!"),
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return;
    }
    Sync();
}

void MusicDialog::OnSelectionChanged() {
    if (syncing_) return;
    const QList<QTableWidgetItem*> items = list_->selectedItems();
    playlist_.Select(items.isEmpty() ? -1 : items.first()->row());
}

void MusicDialog::OnListClicked() {
    OnSelectionChanged();
    const int row = playlist_.Selected();
    const bool wasPlaying = playlist_.State() == MusicPlaylist::PlayState::Playing;
    playlist_.OnRowClicked();
    // The row the user clicked stays selected whatever its file, so it can be
    // removed; if it was to play and cannot, they are told why.
    if (row >= 0 && !player_.CanPlay()) {
        playlist_.Select(row);
        if (wasPlaying) TellUnplayable(row);
    }
    Sync();
}

void MusicDialog::Sync() {
    syncing_ = true;
    onOff_->SetCheck(playlist_.OwnMusic() ? 1 : 0);
    for (int m = 0; m < 3; ++m)
        modes_[m]->SetCheck(playlist_.ModeChecked(m) ? 1 : 0);

    const auto& rows = playlist_.Rows();
    bool same = list_->rowCount() == static_cast<int>(rows.size());
    for (int r = 0; same && r < list_->rowCount(); ++r)
        same = list_->item(r, 0) && list_->item(r, 0)->text().toStdString() == rows[r];
    if (!same) {
        list_->setRowCount(static_cast<int>(rows.size()));
        for (int r = 0; r < list_->rowCount(); ++r) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows[r]));
            item->setToolTip(item->text());
            list_->setItem(r, 0, item);
        }
    }
    const int selected = playlist_.Selected();
    if (selected < 0)
        list_->clearSelection();
    else if (list_->currentRow() != selected || list_->selectedItems().isEmpty())
        list_->selectRow(selected);

    const bool enabled = playlist_.ListButtonsEnabled();
    for (QPushButton* b : {add_, remove_, removeAll_, play_})
        b->setEnabled(enabled);
    list_->viewport()->update();
    syncing_ = false;
}

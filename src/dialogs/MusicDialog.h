#pragma once

#include <QDialog>

#include "dialogs/DialogSupport.h"
#include "dialogs/MusicRunner.h"

class CustomDrawSlider;
class LedCheckBox;
class QPushButton;
class QTableWidget;

// The Custom Music dialog: the user's playlist, its play mode and the On/Off
// switch that silences the built-in sound. Built when first opened and kept;
// hiding it (close box, Escape) saves the list. The widgets mirror the
// runner, which keeps the music going whether the dialog is shown or not.
class MusicDialog : public TankDialog {
    Q_OBJECT
public:
    explicit MusicDialog(MusicRunner& music, QWidget* parent = nullptr);

    MusicPlaylist& Playlist() { return playlist_; }
    SdlMusicPlayer& Player() { return player_; }

    // Centres the dialog over `owner` (global coordinates) and shows it.
    void ShowCentredOn(const QRect& owner);

    LedCheckBox* OwnMusicBox() const { return onOff_; }
    LedCheckBox* ModeBox(int mode) const { return modes_[mode]; }
    QTableWidget* List() const { return list_; }
    CustomDrawSlider* VolumeSlider() const { return volume_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* RemoveButton() const { return remove_; }
    QPushButton* RemoveAllButton() const { return removeAll_; }
    QPushButton* PlayButton() const { return play_; }
    QPushButton* StopButton() const { return stop_; }

    // The playlist's colours.
    static QColor ListBackground() { return QColor(207, 184, 130); }
    static QColor RowBackground() { return QColor(196, 184, 130); }
    static QColor RowText() { return QColor(0, 0, 255); }
    static QColor PlayingRowBackground() { return QColor(0, 255, 0); }

    // Saves the list, its modes and the volume (hiding does this too).
    void Save();

public slots:
    // Enter leaves the dialog open.
    void accept() override {}
    // Close box and Escape: hide, then save the list.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void OnAddMusic();
    void OnRemove();
    void OnListClicked();
    void OnSelectionChanged();
    // Says on the dialog why the track at `path` does not play.
    void TellUnplayable(int row);
    // Brings every control in line with the playlist.
    void Sync();

    MusicRunner& music_;
    SdlMusicPlayer& player_;
    MusicPlaylist& playlist_;
    bool syncing_ = false;

    LedCheckBox* onOff_ = nullptr;
    LedCheckBox* modes_[3] = {nullptr, nullptr, nullptr};
    QTableWidget* list_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* removeAll_ = nullptr;
    QPushButton* play_ = nullptr;
    QPushButton* stop_ = nullptr;
    CustomDrawSlider* volume_ = nullptr;
};

#pragma once

#include <QObject>
#include <QTimer>

#include "audio/MusicPlaylist.h"
#include "audio/SdlMusicPlayer.h"
#include "dialogs/DialogSupport.h"

// The user's music as the tank runs it, with no window: reads the playlist at
// start and, every 200 ms, moves it on and tells the built-in sound whether to
// keep quiet. The Custom Music dialog, built only when the user opens it,
// mirrors this and drives it.
class MusicRunner : public QObject {
    Q_OBJECT
public:
    // The playlist from the settings file, the volume from the user's profile.
    MusicRunner();
    // Stops the music.
    ~MusicRunner() override;

    MusicPlaylist& Playlist() { return playlist_; }
    SdlMusicPlayer& Player() { return player_; }

    // Saves the list, its modes and the volume.
    void Save();

signals:
    // A tick moved to another track or changed the play state.
    void Changed();

private:
    SdlMusicPlayer player_;
    MusicPlaylist playlist_;
    QTimer timer_;
    SaveFailureNotice saveNotice_;
};

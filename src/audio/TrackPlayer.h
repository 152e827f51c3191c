#pragma once

#include <string>

// The one audio file the playlist has loaded: what the playlist needs of a
// player. Times are in milliseconds; volume runs 0..1000 (1000 is normal).
class TrackPlayer {
public:
    virtual ~TrackPlayer() = default;

    virtual void SetFileName(const std::string& path) = 0;
    // Loads the file named last; CanPlay() answers whether that worked.
    virtual void Open() = 0;
    virtual bool CanPlay() const = 0;
    // Plays from the current position to the end of the track.
    virtual void Play() = 0;
    // Stops where it is; Play goes on from there.
    virtual void Stop() = 0;
    // Lets go of the file.
    virtual void Close() = 0;
    virtual void Seek(long ms) = 0;
    virtual long Position() const = 0;
    virtual long Length() const = 0;
    // Whether the track that was playing has stopped for good: played to its
    // end, or cannot go on. Broken tracks are not worth another try.
    enum class Run { Going, Finished, Broken };
    virtual Run Progress() const = 0;
    virtual void SetVolume(int volume) = 0;
    // Why the last Open failed, or why the track broke, for the user.
    virtual std::string LastError() const = 0;
};

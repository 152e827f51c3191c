#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

typedef struct SDL_RWops SDL_RWops;

// How a music file is opened: without blocking on whatever the name leads to
// (a FIFO, a device, a file swapped for either after it was listed), only a
// regular file of a sane size, and only content the mixer recognises by its
// first bytes. Guessing by file name would send any unknown file to the
// tracker loader, which reads it whole.

// The mixer's music type for a file that starts with `head` (all the bytes
// the file has, or at least kTrackHeadBytes), or 0 (the mixer's "none") when
// the content is not music the mixer can play.
int TrackTypeOf(const unsigned char* head, std::size_t size);
// Enough to see every signature TrackTypeOf knows.
constexpr std::size_t kTrackHeadBytes = 1084;

// Streamed formats are read as they play; modules and MIDI are read whole.
constexpr std::int64_t kMaxStreamedTrackBytes = std::int64_t{1} << 30;
constexpr std::int64_t kMaxWholeTrackBytes = std::int64_t{64} << 20;

struct OpenedTrack {
    SDL_RWops* rw = nullptr;  // the caller hands it on or closes it
    int type = 0;             // the mixer's music type
    std::string error;        // why nothing was opened
};
OpenedTrack OpenTrack(const std::string& path);

// What a file looked like when it was last tried: a file that failed is not
// tried again until it changes.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0, mtimeNs = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);

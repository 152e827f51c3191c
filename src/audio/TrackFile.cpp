#include "audio/TrackFile.h"

#include <SDL_mixer.h>
#include <SDL_rwops.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/UserFile.h"

namespace {

bool At(const unsigned char* head, std::size_t size, std::size_t offset, const char* magic) {
    const std::size_t n = std::strlen(magic);
    return offset + n <= size && std::memcmp(head + offset, magic, n) == 0;
}

// An MPEG audio frame header: sync, a real version, layer, bit rate and
// sample rate.
bool MpegFrame(const unsigned char* h, std::size_t size) {
    if (size < 4 || h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return false;
    const int version = (h[1] >> 3) & 3, layer = (h[1] >> 1) & 3;
    const int bitrate = h[2] >> 4, rate = (h[2] >> 2) & 3;
    return version != 1 && layer != 0 && bitrate != 15 && rate != 3;
}

// An ID3v2 tag header: version 2 to 4 and a size in seven-bit bytes.
bool Id3Tag(const unsigned char* h, std::size_t size) {
    if (!At(h, size, 0, "ID3") || size < 10) return false;
    if (h[3] < 2 || h[3] > 4 || h[4] == 0xFF) return false;
    for (int i = 6; i < 10; ++i)
        if (h[i] & 0x80) return false;
    return true;
}

// The tracker formats the module player reads, by their signatures.
bool Module(const unsigned char* h, std::size_t size) {
    if (At(h, size, 0, "Extended Module: ") || At(h, size, 0, "IMPM") || At(h, size, 44, "SCRM") ||
        At(h, size, 44, "PTMF") || At(h, size, 0, "OKTASONG") || At(h, size, 0, "MAS_UTrack_V00") ||
        At(h, size, 0, "DBM0") || At(h, size, 0, "FAR\xFE") || At(h, size, 20, "!Scream!") ||
        At(h, size, 20, "BMOD2STM"))
        return true;
    if (size >= 4 && At(h, size, 0, "MMD") && h[3] >= '0' && h[3] <= '3') return true;
    if (size >= 4 && At(h, size, 0, "MTM") && h[3] == 0x10) return true;
    // Amiga modules carry their tag after the 31 sample headers.
    if (size < 1084) return false;
    const unsigned char* t = h + 1080;
    for (const char* tag : {"M.K.", "M!K!", "M&K!", "FLT4", "FLT8", "CD81", "OKTA", "OCTA"})
        if (std::memcmp(t, tag, 4) == 0) return true;
    const auto digit = [](unsigned char c) { return c >= '0' && c <= '9'; };
    if (digit(t[0]) && std::memcmp(t + 1, "CHN", 3) == 0) return true;
    return digit(t[0]) && digit(t[1]) &&
           (std::memcmp(t + 2, "CH", 2) == 0 || std::memcmp(t + 2, "CN", 2) == 0);
}

std::string Reason(int error) {
    return std::strerror(error);
}

}  // namespace

int TrackTypeOf(const unsigned char* h, std::size_t size) {
    if (At(h, size, 0, "RIFF") && At(h, size, 8, "WAVE")) return MUS_WAV;
    if (At(h, size, 0, "FORM") && (At(h, size, 8, "AIFF") || At(h, size, 8, "AIFC")))
        return MUS_WAV;
    if (At(h, size, 0, "OggS")) return At(h, size, 28, "OpusHead") ? MUS_OPUS : MUS_OGG;
    if (At(h, size, 0, "fLaC")) return MUS_FLAC;
    if (At(h, size, 0, "MThd")) return MUS_MID;
    if (Id3Tag(h, size) || MpegFrame(h, size)) return MUS_MP3;
    if (Module(h, size)) return MUS_MOD;
    return MUS_NONE;
}

OpenedTrack OpenTrack(const std::string& path) {
    OpenedTrack track;
    // The shared open: non-blocking until fstat has seen a regular file.
    UserFile opened = UserFile::Open(path, kMaxStreamedTrackBytes);
    if (!opened.IsOpen()) {
        track.error = opened.Error();
        return track;
    }
    const std::int64_t fileSize = opened.Size();
    const int fd = opened.Release();
    auto fail = [&](std::string why) {
        close(fd);
        track.error = std::move(why);
        return track;
    };

    unsigned char head[kTrackHeadBytes];
    std::size_t got = 0;
    while (got < sizeof head) {
        const ssize_t n = pread(fd, head + got, sizeof head - got, static_cast<off_t>(got));
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(Reason(errno));
        }
        got += static_cast<std::size_t>(n);
    }
    track.type = TrackTypeOf(head, got);
    if (track.type == MUS_NONE) return fail("not music this program can play");
    if ((track.type == MUS_MOD || track.type == MUS_MID) && fileSize > kMaxWholeTrackBytes)
        return fail("too large for its kind (more than 64 MiB)");

    FILE* file = fdopen(fd, "rb");
    if (!file) return fail(Reason(errno));
    track.rw = SDL_RWFromFP(file, SDL_TRUE);
    if (!track.rw) {
        std::fclose(file);
        track.error = SDL_GetError();
        track.type = MUS_NONE;
    }
    return track;
}

FileStamp StampOf(const std::string& path) {
    FileStamp stamp;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return stamp;
    stamp.exists = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.mtimeNs = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

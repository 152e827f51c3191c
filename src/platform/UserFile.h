#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class QByteArray;
class QString;

// Files a user names (the settings file, pictures, tracks) are opened without
// blocking, checked on the open descriptor and read from that descriptor, so
// a FIFO, a device or a folder is refused instead of hanging or reading
// without end, and nothing can swap the file between the check and the read.

// The largest file of each kind that is read at all.
constexpr std::int64_t kSettingsFileMaxBytes = 16ll << 20;
constexpr std::int64_t kPictureFileMaxBytes = 256ll << 20;
constexpr std::int64_t kTrackFileMaxBytes = 1ll << 30;

// An open, checked descriptor of a regular file no larger than its limit,
// in blocking mode, closed with the object.
class UserFile {
public:
    // Opens `path` (its bytes as stored: no text conversion) for reading.
    static UserFile Open(const std::string& path, std::int64_t maxBytes);

    UserFile() = default;
    UserFile(UserFile&& other) noexcept;
    UserFile& operator=(UserFile&& other) noexcept;
    UserFile(const UserFile&) = delete;
    UserFile& operator=(const UserFile&) = delete;
    ~UserFile();

    bool IsOpen() const { return fd_ >= 0; }
    // The path does not exist (a dangling symlink included).
    bool Missing() const { return missing_; }
    // Why the file was refused or could not be opened; empty when open.
    const std::string& Error() const { return error_; }
    int Descriptor() const { return fd_; }
    std::int64_t Size() const { return size_; }

    // Reads the whole file; false, with Error() set, on a read error or when
    // the file grew past its limit since it was opened.
    bool ReadAll(std::string* bytes);
    bool ReadAll(QByteArray* bytes);
    // Hands the descriptor to the caller, who closes it.
    int Release();

private:
    template <typename Bytes>
    bool ReadInto(Bytes* bytes);

    int fd_ = -1;
    std::int64_t size_ = 0;
    std::int64_t maxBytes_ = 0;
    bool missing_ = false;
    std::string error_;
};

// The whole file at `path`, checked as above. False with *error set when it is
// missing, refused or unreadable.
bool ReadUserFile(const std::string& path, std::int64_t maxBytes, std::string* bytes,
                  std::string* error);
bool ReadUserFile(const std::string& path, std::int64_t maxBytes, QByteArray* bytes,
                  std::string* error);

// Writes `bytes` to a fresh temporary file beside the file `path` names
// (behind any symlinks, which stay links) and renames it over that file,
// keeping its mode; a new file gets `newFileMode` less the umask. Refuses a
// path that names anything but a regular file, and a file the user made
// read-only. Never opens the target itself, so a FIFO there cannot hang it.
// False, with *error set, when nothing was written; the old file is whole.
bool ReplaceUserFile(const std::string& path, const std::string& bytes, unsigned newFileMode,
                     std::string* error);
// The reason ReplaceUserFile gives for a file the user made read-only.
constexpr const char* kReadOnlyFileReason = "the file is read-only";

// Paths are kept as the file system's bytes, whatever their encoding, and
// handed to open() as they are: that is the one way a stored name becomes a
// file, for pictures and tracks alike. Qt's text cannot carry bytes that are
// not UTF-8 (they turn into U+FFFD), so a QString made from a path is for
// showing it only, never for opening the file again.
QString UserPathForDisplay(const std::string& path);

// Whether the path names a regular file now; a quick early answer for lists.
// Reading still goes through UserFile, which checks what it opened.
bool IsRegularUserFile(const std::string& path);

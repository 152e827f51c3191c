#include "platform/UserFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>

namespace {

std::string LimitText(std::int64_t maxBytes) {
    return "it is larger than " + std::to_string(maxBytes >> 20) + " MB";
}

}  // namespace

UserFile UserFile::Open(const std::string& path, std::int64_t maxBytes) {
    UserFile file;
    file.maxBytes_ = maxBytes;
    // Non-blocking, so opening a FIFO or a device returns at once; the type
    // is then checked on what was opened, not on what the name meant earlier.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        file.missing_ = errno == ENOENT;
        file.error_ = std::strerror(errno);
        return file;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        file.error_ = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        file.error_ = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
    } else if (st.st_size > maxBytes) {
        file.error_ = LimitText(maxBytes);
    } else {
        const int flags = fcntl(fd, F_GETFL);
        if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
            file.error_ = std::strerror(errno);
    }
    if (!file.error_.empty()) {
        close(fd);
        return file;
    }
    file.fd_ = fd;
    file.size_ = st.st_size;
    return file;
}

UserFile::UserFile(UserFile&& other) noexcept {
    *this = std::move(other);
}

UserFile& UserFile::operator=(UserFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = other.fd_;
        size_ = other.size_;
        maxBytes_ = other.maxBytes_;
        missing_ = other.missing_;
        error_ = std::move(other.error_);
        other.fd_ = -1;
    }
    return *this;
}

UserFile::~UserFile() {
    if (fd_ >= 0) close(fd_);
}

template <typename Bytes>
bool UserFile::ReadInto(Bytes* bytes) {
    bytes->clear();
    if (fd_ < 0) return false;
    // Read straight into place; a file that grew since fstat is read on in chunks.
    bytes->resize(static_cast<decltype(bytes->size())>(size_));
    std::int64_t done = 0;
    for (;;) {
        if (done == static_cast<std::int64_t>(bytes->size())) {
            if (done >= maxBytes_ + 1) {
                error_ = LimitText(maxBytes_);
                bytes->clear();
                return false;
            }
            bytes->resize(static_cast<decltype(bytes->size())>(
                std::min<std::int64_t>(done + 65536, maxBytes_ + 1)));
        }
        const ssize_t n =
            read(fd_, bytes->data() + done, static_cast<size_t>(bytes->size() - done));
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            error_ = std::strerror(errno);
            bytes->clear();
            return false;
        }
        done += n;
    }
    if (done > maxBytes_) {
        error_ = LimitText(maxBytes_);
        bytes->clear();
        return false;
    }
    bytes->resize(static_cast<decltype(bytes->size())>(done));
    return true;
}

bool UserFile::ReadAll(std::string* bytes) {
    return ReadInto(bytes);
}
bool UserFile::ReadAll(QByteArray* bytes) {
    return ReadInto(bytes);
}

int UserFile::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

namespace {

template <typename Bytes>
bool ReadWhole(const std::string& path, std::int64_t maxBytes, Bytes* bytes, std::string* error) {
    UserFile file = UserFile::Open(path, maxBytes);
    if (file.IsOpen() && file.ReadAll(bytes)) return true;
    if (error) *error = file.Error();
    return false;
}

}  // namespace

bool ReadUserFile(const std::string& path, std::int64_t maxBytes, std::string* bytes,
                  std::string* error) {
    return ReadWhole(path, maxBytes, bytes, error);
}

bool ReadUserFile(const std::string& path, std::int64_t maxBytes, QByteArray* bytes,
                  std::string* error) {
    return ReadWhole(path, maxBytes, bytes, error);
}

namespace {

// The file a path names once every symlink on its last component is followed
// (the link itself is left alone), or "" with *error set.
std::string FollowLinks(const std::string& path, std::string* error) {
    std::string at = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = readlink(at.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<size_t>(n) >= target.size()) {
            *error = std::strerror(n < 0 ? errno : ENAMETOOLONG);
            return {};
        }
        target.resize(static_cast<size_t>(n));
        if (target.empty()) break;
        if (target[0] != '/') {
            const auto slash = at.rfind('/');
            if (slash != std::string::npos) target = at.substr(0, slash + 1) + target;
        }
        at = target;
    }
    *error = std::strerror(ELOOP);
    return {};
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// A new file beside `target`, created with `mode` (the umask applies), or -1.
int CreateTemporary(const std::string& target, mode_t mode, std::string* name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned long tag = static_cast<unsigned long>(getpid()) * 1000003ul +
                                  static_cast<unsigned long>(std::time(nullptr)) * 7919ul +
                                  counter.fetch_add(1) * 104729ul;
        *name = target + "." + std::to_string(tag % 1000000000ul) + ".tmp";
        const int fd =
            open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

bool ReplaceUserFile(const std::string& path, const std::string& bytes, unsigned newFileMode,
                     std::string* error) {
    std::string scratch;
    std::string& why = error ? *error : scratch;
    const std::string target = FollowLinks(path, &why);
    if (target.empty()) return false;

    bool exists = false;
    mode_t mode = static_cast<mode_t>(newFileMode);
    struct stat st;
    if (stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            why = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
            return false;
        }
        // Root may write anything: the mode bits say what the user meant.
        if ((st.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0) {
            why = kReadOnlyFileReason;
            return false;
        }
        exists = true;
        mode = st.st_mode & 07777;
    }

    std::string tmp;
    const int fd = CreateTemporary(target, exists ? 0600 : mode, &tmp);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    bool ok = WriteAll(fd, bytes) && (!exists || fchmod(fd, mode) == 0) && fsync(fd) == 0;
    int savedErrno = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && std::rename(tmp.c_str(), target.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        unlink(tmp.c_str());
        why = std::strerror(savedErrno);
        return false;
    }
    // The rename itself must reach the disk too.
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

QString UserPathForDisplay(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

bool IsRegularUserFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

#include "scene/Resources.h"

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "scene/ResourceKey.h"

// The scrambled files are compiled into the tm_assets library; a static
// library's resources must be registered by hand or the linker drops them.
static void RegisterBuiltinResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(rcad);
        return true;
    }();
    (void)registered;
}

std::string LoadResourceBytes(int id) {
    RegisterBuiltinResources();
    QFile resource(QStringLiteral(":/rcad/%1").arg(id));
    if (!resource.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = resource.readAll();
    std::string plain(static_cast<std::size_t>(bytes.size()), '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        plain[static_cast<std::size_t>(i)] = static_cast<char>(resourcekey::Unscramble(
            static_cast<std::uint8_t>(bytes[i]), static_cast<std::size_t>(i)));
    return plain;
}

ExtractedResource::ExtractedResource(int id, const std::string& folder, const std::string& stem) {
    const std::string bytes = LoadResourceBytes(id);
    if (bytes.empty()) return;

    const std::string dir = folder.empty() ? TempPath() : folder;
    const std::string suffix = stem == "Music" ? ".wav" : ".bmp";
    std::string name = dir + stem + "-XXXXXX" + suffix;
    // O_EXCL underneath: a fresh name, never an existing entry or a link's target.
    const int fd = dir.empty() ? -1 : mkstemps(name.data(), static_cast<int>(suffix.size()));
    int error = dir.empty() ? ENOENT : errno;
    if (fd >= 0) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        error = done == bytes.size() ? 0 : (errno ? errno : EIO);
        if (close(fd) != 0 && error == 0) error = errno;
        if (error == 0) {
            path_ = name;
            return;
        }
        unlink(name.c_str());
    }
    static bool reported = false;
    if (!reported) {
        reported = true;
        ShowMessageBox("Cannot unpack the built-in pictures into " + (dir.empty() ? "a folder" : dir) +
                           ": " + std::strerror(error) + ".",
                       "ERROR");
    }
}

ExtractedResource::~ExtractedResource() {
    if (!path_.empty()) unlink(path_.c_str());
}

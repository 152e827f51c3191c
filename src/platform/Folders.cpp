#include "platform/Folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/MessageBox.h"
#include "platform/ProductInfo.h"

namespace {

// mkdir -p, with the final folder private to the user.
bool MakePrivateFolder(const std::string& path) {
    std::error_code ec;
    const auto parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    // An existing folder of ours is made private too; it holds the settings.
    if (st.st_uid == geteuid() && (st.st_mode & 077) != 0) chmod(path.c_str(), 0700);
    return access(path.c_str(), W_OK | X_OK) == 0;
}

std::string ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0]) return std::string(home) + "/.config";
    return {};
}

}  // namespace

std::string WindowsFolder() {
    const std::string base = ConfigHome();
    const std::string folder = base.empty() ? std::string() : base + "/" + kApplicationName;
    if (folder.empty() || !MakePrivateFolder(folder)) {
        // Every lookup lands here again; one box is enough.
        static bool reported = false;
        if (!reported) {
            reported = true;
            ReportProblem("cannot use the settings folder " +
                          (folder.empty() ? std::string("(no HOME or XDG_CONFIG_HOME)") : folder) +
                          "; running on the default settings, nothing is saved");
            ShowMessageBox("Error Find TempPath.", "ERROR");
        }
        return {};
    }
    return folder + "/";
}

std::string SettingsFilePath() {
    // Without the folder there is no settings file: never the current folder.
    const std::string folder = WindowsFolder();
    return folder.empty() ? std::string() : folder + "./" + kSettingsFileName;
}

std::string TempPath() {
    const QString temp = QDir::tempPath();
    const QFileInfo info(temp);
    if (!info.isDir() || !info.isWritable()) return {};
    return temp.toStdString() + "/";
}

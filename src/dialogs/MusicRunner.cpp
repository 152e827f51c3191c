#include "dialogs/MusicRunner.h"

#include <QSettings>
#include <algorithm>
#include <cstdio>

#include "platform/Folders.h"
#include "platform/ProductInfo.h"

namespace {

// The music volume the user's profile keeps, 0..1000.
int ProfileVolume() {
    QSettings profile(kOrganizationName, kApplicationName);
    return std::clamp(profile.value("Settings/Volume", 1000).toInt(), 0, 1000);
}

void SaveProfileVolume(int volume) {
    QSettings profile(kOrganizationName, kApplicationName);
    if (profile.value("Settings/Volume").toInt() == volume && profile.contains("Settings/Volume"))
        return;
    profile.setValue("Settings/Volume", volume);
    profile.sync();
    if (profile.status() != QSettings::NoError)
        std::fprintf(stderr, "tidemere: cannot save the music volume in %s\n",
                     profile.fileName().toLocal8Bit().constData());
}

}  // namespace

MusicRunner::MusicRunner() : playlist_(player_, ProfileVolume()) {
    playlist_.LoadSaved(SettingsFilePath());
    timer_.setInterval(200);
    connect(&timer_, &QTimer::timeout, this, [this] {
        const int row = playlist_.CurrentTrackRow();
        const auto state = playlist_.State();
        playlist_.OnTimer();
        if (row != playlist_.CurrentTrackRow() || state != playlist_.State()) emit Changed();
    });
    timer_.start();
}

MusicRunner::~MusicRunner() {
    timer_.stop();
    player_.Stop();
    player_.Close();
}

void MusicRunner::Save() {
    const std::string path = SettingsFilePath();
    std::string why;
    saveNotice_.After(playlist_.Save(path, &why), "the music list", path, why);
    SaveProfileVolume(playlist_.Volume());
}

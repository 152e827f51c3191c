#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "dialogs/DialogSupport.h"
#include "scene/UserImage.h"
#include "settings/Slideshow.h"

// The user's backdrop pictures as the tank runs them, with no window: reads
// the list at start, loads the pictures and ticks the slideshow every 200 ms.
// The Custom Background dialog, built only when the user opens it, mirrors
// this and drives it.
class SlideshowRunner : public QObject {
    Q_OBJECT
public:
    using Release = std::function<void(unsigned texture)>;

    // `upload` builds a texture with the view's context current; `release`
    // deletes one. `maxSide` bounds the pictures' sides. `setUpLoader` runs
    // before the listed pictures are asked for.
    SlideshowRunner(UserImageLoader::Uploader upload, Release release,
                    const std::string& settingsPath, int maxSide = kUserImageMaxSide,
                    const std::function<void(UserImageLoader&)>& setUpLoader = {});
    ~SlideshowRunner() override;

    Slideshow& Show() { return show_; }
    const Slideshow& Show() const { return show_; }
    UserImageLoader& Loader() { return *loader_; }

    // Saves the pictures and the show's settings.
    void Save();

signals:
    // A tick or a finished load may have changed what the show holds.
    void Changed();

private:
    Slideshow show_;
    std::unique_ptr<UserImageLoader> loader_;
    std::string settingsPath_;
    SaveFailureNotice saveNotice_;
    QTimer timer_;
};

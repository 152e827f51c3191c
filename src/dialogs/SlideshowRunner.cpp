#include "dialogs/SlideshowRunner.h"

#include <QFile>
#include <QImageReader>

#include "platform/UserFile.h"

SlideshowRunner::SlideshowRunner(UserImageLoader::Uploader upload, Release release,
                                 const std::string& settingsPath, int maxSide,
                                 const std::function<void(UserImageLoader&)>& setUpLoader)
    : settingsPath_(settingsPath) {
    loader_ = std::make_unique<UserImageLoader>(
        std::move(upload),
        [this](const std::string& path, GLuint texture) {
            show_.ImageLoaded(path, texture);
            emit Changed();
        },
        maxSide);
    if (setUpLoader) setUpLoader(*loader_);
    show_.StartLoad = [this](const std::string& path) {
        // A file that is not there fails at once, so it does not hold a
        // place among the ten while the others load.
        if (!IsRegularUserFile(path)) {
            show_.ImageLoaded(path, 0);
            return;
        }
        loader_->Request(path);
    };
    show_.ReleaseTexture = std::move(release);
    show_.MeasureAspect = [](const std::string& path) {
        // The header only, through a checked descriptor: a FIFO put in the
        // picture's place must not stop the tank.
        UserFile file = UserFile::Open(path, kPictureFileMaxBytes);
        if (!file.IsOpen()) return 0.0;
        QFile device;
        if (!device.open(file.Descriptor(), QIODevice::ReadOnly)) return 0.0;
        const QSize size = QImageReader(&device).size();
        return size.isValid() && size.height() > 0 ? double(size.width()) / size.height() : 0.0;
    };

    show_.LoadImageSettings(settingsPath_);

    timer_.setInterval(Slideshow::kTickMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        show_.SlideshowTick();
        emit Changed();
    });
    timer_.start();
}

SlideshowRunner::~SlideshowRunner() {
    timer_.stop();
    // The GL context is gone by now; the textures end with it.
    show_.ReleaseTexture = nullptr;
    loader_.reset();
}

void SlideshowRunner::Save() {
    std::string why;
    const bool ok = show_.SaveImageSettings(settingsPath_, &why);
    saveNotice_.After(ok, "the background pictures", settingsPath_, why);
}

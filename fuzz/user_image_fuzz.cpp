// Feeds arbitrary bytes to the decoder of the user's backdrop pictures: it
// must refuse or decode, never crash, hang or allocate without bound.
#include <QByteArray>
#include <QCoreApplication>
#include <cstddef>
#include <cstdint>

#include "scene/UserImage.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Image plugins (JPEG) are found through the application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const UserImagePixels pixels = DecodeUserImageData(bytes, 256);
    if (pixels.Valid()) {
        // Whatever decodes has the promised shape.
        const size_t expected = static_cast<size_t>(pixels.width) * pixels.height * pixels.channels;
        if (pixels.data.size() != expected || pixels.width > 256 || pixels.height > 256) __builtin_trap();
    }
    return 0;
}

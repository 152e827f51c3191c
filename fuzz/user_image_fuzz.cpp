// Feeds arbitrary bytes to the decoder of the user's backdrop pictures: it
// must refuse or decode, never crash or hang. scripts/fuzz.sh runs it with an
// RSS limit of four times the largest texture plus the decoder's 64 MB and
// the sanitizers' own share, so a picture that decodes beyond that bound is a
// finding.
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
    const UserImagePixels pixels = DecodeUserImageData(bytes);
    if (pixels.Valid()) {
        // Whatever decodes has the promised shape: powers of two within the limit.
        const auto side = [](int v) { return v <= kUserImageMaxSide && (v & (v - 1)) == 0; };
        const size_t expected = static_cast<size_t>(pixels.width) * pixels.height * pixels.channels;
        if (pixels.data.size() != expected || !side(pixels.width) || !side(pixels.height))
            __builtin_trap();
    }
    return 0;
}

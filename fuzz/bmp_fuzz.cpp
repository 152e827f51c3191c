// The 24-bit BMP reader behind the fish skins and the backdrop: any bytes
// give either nullptr or exactly width x height pixels.
#include <cstdint>

#include "scene/Textures.h"
#include "support/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const BmpBytes bmp(data, size);
    BitmapInfo info;
    auto rgb = ReadRgbBitmap(bmp, &info);
    if (rgb) {
        fuzz::Check(info.width > 0 && info.height > 0, "positive size");
        fuzz::Check(info.imageSize == std::uint64_t(info.width) * info.height * 3, "buffer size");
        unsigned sum = 0;
        for (std::uint32_t k = 0; k < info.imageSize; ++k) sum += rgb[k];
        (void)sum;
    }
    BitmapInfo rgbaInfo;
    auto rgba = ReadRgbaBitmap(bmp, &rgbaInfo);
    fuzz::Check(!rgba == !rgb, "both readers agree on what is a picture");
    if (rgba) {
        const std::uint32_t pixels = info.imageSize / 3;
        for (std::uint32_t k = 0; k < pixels; ++k) {
            const bool black = !rgb[k * 3] && !rgb[k * 3 + 1] && !rgb[k * 3 + 2];
            fuzz::Check(rgba[k * 4 + 3] == (black ? 0 : 255), "only pure black is see-through");
        }
    }
    return 0;
}

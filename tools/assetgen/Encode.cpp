#include "Paint.h"

namespace assetgen {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(v & 0xff);
    out.push_back((v >> 8) & 0xff);
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

std::uint8_t ToByte(float v) {
    return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255.0f));
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(const Canvas& canvas, bool allowBlack) {
    const int w = canvas.Width(), h = canvas.Height();
    const std::uint32_t row = ((24u * w + 31u) / 32u) * 4u;
    const std::uint32_t imageSize = row * h;
    std::vector<std::uint8_t> out;
    out.reserve(54 + imageSize);
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + imageSize);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, w);
    Put32(out, h);
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Color& c = canvas.At(x, y);
            std::uint8_t b = ToByte(c.b), g = ToByte(c.g), r = ToByte(c.r);
            if (!allowBlack && (r | g | b) == 0) b = 1;
            out.push_back(b);
            out.push_back(g);
            out.push_back(r);
        }
        for (std::uint32_t pad = 3u * w; pad < row; ++pad) out.push_back(0);
    }
    return out;
}

std::vector<std::uint8_t> EncodeWav16(const std::vector<std::int16_t>& samples, int channels,
                                      int sampleRate) {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    for (char c : std::string("RIFF")) out.push_back(c);
    Put32(out, 36 + dataBytes);
    for (char c : std::string("WAVEfmt ")) out.push_back(c);
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, channels);
    Put32(out, sampleRate);
    Put32(out, sampleRate * channels * 2);
    Put16(out, channels * 2);
    Put16(out, 16);
    for (char c : std::string("data")) out.push_back(c);
    Put32(out, dataBytes);
    for (std::int16_t s : samples) Put16(out, static_cast<std::uint16_t>(s));
    return out;
}

}  // namespace assetgen

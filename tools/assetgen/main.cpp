// Writes the built-in artwork and sound, plain (for looking at) and scrambled
// (for embedding), into the folder given on the command line.

#include <cstdio>
#include <filesystem>
#include <string>

#include "Assets.h"
#include "scene/ResourceKey.h"

namespace {

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool Emit(const std::filesystem::path& root, const std::string& id, const std::string& plainName,
          const std::vector<std::uint8_t>& plain) {
    std::vector<std::uint8_t> scrambled(plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i)
        scrambled[i] = resourcekey::Scramble(plain[i], i);
    if (!WriteFile(root / "plain" / plainName, plain) || !WriteFile(root / "rcad" / id, scrambled)) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", id.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace assetgen;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(root / "plain", ec);
    std::filesystem::create_directories(root / "rcad", ec);

    bool ok = Emit(root, "154", "background.bmp", EncodeBmp24(PaintBackground(1024, 512), false));
    for (int kind = 0; kind < 5; ++kind) {
        ok = ok && Emit(root, std::to_string(10000 + kind), "fish" + std::to_string(kind) + ".bmp",
                        EncodeBmp24(PaintFishSkin(kind, 256, 128), true));
    }
    ok = ok && Emit(root, "10005", "fish5.bmp", EncodeBmp24(PaintFishSkin(5, 128, 64), true));
    ok = ok && Emit(root, "129", "fishstrip.bmp", EncodeBmp24(PaintFishStrip(498, 85, 100), true));
    // The same strip at twice the pixels, for screens at a device pixel ratio of 2.
    ok = ok &&
         Emit(root, "130", "fishstrip@2x.bmp", EncodeBmp24(PaintFishStrip(996, 170, 200), true));
    // The bubble is drawn additively: its black surround must stay black.
    ok = ok && Emit(root, "166", "bubble.bmp", EncodeBmp24(PaintBubble(64), true));
    ok = ok && Emit(root, "227", "ambience.wav",
                    EncodeWav16(SynthesiseAmbience(22050, 6.0f), 1, 22050));
    return ok ? 0 : 1;
}

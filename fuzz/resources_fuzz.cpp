// Unscrambling a scrambled file of any content, and extracting any resource
// identifier: the output is the input unscrambled byte for byte, and an
// unknown identifier writes nothing.
#include <cstdint>
#include <cstring>

#include "scene/ResourceKey.h"
#include "scene/Resources.h"
#include "support/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    static const char* const kStems[] = {"fish0", "BackGround0", "Music", "Particle1"};
    const std::string stem = kStems[data[0] % 4];
    std::int32_t id = 0;
    std::memcpy(&id, data + 1, 2);
    id = static_cast<std::int16_t>(id) + (data[0] & 0x80 ? 10000 : 0);
    data += 3;
    size -= 3;

    const std::string folder = fuzz::ScratchFolder();
    fuzz::WriteScratch(stem + ".ad", data, size);
    UnscrambleFile(folder, stem);
    const std::string out = folder + stem + (stem == "Music" ? ".wav" : ".bmp");
    const auto plain = fuzz::ReadAll(out);
    fuzz::Check(plain.size() == size, "unscrambled size");
    for (std::size_t k = 0; k < size; ++k)
        fuzz::Check(plain[k] == resourcekey::Unscramble(data[k], k), "unscrambled bytes");
    DeleteExtractedFile(folder + stem + ".ad");
    DeleteExtractedFile(out);

    const auto before = fuzz::ScratchEntries();
    if (ExtractResource(id, folder, stem) == 0)
        fuzz::Check(fuzz::ScratchEntries() == before, "an unknown resource writes nothing");
    DeleteExtractedFile(folder + stem + ".ad");
    DeleteExtractedFile(out);
    return 0;
}

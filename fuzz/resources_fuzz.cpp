// Unpacking any resource identifier under any stem: a known one gives a fresh
// file holding exactly its unscrambled bytes, gone again afterwards; an
// unknown one writes nothing. Nothing that was in the folder is touched.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "scene/Resources.h"
#include "support/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    std::int16_t low = 0;
    std::memcpy(&low, data + 1, 2);
    const int id = low + (data[0] & 0x80 ? 10000 : 0);
    // The rest of the input names the file; only the stem's text varies.
    std::string stem(reinterpret_cast<const char*>(data + 3), size - 3);
    for (char& c : stem)
        if (c == '/' || c == '\0') c = '_';
    if (stem.size() > 64) stem.resize(64);
    if (data[0] & 1) stem = "Music";

    const std::string folder = fuzz::ScratchFolder();
    const auto before = fuzz::ScratchEntries();
    const std::string bytes = LoadResourceBytes(id);
    {
        const ExtractedResource file(id, folder, stem);
        if (bytes.empty()) {
            fuzz::Check(file.Path().empty(), "an unknown resource gives no file");
        } else {
            fuzz::Check(file.Path().rfind(folder + stem + "-", 0) == 0, "unpacked into the folder");
            fuzz::Check(fuzz::ReadAll(file.Path()) == std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                        "unpacked whole and unscrambled");
        }
    }
    fuzz::Check(fuzz::ScratchEntries() == before, "only its own file, and that one gone");
    return 0;
}

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// A private folder for this process (ends in '/'), removed at exit.
const std::string& ScratchFolder();
// Writes the bytes to ScratchFolder() + name and returns the path.
std::string WriteScratch(const std::string& name, const std::uint8_t* data, std::size_t size);

// Makes a software OpenGL context current without any display (Mesa's
// surfaceless EGL); false when none can be had.
bool MakeGlCurrent();

// Stops the run on a broken property: abort() is what libFuzzer and ctest
// both notice.
[[noreturn]] void Fail(const char* what);
inline void Check(bool ok, const char* what) {
    if (!ok) Fail(what);
}

}  // namespace fuzz

#pragma once

// The key that scrambles the built-in resources. The asset generator and the
// runtime share this header so the two can never drift apart.

#include <array>
#include <cstddef>
#include <cstdint>

namespace resourcekey {

inline constexpr std::array<std::uint8_t, 50> kKey = {
    0x5b, 0xe1, 0x13, 0x9a, 0x2f, 0xc4, 0x77, 0x08, 0xd6, 0x41,  //
    0xb3, 0x6e, 0x25, 0xf0, 0x89, 0x1c, 0x94, 0x3d, 0xea, 0x52,  //
    0x07, 0xaf, 0x68, 0xcb, 0x30, 0x9e, 0x45, 0xf7, 0x1a, 0x83,  //
    0xd9, 0x66, 0x0c, 0xbd, 0x72, 0x2b, 0xe4, 0x58, 0x91, 0x3f,  //
    0xc8, 0x15, 0xa6, 0x7e, 0x03, 0xdc, 0x4a, 0xb7, 0x61, 0xfd,  //
};

// Byte i of a file is shifted by key byte (i + 1) mod 50.
inline constexpr std::uint8_t KeyFor(std::size_t index) { return kKey[(index + 1) % kKey.size()]; }

inline constexpr std::uint8_t Scramble(std::uint8_t plain, std::size_t index) {
    return static_cast<std::uint8_t>(plain - KeyFor(index));
}
inline constexpr std::uint8_t Unscramble(std::uint8_t scrambled, std::size_t index) {
    return static_cast<std::uint8_t>(scrambled + KeyFor(index));
}

}  // namespace resourcekey

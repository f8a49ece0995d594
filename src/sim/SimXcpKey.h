#pragma once
// The key the simulated XCP bootloader expects for a seed. Plain C++ without Qt, so that a
// seed-and-key library for the simulator can be built from the same definition.

#include <cstddef>
#include <cstdint>

namespace SimXcpKey {

/// Resource the key unlocks (programming).
constexpr std::uint8_t kResource = 0x10;

/// key[i] = rotate-left(seed[i] XOR 0xA5, i mod 8) + i. Same length as the seed.
inline void compute(const std::uint8_t *seed, std::size_t length, std::uint8_t *key)
{
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned shift = unsigned(i % 8);
        const std::uint8_t x = std::uint8_t(seed[i] ^ 0xA5u);
        const std::uint8_t rotated =
            shift == 0 ? x : std::uint8_t(std::uint8_t(x << shift) | std::uint8_t(x >> (8 - shift)));
        key[i] = std::uint8_t(rotated + i);
    }
}

} // namespace SimXcpKey

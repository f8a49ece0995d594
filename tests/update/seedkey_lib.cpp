// A seed-and-key library for the simulated XCP bootloader, loaded by the tests as the updater
// loads one. Built twice: as it should be, and (PELM_WRONG_KEY) giving a key the bootloader
// rejects.

#include "sim/SimXcpKey.h"

#include <cstdint>

namespace {
/// Results of the usual seed-and-key interface.
constexpr std::uint32_t kAck = 0;
constexpr std::uint32_t kPrivilegeNotAvailable = 1;
constexpr std::uint32_t kInvalidSeedLength = 2;
constexpr std::uint32_t kUnsufficientKeyLength = 3;
} // namespace

extern "C" __attribute__((visibility("default"))) std::uint32_t
XCP_ComputeKeyFromSeed(std::uint8_t privilege, std::uint8_t seedLength, const std::uint8_t *seed,
                       std::uint8_t *keyLength, std::uint8_t *key)
{
    if (privilege != SimXcpKey::kResource)
        return kPrivilegeNotAvailable;
    if (seedLength == 0 || !seed)
        return kInvalidSeedLength;
    if (!keyLength || !key || *keyLength < seedLength)
        return kUnsufficientKeyLength;
    SimXcpKey::compute(seed, seedLength, key);
#ifdef PELM_WRONG_KEY
    key[0] = std::uint8_t(key[0] ^ 0xFF);
#endif
    *keyLength = seedLength;
    return kAck;
}

// libFuzzer entry: the XCP layer's handling of answers. The input is a script of answer
// packets (a length byte, then that many bytes; a length of 0 is an exchange without
// answer) that a fake link hands out, one per command, while the layer connects, erases,
// programs and ends a session. Whatever comes back, the layer must stay within the packets
// and its own limits (no division by zero on MAX_CTO_PGM, no key longer than UNLOCK takes).

#include "update/Xcp.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const uint8_t *g_data = nullptr;
size_t g_size = 0;
int g_exchanges = 0;

/// Exchanges before the script is cut off (bounds the retries of a run).
constexpr int kMaxExchanges = 400;

Ble *fakeCreate(const QString &)
{
    return nullptr;
}
void fakeDestroy() {}
bool fakeOpen()
{
    return true;
}
void fakeClose() {}
bool fakeExchange(const TransportPacket *tx, TransportPacket *rx, quint16)
{
    if (!tx || !rx || tx->len > TransportPacket::kCapacity)
        std::abort();
    if (g_size == 0 || ++g_exchanges > kMaxExchanges)
        return false;
    const size_t n = g_data[0];
    ++g_data;
    --g_size;
    if (n == 0 || n > g_size || n > TransportPacket::kCapacity)
        return false;
    rx->len = quint8(n);
    std::memcpy(rx->data, g_data, n);
    g_data += n;
    g_size -= n;
    return true;
}
const BleLinkTable kFakeTable = {fakeCreate, fakeDestroy, fakeOpen, fakeClose, fakeExchange};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    g_data = data;
    g_size = size;
    g_exchanges = 0;

    XcpLoader xcp;
    XcpSettings settings;
    settings.linkTable = &kFakeTable;
    settings.encrypted = 1;
    xcp.Init(settings);
    // A key routine that gives a key of the seed's length.
    xcp.setKeyRoutine([](quint8, const QByteArray &seed, QByteArray *key) {
        *key = seed;
        return true;
    });
    static const quint8 image[300] = {};
    if (xcp.Start() == 0) {
        if (xcp.maxCtoPgm() < XcpLoader::kMinMaxCtoPgm)
            std::abort();
        xcp.EraseRange(0x08000000, 300);
        xcp.WriteData(0x08000000, 300, image);
        xcp.WriteData(0xFFFFFF00u, 256, image);
        xcp.Stop();
    }
    xcp.Terminate();
    return 0;
}

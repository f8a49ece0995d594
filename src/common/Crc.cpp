#include "common/Crc.h"

namespace Crc {

namespace {
constexpr quint16 kModbusInitial = 0xFFFF;
constexpr quint16 kModbusPolynomial = 0xA001; ///< 0x8005 reflected
constexpr int kBitsPerByte = 8;
} // namespace

quint16 modbus(const QByteArray &bytes)
{
    quint16 crc = kModbusInitial;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < kBitsPerByte; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ kModbusPolynomial) : quint16(crc >> 1);
    }
    return crc;
}

} // namespace Crc

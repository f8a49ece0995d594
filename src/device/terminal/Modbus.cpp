#include "device/terminal/Modbus.h"

#include "common/Crc.h"

namespace Modbus {

namespace {
constexpr int kMinFieldsForData = 5; ///< head + CRC: data and CRC are shown from here on

quint16 be16(const QByteArray &bytes, int at)
{
    return quint16((quint8(bytes.at(at)) << 8) | quint8(bytes.at(at + 1)));
}
} // namespace

quint16 crc16(const QByteArray &bytes)
{
    return Crc::modbus(bytes);
}

QByteArray withCrc(const QByteArray &bytes)
{
    const quint16 crc = crc16(bytes);
    return bytes + char(crc & 0xFF) + char(crc >> 8);
}

bool parseRequest(const QByteArray &bytes, Request *request)
{
    if (bytes.size() != kRequestSize)
        return false;
    Request r;
    r.slave = quint8(bytes.at(0));
    r.function = quint8(bytes.at(1));
    r.start = be16(bytes, 2);
    r.quantity = be16(bytes, 4);
    if (request)
        *request = r;
    return true;
}

int expectedByteCount(const Request &request)
{
    switch (request.function) {
    case kReadCoils:
    case kReadDiscreteInputs:
        return (request.quantity + kBitsPerByte - 1) / kBitsPerByte;
    case kReadHoldingRegisters:
    case kReadInputRegisters:
        return request.quantity * kBytesPerRegister;
    default:
        return request.quantity;
    }
}

bool isCompleteResponse(const QByteArray &buffer)
{
    if (buffer.size() < kResponseHeadSize)
        return false;
    const quint8 function = quint8(buffer.at(1));
    if (function < kReadCoils || function > kReadInputRegisters)
        return false;
    return quint8(buffer.at(2)) + kResponseHeadSize + kCrcSize == buffer.size();
}

QVector<Field> checkResponse(const QByteArray &buffer, const Request &request)
{
    QVector<Field> fields;
    const int expected = expectedByteCount(request);
    if (buffer.size() >= 1)
        fields.append({buffer.mid(0, 1), quint8(buffer.at(0)) == request.slave});
    if (buffer.size() >= 2)
        fields.append({buffer.mid(1, 1), quint8(buffer.at(1)) == request.function});
    if (buffer.size() >= 3)
        fields.append({buffer.mid(2, 1), int(quint8(buffer.at(2))) == expected});
    if (buffer.size() >= kMinFieldsForData) {
        const QByteArray data = buffer.mid(kResponseHeadSize, buffer.size() - kResponseHeadSize - kCrcSize);
        fields.append({data, data.size() == expected});
        const QByteArray crc = buffer.right(kCrcSize);
        fields.append({crc, withCrc(buffer.left(buffer.size() - kCrcSize)).right(kCrcSize) == crc});
    }
    return fields;
}

} // namespace Modbus

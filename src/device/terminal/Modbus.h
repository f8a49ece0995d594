#pragma once
// Modbus RTU as the serial terminal shows it: one read request typed by the user (its CRC
// included) and the response collected from the radio module, split into its fields and
// checked against the request.

#include <QByteArray>
#include <QVector>

namespace Modbus {

/// Function codes of the read requests.
enum Function : quint8
{
    kReadCoils = 1,
    kReadDiscreteInputs = 2,
    kReadHoldingRegisters = 3,
    kReadInputRegisters = 4,
};
/// Set in the function code of an exception response.
constexpr quint8 kExceptionFlag = 0x80;

/// A read request: slave address, function, start address, quantity, CRC (low byte first).
constexpr int kRequestSize = 8;
constexpr int kCrcSize = 2;
/// Slave address, function code and byte count head every read response.
constexpr int kResponseHeadSize = 3;
constexpr int kBitsPerByte = 8;
constexpr int kBytesPerRegister = 2;

/// CRC-16/MODBUS (see Crc::modbus).
quint16 crc16(const QByteArray &bytes);
/// bytes followed by their CRC, low byte first.
QByteArray withCrc(const QByteArray &bytes);

/// The fields of a read request. A request with slave address 0 counts as none.
struct Request
{
    quint8 slave = 0;
    quint8 function = 0;
    quint16 start = 0;
    quint16 quantity = 0;

    bool isPending() const { return slave != 0; }
};

/// Reads the fields of an 8-byte request (start address and quantity big-endian; the CRC is
/// not checked). False, and *request unchanged, for any other length.
bool parseRequest(const QByteArray &bytes, Request *request);

/// The byte count a response to the request must carry: quantity / 8 rounded up for coils and
/// discrete inputs, quantity * 2 for registers, the quantity itself for any other function.
int expectedByteCount(const Request &request);

/// Whether the collected bytes are a whole read response: at least 3 bytes, a read function
/// code (1 to 4) and as many bytes as the byte count announces plus head and CRC. An exception
/// response is never whole by this rule.
bool isCompleteResponse(const QByteArray &buffer);

/// One field of a response as received, and whether it is what the request asks for.
struct Field
{
    QByteArray bytes;
    bool matches = false;
    bool operator==(const Field &o) const { return bytes == o.bytes && matches == o.matches; }
};

/// The fields of the collected response bytes, as many as there are bytes for: slave address,
/// function code, byte count, then (from 5 bytes on) the data bytes and the CRC (the last two
/// bytes). Each field matches when it equals the request's slave address or function, the
/// expected byte count, a data length equal to that count, or the CRC of all bytes before it.
QVector<Field> checkResponse(const QByteArray &buffer, const Request &request);

} // namespace Modbus

#include "sim/SimRadioModule.h"

#include "common/Bytes.h"
#include "common/Crc.h"

namespace {

constexpr int kBitsPerByte = 8;

// Modbus RTU, as far as the simulated radio module answers it.
constexpr int kModbusRequestSize = 8;
constexpr quint8 kModbusReadCoils = 1;
constexpr quint8 kModbusReadDiscreteInputs = 2;
constexpr quint8 kModbusReadHolding = 3;
constexpr quint8 kModbusReadInput = 4;
constexpr quint8 kModbusExceptionFlag = 0x80;
constexpr quint8 kModbusIllegalFunction = 1;
constexpr quint8 kModbusIllegalAddress = 2;
constexpr int kModbusMaxRegisters = 125;
constexpr int kModbusMaxBits = 2000;
constexpr int kModbusAddressSpace = 0x10000;
/// Input register n holds this + n (holding register n holds n + 1).
constexpr quint16 kModbusInputRegisterBase = 0x1000;
/// Coil n is on when n is a multiple of this; discrete input n when n is odd.
constexpr int kModbusCoilPeriod = 3;

} // namespace

QByteArray SimRadioModule::take(int maxBytes)
{
    const QByteArray out = m_out.left(maxBytes);
    m_out.remove(0, out.size());
    return out;
}

void SimRadioModule::receive(const QByteArray &bytes)
{
    m_in.append(bytes);
    if (m_in.size() > kInputHistoryBytes)
        m_in.remove(0, m_in.size() - kInputHistoryBytes);
    // A Modbus RTU request with a valid CRC goes to the module's Modbus slave, which answers
    // only its own address; anything else is echoed as the module's console does with text.
    if (bytes.size() == kModbusRequestSize) {
        const quint16 crc = Crc::modbus(bytes.left(kModbusRequestSize - 2));
        const quint16 sent =
            Bytes::le16(bytes, kModbusRequestSize - 2); // Modbus sends its CRC low byte first
        if (crc == sent) {
            if (quint8(bytes.at(0)) == m_slave)
                m_out.append(modbusResponse(bytes));
            return;
        }
    }
    m_out.append(bytes);
}

QByteArray SimRadioModule::modbusResponse(const QByteArray &request) const
{
    const quint8 slave = quint8(request.at(0));
    const quint8 function = quint8(request.at(1));
    const int start = (quint8(request.at(2)) << 8) | quint8(request.at(3));
    const int quantity = (quint8(request.at(4)) << 8) | quint8(request.at(5));
    const bool bits = function == kModbusReadCoils || function == kModbusReadDiscreteInputs;
    const bool registers = function == kModbusReadHolding || function == kModbusReadInput;
    const int maxQuantity = bits ? kModbusMaxBits : kModbusMaxRegisters;

    QByteArray response(1, char(slave));
    quint8 exception = m_exception;
    if (exception == 0 && !bits && !registers)
        exception = kModbusIllegalFunction;
    if (exception == 0 && (quantity < 1 || quantity > maxQuantity || start + quantity > kModbusAddressSpace))
        exception = kModbusIllegalAddress;
    if (exception != 0) {
        response.append(char(function | kModbusExceptionFlag));
        response.append(char(exception));
    } else if (bits) {
        QByteArray data((quantity + kBitsPerByte - 1) / kBitsPerByte, '\0');
        for (int i = 0; i < quantity; ++i) {
            const int n = start + i;
            const bool on = function == kModbusReadCoils ? n % kModbusCoilPeriod == 0 : n % 2 == 1;
            if (on)
                data[i / kBitsPerByte] = char(quint8(data.at(i / kBitsPerByte)) | (1 << (i % kBitsPerByte)));
        }
        response.append(char(function));
        response.append(char(data.size()));
        response.append(data);
    } else {
        response.append(char(function));
        response.append(char(quantity * 2));
        for (int r = 0; r < quantity; ++r) {
            const int n = start + r;
            const quint16 value =
                function == kModbusReadHolding ? quint16(n + 1) : quint16(kModbusInputRegisterBase + n);
            response.append(char(value >> 8));
            response.append(char(value & 0xFF));
        }
    }
    Bytes::appendLe16(response, Crc::modbus(response)); // CRC low byte first
    return response;
}

#pragma once
// The radio module behind the simulated device's serial port (commands 6 and 7).
// Bytes sent to the module come back as its console echoes them, except a Modbus RTU
// request with a valid CRC: the module's Modbus slave answers it when it is addressed to it
// (and stays silent otherwise). It serves reads of coils (coil n on when n is a multiple of
// 3), discrete inputs (on when n is odd), holding registers (register n holds n + 1) and
// input registers (register n holds 0x1000 + n); other functions get the exception
// "illegal function" (1), a quantity out of range "illegal data address" (2).

#include <QByteArray>
#include <QtGlobal>

class SimRadioModule
{
public:
    static constexpr quint8 kDefaultModbusSlave = 1;
    /// Latest bytes kept of what the module received.
    static constexpr int kInputHistoryBytes = 64 * 1024;

    /// Bytes the host sent to the module (command 6).
    void receive(const QByteArray &bytes);
    /// Up to maxBytes of what the module sent back (command 7); taken out.
    QByteArray take(int maxBytes);
    /// The latest bytes received (at most kInputHistoryBytes).
    const QByteArray &input() const { return m_in; }
    void clearInput() { m_in.clear(); }

    void setModbusSlave(quint8 address) { m_slave = address; }
    /// Answers every request to the slave with this exception code; 0: answer normally.
    void setModbusException(quint8 code) { m_exception = code; }

private:
    QByteArray modbusResponse(const QByteArray &request) const;

    QByteArray m_in;
    QByteArray m_out;
    quint8 m_slave = kDefaultModbusSlave;
    quint8 m_exception = 0;
};

#pragma once
// CRC-16/MODBUS (initial value FFFF, reflected polynomial A001, no final XOR): the check of
// Modbus RTU frames, computed the same way by the terminal and by the simulated radio module.

#include <QByteArray>
#include <QtGlobal>

namespace Crc {

/// CRC-16/MODBUS of bytes; its check value ("123456789") is 4B37.
quint16 modbus(const QByteArray &bytes);

} // namespace Crc

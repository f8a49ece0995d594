#pragma once
// LoRaWAN keys for tests. They are distinctive: no run of their digits appears anywhere else by
// chance, so a scan of what a run printed finds them only where they leaked.

#include <QByteArray>

namespace TestKeys {

inline const QByteArray kAppEui = QByteArray::fromHex("D0E1F2A3B4C5D6E7");
inline const QByteArray kAppKey = QByteArray::fromHex("2B7E151628AED2A6ABF7158809CF4F3C");
/// A second pair, for a second device.
inline const QByteArray kOtherAppEui = QByteArray::fromHex("A1B2C3D4E5F60718");
inline const QByteArray kOtherAppKey = QByteArray::fromHex("C0FFEE0BADF00D15DEADBEEF8BADF00D");

} // namespace TestKeys

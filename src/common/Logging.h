#pragma once
// One logging category per subsystem. Debug output is off by default; `--verbose` on both
// programs switches every category on, and QT_LOGGING_RULES (which Qt applies after the
// program's own rules) still decides per category, as Qt users expect:
//   QT_LOGGING_RULES="pelm.protocol.debug=true" pelm-cli device info
// LoRaWAN keys never reach any category: the protocol trace redacts their values.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcUsb)      ///< "pelm.usb": USB HID transport
Q_DECLARE_LOGGING_CATEGORY(lcBle)      ///< "pelm.ble": BLE transports and scan
Q_DECLARE_LOGGING_CATEGORY(lcProtocol) ///< "pelm.protocol": requests and answers as hex
Q_DECLARE_LOGGING_CATEGORY(lcSession)  ///< "pelm.session": device probe and transactions
Q_DECLARE_LOGGING_CATEGORY(lcSim)      ///< "pelm.sim": the simulated device
Q_DECLARE_LOGGING_CATEGORY(lcUpdate)   ///< "pelm.update": firmware update
Q_DECLARE_LOGGING_CATEGORY(lcTools)    ///< "pelm.tools": terminal, frames, keys, auto configuration

namespace Logging {
/// Switches the debug output of every "pelm." category on (written to stderr by Qt's default
/// message handler). Rules in QT_LOGGING_RULES still take precedence.
void enableVerbose();
} // namespace Logging

#include "common/Logging.h"

// Debug messages are off unless switched on (--verbose or QT_LOGGING_RULES).
Q_LOGGING_CATEGORY(lcUsb, "pelm.usb", QtInfoMsg)
Q_LOGGING_CATEGORY(lcBle, "pelm.ble", QtInfoMsg)
Q_LOGGING_CATEGORY(lcProtocol, "pelm.protocol", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSession, "pelm.session", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSim, "pelm.sim", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUpdate, "pelm.update", QtInfoMsg)
Q_LOGGING_CATEGORY(lcTools, "pelm.tools", QtInfoMsg)

namespace Logging {

void enableVerbose()
{
    QLoggingCategory::setFilterRules(QStringLiteral("pelm.*.debug=true"));
}

} // namespace Logging

#pragma once
// Debug log of the firmware update ("pelm.update"): the steps of the XCP session, the
// YMODEM transfer and the updater's flow, one text line each.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcUpdate)

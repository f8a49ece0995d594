#include "device/session/SessionLog.h"

#include "common/Logging.h"

TransactionLog::TransactionLog(const char *name) : m_name(name)
{
    qCDebug(lcSession).noquote() << QStringLiteral("%1: start").arg(QLatin1String(m_name));
}

TransactionLog::~TransactionLog()
{
    qCDebug(lcSession).noquote() << QStringLiteral("%1: end, %2")
                                        .arg(QLatin1String(m_name),
                                             m_result.isEmpty() ? QStringLiteral("failed") : m_result);
}

#pragma once
// The session log ("pelm.session", debug): the start and the end, with its result, of each
// device transaction.

#include <QString>

/// Logs "<name>: start" when made and "<name>: end, result <r>" (or "ok"/"failed") when it
/// goes. A transaction that leaves before setting its result (a refusal, no transport) ends
/// "failed".
class TransactionLog
{
public:
    explicit TransactionLog(const char *name);
    ~TransactionLog();
    TransactionLog(const TransactionLog &) = delete;
    TransactionLog &operator=(const TransactionLog &) = delete;

    /// Sets the result and hands it back: `return log.result(doLoad(timeoutMs));`.
    int result(int value)
    {
        m_result = QString::number(value);
        return value;
    }
    bool ok(bool value)
    {
        m_result = value ? QStringLiteral("ok") : QStringLiteral("failed");
        return value;
    }

private:
    const char *m_name;
    QString m_result;
};

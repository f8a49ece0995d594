#pragma once
// A transport for protocol tests: records every message written and answers each write with
// the next scripted group of answer bytes. Reads take bytes from what is waiting and, like
// the USB transport, return fewer bytes than asked (0 when nothing waits) instead of waiting.

#include "links/Comm.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <cstring>

class ScriptedComm : public Comm
{
public:
    explicit ScriptedComm(quint8 linkCode = kLinkUsbHid) : Comm(linkCode) {}

    bool open() override { return connected; }
    bool isConnected() override { return connected; }
    qint32 close() override { return 0; }

    qint32 read(quint8 *buffer, quint32 length, qint32 timeoutMs) override
    {
        Q_UNUSED(timeoutMs)
        ++reads;
        if (!connected)
            return -1;
        const int n = std::min(int(length), incoming.size());
        std::memcpy(buffer, incoming.constData(), size_t(n));
        incoming.remove(0, n);
        return n;
    }

    qint32 write(const quint8 *data, quint32 length) override
    {
        written.append(QByteArray(reinterpret_cast<const char *>(data), int(length)));
        if (!connected)
            return -1;
        if (!script.isEmpty()) {
            for (const QByteArray &answer : script.takeFirst())
                incoming += answer;
        }
        return shortWrite ? qint32(length) - 1 : qint32(length);
    }

    /// Answers of the next write, in order.
    void then(const QList<QByteArray> &answers) { script.append(answers); }
    void then(const QByteArray &answer) { script.append(QList<QByteArray>{answer}); }

    bool connected = true;
    bool shortWrite = false; ///< write reports one byte less than it was given
    int reads = 0;
    QList<QByteArray> written; ///< every message written
    QByteArray incoming;       ///< bytes waiting to be read
    QList<QList<QByteArray>> script;
};

/// An answer message: link code, status, payload length (little-endian), payload.
inline QByteArray answerMsg(quint8 link, quint8 status, const QByteArray &payload)
{
    QByteArray m;
    m.append(char(link));
    m.append(char(status));
    m.append(char(payload.size() & 0xFF));
    m.append(char((payload.size() >> 8) & 0xFF));
    return m + payload;
}

/// A USB answer with hex payload ("06 A1 A2").
inline QByteArray usb(quint8 status, const char *hexPayload)
{
    return answerMsg(Comm::kLinkUsbHid, status, QByteArray::fromHex(hexPayload));
}

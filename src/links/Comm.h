#pragma once
// The byte transport the device protocol runs over (USB HID or BLE). A transport moves
// opaque messages; its only protocol-visible property is its one-byte link code, written
// first in every request and expected first in every answer.

#include <QtGlobal>

class Comm
{
public:
    /// Link codes of the transports.
    enum LinkCode : quint8
    {
        kLinkUsbHid = 0x75,
        kLinkBle = 0x62
    };

    explicit Comm(quint8 linkCode) : m_linkCode(linkCode) {}
    Comm(const Comm &) = delete;
    Comm &operator=(const Comm &) = delete;
    /// Closes the link if open (each transport's destructor does it).
    virtual ~Comm() = default;

    /// Opens (or, for BLE, connects to) the device; true on success.
    virtual bool open() = 0;
    /// Whether the link is usable right now.
    virtual bool isConnected() = 0;
    /// Closes the link; does nothing when already closed. Always 0.
    virtual qint32 close() = 0;
    /// Reads exactly length bytes; returns length on success, fewer (USB) or 0 (BLE) on timeout,
    /// -1 on error. The timeout bounds each wait for payload: a packet that brings payload
    /// bytes starts it again, one without (an empty USB report) does not.
    virtual qint32 read(quint8 *buffer, quint32 length, qint32 timeoutMs) = 0;
    /// Sends the bytes as one message; returns length on success, -1 on failure.
    virtual qint32 write(const quint8 *data, quint32 length) = 0;
    /// Waits until the peer drops the link, then closes (BLE only).
    virtual void waitForDisconnection(quint16 timeoutMs) { Q_UNUSED(timeoutMs) }
    /// Asks the peer for new connection timing (BLE only).
    virtual void setConnectionInterval(double minMs, double maxMs)
    {
        Q_UNUSED(minMs)
        Q_UNUSED(maxMs)
    }

    quint8 linkCode() const { return m_linkCode; }

private:
    const quint8 m_linkCode;
};

#pragma once
// An in-process transport to a SimDevice: each write hands the message to the device and
// queues its answers; reads take queued bytes and return at once with what is there (a
// silent device costs no waiting). An unplugged device fails reads and writes with -1.

#include "device/protocol/Protocol.h"
#include "links/Comm.h"
#include "sim/SimDevice.h"

#include <algorithm>
#include <cstring>

class SimComm : public Comm
{
public:
    SimComm(SimDevice &device, quint8 linkCode = kLinkUsbHid, bool *destroyed = nullptr)
        : Comm(linkCode), m_device(device), m_destroyed(destroyed)
    {
    }
    ~SimComm() override
    {
        if (m_destroyed)
            *m_destroyed = true;
    }

    bool open() override { return opens && m_device.isPlugged(); }
    bool isConnected() override { return m_device.isPlugged(); }
    qint32 close() override { return 0; }

    qint32 read(quint8 *buffer, quint32 length, qint32 timeoutMs) override
    {
        Q_UNUSED(timeoutMs)
        if (!m_device.isPlugged())
            return -1;
        const int n = std::min(int(length), m_incoming.size());
        std::memcpy(buffer, m_incoming.constData(), size_t(n));
        m_incoming.remove(0, n);
        return n;
    }

    qint32 write(const quint8 *data, quint32 length) override
    {
        if (!m_device.isPlugged())
            return -1;
        const QByteArray message(reinterpret_cast<const char *>(data), int(length));
        for (const QByteArray &answer : m_device.handleRequest(message))
            m_incoming += answer;
        return qint32(length);
    }

    bool opens = true;

private:
    SimDevice &m_device;
    bool *m_destroyed;
    QByteArray m_incoming;
};

/// The identification a fresh simulated device answers with.
inline DeviceInfo simulatedDeviceInfo()
{
    DeviceInfo info;
    info.orvType = SimDevice::kDeviceType;
    info.orvRev = SimDevice::kDefaultRevision;
    info.kivType = SimDevice::kKivType;
    info.kivRev = SimDevice::kDefaultKivRevision;
    info.versionWord = SimDevice::kDefaultVersionWord;
    info.bufferSize = SimDevice::kDefaultBufferSize;
    return info;
}

#pragma once
// A transport fed by the fuzzer: writes always succeed, and every read takes its bytes from
// the fuzz input, in order, at once (no waiting: the timeouts are ignored). Like the USB
// transport a short read returns the bytes there are; with wholeReads set it behaves like the
// BLE transport, whose read that times out returns 0 and loses what it had taken.

#include "links/Comm.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

class FuzzComm : public Comm
{
public:
    FuzzComm(quint8 linkCode, bool wholeReads, const quint8 *data, size_t size)
        : Comm(linkCode), m_wholeReads(wholeReads), m_data(data), m_size(size)
    {
    }

    bool open() override { return true; }
    bool isConnected() override { return true; }
    qint32 close() override { return 0; }

    qint32 read(quint8 *buffer, quint32 length, qint32 timeoutMs) override
    {
        Q_UNUSED(timeoutMs)
        ++reads;
        const size_t n = std::min(size_t(length), m_size - m_pos);
        if (m_wholeReads && n < length) {
            m_pos = m_size;
            return 0;
        }
        if (n > 0)
            std::memcpy(buffer, m_data + m_pos, n);
        m_pos += n;
        return qint32(n);
    }

    qint32 write(const quint8 *data, quint32 length) override
    {
        Q_UNUSED(data)
        ++writes;
        return qint32(length);
    }

    /// Input bytes not read yet.
    size_t left() const { return m_size - m_pos; }

    int reads = 0;
    int writes = 0;

private:
    const bool m_wholeReads;
    const quint8 *m_data;
    const size_t m_size;
    size_t m_pos = 0;
};

#include "links/CommUsbHid.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

/// Byte positions inside a report.
enum ReportByte : int
{
    kInLengthByte = 0,
    kInPayload = 1
};
enum OutputReportByte : int
{
    kOutReportId = 0,
    kOutLengthByte = 1,
    kOutPayload = 2
};

/// The device has no numbered reports: every output report goes out with report id 0.
constexpr unsigned char kNoReportId = 0;

constexpr quint32 kMaxMessageLength = quint32(std::numeric_limits<qint32>::max());

/// Receive remainder, one per process: the unread payload tail of the last report.
/// Only the GUI thread touches it.
unsigned char s_remainder[CommUsbHid::kReportSize];
quint32 s_remainderCount = 0;

} // namespace

CommUsbHid::CommUsbHid() : Comm(kLinkUsbHid) {}

CommUsbHid::~CommUsbHid()
{
    CommUsbHid::close();
}

bool CommUsbHid::open()
{
    close();
    m_handle = hidApi().open(m_vendorId, m_productId, nullptr);
    return m_handle != nullptr;
}

bool CommUsbHid::open(quint16 vendorId, quint16 productId)
{
    m_vendorId = vendorId;
    m_productId = productId;
    return open();
}

bool CommUsbHid::openFirst()
{
    for (const UsbHidIdentity &id : kIdentities) {
        if (open(id.vendorId, id.productId))
            return true;
    }
    return false;
}

bool CommUsbHid::isConnected()
{
    if (!m_handle)
        return false;
    wchar_t manufacturer[kManufacturerChars];
    return hidApi().getManufacturerString(m_handle, manufacturer, kManufacturerChars) >= 0;
}

qint32 CommUsbHid::close()
{
    if (m_handle) {
        hidApi().close(m_handle);
        m_handle = nullptr;
    }
    return 0;
}

qint32 CommUsbHid::read(quint8 *buffer, quint32 length, qint32 timeoutMs)
{
    if (length > kMaxMessageLength || (!buffer && length > 0))
        return -1;
    const int reportTimeoutMs = std::max(timeoutMs, 0);
    quint32 copied = 0;
    for (;;) {
        const quint32 wanted = length - copied;
        if (s_remainderCount <= wanted) {
            if (s_remainderCount > 0)
                std::memcpy(buffer + copied, s_remainder, s_remainderCount);
            copied += s_remainderCount;
            s_remainderCount = 0;
        } else {
            std::memcpy(buffer + copied, s_remainder, wanted);
            std::memmove(s_remainder, s_remainder + wanted, s_remainderCount - wanted);
            s_remainderCount -= wanted;
            return qint32(length);
        }
        if (copied == length)
            return qint32(length);
        if (!m_handle)
            return -1;

        unsigned char report[kReportSize];
        const int got = hidApi().readTimeout(m_handle, report, kReportSize, reportTimeoutMs);
        if (got == 0)
            return qint32(copied);
        if (got != kReportSize)
            return -1;
        const int payload = report[kInLengthByte];
        if (payload > kMaxReportPayload)
            return -1;
        std::memcpy(s_remainder, report + kInPayload, size_t(payload));
        s_remainderCount = quint32(payload);
    }
}

qint32 CommUsbHid::write(const quint8 *data, quint32 length)
{
    if (!data)
        return -1;
    if (length == 0)
        return 0;
    if (length > kMaxMessageLength || !m_handle)
        return -1;

    unsigned char report[kOutputReportSize];
    for (quint32 offset = 0; offset < length; offset += kMaxReportPayload) {
        const quint32 chunk = std::min<quint32>(kMaxReportPayload, length - offset);
        std::fill(std::begin(report), std::end(report), 0);
        report[kOutReportId] = kNoReportId;
        report[kOutLengthByte] = static_cast<unsigned char>(chunk);
        std::memcpy(report + kOutPayload, data + offset, chunk);
        if (hidApi().write(m_handle, report, kOutputReportSize) != kOutputReportSize)
            return -1;
    }
    return qint32(length);
}

quint32 CommUsbHid::remainderCount()
{
    return s_remainderCount;
}

void CommUsbHid::resetRemainder()
{
    s_remainderCount = 0;
}

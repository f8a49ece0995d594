#include "links/CommUsbHid.h"

#include "common/Logging.h"

#include <QElapsedTimer>
#include <QList>

#include <hidapi.h>

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

/// The devices the enumeration lists for exactly these ids, in its order (not opened).
QList<UsbHidDevice> listedDevices(quint16 vendorId, quint16 productId)
{
    QList<UsbHidDevice> found;
    // hidapi takes 0 as "any id"; no device of ours has id 0.
    if (vendorId == 0 || productId == 0)
        return found;
    const HidApi &api = hidApi();
    hid_device_info *devices = api.enumerate(vendorId, productId);
    for (const hid_device_info *d = devices; d; d = d->next) {
        if (d->vendor_id != vendorId || d->product_id != productId || !d->path)
            continue;
        UsbHidDevice device;
        device.vendorId = vendorId;
        device.productId = productId;
        device.path = QByteArray(d->path);
        if (d->product_string)
            device.product = QString::fromWCharArray(d->product_string);
        found.append(device);
    }
    if (devices)
        api.freeEnumeration(devices);
    return found;
}

/// The paths the enumeration lists for exactly these ids, in its order.
QList<QByteArray> listedPaths(quint16 vendorId, quint16 productId)
{
    QList<QByteArray> paths;
    for (const UsbHidDevice &d : listedDevices(vendorId, productId))
        paths.append(d.path);
    return paths;
}

/// Receive remainder, one per process: the unread payload tail of the last report.
/// Only the GUI thread touches it.
unsigned char s_remainder[CommUsbHid::kReportSize];
quint32 s_remainderCount = 0;

/// The last path that could not be opened: a poll that keeps failing on it logs it once.
QByteArray s_failedPath;

QString ids(quint16 vendorId, quint16 productId)
{
    return QStringLiteral("%1:%2")
        .arg(vendorId, 4, 16, QLatin1Char('0'))
        .arg(productId, 4, 16, QLatin1Char('0'));
}

} // namespace

QString UsbHidDevice::ids() const
{
    return ::ids(vendorId, productId);
}

CommUsbHid::CommUsbHid() : Comm(kLinkUsbHid) {}

CommUsbHid::~CommUsbHid()
{
    CommUsbHid::close();
}

bool CommUsbHid::open()
{
    close();
    m_refused = UsbHidDevice();
    const QList<UsbHidDevice> devices = listedDevices(m_vendorId, m_productId);
    if (devices.isEmpty())
        return false;
    const QByteArray &path = devices.first().path;
    m_handle = hidApi().openPath(path.constData());
    m_goneLogged = false;
    if (!m_handle) {
        if (s_failedPath != path)
            qCDebug(lcUsb).noquote() << "can't open" << ids(m_vendorId, m_productId) << "at" << path
                                     << "(no access to the device file?)";
        s_failedPath = path;
        m_refused = devices.first();
        return false;
    }
    s_failedPath.clear();
    m_path = path;
    qCDebug(lcUsb).noquote() << "opened" << ids(m_vendorId, m_productId) << "at" << m_path;
    if (s_remainderCount > 0)
        qCDebug(lcUsb) << s_remainderCount << "bytes of an earlier answer wait for the next read";
    return true;
}

bool CommUsbHid::open(quint16 vendorId, quint16 productId)
{
    m_vendorId = vendorId;
    m_productId = productId;
    return open();
}

bool CommUsbHid::openFirst()
{
    UsbHidDevice refused;
    for (const UsbHidIdentity &id : kIdentities) {
        if (open(id.vendorId, id.productId))
            return true;
        if (refused.isNull())
            refused = m_refused;
    }
    m_refused = refused;
    return false;
}

bool CommUsbHid::isConnected()
{
    if (!m_handle)
        return false;
    if (!isListed(m_vendorId, m_productId, m_path)) {
        if (!m_goneLogged)
            qCDebug(lcUsb).noquote() << ids(m_vendorId, m_productId) << "at" << m_path
                                     << "is no longer listed: unplugged";
        m_goneLogged = true;
        return false;
    }
    wchar_t manufacturer[kManufacturerChars];
    if (hidApi().getManufacturerString(m_handle, manufacturer, kManufacturerChars) >= 0)
        return true;
    if (!m_goneLogged)
        qCDebug(lcUsb).noquote() << ids(m_vendorId, m_productId) << "at" << m_path << "does not answer";
    m_goneLogged = true;
    return false;
}

qint32 CommUsbHid::close()
{
    if (m_handle) {
        hidApi().close(m_handle);
        m_handle = nullptr;
        qCDebug(lcUsb).noquote() << "closed" << m_path;
    }
    m_path.clear();
    return 0;
}

bool CommUsbHid::isListed(quint16 vendorId, quint16 productId, const QByteArray &path)
{
    return !path.isEmpty() && listedPaths(vendorId, productId).contains(path);
}

QList<UsbHidDevice> CommUsbHid::survey()
{
    QList<UsbHidDevice> found;
    for (const UsbHidIdentity &id : kIdentities) {
        for (UsbHidDevice device : listedDevices(id.vendorId, id.productId)) {
            if (hid_device *handle = hidApi().openPath(device.path.constData())) {
                device.opens = true;
                hidApi().close(handle);
            }
            found.append(device);
        }
    }
    return found;
}

qint32 CommUsbHid::read(quint8 *buffer, quint32 length, qint32 timeoutMs)
{
    if (length > kMaxMessageLength || (!buffer && length > 0))
        return -1;
    // Only payload bytes buy the device more time: a stream of empty reports (or of nothing
    // useful) must not hold the caller beyond one timeout.
    const qint64 waitMs = std::max(timeoutMs, 0);
    QElapsedTimer clock;
    clock.start();
    qint64 deadlineMs = waitMs;
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
        const int reportWaitMs = int(std::max<qint64>(deadlineMs - clock.elapsed(), 0));
        const int got = hidApi().readTimeout(m_handle, report, kReportSize, reportWaitMs);
        if (got == 0) {
            qCDebug(lcUsb) << "read timeout:" << copied << "of" << length << "bytes after" << clock.elapsed()
                           << "ms";
            return qint32(copied);
        }
        if (got != kReportSize) {
            if (got < 0)
                qCDebug(lcUsb) << "read failed: hidapi error";
            else
                qCDebug(lcUsb) << "read failed: report of" << got << "bytes";
            return -1;
        }
        const int payload = report[kInLengthByte];
        if (payload > kMaxReportPayload) {
            qCDebug(lcUsb) << "read failed: report announces" << payload << "payload bytes";
            return -1;
        }
        std::memcpy(s_remainder, report + kInPayload, size_t(payload));
        s_remainderCount = quint32(payload);
        if (payload > 0)
            deadlineMs = clock.elapsed() + waitMs;
        else if (clock.elapsed() >= deadlineMs) {
            qCDebug(lcUsb) << "read timeout (only empty reports):" << copied << "of" << length
                           << "bytes after" << clock.elapsed() << "ms";
            return qint32(copied);
        }
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
        if (hidApi().write(m_handle, report, kOutputReportSize) != kOutputReportSize) {
            qCDebug(lcUsb) << "write failed after" << offset << "of" << length << "bytes";
            return -1;
        }
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

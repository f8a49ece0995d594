#pragma once
// The USB HID transport. The device enumerates as a HID device with 8-byte reports; each
// report carries a length byte (0 to 7) and up to 7 payload bytes. A message is cut into
// 7-byte chunks on the way out; on the way in, the unread tail of the last report is kept
// in a receive remainder shared by the whole process, so it outlives close and open.
// A device is found in hidapi's enumeration and opened by its path; it counts as connected
// while the enumeration still lists that path.

#include "links/Comm.h"
#include "links/HidApi.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>

/// A USB vendor/product id pair the device can enumerate with.
struct UsbHidIdentity
{
    quint16 vendorId;
    quint16 productId;
};

/// A HID device of one of the device identities, as the enumeration lists it.
struct UsbHidDevice
{
    quint16 vendorId = 0;
    quint16 productId = 0;
    QByteArray path; ///< empty: no device
    QString product; ///< the product string the enumeration gives (may be empty)
    bool opens = false;

    bool isNull() const { return path.isEmpty(); }
    /// The ids as "04d8:0240".
    QString ids() const;
};

class CommUsbHid : public Comm
{
public:
    /// Size of a device report (length byte + payload), both directions.
    static constexpr int kReportSize = 8;
    /// Size of an output report as handed to hidapi: report id 0 + the device report.
    static constexpr int kOutputReportSize = kReportSize + 1;
    /// Payload bytes one report carries at most.
    static constexpr int kMaxReportPayload = kReportSize - 1;
    /// Room given to the manufacturer string of the liveness probe, in characters.
    static constexpr int kManufacturerChars = 64;

    /// The identities the device enumerates with, in the order they are tried.
    static constexpr std::array<UsbHidIdentity, 2> kIdentities = {{{0x04D8, 0x0240}, {0x0483, 0xA236}}};

    CommUsbHid();
    /// Closes the handle if open.
    ~CommUsbHid() override;

    /// Opens, by its path, the first HID device the enumeration lists with the stored ids
    /// (closing any open handle first). Ids of 0 match no device.
    bool open() override;
    /// Closes any open handle, stores both ids and opens the first HID device with them.
    bool open(quint16 vendorId, quint16 productId);
    /// Tries the identities of kIdentities in order and keeps the first that opens.
    bool openFirst();
    /// The device the last open (or openFirst) found listed but could not open, typically
    /// because this user has no access to its device node; null when it found none such.
    const UsbHidDevice &refused() const { return m_refused; }

    /// False without a handle; otherwise whether the enumeration still lists the opened path
    /// with the stored ids and the manufacturer string request succeeds. The enumeration is
    /// what notices a pulled cable: hidapi may answer the request from a copy.
    bool isConnected() override;
    /// Closes and forgets the handle; does nothing when closed. Always 0.
    qint32 close() override;

    /// Reads exactly length bytes, from the remainder first, then report by report. The read
    /// waits at most timeoutMs for payload: each report that brings payload bytes gives the
    /// device timeoutMs again, empty reports do not (a negative timeout polls: the wait stays
    /// bounded). Returns length, the bytes copied so far when no payload arrives in time, or
    /// -1 when the report read fails, a report is not 8 bytes, its length byte is 8 or more,
    /// or the device is needed and no handle is open.
    qint32 read(quint8 *buffer, quint32 length, qint32 timeoutMs) override;
    /// Sends the bytes as one message in 7-byte reports. Returns length; 0 for length 0;
    /// -1 for null data, no handle, a length beyond the signed 32-bit range (nothing sent)
    /// or a report hidapi did not take whole (the rest of the message is not sent).
    qint32 write(const quint8 *data, quint32 length) override;

    quint16 vendorId() const { return m_vendorId; }
    quint16 productId() const { return m_productId; }
    /// Whether a handle is held (open state); says nothing about the device being alive.
    bool hasHandle() const { return m_handle != nullptr; }
    /// The enumeration path of the open device; empty while closed.
    QByteArray path() const { return m_path; }

    /// Whether hidapi's enumeration lists a device with these ids at path.
    static bool isListed(quint16 vendorId, quint16 productId, const QByteArray &path);
    /// Every device the enumeration lists with one of kIdentities, in their order, each
    /// opened once and closed again to tell whether it opens. Never call it while a transport
    /// holds one of them open.
    static QList<UsbHidDevice> survey();

    /// Payload bytes waiting in the process-wide receive remainder.
    static quint32 remainderCount();
    /// Empties the process-wide receive remainder. Normal operation never needs it (leftovers
    /// are meant to reach the next read, even across close and open); tests call it so one
    /// case's leftovers do not leak into the next.
    static void resetRemainder();

private:
    quint16 m_vendorId = 0;
    quint16 m_productId = 0;
    hid_device *m_handle = nullptr;
    QByteArray m_path;
    UsbHidDevice m_refused;
    bool m_goneLogged = false; ///< the loss of this handle's device was logged
};

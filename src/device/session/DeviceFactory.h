#pragma once
// Finding, identifying and accepting devices: the USB and BLE probes with their retry and
// message rules, and the factories that turn an accepted device into a session object.

#include "device/session/DeviceSession.h"
#include "links/CommUsbHid.h"

#include <functional>
#include <memory>

/// Creates the session object of an accepted device: the GUI its family page, the command
/// line a plain session. transport is null for an offline device; the object takes it over.
using SessionCreator =
    std::function<DeviceSession *(std::unique_ptr<Comm> transport, const DeviceInfo &info)>;

/// Finding, identifying and accepting devices. The retry and message rules live here so
/// every caller (main window, auto configuration, command line) shares them.
namespace DeviceFactory {

/// Creates a USB transport and opens it with the first device identity that opens; null
/// when no device is there.
using UsbTransportFactory = std::function<Comm *()>;
/// Creates (does not open) a BLE transport for a device address.
using BleTransportFactory = std::function<Comm *(const QString &address)>;

/// The default opens a CommUsbHid with its identities. An empty function restores it.
void setUsbTransportFactory(UsbTransportFactory factory);
/// The default creates a CommBle. An empty function restores it.
void setBleTransportFactory(BleTransportFactory factory);

/// Consecutive failed USB identifications; a failure is shown when it is 8 or more.
int usbAttemptCounter();
/// Also forgets that an unknown device, or one that can't be opened, was reported.
void resetUsbAttemptCounter();
/// Failed USB identifications stay silent while the counter is below this.
constexpr int kUsbSilentAttempts = 8;
constexpr int kBleAttempts = 3;

/// How a probe ended.
enum class ProbeOutcome
{
    NoDevice, ///< no transport could be opened (usbRefused names a device plugged in that this user may not
              ///< open)
    Busy,     ///< another transaction or factory is running: nothing was touched
    Failed,   ///< the device did not identify itself
    Unknown,  ///< identified, but not an accepted device ("Device unknown" was shown)
    Accepted, ///< identified and accepted: transport and info are set
};

/// The result of a probe: an open, identified, accepted transport with its identity.
struct Probe
{
    ProbeOutcome outcome = ProbeOutcome::NoDevice;
    std::unique_ptr<Comm> transport;
    DeviceInfo info;
    /// The USB device the probe opened, also one that did not identify itself or was not
    /// accepted (ids 0 and no path for BLE and for other USB transports than CommUsbHid).
    quint16 usbVendorId = 0;
    quint16 usbProductId = 0;
    QByteArray usbPath;
    /// With NoDevice: a device of ours that is plugged in but could not be opened (no access
    /// to its device node, as a rule); null otherwise.
    UsbHidDevice usbRefused;
};

/// The file of device rules that gives the user at the seat access to the devices.
constexpr char kUdevRulesFile[] = "70-pelm-configurator.rules";

/// What the user is told about a device that is plugged in but can't be opened, with the fix.
QString noAccessText(const UsbHidDevice &device);

/// Creates the default session object: a plain session with the family's parameter tables.
DeviceSession *createPlainSession(std::unique_ptr<Comm> transport, const DeviceInfo &info);

/// One USB attempt: open, identify (errors shown only when the attempt counter is 8 or
/// more; the counter then wraps to 0), accept. Boxes are parented to parent. An unknown device
/// is reported once while it stays plugged in (the poll finds it again every 500 ms). So is a
/// device that is plugged in but can't be opened (noAccessText, as a status message that
/// stays; it is cleared, with an empty status, once that device is gone or opens).
Probe probeUsb(QObject *parent = nullptr, Reporter *rep = nullptr);
/// A BLE connection: open, then up to 3 identification attempts (errors shown on the third),
/// accept. One "Device unknown" box for an unaccepted device.
Probe probeBle(const QString &address, QObject *parent = nullptr, Reporter *rep = nullptr);

/// probeUsb, then the session of an accepted device (null otherwise). failed (may be null)
/// is set when a device was there but did not identify itself.
DeviceSession *connectUsb(bool *failed, QObject *parent = nullptr, const SessionCreator &create = {},
                          Reporter *rep = nullptr);
/// probeBle, then the session of an accepted device (null otherwise).
DeviceSession *connectBle(const QString &address, QObject *parent = nullptr,
                          const SessionCreator &create = {}, Reporter *rep = nullptr);
/// An offline session of an accepted combination (null otherwise).
DeviceSession *createOffline(int orvType, int orvRev, int kivType, const SessionCreator &create = {});

} // namespace DeviceFactory

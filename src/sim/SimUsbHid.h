#pragma once
// The USB plug of the simulator: a hidapi table that talks to a SimDevice instead of the
// HID library. Installed process-wide (pelm-configurator --simulate, pelm-cli --simulate,
// tests), it lets the unchanged USB transport run against the simulated device.
//
// Behaviour of the installed table (it behaves as hidapi 0.13 on hidraw does):
// - enumerate lists the device under both device identities (CommUsbHid::kIdentities)
//   while a device is attached and plugged, one entry per identity that matches the ids
//   asked for (0 matches any). Each plug-in of the device gets new paths, as a re-plugged
//   device gets a new device node.
// - openPath opens a path the enumeration lists right now, unless access is denied (as a
//   device node without the udev rules refuses the user: listed, but never opened). Opening starts with an
//   empty input queue and no partly received request.
// - write takes 9-byte output reports (report id 0, length 0..7, payload); payload bytes
//   are gathered until a whole request (4-byte header, payload length in bytes 2..3, low
//   byte first) is in, which goes to SimDevice::handleRequest. A report with a length byte
//   above 7 is ignored, as the device firmware does. Each answer is cut into 8-byte input
//   reports (length byte + up to 7 bytes, tail zeroed) and queued.
// - readTimeout hands out the next queued report. With nothing queued it returns 0 at once
//   instead of waiting: a simulated answer is queued during the write, so nothing can
//   arrive later and sleeping through the timeout would only slow the callers down.
//   Only while a controller runs its YMODEM bootloader (SimBootloaders) do the bytes go to
//   and come from the bootloader, which waits for the timeout when it has nothing to send.
// - A handle lives as long as the plug-in it was opened in (as a real handle after the
//   cable is pulled): once the device is unplugged, write and readTimeout fail with -1 for
//   good, also when the device is plugged back in; the host must close and open again.
// - The manufacturer string is read from the device once per handle and answered from that
//   copy afterwards, also when the device is gone: it tells nothing about presence.
// Everything runs on the GUI thread; there is no locking.

#include <QByteArray>
#include <QList>

class SimDevice;

namespace SimUsbHid {

/// Installs the simulated table process-wide, attached to device (not owned; it must
/// outlive the installation). Installing again switches devices and kills open handles.
void install(SimDevice *device);
/// Restores the real HID library. Close every transport opened through the simulator first:
/// its handle means nothing to the real library.
void uninstall();
/// Makes the device's nodes refuse this user (true) or let it in again (false); uninstall
/// lets it in again.
void setAccessDenied(bool denied);
/// Whether the simulated table is the one in use.
bool isInstalled();
/// The attached device, or null.
SimDevice *device();

/// Request messages handed to the device since install.
int requestCount();
/// Input reports queued and not read yet.
int pendingReports();

/// Cuts one answer message into 8-byte input reports (length byte + up to 7 bytes, tail
/// zeroed); an empty message gives no report.
QList<QByteArray> toInputReports(const QByteArray &message);

} // namespace SimUsbHid

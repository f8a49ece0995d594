#include "cli/CliDoctor.h"

#include "cli/Cli.h"
#include "cli/CliHelp.h"
#include "common/Translations.h"
#include "device/DeviceFactory.h"
#include "links/CommUsbHid.h"

#include <QCoreApplication>
#include <QBluetoothHostInfo>
#include <QBluetoothLocalDevice>
#include <QFileInfo>
#include <QSettings>
#include <QTextStream>

namespace Cli {

namespace {

const char kIndent[] = "  ";

QString hostModeText(QBluetoothLocalDevice::HostMode mode)
{
    switch (mode) {
    case QBluetoothLocalDevice::HostPoweredOff:
        return QStringLiteral("powered off");
    case QBluetoothLocalDevice::HostConnectable:
        return QStringLiteral("on");
    case QBluetoothLocalDevice::HostDiscoverable:
    case QBluetoothLocalDevice::HostDiscoverableLimitedInquiry:
        return QStringLiteral("on, discoverable");
    }
    return QStringLiteral("unknown");
}

/// The USB HID part; false when a device can't be opened.
bool printUsb(QTextStream &out)
{
    QStringList identities;
    for (const UsbHidIdentity &id : CommUsbHid::kIdentities)
        identities << UsbHidDevice{id.vendorId, id.productId, {}, {}, false}.ids();
    out << "USB HID devices (" << identities.join(QStringLiteral(", ")) << "):\n";

    const QList<UsbHidDevice> devices = CommUsbHid::survey();
    if (devices.isEmpty())
        out << kIndent << "none plugged in\n";
    bool allOpen = true;
    for (const UsbHidDevice &d : devices) {
        out << kIndent << d.ids() << ' ' << QString::fromLocal8Bit(d.path);
        if (!d.product.isEmpty())
            out << " \"" << d.product << '"';
        out << ": " << (d.opens ? "opens" : "can't be opened") << '\n';
        if (!d.opens) {
            out << kIndent << kIndent << DeviceFactory::noAccessText(d) << '\n';
            allOpen = false;
        }
    }
    return allOpen;
}

void printBluetooth(const QList<BluetoothAdapter> &adapters, QTextStream &out)
{
    if (adapters.isEmpty()) {
        out << "Bluetooth adapter: none\n";
        return;
    }
    for (const BluetoothAdapter &a : adapters) {
        out << "Bluetooth adapter: " << a.address;
        if (!a.name.isEmpty())
            out << " \"" << a.name << '"';
        out << ": " << a.state << '\n';
    }
}

void printTranslations(QTextStream &out)
{
    const QStringList dirs = Translations::searchDirs();
    const QString found = Translations::dir();
    const QStringList codes = Translations::languages(found);
    if (codes.isEmpty())
        out << "Translations: none found (English only)\n";
    else
        out << "Translations: " << codes.join(QStringLiteral(", ")) << " in " << found << '\n';
    out << kIndent << "looked in: " << dirs.join(QStringLiteral(", ")) << '\n';
}

void printSettings(QTextStream &out)
{
    const QString path = QSettings().fileName();
    out << "Settings: " << path << (QFileInfo::exists(path) ? "" : " (not written yet)") << '\n';
}

} // namespace

QList<BluetoothAdapter> bluetoothAdapters()
{
    QList<BluetoothAdapter> adapters;
    const QList<QBluetoothHostInfo> hosts = QBluetoothLocalDevice::allDevices();
    for (const QBluetoothHostInfo &host : hosts) {
        const QBluetoothLocalDevice device(host.address());
        adapters.append({host.name(), host.address().toString(),
                         device.isValid() ? hostModeText(device.hostMode()) : QStringLiteral("not usable")});
    }
    return adapters;
}

int doctorReport(const QList<BluetoothAdapter> &adapters, QTextStream &out)
{
    out << "pelm-cli " << PELM_VERSION << '\n';
    const bool usbOk = printUsb(out);
    printBluetooth(adapters, out);
    printTranslations(out);
    printSettings(out);
    return usbOk ? kOk : kNoDevice;
}

int doctor(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (!args.isEmpty())
        return usage(err, QCoreApplication::translate("Cli", "doctor takes no arguments"));
    return doctorReport(bluetoothAdapters(), out);
}

} // namespace Cli

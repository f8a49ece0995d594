#include "cli/CliDoctor.h"

#include "cli/ExitCodes.h"
#include "cli/CliHelp.h"
#include "common/Translations.h"
#include "device/session/DeviceFactory.h"
#include "links/CommUsbHid.h"

#include <QCoreApplication>
#include <QBluetoothHostInfo>
#include <QBluetoothLocalDevice>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
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
    if (!allOpen) {
        // How, with the file that came with this program.
        const QString rules = shippedRulesPath(QCoreApplication::applicationDirPath());
        if (QFileInfo::exists(rules))
            out << kIndent << "To install the device rules: " << rulesInstallCommand(rules) << '\n';
        else
            out << kIndent << "The device rules are not where the package puts them: " << rules << '\n';
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

QString shippedRulesPath(const QString &programDir)
{
    return QDir::cleanPath(programDir + QStringLiteral("/../lib/udev/rules.d/") +
                           QLatin1String(DeviceFactory::kUdevRulesFile));
}

QString rulesInstallCommand(const QString &rulesFile)
{
    static const QRegularExpression plain(QStringLiteral("\\A[A-Za-z0-9/._+-]+\\z"));
    QString quoted = rulesFile;
    if (!plain.match(rulesFile).hasMatch())
        quoted = QLatin1Char('\'') + QString(rulesFile).replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
                 QLatin1Char('\'');
    return QStringLiteral("sudo cp %1 /etc/udev/rules.d/ && sudo udevadm control --reload").arg(quoted);
}

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

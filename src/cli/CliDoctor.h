#pragma once
// pelm-cli doctor: what the programs find on this machine, for an installer whose device
// "does nothing" - the USB HID devices and whether this user may open them, the Bluetooth
// adapter, the translations and the settings file.

#include <QList>
#include <QString>
#include <QStringList>

class QTextStream;

namespace Cli {

/// A Bluetooth adapter as the doctor lists it.
struct BluetoothAdapter
{
    QString name;
    QString address;
    QString state; ///< "powered off", "on", "on, discoverable"
};

/// The machine's Bluetooth adapters with their state (Qt Bluetooth); empty without one.
QList<BluetoothAdapter> bluetoothAdapters();

/// Where the package puts the device rules, from the folder of the program:
/// <programDir>/../lib/udev/rules.d/70-pelm-configurator.rules (cleaned).
QString shippedRulesPath(const QString &programDir);
/// The commands that install the rules file for udev: "sudo cp FILE /etc/udev/rules.d/ &&
/// sudo udevadm control --reload" (FILE in single quotes when it holds other characters than
/// letters, digits and "/._-+").
QString rulesInstallCommand(const QString &rulesFile);

/// Prints the report for these adapters and the devices the HID library lists. Returns kOk,
/// or kNoDevice when a device of ours is plugged in but can't be opened.
int doctorReport(const QList<BluetoothAdapter> &adapters, QTextStream &out);

/// `pelm-cli doctor` (no arguments): doctorReport for the machine's adapters.
int doctor(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace Cli

#pragma once
// The automatic backups: before a write changes a device, the configuration it holds is saved
// as a configuration file in the user's data folder, backups/<DevEUI>/<UTC time>.ocf, written
// atomically, configuration parameters only (never a key). The newest kKeep per device stay.

#include "device/model/Catalog.h"
#include "device/model/OrvParam.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QVector>

namespace BackupStore {

/// Backups kept per device; the oldest go when a new one is saved.
constexpr int kKeep = 20;

/// The folder holding the backups of every device: the application's data folder + "backups".
QString root();
/// Sets another root (tests); empty: the application's data folder again.
void setRoot(const QString &path);

/// The folder name of a device: its DevEUI in upper-case hexadecimal ("unknown" without one).
QString deviceFolderName(const QByteArray &devEui);

/// One backup file.
struct Entry
{
    QString path;
    QDateTime time; ///< UTC, from the file name
};

/// Saves params (whole values; keys, the action id and unknown ids are left out) as the backup
/// of the device with identity device and DevEUI devEui, at time now. The path of the file, or
/// empty with the reason in *error.
QString save(const QByteArray &devEui, const DeviceIdentity &device, const ParamTables &tables,
             const OrvParamList &params, QString *error);

/// The backups of a device, newest first.
QVector<Entry> list(const QByteArray &devEui);

/// "2026-12-11 01:35:07 UTC" for an entry's time.
QString timeText(const QDateTime &utc);

} // namespace BackupStore

#include "device/files/BackupStore.h"

#include "common/Clock.h"
#include "device/files/ConfigFile.h"
#include "device/family/FamilyModel.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace BackupStore {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("BackupStore", text);
}

QString g_root;

/// File names: the UTC time to the millisecond, sortable as text ("20261211T013507.123Z"),
/// with "-N" when two backups fall in the same millisecond.
const QString kTimeFormat = QStringLiteral("yyyyMMdd'T'HHmmss.zzz'Z'");
const QString kSuffix = QStringLiteral(".ocf");

QString folderOf(const QByteArray &devEui)
{
    return root() + QLatin1Char('/') + deviceFolderName(devEui);
}

QDateTime timeOfName(const QString &fileName)
{
    QString stem = fileName.left(fileName.size() - kSuffix.size());
    const int dash = stem.indexOf(QLatin1Char('-'));
    if (dash > 0)
        stem = stem.left(dash);
    QDateTime t = QDateTime::fromString(stem, kTimeFormat);
    t.setTimeSpec(Qt::UTC);
    return t;
}

/// The backup files of a folder, oldest first (their names sort by time).
QStringList backupNames(const QDir &dir)
{
    QStringList names;
    for (const QString &name : dir.entryList({QStringLiteral("*") + kSuffix}, QDir::Files, QDir::Name)) {
        if (timeOfName(name).isValid())
            names << name;
    }
    // "-N" sorts after the plain name of the same millisecond; N above 9 keeps the order too
    // because the names are compared by time first.
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const QDateTime ta = timeOfName(a);
        const QDateTime tb = timeOfName(b);
        if (ta != tb)
            return ta < tb;
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

} // namespace

QString root()
{
    if (!g_root.isEmpty())
        return g_root;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/backups");
}

void setRoot(const QString &path)
{
    g_root = path;
}

QString deviceFolderName(const QByteArray &devEui)
{
    if (devEui.isEmpty())
        return QStringLiteral("unknown");
    return QString::fromLatin1(devEui.toHex().toUpper());
}

QString save(const QByteArray &devEui, const DeviceIdentity &device, const ParamTables &tables,
             const OrvParamList &params, QString *error)
{
    const QString folder = folderOf(devEui);
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = tr("Can't create the backup folder '%1'.").arg(folder);
        return QString();
    }
    const QDir dir(folder);
    const QString stem = Clock::now().toUTC().toString(kTimeFormat);
    QString path = dir.filePath(stem + kSuffix);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2").arg(stem).arg(n) + kSuffix);

    // Configuration parameters only: a key the device reported never reaches the disk.
    OrvParamList kept = FamilyModel::wholeRecords(params);
    FamilyModel::leaveOut(kept, device.kivType);

    // Whole or not at all: no direct-write fallback, a half-written backup would restore
    // half a configuration.
    QSaveFile file(path);
    const QByteArray doc = ConfigFile::toJson(device, tables, kept);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(doc) != doc.size() ||
        !file.commit()) {
        file.cancelWriting();
        if (error)
            *error = tr("Can't write the backup '%1'.").arg(path);
        return QString();
    }

    // The newest kKeep stay.
    const QStringList names = backupNames(dir);
    for (int i = 0; i + kKeep < names.size(); ++i)
        QFile::remove(dir.filePath(names.at(i)));
    return path;
}

QVector<Entry> list(const QByteArray &devEui)
{
    const QDir dir(folderOf(devEui));
    QVector<Entry> out;
    const QStringList names = backupNames(dir);
    for (auto it = names.crbegin(); it != names.crend(); ++it)
        out.append(Entry{dir.filePath(*it), timeOfName(*it)});
    return out;
}

QString timeText(const QDateTime &utc)
{
    return utc.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" UTC");
}

} // namespace BackupStore

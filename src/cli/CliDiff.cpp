// pelm-cli: what a write would change (device diff, file diff) and the automatic backups
// (device backups).
#include "cli/CliCommands.h"

#include "cli/CliHelp.h"
#include "common/Reporter.h"
#include "device/files/BackupStore.h"
#include "device/family/ConfigDiff.h"
#include "device/files/ConfigFile.h"
#include "device/session/DeviceSession.h"

#include <QCoreApplication>
#include <QTextStream>

using Cli::usage;

namespace {

/// Exit code of a comparison that found differences (as diff has it).
constexpr int kDiffers = 1;

int printRows(const ConfigDiff::Rows &rows, QTextStream &out)
{
    for (const ConfigDiff::Row &r : rows)
        out << r.line() << '\n';
    return rows.isEmpty() ? Cli::kOk : kDiffers;
}

/// Reads a file's configuration values for the device it names. False on a file error (the
/// file's messages presented on rep).
bool readFileValues(const QString &path, Reporter &rep, QMap<quint8, QByteArray> *values, int *kivType)
{
    ConfigFile::Info info;
    if (ConfigFile::readInfo(path, &info).presentTo(rep) != 0)
        return false;
    DeviceIdentity id;
    id.orvType = info.orvType;
    id.orvRev = info.orvRev;
    id.kivType = info.kivType;
    id.kivRev = info.kivRev;
    OrvParamList records;
    QVector<FamilyModel::LeftOut> leftOut;
    if (ConfigFile::read(path, false, id, records, {}, &leftOut).presentTo(rep) < 1)
        return false;
    *values = ConfigDiff::values(records, info.kivType);
    *kivType = info.kivType;
    return true;
}

} // namespace

int Cli::fileDiff(const QStringList &args, QTextStream &out, QTextStream &err, Reporter &rep)
{
    if (args.size() != 2)
        return usage(err,
                     QCoreApplication::translate("Cli", "file diff needs exactly two files A.ocf B.ocf"));
    QMap<quint8, QByteArray> a;
    QMap<quint8, QByteArray> b;
    int kivA = 0;
    int kivB = 0;
    if (!readFileValues(args.at(0), rep, &a, &kivA) || !readFileValues(args.at(1), rep, &b, &kivB))
        return Cli::kFileError;
    return printRows(ConfigDiff::compare(a, b, kivA, ConfigDiff::Scope::Both), out);
}

int Cli::deviceDiff(DeviceSession &session, const QString &file, QTextStream &out, QTextStream &err)
{
    OrvParamList records;
    QVector<FamilyModel::LeftOut> leftOut;
    if (session.readConfigRecords(file, &records, &leftOut) < 1)
        return Cli::kFileError;
    QMap<quint8, QByteArray> held;
    if (!session.deviceValues(&held)) {
        err << "pelm-cli: " << QCoreApplication::translate("Cli", "the device gave no configuration") << '\n';
        return Cli::kNoDevice;
    }
    return printRows(
        ConfigDiff::compare(held, ConfigDiff::values(records, session.kivType()), session.kivType()), out);
}

int Cli::deviceBackups(DeviceSession &session, QTextStream &out, QTextStream &err)
{
    QMap<quint8, QByteArray> held;
    const bool haveDevice = session.deviceValues(&held);
    if (!haveDevice)
        err << "pelm-cli: " << QCoreApplication::translate("Cli", "the device gave no configuration") << '\n';
    const QVector<BackupStore::Entry> entries = BackupStore::list(session.identifier());
    for (const BackupStore::Entry &e : entries) {
        out << BackupStore::timeText(e.time) << "  " << e.path << '\n';
        if (!haveDevice)
            continue;
        OrvParamList records;
        QVector<FamilyModel::LeftOut> leftOut;
        const Reported<int> read = ConfigFile::read(e.path, false, session.identity(), records, {}, &leftOut);
        if (read.value < 1) {
            out << "  " << QCoreApplication::translate("Cli", "(unreadable)") << '\n';
            continue;
        }
        // What writing the backup back would change.
        for (const ConfigDiff::Row &r :
             ConfigDiff::compare(held, ConfigDiff::values(records, session.kivType()), session.kivType()))
            out << "  " << r.line() << '\n';
    }
    if (entries.isEmpty())
        err << "pelm-cli: "
            << QCoreApplication::translate("Cli", "no backup of this device in %1").arg(BackupStore::root())
            << '\n';
    return haveDevice ? Cli::kOk : Cli::kNoDevice;
}

#pragma once
// The commands of pelm-cli, one function each (Cli::run picks one from the first two words of
// the command line), and the pieces two commands share. Each returns its exit code.

#include "cli/ExitCodes.h"
#include "device/model/OrvParam.h"

#include <QString>
#include <QStringList>

#include <memory>

class DeviceSession;
class QCommandLineParser;
class QTextStream;
class Reporter;

namespace Cli {

// --- files and frames (CliFiles.cpp) -------------------------------------------------------
int framesPack(const QStringList &args, QTextStream &out, QTextStream &err, Reporter &rep);
int framesQr(const QStringList &args, QTextStream &err, Reporter &rep);
int framesUnpack(const QStringList &args, QTextStream &out, QTextStream &err);
int fileInfo(const QStringList &args, QTextStream &out, QTextStream &err, Reporter &rep);
/// `file diff A.ocf B.ocf` (CliDiff.cpp): one line per differing value; 0 same, 1 different.
int fileDiff(const QStringList &args, QTextStream &out, QTextStream &err, Reporter &rep);
/// Prints parameters as a JSON array of {"param", "index", "isBuf", "data", "name"}.
/// Only configuration parameters of a device with module kivType are printed: what else params
/// holds (the action id, keys, unknown ids) is named on err as left out.
void printParams(OrvParamList params, const ParamTables &tables, int kivType, QTextStream &out,
                 QTextStream &err);

// --- a device (CliDevice.cpp) ----------------------------------------------------------------
/// `device info|read|apply|keys|defaults|watch`.
int deviceCommand(const QString &cmd, const QStringList &args, QTextStream &out, QTextStream &err);
/// Connects to the device named by the options (--ble ADDRESS, else USB); null (message on
/// err) when none answers.
std::unique_ptr<DeviceSession> connectDevice(const QCommandLineParser &p, QTextStream &err);

/// `device diff FILE.ocf` (CliDiff.cpp): what writing the file would change on the device.
int deviceDiff(DeviceSession &session, const QString &file, QTextStream &out, QTextStream &err);
/// `device backups` (CliDiff.cpp): the device's backups, newest first, with what each differs.
int deviceBackups(DeviceSession &session, QTextStream &out, QTextStream &err);

// --- firmware (CliFirmware.cpp) --------------------------------------------------------------
int firmwareInfo(const QStringList &args, QTextStream &out, QTextStream &err);
int deviceUpdate(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace Cli

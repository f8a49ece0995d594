#pragma once
// The .ocf configuration file: a JSON document with "main" (the writing program), "orv" (the
// device identity) and "params" (one member per parameter).

#include "common/Outcome.h"
#include "device/model/Catalog.h"
#include "device/family/FamilyModel.h"
#include "device/model/OrvParam.h"

#include <QJsonObject>

#include <functional>

namespace ConfigFile {

/// Largest configuration file read: a device's whole configuration takes a few kilobytes.
constexpr int kMaxFileBytes = 4 * 1024 * 1024;

/// What readInfo copies out of a file.
struct Info
{
    QString orvName;
    int orvType = 0;
    int orvRev = 0;
    int kivType = 0;
    int kivRev = 0;
    QString appName;
    QString appOrga;
    QString appVersion;
    QString genDate;
};

/// A configuration file read once: its path and its top-level object (empty when the text
/// does not parse, so it fails later as a file without sections).
struct Document
{
    QString path;
    QJsonObject root;
};

/// Why a file could not be read.
enum class LoadError
{
    None,
    CantOpen, ///< missing, not readable, or not a regular file (a pipe, a device, a folder)
    TooLarge, ///< more than kMaxFileBytes
};

// The functions below show nothing: each returns its result with what the user is to be told
// about it (boxes and status texts, in order), for the caller to present.

/// Reads a whole file into doc, once. On failure the outcome holds a critical box naming the
/// file by label ("Can't open file '%1'!" or the size refusal) and doc is left as it was.
Reported<LoadError> load(const QString &path, const QString &label, Document *doc);

/// The device name a document gives ("orvName" of its identity section; empty when none).
QString deviceName(const Document &doc);

/// Reads only the identity sections. 0 on success, -1 on failure (with its box).
Reported<int> readInfo(const QString &path, Info *info);
/// readInfo on a document already read.
Reported<int> readInfo(const Document &doc, Info *info);

/// Reads the parameters of a file for a device of identity `device` into out (emptied first),
/// in ascending key order. The label in messages is "default" when isDefault is set.
/// Returns the number of records read (>= 1), 0 when the file is for another device type or
/// a file of another module type was not confirmed, -1 on any other failure. A failure ends
/// with the "Load configuration from '%1' has failed !" status; a success has no status (the
/// device object checks for unknown parameters and reports it).
/// A file made for another radio-module type is opened only when confirm, given the question
/// ("No KIV matched", Open or Cancel), answers true: the caller asks the user or decides without
/// asking. Without confirm such a file is not opened.
using ConfirmOtherModule = std::function<bool(const Reporter::Box &question)>;
/// Records that are not configuration parameters of the device (the action id, the keys, ids the
/// family doesn't know) are left out: listed in leftOut when it is given, else named in a
/// "Check parameters" warning of the outcome. A file left with no record fails.
Reported<int> read(const QString &path, bool isDefault, const DeviceIdentity &device, OrvParamList &out,
                   const ConfirmOtherModule &confirm = {}, QVector<FamilyModel::LeftOut> *leftOut = nullptr);
/// read on a document already read.
Reported<int> read(const Document &doc, bool isDefault, const DeviceIdentity &device, OrvParamList &out,
                   const ConfirmOtherModule &confirm = {}, QVector<FamilyModel::LeftOut> *leftOut = nullptr);
/// A confirm that asks the question on rep (Open answers true).
ConfirmOtherModule askOn(Reporter &rep, QObject *parent = nullptr);

/// What a configuration file holds, taken from a device object when the user asks for a save:
/// it is written once the file name is known, whatever happens to the device meanwhile.
struct Content
{
    DeviceIdentity device;
    ParamTables tables;
    OrvParamList params;
};

/// Writes params for a device of identity `device` atomically (the previous file survives a
/// failed write), or in place when the folder takes no new file but the file may be written.
/// A target that exists but is not a regular file (a pipe, a device node) is refused, never
/// replaced. Records without a display name, or sharing one, get a generated unique key.
/// Returns 0 on success, -1 on failure, with the status and boxes of a save.
Reported<int> write(const QString &path, const DeviceIdentity &device, const ParamTables &tables,
                    const OrvParamList &params);
Reported<int> write(const QString &path, const Content &content);

/// The document write() would produce (for tests and the command line).
QByteArray toJson(const DeviceIdentity &device, const ParamTables &tables, const OrvParamList &params);

/// "genDate" text of moment t (UTC): e.g. "Tue Jan 07 14:43:18 2020 GMT".
QString genDateText(const QDateTime &t);

/// The label-specific status texts shared with the device object.
QString loadFailedText(const QString &label);
QString loadSucceededText(const QString &label);
QString loadUncompletedText(const QString &label);

} // namespace ConfigFile

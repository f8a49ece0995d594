#include "device/files/ConfigFile.h"

#include "device/family/FamilyModel.h"

#include "common/Clock.h"
#include "common/Hex.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocale>
#include <QSaveFile>
#include <QSet>

#include <cmath>
#include <vector>
#include <limits>

namespace {

const char *const kContext = "ConfigFile";
constexpr int kStatusTimeoutMs = Reporter::kStatusTimeoutMs;
constexpr int kMaxByte = 255;
constexpr int kBytesPerMiB = 1024 * 1024;
constexpr int kReadChunkBytes = 64 * 1024;

// Section and member keys of the document.
const QString kMain = QStringLiteral("main");
const QString kOrv = QStringLiteral("orv");
const QString kParams = QStringLiteral("params");
const QString kAppName = QStringLiteral("appName");
const QString kAppOrga = QStringLiteral("appOrga");
const QString kAppVersion = QStringLiteral("appVersion");
const QString kGenDate = QStringLiteral("genDate");
const QString kKivRev = QStringLiteral("kivRev");
const QString kKivType = QStringLiteral("kivType");
const QString kOrvName = QStringLiteral("orvName");
const QString kOrvRev = QStringLiteral("orvRev");
const QString kOrvType = QStringLiteral("orvType");
const QString kData = QStringLiteral("data");
const QString kIndex = QStringLiteral("index");
const QString kIsBuf = QStringLiteral("isBuf");
const QString kParam = QStringLiteral("param");

QString tr(const char *text)
{
    return QCoreApplication::translate(kContext, text);
}

/// A JSON number as an integer (truncated); 0 for a missing, non-numeric or out-of-range member.
int jsonInt(const QJsonValue &v)
{
    if (!v.isDouble())
        return 0;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d < double(std::numeric_limits<int>::min()) ||
        d > double(std::numeric_limits<int>::max()))
        return 0;
    return int(d);
}

/// A parameter id or index: 0 when missing or outside 0..255 (never wrapped onto another id).
quint8 jsonByte(const QJsonValue &v)
{
    const int n = jsonInt(v);
    return n >= 0 && n <= kMaxByte ? quint8(n) : 0;
}

QString fileErrorTitle()
{
    return QCoreApplication::translate("ConfigFile", "File error");
}

QString errorFileTitle()
{
    return QCoreApplication::translate("ConfigFile", "Error file");
}

} // namespace

namespace ConfigFile {

QString loadFailedText(const QString &label)
{
    return tr("Load configuration from '%1' has failed !").arg(label);
}

QString loadSucceededText(const QString &label)
{
    return tr("Load configuration from %1, has succeeded !")
        .arg(QLatin1Char('\'') + label + QLatin1Char('\''));
}

QString loadUncompletedText(const QString &label)
{
    return tr("Load configuration from %1, is uncompleted !")
        .arg(QLatin1Char('\'') + label + QLatin1Char('\''));
}

QString genDateText(const QDateTime &t)
{
    return QLocale::system().toString(t.toUTC(), QStringLiteral("ddd MMM dd hh:mm:ss yyyy")) +
           QStringLiteral(" GMT");
}

Reported<LoadError> load(const QString &path, const QString &label, Document *doc)
{
    Reported<LoadError> r{LoadError::None, {}};
    const auto cantOpen = [&r, &label] {
        r.outcome.critical(fileErrorTitle(), tr("Can't open file '%1'!").arg(label));
        r.value = LoadError::CantOpen;
        return r;
    };
    const auto tooLarge = [&r, &label] {
        r.outcome.critical(fileErrorTitle(),
                           tr("The file '%1' is too large for a configuration file (more than %2 MiB)! "
                              "It can't be loaded.")
                               .arg(label)
                               .arg(kMaxFileBytes / kBytesPerMiB));
        r.value = LoadError::TooLarge;
        return r;
    };
    // A pipe would block the open until someone writes to it, a device may give bytes without
    // end: only regular files are opened.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return cantOpen();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return cantOpen();
    if (file.size() > kMaxFileBytes)
        return tooLarge();
    // The file may have grown since: never more than one byte past the limit. Read in chunks:
    // one read of the whole limit would allocate and touch 4 MiB for every file opened.
    QByteArray bytes;
    bytes.reserve(int(file.size()));
    std::vector<char> chunk(kReadChunkBytes);
    for (;;) {
        const qint64 room = qint64(kMaxFileBytes) + 1 - bytes.size();
        const qint64 n = file.read(chunk.data(), qMin(qint64(chunk.size()), room));
        if (n <= 0)
            break;
        bytes.append(chunk.data(), int(n));
        if (bytes.size() > kMaxFileBytes)
            break;
    }
    file.close();
    if (bytes.size() > kMaxFileBytes)
        return tooLarge();
    doc->path = path;
    doc->root = QJsonDocument::fromJson(bytes).object();
    return r;
}

QString deviceName(const Document &doc)
{
    return doc.root.value(kOrv).toObject().value(kOrvName).toString();
}

Reported<int> readInfo(const QString &path, Info *info)
{
    Document doc;
    const Reported<LoadError> loaded = load(path, path, &doc);
    if (loaded.value != LoadError::None)
        return {-1, loaded.outcome};
    return readInfo(doc, info);
}

Reported<int> readInfo(const Document &doc, Info *info)
{
    Reported<int> r{0, {}};
    const QJsonObject orv = doc.root.value(kOrv).toObject();
    const QJsonObject main = doc.root.value(kMain).toObject();
    if (orv.isEmpty() || main.isEmpty()) {
        r.outcome.critical(errorFileTitle(),
                           tr("The file '%1' don't has main section or %2 section! The file "
                              "is uncompleted and can't be loaded.")
                               .arg(doc.path, Catalog::brand()));
        r.value = -1;
        return r;
    }
    if (info) {
        info->orvName = orv.value(kOrvName).toString();
        info->orvType = jsonInt(orv.value(kOrvType));
        info->orvRev = jsonInt(orv.value(kOrvRev));
        info->kivType = jsonInt(orv.value(kKivType));
        info->kivRev = jsonInt(orv.value(kKivRev));
        info->appName = main.value(kAppName).toString();
        info->appOrga = main.value(kAppOrga).toString();
        info->appVersion = main.value(kAppVersion).toString();
        info->genDate = main.value(kGenDate).toString();
    }
    return r;
}

ConfirmOtherModule askOn(Reporter &rep, QObject *parent)
{
    return [&rep, parent](const Reporter::Box &question) {
        Reporter::Box b = question;
        if (!b.parent)
            b.parent = parent;
        return rep.box(b) == Reporter::Open;
    };
}

Reported<int> read(const QString &path, bool isDefault, const DeviceIdentity &device, OrvParamList &out,
                   const ConfirmOtherModule &confirm, QVector<FamilyModel::LeftOut> *leftOut)
{
    out.clear();
    const QString label = isDefault ? QStringLiteral("default") : path;
    Document doc;
    Reported<LoadError> loaded = load(path, label, &doc);
    if (loaded.value != LoadError::None) {
        loaded.outcome.status(loadFailedText(label), kStatusTimeoutMs);
        return {-1, loaded.outcome};
    }
    return read(doc, isDefault, device, out, confirm, leftOut);
}

Reported<int> read(const Document &doc, bool isDefault, const DeviceIdentity &device, OrvParamList &out,
                   const ConfirmOtherModule &confirm, QVector<FamilyModel::LeftOut> *leftOut)
{
    out.clear();
    if (leftOut)
        leftOut->clear();
    Reported<int> r{0, {}};
    const QString label = isDefault ? QStringLiteral("default") : doc.path;
    const auto failed = [&r, &label](int result) {
        r.outcome.status(loadFailedText(label), kStatusTimeoutMs);
        r.value = result;
        return r;
    };

    const QJsonObject orv = doc.root.value(kOrv).toObject();
    const QJsonObject params = doc.root.value(kParams).toObject();

    if (orv.isEmpty()) {
        r.outcome.critical(errorFileTitle(),
                           tr("The file '%1' don't has %2 section! The file is uncompleted and can't loaded.")
                               .arg(label, Catalog::brand()));
        return failed(-1);
    }

    const int fileType = jsonInt(orv.value(kOrvType));
    if (fileType != device.orvType) {
        Reporter::Box b;
        b.icon = Reporter::Critical;
        b.title = tr("No ORV matched");
        b.text = tr("The specified file is for ORV '%1', your present ORV is '%2'.")
                     .arg(Catalog::typeName(fileType), Catalog::typeName(device.orvType)) +
                 tr("You must specifies or connect the same ORV type.");
        b.buttons = Reporter::Cancel;
        b.defaultButton = Reporter::Cancel;
        r.outcome.box(b);
        return failed(0);
    }

    const int fileKiv = jsonInt(orv.value(kKivType));
    if (fileKiv != device.kivType) {
        Reporter::Box b;
        b.icon = Reporter::Warning;
        b.title = tr("No KIV matched");
        b.text = tr("The specified file is for KIV '%1', your present KIV is '%2'.")
                     .arg(Catalog::kivName(fileKiv), Catalog::kivName(device.kivType)) +
                 tr("You must specifies or connect the same KIV type.");
        b.informativeText = tr("Do you want to processes opening file anyway ?");
        b.buttons = Reporter::Open | Reporter::Cancel;
        b.defaultButton = Reporter::Cancel;
        // The question is the caller's: it has been answered (or decided) when confirm returns.
        if (!confirm || !confirm(b))
            return failed(0);
    }

    if (params.isEmpty()) {
        r.outcome.critical(
            errorFileTitle(),
            tr("The file '%1' don't have a parameters! The file is uncompleted and can't loaded.")
                .arg(label));
        return failed(-1);
    }

    // QJsonObject keeps its members in ascending key order.
    for (auto it = params.constBegin(); it != params.constEnd(); ++it) {
        const QJsonObject member = it.value().toObject();
        const QByteArray bytes = Hex::decodeLenient(member.value(kData).toString());
        const quint8 id = jsonByte(member.value(kParam));
        if (member.value(kIsBuf).toBool(false))
            out.append(OrvParam(id, bytes, jsonByte(member.value(kIndex))));
        else
            out.append(OrvParam(id, bytes));
    }
    // The action id, the keys and ids the family doesn't know never come from a file: they
    // are left out, and the user is told which.
    const QVector<FamilyModel::LeftOut> left = FamilyModel::leaveOut(out, device.kivType);
    if (leftOut)
        *leftOut = left;
    else if (!left.isEmpty()) {
        QStringList lines;
        for (const FamilyModel::LeftOut &l : left)
            lines << QStringLiteral("    - ") + l.text();
        r.outcome.warning(tr("Check parameters"),
                          tr("Some records of the file '%1' are not configuration parameters of this "
                             "device:\n\n%2")
                              .arg(label, lines.join(QLatin1Char('\n'))));
    }
    if (out.isEmpty()) {
        r.outcome.critical(
            errorFileTitle(),
            tr("The file '%1' don't have a parameters! The file is uncompleted and can't loaded.")
                .arg(label));
        return failed(-1);
    }
    r.value = out.size();
    return r;
}

QByteArray toJson(const DeviceIdentity &device, const ParamTables &tables, const OrvParamList &params)
{
    QJsonObject main;
    main.insert(kAppName, QCoreApplication::applicationName());
    main.insert(kAppOrga, QCoreApplication::organizationName());
    main.insert(kAppVersion, QCoreApplication::applicationVersion());
    main.insert(kGenDate, genDateText(Clock::now()));

    QJsonObject orv;
    orv.insert(kKivRev, device.kivRev);
    orv.insert(kKivType, device.kivType);
    orv.insert(kOrvName, Catalog::fileIdentity(device.orvType));
    orv.insert(kOrvRev, device.orvRev);
    orv.insert(kOrvType, device.orvType);

    // Every record gets a member of its own: readers go by "param" and "index", never by the
    // key, so a record without a name or sharing one with another gets a generated key.
    QJsonObject members;
    for (const OrvParam &p : params) {
        // A file holds configuration parameters only: never the action id, a key or an id the
        // family doesn't know (a garbled load may have produced one).
        if (!FamilyModel::isConfigParam(p.id(), device.kivType))
            continue;
        QString base = tables.name(p.id());
        if (base.isEmpty())
            base = QStringLiteral("Parameter %1").arg(p.id());
        QString key = base;
        for (int n = 2; members.contains(key); ++n)
            key = base + QStringLiteral(" #%1").arg(n);

        QJsonObject member;
        member.insert(kData, QString::fromLatin1(p.data().toHex()));
        member.insert(kIndex, int(p.index()));
        member.insert(kIsBuf, p.isBuf());
        member.insert(kParam, int(p.id()));
        members.insert(key, member);
    }

    QJsonObject root;
    root.insert(kMain, main);
    root.insert(kOrv, orv);
    root.insert(kParams, members);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

Reported<int> write(const QString &path, const DeviceIdentity &device, const ParamTables &tables,
                    const OrvParamList &params)
{
    Reported<int> r{-1, {}};
    const QString failedText = tr("Save configuration to '%1' has failed !").arg(path);

    // Renaming a file over a pipe or a device node would replace it: refuse them. (A folder
    // fails to open below.)
    const QFileInfo target(path);
    if (target.exists() && !target.isFile() && !target.isDir()) {
        r.outcome.critical(fileErrorTitle(),
                           tr("Can't write file '%1'! It is not a regular file.").arg(path));
        r.outcome.status(failedText, kStatusTimeoutMs);
        return r;
    }

    // The document goes to a temporary file that replaces the target only once it is complete,
    // so a failed save leaves the previous file as it was. A folder the user may not write to
    // takes no temporary file: the file is then written in place, if the user may write it.
    // Unbuffered: Qt 5's QSaveFile loses a failure of its buffered flush and commits a
    // truncated file; a direct write shows up as a short count instead.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        r.outcome.critical(fileErrorTitle(), tr("Can't write file '%1'!").arg(path));
        r.outcome.status(failedText, kStatusTimeoutMs);
        return r;
    }
    const QByteArray doc = toJson(device, tables, params);
    if (file.write(doc) != doc.size() || !file.flush() || !file.commit()) {
        file.cancelWriting();
        r.outcome.critical(fileErrorTitle(), tr("Can't write file '%1'!").arg(path));
        r.outcome.status(failedText, kStatusTimeoutMs);
        return r;
    }
    r.outcome.status(tr("Save configuration to '%1' has succeeded !").arg(path), kStatusTimeoutMs);
    r.value = 0;
    return r;
}

Reported<int> write(const QString &path, const Content &content)
{
    return write(path, content.device, content.tables, content.params);
}

} // namespace ConfigFile

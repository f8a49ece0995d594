// pelm-cli: commands on configuration files and frames (no device).
#include "cli/CliCommands.h"
#include "device/family/FamilyModel.h"

#include "cli/CliHelp.h"

#include "common/Reporter.h"
#include "device/model/Catalog.h"
#include "device/files/ConfigFile.h"
#include "device/family/FamilyParams.h"
#include "frames/FrameQr.h"
#include "frames/OrvFrame.h"

#include <QCoreApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>

using Cli::usage;

namespace {

/// Loads a configuration file as an offline device of the file's own identity would, reading
/// the file once.
int loadFile(const QString &path, DeviceIdentity &id, OrvParamList &params, Reporter &rep)
{
    ConfigFile::Document doc;
    if (ConfigFile::load(path, path, &doc).presentTo(rep) != ConfigFile::LoadError::None)
        return Cli::kFileError;
    ConfigFile::Info info;
    if (ConfigFile::readInfo(doc, &info).presentTo(rep) != 0)
        return Cli::kFileError;
    id.orvType = info.orvType;
    id.orvRev = info.orvRev;
    id.kivType = info.kivType;
    id.kivRev = info.kivRev;
    if (ConfigFile::read(doc, false, id, params).presentTo(rep) < 1)
        return Cli::kFileError;
    return Cli::kOk;
}

/// The --max-payload option of the frames commands.
void addMaxPayloadOption(QCommandLineParser &p)
{
    p.addOption(
        {QStringLiteral("max-payload"), QStringLiteral("largest frame in bytes"), QStringLiteral("N")});
}

/// Loads the file of a frames command and packs its parameters into frames of --max-payload
/// bytes (default: the device's). Parameters that can't be packed are named on err. Returns
/// kOk, or the exit code of a file or option that was refused.
int packFile(const QCommandLineParser &p, QTextStream &err, Reporter &rep, FrameBuild *built)
{
    DeviceIdentity id;
    OrvParamList params;
    const int rc = loadFile(p.positionalArguments().first(), id, params, rep);
    if (rc != Cli::kOk)
        return rc;

    int maxPayload = Catalog::defaultFramePayload(id.kivType);
    if (p.isSet(QStringLiteral("max-payload"))) {
        bool ok = false;
        maxPayload = p.value(QStringLiteral("max-payload")).toInt(&ok);
        if (!ok || maxPayload < OrvFrame::kMinPayload || maxPayload > OrvFrame::kMaxPayload)
            return usage(err,
                         QCoreApplication::translate("Cli", "--max-payload must be a number from 8 to 1024"));
    }

    ParamTables tables;
    FamilyParams::registerThermocouple(tables, id.kivType);
    *built = buildFrames(params, maxPayload);
    for (const OrvParam &r : built->rejected) {
        const QString name = tables.name(r.id());
        const QString id = QString::number(r.id());
        const QString bytes = QString::number(maxPayload);
        err << (name.isEmpty() ? QCoreApplication::translate(
                                     "Cli", "Parameter %1 can't be packed into frames of %2 bytes")
                                     .arg(id, bytes)
                               : QCoreApplication::translate(
                                     "Cli", "Parameter %1 (%2) can't be packed into frames of %3 bytes")
                                     .arg(id, name, bytes))
            << '\n';
    }
    return Cli::kOk;
}

} // namespace

int Cli::framesPack(const QStringList &args, QTextStream &out, QTextStream &err, Reporter &rep)
{
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("file"), QStringLiteral("configuration file"));
    addMaxPayloadOption(p);
    if (!p.parse(QStringList{QStringLiteral("pack")} + args))
        return usage(err, p.errorText());
    if (p.positionalArguments().size() != 1)
        return usage(err, QCoreApplication::translate("Cli", "frames pack needs exactly one FILE.ocf"));

    FrameBuild built;
    const int rc = packFile(p, err, rep, &built);
    if (rc != Cli::kOk)
        return rc;
    for (const OrvFrame &f : built.frames)
        out << f.toHexString() << '\n';
    return built.rejected.isEmpty() ? Cli::kOk : Cli::kIncomplete;
}

/// The QR Code image of all frames of a configuration file: the frame text of 'frames pack' with
/// CR LF between frames, as the frames builder exports it.
int Cli::framesQr(const QStringList &args, QTextStream &err, Reporter &rep)
{
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("file"), QStringLiteral("configuration file"));
    p.addOption({QStringLiteral("o"), QStringLiteral("image to write"), QStringLiteral("OUT.png")});
    addMaxPayloadOption(p);
    if (!p.parse(QStringList{QStringLiteral("qr")} + args))
        return usage(err, p.errorText());
    if (p.positionalArguments().size() != 1)
        return usage(err, QCoreApplication::translate("Cli", "frames qr needs exactly one FILE.ocf"));
    const QString outPath = p.value(QStringLiteral("o"));
    if (outPath.isEmpty())
        return usage(err, QCoreApplication::translate("Cli", "frames qr needs -o OUT.png"));

    FrameBuild built;
    const int rc = packFile(p, err, rep, &built);
    if (rc != Cli::kOk)
        return rc;
    const FrameQr::Encoded qr = FrameQr::encode(exportText(built.frames));
    if (!qr.ok()) {
        FrameQr::reportFailure(rep, qr.error);
        return Cli::kIncomplete;
    }
    if (!FrameQr::savePng(qr.image, outPath)) {
        FrameQr::reportFailure(rep, QStringLiteral("Can't write '%1'.").arg(outPath));
        return Cli::kFileError;
    }
    return built.rejected.isEmpty() ? Cli::kOk : Cli::kIncomplete;
}

int Cli::framesUnpack(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() > 1)
        return usage(err, QCoreApplication::translate("Cli", "frames unpack takes at most one FILE"));
    QFile f;
    const QString path = args.value(0, QStringLiteral("-"));
    bool opened = false;
    if (path == QLatin1String("-"))
        opened = f.open(stdin, QIODevice::ReadOnly);
    else {
        f.setFileName(path);
        opened = f.open(QIODevice::ReadOnly);
    }
    if (!opened) {
        err << QCoreApplication::translate("Cli", "Can't open file '%1'!").arg(path) << '\n';
        return Cli::kFileError;
    }
    const QString text = QString::fromUtf8(f.readAll());

    const FrameImport imported = importText(text);
    for (const QString &line : imported.invalidLines)
        err << invalidFramesTitle() << ": " << invalidFrameText(line) << '\n';

    const ParamTables tables = FamilyParams::thermocoupleTables();
    OrvParamList params;
    for (const OrvFrame &frame : imported.frames)
        frame.extractParams(params, tables.bufferFlags, true);
    printParams(params, tables, Catalog::kKivDualB, out, err);
    return imported.invalidLines.isEmpty() ? Cli::kOk : Cli::kIncomplete;
}

int Cli::fileInfo(const QStringList &args, QTextStream &out, QTextStream &err, Reporter &rep)
{
    if (args.size() != 1)
        return usage(err, QCoreApplication::translate("Cli", "file info needs exactly one FILE.ocf"));
    ConfigFile::Info info;
    if (ConfigFile::readInfo(args.first(), &info).presentTo(rep) != 0)
        return Cli::kFileError;
    DeviceIdentity id;
    id.orvType = info.orvType;
    id.orvRev = info.orvRev;
    id.kivType = info.kivType;
    id.kivRev = info.kivRev;
    out << "identity: " << Catalog::identityText(id) << '\n'
        << "orvName: " << info.orvName << '\n'
        << "orvType: " << info.orvType << '\n'
        << "orvRev: " << info.orvRev << '\n'
        << "kivType: " << info.kivType << '\n'
        << "kivRev: " << info.kivRev << '\n'
        << "accepted: " << (Catalog::isAccepted(id.orvType, id.orvRev, id.kivType) ? "yes" : "no") << '\n'
        << "appName: " << info.appName << '\n'
        << "appOrga: " << info.appOrga << '\n'
        << "appVersion: " << info.appVersion << '\n'
        << "genDate: " << info.genDate << '\n';
    return Cli::kOk;
}

/// Prints parameters as a JSON array of {"param", "index", "isBuf", "data", "name"}.
void Cli::printParams(OrvParamList params, const ParamTables &tables, int kivType, QTextStream &out,
                      QTextStream &err)
{
    for (const FamilyModel::LeftOut &l : FamilyModel::leaveOut(params, kivType))
        err << "pelm-cli: " << l.text() << '\n';
    QJsonArray array;
    for (const OrvParam &r : params) {
        QJsonObject o;
        o.insert(QStringLiteral("param"), r.id());
        o.insert(QStringLiteral("index"), r.index());
        o.insert(QStringLiteral("isBuf"), r.isBuf());
        o.insert(QStringLiteral("data"), QString::fromLatin1(r.data().toHex()));
        if (tables.isKnown(r.id()))
            o.insert(QStringLiteral("name"), tables.name(r.id()));
        array.append(o);
    }
    out << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

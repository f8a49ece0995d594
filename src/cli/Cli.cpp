#include "cli/Cli.h"

#include "common/Reporter.h"
#include "device/Catalog.h"
#include "device/ConfigFile.h"
#include "device/FamilyParams.h"
#include "frames/OrvFrame.h"

#include <QCommandLineParser>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

const char *kHelpText = R"(Commands:
  frames pack FILE.ocf [--max-payload N]
      Reads the configuration file as the program would load it and prints the
      parameters packed into radio frames: one frame per line, upper-case hex.
      N is 8..1024 (default: 51 for radio-module type 5, otherwise 8).
  frames unpack [FILE|-]
      Reads frame text (one frame per line, hex; '-' or nothing: standard input),
      decodes and merges the frames and prints the parameters as a JSON array of
      {"param", "index", "isBuf", "data", "name"} objects. Invalid lines are
      reported on standard error.
  file info FILE.ocf
      Prints the identity and the writing program of a configuration file.

Exit codes:
  0  success
  1  unknown command or bad arguments
  2  a file could not be read or is not a configuration file
  3  some input was invalid (frame lines) or some parameters could not be packed
)";

/// Prints boxes and status messages to standard error; questions take their default button.
class CliReporter : public Reporter
{
public:
    explicit CliReporter(QTextStream &err) : m_err(err) {}
    int box(const Box &b) override
    {
        m_err << b.title << ": " << b.text;
        if (!b.informativeText.isEmpty())
            m_err << ' ' << b.informativeText;
        m_err << '\n';
        if (b.defaultButton != NoButton)
            return b.defaultButton;
        return (b.buttons & Cancel) ? Cancel : ((b.buttons & No) ? No : Ok);
    }
    void status(const QString &, int) override {}

private:
    QTextStream &m_err;
};

int usage(QTextStream &err, const QString &why)
{
    err << "pelm-cli: " << why << "\n" << "Try 'pelm-cli --help'.\n";
    return Cli::kUsage;
}

/// Loads a configuration file as an offline device of the file's own identity would.
int loadFile(const QString &path, DeviceIdentity &id, OrvParamList &params, Reporter &rep)
{
    ConfigFile::Info info;
    if (ConfigFile::readInfo(path, &info, rep) != 0)
        return Cli::kFileError;
    id.orvType = info.orvType;
    id.orvRev = info.orvRev;
    id.kivType = info.kivType;
    id.kivRev = info.kivRev;
    if (ConfigFile::read(path, false, id, params, rep) < 1)
        return Cli::kFileError;
    return Cli::kOk;
}

int framesPack(const QStringList &args, QTextStream &out, QTextStream &err, Reporter &rep)
{
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("file"), QStringLiteral("configuration file"));
    p.addOption({QStringLiteral("max-payload"), QStringLiteral("largest frame in bytes"), QStringLiteral("N")});
    if (!p.parse(QStringList{QStringLiteral("pack")} + args))
        return usage(err, p.errorText());
    if (p.positionalArguments().size() != 1)
        return usage(err, QStringLiteral("frames pack needs exactly one FILE.ocf"));

    DeviceIdentity id;
    OrvParamList params;
    const int rc = loadFile(p.positionalArguments().first(), id, params, rep);
    if (rc != Cli::kOk)
        return rc;

    int maxPayload = id.kivType == 5 ? 51 : 8;
    if (p.isSet(QStringLiteral("max-payload"))) {
        bool ok = false;
        maxPayload = p.value(QStringLiteral("max-payload")).toInt(&ok);
        if (!ok || maxPayload < OrvFrame::kMinPayload || maxPayload > OrvFrame::kMaxPayload)
            return usage(err, QStringLiteral("--max-payload must be a number from 8 to 1024"));
    }

    ParamTables tables;
    FamilyParams::registerThermocouple(tables, id.kivType);
    const FrameBuild built = buildFrames(params, maxPayload);
    for (const OrvFrame &f : built.frames)
        out << f.toHexString() << '\n';
    for (const OrvParam &r : built.rejected) {
        const QString name = tables.name(r.id());
        err << "Parameter " << r.id() << (name.isEmpty() ? QString() : " (" + name + ")")
            << " can't be packed into frames of " << maxPayload << " bytes\n";
    }
    return built.rejected.isEmpty() ? Cli::kOk : Cli::kIncomplete;
}

int framesUnpack(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() > 1)
        return usage(err, QStringLiteral("frames unpack takes at most one FILE"));
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
        err << "Can't open file '" << path << "'!\n";
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
    return imported.invalidLines.isEmpty() ? Cli::kOk : Cli::kIncomplete;
}

int fileInfo(const QStringList &args, QTextStream &out, QTextStream &err, Reporter &rep)
{
    if (args.size() != 1)
        return usage(err, QStringLiteral("file info needs exactly one FILE.ocf"));
    ConfigFile::Info info;
    if (ConfigFile::readInfo(args.first(), &info, rep) != 0)
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

} // namespace

int Cli::run(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.isEmpty())
        return usage(err, QStringLiteral("no command given"));
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        out << "Usage: pelm-cli COMMAND [ARGUMENTS]\n\n" << kHelpText;
        return kOk;
    }
    if (args.contains(QLatin1String("--version"))) {
        out << "pelm-cli " << PELM_VERSION << '\n';
        return kOk;
    }
    CliReporter rep(err);
    setReporter(&rep);
    const QString group = args.value(0);
    const QString cmd = args.value(1);
    const QStringList rest = args.mid(2);
    int rc = kUsage;
    if (group == QLatin1String("frames") && cmd == QLatin1String("pack"))
        rc = framesPack(rest, out, err, rep);
    else if (group == QLatin1String("frames") && cmd == QLatin1String("unpack"))
        rc = framesUnpack(rest, out, err);
    else if (group == QLatin1String("file") && cmd == QLatin1String("info"))
        rc = fileInfo(rest, out, err, rep);
    else
        rc = usage(err, QStringLiteral("unknown command '%1'").arg(args.mid(0, 2).join(' ')));
    setReporter(nullptr);
    return rc;
}

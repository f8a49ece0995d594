#include "cli/Cli.h"

#include "cli/CliHelp.h"
#include "cli/CliReporter.h"
#include "cli/CliUpdateCheck.h"

#include "common/Logging.h"
#include "common/Reporter.h"
#include "device/Catalog.h"
#include "device/ConfigFile.h"
#include "device/DeviceFactory.h"
#include "device/DeviceSession.h"
#include "device/FamilyParams.h"
#include "device/LoRaWanKeys.h"
#include "frames/FrameQr.h"
#include "frames/OrvFrame.h"
#include "links/CommUsbHid.h"
#include "sim/SimBle.h"
#include "sim/SimDevice.h"
#include "sim/SimBootloaders.h"
#include "sim/SimUsbHid.h"
#include "update/FirmwareUpdater.h"
#include "update/SegmentStore.h"
#include "links/Comm.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QLoggingCategory>
#include <QTextStream>
#include <QThread>

#include <signal.h>

#include <csignal>
#include <cstdio>

#include <unistd.h>

using Cli::kHelpText;
using Cli::usage;

namespace {

/// Loads a configuration file as an offline device of the file's own identity would, reading
/// the file once.
int loadFile(const QString &path, DeviceIdentity &id, OrvParamList &params, Reporter &rep)
{
    ConfigFile::Document doc;
    if (ConfigFile::load(path, path, &doc, rep) != ConfigFile::LoadError::None)
        return Cli::kFileError;
    ConfigFile::Info info;
    if (ConfigFile::readInfo(doc, &info, rep) != 0)
        return Cli::kFileError;
    id.orvType = info.orvType;
    id.orvRev = info.orvRev;
    id.kivType = info.kivType;
    id.kivRev = info.kivRev;
    if (ConfigFile::read(doc, false, id, params, rep) < 1)
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
            return usage(err, QStringLiteral("--max-payload must be a number from 8 to 1024"));
    }

    ParamTables tables;
    FamilyParams::registerThermocouple(tables, id.kivType);
    *built = buildFrames(params, maxPayload);
    for (const OrvParam &r : built->rejected) {
        const QString name = tables.name(r.id());
        err << "Parameter " << r.id() << (name.isEmpty() ? QString() : " (" + name + ")")
            << " can't be packed into frames of " << maxPayload << " bytes\n";
    }
    return Cli::kOk;
}

int framesPack(const QStringList &args, QTextStream &out, QTextStream &err, Reporter &rep)
{
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("file"), QStringLiteral("configuration file"));
    addMaxPayloadOption(p);
    if (!p.parse(QStringList{QStringLiteral("pack")} + args))
        return usage(err, p.errorText());
    if (p.positionalArguments().size() != 1)
        return usage(err, QStringLiteral("frames pack needs exactly one FILE.ocf"));

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
int framesQr(const QStringList &args, QTextStream &err, Reporter &rep)
{
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("file"), QStringLiteral("configuration file"));
    p.addOption({QStringLiteral("o"), QStringLiteral("image to write"), QStringLiteral("OUT.png")});
    addMaxPayloadOption(p);
    if (!p.parse(QStringList{QStringLiteral("qr")} + args))
        return usage(err, p.errorText());
    if (p.positionalArguments().size() != 1)
        return usage(err, QStringLiteral("frames qr needs exactly one FILE.ocf"));
    const QString outPath = p.value(QStringLiteral("o"));
    if (outPath.isEmpty())
        return usage(err, QStringLiteral("frames qr needs -o OUT.png"));

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

/// Prints parameters as a JSON array of {"param", "index", "isBuf", "data", "name"}.
void printParams(const OrvParamList &params, const ParamTables &tables, QTextStream &out)
{
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
    printParams(params, tables, out);
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

/// The simulated device of a --simulate run, with its parameters kept in a state file.
class Simulation
{
public:
    ~Simulation()
    {
        if (m_installed) {
            SimUsbHid::uninstall();
            uninstallSimBle();
        }
    }

    /// Sets the device up from the options; false (message on err) for a bad option.
    bool setUp(const QCommandLineParser &p, QTextStream &err)
    {
        m_statePath = p.value(QStringLiteral("sim-state"));
        if (!m_statePath.isEmpty() && QFile::exists(m_statePath) && !loadState(err))
            return false;
        for (const QString &id : p.values(QStringLiteral("sim-refuse"))) {
            bool ok = false;
            const int n = id.toInt(&ok);
            if (!ok || n < 0 || n > 63) {
                err << "pelm-cli: --sim-refuse takes a parameter id from 0 to 63\n";
                return false;
            }
            m_device.setRefused(quint8(n));
        }
        if (p.isSet(QStringLiteral("sim-fault")) && !setFault(p.value(QStringLiteral("sim-fault")), err))
            return false;
        if (p.isSet(QStringLiteral("sim-schedule")) &&
            !setSchedule(p.value(QStringLiteral("sim-schedule")), err))
            return false;
        SimUsbHid::install(&m_device);
        installSimBle(&m_device);
        m_installed = true;
        return true;
    }

    /// Plugs or unplugs the device as the schedule says for elapsedMs after the start.
    void followSchedule(qint64 elapsedMs)
    {
        while (!m_schedule.isEmpty() && m_schedule.first().atMs <= elapsedMs)
            m_device.setPlugged(m_schedule.takeFirst().plugged);
    }

    /// Writes the device's parameters back to the state file, if one was given.
    bool saveState(QTextStream &err)
    {
        if (m_statePath.isEmpty())
            return true;
        QJsonObject params;
        for (auto it = m_device.params().cbegin(); it != m_device.params().cend(); ++it)
            params.insert(QString::number(it.key()), QString::fromLatin1(it.value().toHex()));
        QSaveFile f(m_statePath);
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(QJsonDocument(QJsonObject{{QStringLiteral("params"), params}}).toJson()) < 0 ||
            !f.commit()) {
            err << "Can't write file '" << m_statePath << "'!\n";
            return false;
        }
        return true;
    }

private:
    bool loadState(QTextStream &err)
    {
        QFile f(m_statePath);
        const QJsonObject params =
            f.open(QIODevice::ReadOnly)
                ? QJsonDocument::fromJson(f.readAll()).object().value("params").toObject()
                : QJsonObject();
        if (params.isEmpty()) {
            err << "pelm-cli: the simulator state file '" << m_statePath << "' can't be read\n";
            return false;
        }
        for (auto it = params.constBegin(); it != params.constEnd(); ++it)
            m_device.setParam(quint8(it.key().toInt()),
                              QByteArray::fromHex(it.value().toString().toLatin1()));
        return true;
    }

    bool setFault(const QString &spec, QTextStream &err)
    {
        // KIND[:ARG][@load|@write|@defaults]
        static const QMap<QString, int> scopes = {
            {QStringLiteral("load"), 4}, {QStringLiteral("write"), 0}, {QStringLiteral("defaults"), 3}};
        const QString scope = spec.section('@', 1);
        const QString body = spec.section('@', 0, 0);
        const QString name = body.section(':', 0, 0);
        bool ok = scope.isEmpty() || scopes.contains(scope);
        const int arg = body.contains(':') ? body.section(':', 1).toInt(&ok) : 0;
        static const QMap<QString, SimFault::Kind> kinds = {
            {QStringLiteral("unplugged"), SimFault::Unplugged},
            {QStringLiteral("silent"), SimFault::Silent},
            {QStringLiteral("wrong-link-code"), SimFault::WrongLinkCode},
            {QStringLiteral("not-acknowledged"), SimFault::NotAcknowledged},
            {QStringLiteral("device-error"), SimFault::DeviceError},
            {QStringLiteral("truncated-load"), SimFault::TruncatedElement},
            {QStringLiteral("corrupted-load"), SimFault::CorruptedElement},
            {QStringLiteral("unplug-after"), SimFault::UnplugAfterRequests},
        };
        if (!ok || !kinds.contains(name)) {
            err << "pelm-cli: unknown --sim-fault '" << spec << "'\n";
            return false;
        }
        const SimFault::Kind kind = kinds.value(name);
        SimFault fault(kind, arg);
        if (!scope.isEmpty())
            fault = fault.onAction(scopes.value(scope));
        if (kind == SimFault::Unplugged && scope.isEmpty())
            m_device.setPlugged(false);
        else
            m_device.setFault(fault);
        return true;
    }

    bool setSchedule(const QString &spec, QTextStream &err)
    {
        // unplug@MS|plug@MS[,...]
        m_schedule.clear();
        for (const QString &event : spec.split(',')) {
            const QString what = event.section('@', 0, 0);
            bool isNumber = false;
            const qint64 atMs = event.section('@', 1).toLongLong(&isNumber);
            const bool known = what == QLatin1String("plug") || what == QLatin1String("unplug");
            if (event.count('@') != 1 || !known || !isNumber || atMs < 0) {
                err << "pelm-cli: unknown --sim-schedule '" << spec << "'\n";
                return false;
            }
            m_schedule.append({atMs, what == QLatin1String("plug")});
        }
        std::stable_sort(m_schedule.begin(), m_schedule.end(),
                         [](const CableEvent &a, const CableEvent &b) { return a.atMs < b.atMs; });
        return true;
    }

    /// One scheduled move of the simulated cable.
    struct CableEvent
    {
        qint64 atMs;
        bool plugged;
    };

    SimDevice m_device;
    QString m_statePath;
    QList<CableEvent> m_schedule;
    bool m_installed = false;

public:
    SimDevice &device() { return m_device; }
};

/// Set by SIGINT or SIGTERM while a watch runs.
volatile std::sig_atomic_t g_stopRequested = 0;

extern "C" void requestStop(int)
{
    g_stopRequested = 1;
}

/// Routes SIGINT and SIGTERM to a stop request for its lifetime. Blocking calls are not
/// restarted after the signal, so a wait inside hidapi ends early too.
class StopSignals
{
public:
    StopSignals()
    {
        g_stopRequested = 0;
        struct sigaction sa = {};
        sa.sa_handler = requestStop;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = 0;
        sigaction(SIGINT, &sa, &m_oldInt);
        sigaction(SIGTERM, &sa, &m_oldTerm);
    }
    ~StopSignals()
    {
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
    }
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;
    static bool requested() { return g_stopRequested != 0; }

private:
    struct sigaction m_oldInt = {};
    struct sigaction m_oldTerm = {};
};

/// Follows the USB port from poll to poll and tells what changed, one line per event.
class UsbWatch
{
public:
    explicit UsbWatch(QTextStream &out, Reporter &rep) : m_out(out), m_rep(rep) {}

    /// Looks once; true when a device was seen going away.
    bool poll()
    {
        if (m_device) {
            // The accepted device is held open: its transport says when it is gone.
            if (m_device->isConnected())
                return false;
            m_device.reset();
            return unplugged();
        }
        if (m_unknownPresent) {
            // A device that did not identify is not probed again: it is watched in the
            // enumeration until it leaves.
            if (CommUsbHid::isListed(m_unknown.vendorId, m_unknown.productId, m_unknownPath))
                return false;
            m_unknownPresent = false;
            return unplugged();
        }
        DeviceFactory::Probe probe = DeviceFactory::probeUsb(nullptr, &m_rep);
        switch (probe.outcome) {
        case DeviceFactory::ProbeOutcome::Accepted:
            m_device = std::move(probe.transport);
            print(QStringLiteral("plugged ") + Catalog::identityText(probe.info.identity()));
            break;
        case DeviceFactory::ProbeOutcome::Failed:
        case DeviceFactory::ProbeOutcome::Unknown:
            m_unknown = {probe.usbVendorId, probe.usbProductId};
            m_unknownPath = probe.usbPath;
            m_unknownPresent = true;
            print(QStringLiteral("unknown %1:%2")
                      .arg(m_unknown.vendorId, 4, 16, QLatin1Char('0'))
                      .arg(m_unknown.productId, 4, 16, QLatin1Char('0')));
            break;
        case DeviceFactory::ProbeOutcome::NoDevice:
        case DeviceFactory::ProbeOutcome::Busy:
            break;
        }
        return false;
    }

private:
    bool unplugged()
    {
        print(QStringLiteral("unplugged"));
        return true;
    }
    void print(const QString &line)
    {
        m_out << line << '\n';
        m_out.flush(); // scripts act on each line as it comes
    }

    QTextStream &m_out;
    Reporter &m_rep;
    std::unique_ptr<Comm> m_device;
    UsbHidIdentity m_unknown = {0, 0};
    QByteArray m_unknownPath;
    bool m_unknownPresent = false;
};

/// Between two looks at the USB port: an unplug is reported within this (plus the time a
/// probe of a newly plugged device takes).
constexpr int kWatchPollMs = 200;
/// Sleep between checks of the stop request and of the simulated cable.
constexpr int kWatchSliceMs = 20;

int deviceWatch(bool once, Simulation &sim, QTextStream &out)
{
    const StopSignals stop;
    UsbWatch watch(out, reporter());
    QElapsedTimer clock;
    clock.start();
    qint64 nextPollMs = 0;
    while (!StopSignals::requested()) {
        sim.followSchedule(clock.elapsed());
        if (clock.elapsed() >= nextPollMs) {
            nextPollMs = clock.elapsed() + kWatchPollMs;
            if (watch.poll() && once)
                break;
        }
        QThread::msleep(kWatchSliceMs);
    }
    return Cli::kOk;
}

/// Reads the keys of `device keys` from a file or ('-') standard input. Returns kOk, or the
/// exit code with the reason on err (which never quotes the file's text).
int readKeys(const QString &path, LoRaWanKeys::Keys *keys, QTextStream &err)
{
    QFile f;
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
    QString why;
    if (!LoRaWanKeys::parseKeyText(f.readAll(), keys, &why)) {
        err << "pelm-cli: no keys written: " << why << '\n';
        return Cli::kIncomplete;
    }
    return Cli::kOk;
}

/// Writes the keys and prints one line per key id (never the key). The exit code.
int writeKeys(DeviceSession &session, const LoRaWanKeys::Keys &keys, QTextStream &out)
{
    const LoRaWanKeys::WriteResult written = LoRaWanKeys::write(session, keys.appEui, keys.appKey);
    for (const LoRaWanKeys::KeyResult &k : written.keys) {
        out << (k.refused ? "REFUSED  " : "accepted ") << k.id << ' ' << LoRaWanKeys::keyName(k.id);
        if (k.refused)
            out << ": " << LoRaWanKeys::refusalText(k.id);
        out << '\n';
    }
    switch (written.outcome) {
    case LoRaWanKeys::WriteResult::Accepted:
        return Cli::kOk;
    case LoRaWanKeys::WriteResult::NoAnswer:
        return Cli::kNoDevice;
    default:
        return Cli::kIncomplete;
    }
}

/// Connects to the device named by the options; null (message on err) when none answers.
std::unique_ptr<DeviceSession> connectDevice(const QCommandLineParser &p, QTextStream &err)
{
    std::unique_ptr<DeviceSession> session;
    if (p.isSet(QStringLiteral("ble"))) {
        QString address = p.value(QStringLiteral("ble"));
        session.reset(DeviceFactory::connectBle(address));
        if (!session)
            err << "No supported device answered at BLE address " << address << ".\n";
        return session;
    }
    // Failed identifications are silent for the first attempts: show them at once here.
    for (int i = 0; i < DeviceFactory::kUsbSilentAttempts; ++i) {
        if (DeviceFactory::usbAttemptCounter() >= DeviceFactory::kUsbSilentAttempts)
            break;
        bool failed = false;
        session.reset(DeviceFactory::connectUsb(&failed));
        if (session || !failed)
            break;
    }
    if (!session && DeviceFactory::usbAttemptCounter() >= DeviceFactory::kUsbSilentAttempts) {
        bool failed = false;
        session.reset(DeviceFactory::connectUsb(&failed));
    }
    if (!session)
        err << "No supported device answered on USB.\n";
    return session;
}

int deviceCommand(const QString &cmd, const QStringList &args, QTextStream &out, QTextStream &err)
{
    QCommandLineParser p;
    p.addOption({QStringLiteral("simulate"), QStringLiteral("simulated device")});
    p.addOption({QStringLiteral("ble"), QStringLiteral("BLE address"), QStringLiteral("ADDRESS")});
    p.addOption({QStringLiteral("sim-state"), QStringLiteral("simulator state"), QStringLiteral("FILE")});
    p.addOption({QStringLiteral("sim-fault"), QStringLiteral("simulator fault"), QStringLiteral("SPEC")});
    p.addOption({QStringLiteral("sim-refuse"), QStringLiteral("refused id"), QStringLiteral("ID")});
    p.addOption(
        {QStringLiteral("sim-schedule"), QStringLiteral("simulated cable events"), QStringLiteral("EVENTS")});
    p.addOption({QStringLiteral("once"), QStringLiteral("watch until the first unplug")});
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 QStringLiteral("output file"),
                 QStringLiteral("FILE")});
    p.addOption({QStringLiteral("force"), QStringLiteral("open a file of another module type")});
    p.addOption({QStringLiteral("keys"), QStringLiteral("key file"), QStringLiteral("FILE")});
    if (!p.parse(QStringList{QStringLiteral("device")} + args))
        return usage(err, p.errorText());
    const QStringList pos = p.positionalArguments();
    const bool wantsFile = cmd == QLatin1String("apply");
    if (pos.size() != (wantsFile ? 1 : 0))
        return usage(err, wantsFile ? QStringLiteral("device apply needs exactly one FILE.ocf")
                                    : QStringLiteral("device %1 takes no file").arg(cmd));
    if (p.isSet(QStringLiteral("o")) && cmd != QLatin1String("read"))
        return usage(err, QStringLiteral("-o is an option of device read"));
    const bool watching = cmd == QLatin1String("watch");
    if (p.isSet(QStringLiteral("once")) && !watching)
        return usage(err, QStringLiteral("--once is an option of device watch"));
    if (p.isSet(QStringLiteral("sim-schedule")) && !watching)
        return usage(err, QStringLiteral("--sim-schedule is an option of device watch"));
    if (p.isSet(QStringLiteral("ble")) && watching)
        return usage(err, QStringLiteral("device watch watches USB only"));
    const bool keysCommand = cmd == QLatin1String("keys");
    if (p.isSet(QStringLiteral("keys")) != keysCommand)
        return usage(err, keysCommand
                              ? QStringLiteral("device keys needs --keys FILE (or - for standard input)")
                              : QStringLiteral("--keys is an option of device keys"));
    const bool simOption = p.isSet(QStringLiteral("sim-state")) || p.isSet(QStringLiteral("sim-fault")) ||
                           p.isSet(QStringLiteral("sim-refuse")) || p.isSet(QStringLiteral("sim-schedule"));
    if (simOption && !p.isSet(QStringLiteral("simulate")))
        return usage(err, QStringLiteral("the --sim-* options need --simulate"));

    // The keys are read and checked before any device is touched: incomplete keys are never sent.
    LoRaWanKeys::Keys keys;
    if (keysCommand) {
        const int rc = readKeys(p.value(QStringLiteral("keys")), &keys, err);
        if (rc != Cli::kOk)
            return rc;
    }

    Simulation sim;
    if (p.isSet(QStringLiteral("simulate")) && !sim.setUp(p, err))
        return Cli::kUsage;

    if (watching) {
        const int rc = deviceWatch(p.isSet(QStringLiteral("once")), sim, out);
        if (!sim.saveState(err) && rc == Cli::kOk)
            return Cli::kFileError;
        return rc;
    }

    std::unique_ptr<DeviceSession> session = connectDevice(p, err);
    if (!session)
        return Cli::kNoDevice;

    int rc = Cli::kOk;
    if (cmd == QLatin1String("info")) {
        out << "identity: " << session->identityText() << '\n'
            << "orvType: " << session->orvType() << '\n'
            << "orvRev: " << session->orvRev() << '\n'
            << "kivType: " << session->kivType() << '\n'
            << "kivRev: " << session->kivRev() << '\n'
            << "identifier: " << QString::fromLatin1(session->identifier().toHex().toUpper()) << '\n'
            << "versionWord: "
            << (session->versionWord() < 0
                    ? QStringLiteral("unknown")
                    : QStringLiteral("0x%1").arg(session->versionWord(), 4, 16, QLatin1Char('0')))
            << '\n'
            << "bufferSize: " << session->bufferSize() << '\n';
    } else if (cmd == QLatin1String("read")) {
        if (session->loadFromDevice() != 0)
            rc = Cli::kNoDevice;
        else if (p.isSet(QStringLiteral("o"))) {
            if (session->writeFile(p.value(QStringLiteral("o"))) != 0)
                rc = Cli::kFileError;
        } else
            printParams(session->pageParams(), session->tables(), out);
    } else if (cmd == QLatin1String("apply")) {
        // A file made for another radio-module type: the question is printed, --force answers it.
        const bool force = p.isSet(QStringLiteral("force"));
        session->setOtherModuleDecision([force](const Reporter::Box &question) {
            reporter().box(question);
            return force;
        });
        if (session->readFile(pos.first()) < 1)
            rc = Cli::kFileError;
        else if (session->applyToDevice() != 0)
            rc = Cli::kNoDevice;
        else {
            for (const ApplyResult &r : session->lastApplyResults()) {
                if (r.id == 0)
                    continue; // padding of a frame's group of 8
                const QString name = session->tables().name(r.id);
                out << (r.refused ? "REFUSED  " : "accepted ") << r.id << ' '
                    << (name.isEmpty() ? QStringLiteral("(unknown parameter)") : name);
                if (r.refused) {
                    const QString why = session->tables().error(r.id);
                    out << ": " << (why.isEmpty() ? QStringLiteral("failed") : why);
                    rc = Cli::kIncomplete;
                }
                out << '\n';
            }
        }
    } else if (keysCommand) {
        rc = writeKeys(*session, keys, out);
    } else if (cmd == QLatin1String("defaults")) {
        if (session->restoreDefaults() != 0)
            rc = Cli::kNoDevice;
        else
            out << "Default configuration restored.\n";
    } else {
        return usage(err, QStringLiteral("unknown command 'device %1'").arg(cmd));
    }
    session.reset();
    if (!sim.saveState(err) && rc == Cli::kOk)
        rc = Cli::kFileError;
    return rc;
}

// ---------------------------------------------------------------------------------------------
// Firmware files and updates
// ---------------------------------------------------------------------------------------------

int firmwareInfo(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() != 1)
        return usage(err, QStringLiteral("firmware info needs exactly one FILE.srec"));
    const QString path = args.first();
    if (!QFileInfo(path).isFile()) {
        err << "Can't open file '" << path << "'!\n";
        return Cli::kFileError;
    }
    SegmentStore store;
    store.init(SegmentStore::kParserSRecord);
    if (!store.loadFromFile(path, 0)) {
        err << "Can't read the firmware file '" << path << "'!\n";
        return Cli::kFileError;
    }
    if (store.lastLoadStats().corruptLines > 0)
        err << store.lastLoadStats().corruptLines << " corrupt lines skipped\n";
    const int count = store.segmentCount();
    if (count == 0) {
        err << "The file '" << path << "' holds no data records.\n";
        return Cli::kFileError;
    }
    quint32 base = 0;
    quint32 length = 0;
    store.segment(0, &base, &length);
    out << "segments " << count << '\n'
        << QString::asprintf("base 0x%08x\n", base) << "size " << store.totalSize() << '\n';
    for (int i = 0; i < count; ++i) {
        store.segment(i, &base, &length);
        out << QString::asprintf("0x%08x-0x%08x\n", base, quint32(base + (length - 1)));
    }
    return Cli::kOk;
}

/// Writes the store as S3 records of 16 bytes (what the simulated XCP target was given).
bool writeSRecords(const SegmentStore &store, const QString &path)
{
    constexpr quint32 kRecordBytes = 16;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray text;
    for (int i = 0; i < store.segmentCount(); ++i) {
        quint32 base = 0;
        quint32 length = 0;
        const quint8 *data = store.segment(i, &base, &length);
        for (quint32 at = 0; at < length; at += kRecordBytes) {
            const quint32 n = qMin(kRecordBytes, length - at);
            QByteArray record;
            const quint32 address = base + at;
            record.append(char(n + 5));
            for (int shift = 24; shift >= 0; shift -= 8)
                record.append(char((address >> shift) & 0xFF));
            record.append(reinterpret_cast<const char *>(data + at), int(n));
            quint8 sum = 0;
            for (const char c : record)
                sum = quint8(sum + quint8(c));
            record.append(char(quint8(~sum)));
            text += "S3" + record.toHex().toUpper() + '\n';
        }
    }
    return f.write(text) == text.size() && f.commit();
}

/// Sets the simulated bootloaders up from the --sim-ymodem, --sim-ymodem-peer and --sim-xcp options.
bool setUpSimBootloaders(const QCommandLineParser &p, SimDevice &device, QTextStream &err)
{
    SimBootloaders &boot = device.bootloaders();
    const auto bad = [&err](const QString &option, const QString &item) {
        err << "pelm-cli: unknown " << option << " item '" << item << "'\n";
        return false;
    };
    // N or NxK
    const auto countSpec = [](const QString &text, int *n, int *times) {
        bool ok1 = false;
        bool ok2 = true;
        *n = text.section('x', 0, 0).toInt(&ok1);
        *times = text.contains('x') ? text.section('x', 1).toInt(&ok2) : 1;
        return ok1 && ok2 && *n >= 0 && *times > 0;
    };
    SimYmodemReceiver::Faults faults;
    for (const QString &item : p.value(QStringLiteral("sim-ymodem")).split(',', Qt::SkipEmptyParts)) {
        const QString name = item.section(':', 0, 0);
        const QString arg = item.section(':', 1);
        if (name == QLatin1String("silent"))
            faults.silent = true;
        else if (name == QLatin1String("ack-first-eot"))
            faults.ackFirstEot = true;
        else if (name == QLatin1String("drop") &&
                 countSpec(arg, &faults.dropAnswerBlock, &faults.dropAnswerTimes))
            continue;
        else if (name == QLatin1String("nak") && countSpec(arg, &faults.nakBlock, &faults.nakTimes))
            continue;
        else
            return bad(QStringLiteral("--sim-ymodem"), item);
    }
    boot.ymodem().setFaults(faults);
    if (p.isSet(QStringLiteral("sim-ymodem-peer")))
        boot.setYmodemPeer(p.value(QStringLiteral("sim-ymodem-peer")), QDir::currentPath());

    SimXcpTarget::Config config;
    for (const QString &item : p.value(QStringLiteral("sim-xcp")).split(',', Qt::SkipEmptyParts)) {
        const QString name = item.section(':', 0, 0);
        const QString arg = item.section(':', 1);
        bool ok = true;
        if (name == QLatin1String("protected"))
            config.protectedPgm = true;
        else if (name == QLatin1String("motorola"))
            config.motorola = true;
        else if (name == QLatin1String("require-encrypted"))
            config.requireEncrypted = true;
        else if (name == QLatin1String("silent"))
            config.silent = true;
        else if (name == QLatin1String("unknown"))
            config.unknownConnects = arg.toInt(&ok);
        else if (name == QLatin1String("drop"))
            config.dropAnswerAt = arg.toInt(&ok);
        else if (name == QLatin1String("max-cto-pgm")) {
            const int n = arg.toInt(&ok);
            ok = ok && n >= 4 && n <= 255;
            config.maxCtoPgm = quint8(n);
        } else if (name == QLatin1String("seed")) {
            config.seed = QByteArray::fromHex(arg.toLatin1());
            ok = !config.seed.isEmpty();
        } else
            ok = false;
        if (!ok)
            return bad(QStringLiteral("--sim-xcp"), item);
    }
    boot.xcp().setConfig(config);
    boot.xcp().reset();
    return true;
}

/// Writes what the simulated bootloader received (--sim-image).
bool writeSimImage(SimDevice &device, const QString &path, QTextStream &err)
{
    SimBootloaders &boot = device.bootloaders();
    bool ok = false;
    if (!boot.restarts().isEmpty() && boot.restarts().last().second == SimBootloaders::kKindXcp) {
        ok = writeSRecords(boot.xcp().memory(), path);
    } else {
        QSaveFile f(path);
        const QByteArray bytes = boot.ymodem().file();
        ok = f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit();
    }
    if (!ok)
        err << "Can't write file '" << path << "'!\n";
    return ok;
}

/// Set by Ctrl+C while an update runs.
volatile std::sig_atomic_t g_interrupted = 0;

void onInterrupt(int)
{
    g_interrupted = 1;
    std::signal(SIGINT, SIG_DFL); // a second Ctrl+C ends the program
}

/// Shows the updater's progress on standard error: a bar on a terminal, lines otherwise.
class ProgressPrinter
{
public:
    explicit ProgressPrinter(QTextStream &err) : m_err(err), m_terminal(isatty(fileno(stderr)) != 0) {}

    void message(const QString &text)
    {
        endBar();
        m_err << text;
        if (!text.endsWith('\n'))
            m_err << '\n';
        m_err.flush();
    }

    void progress(int percent)
    {
        if (percent == m_last)
            return;
        m_last = percent;
        if (percent <= 0) {
            // A step starts or the update ended: no empty bar.
            endBar();
            m_last = 0;
            return;
        }
        if (!m_terminal) {
            m_err << "progress " << percent << "%\n";
            m_err.flush();
            return;
        }
        constexpr int kBarWidth = 40;
        const int filled = qBound(0, percent, 100) * kBarWidth / 100;
        m_err << '\r' << '[' << QString(filled, '#') << QString(kBarWidth - filled, '.') << "] "
              << QString::number(percent).rightJustified(3) << '%';
        m_err.flush();
        m_barShown = true;
    }

private:
    void endBar()
    {
        if (m_barShown)
            m_err << '\n';
        m_barShown = false;
        m_last = -1;
    }

    QTextStream &m_err;
    const bool m_terminal;
    bool m_barShown = false;
    int m_last = -1;
};

int deviceUpdate(const QStringList &args, QTextStream &out, QTextStream &err)
{
    Q_UNUSED(out)
    QCommandLineParser p;
    p.addOption({QStringLiteral("simulate"), QStringLiteral("simulated device")});
    p.addOption({QStringLiteral("ble"), QStringLiteral("BLE address"), QStringLiteral("ADDRESS")});
    p.addOption({QStringLiteral("sim-state"), QStringLiteral("simulator state"), QStringLiteral("FILE")});
    p.addOption({QStringLiteral("sim-fault"), QStringLiteral("simulator fault"), QStringLiteral("SPEC")});
    p.addOption({QStringLiteral("sim-refuse"), QStringLiteral("refused id"), QStringLiteral("ID")});
    p.addOption({QStringLiteral("sim-ymodem"), QStringLiteral("YMODEM bootloader"), QStringLiteral("SPEC")});
    p.addOption(
        {QStringLiteral("sim-ymodem-peer"), QStringLiteral("YMODEM receiver"), QStringLiteral("COMMAND")});
    p.addOption({QStringLiteral("sim-xcp"), QStringLiteral("XCP bootloader"), QStringLiteral("SPEC")});
    p.addOption({QStringLiteral("sim-image"), QStringLiteral("received image"), QStringLiteral("FILE")});
    p.addOption({QStringLiteral("target"), QStringLiteral("controller"), QStringLiteral("TARGET"),
                 QStringLiteral("device")});
    p.addOption({QStringLiteral("seed-key"), QStringLiteral("seed-and-key library"), QStringLiteral("LIB")});
    p.addOption({QStringLiteral("connect-timeout"), QStringLiteral("seconds"), QStringLiteral("SECONDS"),
                 QStringLiteral("30")});
    if (!p.parse(QStringList{QStringLiteral("device")} + args))
        return usage(err, p.errorText());
    const QStringList pos = p.positionalArguments();
    if (pos.size() != 1)
        return usage(err, QStringLiteral("device update needs exactly one firmware FILE"));
    const QString target = p.value(QStringLiteral("target"));
    if (target != QLatin1String("device") && target != QLatin1String("ble-module"))
        return usage(err, QStringLiteral("--target is 'device' or 'ble-module'"));
    bool ok = false;
    const double timeoutS = p.value(QStringLiteral("connect-timeout")).toDouble(&ok);
    if (!ok || timeoutS <= 0 || timeoutS > 24 * 3600)
        return usage(err, QStringLiteral("--connect-timeout takes a number of seconds above 0"));
    if (!QFileInfo(pos.first()).isFile()) {
        err << "Can't open file '" << pos.first() << "'!\n";
        return Cli::kFileError;
    }
    bool simOption = false;
    for (const char *o :
         {"sim-state", "sim-fault", "sim-refuse", "sim-ymodem", "sim-ymodem-peer", "sim-xcp", "sim-image"})
        simOption = simOption || p.isSet(QString::fromLatin1(o));
    if (simOption && !p.isSet(QStringLiteral("simulate")))
        return usage(err, QStringLiteral("the --sim-* options need --simulate"));

    // The BLE link logs every packet: thousands of lines that would bury the updater's
    // messages (QT_LOGGING_RULES still turns them on).
    QLoggingCategory::setFilterRules(QStringLiteral("pelm.ble.debug=false"));

    Simulation sim;
    if (p.isSet(QStringLiteral("simulate")) &&
        (!sim.setUp(p, err) || !setUpSimBootloaders(p, sim.device(), err)))
        return Cli::kUsage;

    std::unique_ptr<DeviceSession> session = connectDevice(p, err);
    if (!session)
        return Cli::kNoDevice;

    const QString address = p.value(QStringLiteral("ble"));
    FirmwareUpdater updater(session.get(), address);
    updater.setSeedKeyLibrary(p.isSet(QStringLiteral("seed-key"))
                                  ? p.value(QStringLiteral("seed-key"))
                                  : FirmwareUpdater::seedKeyLibraryFromSettings());
    updater.setConnectTimeoutMs(int(timeoutS * 1000));
    ProgressPrinter printer(err);
    QObject::connect(&updater, &FirmwareUpdater::message,
                     [&printer](const QString &t) { printer.message(t); });
    QObject::connect(&updater, &FirmwareUpdater::progress, [&printer](int v) { printer.progress(v); });

    const quint8 code = target == QLatin1String("device") ? FirmwareUpdater::kTargetDevice
                                                          : FirmwareUpdater::kTargetBleModule;
    updater.readBootloaders();
    const QString section = updater.sectionText(code);
    if (!section.isEmpty())
        printer.message(section);

    g_interrupted = 0;
    std::signal(SIGINT, onInterrupt);
    QTimer interruptPoll;
    QObject::connect(&interruptPoll, &QTimer::timeout, [&updater] {
        if (g_interrupted)
            updater.requestAbort();
    });
    interruptPoll.start(100);
    const bool updated = updater.start(code, pos.first());
    interruptPoll.stop();
    std::signal(SIGINT, SIG_DFL);

    int rc = updated ? Cli::kOk : Cli::kUpdateFailed;
    if (updated) {
        // The device again, as the updater page reads it after an update.
        Comm *link = session->transport();
        if (link && (link->isConnected() || link->open()) && session->identify(false))
            printer.message(QStringLiteral("Device after the update: ") + session->identityText());
        else
            printer.message(QStringLiteral("The device did not answer after the update."));
    }
    if (p.isSet(QStringLiteral("sim-image")) &&
        !writeSimImage(sim.device(), p.value(QStringLiteral("sim-image")), err) && rc == Cli::kOk)
        rc = Cli::kFileError;
    session.reset();
    if (!sim.saveState(err) && rc == Cli::kOk)
        rc = Cli::kFileError;
    return rc;
}

} // namespace

int Cli::run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    // --verbose goes anywhere on the line: every log category on standard error.
    QStringList args = arguments;
    if (args.removeAll(QStringLiteral("--verbose")) > 0)
        Logging::enableVerbose();
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
    else if (group == QLatin1String("frames") && cmd == QLatin1String("qr"))
        rc = framesQr(rest, err, rep);
    else if (group == QLatin1String("frames") && cmd == QLatin1String("unpack"))
        rc = framesUnpack(rest, out, err);
    else if (group == QLatin1String("file") && cmd == QLatin1String("info"))
        rc = fileInfo(rest, out, err, rep);
    else if (group == QLatin1String("firmware") && cmd == QLatin1String("info"))
        rc = firmwareInfo(rest, out, err);
    else if (group == QLatin1String("update-check"))
        rc = updateCheck(args.mid(1), out, err);
    else if (group == QLatin1String("device") && cmd == QLatin1String("update"))
        rc = deviceUpdate(rest, out, err);
    else if (group == QLatin1String("device") && !cmd.isEmpty())
        rc = deviceCommand(cmd, rest, out, err);
    else
        rc = usage(err, QStringLiteral("unknown command '%1'").arg(args.mid(0, 2).join(' ')));
    setReporter(nullptr);
    return rc;
}

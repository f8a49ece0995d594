// pelm-cli: the commands on a connected device (info, read, apply, keys, defaults, watch).
#include "cli/CliCommands.h"

#include "cli/CliFleet.h"
#include "cli/CliHelp.h"
#include "cli/CliSimulation.h"

#include "common/Reporter.h"
#include "device/model/Catalog.h"
#include "device/session/DeviceFactory.h"
#include "device/session/DeviceSession.h"
#include "device/session/LoRaWanKeys.h"
#include "links/Comm.h"
#include "links/CommUsbHid.h"

#include <QCoreApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QThread>

#include <signal.h>

#include <csignal>
#include <cstdio>

using Cli::Simulation;
using Cli::usage;

namespace {

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
        if (probe.outcome != DeviceFactory::ProbeOutcome::NoDevice &&
            probe.outcome != DeviceFactory::ProbeOutcome::Busy)
            m_refusedPath.clear(); // a device that could not be opened opens now
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
            // A device of ours that this user may not open: said once while it stays.
            if (!probe.usbRefused.isNull()) {
                if (probe.usbRefused.path != m_refusedPath) {
                    m_refusedPath = probe.usbRefused.path;
                    print(QStringLiteral("noaccess %1 %2")
                              .arg(probe.usbRefused.ids(), QString::fromLocal8Bit(m_refusedPath)));
                }
            } else if (!m_refusedPath.isEmpty()) {
                m_refusedPath.clear();
                return unplugged();
            }
            break;
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
    QByteArray m_refusedPath; ///< the device plugged in that can't be opened (empty: none)
};

/// Between two looks at the USB port: an unplug is reported within this (plus the time a
/// probe of a newly plugged device takes).
constexpr int kWatchPollMs = 200;
/// Sleep between checks of the stop request and of the simulated cable.
constexpr int kWatchSliceMs = 20;

/// Watches until stopped (or, with once, until the first unplug). What the reporter prints
/// goes to err, which is flushed after every look like out: a script sees each event at once.
int deviceWatch(bool once, Simulation &sim, QTextStream &out, QTextStream &err)
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
            const bool unplugged = watch.poll();
            err.flush();
            if (unplugged && once)
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
        err << QCoreApplication::translate("Cli", "Can't open file '%1'!").arg(path) << '\n';
        return Cli::kFileError;
    }
    QString why;
    if (!LoRaWanKeys::parseKeyText(f.readAll(), keys, &why)) {
        err << "pelm-cli: " << QCoreApplication::translate("Cli", "no keys written: %1").arg(why) << '\n';
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

} // namespace

std::unique_ptr<DeviceSession> Cli::connectDevice(const QCommandLineParser &p, QTextStream &err)
{
    std::unique_ptr<DeviceSession> session;
    if (p.isSet(QStringLiteral("ble"))) {
        QString address = p.value(QStringLiteral("ble"));
        session.reset(DeviceFactory::connectBle(address));
        if (!session)
            err << QCoreApplication::translate("Cli", "No supported device answered at BLE address %1.")
                       .arg(address)
                << '\n';
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
        err << QCoreApplication::translate("Cli", "No supported device answered on USB.") << '\n';
    return session;
}

int Cli::deviceCommand(const QString &cmd, const QStringList &args, QTextStream &out, QTextStream &err)
{
    QCommandLineParser p;
    Simulation::addOptions(p);
    p.addOption({QStringLiteral("ble"), QStringLiteral("BLE address"), QStringLiteral("ADDRESS")});
    p.addOption({QStringLiteral("once"), QStringLiteral("watch until the first unplug")});
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 QStringLiteral("output file"),
                 QStringLiteral("FILE")});
    p.addOption({QStringLiteral("force"), QStringLiteral("open a file of another module type")});
    p.addOption({QStringLiteral("keys"), QStringLiteral("key file"), QStringLiteral("FILE")});
    p.addOption({QStringLiteral("no-backup"), QStringLiteral("write without saving a backup first")});
    FleetApply::addOptions(p);
    if (!p.parse(QStringList{QStringLiteral("device")} + args))
        return usage(err, p.errorText());
    const QStringList pos = p.positionalArguments();
    const bool wantsFile = cmd == QLatin1String("apply") || cmd == QLatin1String("diff");
    if (pos.size() != (wantsFile ? 1 : 0))
        return usage(err, wantsFile ? QStringLiteral("device %1 needs exactly one FILE.ocf").arg(cmd)
                                    : QStringLiteral("device %1 takes no file").arg(cmd));
    if (p.isSet(QStringLiteral("o")) && cmd != QLatin1String("read"))
        return usage(err, QCoreApplication::translate("Cli", "-o is an option of device read"));
    const bool watching = cmd == QLatin1String("watch");
    if (p.isSet(QStringLiteral("once")) && !watching)
        return usage(err, QCoreApplication::translate("Cli", "--once is an option of device watch"));
    if (p.isSet(QStringLiteral("sim-schedule")) && !watching)
        return usage(err, QCoreApplication::translate("Cli", "--sim-schedule is an option of device watch"));
    if (p.isSet(QStringLiteral("ble")) && watching)
        return usage(err, QCoreApplication::translate("Cli", "device watch watches USB only"));
    const bool keysCommand = cmd == QLatin1String("keys");
    if (p.isSet(QStringLiteral("keys")) != keysCommand)
        return usage(err, keysCommand
                              ? QStringLiteral("device keys needs --keys FILE (or - for standard input)")
                              : QStringLiteral("--keys is an option of device keys"));
    if (Simulation::anySet(p, Simulation::optionNames()) && !p.isSet(QStringLiteral("simulate")))
        return usage(err, QCoreApplication::translate("Cli", "the --sim-* options need --simulate"));

    // The keys are read and checked before any device is touched: incomplete keys are never sent.
    LoRaWanKeys::Keys keys;
    if (keysCommand) {
        const int rc = readKeys(p.value(QStringLiteral("keys")), &keys, err);
        if (rc != Cli::kOk)
            return rc;
    }

    FleetApply fleet; // key list and record are read before any device is touched
    if (const int rc = fleet.prepare(p, cmd, err))
        return rc;

    Simulation sim;
    if (p.isSet(QStringLiteral("simulate")) && !sim.setUp(p, err))
        return Cli::kUsage;

    if (watching) {
        const int rc = deviceWatch(p.isSet(QStringLiteral("once")), sim, out, err);
        if (!sim.saveState(err) && rc == Cli::kOk)
            return Cli::kFileError;
        return rc;
    }

    std::unique_ptr<DeviceSession> session = connectDevice(p, err);
    if (!session)
        return Cli::kNoDevice;

    // A file made for another radio-module type: the question is printed, --force answers it.
    const bool force = p.isSet(QStringLiteral("force"));
    session->setOtherModuleDecision([force](const Reporter::Box &question) {
        reporter().box(question);
        return force;
    });
    // Every write saves what the device holds first; when that fails nothing is written and
    // the command ends with the file error (unless --no-backup).
    session->setBackupsEnabled(!p.isSet(QStringLiteral("no-backup")));
    session->setBackupFailedDecision([&err](const QString &why) {
        err << "pelm-cli: " << QCoreApplication::translate("Cli", "nothing written: %1").arg(why) << '\n';
        return false;
    });
    const auto backupFailed = [&session] {
        return session->lastWriteStop() == DeviceSession::WriteStop::BackupFailed;
    };

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
            printParams(session->pageParams(), session->tables(), session->kivType(), out, err);
    } else if (cmd == QLatin1String("apply")) {
        // One write path with the roll-out: the file's own records, checked by the family's
        // model, and nothing written when it refuses one.
        rc = fleet.run(*session, pos.first(), out, err);
        if (backupFailed())
            rc = Cli::kFileError;
    } else if (cmd == QLatin1String("diff")) {
        rc = deviceDiff(*session, pos.first(), out, err);
    } else if (cmd == QLatin1String("backups")) {
        rc = deviceBackups(*session, out, err);
    } else if (keysCommand) {
        rc = writeKeys(*session, keys, out);
    } else if (cmd == QLatin1String("defaults")) {
        if (session->restoreDefaults() != 0)
            rc = backupFailed() ? Cli::kFileError : Cli::kNoDevice;
        else
            out << "Default configuration restored.\n";
    } else {
        return usage(err, QCoreApplication::translate("Cli", "unknown command 'device %1'").arg(cmd));
    }
    session.reset();
    if (!sim.saveState(err) && rc == Cli::kOk)
        rc = Cli::kFileError;
    return rc;
}

// pelm-cli: firmware files and the firmware update of a device.
#include "cli/CliCommands.h"

#include "cli/CliHelp.h"
#include "cli/CliSimulation.h"

#include "device/DeviceSession.h"
#include "links/Comm.h"
#include "update/FirmwareUpdater.h"
#include "update/SegmentStore.h"

#include <QCoreApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <limits>
#include <cstdio>

#include <unistd.h>

using Cli::Simulation;
using Cli::usage;

namespace {

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

} // namespace

int Cli::firmwareInfo(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() != 1)
        return usage(err, QCoreApplication::translate("Cli", "firmware info needs exactly one FILE.srec"));
    const QString path = args.first();
    if (!QFileInfo(path).isFile()) {
        err << QCoreApplication::translate("Cli", "Can't open file '%1'!").arg(path) << '\n';
        return Cli::kFileError;
    }
    SegmentStore store;
    store.init(SegmentStore::kParserSRecord);
    if (!store.loadFromFile(path, 0)) {
        err << QCoreApplication::translate("Cli", "Can't read the firmware file '%1'!").arg(path) << '\n';
        return Cli::kFileError;
    }
    const quint64 corrupt = store.lastLoadStats().corruptLines;
    if (corrupt > 0) {
        const int shown = corrupt > quint64(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                             : int(corrupt);
        err << QCoreApplication::translate("Cli", "%n corrupt lines skipped", nullptr, shown) << '\n';
    }
    const int count = store.segmentCount();
    if (count == 0) {
        err << QCoreApplication::translate("Cli", "The file '%1' holds no data records.").arg(path) << '\n';
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

int Cli::deviceUpdate(const QStringList &args, QTextStream &out, QTextStream &err)
{
    Q_UNUSED(out)
    QCommandLineParser p;
    Simulation::addOptions(p);
    p.addOption({QStringLiteral("ble"), QStringLiteral("BLE address"), QStringLiteral("ADDRESS")});
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
        return usage(err,
                     QCoreApplication::translate("Cli", "device update needs exactly one firmware FILE"));
    const QString target = p.value(QStringLiteral("target"));
    if (target != QLatin1String("device") && target != QLatin1String("ble-module"))
        return usage(err, QCoreApplication::translate("Cli", "--target is 'device' or 'ble-module'"));
    bool ok = false;
    const double timeoutS = p.value(QStringLiteral("connect-timeout")).toDouble(&ok);
    if (!ok || timeoutS <= 0 || timeoutS > 24 * 3600)
        return usage(
            err, QCoreApplication::translate("Cli", "--connect-timeout takes a number of seconds above 0"));
    if (!QFileInfo(pos.first()).isFile()) {
        err << QCoreApplication::translate("Cli", "Can't open file '%1'!").arg(pos.first()) << '\n';
        return Cli::kFileError;
    }
    if (p.isSet(QStringLiteral("sim-schedule")))
        return usage(err, QCoreApplication::translate("Cli", "--sim-schedule is an option of device watch"));
    const QStringList simOptions =
        Simulation::optionNames() + QStringList{QStringLiteral("sim-ymodem"),
                                                QStringLiteral("sim-ymodem-peer"), QStringLiteral("sim-xcp"),
                                                QStringLiteral("sim-image")};
    if (Simulation::anySet(p, simOptions) && !p.isSet(QStringLiteral("simulate")))
        return usage(err, QCoreApplication::translate("Cli", "the --sim-* options need --simulate"));

    // The BLE link logs every packet: thousands of lines that would bury the updater's
    // messages (QT_LOGGING_RULES still turns them on).
    QLoggingCategory::setFilterRules(QStringLiteral("pelm.ble.debug=false"));

    Simulation sim;
    if (p.isSet(QStringLiteral("simulate")) &&
        (!sim.setUp(p, err) || !Cli::setUpSimBootloaders(p, sim.device(), err)))
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
        !Cli::writeSimImage(sim.device(), p.value(QStringLiteral("sim-image")), err) && rc == Cli::kOk)
        rc = Cli::kFileError;
    session.reset();
    if (!sim.saveState(err) && rc == Cli::kOk)
        rc = Cli::kFileError;
    return rc;
}

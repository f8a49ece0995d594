// pelm-cli: firmware files and the firmware update of a device.
#include "cli/CliCommands.h"

#include "cli/CliHelp.h"
#include "cli/CliReporter.h"
#include "cli/CliSimulation.h"

#include "device/family/ConfigDiff.h"
#include "device/files/ConfigFile.h"
#include "device/session/DeviceSession.h"
#include "links/Ble.h"
#include "links/Comm.h"
#include "links/CommBle.h"
#include "links/CommUsbHid.h"
#include "update/FirmwareUpdater.h"
#include "update/SegmentStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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

/// Set by Ctrl+C or SIGTERM while an update runs.
volatile std::sig_atomic_t g_interrupted = 0;

void onInterrupt(int signal)
{
    g_interrupted = 1;
    std::signal(signal, SIG_DFL); // a second one ends the program
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

/// How long a YMODEM bootloader that waits for a transfer takes to ask for one ('C'); a
/// real one asks every second.
constexpr int kReceiverAskMs = 2500;
/// Attempts of the XCP CONNECT that finds an XCP bootloader waiting.
constexpr int kXcpProbeAttempts = 5;
constexpr quint16 kXcpProbeTimeoutMs = 200;

/// Whether a YMODEM bootloader waits on the link: it asks for a transfer with 'C'.
bool ymodemReceiverWaits(Comm *link)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < kReceiverAskMs) {
        quint8 b = 0;
        const qint32 got = link->read(&b, 1, int(kReceiverAskMs - elapsed.elapsed()));
        if (got < 0)
            return false;
        if (got == 1 && b == 'C')
            return true;
        QCoreApplication::processEvents();
    }
    return false;
}

/// Whether an XCP bootloader at the BLE address answers CONNECT.
bool xcpTargetAnswers(const QString &address)
{
    const BleLinkTable &table = bleLinkTable();
    table.create(address);
    bool answered = false;
    if (table.open()) {
        TransportPacket tx{};
        tx.data[0] = XcpLoader::kCmdConnect;
        tx.data[1] = 0;
        tx.data[2] = 1;
        tx.len = 3;
        for (int i = 0; i < kXcpProbeAttempts && !answered; ++i) {
            TransportPacket rx{};
            answered = table.exchange(&tx, &rx, kXcpProbeTimeoutMs) && rx.len > 0 &&
                       (rx.data[0] == XcpLoader::kPositiveAnswer || rx.data[0] == XcpLoader::kErrorAnswer);
        }
    }
    table.destroy();
    return answered;
}

/// A session on the link of a controller that waits in its bootloader for the firmware file
/// (it does not answer the configuration protocol), or null when none waits.
std::unique_ptr<DeviceSession> waitingBootloader(const QString &address, quint8 target, const QString &path)
{
    const int kind = FirmwareUpdater::kindFromSuffix(path);
    std::unique_ptr<Comm> link;
    if (address.isEmpty())
        link = std::make_unique<CommUsbHid>();
    else
        link = std::make_unique<CommBle>(address);
    if (kind == FirmwareUpdater::kKindYmodem && target == FirmwareUpdater::kTargetDevice) {
        const bool open =
            address.isEmpty() ? static_cast<CommUsbHid *>(link.get())->openFirst() : link->open();
        if (!open || !ymodemReceiverWaits(link.get()))
            return nullptr;
    } else if (kind == FirmwareUpdater::kKindXcp && !address.isEmpty()) {
        if (!xcpTargetAnswers(address))
            return nullptr;
    } else {
        return nullptr;
    }
    return std::make_unique<DeviceSession>(link.release(), DeviceInfo());
}

/// After an update that was backed up: what the device holds now against the backup taken
/// before it. An update that changed the configuration says how, and how to write the backup
/// back.
void compareWithBackup(DeviceSession &session, const QString &backup, ProgressPrinter &printer)
{
    QMap<quint8, QByteArray> now;
    OrvParamList records;
    if (!session.deviceValues(&now) ||
        ConfigFile::read(backup, false, session.identity(), records).value < 1) {
        printer.message(
            QCoreApplication::translate("Cli", "The configuration could not be compared with the backup %1.")
                .arg(backup));
        return;
    }
    const ConfigDiff::Rows rows =
        ConfigDiff::compare(now, ConfigDiff::values(records, session.kivType()), session.kivType());
    if (rows.isEmpty())
        return;
    QString text = QCoreApplication::translate(
        "Cli", "The update changed the configuration of the device (now → before the update):");
    for (const ConfigDiff::Row &r : rows)
        text += QStringLiteral("\n  ") + r.line();
    text +=
        QLatin1Char('\n') +
        QCoreApplication::translate("Cli", "Write it back with: pelm-cli device apply \"%1\"").arg(backup);
    printer.message(text);
}

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
    p.addOption({QStringLiteral("resume"), QStringLiteral("finish a stopped update")});
    p.addOption({QStringLiteral("no-backup"), QStringLiteral("update without saving a backup first")});
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
    // The whole file before anything is asked of the device.
    const QString problem =
        FirmwareUpdater::fileProblem(FirmwareUpdater::kindFromSuffix(pos.first()), pos.first());
    if (!problem.isEmpty()) {
        err << problem << '\n';
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

    const QString address = p.value(QStringLiteral("ble"));
    const quint8 code = target == QLatin1String("device") ? FirmwareUpdater::kTargetDevice
                                                          : FirmwareUpdater::kTargetBleModule;
    // A controller whose update was stopped waits in its bootloader and does not answer the
    // configuration protocol: the update is finished there. --resume looks for it at once.
    bool resume = false;
    std::unique_ptr<DeviceSession> session;
    QString noDevice;
    if (!p.isSet(QStringLiteral("resume"))) {
        // What the failed identification says is only shown when no bootloader waits either.
        QTextStream quiet(&noDevice);
        Reporter &shown = reporter();
        CliReporter held(quiet);
        setReporter(&held);
        session = connectDevice(p, quiet);
        setReporter(&shown);
        quiet.flush();
        if (session) {
            err << noDevice;
            noDevice.clear();
        }
    }
    if (!session) {
        session = waitingBootloader(address, code, pos.first());
        resume = session != nullptr;
    }
    if (!session) {
        if (p.isSet(QStringLiteral("resume")))
            err << QCoreApplication::translate("Cli", "No bootloader waits for a firmware file.") << '\n';
        else
            err << noDevice;
        return Cli::kNoDevice;
    }

    // What the device holds is saved before the update changes it (a controller waiting in its
    // bootloader has no configuration to read).
    QString backup;
    if (!resume && !p.isSet(QStringLiteral("no-backup"))) {
        QString why;
        backup = session->backupNow(&why);
        if (backup.isEmpty()) {
            err << "pelm-cli: " << QCoreApplication::translate("Cli", "nothing written: %1").arg(why) << '\n';
            return Cli::kFileError;
        }
    }

    FirmwareUpdater updater(session.get(), address);
    updater.setSeedKeyLibrary(p.isSet(QStringLiteral("seed-key"))
                                  ? p.value(QStringLiteral("seed-key"))
                                  : FirmwareUpdater::seedKeyLibraryFromSettings());
    updater.setConnectTimeoutMs(int(timeoutS * 1000));
    if (p.isSet(QStringLiteral("simulate")))
        updater.setTiming(FirmwareUpdater::Timing::simulated());
    ProgressPrinter printer(err);
    QObject::connect(&updater, &FirmwareUpdater::message,
                     [&printer](const QString &t) { printer.message(t); });
    QObject::connect(&updater, &FirmwareUpdater::progress, [&printer](int v) { printer.progress(v); });

    if (resume) {
        printer.message(QCoreApplication::translate(
            "Cli", "The controller waits in its bootloader: finishing the stopped update."));
    } else {
        updater.readBootloaders();
        const QString section = updater.sectionText(code);
        if (!section.isEmpty())
            printer.message(section);
    }

    // A stop (Ctrl+C, or SIGTERM from a service manager) ends the update between two steps:
    // the receiver is told, the controller stays in its bootloader.
    g_interrupted = 0;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    QTimer interruptPoll;
    QObject::connect(&interruptPoll, &QTimer::timeout, [&updater] {
        if (g_interrupted)
            updater.requestAbort();
    });
    interruptPoll.start(100);
    const bool updated = resume ? updater.resume(code, pos.first()) : updater.start(code, pos.first());
    interruptPoll.stop();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);

    int rc = updated ? Cli::kOk : Cli::kUpdateFailed;
    // The updater read the device again once it came back (or said why it could not).
    if (updated && updater.deviceAnswered()) {
        printer.message(QStringLiteral("Device after the update: ") + session->identityText());
        if (!backup.isEmpty())
            compareWithBackup(*session, backup, printer);
    }
    if (p.isSet(QStringLiteral("sim-image")) &&
        !Cli::writeSimImage(sim.device(), p.value(QStringLiteral("sim-image")), err) && rc == Cli::kOk)
        rc = Cli::kFileError;
    session.reset();
    if (!sim.saveState(err) && rc == Cli::kOk)
        rc = Cli::kFileError;
    return rc;
}

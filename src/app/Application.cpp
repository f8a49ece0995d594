#include "app/Application.h"

#include "gui/GuiReporter.h"
#include "app/MainWindow.h"
#include "sim/SimBle.h"
#include "sim/SimBootloaders.h"
#include "sim/SimDevice.h"
#include "sim/SimUsbHid.h"
#include "common/Logging.h"
#include "common/Reporter.h"

#include <QApplication>
#include <QColor>
#include <QCommandLineParser>
#include <QDebug>
#include <QDir>
#include <QLockFile>
#include <QPalette>
#include <QStyleFactory>

#include <memory>
#include <vector>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace Application {

namespace {
const char kOrganizationName[] = "Pelm";
const char kOrganizationDomain[] = "www.pelm-sensors.com";
const char kApplicationName[] = "Pelm Configurator";
/// The installed desktop entry (packaging/linux): Wayland shells find the icon through it.
const char kDesktopFileName[] = "com.pelm_sensors.PelmConfigurator";
const char kLockFileName[] = "/orv-lockfile";
const char kStyleName[] = "Fusion";
const QColor kWindowColour(240, 240, 240);
/// Bootloader capabilities of the demo's devices (tag in bits 7..5, kind in 4..0): the main
/// controller YMODEM (0x42), the BLE radio module XCP (0x63); the radio module alone has XCP.
const char kSimDeviceCapsHex[] = "4263";
const char kSimModuleCapsHex[] = "63";
/// Pace of the demo's BLE notifications: a firmware update runs for seconds and can be stopped.
constexpr int kSimNotifyIntervalMs = 30;
/// The demo's BLE radio module as the scan shows it.
const char kSimModuleName[] = "KIV_BLE 0002";
const char kSimModuleAddress[] = "00:80:E1:26:00:02";
} // namespace

void setIdentity()
{
    QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganizationName));
    QCoreApplication::setOrganizationDomain(QString::fromLatin1(kOrganizationDomain));
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELM_VERSION));
}

QString lockUserName()
{
    QString name;
    for (const char *variable : {"USER", "LOGNAME", "USERNAME"}) {
        name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            break;
    }
#ifdef Q_OS_UNIX
    if (name.isEmpty()) {
        if (const passwd *entry = getpwuid(getuid()))
            name = QString::fromLocal8Bit(entry->pw_name);
    }
#endif
    // Part of a file name: nothing that leaves the folder or that a file system refuses.
    QString safe;
    for (const QChar c : name)
        safe +=
            (c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('_') || c == QLatin1Char('-'))
                ? c
                : QLatin1Char('_');
    return safe;
}

QString defaultLockPath()
{
    // One lock per user: the temporary folder is shared by everyone on the machine.
    const QString user = lockUserName();
    return QDir::tempPath() + QLatin1String(kLockFileName) +
           (user.isEmpty() ? QString() : QLatin1Char('-') + user);
}

LockOutcome acquireInstanceLock(QLockFile &lock)
{
    LockOutcome out;
    if (lock.tryLock(kLockWaitMs)) {
        out.proceed = true;
        return out;
    }
    const QString name = QCoreApplication::applicationName();
    reporter().information(QCoreApplication::translate("Application", "%1 running!").arg(name),
                           QCoreApplication::translate("Application", "%1 is already running !").arg(name));
    out.exitCode = kSecondInstanceExitCode;
    return out;
}

void applyLookAndFeel()
{
    QApplication::setStyle(QStyleFactory::create(QString::fromLatin1(kStyleName)));
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, kWindowColour); // all colour groups
    QApplication::setPalette(palette);
}

StartOptions parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QCoreApplication::translate("Application",
                                    "Run with the simulated device instead of real hardware."));
    parser.addOption(simulate);
    const QCommandLineOption verbose(
        QStringLiteral("verbose"),
        QCoreApplication::translate("Application", "Log every step on standard error (a trace to send)."));
    parser.addOption(verbose);
    const QCommandLineOption updateUrl(
        QStringLiteral("update-url"),
        QCoreApplication::translate("Application", "Ask URL for the release information (update check)."),
        QStringLiteral("URL"));
    parser.addOption(updateUrl);
    const QCommandLineOption autoConfig(
        QStringLiteral("auto-config"),
        QStringLiteral("Open the auto configuration page with FILE and start the roll-out."),
        QStringLiteral("FILE"));
    parser.addOption(autoConfig);
    const QCommandLineOption record(
        QStringLiteral("record"), QStringLiteral("Provisioning record of the roll-out (with --auto-config)."),
        QStringLiteral("FILE.csv"));
    parser.addOption(record);
    const QCommandLineOption keysCsv(QStringLiteral("keys-csv"),
                                     QStringLiteral("Key list of the roll-out (with --auto-config)."),
                                     QStringLiteral("FILE"));
    parser.addOption(keysCsv);
    if (!parser.parse(arguments))
        qWarning().noquote() << parser.errorText();

    StartOptions options;
    options.simulate = parser.isSet(simulate);
    options.verbose = parser.isSet(verbose);
    options.updateUrl = parser.value(updateUrl);
    options.autoConfig = parser.value(autoConfig);
    options.record = parser.value(record);
    options.keysCsv = parser.value(keysCsv);
    return options;
}

void setUpSimulatedBootloaders(SimDevice &device)
{
    // The device names its second radio module (the BLE one) so that the updater shows it.
    device.setExtendedIdentification(true);
    // Main controller: a YMODEM bootloader; BLE radio module: an XCP bootloader that takes the
    // image without asking for a key (no seed-and-key library is needed to try the updater).
    device.setBootloaderCaps(QByteArray::fromHex(kSimDeviceCapsHex));
    SimXcpTarget::Config xcp;
    xcp.protectedPgm = false;
    device.bootloaders().xcp().setConfig(xcp);
    device.bootloaders().xcp().reset();
}

int runOnce(int argc, char **argv, GuiReporter &gui, const QString &lockPath, const ShownFunction &shown)
{
    // QApplication strips the options it understands from the vector it is given: hand it a
    // copy so that a restart sees the original command line again.
    std::vector<char *> args(argv, argv + argc);
    args.push_back(nullptr);
    int count = argc;
    QApplication app(count, args.data());
    setIdentity();
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
    const StartOptions options = parseCommandLine(QCoreApplication::arguments());
    if (options.verbose)
        Logging::enableVerbose();
    if ((!options.record.isEmpty() || !options.keysCsv.isEmpty()) && options.autoConfig.isEmpty()) {
        qWarning().noquote() << "--record and --keys-csv are options of --auto-config.";
        return kBadOptionsExitCode;
    }

    QLockFile lock(lockPath.isEmpty() ? defaultLockPath() : lockPath);
    const LockOutcome outcome = acquireInstanceLock(lock);
    if (!outcome.proceed)
        return outcome.exitCode;

    applyLookAndFeel();

    // Demo mode: one simulated device is plugged in over USB, another one is advertised over
    // BLE (separate, so that unplugging the USB one leaves the BLE one to pick), and a BLE
    // radio module beside it for the updater.
    std::unique_ptr<SimDevice> simulatedUsb;
    std::unique_ptr<SimDevice> simulatedBle;
    std::unique_ptr<SimDevice> simulatedModule;
    if (options.simulate) {
        simulatedUsb.reset(new SimDevice);
        simulatedBle.reset(new SimDevice);
        simulatedModule.reset(new SimDevice);
        simulatedBle->setIdentifier(QByteArray::fromHex("70B3D5499A0C1E30"));
        setUpSimulatedBootloaders(*simulatedUsb);
        setUpSimulatedBootloaders(*simulatedBle);
        setUpSimulatedBootloaders(*simulatedModule);
        simulatedModule->setBootloaderCaps(QByteArray::fromHex(kSimModuleCapsHex));
        SimUsbHid::install(simulatedUsb.get());
        SimBleBackend *ble = installSimBle(simulatedBle.get());
        ble->addDevice(simulatedModule.get(), QString::fromLatin1(kSimModuleName),
                       QString::fromLatin1(kSimModuleAddress));
        ble->setNotifyIntervalMs(kSimNotifyIntervalMs);
    }

    int code = 0;
    {
        MainWindow window;
        window.setSimulated(options.simulate);
        if (!options.updateUrl.isEmpty())
            window.setUpdateUrl(options.updateUrl);
        gui.setWindow(&window);
        window.show();
        if (!options.autoConfig.isEmpty())
            window.startAutoConfig(options.autoConfig, options.record, options.keysCsv);
        if (shown)
            shown(window);
        code = app.exec();
        lock.unlock();
        gui.setWindow(nullptr);
    }
    if (options.simulate) {
        SimUsbHid::uninstall();
        uninstallSimBle();
    }
    return code;
}

int runWithRestart(const std::function<int()> &runOnce)
{
    int code;
    do {
        code = runOnce();
    } while (code == kRestartExitCode);
    return code;
}

} // namespace Application

// pelm-cli doctor over the HID library seam (the simulated table): the devices of both
// identities and whether each opens, the Bluetooth adapters, and the exit code.

#include "cli/Cli.h"
#include "cli/CliDoctor.h"
#include "sim/SimDevice.h"
#include "sim/SimUsbHid.h"

#include <QtTest>

#include <memory>

using Adapters = QList<Cli::BluetoothAdapter>;
Q_DECLARE_METATYPE(Adapters)

namespace {
enum class Plug
{
    Unplugged,
    Opens,
    AccessDenied
};

/// The report's lines from its USB heading to the Bluetooth line(s), included.
QStringList usbAndBluetooth(const QString &report)
{
    QStringList lines = report.split(QLatin1Char('\n'));
    lines.removeFirst(); // the version
    QStringList kept;
    for (const QString &line : qAsConst(lines)) {
        if (line.startsWith(QLatin1String("Translations:")))
            break;
        kept << line;
    }
    return kept;
}
} // namespace

Q_DECLARE_METATYPE(Plug)

class TestCliDoctor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void report_data();
    void report();
    void translationsAndSettings();
    void rulesInstallCommand();
    void takesNoArguments();

private:
    std::unique_ptr<SimDevice> m_dev;
};

void TestCliDoctor::init()
{
    m_dev.reset(new SimDevice);
    SimUsbHid::install(m_dev.get());
}

void TestCliDoctor::cleanup()
{
    SimUsbHid::uninstall();
    m_dev.reset();
}

void TestCliDoctor::report_data()
{
    QTest::addColumn<Plug>("plug");
    QTest::addColumn<Adapters>("adapters");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("exitCode");

    const QString heading = QStringLiteral("USB HID devices (04d8:0240, 0483:a236):");
    const QString none = QStringLiteral("Bluetooth adapter: none");
    // The simulated device is listed under both identities; its first plug-in is number 0.
    const QString fix =
        QStringLiteral("    A device is plugged in, but this user may not open it: sim-hid:%1:0 "
                       "(USB %1). Install the device rules 70-pelm-configurator.rules (the "
                       "package does), then unplug the device and plug it in again.");

    QTest::newRow("nothing plugged in, no adapter")
        << Plug::Unplugged << Adapters{} << QStringList{heading, "  none plugged in", none} << int(Cli::kOk);
    QTest::newRow("device opens") << Plug::Opens << Adapters{}
                                  << QStringList{heading, "  04d8:0240 sim-hid:04d8:0240:0: opens",
                                                 "  0483:a236 sim-hid:0483:a236:0: opens", none}
                                  << int(Cli::kOk);
    QTest::newRow("device refuses this user")
        << Plug::AccessDenied << Adapters{}
        << QStringList{heading,
                       "  04d8:0240 sim-hid:04d8:0240:0: can't be opened",
                       fix.arg("04d8:0240"),
                       "  0483:a236 sim-hid:0483:a236:0: can't be opened",
                       fix.arg("0483:a236"),
                       // Beside the test program there is no installed rules file.
                       "  The device rules are not where the package puts them: " +
                           QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                           "/../lib/udev/rules.d/70-pelm-configurator.rules"),
                       none}
        << int(Cli::kNoDevice);
    QTest::newRow("two adapters") << Plug::Unplugged
                                  << Adapters{{"hci0", "00:1A:7D:DA:71:13", "powered off"},
                                              {QString(), "00:1A:7D:DA:71:14", "on"}}
                                  << QStringList{heading, "  none plugged in",
                                                 "Bluetooth adapter: 00:1A:7D:DA:71:13 \"hci0\": powered off",
                                                 "Bluetooth adapter: 00:1A:7D:DA:71:14: on"}
                                  << int(Cli::kOk);
}

void TestCliDoctor::report()
{
    QFETCH(Plug, plug);
    QFETCH(Adapters, adapters);
    QFETCH(QStringList, expected);
    QFETCH(int, exitCode);
    m_dev->setPlugged(plug != Plug::Unplugged);
    SimUsbHid::setAccessDenied(plug == Plug::AccessDenied);

    QString text;
    QTextStream out(&text);
    QCOMPARE(Cli::doctorReport(adapters, out), exitCode);
    out.flush();
    QVERIFY2(text.startsWith(QStringLiteral("pelm-cli " PELM_VERSION "\n")), qPrintable(text));
    QCOMPARE(usbAndBluetooth(text), expected);
}

void TestCliDoctor::rulesInstallCommand()
{
    // An installed tree: the program in bin, the rules where the package puts them.
    QCOMPARE(Cli::shippedRulesPath("/opt/pelm 1.0/bin"),
             QStringLiteral("/opt/pelm 1.0/lib/udev/rules.d/70-pelm-configurator.rules"));
    QCOMPARE(Cli::shippedRulesPath("/usr/bin"), QStringLiteral("/usr/lib/udev/rules.d/70-pelm-configurator.rules"));

    QCOMPARE(Cli::rulesInstallCommand("/usr/lib/udev/rules.d/70-pelm-configurator.rules"),
             QStringLiteral("sudo cp /usr/lib/udev/rules.d/70-pelm-configurator.rules /etc/udev/rules.d/ && "
                            "sudo udevadm control --reload"));
    // A path with a space or a quote stays one word for the shell.
    QCOMPARE(Cli::rulesInstallCommand("/opt/pelm 1.0/it's.rules"),
             QStringLiteral("sudo cp '/opt/pelm 1.0/it'\\''s.rules' /etc/udev/rules.d/ && "
                            "sudo udevadm control --reload"));
}

void TestCliDoctor::translationsAndSettings()
{
    // Beside this test program there is no translation: the report says so and where it looked.
    const QString programDir = QCoreApplication::applicationDirPath();
    QString text;
    QTextStream out(&text);
    Cli::doctorReport({}, out);
    out.flush();
    const QStringList lines = text.split(QLatin1Char('\n'));
    const int at = lines.indexOf(QStringLiteral("Translations: none found (English only)"));
    QVERIFY2(at > 0, qPrintable(text));
    QCOMPARE(lines.value(at + 1),
             QStringLiteral("  looked in: %1/translations, %2/share/pelm-configurator/translations")
                 .arg(programDir, QDir::cleanPath(programDir + QStringLiteral("/.."))));
    QVERIFY2(lines.value(at + 2).startsWith(QStringLiteral("Settings: ") + QSettings().fileName()),
             qPrintable(text));
}

void TestCliDoctor::takesNoArguments()
{
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    QCOMPARE(Cli::doctor({QStringLiteral("--all")}, out, err), int(Cli::kUsage));
    err.flush();
    QCOMPARE(errText, QStringLiteral("pelm-cli: doctor takes no arguments\nTry 'pelm-cli --help'.\n"));
    QVERIFY(outText.isEmpty());
}

QTEST_GUILESS_MAIN(TestCliDoctor)
#include "tst_cli_doctor.moc"

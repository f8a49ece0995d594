// The updater's flow without widgets (FirmwareUpdater) against the simulated device: the
// bootloader list, the refusals, the YMODEM update of the main controller over USB and BLE,
// the XCP update of the main controller and of the BLE module over BLE, stop requests and
// the one-update-at-a-time rule.

#include "update/SegmentStore.h"
#include "device/model/Catalog.h"
#include "device/session/DeviceFactory.h"
#include "device/session/DeviceSession.h"
#include "links/CommUsbHid.h"
#include "sim/SimBle.h"
#include "sim/SimBootloaders.h"
#include "sim/SimDevice.h"
#include "sim/SimUsbHid.h"
#include "support/TestData.h"
#include "support/UpdateSupport.h"
#include "update/FirmwareUpdater.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString kAddress = QString::fromLatin1(SimBleBackend::kDefaultAddress);
using State = FirmwareUpdater::State;
using TestData::randomBytes;

struct Recorder
{
    QStringList messages;
    QList<int> progress;
    QList<State> states;
    QList<bool> finished;

    void attach(FirmwareUpdater *u)
    {
        QObject::connect(u, &FirmwareUpdater::message, [this](const QString &t) { messages << t; });
        QObject::connect(u, &FirmwareUpdater::progress, [this](int v) { progress << v; });
        QObject::connect(u, &FirmwareUpdater::stateChanged, [this](State s) { states << s; });
        QObject::connect(u, &FirmwareUpdater::finished, [this](bool ok) { finished << ok; });
    }
};

QByteArray srecOf(quint32 base, const QByteArray &data)
{
    return SRecord::s3Records(base, data);
}

} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void bootloaderList();
    void kindTables();
    void refusals_data();
    void refusals();
    void deviceYmodem_data();
    void deviceYmodem();
    void deviceReadAgainAfterItEnumeratesAgain_data();
    void deviceReadAgainAfterItEnumeratesAgain();
    void kindFromFileWhenDeviceListsNone();
    void xcpOverBle_data();
    void xcpOverBle();
    void stopLeavesControllerInBootloader_data();
    void stopLeavesControllerInBootloader();
    void stopWhileXcpTargetSilent();
    void failedDeviceUpdateClearsWaitForRestart();
    void oneUpdateAtATime();

private:
    DeviceSession *connectUsb();
    DeviceSession *connectBle();
    QString writeFile(const QString &name, const QByteArray &content);

    std::unique_ptr<SimDevice> m_dev;
    std::unique_ptr<DeviceSession> m_session;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestUpdater::init()
{
    m_dev = std::make_unique<SimDevice>();
    m_dir = std::make_unique<QTemporaryDir>();
    SimUsbHid::install(m_dev.get());
    installSimBle(m_dev.get());
    CommUsbHid::resetRemainder();
    DeviceFactory::resetUsbAttemptCounter();
}

void TestUpdater::cleanup()
{
    m_session.reset();
    SimUsbHid::uninstall();
    uninstallSimBle();
    m_dev.reset();
    m_dir.reset();
}

DeviceSession *TestUpdater::connectUsb()
{
    bool failed = false;
    m_session.reset(DeviceFactory::connectUsb(&failed));
    return m_session.get();
}

DeviceSession *TestUpdater::connectBle()
{
    m_session.reset(DeviceFactory::connectBle(kAddress));
    return m_session.get();
}

QString TestUpdater::writeFile(const QString &name, const QByteArray &content)
{
    return TestData::writeFile(*m_dir, name, content);
}

// ---------------------------------------------------------------------------------------------

void TestUpdater::bootloaderList()
{
    m_dev->setBootloaderCaps(QByteArray::fromHex("216342")); // serial module 1, BLE module 3, device 2
    m_dev->setExtendedIdentification(true, 12, 0x0110);
    QVERIFY(connectBle());
    FirmwareUpdater updater(m_session.get(), kAddress);
    const QList<FirmwareUpdater::Bootloader> expected = {{0x40, 2}, {0x60, 3}, {0x20, 1}};
    QCOMPARE(updater.readBootloaders(), expected);
    QCOMPARE(m_dev->commandCount(8), 1); // one query for all three
    QCOMPARE(updater.bootloaderKind(0x60), 3);
    QCOMPARE(updater.sectionText(0x40),
             QStringLiteral("Firmware : Pelm PTC-CT 1.0.0\nBootloader : ST Ymodem"));
    QCOMPARE(updater.sectionText(0x60),
             QStringLiteral("Firmware : Pelm %1 1.1.0\nBootloader : BootQuor").arg(Catalog::kivName(12)));
    QCOMPARE(updater.sectionText(0x20), QStringLiteral("Firmware : Pelm %1 %2\nBootloader : Aboot/DS30Secure")
                                            .arg(Catalog::kivName(14), Catalog::versionText(0x0102, false)));

    // A controller without a bootloader has no section; a device that reports none, none at all.
    m_dev->setBootloaderCaps(QByteArray::fromHex("42"));
    QCOMPARE(updater.readBootloaders(), (QList<FirmwareUpdater::Bootloader>{{0x40, 2}}));
    QCOMPARE(updater.bootloaderKind(0x60), -1);
    QCOMPARE(updater.sectionText(0x60), QString());
    m_dev->setBootloaderCaps(QByteArray());
    QVERIFY(updater.readBootloaders().isEmpty());
}

void TestUpdater::kindTables()
{
    QCOMPARE(FirmwareUpdater::kindName(1), QStringLiteral("Aboot/DS30Secure"));
    QCOMPARE(FirmwareUpdater::kindName(2), QStringLiteral("ST Ymodem"));
    QCOMPARE(FirmwareUpdater::kindName(3), QStringLiteral("BootQuor"));
    QCOMPARE(FirmwareUpdater::kindName(9), QStringLiteral("XXX"));
    QCOMPARE(FirmwareUpdater::fileFilter(1), QStringLiteral("Binaire DS30 (*.hex)"));
    QCOMPARE(FirmwareUpdater::fileFilter(2), QStringLiteral("ST Ymodem (*.sfb)"));
    QCOMPARE(FirmwareUpdater::fileFilter(3), QStringLiteral("S-record (*.srec)"));
    QCOMPARE(FirmwareUpdater::fileFilter(0), QStringLiteral("Firmware files (*.hex *.srec *.sfb)"));
    QCOMPARE(FirmwareUpdater::kindFromSuffix(QStringLiteral("/a/b/fw.SFB")), 2);
    QCOMPARE(FirmwareUpdater::kindFromSuffix(QStringLiteral("fw.srec")), 3);
    QCOMPARE(FirmwareUpdater::kindFromSuffix(QStringLiteral("fw.hex")), 1);
    QCOMPARE(FirmwareUpdater::kindFromSuffix(QStringLiteral("fw.bin")), -1);
}

void TestUpdater::refusals_data()
{
    QTest::addColumn<QByteArray>("caps");
    QTest::addColumn<bool>("ble");
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("content"); // empty: a valid S-record file

    const QString orv = QStringLiteral("This kind of bootloader with ORV is not supported");
    const QString kivBle = QStringLiteral("This kind of bootloader with KIV-BLE is not supported");
    QTest::newRow("device kind 1") << QByteArray("\x41") << false << 0x40 << "fw.hex" << orv << QByteArray();
    QTest::newRow("device kind 5") << QByteArray("\x45") << false << 0x40 << "fw.sfb" << orv << QByteArray();
    QTest::newRow("no device entry, .hex")
        << QByteArray("\x63") << false << 0x40 << "fw.hex" << orv << QByteArray();
    QTest::newRow("BLE module kind 2")
        << QByteArray("\x62") << true << 0x60 << "fw.srec" << kivBle << QByteArray();
    QTest::newRow("no BLE module") << QByteArray("\x42") << true << 0x60 << "fw.srec" << kivBle
                                   << QByteArray();
    QTest::newRow("S-record for ST Ymodem")
        << QByteArray("\x42") << false << 0x40 << "fw.srec"
        << "The file fw.srec is not a firmware file for the bootloader \"ST Ymodem\" (ST Ymodem (*.sfb))."
        << QByteArray();
    QTest::newRow("XCP over USB") << QByteArray("\x43") << false << 0x40 << "fw.srec"
                                  << "This controller is updated over BLE: connect to the device over BLE."
                                  << QByteArray();
    QTest::newRow("serial module: nothing")
        << QByteArray("\x21") << false << 0x20 << "fw.hex" << QString() << QByteArray();
    // The whole file is looked at before the controller is restarted.
    QTest::newRow("empty .sfb") << QByteArray("\x42") << false << 0x40 << "fw.sfb"
                                << "The firmware file fw.sfb is empty." << QByteArray("-");
    QTest::newRow("S-record without data records")
        << QByteArray("\x43") << true << 0x40 << "fw.srec"
        << "The firmware file fw.srec holds no data records." << QByteArray("S00600004844521B\nS9030000FC\n");
    QTest::newRow("S-record with a corrupt line")
        << QByteArray("\x42\x63") << true << 0x60 << "fw.srec"
        << "Line 3 of the firmware file fw.srec is corrupt (byte count or checksum): nothing was sent."
        << QByteArray("S00600004844521B\r\nS1050000414277\r\nS1050002414274\r\nS1050004414273\r\n");
    QTest::newRow("S-record line cut short")
        << QByteArray("\x42\x63") << true << 0x60 << "fw.srec"
        << "Line 1 of the firmware file fw.srec is corrupt (byte count or checksum): nothing was sent."
        << QByteArray("S10500004142\nS1050002414275\n");
}

void TestUpdater::refusals()
{
    QFETCH(QByteArray, caps);
    QFETCH(bool, ble);
    QFETCH(int, target);
    QFETCH(QString, file);
    QFETCH(QString, message);
    QFETCH(QByteArray, content);
    m_dev->setBootloaderCaps(caps);
    QVERIFY(ble ? connectBle() : connectUsb());
    FirmwareUpdater updater(m_session.get(), ble ? kAddress : QString());
    updater.readBootloaders();
    Recorder rec;
    rec.attach(&updater);
    if (content.isEmpty())
        content = "S1050000414277\n";
    else if (content == "-")
        content.clear();
    QVERIFY(!updater.start(quint8(target), writeFile(file, content)));
    QCOMPARE(rec.messages, message.isEmpty() ? QStringList() : QStringList{message});
    // Refused before anything was asked of the device.
    QVERIFY(m_dev->bootloaderRequests().isEmpty());
    QVERIFY(rec.finished.isEmpty());
    QVERIFY(!updater.isRunning());
}

void TestUpdater::deviceYmodem_data()
{
    QTest::addColumn<bool>("ble");
    QTest::addColumn<QByteArray>("caps");
    QTest::addColumn<QList<int>>("blocks");
    QTest::newRow("USB") << false << QByteArray("\x42\x63") << QList<int>{1024, 1024, 128};
    QTest::newRow("BLE") << true << QByteArray("\x42") << QVector<int>(17, 128).toList();
}

void TestUpdater::deviceYmodem()
{
    QFETCH(bool, ble);
    QFETCH(QByteArray, caps);
    QFETCH(QList<int>, blocks);
    m_dev->setBootloaderCaps(caps);
    QVERIFY(ble ? connectBle() : connectUsb());
    FirmwareUpdater updater(m_session.get(), ble ? kAddress : QString());
    updater.setTiming(quickUpdaterTiming());
    QVERIFY(updater.waitForRestart()); // device type 28
    updater.readBootloaders();
    Recorder rec;
    rec.attach(&updater);
    const QByteArray image = randomBytes(2100, 1);
    const QString path = writeFile(QStringLiteral("v2.sfb"), image);
    bool busyDuringUpdate = false;
    connect(&updater, &FirmwareUpdater::progress, &updater,
            [&](int) { busyDuringUpdate = busyDuringUpdate || DeviceBusyGuard::isBusy(); });

    QVERIFY(updater.start(0x40, path));
    QCOMPARE(rec.finished, QList<bool>{true});
    QCOMPARE(rec.states, (QList<State>{State::Updating, State::Reconnecting, State::Idle}));
    QCOMPARE(m_dev->bootloaderRequests(), QList<quint8>{0x40});
    QVERIFY(m_dev->bootloaders().ymodem().file() == image);
    QCOMPARE(m_dev->bootloaders().ymodem().blockSizes(), blocks);
    QVERIFY(rec.messages.contains(QStringLiteral("Firmware sent")));
    QVERIFY(busyDuringUpdate);
    QVERIFY(!DeviceBusyGuard::isBusy());
    // The device runs its application again and answers on the same session.
    QCOMPARE(m_dev->bootloaders().mode(), SimBootloaders::Mode::Application);
    QVERIFY(m_session->transport()->isConnected() || m_session->transport()->open());
    QVERIFY(m_session->identify(false));
}

void TestUpdater::deviceReadAgainAfterItEnumeratesAgain_data()
{
    QTest::addColumn<int>("absentMs");
    QTest::addColumn<bool>("back");
    // The main controller boots its application: the USB device goes away and comes back at
    // a new path; the handle opened before is dead.
    QTest::newRow("back within the wait") << 600 << true;
    QTest::newRow("not back") << 60000 << false;
}

void TestUpdater::deviceReadAgainAfterItEnumeratesAgain()
{
    QFETCH(int, absentMs);
    QFETCH(bool, back);
    m_dev->setReenumerationMs(absentMs);
    QVERIFY(connectUsb());
    FirmwareUpdater updater(m_session.get(), QString());
    FirmwareUpdater::Timing timing = quickUpdaterTiming();
    timing.reconnectMs = 1500;
    updater.setTiming(timing);
    updater.readBootloaders();
    Recorder rec;
    rec.attach(&updater);
    m_dev->setOrvRev(0x0110); // what the new firmware reports
    m_dev->resetCounters();
    QVERIFY(updater.start(0x40, writeFile(QStringLiteral("v2.sfb"), randomBytes(1500, 6))));
    QCOMPARE(updater.deviceAnswered(), back);
    if (back) {
        QCOMPARE(m_dev->actionCount(2), 1);
        QCOMPARE(m_session->orvRev(), 0x0110);
        QCOMPARE(rec.messages.last(), QStringLiteral("Firmware sent"));
    } else {
        QCOMPARE(
            rec.messages.last(),
            QStringLiteral("The device did not come back on USB after the update: it can't be read again."));
    }
}

void TestUpdater::kindFromFileWhenDeviceListsNone()
{
    // The device lists no bootloader for its main controller: the file says YMODEM. (The
    // simulated controller then has no bootloader to restart into.)
    m_dev->setBootloaderCaps(QByteArray("\x63"));
    QVERIFY(connectUsb());
    FirmwareUpdater updater(m_session.get(), QString());
    updater.setTiming(quickUpdaterTiming());
    YmodemUpdate::Timing ymodem;
    ymodem.receiverMs = 300;
    updater.setYmodemTiming(ymodem);
    updater.readBootloaders();
    Recorder rec;
    rec.attach(&updater);
    QVERIFY(!updater.start(0x40, writeFile(QStringLiteral("fw.sfb"), "data")));
    QCOMPARE(m_dev->bootloaderRequests(), QList<quint8>{0x40});
    QCOMPARE(rec.messages,
             (QStringList{"Waiting for bootloader detection...", "Error: bootloader not detected"}));
    QCOMPARE(rec.finished, QList<bool>{false});
}

void TestUpdater::xcpOverBle_data()
{
    QTest::addColumn<QByteArray>("caps");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("restarts"); // of the device after the update
    QTest::newRow("BLE module") << QByteArray("\x42\x63") << 0x60 << 1;
    QTest::newRow("main controller") << QByteArray("\x43") << 0x40 << 0;
}

void TestUpdater::xcpOverBle()
{
    QFETCH(QByteArray, caps);
    QFETCH(int, target);
    QFETCH(int, restarts);
    m_dev->setBootloaderCaps(caps);
    QVERIFY(connectBle());
    FirmwareUpdater updater(m_session.get(), kAddress);
    updater.setTiming(quickUpdaterTiming());
    updater.readBootloaders();
    Recorder rec;
    rec.attach(&updater);
    const QByteArray image = randomBytes(3000, 2);
    m_dev->resetCounters();
    QVERIFY(updater.start(quint8(target), writeFile(QStringLiteral("fw.srec"), srecOf(0x08000000, image))));
    QCOMPARE(rec.finished, QList<bool>{true});
    QCOMPARE(m_dev->bootloaderRequests(), QList<quint8>{quint8(target)});
    QCOMPARE(m_dev->bootloaders().controller(), quint8(target));
    const SegmentStore &memory = m_dev->bootloaders().xcp().memory();
    QCOMPARE(memory.segmentCount(), 1);
    quint32 base = 0;
    quint32 length = 0;
    const quint8 *data = memory.segment(0, &base, &length);
    QCOMPARE(base, 0x08000000u);
    QVERIFY(QByteArray(reinterpret_cast<const char *>(data), int(length)) == image);
    QCOMPARE(rec.messages.last(), QStringLiteral("Finishing programming session...[OK]"));
    // After a BLE module update the device itself is restarted; after either it is read again.
    QCOMPARE(m_dev->actionCount(1), restarts);
    QCOMPARE(m_dev->actionCount(2), 1);
    QVERIFY(updater.deviceAnswered());
    QCOMPARE(m_dev->bootloaders().mode(), SimBootloaders::Mode::Application);
}

void TestUpdater::stopLeavesControllerInBootloader_data()
{
    QTest::addColumn<bool>("ble");
    QTest::newRow("USB") << false;
    QTest::newRow("BLE") << true;
}

void TestUpdater::stopLeavesControllerInBootloader()
{
    QFETCH(bool, ble);
    QVERIFY(ble ? connectBle() : connectUsb());
    FirmwareUpdater updater(m_session.get(), ble ? kAddress : QString());
    updater.setTiming(quickUpdaterTiming());
    // The bootloader that waits for a transfer asks for one again within this time.
    YmodemUpdate::Timing ymodem;
    ymodem.receiverMs = 3000;
    updater.setYmodemTiming(ymodem);
    updater.readBootloaders();
    Recorder rec;
    rec.attach(&updater);
    const QByteArray image = randomBytes(8000, 3);
    const QString path = writeFile(QStringLiteral("fw.sfb"), image);
    connect(&updater, &FirmwareUpdater::progress, &updater, [&updater](int v) {
        if (v > 0 && v < 50)
            updater.requestAbort(); // the stop button
    });
    QVERIFY(!updater.start(0x40, path));
    QCOMPARE(rec.finished, QList<bool>{false});
    QCOMPARE(rec.messages.last(), FirmwareUpdater::stoppedText());
    QVERIFY(rec.messages.last().contains(QStringLiteral("stays in its bootloader")));
    QCOMPARE(m_dev->bootloaders().mode(), SimBootloaders::Mode::Ymodem);
    QCOMPARE(m_dev->bootloaders().ymodem().cancels(), 1);
    QVERIFY(!updater.waitForRestart());
    QVERIFY(!updater.isRunning());

    // Starting again delivers the file to the waiting bootloader.
    disconnect(&updater, &FirmwareUpdater::progress, &updater, nullptr);
    QVERIFY(updater.start(0x40, path));
    QVERIFY(m_dev->bootloaders().ymodem().file() == image);
    QCOMPARE(rec.finished, (QList<bool>{false, true}));
}

void TestUpdater::stopWhileXcpTargetSilent()
{
    m_dev->setBootloaderCaps(QByteArray("\x63"));
    SimXcpTarget::Config config;
    config.silent = true;
    m_dev->bootloaders().xcp().setConfig(config);
    QVERIFY(connectBle());
    FirmwareUpdater updater(m_session.get(), kAddress);
    updater.setTiming(quickUpdaterTiming());
    updater.readBootloaders();
    Recorder rec;
    rec.attach(&updater);
    QTimer::singleShot(800, &updater, [&updater] { updater.requestAbort(); });
    QVERIFY(!updater.start(0x60, writeFile(QStringLiteral("fw.srec"), srecOf(0x100, randomBytes(50, 4)))));
    QCOMPARE(rec.finished, QList<bool>{false});
    QCOMPARE(rec.messages.last(), FirmwareUpdater::stoppedText());
    QVERIFY(m_dev->bootloaders().xcp().count(0xFF) >= 2);
    QCOMPARE(m_dev->bootloaders().mode(), SimBootloaders::Mode::Xcp);
    QVERIFY(bleLink() == nullptr);
}

void TestUpdater::failedDeviceUpdateClearsWaitForRestart()
{
    SimYmodemReceiver::Faults faults;
    faults.silent = true;
    m_dev->bootloaders().ymodem().setFaults(faults);
    QVERIFY(connectUsb());
    FirmwareUpdater updater(m_session.get(), QString());
    updater.setTiming(quickUpdaterTiming());
    YmodemUpdate::Timing ymodem;
    ymodem.receiverMs = 300;
    updater.setYmodemTiming(ymodem);
    updater.readBootloaders();
    Recorder rec;
    rec.attach(&updater);
    QVERIFY(updater.waitForRestart());
    QVERIFY(!updater.start(0x40, writeFile(QStringLiteral("fw.sfb"), "data")));
    QCOMPARE(rec.messages.last(), QStringLiteral("Error: bootloader not detected"));
    QCOMPARE(rec.finished, QList<bool>{false});
    QVERIFY(!updater.waitForRestart());
}

void TestUpdater::oneUpdateAtATime()
{
    QVERIFY(connectUsb());
    FirmwareUpdater updater(m_session.get(), QString());
    FirmwareUpdater other(m_session.get(), QString());
    updater.setTiming(quickUpdaterTiming());
    updater.readBootloaders();
    other.readBootloaders();
    Recorder otherRec;
    otherRec.attach(&other);
    const QString path = writeFile(QStringLiteral("fw.sfb"), randomBytes(3000, 5));
    bool otherStarted = true;
    bool queryAnswered = true;
    connect(&updater, &FirmwareUpdater::progress, &updater, [&](int v) {
        if (v > 0 && v < 100 && otherStarted) {
            otherStarted = other.start(0x40, path);
            // Polls and refreshes leave the link alone while the update has it.
            queryAnswered = m_session->bootloaderTag(0x40) != -1;
        }
    });
    QVERIFY(updater.start(0x40, path));
    QVERIFY(!otherStarted);
    QVERIFY(!queryAnswered);
    QCOMPARE(otherRec.messages, QStringList{QStringLiteral("An update is already running.")});
    QVERIFY(otherRec.finished.isEmpty());
    QVERIFY(!FirmwareUpdater::anyRunning());
}

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"

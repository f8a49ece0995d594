// The updater page against the simulated device and its bootloaders: the sections the
// device's bootloader tags give, the file buttons and their filters, a YMODEM update of the
// main controller and an XCP update of the BLE radio module to the end (the bytes the
// bootloader received compared), the start button as stop button mid-transfer, refused files,
// one update at a time, and the close button.

#include "update/SegmentStore.h"
#include "gui/FileDialogs.h"
#include "device/model/Catalog.h"
#include "device/session/DeviceFactory.h"
#include "device/session/DeviceSession.h"
#include "links/Comm.h"
#include "links/CommBle.h"
#include "links/CommUsbHid.h"
#include "sim/SimBle.h"
#include "sim/SimBootloaders.h"
#include "sim/SimDevice.h"
#include "sim/SimUsbHid.h"
#include "support/RecordingReporter.h"
#include "support/TestData.h"
#include "support/UpdateSupport.h"
#include "tools/WdgDeviceUpdater.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <memory>

namespace {

const QString kAddress = QString::fromLatin1(SimBleBackend::kDefaultAddress);
/// The page's wait for the link to drop after an update, in milliseconds.
constexpr int kPageEndDisconnectMs = 300;
using TestData::randomBytes;

/// S3 records of 16 data bytes for data at base.
QByteArray srecOf(quint32 base, const QByteArray &data)
{
    return "S00F000068656C6C6F20202020200000003C\r\n" + SRecord::s3Records(base, data);
}

QByteArray xcpImage(SimDevice &dev, quint32 *base)
{
    const SegmentStore &memory = dev.bootloaders().xcp().memory();
    if (memory.segmentCount() != 1)
        return QByteArray();
    quint32 length = 0;
    const quint8 *data = memory.segment(0, base, &length);
    return QByteArray(reinterpret_cast<const char *>(data), int(length));
}

} // namespace

class TestDeviceUpdater : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sectionsFromTags_data();
    void sectionsFromTags();
    void firmwareButtonsOfferTheKindsFiles();
    void ymodemUpdateToTheEnd_data();
    void ymodemUpdateToTheEnd();
    void deviceThatDoesNotComeBackIsNotShown();
    void xcpUpdateOfTheBleModuleToTheEnd();
    void stopMidTransferAndStartAgain_data();
    void stopMidTransferAndStartAgain();
    void refusedFile_data();
    void refusedFile();
    void oneUpdateAtATime();
    void moduleFromTheScanIsNotIdentified();
    void closeEmitsClose();

private:
    /// A page for the simulated device over BLE (or USB): the link of a connected session.
    WdgDeviceUpdater *openPage(bool ble);
    QString writeFile(const QString &name, const QByteArray &content);
    /// Chooses a file with the section's firmware button.
    void chooseFile(const char *section, const QString &path);
    QPushButton *button(const QString &name) { return m_page->findChild<QPushButton *>(name); }
    QStringList printed() const
    {
        return m_page->findChild<QTextEdit *>("UpdaterPrint")->toPlainText().split('\n', Qt::SkipEmptyParts);
    }
    /// The start buttons and the close button: enabled (E) or not (-), and the start buttons'
    /// text, e.g. "Start:E Start:- Stop:E close:-" for Orv, Kiv, KivBle, close.
    QString buttonStates();
    /// The line the page prints once it read the device again after an update.
    QString afterUpdate() const
    {
        return QStringLiteral("Device after the update: ") + m_page->device()->identityText();
    }

    ScopedRecordingReporter m_rep;
    std::unique_ptr<SimDevice> m_dev;
    std::unique_ptr<ScriptedFileDialogs> m_dialogs;
    std::unique_ptr<WdgDeviceUpdater> m_page;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDeviceUpdater::init()
{
    m_dev = std::make_unique<SimDevice>();
    m_dev->setExtendedIdentification(true, 12, 0x0110);
    m_dir = std::make_unique<QTemporaryDir>();
    m_dialogs = std::make_unique<ScriptedFileDialogs>();
    SimUsbHid::install(m_dev.get());
    installSimBle(m_dev.get());
    CommUsbHid::resetRemainder();
    DeviceFactory::resetUsbAttemptCounter();
    m_rep.clear();
}

void TestDeviceUpdater::cleanup()
{
    m_page.reset();
    SimUsbHid::uninstall();
    uninstallSimBle();
    m_dev.reset();
    m_dialogs.reset();
    m_dir.reset();
    VERIFY_NO_PENDING_BOXES(m_rep);
}

WdgDeviceUpdater *TestDeviceUpdater::openPage(bool ble)
{
    bool failed = false;
    std::unique_ptr<DeviceSession> session(ble ? DeviceFactory::connectBle(kAddress)
                                               : DeviceFactory::connectUsb(&failed));
    if (!session)
        return nullptr;
    const DeviceInfo info = session->info();
    Comm *link = session->releaseTransport();
    m_page = std::make_unique<WdgDeviceUpdater>(link, info, ble ? kAddress : QString());
    m_page->setTiming(quickUpdaterTiming(kPageEndDisconnectMs));
    return m_page.get();
}

QString TestDeviceUpdater::writeFile(const QString &name, const QByteArray &content)
{
    return TestData::writeFile(*m_dir, name, content);
}

void TestDeviceUpdater::chooseFile(const char *section, const QString &path)
{
    m_dialogs->setNextFileName(path);
    button(QStringLiteral("FirmwarePB_") + section)->click();
}

QString TestDeviceUpdater::buttonStates()
{
    QStringList states;
    for (const char *name : {"StartPB_Orv", "StartPB_Kiv", "StartPB_KivBle"}) {
        QPushButton *b = button(name);
        states << b->text() + (b->isEnabled() ? ":E" : ":-");
    }
    states << QStringLiteral("close") + (button("pushButton_close")->isEnabled() ? ":E" : ":-");
    return states.join(' ');
}

// ---------------------------------------------------------------------------------------------

void TestDeviceUpdater::sectionsFromTags_data()
{
    QTest::addColumn<QByteArray>("caps");
    QTest::addColumn<QStringList>("labels"); // Orv, Kiv, KivBle; empty: hidden and disabled
    QTest::addColumn<QStringList>("filters");

    const QString orv = QStringLiteral("Firmware : Pelm PTC-CT 1.0.0\nBootloader : ");
    const QString kiv = QStringLiteral("Firmware : Pelm %1 102\nBootloader : ").arg(Catalog::kivName(14));
    const QString kivBle = QStringLiteral("Firmware : Pelm BLE 1.1.0\nBootloader : ");
    QTest::newRow("device and BLE module")
        << QByteArray::fromHex("4263") << QStringList{orv + "ST Ymodem", "", kivBle + "BootQuor"}
        << QStringList{"ST Ymodem (*.sfb)", "", "S-record (*.srec)"};
    QTest::newRow("all three") << QByteArray::fromHex("216342")
                               << QStringList{orv + "ST Ymodem", kiv + "Aboot/DS30Secure",
                                              kivBle + "BootQuor"}
                               << QStringList{"ST Ymodem (*.sfb)", "Binaire DS30 (*.hex)",
                                              "S-record (*.srec)"};
    QTest::newRow("main controller XCP, unknown kind on the BLE module")
        << QByteArray::fromHex("4367") << QStringList{orv + "BootQuor", "", kivBle + "XXX"}
        << QStringList{"S-record (*.srec)", "", "Firmware files (*.hex *.srec *.sfb)"};
    QTest::newRow("none") << QByteArray() << QStringList{"", "", ""} << QStringList{"", "", ""};
}

void TestDeviceUpdater::sectionsFromTags()
{
    QFETCH(QByteArray, caps);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, filters);
    m_dev->setBootloaderCaps(caps);
    QVERIFY(openPage(true));
    m_page->show();
    QCOMPARE(m_page->windowTitle(), QStringLiteral("Updater Tool"));
    QCOMPARE(m_page->findChild<QLabel *>("label_OrvName")->text(), "Pelm-PTC-CT (" + kAddress + ")");
    const QStringList keys{"Orv", "Kiv", "KivBle"};
    for (int i = 0; i < keys.size(); ++i) {
        QWidget *box = m_page->findChild<QWidget *>("verticalWidget_" + keys[i]);
        QVERIFY(box);
        const bool listed = !labels[i].isEmpty();
        QCOMPARE(box->isVisible(), listed);
        QCOMPARE(box->isEnabled(), listed);
        if (listed)
            QCOMPARE(m_page->findChild<QLabel *>("label_" + keys[i] + "Fw")->text(), labels[i]);
        QCOMPARE(button("FirmwarePB_" + keys[i])->property("extensionFw").toString(), filters[i]);
        QVERIFY(!button("StartPB_" + keys[i])->isEnabled()); // no file chosen yet
    }
    QCOMPARE(m_dev->commandCount(8), 1); // one query for the three controllers
    QCOMPARE(printed(), caps.isEmpty()
                            ? QStringList{"The device reports no bootloader: it has nothing to update."}
                            : QStringList());
    QCOMPARE(m_page->findChild<QProgressBar *>("progressBar")->value(), 0);
    QCOMPARE(button("pushButton_close")->text(), QStringLiteral("Close Tool"));
}

void TestDeviceUpdater::firmwareButtonsOfferTheKindsFiles()
{
    m_dev->setBootloaderCaps(QByteArray::fromHex("216342"));
    QVERIFY(openPage(true));
    const QString sfb = writeFile("v2.sfb", "x");
    chooseFile("Orv", sfb);
    QCOMPARE(m_dialogs->requests.size(), 1);
    QCOMPARE(m_dialogs->requests[0].caption, QStringLiteral("Select Firmware to load"));
    QCOMPARE(m_dialogs->requests[0].filter, QStringLiteral("ST Ymodem (*.sfb)"));
    QCOMPARE(m_dialogs->requests[0].dir, QString());
    QCOMPARE(m_page->findChild<QLineEdit *>("lineEdit_Orv")->text(), sfb);
    QCOMPARE(buttonStates(), QStringLiteral("Start:E Start:- Start:- close:E"));

    // The next choice starts where the last one was; a cancelled dialog changes nothing.
    chooseFile("Orv", QString());
    QCOMPARE(m_dialogs->requests[1].dir, sfb);
    QCOMPARE(m_page->findChild<QLineEdit *>("lineEdit_Orv")->text(), sfb);

    chooseFile("KivBle", writeFile("ble.srec", "x"));
    QCOMPARE(m_dialogs->requests[2].filter, QStringLiteral("S-record (*.srec)"));
    chooseFile("Kiv", writeFile("kiv.hex", "x"));
    QCOMPARE(m_dialogs->requests[3].filter, QStringLiteral("Binaire DS30 (*.hex)"));
    QCOMPARE(buttonStates(), QStringLiteral("Start:E Start:E Start:E close:E"));

    // The serial radio module has no transfer: its start button asks nothing of the device.
    m_dev->resetCounters();
    button("StartPB_Kiv")->click();
    QCOMPARE(m_dev->requestCount(), 0);
    QVERIFY(printed().isEmpty());
    QCOMPARE(buttonStates(), QStringLiteral("Start:E Start:E Start:E close:E"));
}

void TestDeviceUpdater::ymodemUpdateToTheEnd_data()
{
    QTest::addColumn<bool>("ble");
    QTest::addColumn<int>("blockSize");
    QTest::newRow("BLE") << true << 128;
    QTest::newRow("USB") << false << 1024;
}

void TestDeviceUpdater::ymodemUpdateToTheEnd()
{
    QFETCH(bool, ble);
    QFETCH(int, blockSize);
    QVERIFY(openPage(ble));
    const QByteArray image = randomBytes(2500, 7);
    chooseFile("Orv", writeFile("v2.sfb", image));

    // While it runs: the start button is the stop button, nothing else can be pressed.
    QStringList during;
    QProgressBar *bar = m_page->findChild<QProgressBar *>("progressBar");
    QList<int> progress;
    connect(bar, &QProgressBar::valueChanged, this, [&](int v) {
        progress << v;
        if (v > 0 && v < 100 && during.isEmpty())
            during << buttonStates() << QString::number(m_page->isUpdating());
    });
    m_dev->resetCounters();
    button("StartPB_Orv")->click();

    QCOMPARE(during, (QStringList{"Stop:E Start:- Start:- close:-", "1"}));
    QVERIFY(!m_page->isUpdating());
    QVERIFY(m_dev->bootloaders().ymodem().file() == image);
    QCOMPARE(m_dev->bootloaders().ymodem().blockSizes().first(), blockSize);
    QCOMPARE(m_dev->bootloaderRequests(), QList<quint8>{0x40});
    const QStringList lines = printed();
    QCOMPARE(lines.mid(0, 3), (QStringList{"Waiting for bootloader detection...", "Bootloader detected",
                                           "Sending firmware..."}));
    QCOMPARE(lines.mid(lines.size() - 2), (QStringList{"Firmware sent", afterUpdate()}));
    QCOMPARE(
        afterUpdate(),
        QStringLiteral("Device after the update: Pelm-PTC-CT:1.0.0 | KIV-:102 | DevEUI:70B3D5499A0C1E2F"));
    QVERIFY(progress.contains(100));
    QCOMPARE(progress.last(), 0);
    // The device was read again (identity and bootloaders) and the page is ready for another update.
    QCOMPARE(m_dev->bootloaders().mode(), SimBootloaders::Mode::Application);
    QCOMPARE(m_dev->actionCount(2), 1);
    QCOMPARE(m_dev->commandCount(8), 2); // the restart request, then the query
    QCOMPARE(buttonStates(), QStringLiteral("Start:E Start:- Start:- close:E"));
    QVERIFY(m_page->device()->transport()->isConnected());
    QCOMPARE(m_page->findChild<QLabel *>("label_OrvFw")->text(),
             QStringLiteral("Firmware : Pelm PTC-CT 1.0.0\nBootloader : ST Ymodem"));
}

void TestDeviceUpdater::deviceThatDoesNotComeBackIsNotShown()
{
    // After its update the device enumerates again on USB, here too late: the page says it
    // could not read it, instead of showing the identity it had.
    m_dev->setReenumerationMs(60000);
    QVERIFY(openPage(false));
    FirmwareUpdater::Timing timing = quickUpdaterTiming(kPageEndDisconnectMs);
    timing.reconnectMs = 400;
    m_page->setTiming(timing);
    chooseFile("Orv", writeFile("v2.sfb", randomBytes(1500, 9)));
    button("StartPB_Orv")->click();
    QVERIFY(!m_page->isUpdating());
    QVERIFY(m_dev->bootloaders().ymodem().file() == randomBytes(1500, 9));
    const QStringList lines = printed();
    QCOMPARE(lines.mid(lines.size() - 2),
             (QStringList{"Firmware sent",
                          "The device did not come back on USB after the update: it can't be read again."}));
    QCOMPARE(buttonStates(), QStringLiteral("Start:E Start:- Start:- close:E"));
}

void TestDeviceUpdater::xcpUpdateOfTheBleModuleToTheEnd()
{
    QVERIFY(openPage(true));
    const QByteArray image = randomBytes(3000, 8);
    chooseFile("KivBle", writeFile("ble.srec", srecOf(0x08000000, image)));
    QString during;
    connect(m_page->findChild<QProgressBar *>("progressBar"), &QProgressBar::valueChanged, this, [&](int v) {
        if (v > 0 && v < 100 && during.isEmpty())
            during = buttonStates();
    });
    m_dev->resetCounters();
    button("StartPB_KivBle")->click();

    QCOMPARE(during, QStringLiteral("Start:- Start:- Stop:E close:-"));
    quint32 base = 0;
    QVERIFY(xcpImage(*m_dev, &base) == image);
    QCOMPARE(base, 0x08000000u);
    QCOMPARE(m_dev->bootloaderRequests(), QList<quint8>{0x60});
    // Each step's outcome ends its line.
    QVERIFY(printed().contains(QStringLiteral("Connecting to target bootloader...[OK]")));
    QVERIFY(printed().contains(QStringLiteral("Erasing 3000 bytes starting at 0x08000000...[OK]")));
    QVERIFY(printed().contains(QStringLiteral("Programming 3000 bytes starting at 0x08000000...[OK]")));
    QCOMPARE(printed().mid(printed().size() - 2),
             (QStringList{"Finishing programming session...[OK]", afterUpdate()}));
    // After a module update the device is restarted, then read again once it is back.
    QCOMPARE(m_dev->actionCount(1), 1);
    QCOMPARE(m_dev->actionCount(2), 1);
    QCOMPARE(m_dev->bootloaders().mode(), SimBootloaders::Mode::Application);
    QCOMPARE(buttonStates(), QStringLiteral("Start:- Start:- Start:E close:E"));
    QVERIFY(m_page->findChild<QWidget *>("verticalWidget_KivBle")->isEnabled());
}

void TestDeviceUpdater::stopMidTransferAndStartAgain_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("mode"); // the bootloader the controller stays in
    QTest::newRow("YMODEM") << "Orv"
                            << "v2.sfb" << int(SimBootloaders::Mode::Ymodem);
    QTest::newRow("XCP") << "KivBle"
                         << "ble.srec" << int(SimBootloaders::Mode::Xcp);
}

void TestDeviceUpdater::stopMidTransferAndStartAgain()
{
    QFETCH(QString, section);
    QFETCH(QString, file);
    QFETCH(int, mode);
    QVERIFY(openPage(true));
    const QByteArray image = randomBytes(6000, 9);
    const bool xcp = file.endsWith(".srec");
    chooseFile(qPrintable(section), writeFile(file, xcp ? srecOf(0x1000, image) : image));
    chooseFile(xcp ? "Orv" : "KivBle", writeFile(xcp ? "other.sfb" : "other.srec", "x"));
    QPushButton *start = button("StartPB_" + section);

    bool pressed = false;
    auto stopHalfway = connect(m_page->findChild<QProgressBar *>("progressBar"), &QProgressBar::valueChanged,
                               this, [&](int v) {
                                   if (!pressed && v > 0 && v < 50) {
                                       pressed = true;
                                       start->click(); // the stop button
                                   }
                               });
    start->click();
    disconnect(stopHalfway);

    QVERIFY(pressed);
    QVERIFY(!m_page->isUpdating());
    const QStringList lines = printed();
    QVERIFY(lines.contains(QStringLiteral("Stopping the update...")));
    // The step under way gets its outcome on its own line.
    if (xcp)
        QVERIFY2(lines.contains(
                     QStringLiteral("Programming 6000 bytes starting at 0x00001000...[ERROR] (stopped)")),
                 qPrintable(lines.join('|')));
    QCOMPARE(lines.last(),
             QStringLiteral("Update stopped. The controller stays in its bootloader until it "
                            "is programmed: start the update again with the same firmware file."));
    QCOMPARE(int(m_dev->bootloaders().mode()), mode);
    // Every button is back, with play on the one that was the stop button.
    QCOMPARE(buttonStates(), QStringLiteral("Start:E Start:- Start:E close:E"));
    QCOMPARE(start->icon().cacheKey(), button("StartPB_Kiv")->icon().cacheKey());
    QCOMPARE(m_page->findChild<QProgressBar *>("progressBar")->value(), 0);

    // Started again, the update reaches the end.
    start->click();
    QVERIFY(!m_page->isUpdating());
    if (xcp) {
        quint32 base = 0;
        QVERIFY(xcpImage(*m_dev, &base) == image);
        QCOMPARE(printed().at(printed().size() - 2), QStringLiteral("Finishing programming session...[OK]"));
    } else {
        QVERIFY(m_dev->bootloaders().ymodem().file() == image);
        QCOMPARE(printed().at(printed().size() - 2), QStringLiteral("Firmware sent"));
    }
    QCOMPARE(m_dev->bootloaders().mode(), SimBootloaders::Mode::Application);
    QCOMPARE(buttonStates(), QStringLiteral("Start:E Start:- Start:E close:E"));
}

void TestDeviceUpdater::refusedFile_data()
{
    QTest::addColumn<QByteArray>("caps");
    QTest::addColumn<bool>("ble");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");

    QTest::newRow("device: Aboot/DS30Secure") << QByteArray::fromHex("41") << true << "Orv"
                                              << "fw.hex"
                                              << "This kind of bootloader with ORV is not supported";
    QTest::newRow("BLE module: ST Ymodem") << QByteArray::fromHex("4262") << true << "KivBle"
                                           << "fw.sfb"
                                           << "This kind of bootloader with KIV-BLE is not supported";
    QTest::newRow("S-record for ST Ymodem")
        << QByteArray::fromHex("42") << true << "Orv"
        << "fw.srec"
        << "The file fw.srec is not a firmware file for the bootloader \"ST Ymodem\" (ST Ymodem (*.sfb)).";
    QTest::newRow("XCP over USB") << QByteArray::fromHex("43") << false << "Orv"
                                  << "fw.srec"
                                  << "This controller is updated over BLE: connect to the device over BLE.";
}

void TestDeviceUpdater::refusedFile()
{
    QFETCH(QByteArray, caps);
    QFETCH(bool, ble);
    QFETCH(QString, section);
    QFETCH(QString, file);
    QFETCH(QString, message);
    m_dev->setBootloaderCaps(caps);
    QVERIFY(openPage(ble));
    chooseFile(qPrintable(section), writeFile(file, "S1050000414277\n"));
    const QString idle = buttonStates();
    button("StartPB_" + section)->click();
    QCOMPARE(printed(), QStringList{message});
    QVERIFY(m_dev->bootloaderRequests().isEmpty()); // nothing was asked of the device
    QCOMPARE(buttonStates(), idle);
    QVERIFY(!m_page->isUpdating());
}

void TestDeviceUpdater::oneUpdateAtATime()
{
    QVERIFY(openPage(true));
    chooseFile("Orv", writeFile("v2.sfb", randomBytes(3000, 10)));
    chooseFile("KivBle", writeFile("ble.srec", srecOf(0x100, randomBytes(100, 11))));
    bool tried = false;
    connect(m_page->findChild<QProgressBar *>("progressBar"), &QProgressBar::valueChanged, this, [&](int v) {
        if (!tried && v > 0 && v < 100) {
            tried = true;
            // A click that slips through (a queued event, a slot called by name) starts nothing.
            QVERIFY(QMetaObject::invokeMethod(m_page.get(), "_startUpdateKivBle"));
            m_dialogs->setNextFileName(writeFile("late.sfb", "x"));
            QVERIFY(QMetaObject::invokeMethod(m_page.get(), "_selectFirmwareOrv"));
            QVERIFY(QMetaObject::invokeMethod(m_page.get(), "on_pushButton_close_clicked"));
        }
    });
    QSignalSpy closed(m_page.get(), &WdgDeviceUpdater::close);
    button("StartPB_Orv")->click();
    QVERIFY(tried);
    QCOMPARE(m_dev->bootloaderRequests(), QList<quint8>{0x40});
    QVERIFY(m_dialogs->requests.size() == 2); // the late file dialog never opened
    QVERIFY(m_page->findChild<QLineEdit *>("lineEdit_Orv")->text().endsWith("v2.sfb"));
    QCOMPARE(closed.count(), 0);
    QCOMPARE(printed().at(printed().size() - 2), QStringLiteral("Firmware sent"));
}

void TestDeviceUpdater::moduleFromTheScanIsNotIdentified()
{
    m_dev->setBootloaderCaps(QByteArray::fromHex("63"));
    m_dev->resetCounters();
    m_page = std::make_unique<WdgDeviceUpdater>(new CommBle(kAddress), kAddress);
    m_page->setTiming(quickUpdaterTiming(kPageEndDisconnectMs));
    m_page->show();
    // The link was opened by the page; the module was asked for its bootloaders only.
    QVERIFY(m_page->device()->transport()->isConnected());
    QCOMPARE(m_dev->actionCount(2), 0);
    QCOMPARE(m_dev->commandCount(8), 1);
    QCOMPARE(m_page->findChild<QLabel *>("label_OrvName")->text(), "Pelm-XXX (" + kAddress + ")");
    QVERIFY(!m_page->findChild<QWidget *>("verticalWidget_Orv")->isVisible());
    QCOMPARE(m_page->findChild<QLabel *>("label_KivBleFw")->text(),
             QStringLiteral("Firmware : Pelm XXXX XXXX\nBootloader : BootQuor"));

    const QByteArray image = randomBytes(500, 12);
    chooseFile("KivBle", writeFile("ble.srec", srecOf(0x2000, image)));
    button("StartPB_KivBle")->click();
    quint32 base = 0;
    QVERIFY(xcpImage(*m_dev, &base) == image);
    // Read again after the update: now with its identity.
    QCOMPARE(m_page->findChild<QLabel *>("label_OrvName")->text(), "Pelm-PTC-CT (" + kAddress + ")");
    QCOMPARE(m_page->findChild<QLabel *>("label_KivBleFw")->text(),
             QStringLiteral("Firmware : Pelm BLE 1.1.0\nBootloader : BootQuor"));
}

void TestDeviceUpdater::closeEmitsClose()
{
    QVERIFY(openPage(true));
    QSignalSpy closed(m_page.get(), &WdgDeviceUpdater::close);
    button("pushButton_close")->click();
    QCOMPARE(closed.count(), 1);
}

QTEST_MAIN(TestDeviceUpdater)
#include "tst_deviceupdater.moc"

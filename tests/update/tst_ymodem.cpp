// The YMODEM transfer: block layout and CRC, transfers over the USB and BLE transports into
// the simulated bootloader (lost answers, refusals, a silent receiver, stop requests), and
// over USB into the real `rb` receiver.

#include "links/CommBle.h"
#include "links/CommUsbHid.h"
#include "sim/SimBle.h"
#include "sim/SimBootloaders.h"
#include "sim/SimDevice.h"
#include "sim/SimUsbHid.h"
#include "support/TestData.h"
#include "support/UpdateSupport.h"
#include "update/Update.h"
#include "update/Ymodem.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

constexpr quint8 kDevice = 0x40;
constexpr int kYmodem = 2;
const QString kStopped = Update::stoppedText();
using TestData::randomBytes;

using Recorder = TransferRecorder;

/// Waits short enough for the failure paths to run in a fraction of a second.
YmodemUpdate::Timing quickTiming()
{
    YmodemUpdate::Timing t;
    t.receiverMs = 400;
    t.headerAnswerMs = 300;
    t.blockAnswerMs = 150;
    t.slowBlockAnswerMs = 300;
    t.eotAnswerMs = 150;
    t.closingAnswerMs = 150;
    t.pollMs = 20;
    return t;
}

const QStringList kSuccessMessages = {"Waiting for bootloader detection...", "Bootloader detected",
                                      "Sending firmware...", "Firmware sent"};

} // namespace

class TestYmodem : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void crc();
    void blockLayout_data();
    void blockLayout();
    void headerBlock();

    void usbTransfer_data();
    void usbTransfer();
    void bleTransferUses128ByteBlocks();
    void blockNumbersWrap();
    void endOfFile_data();
    void endOfFile();
    void lostAnswerIsSentAgain_data();
    void lostAnswerIsSentAgain();
    void refusedBlock_data();
    void refusedBlock();
    void silentReceiver();
    void stopBetweenBlocks();
    void stopWhileWaitingForReceiver();
    void fileErrors();
    void secondRunRefused();
    void realReceiver_data();
    void realReceiver();
    void realReceiverCancelledByStop();

private:
    /// Puts the simulated device's main controller in its YMODEM bootloader and opens USB.
    void startUsb();
    QString writeFirmware(const QByteArray &bytes, const QString &name = QStringLiteral("fw.sfb"));

    std::unique_ptr<SimDevice> m_dev;
    std::unique_ptr<CommUsbHid> m_usb;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestYmodem::init()
{
    m_dev = std::make_unique<SimDevice>();
    m_dir = std::make_unique<QTemporaryDir>();
    SimUsbHid::install(m_dev.get());
    CommUsbHid::resetRemainder();
}

void TestYmodem::cleanup()
{
    m_usb.reset();
    SimUsbHid::uninstall();
    uninstallSimBle();
    m_dev.reset();
    m_dir.reset();
}

void TestYmodem::startUsb()
{
    m_dev->bootloaders().restartInto(kDevice, kYmodem);
    m_usb = std::make_unique<CommUsbHid>();
    QVERIFY(m_usb->openFirst());
}

QString TestYmodem::writeFirmware(const QByteArray &bytes, const QString &name)
{
    return TestData::writeFile(*m_dir, name, bytes);
}

// ---------------------------------------------------------------------------------------------

void TestYmodem::crc()
{
    QCOMPARE(Ymodem::crc16(QByteArray("123456789")), quint16(0x31C3)); // the CRC-16/XMODEM check value
    QCOMPARE(Ymodem::crc16(QByteArray()), quint16(0));
    QCOMPARE(Ymodem::crc16(QByteArray(128, '\0')), quint16(0));
}

void TestYmodem::blockLayout_data()
{
    QTest::addColumn<int>("payload");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("field");
    QTest::newRow("100 bytes: SOH") << 100 << 7 << 128;
    QTest::newRow("128 bytes: SOH") << 128 << 1 << 128;
    QTest::newRow("129 bytes: STX") << 129 << 2 << 1024;
    QTest::newRow("1000 bytes: STX padded") << 1000 << 255 << 1024;
    QTest::newRow("1024 bytes: STX") << 1024 << 0 << 1024;
    QTest::newRow("1025 bytes: refused") << 1025 << 1 << 0;
}

void TestYmodem::blockLayout()
{
    QFETCH(int, payload);
    QFETCH(int, number);
    QFETCH(int, field);
    const QByteArray data = randomBytes(payload, quint32(payload));
    const QByteArray block = Ymodem::block(data, quint8(number));
    if (field == 0) {
        QVERIFY(block.isEmpty());
        return;
    }
    QCOMPARE(block.size(), field + 5);
    QCOMPARE(quint8(block.at(0)), quint8(field == 128 ? 0x01 : 0x02));
    QCOMPARE(quint8(block.at(1)), quint8(number));
    QCOMPARE(quint8(block.at(2)), quint8(~quint8(number)));
    const QByteArray body = block.mid(3, field);
    QCOMPARE(body.left(payload), data);
    QCOMPARE(body.mid(payload), QByteArray(field - payload, '\0'));
    const quint16 crc = Ymodem::crc16(body);
    QCOMPARE(quint8(block.at(field + 3)), quint8(crc >> 8));
    QCOMPARE(quint8(block.at(field + 4)), quint8(crc & 0xFF));
}

void TestYmodem::headerBlock()
{
    const QByteArray block = Ymodem::block(Ymodem::headerPayload(QStringLiteral("firmware.sfb"), 123456), 0);
    QCOMPARE(block.size(), 133);
    QCOMPARE(block.left(3), QByteArray::fromHex("0100FF"));
    QCOMPARE(block.mid(3, 128), QByteArray("firmware.sfb\0"
                                           "123456\0",
                                           20) +
                                    QByteArray(108, '\0'));
}

// ---------------------------------------------------------------------------------------------

void TestYmodem::usbTransfer_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("blocks");
    QTest::newRow("1 byte") << 1 << QList<int>{128};
    QTest::newRow("1000 bytes: one padded STX block") << 1000 << QList<int>{1024};
    QTest::newRow("1024 bytes") << 1024 << QList<int>{1024};
    QTest::newRow("last piece of 100 bytes goes in SOH") << 2148 << QList<int>{1024, 1024, 128};
    QTest::newRow("last piece of 129 bytes goes in STX") << 1153 << QList<int>{1024, 1024};
}

void TestYmodem::usbTransfer()
{
    QFETCH(int, size);
    QFETCH(QList<int>, blocks);
    startUsb();
    const QByteArray image = randomBytes(size, quint32(size));
    YmodemUpdate update(m_usb.get(), writeFirmware(image, QStringLiteral("other-name.sfb")));
    QCOMPARE(update.blockSize(), 1024u);
    Recorder rec;
    rec.attach(&update);
    QVERIFY(update.run());

    QCOMPARE(rec.messages, kSuccessMessages);
    QCOMPARE(rec.done, 1);
    QCOMPARE(rec.aborted, 0);
    QVERIFY(update.succeeded());
    const SimYmodemReceiver &rx = m_dev->bootloaders().ymodem();
    QCOMPARE(rx.fileName(), QStringLiteral("firmware.sfb"));
    QVERIFY(rx.file() == image);
    QCOMPARE(rx.blockSizes(), blocks);
    // Progress after each block, ending at 100, then back to 0.
    QCOMPARE(rec.progress.size(), blocks.size() + 1);
    QCOMPARE(rec.progress.at(rec.progress.size() - 2), 100);
    QCOMPARE(rec.progress.last(), 0);
    // The receiver ended the transfer: the device runs its application again.
    QCOMPARE(m_dev->bootloaders().mode(), SimBootloaders::Mode::Application);
}

void TestYmodem::bleTransferUses128ByteBlocks()
{
    installSimBle(m_dev.get());
    m_dev->bootloaders().restartInto(kDevice, kYmodem);
    CommBle ble(QString::fromLatin1(SimBleBackend::kDefaultAddress));
    const QByteArray image = randomBytes(1000, 3);
    YmodemUpdate update(&ble, writeFirmware(image));
    QCOMPARE(update.blockSize(), 128u);
    Recorder rec;
    rec.attach(&update);
    QVERIFY(update.run()); // opens the link itself
    QCOMPARE(rec.messages, kSuccessMessages);
    QCOMPARE(rec.done, 1);
    QVERIFY(m_dev->bootloaders().ymodem().file() == image);
    QCOMPARE(m_dev->bootloaders().ymodem().blockSizes(), QVector<int>(8, 128).toList());
}

void TestYmodem::blockNumbersWrap()
{
    // 300 blocks: numbers go 1..255, 0, 1, ...; the receiver takes each only in sequence.
    installSimBle(m_dev.get());
    m_dev->bootloaders().restartInto(kDevice, kYmodem);
    CommBle ble(QString::fromLatin1(SimBleBackend::kDefaultAddress));
    const QByteArray image = randomBytes(300 * 128 - 5, 11);
    YmodemUpdate update(&ble, writeFirmware(image));
    Recorder rec;
    rec.attach(&update);
    QVERIFY(update.run());
    QCOMPARE(rec.done, 1);
    QCOMPARE(m_dev->bootloaders().ymodem().blocksReceived(), 300);
    QVERIFY(m_dev->bootloaders().ymodem().file() == image);
}

void TestYmodem::endOfFile_data()
{
    QTest::addColumn<bool>("ackFirst");
    QTest::addColumn<int>("eots");
    QTest::newRow("NAK, then ACK") << false << 2;
    QTest::newRow("ACK at once") << true << 1;
}

void TestYmodem::endOfFile()
{
    QFETCH(bool, ackFirst);
    QFETCH(int, eots);
    SimYmodemReceiver::Faults faults;
    faults.ackFirstEot = ackFirst;
    m_dev->bootloaders().ymodem().setFaults(faults);
    startUsb();
    YmodemUpdate update(m_usb.get(), writeFirmware(randomBytes(300, 1)));
    Recorder rec;
    rec.attach(&update);
    QVERIFY(update.run());
    QCOMPARE(rec.done, 1);
    QCOMPARE(m_dev->bootloaders().ymodem().eots(), eots);
}

void TestYmodem::lostAnswerIsSentAgain_data()
{
    QTest::addColumn<int>("block");
    QTest::addColumn<int>("lost");
    QTest::addColumn<bool>("succeeds");
    QTest::newRow("once") << 2 << 1 << true;
    QTest::newRow("twice: the third send gets through") << 1 << 2 << true;
    QTest::newRow("three times: the transfer fails") << 2 << 3 << false;
}

void TestYmodem::lostAnswerIsSentAgain()
{
    QFETCH(int, block);
    QFETCH(int, lost);
    QFETCH(bool, succeeds);
    SimYmodemReceiver::Faults faults;
    faults.dropAnswerBlock = block;
    faults.dropAnswerTimes = lost;
    m_dev->bootloaders().ymodem().setFaults(faults);
    startUsb();
    const QByteArray image = randomBytes(3 * 1024, 9);
    YmodemUpdate update(m_usb.get(), writeFirmware(image));
    update.setTiming(quickTiming());
    Recorder rec;
    rec.attach(&update);
    QVERIFY(update.run());
    const SimYmodemReceiver &rx = m_dev->bootloaders().ymodem();
    if (succeeds) {
        QCOMPARE(rec.done, 1);
        QVERIFY(rx.file() == image); // the repeat was recognised, not appended
        QCOMPARE(rx.blocksReceived(), 3 + lost);
    } else {
        QCOMPARE(rec.aborted, 1);
        QCOMPARE(rec.messages.last(), QStringLiteral("Error: communication failed"));
        QCOMPARE(rx.blocksReceived(), block + 2); // the block went out three times
        // The receiver was told to give up instead of waiting for the next block.
        QCOMPARE(rx.cancels(), 1);
    }
}

void TestYmodem::refusedBlock_data()
{
    QTest::addColumn<int>("naks");
    QTest::addColumn<bool>("succeeds");
    QTest::newRow("two NAKs") << 2 << true;
    QTest::newRow("three NAKs") << 3 << false;
}

void TestYmodem::refusedBlock()
{
    QFETCH(int, naks);
    QFETCH(bool, succeeds);
    SimYmodemReceiver::Faults faults;
    faults.nakBlock = 1;
    faults.nakTimes = naks;
    m_dev->bootloaders().ymodem().setFaults(faults);
    startUsb();
    const QByteArray image = randomBytes(2000, 4);
    YmodemUpdate update(m_usb.get(), writeFirmware(image));
    update.setTiming(quickTiming());
    Recorder rec;
    rec.attach(&update);
    QVERIFY(update.run());
    QCOMPARE(rec.done, succeeds ? 1 : 0);
    QCOMPARE(rec.aborted, succeeds ? 0 : 1);
    if (succeeds)
        QVERIFY(m_dev->bootloaders().ymodem().file() == image);
}

void TestYmodem::silentReceiver()
{
    SimYmodemReceiver::Faults faults;
    faults.silent = true;
    m_dev->bootloaders().ymodem().setFaults(faults);
    startUsb();
    YmodemUpdate update(m_usb.get(), writeFirmware(randomBytes(10, 1)));
    update.setTiming(quickTiming());
    Recorder rec;
    rec.attach(&update);
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(update.run());
    QVERIFY2(elapsed.elapsed() < 2000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(rec.messages,
             (QStringList{"Waiting for bootloader detection...", "Error: bootloader not detected"}));
    QCOMPARE(rec.aborted, 1);
    QCOMPARE(rec.progress, QList<int>{0});
}

void TestYmodem::stopBetweenBlocks()
{
    startUsb();
    const QByteArray image = randomBytes(5 * 1024, 8);
    const QString path = writeFirmware(image);
    YmodemUpdate update(m_usb.get(), path);
    Recorder rec;
    rec.attach(&update);
    connect(&update, &YmodemUpdate::updateProgressBar, &update, [&update](int v) {
        if (v > 0)
            update.requestAbort(); // the stop button, pressed during the first block
    });
    QVERIFY(update.run());
    QCOMPARE(rec.aborted, 1);
    QCOMPARE(rec.done, 0);
    QCOMPARE(rec.messages.last(), kStopped);
    SimYmodemReceiver &rx = m_dev->bootloaders().ymodem();
    QCOMPARE(rx.blocksReceived(), 1);
    QCOMPARE(rx.cancels(), 1);
    // The controller stays in its bootloader, waiting for a transfer: starting again works.
    QCOMPARE(m_dev->bootloaders().mode(), SimBootloaders::Mode::Ymodem);
    YmodemUpdate again(m_usb.get(), path);
    Recorder rec2;
    rec2.attach(&again);
    QVERIFY(again.run());
    QCOMPARE(rec2.done, 1);
    QVERIFY(rx.file() == image);
}

void TestYmodem::stopWhileWaitingForReceiver()
{
    SimYmodemReceiver::Faults faults;
    faults.silent = true;
    m_dev->bootloaders().ymodem().setFaults(faults);
    startUsb();
    YmodemUpdate update(m_usb.get(), writeFirmware(randomBytes(10, 1)));
    YmodemUpdate::Timing timing; // the full 10 s wait for the receiver
    timing.pollMs = 50;
    update.setTiming(timing);
    Recorder rec;
    rec.attach(&update);
    QTimer::singleShot(200, &update, [&update] { update.requestAbort(); });
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(update.run());
    QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString::number(elapsed.elapsed()))); // not the 10 s
    QCOMPARE(rec.messages, (QStringList{"Waiting for bootloader detection...", kStopped}));
    QCOMPARE(rec.aborted, 1);
}

void TestYmodem::fileErrors()
{
    startUsb();
    const QString missing = m_dir->filePath(QStringLiteral("missing.sfb"));
    YmodemUpdate a(m_usb.get(), missing);
    Recorder ra;
    ra.attach(&a);
    QVERIFY(a.run());
    QCOMPARE(ra.messages, QStringList{QStringLiteral("Error: file %1 not found").arg(missing)});
    QCOMPARE(ra.aborted, 1);

    YmodemUpdate b(m_usb.get(), writeFirmware(QByteArray(), QStringLiteral("empty.sfb")));
    Recorder rb;
    rb.attach(&b);
    QVERIFY(b.run());
    QCOMPARE(rb.messages, QStringList{QStringLiteral("Error: empty file")});
    QCOMPARE(rb.aborted, 1);
    // Nothing reached the receiver.
    QCOMPARE(m_dev->bootloaders().ymodem().blocksReceived(), 0);
}

void TestYmodem::secondRunRefused()
{
    startUsb();
    const QString path = writeFirmware(randomBytes(3000, 2));
    YmodemUpdate update(m_usb.get(), path);
    YmodemUpdate other(m_usb.get(), path);
    Recorder otherRec;
    otherRec.attach(&other);
    bool secondStarted = true;
    connect(&update, &YmodemUpdate::updateProgressBar, &update, [&](int v) {
        if (v > 0 && v < 100)
            secondStarted = other.run();
    });
    QVERIFY(Update::anyRunning() == false);
    QVERIFY(update.run());
    QVERIFY(update.succeeded());
    QVERIFY(!secondStarted);
    QCOMPARE(otherRec.done + otherRec.aborted, 0);
    QVERIFY(!Update::anyRunning());
}

void TestYmodem::realReceiver_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("5000 bytes") << 5000;
    QTest::newRow("300 KiB and a bit") << 300 * 1024 + 77;
}

void TestYmodem::realReceiver()
{
    QFETCH(int, size);
    if (QStandardPaths::findExecutable(QStringLiteral("rb")).isEmpty())
        QSKIP("rb (lrzsz) is not installed");
    QTemporaryDir rxDir;
    m_dev->bootloaders().setYmodemPeer(
        QStringLiteral("exec env LD_PRELOAD=%1 rb -b -y").arg(QStringLiteral(PELM_RB_SHIM)), rxDir.path());
    startUsb();
    const QByteArray image = randomBytes(size, quint32(size));
    YmodemUpdate update(m_usb.get(), writeFirmware(image, QStringLiteral("release-1.2.sfb")));
    Recorder rec;
    rec.attach(&update);
    QVERIFY(update.run());
    QVERIFY2(rec.done == 1,
             qPrintable(rec.messages.join(" | ") + " / rb: " + m_dev->bootloaders().peerErrors()));
    QCOMPARE(rec.messages, kSuccessMessages);
    QFile got(rxDir.filePath(QStringLiteral("firmware.sfb")));
    QVERIFY(got.open(QIODevice::ReadOnly));
    QVERIFY(got.readAll() == image);
    // rb ended by itself after the closing header: the application is back.
    QTRY_VERIFY(!m_dev->bootloaders().hostBytes(QByteArray()));
    QCOMPARE(m_dev->bootloaders().mode(), SimBootloaders::Mode::Application);
    QVERIFY(m_dev->bootloaders().peerSucceeded());
}

void TestYmodem::realReceiverCancelledByStop()
{
    // A stop between blocks cancels rb's transfer: it gives up at once instead of waiting for
    // the next block.
    if (QStandardPaths::findExecutable(QStringLiteral("rb")).isEmpty())
        QSKIP("rb (lrzsz) is not installed");
    QTemporaryDir rxDir;
    m_dev->bootloaders().setYmodemPeer(
        QStringLiteral("exec env LD_PRELOAD=%1 rb -b -y").arg(QStringLiteral(PELM_RB_SHIM)), rxDir.path());
    startUsb();
    YmodemUpdate update(m_usb.get(), writeFirmware(randomBytes(20 * 1024, 3)));
    Recorder rec;
    rec.attach(&update);
    connect(&update, &YmodemUpdate::updateProgressBar, &update, [&update](int v) {
        if (v > 0)
            update.requestAbort();
    });
    QVERIFY(update.run());
    QCOMPARE(rec.aborted, 1);
    QCOMPARE(rec.messages.last(), kStopped);
    QElapsedTimer elapsed;
    elapsed.start();
    // Without the cancel rb would keep asking for the block (some 5 s here) before it gives up.
    QTRY_VERIFY_WITH_TIMEOUT(!m_dev->bootloaders().hostBytes(QByteArray()), 4000);
    QVERIFY2(elapsed.elapsed() < 4000, qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY(!m_dev->bootloaders().peerSucceeded());
    QVERIFY(!QFile::exists(rxDir.filePath(QStringLiteral("firmware.sfb"))));
}

QTEST_GUILESS_MAIN(TestYmodem)
#include "tst_ymodem.moc"

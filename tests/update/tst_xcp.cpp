// The XCP session: whole updates into the simulated XCP bootloader over the BLE module link
// (byte orders, protection and the seed-and-key library, refusals, a silent target, stop
// requests, lost answers), and the XCP layer's answer checks against scripted answers.

#include "update/SegmentStore.h"
#include "links/Ble.h"
#include "sim/SimBle.h"
#include "sim/SimBootloaders.h"
#include "sim/SimDevice.h"
#include "support/TestData.h"
#include "support/UpdateSupport.h"
#include "update/Update.h"
#include "update/Xcp.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

using namespace TestData;

constexpr quint8 kBleModule = 0x60;
constexpr int kXcp = 3;
const QString kAddress = QString::fromLatin1(SimBleBackend::kDefaultAddress);

using Recorder = TransferRecorder;

/// S3 records of 16 bytes.
QByteArray srecOf(const QList<QPair<quint32, QByteArray>> &segments)
{
    QByteArray text = "S00600004844521B\n";
    for (const auto &s : segments)
        text += SRecord::s3Records(s.first, s.second, 16, "\n");
    return text;
}

QList<QPair<quint32, QByteArray>> memoryOf(const SegmentStore &store)
{
    QList<QPair<quint32, QByteArray>> out;
    for (int i = 0; i < store.segmentCount(); ++i) {
        quint32 base = 0;
        quint32 length = 0;
        const quint8 *data = store.segment(i, &base, &length);
        out.append({base, QByteArray(reinterpret_cast<const char *>(data), int(length))});
    }
    return out;
}

// --- a link table that answers from a script -------------------------------------------------

struct Script
{
    QList<QByteArray> answers; ///< one per exchange; an empty one: no answer
    QList<QByteArray> sent;
    int opens = 0;
    int closes = 0;
    int creates = 0;
    int destroys = 0;
};
Script g_script;

Ble *scriptCreate(const QString &)
{
    ++g_script.creates;
    return nullptr;
}
void scriptDestroy()
{
    ++g_script.destroys;
}
bool scriptOpen()
{
    ++g_script.opens;
    return true;
}
void scriptClose()
{
    ++g_script.closes;
}
bool scriptExchange(const TransportPacket *tx, TransportPacket *rx, quint16)
{
    g_script.sent.append(QByteArray(reinterpret_cast<const char *>(tx->data), tx->len));
    if (g_script.answers.isEmpty())
        return false;
    const QByteArray a = g_script.answers.takeFirst();
    if (a.isEmpty())
        return false;
    rx->len = quint8(a.size());
    std::memcpy(rx->data, a.constData(), size_t(a.size()));
    return true;
}
const BleLinkTable kScriptTable = {scriptCreate, scriptDestroy, scriptOpen, scriptClose, scriptExchange};

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class TestXcp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fullUpdate_data();
    void fullUpdate();
    void protection_data();
    void protection();
    void emptySeedSkipsUnlock();
    void encryptedImageNeeded();
    void programPieces();
    void erasePieces();
    void unknownCommandIsRetried();
    void stopWhileTargetSilent();
    void connectTimeout();
    void lostAnswerIsRetried();
    void lostAnswerAtEveryStep_data();
    void lostAnswerAtEveryStep();
    void longestSeedIsUnlocked();
    void stopEndsTheStepLine_data();
    void stopEndsTheStepLine();
    void lostUnlockAnswerIsNoRejection();
    void loadFailures_data();
    void loadFailures();
    void secondUpdateRefused();

    void startAnswers_data();
    void startAnswers();
    void numbersInTargetByteOrder();

private:
    Update *makeUpdate(const QByteArray &srecText, quint8 encrypted = 1);
    void configure(const SimXcpTarget::Config &config);
    SimXcpTarget &target() { return m_dev->bootloaders().xcp(); }

    std::unique_ptr<SimDevice> m_dev;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Update> m_update;
};

void TestXcp::init()
{
    m_dev = std::make_unique<SimDevice>();
    m_dir = std::make_unique<QTemporaryDir>();
    installSimBle(m_dev.get());
    m_dev->bootloaders().restartInto(kBleModule, kXcp);
    g_script = Script();
}

void TestXcp::cleanup()
{
    m_update.reset();
    bleLinkTable().destroy();
    uninstallSimBle();
    m_dev.reset();
    m_dir.reset();
}

void TestXcp::configure(const SimXcpTarget::Config &config)
{
    target().setConfig(config);
    target().reset();
}

Update *TestXcp::makeUpdate(const QByteArray &srecText, quint8 encrypted)
{
    const QString path = m_dir->filePath(QStringLiteral("fw.srec"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(srecText) != srecText.size())
        return nullptr;
    f.close();
    m_update = std::make_unique<Update>(Update::kLinkBle, path, kAddress, encrypted);
    return m_update.get();
}

// ---------------------------------------------------------------------------------------------

void TestXcp::fullUpdate_data()
{
    QTest::addColumn<bool>("motorola");
    QTest::newRow("Intel byte order") << false;
    QTest::newRow("Motorola byte order") << true;
}

void TestXcp::fullUpdate()
{
    QFETCH(bool, motorola);
    SimXcpTarget::Config config;
    config.motorola = motorola;
    configure(config);
    const QList<QPair<quint32, QByteArray>> image = {{0x08000000, randomBytes(5000, 1)},
                                                     {0x08004000, randomBytes(100, 2)},
                                                     {0x08010000, randomBytes(4097, 3)}};
    Update *update = makeUpdate(srecOf(image));
    Recorder rec;
    rec.attach(update);
    QVERIFY(update->run());

    QCOMPARE(rec.done, 1);
    QCOMPARE(rec.aborted, 0);
    QCOMPARE(update->outcome(), Update::Outcome::Done);
    QCOMPARE(rec.messages.value(0), QStringLiteral("Start Update\n"));
    QCOMPARE(rec.messages.value(1),
             QStringLiteral("Timeout T1 : 200\nTimeout T3 : 2000\nTimeout T4 : 10000\n"
                            "Timeout T5 : 10000\nTimeout T7 : 2000\nseedKeyFile : (null)\n"
                            "Connect Mode : 0\nEncrypted : 1\n"));
    QCOMPARE(rec.messages.value(2), QStringLiteral("Loading firmware data from file...[OK]"));
    QCOMPARE(rec.messages.value(3), QStringLiteral("Number of Segments: 3\nBase memory address: 0x08000000\n"
                                                   "Total data size: 9197 bytes\n"));
    QCOMPARE(rec.fromConnecting(), (QStringList{"Connecting to target bootloader...", "[OK]",
                                                "Erasing 5000 bytes starting at 0x08000000...", "[OK]",
                                                "Erasing 100 bytes starting at 0x08004000...", "[OK]",
                                                "Erasing 4097 bytes starting at 0x08010000...", "[OK]",
                                                "Programming 5000 bytes starting at 0x08000000...", "[OK]",
                                                "Programming 100 bytes starting at 0x08004000...", "[OK]",
                                                "Programming 4097 bytes starting at 0x08010000...", "[OK]",
                                                "Finishing programming session...[OK]"}));
    QVERIFY(memoryOf(target().memory()) == image);
    QCOMPARE(target().count(XcpLoader::kCmdGetSeed), 0); // not protected
    QCOMPARE(target().count(XcpLoader::kCmdProgramReset), 1);
    QCOMPARE(target().lastEncryptedFlag(), quint8(1));
    QCOMPARE(rec.progress.last(), 0);
    QVERIFY(rec.progress.contains(100));
    // The one way out: link destroyed, the target restarted into its application.
    QVERIFY(bleLink() == nullptr);
    QCOMPARE(m_dev->bootloaders().mode(), SimBootloaders::Mode::Application);
}

void TestXcp::protection_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("result"); // empty: success
    QTest::addColumn<int>("unlocks");
    QTest::newRow("key from the library") << QStringLiteral(PELM_SEEDKEY_LIB) << QString() << 1;
    QTest::newRow("no library") << QString() << "[ERROR] (Authentification failed. Need -sk option.)" << 0;
    QTest::newRow("library missing") << QStringLiteral("/nonexistent/libpelm_nothing.so")
                                     << "[ERROR] (Authentification failed. Need -sk option.)" << 0;
    QTest::newRow("key rejected") << QStringLiteral(PELM_SEEDKEY_WRONG_LIB)
                                  << "[ERROR] Wrong seednkey Lib. Bootloader has rejected the key." << 1;
}

void TestXcp::protection()
{
    QFETCH(QString, library);
    QFETCH(QString, result);
    QFETCH(int, unlocks);
    SimXcpTarget::Config config;
    config.protectedPgm = true;
    configure(config);
    const QList<QPair<quint32, QByteArray>> image = {{0x1000, randomBytes(300, 5)}};
    Update *update = makeUpdate(srecOf(image));
    update->settings().seedKeyFile = library;
    Recorder rec;
    rec.attach(update);
    QVERIFY(update->run());
    QCOMPARE(target().count(XcpLoader::kCmdGetSeed), 1);
    QCOMPARE(target().count(XcpLoader::kCmdUnlock), unlocks);
    if (result.isEmpty()) {
        QCOMPARE(rec.done, 1);
        QVERIFY(memoryOf(target().memory()) == image);
        return;
    }
    QCOMPARE(rec.aborted, 1);
    QCOMPARE(rec.fromConnecting(), (QStringList{"Connecting to target bootloader...", result}));
    // A refused key is not tried again and again.
    QCOMPARE(target().count(XcpLoader::kCmdConnect), 1);
    QCOMPARE(target().count(XcpLoader::kCmdProgramStart), 0);
    QVERIFY(bleLink() == nullptr);
}

void TestXcp::emptySeedSkipsUnlock()
{
    SimXcpTarget::Config config;
    config.protectedPgm = true;
    config.seed.clear();
    configure(config);
    Update *update = makeUpdate(srecOf({{0x2000, randomBytes(64, 6)}}));
    Recorder rec;
    rec.attach(update);
    QVERIFY(update->run());
    QCOMPARE(rec.done, 1);
    QCOMPARE(target().count(XcpLoader::kCmdGetSeed), 1);
    QCOMPARE(target().count(XcpLoader::kCmdUnlock), 0);
}

void TestXcp::encryptedImageNeeded()
{
    SimXcpTarget::Config config;
    config.requireEncrypted = true;
    configure(config);
    Update *update = makeUpdate(srecOf({{0x2000, randomBytes(64, 6)}}), 0);
    Recorder rec;
    rec.attach(update);
    QVERIFY(update->run());
    QCOMPARE(rec.aborted, 1);
    QCOMPARE(rec.fromConnecting(),
             (QStringList{"Connecting to target bootloader...",
                          "[ERROR] The provided firmware needs to be an encrypted one."}));
    QCOMPARE(target().count(XcpLoader::kCmdConnect), 1);
    QCOMPARE(target().lastEncryptedFlag(), quint8(0));
}

void TestXcp::programPieces()
{
    SimXcpTarget::Config config;
    config.maxCtoPgm = 64;
    configure(config);
    const QList<QPair<quint32, QByteArray>> image = {{0x3000, randomBytes(200, 7)}};
    Update *update = makeUpdate(srecOf(image));
    Recorder rec;
    rec.attach(update);
    QVERIFY(update->run());
    QCOMPARE(rec.done, 1);
    // 61, 61, 61 as PROGRAM_MAX, then 17 as PROGRAM (and the empty PROGRAM that ends).
    QCOMPARE(target().count(XcpLoader::kCmdProgramMax), 3);
    QCOMPARE(target().count(XcpLoader::kCmdProgram), 2);
    QVERIFY(memoryOf(target().memory()) == image);
    QCOMPARE(rec.progress.mid(rec.progress.lastIndexOf(0, rec.progress.size() - 2)),
             (QList<int>{0, 30, 61, 91, 100, 0}));
}

void TestXcp::erasePieces()
{
    Update *update = makeUpdate(srecOf({{0x08000000, randomBytes(10000, 8)}}));
    Recorder rec;
    rec.attach(update);
    QVERIFY(update->run());
    QCOMPARE(rec.done, 1);
    const QList<QPair<quint32, quint32>> expected = {
        {0x08000000, 4096}, {0x08001000, 4096}, {0x08002000, 1808}};
    QCOMPARE(target().clears(), expected);
}

void TestXcp::unknownCommandIsRetried()
{
    SimXcpTarget::Config config;
    config.unknownConnects = 2;
    configure(config);
    Update *update = makeUpdate(srecOf({{0x100, randomBytes(20, 9)}}));
    Recorder rec;
    rec.attach(update);
    QVERIFY(update->run());
    QCOMPARE(rec.done, 1);
    QCOMPARE(target().count(XcpLoader::kCmdConnect), 3);
}

void TestXcp::stopWhileTargetSilent()
{
    SimXcpTarget::Config config;
    config.silent = true;
    configure(config);
    Update *update = makeUpdate(srecOf({{0x100, randomBytes(20, 9)}}));
    Recorder rec;
    rec.attach(update);
    QElapsedTimer elapsed;
    QTimer::singleShot(700, update, [update, &elapsed] {
        elapsed.start();
        update->requestAbort();
    });
    QVERIFY(update->run());
    // Within the pause between attempts plus one attempt (CONNECT times out after T1), with
    // room for a loaded machine; without the check the attempts would go on for ever.
    QVERIFY2(elapsed.elapsed() < 1500, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(rec.aborted, 1);
    QCOMPARE(update->outcome(), Update::Outcome::Aborted);
    QCOMPARE(rec.fromConnecting(),
             (QStringList{"Connecting to target bootloader...", "[ERROR]", Update::stoppedText()}));
    QVERIFY(target().count(XcpLoader::kCmdConnect) >= 2);
    QVERIFY(bleLink() == nullptr);
}

void TestXcp::connectTimeout()
{
    SimXcpTarget::Config config;
    config.silent = true;
    configure(config);
    Update *update = makeUpdate(srecOf({{0x100, randomBytes(20, 9)}}));
    update->setConnectTimeoutMs(500);
    Recorder rec;
    rec.attach(update);
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(update->run());
    QVERIFY(elapsed.elapsed() < 3000);
    QCOMPARE(rec.aborted, 1);
    QCOMPARE(update->outcome(), Update::Outcome::Failed);
    QCOMPARE(rec.fromConnecting().value(1),
             QStringLiteral("[ERROR] The bootloader did not answer within 0.5 s."));
}

void TestXcp::lostAnswerIsRetried()
{
    // Packets: CONNECT, GET_STATUS, PROGRAM_START, SET_MTA, PROGRAM_CLEAR, SET_MTA, then
    // the first PROGRAM_MAX (index 6), whose answer is lost: the piece goes again, after
    // the MTA was set again, and lands at its address once.
    SimXcpTarget::Config config;
    config.dropAnswerAt = 6;
    configure(config);
    const QList<QPair<quint32, QByteArray>> image = {{0x4000, randomBytes(300, 10)}};
    Update *update = makeUpdate(srecOf(image));
    update->settings().t5 = 200;
    Recorder rec;
    rec.attach(update);
    QVERIFY(update->run());
    QCOMPARE(rec.done, 1);
    QVERIFY(memoryOf(target().memory()) == image);
    // 300 bytes: four pieces of 61 as PROGRAM_MAX (one of them sent twice), 56 as PROGRAM.
    QCOMPARE(target().count(XcpLoader::kCmdProgramMax), 5);
    QCOMPARE(target().count(XcpLoader::kCmdSetMta), 1 + 5 + 1); // erase, each piece, the repeat
}

void TestXcp::lostAnswerAtEveryStep_data()
{
    QTest::addColumn<bool>("protectedPgm");
    QTest::addColumn<int>("dropAt");
    // Unprotected: CONNECT, GET_STATUS, PROGRAM_START, SET_MTA, PROGRAM_CLEAR, SET_MTA, PROGRAM,
    // PROGRAM_MAX, PROGRAM 0, PROGRAM_RESET. Protected: GET_SEED and UNLOCK after GET_STATUS.
    for (int i = 0; i < 10; ++i)
        QTest::addRow("unprotected, answer %d lost", i) << false << i;
    for (int i = 0; i < 12; ++i)
        QTest::addRow("protected, answer %d lost", i) << true << i;
}

void TestXcp::lostAnswerAtEveryStep()
{
    // One lost answer, wherever it is, costs a repeat: the target stays in its bootloader
    // until the whole image is programmed, and gets it all.
    QFETCH(bool, protectedPgm);
    QFETCH(int, dropAt);
    SimXcpTarget::Config config;
    config.protectedPgm = protectedPgm;
    config.dropAnswerAt = dropAt;
    configure(config);
    const QList<QPair<quint32, QByteArray>> image = {{0x4000, randomBytes(100, 12)}};
    Update *update = makeUpdate(srecOf(image));
    update->settings().seedKeyFile = QStringLiteral(PELM_SEEDKEY_LIB);
    update->settings().t3 = 200;
    update->settings().t4 = 200;
    update->settings().t5 = 200;
    update->setConnectTimeoutMs(5000);
    Recorder rec;
    rec.attach(update);
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(update->run());
    QVERIFY2(rec.done == 1, qPrintable(rec.messages.join('|')));
    QVERIFY(memoryOf(target().memory()) == image);
    QCOMPARE(target().count(XcpLoader::kCmdProgramReset), 1);
    QCOMPARE(m_dev->bootloaders().mode(), SimBootloaders::Mode::Application);
    QCOMPARE(rec.messages.last(), QStringLiteral("Finishing programming session...[OK]"));
    // A repeat, not a reconnection that sits out the link's timeouts.
    QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString::number(elapsed.elapsed())));
}

void TestXcp::longestSeedIsUnlocked()
{
    // MAX_CTO 8: a seed of 6 bytes fills GET_SEED's answer, and its 6-byte key UNLOCK.
    SimXcpTarget::Config config;
    config.protectedPgm = true;
    config.seed = QByteArray::fromHex("010203040506");
    configure(config);
    const QList<QPair<quint32, QByteArray>> image = {{0x1000, randomBytes(80, 13)}};
    Update *update = makeUpdate(srecOf(image));
    update->settings().seedKeyFile = QStringLiteral(PELM_SEEDKEY_LIB);
    Recorder rec;
    rec.attach(update);
    QVERIFY(update->run());
    QCOMPARE(rec.fromConnecting().mid(0, 2), (QStringList{"Connecting to target bootloader...", "[OK]"}));
    QCOMPARE(rec.done, 1);
    QCOMPARE(target().count(XcpLoader::kCmdUnlock), 1);
    QVERIFY(memoryOf(target().memory()) == image);
}

void TestXcp::stopEndsTheStepLine_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("erasing") << "Erasing 10000 bytes starting at 0x08000000...";
    QTest::newRow("programming") << "Programming 10000 bytes starting at 0x08000000...";
}

void TestXcp::stopEndsTheStepLine()
{
    QFETCH(QString, step);
    Update *update = makeUpdate(srecOf({{0x08000000, randomBytes(10000, 14)}}));
    connect(update, &Update::updateProgressBar, update, [update, &step](int percent) {
        Q_UNUSED(percent)
        // The stop button, pressed once the step is under way.
        if (update->property("step").toString() == step)
            update->requestAbort();
    });
    connect(update, &Update::printDialog, update, [update](const QString &t) {
        if (t.endsWith(QLatin1String("...")))
            update->setProperty("step", t);
    });
    Recorder rec;
    rec.attach(update);
    QVERIFY(update->run());
    QCOMPARE(update->outcome(), Update::Outcome::Aborted);
    const QStringList said = rec.fromConnecting();
    const int at = said.indexOf(step);
    QVERIFY2(at > 0, qPrintable(said.join('|')));
    QCOMPARE(said.mid(at), (QStringList{step, "[ERROR] (stopped)", Update::stoppedText()}));
    // Stopped in its bootloader: never told to end programming or to reset.
    QCOMPARE(target().count(XcpLoader::kCmdProgramReset), 0);
    QCOMPARE(m_dev->bootloaders().mode(), SimBootloaders::Mode::Xcp);
}

void TestXcp::lostUnlockAnswerIsNoRejection()
{
    // The target took the key but its answer was lost: the next attempt finds the resource
    // unlocked. A refusal is an error answer, and only that is reported as a rejected key.
    QList<QByteArray> answers = {hex("FF 10 00 08 0800 0101"), hex("FF 00 10 000000"), hex("FF 02 0102"),
                                 QByteArray()};
    XcpLoader xcp;
    XcpSettings settings;
    settings.linkTable = &kScriptTable;
    xcp.Init(settings);
    xcp.setKeyRoutine([](quint8, const QByteArray &seed, QByteArray *key) {
        *key = seed;
        return true;
    });
    g_script.answers = answers;
    QCOMPARE(xcp.Start(), int(XcpLoader::kStartNoAnswer));
    g_script.answers = {hex("FF 10 00 08 0800 0101"), hex("FF 00 00 000000"), hex("FF 00 00 40 000000")};
    QCOMPARE(xcp.Start(), int(XcpLoader::kStartOk));
    // Connected again on the same link, without ending programming or resetting the target.
    QCOMPARE(g_script.sent.mid(4), (QList<QByteArray>{hex("FF 00 00"), hex("FD"), hex("D2")}));
    QCOMPARE(g_script.closes, 0);
    QCOMPARE(g_script.opens, 2);

    g_script = Script();
    xcp.Init(settings);
    g_script.answers = answers.mid(0, 3) << hex("FE 25");
    QCOMPARE(xcp.Start(), int(XcpLoader::kStartKeyRejected));
    xcp.Terminate();
}

void TestXcp::loadFailures_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("missing");
    QTest::newRow("no data records") << QByteArray("S00600004844521B\nS9030000FC\n") << false;
    QTest::newRow("missing file") << QByteArray() << true;
    QTest::newRow("corrupt line") << QByteArray("S00600004844521B\nS1050000414277\nS1050002414274\n")
                                  << false;
}

void TestXcp::loadFailures()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, missing);
    Update *update = makeUpdate(text);
    if (missing)
        QFile::remove(m_dir->filePath(QStringLiteral("fw.srec")));
    Recorder rec;
    rec.attach(update);
    QVERIFY(update->run());
    QCOMPARE(rec.aborted, 1);
    QCOMPARE(rec.messages.last(), text.contains("S1050002")
                                      ? QStringLiteral("Loading firmware data from file...[ERROR] Line 3 is "
                                                       "corrupt (byte count or checksum).")
                                      : QStringLiteral("Loading firmware data from file...[ERROR]"));
    QCOMPARE(target().packets(), 0);
}

void TestXcp::secondUpdateRefused()
{
    Update *update = makeUpdate(srecOf({{0x100, randomBytes(500, 11)}}));
    Update other(Update::kLinkBle, m_dir->filePath(QStringLiteral("fw.srec")), kAddress, 1);
    Recorder otherRec;
    otherRec.attach(&other);
    int refusals = 0;
    connect(update, &Update::printDialog, update, [&](const QString &t) {
        if (t.startsWith(QLatin1String("Programming")) && !other.run())
            ++refusals;
    });
    Recorder rec;
    rec.attach(update);
    QVERIFY(update->run());
    QCOMPARE(rec.done, 1);
    QCOMPARE(refusals, 1);
    QCOMPARE(otherRec.messages, QStringList());
    QVERIFY(!Update::anyRunning());
}

// ---------------------------------------------------------------------------------------------
// The XCP layer against scripted answers
// ---------------------------------------------------------------------------------------------

void TestXcp::startAnswers_data()
{
    QTest::addColumn<QList<QByteArray>>("answers");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("maxCtoPgm");

    const QByteArray connect = hex("FF 10 00 08 0800 0101");
    const QByteArray status = hex("FF 00 00 000000");
    const QByteArray locked = hex("FF 00 10 000000");
    const QByteArray start = hex("FF 00 00 40 000000");
    QTest::newRow("all valid") << QList<QByteArray>{connect, status, start} << 0 << 0x40;
    QTest::newRow("no answer") << QList<QByteArray>{} << 1 << 0;
    QTest::newRow("CONNECT answer one byte short") << QList<QByteArray>{hex("FF 10 00 08 0800 01")} << 1 << 0;
    QTest::newRow("error code 0 is no success") << QList<QByteArray>{hex("FE 00")} << 1 << 0;
    QTest::newRow("error code 0x20") << QList<QByteArray>{hex("FE 20")} << 0x20 << 0;
    QTest::newRow("error code 0x32") << QList<QByteArray>{hex("FE 32")} << 0x32 << 0;
    QTest::newRow("MAX_CTO 0") << QList<QByteArray>{hex("FF 10 00 00 0800 0101")} << 1 << 0;
    QTest::newRow("MAX_DTO 0") << QList<QByteArray>{hex("FF 10 00 08 0000 0101")} << 1 << 0;
    QTest::newRow("MAX_DTO 256") << QList<QByteArray>{hex("FF 10 00 08 0001 0101")} << 1 << 0;
    QTest::newRow("GET_STATUS short") << QList<QByteArray>{connect, hex("FF 00 00 0000")} << 1 << 0;
    QTest::newRow("GET_STATUS negative") << QList<QByteArray>{connect, hex("FE 20")} << 1 << 0;
    QTest::newRow("seed longer than MAX_CTO - 2")
        << QList<QByteArray>{connect, locked, hex("FF 07 0102030405")} << 1 << 0;
    QTest::newRow("seed shorter than announced")
        << QList<QByteArray>{connect, locked, hex("FF 04 010203")} << 1 << 0;
    QTest::newRow("seed answer above MAX_CTO")
        << QList<QByteArray>{connect, locked, hex("FF 02 0102 000000000000")} << 1 << 0;
    QTest::newRow("empty seed: no UNLOCK")
        << QList<QByteArray>{connect, locked, hex("FF 00"), start} << 0 << 0x40;
    QTest::newRow("seed without key routine")
        << QList<QByteArray>{connect, locked, hex("FF 02 0102")} << 2 << 0;
    QTest::newRow("PROGRAM_START MAX_CTO_PGM 3")
        << QList<QByteArray>{connect, status, hex("FF 00 00 03 000000")} << 1 << 0;
    QTest::newRow("PROGRAM_START short")
        << QList<QByteArray>{connect, status, hex("FF 00 00 40 0000")} << 1 << 0;
}

void TestXcp::startAnswers()
{
    QFETCH(QList<QByteArray>, answers);
    QFETCH(int, result);
    QFETCH(int, maxCtoPgm);
    XcpLoader xcp;
    XcpSettings settings;
    settings.linkTable = &kScriptTable;
    xcp.Init(settings);
    g_script.answers = answers;
    QCOMPARE(xcp.Start(), result);
    QCOMPARE(int(xcp.maxCtoPgm()), maxCtoPgm);
    QCOMPARE(g_script.sent.value(0), hex("FF 00 00"));
    QCOMPARE(g_script.opens, 1);
    xcp.Terminate();
    QCOMPARE(g_script.destroys, 1);
    QVERIFY(!xcp.isConnected());
}

void TestXcp::numbersInTargetByteOrder()
{
    for (const bool motorola : {false, true}) {
        g_script = Script();
        XcpLoader xcp;
        XcpSettings settings;
        settings.linkTable = &kScriptTable;
        settings.connectMode = 2;
        settings.encrypted = 1;
        xcp.Init(settings);
        g_script.answers = {motorola ? hex("FF 10 01 08 0008 0101") : hex("FF 10 00 08 0800 0101"),
                            hex("FF 00 00 000000"), hex("FF 00 00 08 000000"), hex("FF"), hex("FF")};
        QCOMPARE(xcp.Start(), 0);
        QCOMPARE(xcp.intelByteOrder(), !motorola);
        QCOMPARE(xcp.maxDto(), quint16(8));
        QVERIFY(xcp.EraseRange(0x08001234, 0x10203));
        QCOMPARE(g_script.sent.value(0), hex("FF 02 01"));
        QCOMPARE(g_script.sent.value(3), motorola ? hex("F6 000000 08001234") : hex("F6 000000 34120008"));
        QCOMPARE(g_script.sent.value(4), motorola ? hex("D1 000000 00010203") : hex("D1 000000 03020100"));
        // MAX_CTO_PGM 8: pieces of 5; 7 bytes go as PROGRAM 2, then PROGRAM_MAX 5.
        g_script.answers = {hex("FF"), hex("FF"), hex("FF")};
        QVERIFY(xcp.WriteData(0x100, 7, reinterpret_cast<const quint8 *>("ABCDEFG")));
        QCOMPARE(g_script.sent.mid(5),
                 (QList<QByteArray>{motorola ? hex("F6 000000 00000100") : hex("F6 000000 00010000"),
                                    QByteArray("\xD0\x02"
                                               "AB",
                                               4),
                                    QByteArray("\xC9"
                                               "CDEFG")}));
        xcp.Terminate();
    }
}

QTEST_GUILESS_MAIN(TestXcp)
#include "tst_xcp.moc"

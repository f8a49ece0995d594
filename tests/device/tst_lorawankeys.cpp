// LoRaWAN keys without widgets: typed keys and key texts (only complete keys pass, and no
// message quotes a key), and the key write against the simulated device (the exact request,
// refusals named per key, no answer, keys of the wrong length never sent, keys split over
// several frames).

#include "support/SimComm.h"
#include "device/session/DeviceFactory.h"
#include "device/session/DeviceSession.h"
#include "device/session/LoRaWanKeys.h"
#include "sim/SimDevice.h"
#include "support/RecordingReporter.h"

#include <QtTest>

#include <memory>

namespace {

QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}

// Distinctive keys: no run of their digits appears anywhere else by chance.
const QString kAppEuiText = QStringLiteral("D0E1F2A3B4C5D6E7");
const QString kAppKeyText = QStringLiteral("2B7E151628AED2A6ABF7158809CF4F3C");
const QByteArray kAppEui = QByteArray::fromHex(kAppEuiText.toLatin1());
const QByteArray kAppKey = QByteArray::fromHex(kAppKeyText.toLatin1());

constexpr quint8 kLinkUsb = 0x75;
constexpr quint8 kCmdParams = 5;

} // namespace

class TestLoRaWanKeys : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void typedKeys_data();
    void typedKeys();
    void keyText_data();
    void keyText();

    void writeSendsExactlyTheTwoBufferRecords();
    void writeNamesARefusedKey_data();
    void writeNamesARefusedKey();
    void writeWithoutAnswer_data();
    void writeWithoutAnswer();
    void keysOfTheWrongLengthAreNotSent_data();
    void keysOfTheWrongLengthAreNotSent();
    void keysSplitOverFrames();

private:
    std::unique_ptr<DeviceSession> connect();

    ScopedRecordingReporter m_rep;
    std::unique_ptr<SimDevice> m_dev;
};

void TestLoRaWanKeys::init()
{
    m_dev.reset(new SimDevice);
    SimDevice *dev = m_dev.get();
    DeviceFactory::setUsbTransportFactory([dev]() -> Comm * { return new SimComm(*dev); });
    DeviceFactory::resetUsbAttemptCounter();
    m_rep.clear();
}

void TestLoRaWanKeys::cleanup()
{
    DeviceFactory::setUsbTransportFactory({});
    RecordingReporter left = m_rep;
    m_rep.clear();
    VERIFY_NO_PENDING_BOXES(left);
}

std::unique_ptr<DeviceSession> TestLoRaWanKeys::connect()
{
    bool failed = false;
    std::unique_ptr<DeviceSession> s(DeviceFactory::connectUsb(&failed));
    m_rep.clear();
    m_dev->resetCounters();
    return s;
}

void TestLoRaWanKeys::typedKeys_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes"); // empty: refused
    QTest::addColumn<QString>("problem");

    const QString euiProblem = QStringLiteral("The AppEUI must have 16 hexadecimal digits.");
    const QString keyProblem = QStringLiteral("The AppKey must have 32 hexadecimal digits.");
    QTest::newRow("AppEUI, 16 digits") << 6 << kAppEuiText << kAppEui << QString();
    QTest::newRow("AppEUI, lower case") << 6 << kAppEuiText.toLower() << kAppEui << QString();
    QTest::newRow("AppEUI, mixed case") << 6 << QStringLiteral("d0E1f2A3b4C5d6E7") << kAppEui << QString();
    QTest::newRow("AppEUI, 15 digits") << 6 << kAppEuiText.left(15) << QByteArray() << euiProblem;
    QTest::newRow("AppEUI, 14 digits (7 bytes)") << 6 << kAppEuiText.left(14) << QByteArray() << euiProblem;
    QTest::newRow("AppEUI, 17 digits") << 6 << kAppEuiText + "0" << QByteArray() << euiProblem;
    QTest::newRow("AppEUI, empty") << 6 << QString() << QByteArray() << euiProblem;
    QTest::newRow("AppEUI, a non-digit")
        << 6 << QStringLiteral("D0E1F2A3B4C5D6EG") << QByteArray() << euiProblem;
    QTest::newRow("AppEUI, blanks") << 6 << QStringLiteral("D0E1 F2A3 B4C5 D6E7") << QByteArray()
                                    << euiProblem;
    QTest::newRow("AppKey, 32 digits") << 7 << kAppKeyText << kAppKey << QString();
    QTest::newRow("AppKey, lower case") << 7 << kAppKeyText.toLower() << kAppKey << QString();
    QTest::newRow("AppKey, 31 digits") << 7 << kAppKeyText.left(31) << QByteArray() << keyProblem;
    QTest::newRow("AppKey, 16 digits") << 7 << kAppEuiText << QByteArray() << keyProblem;
}

void TestLoRaWanKeys::typedKeys()
{
    QFETCH(int, id);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);
    QCOMPARE(LoRaWanKeys::decodeKey(text, quint8(id)), bytes);
    QCOMPARE(LoRaWanKeys::entryProblem(quint8(id), text), problem);
}

void TestLoRaWanKeys::keyText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("error");

    const QByteArray eui = "AppEUI=" + kAppEuiText.toLatin1();
    const QByteArray key = "AppKey=" + kAppKeyText.toLatin1();
    QTest::newRow("two lines") << eui + "\n" + key + "\n" << true << QString();
    QTest::newRow("key first, no final line feed") << key + "\n" + eui << true << QString();
    QTest::newRow("CR LF, blanks, comments, any case")
        << "# keys of unit 17\r\n\r\n  appeui = " + kAppEuiText.toLower().toLatin1() +
               " \r\nAPPKEY=" + kAppKeyText.toLatin1() + "\r\n"
        << true << QString();
    QTest::newRow("AppKey missing") << eui + "\n" << false << QStringLiteral("The AppKey is missing.");
    QTest::newRow("AppEUI missing") << key << false << QStringLiteral("The AppEUI is missing.");
    QTest::newRow("empty") << QByteArray() << false << QStringLiteral("The AppEUI is missing.");
    QTest::newRow("AppEUI twice") << eui + "\n" + key + "\n" + eui << false
                                  << QStringLiteral("The AppEUI is given more than once (line 3).");
    QTest::newRow("short AppKey") << eui + "\n" + key.left(key.size() - 1) << false
                                  << QStringLiteral("Line 2: The AppKey must have 32 hexadecimal digits.");
    QTest::newRow("short AppEUI") << "AppEUI=" + kAppEuiText.left(14).toLatin1() + "\n" + key << false
                                  << QStringLiteral("Line 1: The AppEUI must have 16 hexadecimal digits.");
    QTest::newRow("separators in a key")
        << "AppEUI=D0:E1:F2:A3:B4:C5:D6:E7\n" + key << false
        << QStringLiteral("Line 1: The AppEUI must have 16 hexadecimal digits.");
    // A line that is not a key line may still hold a key: it is never quoted.
    QTest::newRow("bare key") << eui + "\n" + kAppKeyText.toLatin1() << false
                              << QStringLiteral("Line 2 is neither \"AppEUI=...\" nor \"AppKey=...\".");
    QTest::newRow("other name") << "DevEUI=" + kAppEuiText.toLatin1() + "\n" + eui + "\n" + key << false
                                << QStringLiteral("Line 1 is neither \"AppEUI=...\" nor \"AppKey=...\".");
}

void TestLoRaWanKeys::keyText()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(QString, error);
    LoRaWanKeys::Keys keys;
    QString why;
    QCOMPARE(LoRaWanKeys::parseKeyText(text, &keys, &why), ok);
    QCOMPARE(why, error);
    if (ok) {
        QCOMPARE(keys.appEui, kAppEui);
        QCOMPARE(keys.appKey, kAppKey);
    } else {
        QVERIFY(keys.appEui.isEmpty() && keys.appKey.isEmpty());
    }
}

void TestLoRaWanKeys::writeSendsExactlyTheTwoBufferRecords()
{
    auto s = connect();
    QVERIFY(s);
    s->addParam(OrvParam(24, hex("0a00"))); // whatever the list held is not written

    const LoRaWanKeys::WriteResult r = LoRaWanKeys::write(*s, kAppEui, kAppKey);
    QCOMPARE(int(r.outcome), int(LoRaWanKeys::WriteResult::Accepted));
    const QVector<LoRaWanKeys::KeyResult> expected{{6, false}, {7, false}};
    QCOMPARE(r.keys, expected);

    QCOMPARE(m_dev->commandCount(kCmdParams), 1);
    QCOMPARE(m_dev->requests().size(), 1);
    const QByteArray request = QByteArray(1, char(kLinkUsb)) + char(kCmdParams) +
                               hex("1E 00")                 // 30 payload bytes
                               + hex("C6 09 00") + kAppEui  // id 6, 9 value bytes, index 0
                               + hex("C7 11 00") + kAppKey; // id 7, 17 value bytes, index 0
    QCOMPARE(m_dev->requests().first().toHex(' '), request.toHex(' '));
    QCOMPARE(m_dev->appEui(), kAppEui);
    QCOMPARE(m_dev->appKey(), kAppKey);
    QVERIFY(s->params().isEmpty());
    QCOMPARE(m_rep.statusTexts(), QStringList{"Apply configuration to Pelm, has succeeded !"});
    // The keys are not parameters of the family: files and frames never carry them.
    QVERIFY(!s->tables().isKnown(6) && !s->tables().isKnown(7));
}

void TestLoRaWanKeys::writeNamesARefusedKey_data()
{
    QTest::addColumn<QList<int>>("refusedIds");
    QTest::addColumn<QString>("report");
    QTest::newRow("AppEUI") << QList<int>{6} << QStringLiteral("    - AppEUI (6): Can't set AppEUI !\n");
    QTest::newRow("AppKey") << QList<int>{7} << QStringLiteral("    - AppKey (7): Can't set AppKey !\n");
    QTest::newRow("both") << QList<int>{6, 7}
                          << QStringLiteral("    - AppEUI (6): Can't set AppEUI !\n"
                                            "    - AppKey (7): Can't set AppKey !\n");
}

void TestLoRaWanKeys::writeNamesARefusedKey()
{
    QFETCH(QList<int>, refusedIds);
    QFETCH(QString, report);
    auto s = connect();
    QVERIFY(s);
    for (const int id : refusedIds)
        m_dev->setRefused(quint8(id));

    const LoRaWanKeys::WriteResult r = LoRaWanKeys::write(*s, kAppEui, kAppKey);
    QCOMPARE(int(r.outcome), int(LoRaWanKeys::WriteResult::Refused));
    const QVector<LoRaWanKeys::KeyResult> expected{{6, refusedIds.contains(6)}, {7, refusedIds.contains(7)}};
    QCOMPARE(r.keys, expected);
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.title, QStringLiteral("Apply configuration failed"));
    QCOMPARE(box.text, QStringLiteral("Some parameter of the configuration as failed:\n\n") + report);
    QCOMPARE(m_rep.statusTexts(), QStringList{"Apply configuration to Pelm, has failed !"});
    QVERIFY(!s->tables().isKnown(6) && !s->tables().isKnown(7));
}

void TestLoRaWanKeys::writeWithoutAnswer_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("silent") << int(SimFault::Silent) << QStringList{"Apply configuration failed !"};
    QTest::newRow("not acknowledged") << int(SimFault::NotAcknowledged)
                                      << QStringList{"Communication warning", "Apply configuration failed !"};
    QTest::newRow("device error") << int(SimFault::DeviceError)
                                  << QStringList{"Communication warning from device",
                                                 "Apply configuration failed !"};
}

void TestLoRaWanKeys::writeWithoutAnswer()
{
    QFETCH(int, fault);
    QFETCH(QStringList, titles);
    auto s = connect();
    QVERIFY(s);
    m_dev->setFault(SimFault(SimFault::Kind(fault), Protocol::kErrBadBuffer));

    const LoRaWanKeys::WriteResult r = LoRaWanKeys::write(*s, kAppEui, kAppKey);
    QCOMPARE(int(r.outcome), int(LoRaWanKeys::WriteResult::NoAnswer));
    QVERIFY(r.keys.isEmpty());
    QStringList shown;
    while (m_rep.hasBoxes())
        shown << m_rep.takeBox().title;
    QCOMPARE(shown, titles);
    QVERIFY(s->params().isEmpty()); // no piece of a key stays in the list
}

void TestLoRaWanKeys::keysOfTheWrongLengthAreNotSent_data()
{
    QTest::addColumn<QByteArray>("appEui");
    QTest::addColumn<QByteArray>("appKey");
    QTest::addColumn<QString>("text");
    QTest::newRow("7-byte AppEUI") << kAppEui.left(7) << kAppKey
                                   << QStringLiteral("The AppEUI must have 16 hexadecimal digits.");
    QTest::newRow("15-byte AppKey") << kAppEui << kAppKey.left(15)
                                    << QStringLiteral("The AppKey must have 32 hexadecimal digits.");
    QTest::newRow("17-byte AppKey") << kAppEui << kAppKey + 'x'
                                    << QStringLiteral("The AppKey must have 32 hexadecimal digits.");
    QTest::newRow("both empty") << QByteArray() << QByteArray()
                                << QStringLiteral("The AppEUI must have 16 hexadecimal digits.\n"
                                                  "The AppKey must have 32 hexadecimal digits.");
}

void TestLoRaWanKeys::keysOfTheWrongLengthAreNotSent()
{
    QFETCH(QByteArray, appEui);
    QFETCH(QByteArray, appKey);
    QFETCH(QString, text);
    auto s = connect();
    QVERIFY(s);

    const LoRaWanKeys::WriteResult r = LoRaWanKeys::write(*s, appEui, appKey);
    QCOMPARE(int(r.outcome), int(LoRaWanKeys::WriteResult::Invalid));
    QCOMPARE(m_dev->requestCount(), 0);
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(int(box.icon), int(Reporter::Warning));
    QCOMPARE(box.title, QStringLiteral("Change LoRaWAN keys"));
    QCOMPARE(box.text, text);
}

void TestLoRaWanKeys::keysSplitOverFrames()
{
    // A device with room for 12 bytes per frame gets each key in several chunks.
    m_dev->setBufferSize(12);
    auto s = connect();
    QVERIFY(s);
    LoRaWanKeys::WriteResult r = LoRaWanKeys::write(*s, kAppEui, kAppKey);
    QCOMPARE(int(r.outcome), int(LoRaWanKeys::WriteResult::Accepted));
    QVERIFY(m_dev->commandCount(kCmdParams) > 2);
    QCOMPARE(m_dev->appEui(), kAppEui);
    QCOMPARE(m_dev->appKey(), kAppKey);

    // One refused chunk refuses its key.
    m_rep.clear();
    m_dev->setRefused(7);
    r = LoRaWanKeys::write(*s, kAppEui, kAppKey);
    QCOMPARE(int(r.outcome), int(LoRaWanKeys::WriteResult::Refused));
    const QVector<LoRaWanKeys::KeyResult> expected{{6, false}, {7, true}};
    QCOMPARE(r.keys, expected);
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Apply configuration failed"));
}

QTEST_GUILESS_MAIN(TestLoRaWanKeys)
#include "tst_lorawankeys.moc"

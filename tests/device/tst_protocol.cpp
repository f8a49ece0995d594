// The command protocol against a scripted transport: request bytes, answer header checks,
// multi-packet reassembly, device errors, identification records, frames and the refusal
// bitmap; the protocol trace (exact lines, and the LoRaWAN keys masked in it).

#include "support/ScriptedComm.h"
#include "device/session/LoRaWanKeys.h"
#include "device/protocol/Protocol.h"
#include "support/LogRecorder.h"
#include "support/RecordingReporter.h"
#include "support/SecretScan.h"
#include "support/TestKeys.h"

#include <QThread>
#include <QtTest>

namespace {

using namespace TestKeys;

/// Read timeout of the exchanges these tests run directly: scripted answers are there at once,
/// so only a silent device sits it out.
constexpr int kReadTimeoutMs = 500;

QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}

/// A list of n one-byte parameters with ids 10, 11, ...
OrvParamList oneByteParams(int n)
{
    OrvParamList list;
    for (int i = 0; i < n; ++i)
        list.append(OrvParam(quint8(10 + i), quint8(i)));
    return list;
}

/// A device that answers with a header of the other transport and then never stops
/// sending, a byte about every millisecond.
class ChattyComm : public Comm
{
public:
    ChattyComm() : Comm(kLinkUsbHid) {}
    bool open() override { return true; }
    bool isConnected() override { return true; }
    qint32 close() override { return 0; }
    qint32 write(const quint8 *, quint32 length) override { return qint32(length); }
    qint32 read(quint8 *buffer, quint32 length, qint32) override
    {
        if (bytesLeft <= 0)
            return 0;
        QThread::msleep(1);
        const int n = std::min(int(length), bytesLeft);
        std::memset(buffer, kLinkBle, size_t(n));
        bytesLeft -= n;
        return n;
    }
    int bytesLeft = 12000; ///< more than 12 s of bytes
};

const char *const kWarningTitle = "Communication warning";
const char *const kDeviceWarningTitle = "Communication warning from device";
const char *const kCommErrorTitle = "Communication error";

} // namespace

class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        RecordingReporter left = m_rep; // a failed case must not leave its boxes to the next
        m_rep.clear();
        VERIFY_NO_PENDING_BOXES(left);
    }

    void requestBytes_data();
    void requestBytes();
    void sendFailures();
    void receiveAnswerHeaderChecks_data();
    void receiveAnswerHeaderChecks();
    void rejectedAnswerDoesNotLeakIntoNext();
    void drainOfAChattyDeviceIsBounded();
    void receiveRaw_data();
    void receiveRaw();
    void multiPacket_data();
    void multiPacket();
    void endlessAnswerIsCutOff();
    void errorsHidden();
    void deviceErrorTexts_data();
    void deviceErrorTexts();
    void laterFramesStillSentAfterSilentFrame();
    void sentIdsPaddingOneFrame();
    void sentIdsPaddingTwoFrames();
    void bufferRecordChunkedOverFrames();
    void unsendableRecordSendsNothing();
    void bitmapLengthCheck_data();
    void bitmapLengthCheck();
    void identificationRecord_data();
    void identificationRecord();
    void identifyExchange();
    void identifyFailures_data();
    void identifyFailures();
    void bootloaderTag_data();
    void bootloaderTag();
    void terminalAvailable_data();
    void terminalAvailable();
    void noTransport();

    void trace_data();
    void trace();
    void keysNeverTraced_data();
    void keysNeverTraced();
    void traceOffByDefault();

private:
    RecordingReporter m_rep;
    QObject m_owner;
};

void TestProtocol::requestBytes_data()
{
    QTest::addColumn<quint8>("link");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("usb") << quint8(Comm::kLinkUsbHid) << hex("75 05 03 00" /* header */ "01 02 44");
    QTest::newRow("ble") << quint8(Comm::kLinkBle) << hex("62 05 03 00" /* header */ "01 02 44");
}

void TestProtocol::requestBytes()
{
    QFETCH(quint8, link);
    QFETCH(QByteArray, expected);
    ScriptedComm comm(link);
    Protocol p(&comm, &m_rep);
    QCOMPARE(p.sendCommand(Protocol::kCmdParams, hex("01 02 44")), 3);
    QCOMPARE(comm.written, QList<QByteArray>{expected});

    // An empty payload is a bare header; the result is the payload length (0).
    QCOMPARE(p.sendCommand(Protocol::kCmdBufferSize), 0);
    QCOMPARE(comm.written.last(), hex("03 00 00").prepend(char(link)));
}

void TestProtocol::sendFailures()
{
    ScriptedComm comm;
    Protocol p(&comm, &m_rep);
    comm.shortWrite = true;
    QCOMPARE(p.sendCommand(Protocol::kCmdParams, hex("01 02")), -1);

    // A failed write ends the exchange at once: no answer is waited for.
    OrvParamList list = oneByteParams(2);
    comm.then(usb(1, "06 00"));
    const int readsBefore = comm.reads;
    QVERIFY(p.exchangeParams(list, nullptr, Protocol::kLoadTimeoutMs, true).isEmpty());
    QCOMPARE(comm.reads, readsBefore);
}

void TestProtocol::receiveAnswerHeaderChecks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("payload");

    QTest::newRow("valid") << usb(1, "06 A1") << 1 << hex("06 A1");
    QTest::newRow("status kept without payload") << usb(2, "") << 2 << QByteArray();
    QTest::newRow("wrong link code") << answerMsg(Comm::kLinkBle, 1, hex("06 A1")) << 0 << QByteArray();
    QByteArray tooLong = answerMsg(Comm::kLinkUsbHid, 1, QByteArray(1025, 'x'));
    QTest::newRow("1025 bytes announced") << tooLong << 0 << QByteArray();
    QByteArray longest = answerMsg(Comm::kLinkUsbHid, 1, QByteArray(1024, 'y'));
    QTest::newRow("1024 bytes accepted") << longest << 1 << QByteArray(1024, 'y');
    QTest::newRow("short header") << hex("75 01 02") << 0 << QByteArray();
    QTest::newRow("short payload keeps status") << hex("75 01 03 00 06 A1") << 1 << QByteArray();
    QTest::newRow("nothing") << QByteArray() << 0 << QByteArray();
}

void TestProtocol::receiveAnswerHeaderChecks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QFETCH(QByteArray, payload);
    ScriptedComm comm;
    comm.incoming = bytes;
    Protocol p(&comm, &m_rep);
    const Protocol::Answer a = p.receiveAnswer(kReadTimeoutMs);
    QCOMPARE(int(a.status), status);
    QCOMPARE(a.payload, payload);
}

void TestProtocol::rejectedAnswerDoesNotLeakIntoNext()
{
    // The payload behind a rejected header must not be read as the next answer's header.
    ScriptedComm comm;
    Protocol p(&comm, &m_rep);
    p.setBufferSize(64);
    comm.then(answerMsg(Comm::kLinkBle, 1, hex("75 01 02 00 06 99")));
    OrvParamList first = oneByteParams(1);
    QVERIFY(p.exchangeParams(first, nullptr, Protocol::kLoadTimeoutMs, true).isEmpty());

    comm.then(usb(1, "06 00"));
    OrvParamList second = oneByteParams(1);
    QCOMPARE(p.exchangeParams(second, nullptr, Protocol::kLoadTimeoutMs, true), hex("00"));
}

void TestProtocol::drainOfAChattyDeviceIsBounded()
{
    // The rest of a rejected answer is thrown away for a bounded time, however much comes.
    constexpr int kSlackMs = 500;
    ChattyComm comm;
    Protocol p(&comm, &m_rep);
    QElapsedTimer timer;
    timer.start();
    const Protocol::Answer a = p.receiveAnswer(kReadTimeoutMs);
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(int(a.status), int(Protocol::kStatusNone));
    QVERIFY(a.payload.isEmpty());
    QVERIFY2(elapsed < Protocol::kDiscardLimitMs + kSlackMs, qPrintable(QString::number(elapsed)));
    QVERIFY(comm.bytesLeft > 0);
}

void TestProtocol::receiveRaw_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("status");

    QTest::newRow("fits") << usb(1, "11 22") << 16 << 2 << 1;
    QTest::newRow("empty payload") << usb(1, "") << 0 << 0 << 1;
    QTest::newRow("exceeds capacity") << usb(1, "11 22") << 1 << -1 << 0;
    QTest::newRow("wrong link code") << answerMsg(Comm::kLinkBle, 1, hex("11")) << 16 << -1 << 0;
    QTest::newRow("no header byte") << QByteArray() << 16 << 0 << 0;
    QTest::newRow("short header") << hex("75 01") << 16 << -1 << 0;
    QTest::newRow("short payload") << hex("75 01 03 00 11") << 16 << -1 << 1;
}

void TestProtocol::receiveRaw()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, capacity);
    QFETCH(int, result);
    QFETCH(int, status);
    ScriptedComm comm;
    comm.incoming = bytes;
    Protocol p(&comm, &m_rep);
    quint8 buffer[16] = {};
    quint8 st = 0xAA;
    QCOMPARE(p.receiveRaw(buffer, capacity, kReadTimeoutMs, &st), result);
    QCOMPARE(int(st), status);
    if (result > 0)
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(buffer), result), bytes.mid(4));
}

void TestProtocol::multiPacket_data()
{
    QTest::addColumn<QList<QByteArray>>("packets");
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<bool>("acknowledged");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("boxText");

    const QString none;
    QTest::newRow("kind 6 over two packets")
        << QList<QByteArray>{usb(2, "06 A1 A2"), usb(1, "06 B1")} << hex("A1 A2 B1") << true << none << none;
    QTest::newRow("kind 7 over two packets")
        << QList<QByteArray>{usb(2, "07 09 A1"), usb(1, "07 09 B1")} << hex("A1 B1") << true << none << none;
    QTest::newRow("single ack without data")
        << QList<QByteArray>{usb(1, "06")} << QByteArray() << true << none << none;
    // A device may close its answer with a packet holding only the kind byte: the data
    // gathered so far is the answer; a bare kind byte with more to come is skipped.
    QTest::newRow("kind 6 closed by a bare kind byte")
        << QList<QByteArray>{usb(2, "06 A1 A2"), usb(2, "06 B1"), usb(1, "06")} << hex("A1 A2 B1") << true
        << none << none;
    QTest::newRow("kind 6 with a bare kind byte between")
        << QList<QByteArray>{usb(2, "06 A1"), usb(2, "06"), usb(1, "06 B1")} << hex("A1 B1") << true << none
        << none;
    QTest::newRow("kind 7 closed by its head bytes")
        << QList<QByteArray>{usb(2, "07 09 A1"), usb(1, "07 09")} << hex("A1") << true << none << none;
    // A multi-packet answer that does not arrive whole is no answer: nothing of it is used.
    QTest::newRow("bare kind byte promises more, nothing came")
        << QList<QByteArray>{usb(2, "06 A1"), usb(2, "06")} << QByteArray() << false << none << none;
    QTest::newRow("closed by an empty packet")
        << QList<QByteArray>{usb(2, "06 A1"), usb(1, "")} << QByteArray() << false << none << none;
    QTest::newRow("kind 7 qualifier changes")
        << QList<QByteArray>{usb(2, "07 09 A1"), usb(1, "07 0A B1")} << QByteArray() << false << none << none;
    QTest::newRow("more promised, nothing came")
        << QList<QByteArray>{usb(2, "06 A1 A2")} << QByteArray() << false << none << none;
    QTest::newRow("device error after first packet")
        << QList<QByteArray>{usb(2, "06 A1"), usb(1, "08 03")} << QByteArray() << false
        << QString(kDeviceWarningTitle)
        << QStringLiteral("The device return error code: Unknown parameters !");
    QTest::newRow("device error") << QList<QByteArray>{usb(1, "08 03")} << QByteArray() << false
                                  << QString(kDeviceWarningTitle)
                                  << QStringLiteral("The device return error code: Unknown parameters !");
    QTest::newRow("not acknowledged")
        << QList<QByteArray>{usb(255, "")} << QByteArray() << false << QString(kWarningTitle)
        << QStringLiteral("Command or configuration not acknowledged !");
    QTest::newRow("other status") << QList<QByteArray>{usb(3, "06 A1")} << QByteArray() << false << none
                                  << none;
    QTest::newRow("no answer") << QList<QByteArray>{} << QByteArray() << false << none << none;
    QTest::newRow("unknown kind") << QList<QByteArray>{usb(1, "55 A1")} << QByteArray() << false << none
                                  << none;
}

void TestProtocol::multiPacket()
{
    QFETCH(QList<QByteArray>, packets);
    QFETCH(QByteArray, result);
    QFETCH(bool, acknowledged);
    QFETCH(QString, boxTitle);
    QFETCH(QString, boxText);

    ScriptedComm comm;
    Protocol p(&comm, &m_rep, &m_owner);
    p.setBufferSize(64);
    comm.then(packets);
    OrvParamList list = oneByteParams(1);
    QCOMPARE(p.exchangeParams(list, nullptr, Protocol::kLoadTimeoutMs, true), result);
    QCOMPARE(p.lastExchangeAcknowledged(), acknowledged);
    QVERIFY(list.isEmpty()); // the list is consumed
    if (!boxTitle.isEmpty()) {
        const Reporter::Box b = m_rep.takeBox();
        QCOMPARE(b.title, boxTitle);
        QCOMPARE(b.text, boxText);
        QCOMPARE(b.icon, Reporter::Warning);
        QCOMPARE(b.parent, &m_owner);
    }
}

void TestProtocol::endlessAnswerIsCutOff()
{
    // A device that keeps announcing more packets does not hold the exchange forever.
    ScriptedComm comm;
    Protocol p(&comm, &m_rep);
    p.setBufferSize(64);
    QList<QByteArray> flood;
    for (int i = 0; i < Protocol::kMaxAnswerPackets + 10; ++i)
        flood.append(usb(2, "06 A1"));
    comm.then(flood);
    OrvParamList list = oneByteParams(1);
    QVERIFY(p.exchangeParams(list, nullptr, Protocol::kLoadTimeoutMs, true).isEmpty());
    QVERIFY(!p.lastExchangeAcknowledged());
}

void TestProtocol::errorsHidden()
{
    ScriptedComm comm;
    Protocol p(&comm, &m_rep);
    p.setBufferSize(64);
    comm.then(usb(255, ""));
    comm.then(usb(1, "08 02"));
    OrvParamList a = oneByteParams(1);
    OrvParamList b = oneByteParams(1);
    QVERIFY(p.exchangeParams(a, nullptr, Protocol::kLoadTimeoutMs, false).isEmpty());
    QVERIFY(p.exchangeParams(b, nullptr, Protocol::kLoadTimeoutMs, false).isEmpty());
    QVERIFY(m_rep.boxes.isEmpty());
}

void TestProtocol::deviceErrorTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << 1 << "The device return error code: Framing error !";
    QTest::newRow("2") << 2 << "The device return error code: Unknown command !";
    QTest::newRow("3") << 3 << "The device return error code: Unknown parameters !";
    QTest::newRow("4") << 4 << "The device return error code: Can't run command !";
    QTest::newRow("5") << 5 << "The device return error code: Bad size or index of buffered parameter !";
    QTest::newRow("0") << 0 << "The device return error code: Unknown error code !";
    QTest::newRow("9") << 9 << "The device return error code: Unknown error code !";
}

void TestProtocol::deviceErrorTexts()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    Protocol p(nullptr, &m_rep, &m_owner);
    p.showDeviceError(quint8(code));
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.title, QString(kDeviceWarningTitle));
    QCOMPARE(b.text, text);
    QCOMPARE(b.buttons, int(Reporter::Ok));
}

void TestProtocol::laterFramesStillSentAfterSilentFrame()
{
    // Frame 1 gets no answer; frame 2 is still sent and its ack becomes the result.
    ScriptedComm comm;
    Protocol p(&comm, &m_rep);
    p.setBufferSize(4); // two 1-byte elements per frame
    comm.then(QList<QByteArray>{});
    comm.then(usb(1, "06 00"));
    OrvParamList list = oneByteParams(4);
    QByteArray ids;
    QCOMPARE(p.exchangeParams(list, &ids, kReadTimeoutMs, true), hex("00"));
    QCOMPARE(comm.written.size(), 2);
    QCOMPARE(ids.size(), 16);
}

void TestProtocol::sentIdsPaddingOneFrame()
{
    ScriptedComm comm;
    Protocol p(&comm, &m_rep);
    p.setBufferSize(64);
    comm.then(usb(1, "06 00 00"));
    OrvParamList list = oneByteParams(9);
    QByteArray ids;
    const QByteArray result = p.exchangeParams(list, &ids, Protocol::kApplyTimeoutMs, true);
    QCOMPARE(ids, hex("0A 0B 0C 0D 0E 0F 10 11 12 00 00 00 00 00 00 00"));
    QCOMPARE(comm.written.size(), 1);
    QCOMPARE(comm.written.first().mid(0, 4), hex("75 05 12 00")); // 9 elements of 2 bytes
    QCOMPARE(Protocol::decodeBitmap(ids, result).size(), 16);
    QVERIFY(Protocol::decodeBitmap(ids, hex("00")).isEmpty());
}

void TestProtocol::sentIdsPaddingTwoFrames()
{
    // 10 one-byte parameters in frames of 12 bytes: 6 elements, then 4.
    ScriptedComm comm;
    Protocol p(&comm, &m_rep);
    p.setBufferSize(12);
    comm.then(usb(1, "06 00"));
    comm.then(usb(1, "06 01"));
    OrvParamList list = oneByteParams(10);
    QByteArray ids;
    const QByteArray result = p.exchangeParams(list, &ids, Protocol::kApplyTimeoutMs, true);
    QCOMPARE(ids, hex("0A 0B 0C 0D 0E 0F 00 00"
                      "10 11 12 13 00 00 00 00"));
    QCOMPARE(result, hex("00 01"));
    QCOMPARE(comm.written.size(), 2);
    QCOMPARE(comm.written.at(1), hex("75 05 08 00"
                                     "10 06 11 07 12 08 13 09"));

    const ApplyResults r = Protocol::decodeBitmap(ids, result);
    QCOMPARE(r.size(), 16);
    for (int i = 0; i < r.size(); ++i)
        QCOMPARE(r.at(i).refused, i == 8);
    QCOMPARE(int(r.at(8).id), 0x10); // the first parameter of the second frame
}

void TestProtocol::bufferRecordChunkedOverFrames()
{
    // A buffer parameter of 8 bytes in frames of 8 bytes: chunks of 5 and 3; its id is sent
    // once per chunk, each frame's ids padded to 8.
    ScriptedComm comm;
    Protocol p(&comm, &m_rep);
    p.setBufferSize(8);
    comm.then(usb(1, "06 00"));
    comm.then(usb(1, "06 00"));
    OrvParamList list;
    list.append(OrvParam(22, hex("88 13 00 00 32 00 00 00"), 0));
    QByteArray ids;
    QCOMPARE(p.exchangeParams(list, &ids, Protocol::kApplyTimeoutMs, true), hex("00 00"));
    QCOMPARE(ids, hex("16 00 00 00 00 00 00 00"
                      "16 00 00 00 00 00 00 00"));
    QCOMPARE(comm.written.at(0), hex("75 05 08 00"
                                     "D6 06 00 88 13 00 00 32"));
    QCOMPARE(comm.written.at(1), hex("75 05 05 00"
                                     "96 05 00 00 00"));
}

void TestProtocol::unsendableRecordSendsNothing()
{
    // An element larger than the device's buffer never fits: nothing is sent, no answer is
    // waited for, and the result is empty.
    ScriptedComm comm;
    Protocol p(&comm, &m_rep);
    p.setBufferSize(8);
    OrvParamList list;
    list.append(OrvParam(3, QByteArray(10, 'x')));
    QByteArray ids;
    QVERIFY(p.exchangeParams(list, &ids, Protocol::kApplyTimeoutMs, true).isEmpty());
    QVERIFY(comm.written.isEmpty());
    QCOMPARE(comm.reads, 0);
}

void TestProtocol::bitmapLengthCheck_data()
{
    QTest::addColumn<QByteArray>("ids");
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<QList<int>>("refused"); // empty list with valid=false: invalid
    QTest::addColumn<bool>("valid");

    const QByteArray ids16 = hex("0A 0B 0C 0D 0E 0F 10 11 12 00 00 00 00 00 00 00");
    QTest::newRow("exact, none refused") << ids16 << hex("00 00") << QList<int>{} << true;
    QTest::newRow("lsb first") << ids16 << hex("81 01") << QList<int>{0, 7, 8} << true;
    QTest::newRow("one byte short") << ids16 << hex("00") << QList<int>{} << false;
    QTest::newRow("one byte long") << ids16 << hex("00 00 00") << QList<int>{} << false;
    QTest::newRow("nothing sent") << QByteArray() << QByteArray() << QList<int>{} << false;
}

void TestProtocol::bitmapLengthCheck()
{
    QFETCH(QByteArray, ids);
    QFETCH(QByteArray, result);
    QFETCH(QList<int>, refused);
    QFETCH(bool, valid);
    const ApplyResults r = Protocol::decodeBitmap(ids, result);
    QCOMPARE(!r.isEmpty(), valid);
    for (int i = 0; i < r.size(); ++i) {
        QCOMPARE(int(r.at(i).id), int(quint8(ids.at(i))));
        QCOMPARE(r.at(i).refused, refused.contains(i));
    }
}

void TestProtocol::identificationRecord_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<int>("orvType");
    QTest::addColumn<int>("orvRev");
    QTest::addColumn<int>("kivType");
    QTest::addColumn<int>("kivRev");
    QTest::addColumn<int>("secondType");
    QTest::addColumn<int>("secondRev");
    QTest::addColumn<QByteArray>("identifier");

    QTest::newRow("6 bytes") << hex("1C 00 01 0E 02 01") << 28 << 0x0100 << 14 << 0x0102 << 0 << -1
                             << QByteArray();
    QTest::newRow("identifier") << hex("1C 00 01 0E 02 01 70 B3 D5 49") << 28 << 0x0100 << 14 << 0x0102 << 0
                                << -1 << hex("70 B3 D5 49");
    QTest::newRow("all FF identifier")
        << hex("1C 00 01 0E 02 01 FF FF FF FF") << 28 << 0x0100 << 14 << 0x0102 << 0 << -1 << QByteArray();
    QTest::newRow("extended 9 bytes")
        << hex("9C 00 01 0E 02 01 0C 10 01") << 28 << 0x0100 << 14 << 0x0102 << 12 << 0x0110 << QByteArray();
    QTest::newRow("extended with identifier") << hex("9C 00 01 0E 02 01 0C 10 01 00 0A") << 28 << 0x0100 << 14
                                              << 0x0102 << 12 << 0x0110 << hex("00 0A");
    QTest::newRow("revision 80 01") << hex("1C 80 01 0E 85 FF") << 28 << 0x0180 << 14 << 0xFF85 << 0 << -1
                                    << QByteArray();
    QTest::newRow("FF inside identifier kept")
        << hex("1C 00 01 0E 02 01 FF 01") << 28 << 0x0100 << 14 << 0x0102 << 0 << -1 << hex("FF 01");
}

void TestProtocol::identificationRecord()
{
    QFETCH(QByteArray, record);
    DeviceInfo info;
    QVERIFY(Protocol::decodeIdentification(record, &info));
    QTEST(info.orvType, "orvType");
    QTEST(info.orvRev, "orvRev");
    QTEST(info.kivType, "kivType");
    QTEST(info.kivRev, "kivRev");
    QTEST(info.secondKivType, "secondType");
    QTEST(info.secondKivRev, "secondRev");
    QTEST(info.identifier, "identifier");
}

void TestProtocol::identifyExchange()
{
    ScriptedComm comm(Comm::kLinkBle);
    Protocol p(&comm, &m_rep);
    const quint8 b = Comm::kLinkBle;
    comm.then(answerMsg(b, 0, hex("40 00"))); // status of the buffer size answer is not looked at
    comm.then(answerMsg(b, 1, hex("06 1C 00 01 0E 02 01 70 B3 D5 49 9A 0C 1E 2F")));
    comm.then(answerMsg(b, 1, hex("06 20 01")));
    DeviceInfo info;
    QVERIFY(p.identify(&info, true));
    QCOMPARE(comm.written,
             (QList<QByteArray>{hex("62 03 00 00"), hex("62 05 02 00 01 02"), hex("62 05 02 00 01 07")}));
    QCOMPARE(info.bufferSize, 64);
    QCOMPARE(p.bufferSize(), 64);
    QCOMPARE(info.orvType, 28);
    QCOMPARE(info.kivRev, 0x0102);
    QCOMPARE(info.identifier, hex("70 B3 D5 49 9A 0C 1E 2F"));
    QCOMPARE(info.versionWord, 0x0120);
}

void TestProtocol::identifyFailures_data()
{
    QTest::addColumn<QList<QByteArray>>("answers"); // one answer per request, in order
    QTest::addColumn<int>("requests");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("versionWord");

    const QString sizeText =
        QStringLiteral("Can't get the buffer size from orv device. Please disconnect the orv and retry.");
    const QString infoText =
        QStringLiteral("Can't get information about orv device. Please disconnect the orv and retry.");
    QTest::newRow("buffer size of 3 bytes") << QList<QByteArray>{usb(1, "40 00 00")} << 1 << sizeText << -1;
    QTest::newRow("no buffer size") << QList<QByteArray>{} << 1 << sizeText << -1;
    QTest::newRow("5-byte record") << QList<QByteArray>{usb(1, "40 00"), usb(1, "06 1C 00 01 0E 02")} << 2
                                   << infoText << -1;
    QTest::newRow("no version word: still identified")
        << QList<QByteArray>{usb(1, "40 00"), usb(1, "06 1C 00 01 0E 02 01"), usb(1, "06 20")} << 3
        << QString() << -1;
}

void TestProtocol::identifyFailures()
{
    QFETCH(QList<QByteArray>, answers);
    QFETCH(int, requests);
    QFETCH(QString, text);
    QFETCH(int, versionWord);
    ScriptedComm comm;
    for (const QByteArray &a : answers)
        comm.then(a);
    Protocol p(&comm, &m_rep, &m_owner);
    DeviceInfo info;
    const bool ok = p.identify(&info, true);
    QCOMPARE(ok, text.isEmpty());
    QCOMPARE(comm.written.size(), requests);
    QCOMPARE(info.versionWord, versionWord);
    if (!text.isEmpty()) {
        QCOMPARE(info.orvRev, -1);
        QCOMPARE(info.kivRev, -1);
        const Reporter::Box b = m_rep.takeBox();
        QCOMPARE(b.icon, Reporter::Critical);
        QCOMPARE(b.title, QString(kCommErrorTitle));
        QCOMPARE(b.text, text);
        QCOMPARE(b.parent, &m_owner);
    }

    // The same failure with errors hidden shows nothing.
    ScriptedComm quiet;
    for (const QByteArray &a : answers)
        quiet.then(a);
    Protocol q(&quiet, &m_rep);
    QCOMPARE(q.identify(&info, false), text.isEmpty());
    QVERIFY(m_rep.boxes.isEmpty());
}

void TestProtocol::bootloaderTag_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("kind");
    QTest::newRow("device") << usb(1, "42 63") << 0x40 << 2;
    QTest::newRow("ble module") << usb(1, "42 63") << 0x60 << 3;
    QTest::newRow("absent") << usb(1, "42 63") << 0x20 << -1;
    QTest::newRow("first of a tag wins") << usb(1, "21 3F") << 0x20 << 1;
    QTest::newRow("value 31") << usb(1, "7F") << 0x60 << 31;
    QTest::newRow("status 2") << usb(2, "42") << 0x40 << -1;
    QTest::newRow("empty") << usb(1, "") << 0x40 << -1;
    QTest::newRow("no answer") << QByteArray() << 0x40 << -1;
}

void TestProtocol::bootloaderTag()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, tag);
    ScriptedComm comm;
    comm.then(answer);
    Protocol p(&comm, &m_rep);
    QTEST(p.bootloaderTag(quint8(tag)), "kind");
    QCOMPARE(comm.written, QList<QByteArray>{hex("75 08 00 00")});
}

void TestProtocol::terminalAvailable_data()
{
    QTest::addColumn<QByteArray>("writeProbe");
    QTest::addColumn<QByteArray>("readProbe");
    QTest::addColumn<bool>("available");
    QTest::newRow("both status 1") << usb(1, "") << usb(1, "") << true;
    QTest::newRow("write probe status 0") << usb(0, "") << usb(1, "") << false;
    QTest::newRow("read probe silent") << usb(1, "") << QByteArray() << false;
    QTest::newRow("read probe with data") << usb(1, "") << usb(1, "41") << false;
    QTest::newRow("write probe with data") << usb(1, "41 42") << usb(1, "") << false;
}

void TestProtocol::terminalAvailable()
{
    QFETCH(QByteArray, writeProbe);
    QFETCH(QByteArray, readProbe);
    ScriptedComm comm;
    comm.then(writeProbe);
    comm.then(readProbe);
    Protocol p(&comm, &m_rep);
    QTEST(p.terminalAvailable(), "available");
    QCOMPARE(comm.written.first(), hex("75 06 00 00"));

    // Whatever a probe left behind is gone: the next probe sees only its own answers.
    comm.script.clear();
    comm.then(usb(1, ""));
    comm.then(usb(1, ""));
    QVERIFY(p.terminalAvailable());
}

void TestProtocol::noTransport()
{
    Protocol p(nullptr, &m_rep);
    p.setBufferSize(64);
    QCOMPARE(p.sendCommand(Protocol::kCmdParams, hex("01 02")), 0);
    QCOMPARE(int(p.receiveAnswer(kReadTimeoutMs).status), 0);
    quint8 st = 9;
    QCOMPARE(p.receiveRaw(nullptr, 0, kReadTimeoutMs, &st), 0);
    QCOMPARE(int(st), 0);
    OrvParamList list = oneByteParams(2);
    QVERIFY(p.exchangeParams(list, nullptr, Protocol::kLoadTimeoutMs, true).isEmpty());
    DeviceInfo info;
    QVERIFY(!p.identify(&info, true));
    QCOMPARE(p.bootloaderTag(0x40), -1);
    QVERIFY(!p.terminalAvailable());
    QVERIFY(!p.readLiveValue(Protocol::kCmdTemperature, nullptr));
    QVERIFY(m_rep.boxes.isEmpty());
}

// ---------------------------------------------------------------------------------------------
// trace
// ---------------------------------------------------------------------------------------------

void TestProtocol::trace_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QList<QByteArray>>("answers"); // the bytes answered to each request
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("identification")
        << "identify"
        << QList<QByteArray>{usb(1, "4000"), usb(1, "06 1C 00 01 0E 02 01 70B3D5499A0C1E2F"),
                             usb(1, "06 2001")}
        << QStringList{
               "send link 0x75 cmd 3 (buffer size) len 0: 75 03 00 00",
               "recv link 0x75 cmd 3 (buffer size) status 1 (last) len 2: 75 01 02 00 40 00",
               "send link 0x75 cmd 5 (action 2 identify) len 2: 75 05 02 00 01 02",
               "recv link 0x75 cmd 5 (action 2 identify) status 1 (last) len 15: "
               "75 01 0F 00 06 1C 00 01 0E 02 01 70 B3 D5 49 9A 0C 1E 2F",
               "send link 0x75 cmd 5 (action 7 version) len 2: 75 05 02 00 01 07",
               "recv link 0x75 cmd 5 (action 7 version) status 1 (last) len 3: 75 01 03 00 06 20 01",
           };
    QTest::newRow("answer in two packets")
        << "load" << QList<QByteArray>{usb(2, "06 03 05") + usb(1, "06 05 01")}
        << QStringList{
               "send link 0x75 cmd 5 (action 4 load configuration) len 2: 75 05 02 00 01 04",
               "recv link 0x75 cmd 5 (action 4 load configuration) status 2 (more) len 3: 75 02 03 00 06 03 "
               "05",
               "recv link 0x75 cmd 5 (action 4 load configuration) status 1 (last) len 3: 75 01 03 00 06 05 "
               "01",
           };
    // The AppEUI element runs over three packets: its value is masked in each, the element
    // after it is not.
    QTest::newRow("configuration answer with a key")
        << "load"
        << QList<QByteArray>{usb(2, "06 C6 09 00 D0 E1") + usb(2, "06 F2 A3 B4 C5 D6") +
                             usb(1, "06 E7 03 05")}
        << QStringList{
               "send link 0x75 cmd 5 (action 4 load configuration) len 2: 75 05 02 00 01 04",
               "recv link 0x75 cmd 5 (action 4 load configuration) status 2 (more) len 6: "
               "75 02 06 00 06 C6 09 ** ** **",
               "recv link 0x75 cmd 5 (action 4 load configuration) status 2 (more) len 6: "
               "75 02 06 00 06 ** ** ** ** **",
               "recv link 0x75 cmd 5 (action 4 load configuration) status 1 (last) len 4: "
               "75 01 04 00 06 ** 03 05",
           };
    QTest::newRow("parameter write")
        << "write" << QList<QByteArray>{usb(1, "06 00")}
        << QStringList{
               "send link 0x75 cmd 5 (write 10 11) len 4: 75 05 04 00 0A 00 0B 01",
               "recv link 0x75 cmd 5 (write 10 11) status 1 (last) len 2: 75 01 02 00 06 00",
           };
    QTest::newRow("not acknowledged")
        << "load" << QList<QByteArray>{usb(255, "")}
        << QStringList{
               "send link 0x75 cmd 5 (action 4 load configuration) len 2: 75 05 02 00 01 04",
               "recv link 0x75 cmd 5 (action 4 load configuration) status 255 (not acknowledged) len 0: "
               "75 FF 00 00",
           };
    QTest::newRow("silent device") << "temperature" << QList<QByteArray>()
                                   << QStringList{
                                          "send link 0x75 cmd 20 (temperature) len 0: 75 14 00 00",
                                          QStringLiteral(
                                              "recv link 0x75 cmd 20 (temperature): nothing within %1 ms")
                                              .arg(Protocol::kLiveTimeoutMs),
                                      };
    QTest::newRow("other link code") << "temperature"
                                     << QList<QByteArray>{answerMsg(Comm::kLinkBle, 1, hex("3412"))}
                                     << QStringList{
                                            "send link 0x75 cmd 20 (temperature) len 0: 75 14 00 00",
                                            "recv link 0x62 cmd 20 (temperature) status 1 (last) len 2: 62 "
                                            "01 02 00 -- rejected: not link 0x75",
                                            "recv link 0x75 cmd 20 (temperature): 2 bytes thrown away",
                                        };
    QTest::newRow("longer than an answer can be")
        << "temperature" << QList<QByteArray>{answerMsg(Comm::kLinkUsbHid, 1, QByteArray(1025, 'x'))}
        << QStringList{
               "send link 0x75 cmd 20 (temperature) len 0: 75 14 00 00",
               "recv link 0x75 cmd 20 (temperature) status 1 (last) len 1025: 75 01 01 04 "
               "-- rejected: longer than 1024 bytes",
               "recv link 0x75 cmd 20 (temperature): 1025 bytes thrown away",
           };
    QTest::newRow("short header")
        << "temperature" << QList<QByteArray>{hex("75 01")}
        << QStringList{
               "send link 0x75 cmd 20 (temperature) len 0: 75 14 00 00",
               "recv link 0x75 cmd 20 (temperature): 75 01 -- header incomplete (2 of 4 bytes)",
           };
    QTest::newRow("short payload")
        << "temperature" << QList<QByteArray>{hex("75 01 02 00 34")}
        << QStringList{
               "send link 0x75 cmd 20 (temperature) len 0: 75 14 00 00",
               "recv link 0x75 cmd 20 (temperature) status 1 (last) len 2: 75 01 02 00 34 "
               "-- payload incomplete (1 of 2 bytes)",
           };
    QTest::newRow("raw answers of the terminal probe")
        << "terminal" << QList<QByteArray>{usb(1, ""), usb(1, "")}
        << QStringList{
               "send link 0x75 cmd 6 (serial write) len 0: 75 06 00 00",
               "recv link 0x75 cmd 6 (serial write) status 1 (last) len 0: 75 01 00 00",
               "send link 0x75 cmd 7 (serial read) len 0: 75 07 00 00",
               "recv link 0x75 cmd 7 (serial read) status 1 (last) len 0: 75 01 00 00",
           };
    QTest::newRow("raw answer too long for its room")
        << "bootloader" << QList<QByteArray>{answerMsg(Comm::kLinkUsbHid, 1, QByteArray(256, '\x41'))}
        << QStringList{
               "send link 0x75 cmd 8 (bootloader) len 0: 75 08 00 00",
               "recv link 0x75 cmd 8 (bootloader) status 1 (last) len 256: 75 01 00 01 "
               "-- rejected: longer than 255 bytes",
               "recv link 0x75 cmd 8 (bootloader): 256 bytes thrown away",
           };
    QTest::newRow("write not taken whole")
        << "short write" << QList<QByteArray>()
        << QStringList{
               "send link 0x75 cmd 5 (action 2 identify) len 2: 75 05 02 00 01 02",
               "send link 0x75 cmd 5 (action 2 identify): write failed (5 of 6 bytes taken)",
           };
}

void TestProtocol::trace()
{
    QFETCH(QString, operation);
    QFETCH(QList<QByteArray>, answers);
    QFETCH(QStringList, lines);
    ScriptedComm comm;
    for (const QByteArray &a : answers)
        comm.then(a);
    Protocol p(&comm, &m_rep);
    p.setBufferSize(64);

    const LogRecorder log;
    if (operation == "identify") {
        DeviceInfo info;
        QVERIFY(p.identify(&info, false));
    } else if (operation == "load") {
        p.runAction(Protocol::kActLoadConfig, QByteArray(), Protocol::kLoadTimeoutMs, false);
    } else if (operation == "write") {
        OrvParamList list = oneByteParams(2);
        p.exchangeParams(list, nullptr, Protocol::kApplyTimeoutMs, false);
    } else if (operation == "temperature") {
        p.readLiveValue(Protocol::kCmdTemperature, nullptr);
    } else if (operation == "terminal") {
        QVERIFY(p.terminalAvailable());
    } else if (operation == "bootloader") {
        QVERIFY(p.bootloaderCaps().isEmpty());
    } else if (operation == "short write") {
        comm.shortWrite = true;
        QCOMPARE(p.sendCommand(Protocol::kCmdParams, hex("01 02")), -1);
    } else {
        QFAIL("unknown operation");
    }
    QCOMPARE(log.lines("pelm.protocol"), lines);
    m_rep.clear(); // boxes of the failures are not what this test is about
}

void TestProtocol::keysNeverTraced_data()
{
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<QString>("firstLine"); // empty: not compared
    QTest::newRow("both keys in one frame")
        << 64
        << "send link 0x75 cmd 5 (write 6 7) len 30: 75 05 1E 00 C6 09 ** ** ** ** ** ** ** ** ** "
           "C7 11 ** ** ** ** ** ** ** ** ** ** ** ** ** ** ** ** **";
    // Small frames cut the keys into chunks, each an element of its own.
    QTest::newRow("chunks of 5 bytes")
        << 8 << "send link 0x75 cmd 5 (write 6) len 8: 75 05 08 00 C6 06 ** ** ** ** ** **";
    QTest::newRow("chunks of 10 bytes") << 13 << QString();
}

void TestProtocol::keysNeverTraced()
{
    QFETCH(int, bufferSize);
    QFETCH(QString, firstLine);
    ScriptedComm comm;
    for (int i = 0; i < 32; ++i)
        comm.then(usb(1, "06 00"));
    Protocol p(&comm, &m_rep);
    p.setBufferSize(bufferSize);
    OrvParamList keys{OrvParam(LoRaWanKeys::kAppEuiParamId, kAppEui, 0),
                      OrvParam(LoRaWanKeys::kAppKeyParamId, kAppKey, 0)};

    const LogRecorder log;
    p.exchangeParams(keys, nullptr, Protocol::kApplyTimeoutMs, false);
    m_rep.clear();

    // The keys did go out, and every request was traced.
    QStringList written;
    for (const QByteArray &w : comm.written)
        written << QString::fromLatin1(w.toHex());
    QVERIFY(!SecretScan::find(written, {kAppEui}).isEmpty());
    QVERIFY(!SecretScan::find(written, {kAppKey}).isEmpty());
    const QStringList lines = log.all();
    QCOMPARE(log.lines("pelm.protocol").filter(QRegularExpression("^send ")).size(), comm.written.size());
    if (!firstLine.isEmpty())
        QCOMPARE(log.lines("pelm.protocol").first(), firstLine);

    const QString leak = SecretScan::find(lines, {kAppEui, kAppKey});
    QVERIFY2(leak.isEmpty(), qPrintable("a key was traced: " + leak));
}

void TestProtocol::traceOffByDefault()
{
    // Without a rule that switches it on, the trace writes nothing.
    const LogRecorder log{QString()};
    ScriptedComm comm;
    comm.then(usb(1, "4000"));
    Protocol p(&comm, &m_rep);
    QVERIFY(p.sendCommand(Protocol::kCmdBufferSize) == 0);
    QCOMPARE(int(p.receiveAnswer(kReadTimeoutMs).status), 1);
    QCOMPARE(log.all(), QStringList());
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"

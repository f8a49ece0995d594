// The Modbus rules of the serial terminal (CRC, expected byte counts, when a response is
// whole, the field checks) and the simulated radio module's Modbus slave that the terminal's
// tests and the demo talk to.

#include "device/terminal/Modbus.h"
#include "sim/SimDevice.h"

#include <QtTest>

namespace {

QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}

Modbus::Request request(quint8 slave, quint8 function, quint16 start, quint16 quantity)
{
    Modbus::Request r;
    r.slave = slave;
    r.function = function;
    r.start = start;
    r.quantity = quantity;
    return r;
}

/// The fields as "digits+" (matching) or "digits-" (not matching), space-separated.
QString describe(const QVector<Modbus::Field> &fields)
{
    QStringList out;
    for (const Modbus::Field &f : fields)
        out << QString::fromLatin1(f.bytes.toHex()) + (f.matches ? '+' : '-');
    return out.join(' ');
}

/// What the simulated module answers on its serial port to bytes sent to it.
QByteArray moduleAnswer(SimDevice &dev, const QByteArray &bytes)
{
    const quint8 link = 0x75;
    const QByteArray write =
        QByteArray(1, char(link)) + char(6) + char(bytes.size() & 0xFF) + char(bytes.size() >> 8) + bytes;
    dev.handleRequest(write);
    const QList<QByteArray> answers = dev.handleRequest(QByteArray(1, char(link)) + char(7) + hex("0000"));
    return answers.isEmpty() ? QByteArray("no answer") : answers.first().mid(4);
}

} // namespace

class TestModbus : public QObject
{
    Q_OBJECT
private slots:
    void crc_data();
    void crc();
    void parseRequest();
    void expectedByteCount_data();
    void expectedByteCount();
    void completeResponse_data();
    void completeResponse();
    void fieldChecks_data();
    void fieldChecks();

    void simulatedSlave_data();
    void simulatedSlave();
};

void TestModbus::crc_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("withCrc");
    QTest::newRow("read 2 holding registers") << hex("01 03 00 00 00 02") << hex("01 03 00 00 00 02 C4 0B");
    QTest::newRow("their response") << hex("01 03 04 00 01 00 02") << hex("01 03 04 00 01 00 02 2A 32");
    QTest::newRow("exception") << hex("01 83 02") << hex("01 83 02 C0 F1");
    // The CRC check value of CRC-16/MODBUS: 4B37 for "123456789".
    QTest::newRow("check value") << QByteArray("123456789") << QByteArray("123456789") + hex("37 4B");
    QTest::newRow("empty") << QByteArray() << hex("FF FF");
}

void TestModbus::crc()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, withCrc);
    QCOMPARE(Modbus::withCrc(bytes).toHex(' '), withCrc.toHex(' '));
}

void TestModbus::parseRequest()
{
    Modbus::Request r;
    QVERIFY(Modbus::parseRequest(hex("11 04 12 34 01 02 AA BB"), &r));
    QCOMPARE(int(r.slave), 0x11);
    QCOMPARE(int(r.function), 4);
    QCOMPARE(int(r.start), 0x1234); // big-endian
    QCOMPARE(int(r.quantity), 0x0102);
    QVERIFY(r.isPending());

    const Modbus::Request before = r;
    QVERIFY(!Modbus::parseRequest(hex("01 03 00 00 00 02 C4"), &r));
    QVERIFY(!Modbus::parseRequest(hex("01 03 00 00 00 02 C4 0B 00"), &r));
    QCOMPARE(int(r.quantity), int(before.quantity));
    QVERIFY(!Modbus::Request().isPending());
}

void TestModbus::expectedByteCount_data()
{
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("quantity");
    QTest::addColumn<int>("count");
    QTest::newRow("10 coils") << 1 << 10 << 2;
    QTest::newRow("8 coils") << 1 << 8 << 1;
    QTest::newRow("9 discrete inputs") << 2 << 9 << 2;
    QTest::newRow("2000 coils") << 1 << 2000 << 250;
    QTest::newRow("10 holding registers") << 3 << 10 << 20;
    QTest::newRow("3 input registers") << 4 << 3 << 6;
    QTest::newRow("another function: the quantity") << 6 << 7 << 7;
}

void TestModbus::expectedByteCount()
{
    QFETCH(int, function);
    QFETCH(int, quantity);
    QTEST(Modbus::expectedByteCount(request(1, quint8(function), 0, quint16(quantity))), "count");
}

void TestModbus::completeResponse_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<bool>("complete");
    QTest::newRow("2 registers, 9 bytes") << hex("01 03 04 00 01 00 02 2A 32") << true;
    QTest::newRow("one byte short") << hex("01 03 04 00 01 00 02 2A") << false;
    QTest::newRow("one byte more") << hex("01 03 04 00 01 00 02 2A 32 00") << false;
    QTest::newRow("head only") << hex("01 03 00") << false; // 0 + 5 bytes needed
    QTest::newRow("empty data, whole") << hex("01 03 00 11 22") << true;
    QTest::newRow("coils") << hex("01 01 02 49 02 00 00") << true;
    QTest::newRow("input registers") << hex("01 04 02 10 00 00 00") << true;
    QTest::newRow("exception is never whole") << hex("01 83 02 C0 F1") << false;
    QTest::newRow("write function") << hex("01 06 00 01 00 03 00 00") << false;
    QTest::newRow("two bytes") << hex("01 03") << false;
}

void TestModbus::completeResponse()
{
    QFETCH(QByteArray, buffer);
    QTEST(Modbus::isCompleteResponse(buffer), "complete");
}

void TestModbus::fieldChecks_data()
{
    // Checked against a request for 2 holding registers of slave 1.
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QString>("fields");
    // A response with a correct CRC, and that CRC's digits.
    const auto withCrc = [](const char *h) { return Modbus::withCrc(hex(h)); };
    const auto crc = [&](const char *h) { return QString::fromLatin1(withCrc(h).right(2).toHex()); };

    QTest::newRow("all match") << hex("01 03 04 00 01 00 02 2A 32") << "01+ 03+ 04+ 00010002+ 2a32+";
    QTest::newRow("bad CRC") << hex("01 03 04 00 01 00 02 2A 33") << "01+ 03+ 04+ 00010002+ 2a33-";
    QTest::newRow("other slave") << withCrc("02 03 04 00 01 00 02")
                                 << "02- 03+ 04+ 00010002+ " + crc("02 03 04 00 01 00 02") + "+";
    QTest::newRow("other function") << withCrc("01 04 04 00 01 00 02")
                                    << "01+ 04- 04+ 00010002+ " + crc("01 04 04 00 01 00 02") + "+";
    QTest::newRow("wrong byte count")
        << withCrc("01 03 02 00 01") << "01+ 03+ 02- 0001- " + crc("01 03 02 00 01") + "+";
    QTest::newRow("data shorter than the count")
        << withCrc("01 03 04 00 01 00") << "01+ 03+ 04+ 000100- " + crc("01 03 04 00 01 00") + "+";
    QTest::newRow("exception") << hex("01 83 02 C0 F1") << "01+ 83- 02- - c0f1+";
    QTest::newRow("4 bytes: head only") << hex("01 03 04 00") << "01+ 03+ 04+";
    QTest::newRow("2 bytes") << hex("01 03") << "01+ 03+";
    QTest::newRow("1 byte") << hex("07") << "07-";
    QTest::newRow("nothing") << QByteArray() << "";
}

void TestModbus::fieldChecks()
{
    QFETCH(QByteArray, buffer);
    QTEST(describe(Modbus::checkResponse(buffer, request(1, 3, 0, 2))), "fields");
}

void TestModbus::simulatedSlave_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("exception");
    QTest::addColumn<QByteArray>("received");

    // Holding register n holds n + 1.
    QTest::newRow("2 holding registers")
        << hex("01 03 00 00 00 02 C4 0B") << 0 << hex("01 03 04 00 01 00 02 2A 32");
    QTest::newRow("holding registers 0x10..0x12") << Modbus::withCrc(hex("01 03 00 10 00 03")) << 0
                                                  << Modbus::withCrc(hex("01 03 06 00 11 00 12 00 13"));
    // Coil n is on when n is a multiple of 3: coils 0..9 = 1001001001, LSB first.
    QTest::newRow("10 coils") << Modbus::withCrc(hex("01 01 00 00 00 0A")) << 0
                              << Modbus::withCrc(hex("01 01 02 49 02"));
    // Discrete input n is on when n is odd.
    QTest::newRow("8 discrete inputs")
        << Modbus::withCrc(hex("01 02 00 00 00 08")) << 0 << Modbus::withCrc(hex("01 02 01 AA"));
    QTest::newRow("input registers") << Modbus::withCrc(hex("01 04 00 05 00 01")) << 0
                                     << Modbus::withCrc(hex("01 04 02 10 05"));
    QTest::newRow("exception on request") << hex("01 03 00 00 00 02 C4 0B") << 2 << hex("01 83 02 C0 F1");
    QTest::newRow("write: illegal function")
        << Modbus::withCrc(hex("01 06 00 01 00 03")) << 0 << Modbus::withCrc(hex("01 86 01"));
    QTest::newRow("126 registers: illegal address")
        << Modbus::withCrc(hex("01 03 00 00 00 7E")) << 0 << Modbus::withCrc(hex("01 83 02"));
    QTest::newRow("past the last address")
        << Modbus::withCrc(hex("01 04 FF FF 00 02")) << 0 << Modbus::withCrc(hex("01 84 02"));
    QTest::newRow("another slave stays silent")
        << Modbus::withCrc(hex("02 03 00 00 00 02")) << 0 << QByteArray();
    QTest::newRow("a bad CRC is echoed")
        << hex("01 03 00 00 00 02 C4 0C") << 0 << hex("01 03 00 00 00 02 C4 0C");
    QTest::newRow("text is echoed") << QByteArray("AT\r\n") << 0 << QByteArray("AT\r\n");
}

void TestModbus::simulatedSlave()
{
    QFETCH(QByteArray, sent);
    QFETCH(int, exception);
    QFETCH(QByteArray, received);
    SimDevice dev;
    dev.setModbusException(quint8(exception));
    QCOMPARE(moduleAnswer(dev, sent).toHex(' '), received.toHex(' '));
}

QTEST_GUILESS_MAIN(TestModbus)
#include "tst_modbus.moc"

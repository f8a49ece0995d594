// Parameter records, parameter lists and the family's parameter table.

#include "device/family/FamilyParams.h"
#include "device/model/OrvParam.h"

#include <QtTest>

class TestParams : public QObject
{
    Q_OBJECT
private slots:
    void constructors_data();
    void constructors();
    void conversions_data();
    void conversions();
    void takeIndex();
    void takeChunk();
    void addParamSkipsEmptyValues();
    void registerReplaces();
    void familyTable();
};

void TestParams::constructors_data()
{
    QTest::addColumn<OrvParam>("param");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("isBuf");
    QTest::newRow("bytes") << OrvParam(7, QByteArray::fromHex("0102")) << QByteArray::fromHex("0102") << 0
                           << false;
    QTest::newRow("buffer") << OrvParam(7, QByteArray::fromHex("0102"), quint8(9))
                            << QByteArray::fromHex("0102") << 9 << true;
    QTest::newRow("uint8") << OrvParam(3, quint8(6)) << QByteArray::fromHex("06") << 0 << false;
    QTest::newRow("uint16 low byte first")
        << OrvParam(24, quint16(0x1234)) << QByteArray::fromHex("3412") << 0 << false;
    QTest::newRow("pointer and count")
        << OrvParam(5, "\x01\x00\x02", quint8(3)) << QByteArray("\x01\x00\x02", 3) << 0 << false;
    QTest::newRow("pointer, count 0") << OrvParam(5, "\x01", quint8(0)) << QByteArray() << 0 << false;
}

void TestParams::constructors()
{
    QFETCH(OrvParam, param);
    QFETCH(QByteArray, value);
    QFETCH(int, index);
    QFETCH(bool, isBuf);
    const OrvParam copy(param);
    for (const OrvParam &p : {param, copy}) {
        QCOMPARE(p.data(), value);
        QCOMPARE(int(p.index()), index);
        QCOMPARE(p.isBuf(), isBuf);
        QCOMPARE(p.size(), value.size());
    }
}

void TestParams::conversions_data()
{
    QTest::addColumn<OrvParam>("param");
    QTest::addColumn<int>("u8");
    QTest::addColumn<int>("u16");
    QTest::addColumn<int>("i16");
    QTest::newRow("one byte") << OrvParam(1, quint8(0xFE)) << 0xFE << 0 << 0;
    QTest::newRow("two bytes") << OrvParam(24, quint16(0x1234)) << 0 << 0x1234 << 0x1234;
    QTest::newRow("negative") << OrvParam(24, QByteArray::fromHex("FEFF")) << 0 << 0xFFFE << -2;
    QTest::newRow("buffer of two") << OrvParam(24, QByteArray::fromHex("3412"), quint8(0)) << 0 << 0 << 0;
    QTest::newRow("buffer of one") << OrvParam(24, QByteArray::fromHex("34"), quint8(0)) << 0 << 0 << 0;
    QTest::newRow("three bytes") << OrvParam(24, QByteArray::fromHex("010203")) << 0 << 0 << 0;
    QTest::newRow("empty") << OrvParam(24, QByteArray()) << 0 << 0 << 0;
}

void TestParams::conversions()
{
    QFETCH(OrvParam, param);
    QFETCH(int, u8);
    QFETCH(int, u16);
    QFETCH(int, i16);
    QCOMPARE(int(param.toUInt8()), u8);
    QCOMPARE(int(param.toUInt16()), u16);
    QCOMPARE(int(param.toInt16()), i16);
}

void TestParams::takeIndex()
{
    OrvParam p(20, QByteArray::fromHex("05AABB"));
    p.takeIndex();
    QCOMPARE(int(p.index()), 5);
    QCOMPARE(p.data(), QByteArray::fromHex("AABB"));
    QVERIFY(p.isBuf());
    p.takeIndex();
    QCOMPARE(int(p.index()), 5);
    QCOMPARE(p.data(), QByteArray::fromHex("AABB"));
}

void TestParams::takeChunk()
{
    OrvParam p(4, QByteArray::fromHex("00010203040506070809"), quint8(250));
    QCOMPARE(p.takeChunk(3), QByteArray::fromHex("000102"));
    QCOMPARE(int(p.index()), 253);
    QCOMPARE(p.size(), 7);
    QCOMPARE(p.takeChunk(8), QByteArray());
    QCOMPARE(int(p.index()), 253);
    QCOMPARE(p.size(), 7);
    // the index wraps modulo 256
    QCOMPARE(p.takeChunk(4), QByteArray::fromHex("03040506"));
    QCOMPARE(int(p.index()), 1);
    // an ordinary record gives nothing
    OrvParam o(4, QByteArray::fromHex("0102"));
    QCOMPARE(o.takeChunk(1), QByteArray());
    QCOMPARE(o.data(), QByteArray::fromHex("0102"));
}

void TestParams::addParamSkipsEmptyValues()
{
    OrvParamList list;
    addParam(list, 3, QByteArray());
    QVERIFY(list.isEmpty());
    addParam(list, 3, QByteArray(1, '\x07'));
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.first(), OrvParam(3, quint8(7)));
}

void TestParams::registerReplaces()
{
    ParamTables t;
    t.registerParam(9, "A", "bad A", true);
    t.registerParam(9, "B", "bad B", false);
    QCOMPARE(t.name(9), QString("B"));
    QCOMPARE(t.error(9), QString("bad B"));
    QVERIFY(!t.isBuffer(9));
    QVERIFY(t.name(10).isEmpty());
    QVERIFY(!t.isKnown(10));
}

void TestParams::familyTable()
{
    ParamTables with14, with5;
    FamilyParams::registerThermocouple(with14, 14);
    FamilyParams::registerThermocouple(with5, 5);
    QCOMPARE(with14.paramNames.size(), 18);
    QCOMPARE(with5.paramNames.size(), 17);
    QVERIFY(!with5.isKnown(5));
    QCOMPARE(with14.name(5), QString("Radio technology"));
    QCOMPARE(with14.name(4), QString("Radio Conifuration"));
    QCOMPARE(with14.error(26), QString("Bad threshold configuration"));
    const QList<quint8> buffers = {4, 20, 22, 23, 26};
    for (quint8 id : with14.paramNames.keys())
        QCOMPARE(with14.isBuffer(id), buffers.contains(id));
}

QTEST_GUILESS_MAIN(TestParams)
#include "tst_params.moc"

// Frame element encoding, packing into frames, decoding with merging, and frame text.

#include "device/family/FamilyParams.h"
#include "frames/OrvFrame.h"
#include "support/Records.h"

#include <QtTest>

namespace {

using namespace Records;

QByteArray counting(int n, int start = 0)
{
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b.append(char(quint8(start + i)));
    return b;
}

QString hex(const QByteArray &b)
{
    return QString::fromLatin1(b.toHex().toUpper());
}

/// The family's default configuration, in its file order.
OrvParamList defaultConfiguration()
{
    return recs({"28:D40D", "23@0:DC0532000A000000", "20@0:000100", "3:00", "4@0:00", "5:01", "59:1100",
                 "24:0000", "25:0000", "22@0:8813000032000000", "58:00", "11:00"});
}

QStringList sortedById(QStringList records)
{
    std::sort(records.begin(), records.end(), [](const QString &a, const QString &b) {
        return a.section(QRegularExpression("[@:]"), 0, 0).toInt() <
               b.section(QRegularExpression("[@:]"), 0, 0).toInt();
    });
    return records;
}

} // namespace

class TestFrames : public QObject
{
    Q_OBJECT
private slots:
    void ordinaryElement_data();
    void ordinaryElement();
    void ordinaryRefused_data();
    void ordinaryRefused();
    void bufferChunk_data();
    void bufferChunk();
    void bufferChunkNeverExceedsOneLengthByte();

    void buildFrames_data();
    void buildFrames();
    void buildFramesLimitsPayload_data();
    void buildFramesLimitsPayload();
    void defaultsRoundTrip_data();
    void defaultsRoundTrip();

    void decode_data();
    void decode();
    void setData_data();
    void setData();

    void merge_data();
    void merge();
    void importingTheSameFrameTwice();
    void laterFrameWinsForOrdinaryParam();
    void bridgingChunkIsNoFailure();

    void exportText();
    void importText_data();
    void importText();
    void messages();
};

void TestFrames::ordinaryElement_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("element");
    QTest::newRow("L=1 length code 0") << "5:AA"
                                       << "05AA";
    QTest::newRow("L=2 length code 1") << "5:AABB"
                                       << "45AABB";
    QTest::newRow("L=3 explicit length") << "5:AABBCC"
                                         << "C503AABBCC";
    QTest::newRow("L=4 length code 2") << "5:01020304"
                                       << "8501020304";
    QTest::newRow("L=5 explicit length") << "5:0102030405"
                                         << "C5050102030405";
    QTest::newRow("id 63") << "63:01"
                           << "3F01";
    QTest::newRow("id 0") << "0:0102"
                          << "400102";
    const QString v255 = hex(counting(255));
    QTest::newRow("L=255") << "7:" + v255 << "C7FF" + v255;
}

void TestFrames::ordinaryElement()
{
    QFETCH(QString, record);
    QFETCH(QString, element);
    OrvParam p = rec(record);
    const OrvParam before = p;

    // behind an element already in the frame, with exactly enough room
    const QByteArray prefix = QByteArray::fromHex("0300");
    OrvFrame f(quint32(prefix.size() + element.size() / 2));
    OrvParam first(3, quint8(0));
    QCOMPARE(f.appendParam(first), 1);
    QCOMPARE(f.appendParam(p), before.size());
    QCOMPARE(f.toHexString(), "0300" + element);
    QCOMPARE(p, before); // an ordinary record is not consumed

    OrvParamList back;
    QCOMPARE(f.extractParams(back, {}, false), 2);
    QCOMPARE(describe(back), QStringList({"3:00", describe(before)}));
}

void TestFrames::ordinaryRefused_data()
{
    QTest::addColumn<quint32>("maxSize");
    QTest::addColumn<QString>("record");
    QTest::newRow("one byte short of room") << quint32(4) << "5:010203";
    QTest::newRow("value longer than a length byte") << OrvFrame::kNoLimit << "5:" + hex(counting(256));
    QTest::newRow("empty value") << OrvFrame::kNoLimit << "5:";
}

void TestFrames::ordinaryRefused()
{
    QFETCH(quint32, maxSize);
    QFETCH(QString, record);
    OrvFrame f(maxSize);
    OrvParam p = rec(record);
    QCOMPARE(f.appendParam(p), 0);
    QCOMPARE(f.size(), 0);
    QCOMPARE(p, rec(record));
}

void TestFrames::bufferChunk_data()
{
    // room = maxSize - used; used comes from ordinary elements packed first
    QTest::addColumn<int>("used");
    QTest::addColumn<int>("room");
    QTest::addColumn<QString>("record");
    QTest::addColumn<int>("taken");
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("rest");

    QTest::newRow("room 8: chunk 5, two-byte header")
        << 0 << 8 << "10@0:00010203040506070809" << 5 << "CA06000001020304"
        << "10@5:0506070809";
    QTest::newRow("room 8 behind another element")
        << 2 << 8 << "10@0:00010203040506070809" << 5 << "CA06000001020304"
        << "10@5:0506070809";
    QTest::newRow("room 5: chunk 3, length code 2")
        << 0 << 5 << "10@0:00010203040506070809" << 3 << "8A00000102"
        << "10@3:03040506070809";
    QTest::newRow("room 3: chunk 1") << 0 << 3 << "10@0:0001" << 1 << "4A0000"
                                     << "10@1:01";
    QTest::newRow("room 4: chunk 1") << 0 << 4 << "10@0:0001" << 1 << "4A0000"
                                     << "10@1:01";
    QTest::newRow("room 6: chunk 3") << 0 << 6 << "10@7:AABBCCDD" << 3 << "8A07AABBCC"
                                     << "10@10:DD";
    QTest::newRow("room 7: chunk 4") << 0 << 7 << "10@0:AABBCCDDEE" << 4 << "CA0500AABBCCDD"
                                     << "10@4:EE";
    QTest::newRow("room 2: nothing") << 2 << 2 << "10@0:AABB" << 0 << ""
                                     << "10@0:AABB";
    QTest::newRow("room 5, two bytes left: length 3") << 0 << 5 << "10@6:AABB" << 2 << "CA0306AABB"
                                                      << "10@8:";
    QTest::newRow("room 8, one byte left: length 2") << 0 << 8 << "10@9:AA" << 1 << "4A09AA"
                                                     << "10@10:";
    QTest::newRow("room 8, three bytes left: length code 2") << 0 << 8 << "10@250:AABBCC" << 3 << "8AFAAABBCC"
                                                             << "10@253:";
    QTest::newRow("empty buffer packs nothing") << 0 << 8 << "10@4:" << 0 << ""
                                                << "10@4:";
}

void TestFrames::bufferChunk()
{
    QFETCH(int, used);
    QFETCH(int, room);
    QFETCH(QString, record);
    QFETCH(int, taken);
    QFETCH(QString, element);
    QFETCH(QString, rest);

    OrvFrame f(quint32(used + room));
    for (int i = 0; i < used / 2; ++i) {
        OrvParam filler(3, quint8(0));
        QCOMPARE(f.appendParam(filler), 1);
    }
    const QString prefix = f.toHexString();
    OrvParam p = rec(record);
    QCOMPARE(f.appendParam(p), taken);
    QCOMPARE(f.toHexString(), prefix + element);
    QVERIFY(f.size() <= used + room);
    QCOMPARE(describe(p), rest);
    QVERIFY(p.isBuf());
}

void TestFrames::bufferChunkNeverExceedsOneLengthByte()
{
    const QByteArray whole = counting(256);
    OrvFrame f; // no limit
    OrvParam p(20, whole, quint8(0));
    QCOMPARE(f.appendParam(p), OrvFrame::kMaxChunk);
    QCOMPARE(f.toHexString().left(6), QString("D4FF00"));
    QCOMPARE(f.size(), 2 + 1 + OrvFrame::kMaxChunk);
    QCOMPARE(f.appendParam(p), 2);
    QCOMPARE(p.size(), 0);

    OrvParamList back;
    QCOMPARE(f.extractParams(back, {{20, true}}, false), 2);
    QCOMPARE(describe(back), QStringList({describe(OrvParam(20, whole.left(254), quint8(0))),
                                          describe(OrvParam(20, whole.mid(254), quint8(254)))}));
    back.clear();
    QCOMPARE(f.extractParams(back, {{20, true}}, true), 1);
    QCOMPARE(describe(back), QStringList({describe(OrvParam(20, whole, quint8(0)))}));
}

void TestFrames::buildFrames_data()
{
    QTest::addColumn<int>("payload");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QStringList>("rejected");

    QTest::newRow("first fit: a later smaller record fills the gap")
        << 8 << QStringList{"1:01020304", "2:0A0B0C0D", "3:FF"} << QStringList{"810102030403FF", "820A0B0C0D"}
        << QStringList();
    QTest::newRow("buffer split with increasing indexes")
        << 8 << QStringList{"22@0:8813000032000000"} << QStringList{"D606008813000032", "9605000000"}
        << QStringList();
    QTest::newRow("buffer split, ordinary record joins its tail")
        << 8 << QStringList{"22@0:8813000032000000", "3:00"}
        << QStringList{"D606008813000032", "96050000000300"} << QStringList();
    QTest::newRow("buffer starting at a non-zero index")
        << 8 << QStringList{"20@4:AABBCCDDEE"} << QStringList{"D40604AABBCCDDEE"} << QStringList();
    QTest::newRow("ordinary value too long for a length byte")
        << 1024 << QStringList{"5:" + hex(counting(256)), "3:07"} << QStringList{"0307"}
        << QStringList{"5:" + hex(counting(256))};
    QTest::newRow("ordinary element larger than the payload")
        << 8 << QStringList{"3:01", "5:0102030405060708", "11:00"} << QStringList{"03010B00"}
        << QStringList{"5:0102030405060708"};
    QTest::newRow("ordinary record with empty value")
        << 8 << QStringList{"5:", "3:01"} << QStringList{"0301"} << QStringList{"5:"};
    QTest::newRow("empty buffer record is finished")
        << 8 << QStringList{"4@0:", "3:01"} << QStringList{"0301"} << QStringList();
    QTest::newRow("buffer reaching past position 255")
        << 1024 << QStringList{"4@250:" + hex(counting(10)), "3:01"} << QStringList{"0301"}
        << QStringList{"4@250:" + hex(counting(10))};
    QTest::newRow("rejected keep their list order")
        << 8 << QStringList{"5:", "6:0102030405060708", "7:"} << QStringList()
        << QStringList{"5:", "6:0102030405060708", "7:"};
    QTest::newRow("empty list") << 8 << QStringList() << QStringList() << QStringList();
}

void TestFrames::buildFrames()
{
    QFETCH(int, payload);
    QFETCH(QStringList, records);
    QFETCH(QStringList, frames);
    QFETCH(QStringList, rejected);

    OrvParamList list = recs(records);
    const FrameBuild built = ::buildFrames(list, payload);
    QVERIFY(list.isEmpty());
    QCOMPARE(hexOf(built.frames), frames);
    QCOMPARE(describe(built.rejected), rejected);
    for (const OrvFrame &f : built.frames)
        QVERIFY(f.size() <= payload);
}

void TestFrames::buildFramesLimitsPayload_data()
{
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("effective");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<int>("frameCount");

    // a 6-byte value needs an 8-byte element: it fits only once the payload is raised to 8
    QTest::newRow("below 8 raised to 8") << 3 << 8 << QStringList{"5:010203040506"} << 1;
    QTest::newRow("0 raised to 8") << 0 << 8 << QStringList{"5:010203040506", "6:01"} << 2;
    QStringList big;
    for (int id = 1; id <= 5; ++id)
        big << QString::number(id) + ":" + hex(counting(255, id));
    // 257-byte elements: three per 1024-byte frame
    QTest::newRow("above 1024 capped") << 4000 << 1024 << big << 2;
    QTest::newRow("1024 itself") << 1024 << 1024 << big << 2;
}

void TestFrames::buildFramesLimitsPayload()
{
    QFETCH(int, requested);
    QFETCH(int, effective);
    QFETCH(QStringList, records);
    QFETCH(int, frameCount);

    OrvParamList list = recs(records);
    const FrameBuild built = ::buildFrames(list, requested);
    QVERIFY(built.rejected.isEmpty());
    QCOMPARE(built.frames.size(), frameCount);
    for (const OrvFrame &f : built.frames) {
        QCOMPARE(f.maxSize(), quint32(effective));
        QVERIFY(f.size() <= effective);
    }
    OrvParamList back;
    for (const OrvFrame &f : built.frames)
        QVERIFY(f.extractParams(back, {}, true) > 0);
    QCOMPARE(sortedById(describe(back)), sortedById(records));
}

void TestFrames::defaultsRoundTrip_data()
{
    QTest::addColumn<int>("payload");
    for (int payload : {8, 9, 10, 11, 12, 13, 16, 20, 51, 100, 255, 1024})
        QTest::newRow(qPrintable(QString::number(payload))) << payload;
}

void TestFrames::defaultsRoundTrip()
{
    QFETCH(int, payload);
    const QMap<quint8, bool> flags = FamilyParams::thermocoupleTables().bufferFlags;
    const OrvParamList original = defaultConfiguration();

    OrvParamList list = original;
    const FrameBuild built = ::buildFrames(list, payload);
    QVERIFY(list.isEmpty());
    QVERIFY(built.rejected.isEmpty());
    QVERIFY(!built.frames.isEmpty());

    // through the text form and back, as the clipboard carries it
    const FrameImport imported = ::importText(::exportText(built.frames));
    QVERIFY(imported.invalidLines.isEmpty());
    QCOMPARE(hexOf(imported.frames), hexOf(built.frames));

    OrvParamList back;
    for (const OrvFrame &f : imported.frames) {
        QVERIFY(f.size() <= payload);
        QVERIFY(f.extractParams(back, flags, true) >= 0);
    }
    QCOMPARE(sortedById(describe(back)), sortedById(describe(original)));
}

void TestFrames::decode_data()
{
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<bool>("buffer10");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("records");

    QTest::newRow("empty") << "" << false << 0 << QStringList();
    QTest::newRow("single byte") << "05" << false << 0 << QStringList();
    QTest::newRow("5 bytes announced, 2 present") << "C5050102" << false << -1 << QStringList();
    QTest::newRow("one-byte header, value cut") << "8501020304" << false << 1 << QStringList{"5:01020304"};
    QTest::newRow("length code 2 one short") << "85010203" << false << -1 << QStringList();
    QTest::newRow("records before a truncation stay")
        << "0501450A0BC5050102" << false << -1 << QStringList{"5:01", "5:0A0B"};
    QTest::newRow("trailing single byte ignored") << "050107" << false << 1 << QStringList{"5:01"};
    QTest::newRow("explicit length exactly filled") << "C5020102" << false << 1 << QStringList{"5:0102"};
    QTest::newRow("explicit length zero") << "C500" << false << 1 << QStringList{"5:"};
    QTest::newRow("buffer flag takes the index")
        << "4501028A0A010203" << true << 2 << QStringList{"5:0102", "10@10:010203"};
    QTest::newRow("without buffer flag the index stays in the value")
        << "8A0A010203" << false << 1 << QStringList{"10:0A010203"};
    QTest::newRow("buffer element without an index byte carries nothing")
        << "CA000501" << true << 1 << QStringList{"5:01"};
    QTest::newRow("id from the low six bits")
        << "3F017F0102" << false << 2 << QStringList{"63:01", "63:0102"};
}

void TestFrames::decode()
{
    QFETCH(QString, bytes);
    QFETCH(bool, buffer10);
    QFETCH(int, result);
    QFETCH(QStringList, records);

    const QByteArray raw = QByteArray::fromHex(bytes.toLatin1());
    const QMap<quint8, bool> flags = buffer10 ? QMap<quint8, bool>{{10, true}} : QMap<quint8, bool>();
    OrvParamList list = recs({"30:EE"}); // records already in the list are kept
    QCOMPARE(OrvFrame::decodeElements(raw, list, flags, false), result);
    QCOMPARE(describe(list), QStringList{"30:EE"} + records);

    // a frame accepts exactly the bytes that decode to at least one element, and decodes them alike
    OrvFrame f;
    const int accepted = f.setData(raw);
    if (result < 1) {
        QCOMPARE(accepted, result);
        QCOMPARE(f.size(), 0);
    } else {
        QCOMPARE(accepted, raw.size());
        OrvParamList again;
        QCOMPARE(f.extractParams(again, flags, false), result);
        QCOMPARE(describe(again), records);
    }
}

void TestFrames::setData_data()
{
    QTest::addColumn<quint32>("maxSize");
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("after");

    // the frame holds 0301 before the call
    QTest::newRow("valid") << quint32(8) << "4501020307" << 5 << "4501020307";
    QTest::newRow("exactly the maximum size") << quint32(4) << "45010203" << 4 << "45010203";
    QTest::newRow("longer than the maximum size") << quint32(4) << "4501020307" << 0 << "0301";
    QTest::newRow("no element") << quint32(8) << "05" << 0 << "0301";
    QTest::newRow("nothing") << quint32(8) << "" << 0 << "0301";
    QTest::newRow("truncated") << quint32(8) << "C5050102" << -1 << "0301";
    QTest::newRow("truncated after a good element") << quint32(8) << "0301C50501" << -1 << "0301";
}

void TestFrames::setData()
{
    QFETCH(quint32, maxSize);
    QFETCH(QString, bytes);
    QFETCH(int, result);
    QFETCH(QString, after);

    OrvFrame f(maxSize);
    QCOMPARE(f.setData(QByteArray::fromHex("0301")), 2);
    QCOMPARE(f.setData(QByteArray::fromHex(bytes.toLatin1())), result);
    QCOMPARE(f.toHexString(), after);
    QCOMPARE(f.maxSize(), maxSize);
}

void TestFrames::merge_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QStringList>("incoming");
    QTest::addColumn<QStringList>("result");

    QTest::newRow("touching chunks in order")
        << QStringList{"20@0:0001020304"} << QStringList{"20@5:0506070809"}
        << QStringList{"20@0:00010203040506070809"};
    QTest::newRow("touching chunks reversed")
        << QStringList{"20@5:0506070809"} << QStringList{"20@0:0001020304"}
        << QStringList{"20@0:00010203040506070809"};
    QTest::newRow("gap keeps both") << QStringList{"20@0:0001"} << QStringList{"20@5:0506"}
                                    << QStringList{"20@0:0001", "20@5:0506"};
    QTest::newRow("same chunk twice")
        << QStringList{"20@2:AABBCC"} << QStringList{"20@2:AABBCC"} << QStringList{"20@2:AABBCC"};
    QTest::newRow("overlap, newer bytes win (newer behind)")
        << QStringList{"20@0:0102030405"} << QStringList{"20@3:AABBCC"} << QStringList{"20@0:010203AABBCC"};
    QTest::newRow("overlap, newer bytes win (newer in front)")
        << QStringList{"20@3:AABBCC"} << QStringList{"20@0:0102030405"} << QStringList{"20@0:0102030405CC"};
    QTest::newRow("contained chunk") << QStringList{"20@0:00010203040506"} << QStringList{"20@2:AABB"}
                                     << QStringList{"20@0:0001AABB040506"};
    QTest::newRow("containing chunk") << QStringList{"20@2:AABB"} << QStringList{"20@0:00010203040506"}
                                      << QStringList{"20@0:00010203040506"};
    QTest::newRow("bridge joins both neighbours")
        << QStringList{"20@0:0001020304", "20@10:0A0B0C0D0E"} << QStringList{"20@5:0506070809"}
        << QStringList{"20@0:000102030405060708090A0B0C0D0E"};
    QTest::newRow("bridge, far neighbour listed first")
        << QStringList{"20@10:0A0B", "3:01", "20@0:00010203"} << QStringList{"20@4:040506070809"}
        << QStringList{"3:01", "20@0:000102030405060708090A0B"};
    // a list decoded without merging may hold chunks that touch each other
    QTest::newRow("chunk reached only through a later join")
        << QStringList{"20@0:0001", "20@2:0203"} << QStringList{"20@4:0405"}
        << QStringList{"20@0:000102030405"};
    QTest::newRow("chunks of another id stay apart")
        << QStringList{"22@0:0001"} << QStringList{"20@2:0203"} << QStringList{"22@0:0001", "20@2:0203"};
    QTest::newRow("ordinary: later value wins and moves to the end")
        << QStringList{"3:00", "4@0:01", "3:05"} << QStringList{"3:07"} << QStringList{"4@0:01", "3:07"};
    QTest::newRow("all chunks in shuffled order")
        << QStringList() << QStringList{"20@6:0607", "20@0:0001", "20@4:0405", "20@2:0203", "20@8:08"}
        << QStringList{"20@0:000102030405060708"};
}

void TestFrames::merge()
{
    QFETCH(QStringList, existing);
    QFETCH(QStringList, incoming);
    QFETCH(QStringList, result);

    OrvParamList list = recs(existing);
    for (const QString &r : incoming)
        mergeParam(list, rec(r));
    QCOMPARE(describe(list), result);
}

void TestFrames::importingTheSameFrameTwice()
{
    const QMap<quint8, bool> flags = FamilyParams::thermocoupleTables().bufferFlags;
    OrvParamList list = recs({"22@0:8813000032000000", "3:00"});
    const FrameBuild built = ::buildFrames(list, 8);
    QCOMPARE(built.frames.size(), 2);

    OrvParamList back;
    for (int round = 0; round < 2; ++round) {
        for (const OrvFrame &f : built.frames)
            QVERIFY(f.extractParams(back, flags, true) >= 0);
    }
    QCOMPARE(describe(back), QStringList({"22@0:8813000032000000", "3:00"}));
}

void TestFrames::laterFrameWinsForOrdinaryParam()
{
    OrvFrame first, second;
    QCOMPARE(first.setData(QByteArray::fromHex("0301450102")), 5);
    QCOMPARE(second.setData(QByteArray::fromHex("0309")), 2);
    OrvParamList list;
    QCOMPARE(first.extractParams(list, {}, true), 2);
    QCOMPARE(second.extractParams(list, {}, true), 0);
    QCOMPARE(describe(list), QStringList({"5:0102", "3:09"}));
}

void TestFrames::bridgingChunkIsNoFailure()
{
    // the list shrinks by one record: the call must still not look like a truncated frame
    OrvParamList list = recs({"20@0:0001", "20@4:0405"});
    OrvFrame f;
    QVERIFY(f.setData(QByteArray::fromHex("D403020203")) > 0);
    QCOMPARE(f.extractParams(list, {{20, true}}, true), 0);
    QCOMPARE(describe(list), QStringList({"20@0:0001020304"
                                          "05"}));
}

void TestFrames::exportText()
{
    OrvFrame a, b;
    QVERIFY(a.setData(QByteArray::fromHex("c503aabbcc")) > 0);
    QVERIFY(b.setData(QByteArray::fromHex("0301")) > 0);
    QCOMPARE(::exportText({a, b}), QString("C503AABBCC\r\n0301"));
    QCOMPARE(::exportText({a}), QString("C503AABBCC"));
    QCOMPARE(::exportText({}), QString());
    QCOMPARE(hexOf(::importText(::exportText({a, b})).frames), QStringList({"C503AABBCC", "0301"}));
}

void TestFrames::importText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QStringList>("invalid");

    QTest::newRow("CR LF line ends") << "C503AABBCC\r\n0301" << QStringList{"C503AABBCC", "0301"}
                                     << QStringList();
    QTest::newRow("LF line ends") << "C503AABBCC\n0301\n"
                                  << QStringList{"C503AABBCC", "0301"} << QStringList();
    QTest::newRow("trailing CR LF gives no piece") << "0301\r\n" << QStringList{"0301"} << QStringList();
    QTest::newRow("empty LF lines dropped") << "\n\n0301\n\n" << QStringList{"0301"} << QStringList();
    QTest::newRow("blank line inside CR LF text")
        << "0301\r\n\r\n0402" << QStringList{"0301", "0402"} << QStringList{""};
    QTest::newRow("separators and lower case")
        << "c5 03:aa-bb cc" << QStringList{"C503AABBCC"} << QStringList();
    QTest::newRow("odd digit count: first digit alone") << "301" << QStringList{"0301"} << QStringList();
    QTest::newRow("odd digit count with a trailing byte")
        << "30102" << QStringList{"030102"} << QStringList();
    QTest::newRow("single byte invalid") << "05\r\n0301" << QStringList{"0301"} << QStringList{"05"};
    QTest::newRow("truncated line invalid, others kept")
        << "0301\nC5050102\n0402" << QStringList{"0301", "0402"} << QStringList{"C5050102"};
    QTest::newRow("no digits") << "hello" << QStringList() << QStringList{"hello"};
    QTest::newRow("longer than any payload")
        << "C7FF" + hex(counting(255)) << QStringList{"C7FF" + hex(counting(255))} << QStringList();
    QTest::newRow("empty text") << "" << QStringList() << QStringList();
}

void TestFrames::importText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, frames);
    QFETCH(QStringList, invalid);

    const FrameImport imported = ::importText(text);
    QCOMPARE(hexOf(imported.frames), frames);
    QCOMPARE(imported.invalidLines, invalid);
    for (const OrvFrame &f : imported.frames)
        QCOMPARE(f.maxSize(), OrvFrame::kNoLimit);
}

void TestFrames::messages()
{
    QCOMPARE(invalidFramesTitle(), QString("Invalid frames"));
    QCOMPARE(invalidFrameText("C505"), QString("The frame: 'C505' is invalid !"));
    QCOMPARE(invalidFrameText(""), QString("The frame: '' is invalid !"));
}

QTEST_GUILESS_MAIN(TestFrames)
#include "tst_frames.moc"

// The firmware segment store and its S-record reader: the store's invariants against a byte
// model under random writes and cuts, the reader's line rules, and files made by srec_cat
// and objcopy read back byte for byte.

#include "support/TestData.h"
#include "update/SegmentStore.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

namespace {

using namespace TestData;

/// One segment as (base, bytes).
using Seg = QPair<quint32, QByteArray>;

QList<Seg> segmentsOf(const SegmentStore &store)
{
    QList<Seg> out;
    for (int i = 0; i < store.segmentCount(); ++i) {
        quint32 base = 0;
        quint32 length = 0;
        const quint8 *data = store.segment(i, &base, &length);
        out.append({base, QByteArray(reinterpret_cast<const char *>(data), int(length))});
    }
    return out;
}

QString describe(const QList<Seg> &segs)
{
    QStringList parts;
    for (const Seg &s : segs)
        parts << QStringLiteral("%1+%2").arg(s.first, 0, 16).arg(s.second.size());
    return parts.join(' ');
}

bool add(SegmentStore &store, quint32 address, const QByteArray &bytes)
{
    return store.addData(address, quint32(bytes.size()), reinterpret_cast<const quint8 *>(bytes.constData()));
}

/// The S-record line for a record type with address and data (checksum computed).
QByteArray srecLine(int type, quint32 address, const QByteArray &data)
{
    const int addressBytes = type + 1;
    QByteArray body;
    body.append(char(addressBytes + data.size() + 1));
    for (int i = addressBytes - 1; i >= 0; --i)
        body.append(char((address >> (8 * i)) & 0xFF));
    body.append(data);
    quint8 sum = 0;
    for (const char c : body)
        sum = quint8(sum + quint8(c));
    body.append(char(quint8(~sum)));
    return "S" + QByteArray::number(type) + body.toHex().toUpper();
}

bool runTool(const QString &program, const QStringList &args, QString *error = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error)
            *error = QString::fromLocal8Bit(p.readAllStandardError());
        return false;
    }
    return true;
}

} // namespace

class TestSegmentStore : public QObject
{
    Q_OBJECT

private slots:
    void addData_data();
    void addData();
    void refusals();
    void randomAgainstByteModel_data();
    void randomAgainstByteModel();
    void segmentOutOfRange();

    void parseLine_data();
    void parseLine();
    void loadLineEnds_data();
    void loadLineEnds();
    void overlongLineReadByItsCount();
    void loadWithOffset();
    void loadFailures();
    void toolFiles_data();
    void toolFiles();
    void manyRecordsInAnyOrderLoadQuickly();
};

// ---------------------------------------------------------------------------------------------
// Store
// ---------------------------------------------------------------------------------------------

void TestSegmentStore::addData_data()
{
    // Each write: "address:hexbytes"; expected: "base+length" per segment.
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QByteArray>("firstSegment");

    const QByteArray a16 = QByteArray(16, 'a');
    const QByteArray b16 = QByteArray(16, 'b');
    QTest::newRow("touching records merge")
        << QStringList{"1000:" + a16.toHex(), "1010:" + b16.toHex()} << "1000+32" << (a16 + b16);
    QTest::newRow("later record first in order")
        << QStringList{"2000:" + a16.toHex(), "1000:" + b16.toHex()} << "1000+16 2000+16" << b16;
    QTest::newRow("rewrite replaces, size unchanged")
        << QStringList{"1000:" + (a16 + a16).toHex(), "1008:" + b16.toHex()} << "1000+32"
        << (QByteArray(8, 'a') + b16 + QByteArray(8, 'a'));
    QTest::newRow("record bridging two segments joins them")
        << QStringList{"1000:" + a16.toHex(), "1020:" + a16.toHex(), "1010:" + b16.toHex()} << "1000+48"
        << (a16 + b16 + a16);
    QTest::newRow("record covering several segments")
        << QStringList{"1004:6161", "1008:6262", "100c:6363", "1000:" + b16.toHex()} << "1000+16" << b16;
    QTest::newRow("write touching the end of the previous one in reverse order")
        << QStringList{"1010:" + b16.toHex(), "1000:" + a16.toHex()} << "1000+32" << (a16 + b16);
    QTest::newRow("overlap at the head of a segment")
        << QStringList{"1008:" + a16.toHex(), "1000:" + b16.toHex()} << "1000+24"
        << (b16 + QByteArray(8, 'a'));
    QTest::newRow("top of the address space")
        << QStringList{"fffffff0:" + a16.toHex(), "ffffffe0:" + b16.toHex()} << "ffffffe0+32" << (b16 + a16);
}

void TestSegmentStore::addData()
{
    QFETCH(QStringList, writes);
    QFETCH(QString, expected);
    QFETCH(QByteArray, firstSegment);
    SegmentStore store;
    store.init(SegmentStore::kParserSRecord);
    for (const QString &w : writes)
        QVERIFY(add(store, w.section(':', 0, 0).toUInt(nullptr, 16),
                    QByteArray::fromHex(w.section(':', 1).toLatin1())));
    const QList<Seg> segs = segmentsOf(store);
    QCOMPARE(describe(segs), expected);
    QCOMPARE(segs.first().second, firstSegment);
}

void TestSegmentStore::refusals()
{
    SegmentStore store;
    store.init(SegmentStore::kParserSRecord);
    const QByteArray bytes(17, 'x');
    const quint8 *p = reinterpret_cast<const quint8 *>(bytes.constData());
    QVERIFY(!store.addData(0x1000, 0, p));
    QVERIFY(!store.addData(0x1000, 4, nullptr));
    // One byte past the top of the address space: refused, nothing wraps to address 0.
    QVERIFY(!store.addData(0xFFFFFFF0u, 17, p));
    QVERIFY(store.addData(0xFFFFFFF0u, 16, p));
    QCOMPARE(describe(segmentsOf(store)), QStringLiteral("fffffff0+16"));
    QVERIFY(!store.removeData(0x1000, 0));
    QVERIFY(!store.removeData(0xFFFFFFF8u, 9));
    // Ranges wholly before, after or between segments change nothing.
    QVERIFY(store.removeData(0, 0x100));
    QCOMPARE(describe(segmentsOf(store)), QStringLiteral("fffffff0+16"));
    QVERIFY(store.removeData(0xFFFFFFF4u, 4));
    QCOMPARE(describe(segmentsOf(store)), QStringLiteral("fffffff0+4 fffffff8+8"));
    store.terminate();
    QCOMPARE(store.segmentCount(), 0);
    QCOMPARE(store.totalSize(), quint64(0));
}

void TestSegmentStore::randomAgainstByteModel_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("span");
    QTest::newRow("dense") << 1u << 256;
    QTest::newRow("sparse") << 2u << 4096;
    QTest::newRow("dense 2") << 3u << 512;
    QTest::newRow("sparse 2") << 4u << 65536;
}

void TestSegmentStore::randomAgainstByteModel()
{
    // Random writes and cuts, mirrored in a byte map; after each step the segments must be
    // exactly the maximal runs of the map: sorted, disjoint, never touching, newest bytes.
    QFETCH(quint32, seed);
    QFETCH(int, span);
    QRandomGenerator rng(seed);
    SegmentStore store;
    store.init(SegmentStore::kParserSRecord);
    std::map<quint32, char> model;
    const quint32 base = 0x08000000;
    for (int step = 0; step < 400; ++step) {
        const quint32 address = base + rng.bounded(span);
        const quint32 length = 1 + rng.bounded(64);
        if (rng.bounded(4) == 0) {
            QVERIFY(store.removeData(address, length));
            model.erase(model.lower_bound(address), model.lower_bound(address + length));
        } else {
            const QByteArray bytes = randomBytes(int(length), seed * 1000 + quint32(step));
            QVERIFY(add(store, address, bytes));
            for (quint32 i = 0; i < length; ++i)
                model[address + i] = bytes.at(int(i));
        }
        // Only look at the segments now and then: joining happens lazily in between.
        if (step % 7 != 0 && step != 399)
            continue;
        QList<Seg> expected;
        for (const auto &kv : model) {
            if (!expected.isEmpty() &&
                expected.last().first + quint32(expected.last().second.size()) == kv.first)
                expected.last().second.append(kv.second);
            else
                expected.append({kv.first, QByteArray(1, kv.second)});
        }
        const QList<Seg> got = segmentsOf(store);
        QVERIFY2(got == expected, qPrintable(QStringLiteral("step %1: got %2, expected %3")
                                                 .arg(step)
                                                 .arg(describe(got), describe(expected))));
        QCOMPARE(store.totalSize(), quint64(model.size()));
    }
}

void TestSegmentStore::segmentOutOfRange()
{
    SegmentStore store;
    store.init(SegmentStore::kParserSRecord);
    QVERIFY(add(store, 0x100, "abc"));
    quint32 base = 0;
    quint32 length = 0;
    QVERIFY(!store.segment(-1, &base, &length));
    QVERIFY(!store.segment(1, &base, &length));
    QVERIFY(!store.segment(0, nullptr, &length));
    QVERIFY(!store.segment(0, &base, nullptr));
    QVERIFY(store.segment(0, &base, &length));
    QCOMPARE(base, 0x100u);
    QCOMPARE(length, 3u);
}

// ---------------------------------------------------------------------------------------------
// S-record reader
// ---------------------------------------------------------------------------------------------

void TestSegmentStore::parseLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<quint32>("offset");
    QTest::addColumn<int>("kind"); // SRecord::LineKind
    QTest::addColumn<quint32>("address");
    QTest::addColumn<QByteArray>("data");

    const int ignored = int(SRecord::LineKind::Ignored);
    const int data = int(SRecord::LineKind::Data);
    const int corrupt = int(SRecord::LineKind::Corrupt);
    const QByteArray four = QByteArray::fromHex("DEADBEEF");
    const QByteArray s1 = srecLine(1, 0x1234, four);
    const QByteArray s2 = srecLine(2, 0x123456, four);
    const QByteArray s3 = srecLine(3, 0x08001000, four);

    QTest::newRow("S1") << s1 << 0u << data << 0x1234u << four;
    QTest::newRow("S2") << s2 << 0u << data << 0x123456u << four;
    QTest::newRow("S3") << s3 << 0u << data << 0x08001000u << four;
    QTest::newRow("lower case s3 and hex") << s3.toLower() << 0u << data << 0x08001000u << four;
    QTest::newRow("offset added") << s1 << 0x08000000u << data << 0x08001234u << four;
    QTest::newRow("S1 without data") << srecLine(1, 0x10, QByteArray()) << 0u << data << 0x10u
                                     << QByteArray();
    QTest::newRow("largest record") << srecLine(3, 0, QByteArray(250, 'z')) << 0u << data << 0u
                                    << QByteArray(250, 'z');

    QByteArray badSum = s3;
    badSum[badSum.size() - 1] = badSum.at(badSum.size() - 1) == '0' ? '1' : '0';
    QTest::newRow("wrong checksum") << badSum << 0u << corrupt << 0u << QByteArray();
    // The record ends where its byte count says: what follows the checksum is not read.
    QTest::newRow("one pair more than counted") << s3 + "00" << 0u << data << 0x08001000u << four;
    QTest::newRow("trailing space") << s3 + " " << 0u << data << 0x08001000u << four;
    QTest::newRow("trailing tab") << s3 + "\t" << 0u << data << 0x08001000u << four;
    QTest::newRow("trailing blanks") << s1 + " \t  " << 0u << data << 0x1234u << four;
    QTest::newRow("trailing CR of a CR CR LF line") << s2 + "\r" << 0u << data << 0x123456u << four;
    QTest::newRow("one pair short") << s3.left(s3.size() - 2) << 0u << corrupt << 0u << QByteArray();
    // A count saying more than the line holds must not read past the line.
    QTest::newRow("count beyond the line") << QByteArray("S3FF0800") << 0u << corrupt << 0u << QByteArray();
    QTest::newRow("count too small for the address")
        << QByteArray("S3030000FC") << 0u << corrupt << 0u << QByteArray();
    QTest::newRow("count of 2 ends the line")
        << QByteArray("S1020000") << 0u << ignored << 0u << QByteArray();
    QTest::newRow("data past 0xFFFFFFFF")
        << srecLine(3, 0xFFFFFFFEu, four) << 0u << corrupt << 0u << QByteArray();
    QTest::newRow("offset carries past 0xFFFFFFFF") << s1 << 0xFFFFF000u << corrupt << 0u << QByteArray();
    QTest::newRow("data up to 0xFFFFFFFF")
        << srecLine(3, 0xFFFFFFFCu, four) << 0u << data << 0xFFFFFFFCu << four;
    QTest::newRow("S0 header") << QByteArray("S00F000068656C6C6F202020202000003C") << 0u << ignored << 0u
                               << QByteArray();
    QTest::newRow("S5 count") << QByteArray("S5030003F9") << 0u << ignored << 0u << QByteArray();
    QTest::newRow("S7 start") << QByteArray("S70500000000FA") << 0u << ignored << 0u << QByteArray();
    QTest::newRow("S9 start") << QByteArray("S9030000FC") << 0u << ignored << 0u << QByteArray();
    QTest::newRow("text") << QByteArray("hello") << 0u << ignored << 0u << QByteArray();
    QTest::newRow("empty") << QByteArray() << 0u << ignored << 0u << QByteArray();
    QTest::newRow("S alone") << QByteArray("S") << 0u << ignored << 0u << QByteArray();
    QTest::newRow("S3 alone") << QByteArray("S3") << 0u << corrupt << 0u << QByteArray();
    QTest::newRow("longer than any record, count 0")
        << QByteArray("S3") + QByteArray(600, '0') << 0u << ignored << 0u << QByteArray();
    QTest::newRow("longest record and more") << srecLine(3, 0, QByteArray(250, 'z')) + QByteArray(100, 'F')
                                             << 0u << data << 0u << QByteArray(250, 'z');
}

void TestSegmentStore::parseLine()
{
    QFETCH(QByteArray, line);
    QFETCH(quint32, offset);
    QFETCH(int, kind);
    QFETCH(quint32, address);
    QFETCH(QByteArray, data);
    // The line sits in a larger buffer whose next bytes look like more hex digits: the
    // reader must stay within the length it was given.
    QByteArray buffer = line + "FFFFFFFFFFFFFFFF";
    SRecord::Record record;
    const SRecord::LineKind got =
        SRecord::parseLine(buffer.constData(), size_t(line.size()), offset, &record);
    QCOMPARE(int(got), kind);
    if (got == SRecord::LineKind::Data) {
        QCOMPARE(record.address, address);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(record.data.data()), int(record.data.size())),
                 data);
    }
}

void TestSegmentStore::loadLineEnds_data()
{
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::newRow("LF") << QByteArray("\n");
    QTest::newRow("CR LF") << QByteArray("\r\n");
    QTest::newRow("CR") << QByteArray("\r");
}

void TestSegmentStore::loadLineEnds()
{
    QFETCH(QByteArray, lineEnd);
    QTemporaryDir dir;
    const QByteArray first = QByteArray::fromHex("00112233445566778899AABBCCDDEEFF");
    const QByteArray second = QByteArray::fromHex("0F1E2D3C");
    QByteArray badSum = srecLine(1, 0x3000, "zz");
    badSum[badSum.size() - 1] = badSum.at(badSum.size() - 1) == '0' ? '1' : '0';
    const QList<QByteArray> lines = {
        "S00600004844521B", srecLine(1, 0x1000, first),  badSum,       srecLine(1, 0x1010, second), "",
        "S5030002FA",       srecLine(2, 0x020000, "xy"), "S9031000EC",
    };
    // The last line has no line end.
    const QString path = writeFile(dir, QStringLiteral("a.srec"), lines.join(lineEnd));
    SegmentStore store;
    store.init(SegmentStore::kParserSRecord);
    QVERIFY(store.loadFromFile(path, 0));
    const QList<Seg> segs = segmentsOf(store);
    QCOMPARE(describe(segs), QStringLiteral("1000+20 20000+2"));
    QCOMPARE(segs.at(0).second, first + second);
    QCOMPARE(store.lastLoadStats().dataRecords, quint64(3));
    QCOMPARE(store.lastLoadStats().corruptLines, quint64(1));
    QCOMPARE(store.lastLoadStats().firstCorruptLine, quint64(3));
}

void TestSegmentStore::overlongLineReadByItsCount()
{
    // A line longer than the line buffer holds its record at the start: the record is read,
    // and what follows past the buffer (here a valid-looking record) is not read as a line
    // of its own.
    QTemporaryDir dir;
    const QByteArray hidden = srecLine(1, 0x5000, "hidden");
    const QByteArray overlong = srecLine(3, 0x100, QByteArray(250, 'a')) + QByteArray(2, '0') + hidden;
    QVERIFY(overlong.size() > SegmentStore::kLineBufferChars);
    const QByteArray text =
        srecLine(1, 0x1000, "ok") + "\n" + overlong + "\n" + srecLine(1, 0x2000, "ok") + "\n";
    const QString path = writeFile(dir, QStringLiteral("long.srec"), text);
    SegmentStore store;
    store.init(SegmentStore::kParserSRecord);
    QVERIFY(store.loadFromFile(path, 0));
    QCOMPARE(describe(segmentsOf(store)), QStringLiteral("100+250 1000+2 2000+2"));
    QCOMPARE(store.lastLoadStats().corruptLines, quint64(0));
}

void TestSegmentStore::loadWithOffset()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("o.srec"),
                                   srecLine(1, 0x0010, "ab") + "\n" + srecLine(1, 0xFFF0, "cd") + "\n");
    SegmentStore store;
    store.init(SegmentStore::kParserSRecord);
    QVERIFY(store.loadFromFile(path, 0xFFFF0000u));
    QCOMPARE(describe(segmentsOf(store)), QStringLiteral("ffff0010+2 fffffff0+2"));
    // Loading again adds to what is there; init empties.
    store.init(SegmentStore::kParserSRecord);
    QVERIFY(store.loadFromFile(path, 0x00100000u));
    QCOMPARE(describe(segmentsOf(store)), QStringLiteral("100010+2 10fff0+2"));
}

void TestSegmentStore::loadFailures()
{
    QTemporaryDir dir;
    SegmentStore store;
    store.init(SegmentStore::kParserSRecord);
    QVERIFY(!store.loadFromFile(dir.filePath(QStringLiteral("missing.srec")), 0));
    QVERIFY(!store.loadFromFile(QString(), 0));
    // Empty file and a file without data records: success without segments.
    QVERIFY(store.loadFromFile(writeFile(dir, QStringLiteral("empty.srec"), QByteArray()), 0));
    QCOMPARE(store.segmentCount(), 0);
    QVERIFY(
        store.loadFromFile(writeFile(dir, QStringLiteral("hdr.srec"), "S00600004844521B\nS9030000FC\n"), 0));
    QCOMPARE(store.segmentCount(), 0);
    // Any parser kind but S-record leaves the store without a parser.
    const QString good = writeFile(dir, QStringLiteral("g.srec"), srecLine(1, 0, "a") + "\n");
    store.init(1);
    QVERIFY(!store.loadFromFile(good, 0));
    store.init(SegmentStore::kParserSRecord);
    QVERIFY(store.loadFromFile(good, 0));
    store.terminate();
    QVERIFY(!store.loadFromFile(good, 0));
}

void TestSegmentStore::toolFiles_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("args"); // IN and OUT stand for the binary and the S-record file
    QTest::addColumn<quint32>("address");

    QTest::newRow("srec_cat S3 LF") << "srec_cat"
                                    << QStringList{"IN", "-binary", "-offset",   "0x08000000",
                                                   "-o", "OUT",     "-motorola", "-address-length=4"}
                                    << 0x08000000u;
    QTest::newRow("srec_cat S2") << "srec_cat"
                                 << QStringList{"IN", "-binary", "-offset",   "0x010000",
                                                "-o", "OUT",     "-motorola", "-address-length=3"}
                                 << 0x010000u;
    QTest::newRow("srec_cat S1") << "srec_cat" << QStringList{"IN", "-binary", "-o", "OUT", "-motorola"}
                                 << 0u;
    QTest::newRow("objcopy S3 CRLF")
        << "objcopy" << QStringList{"-I",         "binary",         "-O", "srec", "--change-addresses",
                                    "0x08000000", "--srec-forceS3", "IN", "OUT"}
        << 0x08000000u;
}

void TestSegmentStore::toolFiles()
{
    QFETCH(QString, tool);
    QFETCH(QStringList, args);
    QFETCH(quint32, address);
    if (QStandardPaths::findExecutable(tool).isEmpty())
        QSKIP("tool not installed");
    QTemporaryDir dir;
    const QByteArray image = randomBytes(40000, 77);
    const QString bin = writeFile(dir, QStringLiteral("fw.bin"), image);
    const QString srec = dir.filePath(QStringLiteral("fw.srec"));
    for (QString &a : args)
        a = a == QLatin1String("IN") ? bin : (a == QLatin1String("OUT") ? srec : a);
    QString error;
    QVERIFY2(runTool(tool, args, &error), qPrintable(error));

    SegmentStore store;
    store.init(SegmentStore::kParserSRecord);
    QVERIFY(store.loadFromFile(srec, 0));
    const QList<Seg> segs = segmentsOf(store);
    QCOMPARE(segs.size(), 1);
    QCOMPARE(segs.first().first, address);
    QVERIFY(segs.first().second == image);
    QCOMPARE(store.lastLoadStats().corruptLines, quint64(0));
}

void TestSegmentStore::manyRecordsInAnyOrderLoadQuickly()
{
    // 65536 records of 16 bytes in descending order, then the first half written again: a
    // store that re-sorts and re-merges everything per record needs minutes for this.
    QTemporaryDir dir;
    const int records = 65536;
    const QByteArray image = randomBytes(records * 16, 5);
    QByteArray text;
    text.reserve(records * 48 * 3 / 2);
    for (int i = records - 1; i >= 0; --i)
        text += srecLine(3, quint32(i) * 16, image.mid(i * 16, 16)) + "\n";
    for (int i = 0; i < records / 2; ++i)
        text += srecLine(3, quint32(i) * 16 + 8, image.mid(i * 16 + 8, 16)) + "\n";
    const QString path = writeFile(dir, QStringLiteral("big.srec"), text);

    SegmentStore store;
    store.init(SegmentStore::kParserSRecord);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(store.loadFromFile(path, 0));
    QCOMPARE(store.segmentCount(), 1);
    const qint64 ms = timer.elapsed();
    quint32 base = 1;
    quint32 length = 0;
    const quint8 *data = store.segment(0, &base, &length);
    QCOMPARE(base, 0u);
    QVERIFY(QByteArray(reinterpret_cast<const char *>(data), int(length)) == image);
    QVERIFY2(ms < 20000, qPrintable(QStringLiteral("%1 ms").arg(ms)));
}

QTEST_GUILESS_MAIN(TestSegmentStore)
#include "tst_segmentstore.moc"

// The USB HID transport against a byte-level fake HID library, and the simulator's USB plug.

#include "links/CommUsbHid.h"
#include "links/HidApi.h"
#include "sim/SimDevice.h"
#include "sim/SimUsbHid.h"
#include "support/LogRecorder.h"

#include <QThread>
#include <QtTest>

#include <hidapi.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kTimeoutMs = 250;
constexpr quint8 kLinkUsb = 0x75;
constexpr quint8 kCmdModuleWrite = 6;

/// One scripted answer of the fake's read: the value it returns and the bytes it fills in.
struct ScriptedRead
{
    int result;
    QByteArray bytes;
};
using ReadScript = QList<ScriptedRead>;

/// A HID library in memory, as hidapi 0.13 (hidraw) behaves: devices present by identity,
/// listed by the enumeration at a path that changes with every plug-in; a handle opened by
/// path dies with an unplug; the device information of a handle is read once and answered
/// from that copy afterwards, plugged or not. Every enumeration, open, close and write is
/// recorded; reads are served from a script (an empty script times out).
struct FakeHid
{
    QList<QPair<quint16, quint16>> present;
    bool plugged = true;
    int plugIns = 0;       ///< the device's plug-ins so far; part of its path
    int handlePlugIn = -1; ///< plug-in during which the handle was opened
    QStringList events;    ///< "enumerate vvvv:pppp", "open PATH", "opened", "close"
    int unfreedLists = 0;  ///< enumerations handed out and not freed
    QList<QByteArray> writes;
    int shortWriteAt = -1; ///< index of the write that does not go through whole
    int shortWriteResult = -1;
    ReadScript reads;
    int readCalls = 0;
    QList<int> readTimeouts;
    QList<size_t> readSizes;
    int manufacturerCalls = 0;
    size_t manufacturerRoom = 0;
    bool infoCached = false;  ///< the handle's device information was read once
    int emptyReportFlood = 0; ///< with the script used up: this many empty reports, 1 ms apart
    int readDelayMs = 0;      ///< each scripted report arrives this long after the read starts
    int foreignHandles = 0;   ///< calls made with a handle the fake never gave out
    bool openRefused = false; ///< listed, but opening fails (no access to the device file)

    /// Pulls the cable and plugs it back in before anyone looked.
    void replug()
    {
        plugged = true;
        ++plugIns;
    }
    QByteArray pathOf(QPair<quint16, quint16> id) const
    {
        return QStringLiteral("hid:%1:%2:%3")
            .arg(id.first, 4, 16, QChar('0'))
            .arg(id.second, 4, 16, QChar('0'))
            .arg(plugIns)
            .toLatin1();
    }
    /// Whether the handle given out is still good.
    bool handleAlive() const { return plugged && handlePlugIn == plugIns; }
};

/// An 8-byte input report carrying payload (length byte = payload size unless given).
QByteArray report(const QByteArray &payload, int lengthByte = -1)
{
    QByteArray r(CommUsbHid::kReportSize, '\0');
    r[0] = char(lengthByte < 0 ? payload.size() : lengthByte);
    r.replace(1, payload.size(), payload);
    return r.left(CommUsbHid::kReportSize);
}

FakeHid *g_fake = nullptr;
char g_handleToken;

hid_device *fakeHandle()
{
    return reinterpret_cast<hid_device *>(&g_handleToken);
}

void checkHandle(hid_device *dev)
{
    if (dev != fakeHandle())
        ++g_fake->foreignHandles;
}

hid_device_info *fakeEnumerate(unsigned short vendorId, unsigned short productId)
{
    g_fake->events << QStringLiteral("enumerate %1:%2")
                          .arg(vendorId, 4, 16, QChar('0'))
                          .arg(productId, 4, 16, QChar('0'));
    if (!g_fake->plugged)
        return nullptr;
    hid_device_info *first = nullptr;
    hid_device_info **link = &first;
    for (const auto &id : qAsConst(g_fake->present)) {
        if ((vendorId && vendorId != id.first) || (productId && productId != id.second))
            continue;
        auto *info = static_cast<hid_device_info *>(std::calloc(1, sizeof(hid_device_info)));
        info->path = strdup(g_fake->pathOf(id).constData());
        info->vendor_id = id.first;
        info->product_id = id.second;
        *link = info;
        link = &info->next;
    }
    if (first)
        ++g_fake->unfreedLists;
    return first;
}

void fakeFreeEnumeration(hid_device_info *devices)
{
    if (devices)
        --g_fake->unfreedLists;
    while (devices) {
        hid_device_info *next = devices->next;
        std::free(devices->path);
        std::free(devices);
        devices = next;
    }
}

hid_device *fakeOpenPath(const char *path)
{
    g_fake->events << QStringLiteral("open %1").arg(QLatin1String(path));
    bool listed = false;
    for (const auto &id : qAsConst(g_fake->present))
        listed = listed || g_fake->pathOf(id) == path;
    if (!g_fake->plugged || !listed || g_fake->openRefused)
        return nullptr;
    g_fake->events << QStringLiteral("opened");
    g_fake->infoCached = false;
    g_fake->handlePlugIn = g_fake->plugIns;
    return fakeHandle();
}

void fakeClose(hid_device *dev)
{
    checkHandle(dev);
    g_fake->events << QStringLiteral("close");
}

int fakeRead(hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    checkHandle(dev);
    ++g_fake->readCalls;
    g_fake->readTimeouts << milliseconds;
    g_fake->readSizes << length;
    if (!g_fake->handleAlive())
        return -1;
    if (g_fake->reads.isEmpty()) {
        if (g_fake->emptyReportFlood <= 0)
            return 0;
        --g_fake->emptyReportFlood;
        QThread::msleep(1);
        std::memcpy(data, report(QByteArray()).constData(),
                    std::min(length, size_t(CommUsbHid::kReportSize)));
        return CommUsbHid::kReportSize;
    }
    if (g_fake->readDelayMs > 0)
        QThread::msleep(ulong(std::min(g_fake->readDelayMs, milliseconds)));
    const ScriptedRead r = g_fake->reads.takeFirst();
    std::memcpy(data, r.bytes.constData(), std::min(length, size_t(r.bytes.size())));
    return r.result;
}

int fakeWrite(hid_device *dev, const unsigned char *data, size_t length)
{
    checkHandle(dev);
    const int index = g_fake->writes.size();
    g_fake->writes << QByteArray(reinterpret_cast<const char *>(data), int(length));
    if (!g_fake->handleAlive())
        return -1;
    if (index == g_fake->shortWriteAt)
        return g_fake->shortWriteResult;
    return int(length);
}

int fakeManufacturer(hid_device *dev, wchar_t *string, size_t maxlen)
{
    checkHandle(dev);
    ++g_fake->manufacturerCalls;
    g_fake->manufacturerRoom = maxlen;
    if (!g_fake->handleAlive() && !g_fake->infoCached)
        return -1;
    g_fake->infoCached = true; // later calls answer from this copy, plugged or not
    string[0] = L'\0';
    return 0;
}

const HidApi kFakeHidApi = {fakeEnumerate, fakeFreeEnumeration, fakeOpenPath,    fakeClose,
                            fakeRead,      fakeWrite,           fakeManufacturer};

const QPair<quint16, quint16> kFirst(0x04D8, 0x0240);
using IdList = QList<QPair<quint16, quint16>>;
const QPair<quint16, quint16> kSecond(0x0483, 0xA236);

ScriptedRead okReport(const QByteArray &payload, int lengthByte = -1)
{
    return {CommUsbHid::kReportSize, report(payload, lengthByte)};
}

QByteArray counting(int length)
{
    QByteArray data;
    for (int i = 0; i < length; ++i)
        data.append(char(i + 1));
    return data;
}

const quint8 *bytes(const QByteArray &data)
{
    return reinterpret_cast<const quint8 *>(data.constData());
}

/// The paths the installed table lists for these ids.
QList<QByteArray> listed(unsigned short vendorId, unsigned short productId)
{
    QList<QByteArray> paths;
    hid_device_info *devices = hidApi().enumerate(vendorId, productId);
    for (const hid_device_info *d = devices; d; d = d->next)
        paths << QByteArray(d->path);
    hidApi().freeEnumeration(devices);
    return paths;
}

/// Opens the first device the installed table lists with these ids.
hid_device *openListed(QPair<quint16, quint16> id)
{
    const QList<QByteArray> paths = listed(id.first, id.second);
    return paths.isEmpty() ? nullptr : hidApi().openPath(paths.first().constData());
}

/// Reads length bytes through comm; the result code goes to *result.
QByteArray readBytes(CommUsbHid &comm, int length, int *result, int timeoutMs = kTimeoutMs)
{
    QByteArray buffer(length, '\xEE');
    *result = comm.read(reinterpret_cast<quint8 *>(buffer.data()), quint32(length), timeoutMs);
    return buffer.left(std::max(*result, 0));
}

} // namespace

Q_DECLARE_METATYPE(ScriptedRead)

// ---------------------------------------------------------------------------------------
// CommUsbHid over the fake HID library
// ---------------------------------------------------------------------------------------

class TestCommUsbHid : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void writeChunks_data();
    void writeChunks();
    void writeRefused_data();
    void writeRefused();
    void shortWriteStops_data();
    void shortWriteStops();

    void readScript_data();
    void readScript();
    void readSplitsReport();
    void leftoversSurviveReopen();
    void readWithoutHandle();
    void negativeTimeoutStaysBounded();
    void emptyReportsDoNotHoldTheRead_data();
    void emptyReportsDoNotHoldTheRead();
    void payloadKeepsTheReadGoing();

    void isConnectedProbe();
    void replugNeedsReopen();
    void openTriesIdentitiesInOrder_data();
    void openTriesIdentitiesInOrder();
    void openClosesFirst();
    void refusedDeviceIsNamed_data();
    void refusedDeviceIsNamed();
    void surveyTriesEveryListedDevice_data();
    void surveyTriesEveryListedDevice();
    void udevRulesGrantEveryIdentity();

    void logIsOneLinePerEvent();
};

void TestCommUsbHid::init()
{
    g_fake = new FakeHid;
    g_fake->present << kFirst;
    setHidApi(&kFakeHidApi);
    CommUsbHid::resetRemainder();
}

void TestCommUsbHid::cleanup()
{
    setHidApi(nullptr);
    QCOMPARE(g_fake->foreignHandles, 0);
    QCOMPARE(g_fake->unfreedLists, 0);
    delete g_fake;
    g_fake = nullptr;
    CommUsbHid::resetRemainder();
}

void TestCommUsbHid::writeChunks_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QList<int>>("chunks");
    QTest::newRow("1 byte") << 1 << QList<int>{1};
    QTest::newRow("7 bytes: one full report") << 7 << QList<int>{7};
    QTest::newRow("8 bytes: 7 + 1") << 8 << QList<int>{7, 1};
    QTest::newRow("14 bytes: 7 + 7") << 14 << QList<int>{7, 7};
    QTest::newRow("20 bytes: 7 + 7 + 6") << 20 << QList<int>{7, 7, 6};
}

void TestCommUsbHid::writeChunks()
{
    QFETCH(int, length);
    QFETCH(QList<int>, chunks);
    CommUsbHid comm;
    QVERIFY(comm.openFirst());
    const QByteArray data = counting(length);

    QCOMPARE(comm.write(bytes(data), quint32(length)), length);

    QCOMPARE(g_fake->writes.size(), chunks.size());
    QByteArray sent;
    for (int i = 0; i < chunks.size(); ++i) {
        const QByteArray &w = g_fake->writes.at(i);
        QCOMPARE(w.size(), CommUsbHid::kOutputReportSize);
        QCOMPARE(int(w.at(0)), 0); // report id
        QCOMPARE(int(w.at(1)), chunks.at(i));
        sent += w.mid(2, chunks.at(i));
    }
    QCOMPARE(sent, data);
}

void TestCommUsbHid::writeRefused_data()
{
    QTest::addColumn<bool>("nullData");
    QTest::addColumn<quint32>("length");
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("expected");
    QTest::newRow("null data") << true << quint32(5) << true << -1;
    QTest::newRow("length 0") << false << quint32(0) << true << 0;
    QTest::newRow("length 0, closed") << false << quint32(0) << false << 0;
    QTest::newRow("closed") << false << quint32(5) << false << -1;
    // A length that does not fit the signed result must not come back as a "count".
    QTest::newRow("length beyond signed range") << false << quint32(0x80000000u) << true << -1;
    QTest::newRow("length all ones") << false << quint32(0xFFFFFFFFu) << true << -1;
}

void TestCommUsbHid::writeRefused()
{
    QFETCH(bool, nullData);
    QFETCH(quint32, length);
    QFETCH(bool, open);
    QFETCH(int, expected);
    CommUsbHid comm;
    if (open)
        QVERIFY(comm.openFirst());
    const QByteArray data = counting(8);

    QCOMPARE(comm.write(nullData ? nullptr : bytes(data), length), expected);
    QVERIFY(g_fake->writes.isEmpty());
}

void TestCommUsbHid::shortWriteStops_data()
{
    QTest::addColumn<int>("shortAt");
    QTest::addColumn<int>("result");
    QTest::newRow("first report fails") << 0 << -1;
    QTest::newRow("second report short") << 1 << 8;
    QTest::newRow("last report writes nothing") << 2 << 0;
}

void TestCommUsbHid::shortWriteStops()
{
    QFETCH(int, shortAt);
    QFETCH(int, result);
    CommUsbHid comm;
    QVERIFY(comm.openFirst());
    g_fake->shortWriteAt = shortAt;
    g_fake->shortWriteResult = result;
    const QByteArray data = counting(20); // three reports

    QCOMPARE(comm.write(bytes(data), 20), -1);
    QCOMPARE(g_fake->writes.size(), shortAt + 1);
}

void TestCommUsbHid::readScript_data()
{
    QTest::addColumn<ReadScript>("script");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("readCalls");
    QTest::addColumn<int>("remainder");

    QTest::newRow("one report") << ReadScript{okReport("abc")} << 3 << 3 << QByteArray("abc") << 1 << 0;
    QTest::newRow("three reports") << ReadScript{okReport("abcdefg"), okReport("hijklmn"), okReport("op")}
                                   << 16 << 16 << QByteArray("abcdefghijklmnop") << 3 << 0;
    QTest::newRow("report longer than wanted")
        << ReadScript{okReport("abcdefg")} << 5 << 5 << QByteArray("abcde") << 1 << 2;
    QTest::newRow("empty report skipped")
        << ReadScript{okReport(""), okReport("abc")} << 3 << 3 << QByteArray("abc") << 2 << 0;
    QTest::newRow("timeout before any report") << ReadScript{} << 4 << 0 << QByteArray() << 1 << 0;
    QTest::newRow("timeout after one report")
        << ReadScript{okReport("abcdefg")} << 10 << 7 << QByteArray("abcdefg") << 2 << 0;
    QTest::newRow("length byte 8") << ReadScript{okReport("abcdefg", 8)} << 4 << -1 << QByteArray() << 1 << 0;
    QTest::newRow("length byte 255") << ReadScript{okReport("abcdefg", 255)} << 4 << -1 << QByteArray() << 1
                                     << 0;
    QTest::newRow("length byte 8 after a good report")
        << ReadScript{okReport("ab"), okReport("cdefghi", 8)} << 4 << -1 << QByteArray() << 2 << 0;
    QTest::newRow("read error") << ReadScript{{-1, QByteArray()}} << 4 << -1 << QByteArray() << 1 << 0;
    QTest::newRow("read error after a report")
        << ReadScript{okReport("ab"), {-1, QByteArray()}} << 4 << -1 << QByteArray() << 2 << 0;
    QTest::newRow("short report") << ReadScript{{5, report("abcd")}} << 4 << -1 << QByteArray() << 1 << 0;
}

void TestCommUsbHid::readScript()
{
    QFETCH(ReadScript, script);
    QFETCH(int, length);
    QFETCH(int, result);
    QFETCH(QByteArray, data);
    QFETCH(int, readCalls);
    QFETCH(int, remainder);
    CommUsbHid comm;
    QVERIFY(comm.openFirst());
    g_fake->reads = script;

    int got = 0;
    const QByteArray read = readBytes(comm, length, &got);
    QCOMPARE(got, result);
    QCOMPARE(read, data);
    QCOMPARE(g_fake->readCalls, readCalls);
    QCOMPARE(int(CommUsbHid::remainderCount()), remainder);
    // Each report is awaited for at most the timeout (these come at once, so the whole wait
    // is left for each); every report is read whole.
    for (int timeout : qAsConst(g_fake->readTimeouts))
        QVERIFY2(timeout > kTimeoutMs / 2 && timeout <= kTimeoutMs, qPrintable(QString::number(timeout)));
    for (size_t size : qAsConst(g_fake->readSizes))
        QCOMPARE(int(size), CommUsbHid::kReportSize);
}

void TestCommUsbHid::readSplitsReport()
{
    CommUsbHid comm;
    QVERIFY(comm.openFirst());
    g_fake->reads = {okReport("abcdefg"), okReport("hij")};

    int got = 0;
    QCOMPARE(readBytes(comm, 4, &got), QByteArray("abcd"));
    QCOMPARE(got, 4);
    QCOMPARE(readBytes(comm, 3, &got), QByteArray("efg"));
    QCOMPARE(got, 3);
    QCOMPARE(g_fake->readCalls, 1); // the rest came from the remainder
    // The next read starts on a fresh report.
    QCOMPARE(readBytes(comm, 3, &got), QByteArray("hij"));
    QCOMPARE(g_fake->readCalls, 2);
}

void TestCommUsbHid::leftoversSurviveReopen()
{
    int got = 0;
    {
        CommUsbHid comm;
        QVERIFY(comm.openFirst());
        g_fake->reads = {okReport("abcdefg"), okReport("xyz")};
        QCOMPARE(readBytes(comm, 3, &got), QByteArray("abc"));
        comm.close();
        QVERIFY(comm.open());
        QCOMPARE(readBytes(comm, 2, &got), QByteArray("de"));
        QCOMPARE(g_fake->readCalls, 1);
    }
    // The remainder belongs to the process: a new transport gets the tail first, then
    // goes on with the next report.
    CommUsbHid other;
    QVERIFY(other.openFirst());
    QCOMPARE(readBytes(other, 4, &got), QByteArray("fgxy"));
    QCOMPARE(got, 4);
    QCOMPARE(g_fake->readCalls, 2);
}

void TestCommUsbHid::readWithoutHandle()
{
    CommUsbHid comm;
    QVERIFY(comm.openFirst());
    g_fake->reads = {okReport("abcdefg")};
    int got = 0;
    QCOMPARE(readBytes(comm, 2, &got), QByteArray("ab"));
    comm.close();

    // What the remainder holds is delivered without the device; needing more fails.
    QCOMPARE(readBytes(comm, 2, &got), QByteArray("cd"));
    QCOMPARE(got, 2);
    readBytes(comm, 4, &got);
    QCOMPARE(got, -1);
    QCOMPARE(g_fake->readCalls, 1);
    QCOMPARE(comm.read(nullptr, 0, kTimeoutMs), 0);
}

void TestCommUsbHid::negativeTimeoutStaysBounded()
{
    // hidapi waits forever on a negative timeout; the transport polls instead.
    CommUsbHid comm;
    QVERIFY(comm.openFirst());
    int got = 0;
    readBytes(comm, 1, &got, -1);
    QCOMPARE(got, 0);
    QCOMPARE(g_fake->readTimeouts, QList<int>{0});
}

void TestCommUsbHid::emptyReportsDoNotHoldTheRead_data()
{
    QTest::addColumn<ReadScript>("script");
    QTest::addColumn<int>("result");
    QTest::newRow("nothing but empty reports") << ReadScript{} << 0;
    QTest::newRow("a payload report, then empty ones") << ReadScript{okReport("ab")} << 2;
}

void TestCommUsbHid::emptyReportsDoNotHoldTheRead()
{
    // A device that keeps sending empty reports gets the read's timeout once, not per report.
    QFETCH(ReadScript, script);
    QFETCH(int, result);
    constexpr int kReadTimeoutMs = 100;
    constexpr int kSlackMs = 400;
    CommUsbHid comm;
    QVERIFY(comm.openFirst());
    g_fake->reads = script;
    g_fake->emptyReportFlood = 5000; // about 5 s of empty reports

    QElapsedTimer timer;
    timer.start();
    int got = 0;
    readBytes(comm, 4, &got, kReadTimeoutMs);
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(got, result);
    QVERIFY2(elapsed < kReadTimeoutMs + kSlackMs, qPrintable(QString::number(elapsed)));
    QVERIFY(g_fake->emptyReportFlood > 0);
}

void TestCommUsbHid::payloadKeepsTheReadGoing()
{
    // A slow device: each report with payload gives it the whole timeout again, so a long
    // message is read whole even though it takes longer than one timeout.
    constexpr int kReadTimeoutMs = 100;
    constexpr int kReportGapMs = 60;
    CommUsbHid comm;
    QVERIFY(comm.openFirst());
    g_fake->reads = {okReport("ab"), okReport("cd"), okReport("ef"), okReport("gh"), okReport("ij")};
    g_fake->readDelayMs = kReportGapMs;

    QElapsedTimer timer;
    timer.start();
    int got = 0;
    QCOMPARE(readBytes(comm, 10, &got, kReadTimeoutMs), QByteArray("abcdefghij"));
    QCOMPARE(got, 10);
    QVERIFY(timer.elapsed() >= 4 * kReportGapMs);
}

void TestCommUsbHid::isConnectedProbe()
{
    CommUsbHid comm;
    QVERIFY(!comm.isConnected());
    QCOMPARE(g_fake->manufacturerCalls, 0);

    QVERIFY(comm.openFirst());
    QVERIFY(comm.isConnected());
    QCOMPARE(int(g_fake->manufacturerRoom), CommUsbHid::kManufacturerChars);
    QVERIFY(comm.isConnected()); // the device information now comes from hidapi's copy

    g_fake->plugged = false; // cable pulled: the handle is kept until the owner closes
    QVERIFY(!comm.isConnected());
    QVERIFY(comm.hasHandle());
    int got = 0;
    readBytes(comm, 4, &got);
    QCOMPARE(got, -1);
    const QByteArray data = counting(4);
    QCOMPARE(comm.write(bytes(data), 4), -1);

    comm.close();
    QVERIFY(!comm.isConnected());
    QVERIFY(comm.path().isEmpty());
}

void TestCommUsbHid::replugNeedsReopen()
{
    // Out and back in between two looks: the old handle is dead, the device is back at a new
    // path, and only a new open finds it.
    CommUsbHid comm;
    QVERIFY(comm.openFirst());
    QVERIFY(comm.isConnected());
    const QByteArray oldPath = comm.path();
    QCOMPARE(oldPath, g_fake->pathOf(kFirst));
    g_fake->plugged = false;
    g_fake->replug();

    QVERIFY(!comm.isConnected());
    const QByteArray data = counting(4);
    QCOMPARE(comm.write(bytes(data), 4), -1);
    QVERIFY(comm.open());
    QVERIFY(comm.path() != oldPath);
    QVERIFY(comm.isConnected());
    QCOMPARE(comm.write(bytes(data), 4), 4);
}

void TestCommUsbHid::openTriesIdentitiesInOrder_data()
{
    QTest::addColumn<bool>("firstPresent");
    QTest::addColumn<bool>("secondPresent");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("both present: first wins")
        << true << true << true << QStringList{"enumerate 04d8:0240", "open hid:04d8:0240:0", "opened"};
    QTest::newRow("only second") << false << true << true
                                 << QStringList{"enumerate 04d8:0240", "enumerate 0483:a236",
                                                "open hid:0483:a236:0", "opened"};
    QTest::newRow("none") << false << false << false
                          << QStringList{"enumerate 04d8:0240", "enumerate 0483:a236"};
}

void TestCommUsbHid::openTriesIdentitiesInOrder()
{
    QFETCH(bool, firstPresent);
    QFETCH(bool, secondPresent);
    QFETCH(bool, result);
    QFETCH(QStringList, events);
    g_fake->present.clear();
    if (firstPresent)
        g_fake->present << kFirst;
    if (secondPresent)
        g_fake->present << kSecond;
    CommUsbHid comm;

    QCOMPARE(comm.openFirst(), result);
    QCOMPARE(g_fake->events, events);
    QCOMPARE(comm.hasHandle(), result);
    if (result) {
        const auto opened = firstPresent ? kFirst : kSecond;
        QCOMPARE(comm.vendorId(), opened.first);
        QCOMPARE(comm.productId(), opened.second);
    }
}

void TestCommUsbHid::openClosesFirst()
{
    g_fake->present << kSecond;
    {
        CommUsbHid comm;
        QCOMPARE(comm.linkCode(), kLinkUsb);
        QVERIFY(!comm.open()); // no ids stored yet
        QVERIFY(comm.open(kFirst.first, kFirst.second));
        QVERIFY(comm.open(kSecond.first, kSecond.second));
        QVERIFY(comm.open()); // reopens with the stored ids
        QCOMPARE(comm.vendorId(), kSecond.first);
        QCOMPARE(comm.productId(), kSecond.second);
        g_fake->present.clear();
        QVERIFY(!comm.open()); // the old handle is closed even when the new open fails
        QVERIFY(!comm.hasHandle());
        QCOMPARE(comm.close(), 0);
        QVERIFY(comm.open(kFirst.first, kFirst.second) == false);
        g_fake->present << kFirst;
        QVERIFY(comm.open());
        QCOMPARE(comm.close(), 0);
        QCOMPARE(comm.close(), 0);
        QVERIFY(comm.open());
    } // the destructor closes
    // Without ids nothing is enumerated: hidapi would take 0 for "any device".
    const QString first = "open hid:04d8:0240:0";
    const QString second = "open hid:0483:a236:0";
    QCOMPARE(g_fake->events, (QStringList{"enumerate 04d8:0240",
                                          first,
                                          "opened",
                                          "close",
                                          "enumerate 0483:a236",
                                          second,
                                          "opened",
                                          "close",
                                          "enumerate 0483:a236",
                                          second,
                                          "opened",
                                          "close",
                                          "enumerate 0483:a236",
                                          "enumerate 04d8:0240",
                                          "enumerate 04d8:0240",
                                          first,
                                          "opened",
                                          "close",
                                          "enumerate 04d8:0240",
                                          first,
                                          "opened",
                                          "close"}));
}

void TestCommUsbHid::logIsOneLinePerEvent()
{
    const LogRecorder log;
    const QString path = QStringLiteral("hid:04d8:0240:0");
    {
        CommUsbHid comm;
        // A device that can't be opened, found again by every poll: said once.
        g_fake->openRefused = true;
        for (int i = 0; i < 3; ++i)
            QVERIFY(!comm.open(kFirst.first, kFirst.second));
        g_fake->openRefused = false;
        QVERIFY(comm.open());

        // An answer in many reports: no line per report.
        g_fake->reads << okReport("\x01\x02\x03\x04\x05\x06\x07") << okReport("\x08\x09\x0A\x0B\x0C\x0D\x0E")
                      << okReport("\x0F");
        int result = 0;
        readBytes(comm, 15, &result);
        QCOMPARE(result, 15);

        // A device that does not answer.
        readBytes(comm, 4, &result);
        QCOMPARE(result, 0);

        // The cable is pulled; the poll asks again and again.
        g_fake->plugged = false;
        for (int i = 0; i < 3; ++i)
            QVERIFY(!comm.isConnected());
    }
    QStringList lines = log.lines("pelm.usb");
    QCOMPARE(lines.size(), 5);
    QVERIFY2(lines[2].startsWith("read timeout: 0 of 4 bytes after "), qPrintable(lines[2]));
    QVERIFY2(lines[2].endsWith(" ms"), qPrintable(lines[2]));
    lines.removeAt(2);
    QCOMPARE(lines, (QStringList{
                        "can't open 04d8:0240 at " + path + " (no access to the device file?)",
                        "opened 04d8:0240 at " + path,
                        "04d8:0240 at " + path + " is no longer listed: unplugged",
                        "closed " + path,
                    }));
}

// ---------------------------------------------------------------------------------------
// The simulator's USB plug
// ---------------------------------------------------------------------------------------

class TestSimUsbHid : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void inputReports_data();
    void inputReports();
    void requestAssembledAcrossReports();
    void bufferSizeThroughTransport();
    void twoRequestsInOneMessage();
    void longRequestAndAnswer();
    void malformedReports();
    void identities();
    void enumerationFollowsThePlug();
    void deviceInfoOutlivesTheDevice();
    void unplugKillsHandle();
    void uninstallRestores();

private:
    SimDevice *m_device = nullptr;
};

void TestSimUsbHid::init()
{
    m_device = new SimDevice;
    SimUsbHid::install(m_device);
    CommUsbHid::resetRemainder();
}

void TestSimUsbHid::cleanup()
{
    SimUsbHid::uninstall();
    delete m_device;
    m_device = nullptr;
    CommUsbHid::resetRemainder();
}

void TestSimUsbHid::inputReports_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QList<int>>("chunks");
    QTest::newRow("empty") << 0 << QList<int>{};
    QTest::newRow("6 bytes") << 6 << QList<int>{6};
    QTest::newRow("7 bytes") << 7 << QList<int>{7};
    QTest::newRow("20 bytes") << 20 << QList<int>{7, 7, 6};
}

void TestSimUsbHid::inputReports()
{
    QFETCH(int, length);
    QFETCH(QList<int>, chunks);
    const QByteArray message = counting(length);

    const QList<QByteArray> reports = SimUsbHid::toInputReports(message);
    QCOMPARE(reports.size(), chunks.size());
    QByteArray joined;
    for (int i = 0; i < reports.size(); ++i) {
        const QByteArray &r = reports.at(i);
        QCOMPARE(r.size(), CommUsbHid::kReportSize);
        QCOMPARE(int(r.at(0)), chunks.at(i));
        QCOMPARE(r.mid(1 + chunks.at(i)), QByteArray(CommUsbHid::kReportSize - 1 - chunks.at(i), '\0'));
        joined += r.mid(1, chunks.at(i));
    }
    QCOMPARE(joined, message);
}

void TestSimUsbHid::requestAssembledAcrossReports()
{
    // Drive the table directly: the request comes one byte per report.
    const HidApi &api = hidApi();
    hid_device *dev = openListed(kFirst);
    QVERIFY(dev);
    const QByteArray request = QByteArray::fromHex("75030000");
    unsigned char out[CommUsbHid::kOutputReportSize] = {};
    unsigned char in[CommUsbHid::kReportSize] = {};
    for (int i = 0; i < request.size(); ++i) {
        QCOMPARE(SimUsbHid::requestCount(), 0);
        QCOMPARE(api.readTimeout(dev, in, sizeof in, kTimeoutMs), 0); // nothing yet
        out[1] = 1;
        out[2] = quint8(request.at(i));
        QCOMPARE(api.write(dev, out, sizeof out), CommUsbHid::kOutputReportSize);
    }
    QCOMPARE(SimUsbHid::requestCount(), 1);
    QCOMPARE(SimUsbHid::pendingReports(), 1);

    QCOMPARE(api.readTimeout(dev, in, sizeof in, kTimeoutMs), CommUsbHid::kReportSize);
    QCOMPARE(int(in[0]), 6);
    QCOMPARE(int(in[1]), int(kLinkUsb));
    QCOMPARE(int(in[3]), 2);
    QCOMPARE(int(in[4]), 0);
    QCOMPARE(SimUsbHid::pendingReports(), 0);
    api.close(dev);
}

void TestSimUsbHid::bufferSizeThroughTransport()
{
    CommUsbHid comm;
    QVERIFY(comm.openFirst());
    QVERIFY(comm.isConnected());
    const QByteArray request = QByteArray::fromHex("75030000");
    QCOMPARE(comm.write(bytes(request), 4), 4);

    int got = 0;
    const QByteArray header = readBytes(comm, 4, &got);
    QCOMPARE(got, 4);
    QCOMPARE(quint8(header.at(0)), kLinkUsb);
    QCOMPARE(header.mid(2), QByteArray::fromHex("0200"));
    const QByteArray size = readBytes(comm, 2, &got);
    QCOMPARE(got, 2);
    QVERIFY((quint8(size.at(0)) | (quint8(size.at(1)) << 8)) > 0);

    // Nothing more comes: the read times out at once with nothing copied.
    QElapsedTimer timer;
    timer.start();
    readBytes(comm, 1, &got, 5000);
    QCOMPARE(got, 0);
    QVERIFY(timer.elapsed() < 1000);
}

void TestSimUsbHid::twoRequestsInOneMessage()
{
    // 8 bytes go out as reports of 7 and 1: the second request spans both reports; the two
    // 6-byte answers come back as two reports the reader stitches into one 12-byte read.
    CommUsbHid comm;
    QVERIFY(comm.openFirst());
    const QByteArray requests = QByteArray::fromHex("7503000075030000");
    QCOMPARE(comm.write(bytes(requests), 8), 8);
    QCOMPARE(SimUsbHid::requestCount(), 2);
    QCOMPARE(SimUsbHid::pendingReports(), 2);

    int got = 0;
    const QByteArray answers = readBytes(comm, 12, &got);
    QCOMPARE(got, 12);
    QCOMPARE(answers.mid(6, 6), answers.left(6));
    QCOMPARE(quint8(answers.at(6)), kLinkUsb);
    QCOMPARE(answers.mid(8, 2), QByteArray::fromHex("0200"));
}

void TestSimUsbHid::longRequestAndAnswer()
{
    // A 14-byte request (two output reports) reaches the device whole; a 24-byte answer
    // comes back as four input reports (7, 7, 7, 3) and reads back whole.
    const QByteArray request = QByteArray::fromHex("75060a00") + counting(10);
    const QByteArray answer = SimDevice::answer(kLinkUsb, 1, counting(20));
    m_device->scriptAnswers(kCmdModuleWrite, {answer});
    CommUsbHid comm;
    QVERIFY(comm.openFirst());

    QCOMPARE(comm.write(bytes(request), quint32(request.size())), request.size());
    QCOMPARE(SimUsbHid::requestCount(), 1);
    QCOMPARE(m_device->requests().value(0), request);
    QCOMPARE(SimUsbHid::pendingReports(), 4);

    int got = 0;
    QCOMPARE(readBytes(comm, answer.size(), &got), answer);
    QCOMPARE(got, answer.size());
    QCOMPARE(SimUsbHid::pendingReports(), 0);
}

void TestSimUsbHid::malformedReports()
{
    const HidApi &api = hidApi();
    hid_device *dev = openListed(kFirst);
    QVERIFY(dev);
    unsigned char out[CommUsbHid::kOutputReportSize] = {0, 8, 0x75, 0x03, 0, 0};
    // A length byte above 7 is dropped by the device; the write itself goes through.
    QCOMPARE(api.write(dev, out, sizeof out), CommUsbHid::kOutputReportSize);
    // Not a 9-byte report, or a report id other than 0: refused.
    out[1] = 4;
    QCOMPARE(api.write(dev, out, sizeof out - 1), -1);
    out[0] = 1;
    QCOMPARE(api.write(dev, out, sizeof out), -1);
    QCOMPARE(SimUsbHid::requestCount(), 0);
    // The dropped report left no stray bytes: a clean request is answered.
    out[0] = 0;
    QCOMPARE(api.write(dev, out, sizeof out), CommUsbHid::kOutputReportSize);
    QCOMPARE(SimUsbHid::requestCount(), 1);
    api.close(dev);
}

void TestSimUsbHid::identities()
{
    const HidApi &api = hidApi();
    QCOMPARE(listed(0, 0).size(), int(CommUsbHid::kIdentities.size()));
    for (const UsbHidIdentity &id : CommUsbHid::kIdentities) {
        QCOMPARE(listed(id.vendorId, 0).size(), 1);
        hid_device *dev = openListed(qMakePair(id.vendorId, id.productId));
        QVERIFY(dev);
        api.close(dev);
    }
    QVERIFY(listed(0x1234, 0x5678).isEmpty());
    QVERIFY(!api.openPath("/dev/hidraw0"));
}

void TestSimUsbHid::enumerationFollowsThePlug()
{
    const HidApi &api = hidApi();
    const QList<QByteArray> before = listed(kFirst.first, kFirst.second);
    QCOMPARE(before.size(), 1);
    m_device->setPlugged(false);
    QVERIFY(listed(0, 0).isEmpty());
    QVERIFY(!api.openPath(before.first().constData()));

    // Back in: a new device node; the old path means nothing any more.
    m_device->setPlugged(true);
    const QList<QByteArray> after = listed(kFirst.first, kFirst.second);
    QCOMPARE(after.size(), 1);
    QVERIFY(after.first() != before.first());
    QVERIFY(!api.openPath(before.first().constData()));
    hid_device *dev = api.openPath(after.first().constData());
    QVERIFY(dev);
    api.close(dev);
}

void TestSimUsbHid::deviceInfoOutlivesTheDevice()
{
    // As hidapi 0.13: the manufacturer string is read once per handle and answered from that
    // copy afterwards, while reads and writes on the handle fail.
    const HidApi &api = hidApi();
    hid_device *dev = openListed(kFirst);
    QVERIFY(dev);
    wchar_t text[CommUsbHid::kManufacturerChars] = {};
    QCOMPARE(api.getManufacturerString(dev, text, CommUsbHid::kManufacturerChars), 0);
    QVERIFY(std::wcslen(text) > 0);
    m_device->setPlugged(false);
    QCOMPARE(api.getManufacturerString(dev, text, CommUsbHid::kManufacturerChars), 0);
    unsigned char in[CommUsbHid::kReportSize] = {};
    QCOMPARE(api.readTimeout(dev, in, sizeof in, kTimeoutMs), -1);
    api.close(dev);

    // A handle that never read it has nothing to answer from.
    m_device->setPlugged(true);
    dev = openListed(kFirst);
    QVERIFY(dev);
    m_device->setPlugged(false);
    QCOMPARE(api.getManufacturerString(dev, text, CommUsbHid::kManufacturerChars), -1);
    api.close(dev);
}

void TestSimUsbHid::unplugKillsHandle()
{
    CommUsbHid comm;
    QVERIFY(comm.openFirst());
    const QByteArray request = QByteArray::fromHex("75030000");
    QCOMPARE(comm.write(bytes(request), 4), 4);
    QVERIFY(comm.isConnected());

    m_device->setPlugged(false);
    QVERIFY(!comm.isConnected());
    int got = 0;
    readBytes(comm, 4, &got);
    QCOMPARE(got, -1);
    QCOMPARE(comm.write(bytes(request), 4), -1);
    QVERIFY(!comm.open());

    // Plugged back: a handle from before the unplug stays dead until reopened.
    m_device->setPlugged(true);
    CommUsbHid stale;
    QVERIFY(stale.openFirst());
    QVERIFY(stale.isConnected());
    m_device->setPlugged(false);
    m_device->setPlugged(true);
    QVERIFY(!stale.isConnected());
    QCOMPARE(stale.write(bytes(request), 4), -1);
    QVERIFY(stale.open());
    QVERIFY(stale.isConnected());
    QCOMPARE(stale.write(bytes(request), 4), 4);
    readBytes(stale, 6, &got);
    QCOMPARE(got, 6);
}

void TestSimUsbHid::uninstallRestores()
{
    QVERIFY(SimUsbHid::isInstalled());
    QCOMPARE(SimUsbHid::device(), m_device);
    SimUsbHid::uninstall();
    QVERIFY(!SimUsbHid::isInstalled());
    QVERIFY(!SimUsbHid::device());
    SimUsbHid::install(m_device); // cleanup uninstalls again
}

void TestCommUsbHid::refusedDeviceIsNamed_data()
{
    QTest::addColumn<IdList>("present");
    QTest::addColumn<bool>("openRefused");
    QTest::addColumn<QString>("refusedIds"); // empty: no device refused
    QTest::newRow("first identity refused") << IdList{kFirst} << true << "04d8:0240";
    QTest::newRow("second identity refused") << IdList{kSecond} << true << "0483:a236";
    QTest::newRow("both refused: the first is named") << IdList{kFirst, kSecond} << true << "04d8:0240";
    QTest::newRow("opens") << IdList{kFirst} << false << QString();
    QTest::newRow("nothing plugged in") << IdList{} << true << QString();
}

void TestCommUsbHid::refusedDeviceIsNamed()
{
    // A device the enumeration lists but this user may not open: the transport says which,
    // so the user can be told instead of seeing nothing at all.
    QFETCH(IdList, present);
    QFETCH(bool, openRefused);
    QFETCH(QString, refusedIds);
    g_fake->present = present;
    g_fake->openRefused = openRefused;
    CommUsbHid comm;

    QCOMPARE(comm.openFirst(), !openRefused && !present.isEmpty());
    QCOMPARE(comm.refused().isNull(), refusedIds.isEmpty());
    if (!refusedIds.isEmpty()) {
        QCOMPARE(comm.refused().ids(), refusedIds);
        QCOMPARE(comm.refused().path, g_fake->pathOf(present.first()));
        QVERIFY(!comm.refused().opens);
    }

    // A later open that succeeds forgets the refusal.
    g_fake->present = {kFirst};
    g_fake->openRefused = false;
    QVERIFY(comm.openFirst());
    QVERIFY(comm.refused().isNull());
}

void TestCommUsbHid::surveyTriesEveryListedDevice_data()
{
    QTest::addColumn<bool>("openRefused");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("both open") << false
                               << QStringList{
                                      "enumerate 04d8:0240", "open hid:04d8:0240:0", "opened", "close",
                                      "enumerate 0483:a236", "open hid:0483:a236:0", "opened", "close"};
    QTest::newRow("both refused") << true
                                  << QStringList{"enumerate 04d8:0240", "open hid:04d8:0240:0",
                                                 "enumerate 0483:a236", "open hid:0483:a236:0"};
}

void TestCommUsbHid::surveyTriesEveryListedDevice()
{
    QFETCH(bool, openRefused);
    QFETCH(QStringList, events);
    g_fake->present = {kSecond, kFirst}; // the enumeration's order is not the identities' order
    g_fake->openRefused = openRefused;

    const QList<UsbHidDevice> found = CommUsbHid::survey();
    QCOMPARE(found.size(), 2);
    QCOMPARE(found[0].ids(), QStringLiteral("04d8:0240"));
    QCOMPARE(found[0].path, g_fake->pathOf(kFirst));
    QCOMPARE(found[1].ids(), QStringLiteral("0483:a236"));
    QCOMPARE(found[1].path, g_fake->pathOf(kSecond));
    QCOMPARE(found[0].opens, !openRefused);
    QCOMPARE(found[1].opens, !openRefused);
    QCOMPARE(g_fake->events, events); // every handle opened is closed again

    g_fake->plugged = false;
    QVERIFY(CommUsbHid::survey().isEmpty());
}

void TestCommUsbHid::udevRulesGrantEveryIdentity()
{
    // The rules file the package installs must let the user at the seat open the hidraw node
    // of every identity the transport tries, and name no other device.
    QFile rules(QStringLiteral(PELM_SOURCE_DIR "/packaging/linux/70-pelm-configurator.rules"));
    QVERIFY2(rules.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(rules.fileName()));
    const QRegularExpression rule(
        QStringLiteral("^SUBSYSTEM==\"hidraw\", ATTRS\\{idVendor\\}==\"([0-9a-f]{4})\", "
                       "ATTRS\\{idProduct\\}==\"([0-9a-f]{4})\", TAG\\+=\"uaccess\"$"));
    QStringList granted;
    while (!rules.atEnd()) {
        const QString line = QString::fromUtf8(rules.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QRegularExpressionMatch m = rule.match(line);
        QVERIFY2(m.hasMatch(), qPrintable("not a hidraw uaccess rule: " + line));
        granted << m.captured(1) + QLatin1Char(':') + m.captured(2);
    }
    QStringList identities;
    for (const UsbHidIdentity &id : CommUsbHid::kIdentities)
        identities << UsbHidDevice{id.vendorId, id.productId, {}, {}, false}.ids();
    QCOMPARE(granted, identities);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int status = 0;
    TestCommUsbHid usb;
    status |= QTest::qExec(&usb, argc, argv);
    TestSimUsbHid sim;
    status |= QTest::qExec(&sim, argc, argv);
    return status;
}

#include "tst_usbhid.moc"

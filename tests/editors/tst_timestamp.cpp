// Timestamp widget: the clock action values it sends (set, shift, read), what it shows from the
// device's answer, and the local one-second tick.

#include "common/Clock.h"
#include "editors/WdgTimeStamp.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

#include <functional>

namespace {

/// A device object stand-in: records every action value and answers from a queue.
class FakeClockDevice : public ClockDevice
{
public:
    bool online = true;
    QList<QByteArray> sent;
    QList<int> timeouts;
    QList<QByteArray> answers;            ///< answer of each action in turn; empty when the queue is empty
    std::function<void()> duringExchange; ///< runs inside each exchange (nested event loop stand-in)

    bool hasTransport() const override { return online; }
    QByteArray runAction(const QByteArray &value, int timeoutMs) override
    {
        sent.append(value);
        timeouts.append(timeoutMs);
        if (duringExchange)
            duringExchange();
        return answers.isEmpty() ? QByteArray() : answers.takeFirst();
    }
};

QLabel *timeLabel(WdgTimeStamp &w)
{
    return w.findChild<QLabel *>(QStringLiteral("timeStampLabel"));
}
QSpinBox *offsetBox(WdgTimeStamp &w)
{
    return w.findChild<QSpinBox *>(QStringLiteral("adjustSpinBox"));
}
QPushButton *adjustButton(WdgTimeStamp &w)
{
    return w.findChild<QPushButton *>(QStringLiteral("adjsutButton"));
}

QString shown(const QDateTime &utc)
{
    return QLocale().toString(utc.toLocalTime(), QLocale::LongFormat);
}

// 2024-03-01 12:00:00 UTC = 1709294400 s = 0x65E1C340.
const QDateTime kNow(QDate(2024, 3, 1), QTime(12, 0, 0), Qt::UTC);
const QByteArray kNowLe = QByteArray::fromHex("40C3E165");

} // namespace

class TestTimeStamp : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setFixed(kNow); }
    void cleanup() { Clock::setFixed(QDateTime()); }

    void offlineSendsNothing();
    void initDateSetsThenReads();
    void adjustDateSendsOffset_data();
    void adjustDateSendsOffset();
    void readAnswer_data();
    void readAnswer();
    void tickAdvancesShownTime();
    void tickRunsWithTheTimer();
    void buttonAsksThePage();
    void clickDuringExchangeStartsNoSecondExchange();
};

void TestTimeStamp::offlineSendsNothing()
{
    WdgTimeStamp w;
    FakeClockDevice offline;
    offline.online = false;
    offline.answers = {kNowLe, kNowLe, kNowLe};

    for (ClockDevice *device : {static_cast<ClockDevice *>(nullptr), static_cast<ClockDevice *>(&offline)}) {
        w.initDate(device);
        w.adjustDate(device);
        w.readDate(device);
    }
    QVERIFY(offline.sent.isEmpty());
    QCOMPARE(timeLabel(w)->text(), QStringLiteral("No Date"));
    QVERIFY(!w.deviceTime().isValid());
    QVERIFY(!w.isTicking());
}

void TestTimeStamp::initDateSetsThenReads()
{
    WdgTimeStamp w;
    FakeClockDevice device;
    const QDateTime deviceNow = kNow.addSecs(5);
    device.answers = {QByteArray(), QByteArray::fromHex("45C3E165")}; // set: no result; read: now + 5 s

    w.initDate(&device);

    QCOMPARE(device.sent, (QList<QByteArray>{QByteArray::fromHex("08") + kNowLe, QByteArray::fromHex("08")}));
    QCOMPARE(device.timeouts, (QList<int>{500, 500}));
    QCOMPARE(w.deviceTime(), deviceNow);
    QCOMPARE(w.deviceTime().timeSpec(), Qt::LocalTime);
    QCOMPARE(timeLabel(w)->text(), shown(deviceNow));
    QVERIFY(w.isTicking());
}

void TestTimeStamp::adjustDateSendsOffset_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("-5 s") << -5
                          << QByteArray::fromHex("08"
                                                 "FBFF");
    QTest::newRow("0 s") << 0
                         << QByteArray::fromHex("08"
                                                "0000");
    QTest::newRow("+99 s") << 99
                           << QByteArray::fromHex("08"
                                                  "6300");
    QTest::newRow("-99 s") << -99
                           << QByteArray::fromHex("08"
                                                  "9DFF");
    QTest::newRow("beyond the box is clamped") << -150
                                               << QByteArray::fromHex("08"
                                                                      "9DFF");
}

void TestTimeStamp::adjustDateSendsOffset()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, value);

    WdgTimeStamp w;
    FakeClockDevice device;
    device.answers = {QByteArray::fromHex("06"), kNowLe};
    offsetBox(w)->setValue(offset);

    w.adjustDate(&device);

    QCOMPARE(device.sent, (QList<QByteArray>{value, QByteArray::fromHex("08")}));
    QCOMPARE(device.timeouts, (QList<int>{500, 500}));
    QCOMPARE(w.deviceTime(), kNow);
    QCOMPARE(timeLabel(w)->text(), shown(kNow));
}

void TestTimeStamp::readAnswer_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QDateTime>("time"); // UTC

    QTest::newRow("start of 1970") << QByteArray::fromHex("00000000") << true
                                   << QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    QTest::newRow("little-endian seconds") << kNowLe << true << kNow;
    QTest::newRow("largest 32-bit time")
        << QByteArray::fromHex("FFFFFFFF") << true << QDateTime::fromSecsSinceEpoch(0xFFFFFFFFLL, Qt::UTC);
    QTest::newRow("extra bytes after the time") << kNowLe + QByteArray::fromHex("99") << true << kNow;
    QTest::newRow("empty answer") << QByteArray() << false << QDateTime();
    QTest::newRow("three bytes are no time") << QByteArray::fromHex("40C3E1") << false << QDateTime();
}

void TestTimeStamp::readAnswer()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, accepted);
    QFETCH(QDateTime, time);

    WdgTimeStamp w;
    FakeClockDevice device;
    device.answers = {answer};

    w.readDate(&device);

    QCOMPARE(device.sent, (QList<QByteArray>{QByteArray::fromHex("08")}));
    QCOMPARE(w.isTicking(), accepted);
    if (accepted) {
        QCOMPARE(w.deviceTime(), time);
        QCOMPARE(timeLabel(w)->text(), shown(time));
    } else {
        QVERIFY(!w.deviceTime().isValid());
        QCOMPARE(timeLabel(w)->text(), QStringLiteral("No Date"));
    }

    // A later answer that is not a time keeps what is shown and the tick.
    const QString before = timeLabel(w)->text();
    const QDateTime timeBefore = w.deviceTime();
    device.answers = {QByteArray::fromHex("0102")};
    w.readDate(&device);
    QCOMPARE(timeLabel(w)->text(), before);
    QCOMPARE(w.deviceTime(), timeBefore);
    QCOMPARE(w.isTicking(), accepted);
}

void TestTimeStamp::tickAdvancesShownTime()
{
    WdgTimeStamp w;
    FakeClockDevice device;
    device.answers = {QByteArray(), kNowLe};
    w.initDate(&device);

    for (int i = 0; i < 3; ++i)
        QVERIFY(QMetaObject::invokeMethod(&w, "_onUpdateDateTimeout"));
    QCOMPARE(w.deviceTime(), kNow.addSecs(3));
    QCOMPARE(timeLabel(w)->text(), shown(kNow.addSecs(3)));

    // A new read resynchronises with the device.
    device.answers = {QByteArray::fromHex("00000000")};
    w.readDate(&device);
    QCOMPARE(w.deviceTime(), QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
}

void TestTimeStamp::tickRunsWithTheTimer()
{
    WdgTimeStamp w;
    FakeClockDevice device;
    device.answers = {kNowLe};
    w.readDate(&device);
    QCOMPARE(w.deviceTime(), kNow);

    QTRY_COMPARE_WITH_TIMEOUT(w.deviceTime(), kNow.addSecs(1), 2 * WdgTimeStamp::kTickMs + 500);
    QCOMPARE(timeLabel(w)->text(), shown(kNow.addSecs(1)));
}

void TestTimeStamp::buttonAsksThePage()
{
    WdgTimeStamp w;
    FakeClockDevice device;
    QSignalSpy spy(&w, &WdgTimeStamp::_adjustDateSignal);
    // The page answers the request with adjustDate on its device object.
    connect(&w, &WdgTimeStamp::_adjustDateSignal, &w, [&] { w.adjustDate(&device); });
    offsetBox(w)->setValue(-5);
    device.answers = {QByteArray(), kNowLe};

    adjustButton(w)->click();

    QCOMPARE(spy.count(), 1);
    QCOMPARE(device.sent, (QList<QByteArray>{QByteArray::fromHex("08"
                                                                 "FBFF"),
                                             QByteArray::fromHex("08")}));
    QCOMPARE(w.deviceTime(), kNow);
}

void TestTimeStamp::clickDuringExchangeStartsNoSecondExchange()
{
    WdgTimeStamp w;
    FakeClockDevice device;
    connect(&w, &WdgTimeStamp::_adjustDateSignal, &w, [&] { w.adjustDate(&device); });
    // A BLE exchange waits in a local event loop, where a click can be delivered.
    bool clicked = false;
    device.duringExchange = [&] {
        if (!clicked) {
            clicked = true;
            adjustButton(w)->click();
        }
    };
    device.answers = {QByteArray(), kNowLe};

    w.initDate(&device);

    QVERIFY(clicked);
    QCOMPARE(device.sent, (QList<QByteArray>{QByteArray::fromHex("08") + kNowLe, QByteArray::fromHex("08")}));
    QCOMPARE(w.deviceTime(), kNow);
}

QTEST_MAIN(TestTimeStamp)
#include "tst_timestamp.moc"

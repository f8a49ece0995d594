// Data logging editor: frame counts, statement bounds, sample and depth maxima under the
// radio limits the device page sets, the summary texts and the 3-byte value.

#include "editors/WdgDataLoggingCfg.h"

#include <QLabel>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

namespace {

/// Radio limits exactly as the thermocouple page sets them.
struct Limits
{
    int frameBytes;
    unsigned framesPerHour;
    unsigned alternative;
};
const Limits kSigfox{12, 6, 0};
const Limits kSigfoxTimestamp{8, 6, 0};
const Limits kLoRaWan{51, 15, 60};
const Limits kLoRaWanTimestamp{47, 15, 60};

constexpr unsigned kPageShortestMin = 1;
constexpr unsigned kPageLongestMin = 15300;

void applyLimits(WdgDataLoggingCfg &w, const Limits &l)
{
    w.setMaxFrameSize(l.frameBytes);
    w.setMaxFramesByHour(l.framesPerHour, l.alternative);
}

/// The page's set-up: limits, statement range 1..15300 min, two measured values of 2 bytes.
void setUpLikePage(WdgDataLoggingCfg &w, const Limits &l)
{
    applyLimits(w, l);
    w.setStatementRange(kPageShortestMin, kPageLongestMin);
    w.wayAdd(2);
    w.wayAdd(2);
}

QSpinBox *hoursBox(WdgDataLoggingCfg &w)
{
    return w.findChild<QSpinBox *>(QStringLiteral("spinBox_StatemenPeriodH"));
}
QSpinBox *minutesBox(WdgDataLoggingCfg &w)
{
    return w.findChild<QSpinBox *>(QStringLiteral("spinBox_StatemenPeriodM"));
}
QSpinBox *samplesBox(WdgDataLoggingCfg &w)
{
    return w.findChild<QSpinBox *>(QStringLiteral("spinBox_NbSamples"));
}
QSpinBox *depthBox(WdgDataLoggingCfg &w)
{
    return w.findChild<QSpinBox *>(QStringLiteral("spinBox_DepthHistoric"));
}
QLabel *label(WdgDataLoggingCfg &w, const char *name)
{
    return w.findChild<QLabel *>(QLatin1String(name));
}

/// Drives the statement boxes the way a user would and returns the period the editor accepted.
unsigned setStatement(WdgDataLoggingCfg &w, int hours, int minutes)
{
    hoursBox(w)->setValue(hours);
    minutesBox(w)->setValue(minutes);
    return w.statementPeriod();
}
unsigned shortestReachable(WdgDataLoggingCfg &w)
{
    return setStatement(w, 0, 0);
}
unsigned longestReachable(WdgDataLoggingCfg &w)
{
    return setStatement(w, 100000, 59);
}

bool warningShown(WdgDataLoggingCfg &w)
{
    return !label(w, "label_warning")->isHidden();
}

const QString kAdrWarning = QStringLiteral(
    "WARNING : configuration will force product to desactivate ADR. Spreading factor will be fixed to SF9. "
    "Product range will be decrease using this configuration. Never use such configuration with operated "
    "network. Only private network is advised");

} // namespace

Q_DECLARE_METATYPE(Limits)

class TestDataLoggingCfg : public QObject
{
    Q_OBJECT

private slots:
    void freshEditor();
    void frameCount_data();
    void frameCount();
    void statementRange_data();
    void statementRange();
    void pageLimits_data();
    void pageLimits();
    void switchingToSigfoxTimestampClipsEveryBox();
    void adrWarning_data();
    void adrWarning();
    void adrWarningFollowsFramesPerHour();
    void summary_data();
    void summary();
    void removingWaysRelaxesTheMaxima();
    void encoding_data();
    void encoding();
    void loadDoesNotDependOnPreviousState();
    void loadAdjustments_data();
    void loadAdjustments();
    void statementPeriodChangedSignal();
};

void TestDataLoggingCfg::freshEditor()
{
    WdgDataLoggingCfg w;
    QCOMPARE(label(w, "label_abstract")->text(),
             QStringLiteral("Err: The maximum bytes in frames is null. Call setMaxFrameSize()"));
    QCOMPARE(label(w, "label_samplingPeriod")->text(), QStringLiteral("0h 10m 0s"));
    QVERIFY(!warningShown(w));
    QCOMPARE(w.statementPeriod(), 10u);
    QCOMPARE(w.toConfig(), QByteArray::fromHex("00"
                                               "0A00"));
}

void TestDataLoggingCfg::frameCount_data()
{
    QTest::addColumn<int>("frameBytes");
    QTest::addColumn<QVector<quint32>>("ways");
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("frames");

    const QVector<quint32> twoWays{2, 2};
    QTest::newRow("short header: blocks of 3 in 11 bytes") << 12 << twoWays << 1 << 1 << 1;
    QTest::newRow("blocks of 9 fill 9 bytes each") << 12 << twoWays << 2 << 2 << 2;
    QTest::newRow("block of 13 exceeds 9 bytes") << 12 << twoWays << 2 << 3 << 0;
    QTest::newRow("no frame size") << 0 << twoWays << 1 << 1 << 0;
    QTest::newRow("frame smaller than long header") << 3 << QVector<quint32>{} << 2 << 1 << 0;
    QTest::newRow("no way still needs one frame") << 3 << QVector<quint32>{} << 1 << 1 << 1;
    QTest::newRow("LoRaWAN, 8 samples") << 51 << twoWays << 8 << 1 << 1;
    QTest::newRow("LoRaWAN, blocks of 25 overflow 48") << 51 << twoWays << 4 << 3 << 2;
    QTest::newRow("LoRaWAN with timestamp, blocks of 43") << 47 << twoWays << 7 << 3 << 2;
    QTest::newRow("three ways, one per frame") << 20 << QVector<quint32>{4, 2, 2} << 2 << 2 << 3;
    QTest::newRow("three ways, one frame") << 51 << QVector<quint32>{4, 2, 2} << 2 << 2 << 1;
    QTest::newRow("first way alone, then two share") << 14 << QVector<quint32>{4, 1, 1} << 2 << 1 << 2;
}

void TestDataLoggingCfg::frameCount()
{
    QFETCH(int, frameBytes);
    QFETCH(QVector<quint32>, ways);
    QFETCH(int, samples);
    QFETCH(int, depth);
    QFETCH(int, frames);

    WdgDataLoggingCfg w;
    w.setMaxFrameSize(frameBytes);
    for (quint32 way : ways)
        w.wayAdd(way);
    QCOMPARE(w.frameCount(samples, depth), frames);
}

void TestDataLoggingCfg::statementRange_data()
{
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<unsigned>("minStatement");
    QTest::addColumn<unsigned>("maxStatement");
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("depth");
    QTest::addColumn<unsigned>("shortest");
    QTest::addColumn<unsigned>("longest");

    QTest::newRow("6 frames/h, 1 frame") << kSigfox << 1u << 15300u << 1 << 1 << 10u << 15300u;
    QTest::newRow("alternative 60 frames/h") << Limits{12, 6, 60} << 1u << 15300u << 1 << 1 << 1u << 15300u;
    QTest::newRow("6 frames/h, 2 frames") << kSigfox << 1u << 15300u << 2 << 2 << 20u << 15300u;
    QTest::newRow("LoRaWAN, 2 frames") << kLoRaWan << 1u << 15300u << 4 << 3 << 2u << 15300u;
    QTest::newRow("minimum statement wins") << kLoRaWan << 30u << 120u << 1 << 1 << 30u << 120u;
    QTest::newRow("longest inside an hour") << kSigfox << 1u << 90u << 1 << 1 << 10u << 90u;
    QTest::newRow("7 frames/h: 8 min") << Limits{12, 7, 0} << 1u << 15300u << 1 << 1 << 8u << 15300u;
    QTest::newRow("1 frame/h: a whole hour") << Limits{12, 1, 0} << 1u << 600u << 1 << 1 << 60u << 600u;
    QTest::newRow("2 frames at 2 frames/h") << Limits{12, 2, 0} << 1u << 600u << 2 << 2 << 60u << 600u;
    QTest::newRow("minimum statement above an hour") << kSigfox << 90u << 600u << 1 << 1 << 90u << 600u;
    QTest::newRow("more than 60 statements/h, never below 1 min")
        << Limits{51, 120, 0} << 0u << 100u << 1 << 1 << 1u << 100u;
}

void TestDataLoggingCfg::statementRange()
{
    QFETCH(Limits, limits);
    QFETCH(unsigned, minStatement);
    QFETCH(unsigned, maxStatement);
    QFETCH(int, samples);
    QFETCH(int, depth);
    QFETCH(unsigned, shortest);
    QFETCH(unsigned, longest);

    WdgDataLoggingCfg w;
    applyLimits(w, limits);
    w.setStatementRange(minStatement, maxStatement);
    w.wayAdd(2);
    w.wayAdd(2);
    samplesBox(w)->setValue(samples);
    depthBox(w)->setValue(depth);
    QCOMPARE(samplesBox(w)->value(), samples);
    QCOMPARE(depthBox(w)->value(), depth);
    QCOMPARE(w.frameCount(samples, depth) > 0, true);

    QCOMPARE(longestReachable(w), longest);
    QCOMPARE(shortestReachable(w), shortest);
    // One minute above the shortest is allowed; the minutes box is not stuck at its bound.
    QCOMPARE(setStatement(w, int((shortest + 1) / 60), int((shortest + 1) % 60)), shortest + 1);
}

void TestDataLoggingCfg::pageLimits_data()
{
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<int>("samplesMax"); // at depth 1
    QTest::addColumn<int>("depthMax");   // at 1 sample
    QTest::addColumn<unsigned>("shortest");

    QTest::newRow("Sigfox") << kSigfox << 4 << 4 << 10u;
    QTest::newRow("Sigfox, timestamp enabled") << kSigfoxTimestamp << 2 << 2 << 10u;
    QTest::newRow("LoRaWAN") << kLoRaWan << 8 << 4 << 1u;
    QTest::newRow("LoRaWAN, timestamp enabled") << kLoRaWanTimestamp << 8 << 4 << 1u;
}

void TestDataLoggingCfg::pageLimits()
{
    QFETCH(Limits, limits);
    QFETCH(int, samplesMax);
    QFETCH(int, depthMax);
    QFETCH(unsigned, shortest);

    // The page recomputes the limits whenever the timestamp choice or the radio changes:
    // start from the other technology so the setters must widen or narrow the boxes.
    WdgDataLoggingCfg w;
    setUpLikePage(w, limits.frameBytes > 12 ? kSigfoxTimestamp : kLoRaWan);
    applyLimits(w, limits);

    QCOMPARE(samplesBox(w)->value(), 1);
    QCOMPARE(depthBox(w)->value(), 1);
    QCOMPARE(samplesBox(w)->maximum(), samplesMax);
    QCOMPARE(depthBox(w)->maximum(), depthMax);
    QCOMPARE(shortestReachable(w), shortest);
    QCOMPARE(longestReachable(w), kPageLongestMin);
}

void TestDataLoggingCfg::switchingToSigfoxTimestampClipsEveryBox()
{
    WdgDataLoggingCfg w;
    setUpLikePage(w, kLoRaWan);
    QCOMPARE(w.fromConfig(QByteArray::fromHex("13"
                                              "0A00")),
             0); // 4 samples, depth 2, 10 min
    QSignalSpy periodSpy(&w, &WdgDataLoggingCfg::statementPeriodChanged);

    applyLimits(w, kSigfoxTimestamp);

    // 8-byte frames hold one sample at depth 2 (block of 5 bytes); two ways need two frames,
    // so 3 statements per hour: every 20 minutes at least.
    QCOMPARE(samplesBox(w)->value(), 1);
    QCOMPARE(depthBox(w)->value(), 2);
    QCOMPARE(w.statementPeriod(), 20u);
    QVERIFY(!periodSpy.isEmpty());
    QCOMPARE(w.toConfig(), QByteArray::fromHex("10"
                                               "1400"));
    QCOMPARE(
        label(w, "label_abstract")->text(),
        QStringLiteral("2 way of 1 sample(s), sampling at 0h, 20m and 0s with a historic depth 2 will be "
                       "send every at 0h and 20m in 2 frame(s)."));
}

void TestDataLoggingCfg::adrWarning_data()
{
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<bool>("warning");

    // LoRaWAN: 15 frames per hour allow one frame every 4 minutes.
    QTest::newRow("LoRaWAN 1 min") << kLoRaWan << 1 << true;
    QTest::newRow("LoRaWAN 3 min") << kLoRaWan << 3 << true;
    QTest::newRow("LoRaWAN 4 min") << kLoRaWan << 4 << false;
    QTest::newRow("LoRaWAN 30 min") << kLoRaWan << 30 << false;
    QTest::newRow("LoRaWAN timestamp 2 min") << kLoRaWanTimestamp << 2 << true;
    QTest::newRow("Sigfox, no alternative") << kSigfox << 10 << false;
}

void TestDataLoggingCfg::adrWarning()
{
    QFETCH(Limits, limits);
    QFETCH(int, minutes);
    QFETCH(bool, warning);

    WdgDataLoggingCfg w;
    setUpLikePage(w, limits);
    QCOMPARE(setStatement(w, 0, minutes), unsigned(minutes));
    QCOMPARE(warningShown(w), warning);
    if (warning)
        QCOMPARE(label(w, "label_warning")->text(), kAdrWarning);
}

void TestDataLoggingCfg::adrWarningFollowsFramesPerHour()
{
    WdgDataLoggingCfg w;
    setUpLikePage(w, kLoRaWan);
    setStatement(w, 0, 3);
    QVERIFY(warningShown(w));

    // 30 frames per hour allow a frame every 2 minutes: 3 minutes is fine now, although the
    // statement period itself did not change.
    w.setMaxFramesByHour(30, 60);
    QCOMPARE(w.statementPeriod(), 3u);
    QVERIFY(!warningShown(w));

    w.setMaxFramesByHour(15, 60);
    QVERIFY(warningShown(w));
}

void TestDataLoggingCfg::summary_data()
{
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<QVector<quint32>>("ways");
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("sampling");

    const QVector<quint32> twoWays{2, 2};
    QTest::newRow("no frame size") << Limits{0, 0, 0} << QVector<quint32>{} << 1 << 1 << 0 << 10
                                   << "Err: The maximum bytes in frames is null. Call setMaxFrameSize()"
                                   << "0h 10m 0s";
    QTest::newRow("no frames per hour")
        << Limits{12, 0, 0} << twoWays << 1 << 1 << 0 << 10
        << "Err: The maximum frames by hours is null. Call setMaxFramesByHour()"
        << "0h 10m 0s";
    QTest::newRow("no way") << kSigfox << QVector<quint32>{} << 1 << 1 << 0 << 10
                            << "Err: Didn't have way. Call wayAdd()"
                            << "0h 10m 0s";
    QTest::newRow("way too large")
        << Limits{3, 6, 0} << twoWays << 1 << 1 << 0 << 10
        << "Err: Didn't have number of frame, probably the maximum bytes in frames "
           "is too small. Call setMaxFrameSize()"
        << "0h 10m 0s";
    QTest::newRow("3 samples, depth 2, 1h30") << kLoRaWan << twoWays << 3 << 2 << 1 << 30
                                              << "2 way of 3 sample(s), sampling at 0h, 30m and 0s with a "
                                                 "historic depth 2 will be send every at 1h "
                                                 "and 30m in 1 frame(s)."
                                              << "0h 30m 0s";
    QTest::newRow("8 samples, 168h59")
        << kLoRaWan << twoWays << 8 << 1 << 168 << 59
        << "2 way of 8 sample(s), sampling at 21h, 7m and 22s with a historic depth 1 will be send every at "
           "168h and 59m in 1 frame(s)."
        << "21h 7m 22s";
    QTest::newRow("7 samples, 1 min")
        << kLoRaWan << twoWays << 7 << 1 << 0 << 1
        << "2 way of 7 sample(s), sampling at 0h, 0m and 8s with a historic depth 1 will be send every at 0h "
           "and 1m in 1 frame(s)."
        << "0h 0m 8s";
    QTest::newRow("two frames of 1-byte ways")
        << kSigfox << QVector<quint32>{1, 1} << 2 << 2 << 2 << 0
        << "2 way of 2 sample(s), sampling at 1h, 0m and 0s with a historic depth 2 will be send every at 2h "
           "and 0m in 2 frame(s)."
        << "1h 0m 0s";
}

void TestDataLoggingCfg::summary()
{
    QFETCH(Limits, limits);
    QFETCH(QVector<quint32>, ways);
    QFETCH(int, samples);
    QFETCH(int, depth);
    QFETCH(int, hours);
    QFETCH(int, minutes);
    QFETCH(QString, summary);
    QFETCH(QString, sampling);

    WdgDataLoggingCfg w;
    applyLimits(w, limits);
    w.setStatementRange(kPageShortestMin, kPageLongestMin);
    for (quint32 way : ways)
        w.wayAdd(way);
    samplesBox(w)->setValue(samples);
    depthBox(w)->setValue(depth);
    setStatement(w, hours, minutes);
    QCOMPARE(samplesBox(w)->value(), samples);
    QCOMPARE(depthBox(w)->value(), depth);
    QCOMPARE(w.statementPeriod(), unsigned(hours * 60 + minutes));

    QCOMPARE(label(w, "label_abstract")->text(), summary);
    QCOMPARE(label(w, "label_samplingPeriod")->text(), sampling);
}

void TestDataLoggingCfg::removingWaysRelaxesTheMaxima()
{
    WdgDataLoggingCfg w;
    applyLimits(w, kLoRaWan);
    w.setStatementRange(kPageShortestMin, kPageLongestMin);
    w.wayAdd(2);
    w.wayAdd(12);
    // The 12-byte way bounds both boxes: (51 - 4) / 12 = 3.
    QCOMPARE(samplesBox(w)->maximum(), 3);
    QCOMPARE(depthBox(w)->maximum(), 3);

    w.removeWay(5); // no such way: nothing changes
    QCOMPARE(samplesBox(w)->maximum(), 3);

    w.removeWay(12);
    QCOMPARE(samplesBox(w)->maximum(), 8);
    QCOMPARE(depthBox(w)->maximum(), 4);
    QCOMPARE(label(w, "label_abstract")->text().left(24), QStringLiteral("1 way of 1 sample(s), sa"));

    w.clearWays();
    QCOMPARE(label(w, "label_abstract")->text(), QStringLiteral("Err: Didn't have way. Call wayAdd()"));
}

void TestDataLoggingCfg::encoding_data()
{
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("depth");
    QTest::addColumn<unsigned>("statement");

    // Byte 0: samples - 1 in bits 0-2, depth - 1 in bits 4-5; bytes 1-2: minutes, little-endian.
    QTest::newRow("3 samples, depth 2, 1h30") << kLoRaWan
                                              << QByteArray::fromHex("12"
                                                                     "5A00")
                                              << 3 << 2 << 90u;
    QTest::newRow("family default: 1 sample, depth 1, 1 min") << kLoRaWan
                                                              << QByteArray::fromHex("00"
                                                                                     "0100")
                                                              << 1 << 1 << 1u;
    QTest::newRow("8 samples, 1 h") << kLoRaWan
                                    << QByteArray::fromHex("07"
                                                           "3C00")
                                    << 8 << 1 << 60u;
    QTest::newRow("2 samples, depth 4, longest") << kLoRaWan
                                                 << QByteArray::fromHex("31"
                                                                        "C43B")
                                                 << 2 << 4 << 15300u;
    QTest::newRow("1 sample, depth 3, 10 min") << kLoRaWan
                                               << QByteArray::fromHex("20"
                                                                      "0A00")
                                               << 1 << 3 << 10u;
    QTest::newRow("7 samples, 4h15") << kLoRaWan
                                     << QByteArray::fromHex("06"
                                                            "FF00")
                                     << 7 << 1 << 255u;
    QTest::newRow("high byte of the period") << kLoRaWan
                                             << QByteArray::fromHex("00"
                                                                    "0001")
                                             << 1 << 1 << 256u;
    QTest::newRow("Sigfox, 2 frames, 20 min") << kSigfox
                                              << QByteArray::fromHex("11"
                                                                     "1400")
                                              << 2 << 2 << 20u;
    QTest::newRow("Sigfox timestamp, 2 samples") << kSigfoxTimestamp
                                                 << QByteArray::fromHex("01"
                                                                        "1400")
                                                 << 2 << 1 << 20u;
}

void TestDataLoggingCfg::encoding()
{
    QFETCH(Limits, limits);
    QFETCH(QByteArray, bytes);
    QFETCH(int, samples);
    QFETCH(int, depth);
    QFETCH(unsigned, statement);

    // Boxes to bytes.
    WdgDataLoggingCfg edited;
    setUpLikePage(edited, limits);
    samplesBox(edited)->setValue(samples);
    depthBox(edited)->setValue(depth);
    QCOMPARE(setStatement(edited, int(statement / 60), int(statement % 60)), statement);
    QCOMPARE(edited.toConfig(), bytes);

    // Bytes to boxes, and back to the same bytes.
    WdgDataLoggingCfg loaded;
    setUpLikePage(loaded, limits);
    QSignalSpy adjusted(&loaded, &WdgDataLoggingCfg::loadAdjusted);
    QCOMPARE(loaded.fromConfig(bytes), 0);
    QCOMPARE(samplesBox(loaded)->value(), samples);
    QCOMPARE(depthBox(loaded)->value(), depth);
    QCOMPARE(loaded.statementPeriod(), statement);
    QCOMPARE(loaded.toConfig(), bytes);
    QCOMPARE(adjusted.count(), 0);
    QVERIFY(loaded.loadNote().isEmpty());
}

void TestDataLoggingCfg::loadDoesNotDependOnPreviousState()
{
    // Whatever the editor showed before, loading a value gives the same outcome. A value that
    // loads is shown as it stands; one that does not is announced.
    const QVector<QByteArray> previous{QByteArray::fromHex("00"
                                                           "0100"),
                                       QByteArray::fromHex("11"
                                                           "3C00"),
                                       QByteArray::fromHex("31"
                                                           "C43B"),
                                       QByteArray::fromHex("03"
                                                           "1E02")};
    const QVector<unsigned> statements{0, 1, 9, 10, 19, 20, 30, 59, 60, 61, 90, 600, 15300, 15301};
    int loadedAsTheyStand = 0;
    for (const Limits &limits : {kSigfox, kLoRaWan}) {
        WdgDataLoggingCfg reference;
        setUpLikePage(reference, limits);
        for (int head = 0; head < 0x40; ++head) {
            if (head & 0x08)
                continue; // reserved bit
            for (unsigned statement : statements) {
                const QByteArray value =
                    QByteArray(1, char(head)) + char(statement & 0xFF) + char(statement >> 8);
                QSignalSpy referenceSpy(&reference, &WdgDataLoggingCfg::loadAdjusted);
                const int expected = reference.fromConfig(value);
                const QByteArray expectedShown = reference.toConfig();
                if (expected == 0) {
                    ++loadedAsTheyStand;
                    QCOMPARE(expectedShown, value);
                    QCOMPARE(referenceSpy.count(), 0);
                } else {
                    QCOMPARE(referenceSpy.count(), 1);
                    QCOMPARE(referenceSpy.at(0).at(0).toString(), reference.loadNote());
                }
                for (const QByteArray &before : previous) {
                    WdgDataLoggingCfg w;
                    setUpLikePage(w, limits);
                    w.fromConfig(before);
                    const QByteArray shownBefore = w.toConfig();
                    const int result = w.fromConfig(value);
                    QVERIFY2(result == expected, qPrintable(value.toHex() + " after " + before.toHex()));
                    // An ignored value leaves the previous one; otherwise both show the same.
                    QCOMPARE(w.toConfig(), w.frameCount((head & 7) + 1, ((head >> 4) & 3) + 1) == 0
                                               ? shownBefore
                                               : expectedShown);
                }
            }
        }
    }
    // Sanity of the sweep itself: a good share of the values are valid configurations.
    QVERIFY(loadedAsTheyStand > 200);
}

void TestDataLoggingCfg::loadAdjustments_data()
{
    QTest::addColumn<Limits>("limits");
    QTest::addColumn<unsigned>("minStatement");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<QString>("note");

    const QByteArray before = QByteArray::fromHex("12"
                                                  "5A00");
    const QByteArray sigfoxBefore = QByteArray::fromHex("01"
                                                        "1400");
    QTest::newRow("empty value")
        << kLoRaWan << 1u << before << QByteArray() << before
        << "Data logging value  was ignored: 3 bytes are expected; the editor keeps 125A00";
    QTest::newRow("short value")
        << kLoRaWan << 1u << before << QByteArray::fromHex("0001") << before
        << "Data logging value 0001 was ignored: 3 bytes are expected; the editor keeps "
           "125A00";
    QTest::newRow("long value")
        << kLoRaWan << 1u << before << QByteArray::fromHex("00010000") << before
        << "Data logging value 00010000 was ignored: 3 bytes are expected; the editor "
           "keeps 125A00";
    QTest::newRow("8 samples at depth 4 fit no frame")
        << kLoRaWan << 1u << before
        << QByteArray::fromHex("37"
                               "0A00")
        << before
        << "Data logging value 370A00 was ignored: 8 sample(s) with a historic depth 4 do not fit in a "
           "frame; the "
           "editor keeps 125A00";
    QTest::newRow("4 samples fit no 8-byte frame") << kSigfoxTimestamp << 1u << sigfoxBefore
                                                   << QByteArray::fromHex("03"
                                                                          "1400")
                                                   << sigfoxBefore
                                                   << "Data logging value 031400 was ignored: 4 sample(s) "
                                                      "with a historic depth 1 do not fit in a frame; the "
                                                      "editor keeps 011400";
    QTest::newRow("reserved bits dropped")
        << kLoRaWan << 1u << before
        << QByteArray::fromHex("C8"
                               "0A00")
        << QByteArray::fromHex("00"
                               "0A00")
        << "Data logging value C80A00 cannot be shown as it stands; the editor shows 000A00";
    QTest::newRow("below the minimum statement")
        << kLoRaWan << 10u << before
        << QByteArray::fromHex("00"
                               "0100")
        << QByteArray::fromHex("00"
                               "0A00")
        << "Data logging value 000100 cannot be shown as it stands; the editor shows 000A00";
    QTest::newRow("faster than Sigfox allows")
        << kSigfox << 1u
        << QByteArray::fromHex("11"
                               "1400")
        << QByteArray::fromHex("00"
                               "0100")
        << QByteArray::fromHex("00"
                               "0A00")
        << "Data logging value 000100 cannot be shown as it stands; the editor shows 000A00";
    QTest::newRow("above the longest statement")
        << kLoRaWan << 1u << before
        << QByteArray::fromHex("00"
                               "C53B")
        << QByteArray::fromHex("00"
                               "C43B")
        << "Data logging value 00C53B cannot be shown as it stands; the editor shows 00C43B";
    QTest::newRow("2 samples need two Sigfox timestamp frames")
        << kSigfoxTimestamp << 1u << sigfoxBefore
        << QByteArray::fromHex("01"
                               "0A00")
        << sigfoxBefore << "Data logging value 010A00 cannot be shown as it stands; the editor shows 011400";
}

void TestDataLoggingCfg::loadAdjustments()
{
    QFETCH(Limits, limits);
    QFETCH(unsigned, minStatement);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, shown);
    QFETCH(QString, note);

    WdgDataLoggingCfg w;
    setUpLikePage(w, limits);
    w.setStatementRange(minStatement, kPageLongestMin);
    QCOMPARE(w.fromConfig(before), 0);

    QSignalSpy adjusted(&w, &WdgDataLoggingCfg::loadAdjusted);
    QCOMPARE(w.fromConfig(value), -1);
    QCOMPARE(w.toConfig(), shown);
    QCOMPARE(adjusted.count(), 1);
    QCOMPARE(adjusted.at(0).at(0).toString(), note);
    QCOMPARE(w.loadNote(), note);

    // The next good load clears the note.
    QCOMPARE(w.fromConfig(before), 0);
    QVERIFY(w.loadNote().isEmpty());
}

void TestDataLoggingCfg::statementPeriodChangedSignal()
{
    WdgDataLoggingCfg w;
    setUpLikePage(w, kLoRaWan);
    QSignalSpy spy(&w, &WdgDataLoggingCfg::statementPeriodChanged);

    minutesBox(w)->setValue(20);
    QCOMPARE(spy.count(), 1);
    hoursBox(w)->setValue(2);
    QCOMPARE(spy.count(), 2);
    samplesBox(w)->setValue(3); // fits: the period stays
    QCOMPARE(spy.count(), 2);

    // A load tells the page once, and only when the period changed.
    QCOMPARE(w.fromConfig(QByteArray::fromHex("02"
                                              "1E00")),
             0);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(w.fromConfig(QByteArray::fromHex("00"
                                              "1E00")),
             0);
    QCOMPARE(spy.count(), 3);
}

QTEST_MAIN(TestDataLoggingCfg)
#include "tst_dataloggingcfg.moc"

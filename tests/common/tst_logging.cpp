// The logging categories: their names (what QT_LOGGING_RULES is written with), debug output
// off until switched on, the switch of --verbose, and the rules of the environment still
// deciding over it.

#include "common/Logging.h"
#include "frames/FrameQr.h"

#include <QtTest>

namespace {

// A user's rule, read when logging starts up (before the application object exists).
const bool kUserRule = qputenv("QT_LOGGING_RULES", "pelm.sim.debug=false");

// A category of another library: --verbose leaves it alone.
Q_LOGGING_CATEGORY(lcOther, "other.library", QtInfoMsg)

using Category = const QLoggingCategory &(*)();

} // namespace

Q_DECLARE_METATYPE(Category)

class TestLogging : public QObject
{
    Q_OBJECT
private slots:
    void beforeVerbose_data();
    void beforeVerbose();
    void verbose_data();
    void verbose();
};

void TestLogging::beforeVerbose_data()
{
    QTest::addColumn<Category>("category");
    QTest::addColumn<QString>("name");
    QTest::newRow("usb") << Category(&lcUsb) << "pelm.usb";
    QTest::newRow("ble") << Category(&lcBle) << "pelm.ble";
    QTest::newRow("protocol") << Category(&lcProtocol) << "pelm.protocol";
    QTest::newRow("session") << Category(&lcSession) << "pelm.session";
    QTest::newRow("sim") << Category(&lcSim) << "pelm.sim";
    QTest::newRow("update") << Category(&lcUpdate) << "pelm.update";
    QTest::newRow("tools") << Category(&lcTools) << "pelm.tools";
    QTest::newRow("frames") << Category(&lcFrames) << "pelm.frames";
    QTest::newRow("other library") << Category(&lcOther) << "other.library";
}

void TestLogging::beforeVerbose()
{
    QVERIFY(kUserRule);
    QFETCH(Category, category);
    QFETCH(QString, name);
    QCOMPARE(QString::fromLatin1(category().categoryName()), name);
    QVERIFY(!category().isDebugEnabled());
    QVERIFY(category().isInfoEnabled());
    QVERIFY(category().isWarningEnabled());
}

void TestLogging::verbose_data()
{
    QTest::addColumn<Category>("category");
    QTest::addColumn<bool>("debug");
    QTest::newRow("usb") << Category(&lcUsb) << true;
    QTest::newRow("ble") << Category(&lcBle) << true;
    QTest::newRow("protocol") << Category(&lcProtocol) << true;
    QTest::newRow("session") << Category(&lcSession) << true;
    QTest::newRow("sim: the user's rule wins") << Category(&lcSim) << false;
    QTest::newRow("update") << Category(&lcUpdate) << true;
    QTest::newRow("tools") << Category(&lcTools) << true;
    QTest::newRow("frames") << Category(&lcFrames) << true;
    QTest::newRow("other library untouched") << Category(&lcOther) << false;
}

void TestLogging::verbose()
{
    QFETCH(Category, category);
    QFETCH(bool, debug);
    Logging::enableVerbose();
    QCOMPARE(category().isDebugEnabled(), debug);
    QVERIFY(category().isInfoEnabled());
}

QTEST_GUILESS_MAIN(TestLogging)
#include "tst_logging.moc"

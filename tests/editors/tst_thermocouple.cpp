// The thermocouple device page: its form, the records in both directions (including the
// values the editors cannot show as loaded and the records without an editor), the round trip
// of the default configuration through the real file reader and writer, the data logging
// limits, the rules between editors, and, against the simulated device, the live readings, the
// LoRaWAN keys and the clock correction.

#include "device/session/DeviceFactory.h"
#include "support/SimComm.h"
#include "common/Hex.h"
#include "device/model/Catalog.h"
#include "device/files/ConfigFile.h"
#include "device/family/FamilyParams.h"
#include "editors/OrvThermocouple.h"
#include "editors/WdgDataLoggingCfg.h"
#include "editors/WdgOrv.h"
#include "editors/WdgRadioCfg.h"
#include "editors/WdgThresholdCfg.h"
#include "sim/SimBle.h"
#include "sim/SimDevice.h"
#include "support/RecordingReporter.h"
#include "support/WarningRecorder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolBox>
#include <QtTest>

#include <QToolButton>

#include <functional>
#include <memory>

namespace {

QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}

constexpr int kOrvType = 28;
constexpr int kOrvRev = 0x0100;
constexpr int kKivType = 14;

const QString kAdjustedPrefix = QStringLiteral("Some loaded values can't be shown as they are: ");
const QString kBusyStatus = QStringLiteral("The device is busy, try again in a moment.");
const QStringList kLiveLabels{"temperature", "current", "vbat"};

/// A recording reporter that runs code from inside the next box, as a timer firing in the
/// box's event loop would.
class HookedReporter : public RecordingReporter
{
public:
    int box(const Box &b) override
    {
        const int result = RecordingReporter::box(b);
        if (onBox) {
            auto hook = std::move(onBox);
            onBox = nullptr;
            hook();
        }
        return result;
    }
    std::function<void()> onBox;
};

/// The simulated device seen over BLE for the lifetime of the object.
struct ScopedSimBle
{
    explicit ScopedSimBle(SimDevice *device) { installSimBle(device); }
    ~ScopedSimBle() { uninstallSimBle(); }
};

/// A child that must exist; a missing one is a broken form, not a failed value.
template <class T> T *child(const QObject *parent, const QString &name)
{
    T *w = parent->findChild<T *>(name);
    if (!w)
        qFatal("missing child %s", qPrintable(name));
    return w;
}

/// A record list from "id:hex" items; ids of the family's buffer parameters get buffer records.
OrvParamList records(const QStringList &items)
{
    const ParamTables tables = FamilyParams::thermocoupleTables();
    OrvParamList list;
    for (const QString &item : items) {
        const quint8 id = quint8(item.section(':', 0, 0).toUInt());
        const QByteArray value = QByteArray::fromHex(item.section(':', 1).toLatin1());
        if (tables.isBuffer(id))
            list.append(OrvParam(id, value, 0));
        else
            list.append(OrvParam(id, value));
    }
    return list;
}

void load(OrvThermocouple &page, const QStringList &items)
{
    OrvParamList list = records(items);
    page.paramsToWidgets(list);
}

OrvParamList collect(OrvThermocouple &page)
{
    OrvParamList list;
    page.widgetsToParams(list);
    return list;
}

/// The collected record of id (an empty record when there is none).
OrvParam collected(OrvThermocouple &page, quint8 id)
{
    for (const OrvParam &p : collect(page)) {
        if (p.id() == id)
            return p;
    }
    return OrvParam();
}

QString thresholdText(const WdgThresholdCfg *t)
{
    const auto text = [t](const char *name) { return child<QDoubleSpinBox>(t, name)->text(); };
    const QCheckBox *fast = child<QCheckBox>(t, QStringLiteral("checkBox_fastSampling_2"));
    const int period = child<QSpinBox>(t, QStringLiteral("spinBox_FastSampling"))->value();
    return QStringLiteral("%1|%2|%3|duration %4|fast %5")
        .arg(text("doubleSpinBox_HighThreshold"), text("doubleSpinBox_LowThreshold"),
             text("doubleSpinBox_HysteresisThreshold"))
        .arg(t->duration())
        .arg(fast->isChecked() ? QString::number(period) : QStringLiteral("off"));
}

/// What an editor of the page shows, as one text.
QString shown(const QWidget *page, const QString &name)
{
    QObject *o = page->findChild<QObject *>(name);
    if (auto *t = qobject_cast<WdgThresholdCfg *>(o))
        return thresholdText(t);
    if (auto *d = qobject_cast<WdgDataLoggingCfg *>(o))
        return QStringLiteral("%1 min, %2 sample(s), depth %3")
            .arg(d->statementPeriod())
            .arg(child<QSpinBox>(d, QStringLiteral("spinBox_NbSamples"))->value())
            .arg(child<QSpinBox>(d, QStringLiteral("spinBox_DepthHistoric"))->value());
    if (auto *r = qobject_cast<WdgRadioCfg *>(o))
        return child<QComboBox>(r, QStringLiteral("comboBoxRadioMode"))->currentText();
    if (auto *s = qobject_cast<QDoubleSpinBox *>(o))
        return s->text();
    if (auto *c = qobject_cast<QComboBox *>(o))
        return c->currentText();
    if (auto *b = qobject_cast<QCheckBox *>(o))
        return b->isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked");
    qFatal("no editor %s", qPrintable(name));
    return QString();
}

} // namespace

class TestThermocouple : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    // form and registration
    void formTexts_data();
    void formTexts();
    void formBoxes_data();
    void formBoxes();
    void formSlotsConnectByName();
    void registersFamilyParameters();
    void factoryCreatesThePage();

    // records in both directions
    void loadAndCollect_data();
    void loadAndCollect();
    void collectEditorValue_data();
    void collectEditorValue();
    void collectOrderAndBufferFlags();
    void vbatFastTxChecksOnlyItsOwnBox();
    void recordsWithoutEditorAreKept();
    void defaultConfigRoundTrip();
    void defaultConfigSurvivesSave();

    // values the editors cannot show as loaded
    void loadAdjustmentsShown_data();
    void loadAdjustmentsShown();
    void editorNotesShown();
    void cleanLoadShowsNoAdjustment();
    void restoredDefaultsKeepTheNote();

    // rules between editors
    void dataLoggingLimits_data();
    void dataLoggingLimits();
    void radioTechnologyChangeRecomputesLimits();
    void dataLoggingAppliedAfterTechnologyAndTimestamp();
    void thresholdsAppliedAfterStatementPeriod();
    void statementPeriodBoundsFastTx();
    void fastTxPeriodsStayEqual();
    void thermocoupleBoxEnablesTemperatureThreshold();

    // connected page
    void connectedPageStartsReadings();
    void liveReadings_data();
    void liveReadings();
    void liveReadingsNotAvailable_data();
    void liveReadingsNotAvailable();
    void liveReadingsKeptDuringAnotherExchange();
    void requestDuringReadingOverBle_data();
    void requestDuringReadingOverBle();
    void offlinePageSendsNothing();
    void loRaWanKeysWritten();
    void loRaWanKeysRefusedByDevice();
    void clockCorrection();

    void screenshot();

private:
    std::unique_ptr<OrvThermocouple> offline(int kivType = kKivType);
    std::unique_ptr<OrvThermocouple> connect();

    /// The live readings shown, in the order of kLiveLabels.
    static QStringList liveTexts(const QWidget *page);

    HookedReporter m_rep;
    std::unique_ptr<SimDevice> m_dev;
};

void TestThermocouple::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    setReporter(&m_rep);
}

void TestThermocouple::cleanupTestCase()
{
    setReporter(nullptr);
}

void TestThermocouple::init()
{
    m_dev.reset(new SimDevice);
    SimDevice *dev = m_dev.get();
    DeviceFactory::setUsbTransportFactory([dev]() -> Comm * { return new SimComm(*dev); });
    DeviceFactory::resetUsbAttemptCounter();
    m_rep.clear();
}

void TestThermocouple::cleanup()
{
    DeviceFactory::setUsbTransportFactory({});
    RecordingReporter left = m_rep; // a failed case must not leave its boxes to the next
    m_rep.clear();
    m_rep.onBox = nullptr;
    QVERIFY(!DeviceBusyGuard::isBusy());
    VERIFY_NO_PENDING_BOXES(left);
}

std::unique_ptr<OrvThermocouple> TestThermocouple::offline(int kivType)
{
    return std::unique_ptr<OrvThermocouple>(new OrvThermocouple(kOrvType, kOrvRev, kivType));
}

std::unique_ptr<OrvThermocouple> TestThermocouple::connect()
{
    bool failed = true;
    OrvObject *o = OrvFactory::connectUsb(nullptr, &failed);
    auto *page = qobject_cast<OrvThermocouple *>(o);
    if (!page)
        delete o;
    return std::unique_ptr<OrvThermocouple>(page);
}

QStringList TestThermocouple::liveTexts(const QWidget *page)
{
    QStringList texts;
    for (const QString &name : kLiveLabels)
        texts << child<QLabel>(page, name)->text();
    return texts;
}

// --- form and registration -------------------------------------------------------------------

void TestThermocouple::formTexts_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("text");

    const QString page;
    QTest::newRow("window") << page << "OrvThermocouple"
                            << "windowTitle"
                            << "Form";
    QTest::newRow("sending period") << page << "groupBox"
                                    << "title"
                                    << "Sending period";
    QTest::newRow("itf label") << "general_settings"
                               << "label_10"
                               << "text"
                               << "Sending interface";
    QTest::newRow("timestamp label") << "general_settings"
                                     << "label_7"
                                     << "text"
                                     << "Timestamp";
    QTest::newRow("thermocouple") << page << "horizontalGroupBox"
                                  << "title"
                                  << "Thermocouple";
    QTest::newRow("activated") << page << "checkBox_temp"
                               << "text"
                               << "Activated";
    QTest::newRow("temp threshold") << page << "groupBox_4"
                                    << "title"
                                    << "Temperature Threshold";
    QTest::newRow("current threshold") << page << "groupBox_5"
                                       << "title"
                                       << "Current Threshold";
    QTest::newRow("vbat threshold") << page << "groupBox_6"
                                    << "title"
                                    << "VBat Threshold";
    QTest::newRow("temp calibration") << page << "groupBox_2"
                                      << "title"
                                      << "Temperature calibration";
    QTest::newRow("temp offset") << page << "label_5"
                                 << "text"
                                 << "offset";
    QTest::newRow("temp coef") << page << "txt_coef"
                               << "text"
                               << "coefficient";
    QTest::newRow("current calibration") << page << "groupBox_7"
                                         << "title"
                                         << "Current calibration";
    QTest::newRow("current offset") << page << "label_2"
                                    << "text"
                                    << "offset";
    QTest::newRow("current coef") << "groupBox_7"
                                  << "label"
                                  << "text"
                                  << "coefficient";
    QTest::newRow("spire") << page << "label_3"
                           << "text"
                           << "Couple Spire/Resistance";
    QTest::newRow("measurements") << page << "groupBox_3"
                                  << "title"
                                  << "Real time measurement";
    QTest::newRow("temperature caption") << page << "txt_temperature"
                                         << "text" << QString::fromUtf8("temperature (°C)");
    QTest::newRow("temperature") << page << "temperature"
                                 << "text"
                                 << "--";
    QTest::newRow("current caption") << page << "txt_current"
                                     << "text"
                                     << "Current (A)";
    QTest::newRow("current") << page << "current"
                             << "text"
                             << "--";
    QTest::newRow("vbat caption") << page << "txt_VBat"
                                  << "text"
                                  << "VBat (mV)";
    QTest::newRow("vbat") << page << "vbat"
                          << "text"
                          << "--";
}

void TestThermocouple::formTexts()
{
    QFETCH(QString, container);
    QFETCH(QString, object);
    QFETCH(QString, property);
    QFETCH(QString, text);
    auto page = offline();
    const QObject *scope = container.isEmpty() ? page.get() : child<QWidget>(page.get(), container);
    const QObject *o = object == page->objectName() ? page.get() : child<QObject>(scope, object);
    QCOMPARE(o->property(qPrintable(property)).toString(), text);
}

void TestThermocouple::formBoxes_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("value");

    QTest::newRow("temperature offset") << "doubleSpinBox_sensor1Offset" << -10.0 << 10.0 << 0.01 << 2 << 0.0;
    // x 1000 must fit in 16 bits.
    QTest::newRow("temperature coefficient")
        << "doubleSpinBox_sensor1Coef" << 0.0 << 65.535 << 0.001 << 3 << 1.0;
    // Three decimals: the value travels in thousandths.
    QTest::newRow("current offset") << "doubleSpinBox_currentOffset" << -5.0 << 5.0 << 0.01 << 3 << 0.0;
    QTest::newRow("current coefficient") << "doubleSpinBox_currentCoef" << 0.9 << 1.1 << 0.001 << 3 << 1.0;
}

void TestThermocouple::formBoxes()
{
    QFETCH(QString, object);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(double, step);
    QFETCH(int, decimals);
    QFETCH(double, value);
    auto page = offline();
    const auto *box = child<QDoubleSpinBox>(page.get(), object);
    QCOMPARE(box->minimum(), minimum);
    QCOMPARE(box->maximum(), maximum);
    QCOMPARE(box->singleStep(), step);
    QCOMPARE(box->decimals(), decimals);
    QCOMPARE(box->value(), value);
}

void TestThermocouple::formSlotsConnectByName()
{
    QStringList warnings;
    std::unique_ptr<OrvThermocouple> page;
    {
        const WarningRecorder recorder;
        page = offline();
        warnings = recorder.warnings();
    }
    QVERIFY2(warnings.filter(QStringLiteral("connectSlotsByName")).isEmpty(),
             qPrintable(warnings.join('\n')));

    const auto items = [](const QComboBox *c) {
        QStringList out;
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    };
    QCOMPARE(items(child<QComboBox>(page.get(), "comboBox_itf")),
             QStringList({"LoRaWAN + BLE", "LoRaWAN only"}));
    QCOMPARE(items(child<QComboBox>(page.get(), "comboBox_Timestamp")), QStringList({"Disable", "Enable"}));
    QCOMPARE(items(child<QComboBox>(page.get(), "comboBox_Spire")),
             QStringList({"1000 Spires / 15 Ohms", "580 Spires / 7.5 Ohms", "580 Spires / 8.66 Ohms",
                          "1000 Spires / 8.66 Ohms", "1000 Spires / 0.5 Ohm"}));
    QCOMPARE(child<QComboBox>(page.get(), "comboBox_Spire")->currentIndex(), 0);
    const auto *toolBox = child<QToolBox>(page.get(), "toolBox");
    QCOMPARE(toolBox->currentIndex(), 0);
    QCOMPARE(toolBox->count(), 3);
    QCOMPARE(toolBox->itemText(0), QStringLiteral("General settings"));
    QCOMPARE(toolBox->itemText(1), QStringLiteral("Radio settings"));
    QCOMPARE(toolBox->itemText(2), QStringLiteral("Time settings"));
    QCOMPARE(toolBox->widget(1)->objectName(), QStringLiteral("radio_settings"));
    QCOMPARE(toolBox->widget(2)->objectName(), QStringLiteral("time_settings"));

    // The threshold editors are set up for their quantities.
    const auto *temp = child<WdgThresholdCfg>(page.get(), "wThresholdTemp");
    const auto *high = child<QDoubleSpinBox>(temp, "doubleSpinBox_HighThreshold");
    QCOMPARE(high->decimals(), 1);
    QCOMPARE(high->suffix(), QString::fromUtf8(" °C"));
    QCOMPARE(high->maximum(), 125.0);
    QCOMPARE(child<QDoubleSpinBox>(temp, "doubleSpinBox_LowThreshold")->minimum(), -40.0);
    const auto *cur = child<WdgThresholdCfg>(page.get(), "wThresholdCurrent");
    QCOMPARE(child<QDoubleSpinBox>(cur, "doubleSpinBox_HighThreshold")->suffix(), QStringLiteral(" A"));
    QCOMPARE(child<QDoubleSpinBox>(cur, "doubleSpinBox_HighThreshold")->decimals(), 2);
    QCOMPARE(child<QDoubleSpinBox>(cur, "doubleSpinBox_HighThreshold")->maximum(), 100.0);
    const auto *vbat = child<WdgThresholdCfg>(page.get(), "wThresholdVBat");
    QCOMPARE(child<QDoubleSpinBox>(vbat, "doubleSpinBox_HighThreshold")->suffix(), QStringLiteral(" V"));
    QCOMPARE(child<QDoubleSpinBox>(vbat, "doubleSpinBox_HighThreshold")->maximum(), 4.8);
    QCOMPARE(child<QDoubleSpinBox>(vbat, "doubleSpinBox_LowThreshold")->minimum(), 3.0);
}

void TestThermocouple::registersFamilyParameters()
{
    auto page = offline();
    const ParamTables expected = FamilyParams::thermocoupleTables();
    QCOMPARE(page->tables().paramNames, expected.paramNames);
    QCOMPARE(page->tables().paramErrors, expected.paramErrors);
    QCOMPARE(page->tables().bufferFlags, expected.bufferFlags);
    QCOMPARE(page->tables().name(59), QStringLiteral("Sending Interface"));
    QCOMPARE(page->tables().name(5), QStringLiteral("Radio technology"));

    // The radio technology exists only on dual-technology modules.
    auto lora = offline(5);
    QVERIFY(!lora->tables().isKnown(5));
    QVERIFY(lora->tables().isKnown(59));
}

void TestThermocouple::factoryCreatesThePage()
{
    std::unique_ptr<OrvObject> o(OrvFactory::createOffline(nullptr, kOrvType, kOrvRev, kKivType));
    QVERIFY(qobject_cast<OrvThermocouple *>(o.get()));
    QVERIFY(o->isOffline());
    QVERIFY(!OrvFactory::createOffline(nullptr, kOrvType, kOrvRev, 5));

    auto connected = connect();
    QVERIFY(connected);
    QVERIFY(!connected->isOffline());
}

// --- records in both directions --------------------------------------------------------------

void TestThermocouple::loadAndCollect_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("shownText");
    QTest::addColumn<QByteArray>("written");

    const QStringList none;
    QTest::newRow("temperature offset 0.10") << none << "24:0a00"
                                             << "doubleSpinBox_sensor1Offset"
                                             << "0.10" << hex("0a00");
    QTest::newRow("temperature offset -1.22") << none << "24:86ff"
                                              << "doubleSpinBox_sensor1Offset"
                                              << "-1.22" << hex("86ff");
    QTest::newRow("temperature coefficient 1") << none << "25:e803"
                                               << "doubleSpinBox_sensor1Coef"
                                               << "1.000" << hex("e803");
    QTest::newRow("temperature coefficient 0") << none << "25:0000"
                                               << "doubleSpinBox_sensor1Coef"
                                               << "0.000" << hex("0000");
    QTest::newRow("temperature coefficient max") << none << "25:ffff"
                                                 << "doubleSpinBox_sensor1Coef"
                                                 << "65.535" << hex("ffff");
    QTest::newRow("current coefficient 1.1") << none << "29:4c04"
                                             << "doubleSpinBox_currentCoef"
                                             << "1.100" << hex("4c04");
    QTest::newRow("current offset -0.246") << none << "30:0aff"
                                           << "doubleSpinBox_currentOffset"
                                           << "-0.246" << hex("0aff");
    QTest::newRow("current offset -1.25") << none << "30:1efb"
                                          << "doubleSpinBox_currentOffset"
                                          << "-1.250" << hex("1efb");
    QTest::newRow("couple 3") << none << "31:03"
                              << "comboBox_Spire"
                              << "1000 Spires / 8.66 Ohms" << hex("03");
    QTest::newRow("thermocouple on") << none << "58:01"
                                     << "checkBox_temp"
                                     << "checked" << hex("01");
    QTest::newRow("thermocouple off") << QStringList{"58:01"} << "58:00"
                                      << "checkBox_temp"
                                      << "unchecked" << hex("00");
    QTest::newRow("interface 11") << QStringList{"59:01"} << "59:11"
                                  << "comboBox_itf"
                                  << "LoRaWAN + BLE" << hex("11");
    QTest::newRow("interface 01") << none << "59:01"
                                  << "comboBox_itf"
                                  << "LoRaWAN only" << hex("01");
    // The default configuration's 16-bit form is shown and written back as wide as it came.
    QTest::newRow("interface 1100") << QStringList{"59:01"} << "59:1100"
                                    << "comboBox_itf"
                                    << "LoRaWAN + BLE" << hex("1100");
    QTest::newRow("interface 0100") << none << "59:0100"
                                    << "comboBox_itf"
                                    << "LoRaWAN only" << hex("0100");
    QTest::newRow("interface back to 1 byte") << QStringList{"59:1100"} << "59:01"
                                              << "comboBox_itf"
                                              << "LoRaWAN only" << hex("01");
    QTest::newRow("timestamp enable") << none << "11:01"
                                      << "comboBox_Timestamp"
                                      << "Enable" << hex("01");
    QTest::newRow("timestamp disable") << QStringList{"11:01"} << "11:00"
                                       << "comboBox_Timestamp"
                                       << "Disable" << hex("00");
    QTest::newRow("temperature threshold off")
        << none << "22:8813000032000000"
        << "wThresholdTemp" << QString::fromUtf8("50.0 °C|0.0 °C|+/- 0.5 °C|duration 0|fast off")
        << hex("8813000032000000");
    QTest::newRow("temperature threshold on")
        << none << "22:580270fe1400080a"
        << "wThresholdTemp" << QString::fromUtf8("6.0 °C|-4.0 °C|+/- 0.2 °C|duration 8|fast 10")
        << hex("580270fe1400080a");
    QTest::newRow("current threshold")
        << none << "23:dc0532000a000000"
        << "wThresholdCurrent"
        << "15.00 A|0.50 A|+/- 0.10 A|duration 0|fast off" << hex("dc0532000a000000");
    QTest::newRow("vbat threshold") << none << "26:6810e40c64000300"
                                    << "wThresholdVBat"
                                    << "4.2 V|3.3 V|+/- 0.1 V|duration 3|fast off" << hex("6810e40c64000300");
    QTest::newRow("data logging 1 min") << none << "20:000100"
                                        << "widgetDataLoggingCfg"
                                        << "1 min, 1 sample(s), depth 1" << hex("000100");
    QTest::newRow("data logging 30 min") << none << "20:111e00"
                                         << "widgetDataLoggingCfg"
                                         << "30 min, 2 sample(s), depth 2" << hex("111e00");
    QTest::newRow("technology sigfox") << none << "5:00"
                                       << "widgetRadioCfg"
                                       << "Sigfox" << hex("00");
    QTest::newRow("technology lorawan") << QStringList{"5:00"} << "5:01"
                                        << "widgetRadioCfg"
                                        << "LoRaWAN" << hex("01");
    QTest::newRow("radio configuration") << none << "4:00"
                                         << "widgetRadioCfg"
                                         << "LoRaWAN" << hex("00");
}

void TestThermocouple::loadAndCollect()
{
    QFETCH(QStringList, before);
    QFETCH(QString, record);
    QFETCH(QString, object);
    QFETCH(QString, shownText);
    QFETCH(QByteArray, written);

    auto page = offline();
    load(*page, before);
    load(*page, {record});
    QCOMPARE(shown(page.get(), object), shownText);
    QCOMPARE(page->loadAdjustments(), QStringList());

    const OrvParam loaded = records({record}).first();
    const OrvParam out = collected(*page, loaded.id());
    QCOMPARE(out.data().toHex(), written.toHex());
    QCOMPARE(out.isBuf(), loaded.isBuf());
    QCOMPARE(int(out.index()), 0);
}

void TestThermocouple::collectEditorValue_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("written");

    // Fixed point starts from the digits the box shows: 0.29 is 28.999... in binary.
    QTest::newRow("temperature offset 0.29")
        << "doubleSpinBox_sensor1Offset" << QVariant(0.29) << 24 << hex("1d00");
    QTest::newRow("temperature offset -0.29")
        << "doubleSpinBox_sensor1Offset" << QVariant(-0.29) << 24 << hex("e3ff");
    QTest::newRow("temperature offset 10")
        << "doubleSpinBox_sensor1Offset" << QVariant(10.0) << 24 << hex("e803");
    QTest::newRow("temperature coefficient 1.001")
        << "doubleSpinBox_sensor1Coef" << QVariant(1.001) << 25 << hex("e903");
    QTest::newRow("temperature coefficient bounded")
        << "doubleSpinBox_sensor1Coef" << QVariant(99.999) << 25 << hex("ffff");
    QTest::newRow("current coefficient 1.013")
        << "doubleSpinBox_currentCoef" << QVariant(1.013) << 29 << hex("f503");
    QTest::newRow("current coefficient 0.9")
        << "doubleSpinBox_currentCoef" << QVariant(0.9) << 29 << hex("8403");
    QTest::newRow("current offset -1.25")
        << "doubleSpinBox_currentOffset" << QVariant(-1.25) << 30 << hex("1efb");
    QTest::newRow("current offset 0.29")
        << "doubleSpinBox_currentOffset" << QVariant(0.29) << 30 << hex("2201");
    QTest::newRow("current offset 0.007")
        << "doubleSpinBox_currentOffset" << QVariant(0.007) << 30 << hex("0700");
    QTest::newRow("couple 4") << "comboBox_Spire" << QVariant(4) << 31 << hex("04");
    QTest::newRow("interface only") << "comboBox_itf" << QVariant(1) << 59 << hex("01");
    QTest::newRow("interface both") << "comboBox_itf" << QVariant(0) << 59 << hex("11");
    QTest::newRow("interface none") << "comboBox_itf" << QVariant(-1) << 59 << hex("00");
    QTest::newRow("timestamp") << "comboBox_Timestamp" << QVariant(1) << 11 << hex("01");
    QTest::newRow("thermocouple") << "checkBox_temp" << QVariant(true) << 58 << hex("01");
}

void TestThermocouple::collectEditorValue()
{
    QFETCH(QString, object);
    QFETCH(QVariant, value);
    QFETCH(int, id);
    QFETCH(QByteArray, written);

    auto page = offline();
    QObject *o = child<QObject>(page.get(), object);
    if (auto *s = qobject_cast<QDoubleSpinBox *>(o))
        s->setValue(value.toDouble());
    else if (auto *c = qobject_cast<QComboBox *>(o))
        c->setCurrentIndex(value.toInt());
    else if (auto *b = qobject_cast<QCheckBox *>(o))
        b->setChecked(value.toBool());
    QCOMPARE(collected(*page, quint8(id)).data().toHex(), written.toHex());
}

void TestThermocouple::collectOrderAndBufferFlags()
{
    auto page = offline();
    QVector<int> ids;
    QVector<int> buffers;
    for (const OrvParam &p : collect(*page)) {
        ids << p.id();
        if (p.isBuf())
            buffers << p.id();
        QCOMPARE(int(p.index()), 0);
    }
    QCOMPARE(ids, QVector<int>({4, 11, 20, 22, 23, 26, 24, 25, 29, 30, 31, 58, 59, 5}));
    QCOMPARE(buffers, QVector<int>({4, 20, 22, 23, 26}));

    // A LoRaWAN-only module has no radio technology parameter.
    auto lora = offline(5);
    ids.clear();
    for (const OrvParam &p : collect(*lora))
        ids << p.id();
    QVERIFY(!ids.contains(5));
    QCOMPARE(ids.size(), 13);
}

void TestThermocouple::vbatFastTxChecksOnlyItsOwnBox()
{
    auto page = offline();
    load(*page, {"26:6810e40c64000005"});
    const auto fastBox = [&](const char *editor) {
        return child<QCheckBox>(child<WdgThresholdCfg>(page.get(), editor), "checkBox_fastSampling_2");
    };
    QVERIFY(fastBox("wThresholdVBat")->isChecked());
    QVERIFY(!fastBox("wThresholdTemp")->isChecked());
    QVERIFY(!fastBox("wThresholdCurrent")->isChecked());
    QCOMPARE(child<QSpinBox>(child<WdgThresholdCfg>(page.get(), "wThresholdVBat"), "spinBox_FastSampling")
                 ->value(),
             5);
}

void TestThermocouple::recordsWithoutEditorAreKept()
{
    auto page = offline();
    load(*page, {"3:05", "27:3c00", "28:d40d", "32:0a00", "63:01", "24:0a00"});
    const auto tail = [&] {
        QMultiMap<int, QByteArray> out;
        for (const OrvParam &p : collect(*page)) {
            if (p.id() == 3 || p.id() == 27 || p.id() == 28 || p.id() == 32 || p.id() == 63)
                out.insert(p.id(), p.data());
        }
        return out;
    };
    QMultiMap<int, QByteArray> expected;
    expected.insert(3, hex("05"));
    expected.insert(27, hex("3c00"));
    expected.insert(28, hex("d40d"));
    expected.insert(32, hex("0a00"));
    QCOMPARE(tail(), expected);
    // They come after the editors' records.
    const OrvParamList all = collect(*page);
    QCOMPARE(int(all.at(all.size() - 5).id()), 5);

    // A later load replaces the kept record of the same id only.
    load(*page, {"28:0100"});
    expected.replace(28, hex("0100"));
    QCOMPARE(tail(), expected);
}

void TestThermocouple::defaultConfigRoundTrip()
{
    auto page = offline();
    // The resource's twelve records and the factory values of the four it doesn't hold.
    QCOMPARE(page->loadDefaultConfig(), 16);
    QCOMPARE(page->loadAdjustments(), QStringList());
    QCOMPARE(page->statusBar()->currentMessage(), ConfigFile::loadSucceededText(QStringLiteral("default")));

    DeviceIdentity identity;
    identity.orvType = kOrvType;
    identity.orvRev = kOrvRev;
    identity.kivType = kKivType;
    OrvParamList expected;
    const QString path = OrvList::instance().defaultConfig(kOrvType, kOrvRev, kKivType);
    QCOMPARE(ConfigFile::read(path, true, identity, expected).presentTo(m_rep), 12);

    const OrvParamList out = collect(*page);
    for (const OrvParam &e : expected) {
        int found = 0;
        for (const OrvParam &p : out) {
            if (p.id() != e.id())
                continue;
            ++found;
            QVERIFY2(p.data() == e.data(),
                     qPrintable(QStringLiteral("id %1: %2 written as %3")
                                    .arg(e.id())
                                    .arg(QString(e.data().toHex()), QString(p.data().toHex()))));
            QCOMPARE(p.isBuf(), e.isBuf());
        }
        QVERIFY2(found == 1, qPrintable(QStringLiteral("id %1 collected %2 times").arg(e.id()).arg(found)));
    }
}

void TestThermocouple::defaultConfigSurvivesSave()
{
    auto page = offline();
    QCOMPARE(page->loadDefaultConfig(), 16);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("saved.ocf"));
    QCOMPARE(page->writeFile(file), 0);

    DeviceIdentity identity;
    identity.orvType = kOrvType;
    identity.kivType = kKivType;
    OrvParamList defaults;
    OrvParamList saved;
    QCOMPARE(ConfigFile::read(OrvList::instance().defaultConfig(kOrvType, kOrvRev, kKivType), true, identity,
                              defaults)
                 .presentTo(m_rep),
             12);
    QVERIFY(ConfigFile::read(file, false, identity, saved).presentTo(m_rep) > 12);
    for (const OrvParam &d : defaults) {
        const auto it =
            std::find_if(saved.cbegin(), saved.cend(), [&](const OrvParam &s) { return s.id() == d.id(); });
        QVERIFY2(it != saved.cend(),
                 qPrintable(QStringLiteral("%1 lost on save").arg(page->tables().name(d.id()))));
        QCOMPARE(it->data().toHex(), d.data().toHex());
    }
}

// --- values the editors cannot show as loaded ----------------------------------------------

void TestThermocouple::loadAdjustmentsShown_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("notes");

    QTest::newRow("interface 2 bytes unknown")
        << QStringList{"59:1105"} << QStringList{"Sending Interface 1105 will be written as 11"};
    QTest::newRow("interface unknown")
        << QStringList{"59:33"} << QStringList{"Sending Interface 33 will be written as 11"};
    QTest::newRow("couple not listed")
        << QStringList{"31:07"} << QStringList{"Couple Spire/Resistance 07 will be written as 00"};
    QTest::newRow("offset beyond box")
        << QStringList{"24:e903"} << QStringList{"Temperature Offset E903 will be written as E803"};
    QTest::newRow("coefficient below box")
        << QStringList{"29:0000"} << QStringList{"Current coefficient 0000 will be written as 8403"};
    QTest::newRow("state 2") << QStringList{"58:02"}
                             << QStringList{"Thermocouple state 02 will be written as 01"};
    QTest::newRow("timestamp 2") << QStringList{"11:02"} << QStringList{"Timestamp 02 will be written as 00"};
    // The two fast TX periods are one setting: the later record wins.
    QTest::newRow("fast TX periods differ")
        << QStringList{"22:881300003200050a", "23:dc0532000a000506"}
        << QStringList{"Tempreature threshold 881300003200050A will be written as 8813000032000506"};
    QTest::newRow("two notes in id order") << QStringList{"59:1105", "31:07"}
                                           << QStringList{"Couple Spire/Resistance 07 will be written as 00",
                                                          "Sending Interface 1105 will be written as 11"};
}

void TestThermocouple::loadAdjustmentsShown()
{
    QFETCH(QStringList, items);
    QFETCH(QStringList, notes);
    auto page = offline();
    load(*page, items);
    QCOMPARE(page->loadAdjustments(), notes);
    // Whole, in the message bar, until dismissed.
    MessageBar *bar = page->messageBar();
    QCOMPARE(bar->text(), kAdjustedPrefix + notes.join(QStringLiteral("; ")));
    load(*page, items); // the same note again is not repeated
    QCOMPARE(bar->text(), kAdjustedPrefix + notes.join(QStringLiteral("; ")));
    bar->findChild<QToolButton *>(QStringLiteral("messageBarClose"))->click();
    QCOMPARE(bar->text(), QString());
    QVERIFY(bar->isHidden());
}

void TestThermocouple::editorNotesShown()
{
    // The editors' own texts are shown where they have one.
    auto page = offline();
    load(*page, {"22:c832000032000000"});
    const auto *temp = child<WdgThresholdCfg>(page.get(), "wThresholdTemp");
    QVERIFY(temp->adjustments().contains(QStringLiteral("rejected")));
    const QString thresholdNote =
        QStringLiteral("Tempreature threshold C832000032000000 will be written as %1 (%2)")
            .arg(Hex::upper(temp->toConfig(100)), temp->adjustments());
    QCOMPARE(page->loadAdjustments(), QStringList{thresholdNote});
    QCOMPARE(page->messageBar()->text(), kAdjustedPrefix + thresholdNote);

    // Sigfox allows a statement at most every 10 minutes.
    load(*page, {"5:00", "20:000100"});
    const QString loggingNote = child<WdgDataLoggingCfg>(page.get(), "widgetDataLoggingCfg")->loadNote();
    QVERIFY(loggingNote.contains(QStringLiteral("000100")));
    QCOMPARE(page->loadAdjustments(), QStringList{loggingNote});

    load(*page, {"5:01", "4:05"});
    QCOMPARE(page->loadAdjustments().size(), 1);
    QVERIFY2(page->loadAdjustments().first().startsWith(
                 QStringLiteral("Radio configuration 05 will be written as")),
             qPrintable(page->loadAdjustments().first()));
}

void TestThermocouple::cleanLoadShowsNoAdjustment()
{
    auto page = offline();
    load(*page, {"59:1105"});
    QVERIFY(!page->loadAdjustments().isEmpty());
    page->statusBar()->clearMessage();
    load(*page, {"59:01", "31:02", "58:01", "24:0a00"});
    QCOMPARE(page->loadAdjustments(), QStringList());
    QCOMPARE(page->statusBar()->currentMessage(), QString());
    QCOMPARE(page->messageBar()->text(), QString()); // the note went with the values it was about
}

void TestThermocouple::restoredDefaultsKeepTheNote()
{
    // Restored values that the page cannot show as they are: the success of the restore must
    // not hide what the next Apply will write instead.
    auto page = connect();
    QVERIFY(page);
    m_dev->setDefaultParam(FamilyParams::ParamSpireResistance, hex("07"));
    QCOMPARE(page->restoreDefaults(), 0);
    const QString note = QStringLiteral("Couple Spire/Resistance 07 will be written as 00");
    QCOMPARE(page->loadAdjustments(), QStringList{note});
    QCOMPARE(page->statusBar()->currentMessage(),
             QStringLiteral("Default configuration from Pelm, has succeeded !"));
    QCOMPARE(page->messageBar()->text(), kAdjustedPrefix + note);

    // Restored values shown as they are: the success alone.
    m_dev->setDefaultParam(FamilyParams::ParamSpireResistance, hex("02"));
    QCOMPARE(page->restoreDefaults(), 0);
    QCOMPARE(page->loadAdjustments(), QStringList());
    QCOMPARE(page->statusBar()->currentMessage(),
             QStringLiteral("Default configuration from Pelm, has succeeded !"));
    QCOMPARE(page->messageBar()->text(), QString());
}

// --- rules between editors -------------------------------------------------------------------

void TestThermocouple::dataLoggingLimits_data()
{
    QTest::addColumn<QString>("technology");
    QTest::addColumn<bool>("enable");
    QTest::addColumn<int>("frames3");  // frameCount(3, 1)
    QTest::addColumn<int>("frames11"); // frameCount(11, 1)
    QTest::addColumn<int>("frames22"); // frameCount(22, 1)

    // Two values of 2 bytes: blocks of 2 x samples + 1 bytes after a 3-byte header.
    QTest::newRow("LoRaWAN, 51 bytes") << "5:01" << false << 1 << 1 << 2;
    QTest::newRow("LoRaWAN + timestamp, 47 bytes") << "5:01" << true << 1 << 2 << 0;
    QTest::newRow("Sigfox, 12 bytes") << "5:00" << false << 2 << 0 << 0;
    QTest::newRow("Sigfox + timestamp, 8 bytes") << "5:00" << true << 0 << 0 << 0;
}

void TestThermocouple::dataLoggingLimits()
{
    QFETCH(QString, technology);
    QFETCH(bool, enable);
    QFETCH(int, frames3);
    QFETCH(int, frames11);
    QFETCH(int, frames22);

    // Chosen by the user in the box ...
    auto page = offline();
    load(*page, {technology});
    if (enable) {
        auto *box = child<QComboBox>(page.get(), "comboBox_Timestamp");
        QSignalSpy activated(box, QOverload<int>::of(&QComboBox::activated));
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(box->currentText(), QStringLiteral("Enable"));
    }
    const auto *logging = child<WdgDataLoggingCfg>(page.get(), "widgetDataLoggingCfg");
    QCOMPARE(logging->frameCount(3, 1), frames3);
    QCOMPARE(logging->frameCount(11, 1), frames11);
    QCOMPARE(logging->frameCount(22, 1), frames22);

    // ... or loaded, in either order (a file gives the timestamp last).
    const QString timestamp = enable ? QStringLiteral("11:01") : QStringLiteral("11:00");
    for (const QStringList &items :
         {QStringList{timestamp, technology}, QStringList{technology, timestamp}}) {
        auto loaded = offline();
        load(*loaded, items);
        const auto *logging2 = child<WdgDataLoggingCfg>(loaded.get(), "widgetDataLoggingCfg");
        QCOMPARE(logging2->frameCount(3, 1), frames3);
        QCOMPARE(logging2->frameCount(11, 1), frames11);
        QCOMPARE(logging2->frameCount(22, 1), frames22);
    }
}

void TestThermocouple::radioTechnologyChangeRecomputesLimits()
{
    auto page = offline();
    const auto *logging = child<WdgDataLoggingCfg>(page.get(), "widgetDataLoggingCfg");
    QCOMPARE(logging->frameCount(22, 1), 2);
    child<WdgRadioCfg>(page.get(), "widgetRadioCfg")->setRadioTechnology(WdgRadioCfg::TechnologySigfox);
    QCOMPARE(logging->frameCount(3, 1), 2);
    QCOMPARE(logging->frameCount(22, 1), 0);
}

void TestThermocouple::dataLoggingAppliedAfterTechnologyAndTimestamp()
{
    auto page = offline();
    load(*page, {"5:00"}); // Sigfox: a statement at most every 10 minutes
    // A file gives its records in key order: "Data logging" before "Radio technology".
    load(*page, {"20:000100", "5:01", "11:00"});
    QCOMPARE(page->loadAdjustments(), QStringList());
    QCOMPARE(child<WdgDataLoggingCfg>(page.get(), "widgetDataLoggingCfg")->statementPeriod(), 1u);
    QCOMPARE(collected(*page, 20).data().toHex(), QByteArray("000100"));
}

void TestThermocouple::thresholdsAppliedAfterStatementPeriod()
{
    auto page = offline();
    load(*page, {"20:000500"}); // fast TX at most 5 minutes
    load(*page, {"22:881300003200050a", "20:003c00"});
    QCOMPARE(page->loadAdjustments(), QStringList());
    QCOMPARE(collected(*page, 22).data().toHex(), QByteArray("881300003200050a"));
}

void TestThermocouple::statementPeriodBoundsFastTx()
{
    auto page = offline();
    const auto maximum = [&](const char *editor) {
        return child<QSpinBox>(child<WdgThresholdCfg>(page.get(), editor), "spinBox_FastSampling")->maximum();
    };
    const int vbatBefore = maximum("wThresholdVBat");
    load(*page, {"20:001e00"});
    QCOMPARE(maximum("wThresholdTemp"), 30);
    QCOMPARE(maximum("wThresholdCurrent"), 30);
    QCOMPARE(maximum("wThresholdVBat"), vbatBefore);
    // The period travels in one byte.
    load(*page, {"20:002c01"});
    QCOMPARE(maximum("wThresholdTemp"), 255);
    QCOMPARE(maximum("wThresholdCurrent"), 255);
}

void TestThermocouple::fastTxPeriodsStayEqual()
{
    auto page = offline();
    load(*page, {"20:003c00", "23:dc0532000a000500"});
    const auto editor = [&](const char *name) { return child<WdgThresholdCfg>(page.get(), name); };
    const auto period = [&](const char *name) {
        return child<QSpinBox>(editor(name), "spinBox_FastSampling")->value();
    };
    const auto checked = [&](const char *name) {
        return child<QCheckBox>(editor(name), "checkBox_fastSampling_2")->isChecked();
    };
    child<QSpinBox>(editor("wThresholdTemp"), "spinBox_FastSampling")->setValue(7);
    QCOMPARE(period("wThresholdCurrent"), 7);
    child<QSpinBox>(editor("wThresholdCurrent"), "spinBox_FastSampling")->setValue(9);
    QCOMPARE(period("wThresholdTemp"), 9);
    QVERIFY(!checked("wThresholdTemp"));
    QVERIFY(!checked("wThresholdCurrent"));
    QVERIFY(period("wThresholdVBat") != 9);
}

void TestThermocouple::thermocoupleBoxEnablesTemperatureThreshold()
{
    auto page = offline();
    auto *box = child<QCheckBox>(page.get(), "checkBox_temp");
    const auto *group = child<QGroupBox>(page.get(), "groupBox_4");
    QVERIFY(!box->isChecked());
    QVERIFY(group->isEnabled());
    load(*page, {"58:00"});
    QVERIFY(group->isEnabled());
    box->setChecked(true);
    box->setChecked(false);
    QVERIFY(!group->isEnabled());
    load(*page, {"58:01"});
    QVERIFY(group->isEnabled());
}

// --- connected page ----------------------------------------------------------------------------

void TestThermocouple::connectedPageStartsReadings()
{
    auto page = connect();
    QVERIFY(page);
    QVERIFY(page->updatesRunning());
    QCOMPARE(m_dev->clockSets().size(), 1); // the timestamp widget sets the clock
    QCOMPARE(m_dev->commandCount(OrvThermocouple::CmdTemperature), 0);
    QCOMPARE(m_dev->commandCount(OrvThermocouple::CmdCurrent), 1);
    QCOMPARE(m_dev->commandCount(OrvThermocouple::CmdBatteryVoltage), 1);
    const auto *temperature = child<QLabel>(page.get(), "temperature");
    QCOMPARE(temperature->text(), QStringLiteral("Thermocouple Disable"));
    QVERIFY(!temperature->isEnabled());
    QCOMPARE(child<QLabel>(page.get(), "current")->text(), QStringLiteral("12.34 A"));
    QCOMPARE(child<QLabel>(page.get(), "vbat")->text(), QStringLiteral("3600 mV"));
}

void TestThermocouple::liveReadings_data()
{
    QTest::addColumn<int>("centiDegrees");
    QTest::addColumn<int>("centiAmperes");
    QTest::addColumn<int>("millivolts");
    QTest::addColumn<QString>("temperature");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("vbat");

    QTest::newRow("typical") << 2150 << 1234 << 3600 << QString::fromUtf8("21.5 °C") << "12.34 A"
                             << "3600 mV";
    QTest::newRow("below zero") << -1234 << 5 << 2999 << QString::fromUtf8("-12.3 °C") << "0.05 A"
                                << "2999 mV";
    QTest::newRow("large") << 32767 << 65535 << 65535 << QString::fromUtf8("327.7 °C") << "655.4 A"
                           << "6.554e+04 mV";
    QTest::newRow("zero") << 0 << 0 << 0 << QString::fromUtf8("0.0 °C") << "0 A"
                          << "0 mV";
}

void TestThermocouple::liveReadings()
{
    QFETCH(int, centiDegrees);
    QFETCH(int, centiAmperes);
    QFETCH(int, millivolts);
    QFETCH(QString, temperature);
    QFETCH(QString, current);
    QFETCH(QString, vbat);

    auto page = connect();
    QVERIFY(page);
    m_dev->setTemperature(qint16(centiDegrees));
    m_dev->setCurrent(quint16(centiAmperes));
    m_dev->setBatteryVoltage(quint16(millivolts));
    child<QCheckBox>(page.get(), "checkBox_temp")->setChecked(true);
    m_dev->resetCounters();
    page->updateValues();
    QCOMPARE(m_dev->commandCount(OrvThermocouple::CmdTemperature), 1);
    QCOMPARE(child<QLabel>(page.get(), "temperature")->text(), temperature);
    QVERIFY(child<QLabel>(page.get(), "temperature")->isEnabled());
    QCOMPARE(child<QLabel>(page.get(), "current")->text(), current);
    QCOMPARE(child<QLabel>(page.get(), "vbat")->text(), vbat);
}

void TestThermocouple::liveReadingsNotAvailable_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("label");

    const quint8 link = Comm::kLinkUsbHid;
    QTest::newRow("temperature of 3 bytes")
        << 20 << SimDevice::answer(link, 1, hex("112233")) << "temperature";
    QTest::newRow("temperature of 1 byte") << 20 << SimDevice::answer(link, 1, hex("11")) << "temperature";
    QTest::newRow("current not acknowledged") << 21 << SimDevice::answer(link, 255, hex("1122")) << "current";
    QTest::newRow("vbat more packets announced") << 22 << SimDevice::answer(link, 2, hex("1122")) << "vbat";
}

void TestThermocouple::liveReadingsNotAvailable()
{
    QFETCH(int, command);
    QFETCH(QByteArray, answer);
    QFETCH(QString, label);

    auto page = connect();
    QVERIFY(page);
    child<QCheckBox>(page.get(), "checkBox_temp")->setChecked(true);
    m_dev->scriptAnswers(quint8(command), {answer});
    page->updateValues();
    const QStringList labels{"temperature", "current", "vbat"};
    for (const QString &name : labels) {
        const QString text = child<QLabel>(page.get(), name)->text();
        if (name == label)
            QCOMPARE(text, QStringLiteral("N/A"));
        else
            QVERIFY2(text != QStringLiteral("N/A"), qPrintable(name));
    }

    // A silent device: every reading is not available.
    m_dev->setFault(SimFault(SimFault::Silent));
    page->updateValues();
    for (const QString &name : labels)
        QCOMPARE(child<QLabel>(page.get(), name)->text(), QStringLiteral("N/A"));
    m_dev->clearFault();
}

void TestThermocouple::liveReadingsKeptDuringAnotherExchange()
{
    auto page = connect();
    QVERIFY(page);
    QCOMPARE(page->loadFromDevice(), 0);
    child<QCheckBox>(page.get(), "checkBox_temp")->setChecked(true);
    page->updateValues();
    const QStringList shown = liveTexts(page.get());
    QCOMPARE(shown, (QStringList{QString::fromUtf8("21.5 °C"), "12.34 A", "3600 mV"}));
    m_dev->setTemperature(-500);
    m_dev->setCurrent(999);
    m_dev->setBatteryVoltage(3100);

    // The refresh falls inside the box of an apply: the readings keep their last values and
    // the device is not asked.
    m_dev->setRefused(FamilyParams::ParamSpireResistance);
    int requestsInBox = -1;
    QStringList shownInBox;
    m_rep.onBox = [&] {
        const int before = m_dev->requestCount();
        QVERIFY(QMetaObject::invokeMethod(page.get(), "updateValues"));
        requestsInBox = m_dev->requestCount() - before;
        shownInBox = liveTexts(page.get());
    };
    page->findChild<QComboBox *>("comboBox_Spire")->setCurrentIndex(2);
    m_rep.answer(Reporter::Ok); // the comparison before the write is the first box
    QCOMPARE(page->applyToDevice(), 0);
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Write to the device?"));
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Apply configuration failed"));
    QCOMPARE(requestsInBox, 0);
    QCOMPARE(shownInBox, shown);

    // Afterwards the next refresh reads again.
    page->updateValues();
    QCOMPARE(liveTexts(page.get()), (QStringList{QString::fromUtf8("-5.0 °C"), "9.99 A", "3100 mV"}));
}

void TestThermocouple::requestDuringReadingOverBle_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Apply") << "pushButton_apply";
    QTest::newRow("Reload") << "pushButton_reload";
    QTest::newRow("Default") << "pushButton_default";
    QTest::newRow("date offset") << "adjsutButton";
}

void TestThermocouple::requestDuringReadingOverBle()
{
    // Over BLE a live reading waits for its answer in an event loop, where the user's click
    // arrives: the request can't run then, and the user is told so.
    QFETCH(QString, button);
    const ScopedSimBle ble(m_dev.get());
    WdgOrv frame;
    auto *page = qobject_cast<OrvThermocouple *>(
        OrvFactory::connectBle(QString::fromLatin1(SimBleBackend::kDefaultAddress), nullptr));
    QVERIFY(page);
    frame.setDevice(page, WdgOrv::ModeBle); // the frame owns the page from here
    QCOMPARE(page->loadFromDevice(), 0);
    child<QSpinBox>(page, "adjustSpinBox")->setValue(5);
    m_dev->resetCounters();
    page->statusBar()->clearMessage();

    auto *target = child<QPushButton>(&frame, button);
    bool clicked = false;
    QTimer::singleShot(0, target, [&] {
        QVERIFY(DeviceBusyGuard::isBusy()); // inside the reading
        clicked = true;
        target->click();
    });
    page->updateValues();
    QVERIFY(clicked);
    QCOMPARE(page->statusBar()->currentMessage(), kBusyStatus);
    QCOMPARE(m_dev->commandCount(Protocol::kCmdParams), 0); // nothing of the request was sent
    QVERIFY(!liveTexts(page).contains(QStringLiteral("N/A")));
    QVERIFY(!m_rep.hasBoxes());

    // Once the reading is over the same click runs (Default after the user said yes).
    page->statusBar()->clearMessage();
    const bool asks = button == QLatin1String("pushButton_default");
    const bool applies = button == QLatin1String("pushButton_apply");
    if (asks)
        m_rep.answer(Reporter::Yes);
    if (applies) { // a change to write, and Write in the comparison
        child<QComboBox>(page, "comboBox_Spire")->setCurrentIndex(2);
        m_rep.answer(Reporter::Ok);
    }
    target->click();
    if (asks)
        QCOMPARE(m_rep.takeBox().title, QStringLiteral("Default configuration"));
    if (applies)
        QCOMPARE(m_rep.takeBox().title, QStringLiteral("Write to the device?"));
    QVERIFY(m_dev->commandCount(Protocol::kCmdParams) > 0);
    QVERIFY(page->statusBar()->currentMessage() != kBusyStatus);
}

void TestThermocouple::offlinePageSendsNothing()
{
    std::unique_ptr<OrvObject> o(OrvFactory::createOffline(nullptr, kOrvType, kOrvRev, kKivType));
    auto *page = qobject_cast<OrvThermocouple *>(o.get());
    QVERIFY(page);
    QVERIFY(!page->updatesRunning());
    QCOMPARE(child<QLabel>(page, "temperature")->text(), QStringLiteral("--"));
    QCOMPARE(child<QLabel>(page, "current")->text(), QStringLiteral("--"));
    QCOMPARE(child<QLabel>(page, "vbat")->text(), QStringLiteral("--"));
    QCOMPARE(m_dev->requestCount(), 0);
}

void TestThermocouple::loRaWanKeysWritten()
{
    auto page = connect();
    QVERIFY(page);
    load(*page, {"24:0a00"});
    QSignalSpy applied(page.get(), &OrvObject::cfgAppliedToDevice);
    const QByteArray eui = hex("70b3d57ed0001122");
    const QByteArray key = hex("00112233445566778899aabbccddeeff");
    m_dev->resetCounters();
    page->updateLoRaWANKeys(eui, key);
    QCOMPARE(applied.count(), 1);
    QCOMPARE(m_dev->appEui(), eui);
    QCOMPARE(m_dev->appKey(), key);
    QVector<int> ids;
    for (const OrvParam &p : m_dev->writtenParams()) {
        ids << p.id();
        QVERIFY(p.isBuf());
    }
    QVERIFY(ids.contains(6) && ids.contains(7));
    QVERIFY(!ids.contains(24)); // only the keys are written
    QCOMPARE(page->statusBar()->currentMessage(),
             QStringLiteral("Apply configuration to Pelm, has succeeded !"));
}

void TestThermocouple::loRaWanKeysRefusedByDevice()
{
    auto page = connect();
    QVERIFY(page);
    QSignalSpy applied(page.get(), &OrvObject::cfgAppliedToDevice);

    // A refused key is no success: the keys dialog must not hear of an applied configuration,
    // and the report names the key with its message.
    m_dev->setRefused(7);
    page->updateLoRaWANKeys(hex("0102030405060708"), hex("00112233445566778899aabbccddeeff"));
    QCOMPARE(applied.count(), 0);
    const Reporter::Box refused = m_rep.takeBox();
    QCOMPARE(refused.title, QStringLiteral("Apply configuration failed"));
    QVERIFY2(refused.text.contains(QStringLiteral("    - AppKey (7): Can't set AppKey !\n")),
             qPrintable(refused.text));
    QVERIFY(!m_rep.hasBoxes());
    m_dev->setRefused(7, false);

    // Keys shorter than their full length are not sent at all.
    const int writes = m_dev->commandCount(5);
    page->updateLoRaWANKeys(hex("01020304050607"), hex("00112233445566778899aabbccddeeff"));
    QCOMPARE(applied.count(), 0);
    QCOMPARE(m_dev->commandCount(5), writes);
    const Reporter::Box shortKey = m_rep.takeBox();
    QCOMPARE(shortKey.title, QStringLiteral("Change LoRaWAN keys"));
    QCOMPARE(shortKey.text, QStringLiteral("The AppEUI must have 16 hexadecimal digits."));
    QCOMPARE(m_dev->appEui(), hex("0102030405060708")); // as the refused write left it

    // No answer: nothing is signalled.
    m_dev->setFault(SimFault(SimFault::NotAcknowledged));
    page->updateLoRaWANKeys(hex("0102030405060708"), hex("00112233445566778899aabbccddeeff"));
    QCOMPARE(applied.count(), 0);
    QStringList titles;
    while (m_rep.hasBoxes())
        titles << m_rep.takeBox().title;
    QVERIFY2(titles.contains(QStringLiteral("Apply configuration failed !")), qPrintable(titles.join('\n')));
}

void TestThermocouple::clockCorrection()
{
    auto page = connect();
    QVERIFY(page);
    child<QSpinBox>(page.get(), "adjustSpinBox")->setValue(5);
    child<QPushButton>(page.get(), "adjsutButton")->click();
    QCOMPARE(m_dev->clockShifts(), QList<qint16>{5});
}

void TestThermocouple::screenshot()
{
    auto page = offline();
    page->resize(1281, 840);
    const QPixmap shot = page->grab();
    QCOMPARE(shot.size(), QSize(1281, 840));
    const QString dir = qEnvironmentVariable("PELM_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(shot.save(QDir(dir).filePath(QStringLiteral("thermocouple_offline.png"))));
}

QTEST_MAIN(TestThermocouple)
#include "tst_thermocouple.moc"

// Threshold editor: box consistency, setValues' rejections, fast TX, the threshold record at
// scale 100 and 1000, round trips, and the report of records it cannot show as loaded.
// Also the fixed-point conversion shared with the device page.

#include "editors/FixedPoint.h"
#include "editors/WdgThresholdCfg.h"
#include "support/WarningRecorder.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

#include <cmath>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

/// The three setups of the thermocouple family's page.
enum Setup
{
    Temperature, ///< 1 decimal, -40 to 125, step 0.1, " °C", scale 100
    Current,     ///< 2 decimals, 0 to 100, step 0.01, " A", scale 100
    VBat,        ///< 1 decimal, 3.0 to 4.8, step 0.1, " V", scale 1000
};

int scaleOf(Setup s)
{
    return s == VBat ? WdgThresholdCfg::kScaleMilli : WdgThresholdCfg::kScaleCenti;
}

void configure(WdgThresholdCfg &w, Setup s)
{
    switch (s) {
    case Temperature:
        w.setDecimals(1);
        w.setRange(-40, 125);
        w.setStep(0.1);
        w.setUnit(QString::fromUtf8(" °C"));
        break;
    case Current:
        w.setDecimals(2);
        w.setRange(0, 100);
        w.setStep(0.01);
        w.setUnit(" A");
        break;
    case VBat:
        w.setDecimals(1);
        w.setRange(3.0, 4.8);
        w.setStep(0.1);
        w.setUnit(" V");
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestThresholdCfg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fixedPointStartsFromShownDigits_data();
    void fixedPointStartsFromShownDigits();
    void fixedPointEveryShownValue();
    void fixedPointSaturates();

    void initialForm();
    void consistencyRules_data();
    void consistencyRules();
    void setStepSetsGapsAndSteps();
    void setValuesAccepts_data();
    void setValuesAccepts();
    void setValuesRejectsAndChangesNothing_data();
    void setValuesRejectsAndChangesNothing();
    void durationAndFastTxGetters();
    void fastTxCheckBoxEnablesBox();
    void fastTxSignalAndSetters();
    void fastTxMaximum();
    void decodesRecord();
    void toConfigScalesAndTruncates_data();
    void toConfigScalesAndTruncates();
    void roundTrip_data();
    void roundTrip();
    void adjustedRecordsAreReported_data();
    void adjustedRecordsAreReported();
    void rejectedRecordKeepsValuesButAppliesFastTx();
    void wrongRecordSizeChangesNothing_data();
    void wrongRecordSizeChangesNothing();

private:
    WdgThresholdCfg *m_w = nullptr;
    QDoubleSpinBox *m_high = nullptr;
    QDoubleSpinBox *m_low = nullptr;
    QDoubleSpinBox *m_hyst = nullptr;
    QSpinBox *m_duration = nullptr;
    QSpinBox *m_fast = nullptr;
    QCheckBox *m_fastCheck = nullptr;
    QLabel *m_fastLabel = nullptr;
    QGroupBox *m_group = nullptr;
    QStringList m_warnings; ///< logged while the editor was built
};

void TestThresholdCfg::init()
{
    {
        const WarningRecorder recorder;
        m_w = new WdgThresholdCfg;
        m_warnings = recorder.warnings();
    }
    m_high = m_w->findChild<QDoubleSpinBox *>("doubleSpinBox_HighThreshold");
    m_low = m_w->findChild<QDoubleSpinBox *>("doubleSpinBox_LowThreshold");
    m_hyst = m_w->findChild<QDoubleSpinBox *>("doubleSpinBox_HysteresisThreshold");
    m_duration = m_w->findChild<QSpinBox *>("spinBox_DurationThreshold");
    m_fast = m_w->findChild<QSpinBox *>("spinBox_FastSampling");
    m_fastCheck = m_w->findChild<QCheckBox *>("checkBox_fastSampling_2");
    m_fastLabel = m_w->findChild<QLabel *>("label_fastSampling");
    m_group = m_w->findChild<QGroupBox *>("groupBox_threshold");
    QVERIFY(m_high && m_low && m_hyst && m_duration && m_fast && m_fastCheck && m_fastLabel && m_group);
}

void TestThresholdCfg::cleanup()
{
    delete m_w;
    m_w = nullptr;
}

void TestThresholdCfg::fixedPointStartsFromShownDigits_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<int>("scale");
    QTest::addColumn<qint64>("raw");

    QTest::newRow("0.29 x 100 (28.999... in binary)") << 0.29 << 2 << 100 << qint64(29);
    QTest::newRow("-0.29 x 100") << -0.29 << 2 << 100 << qint64(-29);
    QTest::newRow("1.15 x 100") << 1.15 << 2 << 100 << qint64(115);
    QTest::newRow("4.35 x 1000, 2 decimals") << 4.35 << 2 << 1000 << qint64(4350);
    QTest::newRow("-1.25 x 1000") << -1.25 << 2 << 1000 << qint64(-1250);
    QTest::newRow("value beyond the shown digits: -0.246 shows -0.25") << -0.246 << 2 << 1000 << qint64(-250);
    QTest::newRow("truncated toward zero: 0.125 x 100") << 0.125 << 3 << 100 << qint64(12);
    QTest::newRow("truncated toward zero: -0.125 x 100") << -0.125 << 3 << 100 << qint64(-12);
    QTest::newRow("-0.999 x 100") << -0.999 << 3 << 100 << qint64(-99);
    QTest::newRow("125.0 x 100") << 125.0 << 1 << 100 << qint64(12500);
    QTest::newRow("-40.0 x 100") << -40.0 << 1 << 100 << qint64(-4000);
    QTest::newRow("no decimals") << 7.0 << 0 << 1000 << qint64(7000);
    QTest::newRow("99.999 x 1000") << 99.999 << 3 << 1000 << qint64(99999);
}

void TestThresholdCfg::fixedPointStartsFromShownDigits()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(int, scale);
    QFETCH(qint64, raw);
    QCOMPARE(FixedPoint::scaled(value, decimals, scale), raw);
}

// Every value a box can show comes back as the integer it reads as, at both scales.
void TestThresholdCfg::fixedPointEveryShownValue()
{
    for (int k = -32768; k <= 32767; ++k) {
        const double centi = k / 100.0;
        if (FixedPoint::scaled(centi, 2, 100) != k)
            QFAIL(qPrintable(QString("%1 at scale 100").arg(centi, 0, 'f', 2)));
        const double milli = k / 1000.0;
        if (FixedPoint::scaled(milli, 3, 1000) != k)
            QFAIL(qPrintable(QString("%1 at scale 1000").arg(milli, 0, 'f', 3)));
        // The page's boxes hold fewer decimals than the scale.
        const double tenth = k / 10.0;
        if (FixedPoint::scaled(tenth, 1, 1000) != qint64(k) * 100)
            QFAIL(qPrintable(QString("%1 at scale 1000, 1 decimal").arg(tenth, 0, 'f', 1)));
    }
}

void TestThresholdCfg::fixedPointSaturates()
{
    QCOMPARE(FixedPoint::saturateInt16(40000), qint16(32767));
    QCOMPARE(FixedPoint::saturateInt16(-40000), qint16(-32768));
    QCOMPARE(FixedPoint::saturateInt16(-5), qint16(-5));
    QCOMPARE(FixedPoint::saturateUInt16(99999), quint16(65535));
    QCOMPARE(FixedPoint::saturateUInt16(-1), quint16(0));
    QCOMPARE(FixedPoint::unscaled(-246, 1000), -0.246);
}

void TestThresholdCfg::initialForm()
{
    QCOMPARE(m_warnings, QStringList());
    QCOMPARE(m_w->windowTitle(), QString("Form"));
    QVERIFY(m_group->isCheckable());
    QVERIFY(m_group->isChecked());
    QCOMPARE(m_group->title(), QString("Threshold"));
    for (QDoubleSpinBox *b : {m_high, m_low, m_hyst}) {
        QCOMPARE(b->decimals(), 0);
        QCOMPARE(b->maximum(), 0.0);
    }
    QCOMPARE(m_hyst->prefix(), QString("+/- "));
    QCOMPARE(m_duration->minimum(), 1);
    QCOMPARE(m_duration->maximum(), 10);
    QCOMPARE(m_duration->suffix(), QString(" s"));
    QCOMPARE(m_fast->minimum(), 4);
    QCOMPARE(m_fast->maximum(), 10);
    QCOMPARE(m_fast->suffix(), QString(" min"));
    QVERIFY(!m_fastCheck->isChecked());
    QVERIFY(!m_fast->isEnabled());
    QVERIFY(!m_fastLabel->isEnabled());
    QCOMPARE(m_fastLabel->text(), QString("Fast TX period"));
}

void TestThresholdCfg::consistencyRules_data()
{
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("highMinimum");
    QTest::addColumn<double>("lowMaximum");
    QTest::addColumn<double>("hysteresisMaximum");

    QTest::newRow("step 0.5, 50 / 10") << 2 << 0.5 << 50.0 << 10.0 << 10.5 << 49.5 << 20.0;
    QTest::newRow("step 0.5, 50.25 / 10") << 2 << 0.5 << 50.25 << 10.0 << 10.5 << 49.75 << 20.0;
    QTest::newRow("step 1, 51 / 10") << 0 << 1.0 << 51.0 << 10.0 << 11.0 << 50.0 << 20.0;
    // Half gap 0.3 is three steps of 0.1 even though fmod(0.3, 0.1) is 0.0999...
    QTest::newRow("step 0.1, 0.6 / 0") << 1 << 0.1 << 0.6 << 0.0 << 0.1 << 0.5 << 0.3;
    QTest::newRow("step 0.1, 0.3 / 0: half gap rounded down") << 1 << 0.1 << 0.3 << 0.0 << 0.1 << 0.2 << 0.1;
    QTest::newRow("step 0.01, 15 / 0.5") << 2 << 0.01 << 15.0 << 0.5 << 0.51 << 14.99 << 7.25;
    QTest::newRow("negative thresholds") << 1 << 0.1 << -10.0 << -40.0 << -39.9 << -10.1 << 15.0;
}

void TestThresholdCfg::consistencyRules()
{
    QFETCH(int, decimals);
    QFETCH(double, step);
    QFETCH(double, high);
    QFETCH(double, low);
    QFETCH(double, highMinimum);
    QFETCH(double, lowMaximum);
    QFETCH(double, hysteresisMaximum);

    m_w->setDecimals(decimals);
    m_w->setRange(-100, 100);
    m_w->setStep(step);
    // The user moves the boxes one after the other.
    m_low->setValue(-100);
    m_high->setValue(high);
    m_low->setValue(low);
    QCOMPARE(m_high->value(), high);
    QCOMPARE(m_low->value(), low);
    QCOMPARE(m_high->minimum(), highMinimum);
    QCOMPARE(m_low->maximum(), lowMaximum);
    QCOMPARE(m_hyst->maximum(), hysteresisMaximum);
    // The boxes refuse to cross.
    m_low->setValue(high + 5);
    QCOMPARE(m_low->value(), lowMaximum);
}

void TestThresholdCfg::setStepSetsGapsAndSteps()
{
    m_w->setDecimals(1);
    m_w->setRange(-40, 125);
    m_w->setStep(0.1);
    QCOMPARE(m_high->singleStep(), 0.1);
    QCOMPARE(m_low->singleStep(), 0.1);
    QCOMPARE(m_hyst->singleStep(), 0.1);
    QCOMPARE(m_hyst->minimum(), 0.1);
    // High starts two steps above low.
    QCOMPARE(m_high->minimum(), m_low->value() + 0.2);
    QCOMPARE(m_high->value(), 0.2);
    QCOMPARE(m_low->value(), 0.0);
    QCOMPARE(m_hyst->value(), 0.1);
    QCOMPARE(m_high->maximum(), 125.0);
    QCOMPARE(m_low->minimum(), -40.0);
}

void TestThresholdCfg::setValuesAccepts_data()
{
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("hysteresis");
    QTest::addColumn<int>("duration");

    QTest::newRow("family default, threshold off") << 50.0 << 0.0 << 0.5 << 0;
    QTest::newRow("duration 3") << 80.0 << 20.0 << 2.0 << 3;
    QTest::newRow("high at the maximum") << 125.0 << 100.0 << 1.0 << 10;
    QTest::newRow("low at the minimum") << 0.0 << -40.0 << 0.5 << 1;
    QTest::newRow("hysteresis exactly half the gap") << 10.0 << 9.0 << 0.5 << 5;
    QTest::newRow("decimal gap 0.6, hysteresis 0.3") << 0.6 << 0.0 << 0.3 << 5;
    QTest::newRow("all negative") << -10.0 << -40.0 << 1.0 << 2;
}

void TestThresholdCfg::setValuesAccepts()
{
    QFETCH(double, high);
    QFETCH(double, low);
    QFETCH(double, hysteresis);
    QFETCH(int, duration);

    configure(*m_w, Temperature);
    QCOMPARE(m_w->setValues(high, low, hysteresis, duration), 0);
    QCOMPARE(m_w->high(), high);
    QCOMPARE(m_w->low(), low);
    QCOMPARE(m_w->hysteresis(), hysteresis);
    QCOMPARE(m_group->isChecked(), duration != 0);
    QCOMPARE(m_duration->value(), duration != 0 ? duration : 1);
    QCOMPARE(m_w->duration(), duration);
}

void TestThresholdCfg::setValuesRejectsAndChangesNothing_data()
{
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("hysteresis");

    QTest::newRow("hysteresis bands overlap") << 10.0 << 9.0 << 0.6;
    QTest::newRow("low below the range") << 50.0 << -40.1 << 0.5;
    QTest::newRow("high above the range") << 125.1 << 0.0 << 0.5;
    QTest::newRow("low above high") << 10.0 << 20.0 << 0.1;
}

void TestThresholdCfg::setValuesRejectsAndChangesNothing()
{
    QFETCH(double, high);
    QFETCH(double, low);
    QFETCH(double, hysteresis);

    configure(*m_w, Temperature);
    QCOMPARE(m_w->setValues(60, 20, 1, 4), 0);
    const double highMin = m_high->minimum();
    const double lowMax = m_low->maximum();
    const double hystMax = m_hyst->maximum();

    QCOMPARE(m_w->setValues(high, low, hysteresis, 3), -1);
    QCOMPARE(m_w->high(), 60.0);
    QCOMPARE(m_w->low(), 20.0);
    QCOMPARE(m_w->hysteresis(), 1.0);
    QCOMPARE(m_w->duration(), 4);
    QCOMPARE(m_high->minimum(), highMin);
    QCOMPARE(m_low->maximum(), lowMax);
    QCOMPARE(m_hyst->maximum(), hystMax);
}

void TestThresholdCfg::durationAndFastTxGetters()
{
    configure(*m_w, Temperature);
    QCOMPARE(m_w->setValues(50, 0, 0.5, 6), 0);
    m_w->setFastTx(7, true, true);
    QCOMPARE(m_w->duration(), 6);
    QCOMPARE(m_w->fastTxPeriod(), 7);

    // Threshold off: neither duration nor fast TX counts, whatever the boxes show.
    m_group->setChecked(false);
    QVERIFY(m_fastCheck->isChecked());
    QCOMPARE(m_w->duration(), 0);
    QCOMPARE(m_w->fastTxPeriod(), 0);

    m_group->setChecked(true);
    m_w->setFastTxChecked(false);
    QCOMPARE(m_w->fastTxPeriod(), 0);
    QCOMPARE(m_w->duration(), 6);
}

void TestThresholdCfg::fastTxCheckBoxEnablesBox()
{
    m_fastCheck->setChecked(true);
    QVERIFY(m_fast->isEnabled());
    QVERIFY(m_fastLabel->isEnabled());
    m_fastCheck->setChecked(false);
    QVERIFY(!m_fast->isEnabled());
    QVERIFY(!m_fastLabel->isEnabled());

    // Switching the threshold off and on again keeps fast TX as the check box says.
    m_group->setChecked(false);
    m_group->setChecked(true);
    QVERIFY(!m_fast->isEnabled());
    m_fastCheck->setChecked(true);
    m_group->setChecked(false);
    m_group->setChecked(true);
    QVERIFY(m_fast->isEnabled());
}

void TestThresholdCfg::fastTxSignalAndSetters()
{
    QSignalSpy spy(m_w, &WdgThresholdCfg::fastSamplingValueChanged);
    m_fast->setValue(8);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toUInt(), 8u);

    // The page mirrors one editor's period into the other without touching its check box.
    m_w->setFastTx(6, false, true);
    QVERIFY(!m_fastCheck->isChecked());
    QCOMPARE(m_fast->value(), 6);
    QCOMPARE(spy.count(), 2);
    m_w->setFastTx(6, false, true);
    QCOMPARE(spy.count(), 2); // the same value again: no echo

    m_w->setFastTx(9, true, true);
    QVERIFY(m_fastCheck->isChecked());
    QCOMPARE(m_fast->value(), 9);
    m_w->setFastTx(5, true, false);
    QVERIFY(!m_fastCheck->isChecked());
    QCOMPARE(m_fast->value(), 5);
}

void TestThresholdCfg::fastTxMaximum()
{
    m_w->setFastTxMaximum(6);
    m_w->setFastTx(10, true, true);
    QCOMPARE(m_fast->value(), 6);
    QCOMPARE(m_w->fastTxPeriod(), 6);
    m_w->setFastTxMaximum(30);
    m_w->setFastTx(25, true, true);
    QCOMPARE(m_w->fastTxPeriod(), 25);
    m_w->setFastTx(2, true, true);
    QCOMPARE(m_w->fastTxPeriod(), 4);
}

void TestThresholdCfg::decodesRecord()
{
    configure(*m_w, Temperature);
    QCOMPARE(m_w->fromConfig(hex("881300003200050A"), WdgThresholdCfg::kScaleCenti), 0);
    QCOMPARE(m_w->high(), 50.0);
    QCOMPARE(m_w->low(), 0.0);
    QCOMPARE(m_w->hysteresis(), 0.5);
    QCOMPARE(m_w->duration(), 5);
    QVERIFY(m_fastCheck->isChecked());
    QCOMPARE(m_w->fastTxPeriod(), 10);
    QCOMPARE(m_w->adjustments(), QString());

    // The family's default: threshold off, fast TX off.
    QCOMPARE(m_w->fromConfig(hex("8813000032000000"), WdgThresholdCfg::kScaleCenti), 0);
    QVERIFY(!m_group->isChecked());
    QCOMPARE(m_duration->value(), 1);
    QVERIFY(!m_fastCheck->isChecked());
    QCOMPARE(m_w->hysteresis(), 0.5);
}

void TestThresholdCfg::toConfigScalesAndTruncates_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("hysteresis");
    QTest::addColumn<int>("duration");
    QTest::addColumn<QByteArray>("record");

    QTest::newRow("temperature, scale 100")
        << Temperature << 50.0 << 0.0 << 0.5 << 5 << hex("8813000032000500");
    QTest::newRow("negative temperatures")
        << Temperature << -10.5 << -40.0 << 1.0 << 3 << hex("E6FB60F064000300");
    QTest::newRow("current 0.29 A is 29, not 28")
        << Current << 15.0 << 0.29 << 0.1 << 0 << hex("DC051D000A000000");
    QTest::newRow("current 1.15 / 0.57 / 0.29")
        << Current << 1.15 << 0.57 << 0.29 << 2 << hex("730039001D000200");
    QTest::newRow("battery, scale 1000") << VBat << 4.5 << 3.3 << 0.1 << 5 << hex("9411E40C64000500");
    QTest::newRow("battery 4.8 / 3.0") << VBat << 4.8 << 3.0 << 0.9 << 1 << hex("C012B80B84030100");
}

void TestThresholdCfg::toConfigScalesAndTruncates()
{
    QFETCH(Setup, setup);
    QFETCH(double, high);
    QFETCH(double, low);
    QFETCH(double, hysteresis);
    QFETCH(int, duration);
    QFETCH(QByteArray, record);

    configure(*m_w, setup);
    QCOMPARE(m_w->setValues(high, low, hysteresis, duration), 0);
    QCOMPARE(m_w->toConfig(scaleOf(setup)).toHex(), record.toHex());
}

void TestThresholdCfg::roundTrip_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QByteArray>("record");

    QTest::newRow("family default temperature") << Temperature << hex("8813000032000000");
    QTest::newRow("family default current") << Current << hex("dc0532000a000000");
    QTest::newRow("temperature on, fast TX 10") << Temperature << hex("8813000032000a0a");
    QTest::newRow("negative temperatures") << Temperature << hex("18fc60f064000304");
    QTest::newRow("low at -40, high at 125") << Temperature << hex("d43060f0e8030a00");
    QTest::newRow("gap 0.6, hysteresis 0.3") << Temperature << hex("3c0000001e000500");
    QTest::newRow("current hundredths 0.29") << Current << hex("1d00000001000100");
    QTest::newRow("current 99.99 / 0.01") << Current << hex("0f27010001000700");
    QTest::newRow("battery 3.3 to 4.7") << VBat << hex("5c12e40c64000504");
    QTest::newRow("battery 4.8 / 3.0") << VBat << hex("c012b80b84030100");
}

void TestThresholdCfg::roundTrip()
{
    QFETCH(Setup, setup);
    QFETCH(QByteArray, record);

    configure(*m_w, setup);
    QSignalSpy adjusted(m_w, &WdgThresholdCfg::valueAdjusted);
    QCOMPARE(m_w->fromConfig(record, scaleOf(setup)), 0);
    QCOMPARE(m_w->toConfig(scaleOf(setup)).toHex(), record.toHex());
    QCOMPARE(m_w->adjustments(), QString());
    QCOMPARE(adjusted.count(), 0);
}

void TestThresholdCfg::adjustedRecordsAreReported_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QString>("text");

    const QString degC = QString::fromUtf8(" °C");
    QTest::newRow("duration beyond the box") << Temperature << hex("881300003200 0c 00") << 0
                                             << hex("881300003200 0a 00") << "Duration 12 s becomes 10 s";
    QTest::newRow("fast TX while the threshold is off")
        << Temperature << hex("881300003200 00 05") << 0 << hex("881300003200 00 00")
        << "Fast TX period 5 min becomes off";
    QTest::newRow("fast TX below the box")
        << Temperature << hex("881300003200 05 02") << 0 << hex("881300003200 05 04")
        << "Fast TX period 2 min becomes 4 min";
    QTest::newRow("more digits than the box shows")
        << Temperature << hex("8c13000032000500") << 0 << hex("8813000032000500")
        << "High threshold 50.04" + degC + " becomes 50.00" + degC;
    QTest::newRow("hysteresis below one step")
        << Temperature << hex("8813000000000500") << 0 << hex("881300000a000500")
        << "Hysteresis 0.00" + degC + " becomes 0.10" + degC;
    QTest::newRow("battery millivolts beyond tenths")
        << VBat << hex("5d12e40c64000500") << 0 << hex("5c12e40c64000500")
        << "High threshold 4.701 V becomes 4.700 V";
    QTest::newRow("high above the range")
        << Temperature << hex("c8320000320005 00") << -1 << hex("8813000032000500")
        << "Threshold values rejected (out of range or inconsistent); High threshold 130.00" + degC +
               " becomes 50.00" + degC;
    QTest::newRow("overlapping hysteresis bands")
        << Temperature << hex("e80384033c000900") << -1 << hex("8813000032000500")
        << "Threshold values rejected (out of range or inconsistent); High threshold 10.00" + degC +
               " becomes 50.00" + degC + "; Low threshold 9.00" + degC + " becomes 0.00" + degC +
               "; Hysteresis 0.60" + degC + " becomes 0.50" + degC + "; Duration 9 s becomes 5 s";
}

void TestThresholdCfg::adjustedRecordsAreReported()
{
    QFETCH(Setup, setup);
    QFETCH(QByteArray, record);
    QFETCH(int, result);
    QFETCH(QByteArray, written);
    QFETCH(QString, text);

    configure(*m_w, setup);
    // Start from shown values that differ from every row's record.
    if (setup == Temperature)
        QCOMPARE(m_w->fromConfig(hex("8813000032000500"), WdgThresholdCfg::kScaleCenti), 0);
    QSignalSpy adjusted(m_w, &WdgThresholdCfg::valueAdjusted);
    QCOMPARE(m_w->fromConfig(record, scaleOf(setup)), result);
    QCOMPARE(m_w->toConfig(scaleOf(setup)).toHex(), written.toHex());
    QCOMPARE(m_w->adjustments(), text);
    QCOMPARE(adjusted.count(), 1);
    QCOMPARE(adjusted.at(0).at(0).toString(), text);
}

void TestThresholdCfg::rejectedRecordKeepsValuesButAppliesFastTx()
{
    configure(*m_w, Temperature);
    QCOMPARE(m_w->fromConfig(hex("8813000032000500"), WdgThresholdCfg::kScaleCenti), 0);
    QCOMPARE(m_w->fromConfig(hex("e80384033c000907"), WdgThresholdCfg::kScaleCenti), -1);
    QCOMPARE(m_w->high(), 50.0);
    QCOMPARE(m_w->low(), 0.0);
    QCOMPARE(m_w->duration(), 5);
    QVERIFY(m_fastCheck->isChecked());
    QCOMPARE(m_w->fastTxPeriod(), 7);
}

void TestThresholdCfg::wrongRecordSizeChangesNothing_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("7 bytes") << hex("88130000320005");
    QTest::newRow("9 bytes") << hex("8813000032000500ff");
}

void TestThresholdCfg::wrongRecordSizeChangesNothing()
{
    QFETCH(QByteArray, record);
    configure(*m_w, Temperature);
    QCOMPARE(m_w->fromConfig(hex("dc05f4010a000300"), WdgThresholdCfg::kScaleCenti), 0);
    QSignalSpy adjusted(m_w, &WdgThresholdCfg::valueAdjusted);
    QCOMPARE(m_w->fromConfig(record, WdgThresholdCfg::kScaleCenti), -1);
    QCOMPARE(m_w->toConfig(WdgThresholdCfg::kScaleCenti).toHex(), QByteArray("dc05f4010a000300"));
    const QString text = QString("Threshold record of %1 bytes ignored (8 expected)").arg(record.size());
    QCOMPARE(m_w->adjustments(), text);
    QCOMPARE(adjusted.count(), 1);
}

QTEST_MAIN(TestThresholdCfg)
#include "tst_thresholdcfg.moc"

#pragma once
// Editor of one threshold watch of a measured value: high and low thresholds with a
// hysteresis, the duration a value must stay beyond a threshold, and an optional fast
// transmission period used while a threshold is crossed. The boxes stay consistent: the low
// threshold stays below the high one by at least the step, the hysteresis at most half their gap.
//
// Threshold record (8 bytes, value of a buffer parameter, index 0), numbers little-endian:
//   0-1 high x scale, 2-3 low x scale, 4-5 hysteresis x scale (signed 16-bit, truncated toward
//   zero), 6 duration in seconds (0 = threshold off), 7 fast TX period in minutes (0 = off).

#include <QByteArray>
#include <QScopedPointer>
#include <QString>
#include <QWidget>

namespace Ui {
class WdgThresholdCfg;
}

class WdgThresholdCfg : public QWidget
{
    Q_OBJECT
public:
    /// Fixed-point scales of threshold records: hundredths and thousandths.
    static constexpr int kScaleCenti = 100;
    static constexpr int kScaleMilli = 1000;
    /// Size of a threshold record in bytes.
    static constexpr int kRecordSize = 8;

    explicit WdgThresholdCfg(QWidget *parent = nullptr);
    ~WdgThresholdCfg() override;

    /// Decimals of the high, low and hysteresis boxes.
    void setDecimals(int decimals);
    /// Resolution: single step of the value boxes, minimum hysteresis and minimum gap between
    /// low and high. Call before values are shown.
    void setStep(double step);
    /// Suffix of the high, low and hysteresis boxes (for example " °C").
    void setUnit(const QString &unit);
    /// Largest high threshold and smallest low threshold.
    void setRange(double min, double max);

    /// Shows the thresholds and the duration (0 = threshold off: the group is unchecked and the
    /// duration box shows 1). Returns -1 and changes nothing when low is below the range, high
    /// above it, or low + hysteresis > high - hysteresis; 0 otherwise.
    int setValues(double high, double low, double hysteresis, int duration);
    /// Sets the fast TX check box to checked when applyCheckState is set, then the period.
    void setFastTx(int period, bool applyCheckState, bool checked);
    /// Sets the fast TX check box only.
    void setFastTxChecked(bool checked);
    /// Largest fast TX period in minutes.
    void setFastTxMaximum(int maximum);

    double high() const;
    double low() const;
    double hysteresis() const;
    /// Duration in seconds, 0 when the threshold is off.
    int duration() const;
    /// Fast TX period in minutes, 0 unless both fast TX and the threshold are on.
    int fastTxPeriod() const;

    /// The threshold record of the shown values at scale (kScaleCenti or kScaleMilli); values
    /// are taken as the boxes show them. Empty for a scale that is not positive.
    QByteArray toConfig(int scale) const;
    /// Shows a threshold record read at scale: setValues with bytes 0-6, then a non-zero byte 7
    /// checks fast TX with that period and a zero byte 7 unchecks it (byte 7 is applied even
    /// when setValues rejects the thresholds). A record that is not 8 bytes long changes
    /// nothing. Returns setValues' result, -1 for a record of the wrong size.
    /// When toConfig would not give the same record back, adjustments() says what changed and
    /// valueAdjusted is emitted.
    int fromConfig(const QByteArray &record, int scale);

    /// Empty when the last fromConfig is shown exactly as loaded; otherwise a short text for
    /// the status line, for example "Threshold values rejected (out of range or inconsistent);
    /// High threshold 130.00 °C becomes 50.00 °C" or "Duration 12 s becomes 10 s".
    QString adjustments() const { return m_adjustments; }

signals:
    /// The fast TX period box changed to value (minutes).
    void fastSamplingValueChanged(unsigned value);
    /// A record was loaded that the editor cannot show as it is; text as adjustments().
    void valueAdjusted(const QString &text);

private slots:
    /// Keeps low below high and the hysteresis within half their gap.
    void on_doubleSpinBox_HighThreshold_valueChanged(double value);
    void on_doubleSpinBox_LowThreshold_valueChanged(double value);

private:
    void on_fast_sampling_value_changed(int value);
    void updateHysteresisMaximum();
    QString describeChanges(const QByteArray &loaded, const QByteArray &written, int scale) const;

    const QScopedPointer<Ui::WdgThresholdCfg> m_ui;
    QString m_unit;
    double m_step = 0;
    int m_decimals = 0;
    QString m_adjustments;
};

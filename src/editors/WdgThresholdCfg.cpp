#include "editors/WdgThresholdCfg.h"

#include "common/Bytes.h"

#include "editors/FixedPoint.h"
#include "ui_WdgThresholdCfg.h"

#include <QStringList>

#include <cmath>

namespace {

/// Byte offsets in a threshold record.
enum RecordOffset
{
    OffsetHigh = 0,
    OffsetLow = 2,
    OffsetHysteresis = 4,
    OffsetDuration = 6,
    OffsetFastTx = 7,
};

/// Absorbs binary rounding in comparisons of decimal values (far below any box resolution).
constexpr double kTolerance = 1e-9;
/// Absorbs binary rounding when counting whole steps in a gap (0.3 / 0.1 is 2.9999...).
constexpr double kStepTolerance = 1e-6;

qint16 readInt16(const QByteArray &b, int offset)
{
    return qint16(Bytes::le16(b, offset));
}

void writeInt16(QByteArray &b, int offset, qint16 v)
{
    Bytes::putLe16(b.data() + offset, quint16(v));
}

int decimalsOfScale(int scale)
{
    int d = 0;
    for (int s = scale; s >= 10 && s % 10 == 0; s /= 10)
        ++d;
    return d;
}

} // namespace

WdgThresholdCfg::WdgThresholdCfg(QWidget *parent) : QWidget(parent), m_ui(new Ui::WdgThresholdCfg)
{
    m_ui->setupUi(this);
    connect(m_ui->checkBox_fastSampling_2, &QCheckBox::toggled, m_ui->spinBox_FastSampling,
            &QWidget::setEnabled);
    connect(m_ui->checkBox_fastSampling_2, &QCheckBox::toggled, m_ui->label_fastSampling,
            &QWidget::setEnabled);
    connect(m_ui->spinBox_FastSampling, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &WdgThresholdCfg::on_fast_sampling_value_changed);
}

WdgThresholdCfg::~WdgThresholdCfg() = default;

void WdgThresholdCfg::setDecimals(int decimals)
{
    m_decimals = decimals;
    m_ui->doubleSpinBox_LowThreshold->setDecimals(decimals);
    m_ui->doubleSpinBox_HighThreshold->setDecimals(decimals);
    m_ui->doubleSpinBox_HysteresisThreshold->setDecimals(decimals);
}

void WdgThresholdCfg::setStep(double step)
{
    m_step = step;
    m_ui->doubleSpinBox_LowThreshold->setSingleStep(step);
    m_ui->doubleSpinBox_HighThreshold->setSingleStep(step);
    m_ui->doubleSpinBox_HysteresisThreshold->setSingleStep(step);
    m_ui->doubleSpinBox_HysteresisThreshold->setMinimum(step);
    m_ui->doubleSpinBox_HighThreshold->setMinimum(m_ui->doubleSpinBox_LowThreshold->value() + 2 * step);
    m_ui->doubleSpinBox_LowThreshold->setMaximum(m_ui->doubleSpinBox_HighThreshold->value() - 2 * step);
}

void WdgThresholdCfg::setUnit(const QString &unit)
{
    m_unit = unit;
    m_ui->doubleSpinBox_LowThreshold->setSuffix(unit);
    m_ui->doubleSpinBox_HighThreshold->setSuffix(unit);
    m_ui->doubleSpinBox_HysteresisThreshold->setSuffix(unit);
}

void WdgThresholdCfg::setRange(double min, double max)
{
    m_ui->doubleSpinBox_HighThreshold->setMaximum(max);
    m_ui->doubleSpinBox_LowThreshold->setMinimum(min);
}

void WdgThresholdCfg::on_doubleSpinBox_HighThreshold_valueChanged(double value)
{
    m_ui->doubleSpinBox_LowThreshold->setMaximum(value - m_step);
    updateHysteresisMaximum();
}

void WdgThresholdCfg::on_doubleSpinBox_LowThreshold_valueChanged(double value)
{
    m_ui->doubleSpinBox_HighThreshold->setMinimum(value + m_step);
    updateHysteresisMaximum();
}

void WdgThresholdCfg::updateHysteresisMaximum()
{
    // Half the gap, rounded down to a whole number of steps. Counting steps with a tolerance
    // keeps 0.3 / 0.1 at three steps where fmod would leave two. Before a step is set the
    // maximum is the half gap itself.
    const double halfGap = (high() - low()) / 2;
    double maximum = halfGap;
    if (m_step > 0)
        maximum = std::floor(halfGap / m_step + kStepTolerance) * m_step;
    m_ui->doubleSpinBox_HysteresisThreshold->setMaximum(maximum);
}

int WdgThresholdCfg::setValues(double high, double low, double hysteresis, int duration)
{
    if (low < m_ui->doubleSpinBox_LowThreshold->minimum() - kTolerance ||
        high > m_ui->doubleSpinBox_HighThreshold->maximum() + kTolerance ||
        low + hysteresis > high - hysteresis + kTolerance)
        return -1;

    m_ui->doubleSpinBox_HighThreshold->setMinimum(low + hysteresis);
    m_ui->doubleSpinBox_HighThreshold->setValue(high);
    m_ui->doubleSpinBox_LowThreshold->setMaximum(high - hysteresis);
    m_ui->doubleSpinBox_LowThreshold->setValue(low);
    m_ui->doubleSpinBox_HysteresisThreshold->setValue(hysteresis);
    if (duration != 0) {
        m_ui->groupBox_threshold->setChecked(true);
        m_ui->spinBox_DurationThreshold->setValue(duration);
    } else {
        m_ui->groupBox_threshold->setChecked(false);
        m_ui->spinBox_DurationThreshold->setValue(1);
    }
    return 0;
}

void WdgThresholdCfg::setFastTx(int period, bool applyCheckState, bool checked)
{
    if (applyCheckState)
        m_ui->checkBox_fastSampling_2->setChecked(checked);
    m_ui->spinBox_FastSampling->setValue(period);
}

void WdgThresholdCfg::setFastTxChecked(bool checked)
{
    m_ui->checkBox_fastSampling_2->setChecked(checked);
}

void WdgThresholdCfg::setFastTxMaximum(int maximum)
{
    m_ui->spinBox_FastSampling->setMaximum(maximum);
}

double WdgThresholdCfg::high() const
{
    return m_ui->doubleSpinBox_HighThreshold->value();
}

double WdgThresholdCfg::low() const
{
    return m_ui->doubleSpinBox_LowThreshold->value();
}

double WdgThresholdCfg::hysteresis() const
{
    return m_ui->doubleSpinBox_HysteresisThreshold->value();
}

int WdgThresholdCfg::duration() const
{
    return m_ui->groupBox_threshold->isChecked() ? m_ui->spinBox_DurationThreshold->value() : 0;
}

int WdgThresholdCfg::fastTxPeriod() const
{
    const bool on = m_ui->checkBox_fastSampling_2->isChecked() && m_ui->groupBox_threshold->isChecked();
    return on ? m_ui->spinBox_FastSampling->value() : 0;
}

void WdgThresholdCfg::on_fast_sampling_value_changed(int value)
{
    emit fastSamplingValueChanged(unsigned(value));
}

QByteArray WdgThresholdCfg::toConfig(int scale) const
{
    if (scale <= 0)
        return QByteArray();
    const auto fixed = [scale](const QDoubleSpinBox *box) {
        return FixedPoint::saturateInt16(FixedPoint::scaled(box->value(), box->decimals(), scale));
    };
    QByteArray record(kRecordSize, '\0');
    writeInt16(record, OffsetHigh, fixed(m_ui->doubleSpinBox_HighThreshold));
    writeInt16(record, OffsetLow, fixed(m_ui->doubleSpinBox_LowThreshold));
    writeInt16(record, OffsetHysteresis, fixed(m_ui->doubleSpinBox_HysteresisThreshold));
    record[OffsetDuration] = char(quint8(duration()));
    record[OffsetFastTx] = char(quint8(fastTxPeriod()));
    return record;
}

int WdgThresholdCfg::fromConfig(const QByteArray &record, int scale)
{
    m_adjustments.clear();
    if (record.size() != kRecordSize || scale <= 0) {
        m_adjustments =
            tr("Threshold record of %1 bytes ignored (%2 expected)").arg(record.size()).arg(kRecordSize);
        emit valueAdjusted(m_adjustments);
        return -1;
    }
    const int result = setValues(FixedPoint::unscaled(readInt16(record, OffsetHigh), scale),
                                 FixedPoint::unscaled(readInt16(record, OffsetLow), scale),
                                 FixedPoint::unscaled(readInt16(record, OffsetHysteresis), scale),
                                 quint8(record[OffsetDuration]));
    const quint8 fastTx = quint8(record[OffsetFastTx]);
    if (fastTx != 0)
        setFastTx(fastTx, true, true);
    else
        setFastTxChecked(false);

    QStringList parts;
    if (result < 0)
        parts << tr("Threshold values rejected (out of range or inconsistent)");
    const QString changes = describeChanges(record, toConfig(scale), scale);
    if (!changes.isEmpty())
        parts << changes;
    m_adjustments = parts.join(QStringLiteral("; "));
    if (!m_adjustments.isEmpty())
        emit valueAdjusted(m_adjustments);
    return result;
}

QString WdgThresholdCfg::describeChanges(const QByteArray &loaded, const QByteArray &written, int scale) const
{
    QStringList parts;
    const int decimals = decimalsOfScale(scale);
    const auto value = [&](const QByteArray &b, int offset) {
        return QString::number(FixedPoint::unscaled(readInt16(b, offset), scale), 'f', decimals) + m_unit;
    };
    const auto compareValue = [&](const QString &name, int offset) {
        if (readInt16(loaded, offset) != readInt16(written, offset))
            parts << tr("%1 %2 becomes %3").arg(name, value(loaded, offset), value(written, offset));
    };
    compareValue(tr("High threshold"), OffsetHigh);
    compareValue(tr("Low threshold"), OffsetLow);
    compareValue(tr("Hysteresis"), OffsetHysteresis);

    const auto byteText = [this](quint8 v, const QString &unit) {
        return v == 0 ? tr("off") : QString::number(v) + unit;
    };
    const auto compareByte = [&](const QString &name, int offset, const QString &unit) {
        const quint8 before = quint8(loaded[offset]);
        const quint8 after = quint8(written[offset]);
        if (before != after)
            parts << tr("%1 %2 becomes %3").arg(name, byteText(before, unit), byteText(after, unit));
    };
    compareByte(tr("Duration"), OffsetDuration, tr(" s"));
    compareByte(tr("Fast TX period"), OffsetFastTx, tr(" min"));
    return parts.join(QStringLiteral("; "));
}

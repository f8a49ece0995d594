#include "editors/WdgDataLoggingCfg.h"

#include "common/Bytes.h"

#include "common/Hex.h"
#include "ui_WdgDataLoggingCfg.h"

#include <QSignalBlocker>

#include <algorithm>

using namespace DataLogging;

namespace {
constexpr unsigned kMinutesPerHour = 60;
constexpr unsigned kSecondsPerMinute = 60;
constexpr unsigned kSecondsPerHour = 3600;
constexpr int kMinutesBoxMax = 59;
} // namespace

WdgDataLoggingCfg::WdgDataLoggingCfg(QWidget *parent) : QWidget(parent), m_ui(new Ui::WdgDataLoggingCfg)
{
    m_ui->setupUi(this);
    m_ui->label_warning->hide();
    recomputeAll();
}

WdgDataLoggingCfg::~WdgDataLoggingCfg() = default;

void WdgDataLoggingCfg::setMaxFrameSize(int bytes)
{
    m_maxFrameBytes = bytes;
    recomputeAll();
}

void WdgDataLoggingCfg::setMaxFramesByHour(unsigned framesPerHour, unsigned alternative)
{
    m_framesPerHour = framesPerHour;
    m_framesPerHourAlt = alternative;
    recomputeAll();
}

void WdgDataLoggingCfg::setStatementRange(unsigned minMinutes, unsigned maxMinutes)
{
    m_minStatementMin = minMinutes;
    m_maxStatementMin = maxMinutes;
    recomputeAll();
}

void WdgDataLoggingCfg::wayAdd(quint32 size)
{
    m_ways.append(size);
    recomputeAll();
}

void WdgDataLoggingCfg::clearWays()
{
    m_ways.clear();
    recomputeAll();
}

void WdgDataLoggingCfg::removeWay(quint32 size)
{
    const int i = m_ways.indexOf(size);
    if (i >= 0)
        m_ways.remove(i);
    recomputeAll();
}

void WdgDataLoggingCfg::recomputeAll()
{
    updateStatementRange();
    updateSamplesMaximum();
    updateDepthMaximum();
    // The ADR warning depends on the frames per hour too: refresh it with every limit change.
    updateSamplingLabel();
    updateSummary();
}

unsigned WdgDataLoggingCfg::statementPeriod() const
{
    return unsigned(m_ui->spinBox_StatemenPeriodH->value()) * kMinutesPerHour +
           unsigned(m_ui->spinBox_StatemenPeriodM->value());
}

int WdgDataLoggingCfg::frameCount(int samples, int depth) const
{
    const int header = (samples <= 1 && depth <= 1) ? kHeaderShortBytes : kHeaderLongBytes;
    const qint64 available = qint64(m_maxFrameBytes) - header;
    if (available <= 0)
        return 0;
    int frames = 1;
    qint64 used = 0;
    for (quint32 way : m_ways) {
        // Each measured value travels as one block: its samples of every statement kept, plus
        // one byte of block header. A block never spans two frames.
        const qint64 block = qint64(way) * samples * depth + 1;
        if (block > available)
            return 0;
        if (used + block <= available) {
            used += block;
        } else {
            ++frames;
            used = block;
        }
    }
    return frames;
}

quint32 WdgDataLoggingCfg::largestWay() const
{
    return m_ways.isEmpty() ? 0 : *std::max_element(m_ways.constBegin(), m_ways.constEnd());
}

void WdgDataLoggingCfg::updateStatementRange()
{
    const int frames = frameCount(m_ui->spinBox_NbSamples->value(), m_ui->spinBox_DepthHistoric->value());
    if (frames == 0)
        return;
    const unsigned limit = m_framesPerHourAlt != 0 ? m_framesPerHourAlt : m_framesPerHour;
    const unsigned statementsPerHour = limit / unsigned(frames);
    if (statementsPerHour == 0)
        return;
    const unsigned shortest =
        std::max({kMinutesPerHour / statementsPerHour, m_minStatementMin, unsigned(kShortestStatementMin)});
    // A longest period below the shortest (range not set yet) leaves only the shortest.
    const unsigned longest = std::max(m_maxStatementMin, shortest);

    // Changing the hours range may clip the hours, which runs this again from the hours slot;
    // the minutes range below is then computed from the final hours value.
    m_ui->spinBox_StatemenPeriodH->setRange(int(shortest / kMinutesPerHour), int(longest / kMinutesPerHour));

    const unsigned hours = unsigned(m_ui->spinBox_StatemenPeriodH->value());
    const int minutesMax =
        hours == longest / kMinutesPerHour ? int(longest % kMinutesPerHour) : kMinutesBoxMax;
    const int minutesMin = hours == shortest / kMinutesPerHour ? int(shortest % kMinutesPerHour) : 0;
    m_ui->spinBox_StatemenPeriodM->setRange(minutesMin, minutesMax);
}

void WdgDataLoggingCfg::updateDepthMaximum()
{
    const qint64 samples = m_ui->spinBox_NbSamples->value();
    const qint64 largest = largestWay();
    if (samples == 0 || largest == 0 || m_maxFrameBytes - kHeaderLongBytes <= 0)
        return;
    // One block (samples x depth x way + 1 byte) must fit beside the long header.
    const qint64 q = (qint64(m_maxFrameBytes) - kHeaderLongBytes - 1) / (largest * samples);
    const qint64 maximum = std::min<qint64>(q, kDepthMax);
    m_ui->spinBox_DepthHistoric->setMaximum(maximum == 0 ? 1 : int(maximum));
}

void WdgDataLoggingCfg::updateSamplesMaximum()
{
    const qint64 depth = m_ui->spinBox_DepthHistoric->value();
    const qint64 largest = largestWay();
    if (depth == 0 || largest == 0 || m_maxFrameBytes - kHeaderLongBytes <= 0)
        return;
    const qint64 q = (qint64(m_maxFrameBytes) - kHeaderLongBytes - 1) / (largest * depth);
    const qint64 maximum = std::min<qint64>(q, kSamplesMax);
    m_ui->spinBox_NbSamples->setMaximum(maximum == 0 ? 1 : int(maximum));
}

void WdgDataLoggingCfg::updateSamplingLabel()
{
    const unsigned samples = unsigned(m_ui->spinBox_NbSamples->value());
    if (samples == 0)
        return;
    m_ui->label_warning->hide();
    if (m_framesPerHourAlt != 0 && m_framesPerHour != 0 &&
        statementPeriod() < kMinutesPerHour / m_framesPerHour) {
        m_ui->label_warning->setText(
            tr("WARNING : configuration will force product to desactivate ADR. Spreading factor will be "
               "fixed to SF9. Product range will be decrease using this configuration. Never use such "
               "configuration with operated network. Only private network is advised"));
        m_ui->label_warning->show();
    }
    const unsigned s = statementPeriod() * kSecondsPerMinute / samples;
    m_ui->label_samplingPeriod->setText(QStringLiteral("%1h %2m %3s")
                                            .arg(s / kSecondsPerHour)
                                            .arg((s / kSecondsPerMinute) % kMinutesPerHour)
                                            .arg(s % kSecondsPerMinute));
}

void WdgDataLoggingCfg::updateSummary()
{
    const int samples = m_ui->spinBox_NbSamples->value();
    const int depth = m_ui->spinBox_DepthHistoric->value();
    const int frames = frameCount(samples, depth);
    QString text;
    if (m_maxFrameBytes <= 0) {
        text = tr("Err: The maximum bytes in frames is null. Call setMaxFrameSize()");
    } else if (m_framesPerHour == 0) {
        text = tr("Err: The maximum frames by hours is null. Call setMaxFramesByHour()");
    } else if (m_ways.isEmpty()) {
        text = tr("Err: Didn't have way. Call wayAdd()");
    } else if (frames == 0) {
        text = tr("Err: Didn't have number of frame, probably the maximum bytes in frames is too small. "
                  "Call setMaxFrameSize()");
    } else if (samples == 0) {
        text = tr("Err: Didn't have number of sample, probably the maximum bytes in frames is too small. "
                  "Call setMaxFrameSize()");
    } else if (depth == 0) {
        text = tr("Err: Didn't have number of historic, probably the maximum bytes in frames is too small. "
                  "Call setMaxFrameSize()");
    } else {
        const unsigned period = statementPeriod();
        const unsigned s = period * kSecondsPerMinute / unsigned(samples);
        text = tr("%1 way of %2 sample(s), sampling at %3h, %4m and %5s with a historic depth %6 will be "
                  "send every at %7h and %8m in %9 frame(s).")
                   .arg(m_ways.size())
                   .arg(samples)
                   .arg(s / kSecondsPerHour)
                   .arg((s / kSecondsPerMinute) % kMinutesPerHour)
                   .arg(s % kSecondsPerMinute)
                   .arg(depth)
                   .arg(period / kMinutesPerHour)
                   .arg(period % kMinutesPerHour)
                   .arg(frames);
    }
    m_ui->label_abstract->setText(text);
}

QByteArray WdgDataLoggingCfg::toConfig() const
{
    const unsigned samples = unsigned(m_ui->spinBox_NbSamples->value());
    const unsigned depth = unsigned(m_ui->spinBox_DepthHistoric->value());
    const unsigned period = statementPeriod();
    QByteArray value(kValueSize, '\0');
    value[0] = char(((samples - 1) & kSamplesMask) | (((depth - 1) & kDepthMask) << kDepthShift));
    Bytes::putLe16(value.data() + 1, quint16(period));
    return value;
}

int WdgDataLoggingCfg::fromConfig(const QByteArray &bytes)
{
    m_loadNote.clear();
    if (bytes.size() != kValueSize) {
        reportLoad(tr("Data logging value %1 was ignored: %2 bytes are expected; the editor keeps %3")
                       .arg(Hex::upper(bytes))
                       .arg(kValueSize)
                       .arg(Hex::upper(toConfig())));
        return -1;
    }
    const quint8 head = quint8(bytes[0]);
    const unsigned statement = quint8(bytes[1]) + 256u * quint8(bytes[2]);
    const int samples = (head & kSamplesMask) + 1;
    const int depth = ((head >> kDepthShift) & kDepthMask) + 1;
    if (frameCount(samples, depth) == 0) {
        reportLoad(tr("Data logging value %1 was ignored: %2 sample(s) with a historic depth %3 do not fit "
                      "in a frame; the editor keeps %4")
                       .arg(Hex::upper(bytes))
                       .arg(samples)
                       .arg(depth)
                       .arg(Hex::upper(toConfig())));
        return -1;
    }

    const unsigned periodBefore = statementPeriod();
    {
        // Set all four boxes before any rule runs: the rules of one box depend on the others,
        // and running them against a half-loaded state would clip valid values.
        const QSignalBlocker hoursBlock(m_ui->spinBox_StatemenPeriodH);
        const QSignalBlocker minutesBlock(m_ui->spinBox_StatemenPeriodM);
        const QSignalBlocker samplesBlock(m_ui->spinBox_NbSamples);
        const QSignalBlocker depthBlock(m_ui->spinBox_DepthHistoric);
        m_ui->spinBox_StatemenPeriodH->setRange(0, int(m_maxStatementMin / kMinutesPerHour));
        m_ui->spinBox_StatemenPeriodM->setRange(0, kMinutesBoxMax);
        m_ui->spinBox_NbSamples->setMaximum(kSamplesMax);
        m_ui->spinBox_DepthHistoric->setMaximum(kDepthMax);
        m_ui->spinBox_StatemenPeriodH->setValue(int(statement / kMinutesPerHour));
        m_ui->spinBox_StatemenPeriodM->setValue(int(statement % kMinutesPerHour));
        m_ui->spinBox_NbSamples->setValue(samples);
        m_ui->spinBox_DepthHistoric->setValue(depth);
    }
    updateStatementRange();
    updateSamplesMaximum();
    updateDepthMaximum();
    updateSamplingLabel();
    updateSummary();
    if (statementPeriod() != periodBefore)
        emit statementPeriodChanged();

    const QByteArray shown = toConfig();
    if (shown != bytes) {
        reportLoad(tr("Data logging value %1 cannot be shown as it stands; the editor shows %2")
                       .arg(Hex::upper(bytes))
                       .arg(Hex::upper(shown)));
        return -1;
    }
    return 0;
}

void WdgDataLoggingCfg::reportLoad(const QString &text)
{
    m_loadNote = text;
    emit loadAdjusted(text);
}

void WdgDataLoggingCfg::on_spinBox_StatemenPeriodH_valueChanged(int)
{
    updateStatementRange();
    updateSamplingLabel();
    updateSummary();
    emit statementPeriodChanged();
}

void WdgDataLoggingCfg::on_spinBox_StatemenPeriodM_valueChanged(int)
{
    updateSamplingLabel();
    updateSummary();
    emit statementPeriodChanged();
}

void WdgDataLoggingCfg::on_spinBox_NbSamples_valueChanged(int)
{
    updateDepthMaximum();
    updateStatementRange();
    updateSamplingLabel();
    updateSummary();
}

void WdgDataLoggingCfg::on_spinBox_DepthHistoric_valueChanged(int)
{
    updateSamplesMaximum();
    updateStatementRange();
    updateSummary();
}

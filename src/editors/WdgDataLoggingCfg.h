#pragma once
// Editor of the data logging parameter: statement period, samples per statement and depth of
// the historic, kept inside what the radio can carry (bytes per frame, frames per hour) for the
// measured values ("ways") the device reports.

#include <QByteArray>
#include <QScopedPointer>
#include <QVector>
#include <QWidget>

namespace Ui {
class WdgDataLoggingCfg;
}

/// Layout of the 3-byte data logging value (buffer parameter, index 0).
namespace DataLogging {
constexpr int kValueSize = 3;         ///< bytes of the value
constexpr quint8 kSamplesMask = 0x07; ///< byte 0, bits 0-2: samples - 1
constexpr int kDepthShift = 4;        ///< byte 0, bits 4-5: depth - 1
constexpr quint8 kDepthMask = 0x03;
constexpr quint8 kReservedMask = 0xC8; ///< byte 0, bits 3, 6 and 7: always 0
constexpr int kSamplesMax = 8;
constexpr int kDepthMax = 4;
constexpr int kHeaderShortBytes = 1;     ///< frame header with 1 sample and depth 1
constexpr int kHeaderLongBytes = 3;      ///< frame header otherwise
constexpr int kShortestStatementMin = 1; ///< a statement period is at least one minute
} // namespace DataLogging

class WdgDataLoggingCfg : public QWidget
{
    Q_OBJECT

public:
    explicit WdgDataLoggingCfg(QWidget *parent = nullptr);
    ~WdgDataLoggingCfg() override;

    /// Payload bytes available in one radio frame; recomputes the bounds and the texts.
    void setMaxFrameSize(int bytes);
    /// Frames per hour the radio may send and, when non-zero, an alternative that bounds the
    /// statement period instead (a non-zero alternative also enables the ADR warning).
    void setMaxFramesByHour(unsigned framesPerHour, unsigned alternative);
    /// Shortest and longest statement period in minutes.
    void setStatementRange(unsigned minMinutes, unsigned maxMinutes);
    /// Appends a measured value whose sample takes `size` bytes.
    void wayAdd(quint32 size);
    /// Removes all measured values.
    void clearWays();
    /// Removes the first measured value of that size, if any.
    void removeWay(quint32 size);

    /// Statement period in minutes: hours box x 60 + minutes box.
    unsigned statementPeriod() const;
    /// Frames needed for one statement with these samples and depth; 0 when a way does not fit
    /// in a frame or no frame size is known; 1 when there is no way.
    int frameCount(int samples, int depth) const;

    /// The 3-byte value of the boxes.
    QByteArray toConfig() const;
    /// Loads a 3-byte value. Returns 0 when the boxes show it as it stands (toConfig() gives the
    /// same bytes back), -1 otherwise:
    /// - a value that is not 3 bytes long, or whose samples and depth fit in no frame, is
    ///   ignored and the boxes keep their values;
    /// - a value the current limits do not allow (statement period, samples, depth) is shown
    ///   clipped to them, and set reserved bits of byte 0 are dropped.
    /// In both failure cases loadAdjusted() is emitted with a text for the status line, and the
    /// same text stays readable through loadNote() until the next load.
    int fromConfig(const QByteArray &bytes);
    /// What the last fromConfig() could not keep; empty when it was shown as it stands.
    QString loadNote() const { return m_loadNote; }

signals:
    /// Emitted after a change of either statement box (and after a load that changed the period).
    void statementPeriodChanged();
    /// fromConfig() could not show the loaded value as it stands; text says what the editor holds.
    void loadAdjusted(const QString &text);

private slots:
    void on_spinBox_StatemenPeriodH_valueChanged(int value);
    void on_spinBox_StatemenPeriodM_valueChanged(int value);
    void on_spinBox_NbSamples_valueChanged(int value);
    void on_spinBox_DepthHistoric_valueChanged(int value);

private:
    void updateStatementRange();
    void updateDepthMaximum();
    void updateSamplesMaximum();
    void updateSamplingLabel();
    void updateSummary();
    /// The recomputation after a change of the limits or of the ways.
    void recomputeAll();
    quint32 largestWay() const;
    void reportLoad(const QString &text);

    const QScopedPointer<Ui::WdgDataLoggingCfg> m_ui;
    QVector<quint32> m_ways;         ///< bytes of one sample of each measured value
    int m_maxFrameBytes = 0;         ///< payload bytes of one frame
    unsigned m_framesPerHour = 0;    ///< frames per hour of the radio
    unsigned m_framesPerHourAlt = 0; ///< when non-zero, bounds the statement period instead
    unsigned m_minStatementMin = 0;  ///< minutes
    unsigned m_maxStatementMin = 0;  ///< minutes
    QString m_loadNote;
};

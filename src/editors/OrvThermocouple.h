#pragma once
// The page of the thermocouple family (device type 28, radio module 14): a battery-powered
// LoRaWAN and BLE device measuring a temperature through a thermocouple, a current through a
// current transformer (a coil of a number of spires on a burden resistance) and its battery
// voltage. The page lays out the family's editors, converts between them and the parameter
// records, and shows the live measurements of a connected device every 10 s.

#include "editors/OrvObject.h"

#include <QScopedPointer>
#include <QStringList>

namespace Ui {
class OrvThermocouple;
}

class OrvThermocouple : public OrvObject
{
    Q_OBJECT
public:
    /// Room for both columns without scrolling, as far as the screen allows.
    QSize sizeHint() const override;

    /// Values of the sending interface parameter.
    enum SendingInterface : quint8
    {
        InterfaceNone = 0x00,        ///< no choice in the box
        InterfaceLoRaWanOnly = 0x01, ///< entry 1
        InterfaceLoRaWanBle = 0x11,  ///< entry 0
    };

    /// Live reading commands: payload empty, answered with 2 bytes.
    enum LiveCommand : quint8
    {
        CmdTemperature = 20,    ///< signed, hundredths of a degree Celsius
        CmdCurrent = 21,        ///< unsigned, hundredths of an ampere
        CmdBatteryVoltage = 22, ///< unsigned, millivolts
    };

    static constexpr int kUpdateIntervalMs = 10000;
    static constexpr int kKeysApplyTimeoutMs = 5000;
    /// Statement period range of the data logging editor, minutes.
    static constexpr unsigned kStatementMinMin = 1;
    static constexpr unsigned kStatementMaxMin = 15300;
    /// Bytes of one sample of each of the two measured values the device logs.
    static constexpr quint32 kWaySampleBytes = 2;
    /// The fast TX period travels in one byte (minutes).
    static constexpr int kFastTxMaxMin = 255;

    /// The page of a connected device on an identified transport: starts the live readings.
    OrvThermocouple(Comm *transport, const DeviceInfo &info, QWidget *parent = nullptr);
    /// The page of an offline device (a configuration file): no transport, no live readings.
    OrvThermocouple(int orvType, int orvRev, int kivType, QWidget *parent = nullptr);
    ~OrvThermocouple() override;

    /// Shows the records in the editors. Records are applied in list order, except that the
    /// data logging record is applied once all others are (its limits depend on the timestamp
    /// and the radio technology, which a file gives after it) and the threshold records after
    /// it (their fast TX maximum follows its statement period). Records of registered
    /// parameters without an editor are kept and written back by widgetsToParams. When a loaded
    /// value cannot be shown as it stands, the status line says what will be written instead
    /// (see loadAdjustments()).
    void paramsToWidgets(OrvParamList &params) override;
    /// Appends the editors' records (4, 11, 20, 22, 23, 26, 24, 25, 29, 30, 31, 58, 59 and, for
    /// dual-technology modules, 5), then the kept records of parameters without an editor.
    void widgetsToParams(OrvParamList &params) override;

    /// What the last paramsToWidgets could not show as loaded, one text per parameter; empty
    /// when everything is shown as it stands.
    QStringList loadAdjustments() const { return m_loadAdjustments; }
    /// The status text of loadAdjustments() ("Some loaded values can't be shown as they are: "
    /// and the texts), empty when there are none.
    QString loadNote() const override;
    /// The kept records of registered parameters without an editor.
    const OrvParamList &keptParams() const { return m_kept; }

public slots:
    /// Reads the temperature (when the thermocouple is activated), the current and the battery
    /// voltage and shows them; a reading the device does not give shows "N/A". While another
    /// exchange runs (the refresh fell inside it) nothing is asked and the readings keep their
    /// last values.
    void updateValues() override;
    /// Writes new LoRaWAN keys (buffer records 6 and 7) and emits cfgAppliedToDevice when the
    /// device took both; a refused key is reported by name, keys of the wrong length are not sent.
    void updateLoRaWANKeys(const QByteArray &appEUI, const QByteArray &appKey) override;

private slots:
    void on_comboBox_Timestamp_activated(const QString &text);
    void on_checkBox_temp_stateChanged(int state);

private:
    void setup();
    /// Whether the radio module carries the radio technology parameter (types 13 and 14).
    bool hasRadioTechnology() const;
    /// Whether the page has an editor for id.
    bool isEdited(quint8 id) const;
    /// Frame size and frames per hour of the data logging editor from the timestamp choice and
    /// the radio technology.
    void updateDataLoggingLimits();
    void on_zefTypeChanged();
    void on_statementPeriodChanged();
    void on_fastSamplingPeriodChange(unsigned value);
    void on_adjust_date_signal();

    void applyRecord(const OrvParam &p);
    /// The texts of loadAdjustments() for the values loaded (by id).
    QStringList describeAdjustments(const QMap<quint8, QByteArray> &loaded, bool radioLoaded,
                                    bool dataLoggingLoaded) const;
    /// The value the editors give for id (empty for an id without an editor).
    QByteArray encode(quint8 id) const;
    QByteArray sendingInterfaceValue() const;
    bool timestampEnabled() const;

    const QScopedPointer<Ui::OrvThermocouple> m_ui;
    OrvParamList m_kept;             ///< last loaded records of parameters without an editor
    int m_sendingInterfaceWidth = 1; ///< 1 or 2 bytes, as the last valid record had it
    QStringList m_loadAdjustments;
};

#pragma once
// Editor of a device's radio configuration: the radio mode of its radio module (Sigfox,
// LoRaWAN, a local point-to-point mode on a fixed channel, a compat repeater mode), the Sigfox
// zone or LoRaWAN class, and the channel of the local mode. The choices depend on the
// radio-module type; the editor converts its state to and from the value of the radio
// configuration parameter (a buffer value, index 0) and, for dual-technology modules, keeps the
// radio technology (LoRaWAN or Sigfox).

#include <QByteArray>
#include <QScopedPointer>
#include <QString>
#include <QVector>
#include <QWidget>

namespace Ui {
class WdgRadioCfg;
}

class WdgRadioCfg : public QWidget
{
    Q_OBJECT
public:
    /// Allowed LoRaWAN classes given to setModule.
    enum ClassMask : unsigned
    {
        ClassesAAndC = 0,
        ClassAOnly = 16,
        ClassCOnly = 32,
    };

    /// Byte 0 of a LoRaWAN configuration value.
    enum ClassCode : quint8
    {
        ClassCodeNotSelectable = 0x00, ///< only one class allowed: the module keeps its own
        ClassCodeA = 0x10,
        ClassCodeC = 0x20,
    };

    /// Byte 0 of a Sigfox configuration value (0x00 when no zone applies).
    enum ZoneCode : quint8
    {
        ZoneNone = 0x00,
        ZoneRcz1 = 0x10,
        ZoneRcz2 = 0x20,
        ZoneRcz3A = 0x30,
        ZoneRcz3C = 0x31,
        ZoneRcz4 = 0x40,
        ZoneRcz5 = 0x50,
        ZoneRcz6 = 0x60,
        ZoneRcz7 = 0x70,
        ZoneMonarch = 0xFF,
    };

    /// Bytes 1-2 of a compat repeater configuration, by module type.
    enum CompatCode : quint16
    {
        CompatFsk = 28,  ///< module types 1-4 and 7-11
        CompatLora = 19, ///< module types 5 and 6
    };

    /// Value of the radio technology parameter of dual-technology modules (types 13 and 14).
    enum Technology : quint8
    {
        TechnologySigfox = 0,
        TechnologyLoRaWAN = 1,
    };

    explicit WdgRadioCfg(QWidget *parent = nullptr);
    ~WdgRadioCfg() override;

    /// Builds the choices for radio-module type moduleType: the modes (with the local and the
    /// compat mode only when allowed), the zones or the LoRaWAN classes allowed by classMask
    /// (see ClassMask), the visible rows. Types 1, 2, 6, 7 and 8 hide the whole editor; types
    /// without radio choices leave the boxes empty. Forgets a value loaded earlier.
    void setModule(int moduleType, unsigned classMask, bool localAllowed, bool compatAllowed);

    /// The radio configuration value of the shown choice: one byte (class code, zone code or
    /// mode index), or for the local and compat modes the mode index followed by the channel
    /// or the compat code (16-bit little-endian). A local mode with no channel selected gives
    /// the mode index alone. With no mode to choose from (a module type without radio choices)
    /// the value last given to fromConfig is given back unchanged.
    QByteArray toConfig() const;

    /// Shows a radio configuration value (module types 3-5, 9-11, 13, 14; other types only
    /// remember it for toConfig). A mode index with no entry leaves the mode unchanged; a
    /// channel that is not in the list leaves no channel selected. Dual-technology modules read
    /// the value with the current technology (setRadioTechnology).
    /// When toConfig would not give the same bytes back, adjustments() says so and
    /// valueAdjusted is emitted.
    void fromConfig(const QByteArray &value);

    /// 1 when the mode box shows "LoRaWAN", 0 when it shows "Sigfox", 1 otherwise.
    quint8 radioTechnology() const;

    /// Stores the radio technology and emits wdgRadioZefTypeChanged. On a dual-technology
    /// module a known technology also selects its mode ("LoRaWAN" for 1, "Sigfox" for 0), and
    /// when the mode changes the value last given to fromConfig is read again with the new
    /// technology, so the radio configuration and the technology may be loaded in either order.
    /// An unknown technology is kept but noted in adjustments().
    void setRadioTechnology(quint8 technology);

    /// Empty when the last load (fromConfig, setRadioTechnology) is shown exactly as loaded;
    /// otherwise a short text for the status line naming what will be written instead
    /// ("Radio configuration 010500 will be written as 01"). A page loading several records
    /// should read it once all records are applied: a later record (the technology) may
    /// resolve what an earlier one left open.
    QString adjustments() const { return m_adjustments; }

signals:
    /// The radio technology was set from outside (setRadioTechnology).
    void wdgRadioZefTypeChanged();
    /// A load left a value the editor cannot show as loaded; text as adjustments().
    void valueAdjusted(const QString &text);

private slots:
    /// Rebuilds the zone, class and channel boxes for the chosen mode.
    void on_comboBoxRadioMode_currentIndexChanged(int index);

private:
    bool isDualTechnology() const;
    void fillClasses();
    void fillChannels(bool lora);
    void applyValue(const QByteArray &value);
    void selectMode(int index);
    void selectClass(quint8 code);
    void selectZone(quint8 code);
    void selectChannel(const QByteArray &value);
    quint8 classCode() const;
    quint8 zoneCode() const;
    quint16 compatCode() const;
    void updateAdjustments();
    void reportAdjustments();

    const QScopedPointer<Ui::WdgRadioCfg> m_ui;
    int m_family = 0;              ///< 1 Sigfox module family, 2 LoRa module family
    QVector<quint16> m_channels;   ///< channel number of each channel box entry
    int m_defaultChannelEntry = 0; ///< entry highlighted and selected by default
    int m_moduleType = 0;          ///< radio-module type code given to setModule
    quint8 m_technology = TechnologyLoRaWAN;
    bool m_technologyLoaded = false; ///< setRadioTechnology was called since setModule
    bool m_classSelectable = true;
    unsigned m_classMask = ClassAOnly;
    QByteArray m_loaded; ///< value last given to fromConfig
    bool m_hasLoaded = false;
    QString m_adjustments;
};

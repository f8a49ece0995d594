#include "editors/OrvThermocouple.h"

#include "common/Bytes.h"

#include "common/Hex.h"
#include "device/model/Catalog.h"
#include "device/family/FamilyParams.h"
#include "device/session/LoRaWanKeys.h"
#include "editors/FixedPoint.h"
#include "ui_OrvThermocouple.h"

#include <algorithm>
#include <functional>
#include <iterator>

using namespace FamilyParams;

namespace {

/// Radio-module types whose data logging follows Sigfox or LoRaWAN rules.
using Catalog::kKivDualA;
using Catalog::kKivDualB;
using Catalog::kKivLoRaWan;
using Catalog::kKivSigfoxA;
using Catalog::kKivSigfoxB;
using Catalog::kKivSigfoxC;

/// Payload bytes of one data logging frame, without and with a timestamp.
constexpr int kSigfoxFrameBytes = 12;
constexpr int kSigfoxFrameBytesTimestamped = 8;
constexpr int kLoRaWanFrameBytes = 51;
constexpr int kLoRaWanFrameBytesTimestamped = 47;
/// Frames per hour and the alternative bound of the statement period.
constexpr unsigned kSigfoxFramesPerHour = 6;
constexpr unsigned kSigfoxFramesAlt = 0;
constexpr unsigned kLoRaWanFramesPerHour = 15;
constexpr unsigned kLoRaWanFramesAlt = 60;

/// Fixed-point scales of the calibration values and the thresholds.
constexpr int kScaleCenti = 100;
constexpr int kScaleMilli = 1000;

/// Sending interface entries of comboBox_itf.
constexpr int kItfEntryLoRaWanBle = 0;
constexpr int kItfEntryLoRaWanOnly = 1;
constexpr int kItfWideBytes = 2;

/// Timestamp entries of comboBox_Timestamp: the entry is the parameter's value.
constexpr int kTimestampEnabledEntry = 1;

/// Digits of the live readings.
constexpr int kTemperatureDecimals = 1;
constexpr int kLiveSignificantDigits = 4;

/// The classes a LoRaWAN device of the family may use (class A only).
constexpr unsigned kRadioClassMask = 16;

using Bytes::le16Bytes;

/// Fixed-point bytes of a box's shown value.
QByteArray signedFixed(const QDoubleSpinBox *box, int scale)
{
    return le16Bytes(
        quint16(FixedPoint::saturateInt16(FixedPoint::scaled(box->value(), box->decimals(), scale))));
}

QByteArray unsignedFixed(const QDoubleSpinBox *box, int scale)
{
    return le16Bytes(FixedPoint::saturateUInt16(FixedPoint::scaled(box->value(), box->decimals(), scale)));
}

} // namespace

OrvThermocouple::OrvThermocouple(Comm *transport, const DeviceInfo &info, QWidget *parent)
    : OrvObject(transport, info, parent), m_ui(new Ui::OrvThermocouple)
{
    setup();
}

OrvThermocouple::OrvThermocouple(int orvType, int orvRev, int kivType, QWidget *parent)
    : OrvObject(orvType, orvRev, kivType, parent), m_ui(new Ui::OrvThermocouple)
{
    setup();
}

OrvThermocouple::~OrvThermocouple()
{
    // The timer must not reach updateValues once the form is gone.
    stopUpdates();
}

void OrvThermocouple::setup()
{
    m_ui->setupUi(this);
    FamilyParams::registerThermocouple(tables(), kivType());
    updateDataLoggingLimits();
    m_ui->widgetDataLoggingCfg->setStatementRange(kStatementMinMin, kStatementMaxMin);

    m_ui->wThresholdTemp->setDecimals(1);
    m_ui->wThresholdTemp->setRange(-40, 125);
    m_ui->wThresholdTemp->setStep(0.1);
    m_ui->wThresholdTemp->setUnit(tr(" °C"));
    m_ui->wThresholdCurrent->setDecimals(2);
    m_ui->wThresholdCurrent->setRange(0, 100);
    m_ui->wThresholdCurrent->setStep(0.01);
    m_ui->wThresholdCurrent->setUnit(tr(" A"));
    m_ui->wThresholdVBat->setDecimals(1);
    m_ui->wThresholdVBat->setRange(3.0, 4.8);
    m_ui->wThresholdVBat->setStep(0.1);
    m_ui->wThresholdVBat->setUnit(tr(" V"));

    connect(m_ui->widgetRadioCfg, &WdgRadioCfg::wdgRadioZefTypeChanged, this,
            &OrvThermocouple::on_zefTypeChanged);
    connect(m_ui->widgetDataLoggingCfg, &WdgDataLoggingCfg::statementPeriodChanged, this,
            &OrvThermocouple::on_statementPeriodChanged);
    connect(m_ui->wThresholdTemp, &WdgThresholdCfg::fastSamplingValueChanged, this,
            &OrvThermocouple::on_fastSamplingPeriodChange);
    connect(m_ui->wThresholdCurrent, &WdgThresholdCfg::fastSamplingValueChanged, this,
            &OrvThermocouple::on_fastSamplingPeriodChange);
    connect(m_ui->widgetTimeStamp, &WdgTimeStamp::_adjustDateSignal, this,
            &OrvThermocouple::on_adjust_date_signal);

    m_ui->widgetTimeStamp->initDate(this);
    m_ui->widgetRadioCfg->setModule(kivType(), kRadioClassMask, true, true);
    m_ui->widgetDataLoggingCfg->wayAdd(kWaySampleBytes);
    m_ui->widgetDataLoggingCfg->wayAdd(kWaySampleBytes);

    if (!isOffline()) {
        startUpdates(kUpdateIntervalMs);
        updateValues();
    }
}

bool OrvThermocouple::hasRadioTechnology() const
{
    return kivType() == kKivDualA || kivType() == kKivDualB;
}

bool OrvThermocouple::timestampEnabled() const
{
    return m_ui->comboBox_Timestamp->currentIndex() == kTimestampEnabledEntry;
}

void OrvThermocouple::updateDataLoggingLimits()
{
    const bool timestamp = timestampEnabled();
    WdgDataLoggingCfg *logging = m_ui->widgetDataLoggingCfg;
    const auto sigfox = [&] {
        logging->setMaxFrameSize(timestamp ? kSigfoxFrameBytesTimestamped : kSigfoxFrameBytes);
        logging->setMaxFramesByHour(kSigfoxFramesPerHour, kSigfoxFramesAlt);
    };
    const auto loRaWan = [&] {
        logging->setMaxFrameSize(timestamp ? kLoRaWanFrameBytesTimestamped : kLoRaWanFrameBytes);
        logging->setMaxFramesByHour(kLoRaWanFramesPerHour, kLoRaWanFramesAlt);
    };
    switch (kivType()) {
    case kKivSigfoxA:
    case kKivSigfoxB:
    case kKivSigfoxC:
        sigfox();
        break;
    case kKivDualA:
    case kKivDualB:
        if (m_ui->widgetRadioCfg->radioTechnology() == WdgRadioCfg::TechnologySigfox)
            sigfox();
        else
            loRaWan();
        break;
    case kKivLoRaWan:
        loRaWan();
        break;
    default:
        break;
    }
}

void OrvThermocouple::on_comboBox_Timestamp_activated(const QString &text)
{
    Q_UNUSED(text)
    updateDataLoggingLimits();
}

void OrvThermocouple::on_zefTypeChanged()
{
    updateDataLoggingLimits();
}

void OrvThermocouple::on_statementPeriodChanged()
{
    // The fast TX period is sent in one byte: a longer statement period can't raise it further.
    const int maximum = int(qMin<unsigned>(m_ui->widgetDataLoggingCfg->statementPeriod(), kFastTxMaxMin));
    m_ui->wThresholdTemp->setFastTxMaximum(maximum);
    m_ui->wThresholdCurrent->setFastTxMaximum(maximum);
}

void OrvThermocouple::on_fastSamplingPeriodChange(unsigned value)
{
    // Setting an equal value emits nothing, so the two editors don't echo forever.
    m_ui->wThresholdTemp->setFastTx(int(value), false, false);
    m_ui->wThresholdCurrent->setFastTx(int(value), false, false);
}

void OrvThermocouple::on_checkBox_temp_stateChanged(int state)
{
    m_ui->groupBox_4->setEnabled(state != Qt::Unchecked);
}

void OrvThermocouple::on_adjust_date_signal()
{
    // Over BLE the click may arrive while another exchange waits for its answer.
    if (isBusy()) {
        reportBusy();
        return;
    }
    m_ui->widgetTimeStamp->adjustDate(this);
}

bool OrvThermocouple::isEdited(quint8 id) const
{
    switch (id) {
    case ParamRadioConfig:
    case ParamTimestamp:
    case ParamDataLogging:
    case ParamTemperatureThreshold:
    case ParamCurrentThreshold:
    case ParamVBatThreshold:
    case ParamTemperatureOffset:
    case ParamTemperatureCoef:
    case ParamCurrentCoef:
    case ParamCurrentOffset:
    case ParamSpireResistance:
    case ParamThermocoupleState:
    case ParamSendingInterface:
        return true;
    case ParamRadioTechnology:
        return hasRadioTechnology();
    default:
        return false;
    }
}

// --- records to editors ----------------------------------------------------------------------

void OrvThermocouple::applyRecord(const OrvParam &p)
{
    switch (p.id()) {
    case ParamRadioConfig:
        m_ui->widgetRadioCfg->fromConfig(p.data());
        break;
    case ParamTimestamp:
        // The entries by their codes (0 "Disable", 1 "Enable"), whatever language they show.
        if (p.size() == 1 && p.toUInt8() <= kTimestampEnabledEntry)
            m_ui->comboBox_Timestamp->setCurrentIndex(p.toUInt8());
        break;
    case ParamDataLogging:
        m_ui->widgetDataLoggingCfg->fromConfig(p.data());
        break;
    case ParamTemperatureThreshold:
        m_ui->wThresholdTemp->fromConfig(p.data(), kScaleCenti);
        break;
    case ParamCurrentThreshold:
        m_ui->wThresholdCurrent->fromConfig(p.data(), kScaleCenti);
        break;
    case ParamVBatThreshold:
        m_ui->wThresholdVBat->fromConfig(p.data(), kScaleMilli);
        break;
    case ParamTemperatureOffset:
        m_ui->doubleSpinBox_sensor1Offset->setValue(FixedPoint::unscaled(p.toInt16(), kScaleCenti));
        break;
    case ParamTemperatureCoef:
        m_ui->doubleSpinBox_sensor1Coef->setValue(FixedPoint::unscaled(p.toUInt16(), kScaleMilli));
        break;
    case ParamCurrentCoef:
        m_ui->doubleSpinBox_currentCoef->setValue(FixedPoint::unscaled(p.toUInt16(), kScaleMilli));
        break;
    case ParamCurrentOffset:
        m_ui->doubleSpinBox_currentOffset->setValue(FixedPoint::unscaled(p.toInt16(), kScaleMilli));
        break;
    case ParamSpireResistance:
        // A couple the box does not list leaves the choice as it is.
        if (p.toUInt8() < m_ui->comboBox_Spire->count())
            m_ui->comboBox_Spire->setCurrentIndex(p.toUInt8());
        break;
    case ParamThermocoupleState:
        m_ui->checkBox_temp->setChecked(p.toUInt8() != 0);
        break;
    case ParamSendingInterface: {
        // The device takes the value in one byte or as a 16-bit number (the default
        // configuration holds 11 00): both forms are shown, and written back as wide as loaded.
        const QByteArray &v = p.data();
        const bool oneByte = v.size() == 1;
        const bool wide = v.size() == kItfWideBytes && v.at(1) == 0;
        if (!oneByte && !wide)
            break;
        const quint8 code = quint8(v.at(0));
        int entry = -1;
        if (code == InterfaceLoRaWanBle)
            entry = kItfEntryLoRaWanBle;
        else if (code == InterfaceLoRaWanOnly)
            entry = kItfEntryLoRaWanOnly;
        if (entry < 0)
            break;
        m_ui->comboBox_itf->setCurrentIndex(entry);
        m_sendingInterfaceWidth = v.size();
        break;
    }
    case ParamRadioTechnology:
        if (hasRadioTechnology())
            m_ui->widgetRadioCfg->setRadioTechnology(p.toUInt8());
        break;
    default:
        break;
    }
}

void OrvThermocouple::paramsToWidgets(OrvParamList &params)
{
    // Deferred records: the data logging limits depend on the timestamp and the radio
    // technology, and the fast TX maximum of the thresholds on the statement period.
    OrvParamList dataLogging;
    OrvParamList thresholds;
    QMap<quint8, QByteArray> loaded; // last loaded value of each edited id
    bool radioLoaded = false;
    // The notes on the values shown before go with them.
    if (MessageBar *notes = messageBar())
        notes->dismiss();

    for (const OrvParam &p : params) {
        const quint8 id = p.id();
        if (!tables().isKnown(id))
            continue;
        if (!isEdited(id)) {
            for (int i = m_kept.size() - 1; i >= 0; --i) {
                if (m_kept.at(i).id() == id)
                    m_kept.remove(i);
            }
            m_kept.append(p);
            continue;
        }
        loaded.insert(id, p.data());
        if (id == ParamRadioConfig || id == ParamRadioTechnology)
            radioLoaded = true;
        if (id == ParamDataLogging)
            dataLogging = {p};
        else if (id == ParamTemperatureThreshold || id == ParamCurrentThreshold || id == ParamVBatThreshold)
            thresholds.append(p);
        else
            applyRecord(p);
    }
    updateDataLoggingLimits();
    for (const OrvParam &p : qAsConst(dataLogging))
        applyRecord(p);
    for (const OrvParam &p : qAsConst(thresholds))
        applyRecord(p);

    m_loadAdjustments = describeAdjustments(loaded, radioLoaded, !dataLogging.isEmpty());
    const QString note = loadNote();
    if (!note.isEmpty())
        this->note(note); // kept in the transaction's outcome with what it showed
}

QString OrvThermocouple::loadNote() const
{
    if (m_loadAdjustments.isEmpty())
        return QString();
    return tr("Some loaded values can't be shown as they are: %1")
        .arg(m_loadAdjustments.join(QStringLiteral("; ")));
}

QStringList OrvThermocouple::describeAdjustments(const QMap<quint8, QByteArray> &loaded, bool radioLoaded,
                                                 bool dataLoggingLoaded) const
{
    // The editors' own texts where they have one, else the bytes loaded and the bytes that
    // will be written (a later record or a rule between editors may have changed a value).
    QMap<quint8, QString> notes;
    const QString radioNote = m_ui->widgetRadioCfg->adjustments();
    if (radioLoaded && !radioNote.isEmpty())
        notes.insert(ParamRadioConfig, radioNote);
    const QString loggingNote = m_ui->widgetDataLoggingCfg->loadNote();
    if (dataLoggingLoaded && !loggingNote.isEmpty())
        notes.insert(ParamDataLogging, loggingNote);

    for (auto it = loaded.constBegin(); it != loaded.constEnd(); ++it) {
        const quint8 id = it.key();
        const QByteArray written = encode(id);
        if (written == it.value())
            continue;
        const bool radio = id == ParamRadioConfig || id == ParamRadioTechnology;
        if ((radio && notes.contains(ParamRadioConfig)) || notes.contains(id))
            continue;
        QString text =
            tr("%1 %2 will be written as %3")
                .arg(tables().name(id), it.value().isEmpty() ? tr("(empty)") : Hex::upper(it.value()),
                     written.isEmpty() ? tr("(nothing)") : Hex::upper(written));
        QString editorNote;
        if (id == ParamTemperatureThreshold)
            editorNote = m_ui->wThresholdTemp->adjustments();
        else if (id == ParamCurrentThreshold)
            editorNote = m_ui->wThresholdCurrent->adjustments();
        else if (id == ParamVBatThreshold)
            editorNote = m_ui->wThresholdVBat->adjustments();
        if (!editorNote.isEmpty())
            text += QStringLiteral(" (") + editorNote + QLatin1Char(')');
        notes.insert(id, text);
    }
    return notes.values();
}

// --- editors to records ----------------------------------------------------------------------

QByteArray OrvThermocouple::sendingInterfaceValue() const
{
    quint8 code = InterfaceNone;
    switch (m_ui->comboBox_itf->currentIndex()) {
    case kItfEntryLoRaWanBle:
        code = InterfaceLoRaWanBle;
        break;
    case kItfEntryLoRaWanOnly:
        code = InterfaceLoRaWanOnly;
        break;
    default:
        break;
    }
    QByteArray value(1, char(code));
    if (m_sendingInterfaceWidth == kItfWideBytes)
        value.append('\0');
    return value;
}

QByteArray OrvThermocouple::encode(quint8 id) const
{
    switch (id) {
    case ParamRadioConfig:
        return m_ui->widgetRadioCfg->toConfig();
    case ParamTimestamp:
        return QByteArray(1, char(timestampEnabled() ? 1 : 0));
    case ParamDataLogging:
        return m_ui->widgetDataLoggingCfg->toConfig();
    case ParamTemperatureThreshold:
        return m_ui->wThresholdTemp->toConfig(kScaleCenti);
    case ParamCurrentThreshold:
        return m_ui->wThresholdCurrent->toConfig(kScaleCenti);
    case ParamVBatThreshold:
        return m_ui->wThresholdVBat->toConfig(kScaleMilli);
    case ParamTemperatureOffset:
        return signedFixed(m_ui->doubleSpinBox_sensor1Offset, kScaleCenti);
    case ParamTemperatureCoef:
        return unsignedFixed(m_ui->doubleSpinBox_sensor1Coef, kScaleMilli);
    case ParamCurrentCoef:
        return unsignedFixed(m_ui->doubleSpinBox_currentCoef, kScaleMilli);
    case ParamCurrentOffset:
        return signedFixed(m_ui->doubleSpinBox_currentOffset, kScaleMilli);
    case ParamSpireResistance:
        return QByteArray(1, char(quint8(qMax(0, m_ui->comboBox_Spire->currentIndex()))));
    case ParamThermocoupleState:
        return QByteArray(1, char(m_ui->checkBox_temp->isChecked() ? 1 : 0));
    case ParamSendingInterface:
        return sendingInterfaceValue();
    case ParamRadioTechnology:
        if (hasRadioTechnology())
            return QByteArray(1, char(m_ui->widgetRadioCfg->radioTechnology()));
        return QByteArray();
    default:
        return QByteArray();
    }
}

void OrvThermocouple::widgetsToParams(OrvParamList &params)
{
    static const quint8 kBufferIds[] = {ParamRadioConfig, ParamDataLogging, ParamTemperatureThreshold,
                                        ParamCurrentThreshold, ParamVBatThreshold};
    static const quint8 kOrder[] = {ParamRadioConfig,          ParamTimestamp,        ParamDataLogging,
                                    ParamTemperatureThreshold, ParamCurrentThreshold, ParamVBatThreshold,
                                    ParamTemperatureOffset,    ParamTemperatureCoef,  ParamCurrentCoef,
                                    ParamCurrentOffset,        ParamSpireResistance,  ParamThermocoupleState,
                                    ParamSendingInterface,     ParamRadioTechnology};
    for (const quint8 id : kOrder) {
        if (!isEdited(id))
            continue;
        const QByteArray value = encode(id);
        if (value.isEmpty())
            continue;
        if (std::find(std::begin(kBufferIds), std::end(kBufferIds), id) != std::end(kBufferIds))
            params.append(OrvParam(id, value, 0));
        else
            params.append(OrvParam(id, value));
    }
    // Parameters the page has no editor for go back as they were loaded.
    params += m_kept;
}

// --- live values and keys ------------------------------------------------------------------------

void OrvThermocouple::updateValues()
{
    // A refresh that falls inside another exchange (a box of a transaction, a reading over BLE
    // waiting for its answer, another device's identification) asks nothing: the reading keeps
    // its last value, and "N/A" is left for a device that did not answer.
    const auto refresh = [this](QLabel *label, quint8 command, const std::function<QString(quint16)> &text) {
        if (isBusy())
            return;
        QByteArray value;
        label->setText(readLiveValue(command, &value) ? text(Bytes::le16(value, 0)) : tr("N/A"));
    };

    if (m_ui->checkBox_temp->isChecked()) {
        m_ui->temperature->setEnabled(true);
        refresh(m_ui->temperature, CmdTemperature, [](quint16 raw) {
            const double celsius = FixedPoint::unscaled(qint16(raw), kScaleCenti);
            return QString::number(celsius, 'f', kTemperatureDecimals) + tr(" °C");
        });
    } else {
        m_ui->temperature->setText(tr("Thermocouple Disable"));
        m_ui->temperature->setEnabled(false);
    }
    refresh(m_ui->current, CmdCurrent, [](quint16 raw) {
        const double amperes = FixedPoint::unscaled(raw, kScaleCenti);
        return QString::number(amperes, 'g', kLiveSignificantDigits) + tr(" A");
    });
    refresh(m_ui->vbat, CmdBatteryVoltage,
            [](quint16 raw) { return QString::number(raw, 'g', kLiveSignificantDigits) + tr(" mV"); });
}

void OrvThermocouple::updateLoRaWANKeys(const QByteArray &appEUI, const QByteArray &appKey)
{
    // Confirmed only when the device took both keys: a refused key has been reported by name
    // and must not look like a success.
    if (LoRaWanKeys::write(*this, appEUI, appKey).outcome == LoRaWanKeys::WriteResult::Accepted)
        emit cfgAppliedToDevice();
}

QSize OrvThermocouple::sizeHint() const
{
    // Scroll areas hint a small size of their own: ask their contents instead.
    constexpr int kFrameMargin = 40;
    const QSize left = m_ui->scrollAreaWidgetContents->sizeHint();
    const QSize right = m_ui->scrollAreaWidgetContents_2->sizeHint();
    return QSize(left.width() + right.width() + 2 * kFrameMargin,
                 qMax(left.height(), right.height()) + kFrameMargin);
}

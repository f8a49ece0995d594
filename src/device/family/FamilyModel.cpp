#include "device/family/FamilyModel.h"

#include "common/Bytes.h"
#include "device/model/Catalog.h"

#include <QCoreApplication>
#include <QMap>

using namespace FamilyParams;

namespace FamilyModel {

namespace {

QString tr(const char *text, const char *disambiguation = nullptr, int n = -1)
{
    return QCoreApplication::translate("FamilyModel", text, disambiguation, n);
}

/// The action id of the command protocol (restart, identify, load, defaults, clock...).
constexpr quint8 kActionId = 1;

/// How the bytes of a value are checked.
enum class Form
{
    Unsigned,    ///< 1 or 2 bytes, little-endian, within [min, max]
    Signed,      ///< 2 bytes, signed 16-bit, within [min, max]
    Interface,   ///< 0x01 or 0x11, in one byte or as a 16-bit number
    RadioConfig, ///< one byte: a LoRaWAN class code or a Sigfox zone code
    DataLogging, ///< samples, depth and statement period
    Threshold,   ///< high, low, hysteresis, duration, fast TX period
    Any,         ///< any bytes of the size
};

struct Rule
{
    quint8 id;
    Form form;
    int size; ///< bytes of the value (Interface: 1 or 2)
    int min;  ///< Unsigned/Signed: range; Threshold: lowest low, in value units
    int max;  ///< Unsigned/Signed: range; Threshold: highest high
};

/// Value units per displayed unit of the thresholds and the calibration values.
constexpr int kCenti = 100;
constexpr int kMilli = 1000;

// clang-format off
const Rule kRules[] = {
    // id                         form               size  min             max
    {ParamKeepAlive,              Form::Any,         1,    0,              0},
    {ParamRadioConfig,            Form::RadioConfig, 1,    0,              0},
    {ParamRadioTechnology,        Form::Unsigned,    1,    0,              1},
    {ParamTimestamp,              Form::Unsigned,    1,    0,              1},
    {ParamDataLogging,            Form::DataLogging, 3,    1,              15300},   // statement, minutes
    {ParamTemperatureThreshold,   Form::Threshold,   8,    -40 * kCenti,   125 * kCenti},
    {ParamCurrentThreshold,       Form::Threshold,   8,    0,              100 * kCenti},
    {ParamVBatThreshold,          Form::Threshold,   8,    3 * kMilli,     4800},
    {ParamTemperatureOffset,      Form::Signed,      2,    -10 * kCenti,   10 * kCenti},
    {ParamTemperatureCoef,        Form::Unsigned,    2,    0,              0xFFFF},
    {ParamThresholdCheckPeriod,   Form::Any,         2,    0,              0},
    {ParamBlePeriod,              Form::Any,         2,    0,              0},
    {ParamCurrentCoef,            Form::Unsigned,    2,    900,            1100},    // 0.900 to 1.100
    {ParamCurrentOffset,          Form::Signed,      2,    -5 * kMilli,    5 * kMilli},
    {ParamSpireResistance,        Form::Unsigned,    1,    0,              4},
    {ParamStop1Duration,          Form::Any,         2,    0,              0},
    {ParamThermocoupleState,      Form::Unsigned,    1,    0,              1},
    {ParamSendingInterface,       Form::Interface,   1,    0,              0},
};
// clang-format on

/// Factory values of the shown parameters.
// clang-format off
const struct { quint8 id; const char *hex; } kFactory[] = {
    {ParamRadioConfig, "00"},
    {ParamRadioTechnology, "01"},
    {ParamTimestamp, "00"},
    {ParamDataLogging, "000100"},
    {ParamTemperatureThreshold, "8813000032000000"}, // 50.0 / 0.0 / 0.5 degrees, off
    {ParamCurrentThreshold, "dc0532000a000000"},     // 15.00 / 0.50 / 0.10 A, off
    {ParamVBatThreshold, "6810e40c64000000"},        // 4.2 / 3.3 / 0.1 V, off
    {ParamTemperatureOffset, "0000"},
    {ParamTemperatureCoef, "0000"},
    {ParamCurrentCoef, "e803"},                      // 1.000
    {ParamCurrentOffset, "0000"},
    {ParamSpireResistance, "00"},                    // 1000 spires / 15 ohms
    {ParamThermocoupleState, "00"},
    {ParamSendingInterface, "1100"},                 // LoRaWAN + BLE
};
// clang-format on

/// Radio configuration codes a module of the family takes: LoRaWAN class (not selectable 0x00,
/// A 0x10, C 0x20) or Sigfox zone (RCZ1 to RCZ7, RCZ3C 0x31).
bool isRadioCode(quint8 code)
{
    switch (code) {
    case 0x00:
    case 0x10:
    case 0x20:
    case 0x30:
    case 0x31:
    case 0x40:
    case 0x50:
    case 0x60:
    case 0x70:
        return true;
    default:
        return false;
    }
}

/// Longest duration of a threshold (seconds; 0 = off) and the fast TX periods (minutes; 0 = off).
constexpr int kMaxDurationS = 10;
constexpr int kMinFastTxMin = 4;
constexpr int kMaxFastTxMin = 10;
/// Byte 0 of the data logging value: bits 0-2 samples - 1, bits 4-5 depth - 1, the rest 0.
constexpr quint8 kDataLoggingUnusedBits = 0xC8;

const Rule *ruleOf(quint8 id)
{
    for (const Rule &r : kRules) {
        if (r.id == id)
            return &r;
    }
    return nullptr;
}

bool hasRadioTechnology(int kivType)
{
    return kivType == Catalog::kKivDualA || kivType == Catalog::kKivDualB;
}

bool isBuffer(quint8 id)
{
    for (const Entry &e : thermocouple()) {
        if (e.id == id)
            return e.isBuf;
    }
    return false;
}

QString nameOf(quint8 id)
{
    for (const Entry &e : thermocouple()) {
        if (e.id == id)
            return QCoreApplication::translate(kTranslationContext, e.name);
    }
    return QString();
}

/// "Name (id): " before a reason.
QString prefix(quint8 id)
{
    return QStringLiteral("%1 (%2): ").arg(nameOf(id)).arg(id);
}

QString outOfRange(quint8 id, int value, int min, int max)
{
    return prefix(id) + tr("%1 is out of range (%2 to %3)").arg(value).arg(min).arg(max);
}

QString thresholdRefusal(const Rule &r, const QByteArray &v)
{
    const int high = qint16(Bytes::le16(v, 0));
    const int low = qint16(Bytes::le16(v, 2));
    const int hysteresis = qint16(Bytes::le16(v, 4));
    const int duration = quint8(v.at(6));
    const int fastTx = quint8(v.at(7));
    if (high > r.max)
        return prefix(r.id) + tr("high threshold %1 is above %2").arg(high).arg(r.max);
    if (low < r.min)
        return prefix(r.id) + tr("low threshold %1 is below %2").arg(low).arg(r.min);
    if (hysteresis < 0 || low + hysteresis > high - hysteresis)
        return prefix(r.id) +
               tr("hysteresis %1 does not fit between low %2 and high %3").arg(hysteresis).arg(low).arg(high);
    if (duration > kMaxDurationS)
        return prefix(r.id) + tr("duration %1 s is out of range (0 to %2)").arg(duration).arg(kMaxDurationS);
    if (fastTx != 0 && (fastTx < kMinFastTxMin || fastTx > kMaxFastTxMin))
        return prefix(r.id) + tr("fast TX period %1 min is out of range (0 or %2 to %3)")
                                  .arg(fastTx)
                                  .arg(kMinFastTxMin)
                                  .arg(kMaxFastTxMin);
    return QString();
}

} // namespace

bool isSecret(quint8 id)
{
    return id == ParamAppEui || id == ParamAppKey;
}

Role role(quint8 id, int kivType)
{
    if (id == kActionId)
        return Role::Action;
    if (isSecret(id))
        return Role::Secret;
    if (id == ParamRadioTechnology && !hasRadioTechnology(kivType))
        return Role::Unknown;
    switch (id) {
    case ParamKeepAlive:
    case ParamThresholdCheckPeriod:
    case ParamBlePeriod:
    case ParamStop1Duration:
        return Role::Kept;
    default:
        return ruleOf(id) ? Role::Shown : Role::Unknown;
    }
}

bool isConfigParam(quint8 id, int kivType)
{
    const Role r = role(id, kivType);
    return r == Role::Shown || r == Role::Kept;
}

QString LeftOut::text() const
{
    switch (role) {
    case Role::Action:
        return tr("parameter %1 is not a configuration parameter and was left out").arg(id);
    case Role::Secret:
        return tr("parameter %1 (%2) is a LoRaWAN key and was left out")
            .arg(id)
            .arg(id == ParamAppEui ? QStringLiteral("AppEUI") : QStringLiteral("AppKey"));
    default:
        return tr("parameter %1 is unknown to this device and was left out").arg(id);
    }
}

QVector<LeftOut> leaveOut(OrvParamList &list, int kivType)
{
    QVector<LeftOut> left;
    OrvParamList kept;
    kept.reserve(list.size());
    for (const OrvParam &p : qAsConst(list)) {
        if (isConfigParam(p.id(), kivType)) {
            kept.append(p);
            continue;
        }
        bool seen = false;
        for (const LeftOut &l : qAsConst(left))
            seen = seen || l.id == p.id();
        if (!seen)
            left.append(LeftOut{p.id(), role(p.id(), kivType)});
    }
    list = kept;
    return left;
}

QString leftOutText(const QVector<LeftOut> &left)
{
    QStringList texts;
    for (const LeftOut &l : left)
        texts << l.text();
    return texts.join(QStringLiteral("; "));
}

QString Checked::refusedText() const
{
    QStringList texts;
    for (const Refusal &r : refused)
        texts << r.text;
    return texts.join(QStringLiteral("; "));
}

OrvParamList wholeRecords(const OrvParamList &list)
{
    QVector<quint8> order;
    QMap<quint8, OrvParam> whole;
    for (const OrvParam &p : list) {
        auto it = whole.find(p.id());
        if (it == whole.end()) {
            order.append(p.id());
            it = whole.insert(p.id(), p.isBuf() ? OrvParam(p.id(), QByteArray(), 0) : p);
        }
        if (!p.isBuf()) {
            *it = p;
            continue;
        }
        // A chunk at index 0 starts the value again, as the device takes it.
        QByteArray value = it->isBuf() ? it->data() : QByteArray();
        if (p.index() == 0)
            value.clear();
        if (value.size() < p.index() + p.size())
            value.resize(p.index() + p.size());
        value.replace(p.index(), p.size(), p.data());
        *it = OrvParam(p.id(), value, 0);
    }
    OrvParamList out;
    out.reserve(order.size());
    for (const quint8 id : qAsConst(order))
        out.append(whole.value(id));
    return out;
}

namespace {
/// The value's fields against the rule (size already checked); empty when they fit.
QString valueRefusal(const Rule &rule, const QByteArray &v)
{
    const quint8 id = rule.id;
    switch (rule.form) {
    case Form::Unsigned: {
        const int value = v.size() == 1 ? quint8(v.at(0)) : Bytes::le16(v, 0);
        if (value < rule.min || value > rule.max)
            return outOfRange(id, value, rule.min, rule.max);
        break;
    }
    case Form::Signed: {
        const int value = qint16(Bytes::le16(v, 0));
        if (value < rule.min || value > rule.max)
            return outOfRange(id, value, rule.min, rule.max);
        break;
    }
    case Form::Interface: {
        const bool wideOk = v.size() == 1 || v.at(1) == 0;
        const quint8 code = quint8(v.at(0));
        if (!wideOk || (code != 0x01 && code != 0x11))
            return prefix(id) + tr("%1 is neither 01 (LoRaWAN only) nor 11 (LoRaWAN + BLE)")
                                    .arg(QString::fromLatin1(v.toHex().toUpper()));
        break;
    }
    case Form::RadioConfig:
        if (!isRadioCode(quint8(v.at(0))))
            return prefix(id) +
                   tr("%1 is no radio class or zone code").arg(QString::fromLatin1(v.toHex().toUpper()));
        break;
    case Form::DataLogging: {
        const int statement = Bytes::le16(v, 1);
        if (quint8(v.at(0)) & kDataLoggingUnusedBits)
            return prefix(id) + tr("%1 is no samples and depth code")
                                    .arg(QString::fromLatin1(v.left(1).toHex().toUpper()));
        if (statement < rule.min || statement > rule.max)
            return prefix(id) + tr("statement period %1 min is out of range (%2 to %3)")
                                    .arg(statement)
                                    .arg(rule.min)
                                    .arg(rule.max);
        break;
    }
    case Form::Threshold:
        return thresholdRefusal(rule, v);
    case Form::Any:
        break;
    }
    return QString();
}

/// The refusal of value as parameter id; text empty when it can be written.
Refusal refusalOf(quint8 id, const QByteArray &v, int kivType)
{
    Refusal out;
    out.id = id;
    const Role r = role(id, kivType);
    if (r != Role::Shown && r != Role::Kept) {
        out.text = LeftOut{id, r}.text();
        return out;
    }
    const Rule &rule = *ruleOf(id);
    const bool sizeOk =
        rule.form == Form::Interface ? (v.size() == 1 || v.size() == 2) : v.size() == rule.size;
    if (!sizeOk) {
        out.kind = Refusal::WrongSize;
        out.text = prefix(id) + tr("%n byte(s) where the parameter has %1", nullptr, v.size())
                                    .arg(rule.form == Form::Interface ? QStringLiteral("1 or 2")
                                                                      : QString::number(rule.size));
        return out;
    }
    out.kind = Refusal::OutOfRange;
    out.text = valueRefusal(rule, v);
    return out;
}
} // namespace

QString refusal(quint8 id, const QByteArray &value, int kivType)
{
    return refusalOf(id, value, kivType).text;
}

Checked check(const OrvParamList &records, int kivType)
{
    Checked out;
    for (const OrvParam &p : wholeRecords(records)) {
        const Refusal r = refusalOf(p.id(), p.data(), kivType);
        if (r.text.isEmpty())
            out.accepted.append(p);
        else
            out.refused.append(r);
    }
    return out;
}

OrvParamList factoryValues(int kivType)
{
    OrvParamList out;
    for (const auto &f : kFactory) {
        if (role(f.id, kivType) != Role::Shown)
            continue;
        const QByteArray value = QByteArray::fromHex(f.hex);
        out.append(isBuffer(f.id) ? OrvParam(f.id, value, 0) : OrvParam(f.id, value));
    }
    return out;
}

} // namespace FamilyModel

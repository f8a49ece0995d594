#include "device/family/ConfigDiff.h"

#include "common/Bytes.h"
#include "common/Hex.h"
#include "device/model/Catalog.h"
#include "device/family/FamilyModel.h"
#include "device/family/FamilyParams.h"

#include <QSet>
#include <QSettings>

#include <algorithm>

using namespace FamilyParams;

namespace ConfigDiff {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ConfigDiff", text);
}

// The page's own words, in the contexts of the editors that show them, so that a row reads
// as the page does in every language.
const char *const kPage = "OrvThermocouple";
const char *const kRadio = "WdgRadioCfg";
const char *const kThreshold = "WdgThresholdCfg";
const char *const kLogging = "WdgDataLoggingCfg";

QString page(const char *context, const char *text)
{
    return QCoreApplication::translate(context, text);
}

// clang-format off
const char *const kUnitCelsius = QT_TRANSLATE_NOOP("OrvThermocouple", " °C");
const char *const kUnitAmpere = QT_TRANSLATE_NOOP("OrvThermocouple", " A");
const char *const kUnitVolt = QT_TRANSLATE_NOOP("OrvThermocouple", " V");
const char *const kDisable = QT_TRANSLATE_NOOP("OrvThermocouple", "Disable");
const char *const kEnable = QT_TRANSLATE_NOOP("OrvThermocouple", "Enable");
const char *const kItfLoRaWanBle = QT_TRANSLATE_NOOP("OrvThermocouple", "LoRaWAN + BLE");
const char *const kItfLoRaWanOnly = QT_TRANSLATE_NOOP("OrvThermocouple", "LoRaWAN only");
/// The couples of the spire box, by code.
const char *const kSpires[] = {
    QT_TRANSLATE_NOOP("OrvThermocouple", "1000 Spires / 15 Ohms"),
    QT_TRANSLATE_NOOP("OrvThermocouple", "580 Spires / 7.5 Ohms"),
    QT_TRANSLATE_NOOP("OrvThermocouple", "580 Spires / 8.66 Ohms"),
    QT_TRANSLATE_NOOP("OrvThermocouple", "1000 Spires / 8.66 Ohms"),
    QT_TRANSLATE_NOOP("OrvThermocouple", "1000 Spires / 0.5 Ohm"),
};
const char *const kClassA = QT_TRANSLATE_NOOP("WdgRadioCfg", "Class A");
const char *const kClassC = QT_TRANSLATE_NOOP("WdgRadioCfg", "Class C");
const char *const kSigfox = QT_TRANSLATE_NOOP("WdgRadioCfg", "Sigfox");
const char *const kLoRaWan = QT_TRANSLATE_NOOP("WdgRadioCfg", "LoRaWAN");
const char *const kSeconds = QT_TRANSLATE_NOOP("WdgThresholdCfg", " s");
const char *const kMinutes = QT_TRANSLATE_NOOP("WdgThresholdCfg", " min");
const char *const kOff = QT_TRANSLATE_NOOP("WdgThresholdCfg", "off");
const char *const kHours = QT_TRANSLATE_NOOP("WdgDataLoggingCfg", " H");
const char *const kMin = QT_TRANSLATE_NOOP("WdgDataLoggingCfg", " Min");
// clang-format on

/// Sigfox zones by code, as the zone box names them.
const struct
{
    quint8 code;
    const char *name;
} kZones[] = {
    {0x10, "RCZ1"}, {0x20, "RCZ2"}, {0x30, "RCZ3A"}, {0x31, "RCZ3C"},   {0x40, "RCZ4"},
    {0x50, "RCZ5"}, {0x60, "RCZ6"}, {0x70, "RCZ7"},  {0xFF, "Monarch"},
};

/// The radio technology value of Sigfox (the other one, 1, is LoRaWAN).
constexpr quint8 kTechnologySigfox = 0;

/// Value units per shown unit.
constexpr int kCenti = 100;
constexpr int kMilli = 1000;
/// Bytes of a threshold record and the offsets of its fields.
constexpr int kThresholdBytes = 8;
constexpr int kOffsetHigh = 0;
constexpr int kOffsetLow = 2;
constexpr int kOffsetHysteresis = 4;
constexpr int kOffsetDuration = 6;
constexpr int kOffsetFastTx = 7;
constexpr int kDataLoggingBytes = 3;
constexpr quint8 kSamplesMask = 0x07;
constexpr int kDepthShift = 4;
constexpr quint8 kDepthMask = 0x03;
constexpr int kMinutesPerHour = 60;

/// One shown field of a value: its label (empty for a value of one field) and its text.
struct Field
{
    QString label;
    QString text;
    /// A fixed-point number's text with every decimal of its scale (else the text).
    QString precise;
    /// Whether text shows the value exactly (a box's decimals may round it).
    bool exact = true;
};

QString nameOf(quint8 id)
{
    for (const Entry &e : thermocouple()) {
        if (e.id == id)
            return QCoreApplication::translate(kTranslationContext, e.name);
    }
    return QStringLiteral("%1").arg(id);
}

int decimalsOf(int scale)
{
    int d = 0;
    for (int s = scale; s > 1; s /= 10)
        ++d;
    return d;
}

/// A fixed-point number with the decimals the page's box has; a row where the box rounds
/// either side shows both with every decimal of the scale, so two values never read alike.
Field fixed(const QString &label, qint64 raw, int scale, int decimals, const char *unit)
{
    int step = scale;
    for (int i = 0; i < decimals; ++i)
        step /= 10;
    const QString suffix = unit ? page(kPage, unit) : QString();
    const auto text = [&](int d) { return QString::number(double(raw) / double(scale), 'f', d) + suffix; };
    return Field{label, text(decimals), text(decimalsOf(scale)), step > 0 && raw % step == 0};
}

/// A field shown as it is.
Field plain(const QString &label, const QString &text)
{
    return Field{label, text, text, true};
}

QString offOr(int value, const char *unit)
{
    return value == 0 ? page(kThreshold, kOff) : QString::number(value) + page(kThreshold, unit);
}

QString hex(const QByteArray &v)
{
    return v.isEmpty() ? tr("(empty)") : Hex::upper(v);
}

/// The entry of a box by code, or the code in hexadecimal when the box has none.
QString entry(const char *context, const char *const *texts, int count, const QByteArray &v)
{
    const int code = quint8(v.at(0));
    if (code < count)
        return page(context, texts[code]);
    return hex(v);
}

bool isSigfoxOnly(int kivType)
{
    return kivType == Catalog::kKivSigfoxA || kivType == Catalog::kKivSigfoxB ||
           kivType == Catalog::kKivSigfoxC;
}

bool isDual(int kivType)
{
    return kivType == Catalog::kKivDualA || kivType == Catalog::kKivDualB;
}

QString radioText(const QByteArray &v, bool sigfox)
{
    if (v.size() != 1)
        return hex(v);
    const quint8 code = quint8(v.at(0));
    if (sigfox) {
        for (const auto &z : kZones) {
            if (z.code == code)
                return QString::fromLatin1(z.name);
        }
        return hex(v);
    }
    if (code == 0x10)
        return page(kRadio, kClassA);
    if (code == 0x20)
        return page(kRadio, kClassC);
    if (code == 0x00)
        return tr("the module's own class");
    return hex(v);
}

QVector<Field> thresholdFields(const QByteArray &v, int scale, int decimals, const char *unit)
{
    const auto number = [&](const QString &label, int offset) {
        return fixed(label, qint16(Bytes::le16(v, offset)), scale, decimals, unit);
    };
    return {
        number(tr("high"), kOffsetHigh),
        number(tr("low"), kOffsetLow),
        number(tr("hysteresis"), kOffsetHysteresis),
        plain(tr("duration"), offOr(quint8(v.at(kOffsetDuration)), kSeconds)),
        plain(tr("fast TX period"), offOr(quint8(v.at(kOffsetFastTx)), kMinutes)),
    };
}

QVector<Field> dataLoggingFields(const QByteArray &v)
{
    const quint8 code = quint8(v.at(0));
    const int statement = Bytes::le16(v, 1);
    const QString period = QString::number(statement / kMinutesPerHour) + page(kLogging, kHours) +
                           QLatin1Char(' ') + QString::number(statement % kMinutesPerHour) +
                           page(kLogging, kMin);
    return {
        plain(tr("number of samples"), QString::number((code & kSamplesMask) + 1)),
        plain(tr("depth of historic"), QString::number(((code >> kDepthShift) & kDepthMask) + 1)),
        plain(tr("statement period"), period),
    };
}

/// The fields of value v of parameter id as the page shows them. sigfox: the radio
/// configuration is a Sigfox zone (else a LoRaWAN class).
QVector<Field> fields(quint8 id, const QByteArray &v, bool sigfox)
{
    const auto one = [](const QString &text) { return QVector<Field>{plain(QString(), text)}; };
    const auto number = [](qint64 raw, int scale, int decimals, const char *unit) {
        return QVector<Field>{fixed(QString(), raw, scale, decimals, unit)};
    };
    const auto sized = [&v](int n) { return v.size() == n; };
    switch (id) {
    case ParamTemperatureThreshold:
        return sized(kThresholdBytes) ? thresholdFields(v, kCenti, 1, kUnitCelsius) : one(hex(v));
    case ParamCurrentThreshold:
        return sized(kThresholdBytes) ? thresholdFields(v, kCenti, 2, kUnitAmpere) : one(hex(v));
    case ParamVBatThreshold:
        return sized(kThresholdBytes) ? thresholdFields(v, kMilli, 1, kUnitVolt) : one(hex(v));
    case ParamDataLogging:
        return sized(kDataLoggingBytes) ? dataLoggingFields(v) : one(hex(v));
    case ParamTemperatureOffset:
        return sized(2) ? number(qint16(Bytes::le16(v, 0)), kCenti, 2, kUnitCelsius) : one(hex(v));
    case ParamTemperatureCoef:
    case ParamCurrentCoef:
        return sized(2) ? number(Bytes::le16(v, 0), kMilli, 3, nullptr) : one(hex(v));
    case ParamCurrentOffset:
        return sized(2) ? number(qint16(Bytes::le16(v, 0)), kMilli, 3, kUnitAmpere) : one(hex(v));
    case ParamTimestamp:
    case ParamThermocoupleState: {
        static const char *const kStates[] = {kDisable, kEnable};
        return one(sized(1) ? entry(kPage, kStates, 2, v) : hex(v));
    }
    case ParamSpireResistance:
        return one(sized(1) ? entry(kPage, kSpires, int(std::size(kSpires)), v) : hex(v));
    case ParamSendingInterface: {
        const bool ok = sized(1) || (sized(2) && v.at(1) == 0);
        const quint8 code = ok ? quint8(v.at(0)) : 0;
        if (code == 0x11)
            return one(page(kPage, kItfLoRaWanBle));
        if (code == 0x01)
            return one(page(kPage, kItfLoRaWanOnly));
        return one(hex(v));
    }
    case ParamRadioTechnology: {
        static const char *const kTechnologies[] = {kSigfox, kLoRaWan};
        return one(sized(1) ? entry(kRadio, kTechnologies, 2, v) : hex(v));
    }
    case ParamRadioConfig:
        return one(radioText(v, sigfox));
    default:
        // Parameters without an editor: their bytes.
        return one(hex(v));
    }
}

/// Whether the radio configuration of values is a Sigfox zone on a device with module kivType.
bool sigfoxRadio(const QMap<quint8, QByteArray> &values, int kivType)
{
    if (isSigfoxOnly(kivType))
        return true;
    if (!isDual(kivType))
        return false;
    const QByteArray technology = values.value(ParamRadioTechnology);
    return technology.size() == 1 && quint8(technology.at(0)) == kTechnologySigfox;
}

QString none()
{
    return tr("(none)");
}

} // namespace

QString Row::text() const
{
    return QStringLiteral("%1: %2 → %3").arg(name, before, after);
}

QString Row::line() const
{
    return QStringLiteral("%1 (%2): %3 → %4").arg(name).arg(id).arg(before, after);
}

QMap<quint8, QByteArray> values(const OrvParamList &records, int kivType)
{
    QMap<quint8, QByteArray> out;
    for (const OrvParam &p : FamilyModel::wholeRecords(records)) {
        if (FamilyModel::isConfigParam(p.id(), kivType))
            out.insert(p.id(), p.data());
    }
    return out;
}

Rows compare(const QMap<quint8, QByteArray> &before, const QMap<quint8, QByteArray> &after, int kivType,
             Scope scope)
{
    QList<quint8> ids = after.keys();
    if (scope == Scope::Both) {
        for (const quint8 id : before.keys()) {
            if (!after.contains(id))
                ids.append(id);
        }
        std::sort(ids.begin(), ids.end());
    }
    const bool sigfoxBefore = sigfoxRadio(before, kivType);
    const bool sigfoxAfter = sigfoxRadio(after, kivType);
    Rows rows;
    for (const quint8 id : qAsConst(ids)) {
        // Only configuration parameters are ever compared: a key never reaches a row.
        if (!FamilyModel::isConfigParam(id, kivType))
            continue;
        const auto b = before.constFind(id);
        const auto a = after.constFind(id);
        const bool hasBefore = b != before.constEnd();
        const bool hasAfter = a != after.constEnd();
        if (hasBefore && hasAfter && b.value() == a.value() &&
            (id != ParamRadioConfig || sigfoxBefore == sigfoxAfter))
            continue;
        const QVector<Field> fb = hasBefore ? fields(id, b.value(), sigfoxBefore) : QVector<Field>();
        const QVector<Field> fa = hasAfter ? fields(id, a.value(), sigfoxAfter) : QVector<Field>();
        const QString name = nameOf(id);
        const auto rowName = [&name](const QString &label) {
            return label.isEmpty() ? name : name + QLatin1Char(' ') + label;
        };
        // Field by field where both sides have the same fields; else one row per field of
        // whichever side has them, the other side "(none)".
        const bool sameFields = fb.size() == fa.size() &&
                                std::equal(fb.cbegin(), fb.cend(), fa.cbegin(),
                                           [](const Field &x, const Field &y) { return x.label == y.label; });
        if (sameFields) {
            const int before0 = rows.size();
            for (int i = 0; i < fa.size(); ++i) {
                const Field &x = fb.at(i);
                const Field &y = fa.at(i);
                if (x.precise == y.precise)
                    continue;
                const bool exact = x.exact && y.exact;
                rows.append(
                    Row{id, rowName(y.label), exact ? x.text : x.precise, exact ? y.text : y.precise});
            }
            if (rows.size() == before0) // bytes differ where the page shows the same: show them
                rows.append(Row{id, name, hex(b.value()), hex(a.value())});
            continue;
        }
        const int n = qMax(fb.size(), fa.size());
        for (int i = 0; i < n; ++i) {
            const QString label = i < fa.size() ? fa.at(i).label : fb.at(i).label;
            rows.append(Row{id, rowName(label), i < fb.size() ? fb.at(i).text : none(),
                            i < fa.size() ? fa.at(i).text : none()});
        }
    }
    return rows;
}

QString summary(const Rows &rows)
{
    QStringList texts;
    for (const Row &r : rows)
        texts << r.text();
    return texts.join(QStringLiteral("; "));
}

QString nothingDiffersText()
{
    return tr("No parameter differs.");
}

Reporter::Box confirmBox(const Rows &rows, QObject *parent)
{
    QStringList texts;
    for (const Row &r : rows)
        texts << r.text();
    Reporter::Box b;
    b.icon = Reporter::Question;
    b.title = tr("Write to the device?");
    b.text = tr("Writing changes these values of the device:") + QStringLiteral("\n\n") +
             texts.join(QLatin1Char('\n'));
    b.buttons = Reporter::Ok | Reporter::Cancel;
    b.defaultButton = Reporter::Ok;
    b.buttonTexts.insert(Reporter::Ok, tr("Write"));
    b.buttonTexts.insert(Reporter::Cancel, tr("Cancel"));
    b.parent = parent;
    return b;
}

namespace {
const char *const kAskSetting = "askBeforeWriting";
}

bool askBeforeWriting()
{
    return QSettings().value(QString::fromLatin1(kAskSetting), true).toBool();
}

void setAskBeforeWriting(bool ask)
{
    QSettings().setValue(QString::fromLatin1(kAskSetting), ask);
}

} // namespace ConfigDiff

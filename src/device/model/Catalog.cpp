#include "device/model/Catalog.h"

#include "common/Resources.h"

#include "frames/OrvFrame.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>

namespace {

const char *const kBrand = "Pelm";
const QString kUnknownType = QStringLiteral("XXX");
const QString kUnknownKiv = QStringLiteral("XXXX");
const QString kUnknownPicture = QStringLiteral(":/orv/imgs/orv_unknow.png");

/// Display names of device types 0..28; an empty entry has no name.
const char *const kTypeNames[] = {
    nullptr,  "PLX-1",  "PLX-2",   "PT-2P",  "PLX-4",  "PLX-5",  "PMB-32",  "PLX-7",  "PTH-IO", "PDI-16",
    "PLX-10", "PDI-8",  "PGIO-16", "PGIO-8", "PCAL-4", "PCAL-8", "PLV-D",   "PCAL-2", "PRTD-1", "PCNT-4",
    nullptr,  "PTH-2S", "PAQ-4",   "PLX-23", "PLX-24", "PLX-25", "PPR-RTD", "PINC-3", "PTC-CT",
};
constexpr int kTypeNameCount = int(sizeof(kTypeNames) / sizeof(kTypeNames[0]));

/// Display names of radio-module types 1..14 (14 has an empty name).
const char *const kKivNames[] = {
    "K868A", "K868B", "KSFU",  "KSFB",  "KLRW", "KLP2P", "K868C",
    "K868D", "KSFU2", "KSFB2", "KSFWW", "BLE",  "KLSB",  "",
};
constexpr int kKivNameCount = int(sizeof(kKivNames) / sizeof(kKivNames[0]));

/// The radio technologies of the module types.
enum class Technology
{
    None,
    P2p868,
    SigfoxUplink,
    SigfoxBidir,
    LoRaWan,
    LoraP2p,
    SigfoxWorld,
    LoraWanSigfox
};

Technology technology(int kivType)
{
    switch (kivType) {
    case 1:
    case 2:
    case 7:
    case 8:
        return Technology::P2p868;
    case 3:
    case 9:
        return Technology::SigfoxUplink;
    case 4:
    case 10:
        return Technology::SigfoxBidir;
    case 5:
        return Technology::LoRaWan;
    case 6:
        return Technology::LoraP2p;
    case 11:
        return Technology::SigfoxWorld;
    case 13:
    case 14:
        return Technology::LoraWanSigfox;
    default: // 12 is a BLE module: no long-range radio
        return Technology::None;
    }
}

/// Upper-case hex digits of bytes, leading zero digits left out; "0" when every digit is zero.
QString identifierDigits(const QByteArray &bytes)
{
    const QString digits = QString::fromLatin1(bytes.toHex().toUpper());
    int first = 0;
    while (first < digits.size() && digits.at(first) == QLatin1Char('0'))
        ++first;
    if (first == digits.size())
        return QStringLiteral("0");
    return digits.mid(first);
}

QString hexUpper(int value)
{
    return QString::number(value, 16).toUpper();
}

} // namespace

QString Catalog::typeName(int orvType)
{
    if (orvType < 0 || orvType >= kTypeNameCount || !kTypeNames[orvType])
        return kUnknownType;
    return QString::fromLatin1(kTypeNames[orvType]);
}

QString Catalog::kivName(int kivType)
{
    if (kivType < 1 || kivType > kKivNameCount)
        return kUnknownKiv;
    return QString::fromLatin1(kKivNames[kivType - 1]);
}

QString Catalog::technologyText(int kivType)
{
    switch (technology(kivType)) {
    case Technology::P2p868:
        return QCoreApplication::translate("Catalog", "868 P2P");
    case Technology::SigfoxUplink:
        return QCoreApplication::translate("Catalog", "Sigfox (Uplink only)");
    case Technology::SigfoxBidir:
        return QCoreApplication::translate("Catalog", "Sigfox (Bidirectional)");
    case Technology::LoRaWan:
        return QCoreApplication::translate("Catalog", "LoRaWAN");
    case Technology::LoraP2p:
        return QCoreApplication::translate("Catalog", "Lora P2P");
    case Technology::SigfoxWorld:
        return QCoreApplication::translate("Catalog", "Sigfox (World Wide)");
    case Technology::LoraWanSigfox:
        return QStringLiteral("LoraWan/Sigfox (Bidirectional)"); // a product name: never translated
    case Technology::None:
        break;
    }
    return QCoreApplication::translate("Catalog", "None");
}

QString Catalog::identifierLabel(int kivType)
{
    switch (technology(kivType)) {
    case Technology::SigfoxUplink:
    case Technology::SigfoxBidir:
    case Technology::SigfoxWorld:
        return QStringLiteral(" | ID:");
    case Technology::LoRaWan:
    case Technology::LoraWanSigfox:
        return QStringLiteral(" | DevEUI:");
    default:
        return QStringLiteral(" | SN:");
    }
}

bool Catalog::kivRevThreePart(int kivType)
{
    return kivType == kKivLoRaWan || kivType == kKivSigfoxC;
}

QString Catalog::versionText(int rev, bool threePart)
{
    if (rev < 0)
        return QString();
    if (!threePart)
        return hexUpper(rev);
    return hexUpper(rev >> 8) + QLatin1Char('.') + hexUpper((rev >> 4) & 0xF) + QLatin1Char('.') +
           hexUpper(rev & 0xF);
}

QString Catalog::identityText(const DeviceIdentity &id)
{
    QString line = QLatin1String(kBrand) + QLatin1Char('-') + typeName(id.orvType) + QLatin1Char(':') +
                   versionText(id.orvRev, true) + QStringLiteral(" | KIV-") + kivName(id.kivType) +
                   QLatin1Char(':');
    line += id.kivRev < 0 ? kUnknownKiv : versionText(id.kivRev, kivRevThreePart(id.kivType));
    if (!id.identifier.isEmpty())
        line += identifierLabel(id.kivType) + identifierDigits(id.identifier);
    return line;
}

QString Catalog::fileIdentity(int orvType)
{
    return QLatin1String(kBrand) + QLatin1Char('/') + typeName(orvType);
}

QString Catalog::brand()
{
    return QLatin1String(kBrand);
}

int Catalog::defaultFramePayload(int kivType)
{
    return kivType == kLoRaWanKivType ? kLoRaWanFramePayload : OrvFrame::kMinPayload;
}

bool Catalog::isAccepted(int orvType, int orvRev, int kivType)
{
    return orvType == kAcceptedType && orvRev >= kAcceptedMinRev && kivType == kAcceptedKiv;
}

QString Catalog::unknownDeviceTitle()
{
    return QCoreApplication::translate("Catalog", "Device unknown");
}

QString Catalog::unknownDeviceText(const DeviceIdentity &id)
{
    // One multi-argument arg() so that a '%' inside the names is never taken for a marker.
    return QCoreApplication::translate("Catalog",
                                       "The device connected is no recognized of '%1' in version %2. "
                                       "There is probably a newer version.\n"
                                       "Please, disconnect your ORV and upgrade you version!\n\n%3")
        .arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion(), identityText(id));
}

// ---------------------------------------------------------------------------------------------
// OrvList
// ---------------------------------------------------------------------------------------------

namespace {
/// The accepted family's picker label: kept as source text and translated when asked, so a
/// language change in the running process shows in the picker.
const char *const kThermocoupleLabel = QT_TRANSLATE_NOOP("Catalog", "PTC-CT thermocouple & current sensor");
const char *const kThermocouplePicture = ":/orv/imgs/ptc-ct.png";
const char *const kThermocoupleConfig = ":/orv/configs/PTC-CT/PTC-CT_1.0.0.ocf";
} // namespace

OrvList::OrvList()
{
    initCoreResources();
    append(Catalog::kAcceptedType, Catalog::kAcceptedMinRev, Catalog::kAcceptedKiv,
           QString::fromUtf8(kThermocoupleLabel), QString::fromLatin1(kThermocouplePicture),
           QString::fromLatin1(kThermocoupleConfig));
}

OrvList &OrvList::instance()
{
    static OrvList list;
    return list;
}

void OrvList::append(int orvType, int orvRev, int kivType, const QString &label, const QString &picture,
                     const QString &defaultConfig)
{
    m_types.append(orvType);
    m_revs.append(orvRev);
    m_kivs.append(kivType);
    m_labels.append(label);
    m_pictures.append(picture);
    m_configs.append(defaultConfig);
}

int OrvList::find(int orvType, int orvRev, int kivType) const
{
    QVector<int> rows;
    for (int row = 0; row < m_types.size(); ++row) {
        if (m_types.at(row) == orvType && m_kivs.at(row) == kivType)
            rows.append(row);
    }
    if (rows.isEmpty())
        return -1;
    std::stable_sort(rows.begin(), rows.end(), [this](int a, int b) { return m_revs.at(a) < m_revs.at(b); });
    // The row meant for the revision is the one whose range [its revision, next revision) holds it.
    for (int i = 0; i + 1 < rows.size(); ++i) {
        if (m_revs.at(rows.at(i)) <= orvRev && orvRev < m_revs.at(rows.at(i + 1)))
            return rows.at(i);
    }
    return rows.last();
}

QString OrvList::label(int orvType, int orvRev, int kivType) const
{
    const int row = find(orvType, orvRev, kivType);
    if (row < 0)
        return QString();
    // Labels appended at run time are already translated; translate() leaves them as they are.
    return QCoreApplication::translate("Catalog", m_labels.at(row).toUtf8().constData());
}

QString OrvList::picture(int orvType, int orvRev, int kivType) const
{
    const int row = find(orvType, orvRev, kivType);
    if (row < 0)
        return QString();
    const QString path = m_pictures.at(row);
    return QFile::exists(path) ? path : kUnknownPicture;
}

QString OrvList::defaultConfig(int orvType, int orvRev, int kivType) const
{
    const int row = find(orvType, orvRev, kivType);
    return row < 0 ? QString() : m_configs.at(row);
}

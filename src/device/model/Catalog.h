#pragma once
// What the program knows about device and radio-module type codes: display texts, the
// identity line, the catalog of supported devices and the accepted-device rule.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

/// The identity a device reports (or an offline device was given). -1: not identified.
struct DeviceIdentity
{
    int orvType = -1;
    int orvRev = -1;
    int kivType = -1;
    int kivRev = -1;
    QByteArray identifier; ///< module identifier bytes (serial number, ID or DevEUI); may be empty
};

namespace Catalog {
constexpr int kAcceptedType = 28;
constexpr int kAcceptedMinRev = 0x0100;
constexpr int kAcceptedKiv = 14;

/// Radio-module types the family's pages tell apart.
constexpr int kKivSigfoxA = 3;
constexpr int kKivSigfoxB = 4;
constexpr int kKivLoRaWan = 5;
constexpr int kKivSigfoxC = 11;
constexpr int kKivDualA = 13; ///< LoRaWAN and Sigfox
constexpr int kKivDualB = 14; ///< LoRaWAN and Sigfox

/// Device type display name; "XXX" for codes without one.
QString typeName(int orvType);
/// Radio-module display name; "XXXX" for codes outside 1..14.
QString kivName(int kivType);
/// Radio technology text of a module type.
QString technologyText(int kivType);
/// Label put in front of the identifier: " | SN:", " | ID:" or " | DevEUI:".
QString identifierLabel(int kivType);
/// Whether the module revision is shown in the three-part form (types 5 and 11).
bool kivRevThreePart(int kivType);
/// Revision text: three-part "1.2.0" or plain upper-case hex "120".
QString versionText(int rev, bool threePart);
/// The status-bar identity line.
QString identityText(const DeviceIdentity &id);
/// "Pelm/" + typeName: the orvName of configuration files.
QString fileIdentity(int orvType);
/// The brand word: texts that name the tool or the maker put it in their %1 place.
QString brand();
/// Largest frame of the frames tool by default: 51 bytes for LoRaWAN radio modules (type 5),
/// otherwise the smallest frame.
int defaultFramePayload(int kivType);
constexpr int kLoRaWanKivType = kKivLoRaWan;
constexpr int kLoRaWanFramePayload = 51;
/// Type 28, revision >= 0x0100, module 14.
bool isAccepted(int orvType, int orvRev, int kivType);
/// The "Device unknown" box text for a refused identity.
QString unknownDeviceText(const DeviceIdentity &id);
QString unknownDeviceTitle();
} // namespace Catalog

/// The catalog of supported devices (one process-wide instance, filled on first use).
class OrvList
{
public:
    static OrvList &instance();

    void append(int orvType, int orvRev, int kivType, const QString &label, const QString &picture,
                const QString &defaultConfig);
    /// Row index for the combination, or -1.
    int find(int orvType, int orvRev, int kivType) const;
    QString label(int orvType, int orvRev, int kivType) const;
    QString picture(int orvType, int orvRev, int kivType) const;
    QString defaultConfig(int orvType, int orvRev, int kivType) const;

    int count() const { return m_types.size(); }
    int typeAt(int row) const { return m_types.value(row); }
    int revAt(int row) const { return m_revs.value(row); }
    int kivAt(int row) const { return m_kivs.value(row); }

private:
    OrvList();
    QVector<int> m_types, m_revs, m_kivs;
    QStringList m_labels, m_pictures, m_configs;
};

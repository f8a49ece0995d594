#include "editors/WdgRadioCfg.h"

#include "common/Bytes.h"

#include "common/Hex.h"
#include "ui_WdgRadioCfg.h"

#include <QBrush>
#include <QStandardItemModel>

namespace {

struct Zone
{
    const char *name;
    quint8 code;
};

// Matched as substrings of the zone box text, in this order.
const Zone kZones[] = {
    {"RCZ1", WdgRadioCfg::ZoneRcz1},   {"RCZ2", WdgRadioCfg::ZoneRcz2}, {"RCZ3A", WdgRadioCfg::ZoneRcz3A},
    {"RCZ3C", WdgRadioCfg::ZoneRcz3C}, {"RCZ4", WdgRadioCfg::ZoneRcz4}, {"RCZ5", WdgRadioCfg::ZoneRcz5},
    {"RCZ6", WdgRadioCfg::ZoneRcz6},   {"RCZ7", WdgRadioCfg::ZoneRcz7}, {"Monarch", WdgRadioCfg::ZoneMonarch},
};
/// Dual-technology modules offer RCZ1 to RCZ7, without Monarch.
constexpr int kZonesWithoutMonarch = 8;

constexpr int kFamilySigfox = 1;
constexpr int kFamilyLora = 2;

/// Byte 0 of a local or compat value is the mode entry index; its low nibble when read back.
constexpr quint8 kModeIndexMask = 0x0F;

/// Sigfox local mode: FSK channels, 12.5 kHz apart from 863 MHz.
constexpr int kFskFirstCandidate = 2;
constexpr int kFskLastCandidate = 559;
constexpr double kFskBaseMHz = 863.0;
constexpr double kFskSpacingMHz = 0.0125;
constexpr quint16 kFskDefaultChannel = 28;
constexpr int kFskFrequencyDigits = 8;

/// LoRa local mode: 43 channels.
constexpr int kLoraChannelCount = 43;
constexpr quint16 kLoraDefaultChannel = 1;
constexpr int kLoraFrequencyDigits = 6;

bool isFskChannel(int n)
{
    if (n >= 2 && n <= 510)
        return (n - 1) % 3 == 0;
    if (n >= 513 && n <= 530)
        return n % 3 == 0;
    if (n >= 534 && n <= 559)
        return (n - 5) % 3 == 0;
    return false;
}

double loraFrequencyMHz(int n)
{
    static const double kUpperBand[] = {868.1625, 868.3, 868.4375, 868.8125, 868.95, 869.0875, 869.525};
    if (n <= 15)
        return 863.125 + 0.125 * (n - 1);
    if (n <= 36)
        return 865.1125 + 0.1375 * (n - 16);
    return kUpperBand[n - 37];
}

bool hidesEditor(int type)
{
    return type == 1 || type == 2 || type == 6 || type == 7 || type == 8;
}

bool isSigfoxWithoutZones(int type)
{
    return type == 3 || type == 4 || type == 9 || type == 10;
}

} // namespace

WdgRadioCfg::WdgRadioCfg(QWidget *parent) : QWidget(parent), m_ui(new Ui::WdgRadioCfg)
{
    m_ui->setupUi(this);
}

WdgRadioCfg::~WdgRadioCfg() = default;

bool WdgRadioCfg::isDualTechnology() const
{
    return m_moduleType == 13 || m_moduleType == 14;
}

void WdgRadioCfg::setModule(int moduleType, unsigned classMask, bool localAllowed, bool compatAllowed)
{
    m_moduleType = moduleType;
    m_classMask = classMask;
    m_family = 0;
    m_classSelectable = true;
    m_technologyLoaded = false;
    m_loaded.clear();
    m_hasLoaded = false;
    m_adjustments.clear();
    m_ui->comboBoxRadioMode->clear();
    m_ui->comboBoxRadioChannel->clear();
    m_ui->comboBoxZone->clear();
    m_channels.clear();
    m_ui->labelZone->setText(tr("Sigfox Zone"));
    const QList<QWidget *> rows = {m_ui->labelRadioMode, m_ui->comboBoxRadioMode, m_ui->labelZone,
                                   m_ui->comboBoxZone,   m_ui->labelChannel,      m_ui->comboBoxRadioChannel};
    for (QWidget *w : rows)
        w->setVisible(!hidesEditor(moduleType));
    if (hidesEditor(moduleType))
        return;

    const auto hideChannelRow = [this] {
        m_ui->labelChannel->hide();
        m_ui->comboBoxRadioChannel->hide();
    };
    const auto addSigfoxLocalAndCompat = [&] {
        if (localAllowed)
            m_ui->comboBoxRadioMode->addItem(tr("Mode Local (Modulation FSK)"));
        else
            hideChannelRow();
        if (compatAllowed)
            m_ui->comboBoxRadioMode->addItem(tr("Mode Compat FSK/Sigfox Repeater"));
    };

    if (isSigfoxWithoutZones(moduleType)) {
        m_family = kFamilySigfox;
        m_ui->comboBoxRadioMode->addItem(tr("Sigfox"));
        addSigfoxLocalAndCompat();
        m_ui->labelZone->hide();
        m_ui->comboBoxZone->hide();
    } else if (moduleType == 5) {
        m_family = kFamilyLora;
        m_ui->comboBoxRadioMode->addItem(tr("LoRaWAN"));
        m_ui->labelZone->setText(tr("LoRaWAN Class"));
        fillClasses();
        if (localAllowed)
            m_ui->comboBoxRadioMode->addItem(tr("Mode Local (LoRa P2P)"));
        else
            hideChannelRow();
        if (compatAllowed)
            m_ui->comboBoxRadioMode->addItem(tr("Mode Compat Lora/LoraWan Repeater"));
    } else if (moduleType == 11) {
        m_family = kFamilySigfox;
        m_ui->comboBoxRadioMode->addItem(tr("Sigfox"));
        for (const Zone &z : kZones)
            m_ui->comboBoxZone->addItem(QString::fromLatin1(z.name));
        addSigfoxLocalAndCompat();
    } else if (isDualTechnology()) {
        m_family = kFamilyLora;
        m_ui->comboBoxRadioMode->addItem(tr("LoRaWAN"));
        m_ui->comboBoxRadioMode->addItem(tr("Sigfox"));
        // The module runs Sigfox only when the device was set so elsewhere: not offered here.
        if (auto *model = qobject_cast<QStandardItemModel *>(m_ui->comboBoxRadioMode->model()))
            model->item(1)->setEnabled(false);
        on_comboBoxRadioMode_currentIndexChanged(0);
    }
    m_ui->comboBoxRadioChannel->setCurrentIndex(0);
    m_ui->comboBoxZone->setCurrentIndex(0);
}

void WdgRadioCfg::fillClasses()
{
    if (m_classMask == ClassesAAndC || m_classMask == ClassAOnly)
        m_ui->comboBoxZone->addItem(tr("Class A"));
    if (m_classMask == ClassesAAndC || m_classMask == ClassCOnly)
        m_ui->comboBoxZone->addItem(tr("Class C"));
    if (m_classMask == ClassAOnly || m_classMask == ClassCOnly)
        m_classSelectable = false;
}

void WdgRadioCfg::fillChannels(bool lora)
{
    m_channels.clear();
    m_ui->comboBoxRadioChannel->clear();
    m_ui->comboBoxRadioChannel->setEnabled(true);
    if (lora) {
        for (int n = 1; n <= kLoraChannelCount; ++n) {
            m_channels.append(quint16(n));
            m_ui->comboBoxRadioChannel->addItem(tr("Channel %1 (%2 Mhz) LoRa Modulation")
                                                    .arg(n)
                                                    .arg(loraFrequencyMHz(n), 0, 'g', kLoraFrequencyDigits));
        }
        m_defaultChannelEntry = m_channels.indexOf(kLoraDefaultChannel);
    } else {
        for (int n = kFskFirstCandidate; n <= kFskLastCandidate; ++n) {
            if (!isFskChannel(n))
                continue;
            m_channels.append(quint16(n));
            m_ui->comboBoxRadioChannel->addItem(
                tr("Channel %1 (%2 Mhz) FSK Modulation")
                    .arg(n)
                    .arg(kFskBaseMHz + kFskSpacingMHz * n, 0, 'g', kFskFrequencyDigits));
        }
        m_defaultChannelEntry = m_channels.indexOf(kFskDefaultChannel);
    }
    m_ui->comboBoxRadioChannel->setItemData(m_defaultChannelEntry, QBrush(Qt::green), Qt::BackgroundRole);
    m_ui->comboBoxRadioChannel->setCurrentIndex(m_defaultChannelEntry);
}

void WdgRadioCfg::on_comboBoxRadioMode_currentIndexChanged(int index)
{
    Q_UNUSED(index)
    const QString mode = m_ui->comboBoxRadioMode->currentText();
    const bool wan = mode == tr("LoRaWAN");
    const bool sigfox = mode == tr("Sigfox");

    if (isDualTechnology() && (wan || sigfox)) {
        m_ui->comboBoxZone->clear();
        if (wan) {
            m_technology = TechnologyLoRaWAN;
            fillClasses();
        } else {
            m_technology = TechnologySigfox;
            for (int i = 0; i < kZonesWithoutMonarch; ++i)
                m_ui->comboBoxZone->addItem(QString::fromLatin1(kZones[i].name));
        }
    }
    if (wan || sigfox) {
        m_ui->comboBoxRadioChannel->setEnabled(false);
        m_ui->comboBoxZone->setEnabled(true);
    } else if (mode.contains(tr("Local")) && (m_family == kFamilyLora || m_family == kFamilySigfox)) {
        fillChannels(m_family == kFamilyLora);
        m_ui->comboBoxZone->setEnabled(false);
    } else if (mode.contains(tr("Compat"))) {
        // The channel box keeps its entries but has no meaning in this mode.
        m_channels.clear();
        m_ui->comboBoxRadioChannel->setEnabled(false);
        m_ui->comboBoxZone->setEnabled(true);
    }
}

quint8 WdgRadioCfg::classCode() const
{
    if (!m_classSelectable)
        return ClassCodeNotSelectable;
    const QString text = m_ui->comboBoxZone->currentText();
    if (text.contains(tr("Class A")))
        return ClassCodeA;
    if (text.contains(tr("Class C")))
        return ClassCodeC;
    return ClassCodeA;
}

quint8 WdgRadioCfg::zoneCode() const
{
    // Hidden by setModule, not merely off screen: the editor may sit on a page not shown.
    if (m_ui->comboBoxZone->isHidden())
        return ZoneNone;
    const QString text = m_ui->comboBoxZone->currentText();
    for (const Zone &z : kZones) {
        if (text.contains(QLatin1String(z.name)))
            return z.code;
    }
    return ZoneNone;
}

quint16 WdgRadioCfg::compatCode() const
{
    if (m_moduleType == 5 || m_moduleType == 6)
        return CompatLora;
    if ((m_moduleType >= 1 && m_moduleType <= 4) || (m_moduleType >= 7 && m_moduleType <= 11))
        return CompatFsk;
    return 0;
}

QByteArray WdgRadioCfg::toConfig() const
{
    const int index = m_ui->comboBoxRadioMode->currentIndex();
    if (index < 0)
        return m_loaded;
    const QString mode = m_ui->comboBoxRadioMode->currentText();
    if (mode == tr("LoRaWAN"))
        return QByteArray(1, char(classCode()));
    if (mode == tr("Sigfox"))
        return QByteArray(1, char(zoneCode()));

    QByteArray value(1, char(quint8(index)));
    const auto append16 = [&value](quint16 v) { Bytes::appendLe16(value, v); };
    if (mode.contains(tr("Local"))) {
        const int entry = m_ui->comboBoxRadioChannel->currentIndex();
        if (entry >= 0 && entry < m_channels.size())
            append16(m_channels.at(entry));
    } else if (mode.contains(tr("Compat"))) {
        append16(compatCode());
    }
    return value;
}

void WdgRadioCfg::selectMode(int index)
{
    if (index >= 0 && index < m_ui->comboBoxRadioMode->count())
        m_ui->comboBoxRadioMode->setCurrentIndex(index);
}

void WdgRadioCfg::selectClass(quint8 code)
{
    int entry = -1;
    if (code == ClassCodeA)
        entry = m_ui->comboBoxZone->findText(tr("Class A"), Qt::MatchContains);
    else if (code == ClassCodeC)
        entry = m_ui->comboBoxZone->findText(tr("Class C"), Qt::MatchContains);
    m_ui->comboBoxZone->setCurrentIndex(qMax(entry, 0));
}

void WdgRadioCfg::selectZone(quint8 code)
{
    int entry = -1;
    for (const Zone &z : kZones) {
        if (z.code == code) {
            entry = m_ui->comboBoxZone->findText(QLatin1String(z.name), Qt::MatchContains);
            break;
        }
    }
    m_ui->comboBoxZone->setCurrentIndex(qMax(entry, 0));
}

void WdgRadioCfg::selectChannel(const QByteArray &value)
{
    int entry = -1;
    if (value.size() >= 3)
        entry = m_channels.indexOf(Bytes::le16(value, 1));
    m_ui->comboBoxRadioChannel->setCurrentIndex(entry);
}

void WdgRadioCfg::applyValue(const QByteArray &value)
{
    if (value.isEmpty())
        return;
    const quint8 b0 = quint8(value[0]);
    if (isSigfoxWithoutZones(m_moduleType)) {
        selectMode(b0 & kModeIndexMask);
        selectChannel(value);
    } else if (m_moduleType == 5) {
        selectMode(b0 & kModeIndexMask);
        selectClass(b0);
        selectChannel(value);
    } else if (m_moduleType == 11) {
        selectMode(b0 == ZoneMonarch || b0 == ZoneRcz3C ? 0 : b0 & kModeIndexMask);
        selectZone(b0);
        selectChannel(value);
    } else if (isDualTechnology()) {
        if (m_technology == TechnologyLoRaWAN) {
            selectMode(0);
            selectClass(b0);
        } else if (m_technology == TechnologySigfox) {
            selectMode(1);
            selectZone(b0);
        }
    }
}

void WdgRadioCfg::fromConfig(const QByteArray &value)
{
    m_loaded = value;
    m_hasLoaded = true;
    applyValue(value);
    updateAdjustments();
    reportAdjustments();
}

quint8 WdgRadioCfg::radioTechnology() const
{
    const QString mode = m_ui->comboBoxRadioMode->currentText();
    if (mode == tr("Sigfox"))
        return TechnologySigfox;
    return TechnologyLoRaWAN;
}

void WdgRadioCfg::setRadioTechnology(quint8 technology)
{
    m_technologyLoaded = true;
    if (isDualTechnology() && (technology == TechnologyLoRaWAN || technology == TechnologySigfox)) {
        const int entry = technology == TechnologyLoRaWAN ? 0 : 1;
        if (m_ui->comboBoxRadioMode->currentIndex() != entry) {
            m_ui->comboBoxRadioMode->setCurrentIndex(entry);
            m_technology = technology;
            if (m_hasLoaded)
                applyValue(m_loaded);
        }
    }
    m_technology = technology;
    updateAdjustments();
    emit wdgRadioZefTypeChanged();
    reportAdjustments();
}

void WdgRadioCfg::updateAdjustments()
{
    QStringList parts;
    if (m_hasLoaded) {
        const QByteArray back = toConfig();
        if (back != m_loaded) {
            parts << tr("Radio configuration %1 will be written as %2")
                         .arg(m_loaded.isEmpty() ? tr("(empty)") : Hex::upper(m_loaded),
                              back.isEmpty() ? tr("(empty)") : Hex::upper(back));
        }
    }
    if (m_technologyLoaded && isDualTechnology() && m_technology != TechnologyLoRaWAN &&
        m_technology != TechnologySigfox) {
        parts << tr("Radio technology %1 is not known; %2 will be written")
                     .arg(m_technology)
                     .arg(radioTechnology());
    }
    m_adjustments = parts.join(QStringLiteral("; "));
}

void WdgRadioCfg::reportAdjustments()
{
    if (!m_adjustments.isEmpty())
        emit valueAdjusted(m_adjustments);
}

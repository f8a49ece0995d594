// Radio configuration editor: choices per radio-module type, channel lists, the value bytes in
// both directions, the radio technology, and the report of values it cannot show as loaded.

#include "editors/WdgRadioCfg.h"
#include "support/WarningRecorder.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QStringList items(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

/// Catches the warning connectSlotsByName gives for a slot whose object is missing in the form.

} // namespace

class TestRadioCfg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void formConnectsByName();
    void choicesPerModuleType_data();
    void choicesPerModuleType();
    void hiddenModuleTypes_data();
    void hiddenModuleTypes();
    void fskChannelList();
    void loraChannelList();
    void modeHandlerEnablesBoxes();
    void toConfigPerChoice_data();
    void toConfigPerChoice();
    void localModeWithoutChannelWritesModeOnly();
    void sigfoxZoneDoesNotDependOnBeingOnScreen();
    void fromConfigSelects_data();
    void fromConfigSelects();
    void roundTrip_data();
    void roundTrip();
    void adjustedValuesAreReported_data();
    void adjustedValuesAreReported();
    void technologyFollowsModeText();
    void technologyAndConfigInEitherOrder_data();
    void technologyAndConfigInEitherOrder();
    void unknownTechnologyIsReported();
    void setModuleAgainForgetsEarlierChoices();

private:
    WdgRadioCfg *m_editor = nullptr;
    QComboBox *m_mode = nullptr;
    QComboBox *m_zone = nullptr;
    QComboBox *m_channel = nullptr;
    QLabel *m_zoneLabel = nullptr;
    QStringList m_warnings; ///< logged while the editor was built
};

void TestRadioCfg::init()
{
    {
        const WarningRecorder recorder;
        m_editor = new WdgRadioCfg;
        m_warnings = recorder.warnings();
    }
    m_mode = m_editor->findChild<QComboBox *>("comboBoxRadioMode");
    m_zone = m_editor->findChild<QComboBox *>("comboBoxZone");
    m_channel = m_editor->findChild<QComboBox *>("comboBoxRadioChannel");
    m_zoneLabel = m_editor->findChild<QLabel *>("labelZone");
    QVERIFY(m_mode && m_zone && m_channel && m_zoneLabel);
}

void TestRadioCfg::cleanup()
{
    delete m_editor;
    m_editor = nullptr;
}

void TestRadioCfg::formConnectsByName()
{
    QCOMPARE(m_warnings, QStringList());
    QCOMPARE(m_editor->windowTitle(), QString("Form"));
    for (const char *name : {"labelRadioMode", "labelChannel"})
        QVERIFY2(m_editor->findChild<QLabel *>(name), name);
    // The mode slot runs when the user picks a mode: a local mode fills the channel box.
    m_editor->setModule(11, WdgRadioCfg::ClassAOnly, true, true);
    m_mode->setCurrentIndex(1);
    QCOMPARE(m_channel->count(), 183);
}

void TestRadioCfg::choicesPerModuleType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<unsigned>("mask");
    QTest::addColumn<bool>("local");
    QTest::addColumn<bool>("compat");
    QTest::addColumn<QStringList>("modes");
    QTest::addColumn<QStringList>("zones");
    QTest::addColumn<QString>("zoneLabel");
    QTest::addColumn<bool>("zoneRowShown");
    QTest::addColumn<bool>("channelRowShown");

    const QStringList sigfoxZones = {"RCZ1", "RCZ2", "RCZ3A", "RCZ3C",  "RCZ4",
                                     "RCZ5", "RCZ6", "RCZ7",  "Monarch"};
    for (int type : {3, 4, 9, 10}) {
        QTest::addRow("type %d, local and compat", type)
            << type << 16u << true << true
            << QStringList{"Sigfox", "Mode Local (Modulation FSK)", "Mode Compat FSK/Sigfox Repeater"}
            << QStringList() << "Sigfox Zone" << false << true;
    }
    QTest::newRow("type 3, compat only")
        << 3 << 16u << false << true << QStringList{"Sigfox", "Mode Compat FSK/Sigfox Repeater"}
        << QStringList() << "Sigfox Zone" << false << false;
    QTest::newRow("type 11, all modes")
        << 11 << 16u << true << true
        << QStringList{"Sigfox", "Mode Local (Modulation FSK)", "Mode Compat FSK/Sigfox Repeater"}
        << sigfoxZones << "Sigfox Zone" << true << true;
    QTest::newRow("type 11, Sigfox only") << 11 << 16u << false << false << QStringList{"Sigfox"}
                                          << sigfoxZones << "Sigfox Zone" << true << false;
    QTest::newRow("type 5, mask 0") << 5 << 0u << true << true
                                    << QStringList{"LoRaWAN", "Mode Local (LoRa P2P)",
                                                   "Mode Compat Lora/LoraWan Repeater"}
                                    << QStringList{"Class A", "Class C"} << "LoRaWAN Class" << true << true;
    QTest::newRow("type 5, mask 16, no local")
        << 5 << 16u << false << true << QStringList{"LoRaWAN", "Mode Compat Lora/LoraWan Repeater"}
        << QStringList{"Class A"} << "LoRaWAN Class" << true << false;
    QTest::newRow("type 5, mask 32") << 5 << 32u << false << false << QStringList{"LoRaWAN"}
                                     << QStringList{"Class C"} << "LoRaWAN Class" << true << false;
    // Dual-technology modules: no local or compat modes whatever is allowed.
    QTest::newRow("type 14, mask 16") << 14 << 16u << true << true << QStringList{"LoRaWAN", "Sigfox"}
                                      << QStringList{"Class A"} << "Sigfox Zone" << true << true;
    QTest::newRow("type 13, mask 0") << 13 << 0u << true << true << QStringList{"LoRaWAN", "Sigfox"}
                                     << QStringList{"Class A", "Class C"} << "Sigfox Zone" << true << true;
    QTest::newRow("type 14, mask 32") << 14 << 32u << false << false << QStringList{"LoRaWAN", "Sigfox"}
                                      << QStringList{"Class C"} << "Sigfox Zone" << true << true;
    QTest::newRow("type 12: no choices")
        << 12 << 16u << true << true << QStringList() << QStringList() << "Sigfox Zone" << true << true;
}

void TestRadioCfg::choicesPerModuleType()
{
    QFETCH(int, type);
    QFETCH(unsigned, mask);
    QFETCH(bool, local);
    QFETCH(bool, compat);
    QFETCH(QStringList, modes);
    QFETCH(QStringList, zones);
    QFETCH(QString, zoneLabel);
    QFETCH(bool, zoneRowShown);
    QFETCH(bool, channelRowShown);

    m_editor->setModule(type, mask, local, compat);
    QCOMPARE(items(m_mode), modes);
    QCOMPARE(items(m_zone), zones);
    QCOMPARE(m_zoneLabel->text(), zoneLabel);
    QCOMPARE(!m_zone->isHidden(), zoneRowShown);
    QCOMPARE(!m_zoneLabel->isHidden(), zoneRowShown);
    QCOMPARE(!m_channel->isHidden(), channelRowShown);
    QCOMPARE(!m_editor->findChild<QLabel *>("labelChannel")->isHidden(), channelRowShown);
    QVERIFY(!m_mode->isHidden());
    QCOMPARE(m_mode->currentIndex(), modes.isEmpty() ? -1 : 0);
    QCOMPARE(m_zone->currentIndex(), zones.isEmpty() ? -1 : 0);

    // Only dual-technology modules offer Sigfox as a second, disabled entry.
    auto *model = qobject_cast<QStandardItemModel *>(m_mode->model());
    QVERIFY(model);
    for (int i = 0; i < m_mode->count(); ++i) {
        const bool disabledSigfox = (type == 13 || type == 14) && i == 1;
        QCOMPARE(model->item(i)->isEnabled(), !disabledSigfox);
    }
}

void TestRadioCfg::hiddenModuleTypes_data()
{
    QTest::addColumn<int>("type");
    for (int type : {1, 2, 6, 7, 8})
        QTest::addRow("type %d", type) << type;
}

void TestRadioCfg::hiddenModuleTypes()
{
    QFETCH(int, type);
    m_editor->setModule(type, 0, true, true);
    for (const char *name : {"labelRadioMode", "comboBoxRadioMode", "labelZone", "comboBoxZone",
                             "labelChannel", "comboBoxRadioChannel"}) {
        QWidget *w = m_editor->findChild<QWidget *>(name);
        QVERIFY2(w && w->isHidden(), name);
    }
    QCOMPARE(m_mode->count(), 0);
    // Nothing to choose: whatever was loaded goes back unchanged.
    m_editor->fromConfig(hex("021C00"));
    QCOMPARE(m_editor->toConfig(), hex("021C00"));
    QCOMPARE(m_editor->adjustments(), QString());
}

void TestRadioCfg::fskChannelList()
{
    m_editor->setModule(11, WdgRadioCfg::ClassAOnly, true, true);
    m_mode->setCurrentIndex(1);
    QCOMPARE(m_channel->count(), 183);
    QCOMPARE(m_channel->itemText(0), QString("Channel 4 (863.05 Mhz) FSK Modulation"));
    QCOMPARE(m_channel->itemText(8), QString("Channel 28 (863.35 Mhz) FSK Modulation"));
    QCOMPARE(m_channel->itemText(168), QString("Channel 508 (869.35 Mhz) FSK Modulation"));
    QCOMPARE(m_channel->itemText(169), QString("Channel 513 (869.4125 Mhz) FSK Modulation"));
    QCOMPARE(m_channel->itemText(174), QString("Channel 528 (869.6 Mhz) FSK Modulation"));
    QCOMPARE(m_channel->itemText(175), QString("Channel 536 (869.7 Mhz) FSK Modulation"));
    QCOMPARE(m_channel->itemText(182), QString("Channel 557 (869.9625 Mhz) FSK Modulation"));
    // Ascending without gaps in the rules: every entry's successor is the next valid number.
    int previous = 0;
    for (int i = 0; i < m_channel->count(); ++i) {
        const int n = m_channel->itemText(i).section(' ', 1, 1).toInt();
        QVERIFY2(n > previous, qPrintable(m_channel->itemText(i)));
        previous = n;
    }
    QCOMPARE(m_channel->currentIndex(), 8);
    QVERIFY(m_channel->isEnabled());
    QVERIFY(!m_zone->isEnabled());
    for (int i = 0; i < m_channel->count(); ++i) {
        const QVariant bg = m_channel->itemData(i, Qt::BackgroundRole);
        if (i == 8)
            QCOMPARE(bg.value<QBrush>().color(), QColor(Qt::green));
        else
            QVERIFY2(!bg.isValid(), qPrintable(m_channel->itemText(i)));
    }
}

void TestRadioCfg::loraChannelList()
{
    m_editor->setModule(5, WdgRadioCfg::ClassesAAndC, true, true);
    m_mode->setCurrentIndex(1);
    QCOMPARE(m_channel->count(), 43);
    QCOMPARE(m_channel->itemText(0), QString("Channel 1 (863.125 Mhz) LoRa Modulation"));
    QCOMPARE(m_channel->itemText(14), QString("Channel 15 (864.875 Mhz) LoRa Modulation"));
    QCOMPARE(m_channel->itemText(16), QString("Channel 17 (865.25 Mhz) LoRa Modulation"));
    QCOMPARE(m_channel->itemText(37), QString("Channel 38 (868.3 Mhz) LoRa Modulation"));
    QCOMPARE(m_channel->itemText(40), QString("Channel 41 (868.95 Mhz) LoRa Modulation"));
    QCOMPARE(m_channel->itemText(42), QString("Channel 43 (869.525 Mhz) LoRa Modulation"));
    QCOMPARE(m_channel->currentIndex(), 0);
    QCOMPARE(m_channel->itemData(0, Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::green));
    QVERIFY(!m_channel->itemData(1, Qt::BackgroundRole).isValid());
}

void TestRadioCfg::modeHandlerEnablesBoxes()
{
    m_editor->setModule(5, WdgRadioCfg::ClassesAAndC, true, true);
    QVERIFY(!m_channel->isEnabled());
    QVERIFY(m_zone->isEnabled());

    m_mode->setCurrentIndex(1); // local
    QVERIFY(m_channel->isEnabled());
    QVERIFY(!m_zone->isEnabled());

    m_mode->setCurrentIndex(2); // compat: the entries stay, but no channel is written
    QVERIFY(!m_channel->isEnabled());
    QVERIFY(m_zone->isEnabled());
    QCOMPARE(m_channel->count(), 43);
    QCOMPARE(m_editor->toConfig(), hex("021300"));

    m_mode->setCurrentIndex(0);
    QVERIFY(!m_channel->isEnabled());
    QVERIFY(m_zone->isEnabled());

    // Dual module: the zone box holds the classes, refilled from the mask on each mode change.
    m_editor->setModule(14, WdgRadioCfg::ClassesAAndC, true, true);
    QVERIFY(!m_channel->isEnabled());
    QVERIFY(m_zone->isEnabled());
    m_mode->setCurrentIndex(1);
    QCOMPARE(items(m_zone), (QStringList{"RCZ1", "RCZ2", "RCZ3A", "RCZ3C", "RCZ4", "RCZ5", "RCZ6", "RCZ7"}));
    m_mode->setCurrentIndex(0);
    QCOMPARE(items(m_zone), (QStringList{"Class A", "Class C"}));
}

void TestRadioCfg::toConfigPerChoice_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<unsigned>("mask");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("zone"); // zone box text to select, empty to keep
    QTest::addColumn<int>("channel");  // channel number to select, 0 to keep
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("14 mask 16: class not selectable") << 14 << 16u << 0 << "" << 0 << hex("00");
    QTest::newRow("14 mask 0: Class A") << 14 << 0u << 0 << "Class A" << 0 << hex("10");
    QTest::newRow("14 mask 0: Class C") << 14 << 0u << 0 << "Class C" << 0 << hex("20");
    QTest::newRow("14 Sigfox RCZ4") << 14 << 16u << 1 << "RCZ4" << 0 << hex("40");
    QTest::newRow("5 mask 0: Class C") << 5 << 0u << 0 << "Class C" << 0 << hex("20");
    QTest::newRow("5 mask 32: not selectable") << 5 << 32u << 0 << "" << 0 << hex("00");
    QTest::newRow("5 local channel 43") << 5 << 0u << 1 << "" << 43 << hex("012B00");
    QTest::newRow("5 local default channel") << 5 << 0u << 1 << "" << 0 << hex("010100");
    QTest::newRow("5 compat") << 5 << 0u << 2 << "" << 0 << hex("021300");
    QTest::newRow("11 Sigfox RCZ1") << 11 << 16u << 0 << "RCZ1" << 0 << hex("10");
    QTest::newRow("11 Sigfox RCZ3A") << 11 << 16u << 0 << "RCZ3A" << 0 << hex("30");
    QTest::newRow("11 Sigfox RCZ3C") << 11 << 16u << 0 << "RCZ3C" << 0 << hex("31");
    QTest::newRow("11 Sigfox RCZ7") << 11 << 16u << 0 << "RCZ7" << 0 << hex("70");
    QTest::newRow("11 Sigfox Monarch") << 11 << 16u << 0 << "Monarch" << 0 << hex("FF");
    QTest::newRow("11 local channel 28") << 11 << 16u << 1 << "" << 28 << hex("011C00");
    QTest::newRow("11 local channel 557") << 11 << 16u << 1 << "" << 557 << hex("012D02");
    QTest::newRow("11 compat") << 11 << 16u << 2 << "" << 0 << hex("021C00");
    QTest::newRow("3 Sigfox: no zone box") << 3 << 16u << 0 << "" << 0 << hex("00");
    QTest::newRow("9 local channel 4") << 9 << 16u << 1 << "" << 4 << hex("010400");
    QTest::newRow("10 compat") << 10 << 16u << 2 << "" << 0 << hex("021C00");
}

void TestRadioCfg::toConfigPerChoice()
{
    QFETCH(int, type);
    QFETCH(unsigned, mask);
    QFETCH(int, mode);
    QFETCH(QString, zone);
    QFETCH(int, channel);
    QFETCH(QByteArray, value);

    m_editor->setModule(type, mask, true, true);
    m_mode->setCurrentIndex(mode);
    if (!zone.isEmpty()) {
        const int entry = m_zone->findText(zone);
        QVERIFY(entry >= 0);
        m_zone->setCurrentIndex(entry);
    }
    if (channel) {
        const int entry = m_channel->findText(QString("Channel %1 (").arg(channel), Qt::MatchStartsWith);
        QVERIFY(entry >= 0);
        m_channel->setCurrentIndex(entry);
    }
    QCOMPARE(m_editor->toConfig(), value);
}

void TestRadioCfg::localModeWithoutChannelWritesModeOnly()
{
    m_editor->setModule(11, WdgRadioCfg::ClassAOnly, true, true);
    m_mode->setCurrentIndex(1);
    m_channel->setCurrentIndex(-1);
    QCOMPARE(m_editor->toConfig(), hex("01"));

    m_editor->setModule(5, WdgRadioCfg::ClassesAAndC, true, true);
    m_mode->setCurrentIndex(1);
    m_channel->setCurrentIndex(-1);
    QCOMPARE(m_editor->toConfig(), hex("01"));
}

// The editor sits on a tool-box page that is usually not the one shown: the zone must still be
// written.
void TestRadioCfg::sigfoxZoneDoesNotDependOnBeingOnScreen()
{
    QWidget page;
    m_editor->setParent(&page);
    m_editor->setModule(11, WdgRadioCfg::ClassAOnly, true, true);
    m_zone->setCurrentIndex(m_zone->findText("RCZ2"));
    QVERIFY(!m_zone->isVisible());
    QCOMPARE(m_editor->toConfig(), hex("20"));
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QVERIFY(m_zone->isVisible());
    QCOMPARE(m_editor->toConfig(), hex("20"));
    m_editor->setParent(nullptr);
}

void TestRadioCfg::fromConfigSelects_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<unsigned>("mask");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QString>("channel"); // start of the channel text, empty for no selection

    QTest::newRow("11: RCZ3C") << 11 << 16u << hex("31") << "Sigfox"
                               << "RCZ3C"
                               << "";
    QTest::newRow("11: Monarch") << 11 << 16u << hex("FF") << "Sigfox"
                                 << "Monarch"
                                 << "";
    QTest::newRow("11: RCZ5") << 11 << 16u << hex("50") << "Sigfox"
                              << "RCZ5"
                              << "";
    QTest::newRow("11: local 28") << 11 << 16u << hex("011C00") << "Mode Local (Modulation FSK)"
                                  << "RCZ1"
                                  << "Channel 28 (";
    QTest::newRow("11: local 513") << 11 << 16u << hex("010102") << "Mode Local (Modulation FSK)"
                                   << "RCZ1"
                                   << "Channel 513 (";
    QTest::newRow("11: compat") << 11 << 16u << hex("021C00") << "Mode Compat FSK/Sigfox Repeater"
                                << "RCZ1"
                                << "";
    QTest::newRow("5: Class C") << 5 << 0u << hex("20") << "LoRaWAN"
                                << "Class C"
                                << "";
    QTest::newRow("5: Class A") << 5 << 0u << hex("10") << "LoRaWAN"
                                << "Class A"
                                << "";
    QTest::newRow("5: local 43") << 5 << 0u << hex("012B00") << "Mode Local (LoRa P2P)"
                                 << "Class A"
                                 << "Channel 43 (";
    QTest::newRow("5: local, channel not in list") << 5 << 0u << hex("012C00") << "Mode Local (LoRa P2P)"
                                                   << "Class A"
                                                   << "";
    QTest::newRow("5: compat") << 5 << 0u << hex("021300") << "Mode Compat Lora/LoraWan Repeater"
                               << "Class A"
                               << "";
    // The channel of a local mode is restored for these types too, not replaced by the default.
    QTest::newRow("3: local 100") << 3 << 16u << hex("016400") << "Mode Local (Modulation FSK)"
                                  << ""
                                  << "Channel 100 (";
    QTest::newRow("10: local 4") << 10 << 16u << hex("010400") << "Mode Local (Modulation FSK)"
                                 << ""
                                 << "Channel 4 (";
    QTest::newRow("14: LoRaWAN, class not selectable") << 14 << 16u << hex("00") << "LoRaWAN"
                                                       << "Class A"
                                                       << "";
    QTest::newRow("13: LoRaWAN Class C") << 13 << 0u << hex("20") << "LoRaWAN"
                                         << "Class C"
                                         << "";
}

void TestRadioCfg::fromConfigSelects()
{
    QFETCH(int, type);
    QFETCH(unsigned, mask);
    QFETCH(QByteArray, value);
    QFETCH(QString, mode);
    QFETCH(QString, zone);
    QFETCH(QString, channel);

    m_editor->setModule(type, mask, true, true);
    m_editor->fromConfig(value);
    QCOMPARE(m_mode->currentText(), mode);
    QCOMPARE(m_zone->currentText(), zone);
    if (channel.isEmpty() && mode.contains("Local"))
        QCOMPARE(m_channel->currentIndex(), -1);
    else if (!channel.isEmpty())
        QVERIFY2(m_channel->currentText().startsWith(channel), qPrintable(m_channel->currentText()));
}

void TestRadioCfg::roundTrip_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<unsigned>("mask");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("family default: 14 mask 16") << 14 << 16u << hex("00");
    QTest::newRow("13 mask 0 Class A") << 13 << 0u << hex("10");
    QTest::newRow("13 mask 0 Class C") << 13 << 0u << hex("20");
    QTest::newRow("14 mask 32") << 14 << 32u << hex("00");
    QTest::newRow("5 mask 0 Class C") << 5 << 0u << hex("20");
    QTest::newRow("5 mask 16") << 5 << 16u << hex("00");
    QTest::newRow("5 local 1") << 5 << 0u << hex("010100");
    QTest::newRow("5 local 37") << 5 << 0u << hex("012500");
    QTest::newRow("5 compat") << 5 << 0u << hex("021300");
    QTest::newRow("5 local, no channel") << 5 << 0u << hex("01");
    for (const char *zone : {"10", "20", "30", "31", "40", "50", "60", "70", "FF"})
        QTest::addRow("11 zone %s", zone) << 11 << 16u << hex(zone);
    QTest::newRow("11 local 28") << 11 << 16u << hex("011C00");
    QTest::newRow("11 local 557") << 11 << 16u << hex("012D02");
    QTest::newRow("11 compat") << 11 << 16u << hex("021C00");
    QTest::newRow("3 Sigfox") << 3 << 16u << hex("00");
    QTest::newRow("4 local 7") << 4 << 16u << hex("010700");
    QTest::newRow("9 local 536") << 9 << 16u << hex("011802");
    QTest::newRow("10 compat") << 10 << 16u << hex("021C00");
}

void TestRadioCfg::roundTrip()
{
    QFETCH(int, type);
    QFETCH(unsigned, mask);
    QFETCH(QByteArray, value);

    m_editor->setModule(type, mask, true, true);
    QSignalSpy adjusted(m_editor, &WdgRadioCfg::valueAdjusted);
    m_editor->fromConfig(value);
    QCOMPARE(m_editor->toConfig().toHex(), value.toHex());
    QCOMPARE(m_editor->adjustments(), QString());
    QCOMPARE(adjusted.count(), 0);
}

void TestRadioCfg::adjustedValuesAreReported_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<unsigned>("mask");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("class code with class not selectable") << 14 << 16u << hex("10") << hex("00");
    QTest::newRow("no class code with selectable classes") << 5 << 0u << hex("00") << hex("10");
    QTest::newRow("Class C code where only A is offered") << 5 << 16u << hex("20") << hex("00");
    QTest::newRow("unknown zone code") << 11 << 16u << hex("00") << hex("10");
    QTest::newRow("channel not in the list") << 11 << 16u << hex("010500") << hex("01");
    QTest::newRow("compat with a foreign code") << 5 << 0u << hex("020000") << hex("021300");
    QTest::newRow("mode index without entry") << 3 << 16u << hex("07") << hex("00");
    QTest::newRow("empty value") << 11 << 16u << QByteArray() << hex("10");
}

void TestRadioCfg::adjustedValuesAreReported()
{
    QFETCH(int, type);
    QFETCH(unsigned, mask);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, written);

    m_editor->setModule(type, mask, true, true);
    QSignalSpy adjusted(m_editor, &WdgRadioCfg::valueAdjusted);
    m_editor->fromConfig(value);
    QCOMPARE(m_editor->toConfig().toHex(), written.toHex());
    const QString expected = QString("Radio configuration %1 will be written as %2")
                                 .arg(value.isEmpty() ? QString("(empty)") : QString(value.toHex().toUpper()),
                                      QString(written.toHex().toUpper()));
    QCOMPARE(m_editor->adjustments(), expected);
    QCOMPARE(adjusted.count(), 1);
    QCOMPARE(adjusted.at(0).at(0).toString(), expected);

    // A clean load afterwards clears the report.
    m_editor->fromConfig(written);
    QCOMPARE(m_editor->adjustments(), QString());
}

void TestRadioCfg::technologyFollowsModeText()
{
    m_editor->setModule(14, WdgRadioCfg::ClassAOnly, true, true);
    QCOMPARE(m_editor->radioTechnology(), quint8(1));
    m_mode->setCurrentIndex(1);
    QCOMPARE(m_editor->radioTechnology(), quint8(0));

    m_editor->setModule(11, WdgRadioCfg::ClassAOnly, true, true);
    QCOMPARE(m_editor->radioTechnology(), quint8(0));
    m_mode->setCurrentIndex(1); // local mode counts as LoRaWAN
    QCOMPARE(m_editor->radioTechnology(), quint8(1));

    m_editor->setModule(12, WdgRadioCfg::ClassAOnly, true, true);
    QCOMPARE(m_editor->radioTechnology(), quint8(1));

    QSignalSpy changed(m_editor, &WdgRadioCfg::wdgRadioZefTypeChanged);
    m_editor->setRadioTechnology(0);
    QCOMPARE(changed.count(), 1);
}

void TestRadioCfg::technologyAndConfigInEitherOrder_data()
{
    QTest::addColumn<bool>("technologyFirst");
    QTest::addColumn<quint8>("technology");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("zone");

    for (bool first : {true, false}) {
        const char *order = first ? "technology first" : "configuration first";
        QTest::addRow("Sigfox RCZ2, %s", order) << first << quint8(0) << hex("20") << "Sigfox"
                                                << "RCZ2";
        QTest::addRow("Sigfox RCZ3C, %s", order) << first << quint8(0) << hex("31") << "Sigfox"
                                                 << "RCZ3C";
        QTest::addRow("LoRaWAN, %s", order) << first << quint8(1) << hex("00") << "LoRaWAN"
                                            << "Class A";
    }
}

// A configuration file holds the radio configuration before the technology; a device may hand
// them over in any order. Both must end in the same choice, written back unchanged.
void TestRadioCfg::technologyAndConfigInEitherOrder()
{
    QFETCH(bool, technologyFirst);
    QFETCH(quint8, technology);
    QFETCH(QByteArray, value);
    QFETCH(QString, mode);
    QFETCH(QString, zone);

    m_editor->setModule(14, WdgRadioCfg::ClassAOnly, true, true);
    QSignalSpy changed(m_editor, &WdgRadioCfg::wdgRadioZefTypeChanged);
    if (technologyFirst) {
        m_editor->setRadioTechnology(technology);
        m_editor->fromConfig(value);
    } else {
        m_editor->fromConfig(value);
        m_editor->setRadioTechnology(technology);
    }
    QCOMPARE(changed.count(), 1);
    QCOMPARE(m_mode->currentText(), mode);
    QCOMPARE(m_zone->currentText(), zone);
    QCOMPARE(m_editor->radioTechnology(), technology);
    QCOMPARE(m_editor->toConfig().toHex(), value.toHex());
    QCOMPARE(m_editor->adjustments(), QString());
}

void TestRadioCfg::unknownTechnologyIsReported()
{
    m_editor->setModule(14, WdgRadioCfg::ClassAOnly, true, true);
    m_editor->fromConfig(hex("00"));
    QSignalSpy adjusted(m_editor, &WdgRadioCfg::valueAdjusted);
    m_editor->setRadioTechnology(2);
    QCOMPARE(m_mode->currentText(), QString("LoRaWAN"));
    const QString expected("Radio technology 2 is not known; 1 will be written");
    QCOMPARE(m_editor->adjustments(), expected);
    QCOMPARE(adjusted.count(), 1);
    QCOMPARE(adjusted.at(0).at(0).toString(), expected);
}

void TestRadioCfg::setModuleAgainForgetsEarlierChoices()
{
    m_editor->setModule(5, WdgRadioCfg::ClassAOnly, true, true);
    m_editor->fromConfig(hex("012B00"));
    m_editor->setModule(11, WdgRadioCfg::ClassesAAndC, true, true);
    QCOMPARE(m_zone->count(), 9);
    QCOMPARE(m_zoneLabel->text(), QString("Sigfox Zone"));
    QCOMPARE(m_editor->toConfig(), hex("10"));
    QCOMPARE(m_editor->adjustments(), QString());

    // From a hidden type back to a visible one: the rows show again.
    m_editor->setModule(1, 0, true, true);
    m_editor->setModule(5, WdgRadioCfg::ClassesAAndC, true, true);
    QVERIFY(!m_mode->isHidden());
    QVERIFY(!m_zone->isHidden());
    QVERIFY(!m_channel->isHidden());
    QCOMPARE(m_editor->toConfig(), hex("10")); // class selectable again under mask 0
}

QTEST_MAIN(TestRadioCfg)
#include "tst_radiocfg.moc"

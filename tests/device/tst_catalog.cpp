// Device catalog: display texts of type codes, version texts, the identity line, the
// accepted-device rule and the catalog of supported devices.

#include "device/model/Catalog.h"

#include <QFile>
#include <QSet>
#include <QtEndian>
#include <QtTest>

Q_DECLARE_METATYPE(DeviceIdentity)

namespace {
// A combination no real device reports, used for the rows this test appends to the catalog.
// OrvList is one instance for the whole process, so the rows stay for the remaining tests;
// none of them uses these codes.
constexpr int kTestType = 100;
constexpr int kTestKiv = 100;
constexpr int kOtherKiv = 101;

const QString kBuiltinPicture = QStringLiteral(":/orv/imgs/ptc-ct.png");
const QString kUnknownPicture = QStringLiteral(":/orv/imgs/orv_unknow.png");
const QString kBuiltinConfig = QStringLiteral(":/orv/configs/PTC-CT/PTC-CT_1.0.0.ocf");

DeviceIdentity identity(int orvType, int orvRev, int kivType, int kivRev, const QByteArray &identifier)
{
    DeviceIdentity id;
    id.orvType = orvType;
    id.orvRev = orvRev;
    id.kivType = kivType;
    id.kivRev = kivRev;
    id.identifier = identifier;
    return id;
}
} // namespace

class TestCatalog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void typeNames_data();
    void typeNames();
    void typeNamesAreShortAndUnique();
    void kivNames_data();
    void kivNames();
    void moduleTexts_data();
    void moduleTexts();
    void versionText_data();
    void versionText();
    void identityText_data();
    void identityText();
    void fileIdentity();
    void accepted_data();
    void accepted();
    void unknownDeviceBox();

    void builtinRow();
    void builtinResourcesExist();
    void findPicksRowByRevision_data();
    void findPicksRowByRevision();
    void findNeedsTypeAndModule();
    void pictureFallsBack();
};

void TestCatalog::initTestCase()
{
    // Rows in non-ascending revision order, and a row of the same type for another module.
    OrvList &list = OrvList::instance();
    list.append(kTestType, 0x0200, kTestKiv, QStringLiteral("rev 2"), kBuiltinPicture,
                QStringLiteral("cfg2"));
    list.append(kTestType, 0x0100, kTestKiv, QStringLiteral("rev 1"), kBuiltinPicture,
                QStringLiteral("cfg1"));
    list.append(kTestType, 0x0050, kOtherKiv, QStringLiteral("other module"), kBuiltinPicture,
                QStringLiteral("cfgX"));
    list.append(kTestType, 0x0300, kTestKiv, QStringLiteral("rev 3"),
                QStringLiteral(":/orv/imgs/missing.png"), QStringLiteral("cfg3"));
}

void TestCatalog::typeNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("negative") << -1 << "XXX";
    QTest::newRow("0") << 0 << "XXX";
    QTest::newRow("1") << 1 << "PLX-1";
    QTest::newRow("3") << 3 << "PT-2P";
    QTest::newRow("6") << 6 << "PMB-32";
    QTest::newRow("8") << 8 << "PTH-IO";
    QTest::newRow("12") << 12 << "PGIO-16";
    QTest::newRow("16") << 16 << "PLV-D";
    QTest::newRow("19") << 19 << "PCNT-4";
    QTest::newRow("20 has none") << 20 << "XXX";
    QTest::newRow("21") << 21 << "PTH-2S";
    QTest::newRow("26") << 26 << "PPR-RTD";
    QTest::newRow("27") << 27 << "PINC-3";
    QTest::newRow("28") << 28 << "PTC-CT";
    QTest::newRow("29") << 29 << "XXX";
    QTest::newRow("127") << 127 << "XXX";
}

void TestCatalog::typeNames()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(Catalog::typeName(code), name);
}

void TestCatalog::typeNamesAreShortAndUnique()
{
    QSet<QString> seen;
    for (int code = 1; code <= 28; ++code) {
        if (code == 20)
            continue;
        const QString name = Catalog::typeName(code);
        QVERIFY2(name != QLatin1String("XXX") && name.size() <= 19, qPrintable(name));
        QVERIFY2(!seen.contains(name), qPrintable(QStringLiteral("%1 used twice").arg(name)));
        seen.insert(name);
    }
}

void TestCatalog::kivNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("negative") << -1 << "XXXX";
    QTest::newRow("0") << 0 << "XXXX";
    QTest::newRow("1") << 1 << "K868A";
    QTest::newRow("5") << 5 << "KLRW";
    QTest::newRow("11") << 11 << "KSFWW";
    QTest::newRow("12 BLE") << 12 << "BLE";
    QTest::newRow("13") << 13 << "KLSB";
    QTest::newRow("14 empty") << 14 << "";
    QTest::newRow("15") << 15 << "XXXX";
}

void TestCatalog::kivNames()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(Catalog::kivName(code), name);
    QVERIFY(Catalog::kivName(code).size() <= 5 || name == QLatin1String("XXXX"));
}

void TestCatalog::moduleTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("technology");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("threePart");
    const QString sn = QStringLiteral(" | SN:"), id = QStringLiteral(" | ID:"),
                  eui = QStringLiteral(" | DevEUI:");
    const QString both = QStringLiteral("LoraWan/Sigfox (Bidirectional)");
    QTest::newRow("0") << 0 << "None" << sn << false;
    QTest::newRow("1") << 1 << "868 P2P" << sn << false;
    QTest::newRow("2") << 2 << "868 P2P" << sn << false;
    QTest::newRow("3") << 3 << "Sigfox (Uplink only)" << id << false;
    QTest::newRow("4") << 4 << "Sigfox (Bidirectional)" << id << false;
    QTest::newRow("5") << 5 << "LoRaWAN" << eui << true;
    QTest::newRow("6") << 6 << "Lora P2P" << sn << false;
    QTest::newRow("7") << 7 << "868 P2P" << sn << false;
    QTest::newRow("8") << 8 << "868 P2P" << sn << false;
    QTest::newRow("9") << 9 << "Sigfox (Uplink only)" << id << false;
    QTest::newRow("10") << 10 << "Sigfox (Bidirectional)" << id << false;
    QTest::newRow("11") << 11 << "Sigfox (World Wide)" << id << true;
    QTest::newRow("12") << 12 << "None" << sn << false;
    QTest::newRow("13") << 13 << both << eui << false;
    QTest::newRow("14") << 14 << both << eui << false;
    QTest::newRow("15") << 15 << "None" << sn << false;
    QTest::newRow("negative") << -1 << "None" << sn << false;
}

void TestCatalog::moduleTexts()
{
    QFETCH(int, code);
    QFETCH(QString, technology);
    QFETCH(QString, label);
    QFETCH(bool, threePart);
    QCOMPARE(Catalog::technologyText(code), technology);
    QCOMPARE(Catalog::identifierLabel(code), label);
    QCOMPARE(Catalog::kivRevThreePart(code), threePart);
}

void TestCatalog::versionText_data()
{
    QTest::addColumn<int>("rev");
    QTest::addColumn<bool>("threePart");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.0.0") << 0x0100 << true << "1.0.0";
    QTest::newRow("1.2.0") << 0x0120 << true << "1.2.0";
    QTest::newRow("1A.3.F") << 0x1A3F << true << "1A.3.F";
    QTest::newRow("0.0.0") << 0 << true << "0.0.0";
    QTest::newRow("0.F.F") << 0x00FF << true << "0.F.F";
    QTest::newRow("FF.F.F") << 0xFFFF << true << "FF.F.F";
    QTest::newRow("hex 123") << 0x0123 << false << "123";
    QTest::newRow("hex 1A3F") << 0x1A3F << false << "1A3F";
    QTest::newRow("hex 0") << 0 << false << "0";
    QTest::newRow("hex 205") << 0x0205 << false << "205";
    QTest::newRow("unknown three-part") << -1 << true << "";
    QTest::newRow("unknown hex") << -1 << false << "";
}

void TestCatalog::versionText()
{
    QFETCH(int, rev);
    QFETCH(bool, threePart);
    QFETCH(QString, text);
    QCOMPARE(Catalog::versionText(rev, threePart), text);
}

void TestCatalog::identityText_data()
{
    QTest::addColumn<DeviceIdentity>("id");
    QTest::addColumn<QString>("line");
    const QByteArray a1b = QByteArray::fromHex("00000A1B");
    QTest::newRow("accepted device") << identity(28, 0x0100, 14, 0x0205,
                                                 QByteArray::fromHex("70B3D5499A00C0DE"))
                                     << "Pelm-PTC-CT:1.0.0 | KIV-:205 | DevEUI:70B3D5499A00C0DE";
    QTest::newRow("LoRaWAN module: three-part, leading zero digits dropped")
        << identity(28, 0x0120, 5, 0x0123, a1b) << "Pelm-PTC-CT:1.2.0 | KIV-KLRW:1.2.3 | DevEUI:A1B";
    QTest::newRow("Sigfox module: identifier label")
        << identity(28, 0x0120, 3, 0x0123, a1b) << "Pelm-PTC-CT:1.2.0 | KIV-KSFU:123 | ID:A1B";
    QTest::newRow("World wide Sigfox: three-part")
        << identity(9, 0x0301, 11, 0x0102, a1b) << "Pelm-PDI-16:3.0.1 | KIV-KSFWW:1.0.2 | ID:A1B";
    QTest::newRow("BLE module: hex revision, serial number")
        << identity(28, 0x0100, 12, 0x0123, QByteArray::fromHex("0102"))
        << "Pelm-PTC-CT:1.0.0 | KIV-BLE:123 | SN:102";
    QTest::newRow("no identifier bytes")
        << identity(28, 0x0100, 5, 0x0123, QByteArray()) << "Pelm-PTC-CT:1.0.0 | KIV-KLRW:1.2.3";
    QTest::newRow("zeros after the first digit are kept")
        << identity(28, 0x0100, 14, 0x0100, QByteArray::fromHex("00100000"))
        << "Pelm-PTC-CT:1.0.0 | KIV-:100 | DevEUI:100000";
    QTest::newRow("identifier of zeros only") << identity(28, 0x0100, 14, 0x0100, QByteArray::fromHex("0000"))
                                              << "Pelm-PTC-CT:1.0.0 | KIV-:100 | DevEUI:0";
    QTest::newRow("offline: revisions unknown")
        << identity(28, -1, 14, -1, QByteArray()) << "Pelm-PTC-CT: | KIV-:XXXX";
    QTest::newRow("unknown codes") << identity(20, 0x0100, 15, 0x0042, QByteArray::fromHex("FF"))
                                   << "Pelm-XXX:1.0.0 | KIV-XXXX:42 | SN:FF";
}

void TestCatalog::identityText()
{
    QFETCH(DeviceIdentity, id);
    QFETCH(QString, line);
    QCOMPARE(Catalog::identityText(id), line);
}

void TestCatalog::fileIdentity()
{
    QCOMPARE(Catalog::fileIdentity(28), QStringLiteral("Pelm/PTC-CT"));
    QCOMPARE(Catalog::fileIdentity(3), QStringLiteral("Pelm/PT-2P"));
    QCOMPARE(Catalog::fileIdentity(20), QStringLiteral("Pelm/XXX"));
}

void TestCatalog::accepted_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("rev");
    QTest::addColumn<int>("kiv");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("revision below 1.0.0") << 28 << 0x00FF << 14 << false;
    QTest::newRow("revision 1.0.0") << 28 << 0x0100 << 14 << true;
    QTest::newRow("revision 2.0.5") << 28 << 0x0205 << 14 << true;
    QTest::newRow("highest revision") << 28 << 0xFFFF << 14 << true;
    QTest::newRow("revision unknown") << 28 << -1 << 14 << false;
    QTest::newRow("other device type") << 27 << 0x0100 << 14 << false;
    QTest::newRow("other module type") << 28 << 0x0100 << 13 << false;
    QTest::newRow("module unknown") << 28 << 0x0100 << -1 << false;
}

void TestCatalog::accepted()
{
    QFETCH(int, type);
    QFETCH(int, rev);
    QFETCH(int, kiv);
    QFETCH(bool, accepted);
    QCOMPARE(Catalog::isAccepted(type, rev, kiv), accepted);
}

void TestCatalog::unknownDeviceBox()
{
    const QString oldName = QCoreApplication::applicationName();
    const QString oldVersion = QCoreApplication::applicationVersion();
    // A '%' in the application name must come out as it is.
    QCoreApplication::setApplicationName(QStringLiteral("Pelm Configurator %2"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.7"));
    const DeviceIdentity id = identity(28, 0x00FF, 14, 0x0100, QByteArray::fromHex("0A1B"));
    const QString text = Catalog::unknownDeviceText(id);
    QCoreApplication::setApplicationName(oldName);
    QCoreApplication::setApplicationVersion(oldVersion);

    QCOMPARE(Catalog::unknownDeviceTitle(), QStringLiteral("Device unknown"));
    QCOMPARE(text, QStringLiteral(
                       "The device connected is no recognized of 'Pelm Configurator %2' in version 1.0.7. "
                       "There is probably a newer version.\n"
                       "Please, disconnect your ORV and upgrade you version!\n\n"
                       "Pelm-PTC-CT:0.F.F | KIV-:100 | DevEUI:A1B"));
}

void TestCatalog::builtinRow()
{
    const OrvList &list = OrvList::instance();
    const int row = list.find(28, 0x0100, 14);
    QCOMPARE(row, 0);
    QCOMPARE(list.typeAt(row), 28);
    QCOMPARE(list.revAt(row), 0x0100);
    QCOMPARE(list.kivAt(row), 14);
    // The only row of its combination: every revision maps onto it (acceptance is isAccepted's job).
    QCOMPARE(list.find(28, 0x0205, 14), row);
    QCOMPARE(list.find(28, 0x00FF, 14), row);
    QCOMPARE(list.label(28, 0x0100, 14), QStringLiteral("PTC-CT thermocouple & current sensor"));
    QCOMPARE(list.picture(28, 0x0100, 14), kBuiltinPicture);
    QCOMPARE(list.defaultConfig(28, 0x0100, 14), kBuiltinConfig);
}

void TestCatalog::builtinResourcesExist()
{
    OrvList::instance();
    for (const QString &path : {kBuiltinPicture, kUnknownPicture}) {
        QFile f(path);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
        const QByteArray png = f.readAll();
        // PNG signature, then the IHDR chunk with width and height (big-endian).
        QVERIFY2(png.startsWith("\x89PNG\r\n\x1a\n"), qPrintable(path));
        QCOMPARE(png.mid(12, 4), QByteArray("IHDR"));
        QCOMPARE(qFromBigEndian<quint32>(png.constData() + 16), 200u);
        QCOMPARE(qFromBigEndian<quint32>(png.constData() + 20), 200u);
    }
    QVERIFY(QFile::exists(kBuiltinConfig));
}

void TestCatalog::findPicksRowByRevision_data()
{
    // Rows of (kTestType, kTestKiv): 0x0200, 0x0100, 0x0300, appended in that order.
    QTest::addColumn<int>("rev");
    QTest::addColumn<int>("rowRev");
    QTest::newRow("below all rows: the highest") << 0x0050 << 0x0300;
    QTest::newRow("at the lowest") << 0x0100 << 0x0100;
    QTest::newRow("just below the second") << 0x01FF << 0x0100;
    QTest::newRow("at the second") << 0x0200 << 0x0200;
    QTest::newRow("between second and third") << 0x02AB << 0x0200;
    QTest::newRow("at the highest") << 0x0300 << 0x0300;
    QTest::newRow("above the highest") << 0x0400 << 0x0300;
    QTest::newRow("unknown revision") << -1 << 0x0300;
}

void TestCatalog::findPicksRowByRevision()
{
    QFETCH(int, rev);
    QFETCH(int, rowRev);
    const OrvList &list = OrvList::instance();
    const int row = list.find(kTestType, rev, kTestKiv);
    QVERIFY(row > 0);
    QCOMPARE(list.typeAt(row), kTestType);
    QCOMPARE(list.kivAt(row), kTestKiv);
    QCOMPARE(list.revAt(row), rowRev);
    const QString digit = QString::number(rowRev >> 8);
    QCOMPARE(list.label(kTestType, rev, kTestKiv), QStringLiteral("rev ") + digit);
    QCOMPARE(list.defaultConfig(kTestType, rev, kTestKiv), QStringLiteral("cfg") + digit);
}

void TestCatalog::findNeedsTypeAndModule()
{
    const OrvList &list = OrvList::instance();
    // The other module's single row, whatever the revision.
    const int other = list.find(kTestType, 0x0200, kOtherKiv);
    QVERIFY(other > 0);
    QCOMPARE(list.kivAt(other), kOtherKiv);
    QCOMPARE(list.label(kTestType, 0x0200, kOtherKiv), QStringLiteral("other module"));

    QCOMPARE(list.find(28, 0x0100, 13), -1);
    QCOMPARE(list.find(27, 0x0100, 14), -1);
    QCOMPARE(list.find(kTestType, 0x0100, 14), -1);
    QCOMPARE(list.label(28, 0x0100, 13), QString());
    QCOMPARE(list.picture(28, 0x0100, 13), QString());
    QCOMPARE(list.defaultConfig(28, 0x0100, 13), QString());
}

void TestCatalog::pictureFallsBack()
{
    const OrvList &list = OrvList::instance();
    QCOMPARE(list.picture(kTestType, 0x0300, kTestKiv), kUnknownPicture);
    QCOMPARE(list.picture(kTestType, 0x0100, kTestKiv), kBuiltinPicture);
    QVERIFY(QFile::exists(kUnknownPicture));
}

QTEST_GUILESS_MAIN(TestCatalog)
#include "tst_catalog.moc"

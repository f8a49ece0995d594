// Fleet roll-out without widgets: CSV as RFC 4180 has it, the key list, the provisioning record
// (rows, reader, appending writer), the read-back comparison, and one device provisioned on the
// simulated device for each way it can end (written, refused, file refused, cable pulled,
// stored another value, keys missing or refused, DevEUI seen before). No text made holds a key.

#include "common/Clock.h"
#include "common/Csv.h"
#include "device/session/DeviceFactory.h"
#include "device/session/DeviceSession.h"
#include "device/rollout/KeyList.h"
#include "device/rollout/Provisioning.h"
#include "device/rollout/ProvisioningRecord.h"
#include "sim/SimDevice.h"
#include "support/LogRecorder.h"
#include "support/RecordingReporter.h"
#include "support/TestData.h"
#include "support/SecretScan.h"
#include "support/TestKeys.h"
#include "support/SimComm.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

using namespace TestKeys;

using namespace TestData;

/// DevEUI of a fresh simulated device.
const QByteArray kDevEui = QByteArray::fromHex("70B3D5499A0C1E2F");

QByteArray keyListText()
{
    return "DevEUI,AppEUI,AppKey\r\n"
           "70B3D5499A0C1E2F,D0E1F2A3B4C5D6E7,2B7E151628AED2A6ABF7158809CF4F3C\r\n"
           "70b3d5499a0c1e30,a1b2c3d4e5f60718,c0ffee0badf00d15deadbeef8badf00d\r\n";
}

ProvisioningRecord::Row sampleRow()
{
    ProvisioningRecord::Row r;
    r.time = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC);
    r.devEui = QStringLiteral("70B3D5499A0C1E2F");
    r.identity = QStringLiteral("Pelm-PTC-CT:1.0.0 | KIV-LoRaWAN, BLE:102 | DevEUI:70B3D5499A0C1E2F");
    r.deviceRevision = QStringLiteral("1.0.0");
    r.moduleRevision = QStringLiteral("102");
    r.configFile = QStringLiteral("site \"A\", hall 2.ocf");
    r.configSha256 = QString(64, QLatin1Char('a'));
    r.successful = false;
    r.reason = QStringLiteral(
        "parameters refused: Tempreature threshold (22): Bad threshold configuration\nsecond line");
    return r;
}

} // namespace

class TestProvisioning : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void csvRoundTrip_data();
    void csvRoundTrip();
    void csvRefusesBrokenQuoting_data();
    void csvRefusesBrokenQuoting();

    void keyListReads();
    void keyListRefuses_data();
    void keyListRefuses();

    void recordRowAndHeader();
    void recordRoundTrip();
    void recordRefuses_data();
    void recordRefuses();
    void writerAppendsAndFlushesEachRow();
    void writerKeepsAFileThatIsNoRecord();

    void compareFindsDifferences_data();
    void compareFindsDifferences();

    void provisionOneDevice_data();
    void provisionOneDevice();
    void verificationCatchesAStoredDifference();
    void missingKeysLeaveTheDeviceUntouched();
    void repeatedDevEuiIsFlagged();
    void rowDescribesTheDevice();

private:
    std::unique_ptr<DeviceSession> connect();

    ScopedRecordingReporter m_rep;
    std::unique_ptr<SimDevice> m_dev;
    QTemporaryDir m_dir;
};

void TestProvisioning::init()
{
    m_dev.reset(new SimDevice);
    SimDevice *dev = m_dev.get();
    DeviceFactory::setUsbTransportFactory([dev]() -> Comm * { return new SimComm(*dev); });
    DeviceFactory::resetUsbAttemptCounter();
    m_rep.clear();
}

void TestProvisioning::cleanup()
{
    DeviceFactory::setUsbTransportFactory({});
    Clock::setFixed(QDateTime());
    RecordingReporter left = m_rep;
    m_rep.clear();
    VERIFY_NO_PENDING_BOXES(left);
}

std::unique_ptr<DeviceSession> TestProvisioning::connect()
{
    bool failed = false;
    std::unique_ptr<DeviceSession> s(DeviceFactory::connectUsb(&failed));
    m_rep.clear();
    m_dev->resetCounters();
    return s;
}

// --- CSV ---------------------------------------------------------------------------------------

void TestProvisioning::csvRoundTrip_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("plain") << QStringList{"a", "b c", ""} << QByteArray("a,b c,\r\n");
    QTest::newRow("comma") << QStringList{"x,y", "z"} << QByteArray("\"x,y\",z\r\n");
    QTest::newRow("quote doubled") << QStringList{"say \"hi\""} << QByteArray("\"say \"\"hi\"\"\"\r\n");
    QTest::newRow("line breaks kept")
        << QStringList{"1\r\n2", "3\n4"} << QByteArray("\"1\r\n2\",\"3\n4\"\r\n");
    QTest::newRow("utf-8") << QStringList{QStringLiteral("Kühlhaus"), "1"}
                           << QByteArray("K\xc3\xbchlhaus,1\r\n");
}

void TestProvisioning::csvRoundTrip()
{
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, line);
    QCOMPARE(Csv::formatRecord(fields), line);
    QVector<QStringList> records;
    Csv::ParseError error;
    // Twice, and once more ending in a bare LF and once without a line end.
    QByteArray lfLast = line;
    lfLast.chop(2);
    QVERIFY(Csv::parse(line + line + lfLast + "\n" + lfLast, &records, &error));
    QCOMPARE(records, (QVector<QStringList>{fields, fields, fields, fields}));
}

void TestProvisioning::csvRefusesBrokenQuoting_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");
    QTest::newRow("quote inside unquoted field")
        << QByteArray("a,b\r\nc\"d,e\r\n") << 2 << "A double quote inside an unquoted field.";
    QTest::newRow("text after closing quote")
        << QByteArray("\"ab\"c,d\r\n") << 1 << "Unexpected text after a closing quote.";
    QTest::newRow("never closed, after a line break")
        << QByteArray("a\r\n\"b\r\nc") << 2 << "A quoted field is not closed.";
}

void TestProvisioning::csvRefusesBrokenQuoting()
{
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(QString, reason);
    QVector<QStringList> records{{"kept"}};
    Csv::ParseError error;
    QVERIFY(!Csv::parse(text, &records, &error));
    QCOMPARE(error.line, line);
    QCOMPARE(error.reason, reason);
    QCOMPARE(records, (QVector<QStringList>{{"kept"}}));
}

// --- key list ----------------------------------------------------------------------------------

void TestProvisioning::keyListReads()
{
    KeyList list;
    QString error;
    // Header in another case, quoted fields, blanks around fields, an empty line, LF endings.
    QVERIFY2(list.parse("devEUI, appeui ,APPKEY\n"
                        "\"70B3D5499A0C1E2F\", D0E1F2A3B4C5D6E7 ,2b7e151628aed2a6abf7158809cf4f3c\n"
                        "\n"
                        "70B3D5499A0C1E30,A1B2C3D4E5F60718,C0FFEE0BADF00D15DEADBEEF8BADF00D\n",
                        &error),
             qPrintable(error));
    QCOMPARE(list.size(), 2);
    QVERIFY(list.contains(kDevEui));
    QCOMPARE(list.keys(kDevEui).appEui, kAppEui);
    QCOMPARE(list.keys(kDevEui).appKey, kAppKey);
    QCOMPARE(list.keys(QByteArray::fromHex("70B3D5499A0C1E30")).appKey, kOtherAppKey);
    QVERIFY(!list.contains(QByteArray::fromHex("70B3D5499A0C1E31")));

    // A failed read leaves the list as it was.
    QVERIFY(!list.parse("DevEUI,AppEUI,AppKey\nbroken\n", &error));
    QCOMPARE(list.size(), 2);

    // The file form.
    const QString path = m_dir.filePath("keys.csv");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(keyListText());
    f.close();
    KeyList fromFile;
    QVERIFY(fromFile.load(path, &error));
    QCOMPARE(fromFile.size(), 2);
    QVERIFY(!fromFile.load(m_dir.filePath("none.csv"), &error));
    QCOMPARE(error, QStringLiteral("Can't open file '%1'!").arg(m_dir.filePath("none.csv")));
}

void TestProvisioning::keyListRefuses_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    const QByteArray head = "DevEUI,AppEUI,AppKey\r\n";
    const QByteArray good = "70B3D5499A0C1E2F,D0E1F2A3B4C5D6E7,2B7E151628AED2A6ABF7158809CF4F3C\r\n";
    QTest::newRow("empty") << QByteArray("\r\n\r\n") << "The key list is empty.";
    QTest::newRow("no header") << good << "The key list must begin with the line \"DevEUI,AppEUI,AppKey\".";
    QTest::newRow("columns swapped") << QByteArray("DevEUI,AppKey,AppEUI\r\n") + good
                                     << "The key list must begin with the line \"DevEUI,AppEUI,AppKey\".";
    QTest::newRow("two fields") << head + "70B3D5499A0C1E2F,D0E1F2A3B4C5D6E7\r\n"
                                << "Line 2 of the key list must have 3 fields (DevEUI, AppEUI, AppKey).";
    QTest::newRow("short DevEUI")
        << head + good + "70B3D5499A0C1E,D0E1F2A3B4C5D6E7,2B7E151628AED2A6ABF7158809CF4F3C\r\n"
        << "Line 3 of the key list: the DevEUI must have 16 hexadecimal digits.";
    QTest::newRow("AppEUI not hex")
        << head + "70B3D5499A0C1E2F,D0E1F2A3B4C5D6EG,2B7E151628AED2A6ABF7158809CF4F3C\r\n"
        << "Line 2 of the key list: the AppEUI must have 16 hexadecimal digits.";
    QTest::newRow("AppKey one digit short")
        << head + "70B3D5499A0C1E2F,D0E1F2A3B4C5D6E7,2B7E151628AED2A6ABF7158809CF4F3\r\n"
        << "Line 2 of the key list: the AppKey must have 32 hexadecimal digits.";
    QTest::newRow("AppKey with separators")
        << head + "70B3D5499A0C1E2F,D0E1F2A3B4C5D6E7,2B:7E:15:16:28:AE:D2:A6:AB:F7:15:88:09:CF:4F:3C\r\n"
        << "Line 2 of the key list: the AppKey must have 32 hexadecimal digits.";
    QTest::newRow("DevEUI twice")
        << head + good + "70b3d5499a0c1e2f,A1B2C3D4E5F60718,C0FFEE0BADF00D15DEADBEEF8BADF00D\r\n"
        << "Line 3 of the key list: the DevEUI 70B3D5499A0C1E2F is listed twice.";
    QTest::newRow("broken quoting")
        << head + "\"70B3D5499A0C1E2F,D0E1F2A3B4C5D6E7,2B7E151628AED2A6ABF7158809CF4F3C\r\n"
        << "Line 2 of the key list: A quoted field is not closed.";
}

void TestProvisioning::keyListRefuses()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    KeyList list;
    QString why;
    QVERIFY(!list.parse(text, &why));
    QCOMPARE(why, error);
    QVERIFY(list.isEmpty());
    QCOMPARE(SecretScan::find({why}, {kAppEui, kAppKey, kOtherAppEui, kOtherAppKey}), QString());
}

// --- record ------------------------------------------------------------------------------------

void TestProvisioning::recordRowAndHeader()
{
    QCOMPARE(ProvisioningRecord::formatHeader(),
             QByteArray("time_utc,dev_eui,identity,device_revision,module_revision,config_file,config_sha256,"
                        "result,reason\r\n"));
    QCOMPARE(ProvisioningRecord::formatRow(sampleRow()),
             QByteArray("2024-03-05T14:07:09Z,70B3D5499A0C1E2F,"
                        "\"Pelm-PTC-CT:1.0.0 | KIV-LoRaWAN, BLE:102 | DevEUI:70B3D5499A0C1E2F\","
                        "1.0.0,102,\"site \"\"A\"\", hall 2.ocf\",") +
                 QByteArray(64, 'a') +
                 ",failed,\"parameters refused: Tempreature threshold (22): Bad threshold configuration\n"
                 "second line\"\r\n");
}

void TestProvisioning::recordRoundTrip()
{
    ProvisioningRecord::Row ok = sampleRow();
    ok.successful = true;
    ok.reason.clear();
    const QByteArray text = ProvisioningRecord::formatHeader() + ProvisioningRecord::formatRow(sampleRow()) +
                            ProvisioningRecord::formatRow(ok);
    QVector<ProvisioningRecord::Row> rows;
    QString error;
    QVERIFY2(ProvisioningRecord::parse(text, &rows, &error), qPrintable(error));
    QCOMPARE(rows.size(), 2);
    QVERIFY(rows.at(0) == sampleRow());
    QVERIFY(rows.at(1) == ok);
    QVERIFY(ProvisioningRecord::parse(QByteArray(), &rows, &error));
    QVERIFY(rows.isEmpty());
}

void TestProvisioning::recordRefuses_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    const QByteArray head = ProvisioningRecord::formatHeader();
    const QByteArray row = ProvisioningRecord::formatRow(sampleRow());
    QTest::newRow("another header") << QByteArray("DevEUI,AppEUI,AppKey\r\n")
                                    << "The file is not a provisioning record: its first line is not "
                                       "\"time_utc,dev_eui,identity,device_revision,module_revision,"
                                       "config_file,config_sha256,result,reason\".";
    QTest::newRow("short row") << head + row + "2024-03-05T14:07:09Z,70B3D5499A0C1E2F\r\n"
                               << "Row 3 of the record has 2 fields instead of 9.";
    QTest::newRow("local time") << head + QByteArray(row).replace("09Z,", "09,")
                                << "Row 2 of the record: the time is not an ISO 8601 UTC time.";
    QTest::newRow("result") << head + QByteArray(row).replace(",failed,", ",ok,")
                            << "Row 2 of the record: the result is neither \"successful\" nor \"failed\".";
    QTest::newRow("cut inside quotes")
        << head + row.left(row.size() - 10) << "Line 2 of the record: A quoted field is not closed.";
}

void TestProvisioning::recordRefuses()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    QString why;
    QVERIFY(!ProvisioningRecord::parse(text, nullptr, &why));
    QCOMPARE(why, error);
}

void TestProvisioning::writerAppendsAndFlushesEachRow()
{
    const QString path = m_dir.filePath("record.csv");
    ProvisioningRecord::Row second = sampleRow();
    second.devEui = QStringLiteral("70B3D5499A0C1E30");
    {
        ProvisioningRecord::Writer writer;
        QString error;
        QVERIFY2(writer.open(path, &error), qPrintable(error));
        QCOMPARE(readAll(path), ProvisioningRecord::formatHeader()); // on disk before any row
        QVERIFY(writer.append(sampleRow(), &error));
        // On disk while the writer still holds the file (a crash now loses nothing).
        QCOMPARE(readAll(path),
                 ProvisioningRecord::formatHeader() + ProvisioningRecord::formatRow(sampleRow()));
    }
    // Appending to the record later: no second header.
    ProvisioningRecord::Writer again;
    QString error;
    QVERIFY(again.open(path, &error));
    QVERIFY(again.append(second, &error));
    QVector<ProvisioningRecord::Row> rows;
    QVERIFY(ProvisioningRecord::parse(readAll(path), &rows, &error));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(1).devEui, QStringLiteral("70B3D5499A0C1E30"));

    // A row cut short without its line end (the program died after writing it): the next row
    // still starts on a line of its own.
    const QString cut = m_dir.filePath("cut.csv");
    QFile f(cut);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QByteArray lastRow = ProvisioningRecord::formatRow(sampleRow());
    lastRow.chop(2);
    f.write(ProvisioningRecord::formatHeader() + lastRow);
    f.close();
    ProvisioningRecord::Writer afterCut;
    QVERIFY2(afterCut.open(cut, &error), qPrintable(error));
    QVERIFY(afterCut.append(second, &error));
    QVERIFY2(ProvisioningRecord::parse(readAll(cut), &rows, &error), qPrintable(error));
    QCOMPARE(rows.size(), 2);
}

void TestProvisioning::writerKeepsAFileThatIsNoRecord()
{
    const QString path = m_dir.filePath("keys-not-a-record.csv");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(keyListText());
    f.close();
    ProvisioningRecord::Writer writer;
    QString error;
    QVERIFY(!writer.open(path, &error));
    QVERIFY(!writer.isOpen());
    QVERIFY2(
        error.startsWith(QStringLiteral("The file '%1' can't be appended to: The file is not a provisioning "
                                        "record")
                             .arg(path)),
        qPrintable(error));
    QCOMPARE(readAll(path), keyListText()); // untouched
    // and the reason never repeats what the file holds
    QCOMPARE(SecretScan::find({error}, {kAppEui, kAppKey}), QString());
    QVERIFY(!writer.append(sampleRow(), &error));
    QVERIFY(!writer.open(m_dir.path(), &error)); // a folder
}

// --- comparison --------------------------------------------------------------------------------

void TestProvisioning::compareFindsDifferences_data()
{
    QTest::addColumn<OrvParamList>("written");
    QTest::addColumn<OrvParamList>("readBack");
    QTest::addColumn<QString>("found"); // "id" or "id missing", comma-separated

    const OrvParamList base{OrvParam(24, QByteArray::fromHex("F4FF")),
                            OrvParam(22, QByteArray::fromHex("8813000032000000"), 0)};
    QTest::newRow("same") << base << base << "";
    QTest::newRow("read back in another order, with more")
        << base << OrvParamList{base.at(1), OrvParam(28, QByteArray::fromHex("d40d")), base.at(0)} << "";
    QTest::newRow("one byte differs")
        << base << OrvParamList{OrvParam(24, QByteArray::fromHex("F5FF")), base.at(1)} << "24";
    QTest::newRow("shorter value") << base
                                   << OrvParamList{OrvParam(24, QByteArray::fromHex("F4")), base.at(1)}
                                   << "24";
    QTest::newRow("missing") << base << OrvParamList{base.at(0)} << "22 missing";
    QTest::newRow("buffer written in chunks, read back whole")
        << OrvParamList{OrvParam(22, QByteArray::fromHex("88130000"), 0),
                        OrvParam(22, QByteArray::fromHex("32000000"), 4)}
        << OrvParamList{base.at(1)} << "";
    QTest::newRow("buffer chunk differs")
        << OrvParamList{OrvParam(22, QByteArray::fromHex("88130000"), 0),
                        OrvParam(22, QByteArray::fromHex("32000000"), 4)}
        << OrvParamList{OrvParam(22, QByteArray::fromHex("8813000032000001"), 0)} << "22";
    QTest::newRow("keys, action and padding are not compared")
        << OrvParamList{OrvParam(1, quint8(8)), OrvParam(0, QByteArray(1, '\0')), OrvParam(6, kAppEui, 0),
                        OrvParam(7, kAppKey, 0), base.at(0)}
        << OrvParamList{base.at(0)} << "";
    QTest::newRow("two differ, ascending ids")
        << base
        << OrvParamList{OrvParam(22, QByteArray::fromHex("00"), 0), OrvParam(24, QByteArray::fromHex("0000"))}
        << "22,24";
}

void TestProvisioning::compareFindsDifferences()
{
    QFETCH(OrvParamList, written);
    QFETCH(OrvParamList, readBack);
    QFETCH(QString, found);
    ParamTables tables;
    tables.registerParam(22, "Tempreature threshold", "Bad threshold configuration", true);
    tables.registerParam(24, "Temperature offset", "Bad offset", false);
    QStringList got;
    for (const Provisioning::Mismatch &m : Provisioning::compare(written, readBack, tables))
        got << (m.missing ? QStringLiteral("%1 missing").arg(m.id) : QString::number(m.id));
    QCOMPARE(got.join(','), found);

    QCOMPARE(Provisioning::describe({22, false}, tables),
             QStringLiteral("Tempreature threshold (22): Bad threshold configuration"));
    QCOMPARE(Provisioning::describe({22, true}, tables),
             QStringLiteral("Tempreature threshold (22): not reported by the device"));
    QCOMPARE(Provisioning::describe({99, false}, tables),
             QStringLiteral("Unknown parameter (99): other value"));
}

// --- one device --------------------------------------------------------------------------------

void TestProvisioning::provisionOneDevice_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("withKeys");
    QTest::addColumn<bool>("successful");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QStringList>("boxes");  // titles, in order
    QTest::addColumn<bool>("configWritten"); // the device holds the file's temperature offset
    QTest::addColumn<bool>("keysWritten");

    // What the write changed, as the page shows it, is the reason of a successful device.
    const QString changed = QStringLiteral("changed: Temperature Offset: 0.10 °C → 0.00 °C");
    QTest::newRow("accepted") << "" << false << true << changed << QStringList() << true << false;
    QTest::newRow("accepted with keys") << "" << true << true << changed << QStringList() << true << true;
    QTest::newRow("refused parameter")
        << "refuse22" << true << false
        << "parameters refused: Tempreature threshold (22): Bad threshold configuration"
        << QStringList{"Apply configuration failed"} << true << false;
    QTest::newRow("another device type") << "type27" << true << false
                                         << "configuration file refused: No ORV matched: The specified file "
                                            "is for ORV 'PINC-3', your present ORV is "
                                            "'PTC-CT'.You must specifies or connect the same ORV type."
                                         << QStringList{"No ORV matched"} << false << false;
    QTest::newRow("other module, cancelled") << "kiv13" << true << false
                                             << "configuration file refused: No KIV matched: The specified "
                                                "file is for KIV 'KLSB', your present KIV is "
                                                "''.You must specifies or connect the same KIV type."
                                             << QStringList{"No KIV matched"} << false << false;
    QTest::newRow("cable pulled during the write")
        << "unplug" << true << false
        << "write failed: Apply configuration failed !: No/Bad response from device! Please retry to apply "
           "the "
           "configuration."
        << QStringList{"Apply configuration failed !"} << false << false;
    // The identification said ...1E30 (another device of the key list); asked again before the
    // keys, the device says what it is.
    QTest::newRow("DevEUI misread at identification")
        << "misread" << true << false
        << "keys not written: the DevEUI read again (70B3D5499A0C1E2F) differs from the one identified "
           "(70B3D5499A0C1E30)"
        << QStringList() << true << false;
    QTest::newRow("no identification before the keys")
        << "silent-identify" << true << false << "keys not written: the device did not tell its DevEUI again"
        << QStringList() << true << false;
    QTest::newRow("key refused") << "refuse7" << true << false << "keys not written: Can't set AppKey"
                                 << QStringList{"Apply configuration failed"} << true << false;
}

void TestProvisioning::provisionOneDevice()
{
    QFETCH(QString, fault);
    QFETCH(bool, withKeys);
    QFETCH(bool, successful);
    QFETCH(QString, reason);
    QFETCH(QStringList, boxes);
    QFETCH(bool, configWritten);
    QFETCH(bool, keysWritten);

    // The file sets a temperature offset that the fresh device does not hold.
    QString path = configFor(m_dir, "site.ocf", 28, 14);
    if (fault == "type27")
        path = configFor(m_dir, "type27.ocf", 27, 14);
    else if (fault == "kiv13")
        path = configFor(m_dir, "kiv13.ocf", 28, 13);
    QVERIFY(!path.isEmpty());
    m_dev->setParam(24, QByteArray::fromHex("0A00"));

    if (fault == "misread")
        m_dev->setIdentifier(QByteArray::fromHex("70B3D5499A0C1E30"));
    std::unique_ptr<DeviceSession> session = connect();
    QVERIFY(session);
    if (fault == "misread")
        m_dev->setIdentifier(kDevEui);
    else if (fault == "silent-identify")
        m_dev->setFault(SimFault(SimFault::Silent).onAction(Protocol::kActIdentify));
    if (fault == "refuse22")
        m_dev->setRefused(22);
    else if (fault == "refuse7")
        m_dev->setRefused(7);
    else if (fault == "unplug")
        m_dev->setFault(SimFault::unplugAfterRequests(0).onAction(0));
    else if (fault == "kiv13")
        m_rep.answer(Reporter::Cancel);

    LogRecorder log;
    Provisioning::Run run;
    run.setConfigFile(path);
    run.setVerify(true);
    if (withKeys) {
        KeyList keys;
        QVERIFY(keys.parse(keyListText(), nullptr));
        run.setKeyList(keys);
    }
    const Provisioning::Outcome outcome = run.provision(*session);
    QCOMPARE(outcome.successful, successful);
    QCOMPARE(outcome.reason, reason);
    QStringList titles;
    while (m_rep.hasBoxes())
        titles << m_rep.takeBox().title;
    QCOMPARE(titles, boxes);
    QCOMPARE(m_dev->param(24) != QByteArray::fromHex("0A00"), configWritten);
    if (!configWritten && fault != "unplug")
        QCOMPARE(m_dev->requestCount(), 0); // nothing sent after a refused file
    QCOMPARE(m_dev->appKey() == kAppKey && m_dev->appEui() == kAppEui, keysWritten);
    QVERIFY(m_dev->appKey() != kOtherAppKey && m_dev->appEui() != kOtherAppEui);
    QCOMPARE(run.provisioned().contains(session->identifier()), successful);
    QCOMPARE(
        outcome.configSha256,
        QString::fromLatin1(QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256).toHex()));

    const ProvisioningRecord::Row row = run.row(*session, outcome);
    QStringList texts{outcome.reason, QString::fromUtf8(ProvisioningRecord::formatRow(row))};
    texts << log.all();
    QCOMPARE(SecretScan::find(texts, {kAppEui, kAppKey, kOtherAppEui, kOtherAppKey}), QString());
}

void TestProvisioning::verificationCatchesAStoredDifference()
{
    const QString path = configFor(m_dir, "site.ocf", 28, 14);
    std::unique_ptr<DeviceSession> session = connect();
    QVERIFY(session);
    m_dev->setFault(SimFault::storesOtherValue(24));

    Provisioning::Run run;
    run.setConfigFile(path);
    // Without the read-back the write looks fine: the device acknowledged every parameter.
    Provisioning::Outcome outcome = run.provision(*session);
    QVERIFY(outcome.successful);
    QCOMPARE(m_rep.statusTexts().last(), QStringLiteral("Apply configuration to Pelm, has succeeded !"));

    run.setVerify(true);
    outcome = run.provision(*session);
    QVERIFY(!outcome.successful);
    QCOMPARE(outcome.reason,
             QStringLiteral("read-back differs: %1 (24): %2; DevEUI already provisioned in this run")
                 .arg(session->tables().name(24), session->tables().error(24)));
    QVERIFY(!session->tables().name(24).isEmpty());
    QVERIFY(!m_rep.hasBoxes());
}

void TestProvisioning::missingKeysLeaveTheDeviceUntouched()
{
    const QString path = configFor(m_dir, "site.ocf", 28, 14);
    m_dev->setIdentifier(QByteArray::fromHex("70B3D5499A0C1EFF"));
    std::unique_ptr<DeviceSession> session = connect();
    QVERIFY(session);
    Provisioning::Run run;
    run.setConfigFile(path);
    KeyList keys;
    QVERIFY(keys.parse(keyListText(), nullptr));
    run.setKeyList(keys);
    const Provisioning::Outcome outcome = run.provision(*session);
    QVERIFY(!outcome.successful);
    QVERIFY(!outcome.written);
    QCOMPARE(outcome.reason, QStringLiteral("DevEUI 70B3D5499A0C1EFF is not in the key list"));
    QCOMPARE(m_dev->requestCount(), 0);
    QVERIFY(!m_rep.hasBoxes());

    // A device without DevEUI can't be matched with keys either.
    m_dev->setIdentifier(QByteArray());
    session = connect();
    QVERIFY(session);
    QCOMPARE(run.provision(*session).reason,
             QStringLiteral("the device reports no DevEUI, so no keys can be chosen"));
    QCOMPARE(m_dev->requestCount(), 0);
}

void TestProvisioning::repeatedDevEuiIsFlagged()
{
    const QString path = configFor(m_dir, "site.ocf", 28, 14);
    Provisioning::Run run;
    run.setConfigFile(path);
    std::unique_ptr<DeviceSession> session = connect();
    QVERIFY(session);
    m_dev->setRefused(22);
    Provisioning::Outcome outcome = run.provision(*session);
    m_rep.takeBox();
    QVERIFY(!outcome.repeated); // a failed device is not provisioned: trying again is no repeat
    m_dev->setRefused(22, false);
    outcome = run.provision(*session);
    QVERIFY(outcome.successful);
    QVERIFY(!outcome.repeated);
    QCOMPARE(outcome.reason, QStringLiteral("nothing changed"));
    outcome = run.provision(*session);
    QVERIFY(outcome.successful);
    QVERIFY(outcome.repeated);
    QCOMPARE(outcome.reason, QStringLiteral("nothing changed; DevEUI already provisioned in this run"));
}

void TestProvisioning::rowDescribesTheDevice()
{
    Clock::setFixed(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 640), Qt::UTC));
    const QString path = configFor(m_dir, "site.ocf", 28, 14);
    std::unique_ptr<DeviceSession> session = connect();
    QVERIFY(session);
    Provisioning::Run run;
    run.setConfigFile(path);
    const Provisioning::Outcome outcome = run.provision(*session);
    const ProvisioningRecord::Row row = run.row(*session, outcome);
    QCOMPARE(row.time, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC));
    QCOMPARE(row.devEui, QStringLiteral("70B3D5499A0C1E2F"));
    QCOMPARE(row.identity, session->identityText());
    QVERIFY(row.identity.endsWith(QStringLiteral("70B3D5499A0C1E2F")));
    QCOMPARE(row.deviceRevision, QStringLiteral("1.0.0"));
    QCOMPARE(row.moduleRevision, QStringLiteral("102"));
    QCOMPARE(row.configFile, QStringLiteral("site.ocf"));
    QCOMPARE(row.configSha256.size(), 64);
    QVERIFY(row.successful);
    QCOMPARE(row.reason, QStringLiteral("nothing changed"));
}

QTEST_GUILESS_MAIN(TestProvisioning)
#include "tst_provisioning.moc"

// Configuration file codec: reading the identity and the parameters, the refusals and their
// messages, the writer's layout and keys, and the safety of a save.

#include "common/Clock.h"
#include "device/model/Catalog.h"
#include "device/files/ConfigFile.h"
#include "device/family/FamilyParams.h"
#include "support/RecordingReporter.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace {

constexpr int kStatusMs = Reporter::kStatusTimeoutMs;
const QString kDefaultConfig = QStringLiteral(":/orv/configs/PTC-CT/PTC-CT_1.0.0.ocf");
/// Placeholder of the expected texts for the file label ("default" or the path).
const QString kLabel = QStringLiteral("<label>");

DeviceIdentity device(int orvType, int orvRev, int kivType, int kivRev)
{
    DeviceIdentity id;
    id.orvType = orvType;
    id.orvRev = orvRev;
    id.kivType = kivType;
    id.kivRev = kivRev;
    return id;
}

/// The offline device of the accepted family.
DeviceIdentity offline()
{
    return device(Catalog::kAcceptedType, Catalog::kAcceptedMinRev, Catalog::kAcceptedKiv, -1);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString dataFile(const char *name)
{
    return QStringLiteral(PELM_TEST_DATA "/") + QLatin1String(name);
}

OrvParamList sorted(OrvParamList list)
{
    std::sort(list.begin(), list.end(), [](const OrvParam &a, const OrvParam &b) {
        if (a.id() != b.id())
            return a.id() < b.id();
        if (a.index() != b.index())
            return a.index() < b.index();
        if (a.isBuf() != b.isBuf())
            return a.isBuf() < b.isBuf();
        return a.data() < b.data();
    });
    return list;
}

/// The records of the default configuration, in key order.
OrvParamList defaultRecords()
{
    const auto h = [](const char *hex) { return QByteArray::fromHex(hex); };
    return {
        OrvParam(28, h("d40d")),                // Ble period
        OrvParam(23, h("dc0532000a000000"), 0), // Current threshold
        OrvParam(20, h("000100"), 0),           // Data logging
        OrvParam(3, h("00")),                   // Keep alive
        OrvParam(4, h("00"), 0),                // Radio Conifuration
        OrvParam(5, h("01")),                   // Radio technology
        OrvParam(59, h("1100")),                // Sending Interface
        OrvParam(24, h("0000")),                // Temperature Offset
        OrvParam(25, h("0000")),                // Temperature coefficient
        OrvParam(22, h("8813000032000000"), 0), // Tempreature threshold
        OrvParam(58, h("00")),                  // Thermocouple state
        OrvParam(11, h("00")),                  // Timestamp
    };
}

/// Records that a save must keep apart: two chunks of one buffer parameter, two records of one
/// id, a record without a registered name, a non-ASCII name and an empty value.
OrvParamList mixedRecords()
{
    return {
        OrvParam(28, QByteArray::fromHex("D40D")),
        OrvParam(22, QByteArray::fromHex("88130000"), 0),
        OrvParam(22, QByteArray::fromHex("32000000"), 4),
        OrvParam(3, quint8(0)),
        OrvParam(3, quint8(1)),
        OrvParam(40, QByteArray::fromHex("ABCD")),
        OrvParam(41, QByteArray::fromHex("01")),
        OrvParam(50, QByteArray::fromHex("FF")),
        OrvParam(11, QByteArray()),
    };
}

ParamTables mixedTables()
{
    ParamTables t = FamilyParams::thermocoupleTables();
    t.registerParam(50, QStringLiteral("Température"), QString(), false);
    return t;
}

} // namespace

class TestConfigFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void genDate();

    void readInfoFields();
    void readInfoLenientNumbers();
    void readInfoFailures_data();
    void readInfoFailures();

    void readRecords();
    void readFailures_data();
    void readFailures();
    void readOtherModule_data();
    void readOtherModule();
    void sizeLimit_data();
    void sizeLimit();
    void readRefusesWhatIsNotAFile();

    void defaultResource();
    void defaultResourceInWriterLayout();

    void writeLayout();
    void writeKeys_data();
    void writeKeys();
    void writeReadsBack();
    void writeOpenFailure_data();
    void writeOpenFailure();
    void failedSaveKeepsPreviousFile();
    void saveReplacesPreviousFile();
    void writeRefusesWhatIsNotAFile();

private:
    RecordingReporter m_rep;
    QTemporaryDir m_dir;
};

void TestConfigFile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    OrvList::instance(); // registers the core resources
    // The identity of the program that wrote the default configuration and the fixtures.
    QCoreApplication::setApplicationName(QStringLiteral("Pelm Configurator"));
    QCoreApplication::setOrganizationName(QStringLiteral("Pelm"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    Clock::setFixed(QDateTime(QDate(2020, 1, 7), QTime(14, 43, 18), Qt::UTC));
}

void TestConfigFile::cleanupTestCase()
{
    Clock::setFixed(QDateTime());
}

void TestConfigFile::init()
{
    m_rep.clear();
}

void TestConfigFile::cleanup()
{
    VERIFY_NO_PENDING_BOXES(m_rep);
}

void TestConfigFile::genDate()
{
    // main() runs the test in the C locale, whose short names are the English ones.
    QCOMPARE(ConfigFile::genDateText(QDateTime(QDate(2020, 1, 7), QTime(14, 43, 18), Qt::UTC)),
             QStringLiteral("Tue Jan 07 14:43:18 2020 GMT"));
    // A moment given in another zone is written in UTC (the day changes here).
    QCOMPARE(
        ConfigFile::genDateText(QDateTime(QDate(2021, 3, 1), QTime(1, 5, 9), Qt::OffsetFromUTC, 2 * 3600)),
        QStringLiteral("Sun Feb 28 23:05:09 2021 GMT"));
}

void TestConfigFile::readInfoFields()
{
    ConfigFile::Info info;
    QCOMPARE(ConfigFile::readInfo(dataFile("cfg_info.ocf"), &info).presentTo(m_rep), 0);
    QCOMPARE(info.orvName, QStringLiteral("Pelm/PTC-CT"));
    QCOMPARE(info.orvType, 28);
    QCOMPARE(info.orvRev, 288);
    QCOMPARE(info.kivType, 14);
    QCOMPARE(info.kivRev, 515);
    QCOMPARE(info.appName, QStringLiteral("Other Tool"));
    QCOMPARE(info.appOrga, QStringLiteral("Someone"));
    QCOMPARE(info.appVersion, QStringLiteral("2.3.4"));
    QCOMPARE(info.genDate, QStringLiteral("Wed Feb 05 09:08:07 2020 GMT"));
    // Every output is optional.
    QCOMPARE(ConfigFile::readInfo(dataFile("cfg_info.ocf"), nullptr).presentTo(m_rep), 0);
    QVERIFY(m_rep.statuses.isEmpty());
}

void TestConfigFile::readInfoLenientNumbers()
{
    const QString path = m_dir.filePath(QStringLiteral("lenient.ocf"));
    QVERIFY(writeAll(path, R"({"main": {"appName": "x"},
                               "orv": {"orvType": "28", "orvRev": 256.9, "kivType": 1e12, "orvName": 5}})"));
    ConfigFile::Info info;
    info.kivRev = 77;
    QCOMPARE(ConfigFile::readInfo(path, &info).presentTo(m_rep), 0);
    QCOMPARE(info.orvType, 0);  // text, not a number
    QCOMPARE(info.orvRev, 256); // truncated
    QCOMPARE(info.kivType, 0);  // out of range
    QCOMPARE(info.kivRev, 0);   // missing
    QCOMPARE(info.orvName, QString());
    QCOMPARE(info.appName, QStringLiteral("x"));
}

void TestConfigFile::readInfoFailures_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const QString open = QStringLiteral("Can't open file '<label>'!");
    const QString sections =
        QStringLiteral("The file '<label>' don't has main section or Pelm section! The file is "
                       "uncompleted and can't be loaded.");
    QTest::newRow("missing file") << QByteArray() << "File error" << open;
    QTest::newRow("unparsable") << QByteArray(R"({"main": {"appName": "x"}, "orv": {"orvType": 28)")
                                << "Error file" << sections;
    QTest::newRow("no main") << QByteArray(R"({"orv": {"orvType": 28}})") << "Error file" << sections;
    QTest::newRow("empty main") << QByteArray(R"({"main": {}, "orv": {"orvType": 28}})") << "Error file"
                                << sections;
    QTest::newRow("no orv") << QByteArray(R"({"main": {"appName": "x"}})") << "Error file" << sections;
    QTest::newRow("empty orv") << QByteArray(R"({"main": {"appName": "x"}, "orv": {}})") << "Error file"
                               << sections;
}

void TestConfigFile::readInfoFailures()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, title);
    QFETCH(QString, text);
    const QString path = m_dir.filePath(QStringLiteral("info.ocf"));
    QFile::remove(path);
    if (!content.isNull())
        QVERIFY(writeAll(path, content));

    ConfigFile::Info info;
    QCOMPARE(ConfigFile::readInfo(path, &info).presentTo(m_rep), -1);
    QCOMPARE(m_rep.boxes.size(), 1);
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.icon, Reporter::Critical);
    QCOMPARE(b.title, title);
    QCOMPARE(b.text, QString(text).replace(kLabel, path));
    QCOMPARE(b.buttons, int(Reporter::Ok));
    QVERIFY(!b.parent);
    QVERIFY(m_rep.statuses.isEmpty());
}

void TestConfigFile::readRecords()
{
    OrvParamList out{OrvParam(99, quint8(1))};
    QCOMPARE(ConfigFile::read(dataFile("cfg_unordered.ocf"), false, offline(), out).presentTo(m_rep), 5);
    // Key order, whatever the order in the file; "No id" (no "param") and "Out of range" (ids
    // are bytes: 300 is 0) are no configuration parameters and are left out, named in a warning.
    const OrvParamList expected{
        OrvParam(28, QByteArray::fromHex("D40D")),        // "Ble period": upper-case digits
        OrvParam(20, QByteArray::fromHex("000100"), 0),   // "Data logging"
        OrvParam(3, QByteArray::fromHex("0A")),           // "Keep alive": index of an ordinary record ignored
        OrvParam(22, QByteArray::fromHex("88130000"), 5), // "Tempreature threshold": separators skipped
        OrvParam(11, QByteArray::fromHex("00")),          // "Timestamp"
    };
    QCOMPARE(out, expected);
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.icon, Reporter::Warning);
    QCOMPARE(b.title, QStringLiteral("Check parameters"));
    QCOMPARE(b.text, QStringLiteral("Some records of the file '%1' are not configuration parameters of this "
                                    "device:\n\n    - parameter 0 is unknown to this device and was left out")
                         .arg(dataFile("cfg_unordered.ocf")));
    QVERIFY(m_rep.statuses.isEmpty());
}

void TestConfigFile::readFailures_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file
    QTest::addColumn<bool>("isDefault");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("defaultButton");

    const QByteArray params =
        R"("params": {"Keep alive": {"data": "00", "index": 0, "isBuf": false, "param": 3}})";
    const QByteArray main = R"("main": {"appName": "Pelm Configurator"})";
    const auto doc = [&](const QByteArray &orv, const QByteArray &members) {
        QByteArray d = "{" + main;
        if (!orv.isNull())
            d += ", \"orv\": " + orv;
        if (!members.isNull())
            d += ", " + members;
        return d + "}";
    };
    const QByteArray orv =
        R"({"kivRev": -1, "kivType": 14, "orvName": "Pelm/PTC-CT", "orvRev": 256, "orvType": 28})";

    const int crit = Reporter::Critical, ok = Reporter::Ok, none = Reporter::NoButton;
    const QString open = QStringLiteral("Can't open file '<label>'!");
    const QString noOrv =
        QStringLiteral("The file '<label>' don't has Pelm section! The file is uncompleted and can't "
                       "loaded.");
    const QString noParams =
        QStringLiteral("The file '<label>' don't have a parameters! The file is uncompleted and "
                       "can't loaded.");
    const QString otherOrv =
        QStringLiteral("The specified file is for ORV '%1', your present ORV is 'PTC-CT'.You must "
                       "specifies or connect the same ORV type.");

    QTest::newRow("missing file") << QByteArray() << false << -1 << crit << "File error" << open << ok
                                  << none;
    QTest::newRow("missing default") << QByteArray() << true << -1 << crit << "File error" << open << ok
                                     << none;
    QTest::newRow("unparsable") << doc(orv, params).left(60) << false << -1 << crit << "Error file" << noOrv
                                << ok << none;
    QTest::newRow("no orv") << doc(QByteArray(), params) << false << -1 << crit << "Error file" << noOrv << ok
                            << none;
    QTest::newRow("empty orv, complete params")
        << doc("{}", params) << false << -1 << crit << "Error file" << noOrv << ok << none;
    QTest::newRow("orv not an object")
        << doc("28", params) << true << -1 << crit << "Error file" << noOrv << ok << none;
    QTest::newRow("other device type")
        << doc(R"({"orvType": 3, "orvRev": 256, "kivType": 14})", params) << false << 0 << crit
        << "No ORV matched" << otherOrv.arg("PT-2P") << int(Reporter::Cancel) << int(Reporter::Cancel);
    QTest::newRow("other device and module type: device first")
        << doc(R"({"orvType": 20, "kivType": 5})", params) << false << 0 << crit << "No ORV matched"
        << otherOrv.arg("XXX") << int(Reporter::Cancel) << int(Reporter::Cancel);
    QTest::newRow("no device type") << doc(R"({"kivType": 14})", params) << false << 0 << crit
                                    << "No ORV matched" << otherOrv.arg("XXX") << int(Reporter::Cancel)
                                    << int(Reporter::Cancel);
    QTest::newRow("empty params") << doc(orv, R"("params": {})") << false << -1 << crit << "Error file"
                                  << noParams << ok << none;
    QTest::newRow("empty params, default")
        << doc(orv, R"("params": {})") << true << -1 << crit << "Error file" << noParams << ok << none;
    QTest::newRow("no params") << doc(orv, QByteArray()) << false << -1 << crit << "Error file" << noParams
                               << ok << none;
}

void TestConfigFile::readFailures()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, isDefault);
    QFETCH(int, result);
    QFETCH(int, icon);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(int, buttons);
    QFETCH(int, defaultButton);

    const QString path = m_dir.filePath(QStringLiteral("read.ocf"));
    QFile::remove(path);
    if (!content.isNull())
        QVERIFY(writeAll(path, content));
    const QString label = isDefault ? QStringLiteral("default") : path;

    OrvParamList out{OrvParam(99, quint8(1))};
    QCOMPARE(ConfigFile::read(path, isDefault, offline(), out).presentTo(m_rep), result);
    QVERIFY(out.isEmpty());
    QCOMPARE(m_rep.boxes.size(), 1);
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(int(b.icon), icon);
    QCOMPARE(b.title, title);
    QCOMPARE(b.text, QString(text).replace(kLabel, label));
    QCOMPARE(b.informativeText, QString());
    QCOMPARE(b.buttons, buttons);
    QCOMPARE(b.defaultButton, defaultButton);
    QVERIFY(!b.parent);
    QCOMPARE(m_rep.statuses.size(), 1);
    QCOMPARE(m_rep.statuses.first().first,
             QStringLiteral("Load configuration from '%1' has failed !").arg(label));
    QCOMPARE(m_rep.statuses.first().second, kStatusMs);
}

void TestConfigFile::readOtherModule_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("result");
    QTest::addColumn<OrvParamList>("records");
    QTest::newRow("Open") << int(Reporter::Open) << 2
                          << OrvParamList{OrvParam(28, QByteArray::fromHex("d40d")), OrvParam(3, quint8(0))};
    QTest::newRow("Cancel") << int(Reporter::Cancel) << 0 << OrvParamList();
}

void TestConfigFile::readOtherModule()
{
    QFETCH(int, answer);
    QFETCH(int, result);
    QFETCH(OrvParamList, records);
    // Revisions are not compared; a file of another module type asks first.
    const QString path = m_dir.filePath(QStringLiteral("module.ocf"));
    QVERIFY(writeAll(path, R"({"orv": {"orvType": 28, "orvRev": 4096, "kivType": 5, "kivRev": 1},
                               "params": {"Keep alive": {"data": "00", "param": 3},
                                          "Ble period": {"data": "d40d", "param": 28}}})"));
    m_rep.answer(answer);
    OrvParamList out;
    QCOMPARE(ConfigFile::read(path, false, device(28, 0x0100, 14, 0x0205), out, ConfigFile::askOn(m_rep))
                 .presentTo(m_rep),
             result);
    QCOMPARE(out, records);

    QCOMPARE(m_rep.boxes.size(), 1);
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.icon, Reporter::Warning);
    QCOMPARE(b.title, QStringLiteral("No KIV matched"));
    QCOMPARE(b.text, QStringLiteral(
                         "The specified file is for KIV 'KLRW', your present KIV is ''.You must specifies or "
                         "connect the same KIV type."));
    QCOMPARE(b.informativeText, QStringLiteral("Do you want to processes opening file anyway ?"));
    QCOMPARE(b.buttons, int(Reporter::Open | Reporter::Cancel));
    QCOMPARE(b.defaultButton, int(Reporter::Cancel));
    QVERIFY(!b.parent);
    if (result == 0)
        QCOMPARE(m_rep.statusTexts(),
                 QStringList{QStringLiteral("Load configuration from '%1' has failed !").arg(path)});
    else
        QVERIFY(m_rep.statuses.isEmpty());

    // Nobody to confirm: the file is not opened, and the question is not left behind as a box
    // shown after the fact.
    m_rep.clear();
    out = OrvParamList{OrvParam(3, quint8(1))};
    const Reported<int> unasked = ConfigFile::read(path, false, device(28, 0x0100, 14, 0x0205), out);
    QCOMPARE(unasked.value, 0);
    QVERIFY(out.isEmpty());
    QVERIFY(!unasked.outcome.hasBox());
    QCOMPARE(unasked.outcome.lastStatus(),
             QStringLiteral("Load configuration from '%1' has failed !").arg(path));
}

void TestConfigFile::defaultResource()
{
    QCOMPARE(OrvList::instance().defaultConfig(28, 0x0100, 14), kDefaultConfig);
    OrvParamList out;
    QCOMPARE(ConfigFile::read(kDefaultConfig, true, offline(), out).presentTo(m_rep), 12);
    QCOMPARE(out, defaultRecords());
    QVERIFY(m_rep.statuses.isEmpty());
    // The family registers every parameter of its default configuration, with the same buffer flag.
    const ParamTables tables = FamilyParams::thermocoupleTables();
    for (const OrvParam &p : out) {
        QVERIFY2(tables.isKnown(p.id()), qPrintable(QString::number(p.id())));
        QCOMPARE(p.isBuf(), tables.isBuffer(p.id()));
    }

    ConfigFile::Info info;
    QCOMPARE(ConfigFile::readInfo(kDefaultConfig, &info).presentTo(m_rep), 0);
    QCOMPARE(info.orvName, QStringLiteral("Pelm/PTC-CT"));
    QCOMPARE(info.orvType, 28);
    QCOMPARE(info.orvRev, 256);
    QCOMPARE(info.kivType, 14);
    QCOMPARE(info.kivRev, -1);
    QCOMPARE(info.appName, QStringLiteral("Pelm Configurator"));
    QCOMPARE(info.appOrga, QStringLiteral("Pelm"));
    QCOMPARE(info.appVersion, QStringLiteral("1.0.0"));
    QCOMPARE(info.genDate, QStringLiteral("Tue Jan 07 14:43:18 2020 GMT"));
}

void TestConfigFile::defaultResourceInWriterLayout()
{
    // Written again by this program at its generation date, the resource comes out unchanged.
    QCOMPARE(QString::fromUtf8(
                 ConfigFile::toJson(offline(), FamilyParams::thermocoupleTables(), defaultRecords())),
             QString::fromUtf8(readAll(kDefaultConfig)));
}

void TestConfigFile::writeLayout()
{
    const OrvParamList records{
        OrvParam(28, QByteArray::fromHex("D40D")),
        OrvParam(22, QByteArray::fromHex("88130000"), 0),
        OrvParam(22, QByteArray::fromHex("32000000"), 4),
        OrvParam(3, quint8(0)),
        OrvParam(3, quint8(1)),
        OrvParam(40, QByteArray::fromHex("ABCD")),
    };
    const QString path = m_dir.filePath(QStringLiteral("layout.ocf"));
    QCOMPARE(ConfigFile::write(path, offline(), FamilyParams::thermocoupleTables(), records).presentTo(m_rep),
             0);
    QCOMPARE(QString::fromUtf8(readAll(path)), QString::fromUtf8(readAll(dataFile("cfg_written.ocf"))));
    QCOMPARE(m_rep.statuses.size(), 1);
    QCOMPARE(m_rep.statuses.first().first,
             QStringLiteral("Save configuration to '%1' has succeeded !").arg(path));
    QCOMPARE(m_rep.statuses.first().second, kStatusMs);
}

void TestConfigFile::writeKeys_data()
{
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<QStringList>("keys"); // the key of each record, in list order
    // An empty key: the record is left out (no configuration parameter of the family).
    QTest::newRow("one name three times")
        << QList<int>{3, 3, 3} << QStringList{"Keep alive", "Keep alive #2", "Keep alive #3"};
    QTest::newRow("ids the family doesn't know")
        << QList<int>{40, 41, 3, 43, 44} << QStringList{"", "", "Keep alive", "", ""};
    QTest::newRow("action id, padding id and keys")
        << QList<int>{1, 0, 6, 7, 28} << QStringList{"", "", "", "", "Ble period"};
    QTest::newRow("generated key taken by an unknown id")
        << QList<int>{42, 3, 3} << QStringList{"", "Keep alive", "Keep alive #2"};
}

void TestConfigFile::writeKeys()
{
    QFETCH(QList<int>, ids);
    QFETCH(QStringList, keys);
    ParamTables tables = FamilyParams::thermocoupleTables();
    tables.registerParam(42, QStringLiteral("Keep alive #2"), QString(), false);
    tables.registerParam(43, QString(), QString(), false);
    tables.registerParam(44, QStringLiteral("Parameter 40"), QString(), false);

    // Record i holds the byte i, so each key can be traced to its record.
    OrvParamList records;
    for (int i = 0; i < ids.size(); ++i)
        records.append(OrvParam(quint8(ids.at(i)), quint8(i)));
    const QJsonObject params = QJsonDocument::fromJson(ConfigFile::toJson(offline(), tables, records))
                                   .object()
                                   .value("params")
                                   .toObject();
    QCOMPARE(params.size(), keys.size() - keys.count(QString()));
    for (int i = 0; i < ids.size(); ++i) {
        if (keys.at(i).isEmpty())
            continue;
        const QJsonObject member = params.value(keys.at(i)).toObject();
        QVERIFY2(!member.isEmpty(), qPrintable(keys.at(i)));
        QCOMPARE(member.value("param").toInt(-1), ids.at(i));
        QCOMPARE(member.value("data").toString(), QString::fromLatin1(QByteArray(1, char(i)).toHex()));
    }
}

void TestConfigFile::writeReadsBack()
{
    const QString path = m_dir.filePath(QStringLiteral("roundtrip.ocf"));
    ParamTables tables = mixedTables();
    tables.registerParam(28, QStringLiteral("Température"), QString(), false);
    QCOMPARE(ConfigFile::write(path, offline(), tables, mixedRecords()).presentTo(m_rep), 0);
    // The data texts are lower case; ids the family doesn't know (40, 41, 50) are not written.
    const QByteArray text = readAll(path);
    QVERIFY(text.contains("\"data\": \"d40d\""));
    QVERIFY(!text.contains("\"data\": \"abcd\""));
    QVERIFY(text.contains("Température"));

    OrvParamList known;
    for (const OrvParam &p : mixedRecords()) {
        if (p.id() != 40 && p.id() != 41 && p.id() != 50)
            known.append(p);
    }
    OrvParamList out;
    QCOMPARE(ConfigFile::read(path, false, offline(), out).presentTo(m_rep), known.size());
    QCOMPARE(sorted(out), sorted(known));
    m_rep.statuses.clear();
}

void TestConfigFile::writeOpenFailure_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("target is a directory") << QStringLiteral("adir");
    QTest::newRow("directory missing") << QStringLiteral("missing/new.ocf");
}

void TestConfigFile::writeOpenFailure()
{
    QFETCH(QString, target);
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("adir")));
    const QString path = m_dir.filePath(target);
    QCOMPARE(ConfigFile::write(path, offline(), mixedTables(), mixedRecords()).presentTo(m_rep), -1);
    QCOMPARE(m_rep.boxes.size(), 1);
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.icon, Reporter::Critical);
    QCOMPARE(b.title, QStringLiteral("File error"));
    QCOMPARE(b.text, QStringLiteral("Can't write file '%1'!").arg(path));
    QCOMPARE(m_rep.statusTexts(),
             QStringList{QStringLiteral("Save configuration to '%1' has failed !").arg(path)});
    QCOMPARE(m_rep.statuses.first().second, kStatusMs);
    QVERIFY(QFileInfo(m_dir.filePath(QStringLiteral("adir"))).isDir());
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("missing"))));
}

void TestConfigFile::failedSaveKeepsPreviousFile()
{
#ifdef Q_OS_UNIX
    // A file-size limit makes the write of the document fail, for root as for anyone; the
    // previous file (larger than the limit) must come out of the failed save untouched.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("previous.ocf"));
    const QByteArray previous = readAll(kDefaultConfig);
    QVERIFY(writeAll(path, previous));

    constexpr rlim_t kLimitBytes = 64;
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    rlimit small = saved;
    small.rlim_cur = kLimitBytes;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &small) != 0) {
        std::signal(SIGXFSZ, oldHandler);
        QSKIP("can't set a file-size limit here");
    }
    const int result = ConfigFile::write(path, offline(), mixedTables(), mixedRecords()).presentTo(m_rep);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(result, -1);
    QCOMPARE(readAll(path), previous);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("previous.ocf")});
    // A failed save is a box the user must acknowledge, not only a passing status line.
    QCOMPARE(m_rep.takeBox().text, QStringLiteral("Can't write file '%1'!").arg(path));
    QCOMPARE(m_rep.statusTexts(),
             QStringList{QStringLiteral("Save configuration to '%1' has failed !").arg(path)});
    QCOMPARE(m_rep.statuses.first().second, kStatusMs);
#else
    QSKIP("needs a file-size limit (Unix)");
#endif
}

void TestConfigFile::saveReplacesPreviousFile()
{
    const QString path = m_dir.filePath(QStringLiteral("replace.ocf"));
    QVERIFY(writeAll(path, QByteArray(20000, 'x')));
    const OrvParamList records{OrvParam(3, quint8(5))};
    QCOMPARE(ConfigFile::write(path, offline(), mixedTables(), records).presentTo(m_rep), 0);
    QCOMPARE(readAll(path), ConfigFile::toJson(offline(), mixedTables(), records));
    OrvParamList out;
    QCOMPARE(ConfigFile::read(path, false, offline(), out).presentTo(m_rep), 1);
    QCOMPARE(out, records);
    m_rep.statuses.clear();
}

void TestConfigFile::sizeLimit_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("at the limit") << qint64(ConfigFile::kMaxFileBytes) << true;
    QTest::newRow("one byte more") << qint64(ConfigFile::kMaxFileBytes) + 1 << false;
}

void TestConfigFile::sizeLimit()
{
    QFETCH(qint64, size);
    QFETCH(bool, accepted);
    QCOMPARE(ConfigFile::kMaxFileBytes, 4 * 1024 * 1024);
    // The default configuration, padded with white space to the size.
    QByteArray bytes = readAll(kDefaultConfig);
    QVERIFY(bytes.size() < size);
    bytes.append(QByteArray(int(size - bytes.size()), ' '));
    const QString path = m_dir.filePath(QStringLiteral("large.ocf"));
    QVERIFY(writeAll(path, bytes));
    const QString tooLarge =
        QStringLiteral("The file '%1' is too large for a configuration file (more than 4 MiB)! "
                       "It can't be loaded.");

    ConfigFile::Info info;
    QCOMPARE(ConfigFile::readInfo(path, &info).presentTo(m_rep), accepted ? 0 : -1);
    OrvParamList out;
    QCOMPARE(ConfigFile::read(path, false, offline(), out).presentTo(m_rep), accepted ? 12 : -1);
    if (accepted) {
        QCOMPARE(info.orvType, 28);
        QVERIFY(m_rep.boxes.isEmpty());
        QVERIFY(m_rep.statuses.isEmpty());
        return;
    }
    for (int i = 0; i < 2; ++i) {
        const Reporter::Box b = m_rep.takeBox();
        QCOMPARE(b.icon, Reporter::Critical);
        QCOMPARE(b.title, QStringLiteral("File error"));
        QCOMPARE(b.text, tooLarge.arg(path));
    }
    QCOMPARE(m_rep.statusTexts(),
             QStringList{QStringLiteral("Load configuration from '%1' has failed !").arg(path)});
}

void TestConfigFile::readRefusesWhatIsNotAFile()
{
#ifdef Q_OS_UNIX
    // Opening a pipe would wait for a writer, a device could give bytes without end: neither
    // is opened.
    const QString fifo = m_dir.filePath(QStringLiteral("pipe.ocf"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const QString open = QStringLiteral("Can't open file '%1'!");
    for (const QString &path : {fifo, QStringLiteral("/dev/zero")}) {
        QCOMPARE(ConfigFile::readInfo(path, nullptr).presentTo(m_rep), -1);
        QCOMPARE(m_rep.takeBox().text, open.arg(path));
        OrvParamList out;
        QCOMPARE(ConfigFile::read(path, false, offline(), out).presentTo(m_rep), -1);
        QCOMPARE(m_rep.takeBox().text, open.arg(path));
        QCOMPARE(m_rep.statusTexts(),
                 QStringList{QStringLiteral("Load configuration from '%1' has failed !").arg(path)});
        m_rep.clear();
    }
#else
    QSKIP("needs a named pipe (Unix)");
#endif
}

void TestConfigFile::writeRefusesWhatIsNotAFile()
{
#ifdef Q_OS_UNIX
    // A save must not replace a pipe or a device node by a file of its own.
    const QString fifo = m_dir.filePath(QStringLiteral("out.ocf"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QCOMPARE(ConfigFile::write(fifo, offline(), mixedTables(), mixedRecords()).presentTo(m_rep), -1);
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.icon, Reporter::Critical);
    QCOMPARE(b.title, QStringLiteral("File error"));
    QCOMPARE(b.text, QStringLiteral("Can't write file '%1'! It is not a regular file.").arg(fifo));
    QCOMPARE(m_rep.statusTexts(),
             QStringList{QStringLiteral("Save configuration to '%1' has failed !").arg(fifo)});
    struct stat st
    {
    };
    QVERIFY(::lstat(QFile::encodeName(fifo).constData(), &st) == 0);
    QVERIFY(S_ISFIFO(st.st_mode));
    QCOMPARE(QDir(m_dir.path())
                 .entryList({QStringLiteral("out.ocf*")}, QDir::AllEntries | QDir::System | QDir::Hidden),
             QStringList{QStringLiteral("out.ocf")});
#else
    QSKIP("needs a named pipe (Unix)");
#endif
}

int main(int argc, char **argv)
{
    // genDate uses the system locale's short day and month names: fix the locale.
    qputenv("LC_ALL", "C");
    QCoreApplication app(argc, argv);
    TestConfigFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_configfile.moc"

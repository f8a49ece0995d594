// pelm-cli device apply as a step of a roll-out, run as a process: the read-back (--verify),
// the provisioning record (--record) and the device's keys from a key list (--keys-csv), with
// the outcome line, the exit code and the record row; inputs that are refused before any device
// is touched. No key appears in any output or in the record.

#include "device/rollout/ProvisioningRecord.h"
#include "support/RunProcess.h"
#include "support/SecretScan.h"
#include "support/TestKeys.h"
#include "support/TestData.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using namespace TestKeys;

using namespace TestData;
using Result = ProcessResult;

const QString kSimIdentity = QStringLiteral("Pelm-PTC-CT:1.0.0 | KIV-:102 | DevEUI:70B3D5499A0C1E2F");
const QString kOk = QStringLiteral("Pelm-PTC-CT - successful - DevEUI 70B3D5499A0C1E2F");
/// The simulated device starts from the default configuration: writing it changes nothing.
const QString kUnchangedNote = QStringLiteral("nothing changed");
const QString kUnchanged = kOk + QStringLiteral(": ") + kUnchangedNote;
const QString kFailed = QStringLiteral("Pelm-PTC-CT - failed - DevEUI 70B3D5499A0C1E2F: ");
const QByteArray kKeyList = "DevEUI,AppEUI,AppKey\r\n"
                            "70B3D5499A0C1E2F,D0E1F2A3B4C5D6E7,2B7E151628AED2A6ABF7158809CF4F3C\r\n";
const QByteArray kOtherKeyList = "DevEUI,AppEUI,AppKey\r\n"
                                 "70B3D5499A0C1E30,D0E1F2A3B4C5D6E7,2B7E151628AED2A6ABF7158809CF4F3C\r\n";

QString lastLine(const QString &text)
{
    QStringList lines = text.split('\n');
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.isEmpty() ? QString() : lines.last();
}

} // namespace

class TestCliFleet : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void applyAsARollOutStep_data();
    void applyAsARollOutStep();
    void refusedBeforeAnyDevice_data();
    void refusedBeforeAnyDevice();
    void recordGrowsAndFlagsARepeat();

private:
    QString write(const QString &name, const QByteArray &text)
    {
        const QString path = m_dir->filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(text);
        return path;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCliFleet::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void TestCliFleet::applyAsARollOutStep_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("outcome"); // the last output line
    QTest::addColumn<bool>("paramLines"); // the write's per-parameter lines were printed

    QTest::newRow("verified") << QStringList{"--verify"} << 0 << kUnchanged << true;
    QTest::newRow("other value stored, verified")
        << QStringList{"--verify", "--sim-fault", "stores-other-value:28@write"} << 3
        << kFailed + "read-back differs: Ble period (28): Bad Ble period" << true;
    QTest::newRow("other value stored, not verified")
        << QStringList{"--sim-fault", "stores-other-value:28@write"} << 0 << kUnchanged << true;
    QTest::newRow("refused parameter")
        << QStringList{"--verify", "--sim-refuse", "22"} << 3
        << kFailed + "parameters refused: Tempreature threshold (22): Bad threshold configuration" << true;
    QTest::newRow("keys written") << QStringList{"--verify", "--keys-csv", "keys.csv"} << 0 << kUnchanged
                                  << true;
    QTest::newRow("keys refused") << QStringList{"--keys-csv", "keys.csv", "--sim-refuse", "6"} << 3
                                  << kFailed + "keys not written: Can't set AppEUI" << true;
    // Exit code told by the cause: a device gone during the keys is "no device", not "refused".
    QTest::newRow("cable pulled during the key write")
        << QStringList{"--keys-csv", "keys.csv", "--sim-fault", "unplug-after:1@write"} << 4
        << kFailed +
               "keys not written: Apply configuration failed !: No/Bad response from device! Please retry to "
               "apply the configuration."
        << true;
    QTest::newRow("DevEUI not listed") << QStringList{"--verify", "--keys-csv", "other-keys.csv"} << 3
                                       << kFailed + "DevEUI 70B3D5499A0C1E2F is not in the key list" << false;
    QTest::newRow("no answer to the write")
        << QStringList{"--sim-fault", "silent@write"} << 4
        << kFailed +
               "write failed: Apply configuration failed !: No/Bad response from device! Please retry to "
               "apply the configuration."
        << false;
}

void TestCliFleet::applyAsARollOutStep()
{
    QFETCH(QStringList, options);
    QFETCH(int, code);
    QFETCH(QString, outcome);
    QFETCH(bool, paramLines);

    write("keys.csv", kKeyList);
    write("other-keys.csv", kOtherKeyList);
    for (QString &o : options) {
        if (o.endsWith(".csv"))
            o = m_dir->filePath(o);
    }
    const QString record = m_dir->filePath("record.csv");
    const Result r =
        runCli(QStringList{"device", "apply", kDefaultConfig, "--simulate", "--record", record} + options);
    QVERIFY2(r.code == code, qPrintable(QString::number(r.code) + "\n" + r.out + r.err));
    QCOMPARE(lastLine(r.out), outcome);
    QCOMPARE(r.out.contains(QStringLiteral("accepted 28 Ble period")), paramLines);

    // The same row the auto configuration page writes.
    QVector<ProvisioningRecord::Row> rows;
    QString error;
    QVERIFY2(ProvisioningRecord::parse(readAll(record), &rows, &error), qPrintable(error));
    QCOMPARE(rows.size(), 1);
    const ProvisioningRecord::Row &row = rows.first();
    QVERIFY(qAbs(row.time.secsTo(QDateTime::currentDateTimeUtc())) < 60);
    QCOMPARE(row.devEui, QStringLiteral("70B3D5499A0C1E2F"));
    QCOMPARE(row.identity, kSimIdentity);
    QCOMPARE(row.deviceRevision, QStringLiteral("1.0.0"));
    QCOMPARE(row.moduleRevision, QStringLiteral("102"));
    QCOMPARE(row.configFile, QStringLiteral("PTC-CT_1.0.0.ocf"));
    QCOMPARE(row.configSha256,
             QString::fromLatin1(
                 QCryptographicHash::hash(readAll(kDefaultConfig), QCryptographicHash::Sha256).toHex()));
    QCOMPARE(row.successful, code == 0);
    QCOMPARE(row.reason, outcome == kUnchanged ? kUnchangedNote : outcome.mid(kFailed.size()));

    const QString secret =
        SecretScan::find({r.out, r.err, QString::fromUtf8(readAll(record))}, {kAppEui, kAppKey});
    QVERIFY2(secret.isEmpty(), qPrintable(secret));
}

void TestCliFleet::refusedBeforeAnyDevice_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("error"); // first line of standard error; %1: the folder

    const QStringList apply{"device", "apply", kDefaultConfig, "--simulate"};
    QTest::newRow("option of another command")
        << QStringList{"device", "info", "--simulate", "--verify"} << 1
        << "pelm-cli: --verify, --record and --keys-csv are options of device apply";
    QTest::newRow("record that is no record")
        << apply + QStringList{"--record", "%1/keys.csv"} << 2
        << "pelm-cli: nothing written: The file '%1/keys.csv' can't be appended to: The file is not a "
           "provisioning record: its first line is not \"time_utc,dev_eui,identity,device_revision,"
           "module_revision,config_file,config_sha256,result,reason\".";
    QTest::newRow("broken key list")
        << apply + QStringList{"--keys-csv", "%1/broken.csv"} << 3
        << "pelm-cli: nothing written: Line 2 of the key list: the AppKey must have "
           "32 hexadecimal digits.";
    QTest::newRow("missing key list") << apply + QStringList{"--keys-csv", "%1/none.csv"} << 2
                                      << "pelm-cli: nothing written: Can't open file '%1/none.csv'!";
}

void TestCliFleet::refusedBeforeAnyDevice()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, error);
    write("keys.csv", kKeyList);
    write("broken.csv", QByteArray(kKeyList).chopped(3) + "\r\n");
    const QString state = m_dir->filePath("state.json");
    for (QString &a : args)
        a.replace("%1", m_dir->path());
    const Result r = runCli(args + QStringList{"--sim-state", state});
    QCOMPARE(r.code, code);
    QCOMPARE(r.err.section('\n', 0, 0), QString(error).replace("%1", m_dir->path()));
    QVERIFY(r.out.isEmpty());
    QVERIFY(!QFile::exists(state)); // the simulated device was never set up
    QCOMPARE(readAll(m_dir->filePath("keys.csv")), kKeyList);
    QCOMPARE(SecretScan::find({r.out, r.err}, {kAppEui, kAppKey}), QString());
}

void TestCliFleet::recordGrowsAndFlagsARepeat()
{
    const QString record = m_dir->filePath("record.csv");
    const QStringList args{"device", "apply", kDefaultConfig, "--simulate", "--record", record};
    Result r = runCli(args + QStringList{"--sim-refuse", "22"});
    QCOMPARE(r.code, 3);
    r = runCli(args);
    QCOMPARE(r.code, 0);
    QCOMPARE(lastLine(r.out), kUnchanged); // a failed device tried again is no repeat
    r = runCli(args);
    QCOMPARE(r.code, 0);
    QCOMPARE(lastLine(r.out), kUnchanged + "; DevEUI already provisioned in this run");
    QVector<ProvisioningRecord::Row> rows;
    QVERIFY(ProvisioningRecord::parse(readAll(record), &rows, nullptr));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(readAll(record).count("time_utc,"), 1); // one header
}

QTEST_GUILESS_MAIN(TestCliFleet)
#include "tst_cli_fleet.moc"

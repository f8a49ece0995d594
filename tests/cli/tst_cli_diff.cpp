// pelm-cli's comparisons (file diff, device diff) and backups (device backups, a backup
// before each write, --no-backup, restoring by applying a backup), run as a process.

#include "support/RunProcess.h"
#include "support/TestData.h"

#include <QDir>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using TestData::editedConfig;
using TestData::kDefaultConfig;

/// A copy of the default configuration with the members' data replaced ({name: hex}).
QString configWith(const QTemporaryDir &dir, const QString &name, const QMap<QString, QString> &data)
{
    return editedConfig(dir, name, [&data](QJsonObject &doc) {
        QJsonObject params = doc.value("params").toObject();
        for (auto it = data.constBegin(); it != data.constEnd(); ++it) {
            QJsonObject member = params.value(it.key()).toObject();
            member.insert("data", it.value());
            params.insert(it.key(), member);
        }
        doc.insert("params", params);
    });
}

const QString kBackupFolderName = QStringLiteral("70B3D5499A0C1E2F");

} // namespace

class TestCliDiff : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void fileDiff();
    void deviceDiff_data();
    void deviceDiff();
    void backupBeforeApplyAndRestore();
    void unwritableDataFolder_data();
    void unwritableDataFolder();
    void backupBeforeFirmwareUpdate();

private:
    /// pelm-cli with its data folder in the test's folder.
    ProcessResult run(const QStringList &args);
    QString backupFolder() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_dataHome;
};

void TestCliDiff::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_dataHome = m_dir->filePath("data");
}

ProcessResult TestCliDiff::run(const QStringList &args)
{
    ProcessOptions o;
    o.environment = QStringList{"XDG_DATA_HOME=" + m_dataHome};
    return runCli(args, o);
}

QString TestCliDiff::backupFolder() const
{
    return m_dataHome + "/Pelm/Pelm Configurator/backups/" + kBackupFolderName;
}

void TestCliDiff::fileDiff()
{
    const QString changed = configWith(*m_dir, "changed.ocf",
                                       {{"Tempreature threshold", "6621000032000000"}, {"Timestamp", "01"}});
    ProcessResult r = run({"file", "diff", kDefaultConfig, changed});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QString::fromUtf8("Timestamp (11): Disable → Enable\n"
                                      "Tempreature threshold high (22): 50.0 °C → 85.5 °C\n"));
    r = run({"file", "diff", kDefaultConfig, kDefaultConfig});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QString());
    r = run({"file", "diff", kDefaultConfig, m_dir->filePath("missing.ocf")});
    QCOMPARE(r.code, 2);
    QCOMPARE(r.out, QString());
    r = run({"file", "diff", kDefaultConfig});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("file diff needs exactly two files"), qPrintable(r.err));
}

void TestCliDiff::deviceDiff_data()
{
    QTest::addColumn<QString>("file"); // "default", "changed", "missing"
    QTest::addColumn<QStringList>("sim");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::newRow("same") << "default" << QStringList() << 0 << QString();
    QTest::newRow("differs") << "changed" << QStringList() << 1
                             << QString::fromUtf8("Temperature Offset (24): 0.00 °C → -2.46 °C\n");
    QTest::newRow("file error") << "missing" << QStringList() << 2 << QString();
    QTest::newRow("no device") << "changed" << QStringList{"--sim-fault", "unplugged"} << 4 << QString();
}

void TestCliDiff::deviceDiff()
{
    QFETCH(QString, file);
    QFETCH(QStringList, sim);
    QFETCH(int, code);
    QFETCH(QString, out);
    QString path = kDefaultConfig;
    if (file == "changed")
        path = configWith(*m_dir, "changed.ocf", {{"Temperature Offset", "0aff"}});
    else if (file == "missing")
        path = m_dir->filePath("missing.ocf");
    const ProcessResult r = run(QStringList{"device", "diff", path, "--simulate"} + sim);
    QVERIFY2(r.code == code, qPrintable(QString::number(r.code) + r.err));
    QCOMPARE(r.out, out);
    QVERIFY(!QDir(backupFolder()).exists()); // a comparison writes nothing
}

void TestCliDiff::backupBeforeApplyAndRestore()
{
    const QStringList sim{"--simulate", "--sim-state", m_dir->filePath("sim.json")};
    const QString changed =
        configWith(*m_dir, "changed.ocf", {{"Temperature Offset", "0aff"}, {"Timestamp", "01"}});
    ProcessResult r = run(QStringList{"device", "apply", changed} + sim);
    QVERIFY2(r.code == 0, qPrintable(r.err));

    // The backup holds the device as it was, and the listing says what it would change back.
    const QStringList files = QDir(backupFolder()).entryList({"*.ocf"}, QDir::Files);
    QCOMPARE(files.size(), 1);
    const QString backup = backupFolder() + "/" + files.first();
    r = run(QStringList{"file", "diff", changed, backup});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.out.contains(QString::fromUtf8("Temperature Offset (24): -2.46 °C → 0.00 °C\n")),
             qPrintable(r.out));
    QVERIFY2(r.out.contains("Timestamp (11): Enable → Disable\n"), qPrintable(r.out));
    r = run(QStringList{"device", "backups"} + sim);
    QCOMPARE(r.code, 0);
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY2(
        QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d UTC  ").match(lines.at(0)).hasMatch(),
        qPrintable(lines.at(0)));
    QVERIFY(lines.at(0).endsWith(backup));
    QCOMPARE(lines.mid(1), (QStringList{"  Timestamp (11): Enable → Disable",
                                        QString::fromUtf8("  Temperature Offset (24): -2.46 °C → 0.00 °C")}));

    // device diff against the backup, then the backup applied: the device is back.
    r = run(QStringList{"device", "diff", backup} + sim);
    QCOMPARE(r.code, 1);
    r = run(QStringList{"device", "apply", backup} + sim);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    r = run(QStringList{"device", "diff", kDefaultConfig} + sim);
    QCOMPARE(r.code, 0);
    QCOMPARE(QDir(backupFolder()).entryList({"*.ocf"}, QDir::Files).size(), 2);

    // device defaults saves one too.
    r = run(QStringList{"device", "defaults"} + sim);
    QCOMPARE(r.code, 0);
    QCOMPARE(QDir(backupFolder()).entryList({"*.ocf"}, QDir::Files).size(), 3);
}

void TestCliDiff::unwritableDataFolder_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("apply") << "apply";
    QTest::newRow("defaults") << "defaults";
}

void TestCliDiff::unwritableDataFolder()
{
    QFETCH(QString, command);
    // A file where the data folder should be: no backup can be saved.
    QFile blocker(m_dataHome);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QStringList sim{"--simulate", "--sim-state", m_dir->filePath("sim.json")};
    const QString changed = configWith(*m_dir, "changed.ocf", {{"Temperature Offset", "0aff"}});
    QStringList args{"device", command};
    if (command == "apply")
        args << changed;
    ProcessResult r = run(args + sim);
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("nothing written: Can't create the backup folder"), qPrintable(r.err));
    QVERIFY2(!r.out.contains("accepted"), qPrintable(r.out));
    r = run(QStringList{"device", "diff", changed} + sim);
    QCOMPARE(r.code, 1); // the device kept its values
    // --no-backup writes anyway.
    r = run(args + sim + QStringList{"--no-backup"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    if (command == "apply") {
        r = run(QStringList{"device", "diff", changed} + sim);
        QCOMPARE(r.code, 0);
    }
}

void TestCliDiff::backupBeforeFirmwareUpdate()
{
    const QString firmware = TestData::writeFile(*m_dir, "fw.sfb", TestData::randomBytes(4000, 42));
    QVERIFY(!firmware.isEmpty());
    const QStringList update{"device", "update", firmware, "--simulate"};
    // The data folder can't take the backup: the update does not start.
    QFile blocker(m_dataHome);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ProcessResult r = run(update);
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("nothing written: Can't create the backup folder"), qPrintable(r.err));
    QVERIFY2(!r.err.contains("progress"), qPrintable(r.err));
    QVERIFY(blocker.remove());

    r = run(update);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const QStringList files = QDir(backupFolder()).entryList({"*.ocf"}, QDir::Files);
    QCOMPARE(files.size(), 1);
    r = run({"file", "diff", kDefaultConfig, backupFolder() + "/" + files.first()});
    QVERIFY2(r.code == 0 || r.code == 1, qPrintable(r.err));            // a readable configuration file
    QVERIFY2(!r.out.contains("Temperature Offset"), qPrintable(r.out)); // the device's values as they were
}

QTEST_GUILESS_MAIN(TestCliDiff)
#include "tst_cli_diff.moc"

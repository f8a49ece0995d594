// What a write changes and what it leaves to undo it: the comparison rows in the page's units,
// the backup store (atomic files without keys, the newest 20 per device, an unwritable folder)
// and the session's compare and backup steps before each kind of write, against the simulator.

#include "support/RecordingReporter.h"
#include "support/SimComm.h"

#include "common/Clock.h"
#include "device/files/BackupStore.h"
#include "device/family/ConfigDiff.h"
#include "device/files/ConfigFile.h"
#include "device/session/DeviceFactory.h"
#include "device/session/DeviceSession.h"
#include "device/family/FamilyParams.h"
#include "device/protocol/Protocol.h"
#include "sim/SimDevice.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

/// "22=8813000032000000 4=10" as whole values by id.
QMap<quint8, QByteArray> valuesOf(const QString &text)
{
    QMap<quint8, QByteArray> out;
    for (const QString &item : text.split(' ', Qt::SkipEmptyParts))
        out.insert(quint8(item.section('=', 0, 0).toInt()),
                   QByteArray::fromHex(item.section('=', 1).toLatin1()));
    return out;
}

QStringList lines(const ConfigDiff::Rows &rows)
{
    QStringList out;
    for (const ConfigDiff::Row &r : rows)
        out << r.line();
    return out;
}

DeviceSession *createSession(std::unique_ptr<Comm> t, const DeviceInfo &info)
{
    auto *s = new DeviceSession(t.release(), info);
    FamilyParams::registerThermocouple(s->tables(), info.kivType);
    return s;
}

/// The configuration records of a file, for the simulated device's identity.
OrvParamList recordsOf(const QString &path, const DeviceIdentity &id)
{
    OrvParamList records;
    QVector<FamilyModel::LeftOut> leftOut;
    ConfigFile::read(path, false, id, records, {}, &leftOut);
    return records;
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void compareRows_data();
    void compareRows();
    void compareTwoFiles();

    void backupHoldsNoKeys();
    void keepsTheNewest20();
    void unwritableFolder();

    void backupBeforeEachWrite_data();
    void backupBeforeEachWrite();
    void cancelWritesNothing();
    void nothingDiffersWritesNothing();
    void failedBackupStopsTheWrite();
    void restoreGivesTheStateBack();

private:
    DeviceSession *connect();

    RecordingReporter m_rep;
    std::unique_ptr<SimDevice> m_dev;
    std::unique_ptr<QTemporaryDir> m_dir;
    QDateTime m_now;
};

void TestBackup::initTestCase()
{
    setReporter(&m_rep);
}

void TestBackup::cleanupTestCase()
{
    setReporter(nullptr);
    BackupStore::setRoot(QString());
}

void TestBackup::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    BackupStore::setRoot(m_dir->filePath("backups"));
    m_dev.reset(new SimDevice);
    SimDevice *dev = m_dev.get();
    DeviceFactory::setUsbTransportFactory([dev]() -> Comm * { return new SimComm(*dev); });
    DeviceFactory::resetUsbAttemptCounter();
    m_now = QDateTime(QDate(2026, 12, 11), QTime(1, 35, 7, 123), Qt::UTC);
    Clock::setFixed(m_now);
    m_rep.clear();
}

void TestBackup::cleanup()
{
    DeviceFactory::setUsbTransportFactory({});
    Clock::setFixed(QDateTime());
    RecordingReporter left = m_rep;
    m_rep.clear();
    VERIFY_NO_PENDING_BOXES(left);
}

DeviceSession *TestBackup::connect()
{
    bool failed = true;
    DeviceSession *s = DeviceFactory::connectUsb(&failed, nullptr, createSession);
    if (!s || failed)
        return nullptr;
    m_rep.clear();
    return s;
}

void TestBackup::compareRows_data()
{
    QTest::addColumn<int>("kivType");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("threshold, fixed point in 0.1 °C")
        << 14 << "22=8813000032000000"
        << "22=6621000032000000" << QStringList{"Tempreature threshold high (22): 50.0 °C → 85.5 °C"};
    QTest::newRow("threshold below the box's decimals")
        << 14 << "26=6810e40c64000000"
        << "26=6a10e40c64000000" << QStringList{"VBat threshold high (26): 4.200 V → 4.202 V"};
    QTest::newRow("threshold duration and fast TX")
        << 14 << "23=dc0532000a000000"
        << "23=dc0532000a000504"
        << QStringList{"Current threshold duration (23): off → 5 s",
                       "Current threshold fast TX period (23): off → 4 min"};
    QTest::newRow("threshold low and hysteresis")
        << 14 << "23=dc0532000a000000"
        << "23=dc05c80014000000"
        << QStringList{"Current threshold low (23): 0.50 A → 2.00 A",
                       "Current threshold hysteresis (23): 0.10 A → 0.20 A"};
    QTest::newRow("data logging buffer")
        << 14 << "20=000100"
        << "20=123c00"
        << QStringList{"Data logging number of samples (20): 1 → 3",
                       "Data logging depth of historic (20): 1 → 2",
                       "Data logging statement period (20): 0 H 1 Min → 1 H 0 Min"};
    QTest::newRow("signed offset") << 14 << "24=0000"
                                   << "24=0aff" << QStringList{"Temperature Offset (24): 0.00 °C → -2.46 °C"};
    QTest::newRow("coefficient") << 14 << "29=e803"
                                 << "29=4c04" << QStringList{"Current coefficient (29): 1.000 → 1.100"};
    QTest::newRow("current offset") << 14 << "30=0000"
                                    << "30=f4ff" << QStringList{"Current offset (30): 0.000 A → -0.012 A"};
    QTest::newRow("spire combo") << 14 << "31=00"
                                 << "31=02"
                                 << QStringList{
                                        "Couple Spire/Resistance (31): 1000 Spires / 15 Ohms → 580 Spires / "
                                        "8.66 Ohms"};
    QTest::newRow("spire code the box lacks")
        << 14 << "31=00"
        << "31=09" << QStringList{"Couple Spire/Resistance (31): 1000 Spires / 15 Ohms → 09"};
    QTest::newRow("interface, one byte and wide")
        << 14 << "59=1100"
        << "59=01" << QStringList{"Sending Interface (59): LoRaWAN + BLE → LoRaWAN only"};
    QTest::newRow("same interface in another width")
        << 14 << "59=1100"
        << "59=11" << QStringList{"Sending Interface (59): 1100 → 11"};
    QTest::newRow("timestamp") << 14 << "11=00"
                               << "11=01" << QStringList{"Timestamp (11): Disable → Enable"};
    QTest::newRow("LoRaWAN class") << 14 << "4=10"
                                   << "4=20" << QStringList{"Radio Conifuration (4): Class A → Class C"};
    QTest::newRow("Sigfox zone") << 3 << "4=10"
                                 << "4=31" << QStringList{"Radio Conifuration (4): RCZ1 → RCZ3C"};
    QTest::newRow("dual module switched to Sigfox")
        << 14 << "4=10 5=01"
        << "4=10 5=00"
        << QStringList{"Radio Conifuration (4): Class A → RCZ1", "Radio technology (5): LoRaWAN → Sigfox"};
    QTest::newRow("kept parameter, bytes") << 14 << "28=0100"
                                           << "28=d40d" << QStringList{"Ble period (28): 0100 → D40D"};
    QTest::newRow("not on the device")
        << 14 << ""
        << "29=e803" << QStringList{"Current coefficient (29): (none) → 1.000"};
    QTest::newRow("only what is written") << 14 << "24=0000 29=e803"
                                          << "29=e803" << QStringList();
    QTest::newRow("keys never compared") << 14 << "7=00"
                                         << "7=2b7e151628aed2a6abf7158809cf4f3c 1=03" << QStringList();
}

void TestBackup::compareRows()
{
    QFETCH(int, kivType);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QStringList, rows);
    const ConfigDiff::Rows got = ConfigDiff::compare(valuesOf(before), valuesOf(after), kivType);
    QCOMPARE(lines(got), rows);
    // The page's dialog and the roll-out's log word them alike, without the id.
    QStringList texts;
    for (QString r : rows)
        texts << r.remove(QRegularExpression(" \\(\\d+\\)"));
    QCOMPARE(ConfigDiff::summary(got), texts.join("; "));
}

void TestBackup::compareTwoFiles()
{
    // Both sides count: a parameter only the first file holds shows too, in id order.
    const ConfigDiff::Rows rows = ConfigDiff::compare(valuesOf("29=e803 31=00"), valuesOf("24=0aff 31=00"),
                                                      14, ConfigDiff::Scope::Both);
    QCOMPARE(lines(rows), (QStringList{"Temperature Offset (24): (none) → -2.46 °C",
                                       "Current coefficient (29): 1.000 → (none)"}));
}

void TestBackup::backupHoldsNoKeys()
{
    DeviceIdentity id{28, 0x0100, 14, 102, QByteArray::fromHex("70B3D5499A0C1E2F")};
    const OrvParamList params{OrvParam(24, QByteArray::fromHex("0aff")), OrvParam(1, quint8(3)),
                              OrvParam(7, QByteArray::fromHex("2b7e151628aed2a6abf7158809cf4f3c"), 0),
                              OrvParam(6, QByteArray::fromHex("0011223344556677"), 0)};
    QString error;
    const QString path =
        BackupStore::save(id.identifier, id, FamilyParams::thermocoupleTables(), params, &error);
    QVERIFY2(!path.isEmpty(), qPrintable(error));
    QCOMPARE(path, m_dir->filePath("backups/70B3D5499A0C1E2F/20261211T013507.123Z.ocf"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QVERIFY(!text.contains("2b7e1516"));
    QVERIFY(!text.contains("00112233"));
    QCOMPARE(recordsOf(path, id), (OrvParamList{OrvParam(24, QByteArray::fromHex("0aff"))}));
    // Nothing else is left beside it (no temporary file).
    QCOMPARE(QDir(m_dir->filePath("backups/70B3D5499A0C1E2F")).entryList(QDir::Files).size(), 1);
    const QVector<BackupStore::Entry> entries = BackupStore::list(id.identifier);
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().time, m_now);
    QCOMPARE(BackupStore::timeText(entries.first().time), QStringLiteral("2026-12-11 01:35:07 UTC"));
}

void TestBackup::keepsTheNewest20()
{
    const DeviceIdentity id{28, 0x0100, 14, 102, QByteArray::fromHex("70B3D5499A0C1E2F")};
    const DeviceIdentity other{28, 0x0100, 14, 102, QByteArray::fromHex("70B3D5499A0C1E30")};
    QString error;
    QStringList saved;
    for (int i = 0; i < 25; ++i) {
        // Two backups in the same millisecond keep both.
        Clock::setFixed(m_now.addSecs(i / 2));
        saved << BackupStore::save(id.identifier, id, FamilyParams::thermocoupleTables(),
                                   {OrvParam(31, quint8(i % 5))}, &error);
        QVERIFY2(!saved.last().isEmpty(), qPrintable(error));
    }
    QVERIFY(!BackupStore::save(other.identifier, other, FamilyParams::thermocoupleTables(),
                               {OrvParam(31, quint8(1))}, &error)
                 .isEmpty());
    const QVector<BackupStore::Entry> entries = BackupStore::list(id.identifier);
    QCOMPARE(entries.size(), BackupStore::kKeep);
    QStringList paths;
    for (const BackupStore::Entry &e : entries)
        paths << e.path;
    QStringList newest = saved.mid(5);
    std::reverse(newest.begin(), newest.end());
    QCOMPARE(paths, newest);
    for (int i = 0; i < 5; ++i)
        QVERIFY(!QFile::exists(saved.at(i)));
    QCOMPARE(BackupStore::list(other.identifier).size(), 1); // another device's backups are its own
}

void TestBackup::unwritableFolder()
{
    // A data folder that can't be created (a file stands where it should be): no backup, a reason.
    QFile blocker(m_dir->filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    BackupStore::setRoot(m_dir->filePath("blocker/backups"));
    const DeviceIdentity id{28, 0x0100, 14, 102, QByteArray::fromHex("70B3D5499A0C1E2F")};
    QString error;
    QVERIFY(BackupStore::save(id.identifier, id, FamilyParams::thermocoupleTables(),
                              {OrvParam(31, quint8(1))}, &error)
                .isEmpty());
    QVERIFY2(error.contains(m_dir->filePath("blocker/backups")), qPrintable(error));
    QVERIFY(BackupStore::list(id.identifier).isEmpty());
}

void TestBackup::backupBeforeEachWrite_data()
{
    QTest::addColumn<QString>("write");
    QTest::addColumn<bool>("fails");
    QTest::newRow("records of a file") << "records" << false;
    QTest::newRow("apply of the page") << "apply" << false;
    QTest::newRow("defaults") << "defaults" << false;
    QTest::newRow("a write the device does not answer") << "records" << true;
    QTest::newRow("defaults the device refuses") << "defaults" << true;
}

void TestBackup::backupBeforeEachWrite()
{
    QFETCH(QString, write);
    QFETCH(bool, fails);
    m_dev->setParam(31, QByteArray::fromHex("03"));
    m_dev->setParam(7, QByteArray::fromHex("2b7e151628aed2a6abf7158809cf4f3c")); // reported, never saved
    const QMap<quint8, QByteArray> before = m_dev->params();
    std::unique_ptr<DeviceSession> s(connect());
    QVERIFY(s);
    if (write == "apply") {
        QCOMPARE(s->loadFromDevice(), 0);
        OrvParamList edit{OrvParam(31, quint8(1))};
        s->paramsToWidgets(edit);
    }
    if (fails && write == "records")
        m_dev->setFault(SimFault(SimFault::Silent).onAction(0));
    if (fails && write == "defaults")
        m_dev->setRestoreResult(1);

    int rc = 0;
    if (write == "records")
        rc = s->writeConfiguration({OrvParam(31, quint8(1))});
    else if (write == "apply")
        rc = s->applyToDevice();
    else
        rc = s->restoreDefaults();
    QCOMPARE(rc, fails ? -1 : 0);
    m_rep.boxes.clear();
    m_rep.statuses.clear();

    // One backup, holding what the device held before the write (keys left out).
    const QVector<BackupStore::Entry> entries = BackupStore::list(s->identifier());
    QCOMPARE(entries.size(), 1);
    QCOMPARE(s->lastBackupPath(), entries.first().path);
    QMap<quint8, QByteArray> expected;
    for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
        if (FamilyModel::isConfigParam(it.key(), 14))
            expected.insert(it.key(), it.value());
    }
    QCOMPARE(ConfigDiff::values(recordsOf(entries.first().path, s->identity()), 14), expected);
}

void TestBackup::cancelWritesNothing()
{
    std::unique_ptr<DeviceSession> s(connect());
    QVERIFY(s);
    ConfigDiff::Rows asked;
    s->setWriteConfirmation([&asked](const ConfigDiff::Rows &rows) {
        asked = rows;
        return false;
    });
    m_dev->resetCounters();
    QCOMPARE(s->writeConfiguration({OrvParam(31, quint8(2)), OrvParam(24, QByteArray::fromHex("0aff"))}), -1);
    QCOMPARE(lines(asked),
             (QStringList{"Temperature Offset (24): 0.00 °C → -2.46 °C",
                          "Couple Spire/Resistance (31): 1000 Spires / 15 Ohms → 580 Spires / 8.66 Ohms"}));
    QCOMPARE(s->lastWriteStop(), DeviceSession::WriteStop::Cancelled);
    QCOMPARE(m_dev->param(31), m_dev->defaults().value(31));
    QVERIFY(m_dev->writtenParams().isEmpty());
    QCOMPARE(m_dev->clockSets().size(), 0);
    QVERIFY(BackupStore::list(s->identifier()).isEmpty()); // nothing written, nothing to undo
    QCOMPARE(m_rep.statusTexts(), QStringList{"Nothing was written."});
    m_rep.statuses.clear();
}

void TestBackup::nothingDiffersWritesNothing()
{
    std::unique_ptr<DeviceSession> s(connect());
    QVERIFY(s);
    bool asked = false;
    s->setWriteConfirmation([&asked](const ConfigDiff::Rows &) { return asked = true; });
    m_dev->resetCounters();
    QCOMPARE(s->writeConfiguration({OrvParam(31, m_dev->param(31))}), -1);
    QVERIFY(!asked);
    QCOMPARE(s->lastWriteStop(), DeviceSession::WriteStop::NothingDiffers);
    QVERIFY(m_dev->writtenParams().isEmpty());
    QCOMPARE(m_rep.statusTexts(), QStringList{"The device already holds these values: nothing was written."});
    m_rep.statuses.clear();
}

void TestBackup::failedBackupStopsTheWrite()
{
    QFile blocker(m_dir->filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    BackupStore::setRoot(m_dir->filePath("blocker/backups"));
    std::unique_ptr<DeviceSession> s(connect());
    QVERIFY(s);

    // The user is asked; No writes nothing.
    m_rep.answer(Reporter::No);
    QCOMPARE(s->writeConfiguration({OrvParam(31, quint8(2))}), -1);
    const Reporter::Box q = m_rep.takeBox();
    QCOMPARE(q.title, QStringLiteral("Backup failed"));
    QVERIFY2(q.text.contains(m_dir->filePath("blocker/backups")), qPrintable(q.text));
    QCOMPARE(s->lastWriteStop(), DeviceSession::WriteStop::BackupFailed);
    QVERIFY(m_dev->writtenParams().isEmpty());

    // Yes writes without a backup.
    m_rep.answer(Reporter::Yes);
    QCOMPARE(s->writeConfiguration({OrvParam(31, quint8(2))}), 0);
    m_rep.takeBox();
    QCOMPARE(m_dev->param(31), QByteArray::fromHex("02"));

    // A decision set by the caller (pelm-cli) replaces the question.
    QString reason;
    s->setBackupFailedDecision([&reason](const QString &why) {
        reason = why;
        return false;
    });
    QCOMPARE(s->restoreDefaults(), -1);
    QVERIFY(!reason.isEmpty());
    QCOMPARE(m_dev->actionCount(Protocol::kActRestoreDefaults), 0);
    m_rep.statuses.clear();
}

void TestBackup::restoreGivesTheStateBack()
{
    std::unique_ptr<DeviceSession> s(connect());
    QVERIFY(s);
    const QMap<quint8, QByteArray> original = m_dev->params();
    QCOMPARE(s->writeConfiguration({OrvParam(31, quint8(2)), OrvParam(24, QByteArray::fromHex("0aff")),
                                    OrvParam(22, QByteArray::fromHex("6621000032000000"), 0)}),
             0);
    QVERIFY(m_dev->params() != original);
    const QString backup = s->lastBackupPath();
    QVERIFY(!backup.isEmpty());

    // Writing the backup back through the same compare step: its rows undo the change.
    ConfigDiff::Rows asked;
    s->setWriteConfirmation([&asked](const ConfigDiff::Rows &rows) {
        asked = rows;
        return true;
    });
    Clock::setFixed(m_now.addSecs(1));
    QCOMPARE(s->writeConfiguration(recordsOf(backup, s->identity())), 0);
    QCOMPARE(lines(asked),
             (QStringList{"Tempreature threshold high (22): 85.5 °C → 50.0 °C",
                          "Temperature Offset (24): -2.46 °C → 0.00 °C",
                          "Couple Spire/Resistance (31): 580 Spires / 8.66 Ohms → 1000 Spires / 15 Ohms"}));
    QCOMPARE(m_dev->params(), original);
    QCOMPARE(BackupStore::list(s->identifier()).size(), 2); // the restore is undoable too
    m_rep.statuses.clear();
}

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"

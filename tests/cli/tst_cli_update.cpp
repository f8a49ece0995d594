// pelm-cli's firmware commands run as a process: `firmware info` against srec_info on
// random sparse images, and `device update` into the simulated bootloaders and into the
// real `rb` receiver over the simulated USB link.

#include "support/RunProcess.h"
#include "support/TestData.h"
#include "update/SegmentStore.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using TestData::readAll;
using Result = ProcessResult;

/// Tools and pelm-cli get a minute: an update over the simulated link takes seconds.
constexpr int kRunTimeoutMs = 60000;

Result run(const QString &program, const QStringList &args, const QString &workDir = QString())
{
    ProcessOptions o;
    o.workDir = workDir;
    o.timeoutMs = kRunTimeoutMs;
    return runProcess(program, args, o);
}

/// pelm-cli with the minute an update may take.
Result runCliLong(const QStringList &args, const QString &workDir = QString())
{
    return run(QStringLiteral(PELM_BIN_DIR "/pelm-cli"), args, workDir);
}

QByteArray randomBytes(int n, QRandomGenerator &rng)
{
    QByteArray b(n, '\0');
    for (char &c : b)
        c = char(rng.bounded(256));
    return b;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

bool haveTools(const QStringList &tools)
{
    for (const QString &t : tools) {
        if (QStandardPaths::findExecutable(t).isEmpty())
            return false;
    }
    return true;
}

/// Data ranges ("first-last", hex) as srec_info lists them.
QStringList srecInfoRanges(const QString &path, QString *error)
{
    const Result r = run(QStringLiteral("srec_info"), {path});
    if (r.code != 0) {
        *error = r.err;
        return {};
    }
    QStringList ranges;
    const QRegularExpression range(QStringLiteral("([0-9A-Fa-f]+) - ([0-9A-Fa-f]+)"));
    for (const QString &line : r.out.split('\n')) {
        const QRegularExpressionMatch m = range.match(line);
        if (m.hasMatch())
            ranges << QStringLiteral("%1-%2")
                          .arg(m.captured(1).toUInt(nullptr, 16), 8, 16, QLatin1Char('0'))
                          .arg(m.captured(2).toUInt(nullptr, 16), 8, 16, QLatin1Char('0'));
    }
    return ranges;
}

} // namespace

class TestCliUpdate : public QObject
{
    Q_OBJECT

private slots:
    void firmwareInfoAgreesWithSrecInfo_data();
    void firmwareInfoAgreesWithSrecInfo();
    void firmwareInfoOutput();
    void firmwareInfoFailures();

    void updateSimulated_data();
    void updateSimulated();
    void updateThatChangesTheConfiguration_data();
    void updateThatChangesTheConfiguration();
    void updateReadsRecordsByTheirCount_data();
    void updateReadsRecordsByTheirCount();
    void updateRefusesFileBeforeRestart_data();
    void updateRefusesFileBeforeRestart();
    void simulatedUpdateIsQuick();
    void sigtermStopsLikeCtrlC();
    void updateFinishesStoppedUpdate_data();
    void updateFinishesStoppedUpdate();
    void resumeWithoutWaitingBootloader();
    void updateIntoRealReceiver();
    void updateRefusals_data();
    void updateRefusals();
    void updateFailures_data();
    void updateFailures();
};

void TestCliUpdate::firmwareInfoAgreesWithSrecInfo_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("addressBytes");
    QTest::addColumn<bool>("crlf");
    QTest::addColumn<bool>("rewrites");
    for (quint32 seed = 1; seed <= 4; ++seed) {
        QTest::addRow("S1 LF %u", seed) << seed << 2 << false << false;
        QTest::addRow("S2 CRLF %u", seed) << seed + 10 << 3 << true << false;
        QTest::addRow("S3 LF rewrites %u", seed) << seed + 20 << 4 << false << true;
        QTest::addRow("S3 CRLF rewrites %u", seed) << seed + 30 << 4 << true << true;
    }
}

void TestCliUpdate::firmwareInfoAgreesWithSrecInfo()
{
    QFETCH(quint32, seed);
    QFETCH(int, addressBytes);
    QFETCH(bool, crlf);
    QFETCH(bool, rewrites);
    if (!haveTools({QStringLiteral("srec_cat"), QStringLiteral("srec_info")}))
        QSKIP("srecord is not installed");
    QTemporaryDir dir;
    QRandomGenerator rng(seed);
    // Random blocks at random places, some touching, with gaps between the others.
    const quint32 span = addressBytes == 2 ? 0xF000 : (addressBytes == 3 ? 0xF00000 : 0xF0000000);
    QStringList args;
    quint32 at = rng.bounded(span / 16);
    const int blocks = 2 + int(rng.bounded(6));
    for (int i = 0; i < blocks && at < span; ++i) {
        const int size = 1 + int(rng.bounded(3000));
        const QString bin = dir.filePath(QStringLiteral("b%1.bin").arg(i));
        QVERIFY(writeFile(bin, randomBytes(size, rng)));
        args << bin << QStringLiteral("-binary") << QStringLiteral("-offset") << QString::number(at);
        at += quint32(size) + (rng.bounded(3) == 0 ? 0 : 1 + rng.bounded(span / 64));
    }
    const QString srec = dir.filePath(QStringLiteral("image.srec"));
    args << QStringLiteral("-o") << srec << QStringLiteral("-motorola")
         << QStringLiteral("-address-length=%1").arg(addressBytes) << QStringLiteral("-disable=data-count")
         << QStringLiteral("-disable=exec-start-address");
    if (crlf)
        args << QStringLiteral("-line-termination") << QStringLiteral("crlf");
    Result made = run(QStringLiteral("srec_cat"), args);
    QVERIFY2(made.code == 0, qPrintable(made.err));
    if (rewrites) {
        // Records written again further down the file, partly over the image, partly past it.
        QByteArray text = readAll(srec);
        const QByteArray first = text.split('\n').value(1).trimmed();
        const quint32 base = first.mid(4, 2 * addressBytes).toUInt(nullptr, 16);
        const QString bin = dir.filePath(QStringLiteral("rw.bin"));
        QVERIFY(writeFile(bin, randomBytes(100, rng)));
        const QString part = dir.filePath(QStringLiteral("rw.srec"));
        made = run(QStringLiteral("srec_cat"),
                   {bin, QStringLiteral("-binary"), QStringLiteral("-offset"), QString::number(base + 50),
                    "-o", part, QStringLiteral("-motorola"),
                    QStringLiteral("-address-length=%1").arg(addressBytes), QStringLiteral("-disable=header"),
                    QStringLiteral("-disable=data-count"), QStringLiteral("-disable=exec-start-address")});
        QVERIFY2(made.code == 0, qPrintable(made.err));
        QVERIFY(writeFile(srec, text + readAll(part)));
    }

    QString error;
    const QStringList expected = srecInfoRanges(srec, &error);
    QVERIFY2(!expected.isEmpty(), qPrintable(error));
    const Result info = runCliLong({QStringLiteral("firmware"), QStringLiteral("info"), srec});
    QCOMPARE(info.code, 0);
    QStringList lines = info.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("segments %1").arg(expected.size()));
    QCOMPARE(lines.value(1), QStringLiteral("base 0x%1").arg(expected.first().left(8)));
    quint64 size = 0;
    for (const QString &r : expected)
        size += r.section('-', 1).toUInt(nullptr, 16) - r.section('-', 0, 0).toUInt(nullptr, 16) + 1;
    QCOMPARE(lines.value(2), QStringLiteral("size %1").arg(size));
    QStringList ranges;
    for (const QString &l : lines.mid(3))
        ranges << QString(l).remove(QStringLiteral("0x"));
    QCOMPARE(ranges, expected);
    QCOMPARE(info.err, QString());
}

void TestCliUpdate::firmwareInfoOutput()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.srec"));
    // Two touching records, one apart, a corrupt one (bad checksum) and a header.
    QVERIFY(writeFile(path, "S00600004844521B\n"
                            "S107100000010203E2\n"
                            "S107100404050607CF\n" // wrong checksum
                            "S107100404050607CE\n"
                            "S10520000A0BC5\n"));
    const Result r = runCliLong({QStringLiteral("firmware"), QStringLiteral("info"), path});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("segments 2\nbase 0x00001000\nsize 10\n0x00001000-0x00001007\n"
                                   "0x00002000-0x00002001\n"));
    QCOMPARE(r.err, QStringLiteral("1 corrupt lines skipped\n"));
}

void TestCliUpdate::firmwareInfoFailures()
{
    QTemporaryDir dir;
    Result r = runCliLong(
        {QStringLiteral("firmware"), QStringLiteral("info"), dir.filePath(QStringLiteral("none.srec"))});
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains(QStringLiteral("Can't open file")));
    r = runCliLong({QStringLiteral("firmware"), QStringLiteral("info"), dir.path()});
    QCOMPARE(r.code, 2);
    const QString empty = dir.filePath(QStringLiteral("empty.srec"));
    QVERIFY(writeFile(empty, "S00600004844521B\nS9030000FC\n"));
    r = runCliLong({QStringLiteral("firmware"), QStringLiteral("info"), empty});
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains(QStringLiteral("holds no data records")));
    QCOMPARE(r.out, QString());
    r = runCliLong({QStringLiteral("firmware"), QStringLiteral("info")});
    QCOMPARE(r.code, 1);
}

void TestCliUpdate::updateSimulated_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("lastStep");
    const QString ble = QString::fromLatin1("00:80:E1:26:00:01");
    QTest::newRow("main controller, YMODEM over USB") << QStringList{} << "fw.sfb"
                                                      << "Firmware sent";
    QTest::newRow("main controller, YMODEM over BLE") << QStringList{"--ble", ble} << "fw.sfb"
                                                      << "Firmware sent";
    QTest::newRow("YMODEM, lost answer sent again") << QStringList{"--sim-ymodem", "drop:2"} << "fw.sfb"
                                                    << "Firmware sent";
    QTest::newRow("BLE module, XCP") << QStringList{"--ble", ble, "--target", "ble-module"} << "fw.srec"
                                     << "Finishing programming session...[OK]";
    QTest::newRow("BLE module, XCP, protected, Motorola") << QStringList{"--ble",      ble,
                                                                         "--target",   "ble-module",
                                                                         "--sim-xcp",  "protected,motorola",
                                                                         "--seed-key", PELM_SEEDKEY_LIB}
                                                          << "fw.srec"
                                                          << "Finishing programming session...[OK]";
}

void TestCliUpdate::updateThatChangesTheConfiguration_data()
{
    QTest::addColumn<bool>("losesConfiguration"); // the new firmware starts from the defaults
    QTest::newRow("configuration kept") << false;
    QTest::newRow("configuration lost") << true;
}

void TestCliUpdate::updateThatChangesTheConfiguration()
{
    // The device holds a keep-alive period of its own; after the update the device is compared
    // with the backup taken before it.
    QFETCH(bool, losesConfiguration);
    QTemporaryDir dir;
    const QString state = dir.filePath(QStringLiteral("state.json"));
    QJsonDocument doc = QJsonDocument::fromJson(readAll(TestData::kDefaultConfig));
    QJsonObject root = doc.object();
    QJsonObject params = root.value(QStringLiteral("params")).toObject();
    for (const QString &key : params.keys()) {
        QJsonObject member = params.value(key).toObject();
        if (member.value(QStringLiteral("param")).toInt() == 3) {
            member.insert(QStringLiteral("data"), QStringLiteral("0A"));
            params.insert(key, member);
        }
    }
    root.insert(QStringLiteral("params"), params);
    const QString site = dir.filePath(QStringLiteral("site.ocf"));
    QVERIFY(writeFile(site, QJsonDocument(root).toJson()));
    const Result applied = runCliLong({"device", "apply", site, "--simulate", "--sim-state", state});
    QVERIFY2(applied.code == 0, qPrintable(applied.err));

    const QString path = dir.filePath(QStringLiteral("fw.sfb"));
    QRandomGenerator rng(7);
    QVERIFY(writeFile(path, randomBytes(2000, rng)));
    QStringList args{"device", "update", path, "--simulate", "--sim-state", state};
    if (losesConfiguration)
        args << "--sim-ymodem"
             << "restores-defaults";
    const Result r = runCliLong(args);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("Device after the update: ")), qPrintable(r.err));
    const QRegularExpression changed(QString::fromUtf8(
        "The update changed the configuration of the device \\(now → before the update\\):\n"
        "  Keep alive \\(3\\): 00 → 0A\n"
        "Write it back with: pelm-cli device apply \"([^\"]+\\.ocf)\"\n"));
    const QRegularExpressionMatch m = changed.match(r.err);
    QVERIFY2(m.hasMatch() == losesConfiguration, qPrintable(r.err));
    if (!losesConfiguration)
        return;
    // The named backup is the configuration from before the update: writing it back restores it.
    const Result restored =
        runCliLong({"device", "apply", m.captured(1), "--simulate", "--sim-state", state});
    QVERIFY2(restored.code == 0, qPrintable(restored.err));
    const Result diff = runCliLong({"device", "diff", site, "--simulate", "--sim-state", state});
    QVERIFY2(diff.code == 0, qPrintable(diff.out + diff.err));
}

void TestCliUpdate::updateSimulated()
{
    QFETCH(QStringList, options);
    QFETCH(QString, file);
    QFETCH(QString, lastStep);
    QTemporaryDir dir;
    QRandomGenerator rng(42);
    const QByteArray image = randomBytes(4000, rng);
    const QString path = dir.filePath(file);
    QByteArray content = image;
    if (file.endsWith(QLatin1String(".srec"))) // the image as S3 records at 0x08000000
        content = SRecord::s3Records(0x08000000u, image, 16, QByteArrayLiteral("\n"));
    QVERIFY(writeFile(path, content));
    const QString received = dir.filePath(QStringLiteral("received"));
    const Result r =
        runCliLong(QStringList{"device", "update", path, "--simulate", "--sim-image", received} + options);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY2(r.err.contains(lastStep + "\n"), qPrintable(r.err));
    QVERIFY(r.err.contains(QStringLiteral("progress 100%\n")));
    QVERIFY(r.err.contains(QStringLiteral("Device after the update: ")));
    if (file.endsWith(QLatin1String(".sfb"))) {
        QVERIFY(readAll(received) == image);
    } else {
        // What the bootloader was given, read back as the updater reads a file.
        const Result info = runCliLong({QStringLiteral("firmware"), QStringLiteral("info"), received});
        QCOMPARE(info.out, QStringLiteral("segments 1\nbase 0x08000000\nsize 4000\n0x08000000-0x08000f9f\n"));
        QVERIFY(readAll(received) == content);
    }
}

void TestCliUpdate::updateReadsRecordsByTheirCount_data()
{
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::addColumn<QByteArray>("blanks");
    QTest::newRow("LF, space") << QByteArray("\n") << QByteArray(" ");
    QTest::newRow("CR LF, tab") << QByteArray("\r\n") << QByteArray("\t");
    QTest::newRow("CR LF, spaces and tabs") << QByteArray("\r\n") << QByteArray(" \t \t");
    QTest::newRow("CR, space") << QByteArray("\r") << QByteArray(" ");
}

void TestCliUpdate::updateReadsRecordsByTheirCount()
{
    // An image as srec_cat writes it, then with blanks before every line end (as an editor or
    // a transfer may leave them): the records are the same, so is the update.
    QFETCH(QByteArray, lineEnd);
    QFETCH(QByteArray, blanks);
    if (!haveTools({QStringLiteral("srec_cat")}))
        QSKIP("srecord is not installed");
    QTemporaryDir dir;
    QRandomGenerator rng(11);
    const QString bin = dir.filePath(QStringLiteral("image.bin"));
    QVERIFY(writeFile(bin, randomBytes(3000, rng)));
    const QString clean = dir.filePath(QStringLiteral("clean.srec"));
    const Result made =
        run(QStringLiteral("srec_cat"),
            {bin, QStringLiteral("-binary"), QStringLiteral("-offset"), QStringLiteral("0x08000000"),
             QStringLiteral("-o"), clean, QStringLiteral("-motorola"), QStringLiteral("-address-length=4")});
    QVERIFY2(made.code == 0, qPrintable(made.err));
    QByteArray text;
    for (const QByteArray &line : readAll(clean).split('\n')) {
        if (!line.trimmed().isEmpty())
            text += line.trimmed() + blanks + lineEnd;
    }
    const QString blank = dir.filePath(QStringLiteral("fw.srec"));
    QVERIFY(writeFile(blank, text));

    const Result expected = runCliLong({QStringLiteral("firmware"), QStringLiteral("info"), clean});
    QCOMPARE(expected.out, QStringLiteral("segments 1\nbase 0x08000000\nsize 3000\n0x08000000-0x08000bb7\n"));
    const Result info = runCliLong({QStringLiteral("firmware"), QStringLiteral("info"), blank});
    QCOMPARE(info.code, 0);
    QCOMPARE(info.out, expected.out);
    QCOMPARE(info.err, QString()); // no line skipped

    const QString received = dir.filePath(QStringLiteral("received"));
    const Result r = runCliLong({"device", "update", blank, "--simulate", "--ble", "00:80:E1:26:00:01",
                                 "--target", "ble-module", "--sim-image", received});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(r.err.contains(QStringLiteral("Programming 3000 bytes starting at 0x08000000...")));
    QCOMPARE(runCliLong({QStringLiteral("firmware"), QStringLiteral("info"), received}).out, expected.out);
}

void TestCliUpdate::updateRefusesFileBeforeRestart_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    const QStringList module{"--ble", "00:80:E1:26:00:01", "--target", "ble-module"};
    QTest::newRow("corrupt line")
        << module << "fw.srec" << QByteArray("S00600004844521B\nS1050000414277\nS1050002414274\n")
        << "Line 3 of the firmware file fw.srec is corrupt (byte count or checksum): "
           "nothing was sent.";
    QTest::newRow("no data records") << module << "fw.srec" << QByteArray("S00600004844521B\nS9030000FC\n")
                                     << "The firmware file fw.srec holds no data records.";
    QTest::newRow("empty .sfb") << QStringList() << "fw.sfb" << QByteArray()
                                << "The firmware file fw.sfb is empty.";
}

void TestCliUpdate::updateRefusesFileBeforeRestart()
{
    QFETCH(QStringList, options);
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(file);
    QVERIFY(writeFile(path, content));
    const Result r = runCliLong(QStringList{"device", "update", path, "--simulate"} + options);
    QCOMPARE(r.code, 2);
    QCOMPARE(r.err, message + "\n");
    // firmware info still reads what it can and counts what it skipped.
    if (file.endsWith(QLatin1String(".srec")) && message.startsWith(QLatin1String("Line"))) {
        const Result info = runCliLong({QStringLiteral("firmware"), QStringLiteral("info"), path});
        QCOMPARE(info.code, 0);
        QCOMPARE(info.err, QStringLiteral("1 corrupt lines skipped\n"));
    }
}

void TestCliUpdate::simulatedUpdateIsQuick()
{
    // The simulated device drops and takes back its link at once: no real device's waits.
    QTemporaryDir dir;
    QRandomGenerator rng(3);
    const QString path = dir.filePath(QStringLiteral("fw.sfb"));
    QVERIFY(writeFile(path, randomBytes(3000, rng)));
    QElapsedTimer clock;
    clock.start();
    const Result r = runCliLong({"device", "update", path, "--simulate"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    // A real device gets 3 s to settle after its update.
    QVERIFY2(clock.elapsed() < 2800, qPrintable(QString::number(clock.elapsed())));
}

void TestCliUpdate::sigtermStopsLikeCtrlC()
{
    // A service manager's SIGTERM is a stop: the receiver is told (CAN CAN), the controller
    // stays in its bootloader, exit code 5.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fw.sfb"));
    QVERIFY(writeFile(path, QByteArray(3000, 'x')));
    QProcess cli;
    cli.start(QStringLiteral(PELM_BIN_DIR "/pelm-cli"),
              {"device", "update", path, "--simulate", "--sim-ymodem", "silent"});
    QVERIFY(cli.waitForStarted());
    QByteArray err;
    QElapsedTimer clock;
    clock.start();
    while (!err.contains("Waiting for bootloader detection...") && clock.elapsed() < kRunTimeoutMs &&
           cli.state() == QProcess::Running) {
        cli.waitForReadyRead(100);
        err += cli.readAllStandardError();
    }
    QVERIFY2(err.contains("Waiting for bootloader detection..."), err.constData());
    cli.terminate();
    QVERIFY(cli.waitForFinished(kRunTimeoutMs));
    err += cli.readAllStandardError();
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 5);
    QVERIFY2(err.contains("stays in its bootloader"), err.constData());
}

void TestCliUpdate::updateFinishesStoppedUpdate_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("lastStep");
    const QString ble = QString::fromLatin1("00:80:E1:26:00:01");
    QTest::newRow("YMODEM bootloader asking over USB") << QStringList{"--sim-ymodem", "waiting"} << "fw.sfb"
                                                       << "Firmware sent";
    // (Over BLE the failed identification alone takes 13 s: --resume skips it.)
    QTest::newRow("YMODEM bootloader asking over BLE, --resume")
        << QStringList{"--ble", ble, "--sim-ymodem", "waiting", "--resume"} << "fw.sfb"
        << "Firmware sent";
    QTest::newRow("--resume") << QStringList{"--sim-ymodem", "waiting", "--resume"} << "fw.sfb"
                              << "Firmware sent";
    QTest::newRow("XCP bootloader of the BLE module")
        << QStringList{"--ble", ble, "--target", "ble-module", "--sim-xcp", "waiting"} << "fw.srec"
        << "Finishing programming session...[OK]";
}

void TestCliUpdate::updateFinishesStoppedUpdate()
{
    // The controller waits in its bootloader (an update was stopped) and does not answer the
    // configuration protocol: the same command finishes the update.
    QFETCH(QStringList, options);
    QFETCH(QString, file);
    QFETCH(QString, lastStep);
    QTemporaryDir dir;
    QRandomGenerator rng(5);
    const QByteArray image = randomBytes(3000, rng);
    const QString path = dir.filePath(file);
    const QByteArray content = file.endsWith(QLatin1String(".srec"))
                                   ? SRecord::s3Records(0x08000000u, image, 16, QByteArrayLiteral("\n"))
                                   : image;
    QVERIFY(writeFile(path, content));
    const QString received = dir.filePath(QStringLiteral("received"));
    const Result r =
        runCliLong(QStringList{"device", "update", path, "--simulate", "--sim-image", received} + options);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY2(r.err.startsWith(QStringLiteral("The controller waits in its bootloader: finishing the stopped "
                                             "update.\n")),
             qPrintable(r.err));
    QVERIFY(!r.err.contains(QStringLiteral("No supported device answered")));
    QVERIFY2(r.err.contains(lastStep + "\n"), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("Device after the update: ")), qPrintable(r.err));
    QVERIFY(readAll(received) == content);
}

void TestCliUpdate::resumeWithoutWaitingBootloader()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fw.sfb"));
    QVERIFY(writeFile(path, QByteArray(3000, 'x')));
    Result r = runCliLong({"device", "update", path, "--simulate", "--resume"});
    QCOMPARE(r.code, 4);
    QCOMPARE(r.err, QStringLiteral("No bootloader waits for a firmware file.\n"));
    // Nothing on the link at all: the usual message.
    r = runCliLong({"device", "update", path, "--simulate", "--sim-fault", "unplugged"});
    QCOMPARE(r.code, 4);
    QCOMPARE(r.err, QStringLiteral("No supported device answered on USB.\n"));
}

void TestCliUpdate::updateIntoRealReceiver()
{
    if (QStandardPaths::findExecutable(QStringLiteral("rb")).isEmpty())
        QSKIP("rb (lrzsz) is not installed");
    QTemporaryDir dir;
    QTemporaryDir rxDir;
    QRandomGenerator rng(7);
    const QByteArray image = randomBytes(70000, rng);
    const QString path = dir.filePath(QStringLiteral("product-v3.sfb"));
    QVERIFY(writeFile(path, image));
    const Result r =
        runCliLong({"device", "update", path, "--simulate", "--sim-ymodem-peer",
                    QStringLiteral("exec env LD_PRELOAD=%1 rb -b -y").arg(QStringLiteral(PELM_RB_SHIM))},
                   rxDir.path());
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(r.err.contains(QStringLiteral("Firmware sent\n")));
    QVERIFY(readAll(rxDir.filePath(QStringLiteral("firmware.sfb"))) == image);
}

void TestCliUpdate::updateRefusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("S-record for the YMODEM bootloader")
        << QStringList{"--simulate"} << "fw.srec" << 5
        << "The file fw.srec is not a firmware file for the bootloader \"ST Ymodem\" (ST Ymodem (*.sfb)).";
    QTest::newRow("BLE module over USB")
        << QStringList{"--simulate", "--target", "ble-module"} << "fw.srec" << 5
        << "This controller is updated over BLE: connect to the device over BLE.";
    QTest::newRow("unknown target") << QStringList{"--simulate", "--target", "radio"} << "fw.sfb" << 1
                                    << "--target is 'device' or 'ble-module'";
    QTest::newRow("simulator option without --simulate")
        << QStringList{"--sim-xcp", "silent"} << "fw.sfb" << 1 << "the --sim-* options need --simulate";
    QTest::newRow("bad simulator option") << QStringList{"--simulate", "--sim-ymodem", "sometimes"}
                                          << "fw.sfb" << 1 << "unknown --sim-ymodem item 'sometimes'";
    QTest::newRow("bad timeout") << QStringList{"--simulate", "--connect-timeout", "0"} << "fw.sfb" << 1
                                 << "--connect-timeout takes a number of seconds above 0";
    QTest::newRow("missing file") << QStringList{"--simulate"} << "" << 2 << "Can't open file";
}

void TestCliUpdate::updateRefusals()
{
    QFETCH(QStringList, args);
    QFETCH(QString, file);
    QFETCH(int, code);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("missing.sfb"));
    if (!file.isEmpty()) {
        path = dir.filePath(file);
        QVERIFY(writeFile(path, "S1050000414277\n"));
    }
    const Result r = runCliLong(QStringList{"device", "update", path} + args);
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(!r.err.contains(QStringLiteral("Waiting for bootloader detection")));
}

void TestCliUpdate::updateFailures_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    const QString ble = QString::fromLatin1("00:80:E1:26:00:01");
    QTest::newRow("YMODEM answers lost for good") << QStringList{"--sim-ymodem", "drop:1x3"} << "fw.sfb"
                                                  << "Error: communication failed";
    QTest::newRow("XCP target silent")
        << QStringList{"--ble",     ble,      "--target",          "ble-module",
                       "--sim-xcp", "silent", "--connect-timeout", "1"}
        << "fw.srec"
        << "[ERROR] The bootloader did not answer within 1 s.";
    QTest::newRow("XCP key needed") << QStringList{"--ble",      ble,         "--target",
                                                   "ble-module", "--sim-xcp", "protected"}
                                    << "fw.srec"
                                    << "[ERROR] (Authentification failed. Need -sk option.)";
}

void TestCliUpdate::updateFailures()
{
    QFETCH(QStringList, options);
    QFETCH(QString, file);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(file);
    QVERIFY(writeFile(path, file.endsWith(QLatin1String(".srec")) ? QByteArray("S1050000414277\n")
                                                                  : QByteArray(3000, 'x')));
    const Result r = runCliLong(QStringList{"device", "update", path, "--simulate"} + options);
    QCOMPARE(r.code, 5);
    QVERIFY2(r.err.contains(message + "\n"), qPrintable(r.err));
    QVERIFY(!r.err.contains(QStringLiteral("Device after the update")));
}

QTEST_GUILESS_MAIN(TestCliUpdate)
#include "tst_cli_update.moc"

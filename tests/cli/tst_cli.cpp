// pelm-cli run as a process, as operators use it.

#include <QElapsedTimer>
#include "support/RunProcess.h"
#include "support/SecretScan.h"
#include "support/TestData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <csignal>

namespace {
using Result = ProcessResult;

/// pelm-cli fed input on standard input.
Result runCli(const QStringList &args, const QByteArray &input)
{
    ProcessOptions o;
    o.input = input;
    return ::runCli(args, o);
}

using TestData::editedConfig;
using TestData::kDefaultConfig;
using TestData::readAll;
using TestData::writeFile;

/// The identity line of the simulated device.
const QString kSimIdentity = QStringLiteral("Pelm-PTC-CT:1.0.0 | KIV-:102 | DevEUI:70B3D5499A0C1E2F");
/// How soon after the cable is pulled "device watch" has to say so.
constexpr int kUnplugNoticeMs = 2000;

/// "pelm-cli device watch" running as a process: its lines as they come, each with the
/// time it arrived (milliseconds since the start).
class Watch
{
public:
    explicit Watch(const QStringList &options)
    {
        m_clock.start();
        m_process.start(QStringLiteral(PELM_BIN_DIR "/pelm-cli"), QStringList{"device", "watch"} + options);
        m_process.closeWriteChannel();
    }
    ~Watch()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    /// Waits until n lines came; false when they did not come within timeoutMs.
    bool waitForLines(int n, int timeoutMs)
    {
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            takeLines();
            if (lines.size() >= n)
                return true;
            if (waited.elapsed() >= timeoutMs || m_process.state() == QProcess::NotRunning)
                return false;
            m_process.waitForReadyRead(50);
        }
    }
    /// Waits for the end; the exit code, or -1 when it did not end normally within timeoutMs.
    int waitForExit(int timeoutMs)
    {
        if (!m_process.waitForFinished(timeoutMs) && m_process.state() != QProcess::NotRunning)
            return -1;
        takeLines();
        err = QString::fromUtf8(m_process.readAllStandardError());
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    /// What came on standard error so far (while it runs).
    QString errSoFar()
    {
        m_process.waitForReadyRead(50);
        m_err += QString::fromUtf8(m_process.readAllStandardError());
        return m_err;
    }
    /// Sends a signal, as Ctrl+C (SIGINT) or a service manager (SIGTERM) does.
    void signal(int sig) { ::kill(pid_t(m_process.processId()), sig); }

    QStringList lines;
    QList<qint64> times;
    QString err;

private:
    void takeLines()
    {
        while (m_process.canReadLine()) {
            lines << QString::fromUtf8(m_process.readLine()).chopped(1);
            times << m_clock.elapsed();
        }
    }

    QProcess m_process;
    QElapsedTimer m_clock;
    QString m_err;
};

/// (param, index, isBuf, data) of each parameter of a configuration file, sorted.
QStringList fileParams(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject params = QJsonDocument::fromJson(f.readAll()).object().value("params").toObject();
    QStringList out;
    for (const QJsonValue &v : params) {
        const QJsonObject o = v.toObject();
        out << QStringLiteral("%1/%2/%3/%4")
                   .arg(o.value("param").toInt())
                   .arg(o.value("index").toInt())
                   .arg(o.value("isBuf").toBool() ? "true" : "false")
                   .arg(o.value("data").toString().toLower());
    }
    out.sort();
    return out;
}

QStringList unpackedParams(const QString &json, QStringList *names = nullptr)
{
    QStringList out;
    for (const QJsonValue &v : QJsonDocument::fromJson(json.toUtf8()).array()) {
        const QJsonObject o = v.toObject();
        out << QStringLiteral("%1/%2/%3/%4")
                   .arg(o.value("param").toInt())
                   .arg(o.value("index").toInt())
                   .arg(o.value("isBuf").toBool() ? "true" : "false")
                   .arg(o.value("data").toString());
        if (names)
            *names << o.value("name").toString();
    }
    out.sort();
    return out;
}
} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void packThenUnpackGivesTheFileBack_data();
    void packThenUnpackGivesTheFileBack();
    void unpackReportsInvalidLinesAndKeepsTheRest();
    void unpackMergesRepeatedFrames();
    void fileInfo();
    void errors_data();
    void errors();
    void help();
    void frenchLocale();
    void messagesInBothLanguages_data();
    void messagesInBothLanguages();

    void deviceInfoOfTheSimulator();
    void deviceReadEditApplyReadBack();
    void deviceApplyWritesConfigurationOnly_data();
    void deviceApplyWritesConfigurationOnly();
    void outputsCarryNoKeysOrActions_data();
    void outputsCarryNoKeysOrActions();
    void deviceFaults_data();
    void deviceFaults();
    void deviceDefaults();
    void deviceApplyOtherModuleFile_data();
    void deviceApplyOtherModuleFile();
    void deviceReadIntoAFolderNotWritable();
    void deviceReadRefusesWhatIsNotAFile();
    void deviceWatchOnce_data();
    void deviceWatchOnce();
    void deviceWatchUntilStopped_data();
    void deviceWatchUntilStopped();
    void deviceWatchSaysNoAccessAtOnce();
    void deviceKeys_data();
    void deviceKeys();
    void verboseTrace_data();
    void verboseTrace();
    void noLogLinesWithoutVerbose_data();
    void noLogLinesWithoutVerbose();
    void verboseKeyWriteMasksTheKeys();
};

void TestCli::packThenUnpackGivesTheFileBack_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("maxLineLength");
    QTest::newRow("default payload") << QStringList() << 16;
    QTest::newRow("51 bytes") << QStringList{"--max-payload", "51"} << 102;
    QTest::newRow("1024 bytes") << QStringList{"--max-payload", "1024"} << 2048;
}

void TestCli::packThenUnpackGivesTheFileBack()
{
    QFETCH(QStringList, options);
    QFETCH(int, maxLineLength);
    const Result packed = runCli(QStringList{"frames", "pack", kDefaultConfig} + options);
    QCOMPARE(packed.code, 0);
    QVERIFY2(packed.err.isEmpty(), qPrintable(packed.err));
    const QStringList lines = packed.out.split('\n', Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    for (const QString &line : lines) {
        QVERIFY2(line.size() <= maxLineLength, qPrintable(line));
        QCOMPARE(line, line.toUpper());
    }
    if (options.isEmpty())
        QVERIFY(lines.size() > 3);

    const Result unpacked = runCli({"frames", "unpack", "-"}, packed.out.toUtf8());
    QCOMPARE(unpacked.code, 0);
    QStringList names;
    const QStringList params = unpackedParams(unpacked.out, &names);
    QCOMPARE(params.size(), 12);
    QCOMPARE(params, fileParams(kDefaultConfig));
    QVERIFY(names.contains("Tempreature threshold"));
    QVERIFY(!names.contains(QString()));
}

void TestCli::unpackReportsInvalidLinesAndKeepsTheRest()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("frames.txt");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    // a valid frame, a lone byte, a truncated element, then parameter 3 = 0x07
    f.write("0501\r\n05\r\nC5050102\r\n0307\r\n");
    f.close();
    const Result r = runCli({"frames", "unpack", path});
    QCOMPARE(r.code, 3);
    const QStringList errLines = r.err.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(errLines.size(), 2);
    QVERIFY2(errLines[0].startsWith("Invalid frames: The frame: '05"), qPrintable(r.err));
    QVERIFY(errLines[0].endsWith("' is invalid !"));
    QVERIFY(errLines[1].startsWith("Invalid frames: The frame: 'C5050102"));
    QCOMPARE(unpackedParams(r.out), (QStringList{"3/0/false/07", "5/0/false/01"}));
}

void TestCli::unpackMergesRepeatedFrames()
{
    // chunks of parameter 22 (a buffer) arriving in two frames, one of them twice,
    // and parameter 5 set twice: the later value wins
    const QByteArray text = "D60500000102030501\nD6050404050607\nD6050404050607\n0502";
    const Result r = runCli({"frames", "unpack"}, text);
    QCOMPARE(r.code, 0);
    QCOMPARE(unpackedParams(r.out), (QStringList{"22/0/true/0001020304050607", "5/0/false/02"}));
}

void TestCli::fileInfo()
{
    const Result r = runCli({"file", "info", kDefaultConfig});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("identity: Pelm-PTC-CT:1.0.0 | KIV-:XXXX\n"), qPrintable(r.out));
    QVERIFY(r.out.contains("orvType: 28\n"));
    QVERIFY(r.out.contains("kivRev: -1\n"));
    QVERIFY(r.out.contains("accepted: yes\n"));
    QVERIFY(r.out.contains("appVersion: 1.0.0\n"));
}

void TestCli::errors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("no command") << QStringList() << 1 << "no command given";
    QTest::newRow("unknown command") << QStringList{"frames", "zip"} << 1 << "unknown command 'frames zip'";
    QTest::newRow("payload too small") << QStringList{"frames", "pack", kDefaultConfig, "--max-payload", "7"}
                                       << 1 << "--max-payload must be a number from 8 to 1024";
    QTest::newRow("missing file") << QStringList{"frames", "pack", "/nonexistent/x.ocf"} << 2
                                  << "File error: Can't open file '/nonexistent/x.ocf'!";
    QTest::newRow("info of missing file") << QStringList{"file", "info", "/nonexistent/x.ocf"} << 2
                                          << "File error: Can't open file '/nonexistent/x.ocf'!";
}

void TestCli::errors()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, message);
    const Result r = runCli(args);
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
}

void TestCli::help()
{
    const Result r = runCli({"--help"});
    QCOMPARE(r.code, 0);
    for (const char *word : {"frames pack", "frames unpack", "file info", "device watch [--once]",
                             "--sim-schedule EVENTS", "Exit codes:", "3  some input"})
        QVERIFY2(r.out.contains(word), word);
}

void TestCli::frenchLocale()
{
    // A French locale: the help and the messages in French, what scripts read in English.
    ProcessOptions fr;
    fr.environment = QStringList{"LC_ALL=fr_FR.UTF-8"};
    Result r = runCli({"--help"}, fr);
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.startsWith("Utilisation : pelm-cli COMMANDE [ARGUMENTS]\n\nCommandes :\n"),
             qPrintable(r.out));
    for (const char *text : {"  frames pack FILE.ocf [--max-payload N]\n", "Codes de sortie :\n",
                             "  --sim-schedule EVENTS\n", "Les messages et cette aide sont en français"})
        QVERIFY2(r.out.contains(QString::fromUtf8(text)), text);
    QVERIFY(!r.out.contains("Exit codes:"));

    r = runCli({"frames", "squash"}, fr);
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err,
             QStringLiteral("pelm-cli: commande inconnue 'frames squash'\nEssayez 'pelm-cli --help'.\n"));

    // The device refuses a parameter: its line stays as scripts read it (the parameter names are
    // the keys of configuration files), the box around it is French.
    QTemporaryDir dir;
    const QStringList sim{"--simulate", "--sim-state", dir.filePath("sim.json")};
    r = runCli(QStringList{"device", "apply", kDefaultConfig, "--sim-refuse", "3"} + sim, fr);
    QCOMPARE(r.code, 3);
    QVERIFY2(r.out.contains("REFUSED  3 Keep alive: Can't set keep alive period\n"), qPrintable(r.out));
    QVERIFY2(r.out.contains("accepted 24 Temperature Offset\n"), qPrintable(r.out));
    QVERIFY2(r.err.contains(QString::fromUtf8("Certains paramètres de la configuration ont échoué :")),
             qPrintable(r.err));
    QVERIFY2(r.err.contains(QString::fromUtf8("L'application de la configuration à Pelm a échoué !")),
             qPrintable(r.err));

    // JSON keeps the names too.
    r = runCli(QStringList{"device", "read"} + sim, fr);
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("\"name\": \"Keep alive\""), qPrintable(r.out));

    // LANG alone says it too; the C locale (as the other cases run) keeps English.
    ProcessOptions lang;
    lang.environment = QStringList{"LC_ALL=", "LC_MESSAGES=", "LANG=fr_CA.UTF-8"};
    QVERIFY(runCli({"--help"}, lang).out.startsWith("Utilisation : "));
    ProcessOptions c;
    c.environment = QStringList{"LC_ALL=C"};
    QVERIFY(runCli({"--help"}, c).out.startsWith("Usage: pelm-cli COMMAND [ARGUMENTS]\n"));
}

void TestCli::messagesInBothLanguages_data()
{
    // What pelm-cli prints on standard error, whole, in the C locale and in a French one.
    // {dir} stands for the folder of the files the test writes (see messagesInBothLanguages).
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("french");

    QTest::newRow("unknown simulator fault")
        << QStringList{"device", "info", "--simulate", "--sim-fault", "melted"} << QByteArray() << 1
        << "pelm-cli: unknown --sim-fault 'melted'\n"
        << "pelm-cli: valeur inconnue pour --sim-fault : 'melted'\n";
    QTest::newRow("refused id out of range")
        << QStringList{"device", "info", "--simulate", "--sim-refuse", "64"} << QByteArray() << 1
        << "pelm-cli: --sim-refuse takes a parameter id from 0 to 63\n"
        << QString::fromUtf8("pelm-cli: --sim-refuse prend un identifiant de paramètre de 0 à 63\n");
    QTest::newRow("unknown cable event")
        << QStringList{"device", "watch", "--simulate", "--sim-schedule", "unplug@10,later@20"}
        << QByteArray() << 1 << "pelm-cli: unknown --sim-schedule 'unplug@10,later@20'\n"
        << "pelm-cli: valeur inconnue pour --sim-schedule : 'unplug@10,later@20'\n";
    QTest::newRow("unknown bootloader fault")
        << QStringList{"device", "update", "{dir}/fw.sfb", "--simulate", "--sim-ymodem", "silent,sometimes"}
        << QByteArray() << 1 << "pelm-cli: unknown --sim-ymodem item 'sometimes'\n"
        << QString::fromUtf8("pelm-cli: élément inconnu pour --sim-ymodem : 'sometimes'\n");
    QTest::newRow("simulator state not JSON")
        << QStringList{"device", "info", "--simulate", "--sim-state", "{dir}/garbage.json"} << QByteArray()
        << 1 << "pelm-cli: the simulator state file '{dir}/garbage.json' can't be read\n"
        << QString::fromUtf8(
               "pelm-cli: le fichier d'état du simulateur « {dir}/garbage.json » ne peut pas être lu\n");
    QTest::newRow("simulator state not written")
        << QStringList{"device", "info", "--simulate", "--sim-state", "{dir}/missing/sim.json"}
        << QByteArray() << 2 << "Can't write file '{dir}/missing/sim.json'!\n"
        << QString::fromUtf8("Impossible d'écrire le fichier « {dir}/missing/sim.json » !\n");
    QTest::newRow("firmware file without data")
        << QStringList{"firmware", "info", "{dir}/empty.srec"} << QByteArray() << 2
        << "The file '{dir}/empty.srec' holds no data records.\n"
        << QString::fromUtf8(
               "Le fichier « {dir}/empty.srec » ne contient aucun enregistrement de données.\n");
    // French says one line in the singular, two in the plural; English keeps its one text.
    QTest::newRow("one corrupt firmware line") << QStringList{"firmware", "info", "{dir}/one-corrupt.srec"}
                                               << QByteArray() << 0 << "1 corrupt lines skipped\n"
                                               << QString::fromUtf8("1 ligne corrompue ignorée\n");
    QTest::newRow("two corrupt firmware lines") << QStringList{"firmware", "info", "{dir}/two-corrupt.srec"}
                                                << QByteArray() << 0 << "2 corrupt lines skipped\n"
                                                << QString::fromUtf8("2 lignes corrompues ignorées\n");
    QTest::newRow("keys incomplete") << QStringList{"device", "keys", "--keys", "-"}
                                     << QByteArray("AppEUI=70B3D57ED0000001\n") << 3
                                     << "pelm-cli: no keys written: The AppKey is missing.\n"
                                     << QString::fromUtf8(
                                            "pelm-cli: aucune clé écrite : La valeur AppKey manque.\n");
    QTest::newRow("key list missing")
        << QStringList{"device", "apply", kDefaultConfig, "--simulate", "--keys-csv", "{dir}/none.csv"}
        << QByteArray() << 2 << "pelm-cli: nothing written: Can't open file '{dir}/none.csv'!\n"
        << QString::fromUtf8(
               "pelm-cli: rien n'a été écrit : Impossible d'ouvrir le fichier « {dir}/none.csv » !\n");
    QTest::newRow("parameter wider than a frame")
        << QStringList{"frames", "pack", "{dir}/wide.ocf", "--max-payload", "8"} << QByteArray() << 3
        << "Parameter 24 (Temperature Offset) can't be packed into frames of 8 bytes\n"
        << QString::fromUtf8(
               "Le paramètre 24 (Temperature Offset) ne tient pas dans des trames de 8 octets\n");
}

void TestCli::messagesInBothLanguages()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(int, code);
    QFETCH(QString, english);
    QFETCH(QString, french);

    QTemporaryDir dir;
    QVERIFY(!TestData::writeFile(dir, "fw.sfb", "S1050000414277\n").isEmpty());
    QVERIFY(!TestData::writeFile(dir, "garbage.json", "not a simulator state").isEmpty());
    QVERIFY(!TestData::writeFile(dir, "empty.srec", "S00600004844521B\nS9030000FC\n").isEmpty());
    // Bad checksums: 0xCF where 0xCE belongs.
    QVERIFY(
        !TestData::writeFile(dir, "one-corrupt.srec", "S107100404050607CF\nS107100404050607CE\n").isEmpty());
    QVERIFY(!TestData::writeFile(dir, "two-corrupt.srec",
                                 "S107100404050607CF\nS107100404050607CE\nS107100404050607CF\n")
                 .isEmpty());
    // An 8-byte value that needs more than a frame of 8 bytes with its header.
    QVERIFY(!TestData::editedConfig(dir, "wide.ocf", [](QJsonObject &doc) {
                 QJsonObject params = doc.value("params").toObject();
                 QJsonObject offset = params.value("Temperature Offset").toObject();
                 offset.insert("data", "0011223344556677");
                 params.insert("Temperature Offset", offset);
                 doc.insert("params", params);
             }).isEmpty());
    for (QString &arg : args)
        arg.replace("{dir}", dir.path());

    const QList<QPair<QString, QString>> locales = {{"C", english}, {"fr_FR.UTF-8", french}};
    for (const auto &locale : locales) {
        ProcessOptions o;
        o.input = input;
        o.environment = QStringList{"LC_ALL=" + locale.first};
        const Result r = ::runCli(args, o);
        QCOMPARE(r.code, code);
        QCOMPARE(r.err, QString(locale.second).replace("{dir}", dir.path()));
    }
}

void TestCli::deviceInfoOfTheSimulator()
{
    const Result r = runCli({"device", "info", "--simulate"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.startsWith("identity: Pelm-PTC-CT:1.0.0 | KIV-:"), qPrintable(r.out));
    QVERIFY(r.out.contains("versionWord: 0x0120\n"));
    QVERIFY(r.out.contains("orvType: 28\n"));
    QVERIFY(r.out.contains("bufferSize: "));
}

void TestCli::deviceApplyOtherModuleFile_data()
{
    QTest::addColumn<bool>("force");
    QTest::newRow("refused without --force") << false;
    QTest::newRow("opened with --force") << true;
}

void TestCli::deviceApplyOtherModuleFile()
{
    // A file made for another radio-module type: the question is printed, and only --force
    // opens the file; without it nothing is written to the device.
    QFETCH(bool, force);
    QTemporaryDir dir;
    const QString state = dir.filePath("sim.json");
    const QString saved = dir.filePath("saved.ocf");
    const QStringList sim{"--simulate", "--sim-state", state};
    QCOMPARE(runCli(QStringList{"device", "read", "-o", saved} + sim).code, 0);

    QFile f(saved);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QJsonObject doc = QJsonDocument::fromJson(f.readAll()).object();
    f.close();
    QJsonObject orv = doc.value("orv").toObject();
    orv.insert("kivType", 5);
    doc.insert("orv", orv);
    QJsonObject params = doc.value("params").toObject();
    QJsonObject offset = params.value("Temperature Offset").toObject();
    offset.insert("data", "f4ff");
    params.insert("Temperature Offset", offset);
    doc.insert("params", params);
    const QString other = dir.filePath("other-module.ocf");
    QFile o(other);
    QVERIFY(o.open(QIODevice::WriteOnly));
    o.write(QJsonDocument(doc).toJson());
    o.close();

    QStringList args{"device", "apply", other};
    if (force)
        args << "--force";
    const Result r = runCli(args + sim);
    QVERIFY2(r.err.contains("No KIV matched: The specified file is for KIV"), qPrintable(r.err));
    QCOMPARE(r.code, force ? 0 : 2);
    QCOMPARE(r.out.contains("accepted 24 Temperature Offset\n"), force);
    const Result back = runCli(QStringList{"device", "read"} + sim);
    QCOMPARE(back.code, 0);
    QCOMPARE(back.out.contains("f4ff", Qt::CaseInsensitive), force);
}

void TestCli::deviceReadEditApplyReadBack()
{
    QTemporaryDir dir;
    const QString state = dir.filePath("sim.json");
    const QString saved = dir.filePath("saved.ocf");
    const QStringList sim{"--simulate", "--sim-state", state};

    Result r = runCli(QStringList{"device", "read", "-o", saved} + sim);
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains("Save configuration to '" + saved + "' has succeeded !"), qPrintable(r.err));

    // edit two parameters of the saved file: the temperature offset and the keep-alive period
    QFile f(saved);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QJsonObject doc = QJsonDocument::fromJson(f.readAll()).object();
    f.close();
    QJsonObject params = doc.value("params").toObject();
    QVERIFY(params.contains("Temperature Offset"));
    QJsonObject offset = params.value("Temperature Offset").toObject();
    offset.insert("data", "f4ff");
    params.insert("Temperature Offset", offset);
    QJsonObject keepAlive = params.value("Keep alive").toObject();
    keepAlive.insert("data", "05");
    params.insert("Keep alive", keepAlive);
    doc.insert("params", params);
    const QString edited = dir.filePath("edited.ocf");
    QFile e(edited);
    QVERIFY(e.open(QIODevice::WriteOnly));
    e.write(QJsonDocument(doc).toJson());
    e.close();

    // the device refuses the keep-alive period: reported by name, exit code 3
    r = runCli(QStringList{"device", "apply", edited, "--sim-refuse", "3"} + sim);
    QCOMPARE(r.code, 3);
    QVERIFY2(r.out.contains("REFUSED  3 Keep alive: Can't set keep alive period\n"), qPrintable(r.out));
    QVERIFY(r.out.contains("accepted 24 Temperature Offset\n"));
    QVERIFY(!r.out.contains("accepted 0 "));
    QVERIFY(r.err.contains("    - Keep alive (3): Can't set keep alive period !\n"));
    QVERIFY(r.err.contains("Apply configuration to Pelm, has failed !"));

    // read back: the offset changed, the refused value did not
    r = runCli(QStringList{"device", "read"} + sim);
    QCOMPARE(r.code, 0);
    const QStringList back = unpackedParams(r.out);
    QVERIFY2(back.contains("24/0/false/f4ff"), qPrintable(back.join(' ')));
    QVERIFY(back.contains("3/0/false/00"));

    // without refusals everything is accepted
    r = runCli(QStringList{"device", "apply", edited} + sim);
    QCOMPARE(r.code, 0);
    QVERIFY(!r.out.contains("REFUSED"));
    QVERIFY(r.err.contains("Apply configuration to Pelm, has succeeded !"));
}

namespace {
/// A member of a file's "params" section.
QJsonObject member(int id, const char *hex, bool isBuf = false)
{
    return QJsonObject{{"param", id}, {"index", 0}, {"isBuf", isBuf}, {"data", QString::fromLatin1(hex)}};
}
} // namespace

void TestCli::deviceApplyWritesConfigurationOnly_data()
{
    // Members added to the default configuration; what the device must not receive; the exit
    // code; the line on standard error; whether the file's records were written.
    QTest::addColumn<QJsonObject>("extra");
    QTest::addColumn<QList<int>>("notSent");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("written");
    QTest::newRow("action id") << QJsonObject{{"Restore", member(1, "03")}} << QList<int>{1} << 0
                               << "parameter 1 is not a configuration parameter and was left out" << true;
    QTest::newRow("unknown ids") << QJsonObject{{"Parameter 0", member(0, "01")},
                                                {"Parameter 40", member(40, "ab")}}
                                 << QList<int>{0, 40} << 0
                                 << "parameter 40 is unknown to this device and was left out" << true;
    QTest::newRow("keys") << QJsonObject{{"AppEUI", member(6, "d0e1f2a3b4c5d6e7", true)},
                                         {"AppKey", member(7, "2b7e151628aed2a6abf7158809cf4f3c", true)}}
                          << QList<int>{6, 7} << 0 << "parameter 6 (AppEUI) is a LoRaWAN key and was left out"
                          << true;
    QTest::newRow("value out of range")
        << QJsonObject{{"Current coefficient", member(29, "b004")}} << QList<int>{} << 2
        << "configuration refused, nothing written: Current coefficient (29): 1200 is out of range (900 to "
           "1100)"
        << false;
    QTest::newRow("wrong size") << QJsonObject{{"Couple Spire/Resistance", member(31, "0100")}}
                                << QList<int>{} << 2
                                << "configuration refused, nothing written: Couple Spire/Resistance (31): 2 "
                                   "byte(s) where the parameter has 1"
                                << false;
    QTest::newRow("threshold beyond its range")
        << QJsonObject{{"VBat threshold", member(26, "68102c0164000500", true)}} << QList<int>{} << 2
        << "configuration refused, nothing written: VBat threshold (26): low threshold 300 is below 3000"
        << false;
}

void TestCli::deviceApplyWritesConfigurationOnly()
{
    QFETCH(QJsonObject, extra);
    QFETCH(QList<int>, notSent);
    QFETCH(int, code);
    QFETCH(QString, message);
    QFETCH(bool, written);
    QTemporaryDir dir;
    // The device holds another spire couple than the file: a write shows, a restore would too.
    const QString state = writeFile(dir, "state.json", R"({"params": {"31": "03"}})");
    const QString file = editedConfig(dir, "cfg.ocf", [&](QJsonObject &doc) {
        QJsonObject params = doc.value("params").toObject();
        params.insert("Couple Spire/Resistance", member(31, "01"));
        for (auto it = extra.constBegin(); it != extra.constEnd(); ++it)
            params.insert(it.key(), it.value());
        doc.insert("params", params);
    });
    const Result r = runCli(QStringList{"device", "apply", file, "--simulate", "--sim-state", state});
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains("pelm-cli: ") && r.err.contains(message), qPrintable(r.err));
    for (const int id : notSent)
        QVERIFY2(!r.out.contains(QStringLiteral(" %1 ").arg(id)), qPrintable(r.out));
    QVERIFY(!r.out.contains("unknown parameter"));
    QCOMPARE(r.out.contains("accepted 31 Couple Spire/Resistance\n"), written);
    const QJsonObject held = QJsonDocument::fromJson(readAll(state)).object().value("params").toObject();
    QCOMPARE(held.value("31").toString(), written ? QStringLiteral("01") : QStringLiteral("03"));
    QCOMPARE(held.value("29").toString(), QStringLiteral("e803")); // never 1.200
    QVERIFY(!r.out.contains("d0e1f2a3b4c5d6e7", Qt::CaseInsensitive));
    QVERIFY(!r.err.contains("d0e1f2a3b4c5d6e7", Qt::CaseInsensitive));
}

void TestCli::outputsCarryNoKeysOrActions_data()
{
    // A device whose configuration answer carries a record of this id.
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("message");
    QTest::newRow("AppEUI") << 6 << "parameter 6 (AppEUI) is a LoRaWAN key and was left out";
    QTest::newRow("AppKey") << 7 << "parameter 7 (AppKey) is a LoRaWAN key and was left out";
    QTest::newRow("action id") << 1 << "parameter 1 is not a configuration parameter and was left out";
    QTest::newRow("unknown id") << 63 << "parameter 63 is unknown to this device and was left out";
}

void TestCli::outputsCarryNoKeysOrActions()
{
    QFETCH(int, id);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QStringList sim{"--simulate", "--sim-fault", QStringLiteral("corrupted-load:%1@load").arg(id)};
    const QString prefix = QStringLiteral("%1/").arg(id);

    // Printed: left out, and said so.
    Result r = runCli(QStringList{"device", "read"} + sim);
    QCOMPARE(r.code, 0);
    const QStringList printed = unpackedParams(r.out);
    QVERIFY(!printed.isEmpty());
    for (const QString &p : printed)
        QVERIFY2(!p.startsWith(prefix), qPrintable(p));
    QVERIFY2(r.err.contains("pelm-cli: " + message + "\n"), qPrintable(r.err));

    // Saved: the file holds configuration parameters only.
    const QString saved = dir.filePath("read.ocf");
    r = runCli(QStringList{"device", "read", "-o", saved} + sim);
    QCOMPARE(r.code, 0);
    const QStringList inFile = fileParams(saved);
    QVERIFY(!inFile.isEmpty());
    for (const QString &p : inFile)
        QVERIFY2(!p.startsWith(prefix), qPrintable(p));

    // A hand-made file with the record packs no frame of it.
    const QString file = editedConfig(dir, "cfg.ocf", [&](QJsonObject &doc) {
        QJsonObject params = doc.value("params").toObject();
        params.insert("Extra", member(id, "0102030405060708", id == 6 || id == 7));
        doc.insert("params", params);
    });
    r = runCli({"frames", "pack", file});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    const QString frames = writeFile(dir, "frames.txt", r.out.toUtf8());
    r = runCli({"frames", "unpack", frames});
    QCOMPARE(r.code, 0);
    for (const QString &p : unpackedParams(r.out))
        QVERIFY2(!p.startsWith(prefix), qPrintable(p));
}

void TestCli::deviceFaults_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    const QString cfg = kDefaultConfig;
    QTest::newRow("no device on USB")
        << QStringList{"device", "info"} << 4 << "No supported device answered on USB.";
    QTest::newRow("unplugged") << QStringList{"device", "read", "--simulate", "--sim-fault", "unplugged"} << 4
                               << "No supported device answered on USB.";
    QTest::newRow("silent") << QStringList{"device", "info", "--simulate", "--sim-fault", "silent"} << 4
                            << "Communication error: Can't get the buffer size from orv device.";
    QTest::newRow("truncated load") << QStringList{"device", "read", "--simulate", "--sim-fault",
                                                   "truncated-load"}
                                    << 4 << "Load configuration failed !: No/Bad response from device!";
    QTest::newRow("silent on write") << QStringList{"device",     "apply",       cfg,
                                                    "--simulate", "--sim-fault", "silent@write"}
                                     << 4 << "Apply configuration failed !: No/Bad response from device!";
    QTest::newRow("unplugged during apply")
        << QStringList{"device", "apply", cfg, "--simulate", "--sim-fault", "unplug-after:3"} << 4
        << "Apply configuration failed !: No/Bad response from device!";
    QTest::newRow("not acknowledged")
        << QStringList{"device", "apply", cfg, "--simulate", "--sim-fault", "not-acknowledged@write"} << 4
        << "Communication warning: Command or configuration not acknowledged !";
    QTest::newRow("device error") << QStringList{"device", "defaults", "--simulate", "--sim-fault",
                                                 "device-error:4@defaults"}
                                  << 4 << "The device return error code: Can't run command !";
    QTest::newRow("sim option without --simulate") << QStringList{"device", "info", "--sim-fault", "silent"}
                                                   << 1 << "the --sim-* options need --simulate";
    QTest::newRow("unknown fault") << QStringList{"device", "info", "--simulate", "--sim-fault", "melted"}
                                   << 1 << "unknown --sim-fault 'melted'";
    QTest::newRow("--once outside watch") << QStringList{"device", "info", "--simulate", "--once"} << 1
                                          << "--once is an option of device watch";
    QTest::newRow("schedule outside watch")
        << QStringList{"device", "read", "--simulate", "--sim-schedule", "unplug@10"} << 1
        << "--sim-schedule is an option of device watch";
    QTest::newRow("schedule without --simulate")
        << QStringList{"device", "watch", "--sim-schedule", "unplug@10"} << 1
        << "the --sim-* options need --simulate";
    QTest::newRow("bad schedule") << QStringList{"device", "watch", "--simulate", "--sim-schedule",
                                                 "unplug@10,later@20"}
                                  << 1 << "unknown --sim-schedule 'unplug@10,later@20'";
    QTest::newRow("watch over BLE") << QStringList{"device", "watch", "--ble", "AA:BB:CC:DD:EE:FF"} << 1
                                    << "device watch watches USB only";
}

void TestCli::deviceFaults()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, message);
    const Result r = runCli(args);
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY2(!r.err.contains(QRegularExpression("(Apply|Default) configuration.* has succeeded")),
             qPrintable(r.err));
}

void TestCli::deviceDefaults()
{
    const Result r = runCli({"device", "defaults", "--simulate"});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains("Default configuration restored."));
    QVERIFY(r.err.contains("Default configuration from Pelm, has succeeded !"));
}

void TestCli::deviceReadIntoAFolderNotWritable()
{
#ifdef Q_OS_UNIX
    // The user may write the file but not the folder (no room for a temporary file beside it):
    // the save writes the file in place. Root writes anywhere, so root runs the program as an
    // unprivileged user.
    ProcessOptions launched;
    if (::geteuid() == 0) {
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            QSKIP("running as root without setpriv: no unprivileged user to run the save as");
        launched.launcher = QStringList{setpriv, "--reuid=65534", "--regid=65534", "--clear-groups"};
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath("locked");
    QVERIFY(QDir().mkpath(folder));
    const QString saved = folder + "/saved.ocf";
    QFile old(saved);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    QVERIFY(::chmod(QFile::encodeName(saved).constData(), 0666) == 0);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);

    const Result r = ::runCli({"device", "read", "--simulate", "-o", saved}, launched);
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains("Save configuration to '" + saved + "' has succeeded !"), qPrintable(r.err));
    QVERIFY(fileParams(saved).contains("24/0/false/0000"));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"saved.ocf"});
#else
    QSKIP("needs Unix permissions");
#endif
}

void TestCli::deviceReadRefusesWhatIsNotAFile()
{
#ifdef Q_OS_UNIX
    // "-o /dev/full" and the like: a pipe stands for them here (a device node can't be made
    // without privileges), and must still be a pipe afterwards.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fifo = dir.filePath("pipe");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const Result r = runCli({"device", "read", "--simulate", "-o", fifo});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("File error: Can't write file '" + fifo + "'! It is not a regular file."),
             qPrintable(r.err));
    QVERIFY(r.err.contains("Save configuration to '" + fifo + "' has failed !"));
    struct stat st
    {
    };
    QVERIFY(::lstat(QFile::encodeName(fifo).constData(), &st) == 0);
    QVERIFY(S_ISFIFO(st.st_mode));
#else
    QSKIP("needs a named pipe (Unix)");
#endif
}

void TestCli::deviceWatchOnce_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("unplugAtMs");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("identified, then unplugged") << QStringList{"--sim-schedule", "unplug@600"} << 600
                                                << QStringList{"plugged " + kSimIdentity, "unplugged"};
    QTest::newRow("plugged in later")
        << QStringList{"--sim-fault", "unplugged", "--sim-schedule", "plug@300,unplug@1000"} << 1000
        << QStringList{"plugged " + kSimIdentity, "unplugged"};
    QTest::newRow("device that does not identify")
        << QStringList{"--sim-fault", "silent", "--sim-schedule", "unplug@600"} << 600
        << QStringList{"unknown 04d8:0240", "unplugged"};
}

void TestCli::deviceWatchOnce()
{
    // The simulated HID library answers the device information from its first copy, as
    // hidapi 0.13 does: the unplug must be noticed all the same, and soon.
    QFETCH(QStringList, options);
    QFETCH(int, unplugAtMs);
    QFETCH(QStringList, lines);
    Watch watch(QStringList{"--once", "--simulate"} + options);
    QCOMPARE(watch.waitForExit(unplugAtMs + kUnplugNoticeMs + 5000), 0);
    QCOMPARE(watch.lines, lines);
    QVERIFY2(watch.times.last() < unplugAtMs + kUnplugNoticeMs,
             qPrintable(QString::number(watch.times.last())));
    QVERIFY2(watch.err.isEmpty(), qPrintable(watch.err));
}

void TestCli::deviceWatchUntilStopped_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("sig");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("Ctrl+C with the device plugged in")
        << QStringList() << int(SIGINT) << QStringList{"plugged " + kSimIdentity};
    QTest::newRow("Ctrl+C after two plug-ins")
        << QStringList{"--sim-schedule", "unplug@400,plug@900,unplug@1400"} << int(SIGINT)
        << QStringList{"plugged " + kSimIdentity, "unplugged", "plugged " + kSimIdentity, "unplugged"};
    QTest::newRow("stopped by the service manager")
        << QStringList() << int(SIGTERM) << QStringList{"plugged " + kSimIdentity};
}

void TestCli::deviceWatchUntilStopped()
{
    QFETCH(QStringList, options);
    QFETCH(int, sig);
    QFETCH(QStringList, lines);
    Watch watch(QStringList{"--simulate"} + options);
    QVERIFY2(watch.waitForLines(lines.size(), 10000), qPrintable(watch.lines.join('\n')));
    QTest::qWait(300); // nothing else happens while the watch waits
    watch.signal(sig);
    QCOMPARE(watch.waitForExit(3000), 0);
    QCOMPARE(watch.lines, lines);
    QVERIFY2(watch.err.isEmpty(), qPrintable(watch.err));
}

void TestCli::deviceWatchSaysNoAccessAtOnce()
{
    // A device this user may not open: the line comes at once, and so does the fix on
    // standard error (not only when the watch ends).
    Watch watch({"--simulate", "--sim-fault", "no-access", "--sim-schedule", "unplug@1500"});
    QVERIFY2(watch.waitForLines(1, 1200), qPrintable(watch.lines.join('\n')));
    QVERIFY2(QRegularExpression("^noaccess 04d8:0240 \\S+$").match(watch.lines.first()).hasMatch(),
             qPrintable(watch.lines.first()));
    QTRY_VERIFY_WITH_TIMEOUT(
        watch.errSoFar().contains("A device is plugged in, but this user may not open it"), 1000);
    QVERIFY2(watch.waitForLines(2, 1500 + kUnplugNoticeMs), qPrintable(watch.lines.join('\n')));
    QCOMPARE(watch.lines.at(1), QStringLiteral("unplugged"));
    watch.signal(SIGINT);
    QCOMPARE(watch.waitForExit(3000), 0);
    QCOMPARE(watch.lines.size(), 2);
}

namespace {
const QByteArray kAppEuiHex = "D0E1F2A3B4C5D6E7";
const QByteArray kAppKeyHex = "2B7E151628AED2A6ABF7158809CF4F3C";

} // namespace

void TestCli::deviceKeys_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err"); // a part of standard error

    const QByteArray keys = "AppEUI=" + kAppEuiHex + "\nAppKey=" + kAppKeyHex.toLower() + "\n";
    const QStringList viaStdin{"device", "keys", "--keys", "-", "--simulate"};
    QTest::newRow("written") << viaStdin << keys << 0 << "accepted 6 AppEUI\naccepted 7 AppKey\n"
                             << "Apply configuration to Pelm, has succeeded !";
    QTest::newRow("AppKey refused") << viaStdin + QStringList{"--sim-refuse", "7"} << keys << 3
                                    << "accepted 6 AppEUI\nREFUSED  7 AppKey: Can't set AppKey\n"
                                    << "    - AppKey (7): Can't set AppKey !";
    QTest::newRow("both refused")
        << viaStdin + QStringList{"--sim-refuse", "6", "--sim-refuse", "7"} << keys << 3
        << "REFUSED  6 AppEUI: Can't set AppEUI\nREFUSED  7 AppKey: Can't set AppKey\n"
        << "Apply configuration to Pelm, has failed !";
    QTest::newRow("no answer") << viaStdin + QStringList{"--sim-fault", "silent@write"} << keys << 4 << ""
                               << "Apply configuration failed !: No/Bad response from device!";
    // Incomplete keys are refused before any device is looked for (there is none here).
    QTest::newRow("short AppKey")
        << QStringList{"device", "keys", "--keys", "-"}
        << "AppEUI=" + kAppEuiHex + "\nAppKey=" + kAppKeyHex.left(30) << 3 << ""
        << "pelm-cli: no keys written: Line 2: The AppKey must have 32 hexadecimal digits.";
    QTest::newRow("AppKey missing") << viaStdin << "AppEUI=" + kAppEuiHex << 3 << ""
                                    << "pelm-cli: no keys written: The AppKey is missing.";
    QTest::newRow("no key file") << QStringList{"device", "keys", "--keys", "/nonexistent/keys", "--simulate"}
                                 << QByteArray() << 2 << ""
                                 << "Can't open file '/nonexistent/keys'!";
    QTest::newRow("--keys missing") << QStringList{"device", "keys", "--simulate"} << keys << 1 << ""
                                    << "device keys needs --keys FILE (or - for standard input)";
    QTest::newRow("--keys on another command")
        << QStringList{"device", "info", "--keys", "-", "--simulate"} << keys << 1 << ""
        << "--keys is an option of device keys";
    // A key given where a file name belongs is not echoed.
    QTest::newRow("key as an argument")
        << QStringList{"device", "keys", QString::fromLatin1(kAppKeyHex), "--keys", "-", "--simulate"} << keys
        << 1 << ""
        << "device keys takes no file";
}

void TestCli::deviceKeys()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, err);
    ProcessOptions debug;
    debug.input = input;
    debug.environment = QStringList{QStringLiteral("QT_LOGGING_RULES=*.debug=true")};
    const Result r = ::runCli(args, debug);
    QCOMPARE(r.code, code);
    QCOMPARE(r.out, out);
    QVERIFY2(r.err.contains(err), qPrintable(r.err));
    QVERIFY2(!r.err.contains("No supported device"), qPrintable(r.err));
    // Nothing the program prints or logs holds a key, in any form, whole or in part.
    const QString leak = SecretScan::find(r.out.split('\n') + r.err.split('\n'),
                                          {QByteArray::fromHex(kAppEuiHex), QByteArray::fromHex(kAppKeyHex)});
    QVERIFY2(leak.isEmpty(), qPrintable("a key was printed: " + leak));
}

namespace {
/// pelm-cli with QT_LOGGING_RULES set to rules (empty: not set) and the default message format.
Result runCliWithRules(const QStringList &args, const QString &rules, const QByteArray &input = QByteArray())
{
    ProcessOptions o;
    o.input = input;
    o.unset = QStringList{QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("QT_MESSAGE_PATTERN")};
    if (!rules.isEmpty())
        o.environment = QStringList{QStringLiteral("QT_LOGGING_RULES=") + rules};
    return ::runCli(args, o);
}

// The identification of the simulated device, as the protocol trace shows it.
const QStringList kIdentifyTrace{
    "pelm.protocol: send link 0x75 cmd 3 (buffer size) len 0: 75 03 00 00",
    "pelm.protocol: recv link 0x75 cmd 3 (buffer size) status 1 (last) len 2: 75 01 02 00 40 00",
    "pelm.protocol: send link 0x75 cmd 5 (action 2 identify) len 2: 75 05 02 00 01 02",
    "pelm.protocol: recv link 0x75 cmd 5 (action 2 identify) status 1 (last) len 15: "
    "75 01 0F 00 06 1C 00 01 0E 02 01 70 B3 D5 49 9A 0C 1E 2F",
    "pelm.protocol: send link 0x75 cmd 5 (action 7 version) len 2: 75 05 02 00 01 07",
    "pelm.protocol: recv link 0x75 cmd 5 (action 7 version) status 1 (last) len 3: 75 01 03 00 06 20 01",
};
const QString kProbeLine =
    QStringLiteral("pelm.session: USB probe: accepted, type 28 rev 0x0100, module 14 rev 0x0102");
} // namespace

void TestCli::verboseTrace_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("rules"); // QT_LOGGING_RULES; empty: not set
    QTest::addColumn<bool>("protocol"); // the protocol trace is on standard error
    QTest::addColumn<bool>("session");  // the session's lines are

    const QStringList info{"device", "info", "--simulate"};
    QTest::newRow("--verbose after the command")
        << info + QStringList{"--verbose"} << QString() << true << true;
    QTest::newRow("--verbose first") << QStringList{"--verbose"} + info << QString() << true << true;
    QTest::newRow("quiet without --verbose") << info << QString() << false << false;
    QTest::newRow("--verbose, protocol switched off by the user")
        << info + QStringList{"--verbose"} << "pelm.protocol.debug=false" << false << true;
    QTest::newRow("only the protocol, by the user's rule")
        << info << "pelm.protocol.debug=true" << true << false;
}

void TestCli::verboseTrace()
{
    QFETCH(QStringList, args);
    QFETCH(QString, rules);
    QFETCH(bool, protocol);
    QFETCH(bool, session);
    const Result r = runCliWithRules(args, rules);
    QCOMPARE(r.code, 0);
    // The trace never mixes into the answer on standard output.
    QVERIFY2(r.out.startsWith("identity: " + kSimIdentity + "\n"), qPrintable(r.out));
    QVERIFY2(!r.out.contains("pelm."), qPrintable(r.out));

    const QStringList lines = r.err.split('\n', Qt::SkipEmptyParts);
    if (!protocol && !session) {
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        return;
    }
    QCOMPARE(lines.filter(QRegularExpression("^pelm\\.protocol: ")),
             protocol ? kIdentifyTrace : QStringList());
    QCOMPARE(lines.contains(kProbeLine), session);
    // Every line is a log line of one of our categories.
    for (const QString &line : lines)
        QVERIFY2(line.startsWith("pelm."), qPrintable(line));
}

void TestCli::noLogLinesWithoutVerbose_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("device read") << QStringList{"device", "read", "--simulate"};
    QTest::newRow("device apply (with its backup)")
        << QStringList{"device", "apply", kDefaultConfig, "--simulate"};
    QTest::newRow("device defaults") << QStringList{"device", "defaults", "--simulate"};
    QTest::newRow("device diff") << QStringList{"device", "diff", kDefaultConfig, "--simulate"};
    QTest::newRow("frames pack") << QStringList{"frames", "pack", kDefaultConfig};
}

void TestCli::noLogLinesWithoutVerbose()
{
    // Standard error holds the command's own messages; a log line needs --verbose.
    QFETCH(QStringList, args);
    const Result r = runCliWithRules(args, QString());
    QVERIFY2(r.code == 0 || r.code == 1, qPrintable(r.err));
    for (const QString &line : r.err.split('\n', Qt::SkipEmptyParts))
        QVERIFY2(!line.startsWith(QStringLiteral("pelm.")), qPrintable(line));
}

void TestCli::verboseKeyWriteMasksTheKeys()
{
    const QByteArray keys = "AppEUI=" + kAppEuiHex + "\nAppKey=" + kAppKeyHex + "\n";
    const Result r =
        runCliWithRules({"--verbose", "device", "keys", "--keys", "-", "--simulate"}, QString(), keys);
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("accepted 6 AppEUI\naccepted 7 AppKey\n"));
    // The write is traced, its key values masked.
    const QStringList writes = r.err.split('\n').filter(
        QRegularExpression("^pelm\\.protocol: send link 0x75 cmd 5 \\(write 6 7\\)"));
    QCOMPARE(writes.size(), 1);
    QVERIFY2(writes.first().contains(" C6 09 ** ** ** ** ** ** ** ** ** C7 11 ** "),
             qPrintable(writes.first()));
    QVERIFY(r.err.contains("pelm.sim: received cmd 5 write 6 7"));
    const QString leak = SecretScan::find(r.out.split('\n') + r.err.split('\n'),
                                          {QByteArray::fromHex(kAppEuiHex), QByteArray::fromHex(kAppKeyHex)});
    QVERIFY2(leak.isEmpty(), qPrintable("a key was printed: " + leak));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"

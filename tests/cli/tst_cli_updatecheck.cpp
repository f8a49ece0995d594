// pelm-cli update-check against a local HTTP server: what it prints and its exit codes, the
// settings it reads (address, product key, user agent, timeout) and the options that override
// them, and answers that must end the check with an error instead of a hang.

#include "support/LocalHttpServer.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QByteArray kProduct = "pelm-configurator";
/// Bound of one run of the program (the machine may be loaded).
constexpr int kRunWaitMs = 30000;

struct Result
{
    int code = -1;
    QString out;
    QString err;
};
} // namespace

class TestCliUpdateCheck : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<QProcess::ExitStatus>(); }
    void init();
    void cleanup();

    void check_data();
    void check();
    void settingsGiveTheDefaults();
    void userAgentHeader();
    void answerThatNeverEndsTimesOut();
    void badArguments_data();
    void badArguments();

private:
    /// Runs pelm-cli with the settings folder of the test; the server answers meanwhile.
    Result runCli(const QStringList &args);
    /// Writes the settings pelm-cli reads.
    void setSetting(const QString &key, const QVariant &value);

    std::unique_ptr<LocalHttpServer> m_server;
    std::unique_ptr<QTemporaryDir> m_config;
};

void TestCliUpdateCheck::init()
{
    m_config.reset(new QTemporaryDir);
    QVERIFY(m_config->isValid());
    m_server.reset(new LocalHttpServer);
    QVERIFY(m_server->listen());
    LocalHttpServer &s = *m_server;
    s.json("/newer", LocalHttpServer::release(kProduct, "99.0", "https://example.com/dl?v=99&os=linux"));
    s.json("/same", LocalHttpServer::release(kProduct, PELM_VERSION, "https://example.com/dl"));
    s.json("/older", LocalHttpServer::release(kProduct, "0.9.9", "https://example.com/dl"));
    s.json("/js", LocalHttpServer::release(kProduct, "99.0", "javascript:alert(1)"));
    s.json("/beta", LocalHttpServer::release("beta", "99.1", "https://example.com/beta"));
    s.json("/html", "<html>Moved</html>");
    s.json("/escape", LocalHttpServer::release(kProduct, "99.0\\u001b[2J", "https://example.com/dl"));
    s.json("/forged", LocalHttpServer::release(kProduct, "0.1\\nup to date", "https://example.com/dl"));
    s.json("/words", LocalHttpServer::release(kProduct, "latest", "https://example.com/dl"));
    s.json("/noversion", "{\"updates\": {\"" + kProduct + "\": {\"download-url\": \"https://e.com/\"}}}");
    s.json("/escurl", LocalHttpServer::release(kProduct, "99.0", "https://example.com/dl\\u001b[2J"));
    s.json("/forgedurl", LocalHttpServer::release(kProduct, "99.0", "https://example.com/a b\\r\\nup to date"));
    s.json("/idn", LocalHttpServer::release(kProduct, "99.0", "https://ex\xc3\xa4mple.com/\xc3\xbc"));
    s.chain("r3_", 3, "/newer");
    s.chain("r6_", 6, "/newer");
}

void TestCliUpdateCheck::cleanup()
{
    m_server.reset();
    m_config.reset();
}

void TestCliUpdateCheck::setSetting(const QString &key, const QVariant &value)
{
    QSettings settings(m_config->filePath("Pelm/Pelm Configurator.conf"), QSettings::IniFormat);
    settings.setValue(key, value);
}

Result TestCliUpdateCheck::runCli(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", m_config->path());
    p.setProcessEnvironment(env);
    QSignalSpy finished(&p, qOverload<int, QProcess::ExitStatus>(&QProcess::finished));
    p.start(QStringLiteral(PELM_BIN_DIR "/pelm-cli"), args);
    if (!p.waitForStarted(5000))
        return {};
    p.closeWriteChannel();
    // The server lives in this event loop: wait by spinning it, never by blocking.
    if (!finished.wait(kRunWaitMs)) {
        p.kill();
        p.waitForFinished(5000);
        return {};
    }
    Result r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void TestCliUpdateCheck::check_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("newer") << "/newer" << QStringList() << 0
                           << "update available: 99.0 https://example.com/dl?v=99&os=linux\n"
                           << "";
    QTest::newRow("same") << "/same" << QStringList() << 0 << "up to date\n"
                          << "";
    QTest::newRow("older") << "/older" << QStringList() << 0 << "up to date\n"
                           << "";
    QTest::newRow("3 redirections") << "/r3_1" << QStringList() << 0
                                    << "update available: 99.0 https://example.com/dl?v=99&os=linux\n"
                                    << "";
    QTest::newRow("javascript link is no link") << "/js" << QStringList() << 0 << "update available: 99.0\n"
                                                << "";
    QTest::newRow("other product") << "/beta" << QStringList{"--product", "beta"} << 0
                                   << "update available: 99.1 https://example.com/beta\n"
                                   << "";
    QTest::newRow("6 redirections") << "/r6_1" << QStringList() << 4 << ""
                                    << "Network error 10\n";
    QTest::newRow("invalid JSON") << "/html" << QStringList() << 4 << ""
                                  << "JSON error\n";
    QTest::newRow("not found") << "/nothing" << QStringList() << 4 << ""
                               << "Network error 203\n";
    // What the server sends never reaches the terminal as it is.
    QTest::newRow("escape sequence in the version") << "/escape" << QStringList() << 4 << ""
                                                    << "JSON error\n";
    QTest::newRow("forged second line in the version") << "/forged" << QStringList() << 4 << ""
                                                       << "JSON error\n";
    QTest::newRow("version not numbers, not newer") << "/words" << QStringList() << 4 << ""
                                                    << "JSON error\n";
    QTest::newRow("no version at all") << "/noversion" << QStringList() << 0 << "up to date\n"
                                       << "";
    QTest::newRow("escape sequence in the address")
        << "/escurl" << QStringList() << 0 << "update available: 99.0 https://example.com/dl%1B[2J\n"
        << "";
    QTest::newRow("forged second line in the address")
        << "/forgedurl" << QStringList() << 0
        << "update available: 99.0 https://example.com/a%20b%0D%0Aup%20to%20date\n"
        << "";
    QTest::newRow("address not ASCII") << "/idn" << QStringList() << 0
                                       << "update available: 99.0 https://xn--exmple-cua.com/%C3%BC\n"
                                       << "";
}

void TestCliUpdateCheck::check()
{
    QFETCH(QString, path);
    QFETCH(QStringList, options);
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const Result r = runCli(QStringList{"update-check", "--url", m_server->url(path)} + options);
    QCOMPARE(r.err, err);
    QCOMPARE(r.out, out);
    QCOMPARE(r.code, code);
}

void TestCliUpdateCheck::settingsGiveTheDefaults()
{
    // No --url: the address of the settings; no --product: the product key of the settings.
    setSetting("UpdateUrl", m_server->url("/beta"));
    setSetting("UpdateProduct", "beta");
    Result r = runCli({"update-check"});
    QCOMPARE(r.out, QStringLiteral("update available: 99.1 https://example.com/beta\n"));
    QCOMPARE(r.code, 0);
    QCOMPARE(m_server->requests.size(), 1);
    // The options win over the settings.
    r = runCli(
        {"update-check", "--url", m_server->url("/newer"), "--product", QString::fromLatin1(kProduct)});
    QCOMPARE(r.out, QStringLiteral("update available: 99.0 https://example.com/dl?v=99&os=linux\n"));
    QCOMPARE(m_server->requests.last().path, QByteArray("/newer"));
    // An address that is not the web is never asked.
    r = runCli({"update-check", "--url", "file:///etc/hostname"});
    QCOMPARE(r.err, QStringLiteral("Network error 301\n"));
    QCOMPARE(r.code, 4);
}

void TestCliUpdateCheck::userAgentHeader()
{
    Result r = runCli({"update-check", "--url", m_server->url("/r3_1")});
    QCOMPARE(r.code, 0);
    QCOMPARE(m_server->requests.size(), 4);
    const QByteArray agent = m_server->requests.first().header("User-Agent");
    QVERIFY2(QRegularExpression("^PelmConfigurator/" PELM_VERSION " \\(.+\\)$").match(agent).hasMatch(),
             agent.constData());
    for (const LocalHttpServer::Request &req : qAsConst(m_server->requests))
        QCOMPARE(req.header("User-Agent"), agent); // again after each redirection

    m_server->requests.clear();
    setSetting("UpdateUserAgent", "");
    r = runCli({"update-check", "--url", m_server->url("/same")});
    QCOMPARE(r.out, QStringLiteral("up to date\n"));
    QCOMPARE(m_server->requests.size(), 1);
    QVERIFY(!m_server->requests.first().header("User-Agent").contains("Pelm"));
}

void TestCliUpdateCheck::answerThatNeverEndsTimesOut()
{
    LocalHttpServer::Response trickle;
    trickle.kind = LocalHttpServer::Response::Trickle;
    m_server->route("/trickle", trickle);
    setSetting("UpdateTimeoutMs", 700);
    QElapsedTimer elapsed;
    elapsed.start();
    const Result r = runCli({"update-check", "--url", m_server->url("/trickle")});
    QCOMPARE(r.err, QStringLiteral("Network error 4\n"));
    QCOMPARE(r.code, 4);
    QVERIFY(elapsed.elapsed() >= 650);

    // Header lines without end: the bound holds for the whole run, the program's exit included.
    LocalHttpServer::Response headers;
    headers.kind = LocalHttpServer::Response::HeaderFlood;
    m_server->route("/headers", headers);
    setSetting("UpdateTimeoutMs", 1500);
    elapsed.restart();
    const Result flooded = runCli({"update-check", "--url", m_server->url("/headers")});
    QCOMPARE(flooded.err, QStringLiteral("Network error 4\n"));
    QCOMPARE(flooded.code, 4);
    QVERIFY2(elapsed.elapsed() < 1500 + 2500, qPrintable(QString::number(elapsed.elapsed())));

    LocalHttpServer::Response flood;
    flood.kind = LocalHttpServer::Response::Flood;
    m_server->route("/flood", flood);
    setSetting("UpdateTimeoutMs", 60000);
    const Result big = runCli({"update-check", "--url", m_server->url("/flood")});
    QCOMPARE(big.err, QStringLiteral("JSON error\n"));
    QCOMPARE(big.code, 4);
}

void TestCliUpdateCheck::badArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("err");
    QTest::newRow("url without value")
        << QStringList{"update-check", "--url"} << "pelm-cli: --url needs a value\nTry 'pelm-cli --help'.\n";
    QTest::newRow("product without value") << QStringList{"update-check", "--product"}
                                           << "pelm-cli: --product needs a value\nTry 'pelm-cli --help'.\n";
    QTest::newRow("unknown option") << QStringList{"update-check", "--now"}
                                    << "pelm-cli: unexpected argument '--now'\nTry 'pelm-cli --help'.\n";
}

void TestCliUpdateCheck::badArguments()
{
    QFETCH(QStringList, args);
    QFETCH(QString, err);
    const Result r = runCli(args);
    QCOMPARE(r.err, err);
    QCOMPARE(r.code, 1);
    QVERIFY(m_server->requests.isEmpty());
}

QTEST_GUILESS_MAIN(TestCliUpdateCheck)
#include "tst_cli_updatecheck.moc"

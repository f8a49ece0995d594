// The release check of the core: version order, reading the release information (untrusted:
// odd links, markup, no JSON), the settings, and whole checks against a local HTTP server —
// redirections (followed up to five, only to http(s), the User-Agent header each time), and
// answers that fail, never end or never stop growing, each ending the check with its error.

#include "net/ReleaseCheck.h"
#include "support/LocalHttpServer.h"

#include <QElapsedTimer>
#include <QNetworkReply>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

namespace {
const QString kCurrent = QStringLiteral("1.0.7");
const QByteArray kProduct = "pelm-configurator";
/// Generous bound of a check against the local server (the machine may be loaded).
constexpr int kCheckWaitMs = 20000;
} // namespace

class TestReleaseCheck : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void versionOrder_data();
    void versionOrder();
    void readsTheEntry_data();
    void readsTheEntry();
    void linkIsEscaped_data();
    void linkIsEscaped();
    void printableForms_data();
    void printableForms();
    void settingsAndDefaults();

    void outcome_data();
    void outcome();
    void userAgentOnEveryRequest();
    void noUserAgentWhenEmpty();
    void answersThatNeverEnd_data();
    void answersThatNeverEnd();
    void answerAtTheSizeLimitIsRead();
    void compressedAnswerIsNotInflated();
    void newCheckDropsTheRunningOne();

private:
    /// Runs a check of m_checker against path of the local server; false when it never ended.
    bool check(const QString &path);

    std::unique_ptr<LocalHttpServer> m_server;
    std::unique_ptr<ReleaseChecker> m_checker;
};

void TestReleaseCheck::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("PelmTest");
    QCoreApplication::setApplicationName("Pelm Configurator");
    QCoreApplication::setApplicationVersion(kCurrent);
}

void TestReleaseCheck::init()
{
    m_server.reset(new LocalHttpServer);
    QVERIFY(m_server->listen());
    m_checker.reset(new ReleaseChecker);
    m_checker->setProduct(QString::fromLatin1(kProduct));
    m_checker->setCurrentVersion(kCurrent);
}

void TestReleaseCheck::cleanup()
{
    m_checker.reset();
    m_server.reset();
}

bool TestReleaseCheck::check(const QString &path)
{
    m_checker->setUrl(path.startsWith(QLatin1Char('/')) ? m_server->url(path) : path);
    QSignalSpy finished(m_checker.get(), &ReleaseChecker::finished);
    m_checker->start();
    if (finished.isEmpty() && !finished.wait(kCheckWaitMs))
        return false;
    QTest::qWait(0);
    return finished.size() == 1;
}

// ---------------------------------------------------------------------------------------------
// Release information

void TestReleaseCheck::versionOrder_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("newer");
    QTest::newRow("minor as a number") << "1.10.0"
                                       << "1.9.3" << true;
    QTest::newRow("major wins") << "2.0"
                                << "1.99.99" << true;
    QTest::newRow("more parts") << "1.2.0"
                                << "1.2" << true;
    QTest::newRow("fewer parts") << "1.2"
                                 << "1.2.0" << false;
    QTest::newRow("same") << "1.2"
                          << "1.2" << false;
    QTest::newRow("older") << "1.0.6"
                           << "1.0.7" << false;
    QTest::newRow("patch") << "1.0.8"
                           << "1.0.7" << true;
    QTest::newRow("not a number counts 0") << "1.x.5"
                                           << "1.0.4" << true;
    QTest::newRow("not a number against 1") << "1.x"
                                            << "1.1" << false;
    QTest::newRow("empty part kept") << "1..1"
                                     << "1.0" << true;
    QTest::newRow("empty is never newer") << ""
                                          << "1.0.7" << false;
    QTest::newRow("anything is newer than empty") << "0.0"
                                                  << "" << true;
    QTest::newRow("too large for a number") << "99999999999999999999.0"
                                            << "1.0" << false;
}

void TestReleaseCheck::versionOrder()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, newer);
    QCOMPARE(ReleaseInfo::isNewer(a, b), newer);
    if (newer)
        QVERIFY(!ReleaseInfo::isNewer(b, a));
}

void TestReleaseCheck::readsTheEntry_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("json");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("url");
    const QByteArray p = kProduct;
    QTest::newRow("entry") << LocalHttpServer::release(p, "1.2.0", "https://example.com/dl") << true
                           << "1.2.0"
                           << "https://example.com/dl";
    QTest::newRow("http link") << LocalHttpServer::release(p, "1.2.0", "http://example.com/a?b=c") << true
                               << "1.2.0"
                               << "http://example.com/a?b=c";
    QTest::newRow("javascript link") << LocalHttpServer::release(p, "1.2.0", "javascript:alert(1)") << true
                                     << "1.2.0"
                                     << "";
    QTest::newRow("file link") << LocalHttpServer::release(p, "1.2.0", "file:///etc/passwd") << true
                               << "1.2.0"
                               << "";
    QTest::newRow("ftp link") << LocalHttpServer::release(p, "1.2.0", "ftp://example.com/x") << true
                              << "1.2.0"
                              << "";
    QTest::newRow("relative link") << LocalHttpServer::release(p, "1.2.0", "/download") << true << "1.2.0"
                                   << "";
    QTest::newRow("no host") << LocalHttpServer::release(p, "1.2.0", "https:///x") << true << "1.2.0"
                             << "";
    QTest::newRow("other product only")
        << LocalHttpServer::release("other", "9.0", "https://e.com/") << true << ""
        << "";
    QTest::newRow("no updates") << QByteArray("{\"version\": \"9.0\"}") << true << ""
                                << "";
    QTest::newRow("array") << QByteArray("[1, 2]") << true << ""
                           << "";
    QTest::newRow("numbers, not texts")
        << QByteArray("{\"updates\": {\"" + p + "\": {\"latest-version\": 2, \"download-url\": 3}}}") << true
        << ""
        << "";
    QTest::newRow("not JSON") << QByteArray("<html>moved</html>") << false << ""
                              << "";
    QTest::newRow("cut short") << LocalHttpServer::release(p, "1.2.0", "https://e.com/").left(30) << false
                               << ""
                               << "";
    QTest::newRow("empty") << QByteArray() << false << ""
                           << "";
}

void TestReleaseCheck::readsTheEntry()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, json);
    QFETCH(QString, version);
    QFETCH(QString, url);
    ReleaseInfo::Entry entry;
    entry.latestVersion = "stale";
    entry.downloadUrl = "https://stale/";
    QCOMPARE(ReleaseInfo::parse(body, QString::fromLatin1(kProduct), &entry), json);
    QCOMPARE(entry.latestVersion, version);
    QCOMPARE(entry.downloadUrl, url);
}

void TestReleaseCheck::linkIsEscaped_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("html");
    QTest::newRow("plain") << "https://e.com/dl?a=1&b=2"
                           << "<center><a href=\"https://e.com/dl?a=1&amp;b=2\">Get</a></center>";
    QTest::newRow("quote ends the attribute")
        << "https://e.com/\"onmouseover=\"x"
        << "<center><a href=\"https://e.com/&quot;onmouseover=&quot;x\">Get</a></center>";
    QTest::newRow("markup") << "https://e.com/<b>x</b>"
                            << "<center><a href=\"https://e.com/&lt;b&gt;x&lt;/b&gt;\">Get</a></center>";
    QTest::newRow("no link") << ""
                             << "";
}

void TestReleaseCheck::linkIsEscaped()
{
    QFETCH(QString, url);
    QFETCH(QString, html);
    QCOMPARE(ReleaseInfo::linkHtml(url, QStringLiteral("Get")), html);
}

void TestReleaseCheck::printableForms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("version"); ///< dotted decimal numbers
    QTest::addColumn<QString>("url");  ///< as printed on a terminal
    QTest::newRow("version") << "1.10.0" << true << "";
    QTest::newRow("one number") << "2" << true << "";
    QTest::newRow("empty") << "" << false << "";
    QTest::newRow("empty part") << "1..2" << false << "";
    QTest::newRow("trailing dot") << "1.2." << false << "";
    QTest::newRow("final line break") << "1.2\n" << false << "";
    QTest::newRow("letters") << "1.2-beta" << false << "";
    QTest::newRow("other digits") << QString::fromUtf8("1.\u0662") << false << "";
    QTest::newRow("web address") << "https://e.com/dl?a=1&b=2#x" << false << "https://e.com/dl?a=1&b=2#x";
    QTest::newRow("escape sequence") << "https://e.com/\x1b[2J" << false << "https://e.com/%1B[2J";
    QTest::newRow("line break and spaces")
        << "http://e.com/a b\r\nup to date" << false << "http://e.com/a%20b%0D%0Aup%20to%20date";
    QTest::newRow("delete and C1 controls")
        << QString::fromUtf8("https://e.com/\x7f\u009b") << false << "https://e.com/%7F%C2%9B";
    QTest::newRow("host not ASCII") << QString::fromUtf8("https://b\u00fccher.de/")
                                    << false << "https://xn--bcher-kva.de/";
    QTest::newRow("not the web") << "javascript:alert(1)" << false << "";
    QTest::newRow("no host") << "https:///x" << false << "";
}

void TestReleaseCheck::printableForms()
{
    QFETCH(QString, text);
    QFETCH(bool, version);
    QFETCH(QString, url);
    QCOMPARE(ReleaseInfo::isDottedDecimal(text), version);
    QCOMPARE(ReleaseInfo::printableUrl(text), url);
}

void TestReleaseCheck::settingsAndDefaults()
{
    QSettings settings;
    settings.clear();
    ReleaseCheckSettings s = ReleaseCheckSettings::load(settings);
    QCOMPARE(s.url, QStringLiteral("https://www.pelm-sensors.com/releases/updates.json"));
    QCOMPARE(s.product, QStringLiteral("pelm-configurator"));
    QCOMPARE(s.timeoutMs, 15000);
    QCOMPARE(s.userAgent, QStringLiteral("PelmConfigurator/1.0.7 (%1 %2)")
                              .arg(QSysInfo::productType(), QSysInfo::productVersion()));
    ReleaseChecker defaults;
    QCOMPARE(defaults.timeoutMs(), 15000);
    QCOMPARE(defaults.userAgent(), s.userAgent);

    settings.setValue("UpdateUrl", "http://127.0.0.1:1/r.json");
    settings.setValue("UpdateProduct", "beta");
    settings.setValue("UpdateUserAgent", "");
    settings.setValue("UpdateTimeoutMs", 250);
    s = ReleaseCheckSettings::load(settings);
    QCOMPARE(s.url, QStringLiteral("http://127.0.0.1:1/r.json"));
    QCOMPARE(s.product, QStringLiteral("beta"));
    QCOMPARE(s.userAgent, QString()); // empty: none of ours
    QCOMPARE(s.timeoutMs, 250);
    ReleaseChecker checker;
    checker.apply(s);
    QCOMPARE(checker.url(), s.url);
    QCOMPARE(checker.product(), s.product);
    QCOMPARE(checker.userAgent(), QString());
    QCOMPARE(checker.timeoutMs(), 250);

    for (const QVariant &bad : {QVariant("soon"), QVariant(0), QVariant(-5)}) {
        settings.setValue("UpdateTimeoutMs", bad);
        QCOMPARE(ReleaseCheckSettings::load(settings).timeoutMs, 15000);
    }
    settings.clear();

    // A header value never carries a line break into the request.
    checker.setUserAgent("Agent/1\r\nX-Injected: 1");
    QCOMPARE(checker.userAgent(), QStringLiteral("Agent/1X-Injected: 1"));
}

// ---------------------------------------------------------------------------------------------
// Whole checks

void TestReleaseCheck::outcome_data()
{
    QTest::addColumn<QString>("path"); ///< asked (a path of the local server, or a whole address)
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("requests");
    using O = ReleaseChecker::Outcome;
    const QString dl = QStringLiteral("https://example.com/dl");
    QTest::newRow("newer") << "/newer" << int(O::UpdateAvailable) << ""
                           << "1.0.8" << dl << 1;
    QTest::newRow("same") << "/same" << int(O::UpToDate) << ""
                          << "1.0.7" << dl << 1;
    QTest::newRow("older") << "/older" << int(O::UpToDate) << ""
                           << "1.0.6" << dl << 1;
    QTest::newRow("no entry for us") << "/other" << int(O::UpToDate) << ""
                                     << ""
                                     << "" << 1;
    QTest::newRow("javascript link") << "/js" << int(O::UpdateAvailable) << ""
                                     << "2.0"
                                     << "" << 1;
    QTest::newRow("3 redirections followed") << "/r3_1" << int(O::UpdateAvailable) << ""
                                             << "1.0.8" << dl << 4;
    QTest::newRow("5 redirections followed") << "/r5_1" << int(O::UpdateAvailable) << ""
                                             << "1.0.8" << dl << 6;
    QTest::newRow("6 redirections refused") << "/r6_1" << int(O::Failed) << "Network error 10"
                                            << ""
                                            << "" << 6;
    QTest::newRow("redirection loop") << "/loop" << int(O::Failed) << "Network error 10"
                                      << ""
                                      << "" << 6;
    QTest::newRow("relative redirection") << "/relative" << int(O::UpdateAvailable) << ""
                                          << "1.0.8" << dl << 2;
    QTest::newRow("301 and 308 followed") << "/perm" << int(O::UpdateAvailable) << ""
                                          << "1.0.8" << dl << 3;
    QTest::newRow("redirection to javascript") << "/tojs" << int(O::Failed) << "Network error 301"
                                               << ""
                                               << "" << 1;
    QTest::newRow("redirection to a file") << "/tofile" << int(O::Failed) << "Network error 301"
                                           << ""
                                           << "" << 1;
    QTest::newRow("redirection to ftp") << "/toftp" << int(O::Failed) << "Network error 301"
                                        << ""
                                        << "" << 1;
    QTest::newRow("invalid JSON") << "/html" << int(O::Failed) << "JSON error"
                                  << ""
                                  << "" << 1;
    QTest::newRow("not found") << "/missing" << int(O::Failed) << "Network error 203"
                               << ""
                               << "" << 1;
    QTest::newRow("server error") << "/broken" << int(O::Failed) << "Network error 401"
                                  << ""
                                  << "" << 1;
    QTest::newRow("huge answer with its length") << "/huge" << int(O::Failed) << "JSON error"
                                                 << ""
                                                 << "" << 1;
    QTest::newRow("refused connection") << "http://127.0.0.1:1/r.json" << int(O::Failed) << "Network error 1"
                                        << ""
                                        << "" << 0;
    QTest::newRow("a local file is never read")
        << "file:///etc/hostname" << int(O::Failed) << "Network error 301"
        << ""
        << "" << 0;
    QTest::newRow("no address") << "" << int(O::Failed) << "Network error 301"
                                << ""
                                << "" << 0;
}

void TestReleaseCheck::outcome()
{
    QFETCH(QString, path);
    QFETCH(int, outcome);
    QFETCH(QString, error);
    QFETCH(QString, version);
    QFETCH(QString, link);
    QFETCH(int, requests);

    LocalHttpServer &s = *m_server;
    const QByteArray dl = "https://example.com/dl";
    s.json("/newer", LocalHttpServer::release(kProduct, "1.0.8", dl));
    s.json("/same", LocalHttpServer::release(kProduct, "1.0.7", dl));
    s.json("/older", LocalHttpServer::release(kProduct, "1.0.6", dl));
    s.json("/other", LocalHttpServer::release("other", "9.9", dl));
    s.json("/js", LocalHttpServer::release(kProduct, "2.0", "javascript:alert(document.cookie)"));
    s.chain("r3_", 3, "/newer");
    s.chain("r5_", 5, "/newer");
    s.chain("r6_", 6, "/newer");
    s.redirect("/loop", "/loop");
    s.redirect("/relative", "newer");
    s.redirect("/perm", "/perm2", 301);
    s.redirect("/perm2", s.url("/newer").toLatin1(), 308);
    s.redirect("/tojs", "javascript:alert(1)");
    s.redirect("/tofile", "file:///etc/hostname");
    s.redirect("/toftp", "ftp://127.0.0.1/r.json");
    s.json("/html", "<html><body>Moved</body></html>");
    LocalHttpServer::Response broken;
    broken.status = 500;
    broken.body = LocalHttpServer::release(kProduct, "9.0", dl);
    s.route("/broken", broken);
    LocalHttpServer::Response huge;
    huge.body = LocalHttpServer::release(kProduct, "9.0", dl) + QByteArray(2 * 1024 * 1024, ' ');
    s.route("/huge", huge);

    QVERIFY(check(path));
    QCOMPARE(int(m_checker->outcome()), outcome);
    QCOMPARE(m_checker->error(), error);
    QCOMPARE(m_checker->updateAvailable(), outcome == int(ReleaseChecker::Outcome::UpdateAvailable));
    QCOMPARE(m_checker->entry().latestVersion, version);
    QCOMPARE(m_checker->entry().downloadUrl, link);
    QCOMPARE(s.requests.size(), requests);
    // The configured address stays: the next check starts there again.
    QCOMPARE(m_checker->url(), path.startsWith('/') ? s.url(path) : path);
}

void TestReleaseCheck::userAgentOnEveryRequest()
{
    m_server->json("/release", LocalHttpServer::release(kProduct, "1.0.8", "https://e.com/"));
    m_server->chain("r", 3, "/release");
    m_checker->setUserAgent("PelmConfigurator/1.0.7 (test)");
    QVERIFY(check("/r1"));
    QCOMPARE(m_checker->outcome(), ReleaseChecker::Outcome::UpdateAvailable);
    QCOMPARE(m_server->requests.size(), 4);
    for (const LocalHttpServer::Request &r : qAsConst(m_server->requests)) {
        QCOMPARE(r.method, QByteArray("GET"));
        QCOMPARE(r.header("User-Agent"), QByteArray("PelmConfigurator/1.0.7 (test)"));
    }
    QCOMPARE(m_server->requests.last().path, QByteArray("/release"));
}

void TestReleaseCheck::noUserAgentWhenEmpty()
{
    m_server->json("/release", LocalHttpServer::release(kProduct, "1.0.7", "https://e.com/"));
    m_server->redirect("/r", "/release");
    m_checker->setUserAgent(QString());
    QVERIFY(check("/r"));
    QCOMPARE(m_checker->outcome(), ReleaseChecker::Outcome::UpToDate);
    QCOMPARE(m_server->requests.size(), 2);
    // Qt 5's HTTP layer puts its own generic value into a request without one; the program
    // names itself nowhere.
    for (const LocalHttpServer::Request &r : qAsConst(m_server->requests))
        QVERIFY2(!r.header("User-Agent").contains("Pelm"), r.header("User-Agent").constData());
}

void TestReleaseCheck::answersThatNeverEnd_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("redirected");
    QTest::newRow("stalled") << int(LocalHttpServer::Response::Stalled) << "Network error 4" << false;
    // Each redirection takes less than the bound, together they take more.
    QTest::newRow("slow redirections") << int(LocalHttpServer::Response::Whole) << "Network error 4" << true;
    // Bytes keep coming, slowly: only a bound on the whole request ends it.
    QTest::newRow("trickle") << int(LocalHttpServer::Response::Trickle) << "Network error 4" << false;
    QTest::newRow("trickle after redirections")
        << int(LocalHttpServer::Response::Trickle) << "Network error 4" << true;
    // No length, no end: ends at the size limit, well before the timeout.
    QTest::newRow("flood") << int(LocalHttpServer::Response::Flood) << "JSON error" << false;
}

void TestReleaseCheck::answersThatNeverEnd()
{
    QFETCH(int, kind);
    QFETCH(QString, error);
    QFETCH(bool, redirected);
    constexpr int kTimeoutMs = 600;
    LocalHttpServer::Response r;
    r.kind = LocalHttpServer::Response::Kind(kind);
    r.body = "{\"updates\": ";
    if (r.kind == LocalHttpServer::Response::Whole)
        r.body = LocalHttpServer::release(kProduct, "1.0.8", "https://e.com/");
    m_server->route("/endless", r);
    // The bound covers the whole chain, not each request.
    m_server->chain("r", 3, "/endless", r.kind == LocalHttpServer::Response::Whole ? kTimeoutMs / 2 : 0);
    m_checker->setTimeoutMs(kind == LocalHttpServer::Response::Flood ? 60000 : kTimeoutMs);

    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(check(redirected ? "/r1" : "/endless"));
    QCOMPARE(m_checker->outcome(), ReleaseChecker::Outcome::Failed);
    QCOMPARE(m_checker->error(), error);
    if (kind != LocalHttpServer::Response::Flood)
        QVERIFY2(elapsed.elapsed() >= kTimeoutMs - 50, qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY(!m_checker->isRunning());
    // The check let go of the connection: the server sees it closed.
    QTRY_COMPARE_WITH_TIMEOUT(m_server->openConnections(), 0, 5000);
}

void TestReleaseCheck::answerAtTheSizeLimitIsRead()
{
    QByteArray body = LocalHttpServer::release(kProduct, "1.0.8", "https://e.com/");
    body += QByteArray(int(ReleaseChecker::kMaxAnswerBytes) - body.size(), ' ');
    QCOMPARE(body.size(), 1024 * 1024);
    m_server->json("/limit", body);
    body += ' ';
    m_server->json("/over", body);

    QVERIFY(check("/limit"));
    QCOMPARE(m_checker->outcome(), ReleaseChecker::Outcome::UpdateAvailable);
    QVERIFY(check("/over"));
    QCOMPARE(m_checker->outcome(), ReleaseChecker::Outcome::Failed);
    QCOMPARE(m_checker->error(), QStringLiteral("JSON error"));
}

void TestReleaseCheck::compressedAnswerIsNotInflated()
{
    // A server that compresses anyway: the answer is taken as sent, never inflated (a small
    // compressed answer can inflate to gigabytes before any size check sees it).
    const QByteArray json = LocalHttpServer::release(kProduct, "1.0.8", "https://e.com/");
    LocalHttpServer::Response deflated;
    deflated.body = qCompress(json).mid(4); // a zlib stream without Qt's length prefix
    deflated.headers.append(qMakePair(QByteArray("Content-Encoding"), QByteArray("deflate")));
    m_server->route("/deflated", deflated);
    m_server->json("/plain", json);

    QVERIFY(check("/deflated"));
    QCOMPARE(m_checker->outcome(), ReleaseChecker::Outcome::Failed);
    QCOMPARE(m_checker->error(), QStringLiteral("JSON error"));
    QCOMPARE(m_server->requests.last().header("Accept-Encoding"), QByteArray("identity"));
    QVERIFY(check("/plain"));
    QCOMPARE(m_checker->outcome(), ReleaseChecker::Outcome::UpdateAvailable);
    QCOMPARE(m_server->requests.last().header("Accept-Encoding"), QByteArray("identity"));
}

void TestReleaseCheck::newCheckDropsTheRunningOne()
{
    LocalHttpServer::Response stalled;
    stalled.kind = LocalHttpServer::Response::Stalled;
    m_server->route("/stalled", stalled);
    m_server->json("/same", LocalHttpServer::release(kProduct, "1.0.7", "https://e.com/"));

    QSignalSpy finished(m_checker.get(), &ReleaseChecker::finished);
    m_checker->setUrl(m_server->url("/stalled"));
    m_checker->start();
    QTRY_COMPARE(m_server->requests.size(), 1);
    QVERIFY(m_checker->isRunning());
    QVERIFY(check("/same")); // exactly one finished: the dropped check never reports
    QCOMPARE(finished.size(), 1);
    QCOMPARE(m_checker->outcome(), ReleaseChecker::Outcome::UpToDate);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->openConnections(), 0, 5000);
}

QTEST_GUILESS_MAIN(TestReleaseCheck)
#include "tst_releasecheck.moc"

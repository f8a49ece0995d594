// The update checker dialog and the main window's use of it, against a local HTTP server: the
// label's exact texts (newer, same, older, errors), the download link escaped and limited to
// http(s), a second check that shows only its own link, and when the window shows the dialog.

#include "app/Application.h"
#include "app/MainWindow.h"
#include "support/LocalHttpServer.h"
#include "support/RecordingReporter.h"
#include "tools/dlgUpdateChecker.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

namespace {
const QString kCurrent = QStringLiteral("1.0.7");
const QByteArray kProduct = "pelm-configurator";
constexpr int kCheckWaitMs = 20000;

const QString kNewer =
    QStringLiteral("A new version is available online, check the ORV-CFG download page :<br/>");
const QString kLatest = QStringLiteral("The current version is already the latest!");
const QString kErrorHead =
    QStringLiteral("An error occurs when trying to fetch for updates<br/>More details : ");

/// Watches for the dialog running modally (the window runs it from the event loop, so a test
/// never waits on it directly): notes what it shows, then presses OK.
class ModalWatcher
{
public:
    explicit ModalWatcher(dlgUpdateChecker *dialog) : m_dialog(dialog)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QApplication::activeModalWidget() != m_dialog || !m_dialog->isVisible())
                return;
            ++shown;
            text = m_dialog->message();
            QTest::mouseClick(m_dialog->findChild<QPushButton *>("pushButton_ok"), Qt::LeftButton);
        });
        m_timer.start(10);
    }
    int shown = 0;
    QString text;

private:
    dlgUpdateChecker *m_dialog;
    QTimer m_timer;
};

QString link(const QString &escapedUrl)
{
    return QStringLiteral("<center><a href=\"%1\">Download page</a></center>").arg(escapedUrl);
}
} // namespace

class TestUpdateChecker : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void labelAfterACheck_data();
    void labelAfterACheck();
    void secondCheckShowsItsOwnLinkOnly();
    void versionComparisonSetsTheLabel();
    void okHidesTheDialog();

    void userCheckShowsTheDialog_data();
    void userCheckShowsTheDialog();
    void checkNotAskedForShowsOnlyAnUpdate_data();
    void checkNotAskedForShowsOnlyAnUpdate();
    void windowTakesTheSettings();
    void updateUrlOption_data();
    void updateUrlOption();

private:
    /// Runs one check of the dialog against path of the local server.
    bool check(dlgUpdateChecker &dialog, const QString &path);
    void serveReleases();

    ScopedRecordingReporter m_rep;
    std::unique_ptr<LocalHttpServer> m_server;
};

void TestUpdateChecker::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("PelmTest");
    QCoreApplication::setApplicationName("Pelm Configurator");
    QCoreApplication::setApplicationVersion(kCurrent);
}

void TestUpdateChecker::init()
{
    QSettings().clear();
    m_server.reset(new LocalHttpServer);
    QVERIFY(m_server->listen());
    serveReleases();
    m_rep.clear();
}

void TestUpdateChecker::cleanup()
{
    m_server.reset();
    QSettings().clear();
    VERIFY_NO_PENDING_BOXES(m_rep);
}

void TestUpdateChecker::serveReleases()
{
    LocalHttpServer &s = *m_server;
    s.json("/newer", LocalHttpServer::release(kProduct, "1.0.8", "https://example.com/dl?a=1&b=2"));
    s.json("/newer2", LocalHttpServer::release(kProduct, "1.1.0", "https://example.com/second"));
    s.json("/same", LocalHttpServer::release(kProduct, "1.0.7", "https://example.com/dl"));
    s.json("/older", LocalHttpServer::release(kProduct, "1.0.6", "https://example.com/dl"));
    s.json("/js", LocalHttpServer::release(kProduct, "2.0", "javascript:alert(document.cookie)"));
    s.json("/markup", LocalHttpServer::release(
                          kProduct, "2.0", "https://example.com/\\\"><img src=x onerror=alert(1)><b>x</b>"));
    s.json("/html", "<html>Moved</html>");
    s.chain("r3_", 3, "/newer");
    s.chain("r6_", 6, "/newer");
    LocalHttpServer::Response stalled;
    stalled.kind = LocalHttpServer::Response::Stalled;
    s.route("/stalled", stalled);
    LocalHttpServer::Response huge;
    huge.body =
        LocalHttpServer::release(kProduct, "9.0", "https://e.com/") + QByteArray(2 * 1024 * 1024, ' ');
    s.route("/huge", huge);
}

bool TestUpdateChecker::check(dlgUpdateChecker &dialog, const QString &path)
{
    dialog.setUrl(m_server->url(path));
    QSignalSpy finished(&dialog, &dlgUpdateChecker::checkingFinished);
    dialog.checkForUpdates();
    if (finished.isEmpty() && !finished.wait(kCheckWaitMs))
        return false;
    QTest::qWait(0);
    return finished.size() == 1;
}

// ---------------------------------------------------------------------------------------------
// The dialog

void TestUpdateChecker::labelAfterACheck_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("available");
    QTest::newRow("newer") << "/newer" << kNewer + link("https://example.com/dl?a=1&amp;b=2") << true;
    QTest::newRow("same") << "/same" << kLatest << false;
    QTest::newRow("older") << "/older" << kLatest << false;
    QTest::newRow("3 redirections") << "/r3_1" << kNewer + link("https://example.com/dl?a=1&amp;b=2") << true;
    // No link at all rather than one that runs script or opens something else.
    QTest::newRow("javascript link") << "/js" << kNewer << true;
    QTest::newRow("markup in the address")
        << "/markup"
        << kNewer +
               link("https://example.com/&quot;&gt;&lt;img src=x onerror=alert(1)&gt;&lt;b&gt;x&lt;/b&gt;")
        << true;
    QTest::newRow("6 redirections") << "/r6_1" << kErrorHead + "Network error 10" << false;
    QTest::newRow("invalid JSON") << "/html" << kErrorHead + "JSON error" << false;
    QTest::newRow("not found") << "/nothing-here" << kErrorHead + "Network error 203" << false;
    QTest::newRow("never ends") << "/stalled" << kErrorHead + "Network error 4" << false;
    QTest::newRow("huge answer") << "/huge" << kErrorHead + "JSON error" << false;
}

void TestUpdateChecker::labelAfterACheck()
{
    QFETCH(QString, path);
    QFETCH(QString, label);
    QFETCH(bool, available);
    dlgUpdateChecker dialog;
    dialog.setCurrentVersion(kCurrent);
    dialog.setProductKey(QString::fromLatin1(kProduct));
    dialog.setTimeoutMs(500);
    QVERIFY(check(dialog, path));
    QCOMPARE(dialog.message(), label);
    QCOMPARE(dialog.updateAvailable(), available);
    auto *shown = dialog.findChild<QLabel *>("label");
    QVERIFY(shown);
    QCOMPARE(shown->textFormat(), Qt::RichText);
    QVERIFY(shown->openExternalLinks());
    QVERIFY(dialog.findChild<QPushButton *>("pushButton_ok"));
    QVERIFY(dialog.isHidden()); // the dialog itself never shows itself
}

void TestUpdateChecker::secondCheckShowsItsOwnLinkOnly()
{
    dlgUpdateChecker dialog;
    dialog.setCurrentVersion(kCurrent);
    dialog.setProductKey(QString::fromLatin1(kProduct));
    QVERIFY(check(dialog, "/newer"));
    QVERIFY(check(dialog, "/newer2"));
    QCOMPARE(dialog.message(), kNewer + link("https://example.com/second"));
    QCOMPARE(dialog.latestVersion(), QStringLiteral("1.1.0"));
    // A failed check leaves no link or version of the one before.
    QVERIFY(check(dialog, "/html"));
    QCOMPARE(dialog.downloadUrl(), QString());
    QCOMPARE(dialog.latestVersion(), QString());
    QVERIFY(!dialog.updateAvailable());
    QVERIFY(check(dialog, "/same"));
    QCOMPARE(dialog.message(), kLatest);
}

void TestUpdateChecker::versionComparisonSetsTheLabel()
{
    dlgUpdateChecker dialog;
    QVERIFY(dialog.isUpdateAvailable("1.10.0", "1.9.3"));
    QVERIFY(dialog.updateAvailable());
    QCOMPARE(dialog.message(), kNewer); // no address stored yet: no link
    QVERIFY(!dialog.isUpdateAvailable("1.2", "1.2"));
    QVERIFY(!dialog.updateAvailable());
    QCOMPARE(dialog.message(), kLatest);
    dialog.setError("<b>x</b>");
    QCOMPARE(dialog.message(), kErrorHead + "&lt;b&gt;x&lt;/b&gt;");
}

void TestUpdateChecker::okHidesTheDialog()
{
    dlgUpdateChecker dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.findChild<QPushButton *>("pushButton_ok"), Qt::LeftButton);
    QVERIFY(dialog.isHidden());
}

// ---------------------------------------------------------------------------------------------
// The main window

void TestUpdateChecker::userCheckShowsTheDialog_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("label");
    QTest::newRow("newer") << "/newer" << kNewer + link("https://example.com/dl?a=1&amp;b=2");
    QTest::newRow("same") << "/same" << kLatest;
    QTest::newRow("error") << "/html" << kErrorHead + "JSON error";
}

void TestUpdateChecker::userCheckShowsTheDialog()
{
    QFETCH(QString, path);
    QFETCH(QString, label);
    MainWindow window;
    window.setUpdateUrl(m_server->url(path));
    dlgUpdateChecker *dialog = window.updateChecker();
    QVERIFY(dialog);
    QCOMPARE(dialog->parent(), &window);
    dialog->setProductKey(QString::fromLatin1(kProduct));

    ModalWatcher watcher(dialog);
    QSignalSpy finished(dialog, &dlgUpdateChecker::checkingFinished);
    window.findChild<QAction *>("actionCheck_for_updates")->trigger();
    QVERIFY(dialog->userCheck());
    QVERIFY(finished.wait(kCheckWaitMs));
    // The dialog runs modally once the check has ended.
    QTRY_COMPARE_WITH_TIMEOUT(watcher.shown, 1, 5000);
    QCOMPARE(watcher.text, label);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!dialog->userCheck());  // cleared once shown
    QVERIFY(m_rep.boxes.isEmpty()); // no "not available" box any more
    QCOMPARE(m_server->requests.size(), 1);
    QVERIFY(m_server->requests.first().header("User-Agent").startsWith("PelmConfigurator/1.0.7 ("));
}

void TestUpdateChecker::checkNotAskedForShowsOnlyAnUpdate_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("shown");
    QTest::newRow("newer") << "/newer" << true;
    QTest::newRow("same") << "/same" << false;
    QTest::newRow("error") << "/html" << false;
}

void TestUpdateChecker::checkNotAskedForShowsOnlyAnUpdate()
{
    QFETCH(QString, path);
    QFETCH(bool, shown);
    MainWindow window;
    window.setUpdateUrl(m_server->url(path));
    dlgUpdateChecker *dialog = window.updateChecker();
    dialog->setProductKey(QString::fromLatin1(kProduct));
    ModalWatcher watcher(dialog);
    QSignalSpy finished(dialog, &dlgUpdateChecker::checkingFinished);
    dialog->checkForUpdates();
    QVERIFY(finished.wait(kCheckWaitMs));
    QTest::qWait(200); // the window reacts to the end of the check from the event loop
    QCOMPARE(watcher.shown, shown ? 1 : 0);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!dialog->userCheck());
}

void TestUpdateChecker::windowTakesTheSettings()
{
    QSettings settings;
    settings.setValue("UpdateUrl", m_server->url("/r3_1"));
    settings.setValue("UpdateProduct", "beta");
    settings.setValue("UpdateUserAgent", "Agent/2");
    settings.setValue("UpdateTimeoutMs", 700);
    settings.sync();
    MainWindow window;
    dlgUpdateChecker *dialog = window.updateChecker();
    QCOMPARE(dialog->url(), m_server->url("/r3_1"));
    QCOMPARE(dialog->productKey(), QStringLiteral("beta"));
    QCOMPARE(dialog->userAgentString(), QStringLiteral("Agent/2"));
    QCOMPARE(dialog->currentVersion(), kCurrent);

    QSignalSpy finished(dialog, &dlgUpdateChecker::checkingFinished);
    dialog->checkForUpdates();
    QVERIFY(finished.wait(kCheckWaitMs));
    QCOMPARE(m_server->requests.size(), 4);
    for (const LocalHttpServer::Request &r : qAsConst(m_server->requests))
        QCOMPARE(r.header("User-Agent"), QByteArray("Agent/2"));
    QCOMPARE(dialog->message(), kLatest); // no "beta" entry in the answer
}

void TestUpdateChecker::updateUrlOption_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("url");
    QTest::newRow("none") << QStringList{"pelm-configurator"} << QString();
    QTest::newRow("given") << QStringList{"pelm-configurator", "--update-url", "http://127.0.0.1:8000/u.json"}
                           << "http://127.0.0.1:8000/u.json";
    QTest::newRow("with =") << QStringList{"pelm-configurator", "--simulate", "--update-url=https://e.com/u"}
                            << "https://e.com/u";
}

void TestUpdateChecker::updateUrlOption()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, url);
    QCOMPARE(Application::parseCommandLine(arguments).updateUrl, url);
}

QTEST_MAIN(TestUpdateChecker)
#include "tst_updatechecker.moc"

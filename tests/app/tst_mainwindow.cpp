// Start-up pieces and the main window: identity, single-instance lock, look and feel, restart
// loop, actions and menus, recent files, languages and translations, About box.

#include "app/Application.h"
#include "gui/GuiResources.h"
#include "gui/FileDialogs.h"
#include "app/MainWindow.h"
#include "support/RecordingReporter.h"

#include <QActionGroup>
#include <QApplication>
#include <QLockFile>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {
const QString kAppName = QStringLiteral("Pelm Configurator");
const QString kFrenchQm = QStringLiteral(PELM_BIN_DIR "/translations/orv_cfg_fr.qm");

/// A window whose file opening is recorded; like a real open, a success adds the path to the
/// recent files (which rebuilds the submenu from inside the chosen entry's signal).
class OpenRecordingWindow : public MainWindow
{
public:
    int openFile(const QString &path) override
    {
        opened << path;
        addRecentFile(path);
        return 0;
    }
    QStringList opened;
};

QImage argb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

/// Entries of a menu: object names, "-" for separators.
QStringList entries(const QMenu *menu)
{
    QStringList out;
    const QList<QAction *> actions = menu->actions();
    for (const QAction *a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    return out;
}

QStringList texts(const QList<QAction *> &actions)
{
    QStringList out;
    for (const QAction *a : actions)
        out << a->text();
    return out;
}

QStringList toolTips(const QList<QAction *> &actions)
{
    QStringList out;
    for (const QAction *a : actions)
        out << a->toolTip();
    return out;
}

QAction *languageEntry(MainWindow &w, const QString &code)
{
    const QList<QAction *> actions = w.findChild<QMenu *>(QStringLiteral("menuLanguage"))->actions();
    for (QAction *a : actions) {
        if (a->data().toString() == code)
            return a;
    }
    return nullptr;
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    // start-up
    void identity();
    void instanceLockTaken();
    void instanceLockPerUser();
    void secondInstanceExits();
    void lookAndFeel();
    void restartLoop_data();
    void restartLoop();
    void commandLine_data();
    void commandLine();

    // window, actions, menus
    void windowBasics();
    void iconResources_data();
    void iconResources();
    void actions_data();
    void actions();
    void menus();
    void quitEndsWithZero();
    void aboutBox();
    void openAsksForFile();

    // recent files
    void recentFilesKeepTenNewestFirst();
    void recentFileReaddedMovesToFront();
    void recentFileRemoved();
    void recentFilesReadAtStart();
    void recentEntryOpensFile();

    // languages
    void languageMenu_data();
    void languageMenu();
    void choosingCurrentLanguageDoesNothing();
    void choosingLanguageAnswerNo();
    void choosingLanguageAnswerYes();
    void frenchTranslatesWindow();
    void languageChangeRetranslates();

private:
    /// Fills the translations folder with copies of the French .qm under the given codes.
    void provideTranslations(const QStringList &codes);

    ScopedRecordingReporter m_rep;
    QScopedPointer<QTemporaryDir> m_trDir;
    QLocale m_defaultLocale;
};

void TestMainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    Application::setIdentity();
    m_defaultLocale = QLocale();
    QVERIFY2(QFile::exists(kFrenchQm), qPrintable(kFrenchQm + " is missing: build pelm_translations"));
}

void TestMainWindow::init()
{
    QSettings settings;
    settings.clear();
    settings.sync();
    m_trDir.reset(new QTemporaryDir);
    QVERIFY(m_trDir->isValid());
    MainWindow::setTranslationsDir(m_trDir->path());
    m_rep.clear();
}

void TestMainWindow::cleanup()
{
    VERIFY_NO_PENDING_BOXES(m_rep);
    MainWindow::setTranslationsDir(QString());
    QLocale::setDefault(m_defaultLocale);
}

void TestMainWindow::provideTranslations(const QStringList &codes)
{
    for (const QString &code : codes)
        QVERIFY(QFile::copy(kFrenchQm, m_trDir->filePath(QStringLiteral("orv_cfg_%1.qm").arg(code))));
}

// ---------------------------------------------------------------------------------------------
// start-up

void TestMainWindow::identity()
{
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Pelm"));
    QCOMPARE(QCoreApplication::applicationName(), kAppName);
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.0.7"));
    QVERIFY(!QCoreApplication::organizationDomain().isEmpty());
    QCOMPARE(Application::defaultLockPath(),
             QDir::tempPath() + QStringLiteral("/orv-lockfile-") + Application::lockUserName());
}

void TestMainWindow::instanceLockPerUser()
{
    // Two users of one machine share the temporary folder: each has a lock of their own.
    const QByteArray saved = qgetenv("USER");
    qputenv("USER", "alice");
    const QString alicePath = Application::defaultLockPath();
    qputenv("USER", "bob/../x y");
    const QString bobPath = Application::defaultLockPath();
    qputenv("USER", saved);
    QCOMPARE(alicePath, QDir::tempPath() + QStringLiteral("/orv-lockfile-alice"));
    QCOMPARE(bobPath, QDir::tempPath() + QStringLiteral("/orv-lockfile-bob_.._x_y"));

    QTemporaryDir dir;
    QLockFile alice(dir.filePath(QFileInfo(alicePath).fileName()));
    QVERIFY(Application::acquireInstanceLock(alice).proceed);
    QLockFile bob(dir.filePath(QFileInfo(bobPath).fileName()));
    QVERIFY(Application::acquireInstanceLock(bob).proceed); // alice's program does not stop bob's
    QVERIFY(!m_rep.hasBoxes());
}

void TestMainWindow::instanceLockTaken()
{
    QTemporaryDir dir;
    QLockFile lock(dir.filePath(QStringLiteral("orv-lockfile")));
    const Application::LockOutcome out = Application::acquireInstanceLock(lock);
    QVERIFY(out.proceed);
    QVERIFY(lock.isLocked());
    QVERIFY(!m_rep.hasBoxes());
}

void TestMainWindow::secondInstanceExits()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("orv-lockfile"));
    QLockFile first(path);
    QVERIFY(Application::acquireInstanceLock(first).proceed);

    QLockFile second(path);
    QElapsedTimer timer;
    timer.start();
    const Application::LockOutcome out = Application::acquireInstanceLock(second);
    QVERIFY(!out.proceed);
    QCOMPARE(out.exitCode, 0);
    QVERIFY(!second.isLocked());
    QVERIFY(timer.elapsed() < 5000); // gives up after its short wait

    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.icon, Reporter::Information);
    QCOMPARE(box.title, QStringLiteral("Pelm Configurator running!"));
    QCOMPARE(box.text, QStringLiteral("Pelm Configurator is already running !"));
    QCOMPARE(box.parent, nullptr);

    // Once the first instance is gone the next start gets the lock.
    first.unlock();
    QLockFile third(path);
    QVERIFY(Application::acquireInstanceLock(third).proceed);
}

void TestMainWindow::lookAndFeel()
{
    Application::applyLookAndFeel();
    QCOMPARE(QApplication::style()->objectName().toLower(), QStringLiteral("fusion"));
    const QPalette palette = QApplication::palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        QCOMPARE(palette.color(group, QPalette::Window), QColor(240, 240, 240));
}

void TestMainWindow::restartLoop_data()
{
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<int>("calls");
    QTest::addColumn<int>("result");
    QTest::newRow("quit") << QList<int>{0} << 1 << 0;
    QTest::newRow("restart once") << QList<int>{Application::kRestartExitCode, 0} << 2 << 0;
    QTest::newRow("restart twice, other code")
        << QList<int>{Application::kRestartExitCode, Application::kRestartExitCode, 3} << 3 << 3;
}

void TestMainWindow::restartLoop()
{
    QFETCH(QList<int>, codes);
    QFETCH(int, calls);
    QFETCH(int, result);
    QCOMPARE(Application::kRestartExitCode, -123456789);
    int n = 0;
    const int code = Application::runWithRestart([&] { return codes.value(n++, 99); });
    QCOMPARE(n, calls);
    QCOMPARE(code, result);
}

void TestMainWindow::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("simulate");
    QTest::addColumn<bool>("verbose");
    QTest::addColumn<QString>("warning");
    QTest::newRow("none") << QStringList{"pelm-configurator"} << false << false << QString();
    QTest::newRow("simulate") << QStringList{"pelm-configurator", "--simulate"} << true << false << QString();
    QTest::newRow("verbose") << QStringList{"pelm-configurator", "--verbose"} << false << true << QString();
    QTest::newRow("verbose and simulate")
        << QStringList{"pelm-configurator", "--simulate", "--verbose"} << true << true << QString();
    QTest::newRow("unknown option ignored") << QStringList{"pelm-configurator", "--bogus", "--simulate"}
                                            << true << false << QStringLiteral("Unknown option 'bogus'.");
    // The picture tour is a program of its own (tests/screenshots), not an option of this one.
    QTest::newRow("no picture tour") << QStringList{"pelm-configurator", "--simulate", "--screenshots", "DIR"}
                                     << true << false << QStringLiteral("Unknown option 'screenshots'.");
}

void TestMainWindow::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, simulate);
    QFETCH(bool, verbose);
    QFETCH(QString, warning);
    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    const Application::StartOptions options = Application::parseCommandLine(arguments);
    QCOMPARE(options.simulate, simulate);
    QCOMPARE(options.verbose, verbose);
}

// ---------------------------------------------------------------------------------------------
// window, actions, menus

void TestMainWindow::windowBasics()
{
    MainWindow w;
    QCOMPARE(w.windowTitle(), kAppName);
    QVERIFY(w.statusBar());
    QVERIFY(w.centralWidget());
    QVERIFY(w.currentFile().isEmpty());
    QCOMPARE(w.currentLanguage(), QStringLiteral("en"));
    // The form's icon is replaced by the program's own.
    const QImage icon = argb(w.windowIcon().pixmap(QSize(64, 64)).toImage());
    QCOMPARE(icon, argb(QPixmap(QStringLiteral(":/MainWindow/img/pelm/iconpelm")).toImage()));
    QVERIFY(icon != argb(QPixmap(QStringLiteral(":/MainWindow/img/quor_icon.png")).toImage()));
}

void TestMainWindow::iconResources_data()
{
    QTest::addColumn<QString>("path");
    for (const char *name : {"open.png", "save.png", "save_as.png", "exit.png", "import.png", "export.png",
                             "reload.png", "terminal.png", "software-update.png", "edit.png", "keys.png",
                             "about.png", "quor_icon.png", "pelm/iconpelm", "lang/en.png", "lang/fr.png"})
        QTest::newRow(name) << QStringLiteral(":/MainWindow/img/") + QLatin1String(name);
    QTest::newRow("window icon as set") << QStringLiteral(":MainWindow/img/pelm/iconpelm");
}

void TestMainWindow::iconResources()
{
    QFETCH(QString, path);
    GuiResources::init();
    QVERIFY2(QFile::exists(path), qPrintable(path));
    const QPixmap pixmap(path);
    QVERIFY(!pixmap.isNull());
    QVERIFY(pixmap.width() >= 16 && pixmap.height() >= 16);
}

void TestMainWindow::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("textIsToolTip");
    QTest::addColumn<int>("role");
    const int plain = QAction::TextHeuristicRole;
    auto row = [](const char *name, const char *text, const char *shortcut, const char *icon, bool enabled,
                  bool tip, int role) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(text)
                            << QString::fromLatin1(shortcut)
                            << (*icon ? QStringLiteral(":/MainWindow/img/") + QLatin1String(icon) : QString())
                            << enabled << tip << role;
    };
    row("actionOpen", "Open...", "Ctrl+O", "open.png", true, false, plain);
    row("actionRecent_Files", "Recent Files", "", "", true, true, plain);
    row("actionSave", "Save", "Ctrl+S", "save.png", false, false, plain);
    row("actionSave_as", "Save As...", "Ctrl+Shift+S", "save_as.png", false, false, plain);
    row("actionQuit", "Quit", "Ctrl+Q", "exit.png", true, false, QAction::QuitRole);
    row("actionImport_frames", "Import frames", "Ctrl+I", "import.png", false, false, plain);
    row("actionExport_frames", "Export frames", "Ctrl+E", "export.png", false, false, plain);
    row("actionDefault", "Default from ORV", "Ctrl+Alt+D", "reload.png", false, true, plain);
    row("actionReload", "Reload from ORV", "Ctrl+R", "reload.png", false, true, plain);
    row("actionApply", "Apply to ORV", "Ctrl+W", "save.png", false, true, plain);
    row("actionKivTerminal", "Kiv Terminal", "Ctrl+N", "terminal.png", false, false, plain);
    row("actionUpdater", "Updater", "Ctrl+U", "software-update.png", false, false, plain);
    row("actionAuto_Conf", "Auto Config", "", "edit.png", true, true, plain);
    row("actionChangeLoRaWANkeys", "Change LoRaWAN keys", "", "keys.png", false, false, plain);
    row("actionAbout", "About", "Ctrl+A", "about.png", true, false, QAction::AboutRole);
    row("actionCheck_for_updates", "Check for updates", "", "software-update.png", true, false, plain);
}

void TestMainWindow::actions()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, shortcut);
    QFETCH(QString, icon);
    QFETCH(bool, enabled);
    QFETCH(bool, textIsToolTip);
    QFETCH(int, role);

    MainWindow w;
    const QAction *a = w.findChild<QAction *>(name);
    QVERIFY(a);
    QCOMPARE(a->text(), text);
    QCOMPARE(a->shortcut(), QKeySequence(shortcut));
    QCOMPARE(a->isEnabled(), enabled);
    QCOMPARE(int(a->menuRole()), role);
    if (textIsToolTip)
        QCOMPARE(a->toolTip(), text);
    if (icon.isEmpty()) {
        QVERIFY(a->icon().isNull());
    } else {
        QVERIFY(!a->icon().isNull());
        const QPixmap expected(icon);
        QCOMPARE(argb(a->icon().pixmap(expected.size()).toImage()), argb(expected.toImage()));
    }
}

void TestMainWindow::menus()
{
    MainWindow w;
    QStringList bar;
    const QList<QAction *> top = w.menuBar()->actions();
    for (const QAction *a : top)
        bar << (a->menu() ? a->menu()->objectName() : QString());
    QCOMPARE(bar, (QStringList{"menuFile", "menuEdit", "menuTools", "menuLanguage", "menuHelp"}));
    QCOMPARE(texts(top), (QStringList{"File", "Edit", "Tools", "Language", "Help"}));

    QCOMPARE(entries(w.findChild<QMenu *>("menuFile")),
             (QStringList{"-", "-", "actionOpen", "actionRecent_Files", "actionSave", "actionSave_as", "-",
                          "actionRestore_backup", "actionAsk_before_writing", "-", "actionQuit"}));
    QCOMPARE(entries(w.findChild<QMenu *>("menuEdit")),
             (QStringList{"actionImport_frames", "actionExport_frames", "-", "actionDefault", "actionReload",
                          "-", "actionApply"}));
    QCOMPARE(entries(w.findChild<QMenu *>("menuTools")),
             (QStringList{"actionKivTerminal", "-", "actionUpdater", "actionAuto_Conf", "-",
                          "actionChangeLoRaWANkeys"}));
    QCOMPARE(entries(w.findChild<QMenu *>("menuHelp")),
             (QStringList{"actionAbout", "-", "actionCheck_for_updates"}));
    // Recent Files is a submenu, even while empty.
    QVERIFY(w.findChild<QAction *>("actionRecent_Files")->menu());
}

void TestMainWindow::quitEndsWithZero()
{
    MainWindow w;
    QList<int> exits;
    w.setExitFunction([&](int code) { exits << code; });
    w.findChild<QAction *>("actionQuit")->trigger();
    QCOMPARE(exits, QList<int>{0});
}

void TestMainWindow::aboutBox()
{
    MainWindow w;
    w.findChild<QAction *>("actionAbout")->trigger();
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.icon, Reporter::About);
    QCOMPARE(box.title, QStringLiteral("About Pelm Configurator"));
    QCOMPARE(box.parent, &w);
    QVERIFY2(box.text.startsWith(QStringLiteral("<h3>Pelm Configurator 1.0.7 </h3>"
                                                "<h4>Release information : </h4><p>Build date: ")),
             qPrintable(box.text));
    QVERIFY(box.text.contains(QStringLiteral("Build date: " PELM_BUILD_DATE "<br/>")));
    QVERIFY(QRegularExpression(QStringLiteral("^[A-Z][a-z]{2} [ 0-9]?[0-9] [0-9]{4}$"))
                .match(QStringLiteral(PELM_BUILD_DATE))
                .hasMatch());
    QVERIFY(box.text.contains(QStringLiteral("Pelm Configurator uses the following libraries")));
    QVERIFY(box.text.contains(QStringLiteral(">LGPL-3.0-or-later</a>")));
    QVERIFY(
        box.text.endsWith(QStringLiteral("<blockquote>QT5 Core<br/>QT5 Gui<br/>QT5 Widgets<br/>QT5 SerialPort"
                                         "<br/>QT5 Bluetooth<br/>QT5 Svg<br/></blockquote></p>")));
}

void TestMainWindow::openAsksForFile()
{
    ScriptedFileDialogs dialogs;
    OpenRecordingWindow w;
    QAction *open = w.findChild<QAction *>("actionOpen");

    dialogs.setNextFileName(QString()); // cancelled
    open->trigger();
    QVERIFY(w.opened.isEmpty());
    QCOMPARE(dialogs.requests.size(), 1);
    QCOMPARE(dialogs.requests[0].save, false);
    QCOMPARE(dialogs.requests[0].caption, QStringLiteral("Open Pelm config"));
    QCOMPARE(dialogs.requests[0].filter, QStringLiteral("Pelm config file (*.ocf);;All Files (*)"));

    dialogs.setNextFileName(QStringLiteral("/data/site1.ocf"));
    open->trigger();
    QCOMPARE(w.opened, QStringList{"/data/site1.ocf"});
    QCOMPARE(dialogs.requests.size(), 2);
}

// ---------------------------------------------------------------------------------------------
// recent files

void TestMainWindow::recentFilesKeepTenNewestFirst()
{
    MainWindow w;
    QStringList expected;
    for (int i = 0; i <= 10; ++i) {
        const QString path = QStringLiteral("/cfg/file%1.ocf").arg(i);
        w.addRecentFile(path);
        QCOMPARE(w.currentFile(), path);
        expected.prepend(path);
    }
    expected.removeLast(); // file0 dropped out
    QCOMPARE(expected.size(), MainWindow::kMaxRecentFiles);
    QCOMPARE(w.recentFiles(), expected);
    QCOMPARE(QSettings().value("RecentFiles").toStringList(), expected);

    const QMenu *menu = w.findChild<QAction *>("actionRecent_Files")->menu();
    QVERIFY(menu);
    QCOMPARE(texts(menu->actions()), expected);
    QCOMPARE(toolTips(menu->actions()), expected);
}

void TestMainWindow::recentFileReaddedMovesToFront()
{
    MainWindow w;
    for (const char *p : {"/a.ocf", "/b.ocf", "/c.ocf"})
        w.addRecentFile(QString::fromLatin1(p));
    w.addRecentFile(QStringLiteral("/a.ocf"));
    QCOMPARE(w.recentFiles(), (QStringList{"/a.ocf", "/c.ocf", "/b.ocf"}));
    QCOMPARE(texts(w.findChild<QAction *>("actionRecent_Files")->menu()->actions()),
             (QStringList{"/a.ocf", "/c.ocf", "/b.ocf"}));

    // A list stored with duplicates (edited by hand) is cleaned on the next addition.
    QSettings().setValue("RecentFiles", QStringList{"/x.ocf", "/y.ocf", "/x.ocf"});
    w.addRecentFile(QStringLiteral("/y.ocf"));
    QCOMPARE(w.recentFiles(), (QStringList{"/y.ocf", "/x.ocf"}));
}

void TestMainWindow::recentFileRemoved()
{
    MainWindow w;
    w.addRecentFile(QStringLiteral("/a.ocf"));
    w.addRecentFile(QStringLiteral("/b.ocf"));
    QCOMPARE(w.currentFile(), QStringLiteral("/b.ocf"));
    w.removeRecentFile(QStringLiteral("/a.ocf"));
    QCOMPARE(w.recentFiles(), QStringList{"/b.ocf"});
    QVERIFY(w.currentFile().isEmpty());
    QCOMPARE(texts(w.findChild<QAction *>("actionRecent_Files")->menu()->actions()), QStringList{"/b.ocf"});
    w.removeRecentFile(QStringLiteral("/b.ocf"));
    QVERIFY(w.recentFiles().isEmpty());
    QVERIFY(w.findChild<QAction *>("actionRecent_Files")->menu()->actions().isEmpty());
}

void TestMainWindow::recentFilesReadAtStart()
{
    QSettings().setValue("RecentFiles", QStringList{"/one.ocf", "/two.ocf"});
    MainWindow w;
    const QMenu *menu = w.findChild<QAction *>("actionRecent_Files")->menu();
    QVERIFY(menu);
    QCOMPARE(texts(menu->actions()), (QStringList{"/one.ocf", "/two.ocf"}));
    QVERIFY(w.currentFile().isEmpty());
}

void TestMainWindow::recentEntryOpensFile()
{
    OpenRecordingWindow w;
    w.addRecentFile(QStringLiteral("/a.ocf"));
    w.addRecentFile(QStringLiteral("/b.ocf"));
    QMenu *menu = w.findChild<QAction *>("actionRecent_Files")->menu();
    QAction *entryA = menu->actions().at(1);
    QCOMPARE(entryA->text(), QStringLiteral("/a.ocf"));

    // The open adds the path again, which rebuilds the submenu while the entry is being triggered.
    entryA->trigger();
    QCOMPARE(w.opened, QStringList{"/a.ocf"});
    QCOMPARE(texts(menu->actions()), (QStringList{"/a.ocf", "/b.ocf"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    menu->actions().at(1)->trigger();
    QCOMPARE(w.opened, (QStringList{"/a.ocf", "/b.ocf"}));
}

// ---------------------------------------------------------------------------------------------
// languages

void TestMainWindow::languageMenu_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("no translations") << QStringList{} << QStringList{"en"} << QStringList{"English"};
    QTest::newRow("French") << QStringList{"fr"} << QStringList{"en", "fr"}
                            << QStringList{"English", "French"};
    QTest::newRow("English file listed once")
        << QStringList{"en", "fr"} << QStringList{"en", "fr"} << QStringList{"English", "French"};
}

void TestMainWindow::languageMenu()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, codes);
    QFETCH(QStringList, names);
    provideTranslations(files);
    // Files that are not program translations are not languages.
    QFile other(m_trDir->filePath("qt_de.qm"));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();

    MainWindow w;
    const QList<QAction *> entries = w.findChild<QMenu *>("menuLanguage")->actions();
    QCOMPARE(texts(entries), names);
    QStringList data;
    for (const QAction *a : entries) {
        data << a->data().toString();
        QVERIFY(a->isCheckable());
        QVERIFY(a->actionGroup());
        QVERIFY(a->actionGroup()->isExclusive());
        QVERIFY(!a->icon().isNull());
        QCOMPARE(a->isChecked(), a->data().toString() == QLatin1String("en"));
    }
    QCOMPARE(data, codes);
}

void TestMainWindow::choosingCurrentLanguageDoesNothing()
{
    provideTranslations({"fr"});
    MainWindow w;
    QList<int> exits;
    w.setExitFunction([&](int code) { exits << code; });
    languageEntry(w, "en")->trigger();
    QVERIFY(!m_rep.hasBoxes());
    QVERIFY(exits.isEmpty());
    QVERIFY(!QSettings().contains("Language"));
    QVERIFY(languageEntry(w, "en")->isChecked());
}

void TestMainWindow::choosingLanguageAnswerNo()
{
    provideTranslations({"fr"});
    MainWindow w;
    QList<int> exits;
    w.setExitFunction([&](int code) { exits << code; });
    m_rep.answer(Reporter::No);
    languageEntry(w, "fr")->trigger();

    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.icon, Reporter::Question);
    QCOMPARE(box.title, QStringLiteral("Language update"));
    QCOMPARE(box.text,
             QStringLiteral(
                 "To update the translation, it is necessary to restart the application.\nRestart now?"));
    QCOMPARE(box.buttons, int(Reporter::Yes | Reporter::No));
    QCOMPARE(box.parent, &w);
    QVERIFY(exits.isEmpty());
    QCOMPARE(QSettings().value("Language").toString(), QStringLiteral("fr"));
    QVERIFY(languageEntry(w, "fr")->isChecked());
    // The texts change at the next start only.
    QCOMPARE(w.findChild<QMenu *>("menuFile")->title(), QStringLiteral("File"));

    // Choosing French again asks nothing more.
    languageEntry(w, "fr")->trigger();
    QVERIFY(!m_rep.hasBoxes());
}

void TestMainWindow::choosingLanguageAnswerYes()
{
    provideTranslations({"fr"});
    MainWindow w;
    QList<int> exits;
    w.setExitFunction([&](int code) { exits << code; });
    m_rep.answer(Reporter::Yes);
    languageEntry(w, "fr")->trigger();
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Language update"));
    QCOMPARE(exits, QList<int>{-123456789});
    QCOMPARE(QSettings().value("Language").toString(), QStringLiteral("fr"));
}

void TestMainWindow::frenchTranslatesWindow()
{
    provideTranslations({"fr"});
    QSettings().setValue("Language", "fr");
    {
        MainWindow w;
        QCOMPARE(w.currentLanguage(), QStringLiteral("fr"));
        QCOMPARE(QLocale().language(), QLocale::French);
        QVERIFY(languageEntry(w, "fr")->isChecked());
        QCoreApplication::processEvents(); // the translator's own change events change nothing more
        QCOMPARE(w.findChild<QMenu *>("menuFile")->title(), QStringLiteral("Fichier"));
        QCOMPARE(w.findChild<QMenu *>("menuEdit")->title(), QStringLiteral("Édition"));
        QCOMPARE(w.findChild<QMenu *>("menuLanguage")->title(), QStringLiteral("Langue"));
        QCOMPARE(w.findChild<QAction *>("actionOpen")->text(), QStringLiteral("Ouvrir..."));
        QCOMPARE(w.findChild<QAction *>("actionRecent_Files")->toolTip(), QStringLiteral("Fichiers récents"));
        QCOMPARE(w.findChild<QAction *>("actionApply")->text(), QStringLiteral("Appliquer à l'ORV"));
        QCOMPARE(w.windowTitle(), kAppName);
        // Language names stay in English.
        QCOMPARE(languageEntry(w, "fr")->text(), QStringLiteral("French"));

        w.findChild<QAction *>("actionAbout")->trigger();
        QCOMPARE(m_rep.takeBox().title, QStringLiteral("À propos de Pelm Configurator"));
    }
    // The window's translators leave with it.
    QSettings().setValue("Language", "en");
    MainWindow english;
    QCOMPARE(english.findChild<QMenu *>("menuFile")->title(), QStringLiteral("File"));
}

void TestMainWindow::languageChangeRetranslates()
{
    MainWindow w;
    QCOMPARE(w.findChild<QMenu *>("menuHelp")->title(), QStringLiteral("Help"));
    QTranslator french;
    QVERIFY(french.load(kFrenchQm));
    QCoreApplication::installTranslator(&french);
    QCoreApplication::sendPostedEvents(&w, QEvent::LanguageChange);
    QCOMPARE(w.findChild<QMenu *>("menuHelp")->title(), QStringLiteral("Aide"));
    QCOMPARE(w.findChild<QAction *>("actionCheck_for_updates")->text(),
             QStringLiteral("Rechercher des mises à jour"));
    QCOMPARE(w.windowTitle(), kAppName);
    QCoreApplication::removeTranslator(&french);
    QCoreApplication::sendPostedEvents(&w, QEvent::LanguageChange);
    QCOMPARE(w.findChild<QMenu *>("menuHelp")->title(), QStringLiteral("Help"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

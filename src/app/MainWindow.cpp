#include "app/MainWindow.h"

#include "app/Application.h"
#include "app/FileDialogs.h"
#include "common/Reporter.h"

#include "ui_MainWindow.h"

#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>

namespace {
/// The brand word put in the texts that name the tool.
const char kBrand[] = "Pelm";
/// Interval of the USB poll.
constexpr int kPollIntervalMs = 500;
const char kTranslationPrefix[] = "orv_cfg_";
const char kQtTranslationPrefix[] = "qt_";
const char kAppIcon[] = ":MainWindow/img/pelm/iconpelm";
const char kLanguageIconDir[] = ":/MainWindow/img/lang";

/// Central page shown until a device is connected or opened.
class PlaceholderPage : public QLabel
{
public:
    explicit PlaceholderPage(QWidget *parent = nullptr) : QLabel(parent)
    {
        setObjectName(QStringLiteral("placeholderPage"));
        setAlignment(Qt::AlignCenter);
        retranslate();
    }
    QSize sizeHint() const override { return QSize(kWidth, kHeight); }

protected:
    void changeEvent(QEvent *event) override
    {
        if (event->type() == QEvent::LanguageChange)
            retranslate();
        QLabel::changeEvent(event);
    }

private:
    static constexpr int kWidth = 900;
    static constexpr int kHeight = 600;
    void retranslate() { setText(QCoreApplication::translate("MainWindow", "No device connected")); }
};

/// Replaces a translator: removes it, loads the file, and installs it again only when it loaded.
bool switchTranslator(QTranslator &translator, const QString &file)
{
    QCoreApplication::removeTranslator(&translator);
    if (!translator.load(file))
        return false;
    QCoreApplication::installTranslator(&translator);
    return true;
}
} // namespace

QString MainWindow::s_translationsDir;

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), m_ui(new Ui::MainWindow), m_exit([](int code) { QCoreApplication::exit(code); })
{
    Application::initGuiResources();
    m_ui->setupUi(this);

    createLanguageMenu();
    loadLanguage(m_settings.value(QLatin1String(kLanguageKey), QLatin1String(kDefaultLanguage)).toString());
    checkLanguageEntry(m_currLang);
    retranslate();

    setWindowTitle(QCoreApplication::applicationName());
    setWindowIcon(QIcon(QLatin1String(kAppIcon)));
    installFirstPage();

    updateRecentFileActions();

    // The USB poll starts here once the device layer exists; the online update checker is
    // created at the same place.
    m_pollTimer.setInterval(kPollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &MainWindow::on_orvManager);
}

MainWindow::~MainWindow() = default;

QString MainWindow::translationsDir()
{
    if (!s_translationsDir.isEmpty())
        return s_translationsDir;
    return QCoreApplication::applicationDirPath() + QLatin1String("/translations");
}

void MainWindow::setTranslationsDir(const QString &dir)
{
    s_translationsDir = dir;
}

void MainWindow::setExitFunction(ExitFunction exit)
{
    m_exit = std::move(exit);
}

// ---------------------------------------------------------------------------------------------
// Pages and actions

void MainWindow::installPage(QWidget *page)
{
    setCentralWidget(page);
    if (!isMaximized())
        resize(sizeHint());
}

void MainWindow::installFirstPage()
{
    // The connection page takes this place once it exists.
    installPage(new PlaceholderPage(this));
}

void MainWindow::updateActions(bool devicePage)
{
    m_ui->actionSave->setEnabled(devicePage);
    m_ui->actionSave_as->setEnabled(devicePage);
    m_ui->actionImport_frames->setEnabled(devicePage);
    m_ui->actionExport_frames->setEnabled(devicePage);
    // Only a connected device can restore its defaults, reload or take a configuration;
    // the terminal, the updater and new keys depend on its capabilities.
    m_ui->actionDefault->setEnabled(false);
    m_ui->actionReload->setEnabled(false);
    m_ui->actionApply->setEnabled(false);
    m_ui->actionKivTerminal->setEnabled(false);
    m_ui->actionUpdater->setEnabled(false);
    m_ui->actionChangeLoRaWANkeys->setEnabled(false);
}

void MainWindow::notAvailableYet()
{
    reporter().information(QCoreApplication::applicationName(), tr("This function is not available yet."),
                           this);
}

// ---------------------------------------------------------------------------------------------
// Recent files

QStringList MainWindow::recentFiles() const
{
    return m_settings.value(QLatin1String(kRecentFilesKey)).toStringList();
}

void MainWindow::addRecentFile(const QString &path)
{
    QStringList files = recentFiles();
    files.prepend(path);
    files.removeDuplicates();
    while (files.size() > kMaxRecentFiles)
        files.removeLast();
    m_settings.setValue(QLatin1String(kRecentFilesKey), files);
    updateRecentFileActions();
    m_currentFile = path;
}

void MainWindow::removeRecentFile(const QString &path)
{
    QStringList files = recentFiles();
    files.removeAll(path);
    m_settings.setValue(QLatin1String(kRecentFilesKey), files);
    updateRecentFileActions();
    m_currentFile.clear();
}

void MainWindow::updateRecentFileActions()
{
    QMenu *menu = m_ui->actionRecent_Files->menu();
    if (!menu) {
        menu = new QMenu(this);
        menu->setObjectName(QStringLiteral("menuRecent_Files"));
        m_ui->actionRecent_Files->setMenu(menu);
    }
    // An entry may be rebuilt from inside its own triggered signal: delete the old ones later.
    const QList<QAction *> old = menu->actions();
    for (QAction *action : old) {
        menu->removeAction(action);
        action->deleteLater();
    }
    const QStringList files = recentFiles();
    for (const QString &file : files) {
        QAction *action = menu->addAction(file);
        action->setToolTip(file);
        connect(action, &QAction::triggered, this, &MainWindow::_onActionRecentFilesTriggered);
    }
}

void MainWindow::_onActionRecentFilesTriggered()
{
    const QAction *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    const QString path = action->toolTip();
    if (!path.isEmpty())
        openFile(path);
}

int MainWindow::openFile(const QString &path)
{
    Q_UNUSED(path)
    // Reading configuration files comes with the device layer.
    notAvailableYet();
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Languages

void MainWindow::createLanguageMenu()
{
    m_langGroup = new QActionGroup(m_ui->menuLanguage);
    m_langGroup->setExclusive(true);
    connect(m_langGroup, &QActionGroup::triggered, this, &MainWindow::slotLanguageChanged);

    QStringList codes{QLatin1String(kDefaultLanguage)};
    const QDir dir(translationsDir());
    const QString prefix = QLatin1String(kTranslationPrefix);
    const QStringList files = dir.entryList({prefix + QLatin1String("*.qm")}, QDir::Files, QDir::Name);
    for (const QString &file : files) {
        const QString code = QFileInfo(file).completeBaseName().mid(prefix.size());
        if (!code.isEmpty() && !codes.contains(code))
            codes << code;
    }

    for (const QString &code : qAsConst(codes)) {
        const QString name = QLocale::languageToString(QLocale(code).language());
        QAction *action = new QAction(
            QIcon(QString::fromLatin1(kLanguageIconDir) + QLatin1Char('/') + code + QLatin1String(".png")),
            name, this);
        action->setCheckable(true);
        action->setData(code);
        m_ui->menuLanguage->addAction(action);
        m_langGroup->addAction(action);
    }
}

void MainWindow::checkLanguageEntry(const QString &code)
{
    const QList<QAction *> actions = m_langGroup->actions();
    for (QAction *action : actions) {
        if (action->data().toString() == code)
            action->setChecked(true);
    }
}

void MainWindow::loadLanguage(const QString &code)
{
    m_currLang = code;
    QLocale::setDefault(QLocale(code));
    switchTranslator(m_translator, translationsDir() + QLatin1Char('/') + QLatin1String(kTranslationPrefix) +
                                       code + QLatin1String(".qm"));
    switchTranslator(m_translatorQt, QLibraryInfo::location(QLibraryInfo::TranslationsPath) +
                                         QLatin1Char('/') + QLatin1String(kQtTranslationPrefix) + code +
                                         QLatin1String(".qm"));
}

void MainWindow::retranslate()
{
    m_ui->retranslateUi(this);
    setWindowTitle(QCoreApplication::applicationName());
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event) {
        switch (event->type()) {
        case QEvent::LanguageChange:
            retranslate();
            break;
        case QEvent::LocaleChange: {
            // "fr_FR" gives "fr"; a name without a country part is taken whole.
            QString code = QLocale::system().name();
            const int underscore = code.lastIndexOf(QLatin1Char('_'));
            if (underscore > 0)
                code.truncate(underscore);
            loadLanguage(code);
            checkLanguageEntry(code);
            break;
        }
        default:
            break;
        }
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::slotLanguageChanged(QAction *action)
{
    if (!action)
        return;
    const QString code = action->data().toString();
    if (code == m_currLang)
        return;
    m_currLang = code;
    m_settings.setValue(QLatin1String(kLanguageKey), code);
    const int answer = reporter().question(
        tr("Language update"),
        tr("To update the translation, it is necessary to restart the application.\nRestart now?"),
        Reporter::Yes | Reporter::No, Reporter::NoButton, this);
    if (answer == Reporter::Yes)
        m_exit(Application::kRestartExitCode);
}

// ---------------------------------------------------------------------------------------------
// Menu actions

void MainWindow::on_actionAbout_triggered()
{
    const QString name = QCoreApplication::applicationName();
    const QString licence =
        QStringLiteral("<a href=\"https://www.gnu.org/licenses/lgpl-3.0.html\">LGPL-3.0-or-later</a>");
    const QString text =
        QLatin1String("<h3>") + name + QLatin1Char(' ') + QCoreApplication::applicationVersion() +
        QLatin1String(" </h3>") + QLatin1String("<h4>") + tr("Release information : ") +
        QLatin1String("</h4><p>") + tr("Build date: ") + QLatin1String(PELM_BUILD_DATE) +
        QLatin1String("<br/>") +
        tr("%1 uses the following libraries under the %2 licence:").arg(name, licence) +
        QLatin1String(
            "<blockquote>QT5 Core<br/>QT5 Gui<br/>QT5 Widgets<br/>QT5 SerialPort<br/>QT5 Bluetooth<br/>"
            "QT5 Svg<br/></blockquote></p>");
    reporter().about(tr("About %1").arg(name), text, this);
}

void MainWindow::on_actionQuit_triggered()
{
    m_exit(0);
}

void MainWindow::on_actionOpen_triggered()
{
    const QString brand = QLatin1String(kBrand);
    const QString path =
        fileDialogs().getOpenFileName(this, tr("Open %1 config").arg(brand), QString(),
                                      tr("%1 config file (*.ocf);;All Files (*)").arg(brand));
    if (path.isEmpty())
        return;
    openFile(path);
}

void MainWindow::_onWdgClose()
{
    installFirstPage();
    updateActions(false);
    m_currentFile.clear();
}

// The USB poll looks for a device here once the device layer exists.
void MainWindow::on_orvManager() {}

// The device actions below work on the device object; without one (the only case until the
// device layer exists) they only bring the actions up to date.
void MainWindow::on_actionKivTerminal_triggered()
{
    updateActions(false);
}

void MainWindow::on_actionUpdater_triggered()
{
    updateActions(false);
}

void MainWindow::on_actionSave_triggered()
{
    updateActions(false);
}

void MainWindow::on_actionSave_as_triggered()
{
    updateActions(false);
}

void MainWindow::on_actionDefault_triggered()
{
    updateActions(false);
}

void MainWindow::on_actionReload_triggered()
{
    updateActions(false);
}

void MainWindow::on_actionApply_triggered()
{
    updateActions(false);
}

void MainWindow::on_actionChangeLoRaWANkeys_triggered()
{
    updateActions(false);
}

void MainWindow::on_actionImport_frames_triggered()
{
    updateActions(false);
}

void MainWindow::on_actionExport_frames_triggered()
{
    updateActions(false);
}

void MainWindow::on_actionAuto_Conf_triggered()
{
    notAvailableYet();
}

void MainWindow::on_actionCheck_for_updates_triggered()
{
    notAvailableYet();
}

void MainWindow::_checkingUpdateFinished() {}

// Picks of the connection page: the page does not exist yet.
void MainWindow::_onOrvPicked(int orvType, int orvRev, int kivType)
{
    Q_UNUSED(orvType)
    Q_UNUSED(orvRev)
    Q_UNUSED(kivType)
}

void MainWindow::_onOrvBlePicked(const QString &address)
{
    Q_UNUSED(address)
}

void MainWindow::_onKivBlePicked(const QString &address)
{
    Q_UNUSED(address)
}

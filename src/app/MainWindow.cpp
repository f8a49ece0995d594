#include "app/MainWindow.h"

#include "gui/GuiResources.h"
#include "gui/OpenWindow.h"
#include "gui/FileDialogs.h"
#include "app/RecentFiles.h"
#include "app/WdgMain.h"
#include "common/Reporter.h"
#include "common/Translations.h"
#include "device/model/Catalog.h"
#include "device/files/BackupStore.h"
#include "device/family/ConfigDiff.h"
#include "device/files/ConfigFile.h"
#include "editors/OrvObject.h"
#include "editors/WdgOrv.h"
#include "editors/WdgOrvVirtual.h"
#include "links/Comm.h"
#include "links/CommBle.h"
#include "sim/SimDevice.h"
#include "sim/SimUsbHid.h"
#include "tools/DeviceTools.h"
#include "tools/WdgAutoCfg.h"
#include "tools/dlgUpdateChecker.h"
#include "tools/WdgDeviceUpdater.h"

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
#include <QMenuBar>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>

namespace {
/// The brand word put in the texts that name the tool.
/// Interval of the USB poll.
/// Connection modes of the connected configuration page.
constexpr int kModeBle = 0;
constexpr int kModeUsb = 1;
const char kQtTranslationPrefix[] = "qt_";
const char kAppIcon[] = ":MainWindow/img/pelm/iconpelm";
const char kLanguageIconDir[] = ":/MainWindow/img/lang";

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
    GuiResources::init();
    m_ui->setupUi(this);

    createAskBeforeWritingAction();
    createLanguageMenu();
    loadLanguage(m_settings.value(QLatin1String(kLanguageKey), QLatin1String(kDefaultLanguage)).toString());
    checkLanguageEntry(m_currLang);
    retranslate();

    setWindowTitle(QCoreApplication::applicationName());
    setWindowIcon(QIcon(QLatin1String(kAppIcon)));
    installConnectionPage();

    m_recentFiles = new RecentFiles(m_settings, m_ui->actionRecent_Files, this);
    connect(m_recentFiles, &RecentFiles::openRequested, this,
            [this](const QString &path) { openFile(path); });

    m_pollTimer.setInterval(kUsbPollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &MainWindow::on_orvManager);
    m_pollTimer.start();

    m_updateChecker = new dlgUpdateChecker(this);
    m_updateChecker->apply(ReleaseCheckSettings::load(m_settings));
    m_updateChecker->setCurrentVersion(QCoreApplication::applicationVersion());
    // Queued: the dialog runs modally once the network reply that ended the check is done with.
    connect(m_updateChecker, &dlgUpdateChecker::checkingFinished, this, &MainWindow::_checkingUpdateFinished,
            Qt::QueuedConnection);
}

MainWindow::~MainWindow()
{
    m_pollTimer.stop();
    delete m_pendingOrv;
    delete m_orv;
}

void MainWindow::setSimulated(bool simulated)
{
    m_simulated = simulated;
    retranslate();
    if (!simulated || findChild<QMenu *>(QStringLiteral("menuSimulator")))
        return;
    // Demo mode: plug and unplug the simulated device as an installer would the cable.
    QMenu *menu = new QMenu(tr("Simulator"), this);
    menu->setObjectName(QStringLiteral("menuSimulator"));
    QAction *plugged = menu->addAction(tr("Device plugged in (USB)"));
    plugged->setObjectName(QStringLiteral("actionSimulatorPlugged"));
    plugged->setCheckable(true);
    plugged->setChecked(SimUsbHid::device() && SimUsbHid::device()->isPlugged());
    connect(plugged, &QAction::toggled, this, [](bool on) {
        if (SimUsbHid::device())
            SimUsbHid::device()->setPlugged(on);
    });
    // A roll-out: each plug-in is another device, fresh from the factory, with the next DevEUI.
    QAction *plugNew = menu->addAction(tr("Plug in a new device (USB)"));
    plugNew->setObjectName(QStringLiteral("actionSimulatorPlugNew"));
    connect(plugNew, &QAction::triggered, this, [plugged]() {
        SimDevice *device = SimUsbHid::device();
        if (!device)
            return;
        QByteArray id = device->identifier();
        if (id.size() != 8)
            id = QByteArray(8, '\0');
        for (int i = id.size() - 1; i >= 0; --i) { // big-endian increment
            id[i] = char(quint8(id.at(i)) + 1);
            if (id.at(i) != '\0')
                break;
        }
        device->becomeNewDevice(id);
        device->setPlugged(true);
        plugged->setChecked(true);
    });
    QAction *unplug = menu->addAction(tr("Unplug the device (USB)"));
    unplug->setObjectName(QStringLiteral("actionSimulatorUnplug"));
    connect(unplug, &QAction::triggered, this, [plugged]() {
        if (SimUsbHid::device())
            SimUsbHid::device()->setPlugged(false);
        plugged->setChecked(false);
    });
    menuBar()->addMenu(menu);
}

QString MainWindow::translationsDir()
{
    if (!s_translationsDir.isEmpty())
        return s_translationsDir;
    return Translations::dir();
}

void MainWindow::setUpdateUrl(const QString &url)
{
    m_updateChecker->setUrl(url);
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
    if (!isMaximized()) {
        // The new page is not shown yet, so the window's own hint leaves it out: add the
        // menu and status bars to the page's hint instead.
        QSize size = page->sizeHint();
        size.rheight() += menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
        if (const QScreen *s = screen())
            size = size.boundedTo(s->availableGeometry().size());
        resize(size);
    }
}

void MainWindow::installConnectionPage()
{
    auto *page = new WdgMain(this);
    connect(page, &WdgMain::OnOrvPicked, this, &MainWindow::_onOrvPicked);
    connect(page, &WdgMain::OnOrvBlePicked, this, &MainWindow::_onOrvBlePicked);
    connect(page, &WdgMain::OnKivBlePicked, this, &MainWindow::_onKivBlePicked);
    installPage(page);
}

void MainWindow::openConnectedPage(OrvObject *device, int mode)
{
    m_orv = device;
    const QPointer<WdgOrv> page = installConnectedPage(device, mode);
    // After a later load (Reload, Default) the actions follow what the page holds; the
    // capability queries wait until the load's exchange is over.
    connect(
        device, &OrvObject::configurationLoaded, this,
        [this, device] {
            if (m_orv == device)
                updateActions(true);
        },
        Qt::QueuedConnection);
    // The load may run event loops (BLE, boxes) in which the page is closed.
    const QPointer<OrvObject> loading = device;
    device->loadFromDevice();
    if (!loading || m_orv != loading)
        return;
    showDevicePage(loading);
    // A failed first load shows no editors: nothing they hold came from the device.
    if (page)
        page->showLoadState(loading->hasConfiguration());
    updateActions(true);
}

WdgOrv *MainWindow::installConnectedPage(OrvObject *device, int mode)
{
    auto *page = new WdgOrv(this);
    page->setDevice(device, mode);
    // Until the device's values are loaded the page holds the factory values: nobody may see
    // them, even for a moment (pending events are processed below, and a BLE load runs event
    // loops), and act on them. The page keeps its room meanwhile.
    QSizePolicy policy = device->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    device->setSizePolicy(policy);
    device->hide();
    connect(page, &WdgOrv::close, this, &MainWindow::_onWdgClose);
    page->showLoading();
    installPage(page);
    installStatusBar(device);
    return page;
}

void MainWindow::showDevicePage(OrvObject *device)
{
    QSizePolicy policy = device->sizePolicy();
    policy.setRetainSizeWhenHidden(false);
    device->setSizePolicy(policy);
    device->show();
}

void MainWindow::installOfflinePage(OrvObject *device)
{
    auto *page = new WdgOrvVirtual(this);
    page->setDevice(device);
    connect(page, &WdgOrvVirtual::close, this, &MainWindow::_onWdgClose);
    connect(page, &WdgOrvVirtual::save, this, &MainWindow::on_actionSave_triggered);
    connect(page, &WdgOrvVirtual::reload, this, &MainWindow::on_actionReload_triggered);
    installPage(page);
    installStatusBar(device);
}

void MainWindow::installStatusBar(OrvObject *device)
{
    if (QStatusBar *bar = device->statusBar()) {
        setStatusBar(bar);
        bar->show();
    }
    QCoreApplication::processEvents();
}

OrvObject *MainWindow::takePendingDevice()
{
    OrvObject *device = m_pendingOrv;
    m_pendingOrv = nullptr;
    if (device && !device->isConnected()) {
        // Pulled out again while the question was open or since: no page, no load.
        delete device;
        return nullptr;
    }
    return device;
}

void MainWindow::dropDevice()
{
    OrvObject *old = m_orv;
    m_orv = nullptr;
    if (m_pendingOrv == old)
        m_pendingOrv = nullptr;
    if (!old)
        return;
    // The device object may still be on the stack below this call (a page button, a box of
    // one of its transactions, one of its tools' dialogs, the poll that runs in their event
    // loops): its windows are closed now, and it goes once the outermost of their exec()
    // calls has returned and control is back in the event loop. It leaves its page, which is
    // deleted with the next turn of any event loop.
    old->stopUpdates();
    old->hide();
    old->setParent(this);
    OpenWindow::retire(old);
}

void MainWindow::updateActions(bool devicePage)
{
    const bool connected = devicePage && m_orv && !m_orv->isOffline();
    // Until the device's configuration was read the page holds nothing of it: nothing can be
    // written, saved or exported, and the tools wait (reload and defaults stay).
    const bool loaded = devicePage && m_orv && m_orv->hasConfiguration();
    m_ui->actionSave->setEnabled(loaded);
    m_ui->actionSave_as->setEnabled(loaded);
    m_ui->actionImport_frames->setEnabled(loaded);
    m_ui->actionExport_frames->setEnabled(loaded);
    // Only a connected device can restore its defaults, reload or take a configuration;
    // the terminal, the updater and new keys depend on its capabilities.
    m_ui->actionDefault->setEnabled(connected);
    m_ui->actionReload->setEnabled(connected);
    m_ui->actionApply->setEnabled(connected && loaded);
    if (auto *restore = findChild<QAction *>(QStringLiteral("actionRestore_backup")))
        restore->setEnabled(connected && loaded);
    m_ui->actionKivTerminal->setEnabled(false);
    m_ui->actionUpdater->setEnabled(false);
    m_ui->actionChangeLoRaWANkeys->setEnabled(false);
    if (!devicePage || !m_orv)
        return;
    // The updater needs no configuration: it is also the way out for a device whose load fails.
    const bool ble = m_orv->transport() && m_orv->transport()->linkCode() == Comm::kLinkBle;
    m_ui->actionUpdater->setEnabled(ble && m_orv->hasBootloader());
    if (!loaded)
        return;
    m_ui->actionKivTerminal->setEnabled(m_orv->terminalAvailable());
    m_ui->actionChangeLoRaWANkeys->setEnabled(m_orv->supportsKeyChange());
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
    return m_recentFiles->files();
}

void MainWindow::addRecentFile(const QString &path)
{
    rememberRecentFile(path);
    m_currentFile = path;
}

void MainWindow::rememberRecentFile(const QString &path)
{
    m_recentFiles->add(path);
}

void MainWindow::removeRecentFile(const QString &path)
{
    m_recentFiles->remove(path);
    m_currentFile.clear();
}

// ---------------------------------------------------------------------------------------------
// Languages

void MainWindow::createLanguageMenu()
{
    m_langGroup = new QActionGroup(m_ui->menuLanguage);
    m_langGroup->setExclusive(true);
    connect(m_langGroup, &QActionGroup::triggered, this, &MainWindow::slotLanguageChanged);

    QStringList codes{QLatin1String(kDefaultLanguage)};
    const QStringList found = Translations::languages(translationsDir());
    for (const QString &code : found) {
        if (!codes.contains(code))
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
    switchTranslator(m_translator, translationsDir() + QLatin1Char('/') +
                                       QLatin1String(Translations::kFilePrefix) + code +
                                       QLatin1String(Translations::kFileSuffix));
    switchTranslator(m_translatorQt, QLibraryInfo::location(QLibraryInfo::TranslationsPath) +
                                         QLatin1Char('/') + QLatin1String(kQtTranslationPrefix) + code +
                                         QLatin1String(".qm"));
}

void MainWindow::createAskBeforeWritingAction()
{
    // On by default; a provisioning station turns it off to write without the question.
    auto *ask = new QAction(this);
    ask->setObjectName(QStringLiteral("actionAsk_before_writing"));
    ask->setCheckable(true);
    ask->setChecked(ConfigDiff::askBeforeWriting());
    connect(ask, &QAction::toggled, this, [](bool on) { ConfigDiff::setAskBeforeWriting(on); });
    m_ui->menuFile->insertAction(m_ui->actionQuit, ask);

    // The connected device's backups: the chosen one is written through the same comparison.
    auto *restore = new QAction(this);
    restore->setObjectName(QStringLiteral("actionRestore_backup"));
    restore->setEnabled(false);
    connect(restore, &QAction::triggered, this, &MainWindow::restoreBackup);
    m_ui->menuFile->insertAction(ask, restore);
    m_ui->menuFile->insertSeparator(m_ui->actionQuit);
}

void MainWindow::restoreBackup()
{
    QPointer<OrvObject> device = m_orv;
    if (!device || device->isOffline() || !device->hasConfiguration())
        return;
    const QString folder =
        BackupStore::root() + QLatin1Char('/') + BackupStore::deviceFolderName(device->identifier());
    const QString path =
        fileDialogs().getOpenFileName(this, tr("Restore backup"), folder,
                                      tr("%1 config file (*.ocf);;All Files (*)").arg(Catalog::brand()));
    // The device may have been pulled while the file dialog was open (it then waits to be
    // deleted), or while a box of the file's reading was.
    if (path.isEmpty() || !device || OpenWindow::isRetired(device))
        return;
    OrvParamList records;
    QVector<FamilyModel::LeftOut> leftOut;
    if (device->readConfigRecords(path, &records, &leftOut) < 1 || !device || OpenWindow::isRetired(device))
        return;
    // Compared with the device (Write or Cancel), backed up, written; the page shows the result.
    if (device->writeConfiguration(records) == 0 && device)
        device->loadFromDevice();
}

void MainWindow::retranslate()
{
    m_ui->retranslateUi(this);
    if (auto *ask = findChild<QAction *>(QStringLiteral("actionAsk_before_writing")))
        ask->setText(tr("Ask before writing"));
    if (auto *restore = findChild<QAction *>(QStringLiteral("actionRestore_backup")))
        restore->setText(tr("Restore backup…"));
    if (m_simulated)
        setWindowTitle(tr("%1 - simulated device").arg(QCoreApplication::applicationName()));
    else
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
        m_exit(kRestartExitCode);
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
    const QString brand = Catalog::brand();
    const QString path =
        fileDialogs().getOpenFileName(this, tr("Open %1 config").arg(brand), QString(),
                                      tr("%1 config file (*.ocf);;All Files (*)").arg(brand));
    if (path.isEmpty())
        return;
    openFile(path);
}

int MainWindow::openFile(const QString &path)
{
    // The file is read once: the identity chooses the device object, the same reading gives
    // the parameters (the file may change while the page is being built).
    ConfigFile::Document doc;
    if (ConfigFile::load(path, path, &doc).presentTo(reporter()) != ConfigFile::LoadError::None) {
        removeRecentFile(path); // gone, unreadable or refused: not offered again
        return -1;
    }
    ConfigFile::Info info;
    if (ConfigFile::readInfo(doc, &info).presentTo(reporter()) != 0)
        return -1;

    if (!m_orv) {
        OrvObject *device = OrvFactory::createOffline(this, info.orvType, info.orvRev, info.kivType);
        if (!device) {
            reporter().information(tr("Failed to load file !"),
                                   tr("The file '") + path + QStringLiteral("' ") +
                                       tr("was be to open but it is probably corrupted.") +
                                       QLatin1Char('\n') + tr("It is not possible to load this file !") +
                                       QLatin1Char('\n'),
                                   this);
            removeRecentFile(path);
            return -1;
        }
        m_orv = device;
        installOfflinePage(device);
        const int result = device->readFile(doc);
        fileOpened(path, result);
        updateActions(true);
        return result;
    }

    const int result = m_orv->readFile(doc);
    if (result >= 0)
        fileOpened(path, result);
    else
        removeRecentFile(path);
    return result;
}

void MainWindow::fileOpened(const QString &path, int result)
{
    // Only a file whose parameters were loaded is worked on (Save writes to it); a refused one
    // (another device or module type) is just offered again.
    if (result > 0)
        addRecentFile(path);
    else
        rememberRecentFile(path);
}

void MainWindow::_onWdgClose()
{
    setFileActionsEnabled(true);
    installConnectionPage();
    dropDevice();
    setStatusBar(nullptr); // the device's status bar goes with it
    updateActions(false);
    m_currentFile.clear();
    m_pollTimer.start(kUsbPollMs);
}

void MainWindow::on_orvManager()
{
    // A poll never runs inside another poll's question box, nor inside a device exchange or
    // one of its boxes (timers fire in their nested event loops).
    if (m_inPoll || DeviceBusyGuard::isBusy())
        return;
    const QScopedValueRollback<bool> polling(m_inPoll, true);

    if (m_orv && m_orv->isOffline()) {
        if (!m_pendingOrv) {
            bool failed = false;
            m_pendingOrv = OrvFactory::connectUsb(this, &failed);
            if (m_pendingOrv &&
                reporter().question(
                    tr("ORV connected"), tr("Do you want load a ORV and lose the last modification ?"),
                    Reporter::Yes | Reporter::No, Reporter::NoButton, this) == Reporter::Yes) {
                _onWdgClose(); // the pending device is shown by the next poll
                return;
            }
        } else if (!m_pendingOrv->isConnected()) {
            delete m_pendingOrv;
            m_pendingOrv = nullptr;
        }
        return;
    }

    if (m_orv && !m_orv->isConnected()) {
        _onWdgClose();
        reporter().status(tr("The device was disconnected."), Reporter::kStatusTimeoutMs);
        return;
    }

    if (!m_orv) {
        bool failed = false;
        OrvObject *device = takePendingDevice();
        if (!device)
            device = OrvFactory::connectUsb(this, &failed);
        if (device) {
            openConnectedPage(device, kModeUsb);
        } else if (failed && !qobject_cast<WdgMain *>(centralWidget())) {
            // Back to the connection choices; a connection page already shown stays as it is
            // (a new one every 500 ms would restart the BLE scan and lose the picker's choice).
            installConnectionPage();
        }
    }
}

void MainWindow::on_actionKivTerminal_triggered()
{
    if (!m_orv) {
        updateActions(false);
        return;
    }
    DeviceTools::openKivTerminal(*m_orv);
}

void MainWindow::on_actionUpdater_triggered()
{
    if (!m_orv) {
        updateActions(false);
        return;
    }
    if (m_orv->isOffline())
        return; // no link to update over
    // The page takes the device's link over; the device object goes with its page.
    const bool ble = m_orv->transport()->linkCode() == Comm::kLinkBle;
    const DeviceInfo info = m_orv->info();
    m_orv->stopUpdates();
    Comm *link = m_orv->releaseTransport();
    auto *page = new WdgDeviceUpdater(link, info, ble ? m_lastBleAddress : QString(), this);
    _onWdgClose();
    installUpdaterPage(page);
}

void MainWindow::on_actionSave_triggered()
{
    if (!m_orv) {
        updateActions(false);
        return;
    }
    if (m_currentFile.isEmpty()) {
        on_actionSave_as_triggered();
        return;
    }
    const QString path = m_currentFile;
    m_orv->writeFile(path);
    addRecentFile(path);
}

void MainWindow::on_actionSave_as_triggered()
{
    if (!m_orv) {
        updateActions(false);
        return;
    }
    // What is saved is taken before the file dialog: the USB poll runs in the dialog's event
    // loop and may close the page (cable pulled, device out of range) or replace it (a device
    // plugged in and taken). The file gets what the user was saving, whatever is shown then.
    const QPointer<OrvObject> device = m_orv;
    ConfigFile::Content content;
    if (!device->fileContent(&content))
        return; // inside an exchange: nothing can be taken now
    const QString brand = Catalog::brand();
    const QString path =
        fileDialogs().getSaveFileName(this, tr("Save %1 config").arg(brand), QStringLiteral("untitled.ocf"),
                                      tr("%1 config file (*.ocf);;All Files (*)").arg(brand));
    if (path.isEmpty())
        return;
    const DeviceBusyGuard noPoll; // the page stays as it is while a box of the save is open
    const bool stillShown = device && device == m_orv;
    const Outcome saved = ConfigFile::write(path, content).outcome;
    if (stillShown)
        device->report(saved);
    else
        saved.present(reporter());
    if (stillShown)
        addRecentFile(path);
    else
        rememberRecentFile(path); // saved, but not the configuration shown now
}

void MainWindow::on_actionDefault_triggered()
{
    if (!m_orv) {
        updateActions(false);
        return;
    }
    WdgOrv::restoreDefaultsAsked(m_orv);
}

void MainWindow::on_actionReload_triggered()
{
    if (!m_orv) {
        updateActions(false);
        return;
    }
    if (!m_orv->isOffline()) {
        m_orv->loadFromDevice();
        return;
    }
    if (!m_currentFile.isEmpty()) {
        m_orv->readFile(m_currentFile);
        return;
    }
    Reporter::Box box;
    box.icon = Reporter::Information;
    box.title = tr("No file !");
    box.text = tr("No file to reload !");
    box.informativeText = tr("Reload default ?");
    box.buttons = Reporter::Yes | Reporter::No;
    box.defaultButton = Reporter::Yes;
    // The box is the page's: closed with it when a device plugged in meanwhile is taken.
    const QPointer<OrvObject> device = m_orv;
    const OpenWindow pageBox(nullptr, device);
    if (reporter().box(box) == Reporter::Yes && !pageBox.closed()) {
        QCoreApplication::processEvents();
        if (device && device == m_orv)
            device->loadDefaultConfig();
    }
}

void MainWindow::on_actionApply_triggered()
{
    if (!m_orv) {
        updateActions(false);
        return;
    }
    m_orv->applyToDevice();
}

void MainWindow::on_actionChangeLoRaWANkeys_triggered()
{
    if (!m_orv) {
        updateActions(false);
        return;
    }
    DeviceTools::openKeysDialog(*m_orv);
}

void MainWindow::on_actionImport_frames_triggered()
{
    if (!m_orv) {
        updateActions(false);
        return;
    }
    DeviceTools::importFrames(*m_orv);
}

void MainWindow::on_actionExport_frames_triggered()
{
    if (!m_orv) {
        updateActions(false);
        return;
    }
    DeviceTools::exportFrames(*m_orv);
}

void MainWindow::on_actionAuto_Conf_triggered()
{
    showAutoConfig();
}

WdgAutoCfg *MainWindow::showAutoConfig()
{
    _onWdgClose();
    m_pollTimer.stop(); // the page looks for devices itself
    auto *page = new WdgAutoCfg(this);
    connect(page, &WdgAutoCfg::close, this, &MainWindow::_onWdgClose);
    installPage(page);
    // The page may be writing a device inside its own waits: nothing may replace it meanwhile.
    setFileActionsEnabled(false);
    return page;
}

bool MainWindow::startAutoConfig(const QString &file, const QString &record, const QString &keyList)
{
    const QPointer<WdgAutoCfg> page = showAutoConfig();
    // Everything is chosen before the first device is written; a choice refused shows its box
    // and leaves the page waiting for the technician.
    bool ok = page->chooseConfigFile(file);
    if (ok && page && !record.isEmpty())
        ok = page->chooseRecord(record);
    if (ok && page && !keyList.isEmpty())
        ok = page->chooseKeyList(keyList);
    if (!ok || !page)
        return false;
    page->start();
    return true;
}

void MainWindow::on_actionCheck_for_updates_triggered()
{
    m_updateChecker->setUserCheck(true);
    m_updateChecker->checkForUpdates();
}

void MainWindow::_checkingUpdateFinished()
{
    // A newer release is always worth the dialog; anything else only when the user asked.
    const bool show = m_updateChecker->updateAvailable() || m_updateChecker->userCheck();
    m_updateChecker->setUserCheck(false);
    if (show)
        m_updateChecker->exec();
}

void MainWindow::_onOrvPicked(int orvType, int orvRev, int kivType)
{
    if (m_orv)
        return;
    OrvObject *device = OrvFactory::createOffline(this, orvType, orvRev, kivType);
    if (!device)
        return;
    m_orv = device;
    installOfflinePage(device);
    device->loadDefaultConfig();
    updateActions(true);
}

void MainWindow::_onOrvBlePicked(const QString &address)
{
    if (m_orv)
        return;
    OrvObject *device = takePendingDevice();
    if (!device)
        device = OrvFactory::connectBle(address, this);
    if (m_orv) {
        // Another device was opened while the BLE connection ran its event loops (File > Open,
        // an offline pick): that one stays.
        delete device;
        return;
    }
    if (!device) {
        installConnectionPage();
        return;
    }
    m_lastBleAddress = address;
    openConnectedPage(device, kModeBle);
}

void MainWindow::_onKivBlePicked(const QString &address)
{
    if (m_orv)
        return;
    m_lastBleAddress = address;
    installUpdaterPage(new WdgDeviceUpdater(new CommBle(address), address, this));
}

void MainWindow::installUpdaterPage(WdgDeviceUpdater *page)
{
    // While the page is shown the USB poll rests, and no other page may replace it (an
    // update runs inside its slots): the placeholder device object keeps the picks and the
    // file opening from installing one. Closing the page brings all of it back.
    m_pollTimer.stop();
    dropDevice();
    m_orv = new OrvObject(0, -1, 0, this);
    m_orv->hide();
    connect(page, &WdgDeviceUpdater::close, this, &MainWindow::_onWdgClose);
    installPage(page);
    setStatusBar(nullptr);
    updateActions(false);
    setFileActionsEnabled(false);
}

void MainWindow::setFileActionsEnabled(bool enabled)
{
    m_ui->actionOpen->setEnabled(enabled);
    m_ui->actionRecent_Files->setEnabled(enabled);
    m_ui->actionAuto_Conf->setEnabled(enabled);
}

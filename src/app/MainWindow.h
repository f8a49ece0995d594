#pragma once
// The program's single window: menus and actions, recent files, the language menu with its
// translators, and the central page that shows the connection page or a device.

#include "app/RecentFiles.h"

#include <QMainWindow>
#include <QScopedPointer>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QTranslator>

#include <functional>

class QActionGroup;
class OrvObject;
class WdgOrv;
class WdgAutoCfg;
class dlgUpdateChecker;
class WdgDeviceUpdater;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    /// Exit code with which the window ends the event loop to be built again (language change).
    static constexpr int kRestartExitCode = -123456789;
    /// How often the window looks for a USB device while no page holds one.
    static constexpr int kUsbPollMs = 500;
    /// How the window ends the event loop: QCoreApplication::exit unless a test replaced it.
    using ExitFunction = std::function<void(int)>;

    /// Settings keys of the program.
    static constexpr const char *kLanguageKey = "Language";
    static constexpr const char *kRecentFilesKey = RecentFiles::kSettingsKey;
    /// Language used when none was chosen yet; always the first entry of the language menu.
    static constexpr const char *kDefaultLanguage = "en";
    /// How many recent files the File menu keeps.
    static constexpr int kMaxRecentFiles = RecentFiles::kMaxFiles;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    /// The folder holding the program's translations ("orv_cfg_<code>.qm"): the first of
    /// Translations::searchDirs that holds one ("translations" beside the executable, then the
    /// installed data folder) unless overridden.
    static QString translationsDir();
    /// Overrides the translations folder (empty: back to the folder beside the executable).
    static void setTranslationsDir(const QString &dir);

    /// Replaces the way the window ends the event loop (Quit, restart after a language change).
    void setExitFunction(ExitFunction exit);

    /// Puts a path at the front of the recent files (no duplicates, at most kMaxRecentFiles),
    /// rebuilds the submenu and makes the path the current file.
    void addRecentFile(const QString &path);
    /// Removes a path from the recent files, rebuilds the submenu and clears the current file.
    void removeRecentFile(const QString &path);
    /// The recent files as stored, newest first.
    QStringList recentFiles() const;

    /// The configuration file the window works on (empty when none).
    QString currentFile() const { return m_currentFile; }
    /// The language code the window was translated with (or chose for the next start).
    QString currentLanguage() const { return m_currLang; }

    /// Opens a configuration file (File > Open, recent files). Returns 0 or more on success,
    /// a negative value on failure.
    virtual int openFile(const QString &path);

    /// The device object shown (null on the connection page).
    OrvObject *device() const { return m_orv; }
    /// A device found on USB while an offline device is shown (null when none).
    OrvObject *pendingDevice() const { return m_pendingOrv; }
    /// The USB poll timer (every 500 ms while the connection or a configuration page is shown).
    const QTimer &pollTimer() const { return m_pollTimer; }
    /// Marks the window as running on the simulated device (demo mode): the title says so and
    /// a Simulator menu plugs and unplugs the simulated device.
    void setSimulated(bool simulated);
    /// The online update checker (owned by the window; shown when a check has something to say).
    dlgUpdateChecker *updateChecker() const { return m_updateChecker; }
    /// Asks the release information at url instead of the address in the settings.
    void setUpdateUrl(const QString &url);
    /// Opens the auto configuration page with the configuration file, the provisioning record
    /// and the key list chosen (empty: none) and starts the roll-out (pelm-configurator
    /// --auto-config). False when one of them is refused (its box shown; the page waits).
    bool startAutoConfig(const QString &file, const QString &record = QString(),
                         const QString &keyList = QString());
    /// Shows the auto configuration page, nothing chosen.
    WdgAutoCfg *showAutoConfig();

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void slotLanguageChanged(QAction *action);
    void _onWdgClose();
    void on_actionAbout_triggered();
    void on_actionQuit_triggered();
    void on_orvManager();
    void on_actionKivTerminal_triggered();
    void on_actionUpdater_triggered();
    void on_actionAuto_Conf_triggered();
    void on_actionSave_triggered();
    void on_actionSave_as_triggered();
    void on_actionOpen_triggered();
    void on_actionDefault_triggered();
    void on_actionReload_triggered();
    void on_actionApply_triggered();
    void on_actionChangeLoRaWANkeys_triggered();
    void on_actionImport_frames_triggered();
    void on_actionExport_frames_triggered();
    void _onOrvPicked(int orvType, int orvRev, int kivType);
    void _onOrvBlePicked(const QString &address);
    void _onKivBlePicked(const QString &address);
    void on_actionCheck_for_updates_triggered();
    void _checkingUpdateFinished();

private:
    void createLanguageMenu();
    void loadLanguage(const QString &code);
    void checkLanguageEntry(const QString &code);
    void retranslate();
    /// File > "Ask before writing" (checkable, kept in the settings).
    void createAskBeforeWritingAction();
    /// File > "Restore backup…": one of the connected device's backups, written through the
    /// comparison (Write or Cancel) and backed up like any write.
    void restoreBackup();
    /// Puts a path at the front of the recent files without making it the current file.
    void rememberRecentFile(const QString &path);
    /// Records an opened file after its parameters were read (result of readFile, 0 or more).
    void fileOpened(const QString &path, int result);
    void installPage(QWidget *page);
    /// A new connection page, connected to the three picks.
    void installConnectionPage();
    /// Makes device the device object and shows its configuration page (mode 0 BLE, 1 USB)
    /// with the device's values: the page is loaded before it is shown, then the actions are
    /// enabled.
    void openConnectedPage(OrvObject *device, int mode);
    /// The configuration page of a connected device (mode 0 BLE, 1 USB); the device page in it
    /// stays hidden, its room kept, until it is shown with showDevicePage.
    WdgOrv *installConnectedPage(OrvObject *device, int mode);
    /// Shows the device page hidden by installConnectedPage.
    static void showDevicePage(OrvObject *device);
    /// The configuration page of an offline device.
    void installOfflinePage(OrvObject *device);
    /// Shows the device's status bar as the window's.
    void installStatusBar(OrvObject *device);
    /// Forgets the device object shown: its open windows are closed, and it is deleted once
    /// the outermost of their exec() calls has returned (see OpenWindow).
    void dropDevice();
    /// Takes the device found on USB while an offline device was shown; null when there is
    /// none or it is no longer connected (then it is deleted).
    OrvObject *takePendingDevice();
    /// Enables the actions that need a device page (argument: such a page is shown).
    void updateActions(bool devicePage);
    /// Shows the updater page: the USB poll stops and the file actions rest until it closes.
    void installUpdaterPage(WdgDeviceUpdater *page);
    /// File > Open, the recent files and the auto configuration (off while the updater page
    /// is shown).
    void setFileActionsEnabled(bool enabled);
    void notAvailableYet();

    const QScopedPointer<Ui::MainWindow> m_ui;
    QSettings m_settings;
    QString m_currentFile;
    /// Polls for a USB device every kPollIntervalMs once the device layer is in place.
    QTimer m_pollTimer;
    QTranslator m_translator;   ///< the program's texts
    QTranslator m_translatorQt; ///< the Qt library's own texts
    QString m_currLang;
    QActionGroup *m_langGroup = nullptr;
    RecentFiles *m_recentFiles = nullptr; ///< the File menu's recent files (child of the window)
    ExitFunction m_exit;
    OrvObject *m_orv = nullptr;        ///< the device object shown, owned
    OrvObject *m_pendingOrv = nullptr; ///< found on USB while an offline device is shown, owned
    QString m_lastBleAddress;
    bool m_inPoll = false; ///< a poll is running (its question box spins the event loop)
    bool m_simulated = false;
    dlgUpdateChecker *m_updateChecker = nullptr; ///< child of the window

    static QString s_translationsDir;
};

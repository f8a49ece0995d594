#pragma once
// FirmwareUpdater: the updater's flow without widgets, shared by the updater page and
// `pelm-cli device update`. For a connected device (or a BLE radio module) it reads the
// bootloader kinds of the controllers, and for one controller and firmware file it asks the
// device to restart that controller into its bootloader, waits for the link to drop, hands
// over to the XCP session (Update) or the YMODEM transfer (YmodemUpdate), and afterwards
// reconnects (and, after a BLE module update, restarts the device). Messages and progress
// come out of its signals; the owner shows them.
//
// One update runs at a time in the process. While it runs the device is marked busy
// (DeviceBusyGuard), so polls and refresh timers firing in its waits leave the link alone.
// A stop request ends the update at its next check; the controller then stays in its
// bootloader and the update can simply be started again.

#include "update/Update.h"
#include "update/Ymodem.h"

#include <QList>
#include <QObject>
#include <QPointer>

class DeviceSession;

class FirmwareUpdater : public QObject
{
    Q_OBJECT
public:
    /// Controllers of a device; the code is also the payload of the restart request.
    enum Target : quint8
    {
        kTargetSerialModule = 0x20, ///< the serial radio module (nothing to update it with)
        kTargetDevice = 0x40,       ///< the device's main controller
        kTargetBleModule = 0x60,    ///< the BLE radio module
    };
    /// Bootloader kinds.
    enum Kind : int
    {
        kKindAboot = 1,  ///< "Aboot/DS30Secure": no transfer exists for it
        kKindYmodem = 2, ///< "ST Ymodem": YMODEM over the device link
        kKindXcp = 3,    ///< "BootQuor": XCP over BLE
    };
    /// One controller that reports a bootloader.
    struct Bootloader
    {
        quint8 code = 0;
        int kind = -1;
        bool operator==(const Bootloader &o) const { return code == o.code && kind == o.kind; }
    };
    enum class State
    {
        Idle,
        Updating,
        Reconnecting,
    };

    /// Waits of the flow in milliseconds; tests shorten them.
    struct Timing
    {
        int xcpDisconnectMs = 3000;     ///< link drop after the restart request (XCP)
        int ymodemDisconnectMs = 10000; ///< link drop after the restart request (YMODEM, type 28)
        int afterDisconnectMs = 100;    ///< pause before the XCP session
        int endDisconnectMs = 3000;     ///< link drop after the update
        int deviceSettleMs = 3000;      ///< pause after a device update before reconnecting
        int moduleSettleMs = 100;       ///< pause after a BLE module update before reconnecting
        /// How long the device may take to come back (enumerate again) after an update.
        int reconnectMs = 15000;
        /// The waits for the simulated device, which drops and takes back its link at once.
        static Timing simulated();
    };

    /// Settings key of the seed-and-key library path.
    static constexpr char kSeedKeySetting[] = "SeedKeyLibrary";
    /// Device type whose main controller drops the link when it restarts into YMODEM.
    static constexpr int kWaitForRestartType = 28;

    /// session: the device on the link (not owned; its transport is the link). bleAddress:
    /// the address text of a BLE device, empty for USB.
    FirmwareUpdater(DeviceSession *session, const QString &bleAddress, QObject *parent = nullptr);
    ~FirmwareUpdater() override;

    // --- bootloader kinds ------------------------------------------------------------
    /// The name shown for a kind ("Aboot/DS30Secure", "ST Ymodem", "BootQuor", else "XXX").
    static QString kindName(int kind);
    /// The file dialog filter of a kind.
    static QString fileFilter(int kind);
    /// The kind a file is for by its suffix ("sfb" 2, "srec" 3, "hex" 1), -1 otherwise.
    static int kindFromSuffix(const QString &path);
    /// What keeps a firmware file from being sent to a bootloader of kind, checked as a whole
    /// before the controller is restarted: a file that can't be read, an empty `.sfb`, an
    /// S-record file with a corrupt line (the first one is named) or without data records.
    /// Empty when the file can be sent.
    static QString fileProblem(int kind, const QString &path);
    /// The seed-and-key library path kept in the settings (empty when none).
    static QString seedKeyLibraryFromSettings();

    /// Asks the device for its bootloaders (one query) and keeps those of the device, the
    /// BLE radio module and the serial radio module, in that order. Empty when the device is
    /// busy or did not answer.
    QList<Bootloader> readBootloaders();
    const QList<Bootloader> &bootloaders() const { return m_bootloaders; }
    /// The kind listed for a controller, -1 when it reported none.
    int bootloaderKind(quint8 code) const;
    /// "Firmware : Pelm <name> <revision>" and "Bootloader : <kind>" on a second line, for a
    /// listed controller (empty otherwise).
    QString sectionText(quint8 code) const;

    // --- the update ---------------------------------------------------------------------
    /// Runs the update of one controller with a firmware file, from the restart request to
    /// the reconnection, and emits finished. False when it was refused (the reason went out
    /// as a message) or failed.
    bool start(quint8 target, const QString &firmwarePath);
    /// Finishes an update that was stopped: the controller already waits in its bootloader
    /// (kind from the file), so no restart request is sent and nothing waits for the link to
    /// drop. The session may be one that could not identify the device.
    bool resume(quint8 target, const QString &firmwarePath);
    /// Asks the running update to stop at its next check. The controller stays in its
    /// bootloader; stoppedText() says so.
    void requestAbort();
    bool isRunning() const { return m_state != State::Idle; }
    State state() const { return m_state; }
    /// Whether an update runs in the process.
    static bool anyRunning();
    /// The message after a stop request.
    static QString stoppedText() { return Update::stoppedText(); }

    // --- settings ------------------------------------------------------------------------
    /// The seed-and-key library for XCP targets that ask for a key.
    void setSeedKeyLibrary(const QString &path) { m_xcpSettings.seedKeyFile = path; }
    /// Replaces the key routine (tests); overrides the library.
    void setKeyRoutine(KeyRoutine routine) { m_keyRoutine = std::move(routine); }
    /// XCP session settings (timeouts, connect mode) used for the next update.
    XcpSettings &xcpSettings() { return m_xcpSettings; }
    /// Gives up connecting to an XCP target after this long (0: only a stop ends the attempts).
    void setConnectTimeoutMs(int ms) { m_connectTimeoutMs = ms; }
    void setTiming(const Timing &timing) { m_timing = timing; }
    void setYmodemTiming(const YmodemUpdate::Timing &timing) { m_ymodemTiming = timing; }
    /// Whether the device answered on its link again after the last successful update (it
    /// was read again then); false when it could not be reached.
    bool deviceAnswered() const { return m_deviceAnswered; }
    /// Whether the device's link drops when its main controller restarts into YMODEM
    /// (device type 28); cleared by a failed device update, after which the controller is
    /// already in its bootloader.
    bool waitForRestart() const { return m_waitForRestart; }
    void setWaitForRestart(bool wait) { m_waitForRestart = wait; }

signals:
    /// A text for the message box.
    void message(const QString &text);
    /// Progress of the running step in percent.
    void progress(int percent);
    void stateChanged(FirmwareUpdater::State state);
    /// The update ended (after the reconnection when it succeeded).
    void finished(bool success);

private:
    bool refuse(const QString &text);
    /// Opens a BLE link that is not connected; false ("Ble Connection failed...") otherwise.
    bool ensureBleLink();
    bool runXcp(quint8 target, const QString &path);
    bool runYmodem(const QString &path);
    void sendRestart(quint8 target);
    /// Waits in a local event loop; a stop request ends it early when abortable.
    void pause(int ms, bool abortable);
    void endDeviceUpdate();
    void endModuleUpdate();
    /// Opens the link again (a USB device enumerates anew after its restart, so its old handle
    /// is dead) within reconnectMs and reads the device; false (message out) when it does not
    /// come back or does not answer.
    bool reconnect();
    void setState(State state);

    DeviceSession *m_session;
    QString m_bleAddress;
    QList<Bootloader> m_bootloaders;
    State m_state = State::Idle;
    bool m_abort = false;
    bool m_waitForRestart = false;
    bool m_deviceAnswered = false;
    bool m_resume = false; ///< the running update finishes a stopped one
    XcpSettings m_xcpSettings;
    KeyRoutine m_keyRoutine;
    int m_connectTimeoutMs = 0;
    Timing m_timing;
    YmodemUpdate::Timing m_ymodemTiming;
    QPointer<Update> m_xcp;
    QPointer<YmodemUpdate> m_ymodem;
};

Q_DECLARE_METATYPE(FirmwareUpdater::State)

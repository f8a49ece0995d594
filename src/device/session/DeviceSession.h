#pragma once
// The device session: the program's model of one device, connected or offline, without
// widgets. It holds the identity, the transport, the parameter list and tables, and runs the
// configuration transactions (load, apply, restore defaults, files, frames import). The GUI
// device object derives from it and plugs its editors in through the two page hooks; the
// command line uses it as it is (the base hooks keep the page's values as a list).
//
// Re-entry: the transactions block while they wait for the device, and the boxes they show
// run nested event loops in which timers fire and, over BLE, clicks arrive. While a transaction
// or a factory runs, the process is busy (isBusy()): every other transaction or factory then
// returns its failure value at once without touching a transport, so a poll or a refresh timer
// never starts a second exchange inside a running one. A request of the user refused that way
// is never dropped without a word: it leaves "The device is busy, try again in a moment." in
// the status bar (reportBusy()); readings and queries that run by themselves stay silent.

#include "common/Outcome.h"
#include "common/Reporter.h"
#include "device/family/ConfigDiff.h"
#include "device/files/ConfigFile.h"
#include "device/family/FamilyModel.h"
#include "device/protocol/Protocol.h"
#include "frames/OrvFrame.h"

#include <QDateTime>

#include <functional>
#include <memory>

class Comm;

/// Marks the process busy with a device exchange for its lifetime. A guard made while the
/// process is already busy is not acquired (acquired() false) and changes nothing.
class DeviceBusyGuard
{
public:
    DeviceBusyGuard();
    ~DeviceBusyGuard();
    DeviceBusyGuard(const DeviceBusyGuard &) = delete;
    DeviceBusyGuard &operator=(const DeviceBusyGuard &) = delete;
    bool acquired() const { return m_acquired; }
    /// Whether any transaction or factory is running.
    static bool isBusy();

private:
    bool m_acquired;
};

class DeviceSession
{
public:
    static constexpr int kStatusTimeoutMs = Reporter::kStatusTimeoutMs;

    /// An offline session without identity (type 0, revisions -1): the updater's placeholder.
    /// Boxes go to boxes (null: the process reporter).
    explicit DeviceSession(Reporter *boxes = nullptr);
    /// A session on an identified transport (owned unless setOwnsTransport(false)); info is
    /// taken as it is (a factory probe's result). For a fresh transport call identify().
    DeviceSession(Comm *transport, const DeviceInfo &info, Reporter *boxes = nullptr);
    /// An offline session of a given identity (module revision, version word and buffer size -1).
    DeviceSession(int orvType, int orvRev, int kivType, Reporter *boxes = nullptr);
    virtual ~DeviceSession();

    DeviceSession(const DeviceSession &) = delete;
    DeviceSession &operator=(const DeviceSession &) = delete;

    // --- page hooks ----------------------------------------------------------------------
    /// Shows params in the page (after a load, a default restore, a file read, a frames
    /// import). The base keeps them as the page's values: each id present in params replaces
    /// the kept records of that id.
    virtual void paramsToWidgets(OrvParamList &params);
    /// Appends the page's current values to params (before an apply, a file write, a frames
    /// export). The base appends the kept values.
    virtual void widgetsToParams(OrvParamList &params);
    /// Called after a configuration was applied to the device (the GUI emits its signal).
    virtual void configApplied() {}
    /// What the last paramsToWidgets could not show as loaded, as one status text (empty when
    /// everything is shown as it stands). A transaction that ends with a status of its own
    /// after showing the page's values keeps this text in view with it.
    virtual QString loadNote() const { return QString(); }
    /// Called when a load of the device succeeded (true) or failed (false): the GUI shows the
    /// page, or the failure with the offer to reload.
    virtual void loadStateChanged(bool loaded) { Q_UNUSED(loaded) }

    /// The values kept by the base page hooks.
    const OrvParamList &pageParams() const { return m_pageParams; }

    // --- messages ----------------------------------------------------------------------------
    /// The session's reporter: boxes go to the reporter given at construction, status
    /// messages to the status sink the GUI installs (by default the process reporter).
    ForwardingReporter &messages() { return m_messages; }
    /// What the last transaction told the user, in order: its boxes (the protocol's warnings
    /// and the other-module question included) and status messages. Each transaction starts
    /// it afresh; the fleet roll-out takes a device's reasons from it.
    const Outcome &lastOutcome() const { return m_last; }
    /// Presents an outcome (boxes to the box target with the owner as parent, statuses to the
    /// status sink) and adds it to the last transaction's outcome.
    void report(const Outcome &outcome);
    /// Starts the outcome of a transaction afresh (each transaction of the session does).
    void beginOutcome();
    /// Parent of the boxes (the GUI device object; null in the command line).
    QObject *owner() const { return m_owner; }
    void setOwner(QObject *owner);

    // --- identity ------------------------------------------------------------------------
    const DeviceInfo &info() const { return m_info; }
    int orvType() const { return m_info.orvType; }
    int orvRev() const { return m_info.orvRev; }
    int kivType() const { return m_info.kivType; }
    int kivRev() const { return m_info.kivRev; }
    int secondKivType() const { return m_info.secondKivType; }
    int secondKivRev() const { return m_info.secondKivRev; }
    QByteArray identifier() const { return m_info.identifier; }
    int versionWord() const { return m_info.versionWord; }
    int bufferSize() const { return m_info.bufferSize; }
    DeviceIdentity identity() const { return m_info.identity(); }
    /// The status-bar identity line.
    QString identityText() const;
    /// "Pelm/" + the type's display name (orvName of configuration files).
    QString fileIdentity() const;
    /// Catalog label of the session's own codes (empty when not in the catalog).
    QString catalogLabel() const;

    // --- transport ----------------------------------------------------------------------
    Comm *transport() const { return m_transport; }
    /// Attaches a transport to a session created without one (not identified again).
    void setTransport(Comm *transport);
    /// Whether the destructor deletes the transport.
    bool ownsTransport() const { return m_ownsTransport; }
    void setOwnsTransport(bool owns) { m_ownsTransport = owns; }
    /// Hands the transport over: the session forgets it without deleting it.
    Comm *releaseTransport();
    /// No transport.
    bool isOffline() const { return m_transport == nullptr; }
    /// True without a transport; otherwise whether the transport is still connected.
    bool isConnected() const;
    /// A connected device of the accepted family (type 28, module revision known).
    bool supportsKeyChange() const;
    /// Whether any transaction or factory is running (process-wide): skip polls and refreshes.
    bool isBusy() const { return DeviceBusyGuard::isBusy(); }
    /// Tells the user that a request can't run because another exchange is running (status
    /// bar, "The device is busy, try again in a moment.").
    void reportBusy();

    /// The protocol layer on the session's transport (raw commands of the terminal, the
    /// updater and the live readings).
    Protocol &protocol() { return m_protocol; }

    /// Identifies the device on the session's transport again (buffer size, identification,
    /// version word) and takes the result as the session's identity. False when busy or when
    /// identification failed (revisions then -1).
    bool identify(bool showErrors);
    /// Reads the device's DevEUI once more, without changing the session's identity (the key
    /// flow checks that the device is still the one identified). False when busy or when the
    /// device gave no valid identification.
    bool rereadIdentifier(QByteArray *identifier);

    // --- parameters ----------------------------------------------------------------------
    OrvParamList &params() { return m_params; }
    const OrvParamList &params() const { return m_params; }
    void clearParams() { m_params.clear(); }
    void addParam(const OrvParam &p) { m_params.append(p); }
    /// Appends an ordinary record unless value is empty.
    void addParam(quint8 id, const QByteArray &value);
    void addParam(quint8 id, quint8 value) { m_params.append(OrvParam(id, value)); }
    ParamTables &tables() { return m_tables; }
    const ParamTables &tables() const { return m_tables; }
    void registerParam(quint8 id, const QString &name, const QString &error, bool isBuf)
    {
        m_tables.registerParam(id, name, error, isBuf);
    }

    // --- transactions ----------------------------------------------------------------------
    // Each returns its failure value at once, without a box, while the process is busy (and
    // reports the busy device in the status bar); the device transactions also fail at once on
    // an offline session.
    /// Loads the device's configuration into the parameter list: the number of parameters, or
    /// -1 ("Load configuration failed !" box, list emptied; also when nothing usable came).
    int load(int timeoutMs);
    /// load(500), then paramsToWidgets (also with an empty list). 0 when parameters were
    /// loaded, -1 otherwise.
    int loadFromDevice();
    /// Writes the parameter list (consumed) and reports refusals. results gets one entry per
    /// id sent (padding included). Returns the number of refused entries, or -1 when the
    /// device gave no valid answer ("Apply configuration failed !" box; results empty).
    int apply(ApplyResults &results, int timeoutMs);
    /// widgetsToParams, apply(5000), then the clock set for version word 0x0120 and later.
    /// 0 when the device answered the write (also with refusals), -1 otherwise.
    int applyToDevice();
    /// The per-parameter results of the last applyToDevice or writeConfiguration (empty when
    /// the device gave no valid answer or nothing was sent).
    const ApplyResults &lastApplyResults() const { return m_lastApplyResults; }
    /// Writes configuration records to the device as they are (the roll-out and pelm-cli write a
    /// file's records this way): the family's model checks them first and nothing is sent when
    /// it refuses one ("Apply configuration failed !" box naming each). Then as applyToDevice:
    /// 0 when the device answered the write (also with refusals), -1 otherwise.
    int writeConfiguration(const OrvParamList &records);
    /// The records the last write sent (whole values), empty when nothing was sent.
    const OrvParamList &lastWritten() const { return m_lastWritten; }
    /// What the family's model refused in the last write (nothing was sent then).
    const QVector<FamilyModel::Refusal> &lastRefusals() const { return m_lastRefusals; }
    /// Whether the page holds a configuration that may be written or saved: always offline;
    /// on a device only once its configuration was read (the last load succeeded).
    bool hasConfiguration() const { return isOffline() || m_configLoaded; }
    /// Reads the records of a configuration file for this device without showing them (the
    /// roll-out writes a file as it is): the number of records, 0 for a file of another device
    /// (or a refused module), -1 on failure, as readFile. Records that are not configuration
    /// parameters are left out and listed in leftOut.
    int readConfigRecords(const QString &path, OrvParamList *records, QVector<FamilyModel::LeftOut> *leftOut);
    /// Restores the device's defaults and loads them. 0 on success, -1 on failure.
    int restoreDefaults();
    /// Warns about parameters of the list without a registered name and turns records of
    /// buffer parameters into buffer records. Returns the number of unknown ids.
    int checkUnknown();
    /// Reads a configuration file into the list and the page. Returns the number of
    /// parameters, 0 for a file of another device (or refused module), -1 on failure.
    int readFile(const QString &path, bool isDefault = false);
    /// Who answers the question about a file made for another radio-module type: by default the
    /// session's reporter asks the user (the GUI device object, as the owner of its boxes); the
    /// command line decides from its --force option.
    void setOtherModuleDecision(ConfigFile::ConfirmOtherModule decide)
    {
        m_confirmOtherModule = std::move(decide);
    }
    /// readFile on a file already read (the main window reads the identity and the parameters
    /// of a file it opens from one reading).
    int readFile(const ConfigFile::Document &doc);
    /// Writes the page's values to a configuration file. 0 on success, -1 on failure.
    int writeFile(const QString &path);
    /// What writeFile would write, taken now (the page's values, the identity and the names),
    /// for a save that asks for the file name first. False (content untouched) while busy.
    bool fileContent(ConfigFile::Content *content);
    /// Reads the catalog's default configuration of the session's identity. The result of
    /// readFile, or -1 when there is none.
    int loadDefaultConfig();

    /// Decodes frames into the list (merging chunks), checks it and shows it in the page. The
    /// import is "uncompleted" when the list holds unknown ids or a buffer with missing chunks.
    /// Returns the number of parameters.
    int importFrames(const OrvFrameList &frames);
    /// The page's values for the frames tool.
    OrvParamList exportParams();
    /// Default payload of the frames tool for this device.
    int defaultFramePayload() const;

    // --- device clock and live values -------------------------------------------------
    /// Sets the device clock (action 8 with 4 bytes). 0 when answered, -1 otherwise (the busy
    /// device reported).
    int setDeviceClock(const QDateTime &utc);
    /// Shifts the device clock by seconds (action 8 with 2 bytes). 0 when answered, -1 otherwise
    /// (the busy device reported).
    int shiftDeviceClock(qint16 seconds);
    /// Reads the device clock; false (t unchanged) unless 4 bytes came (silent when busy).
    bool readDeviceClock(QDateTime *utc);
    /// Restarts the device (action 1, 10 ms, no errors shown).
    void restartDevice();
    /// A live reading (commands 20 to 22): exactly 2 bytes, or false (also when busy).
    bool readLiveValue(quint8 command, QByteArray *value);
    /// Whether the radio-module terminal answers (commands 6 and 7); false when busy.
    bool terminalAvailable();
    /// Bootloader kind of a controller (tag 0x20, 0x40 or 0x60), -1 when absent or busy.
    int bootloaderTag(quint8 tag);
    /// Whether any controller has a bootloader (one capability query); false when busy.
    bool hasBootloader();

    // --- compare and backup before a write ---------------------------------------------------
    // Every write of a configuration (apply, a file's records, the defaults) first compares what
    // the device holds with what is to be written, then saves what the device holds as a backup
    // (BackupStore). The keys flow writes no configuration and takes neither step.
    /// Asked before a write with the rows of what it changes: true writes. When set, a write that
    /// changes nothing is not sent ("nothing differs" status). Unset: no question.
    using ConfirmWrite = std::function<bool(const ConfigDiff::Rows &rows)>;
    void setWriteConfirmation(ConfirmWrite confirm) { m_confirmWrite = std::move(confirm); }
    const ConfirmWrite &writeConfirmation() const { return m_confirmWrite; }
    /// Who decides when the backup before a write could not be saved (given the reason): true
    /// writes without it. Unset: the session's reporter asks the user.
    void setBackupFailedDecision(std::function<bool(const QString &why)> decide)
    {
        m_backupFailed = std::move(decide);
    }
    /// Backups before writes (on by default; pelm-cli --no-backup turns them off).
    void setBackupsEnabled(bool enabled) { m_backupsEnabled = enabled; }
    /// Why the last write sent nothing although its records were accepted.
    enum class WriteStop
    {
        None,           ///< not stopped (written, or failed for another reason)
        NothingDiffers, ///< the device already holds every value
        Cancelled,      ///< the user answered Cancel to the comparison
        BackupFailed,   ///< the backup could not be saved and the write was not confirmed
        NoAnswer,       ///< the device went away before its configuration could be saved
    };
    WriteStop lastWriteStop() const { return m_lastWriteStop; }
    /// What the last write changed (or would have changed), as compared before it.
    const ConfigDiff::Rows &lastChanges() const { return m_lastChanges; }
    /// The backup saved before the last write (empty when none was saved).
    QString lastBackupPath() const { return m_lastBackupPath; }
    /// The configuration the device holds: read from the device (silently) unless the page's
    /// last load holds it. False when the device gave no configuration (or busy).
    bool deviceValues(QMap<quint8, QByteArray> *values);
    /// Saves a backup of the device's configuration now (before a firmware update, say): its
    /// path, or empty with the reason in *error.
    QString backupNow(QString *error);

    /// The text of the apply report for refused entries (empty when none is refused).
    QString applyReport(const ApplyResults &results) const;

protected:
    // Transaction bodies, run while the guard is held.
    int doLoad(int timeoutMs);
    int doApply(ApplyResults &results, int timeoutMs);
    /// Checks records with the family's model and writes them, then sets the device clock.
    int doWrite(const OrvParamList &records);
    void setConfigLoaded(bool loaded);
    /// Shows the records a file read gave (n of them, or the read's failure value).
    int fileRead(int n, const QString &label);
    void status(const QString &text);
    /// A note shown until dismissed (see Reporter::kUntilDismissed), kept in the outcome too.
    void note(const QString &text);
    /// The file reader's question about another module type: recorded, then decided.
    ConfigFile::ConfirmOtherModule otherModuleQuestion();
    /// The compare and backup steps of a write of the accepted records (compare false: the
    /// backup only, as before the defaults). True when the write goes on.
    bool prepareWrite(const OrvParamList &accepted, bool compare);
    /// deviceValues without the busy guard (inside a transaction).
    bool readDeviceValues(QMap<quint8, QByteArray> *values);
    QString saveBackup(const QMap<quint8, QByteArray> &values, QString *error);
    /// The start of a write transaction under guard: a new outcome, no results of an earlier
    /// write. False when busy (reported) or without a transport: nothing is written then.
    bool beginWrite(const DeviceBusyGuard &guard);
    /// Whether guard was not acquired; then the busy device is reported (a user's request).
    bool refusedBusy(const DeviceBusyGuard &guard);

private:
    class ProtocolMessages;
    ForwardingReporter m_messages;
    std::unique_ptr<ProtocolMessages> m_protocolMessages;
    Outcome m_last;
    QObject *m_owner = nullptr;
    DeviceInfo m_info;
    Comm *m_transport = nullptr;
    bool m_ownsTransport = true;
    Protocol m_protocol;
    OrvParamList m_params;
    ParamTables m_tables;
    OrvParamList m_pageParams;
    ApplyResults m_lastApplyResults;
    OrvParamList m_lastWritten;
    QVector<FamilyModel::Refusal> m_lastRefusals;
    bool m_configLoaded = false;
    QMap<quint8, QByteArray> m_deviceValues; ///< whole values the device holds, by id
    ConfigFile::ConfirmOtherModule m_confirmOtherModule;
    ConfirmWrite m_confirmWrite;
    std::function<bool(const QString &)> m_backupFailed;
    bool m_backupsEnabled = true;
    WriteStop m_lastWriteStop = WriteStop::None;
    ConfigDiff::Rows m_lastChanges;
    QString m_lastBackupPath;
};

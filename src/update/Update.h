#pragma once
// Update: programs an S-record image into a target whose bootloader speaks XCP. One run
// loads the file into a segment store, connects (repeating while the target does not
// answer), erases and programs every segment and ends the session, reporting text, progress
// and the outcome through its signals. Every way out goes through one cleanup: the XCP state
// is reset, the link destroyed, the segment store freed.
//
// Only one update (XCP or YMODEM) runs in the process at a time: the XCP state, the BLE
// link of the session and the device link exist once.

#include "update/SegmentStore.h"
#include "update/Xcp.h"

#include <QObject>

class Update : public QObject
{
    Q_OBJECT
public:
    /// Link kinds.
    static constexpr quint32 kLinkBle = 1;
    /// Pause between two connection attempts, in milliseconds.
    static constexpr int kConnectRetryMs = 100;
    /// Largest piece of one PROGRAM_CLEAR, in bytes.
    static constexpr quint32 kErasePieceBytes = 4096;

    /// The run's outcome.
    enum class Outcome
    {
        None,    ///< not run yet
        Done,    ///< programmed and ended
        Failed,  ///< a step failed
        Aborted, ///< the owner asked to stop
    };

    /// linkSettings: the address of the device to reach over BLE. encrypted: 1 tells the
    /// bootloader that the image is encrypted.
    Update(quint32 linkKind, const QString &firmwarePath, const QString &linkSettings, quint8 encrypted,
           QObject *parent = nullptr);
    ~Update() override;

    /// The session settings (timeouts, seed-and-key library, connect mode); change before run.
    XcpSettings &settings() { return m_settings; }
    /// Replaces the key routine of the session (the default loads settings().seedKeyFile).
    void setKeyRoutine(KeyRoutine routine) { m_keyRoutine = std::move(routine); }
    /// Gives up connecting after this long (0: only an abort request ends the attempts).
    void setConnectTimeoutMs(int ms) { m_connectTimeoutMs = ms; }

    /// Runs the whole update; returns once it ended (updateDone or updateAbort was emitted).
    /// False without running when another update runs in the process.
    bool run();
    /// Asks the running update to stop at its next check (between connection attempts,
    /// before each segment and each erase or program piece).
    void requestAbort() { m_abort = 1; }
    bool abortRequested() const { return m_abort != 0; }
    Outcome outcome() const { return m_outcome; }
    /// Whether an update (XCP or YMODEM) runs in the process.
    static bool anyRunning();

    /// The message after an abort request: the target stays in its bootloader.
    static QString stoppedText();

signals:
    void printDialog(QString text);
    void updateProgressBar(int value);
    void updateDone();
    void updateAbort();

private:
    bool loadFirmware();
    bool connectTarget();
    bool eraseAll();
    bool programAll();
    /// Whether the owner asked to stop; prints the stop message the first time.
    bool stopping();
    /// stopping() inside a step: the step's line first ends with "[ERROR] (stopped)".
    bool stoppedInStep();
    /// Progress in percent of done out of total.
    void progress(quint64 done, quint64 total);

    QString m_path;
    XcpSettings m_settings;
    KeyRoutine m_keyRoutine;
    int m_connectTimeoutMs = 0;
    volatile int m_abort = 0;
    bool m_stopReported = false;
    Outcome m_outcome = Outcome::None;
    SegmentStore m_store;
    XcpLoader m_xcp;
};

/// Marks the process as running an update for its lifetime (XCP or YMODEM); a guard made
/// while one runs is not acquired.
class UpdateRunGuard
{
public:
    UpdateRunGuard();
    ~UpdateRunGuard();
    UpdateRunGuard(const UpdateRunGuard &) = delete;
    UpdateRunGuard &operator=(const UpdateRunGuard &) = delete;
    bool acquired() const { return m_acquired; }
    static bool isRunning();

private:
    bool m_acquired;
};

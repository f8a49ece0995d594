#pragma once
// Start-up of the desktop program: identity, single-instance lock, look and feel, and the
// loop that builds the application again when the main window asks for a restart.

#include "app/MainWindow.h"

#include <QString>
#include <QStringList>

#include <functional>

class QLockFile;
class GuiReporter;
class SimDevice;

namespace Application {

/// Exit code of the event loop that asks main to build the application again (language change).
constexpr int kRestartExitCode = MainWindow::kRestartExitCode;
/// How long a start waits for the single-instance lock.
constexpr int kLockWaitMs = 100;
/// Exit code of a second instance.
constexpr int kSecondInstanceExitCode = 0;

/// Sets organisation name and domain, application name and version.
void setIdentity();

/// The user's name as it goes into the lock file's name: $USER (else $LOGNAME, $USERNAME or
/// the account's name), every character other than letters, digits, ".", "_" and "-" as "_".
QString lockUserName();
/// The single-instance lock file: the system's temporary folder followed by "/orv-lockfile-"
/// and lockUserName() (just "/orv-lockfile" when no name is known). Per user: the temporary
/// folder is shared, and another user's instance must not stop this user's.
QString defaultLockPath();

/// Result of the single-instance check.
struct LockOutcome
{
    bool proceed = false; ///< the lock is ours: go on starting
    int exitCode = 0;     ///< when not proceeding: the code the program exits with
};

/// Tries to take the lock, waiting at most kLockWaitMs. When another instance holds it, tells the
/// user ("<name> is already running !", box without parent) and answers that the program must exit.
LockOutcome acquireInstanceLock(QLockFile &lock);

/// The "Fusion" style and a palette whose window colour is RGB 240, 240, 240 in every colour group.
void applyLookAndFeel();

/// Options of the command line.
struct StartOptions
{
    /// Run against the built-in simulated device instead of real hardware.
    bool simulate = false;
    /// Every log category on (standard error).
    bool verbose = false;
    /// --update-url: address of the release information for the update check, instead of the
    /// "UpdateUrl" setting (empty: the setting).
    QString updateUrl;
    QString autoConfig; ///< --auto-config FILE: the roll-out page with that file, started
    QString record;     ///< --record FILE.csv
    QString keysCsv;    ///< --keys-csv FILE
};

/// Reads the options from the application's arguments (the first one is the program);
/// unknown options are reported on the debug log and ignored.
StartOptions parseCommandLine(const QStringList &arguments);

/// Exit code of a start whose options can't go together (--record without --auto-config).
constexpr int kBadOptionsExitCode = 2;

/// Sets the demo's bootloaders up on a simulated device: a YMODEM main controller and an XCP
/// BLE radio module that asks for no key, and the extended identification naming that module.
void setUpSimulatedBootloaders(SimDevice &device);

/// Called with the main window once it shows, before the event loop runs.
using ShownFunction = std::function<void(MainWindow &)>;

/// One start of the program: application object, identity, lock, look and feel, main window,
/// event loop. Returns the event loop's exit code (or the second instance's code). shown (may be
/// empty) gets the window once it shows: a program built on this start adds its own steps there.
int runOnce(int argc, char **argv, GuiReporter &gui, const QString &lockPath = QString(),
            const ShownFunction &shown = ShownFunction());

/// Calls runOnce again as long as it returns kRestartExitCode; returns the last other code.
int runWithRestart(const std::function<int()> &runOnce);

} // namespace Application

#pragma once
// Start-up of the desktop program: identity, single-instance lock, look and feel, and the
// loop that builds the application again when the main window asks for a restart.

#include <QString>
#include <QStringList>

#include <functional>

class QIcon;
class QLockFile;
class QPixmap;
class GuiReporter;

namespace Application {

/// Exit code of the event loop that asks main to build the application again (language change).
constexpr int kRestartExitCode = -123456789;
/// How long a start waits for the single-instance lock.
constexpr int kLockWaitMs = 100;
/// Exit code of a second instance.
constexpr int kSecondInstanceExitCode = 0;

/// Sets organisation name and domain, application name and version.
void setIdentity();

/// Registers the images and icons compiled into the GUI library (safe to call more than once).
void initGuiResources();

/// The icon of a picture file, built once and shared by every page that shows it. A page is
/// built for every plug and every file: an icon built anew each time would put new pixmaps
/// into the pixmap cache whenever it is drawn, where a shared one finds them again. The shared
/// pictures go with the application object (a restart builds them again).
QIcon sharedIcon(const QString &path);
/// A picture built once under key by make and shared the same way.
QPixmap sharedPixmap(const QString &key, const std::function<QPixmap()> &make);

/// The single-instance lock file: the system's temporary folder followed by "/orv-lockfile".
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
};

/// Reads the options from the application's arguments (the first one is the program);
/// unknown options are reported on the debug log and ignored.
StartOptions parseCommandLine(const QStringList &arguments);

/// One start of the program: application object, identity, lock, look and feel, main window,
/// event loop. Returns the event loop's exit code (or the second instance's code).
int runOnce(int argc, char **argv, GuiReporter &gui, const QString &lockPath = QString());

/// Calls runOnce again as long as it returns kRestartExitCode; returns the last other code.
int runWithRestart(const std::function<int()> &runOnce);

} // namespace Application

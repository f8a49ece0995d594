#pragma once
// The lifetime of a device object and of the windows opened for it.
//
// The main window's USB poll keeps running inside every nested event loop: the dialogs of the
// tools, their boxes and file dialogs, the terminal. A device pulled out meanwhile closes its
// page there, while those windows and the stack frames of their exec() calls are still alive.
// So every exec() of a device page and of its tools runs under an OpenWindow, and a device
// object whose page closes is retired instead of deleted: its open windows are closed at once
// (rejected, no answer given), and the object is deleted only once the outermost of their
// exec() calls has returned.

#include <QPointer>

class QAction;
class QDialog;
class QMenu;
class QPoint;
class QWidget;

class OpenWindow
{
public:
    /// Registers window (may be null: a scope whose inner windows belong to owner) as open
    /// for the guard's lifetime. The window belongs to owner when one is given, and to every
    /// object of its parent chain.
    explicit OpenWindow(QWidget *window, QObject *owner = nullptr);
    ~OpenWindow();
    OpenWindow(const OpenWindow &) = delete;
    OpenWindow &operator=(const OpenWindow &) = delete;

    /// The window was closed because its device object was retired, or that object was
    /// retired before the window opened (then it must not open): its caller returns at once,
    /// without a further box.
    bool closed() const { return m_closed; }

    /// Runs dialog modally under a guard. Returns its result, or QDialog::Rejected when it
    /// was closed (or never shown) because its device object went.
    static int exec(QDialog *dialog);
    /// Runs a popup menu at pos under a guard; the action chosen, null when none was or the
    /// menu was closed because its device object went.
    static QAction *exec(QMenu *menu, const QPoint &pos);

    /// Closes the open windows of owner, innermost first (with every window opened inside
    /// them), and deletes owner once the outermost of their exec() calls has returned; at
    /// once (deleteLater) when none is open.
    static void retire(QObject *owner);
    /// Whether object, or an object of its parent chain, was retired and waits for its
    /// windows to return.
    static bool isRetired(const QObject *object);
    /// Whether what object is doing must stop at once: it was retired (isRetired), or one of
    /// the open windows around the call was closed. A caller that would show a further box or
    /// go on after a window returned checks this first.
    static bool closing(const QObject *object);

    /// How many windows are open (the depth of their nested exec() calls).
    static int count();

private:
    friend struct OpenWindowRegistry;
    QPointer<QWidget> m_window;
    QPointer<QObject> m_owner;
    bool m_closed = false;
};

#include "gui/OpenWindow.h"

#include <QDialog>
#include <QMenu>
#include <QPoint>
#include <QWidget>

#include <algorithm>
#include <vector>

struct OpenWindowRegistry
{
    /// The open windows, outermost first (the order of their nested exec() calls).
    std::vector<OpenWindow *> open;
    /// Device objects whose page closed while some of their windows were open.
    std::vector<QPointer<QObject>> retired;

    static bool inChain(const QObject *object, const QObject *target)
    {
        for (const QObject *o = object; o; o = o->parent()) {
            if (o == target)
                return true;
        }
        return false;
    }

    static bool belongsTo(const OpenWindow *window, const QObject *owner)
    {
        return inChain(window->m_owner.data(), owner) || inChain(window->m_window.data(), owner);
    }

    bool hasWindowOf(const QObject *owner) const
    {
        return std::any_of(open.begin(), open.end(),
                           [owner](const OpenWindow *w) { return belongsTo(w, owner); });
    }

    bool isRetired(const QObject *object) const
    {
        return std::any_of(retired.begin(), retired.end(),
                           [object](const QPointer<QObject> &r) { return r && inChain(object, r.data()); });
    }

    /// Deletes the retired objects none of whose windows is open any more.
    void release()
    {
        for (auto it = retired.begin(); it != retired.end();) {
            if (*it && hasWindowOf(it->data())) {
                ++it;
                continue;
            }
            if (*it)
                (*it)->deleteLater(); // once control is back in the event loop below
            it = retired.erase(it);
        }
    }

    static void close(OpenWindow *window)
    {
        window->m_closed = true;
        QWidget *w = window->m_window.data();
        if (!w)
            return;
        if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->reject();
        else
            w->close();
    }
};

namespace {
OpenWindowRegistry &registry()
{
    static OpenWindowRegistry r;
    return r;
}
} // namespace

OpenWindow::OpenWindow(QWidget *window, QObject *owner) : m_window(window), m_owner(owner)
{
    OpenWindowRegistry &r = registry();
    // A window opened while the windows around it are being closed, or for a device object
    // already retired, is closed before it opens.
    const bool unwinding =
        std::any_of(r.open.begin(), r.open.end(), [](const OpenWindow *w) { return w->m_closed; });
    m_closed = unwinding || r.isRetired(window) || r.isRetired(owner);
    r.open.push_back(this);
}

OpenWindow::~OpenWindow()
{
    OpenWindowRegistry &r = registry();
    r.open.erase(std::remove(r.open.begin(), r.open.end(), this), r.open.end());
    r.release();
}

int OpenWindow::exec(QDialog *dialog)
{
    if (!dialog)
        return QDialog::Rejected;
    const QPointer<QDialog> guarded = dialog;
    const OpenWindow open(dialog);
    if (open.closed())
        return QDialog::Rejected;
    const int result = dialog->exec();
    return open.closed() || !guarded ? int(QDialog::Rejected) : result;
}

QAction *OpenWindow::exec(QMenu *menu, const QPoint &pos)
{
    if (!menu)
        return nullptr;
    const OpenWindow open(menu);
    if (open.closed())
        return nullptr;
    QAction *chosen = menu->exec(pos);
    return open.closed() ? nullptr : chosen;
}

void OpenWindow::retire(QObject *owner)
{
    if (!owner)
        return;
    OpenWindowRegistry &r = registry();
    const auto outermost = std::find_if(r.open.begin(), r.open.end(), [owner](const OpenWindow *w) {
        return OpenWindowRegistry::belongsTo(w, owner);
    });
    if (outermost == r.open.end()) {
        owner->deleteLater();
        return;
    }
    if (!isRetired(owner))
        r.retired.emplace_back(owner);
    // Innermost first: each window's event loop ends as control unwinds to the one below it.
    // The list is copied: closing a window runs no exec() of its own, but may end guards.
    const std::vector<OpenWindow *> toClose(outermost, r.open.end());
    for (auto it = toClose.rbegin(); it != toClose.rend(); ++it) {
        if (std::find(r.open.begin(), r.open.end(), *it) != r.open.end())
            OpenWindowRegistry::close(*it);
    }
}

bool OpenWindow::isRetired(const QObject *owner)
{
    return owner && registry().isRetired(owner);
}

bool OpenWindow::closing(const QObject *object)
{
    const OpenWindowRegistry &r = registry();
    return r.isRetired(object) ||
           std::any_of(r.open.begin(), r.open.end(), [](const OpenWindow *w) { return w->m_closed; });
}

int OpenWindow::count()
{
    return int(registry().open.size());
}

#include "app/RecentFiles.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QWidget>

RecentFiles::RecentFiles(QSettings &settings, QAction *action, QObject *parent)
    : QObject(parent), m_settings(settings), m_action(action)
{
    rebuildMenu();
}

QStringList RecentFiles::files() const
{
    return m_settings.value(QLatin1String(kSettingsKey)).toStringList();
}

void RecentFiles::add(const QString &path)
{
    QStringList list = files();
    list.prepend(path);
    list.removeDuplicates();
    while (list.size() > kMaxFiles)
        list.removeLast();
    store(list);
}

void RecentFiles::remove(const QString &path)
{
    QStringList list = files();
    list.removeAll(path);
    store(list);
}

void RecentFiles::store(const QStringList &list)
{
    m_settings.setValue(QLatin1String(kSettingsKey), list);
    rebuildMenu();
}

void RecentFiles::rebuildMenu()
{
    QMenu *menu = m_action->menu();
    if (!menu) {
        menu = new QMenu(qobject_cast<QWidget *>(parent()));
        menu->setObjectName(QStringLiteral("menuRecent_Files"));
        m_action->setMenu(menu);
    }
    // An entry may be rebuilt from inside its own triggered signal: delete the old ones later.
    const QList<QAction *> old = menu->actions();
    for (QAction *action : old) {
        menu->removeAction(action);
        action->deleteLater();
    }
    const QStringList list = files();
    for (const QString &file : list) {
        QAction *action = menu->addAction(file);
        action->setToolTip(file);
        connect(action, &QAction::triggered, this, [this, action] {
            const QString path = action->toolTip();
            if (!path.isEmpty())
                emit openRequested(path);
        });
    }
}

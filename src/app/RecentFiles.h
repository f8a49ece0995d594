#pragma once
// The recent files of the File menu: the paths kept in the "RecentFiles" setting (newest
// first, no duplicates, at most kMaxFiles) and the submenu of the "Recent Files" action,
// one entry per path, rebuilt whenever the list changes.

#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QSettings;

class RecentFiles : public QObject
{
    Q_OBJECT
public:
    /// Settings key of the list.
    static constexpr const char *kSettingsKey = "RecentFiles";
    /// How many paths the list keeps.
    static constexpr int kMaxFiles = 10;

    /// The list in settings, shown as the submenu of action (made when it has none).
    RecentFiles(QSettings &settings, QAction *action, QObject *parent = nullptr);

    /// The paths as stored, newest first.
    QStringList files() const;
    /// Puts path at the front (no duplicates, at most kMaxFiles) and rebuilds the submenu.
    void add(const QString &path);
    /// Removes path and rebuilds the submenu.
    void remove(const QString &path);

signals:
    /// An entry of the submenu was chosen.
    void openRequested(const QString &path);

private:
    void rebuildMenu();
    void store(const QStringList &files);

    QSettings &m_settings;
    QAction *m_action;
};

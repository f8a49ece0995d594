#pragma once
// File-name dialogs behind a small seam: the windows ask fileDialogs() for a name, tests
// install a ScriptedFileDialogs that answers from a queue and records what was asked.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

class FileDialogs
{
public:
    virtual ~FileDialogs() = default;

    /// Asks for an existing file to open; an empty result means the user cancelled.
    virtual QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter) = 0;
    /// Asks for a file name to save to; an empty result means the user cancelled.
    virtual QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter) = 0;
    /// Asks for a file to append to, new or existing (an existing file is not offered for
    /// replacing); an empty result means the user cancelled. By default a save dialog.
    virtual QString getAppendFileName(QWidget *parent, const QString &caption, const QString &dir,
                                      const QString &filter)
    {
        return getSaveFileName(parent, caption, dir, filter);
    }
};

/// The process-wide file dialogs: the real QFileDialog ones unless another set was installed.
FileDialogs &fileDialogs();
/// Installs the dialogs to use (null: back to the real dialogs).
void setFileDialogs(FileDialogs *dialogs);

/// File dialogs for tests: each request takes the next queued name (empty when none is queued,
/// as if the user cancelled) and is recorded with its caption, proposed name and filter.
/// Installs itself for its lifetime.
class ScriptedFileDialogs : public FileDialogs
{
public:
    struct Request
    {
        bool save = false;
        QString caption;
        QString dir;
        QString filter;
    };

    ScriptedFileDialogs() { setFileDialogs(this); }
    ~ScriptedFileDialogs() override { setFileDialogs(nullptr); }

    /// Queues the name the next dialog answers with ("" answers as a cancelled dialog).
    void setNextFileName(const QString &name) { m_names.append(name); }
    /// Runs once while the next dialog is open, before it answers: what a real dialog's event
    /// loop would run meanwhile (the USB poll, a device plugged in or pulled out).
    void setWhileOpen(std::function<void()> hook) { m_whileOpen = std::move(hook); }

    QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter) override;
    QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter) override;

    /// Every dialog asked for, oldest first.
    QList<Request> requests;

private:
    QString answer(bool save, const QString &caption, const QString &dir, const QString &filter);
    QStringList m_names;
    std::function<void()> m_whileOpen;
};

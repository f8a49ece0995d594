#include "gui/FileDialogs.h"

#include "gui/OpenWindow.h"

#include <QFileDialog>

namespace {
/// A file dialog run under an OpenWindow guard, so that a device window that asked for it can
/// close it (the QFileDialog statics give no hold on their dialog).
QString runFileDialog(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                      QFileDialog::AcceptMode mode, QFileDialog::Options options = {})
{
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOptions(options);
    if (OpenWindow::exec(&dialog) != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

class QtFileDialogs : public FileDialogs
{
public:
    QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter) override
    {
        return runFileDialog(parent, caption, dir, filter, QFileDialog::AcceptOpen);
    }
    QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter) override
    {
        return runFileDialog(parent, caption, dir, filter, QFileDialog::AcceptSave);
    }
    QString getAppendFileName(QWidget *parent, const QString &caption, const QString &dir,
                              const QString &filter) override
    {
        return runFileDialog(parent, caption, dir, filter, QFileDialog::AcceptSave,
                             QFileDialog::DontConfirmOverwrite);
    }
};

QtFileDialogs g_qtFileDialogs;
FileDialogs *g_fileDialogs = nullptr;
} // namespace

FileDialogs &fileDialogs()
{
    return g_fileDialogs ? *g_fileDialogs : g_qtFileDialogs;
}

void setFileDialogs(FileDialogs *dialogs)
{
    g_fileDialogs = dialogs;
}

QString ScriptedFileDialogs::getOpenFileName(QWidget *, const QString &caption, const QString &dir,
                                             const QString &filter)
{
    return answer(false, caption, dir, filter);
}

QString ScriptedFileDialogs::getSaveFileName(QWidget *, const QString &caption, const QString &dir,
                                             const QString &filter)
{
    return answer(true, caption, dir, filter);
}

QString ScriptedFileDialogs::answer(bool save, const QString &caption, const QString &dir,
                                    const QString &filter)
{
    requests.append(Request{save, caption, dir, filter});
    if (m_whileOpen) {
        const std::function<void()> hook = std::move(m_whileOpen);
        m_whileOpen = nullptr;
        hook();
    }
    return m_names.isEmpty() ? QString() : m_names.takeFirst();
}

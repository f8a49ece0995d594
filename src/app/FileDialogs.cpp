#include "app/FileDialogs.h"

#include <QFileDialog>

namespace {
class QtFileDialogs : public FileDialogs
{
public:
    QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    }
    QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, dir, filter);
    }
    QString getAppendFileName(QWidget *parent, const QString &caption, const QString &dir,
                              const QString &filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, dir, filter, nullptr,
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

#pragma once
// The online update check's dialog: runs a release check (net/ReleaseCheck) and tells the user
// in its label whether a newer release exists, with the link to download it, or why the check
// failed. The main window creates it once and shows it when a check has something to say.

#include "net/ReleaseCheck.h"

#include <QDialog>
#include <QScopedPointer>
#include <QString>

namespace Ui {
class dlgUpdateChecker;
}

class dlgUpdateChecker : public QDialog
{
    Q_OBJECT
public:
    explicit dlgUpdateChecker(QWidget *parent = nullptr);
    ~dlgUpdateChecker() override;

    /// Takes address, product key, user agent and timeout from settings.
    void apply(const ReleaseCheckSettings &settings);
    /// The running program's version, dotted numbers.
    void setCurrentVersion(const QString &version);
    QString currentVersion() const;
    QString url() const;
    QString userAgentString() const;
    void setProductKey(const QString &product);
    QString productKey() const;
    /// Bound of a whole check (milliseconds).
    void setTimeoutMs(int ms);

    /// Result of the last check.
    bool updateAvailable() const { return m_updateAvailable; }
    /// The running check was asked for by the user.
    bool userCheck() const { return m_userCheck; }
    /// Version and download address of the last answer (the address is empty when the answer
    /// had none, or not an http or https one).
    QString latestVersion() const { return m_latestVersion; }
    QString downloadUrl() const { return m_downloadUrl; }
    /// The label's rich text.
    QString message() const;

signals:
    /// Emitted once per check, after the outcome has been put into the label.
    void checkingFinished();

public slots:
    /// Starts a check (a check still running is dropped).
    void checkForUpdates();
    void setUrl(const QString &url);
    /// Value of the User-Agent header; empty sets none of ours.
    void setUserAgentString(const QString &agent);
    void setUserCheck(bool userCheck);
    /// Whether latest is newer than current; stores the result and puts the matching text
    /// into the label (with the link to the stored download address).
    bool isUpdateAvailable(const QString &latest, const QString &current);
    void setUpdateAvailable(bool available);
    /// The label tells that the check failed, with the detail.
    void setError(const QString &error);

private slots:
    void on_pushButton_ok_clicked();
    /// The check ended: its outcome goes into the label, then checkingFinished.
    void onCheckEnded();

private:
    const QScopedPointer<Ui::dlgUpdateChecker> m_ui;
    ReleaseChecker m_checker;
    QString m_latestVersion;
    QString m_downloadUrl;
    bool m_userCheck = false;
    bool m_updateAvailable = false;
};

#include "tools/dlgUpdateChecker.h"

#include "ui_dlgUpdateChecker.h"

dlgUpdateChecker::dlgUpdateChecker(QWidget *parent) : QDialog(parent), m_ui(new Ui::dlgUpdateChecker)
{
    m_ui->setupUi(this);
    connect(&m_checker, &ReleaseChecker::finished, this, &dlgUpdateChecker::onCheckEnded);
}

dlgUpdateChecker::~dlgUpdateChecker() = default;

void dlgUpdateChecker::apply(const ReleaseCheckSettings &settings)
{
    m_checker.apply(settings);
}

void dlgUpdateChecker::setCurrentVersion(const QString &version)
{
    m_checker.setCurrentVersion(version);
}

QString dlgUpdateChecker::currentVersion() const
{
    return m_checker.currentVersion();
}

QString dlgUpdateChecker::url() const
{
    return m_checker.url();
}

QString dlgUpdateChecker::userAgentString() const
{
    return m_checker.userAgent();
}

void dlgUpdateChecker::setProductKey(const QString &product)
{
    m_checker.setProduct(product);
}

QString dlgUpdateChecker::productKey() const
{
    return m_checker.product();
}

void dlgUpdateChecker::setTimeoutMs(int ms)
{
    m_checker.setTimeoutMs(ms);
}

QString dlgUpdateChecker::message() const
{
    return m_ui->label->text();
}

void dlgUpdateChecker::checkForUpdates()
{
    m_checker.start();
}

void dlgUpdateChecker::setUrl(const QString &url)
{
    m_checker.setUrl(url);
}

void dlgUpdateChecker::setUserAgentString(const QString &agent)
{
    m_checker.setUserAgent(agent);
}

void dlgUpdateChecker::setUserCheck(bool userCheck)
{
    m_userCheck = userCheck;
}

bool dlgUpdateChecker::isUpdateAvailable(const QString &latest, const QString &current)
{
    const bool available = ReleaseInfo::isNewer(latest, current);
    setUpdateAvailable(available);
    if (available)
        m_ui->label->setText(tr("A new version is available online, check the ORV-CFG download page :<br/>") +
                             ReleaseInfo::linkHtml(m_downloadUrl, tr("Download page")));
    else
        m_ui->label->setText(tr("The current version is already the latest!"));
    return available;
}

void dlgUpdateChecker::setUpdateAvailable(bool available)
{
    m_updateAvailable = available;
}

void dlgUpdateChecker::setError(const QString &error)
{
    m_ui->label->setText(tr("An error occurs when trying to fetch for updates<br/>") + tr("More details : ") +
                         error.toHtmlEscaped());
}

void dlgUpdateChecker::on_pushButton_ok_clicked()
{
    hide();
}

void dlgUpdateChecker::onCheckEnded()
{
    // Each check starts from nothing: no version or link of an earlier answer stays.
    const ReleaseInfo::Entry entry = m_checker.entry();
    m_latestVersion = entry.latestVersion;
    m_downloadUrl = entry.downloadUrl;
    if (m_checker.outcome() == ReleaseChecker::Outcome::Failed) {
        setUpdateAvailable(false);
        // In the user's language; pelm-cli prints the English texts for scripts.
        const int code = m_checker.networkErrorCode();
        setError(code >= 0 ? tr("Network error %1").arg(code) : tr("JSON error"));
    } else {
        isUpdateAvailable(m_latestVersion, m_checker.currentVersion());
    }
    emit checkingFinished();
}

#include "net/ReleaseCheck.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>
#include <QSysInfo>

Q_LOGGING_CATEGORY(lcRelease, "pelm.release", QtInfoMsg)

namespace {
const char kUpdatesKey[] = "updates";
const char kLatestVersionKey[] = "latest-version";
const char kDownloadUrlKey[] = "download-url";
const char kUserAgentProduct[] = "PelmConfigurator";

bool isWebScheme(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Release information

namespace ReleaseInfo {

bool parse(const QByteArray &body, const QString &product, Entry *entry)
{
    *entry = Entry();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (doc.isNull())
        return false;
    // An array, or an object without the keys, is a document without an entry for us.
    const QJsonObject item =
        doc.object().value(QLatin1String(kUpdatesKey)).toObject().value(product).toObject();
    entry->latestVersion = item.value(QLatin1String(kLatestVersionKey)).toString();
    const QString url = item.value(QLatin1String(kDownloadUrlKey)).toString();
    if (isWebUrl(url))
        entry->downloadUrl = url;
    return true;
}

bool isWebUrl(const QString &text)
{
    // Tolerant: an address with odd characters still links; it is escaped where it is shown.
    const QUrl url(text, QUrl::TolerantMode);
    return url.isValid() && isWebScheme(url) && !url.host().isEmpty();
}

bool isDottedDecimal(const QString &text)
{
    // \z, not $: a final line break is no part of a version.
    static const QRegularExpression pattern(QStringLiteral("\\A[0-9]+(?:\\.[0-9]+)*\\z"));
    return pattern.match(text).hasMatch();
}

QString printableUrl(const QString &downloadUrl)
{
    if (!isWebUrl(downloadUrl))
        return QString();
    // Fully encoded: every space, control character and non-ASCII character becomes %XX (the
    // host its ASCII form), so the address can't move the cursor or end a line.
    const QByteArray encoded = QUrl(downloadUrl, QUrl::TolerantMode).toEncoded(QUrl::FullyEncoded);
    for (const char c : encoded)
        if (uchar(c) <= 0x20 || uchar(c) >= 0x7F)
            return QString();
    const QString text = QString::fromLatin1(encoded);
    return isWebUrl(text) ? text : QString();
}

bool isNewer(const QString &a, const QString &b)
{
    const QStringList partsA = a.split(QLatin1Char('.'));
    const QStringList partsB = b.split(QLatin1Char('.'));
    const int shared = qMin(partsA.size(), partsB.size());
    for (int i = 0; i < shared; ++i) {
        // toLongLong gives 0 for a part that is not a number (or does not fit).
        const qlonglong x = partsA.at(i).toLongLong();
        const qlonglong y = partsB.at(i).toLongLong();
        if (x != y)
            return x > y;
    }
    return partsA.size() > partsB.size();
}

QString linkHtml(const QString &downloadUrl, const QString &linkText)
{
    if (downloadUrl.isEmpty())
        return QString();
    return QLatin1String("<center><a href=\"") + downloadUrl.toHtmlEscaped() + QLatin1String("\">") +
           linkText.toHtmlEscaped() + QLatin1String("</a></center>");
}

} // namespace ReleaseInfo

// ---------------------------------------------------------------------------------------------
// Settings

QString ReleaseCheckSettings::defaultUserAgent()
{
    return QStringLiteral("%1/%2 (%3 %4)")
        .arg(QLatin1String(kUserAgentProduct), QCoreApplication::applicationVersion(),
             QSysInfo::productType(), QSysInfo::productVersion());
}

ReleaseCheckSettings ReleaseCheckSettings::load(const QSettings &settings)
{
    ReleaseCheckSettings s;
    s.url = settings.value(QLatin1String(kUrlKey), s.url).toString();
    s.product = settings.value(QLatin1String(kProductKey), s.product).toString();
    s.userAgent = settings.value(QLatin1String(kUserAgentKey), s.userAgent).toString();
    bool ok = false;
    const int timeout = settings.value(QLatin1String(kTimeoutKey)).toInt(&ok);
    if (ok && timeout > 0)
        s.timeoutMs = timeout;
    return s;
}

// ---------------------------------------------------------------------------------------------
// Checker

ReleaseChecker::ReleaseChecker(QObject *parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this)),
      m_userAgent(ReleaseCheckSettings::defaultUserAgent())
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(ReleaseCheckSettings::kDefaultTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, &ReleaseChecker::onTimeout);
}

ReleaseChecker::~ReleaseChecker()
{
    dropReply();
    if (m_abandonedReply) {
        // Qt's HTTP thread may still be reading an answer that never ends (header lines are
        // read a byte at a time while they keep coming, and the abort waits meanwhile):
        // deleting the network layer would block up to 5 s for that thread. It is left to the
        // end of the process instead.
        m_network->setParent(nullptr);
    }
}

void ReleaseChecker::setUserAgent(const QString &agent)
{
    // A header value never holds a line break.
    QString clean;
    for (const QChar c : agent)
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
            clean.append(c);
    m_userAgent = clean;
}

void ReleaseChecker::setTimeoutMs(int ms)
{
    m_timeout.setInterval(qMax(1, ms));
}

void ReleaseChecker::apply(const ReleaseCheckSettings &settings)
{
    setUrl(settings.url);
    setProduct(settings.product);
    setUserAgent(settings.userAgent);
    setTimeoutMs(settings.timeoutMs);
}

QString ReleaseChecker::networkError(int code)
{
    return QStringLiteral("Network error %1").arg(code);
}

QString ReleaseChecker::jsonError()
{
    return QStringLiteral("JSON error");
}

void ReleaseChecker::start()
{
    dropReply();
    m_outcome = Outcome::None;
    m_entry = ReleaseInfo::Entry();
    m_error.clear();
    m_redirects = 0;
    m_timeout.start();
    const QUrl address(m_url);
    if (!isWebScheme(address)) {
        // Only the web is asked: never a local file or another protocol.
        finish(Outcome::Failed, networkError(QNetworkReply::ProtocolUnknownError), QNetworkReply::ProtocolUnknownError);
        return;
    }
    sendRequest(address);
}

void ReleaseChecker::run()
{
    QEventLoop loop;
    connect(this, &ReleaseChecker::finished, &loop, &QEventLoop::quit);
    start();
    // finish() may already have run inside start() (an address that is not asked).
    if (m_outcome == Outcome::None)
        loop.exec();
}

void ReleaseChecker::sendRequest(const QUrl &address)
{
    m_requestUrl = address;
    m_body.clear();
    QNetworkRequest request(address);
    // Redirections are followed here, not by the network layer: each target is checked and
    // asked with the same header.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    if (!m_userAgent.isEmpty())
        request.setRawHeader("User-Agent", m_userAgent.toUtf8());
    // No compression: Qt would otherwise ask for gzip and inflate the answer before it is
    // read, so a small answer could take gigabytes; kMaxAnswerBytes then bounds what is held.
    request.setRawHeader("Accept-Encoding", "identity");
    qCDebug(lcRelease) << "GET" << address.toString();
    m_reply = m_network->get(request);
    connect(m_reply.data(), &QNetworkReply::readyRead, this, &ReleaseChecker::onReadyRead);
    connect(m_reply.data(), &QNetworkReply::finished, this, &ReleaseChecker::onReply);
}

void ReleaseChecker::onReadyRead()
{
    if (!m_reply)
        return;
    m_body += m_reply->read(kMaxAnswerBytes + 1 - m_body.size());
    if (m_body.size() > kMaxAnswerBytes) {
        qCDebug(lcRelease) << "answer larger than" << kMaxAnswerBytes << "bytes";
        finish(Outcome::Failed, jsonError());
    }
}

void ReleaseChecker::onReply()
{
    QNetworkReply *reply = m_reply.data();
    if (!reply || sender() != reply)
        return;
    onReadyRead(); // what is left of the body
    if (m_reply != reply)
        return; // the body was too large: the check has ended

    const QVariant target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
    if (target.isValid()) {
        const QUrl next = m_requestUrl.resolved(target.toUrl());
        qCDebug(lcRelease) << "redirected to" << next.toString();
        dropReply();
        if (++m_redirects > kMaxRedirects) {
            finish(Outcome::Failed, networkError(QNetworkReply::TooManyRedirectsError), QNetworkReply::TooManyRedirectsError);
            return;
        }
        if (!isWebScheme(next) || next.host().isEmpty()) {
            finish(Outcome::Failed, networkError(QNetworkReply::ProtocolUnknownError), QNetworkReply::ProtocolUnknownError);
            return;
        }
        sendRequest(next);
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        qCDebug(lcRelease) << "failed:" << reply->errorString();
        finish(Outcome::Failed, networkError(reply->error()), reply->error());
        return;
    }
    ReleaseInfo::Entry entry;
    if (!ReleaseInfo::parse(m_body, m_product, &entry)) {
        finish(Outcome::Failed, jsonError());
        return;
    }
    m_entry = entry;
    qCDebug(lcRelease) << "latest version" << entry.latestVersion << "current" << m_currentVersion;
    finish(ReleaseInfo::isNewer(entry.latestVersion, m_currentVersion) ? Outcome::UpdateAvailable
                                                                       : Outcome::UpToDate);
}

void ReleaseChecker::onTimeout()
{
    if (!m_reply)
        return;
    qCDebug(lcRelease) << "no complete answer within" << m_timeout.interval() << "ms";
    finish(Outcome::Failed, networkError(QNetworkReply::TimeoutError), QNetworkReply::TimeoutError);
}

void ReleaseChecker::dropReply()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply.data();
    m_reply.clear();
    if (!reply->isFinished())
        m_abandonedReply = true;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void ReleaseChecker::finish(Outcome outcome, const QString &error, int networkErrorCode)
{
    m_networkErrorCode = networkErrorCode;
    dropReply();
    m_timeout.stop();
    m_body.clear();
    if (outcome == Outcome::Failed)
        m_entry = ReleaseInfo::Entry();
    m_outcome = outcome;
    m_error = error;
    emit finished();
}

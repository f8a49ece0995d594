#pragma once
// The online release check: asks the maker's release-information service whether a newer
// release of the program exists. Shared by the desktop program's update dialog and
// `pelm-cli update-check`.
//
// The answer comes from the network and is not trusted: the request follows at most
// kMaxRedirects redirections and only to http or https, the whole check (redirections included)
// ends after the timeout, an answer larger than kMaxAnswerBytes is dropped, a download address
// other than an absolute http or https URL counts as missing, and the address is escaped
// before it goes into rich text.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QSettings;

namespace ReleaseInfo {

/// This product's entry of the release information.
struct Entry
{
    QString latestVersion; ///< dotted decimal numbers as published (empty when missing)
    QString downloadUrl;   ///< absolute http(s) address (empty when missing or of another kind)
};

/// Reads the release information (the service's answer body):
///   {"updates": {"<product>": {"latest-version": "1.2.0", "download-url": "https://..."}}}
/// Returns false when the body is not a JSON document. Missing keys, or values that are not
/// texts, give empty texts; a download address that is not an absolute http or https URL is
/// dropped.
bool parse(const QByteArray &body, const QString &product, Entry *entry);

/// Whether text is an absolute http or https URL with a host.
bool isWebUrl(const QString &text);

/// Whether text is dotted decimal numbers ("1", "1.10.0"): digits, one "." between numbers.
bool isDottedDecimal(const QString &text);

/// The download address as it may be printed on a terminal: percent-encoded (ASCII without
/// spaces or control characters), or empty when it is not an absolute http or https URL.
QString printableUrl(const QString &downloadUrl);

/// Whether version a is newer than version b. Both are split at "." (empty parts kept); the
/// first position present in both where the numbers differ decides (a part that is not a
/// number counts as 0); when all shared positions are equal, a is newer when it has more parts.
bool isNewer(const QString &a, const QString &b);

/// The centred download link for a label's rich text: <center><a href="URL">linkText</a></center>
/// with both the address and the text escaped. Empty when the address is empty.
QString linkHtml(const QString &downloadUrl, const QString &linkText);

} // namespace ReleaseInfo

/// Where the check asks and how it presents itself, as kept in the program's settings.
struct ReleaseCheckSettings
{
    /// Settings keys (all optional).
    static constexpr const char *kUrlKey = "UpdateUrl";         ///< the release service's address
    static constexpr const char *kProductKey = "UpdateProduct"; ///< this product's key in its answer
    static constexpr const char *kUserAgentKey =
        "UpdateUserAgent"; ///< empty: none of ours (Qt sends its generic one)
    static constexpr const char *kTimeoutKey = "UpdateTimeoutMs"; ///< bound of a whole check
    /// Defaults.
    static constexpr const char *kDefaultUrl = "https://www.pelm-sensors.com/releases/updates.json";
    static constexpr const char *kDefaultProduct = "pelm-configurator";
    static constexpr int kDefaultTimeoutMs = 15000;

    QString url = QLatin1String(kDefaultUrl);
    QString product = QLatin1String(kDefaultProduct);
    QString userAgent = defaultUserAgent();
    int timeoutMs = kDefaultTimeoutMs;

    /// "PelmConfigurator/<application version> (<os> <os version>)".
    static QString defaultUserAgent();
    /// The values of the settings store, with the defaults for the keys it lacks (a timeout
    /// that is not a positive number of milliseconds gives the default).
    static ReleaseCheckSettings load(const QSettings &settings);
};

/// One release check at a time over HTTP GET. Redirections are followed by hand, so the
/// User-Agent header goes to every address and each target is checked before it is asked.
class ReleaseChecker : public QObject
{
    Q_OBJECT
public:
    /// How a check ended.
    enum class Outcome
    {
        None,            ///< no check ended yet (or one is running)
        UpToDate,        ///< the published version is not newer than the current one
        UpdateAvailable, ///< a newer version is published
        Failed           ///< see error()
    };

    /// At most this many redirections per check; one more fails the check.
    static constexpr int kMaxRedirects = 5;
    /// Largest answer body read (1 MiB); a larger one fails the check.
    static constexpr qint64 kMaxAnswerBytes = 1024 * 1024;

    explicit ReleaseChecker(QObject *parent = nullptr);
    ~ReleaseChecker() override;

    /// Address of the release information (http or https).
    void setUrl(const QString &url) { m_url = url; }
    QString url() const { return m_url; }
    /// Value of the User-Agent header; empty sets none (the HTTP layer then sends its generic
    /// "Mozilla/5.0"). Control characters are dropped.
    void setUserAgent(const QString &agent);
    QString userAgent() const { return m_userAgent; }
    /// Key of this product's entry in the release information.
    void setProduct(const QString &product) { m_product = product; }
    QString product() const { return m_product; }
    /// The running program's version, dotted numbers.
    void setCurrentVersion(const QString &version) { m_currentVersion = version; }
    QString currentVersion() const { return m_currentVersion; }
    /// Bound of a whole check, redirections included (milliseconds, at least 1).
    void setTimeoutMs(int ms);
    int timeoutMs() const { return m_timeout.interval(); }
    /// Takes address, product, user agent and timeout from settings.
    void apply(const ReleaseCheckSettings &settings);

    /// Starts a check; a check still running is dropped without finishing.
    void start();
    /// Starts a check and returns when it ended (a local event loop; for the command line).
    void run();
    bool isRunning() const { return !m_reply.isNull(); }

    /// Result of the last check that ended.
    Outcome outcome() const { return m_outcome; }
    bool updateAvailable() const { return m_outcome == Outcome::UpdateAvailable; }
    /// This product's entry of the last answer read (empty after a failure).
    ReleaseInfo::Entry entry() const { return m_entry; }
    /// Why the last check failed: "Network error <code>" (the network layer's error number)
    /// or "JSON error" (the answer is not a JSON document, or is larger than kMaxAnswerBytes).
    QString error() const { return m_error; }
    /// The network layer's error number of the last check when it failed with a network error
    /// (what error() says in English, for a translated text); -1 otherwise.
    int networkErrorCode() const { return m_networkErrorCode; }

    /// Error details; the number is that of QNetworkReply::NetworkError.
    static QString networkError(int code);
    static QString jsonError();

signals:
    /// Emitted once per check, when it ended (outcome() tells how).
    void finished();

private slots:
    void onReadyRead();
    void onReply();
    void onTimeout();

private:
    /// Sends the GET for address, with the User-Agent header when there is one.
    void sendRequest(const QUrl &address);
    /// Ends the check: drops the running request, stores the outcome, emits finished.
    void finish(Outcome outcome, const QString &error = QString(), int networkErrorCode = -1);
    void dropReply();

    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_timeout;
    QString m_url;
    QString m_userAgent;
    QString m_product;
    QString m_currentVersion;
    QUrl m_requestUrl; ///< the address asked now (the last redirection target)
    int m_redirects = 0;
    /// A request was dropped before its answer ended (see the destructor).
    bool m_abandonedReply = false;
    QByteArray m_body;
    Outcome m_outcome = Outcome::None;
    ReleaseInfo::Entry m_entry;
    QString m_error;
    int m_networkErrorCode = -1;
};

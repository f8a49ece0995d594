#include "update/Update.h"

#include "common/Logging.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace {

bool g_updateRunning = false;

void updateLog(const QString &line)
{
    qCDebug(lcUpdate).noquote() << line;
}

const char kOk[] = "[OK]";
const char kError[] = "[ERROR]";

} // namespace

UpdateRunGuard::UpdateRunGuard() : m_acquired(!g_updateRunning)
{
    if (m_acquired)
        g_updateRunning = true;
}

UpdateRunGuard::~UpdateRunGuard()
{
    if (m_acquired)
        g_updateRunning = false;
}

bool UpdateRunGuard::isRunning()
{
    return g_updateRunning;
}

Update::Update(quint32 linkKind, const QString &firmwarePath, const QString &linkSettings, quint8 encrypted,
               QObject *parent)
    : QObject(parent), m_path(firmwarePath)
{
    m_settings.linkKind = linkKind;
    m_settings.linkSettings = linkSettings;
    m_settings.encrypted = encrypted;
}

Update::~Update() = default;

bool Update::anyRunning()
{
    return UpdateRunGuard::isRunning();
}

QString Update::stoppedText()
{
    return tr("Update stopped. The controller stays in its bootloader until it is programmed: "
              "start the update again with the same firmware file.");
}

bool Update::stopping()
{
    if (!m_abort)
        return false;
    if (!m_stopReported) {
        m_stopReported = true;
        emit printDialog(stoppedText());
    }
    return true;
}

bool Update::stoppedInStep()
{
    if (!m_abort)
        return false;
    // The step's line gets its outcome before the stop message.
    emit printDialog(QString::fromLatin1(kError) + tr(" (stopped)"));
    return stopping();
}

void Update::progress(quint64 done, quint64 total)
{
    emit updateProgressBar(total == 0 ? 0 : int(done * 100 / total));
}

bool Update::run()
{
    UpdateRunGuard running;
    if (!running.acquired()) {
        qCWarning(lcUpdate) << "An update is already running";
        return false;
    }

    m_abort = 0;
    m_stopReported = false;
    m_store.init(SegmentStore::kParserSRecord);

    emit printDialog(tr("Start Update\n"));
    emit printDialog(QString::asprintf(
        "Timeout T1 : %d\nTimeout T3 : %d\nTimeout T4 : %d\nTimeout T5 : %d\n"
        "Timeout T7 : %d\nseedKeyFile : %s\nConnect Mode : %d\nEncrypted : %d\n",
        m_settings.t1, m_settings.t3, m_settings.t4, m_settings.t5, m_settings.t6,
        m_settings.seedKeyFile.isEmpty() ? "(null)" : m_settings.seedKeyFile.toLocal8Bit().constData(),
        m_settings.connectMode, m_settings.encrypted));

    bool ok = loadFirmware() && connectTarget() && eraseAll() && programAll();
    if (ok) {
        updateLog(QStringLiteral("sessionStops"));
        ok = m_xcp.Stop();
        emit printDialog(tr("Finishing programming session...") + (ok ? kOk : kError));
    }

    // The one way out: reset the XCP state and drop the link, free the image.
    m_xcp.Terminate();
    m_store.terminate();
    emit updateProgressBar(0);
    if (ok) {
        m_outcome = Outcome::Done;
        emit updateDone();
    } else {
        m_outcome = m_abort ? Outcome::Aborted : Outcome::Failed;
        emit updateAbort();
    }
    return true;
}

bool Update::loadFirmware()
{
    const QString text = tr("Loading firmware data from file...");
    if (!m_store.loadFromFile(m_path, 0) || m_store.segmentCount() == 0) {
        emit printDialog(text + kError);
        return false;
    }
    // A skipped line would leave its addresses unprogrammed: nothing is sent then.
    if (m_store.lastLoadStats().corruptLines > 0) {
        emit printDialog(text + kError +
                         tr(" Line %1 is corrupt (byte count or checksum).")
                             .arg(m_store.lastLoadStats().firstCorruptLine));
        return false;
    }
    emit printDialog(text + kOk);
    quint32 base = 0;
    quint32 length = 0;
    m_store.segment(0, &base, &length);
    emit printDialog(
        QString::asprintf("Number of Segments: %u\nBase memory address: 0x%08x\nTotal data size: %u bytes\n",
                          unsigned(m_store.segmentCount()), base, unsigned(m_store.totalSize())));
    return true;
}

bool Update::connectTarget()
{
    updateLog(QStringLiteral("sessionStart"));
    m_xcp.sessionInit(0, m_settings, m_settings.linkKind, m_settings.linkSettings);
    if (m_keyRoutine)
        m_xcp.setKeyRoutine(m_keyRoutine);
    emit printDialog(tr("Connecting to target bootloader..."));

    QElapsedTimer elapsed;
    elapsed.start();
    updateLog(QStringLiteral("BltSessionStart"));
    int result = m_xcp.Start();
    bool timedOut = false;
    while ((result == XcpLoader::kStartNoAnswer || result == XcpLoader::kErrCmdUnknown) && !m_abort) {
        if (m_connectTimeoutMs > 0 && elapsed.elapsed() >= m_connectTimeoutMs) {
            timedOut = true;
            break;
        }
        QEventLoop pause;
        QTimer::singleShot(kConnectRetryMs, &pause, &QEventLoop::quit);
        pause.exec();
        if (m_abort)
            break;
        updateLog(QStringLiteral("BltSessionStart"));
        result = m_xcp.Start();
    }
    updateLog(QStringLiteral("BltSessionStart finished with status %1").arg(result));

    switch (result) {
    case XcpLoader::kStartOk:
        emit printDialog(QString::fromLatin1(kOk));
        return true;
    case XcpLoader::kStartAuthFailed:
        emit printDialog(QString::fromLatin1(kError) + tr(" (Authentification failed. Need -sk option.)"));
        break;
    case XcpLoader::kStartKeyRejected:
        emit printDialog(QString::fromLatin1(kError) +
                         tr(" Wrong seednkey Lib. Bootloader has rejected the key."));
        break;
    case XcpLoader::kErrEncryptedImage:
        emit printDialog(QString::fromLatin1(kError) +
                         tr(" The provided firmware needs to be an encrypted one."));
        break;
    default:
        if (timedOut)
            emit printDialog(
                QString::fromLatin1(kError) +
                tr(" The bootloader did not answer within %1 s.").arg(m_connectTimeoutMs / 1000.0));
        else
            emit printDialog(QString::fromLatin1(kError));
        break;
    }
    stopping();
    return false;
}

bool Update::eraseAll()
{
    updateLog(QStringLiteral("eraseOperation"));
    const int count = m_store.segmentCount();
    for (int i = 0; i < count; ++i) {
        if (stopping())
            return false;
        quint32 base = 0;
        quint32 length = 0;
        const quint8 *data = m_store.segment(i, &base, &length);
        emit updateProgressBar(0);
        emit printDialog(QString::asprintf("Erasing %u bytes starting at 0x%08x...", length, base));
        bool ok = data != nullptr && length > 0;
        quint32 done = 0;
        while (ok && done < length) {
            if (stoppedInStep())
                return false;
            const quint32 piece = qMin(length - done, kErasePieceBytes);
            ok = m_xcp.EraseRange(base + done, piece);
            if (ok) {
                done += piece;
                progress(done, length);
            }
        }
        if (!ok) {
            emit printDialog(QString::fromLatin1(kError));
            return false;
        }
        emit printDialog(QString::fromLatin1(kOk));
    }
    return true;
}

bool Update::programAll()
{
    updateLog(QStringLiteral("programOperation"));
    const int count = m_store.segmentCount();
    const quint32 pieceMax = quint32(m_xcp.maxCtoPgm()) - XcpLoader::kProgramOverhead;
    for (int i = 0; i < count; ++i) {
        if (stopping())
            return false;
        quint32 base = 0;
        quint32 length = 0;
        const quint8 *data = m_store.segment(i, &base, &length);
        emit updateProgressBar(0);
        emit printDialog(QString::asprintf("Programming %u bytes starting at 0x%08x...", length, base));
        bool ok = data != nullptr && length > 0 && m_xcp.maxCtoPgm() >= XcpLoader::kMinMaxCtoPgm;
        quint32 done = 0;
        while (ok && done < length) {
            if (stoppedInStep())
                return false;
            const quint32 piece = qMin(length - done, pieceMax);
            ok = m_xcp.WriteData(base + done, piece, data + done);
            if (ok) {
                done += piece;
                progress(done, length);
            }
        }
        if (!ok) {
            emit printDialog(QString::fromLatin1(kError));
            return false;
        }
        emit printDialog(QString::fromLatin1(kOk));
    }
    return true;
}

#include "update/FirmwareUpdater.h"

#include "device/model/Catalog.h"
#include "device/session/DeviceSession.h"
#include "device/protocol/Protocol.h"
#include "links/Comm.h"
#include "common/Logging.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>

#include <limits>

namespace {

bool g_updaterRunning = false;

void flowLog(const QString &line)
{
    qCDebug(lcUpdate).noquote() << line;
}

/// Type of the second radio module whose revision is shown in three-part form.
constexpr int kBleModuleType = 12;
/// Pause between two attempts to open the link again after an update, in milliseconds.
constexpr int kReconnectRetryMs = 200;
/// The encrypted flag the updater always gives the XCP session.
constexpr quint8 kEncryptedImage = 1;

QString bleFailedText()
{
    return QCoreApplication::translate("FirmwareUpdater", "Ble Connection failed. Please retry.");
}

} // namespace

constexpr char FirmwareUpdater::kSeedKeySetting[];

FirmwareUpdater::Timing FirmwareUpdater::Timing::simulated()
{
    // The simulated link drops within 50 ms of a restart and its device is back within a
    // second.
    Timing t;
    t.xcpDisconnectMs = 1000;
    t.ymodemDisconnectMs = 1000;
    t.afterDisconnectMs = 10;
    t.endDisconnectMs = 200;
    t.deviceSettleMs = 10;
    t.moduleSettleMs = 10;
    t.reconnectMs = 5000;
    return t;
}

FirmwareUpdater::FirmwareUpdater(DeviceSession *session, const QString &bleAddress, QObject *parent)
    : QObject(parent), m_session(session), m_bleAddress(bleAddress),
      m_waitForRestart(session && session->orvType() == kWaitForRestartType)
{
    qRegisterMetaType<FirmwareUpdater::State>();
}

FirmwareUpdater::~FirmwareUpdater()
{
    // A running update lives on the stack of start(); it is asked to stop, never deleted here.
    requestAbort();
}

QString FirmwareUpdater::kindName(int kind)
{
    switch (kind) {
    case kKindAboot:
        return QStringLiteral("Aboot/DS30Secure");
    case kKindYmodem:
        return QStringLiteral("ST Ymodem");
    case kKindXcp:
        return QStringLiteral("BootQuor");
    default:
        return QStringLiteral("XXX");
    }
}

QString FirmwareUpdater::fileFilter(int kind)
{
    switch (kind) {
    case kKindAboot:
        return QStringLiteral("Binaire DS30 (*.hex)");
    case kKindYmodem:
        return QStringLiteral("ST Ymodem (*.sfb)");
    case kKindXcp:
        return QStringLiteral("S-record (*.srec)");
    default:
        return tr("Firmware files (*.hex *.srec *.sfb)");
    }
}

int FirmwareUpdater::kindFromSuffix(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("sfb"))
        return kKindYmodem;
    if (suffix == QLatin1String("srec"))
        return kKindXcp;
    if (suffix == QLatin1String("hex"))
        return kKindAboot;
    return -1;
}

QString FirmwareUpdater::fileProblem(int kind, const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return tr("The firmware file %1 can't be read.").arg(path);
    if (kind == kKindYmodem) {
        if (file.size() == 0)
            return tr("The firmware file %1 is empty.").arg(name);
        if (file.size() > qint64(std::numeric_limits<quint32>::max()))
            return tr("The firmware file %1 is too large.").arg(name);
        return QString();
    }
    if (kind != kKindXcp)
        return QString();
    file.close();
    SegmentStore image;
    image.init(SegmentStore::kParserSRecord);
    if (!image.loadFromFile(path, 0))
        return tr("The firmware file %1 can't be read.").arg(path);
    const SRecordStats &stats = image.lastLoadStats();
    if (stats.corruptLines > 0)
        return tr("Line %1 of the firmware file %2 is corrupt (byte count or checksum): nothing was sent.")
            .arg(stats.firstCorruptLine)
            .arg(name);
    if (image.segmentCount() == 0)
        return tr("The firmware file %1 holds no data records.").arg(name);
    return QString();
}

QString FirmwareUpdater::seedKeyLibraryFromSettings()
{
    return QSettings().value(QString::fromLatin1(kSeedKeySetting)).toString();
}

bool FirmwareUpdater::anyRunning()
{
    return g_updaterRunning || UpdateRunGuard::isRunning();
}

QList<FirmwareUpdater::Bootloader> FirmwareUpdater::readBootloaders()
{
    m_bootloaders.clear();
    if (!m_session || !m_session->transport())
        return m_bootloaders;
    DeviceBusyGuard guard;
    if (!guard.acquired())
        return m_bootloaders;
    const QByteArray caps = m_session->protocol().bootloaderCaps();
    for (const quint8 code : {quint8(kTargetDevice), quint8(kTargetBleModule), quint8(kTargetSerialModule)}) {
        const int kind = Protocol::tagValue(caps, code);
        if (kind >= 0)
            m_bootloaders.append({code, kind});
    }
    return m_bootloaders;
}

int FirmwareUpdater::bootloaderKind(quint8 code) const
{
    for (const Bootloader &b : m_bootloaders) {
        if (b.code == code)
            return b.kind;
    }
    return -1;
}

QString FirmwareUpdater::sectionText(quint8 code) const
{
    const int kind = bootloaderKind(code);
    if (kind < 0 || !m_session)
        return QString();
    QString name;
    QString revision;
    switch (code) {
    case kTargetDevice:
        name = Catalog::typeName(m_session->orvType());
        revision = Catalog::versionText(m_session->orvRev(), true);
        break;
    case kTargetSerialModule:
        name = Catalog::kivName(m_session->kivType());
        revision = Catalog::versionText(m_session->kivRev(), Catalog::kivRevThreePart(m_session->kivType()));
        break;
    default:
        name = Catalog::kivName(m_session->secondKivType());
        revision = m_session->secondKivType() == kBleModuleType && m_session->secondKivRev() != -1
                       ? Catalog::versionText(m_session->secondKivRev(), true)
                       : QStringLiteral("XXXX");
        break;
    }
    return tr("Firmware : ") + QStringLiteral("Pelm") + QLatin1Char(' ') + name + QLatin1Char(' ') +
           revision + QLatin1Char('\n') + tr("Bootloader : ") + kindName(kind);
}

void FirmwareUpdater::requestAbort()
{
    if (m_state == State::Idle)
        return;
    m_abort = true;
    if (m_xcp)
        m_xcp->requestAbort();
    if (m_ymodem)
        m_ymodem->requestAbort();
}

void FirmwareUpdater::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

bool FirmwareUpdater::refuse(const QString &text)
{
    emit message(text);
    return false;
}

void FirmwareUpdater::pause(int ms, bool abortable)
{
    if (ms <= 0 || (abortable && m_abort))
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer poll;
    if (abortable) {
        // A stop request comes from an event handled inside this loop.
        connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
            if (m_abort)
                loop.quit();
        });
        poll.start(YmodemUpdate::Timing().pollMs);
    }
    timer.start(ms);
    loop.exec();
}

bool FirmwareUpdater::ensureBleLink()
{
    Comm *link = m_session ? m_session->transport() : nullptr;
    if (!link)
        return refuse(bleFailedText());
    if (m_bleAddress.isEmpty() || link->isConnected())
        return true;
    if (!link->open())
        return refuse(bleFailedText());
    return true;
}

void FirmwareUpdater::sendRestart(quint8 target)
{
    flowLog(QStringLiteral("CommSend"));
    m_session->protocol().sendCommand(Protocol::kCmdBootloader, QByteArray(1, char(target)));
}

bool FirmwareUpdater::resume(quint8 target, const QString &firmwarePath)
{
    m_resume = true;
    // The controller is in its bootloader already: the link does not drop again.
    m_waitForRestart = false;
    const bool ok = start(target, firmwarePath);
    m_resume = false;
    return ok;
}

bool FirmwareUpdater::start(quint8 target, const QString &firmwarePath)
{
    if (anyRunning())
        return refuse(tr("An update is already running."));
    if (!m_session || !m_session->transport())
        return refuse(bleFailedText());
    if (target == kTargetSerialModule)
        return false; // no transfer exists for the serial radio module

    int kind = bootloaderKind(target);
    if (m_resume && kind < 0)
        kind = kindFromSuffix(firmwarePath); // a bootloader does not list the bootloaders
    if (target == kTargetDevice) {
        if (kind < 0)
            kind = kindFromSuffix(firmwarePath);
        if (kind != kKindYmodem && kind != kKindXcp)
            return refuse(tr("This kind of bootloader with ORV is not supported"));
    } else if (target == kTargetBleModule) {
        if (kind != kKindXcp)
            return refuse(tr("This kind of bootloader with KIV-BLE is not supported"));
    } else {
        return false;
    }
    if (kindFromSuffix(firmwarePath) != kind)
        return refuse(tr("The file %1 is not a firmware file for the bootloader \"%2\" (%3).")
                          .arg(QFileInfo(firmwarePath).fileName(), kindName(kind), fileFilter(kind)));
    if (kind == kKindXcp && m_bleAddress.isEmpty())
        return refuse(tr("This controller is updated over BLE: connect to the device over BLE."));
    // The whole file is checked before the controller leaves its application.
    const QString problem = fileProblem(kind, firmwarePath);
    if (!problem.isEmpty())
        return refuse(problem);
    if (!m_resume && !ensureBleLink())
        return false;

    g_updaterRunning = true;
    m_abort = false;
    m_deviceAnswered = false;
    setState(State::Updating);
    bool ok = false;
    {
        // No poll or refresh touches the link while the update has it.
        DeviceBusyGuard busy;
        if (!busy.acquired()) {
            g_updaterRunning = false;
            setState(State::Idle);
            return refuse(tr("The device is busy. Please retry."));
        }
        ok = kind == kKindXcp ? runXcp(target, firmwarePath) : runYmodem(firmwarePath);
    }
    if (ok) {
        setState(State::Reconnecting);
        if (target == kTargetDevice)
            endDeviceUpdate();
        else
            endModuleUpdate();
    } else if (target == kTargetDevice) {
        // The controller did not come back from its bootloader.
        m_waitForRestart = false;
    }
    g_updaterRunning = false;
    setState(State::Idle);
    emit finished(ok);
    return ok;
}

bool FirmwareUpdater::runXcp(quint8 target, const QString &path)
{
    Comm *link = m_session->transport();
    if (target == kTargetBleModule)
        flowLog(QStringLiteral("New Update"));
    Update update(Update::kLinkBle, path, m_bleAddress, kEncryptedImage);
    update.settings() = m_xcpSettings;
    update.settings().linkKind = Update::kLinkBle;
    update.settings().linkSettings = m_bleAddress;
    update.settings().encrypted = kEncryptedImage;
    if (m_keyRoutine)
        update.setKeyRoutine(m_keyRoutine);
    update.setConnectTimeoutMs(m_connectTimeoutMs);
    connect(&update, &Update::printDialog, this, &FirmwareUpdater::message);
    connect(&update, &Update::updateProgressBar, this, &FirmwareUpdater::progress);
    m_xcp = &update;

    if (!m_resume) {
        sendRestart(target);
        flowLog(QStringLiteral("WaitDisconnectEvent"));
        link->waitForDisconnection(quint16(m_timing.xcpDisconnectMs));
        pause(m_timing.afterDisconnectMs, true);
    }
    if (m_abort) {
        emit message(stoppedText());
        return false;
    }
    flowLog(QStringLiteral("StartUpdate"));
    update.run();
    m_xcp.clear();
    return update.outcome() == Update::Outcome::Done;
}

bool FirmwareUpdater::runYmodem(const QString &path)
{
    Comm *link = m_session->transport();
    YmodemUpdate transfer(link, path);
    transfer.setTiming(m_ymodemTiming);
    connect(&transfer, &YmodemUpdate::printDialog, this, &FirmwareUpdater::message);
    connect(&transfer, &YmodemUpdate::updateProgressBar, this, &FirmwareUpdater::progress);
    m_ymodem = &transfer;

    if (!m_resume)
        sendRestart(kTargetDevice);
    if (m_waitForRestart) {
        flowLog(QStringLiteral("WaitDisconnectEvent"));
        link->waitForDisconnection(quint16(m_timing.ymodemDisconnectMs));
    }
    if (m_abort) {
        emit message(stoppedText());
        return false;
    }
    flowLog(QStringLiteral("StartUpdate"));
    transfer.run();
    m_ymodem.clear();
    return transfer.succeeded();
}

bool FirmwareUpdater::reconnect()
{
    Comm *link = m_session->transport();
    // A USB handle from before the restart belongs to a device that is gone, even where the
    // new one is listed at the same path.
    if (m_bleAddress.isEmpty())
        link->close();
    QElapsedTimer elapsed;
    elapsed.start();
    bool open = link->isConnected() || link->open();
    while (!open && elapsed.elapsed() < m_timing.reconnectMs) {
        pause(kReconnectRetryMs, false);
        open = link->open();
    }
    if (!open) {
        emit message(m_bleAddress.isEmpty()
                         ? tr("The device did not come back on USB after the update: it can't be read again.")
                         : bleFailedText());
        return false;
    }
    if (!m_session->identify(false)) {
        emit message(tr("The device did not answer after the update."));
        return false;
    }
    return true;
}

void FirmwareUpdater::endDeviceUpdate()
{
    Comm *link = m_session->transport();
    flowLog(QStringLiteral("Wait Disconnect Signal"));
    link->waitForDisconnection(quint16(m_timing.endDisconnectMs));
    pause(m_timing.deviceSettleMs, false);
    flowLog(QStringLiteral("Try Reconnect "));
    m_deviceAnswered = reconnect();
    if (!m_deviceAnswered)
        return;
    flowLog(QStringLiteral("Stop Update"));
    flowLog(QStringLiteral("Init Widget"));
}

void FirmwareUpdater::endModuleUpdate()
{
    Comm *link = m_session->transport();
    flowLog(QStringLiteral("Wait Disconnect Signal"));
    link->waitForDisconnection(quint16(m_timing.endDisconnectMs));
    pause(m_timing.moduleSettleMs, false);
    flowLog(QStringLiteral("Try Reconnect"));
    if (!m_bleAddress.isEmpty()) {
        if (!link->isConnected() && !link->open()) {
            emit message(bleFailedText());
            return;
        }
        flowLog(QStringLiteral("Restart ORV"));
        m_session->restartDevice();
        link->waitForDisconnection(quint16(m_timing.endDisconnectMs));
        pause(m_timing.moduleSettleMs, false);
    }
    // The device restarted: read it once more on its link.
    m_deviceAnswered = reconnect();
    flowLog(QStringLiteral("ReInit Widget"));
}

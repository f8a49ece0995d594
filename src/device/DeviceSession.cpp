#include "device/DeviceSession.h"

#include "common/Clock.h"
#include "common/Logging.h"
#include "device/Catalog.h"
#include "device/ConfigFile.h"
#include "device/FamilyParams.h"
#include "device/SessionLog.h"
#include "links/Comm.h"
#include "links/CommBle.h"
#include "links/CommUsbHid.h"

#include <QCoreApplication>
#include <QFile>

namespace {

const char *const kContext = "OrvObject";
const QString kBrand = QStringLiteral("Pelm");

QString tr(const char *text)
{
    return QCoreApplication::translate(kContext, text);
}

bool g_busy = false;

QByteArray le32(quint32 v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// DeviceBusyGuard
// ---------------------------------------------------------------------------------------------

DeviceBusyGuard::DeviceBusyGuard() : m_acquired(!g_busy)
{
    if (m_acquired)
        g_busy = true;
}

DeviceBusyGuard::~DeviceBusyGuard()
{
    if (m_acquired)
        g_busy = false;
}

bool DeviceBusyGuard::isBusy()
{
    return g_busy;
}

// ---------------------------------------------------------------------------------------------
// DeviceSession
// ---------------------------------------------------------------------------------------------

DeviceSession::DeviceSession(Reporter *boxes) : m_messages(boxes), m_protocol(nullptr, &m_messages, nullptr)
{
}

DeviceSession::DeviceSession(Comm *transport, const DeviceInfo &info, Reporter *boxes)
    : m_messages(boxes), m_info(info), m_transport(transport), m_protocol(transport, &m_messages, nullptr)
{
    m_protocol.setBufferSize(info.bufferSize);
}

DeviceSession::DeviceSession(int orvType, int orvRev, int kivType, Reporter *boxes)
    : m_messages(boxes), m_protocol(nullptr, &m_messages, nullptr)
{
    m_info.orvType = orvType;
    m_info.orvRev = orvRev;
    m_info.kivType = kivType;
}

DeviceSession::~DeviceSession()
{
    if (m_ownsTransport)
        delete m_transport;
}

void DeviceSession::setOwner(QObject *owner)
{
    m_owner = owner;
    m_protocol.setOwner(owner);
}

void DeviceSession::status(const QString &text)
{
    m_messages.status(text, kStatusTimeoutMs);
}

void DeviceSession::reportBusy()
{
    status(tr("The device is busy, try again in a moment."));
}

bool DeviceSession::refusedBusy(const DeviceBusyGuard &guard)
{
    if (guard.acquired())
        return false;
    reportBusy();
    return true;
}

void DeviceSession::paramsToWidgets(OrvParamList &params)
{
    for (const OrvParam &p : params) {
        for (int i = m_pageParams.size() - 1; i >= 0; --i) {
            if (m_pageParams.at(i).id() == p.id())
                m_pageParams.remove(i);
        }
    }
    m_pageParams += params;
}

void DeviceSession::widgetsToParams(OrvParamList &params)
{
    params += m_pageParams;
}

QString DeviceSession::identityText() const
{
    return Catalog::identityText(identity());
}

QString DeviceSession::fileIdentity() const
{
    return Catalog::fileIdentity(m_info.orvType);
}

QString DeviceSession::catalogLabel() const
{
    return OrvList::instance().label(m_info.orvType, m_info.orvRev, m_info.kivType);
}

void DeviceSession::setTransport(Comm *transport)
{
    if (m_ownsTransport && m_transport != transport)
        delete m_transport;
    m_transport = transport;
    m_ownsTransport = true;
    m_protocol.setComm(transport);
}

Comm *DeviceSession::releaseTransport()
{
    Comm *t = m_transport;
    m_transport = nullptr;
    m_protocol.setComm(nullptr);
    return t;
}

bool DeviceSession::isConnected() const
{
    return !m_transport || m_transport->isConnected();
}

bool DeviceSession::supportsKeyChange() const
{
    return m_info.orvType == Catalog::kAcceptedType && m_info.kivRev != -1;
}

bool DeviceSession::identify(bool showErrors)
{
    TransactionLog log("identify");
    DeviceBusyGuard guard;
    if (!guard.acquired() || !m_transport)
        return false;
    DeviceInfo found;
    const bool ok = m_protocol.identify(&found, showErrors);
    m_info = found;
    return log.ok(ok);
}

void DeviceSession::addParam(quint8 id, const QByteArray &value)
{
    ::addParam(m_params, id, value);
}

// --- load -------------------------------------------------------------------------------------

int DeviceSession::load(int timeoutMs)
{
    TransactionLog log("load");
    DeviceBusyGuard guard;
    if (refusedBusy(guard))
        return -1;
    return log.result(doLoad(timeoutMs));
}

int DeviceSession::doLoad(int timeoutMs)
{
    m_params.clear();
    if (!m_transport)
        return -1;
    m_params.append(OrvParam(Protocol::kActionParamId, quint8(Protocol::kActLoadConfig)));
    const QByteArray result = m_protocol.exchangeParams(m_params, nullptr, timeoutMs, true);

    // Nothing usable (no answer, an incomplete answer or a cut element) is a failed load: an
    // empty answer is never taken for an empty configuration.
    OrvFrame frame;
    if (frame.setData(result) < 1) {
        m_messages.critical(tr("Load configuration failed !"),
                            tr("No/Bad response from device! Please retry to load the configuration or "
                               "disconnect and reconnect your device."),
                            m_owner);
        status(tr("Load configuration from %1, has failed !").arg(kBrand));
        m_params.clear();
        return -1;
    }
    m_params.clear();
    frame.extractParams(m_params, {}, false);
    if (checkUnknown() > 0)
        status(tr("Load configuration from %1, is uncompleted !").arg(kBrand));
    else
        status(tr("Load configuration from %1, has succeeded !").arg(kBrand));
    return m_params.size();
}

int DeviceSession::loadFromDevice()
{
    TransactionLog log("load");
    DeviceBusyGuard guard;
    if (refusedBusy(guard))
        return -1;
    m_params.clear();
    log.result(doLoad(Protocol::kLoadTimeoutMs));
    paramsToWidgets(m_params);
    return m_params.isEmpty() ? -1 : 0;
}

// --- apply ------------------------------------------------------------------------------------

QString DeviceSession::applyReport(const ApplyResults &results) const
{
    QString report;
    for (const ApplyResult &r : results) {
        if (!r.refused)
            continue;
        const QString name = m_tables.name(r.id);
        if (!name.isEmpty())
            report += QStringLiteral("    - ") + name + QStringLiteral(" (") + QString::number(r.id) +
                      QStringLiteral("): ");
        else
            report += QStringLiteral("    - ") + tr("Unknown parameters") + QStringLiteral(" (") +
                      QString::number(r.id) + QStringLiteral("): ");
        const QString error = m_tables.error(r.id);
        if (!error.isEmpty())
            report += error + QStringLiteral(" !\n");
        else
            report += tr("failed") + QStringLiteral(" !\n");
    }
    if (report.isEmpty())
        return report;
    return tr("Some parameter of the configuration as failed:") + QStringLiteral("\n\n") + report;
}

int DeviceSession::apply(ApplyResults &results, int timeoutMs)
{
    results.clear();
    TransactionLog log("apply");
    DeviceBusyGuard guard;
    if (refusedBusy(guard))
        return -1;
    return log.result(doApply(results, timeoutMs));
}

int DeviceSession::doApply(ApplyResults &results, int timeoutMs)
{
    results.clear();
    if (!m_transport) {
        m_params.clear();
        return -1;
    }
    QByteArray sentIds;
    const QByteArray result = m_protocol.exchangeParams(m_params, &sentIds, timeoutMs, true);
    results = Protocol::decodeBitmap(sentIds, result);
    if (results.isEmpty()) {
        m_messages.critical(tr("Apply configuration failed !"),
                            tr("No/Bad response from device! Please retry to apply the configuration."),
                            m_owner);
        status(tr("Apply configuration to %1, has failed !").arg(kBrand));
        return -1;
    }
    int refused = 0;
    for (const ApplyResult &r : results)
        refused += r.refused ? 1 : 0;
    if (refused == 0) {
        status(tr("Apply configuration to %1, has succeeded !").arg(kBrand));
        return 0;
    }
    m_messages.warning(tr("Apply configuration failed"), applyReport(results), m_owner);
    status(tr("Apply configuration to %1, has failed !").arg(kBrand));
    return refused;
}

int DeviceSession::applyToDevice()
{
    TransactionLog log("apply");
    DeviceBusyGuard guard;
    if (refusedBusy(guard))
        return -1;
    m_params.clear();
    widgetsToParams(m_params);
    m_lastApplyResults.clear();
    if (log.result(doApply(m_lastApplyResults, Protocol::kApplyTimeoutMs)) < 0)
        return -1;
    if (m_info.versionWord >= Protocol::kClockVersionWord) {
        m_params.clear();
        const quint32 now = quint32(Clock::now().toSecsSinceEpoch());
        m_params.append(
            OrvParam(Protocol::kActionParamId, QByteArray(1, char(Protocol::kActClock)) + le32(now)));
        m_protocol.exchangeParams(m_params, nullptr, Protocol::kClockTimeoutMs, true);
    }
    configApplied();
    return 0;
}

// --- restore defaults ----------------------------------------------------------------------

int DeviceSession::restoreDefaults()
{
    TransactionLog log("restore defaults");
    DeviceBusyGuard guard;
    if (refusedBusy(guard))
        return -1;
    m_params.clear();
    if (!m_transport)
        return -1;
    m_params.append(OrvParam(Protocol::kActionParamId, quint8(Protocol::kActRestoreDefaults)));
    const QByteArray result = m_protocol.exchangeParams(m_params, nullptr, Protocol::kRestoreTimeoutMs, true);
    if (result.isEmpty() || result.at(0) != 0) {
        m_messages.critical(tr("Default configuration failed !"),
                            tr("An error as occurred from restoration !"), m_owner);
        status(tr("Default configuration from %1, has failed !").arg(kBrand));
        return -1;
    }
    m_params.clear();
    const int loaded = doLoad(Protocol::kLoadTimeoutMs);
    paramsToWidgets(m_params);
    // The defaults were restored, but when they could not be read back the load's own failure
    // (box and status) stands: "succeeded" would hide that the page does not show them.
    if (loaded < 0)
        return -1;
    // The page's note on values it can't show as they are stays in view with the success: the
    // next apply writes what the note says.
    const QString succeeded = tr("Default configuration from %1, has succeeded !").arg(kBrand);
    const QString note = loadNote();
    status(note.isEmpty() ? succeeded : succeeded + QLatin1Char(' ') + note);
    return log.result(0);
}

// --- unknown parameters ------------------------------------------------------------------

int DeviceSession::checkUnknown()
{
    QStringList unknown;
    for (OrvParam &p : m_params) {
        if (!m_tables.isKnown(p.id()))
            unknown.append(QString::number(p.id()));
        if (m_tables.isBuffer(p.id()))
            p.takeIndex();
    }
    if (!unknown.isEmpty())
        m_messages.warning(tr("Check parameters"),
                           tr("Some parameters in the device are unknown in the current version of this "
                              "software. There is probably a newer version available.\nPlease, upgrade this "
                              "software!\n\nList of the unknown parameters : ") +
                               unknown.join(QStringLiteral(", ")),
                           m_owner);
    return unknown.size();
}

// --- files --------------------------------------------------------------------------------------

int DeviceSession::readFile(const QString &path, bool isDefault)
{
    DeviceBusyGuard guard;
    if (refusedBusy(guard))
        return -1;
    const int n = ConfigFile::read(path, isDefault, identity(), m_params, m_messages);
    return fileRead(n, isDefault ? QStringLiteral("default") : path);
}

int DeviceSession::readFile(const ConfigFile::Document &doc)
{
    DeviceBusyGuard guard;
    if (!guard.acquired())
        return -1;
    const int n = ConfigFile::read(doc, false, identity(), m_params, m_messages);
    return fileRead(n, doc.path);
}

int DeviceSession::fileRead(int n, const QString &label)
{
    if (n < 1)
        return n;
    if (checkUnknown() > 0)
        status(ConfigFile::loadUncompletedText(label));
    else
        status(ConfigFile::loadSucceededText(label));
    paramsToWidgets(m_params);
    return m_params.size();
}

int DeviceSession::writeFile(const QString &path)
{
    DeviceBusyGuard guard;
    if (refusedBusy(guard))
        return -1;
    m_params.clear();
    widgetsToParams(m_params);
    return ConfigFile::write(path, identity(), m_tables, m_params, m_messages);
}

bool DeviceSession::fileContent(ConfigFile::Content *content)
{
    DeviceBusyGuard guard;
    if (!guard.acquired())
        return false;
    m_params.clear();
    widgetsToParams(m_params);
    content->device = identity();
    content->tables = m_tables;
    content->params = m_params;
    return true;
}

int DeviceSession::loadDefaultConfig()
{
    const QString path = OrvList::instance().defaultConfig(m_info.orvType, m_info.orvRev, m_info.kivType);
    if (path.isEmpty() || !QFile::exists(path))
        return -1;
    return readFile(path, true);
}

// --- frames --------------------------------------------------------------------------------------

int DeviceSession::importFrames(const OrvFrameList &frames)
{
    m_params.clear();
    for (const OrvFrame &f : frames)
        f.extractParams(m_params, m_tables.bufferFlags, true);
    if (checkUnknown() > 0)
        status(tr("Import %1 parameters from %2 frames, has uncompleted !")
                   .arg(m_params.size())
                   .arg(frames.size()));
    else if (!m_params.isEmpty())
        status(tr("Import %1 parameters from %2 frames, has succeeded !")
                   .arg(m_params.size())
                   .arg(frames.size()));
    paramsToWidgets(m_params);
    return m_params.size();
}

OrvParamList DeviceSession::exportParams()
{
    m_params.clear();
    widgetsToParams(m_params);
    return m_params;
}

int DeviceSession::defaultFramePayload() const
{
    return m_info.kivType == kLoRaWanKivType ? kLoRaWanFramePayload : OrvFrame::kMinPayload;
}

// --- clock, live values, raw queries ----------------------------------------------------------

int DeviceSession::setDeviceClock(const QDateTime &utc)
{
    DeviceBusyGuard guard;
    if (refusedBusy(guard) || !m_transport)
        return -1;
    const QByteArray args = le32(quint32(utc.toSecsSinceEpoch()));
    m_params.clear();
    m_params.append(OrvParam(Protocol::kActionParamId, QByteArray(1, char(Protocol::kActClock)) + args));
    m_protocol.exchangeParams(m_params, nullptr, Protocol::kClockTimeoutMs, true);
    return m_protocol.lastExchangeAcknowledged() ? 0 : -1;
}

int DeviceSession::shiftDeviceClock(qint16 seconds)
{
    DeviceBusyGuard guard;
    if (refusedBusy(guard) || !m_transport)
        return -1;
    QByteArray value(1, char(Protocol::kActClock));
    value.append(char(quint16(seconds) & 0xFF));
    value.append(char(quint16(seconds) >> 8));
    m_params.clear();
    m_params.append(OrvParam(Protocol::kActionParamId, value));
    m_protocol.exchangeParams(m_params, nullptr, Protocol::kClockTimeoutMs, true);
    return m_protocol.lastExchangeAcknowledged() ? 0 : -1;
}

bool DeviceSession::readDeviceClock(QDateTime *utc)
{
    DeviceBusyGuard guard;
    if (!guard.acquired() || !m_transport)
        return false;
    m_params.clear();
    m_params.append(OrvParam(Protocol::kActionParamId, quint8(Protocol::kActClock)));
    const QByteArray r = m_protocol.exchangeParams(m_params, nullptr, Protocol::kClockTimeoutMs, true);
    if (r.size() < 4)
        return false;
    const quint32 secs = quint32(quint8(r.at(0))) | (quint32(quint8(r.at(1))) << 8) |
                         (quint32(quint8(r.at(2))) << 16) | (quint32(quint8(r.at(3))) << 24);
    if (utc)
        *utc = QDateTime::fromSecsSinceEpoch(qint64(secs), Qt::UTC);
    return true;
}

void DeviceSession::restartDevice()
{
    DeviceBusyGuard guard;
    if (!guard.acquired() || !m_transport)
        return;
    m_protocol.runAction(Protocol::kActRestart, QByteArray(), Protocol::kRestartTimeoutMs, false);
}

bool DeviceSession::readLiveValue(quint8 command, QByteArray *value)
{
    DeviceBusyGuard guard;
    if (!guard.acquired())
        return false;
    return m_protocol.readLiveValue(command, value);
}

bool DeviceSession::terminalAvailable()
{
    DeviceBusyGuard guard;
    if (!guard.acquired())
        return false;
    return m_protocol.terminalAvailable();
}

int DeviceSession::bootloaderTag(quint8 tag)
{
    DeviceBusyGuard guard;
    if (!guard.acquired())
        return -1;
    return m_protocol.bootloaderTag(tag);
}

bool DeviceSession::hasBootloader()
{
    DeviceBusyGuard guard;
    if (!guard.acquired())
        return false;
    const QByteArray caps = m_protocol.bootloaderCaps();
    for (const quint8 tag : {Protocol::kTagSerialModule, Protocol::kTagDevice, Protocol::kTagBleModule}) {
        if (Protocol::tagValue(caps, tag) >= 0)
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Factories
// ---------------------------------------------------------------------------------------------

namespace DeviceFactory {

namespace {

Comm *openUsbHid()
{
    auto *comm = new CommUsbHid;
    if (!comm->openFirst()) {
        delete comm;
        return nullptr;
    }
    return comm;
}

UsbTransportFactory &usbFactory()
{
    static UsbTransportFactory f = openUsbHid;
    return f;
}

Comm *newCommBle(const QString &address)
{
    return new CommBle(address);
}

BleTransportFactory &bleFactory()
{
    static BleTransportFactory f = newCommBle;
    return f;
}

int g_usbAttempts = 0;
/// An unknown device was reported on USB and has not been unplugged since: the poll finds it
/// again every 500 ms, and one box per plug-in is enough.
bool g_usbUnknownReported = false;

Reporter &pick(Reporter *rep)
{
    return rep ? *rep : reporter();
}

void showUnknown(const DeviceInfo &info, QObject *parent, Reporter &rep)
{
    rep.information(Catalog::unknownDeviceTitle(), Catalog::unknownDeviceText(info.identity()), parent);
}

/// No device was found on USB, and logged so: the poll that keeps finding none says it once.
bool g_usbNothingLogged = false;

/// One "pelm.session" line per probe (with nothingLogged, "no device" only once in a row).
void logProbe(const QString &where, const Probe &probe, bool *nothingLogged = nullptr)
{
    static const char *const kOutcomes[] = {"no device", "busy", "no identification", "unknown device",
                                            "accepted"};
    const bool nothing = probe.outcome == ProbeOutcome::NoDevice;
    if (nothingLogged) {
        if (nothing && *nothingLogged)
            return;
        *nothingLogged = nothing;
    }
    QString line = where + QStringLiteral(" probe: ") + QLatin1String(kOutcomes[int(probe.outcome)]);
    if (probe.outcome == ProbeOutcome::Unknown || probe.outcome == ProbeOutcome::Accepted)
        line += QStringLiteral(", type %1 rev 0x%2, module %3 rev 0x%4")
                    .arg(probe.info.orvType)
                    .arg(probe.info.orvRev, 4, 16, QLatin1Char('0'))
                    .arg(probe.info.kivType)
                    .arg(probe.info.kivRev, 4, 16, QLatin1Char('0'));
    qCDebug(lcSession).noquote() << line;
}

DeviceSession *makeSession(Probe &probe, const SessionCreator &creator)
{
    if (probe.outcome != ProbeOutcome::Accepted)
        return nullptr;
    return creator ? creator(std::move(probe.transport), probe.info)
                   : createPlainSession(std::move(probe.transport), probe.info);
}

} // namespace

void setUsbTransportFactory(UsbTransportFactory factory)
{
    usbFactory() = factory ? std::move(factory) : UsbTransportFactory(openUsbHid);
}

void setBleTransportFactory(BleTransportFactory factory)
{
    bleFactory() = factory ? std::move(factory) : BleTransportFactory(newCommBle);
}

int usbAttemptCounter()
{
    return g_usbAttempts;
}

void resetUsbAttemptCounter()
{
    g_usbAttempts = 0;
    g_usbUnknownReported = false;
}

DeviceSession *createPlainSession(std::unique_ptr<Comm> transport, const DeviceInfo &info)
{
    DeviceSession *s = transport ? new DeviceSession(transport.release(), info)
                                 : new DeviceSession(info.orvType, info.orvRev, info.kivType);
    FamilyParams::registerThermocouple(s->tables(), info.kivType);
    return s;
}

Probe probeUsb(QObject *parent, Reporter *rep)
{
    Probe probe;
    DeviceBusyGuard guard;
    if (!guard.acquired()) {
        probe.outcome = ProbeOutcome::Busy;
        return probe;
    }
    Reporter &messages = pick(rep);

    probe.transport.reset(usbFactory() ? usbFactory()() : nullptr);
    if (!probe.transport) {
        g_usbAttempts = 0;
        g_usbUnknownReported = false;
        probe.outcome = ProbeOutcome::NoDevice;
        return probe;
    }

    if (const auto *usb = dynamic_cast<const CommUsbHid *>(probe.transport.get())) {
        probe.usbVendorId = usb->vendorId();
        probe.usbProductId = usb->productId();
        probe.usbPath = usb->path();
    }

    const bool showErrors = g_usbAttempts >= kUsbSilentAttempts;
    g_usbAttempts = showErrors ? 0 : g_usbAttempts + 1;

    Protocol protocol(probe.transport.get(), &messages, parent);
    if (!protocol.identify(&probe.info, showErrors)) {
        probe.transport.reset();
        probe.outcome = ProbeOutcome::Failed;
        return probe;
    }
    // A device that answered starts the count of consecutive failures again.
    g_usbAttempts = 0;
    if (!Catalog::isAccepted(probe.info.orvType, probe.info.orvRev, probe.info.kivType)) {
        if (!g_usbUnknownReported)
            showUnknown(probe.info, parent, messages);
        g_usbUnknownReported = true;
        probe.transport.reset();
        probe.outcome = ProbeOutcome::Unknown;
        return probe;
    }
    g_usbUnknownReported = false;
    probe.outcome = ProbeOutcome::Accepted;
    return probe;
}

Probe probeBle(const QString &address, QObject *parent, Reporter *rep)
{
    Probe probe;
    DeviceBusyGuard guard;
    if (!guard.acquired()) {
        probe.outcome = ProbeOutcome::Busy;
        return probe;
    }
    Reporter &messages = pick(rep);

    probe.transport.reset(bleFactory() ? bleFactory()(address) : nullptr);
    if (!probe.transport || !probe.transport->open()) {
        probe.transport.reset();
        probe.outcome = ProbeOutcome::NoDevice;
        return probe;
    }

    for (int attempt = 1; attempt <= kBleAttempts; ++attempt) {
        Protocol protocol(probe.transport.get(), &messages, parent);
        if (!protocol.identify(&probe.info, attempt == kBleAttempts))
            continue;
        if (!Catalog::isAccepted(probe.info.orvType, probe.info.orvRev, probe.info.kivType)) {
            showUnknown(probe.info, parent, messages);
            probe.transport.reset();
            probe.outcome = ProbeOutcome::Unknown;
            return probe;
        }
        probe.outcome = ProbeOutcome::Accepted;
        return probe;
    }
    probe.transport.reset();
    probe.outcome = ProbeOutcome::Failed;
    return probe;
}

DeviceSession *connectUsb(bool *failed, QObject *parent, const SessionCreator &create, Reporter *rep)
{
    Probe probe = probeUsb(parent, rep);
    logProbe(QStringLiteral("USB"), probe, &g_usbNothingLogged);
    if (failed)
        *failed = probe.outcome == ProbeOutcome::Failed;
    return makeSession(probe, create);
}

DeviceSession *connectBle(const QString &address, QObject *parent, const SessionCreator &create,
                          Reporter *rep)
{
    Probe probe = probeBle(address, parent, rep);
    logProbe(QStringLiteral("BLE ") + address, probe);
    return makeSession(probe, create);
}

DeviceSession *createOffline(int orvType, int orvRev, int kivType, const SessionCreator &create)
{
    if (!Catalog::isAccepted(orvType, orvRev, kivType))
        return nullptr;
    DeviceInfo info;
    info.orvType = orvType;
    info.orvRev = orvRev;
    info.kivType = kivType;
    return create ? create(nullptr, info) : createPlainSession(nullptr, info);
}

} // namespace DeviceFactory

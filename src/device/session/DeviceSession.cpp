#include "device/session/DeviceSession.h"

#include "common/Clock.h"
#include "common/Logging.h"
#include "device/model/Catalog.h"
#include "device/protocol/DeviceClock.h"
#include "device/family/FamilyModel.h"
#include "device/files/ConfigFile.h"
#include "device/session/SessionLog.h"
#include "links/Comm.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>

#include <algorithm>

namespace {

const char *const kContext = "DeviceSession";

QString tr(const char *text)
{
    return QCoreApplication::translate(kContext, text);
}

bool g_busy = false;

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

/// What the protocol layer shows during an exchange (the device's own warnings, a bad answer):
/// kept in the transaction's outcome and presented as it happens.
class DeviceSession::ProtocolMessages : public Reporter
{
public:
    explicit ProtocolMessages(DeviceSession &session) : m_session(session) {}
    int box(const Box &b) override
    {
        m_session.m_last.box(b);
        return m_session.m_messages.box(b);
    }
    void status(const QString &text, int timeoutMs) override
    {
        m_session.m_last.status(text, timeoutMs);
        m_session.m_messages.status(text, timeoutMs);
    }

private:
    DeviceSession &m_session;
};

DeviceSession::DeviceSession(Reporter *boxes)
    : m_messages(boxes), m_protocolMessages(std::make_unique<ProtocolMessages>(*this)),
      m_protocol(nullptr, m_protocolMessages.get(), nullptr)
{
}

DeviceSession::DeviceSession(Comm *transport, const DeviceInfo &info, Reporter *boxes)
    : m_messages(boxes), m_protocolMessages(std::make_unique<ProtocolMessages>(*this)), m_info(info),
      m_transport(transport), m_protocol(transport, m_protocolMessages.get(), nullptr)
{
    m_protocol.setBufferSize(info.bufferSize);
}

DeviceSession::DeviceSession(int orvType, int orvRev, int kivType, Reporter *boxes)
    : m_messages(boxes), m_protocolMessages(std::make_unique<ProtocolMessages>(*this)),
      m_protocol(nullptr, m_protocolMessages.get(), nullptr)
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

void DeviceSession::report(const Outcome &outcome)
{
    m_last.append(outcome);
    outcome.present(m_messages, m_owner);
}

void DeviceSession::status(const QString &text)
{
    Outcome o;
    o.status(text, kStatusTimeoutMs);
    report(o);
}

void DeviceSession::note(const QString &text)
{
    Outcome o;
    o.status(text, Reporter::kUntilDismissed);
    report(o);
}

void DeviceSession::beginOutcome()
{
    m_last = Outcome();
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

bool DeviceSession::rereadIdentifier(QByteArray *identifier)
{
    TransactionLog log("reread identifier");
    identifier->clear();
    DeviceBusyGuard guard;
    if (!guard.acquired() || !m_transport)
        return log.ok(false);
    return log.ok(m_protocol.readIdentifier(identifier));
}

void DeviceSession::addParam(quint8 id, const QByteArray &value)
{
    ::addParam(m_params, id, value);
}

// --- load -------------------------------------------------------------------------------------

int DeviceSession::load(int timeoutMs)
{
    TransactionLog log("load");
    beginOutcome();
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
        Outcome o;
        o.critical(tr("Load configuration failed !"),
                   tr("No/Bad response from device! Please retry to load the configuration or "
                      "disconnect and reconnect your device."));
        o.status(tr("Load configuration from %1, has failed !").arg(Catalog::brand()), kStatusTimeoutMs);
        report(o);
        m_params.clear();
        return -1;
    }
    m_params.clear();
    frame.extractParams(m_params, {}, false);
    const int unknown = checkUnknown();
    // What the device holds now: a kept parameter is written again only when it differs.
    m_deviceValues.clear();
    for (const OrvParam &p : FamilyModel::wholeRecords(m_params))
        m_deviceValues.insert(p.id(), p.data());
    if (unknown > 0)
        status(tr("Load configuration from %1, is uncompleted !").arg(Catalog::brand()));
    else
        status(tr("Load configuration from %1, has succeeded !").arg(Catalog::brand()));
    return m_params.size();
}

int DeviceSession::loadFromDevice()
{
    TransactionLog log("load");
    beginOutcome();
    DeviceBusyGuard guard;
    if (refusedBusy(guard))
        return -1;
    m_params.clear();
    log.result(doLoad(Protocol::kLoadTimeoutMs));
    paramsToWidgets(m_params);
    setConfigLoaded(!m_params.isEmpty());
    return m_params.isEmpty() ? -1 : 0;
}

void DeviceSession::setConfigLoaded(bool loaded)
{
    m_configLoaded = loaded;
    if (!loaded)
        m_deviceValues.clear();
    loadStateChanged(loaded);
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
    beginOutcome();
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
        Outcome o;
        o.critical(tr("Apply configuration failed !"),
                   tr("No/Bad response from device! Please retry to apply the configuration."));
        o.status(tr("Apply configuration to %1, has failed !").arg(Catalog::brand()), kStatusTimeoutMs);
        report(o);
        return -1;
    }
    int refused = 0;
    for (const ApplyResult &r : results)
        refused += r.refused ? 1 : 0;
    if (refused == 0) {
        status(tr("Apply configuration to %1, has succeeded !").arg(Catalog::brand()));
        return 0;
    }
    Outcome o;
    o.warning(tr("Apply configuration failed"), applyReport(results));
    o.status(tr("Apply configuration to %1, has failed !").arg(Catalog::brand()), kStatusTimeoutMs);
    report(o);
    return refused;
}

int DeviceSession::applyToDevice()
{
    TransactionLog log("apply");
    DeviceBusyGuard guard;
    if (!beginWrite(guard))
        return -1;
    if (!m_configLoaded) {
        // The page shows values nobody read from the device: writing them would overwrite the
        // device's configuration with them.
        Outcome o;
        o.critical(tr("Apply configuration failed !"),
                   tr("The configuration has not been read from the device. Reload it from the "
                      "device before applying."));
        o.status(tr("Apply configuration to %1, has failed !").arg(Catalog::brand()), kStatusTimeoutMs);
        report(o);
        return log.result(-1);
    }
    OrvParamList records;
    widgetsToParams(records);
    // Parameters without an editor go back only when they differ from what the device holds
    // (a file or an import brought another value): the page neither shows nor changes them.
    OrvParamList wanted;
    for (const OrvParam &p : FamilyModel::wholeRecords(records)) {
        const auto held = m_deviceValues.constFind(p.id());
        if (FamilyModel::role(p.id(), kivType()) == FamilyModel::Role::Kept &&
            held != m_deviceValues.constEnd() && held.value() == p.data())
            continue;
        wanted.append(p);
    }
    return log.result(doWrite(wanted));
}

int DeviceSession::writeConfiguration(const OrvParamList &records)
{
    TransactionLog log("write configuration");
    DeviceBusyGuard guard;
    if (!beginWrite(guard))
        return -1;
    return log.result(doWrite(records));
}

bool DeviceSession::beginWrite(const DeviceBusyGuard &guard)
{
    beginOutcome();
    if (refusedBusy(guard))
        return false;
    m_lastApplyResults.clear();
    m_lastWritten.clear();
    return m_transport != nullptr;
}

int DeviceSession::doWrite(const OrvParamList &records)
{
    // Nothing reaches the device that the family's model refuses: not one record is sent then.
    m_lastWriteStop = WriteStop::None;
    const FamilyModel::Checked checked = FamilyModel::check(records, kivType());
    m_lastRefusals = checked.refused;
    if (!checked.ok()) {
        QStringList lines;
        for (const FamilyModel::Refusal &r : checked.refused)
            lines << QStringLiteral("    - ") + r.text;
        Outcome o;
        o.critical(tr("Apply configuration failed !"),
                   tr("Nothing was written: the configuration holds values the device can't take.") +
                       QStringLiteral("\n\n") + lines.join(QLatin1Char('\n')));
        o.status(tr("Apply configuration to %1, has failed !").arg(Catalog::brand()), kStatusTimeoutMs);
        report(o);
        return -1;
    }
    // What changes is shown (when asked for) and what the device holds is saved first.
    if (!prepareWrite(checked.accepted, true)) {
        if (m_lastWriteStop == WriteStop::NoAnswer) {
            Outcome o;
            o.critical(tr("Apply configuration failed !"),
                       tr("No/Bad response from device! Please retry to apply the configuration."));
            o.status(tr("Apply configuration to %1, has failed !").arg(Catalog::brand()), kStatusTimeoutMs);
            report(o);
        }
        return -1;
    }
    m_params = checked.accepted;
    m_lastWritten = checked.accepted;
    if (doApply(m_lastApplyResults, Protocol::kApplyTimeoutMs) < 0)
        return -1;
    // What the device took is what it holds now.
    QSet<quint8> refused;
    for (const ApplyResult &r : qAsConst(m_lastApplyResults)) {
        if (r.refused)
            refused.insert(r.id);
    }
    for (const OrvParam &p : qAsConst(m_lastWritten)) {
        if (!refused.contains(p.id()))
            m_deviceValues.insert(p.id(), p.data());
    }
    if (m_info.versionWord >= Protocol::kClockVersionWord) {
        m_params.clear();
        m_params.append(OrvParam(DeviceClock::kActionParamId, DeviceClock::setValue(Clock::now())));
        m_protocol.exchangeParams(m_params, nullptr, DeviceClock::kExchangeTimeoutMs, true);
    }
    configApplied();
    return 0;
}

// --- restore defaults ----------------------------------------------------------------------

int DeviceSession::restoreDefaults()
{
    TransactionLog log("restore defaults");
    beginOutcome();
    DeviceBusyGuard guard;
    if (refusedBusy(guard))
        return -1;
    m_params.clear();
    if (!m_transport)
        return -1;
    if (!prepareWrite({}, false)) {
        if (m_lastWriteStop == WriteStop::NoAnswer) {
            Outcome o;
            o.critical(tr("Default configuration failed !"), tr("An error as occurred from restoration !"));
            o.status(tr("Default configuration from %1, has failed !").arg(Catalog::brand()),
                     kStatusTimeoutMs);
            report(o);
        }
        return log.result(-1);
    }
    m_params.clear();
    m_params.append(OrvParam(Protocol::kActionParamId, quint8(Protocol::kActRestoreDefaults)));
    const QByteArray result = m_protocol.exchangeParams(m_params, nullptr, Protocol::kRestoreTimeoutMs, true);
    if (result.isEmpty() || result.at(0) != 0) {
        Outcome o;
        o.critical(tr("Default configuration failed !"), tr("An error as occurred from restoration !"));
        o.status(tr("Default configuration from %1, has failed !").arg(Catalog::brand()), kStatusTimeoutMs);
        report(o);
        return -1;
    }
    m_params.clear();
    const int loaded = doLoad(Protocol::kLoadTimeoutMs);
    paramsToWidgets(m_params);
    setConfigLoaded(loaded > 0);
    // The defaults were restored, but when they could not be read back the load's own failure
    // (box and status) stands: "succeeded" would hide that the page does not show them.
    if (loaded < 0)
        return -1;
    // The page's note on values it can't show as they are stays in its message bar: the next
    // apply writes what the note says.
    const QString succeeded = tr("Default configuration from %1, has succeeded !").arg(Catalog::brand());
    status(succeeded);
    return log.result(0);
}

// --- unknown parameters ------------------------------------------------------------------

int DeviceSession::checkUnknown()
{
    // A file may hold thousands of records: each id is listed once, and at most
    // kMaxListedUnknownIds of them, so that the box fits on a screen.
    constexpr int kMaxListedUnknownIds = 32;
    int unknown = 0;
    QList<quint8> ids;
    for (OrvParam &p : m_params) {
        if (!m_tables.isKnown(p.id())) {
            ++unknown;
            if (!ids.contains(p.id()))
                ids.append(p.id());
        }
        if (m_tables.isBuffer(p.id()))
            p.takeIndex();
    }
    if (unknown > 0) {
        QStringList listed;
        for (int i = 0; i < ids.size() && i < kMaxListedUnknownIds; ++i)
            listed.append(QString::number(ids.at(i)));
        if (ids.size() > listed.size())
            listed.append(QStringLiteral("..."));
        QString text = tr("Some parameters in the device are unknown in the current version of this "
                          "software. There is probably a newer version available.\nPlease, upgrade this "
                          "software!\n\nList of the unknown parameters : ") +
                       listed.join(QStringLiteral(", "));
        if (unknown > ids.size() || ids.size() > kMaxListedUnknownIds)
            text += QLatin1Char('\n') + tr("%1 unknown parameters in all.").arg(unknown);
        Outcome o;
        o.warning(tr("Check parameters"), text);
        report(o);
    }
    return unknown;
}

// --- files --------------------------------------------------------------------------------------

ConfigFile::ConfirmOtherModule DeviceSession::otherModuleQuestion()
{
    return [this](const Reporter::Box &question) {
        // The question stays in the outcome: a refused file is explained by it.
        m_last.box(question);
        const ConfigFile::ConfirmOtherModule decide =
            m_confirmOtherModule ? m_confirmOtherModule : ConfigFile::askOn(m_messages, m_owner);
        return decide(question);
    };
}

int DeviceSession::readFile(const QString &path, bool isDefault)
{
    beginOutcome();
    DeviceBusyGuard guard;
    if (refusedBusy(guard))
        return -1;
    const Reported<int> read = ConfigFile::read(path, isDefault, identity(), m_params, otherModuleQuestion());
    report(read.outcome);
    if (isDefault && read.value > 0) {
        // Where the default resource is silent the family's factory values stand, never the
        // values the editors were built with (an alarm switched on, say).
        OrvParamList withFactory;
        for (const OrvParam &f : FamilyModel::factoryValues(kivType())) {
            const bool given = std::any_of(m_params.cbegin(), m_params.cend(),
                                           [&f](const OrvParam &p) { return p.id() == f.id(); });
            if (!given)
                withFactory.append(f);
        }
        m_params = withFactory + m_params;
    }
    return fileRead(read.value, isDefault ? QStringLiteral("default") : path);
}

int DeviceSession::readConfigRecords(const QString &path, OrvParamList *records,
                                     QVector<FamilyModel::LeftOut> *leftOut)
{
    beginOutcome();
    DeviceBusyGuard guard;
    if (refusedBusy(guard))
        return -1;
    const Reported<int> read =
        ConfigFile::read(path, false, identity(), *records, otherModuleQuestion(), leftOut);
    report(read.outcome);
    return read.value;
}

int DeviceSession::readFile(const ConfigFile::Document &doc)
{
    beginOutcome();
    DeviceBusyGuard guard;
    if (!guard.acquired())
        return -1;
    const Reported<int> read = ConfigFile::read(doc, false, identity(), m_params, otherModuleQuestion());
    report(read.outcome);
    return fileRead(read.value, doc.path);
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
    beginOutcome();
    DeviceBusyGuard guard;
    if (refusedBusy(guard))
        return -1;
    m_params.clear();
    widgetsToParams(m_params);
    const Reported<int> written = ConfigFile::write(path, identity(), m_tables, m_params);
    report(written.outcome);
    return written.value;
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

namespace {
/// Buffer parameters of the list whose chunks did not all arrive: the chunks of a complete
/// buffer are joined into one record starting at index 0 (a missing last chunk can't be seen).
int incompleteBuffers(const OrvParamList &params, const ParamTables &tables)
{
    QMap<quint8, int> chunks;
    QSet<quint8> incomplete;
    for (const OrvParam &p : params) {
        if (!tables.isBuffer(p.id()))
            continue;
        if (++chunks[p.id()] > 1 || p.index() != 0)
            incomplete.insert(p.id());
    }
    return incomplete.size();
}
} // namespace

int DeviceSession::importFrames(const OrvFrameList &frames)
{
    beginOutcome();
    m_params.clear();
    for (const OrvFrame &f : frames)
        f.extractParams(m_params, m_tables.bufferFlags, true);
    int unknown = checkUnknown();
    // An action or a key in a frame is no configuration: it is never shown, kept or written.
    // (Unknown ids were named by the check above.)
    QStringList lines;
    for (const FamilyModel::LeftOut &l : FamilyModel::leaveOut(m_params, kivType())) {
        if (l.role != FamilyModel::Role::Unknown)
            lines << QStringLiteral("    - ") + l.text();
    }
    if (!lines.isEmpty()) {
        Outcome o;
        o.warning(tr("Check parameters"),
                  tr("Some records of the frames are not configuration parameters of this device:") +
                      QStringLiteral("\n\n") + lines.join(QLatin1Char('\n')));
        report(o);
        unknown += lines.size();
    }
    // The result stays in view: the editors are shown first (they put their own notes first).
    const bool complete = unknown == 0 && incompleteBuffers(m_params, m_tables) == 0;
    const int imported = m_params.size();
    paramsToWidgets(m_params);
    if (!complete)
        note(tr("Import %1 parameters from %2 frames, has uncompleted !").arg(imported).arg(frames.size()));
    else if (imported > 0)
        note(tr("Import %1 parameters from %2 frames, has succeeded !").arg(imported).arg(frames.size()));
    return m_params.size();
}

OrvParamList DeviceSession::exportParams()
{
    m_params.clear();
    widgetsToParams(m_params);
    // Frames carry configuration parameters only (never a key the device reported).
    FamilyModel::leaveOut(m_params, kivType());
    return m_params;
}

int DeviceSession::defaultFramePayload() const
{
    return Catalog::defaultFramePayload(m_info.kivType);
}

// --- clock, live values, raw queries ----------------------------------------------------------

int DeviceSession::setDeviceClock(const QDateTime &utc)
{
    DeviceBusyGuard guard;
    if (refusedBusy(guard) || !m_transport)
        return -1;
    m_params.clear();
    m_params.append(OrvParam(DeviceClock::kActionParamId, DeviceClock::setValue(utc)));
    m_protocol.exchangeParams(m_params, nullptr, Protocol::kClockTimeoutMs, true);
    return m_protocol.lastExchangeAcknowledged() ? 0 : -1;
}

int DeviceSession::shiftDeviceClock(qint16 seconds)
{
    DeviceBusyGuard guard;
    if (refusedBusy(guard) || !m_transport)
        return -1;
    m_params.clear();
    m_params.append(OrvParam(DeviceClock::kActionParamId, DeviceClock::shiftValue(seconds)));
    m_protocol.exchangeParams(m_params, nullptr, Protocol::kClockTimeoutMs, true);
    return m_protocol.lastExchangeAcknowledged() ? 0 : -1;
}

bool DeviceSession::readDeviceClock(QDateTime *utc)
{
    DeviceBusyGuard guard;
    if (!guard.acquired() || !m_transport)
        return false;
    m_params.clear();
    m_params.append(OrvParam(DeviceClock::kActionParamId, DeviceClock::readValue()));
    return DeviceClock::decodeTime(
        m_protocol.exchangeParams(m_params, nullptr, DeviceClock::kExchangeTimeoutMs, true), utc);
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

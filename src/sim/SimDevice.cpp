#include "sim/SimDevice.h"
#include "common/Bytes.h"

#include "common/Clock.h"
#include "common/Logging.h"
#include "device/model/Catalog.h"
#include "device/files/ConfigFile.h"
#include "device/family/FamilyParams.h"
#include "device/protocol/Protocol.h"
#include "frames/OrvFrame.h"
#include "sim/SimBootloaders.h"

#include <QtDebug>

namespace {

using namespace FamilyParams;

constexpr int kHeaderSize = Protocol::kHeaderSize;
constexpr int kOversizedLength = Protocol::kMaxAnswerPayload + 1;
/// Element id the corrupted configuration answer uses when the fault names none.
constexpr quint8 kCorruptedId = 63;
constexpr quint8 kGarbledKind = 0x55;
constexpr int kBitsPerByte = 8;

/// How the device checks a written value.
struct Rule
{
    quint8 id;
    bool isBuf;
    int minLen; ///< ordinary: value length range; buffer: unused
    int maxLen; ///< buffer: size of the whole value
    bool isSigned;
    int minValue; ///< ordinary values of 1 or 2 bytes, little-endian
    int maxValue;
    bool inConfig; ///< reported by the configuration answer
};

// clang-format off
const Rule kRules[] = {
    // id                        buf    len     signed  range          config
    {ParamKeepAlive,             false, 1, 1,   false, 0,     255,    true},
    {ParamRadioConfig,           true,  0, 3,   false, 0,     0,      true},
    {ParamRadioTechnology,       false, 1, 1,   false, 0,     1,      true},
    {ParamAppEui,                true,  0, 8,   false, 0,     0,      false},
    {ParamAppKey,                true,  0, 16,  false, 0,     0,      false},
    {ParamTimestamp,             false, 1, 1,   false, 0,     1,      true},
    {ParamDataLogging,           true,  0, 3,   false, 0,     0,      true},
    {ParamTemperatureThreshold,  true,  0, 8,   false, 0,     0,      true},
    {ParamCurrentThreshold,      true,  0, 8,   false, 0,     0,      true},
    {ParamTemperatureOffset,     false, 2, 2,   true,  -1000, 1000,   true}, // 1/100 degree
    {ParamTemperatureCoef,       false, 2, 2,   false, 0,     65535,  true},
    {ParamVBatThreshold,         true,  0, 8,   false, 0,     0,      true},
    {ParamThresholdCheckPeriod,  false, 2, 2,   false, 1,     65535,  true},
    {ParamBlePeriod,             false, 2, 2,   false, 0,     65535,  true},
    {ParamCurrentCoef,           false, 2, 2,   false, 900,   1100,   true}, // 1/1000
    {ParamCurrentOffset,         false, 2, 2,   true,  -5000, 5000,   true}, // 1/1000 A
    {ParamSpireResistance,       false, 1, 1,   false, 0,     4,      true},
    {ParamStop1Duration,         false, 2, 2,   false, 0,     65535,  true},
    {ParamThermocoupleState,     false, 1, 1,   false, 0,     1,      true},
    {ParamSendingInterface,      false, 1, 2,   false, 0x01,  0x11,   true}, // 0x01 or 0x11
};
// clang-format on

const Rule *ruleOf(quint8 id)
{
    for (const Rule &r : kRules) {
        if (r.id == id)
            return &r;
    }
    return nullptr;
}

/// Values of the family's parameters that its default configuration file does not hold.
// clang-format off
const struct { quint8 id; const char *hex; } kExtraDefaults[] = {
    {ParamVBatThreshold, "6810e40c64000000"}, // VBat threshold: 4.2 V high, 3.3 V low, 0.1 V hysteresis
    {ParamThresholdCheckPeriod, "3c00"},             // threshold check period: 60
    {ParamCurrentCoef, "e803"},             // current coefficient 1.000
    {ParamCurrentOffset, "0000"},             // current offset 0
    {ParamSpireResistance, "00"},               // 1000 spires / 15 ohms
    {ParamStop1Duration, "0000"},             // stop1 duration 0
};
// clang-format on

/// The fallback when the default configuration resource can't be read.
// clang-format off
const struct { quint8 id; const char *hex; } kFileDefaults[] = {
    {ParamKeepAlive, "00"}, {ParamRadioConfig, "00"}, {ParamRadioTechnology, "01"}, {ParamTimestamp, "00"}, {ParamDataLogging, "000100"}, {ParamTemperatureThreshold, "8813000032000000"},
    {ParamCurrentThreshold, "dc0532000a000000"}, {ParamTemperatureOffset, "0000"}, {ParamTemperatureCoef, "0000"}, {ParamBlePeriod, "d40d"}, {ParamThermocoupleState, "00"}, {ParamSendingInterface, "1100"},
};
// clang-format on

using Bytes::le16Bytes;
using Bytes::le32Bytes;

int valueOf(const QByteArray &value, bool isSigned)
{
    if (value.size() == 1)
        return isSigned ? int(qint8(value.at(0))) : int(quint8(value.at(0)));
    const quint16 u = Bytes::le16(value, 0);
    return isSigned ? int(qint16(u)) : int(u);
}

/// Appends value and drops the oldest entries beyond the device's history length.
template <class List, class T> void keepLatest(List &list, const T &value)
{
    list.append(value);
    while (list.size() > SimDevice::kHistoryLength)
        list.removeFirst();
}

} // namespace

SimDevice::SimDevice() : m_bootloaders(std::make_unique<SimBootloaders>())
{
    m_identifier = QByteArray::fromHex("70B3D5499A0C1E2F");
    m_bootCaps = QByteArray::fromHex("4263"); // device: kind 2, BLE module: kind 3
    loadDefaults();
    m_bootloaders->setOnLeave([this](quint8 controller) {
        if (controller != Protocol::kTagDevice)
            return;
        // The main controller boots its application: the device enumerates again.
        if (m_updateRestoresDefaults)
            m_params = m_defaults;
        ++m_plugIns;
        m_absentUntil = QDeadlineTimer(m_reenumerationMs);
    });
}

SimDevice::~SimDevice() = default;

void SimDevice::loadDefaults()
{
    m_defaults.clear();
    const QString path = OrvList::instance().defaultConfig(kDeviceType, kDefaultRevision, kKivType);
    OrvParamList list;
    DeviceIdentity id;
    id.orvType = kDeviceType;
    id.kivType = kKivType;
    if (!path.isEmpty() && ConfigFile::read(path, true, id, list).value > 0) {
        for (const OrvParam &p : list)
            m_defaults.insert(p.id(), p.data());
    } else {
        qWarning() << "SimDevice: default configuration unavailable, using built-in values";
        for (const auto &d : kFileDefaults)
            m_defaults.insert(d.id, QByteArray::fromHex(d.hex));
    }
    for (const auto &d : kExtraDefaults) {
        if (!m_defaults.contains(d.id))
            m_defaults.insert(d.id, QByteArray::fromHex(d.hex));
    }
    m_params = m_defaults;
}

void SimDevice::setExtendedIdentification(bool on, int secondType, int secondRev)
{
    m_extended = on;
    m_secondType = secondType;
    m_secondRev = secondRev;
}

int SimDevice::maxPacketPayload() const
{
    const int max = m_maxPacketPayload > 0 ? m_maxPacketPayload : m_bufferSize;
    return qBound(3, max, Protocol::kMaxAnswerPayload);
}

void SimDevice::becomeNewDevice(const QByteArray &identifier)
{
    m_plugged = false;
    m_identifier = identifier;
    m_params = m_defaults;
    m_appEui.clear();
    m_appKey.clear();
    m_refused.clear();
    clearFault();
}

void SimDevice::setRefused(quint8 id, bool refused)
{
    if (refused)
        m_refused.insert(id);
    else
        m_refused.remove(id);
}

bool SimDevice::isBufferParam(quint8 id)
{
    const Rule *r = ruleOf(id);
    return r && r->isBuf;
}

QMap<quint8, bool> SimDevice::bufferFlags()
{
    QMap<quint8, bool> flags;
    for (const Rule &r : kRules) {
        if (r.isBuf)
            flags.insert(r.id, true);
    }
    return flags;
}

qint64 SimDevice::clockSeconds() const
{
    return Clock::now().toSecsSinceEpoch() + m_clockOffset;
}

void SimDevice::setFault(const SimFault &fault)
{
    m_fault = fault;
    m_faultBudget = fault.arg;
    // Unplugged without a filter pulls the cable now; with one, when a matching request comes.
    if (fault.kind == SimFault::Unplugged && fault.command < 0 && fault.action < 0)
        m_plugged = false;
}

void SimDevice::scriptAnswers(quint8 command, const QList<QByteArray> &answers)
{
    m_scripted[command].append(answers);
}

QByteArray SimDevice::answer(quint8 linkCode, quint8 status, const QByteArray &payload)
{
    QByteArray msg(kHeaderSize, '\0');
    msg[Protocol::kHdrLinkCode] = char(linkCode);
    msg[Protocol::kHdrCommandOrStatus] = char(status);
    Bytes::putLe16(msg.data() + Protocol::kHdrLengthLow, quint16(payload.size()));
    return msg + payload;
}

void SimDevice::resetCounters()
{
    m_requestTotal = 0;
    m_requests.clear();
    m_commandCounts.clear();
    m_actionCounts.clear();
    m_written.clear();
    m_clockSets.clear();
    m_clockShifts.clear();
    m_module.clearInput();
    m_bootRequests.clear();
}

// ---------------------------------------------------------------------------------------------
// Requests
// ---------------------------------------------------------------------------------------------

QList<QByteArray> SimDevice::handleRequest(const QByteArray &request)
{
    if (!m_plugged)
        return {};
    ++m_requestTotal;
    keepLatest(m_requests, request);
    if (request.size() < kHeaderSize)
        return {};

    Request req;
    req.link = quint8(request.at(Protocol::kHdrLinkCode));
    req.command = quint8(request.at(Protocol::kHdrCommandOrStatus));
    const int length = Bytes::le16(request, Protocol::kHdrLengthLow);
    req.payload = request.mid(kHeaderSize);
    if (req.payload.size() != length) {
        qCDebug(lcSim) << "malformed request of" << request.size() << "bytes: not answered";
        return {}; // a malformed request is not answered
    }
    ++m_commandCounts[req.command];

    if (req.command == Protocol::kCmdParams) {
        OrvFrame frame;
        if (frame.setData(req.payload) > 0 && frame.extractParams(req.elements, bufferFlags(), false) > 0) {
            const OrvParam &first = req.elements.first();
            req.action = (first.id() == Protocol::kActionParamId && !first.data().isEmpty())
                             ? int(quint8(first.data().at(0)))
                             : 0;
        }
    }

    logRequest(req);
    if (m_requestObserver)
        m_requestObserver(req.command, req.action);

    auto scripted = m_scripted.find(req.command);
    if (scripted != m_scripted.end() && !scripted->isEmpty()) {
        const QList<QByteArray> answers = scripted->takeFirst();
        return answers;
    }

    const bool faulty = faultApplies(req);
    if (faulty) {
        switch (m_fault.kind) {
        case SimFault::Unplugged:
            m_plugged = false;
            return {};
        case SimFault::Silent:
            return {};
        case SimFault::UnplugAfterRequests:
            if (m_faultBudget <= 0) {
                m_plugged = false;
                return {};
            }
            --m_faultBudget;
            break;
        default:
            break;
        }
    }
    return applyTransportFaults(dispatch(req, faulty), faulty);
}

void SimDevice::logRequest(const Request &req) const
{
    if (!lcSim().isDebugEnabled())
        return;
    // Ids only: the values written may be keys.
    QString what = QStringLiteral("received cmd %1").arg(req.command);
    if (req.command == Protocol::kCmdParams && req.action > 0) {
        what += QStringLiteral(" action %1").arg(req.action);
    } else if (req.command == Protocol::kCmdParams && req.action == 0) {
        what += QStringLiteral(" write");
        for (const OrvParam &p : req.elements)
            what += QLatin1Char(' ') + QString::number(p.id());
    } else if (req.command == Protocol::kCmdParams) {
        what += QStringLiteral(" undecodable frame");
    }
    what += QStringLiteral(", %1 bytes").arg(req.payload.size());
    if (faultApplies(req))
        what += QStringLiteral(", fault %1 applies").arg(int(m_fault.kind));
    qCDebug(lcSim).noquote() << what;
}

bool SimDevice::faultApplies(const Request &req) const
{
    if (m_fault.kind == SimFault::None)
        return false;
    if (m_fault.command >= 0 && m_fault.command != req.command)
        return false;
    if (m_fault.action >= 0 && m_fault.action != req.action)
        return false;
    return true;
}

QList<QByteArray> SimDevice::applyTransportFaults(QList<QByteArray> answers, bool faulty)
{
    if (!faulty)
        return answers;
    switch (m_fault.kind) {
    case SimFault::WrongLinkCode:
        for (QByteArray &a : answers)
            a[Protocol::kHdrLinkCode] = char(quint8(a.at(Protocol::kHdrLinkCode)) == 0x75 ? 0x62 : 0x75);
        break;
    case SimFault::OversizedAnswer:
        for (QByteArray &a : answers)
            Bytes::putLe16(a.data() + Protocol::kHdrLengthLow, quint16(kOversizedLength));
        break;
    case SimFault::DropAfterPackets:
        answers = answers.mid(0, qMax(0, m_fault.arg));
        break;
    case SimFault::UnplugAfterPackets:
        if (answers.size() >= m_faultBudget) {
            answers = answers.mid(0, qMax(0, m_faultBudget));
            m_faultBudget = 0;
            m_plugged = false;
        } else {
            m_faultBudget -= answers.size();
        }
        break;
    default:
        break;
    }
    return answers;
}

QList<QByteArray> SimDevice::dispatch(const Request &req, bool faulty)
{
    const quint8 link = req.link;
    switch (req.command) {
    case Protocol::kCmdBufferSize:
        return {answer(link, Protocol::kStatusComplete, le16Bytes(quint16(m_bufferSize)))};
    case Protocol::kCmdParams:
        return handleParams(req, faulty);
    case Protocol::kCmdSerialWrite:
        if (!req.payload.isEmpty()) {
            m_module.receive(req.payload);
        }
        return {answer(link, Protocol::kStatusComplete, QByteArray())};
    case Protocol::kCmdSerialRead: {
        return {answer(link, Protocol::kStatusComplete, m_module.take(kModuleReadChunk))};
    }
    case Protocol::kCmdBootloader:
        if (req.payload.isEmpty())
            return {answer(link, Protocol::kStatusComplete, m_bootCaps)};
        if (req.payload.size() == 1) {
            const quint8 code = quint8(req.payload.at(0));
            keepLatest(m_bootRequests, code);
            m_bootloaders->restartInto(code, Protocol::tagValue(m_bootCaps, code));
            return {answer(link, Protocol::kStatusComplete, QByteArray())};
        }
        return {answer(link, Protocol::kStatusNotAcknowledged, QByteArray())};
    case Protocol::kCmdTemperature:
        return {answer(link, Protocol::kStatusComplete, le16Bytes(quint16(m_temperature)))};
    case Protocol::kCmdCurrent:
        return {answer(link, Protocol::kStatusComplete, le16Bytes(m_current))};
    case Protocol::kCmdBatteryVoltage:
        return {answer(link, Protocol::kStatusComplete, le16Bytes(m_vbat))};
    default:
        return {answer(link, Protocol::kStatusNotAcknowledged, QByteArray())};
    }
}

QList<QByteArray> SimDevice::handleParams(const Request &req, bool faulty)
{
    const quint8 link = req.link;
    const QByteArray kind = m_qualifier >= 0
                                ? QByteArray(1, char(Protocol::kKindQualifiedAck)) + char(quint8(m_qualifier))
                                : QByteArray(1, char(Protocol::kKindAck));
    const auto error = [link](quint8 code) {
        return QList<QByteArray>{
            answer(link, Protocol::kStatusComplete, QByteArray(1, char(Protocol::kKindError)) + char(code))};
    };

    if (faulty) {
        switch (m_fault.kind) {
        case SimFault::NotAcknowledged:
            return {answer(link, Protocol::kStatusNotAcknowledged, QByteArray())};
        case SimFault::DeviceError:
            return error(quint8(m_fault.arg));
        case SimFault::EmptyAcknowledge:
            return {answer(link, Protocol::kStatusComplete, QByteArray(1, char(Protocol::kKindAck)))};
        default:
            break;
        }
    }

    if (req.payload.size() > m_bufferSize || req.action < 0)
        return error(Protocol::kErrFraming);

    QByteArray data;
    if (req.action > 0) {
        if (req.elements.size() != 1)
            return error(Protocol::kErrCantRun);
        ++m_actionCounts[quint8(req.action)];
        bool ok = true;
        quint8 code = 0;
        const QByteArray args = req.elements.first().data().mid(1);
        if (req.action == Protocol::kActLoadConfig)
            data = configurationElements(faulty);
        else
            data = runAction(quint8(req.action), args, &ok, &code);
        if (!ok)
            return error(code);
    } else {
        data = writeParams(req.elements, faulty);
    }

    QByteArray kindBytes = kind;
    if (faulty && m_fault.kind == SimFault::GarbledAnswer)
        kindBytes = QByteArray(1, char(kGarbledKind));
    return packets(link, kindBytes, data);
}

QList<QByteArray> SimDevice::packets(quint8 link, const QByteArray &kindBytes, const QByteArray &data) const
{
    QList<QByteArray> out;
    const int room = qMax(1, maxPacketPayload() - kindBytes.size());
    int pos = 0;
    do {
        const QByteArray chunk = data.mid(pos, room);
        pos += chunk.size();
        const bool last = pos >= data.size();
        const bool closeApart = last && m_bareClosingPacket && !chunk.isEmpty();
        const quint8 status = last && !closeApart ? Protocol::kStatusComplete : Protocol::kStatusMore;
        out.append(answer(link, status, kindBytes + chunk));
        if (closeApart)
            out.append(answer(link, Protocol::kStatusComplete, kindBytes));
    } while (pos < data.size());
    return out;
}

QByteArray SimDevice::runAction(quint8 action, const QByteArray &args, bool *ok, quint8 *errorCode)
{
    switch (action) {
    case Protocol::kActRestart:
        return QByteArray();
    case Protocol::kActIdentify:
        return identificationRecord();
    case Protocol::kActRestoreDefaults:
        if (m_restoreResult == 0)
            m_params = m_defaults;
        return QByteArray(1, char(m_restoreResult));
    case Protocol::kActVersion:
        return le16Bytes(quint16(m_versionWord));
    case Protocol::kActClock:
        if (args.isEmpty())
            return le32Bytes(quint32(clockSeconds()));
        if (args.size() == 4) {
            const quint32 t = Bytes::le32(args, 0);
            keepLatest(m_clockSets, t);
            m_clockOffset = qint64(t) - Clock::now().toSecsSinceEpoch();
            return QByteArray();
        }
        if (args.size() == 2) {
            const qint16 shift = qint16(Bytes::le16(args, 0));
            keepLatest(m_clockShifts, shift);
            m_clockOffset += shift;
            return QByteArray();
        }
        *ok = false;
        *errorCode = Protocol::kErrCantRun;
        return QByteArray();
    default:
        *ok = false;
        *errorCode = Protocol::kErrUnknownCommand;
        return QByteArray();
    }
}

QByteArray SimDevice::identificationRecord() const
{
    QByteArray rec;
    rec.append(char((m_orvType & 0x7F) | (m_extended ? Protocol::kIdentExtendedFlag : 0)));
    rec.append(le16Bytes(quint16(m_orvRev)));
    rec.append(char(m_kivType));
    rec.append(le16Bytes(quint16(m_kivRev)));
    if (m_extended) {
        rec.append(char(m_secondType));
        rec.append(le16Bytes(quint16(m_secondRev)));
    }
    rec.append(m_identifier.isEmpty() ? QByteArray(8, char(0xFF)) : m_identifier);
    return rec;
}

QByteArray SimDevice::writeParams(const OrvParamList &elements, bool faulty)
{
    QByteArray bitmap((elements.size() + kBitsPerByte - 1) / kBitsPerByte, '\0');
    bool altered = false;
    for (int i = 0; i < elements.size(); ++i) {
        const OrvParam &p = elements.at(i);
        keepLatest(m_written, p);
        if (!storeParam(p)) {
            bitmap[i / kBitsPerByte] = char(quint8(bitmap.at(i / kBitsPerByte)) | (1 << (i % kBitsPerByte)));
            continue;
        }
        // The write is acknowledged all the same: only reading the configuration back shows it.
        const bool target =
            m_fault.arg > 0 ? p.id() == m_fault.arg : (p.id() != 6 && p.id() != 7 && !altered);
        if (faulty && m_fault.kind == SimFault::StoresOtherValue && target && m_params.contains(p.id()) &&
            !m_params.value(p.id()).isEmpty()) {
            QByteArray &stored = m_params[p.id()];
            stored[stored.size() - 1] = char(quint8(stored.at(stored.size() - 1)) ^ 0x01);
            altered = true;
        }
    }
    return bitmap;
}

bool SimDevice::storeParam(const OrvParam &p)
{
    const Rule *rule = ruleOf(p.id());
    if (!rule || m_refused.contains(p.id()) || rule->isBuf != p.isBuf())
        return false;

    if (rule->isBuf) {
        if (p.data().isEmpty() || int(p.index()) + p.size() > rule->maxLen)
            return false;
        QByteArray *target = nullptr;
        if (p.id() == 6)
            target = &m_appEui;
        else if (p.id() == 7)
            target = &m_appKey;
        else
            target = &m_params[p.id()];
        // A chunk at index 0 starts a new value; later chunks extend it.
        if (p.index() == 0)
            target->clear();
        if (target->size() < p.index() + p.size())
            target->resize(p.index() + p.size());
        target->replace(p.index(), p.size(), p.data());
        return true;
    }

    if (p.size() < rule->minLen || p.size() > rule->maxLen)
        return false;
    const int v = valueOf(p.data(), rule->isSigned);
    if (v < rule->minValue || v > rule->maxValue)
        return false;
    if (p.id() == 59 && v != 0x01 && v != 0x11)
        return false;
    m_params.insert(p.id(), p.data());
    return true;
}

QByteArray SimDevice::configurationElements(bool faulty)
{
    OrvFrame frame; // no size limit
    int lastLongStart = -1;
    int lastLongEnd = -1;
    for (auto it = m_params.constBegin(); it != m_params.constEnd(); ++it) {
        const Rule *rule = ruleOf(it.key());
        if ((rule && !rule->inConfig) || it.value().isEmpty())
            continue;
        OrvParam rec =
            (rule && rule->isBuf) ? OrvParam(it.key(), it.value(), 0) : OrvParam(it.key(), it.value());
        for (;;) {
            const int start = frame.size();
            if (frame.appendParam(rec) == 0)
                break;
            if (frame.size() - start >= 3) {
                lastLongStart = start;
                lastLongEnd = frame.size();
            }
            if (!rec.isBuf() || rec.size() == 0)
                break;
        }
    }
    QByteArray data = frame.data();
    if (faulty && m_fault.kind == SimFault::TruncatedElement && lastLongStart >= 0) {
        // Cut the last element of at least two value bytes one byte short (and drop what follows).
        data = data.left(lastLongEnd - 1);
    }
    if (faulty && m_fault.kind == SimFault::CorruptedElement) {
        const quint8 id = m_fault.arg > 0 ? quint8(m_fault.arg) : kCorruptedId;
        data.append(char(id & 0x3F));
        data.append('\x01');
    }
    return data;
}

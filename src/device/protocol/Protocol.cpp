#include "device/protocol/Protocol.h"

#include "common/Bytes.h"
#include "frames/OrvFrame.h"
#include "links/Comm.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

const char *const kContext = "Protocol";

/// Most bytes thrown away after a rejected answer (largest length a header can announce).
constexpr int kMaxDiscardBytes = 0xFFFF + Protocol::kHeaderSize;
constexpr int kIdsPerBitmapByte = 8;

QString tr(const char *text)
{
    return QCoreApplication::translate(kContext, text);
}

using Bytes::le16;

} // namespace

Protocol::Protocol(Comm *comm, Reporter *rep, QObject *owner) : m_comm(comm), m_rep(rep), m_owner(owner) {}

Reporter &Protocol::messages() const
{
    return m_rep ? *m_rep : reporter();
}

int Protocol::sendCommand(quint8 command, const QByteArray &payload)
{
    return sendCommand(command, reinterpret_cast<const quint8 *>(payload.constData()), payload.size());
}

int Protocol::sendCommand(quint8 command, const quint8 *data, int length)
{
    if (!m_comm)
        return 0;
    if (length < 0 || length > 0xFFFF || (length > 0 && !data))
        return -1;
    QByteArray request(kHeaderSize, '\0');
    request[kHdrLinkCode] = char(m_comm->linkCode());
    request[kHdrCommandOrStatus] = char(command);
    Bytes::putLe16(request.data() + kHdrLengthLow, quint16(length));
    if (length > 0)
        request.append(reinterpret_cast<const char *>(data), length);
    m_trace.sending(request);
    const qint32 written =
        m_comm->write(reinterpret_cast<const quint8 *>(request.constData()), quint32(request.size()));
    if (written != request.size())
        m_trace.sendFailed(written, request.size());
    return written == request.size() ? length : -1;
}

void Protocol::discardPending()
{
    QElapsedTimer spent;
    spent.start();
    quint8 byte = 0;
    int n = 0;
    while (n < kMaxDiscardBytes && !spent.hasExpired(kDiscardLimitMs)) {
        if (m_comm->read(&byte, 1, kDiscardTimeoutMs) != 1)
            break;
        ++n;
    }
    m_trace.discarded(n);
}

void Protocol::traceHeaderFailure(const quint8 *header, qint32 got, int timeoutMs)
{
    if (got == 0)
        m_trace.received(QByteArray(), ProtocolTrace::Verdict::Nothing, timeoutMs);
    else if (got < 0)
        m_trace.received(QByteArray(), ProtocolTrace::Verdict::ReadFailed);
    else
        m_trace.received(QByteArray(reinterpret_cast<const char *>(header), got),
                         ProtocolTrace::Verdict::ShortHeader);
}

Protocol::Answer Protocol::receiveAnswer(int timeoutMs)
{
    Answer answer;
    if (!m_comm)
        return answer;
    quint8 header[kHeaderSize] = {};
    const qint32 got = m_comm->read(header, kHeaderSize, timeoutMs);
    if (got != kHeaderSize) {
        traceHeaderFailure(header, got, timeoutMs);
        if (got > 0)
            discardPending();
        return answer;
    }
    const QByteArray headerBytes(reinterpret_cast<const char *>(header), kHeaderSize);
    const int length = Bytes::le16(reinterpret_cast<const char *>(header) + kHdrLengthLow);
    if (length > kMaxAnswerPayload || header[kHdrLinkCode] != m_comm->linkCode()) {
        m_trace.received(headerBytes,
                         length > kMaxAnswerPayload ? ProtocolTrace::Verdict::TooLong
                                                    : ProtocolTrace::Verdict::WrongLink,
                         kMaxAnswerPayload);
        discardPending();
        return answer;
    }
    answer.status = header[kHdrCommandOrStatus];
    if (length == 0) {
        m_trace.received(headerBytes, ProtocolTrace::Verdict::Taken);
        return answer;
    }
    QByteArray payload(length, '\0');
    const qint32 read = m_comm->read(reinterpret_cast<quint8 *>(payload.data()), quint32(length), timeoutMs);
    if (read == length)
        answer.payload = payload;
    m_trace.received(headerBytes + payload.left(qMax(read, 0)),
                     read == length ? ProtocolTrace::Verdict::Taken : ProtocolTrace::Verdict::ShortPayload);
    return answer;
}

int Protocol::receiveRaw(quint8 *buffer, int capacity, int timeoutMs, quint8 *status)
{
    if (status)
        *status = kStatusNone;
    if (!m_comm)
        return 0;
    quint8 header[kHeaderSize] = {};
    const qint32 got = m_comm->read(header, kHeaderSize, timeoutMs);
    if (got != kHeaderSize)
        traceHeaderFailure(header, got, timeoutMs);
    if (got == 0)
        return 0;
    if (got != kHeaderSize) {
        if (got > 0)
            discardPending();
        return -1;
    }
    const QByteArray headerBytes(reinterpret_cast<const char *>(header), kHeaderSize);
    const int length = Bytes::le16(reinterpret_cast<const char *>(header) + kHdrLengthLow);
    if (length > capacity || header[kHdrLinkCode] != m_comm->linkCode() || (length > 0 && !buffer)) {
        m_trace.received(headerBytes,
                         header[kHdrLinkCode] != m_comm->linkCode() ? ProtocolTrace::Verdict::WrongLink
                                                                    : ProtocolTrace::Verdict::TooLong,
                         buffer ? capacity : 0);
        discardPending();
        return -1;
    }
    if (status)
        *status = header[kHdrCommandOrStatus];
    if (length == 0) {
        m_trace.received(headerBytes, ProtocolTrace::Verdict::Taken);
        return 0;
    }
    const qint32 read = m_comm->read(buffer, quint32(length), timeoutMs);
    m_trace.received(headerBytes + QByteArray(reinterpret_cast<const char *>(buffer), qMax(read, 0)),
                     read == length ? ProtocolTrace::Verdict::Taken : ProtocolTrace::Verdict::ShortPayload);
    if (read != length)
        return -1;
    return length;
}

QByteArray Protocol::exchangeParams(OrvParamList &params, QByteArray *sentIds, int timeoutMs, bool showErrors)
{
    if (sentIds)
        sentIds->clear();
    m_acknowledged = false;
    if (!m_comm || m_bufferSize <= 0)
        return QByteArray();

    OrvFrame frame{quint32(m_bufferSize)};
    QByteArray answer;       // accumulated over all packets of all frames
    bool incomplete = false; // a frame's answer announced more packets than came

    while (!params.isEmpty()) {
        frame.clear();
        QByteArray frameIds;
        int i = 0;
        while (i < params.size()) {
            OrvParam &rec = params[i];
            if (frame.appendParam(rec) == 0) {
                ++i;
                continue;
            }
            frameIds.append(char(rec.id()));
            if (!(rec.isBuf() && rec.size() > 0))
                params.remove(i); // the next record moves into its place
        }
        // Records left that do not fit even an empty frame can never be sent: stop here
        // rather than send an empty request whose answer nobody would read.
        if (frame.size() == 0)
            return QByteArray();
        while (frameIds.size() % kIdsPerBitmapByte != 0)
            frameIds.append('\0');
        if (sentIds)
            sentIds->append(frameIds);

        if (sendCommand(kCmdParams, frame.data()) < 1)
            return QByteArray();

        bool morePromised = false;
        for (int packets = 0;; ++packets) {
            if (packets == kMaxAnswerPackets) {
                incomplete = true;
                break;
            }
            const Answer packet = receiveAnswer(timeoutMs);
            if (packet.status != kStatusComplete && packet.status != kStatusMore) {
                if (packet.status == kStatusNotAcknowledged && showErrors)
                    messages().warning(tr("Communication warning"),
                                       tr("Command or configuration not acknowledged !"), m_owner);
                if (morePromised)
                    incomplete = true;
                break;
            }
            const QByteArray &p = packet.payload;
            bool frameEnds = false;
            if (answer.isEmpty()) {
                answer.append(p);
            } else if (answer.size() >= 2 && quint8(answer.at(0)) == kKindQualifiedAck) {
                if (p.size() >= 2 && p.at(0) == answer.at(0) && p.at(1) == answer.at(1)) {
                    answer.append(p.mid(2));
                } else {
                    if (p.size() >= 2 && quint8(p.at(0)) == kKindError && showErrors)
                        showDeviceError(quint8(p.at(1)));
                    frameEnds = true;
                }
            } else if (quint8(answer.at(0)) == kKindAck) {
                // A packet of the kind byte alone carries no data: the device may close its
                // answer with it (status 1), which keeps what came before.
                if (!p.isEmpty() && quint8(p.at(0)) == kKindAck) {
                    answer.append(p.mid(1));
                } else {
                    if (p.size() >= 2 && quint8(p.at(0)) == kKindError && showErrors)
                        showDeviceError(quint8(p.at(1)));
                    frameEnds = true;
                }
            }
            // Otherwise the answer began with something else (an error): the packet is dropped.
            if (frameEnds) {
                // The packets after this one are missing from the answer.
                incomplete = true;
                break;
            }
            if (packet.status == kStatusComplete)
                break;
            morePromised = true;
        }
    }

    if (incomplete)
        return QByteArray();
    if (answer.size() >= 2 && quint8(answer.at(0)) == kKindQualifiedAck) {
        m_acknowledged = true;
        return answer.mid(2);
    }
    if (!answer.isEmpty() && quint8(answer.at(0)) == kKindAck) {
        m_acknowledged = true;
        return answer.mid(1);
    }
    if (answer.size() >= 2 && quint8(answer.at(0)) == kKindError && showErrors)
        showDeviceError(quint8(answer.at(1)));
    return QByteArray();
}

QByteArray Protocol::runAction(quint8 action, const QByteArray &args, int timeoutMs, bool showErrors)
{
    OrvParamList list;
    list.append(OrvParam(kActionParamId, QByteArray(1, char(action)) + args));
    return exchangeParams(list, nullptr, timeoutMs, showErrors);
}

bool Protocol::decodeIdentification(const QByteArray &record, DeviceInfo *info)
{
    if (record.size() < kIdentRecordSize)
        return false;
    const quint8 typeByte = quint8(record.at(0));
    info->orvType = typeByte & ~kIdentExtendedFlag;
    info->orvRev = le16(record, 1);
    info->kivType = quint8(record.at(3));
    info->kivRev = le16(record, 4);
    int identifierStart = kIdentRecordSize;
    if ((typeByte & kIdentExtendedFlag) && record.size() >= kIdentExtendedSize) {
        info->secondKivType = quint8(record.at(6));
        info->secondKivRev = le16(record, 7);
        identifierStart = kIdentExtendedSize;
    } else if (typeByte & kIdentExtendedFlag) {
        // An extended record too short for its second module: nothing left for an identifier.
        identifierStart = record.size();
    }
    const QByteArray rest = record.mid(identifierStart);
    bool allFF = true;
    for (char c : rest) {
        if (quint8(c) != 0xFF) {
            allFF = false;
            break;
        }
    }
    info->identifier = allFF ? QByteArray() : rest;
    return true;
}

bool Protocol::identify(DeviceInfo *info, bool showErrors)
{
    DeviceInfo found;
    if (!m_comm) {
        *info = found;
        return false;
    }

    Answer sizeAnswer;
    if (sendCommand(kCmdBufferSize) >= 0)
        sizeAnswer = receiveAnswer(kBufferSizeTimeoutMs);
    if (sizeAnswer.payload.size() != 2) {
        if (showErrors)
            messages().critical(
                tr("Communication error"),
                tr("Can't get the buffer size from orv device. Please disconnect the orv and retry."),
                m_owner);
        *info = found;
        return false;
    }
    m_bufferSize = le16(sizeAnswer.payload, 0);
    found.bufferSize = m_bufferSize;

    const QByteArray record = runAction(kActIdentify, QByteArray(), kIdentifyTimeoutMs, showErrors);
    if (!decodeIdentification(record, &found)) {
        if (showErrors)
            messages().critical(
                tr("Communication error"),
                tr("Can't get information about orv device. Please disconnect the orv and retry."), m_owner);
        found.orvRev = -1;
        found.kivRev = -1;
        *info = found;
        return false;
    }

    const QByteArray version = runAction(kActVersion, QByteArray(), kVersionTimeoutMs, false);
    if (version.size() == 2)
        found.versionWord = le16(version, 0);

    *info = found;
    return info->identified();
}

bool Protocol::readIdentifier(QByteArray *identifier)
{
    identifier->clear();
    if (!m_comm)
        return false;
    DeviceInfo found;
    if (!decodeIdentification(runAction(kActIdentify, QByteArray(), kIdentifyTimeoutMs, false), &found))
        return false;
    *identifier = found.identifier;
    return true;
}

int Protocol::bootloaderTag(quint8 tag)
{
    return tagValue(bootloaderCaps(), tag);
}

QByteArray Protocol::bootloaderCaps()
{
    if (!m_comm || sendCommand(kCmdBootloader) < 0)
        return QByteArray();
    quint8 buffer[kBootloaderCapacity] = {};
    quint8 status = kStatusNone;
    const int n = receiveRaw(buffer, kBootloaderCapacity, kBootloaderTimeoutMs, &status);
    if (status != kStatusComplete || n < 1)
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(buffer), n);
}

int Protocol::tagValue(const QByteArray &caps, quint8 tag)
{
    for (const char c : caps) {
        const quint8 b = quint8(c);
        if ((b & kTagMask) == (tag & kTagMask))
            return b & kTagValueMask;
    }
    return -1;
}

bool Protocol::terminalAvailable()
{
    if (!m_comm)
        return false;
    quint8 status = kStatusNone;
    if (sendCommand(kCmdSerialWrite) < 0)
        return false;
    const int writeProbe = receiveRaw(nullptr, 0, kTerminalTimeoutMs, &status);
    if (writeProbe != 0 || status != kStatusComplete)
        return false;
    if (sendCommand(kCmdSerialRead) < 0)
        return false;
    const int readProbe = receiveRaw(nullptr, 0, kTerminalTimeoutMs, &status);
    return readProbe == 0 && status == kStatusComplete;
}

bool Protocol::readLiveValue(quint8 command, QByteArray *value)
{
    if (!m_comm || sendCommand(command) < 0)
        return false;
    const Answer answer = receiveAnswer(kLiveTimeoutMs);
    if (answer.status != kStatusComplete || answer.payload.size() != kLiveValueSize)
        return false;
    if (value)
        *value = answer.payload;
    return true;
}

QString Protocol::deviceErrorText(quint8 code)
{
    switch (code) {
    case kErrFraming:
        return tr("The device return error code: Framing error !");
    case kErrUnknownCommand:
        return tr("The device return error code: Unknown command !");
    case kErrUnknownParams:
        return tr("The device return error code: Unknown parameters !");
    case kErrCantRun:
        return tr("The device return error code: Can't run command !");
    case kErrBadBuffer:
        return tr("The device return error code: Bad size or index of buffered parameter !");
    default:
        return tr("The device return error code: Unknown error code !");
    }
}

void Protocol::showDeviceError(quint8 code)
{
    messages().warning(tr("Communication warning from device"), deviceErrorText(code), m_owner);
}

ApplyResults Protocol::decodeBitmap(const QByteArray &sentIds, const QByteArray &result)
{
    ApplyResults results;
    if (sentIds.isEmpty() || sentIds.size() % kIdsPerBitmapByte != 0 ||
        result.size() != sentIds.size() / kIdsPerBitmapByte)
        return results;
    results.reserve(sentIds.size());
    for (int i = 0; i < sentIds.size(); ++i) {
        ApplyResult r;
        r.id = quint8(sentIds.at(i));
        r.refused = (quint8(result.at(i / kIdsPerBitmapByte)) >> (i % kIdsPerBitmapByte)) & 1;
        results.append(r);
    }
    return results;
}

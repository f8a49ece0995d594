#include "device/protocol/ProtocolTrace.h"

#include "common/Bytes.h"
#include "common/Logging.h"
#include "device/family/FamilyModel.h"
#include "device/protocol/ProtocolCodes.h"

namespace {

constexpr int kHeaderSize = ProtocolCodes::kHeaderSize;
constexpr int kHdrLinkCode = ProtocolCodes::kHdrLinkCode;
constexpr int kHdrCommandOrStatus = ProtocolCodes::kHdrCommandOrStatus;
constexpr int kHdrLengthLow = ProtocolCodes::kHdrLengthLow;

// Element header: length code in bits 7..6, id in bits 5..0.
constexpr quint8 kIdMask = 0x3F;
constexpr int kLengthShift = 6;
constexpr quint8 kLengthExplicit = 3; ///< the byte after the header holds the value length

/// Value length of the length codes 0..2.
int fixedLength(quint8 code)
{
    return 1 << code; // 1, 2, 4
}

QString link(quint8 code)
{
    return QStringLiteral("link 0x%1")
        .arg(QString::number(code, 16).rightJustified(2, QLatin1Char('0')).toUpper());
}

const char *commandName(int command)
{
    switch (command) {
    case ProtocolCodes::kCmdBufferSize:
        return "buffer size";
    case ProtocolCodes::kCmdSerialWrite:
        return "serial write";
    case ProtocolCodes::kCmdSerialRead:
        return "serial read";
    case ProtocolCodes::kCmdBootloader:
        return "bootloader";
    case ProtocolCodes::kCmdTemperature:
        return "temperature";
    case ProtocolCodes::kCmdCurrent:
        return "current";
    case ProtocolCodes::kCmdBatteryVoltage:
        return "battery voltage";
    default:
        return nullptr;
    }
}

const char *actionName(int action)
{
    switch (action) {
    case ProtocolCodes::kActRestart:
        return "restart";
    case ProtocolCodes::kActIdentify:
        return "identify";
    case ProtocolCodes::kActRestoreDefaults:
        return "restore defaults";
    case ProtocolCodes::kActLoadConfig:
        return "load configuration";
    case ProtocolCodes::kActVersion:
        return "version";
    case ProtocolCodes::kActClock:
        return "clock";
    default:
        return nullptr;
    }
}

const char *statusName(quint8 status)
{
    switch (status) {
    case ProtocolCodes::kStatusComplete:
        return "last";
    case ProtocolCodes::kStatusMore:
        return "more";
    case ProtocolCodes::kStatusNotAcknowledged:
        return "not acknowledged";
    default:
        return nullptr;
    }
}

int announcedLength(const QByteArray &header)
{
    return Bytes::le16(header, kHdrLengthLow);
}

} // namespace

// --- KeyValueMask --------------------------------------------------------------------------

void KeyValueMask::reset()
{
    m_stage = kHeader;
    m_secret = false;
    m_left = 0;
}

QVector<bool> KeyValueMask::feed(const QByteArray &bytes)
{
    QVector<bool> masked(bytes.size(), false);
    for (int i = 0; i < bytes.size(); ++i) {
        const quint8 b = quint8(bytes.at(i));
        switch (m_stage) {
        case kHeader: {
            m_secret = FamilyModel::isSecret(b & kIdMask);
            const quint8 code = b >> kLengthShift;
            if (code == kLengthExplicit) {
                m_stage = kLength;
            } else {
                m_left = fixedLength(code);
                m_stage = kValue;
            }
            break;
        }
        case kLength:
            m_left = b;
            m_stage = m_left > 0 ? kValue : kHeader;
            break;
        case kValue:
            masked[i] = m_secret;
            if (--m_left == 0)
                m_stage = kHeader;
            break;
        }
    }
    return masked;
}

// --- ProtocolTrace -------------------------------------------------------------------------

QString ProtocolTrace::hex(const QByteArray &bytes, const QVector<bool> &masked)
{
    static const char kDigits[] = "0123456789ABCDEF";
    QString out;
    out.reserve(bytes.size() * 3);
    for (int i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out += QLatin1Char(' ');
        if (i < masked.size() && masked.at(i)) {
            out += QLatin1String("**");
            continue;
        }
        const quint8 b = quint8(bytes.at(i));
        out += QLatin1Char(kDigits[b >> 4]);
        out += QLatin1Char(kDigits[b & 0x0F]);
    }
    return out;
}

QString ProtocolTrace::requestText() const
{
    if (m_command < 0)
        return QString();
    QString text = QStringLiteral(" cmd %1").arg(m_command);
    if (m_command == ProtocolCodes::kCmdParams) {
        if (m_action > 0) {
            text += QStringLiteral(" (action %1").arg(m_action);
            if (const char *name = actionName(m_action))
                text += QLatin1Char(' ') + QLatin1String(name);
            text += QLatin1Char(')');
        } else {
            text += QStringLiteral(" (write%1)").arg(m_ids);
        }
    } else if (const char *name = commandName(m_command)) {
        text += QStringLiteral(" (%1)").arg(QLatin1String(name));
    }
    return text;
}

void ProtocolTrace::sending(const QByteArray &message)
{
    if (message.size() < kHeaderSize)
        return;
    m_link = quint8(message.at(kHdrLinkCode));
    m_command = quint8(message.at(kHdrCommandOrStatus));
    m_action = -1;
    m_ids.clear();
    m_answerMask.reset();

    QVector<bool> masked(kHeaderSize, false);
    if (m_command == ProtocolCodes::kCmdParams) {
        // The elements: their ids (an action is parameter 1), and the values of keys masked.
        const QByteArray payload = message.mid(kHeaderSize);
        KeyValueMask mask;
        masked += mask.feed(payload);
        m_action = 0;
        int lastId = -1;
        for (int pos = 0; pos < payload.size();) {
            const quint8 header = quint8(payload.at(pos));
            const int id = header & kIdMask;
            const quint8 code = header >> kLengthShift;
            int valueAt = pos + 1;
            int length = fixedLength(code);
            if (code == kLengthExplicit) {
                if (valueAt >= payload.size())
                    break;
                length = quint8(payload.at(valueAt));
                ++valueAt;
            }
            if (pos == 0 && id == ProtocolCodes::kActionParamId && valueAt < payload.size()) {
                m_action = quint8(payload.at(valueAt));
                break;
            }
            if (id != lastId)
                m_ids += QLatin1Char(' ') + QString::number(id);
            lastId = id;
            pos = valueAt + length;
        }
    }

    if (!lcProtocol().isDebugEnabled())
        return;
    qCDebug(lcProtocol).noquote() << QStringLiteral("send %1%2 len %3: %4")
                                         .arg(link(m_link), requestText())
                                         .arg(announcedLength(message))
                                         .arg(hex(message, masked));
}

void ProtocolTrace::sendFailed(qint32 written, int size)
{
    QString line = QStringLiteral("send %1%2: write failed").arg(link(m_link), requestText());
    if (written >= 0)
        line += QStringLiteral(" (%1 of %2 bytes taken)").arg(written).arg(size);
    qCDebug(lcProtocol).noquote() << line;
}

void ProtocolTrace::received(const QByteArray &bytes, Verdict verdict, int detail)
{
    // The mask follows every packet of a configuration answer, traced or not, so that it
    // stays in step when the trace is switched on in the middle of one.
    QVector<bool> masked(qMin(bytes.size(), kHeaderSize), false);
    const bool hasPayload = verdict == Verdict::Taken || verdict == Verdict::ShortPayload;
    if (hasPayload && bytes.size() > kHeaderSize && m_command == ProtocolCodes::kCmdParams &&
        m_action == ProtocolCodes::kActLoadConfig) {
        const quint8 status = quint8(bytes.at(kHdrCommandOrStatus));
        const QByteArray payload = bytes.mid(kHeaderSize);
        const quint8 kind = quint8(payload.at(0));
        int head = 0;
        if (kind == ProtocolCodes::kKindAck)
            head = 1;
        else if (kind == ProtocolCodes::kKindQualifiedAck)
            head = 2;
        if (head > 0 && (status == ProtocolCodes::kStatusComplete || status == ProtocolCodes::kStatusMore)) {
            masked += QVector<bool>(qMin(head, payload.size()), false);
            masked += m_answerMask.feed(payload.mid(head));
        }
    }

    if (!lcProtocol().isDebugEnabled())
        return;
    const QString request = requestText();
    QString line;
    switch (verdict) {
    case Verdict::Nothing:
        line = QStringLiteral("recv %1%2: nothing within %3 ms").arg(link(m_link), request).arg(detail);
        break;
    case Verdict::ReadFailed:
        line = QStringLiteral("recv %1%2: read failed").arg(link(m_link), request);
        break;
    case Verdict::ShortHeader:
        line = QStringLiteral("recv %1%2: %3 -- header incomplete (%4 of %5 bytes)")
                   .arg(link(m_link), request, hex(bytes))
                   .arg(bytes.size())
                   .arg(kHeaderSize);
        break;
    default: {
        const quint8 status = quint8(bytes.at(kHdrCommandOrStatus));
        QString statusText = QString::number(status);
        if (const char *name = statusName(status))
            statusText += QStringLiteral(" (%1)").arg(QLatin1String(name));
        const int length = announcedLength(bytes);
        line = QStringLiteral("recv %1%2 status %3 len %4: %5")
                   .arg(link(quint8(bytes.at(kHdrLinkCode))), request, statusText)
                   .arg(length)
                   .arg(hex(bytes, masked));
        if (verdict == Verdict::WrongLink)
            line += QStringLiteral(" -- rejected: not %1").arg(link(m_link));
        else if (verdict == Verdict::TooLong)
            line += QStringLiteral(" -- rejected: longer than %1 bytes").arg(detail);
        else if (verdict == Verdict::ShortPayload)
            line += QStringLiteral(" -- payload incomplete (%1 of %2 bytes)")
                        .arg(bytes.size() - kHeaderSize)
                        .arg(length);
        break;
    }
    }
    qCDebug(lcProtocol).noquote() << line;
}

void ProtocolTrace::discarded(int bytes)
{
    if (bytes > 0)
        qCDebug(lcProtocol).noquote()
            << QStringLiteral("recv %1%2: %3 bytes thrown away").arg(link(m_link), requestText()).arg(bytes);
}

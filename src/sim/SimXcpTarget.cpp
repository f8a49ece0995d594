#include "sim/SimXcpTarget.h"

#include "sim/SimXcpKey.h"

namespace {

// XCP command bytes, written here again on purpose: the target is the other side of
// update/Xcp, so a wrong code there shows as a refused command instead of agreeing with itself.
constexpr quint8 kConnect = 0xFF;
constexpr quint8 kGetStatus = 0xFD;
constexpr quint8 kGetSeed = 0xF8;
constexpr quint8 kUnlock = 0xF7;
constexpr quint8 kSetMta = 0xF6;
constexpr quint8 kProgramStart = 0xD2;
constexpr quint8 kProgramClear = 0xD1;
constexpr quint8 kProgram = 0xD0;
constexpr quint8 kProgramReset = 0xCF;
constexpr quint8 kProgramMax = 0xC9;
constexpr quint8 kPositive = 0xFF;
constexpr quint8 kNegative = 0xFE;
constexpr quint8 kResourcePgm = SimXcpKey::kResource;
constexpr int kProgramOverhead = 3;

} // namespace

SimXcpTarget::SimXcpTarget()
{
    m_memory.init(SegmentStore::kParserSRecord);
    reset();
}

void SimXcpTarget::reset()
{
    m_connected = false;
    m_unlocked = !m_config.protectedPgm;
    m_programming = false;
    m_resetRequested = false;
    m_mta = 0;
    m_seedGiven.clear();
    m_unknownLeft = m_config.unknownConnects;
    m_dropDone = false;
}

int SimXcpTarget::count(quint8 command) const
{
    return m_counts.value(command);
}

QByteArray SimXcpTarget::error(quint8 code) const
{
    QByteArray e;
    e.append(char(kNegative)).append(char(code));
    return e;
}

quint32 SimXcpTarget::decode32(const QByteArray &b, int at) const
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i) {
        const quint32 byte = quint8(b.at(at + i));
        v |= m_config.motorola ? byte << (8 * (3 - i)) : byte << (8 * i);
    }
    return v;
}

QByteArray SimXcpTarget::encode16(quint16 v) const
{
    QByteArray b(2, '\0');
    b[m_config.motorola ? 0 : 1] = char(v >> 8);
    b[m_config.motorola ? 1 : 0] = char(v & 0xFF);
    return b;
}

bool SimXcpTarget::cleared(quint32 address, quint32 length) const
{
    quint64 at = address;
    const quint64 end = quint64(address) + length;
    while (at < end) {
        bool advanced = false;
        for (const auto &c : m_clears) {
            const quint64 cEnd = quint64(c.first) + c.second;
            if (c.first <= at && at < cEnd) {
                at = cEnd;
                advanced = true;
            }
        }
        if (!advanced)
            return false;
    }
    return true;
}

bool SimXcpTarget::program(const QByteArray &data)
{
    if (quint64(m_mta) + quint64(data.size()) > (quint64(1) << 32) || !cleared(m_mta, quint32(data.size())))
        return false;
    m_memory.addData(m_mta, quint32(data.size()), reinterpret_cast<const quint8 *>(data.constData()));
    m_mta += quint32(data.size());
    return true;
}

bool SimXcpTarget::handle(const QByteArray &packet, QByteArray *answer)
{
    const int index = m_packets++;
    if (!packet.isEmpty())
        ++m_counts[quint8(packet.at(0))];
    if (m_config.silent)
        return false;
    const QByteArray a = answerOf(packet);
    if (a.isEmpty())
        return false;
    if (index == m_config.dropAnswerAt && !m_dropDone) {
        m_dropDone = true;
        return false;
    }
    if (answer)
        *answer = a;
    return true;
}

QByteArray SimXcpTarget::answerOf(const QByteArray &packet)
{
    if (packet.isEmpty())
        return QByteArray();
    const quint8 cmd = quint8(packet.at(0));
    const QByteArray ok(1, char(kPositive));

    if (cmd == kConnect) {
        if (packet.size() < 2)
            return error(kErrCmdSyntax);
        m_connectMode = quint8(packet.at(1));
        m_encryptedFlag = packet.size() > 2 ? quint8(packet.at(2)) : 0;
        if (m_unknownLeft > 0) {
            --m_unknownLeft;
            return error(kErrCmdUnknown);
        }
        if (m_config.requireEncrypted && m_encryptedFlag == 0)
            return error(kErrEncryptedImage);
        m_connected = true;
        m_programming = false;
        QByteArray a = ok;
        a.append(char(kResourcePgm));
        a.append(char(m_config.motorola ? 0x01 : 0x00));
        a.append(char(m_config.maxCto));
        a.append(encode16(m_config.maxDto));
        a.append(char(0x01)).append(char(0x01)); // protocol and transport layer versions
        return a;
    }
    // Before CONNECT the target listens for CONNECT only.
    if (!m_connected)
        return QByteArray();

    switch (cmd) {
    case kGetStatus: {
        QByteArray a = ok;
        a.append(char(m_programming ? 0x01 : 0x00));
        a.append(char(m_unlocked ? 0x00 : kResourcePgm));
        a.append(3, '\0');
        return a;
    }
    case kGetSeed: {
        if (packet.size() != 3)
            return error(kErrCmdSyntax);
        if (quint8(packet.at(2)) != kResourcePgm)
            return error(kErrOutOfRange);
        QByteArray a = ok;
        if (m_unlocked || m_config.seed.isEmpty()) {
            // No seed: the resource needs no key.
            m_unlocked = true;
            a.append('\0');
            return a;
        }
        m_seedGiven = m_config.seed.left(qMax(0, m_config.maxCto - 2));
        a.append(char(m_seedGiven.size())).append(m_seedGiven);
        return a;
    }
    case kUnlock: {
        if (packet.size() < 2 || packet.size() != quint8(packet.at(1)) + 2)
            return error(kErrCmdSyntax);
        if (m_seedGiven.isEmpty())
            return error(kErrSequence);
        QByteArray expected(m_seedGiven.size(), '\0');
        SimXcpKey::compute(reinterpret_cast<const std::uint8_t *>(m_seedGiven.constData()),
                           size_t(m_seedGiven.size()), reinterpret_cast<std::uint8_t *>(expected.data()));
        m_seedGiven.clear();
        if (packet.mid(2) != expected)
            return error(kErrAccessLocked);
        m_unlocked = true;
        QByteArray a = ok;
        a.append('\0');
        return a;
    }
    case kProgramStart: {
        if (!m_unlocked)
            return error(kErrAccessLocked);
        m_programming = true;
        QByteArray a = ok;
        a.append('\0').append('\0').append(char(m_config.maxCtoPgm)).append(3, '\0');
        return a;
    }
    case kSetMta:
        if (packet.size() != 8)
            return error(kErrCmdSyntax);
        m_mta = decode32(packet, 4);
        return ok;
    case kProgramClear: {
        if (!m_programming)
            return error(kErrSequence);
        if (packet.size() != 8)
            return error(kErrCmdSyntax);
        const quint32 length = decode32(packet, 4);
        if (length == 0 || quint64(m_mta) + length > (quint64(1) << 32))
            return error(kErrOutOfRange);
        m_clears.append({m_mta, length});
        m_memory.removeData(m_mta, length);
        return ok;
    }
    case kProgram: {
        if (!m_programming)
            return error(kErrSequence);
        if (packet.size() < 2)
            return error(kErrCmdSyntax);
        const int n = quint8(packet.at(1));
        if (n == 0) {
            m_programming = false; // end of the programming sequence
            return ok;
        }
        if (packet.size() != n + 2 || n >= m_config.maxCtoPgm - kProgramOverhead)
            return error(kErrCmdSyntax);
        return program(packet.mid(2)) ? ok : error(kErrWriteProtected);
    }
    case kProgramMax:
        if (!m_programming)
            return error(kErrSequence);
        if (packet.size() != m_config.maxCtoPgm - 2)
            return error(kErrCmdSyntax);
        return program(packet.mid(1)) ? ok : error(kErrWriteProtected);
    case kProgramReset:
        m_resetRequested = true;
        m_connected = false;
        m_programming = false;
        return ok;
    default:
        return error(kErrCmdUnknown);
    }
}

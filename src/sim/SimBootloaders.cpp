#include "sim/SimBootloaders.h"

#include "sim/SimXcpKey.h"

#include <QProcess>
#include <QThread>
#include <QtDebug>

#include <climits>

namespace {

// YMODEM control bytes.
constexpr char kSoh = 0x01;
constexpr char kStx = 0x02;
constexpr char kEot = 0x04;
constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
constexpr char kCan = 0x18;
constexpr char kCrcRequest = 'C';
constexpr int kSmallField = 128;
constexpr int kLargeField = 1024;
constexpr int kBlockOverhead = 5;

quint16 crc16(const QByteArray &data)
{
    quint16 crc = 0;
    for (const char c : data) {
        crc ^= quint16(quint8(c) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

// XCP command bytes.
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

/// How long the external receiver gets to end after its input closed.
constexpr int kPeerExitMs = 2000;
constexpr int kPeerStartMs = 5000;

} // namespace

// ---------------------------------------------------------------------------------------------
// YMODEM receiver
// ---------------------------------------------------------------------------------------------

void SimYmodemReceiver::start()
{
    m_state = State::AwaitHeader;
    m_in.clear();
    m_out.clear();
    m_name.clear();
    m_size = -1;
    m_data.clear();
    m_file.clear();
    m_expected = 1;
    m_eotNacked = false;
    m_finished = false;
    m_purging = false;
    send(kCrcRequest);
}

void SimYmodemReceiver::send(char c)
{
    if (!m_faults.silent)
        m_out.append(c);
}

QByteArray SimYmodemReceiver::take(int maxBytes, bool poll)
{
    if (m_faults.silent)
        return QByteArray();
    m_purging = false;
    if (m_out.isEmpty() && poll && (m_state == State::AwaitHeader || m_state == State::AwaitClosing))
        send(kCrcRequest);
    const QByteArray out = m_out.left(maxBytes);
    m_out.remove(0, out.size());
    return out;
}

void SimYmodemReceiver::receive(const QByteArray &bytes)
{
    if (m_faults.silent || m_state == State::Done || m_purging)
        return;
    m_in.append(bytes);
    while (!m_in.isEmpty()) {
        const char c = m_in.at(0);
        if (c == kCan) {
            if (m_in.size() < 2)
                return;
            if (m_in.at(1) == kCan) {
                // The sender gave up: wait for a new transfer.
                ++m_cancels;
                m_in.remove(0, 2);
                m_state = State::AwaitHeader;
                m_data.clear();
                m_expected = 1;
                m_eotNacked = false;
                continue;
            }
            m_in.remove(0, 1);
            continue;
        }
        if (c == kEot) {
            m_in.remove(0, 1);
            ++m_eots;
            if (m_state != State::AwaitData)
                continue;
            if (!m_eotNacked && !m_faults.ackFirstEot) {
                m_eotNacked = true;
                send(kNak);
                continue;
            }
            m_file = m_size >= 0 ? m_data.left(int(m_size)) : m_data;
            m_state = State::AwaitClosing;
            send(kAck);
            send(kCrcRequest);
            continue;
        }
        if (c == kSoh || c == kStx) {
            const int field = c == kSoh ? kSmallField : kLargeField;
            if (m_in.size() < field + kBlockOverhead)
                return; // the rest of the block is still coming
            const QByteArray block = m_in.left(field + kBlockOverhead);
            m_in.remove(0, block.size());
            const quint8 number = quint8(block.at(1));
            const QByteArray data = block.mid(3, field);
            const quint16 crc = quint16((quint8(block.at(field + 3)) << 8) | quint8(block.at(field + 4)));
            if (quint8(block.at(2)) != quint8(~number) || crc16(data) != crc) {
                // A broken block: throw away what else comes before the sender listens again
                // (it reads the answer once it has sent everything), then ask again.
                m_in.clear();
                m_purging = true;
                send(kNak);
                return;
            }
            handleBlock(number, data);
            continue;
        }
        m_in.remove(0, 1); // line noise
    }
}

void SimYmodemReceiver::handleBlock(quint8 number, const QByteArray &data)
{
    if (m_state == State::AwaitHeader || m_state == State::AwaitClosing) {
        if (number != 0) {
            send(kNak);
            return;
        }
        const int nameEnd = data.indexOf('\0');
        const QByteArray name = data.left(nameEnd < 0 ? data.size() : nameEnd);
        if (name.isEmpty()) {
            // The closing header: the batch is over.
            send(kAck);
            m_state = State::Done;
            m_finished = true;
            return;
        }
        m_name = QString::fromLatin1(name);
        const QByteArray rest = data.mid(nameEnd + 1);
        const QByteArray sizeText = rest.left(rest.indexOf('\0')).split(' ').value(0);
        bool ok = false;
        m_size = sizeText.toLongLong(&ok);
        if (!ok)
            m_size = -1;
        m_data.clear();
        m_file.clear();
        m_expected = 1;
        m_eotNacked = false;
        m_state = State::AwaitData;
        send(kAck);
        send(kCrcRequest);
        return;
    }

    // Data.
    if (number == quint8(m_expected)) {
        if (m_faults.nakBlock == m_expected && m_faults.nakTimes > 0) {
            --m_faults.nakTimes;
            send(kNak);
            return;
        }
        ++m_blocks;
        m_blockSizes.append(data.size());
        m_data.append(data);
        ++m_expected;
    } else if (number == quint8(m_expected - 1)) {
        ++m_blocks; // a repeat of the block taken last: its answer was lost
    } else {
        send(kNak);
        return;
    }
    if (m_faults.dropAnswerBlock == m_expected - 1 && m_faults.dropAnswerTimes > 0) {
        --m_faults.dropAnswerTimes;
        return; // taken, but the answer is lost
    }
    send(kAck);
}

// ---------------------------------------------------------------------------------------------
// XCP target
// ---------------------------------------------------------------------------------------------

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

// ---------------------------------------------------------------------------------------------
// Mode switch
// ---------------------------------------------------------------------------------------------

SimBootloaders::SimBootloaders() = default;

SimBootloaders::~SimBootloaders()
{
    stopPeer();
}

void SimBootloaders::restartInto(quint8 code, int kind)
{
    m_restarts.append({code, kind});
    if (kind != kKindYmodem && kind != kKindXcp)
        return; // no bootloader this simulator knows: the controller carries on
    stopPeer();
    m_controller = code;
    ++m_generation;
    if (kind == kKindYmodem) {
        m_mode = Mode::Ymodem;
        if (m_peerCommand.isEmpty())
            m_ymodem.start();
        else
            startPeer();
    } else {
        m_mode = Mode::Xcp;
        m_xcp.reset();
    }
}

void SimBootloaders::leave()
{
    if (m_mode == Mode::Application)
        return;
    stopPeer();
    m_mode = Mode::Application;
    ++m_generation;
    if (m_onLeave)
        m_onLeave(m_controller);
}

void SimBootloaders::setYmodemPeer(const QString &command, const QString &workDir)
{
    m_peerCommand = command;
    m_peerDir = workDir;
}

void SimBootloaders::startPeer()
{
    m_peer = std::make_unique<QProcess>();
    m_peer->setWorkingDirectory(m_peerDir);
    m_peer->setProgram(QStringLiteral("/bin/sh"));
    m_peer->setArguments({QStringLiteral("-c"), m_peerCommand});
    m_peerErrors.clear();
    m_peerSucceeded = false;
    m_peer->start();
    if (!m_peer->waitForStarted(kPeerStartMs))
        qWarning() << "SimBootloaders: the YMODEM receiver" << m_peerCommand << "did not start";
}

void SimBootloaders::stopPeer()
{
    if (!m_peer)
        return;
    if (m_peer->state() != QProcess::NotRunning) {
        m_peer->closeWriteChannel();
        if (!m_peer->waitForFinished(kPeerExitMs)) {
            m_peer->kill();
            m_peer->waitForFinished(kPeerExitMs);
        }
    }
    m_peerErrors += m_peer->readAllStandardError();
    m_peerSucceeded = m_peer->exitStatus() == QProcess::NormalExit && m_peer->exitCode() == 0;
    m_peer.reset();
}

void SimBootloaders::checkFinished(bool hostWrites)
{
    if (m_mode != Mode::Ymodem)
        return;
    if (m_peer) {
        // The program ends after the closing header (or a cancel). What it said last reaches
        // the host first, unless the host writes again: it no longer listens then.
        if (m_peer->state() != QProcess::NotRunning)
            m_peer->waitForFinished(0);
        if (m_peer->state() == QProcess::NotRunning && (hostWrites || m_peer->bytesAvailable() == 0))
            leave();
        return;
    }
    // Once the last answer went out, the application boots.
    if (m_ymodem.finished() && !m_ymodem.hasOutput())
        leave();
}

bool SimBootloaders::hostBytes(const QByteArray &bytes)
{
    switch (m_mode) {
    case Mode::Application:
        return false;
    case Mode::Xcp:
        return true; // the XCP bootloader does not listen on this link
    case Mode::Ymodem:
        break;
    }
    if (m_peer) {
        checkFinished(true);
        if (m_mode != Mode::Ymodem)
            return false; // the program ended: the application takes the bytes
        m_peer->write(bytes);
        m_peer->waitForBytesWritten(kPeerExitMs);
        m_peerErrors += m_peer->readAllStandardError();
        return true;
    }
    m_ymodem.receive(bytes);
    return true;
}

QByteArray SimBootloaders::deviceBytes(int maxBytes, int timeoutMs)
{
    if (m_mode != Mode::Ymodem)
        return QByteArray();
    QByteArray out;
    if (m_peer) {
        if (m_peer->bytesAvailable() == 0 && m_peer->state() != QProcess::NotRunning)
            m_peer->waitForReadyRead(qMax(0, timeoutMs));
        out = m_peer->read(maxBytes);
        m_peerErrors += m_peer->readAllStandardError();
    } else {
        out = m_ymodem.take(maxBytes, true);
        if (out.isEmpty() && timeoutMs > 0)
            QThread::msleep(ulong(timeoutMs)); // nothing will come: the read times out
    }
    checkFinished(false);
    return out;
}

QByteArray SimBootloaders::pendingDeviceBytes()
{
    if (m_mode != Mode::Ymodem || m_peer)
        return QByteArray();
    const QByteArray out = m_ymodem.take(INT_MAX, false);
    checkFinished(false);
    return out;
}

QByteArray SimBootloaders::idleDeviceBytes()
{
    if (m_mode != Mode::Ymodem || m_peer)
        return QByteArray();
    const QByteArray out = m_ymodem.take(INT_MAX, true);
    checkFinished(false);
    return out;
}

bool SimBootloaders::xcpPacket(const QByteArray &packet, QByteArray *answer)
{
    if (m_mode != Mode::Xcp)
        return false;
    const bool answered = m_xcp.handle(packet, answer);
    if (m_xcp.resetRequested())
        leave();
    return answered;
}

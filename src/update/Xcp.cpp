#include "update/Xcp.h"

#include "common/Logging.h"

#include <cstring>

namespace {

void xcpLog(const char *line)
{
    qCDebug(lcUpdate).noquote() << line;
}

/// Answer lengths of the commands.
constexpr int kConnectAnswerBytes = 8;
constexpr int kStatusAnswerBytes = 6;
constexpr int kUnlockAnswerBytes = 2;
constexpr int kProgramStartAnswerBytes = 7;
constexpr int kAckBytes = 1;
constexpr int kErrorAnswerBytes = 2;
/// Seed answer: 0xFF, seed length, then the seed.
constexpr int kSeedHeaderBytes = 2;
/// UNLOCK: command, key length, then the key.
constexpr int kUnlockHeaderBytes = 2;
/// Error code of a command out of sequence (PROGRAM 0 after programming already ended).
constexpr quint8 kErrSequence = 0x29;

// Byte positions in answers.
constexpr int kConnectCommModeBasic = 2;
constexpr int kConnectMaxCto = 3;
constexpr int kConnectMaxDto = 4;
constexpr int kStatusProtection = 2;
constexpr int kUnlockProtection = 1;
constexpr int kProgramStartMaxCtoPgm = 3;
/// Bit 0 of COMM_MODE_BASIC: the target's numbers are big-endian.
constexpr quint8 kCommModeMotorola = 0x01;
constexpr int kMaxDtoLimit = 255;

} // namespace

XcpLoader::XcpLoader() = default;

XcpLoader::~XcpLoader()
{
    Terminate();
}

void XcpLoader::resetState()
{
    m_connected = false;
    m_intel = true;
    m_maxCto = 0;
    m_maxDto = 0;
    m_maxCtoPgm = 0;
}

bool XcpLoader::sessionInit(int kind, const XcpSettings &settings, quint32 linkKind,
                            const QString &linkSettings)
{
    if (kind != 0)
        return false;
    XcpSettings s = settings;
    if (!s.linkTable)
        s.linkTable = &bleLinkTable();
    s.linkKind = linkKind;
    s.linkSettings = linkSettings;
    Init(s);
    return true;
}

void XcpLoader::Init(const XcpSettings &settings)
{
    Terminate();
    resetState();
    m_settings = settings;
    if (m_settings.linkTable && m_settings.linkTable->create) {
        m_settings.linkTable->create(m_settings.linkSettings);
        m_linkCreated = true;
    }
}

void XcpLoader::Terminate()
{
    if (m_linkCreated && m_settings.linkTable && m_settings.linkTable->destroy)
        m_settings.linkTable->destroy();
    m_linkCreated = false;
    resetState();
    const XcpSettings defaults;
    m_settings.t1 = defaults.t1;
    m_settings.t3 = defaults.t3;
    m_settings.t4 = defaults.t4;
    m_settings.t5 = defaults.t5;
    m_settings.t6 = defaults.t6;
}

QByteArray XcpLoader::encode32(quint32 value) const
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i) {
        const int shift = m_intel ? 8 * i : 8 * (3 - i);
        b[i] = char((value >> shift) & 0xFF);
    }
    return b;
}

quint16 XcpLoader::decode16(const quint8 *at) const
{
    return m_intel ? quint16(at[0] | (at[1] << 8)) : quint16((at[0] << 8) | at[1]);
}

bool XcpLoader::exchange(const QByteArray &command, TransportPacket *rx, quint16 timeoutMs)
{
    if (!m_settings.linkTable || !m_settings.linkTable->exchange ||
        command.size() > TransportPacket::kCapacity)
        return false;
    TransportPacket tx;
    tx.len = quint8(command.size());
    std::memcpy(tx.data, command.constData(), size_t(command.size()));
    rx->len = 0;
    if (!m_settings.linkTable->exchange(&tx, rx, timeoutMs))
        return false;
    return true;
}

bool XcpLoader::positive(const TransportPacket &rx, int length)
{
    return rx.len == length && rx.data[0] == kPositiveAnswer;
}

int XcpLoader::Start()
{
    if (!m_settings.linkTable)
        return kStartNoAnswer;
    if (m_connected) {
        // An earlier attempt connected, then an answer was lost. The target is still in its
        // bootloader with nothing programmed: connect to it again on the same link. Ending
        // programming here (PROGRAM 0, PROGRAM_RESET) would send it back to its application.
        xcpLog("Resynchronise: CONNECT again");
        m_connected = false;
    }

    xcpLog("transport Connect");
    if (!m_settings.linkTable->open || !m_settings.linkTable->open()) {
        xcpLog("transport Connect error");
        return kStartNoAnswer;
    }

    xcpLog("XcpLoaderSendCmdConnect");
    TransportPacket rx;
    int result = kStartNoAnswer;
    QByteArray connect;
    connect.append(char(kCmdConnect)).append(char(m_settings.connectMode)).append(char(m_settings.encrypted));
    if (exchange(connect, &rx, m_settings.t1)) {
        if (positive(rx, kConnectAnswerBytes)) {
            const bool intel = (rx.data[kConnectCommModeBasic] & kCommModeMotorola) == 0;
            const quint8 maxCto = rx.data[kConnectMaxCto];
            const quint16 maxDto =
                intel ? quint16(rx.data[kConnectMaxDto] | (rx.data[kConnectMaxDto + 1] << 8))
                      : quint16((rx.data[kConnectMaxDto] << 8) | rx.data[kConnectMaxDto + 1]);
            if (maxCto != 0 && maxDto >= 1 && maxDto <= kMaxDtoLimit) {
                m_intel = intel;
                m_maxCto = maxCto;
                m_maxDto = maxDto;
                m_connected = true;
                xcpLog("XcpLoaderSendCmdConnect OK");
            }
        } else if (rx.len == kErrorAnswerBytes && rx.data[0] == kErrorAnswer && rx.data[1] != 0) {
            result = rx.data[1];
        }
    }
    if (!m_connected)
        return result; // the link stays open for the next attempt

    xcpLog("XcpLoaderSendCmdGetStatus");
    if (!exchange(QByteArray(1, char(kCmdGetStatus)), &rx, m_settings.t1) ||
        !positive(rx, kStatusAnswerBytes)) {
        xcpLog("XcpLoaderSendCmdGetStatus error");
        return kStartNoAnswer;
    }
    if (rx.data[kStatusProtection] & kResourcePgm) {
        xcpLog("Protected Soft");
        xcpLog("XcpLoaderSendCmdGetSeed");
        QByteArray getSeed;
        getSeed.append(char(kCmdGetSeed)).append('\0').append(char(kResourcePgm));
        const bool answered = exchange(getSeed, &rx, m_settings.t1);
        const int seedLength = rx.len >= kSeedHeaderBytes ? rx.data[1] : -1;
        if (!answered || rx.len < kSeedHeaderBytes || rx.len > m_maxCto || rx.data[0] != kPositiveAnswer ||
            seedLength > m_maxCto - kSeedHeaderBytes || rx.len < kSeedHeaderBytes + seedLength) {
            xcpLog("XcpLoaderSendCmdGetSeed error");
            return kStartNoAnswer;
        }
        if (seedLength > 0) {
            const QByteArray seed(reinterpret_cast<const char *>(rx.data + kSeedHeaderBytes), seedLength);
            xcpLog("XCPProtectComputeKeyFromSeed");
            QByteArray key;
            // UNLOCK carries the key behind two bytes and fits MAX_CTO.
            if (!computeKey(seed, &key) || key.isEmpty() || key.size() > m_maxCto - kUnlockHeaderBytes) {
                xcpLog("XCPProtectComputeKeyFromSeed error");
                return kStartAuthFailed;
            }
            xcpLog("XcpLoaderSendCmdUnlock");
            QByteArray unlock;
            unlock.append(char(kCmdUnlock)).append(char(key.size())).append(key);
            if (!exchange(unlock, &rx, m_settings.t1)) {
                // The answer was lost, not refused: the next attempt finds out whether the key
                // was taken.
                xcpLog("XcpLoaderSendCmdUnlock error");
                return kStartNoAnswer;
            }
            if (rx.len == kErrorAnswerBytes && rx.data[0] == kErrorAnswer) {
                xcpLog("XcpLoaderSendCmdUnlock refused");
                return kStartKeyRejected;
            }
            if (!positive(rx, kUnlockAnswerBytes)) {
                xcpLog("XcpLoaderSendCmdUnlock error");
                return kStartNoAnswer;
            }
            if (rx.data[kUnlockProtection] & kResourcePgm)
                return kStartNoAnswer;
        }
    }

    xcpLog("XcpLoaderSendCmdProgramStart");
    if (exchange(QByteArray(1, char(kCmdProgramStart)), &rx, m_settings.t3) &&
        positive(rx, kProgramStartAnswerBytes) && rx.data[kProgramStartMaxCtoPgm] >= kMinMaxCtoPgm) {
        m_maxCtoPgm = rx.data[kProgramStartMaxCtoPgm];
        return kStartOk;
    }
    xcpLog("XcpLoaderSendCmdProgramStart error");
    return kStartNoAnswer;
}

bool XcpLoader::computeKey(const QByteArray &seed, QByteArray *key)
{
    if (m_keyRoutine)
        return m_keyRoutine(kResourcePgm, seed, key);
    if (!m_library.isLoaded() && !m_library.load(m_settings.seedKeyFile)) {
        qCWarning(lcUpdate).noquote() << "Seed-and-key library not usable:" << m_library.errorString();
        return false;
    }
    return m_library.computeKey(kResourcePgm, seed, m_maxCto - kUnlockHeaderBytes, key);
}

bool XcpLoader::Stop()
{
    bool ended = false;
    if (m_connected) {
        TransportPacket rx;
        QByteArray end;
        end.append(char(kCmdProgram)).append('\0');
        // PROGRAM 0 goes again when its answer is lost; a target that already ended
        // programming (the lost answer was its acknowledgement) says the sequence is over.
        for (int attempt = 0; attempt < kDataAttempts && !ended; ++attempt) {
            if (!exchange(end, &rx, m_settings.t5))
                continue;
            ended = positive(rx, kAckBytes) || (attempt > 0 && rx.len == kErrorAnswerBytes &&
                                                rx.data[0] == kErrorAnswer && rx.data[1] == kErrSequence);
            if (!ended)
                break;
        }
        if (ended)
            exchange(QByteArray(1, char(kCmdProgramReset)), &rx, kResetTimeoutMs);
        else
            xcpLog("XcpLoaderSendCmdProgram end failed");
        if (m_settings.linkTable->close)
            m_settings.linkTable->close();
    }
    // Not connected: the link stays open for the next attempt.
    m_connected = false;
    return ended;
}

bool XcpLoader::setMta(quint32 address)
{
    QByteArray cmd;
    cmd.append(char(kCmdSetMta)).append(3, '\0').append(encode32(address));
    TransportPacket rx;
    for (int attempt = 0; attempt < kDataAttempts; ++attempt) {
        if (exchange(cmd, &rx, m_settings.t1) && positive(rx, kAckBytes))
            return true;
    }
    return false;
}

bool XcpLoader::EraseRange(quint32 address, quint32 length)
{
    if (!m_connected || length == 0)
        return false;
    if (!setMta(address)) {
        xcpLog("XcpLoaderSendCmdSetMta failed");
        return false;
    }
    QByteArray cmd;
    cmd.append(char(kCmdProgramClear)).append(3, '\0').append(encode32(length));
    TransportPacket rx;
    for (int attempt = 0; attempt < kDataAttempts; ++attempt) {
        if (!exchange(cmd, &rx, m_settings.t4)) {
            xcpLog("No Tx or No Rx");
        } else if (!positive(rx, kAckBytes)) {
            xcpLog("Not a valid response");
        } else {
            xcpLog("Valid response");
            return true;
        }
    }
    xcpLog("XcpLoaderSendCmdProgramClear failed");
    return false;
}

bool XcpLoader::WriteData(quint32 address, quint32 length, const quint8 *bytes)
{
    if (!m_connected || length == 0 || !bytes || m_maxCtoPgm < kMinMaxCtoPgm)
        return false;
    if (quint64(address) + length > (quint64(1) << 32))
        return false;
    if (!setMta(address)) {
        xcpLog("XcpLoaderSendCmdSetMta failed");
        return false;
    }
    const quint32 full = quint32(m_maxCtoPgm - kProgramOverhead);
    quint32 done = 0;
    TransportPacket rx;
    while (done < length) {
        const quint32 remaining = length - done;
        const quint32 piece = remaining % full == 0 ? full : remaining % full;
        QByteArray cmd;
        if (piece == full) {
            cmd.append(char(kCmdProgramMax));
        } else {
            cmd.append(char(kCmdProgram)).append(char(piece));
        }
        cmd.append(reinterpret_cast<const char *>(bytes + done), int(piece));
        bool written = false;
        for (int attempt = 0; attempt < kDataAttempts && !written; ++attempt) {
            // A piece sent again might have been taken already: point the MTA at it again.
            if (attempt > 0 && !setMta(address + done))
                continue;
            written = exchange(cmd, &rx, m_settings.t5) && positive(rx, kAckBytes);
        }
        if (!written) {
            xcpLog(piece == full ? "XcpLoaderSendCmdProgramMax failed" : "XcpLoaderSendCmdProgram failed");
            return false;
        }
        done += piece;
    }
    return true;
}

#pragma once
// The XCP layer of the bootloader session: CONNECT, GET_STATUS, GET_SEED, UNLOCK,
// PROGRAM_START, SET_MTA, PROGRAM_CLEAR, PROGRAM, PROGRAM_MAX and PROGRAM_RESET, one transport
// packet out and one back each, through the operations of a BLE link table.
//
// Packets: a command or answer has at most 255 bytes. Numbers inside commands use the
// target's byte order (little-endian unless bit 0 of the CONNECT answer's COMM_MODE_BASIC is
// set). An answer is valid when the exchange succeeded, it has the command's answer length
// and starts with 0xFF; an error answer is 0xFE and an error code.

#include "links/Ble.h"
#include "update/SeedKey.h"

#include <QByteArray>
#include <QString>

/// Settings of one session.
struct XcpSettings
{
    quint16 t1 = 200;    ///< ms: CONNECT, GET_STATUS, GET_SEED, UNLOCK, SET_MTA
    quint16 t3 = 2000;   ///< ms: PROGRAM_START
    quint16 t4 = 10000;  ///< ms: PROGRAM_CLEAR
    quint16 t5 = 10000;  ///< ms: PROGRAM and PROGRAM_MAX
    quint16 t6 = 2000;   ///< ms: carried and printed only
    QString seedKeyFile; ///< the seed-and-key library; empty: none
    quint8 connectMode = 0;
    quint8 encrypted = 0; ///< 1: the image is encrypted (third byte of CONNECT)
    const BleLinkTable *linkTable = nullptr;
    QString linkSettings; ///< the address of the device to reach
    quint32 linkKind = 1; ///< 1: BLE
};

class XcpLoader
{
public:
    /// Command codes (first byte of a command).
    enum Command : quint8
    {
        kCmdConnect = 0xFF,
        kCmdGetStatus = 0xFD,
        kCmdGetSeed = 0xF8,
        kCmdUnlock = 0xF7,
        kCmdSetMta = 0xF6,
        kCmdProgramStart = 0xD2,
        kCmdProgramClear = 0xD1,
        kCmdProgram = 0xD0,
        kCmdProgramReset = 0xCF,
        kCmdProgramMax = 0xC9,
    };
    /// First byte of an answer.
    static constexpr quint8 kPositiveAnswer = 0xFF;
    static constexpr quint8 kErrorAnswer = 0xFE;
    /// The programming resource: the only one the key routine serves.
    static constexpr quint8 kResourcePgm = 0x10;
    /// Error codes a target answers that the session tells apart.
    static constexpr quint8 kErrCmdUnknown = 0x20;
    static constexpr quint8 kErrEncryptedImage = 0x32;

    /// Results of Start besides 0 (connected and programming) and the target's error codes.
    enum StartResult : int
    {
        kStartOk = 0,
        kStartNoAnswer = 1,    ///< no link, no (valid) answer, or still locked: try again
        kStartAuthFailed = 2,  ///< the target wants a key and none can be computed
        kStartKeyRejected = 3, ///< the target refused the key (an error answer to UNLOCK)
    };

    /// Attempts of SET_MTA, PROGRAM_CLEAR, PROGRAM and PROGRAM_MAX.
    static constexpr int kDataAttempts = 20;
    /// Answer timeout of PROGRAM_RESET (the target resets; the answer is not checked).
    static constexpr quint16 kResetTimeoutMs = 10;
    /// Smallest MAX_CTO_PGM that leaves room for data in PROGRAM_MAX.
    static constexpr quint8 kMinMaxCtoPgm = 4;
    /// Bytes of a command before the data of PROGRAM_MAX, and the room MAX_CTO_PGM keeps.
    static constexpr int kProgramOverhead = 3;

    XcpLoader();
    ~XcpLoader();
    XcpLoader(const XcpLoader &) = delete;
    XcpLoader &operator=(const XcpLoader &) = delete;

    /// The session front end: settings with the BLE link table (when none is given) and the
    /// link settings, then Init. kind 0 is XCP, the only one.
    bool sessionInit(int kind, const XcpSettings &settings, quint32 linkKind, const QString &linkSettings);
    /// Resets the state, keeps the settings and creates the link for the link settings.
    void Init(const XcpSettings &settings);
    /// Destroys the link and restores the default timeouts.
    void Terminate();
    /// Connects, unlocks the programming resource when protected and starts programming.
    /// 0 on success, otherwise a StartResult or the target's error code. After a failed
    /// attempt (an answer lost) the next one sends CONNECT again on the same link.
    int Start();
    /// When connected: ends programming (PROGRAM with no data, again when its answer is lost,
    /// then PROGRAM_RESET when that was acknowledged) and closes the link. Does nothing
    /// otherwise. False when programming could not be ended (or nothing was connected).
    /// Only for the end of a complete image: a failed Start does not call it, so a lost answer
    /// never sends the target back to its application with half an image.
    bool Stop();
    /// SET_MTA to address, then PROGRAM_CLEAR of length (up to 20 attempts).
    bool EraseRange(quint32 address, quint32 length);
    /// SET_MTA to address, then the bytes in pieces of at most MAX_CTO_PGM - 3 (the first one
    /// shorter when length is not a multiple): full pieces as PROGRAM_MAX, shorter ones as
    /// PROGRAM, each up to 20 attempts (a repeated piece sets the MTA again first).
    bool WriteData(quint32 address, quint32 length, const quint8 *bytes);
    quint8 maxCtoPgm() const { return m_maxCtoPgm; }

    bool isConnected() const { return m_connected; }
    bool intelByteOrder() const { return m_intel; }
    quint8 maxCto() const { return m_maxCto; }
    quint16 maxDto() const { return m_maxDto; }
    const XcpSettings &settings() const { return m_settings; }

    /// Replaces the key routine (the default loads the settings' seed-and-key library).
    void setKeyRoutine(KeyRoutine routine) { m_keyRoutine = std::move(routine); }

    /// A multi-byte number in the target's byte order.
    QByteArray encode32(quint32 value) const;
    quint16 decode16(const quint8 *at) const;

private:
    /// One command out, its answer into rx; false when the link failed or nothing came.
    bool exchange(const QByteArray &command, TransportPacket *rx, quint16 timeoutMs);
    /// Whether rx is a positive answer of exactly length bytes.
    static bool positive(const TransportPacket &rx, int length);
    bool setMta(quint32 address);
    bool computeKey(const QByteArray &seed, QByteArray *key);
    void resetState();

    XcpSettings m_settings;
    KeyRoutine m_keyRoutine;
    SeedKeyLibrary m_library;
    bool m_linkCreated = false;
    bool m_connected = false;
    bool m_intel = true;
    quint8 m_maxCto = 0;
    quint16 m_maxDto = 0;
    quint8 m_maxCtoPgm = 0;
};

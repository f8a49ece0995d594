#pragma once
// The XCP target of a simulated controller whose bootloader speaks XCP (see SimBootloaders):
// one transport packet per BLE frame; it keeps the memory it was programmed with.

#include "update/SegmentStore.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>

/// The XCP target of a controller whose bootloader speaks XCP.
class SimXcpTarget
{
public:
    struct Config
    {
        bool motorola = false; ///< big-endian numbers (bit 0 of COMM_MODE_BASIC)
        quint8 maxCto = 8;
        quint16 maxDto = 8;
        quint8 maxCtoPgm = 64;
        bool protectedPgm = false;                         ///< programming locked until UNLOCK
        QByteArray seed = QByteArray::fromHex("1A2B3C4D"); ///< what GET_SEED hands out
        bool requireEncrypted = false;                     ///< CONNECT without the flag: error 0x32
        int unknownConnects = 0;                           ///< so many CONNECTs get error 0x20
        bool silent = false;                               ///< never answers
        int dropAnswerAt = -1; ///< the answer to the packet with this index (from 0) is lost, once
    };

    /// XCP error codes the target answers.
    enum Error : quint8
    {
        kErrCmdUnknown = 0x20,
        kErrCmdSyntax = 0x21,
        kErrOutOfRange = 0x22,
        kErrWriteProtected = 0x23,
        kErrAccessLocked = 0x25,
        kErrSequence = 0x29,
        kErrEncryptedImage = 0x32,
    };

    SimXcpTarget();
    void setConfig(const Config &config) { m_config = config; }
    const Config &config() const { return m_config; }

    /// Back to the state after a power-up (not connected, locked when protected); the memory stays.
    void reset();
    /// One packet from the host; false when no answer goes back.
    bool handle(const QByteArray &packet, QByteArray *answer);
    /// Whether PROGRAM_RESET came: the target restarts into its application.
    bool resetRequested() const { return m_resetRequested; }

    /// The programmed memory.
    const SegmentStore &memory() const { return m_memory; }
    /// Every PROGRAM_CLEAR, as (address, length).
    const QList<QPair<quint32, quint32>> &clears() const { return m_clears; }
    /// Packets received, by command byte.
    int count(quint8 command) const;
    int packets() const { return m_packets; }
    quint8 lastConnectMode() const { return m_connectMode; }
    quint8 lastEncryptedFlag() const { return m_encryptedFlag; }
    bool isConnected() const { return m_connected; }
    bool isUnlocked() const { return m_unlocked; }

private:
    QByteArray answerOf(const QByteArray &packet);
    QByteArray error(quint8 code) const;
    quint32 decode32(const QByteArray &b, int at) const;
    QByteArray encode16(quint16 v) const;
    bool cleared(quint32 address, quint32 length) const;
    bool program(const QByteArray &data);

    Config m_config;
    SegmentStore m_memory;
    QList<QPair<quint32, quint32>> m_clears;
    QMap<quint8, int> m_counts;
    int m_packets = 0;
    bool m_connected = false;
    bool m_unlocked = false;
    bool m_programming = false;
    bool m_resetRequested = false;
    quint32 m_mta = 0;
    QByteArray m_seedGiven;
    quint8 m_connectMode = 0;
    quint8 m_encryptedFlag = 0;
    int m_unknownLeft = 0;
    bool m_dropDone = false;
};

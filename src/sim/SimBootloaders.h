#pragma once
// The bootloaders of the simulated device. A restart request (command 8 with a controller
// code) puts the device into the bootloader its capability byte names for that controller:
// kind 2, a YMODEM receiver that takes the bytes of the device link as they come (USB
// reports, BLE frames); kind 3, an XCP target that takes one transport packet per BLE frame.
// Any other kind leaves the device as it is. When the transfer ends (the closing YMODEM
// header, XCP PROGRAM_RESET) the device boots its application again.
//
// A restart (into a bootloader or back) drops a BLE link, as a real restart does; the USB
// handle stays usable. Each bootloader keeps what it received, so tests compare bytes:
// the YMODEM file (name and bytes, cut to the size of its header) and the XCP memory.
//
// Instead of the built-in YMODEM receiver an external program can receive (for example
// `rb -b -y`): its standard input gets the host's bytes, its standard output goes back,
// through plain pipes. That works over USB.

#include "update/SegmentStore.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

#include <functional>
#include <memory>

class QProcess;

/// The YMODEM receiver of the main controller's bootloader.
class SimYmodemReceiver
{
public:
    /// How the receiver misbehaves.
    struct Faults
    {
        bool silent = false;      ///< never answers anything
        int dropAnswerBlock = -1; ///< the answer to this data block is lost...
        int dropAnswerTimes = 0;  ///< ...this many times
        int nakBlock = -1;        ///< this data block is refused with NAK...
        int nakTimes = 0;         ///< ...this many times
        bool ackFirstEot = false; ///< acknowledge the first EOT (otherwise NAK, then ACK)
    };

    void setFaults(const Faults &faults) { m_faults = faults; }
    const Faults &faults() const { return m_faults; }

    /// Starts waiting for a transfer (the bootloader came up): asks with 'C'.
    void start();
    /// Bytes from the host.
    void receive(const QByteArray &bytes);
    /// Takes up to maxBytes of what the receiver sends. When it has nothing to say while it
    /// waits for a transfer to start, it asks again with 'C' (as it does every second).
    QByteArray take(int maxBytes, bool poll);
    bool isSilent() const { return m_faults.silent; }
    /// Whether answer bytes wait to be taken.
    bool hasOutput() const { return !m_out.isEmpty(); }
    /// Whether the closing (empty) header block came: the transfer is over.
    bool finished() const { return m_finished; }

    QString fileName() const { return m_name; }
    /// The file's bytes, cut to the size of its header.
    QByteArray file() const { return m_file; }
    /// Data blocks received (repeats included), CAN CAN seen, EOTs seen.
    int blocksReceived() const { return m_blocks; }
    int cancels() const { return m_cancels; }
    int eots() const { return m_eots; }
    /// Block sizes of the data blocks taken, in order (128 or 1024).
    const QList<int> &blockSizes() const { return m_blockSizes; }

private:
    enum class State
    {
        AwaitHeader,
        AwaitData,
        AwaitClosing,
        Done
    };
    void send(char c);
    void handleBlock(quint8 number, const QByteArray &data);

    Faults m_faults;
    State m_state = State::AwaitHeader;
    QByteArray m_in;
    QByteArray m_out;
    QString m_name;
    qint64 m_size = -1;
    QByteArray m_data;
    QByteArray m_file;
    int m_expected = 1;
    bool m_eotNacked = false;
    bool m_finished = false;
    bool m_purging = false; ///< after a broken block: input dropped until the sender reads
    int m_blocks = 0;
    int m_cancels = 0;
    int m_eots = 0;
    QList<int> m_blockSizes;
};

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

/// The mode switch of the simulated device and its two bootloaders.
class SimBootloaders
{
public:
    enum class Mode
    {
        Application, ///< the configuration protocol
        Ymodem,      ///< the YMODEM receiver takes the link's bytes
        Xcp,         ///< the XCP target takes the link's packets
    };
    /// Bootloader kinds of the capability bytes.
    static constexpr int kKindYmodem = 2;
    static constexpr int kKindXcp = 3;

    SimBootloaders();
    ~SimBootloaders();
    SimBootloaders(const SimBootloaders &) = delete;
    SimBootloaders &operator=(const SimBootloaders &) = delete;

    Mode mode() const { return m_mode; }
    /// The controller whose bootloader runs (or ran last), 0 before any restart.
    quint8 controller() const { return m_controller; }
    /// Counts the restarts (into a bootloader and back): a BLE link drops when it changes.
    int generation() const { return m_generation; }
    /// Restarts of the controllers into their bootloaders, as (code, kind).
    const QList<QPair<quint8, int>> &restarts() const { return m_restarts; }

    /// A restart request for the controller with that code, whose bootloader is of kind.
    void restartInto(quint8 code, int kind);
    /// Boots the application again (the transfer ended).
    void leave();
    /// Called by leave() with the controller that boots its application again.
    void setOnLeave(std::function<void(quint8 controller)> onLeave) { m_onLeave = std::move(onLeave); }

    // --- YMODEM: the link's bytes ---------------------------------------------------------
    /// Bytes the host wrote on the device link. False when the application takes them (no
    /// bootloader runs, or the external receiver ended); a running bootloader takes them all.
    bool hostBytes(const QByteArray &bytes);
    /// Up to maxBytes from the receiver. Waits up to timeoutMs when it has nothing (a silent
    /// receiver, or an external one that answers later), as a device read would.
    QByteArray deviceBytes(int maxBytes, int timeoutMs);
    /// What the built-in receiver has to send now, without waiting (BLE notifications).
    QByteArray pendingDeviceBytes();
    /// What the built-in receiver sends when a while passed: what it has to send, or, while it
    /// waits for a transfer to start, 'C' again (it asks every second).
    QByteArray idleDeviceBytes();

    // --- XCP: packets -----------------------------------------------------------------------
    /// One packet from the host; false when no answer goes back.
    bool xcpPacket(const QByteArray &packet, QByteArray *answer);

    SimYmodemReceiver &ymodem() { return m_ymodem; }
    SimXcpTarget &xcp() { return m_xcp; }

    /// Lets an external program receive instead of the built-in receiver: command runs through
    /// /bin/sh in workDir when the device enters its YMODEM bootloader. Empty: built-in.
    void setYmodemPeer(const QString &command, const QString &workDir);
    /// What the external program wrote on its standard error (diagnostics).
    QByteArray peerErrors() const { return m_peerErrors; }
    /// Whether the external program exited with status 0.
    bool peerSucceeded() const { return m_peerSucceeded; }

private:
    void startPeer();
    void stopPeer();
    /// Leaves the bootloader when the transfer is over. hostWrites: the host is writing, so
    /// what the external receiver left unread no longer matters.
    void checkFinished(bool hostWrites = false);

    Mode m_mode = Mode::Application;
    quint8 m_controller = 0;
    int m_generation = 0;
    QList<QPair<quint8, int>> m_restarts;
    SimYmodemReceiver m_ymodem;
    SimXcpTarget m_xcp;
    std::function<void(quint8)> m_onLeave;
    QString m_peerCommand;
    QString m_peerDir;
    std::unique_ptr<QProcess> m_peer;
    QByteArray m_peerErrors;
    bool m_peerSucceeded = false;
};

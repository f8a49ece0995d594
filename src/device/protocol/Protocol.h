#pragma once
// The device command protocol: requests (link code, command, payload length, payload) and
// answers (link code, status, payload length, payload) over one transport, the parameter
// exchange of command 5 with its frames and multi-packet answers, identification and the
// small raw queries (bootloader capabilities, terminal availability, live readings).
//
// Every exchange is synchronous: a request is written, then the answer is read with a
// timeout that applies to each transport read (header and payload separately).

#include "common/Reporter.h"
#include "device/model/Catalog.h"
#include "device/model/OrvParam.h"
#include "device/protocol/ProtocolCodes.h"
#include "device/protocol/ProtocolTrace.h"

#include <QByteArray>

class Comm;

/// What identification found out about a device (or what an offline device was given).
struct DeviceInfo
{
    int orvType = 0;       ///< device type code
    int orvRev = -1;       ///< device revision; -1: not identified
    int kivType = 0;       ///< radio-module type code
    int kivRev = -1;       ///< radio-module revision; -1: not identified (always offline)
    int secondKivType = 0; ///< second radio module (extended identification record)
    int secondKivRev = -1;
    QByteArray identifier; ///< device identifier; empty when the device reports none
    int versionWord = -1;  ///< answer of action 7; -1: unknown
    int bufferSize = -1;   ///< largest parameter frame the device takes (command 3); -1: unknown

    /// Both revisions known: the device answered the identification.
    bool identified() const { return orvRev != -1 && kivRev != -1; }
    /// The catalog's view of the identity.
    DeviceIdentity identity() const
    {
        DeviceIdentity id;
        id.orvType = orvType;
        id.orvRev = orvRev;
        id.kivType = kivType;
        id.kivRev = kivRev;
        id.identifier = identifier;
        return id;
    }
};

/// One entry of an apply result: the id sent at that position (0 for the padding that fills
/// each frame's group of 8) and whether the device refused it.
struct ApplyResult
{
    quint8 id = 0;
    bool refused = false;
    bool operator==(const ApplyResult &o) const { return id == o.id && refused == o.refused; }
};
using ApplyResults = QVector<ApplyResult>;

class Protocol : public ProtocolCodes
{
public:
    // Timeouts, in milliseconds, for each transport read of an exchange.
    static constexpr int kBufferSizeTimeoutMs = 2000;
    static constexpr int kIdentifyTimeoutMs = 500;
    static constexpr int kVersionTimeoutMs = 500;
    static constexpr int kLoadTimeoutMs = 500;
    static constexpr int kRestoreTimeoutMs = 2000;
    static constexpr int kApplyTimeoutMs = 5000;
    static constexpr int kClockTimeoutMs = 500;
    static constexpr int kRestartTimeoutMs = 10;
    static constexpr int kTerminalTimeoutMs = 500;
    static constexpr int kBootloaderTimeoutMs = 500;
    static constexpr int kLiveTimeoutMs = 500;
    /// Most packets one frame's answer may have; a device that keeps announcing more is cut off.
    static constexpr int kMaxAnswerPackets = 1024;
    /// Wait for each byte while throwing away what is left of a rejected answer.
    static constexpr int kDiscardTimeoutMs = 10;
    /// Longest time spent throwing away what is left of a rejected answer: a device that
    /// keeps sending does not hold the caller.
    static constexpr int kDiscardLimitMs = 1000;

    // Room of the raw receive operations, in payload bytes.
    static constexpr int kBootloaderCapacity = 255;
    static constexpr int kTerminalReadCapacity = 256;
    static constexpr int kTerminalWriteAckCapacity = 16;

    /// A live reading is exactly this long.
    static constexpr int kLiveValueSize = 2;

    /// Version word from which the device clock is set after an apply.
    static constexpr int kClockVersionWord = 0x0120;

    /// One answer as read by receiveAnswer.
    struct Answer
    {
        quint8 status = kStatusNone;
        QByteArray payload;
    };

    /// A protocol on transport comm (not owned; may be null: every operation then fails at
    /// once). Boxes go to rep (null: the process reporter), parented to owner.
    explicit Protocol(Comm *comm = nullptr, Reporter *rep = nullptr, QObject *owner = nullptr);

    Comm *comm() const { return m_comm; }
    void setComm(Comm *comm) { m_comm = comm; }
    void setReporter(Reporter *rep) { m_rep = rep; }
    Reporter &messages() const;
    QObject *owner() const { return m_owner; }
    void setOwner(QObject *owner) { m_owner = owner; }

    /// Largest parameter frame sent to the device (request header not counted); -1 unknown.
    int bufferSize() const { return m_bufferSize; }
    void setBufferSize(int bytes) { m_bufferSize = bytes; }

    /// Writes the request (4-byte header + payload) with one transport write. Returns the
    /// payload length when everything was written, -1 otherwise, 0 without a transport.
    int sendCommand(quint8 command, const QByteArray &payload = QByteArray());
    int sendCommand(quint8 command, const quint8 *data, int length);

    /// Reads one answer: the header with one read of 4 bytes, then the payload with one read.
    /// A header that is short, announces more than 1024 bytes or carries another link code
    /// counts as no answer (status 0, what is left of it is thrown away). The status of a
    /// valid header is kept even when the payload read fails; the payload is returned only
    /// when all of it arrived.
    Answer receiveAnswer(int timeoutMs);

    /// Reads one answer into buffer (room for capacity payload bytes). Returns 0 without a
    /// transport or when no header byte arrived; -1 when the header is short, the length
    /// exceeds capacity, the link code differs or the payload is short; otherwise the payload
    /// length. status (may be null) is 0 until a valid header was read.
    int receiveRaw(quint8 *buffer, int capacity, int timeoutMs, quint8 *status);

    /// Sends params with command 5, frame by frame (frames of at most bufferSize bytes), and
    /// gathers the answer packets. The list is consumed. sentIds (may be null) receives the id
    /// of every element sent, each frame's ids padded with zero bytes to a multiple of 8.
    /// Returns the answer data (after the kind byte, or kind and qualifier), or nothing when
    /// no usable or complete answer came. A later packet of an answer must repeat its head
    /// (kind 6, or kind 7 with the same qualifier); one that is only that head adds no data
    /// and may close the answer. Boxes (status 255, device error codes) only with showErrors.
    QByteArray exchangeParams(OrvParamList &params, QByteArray *sentIds, int timeoutMs, bool showErrors);

    /// Whether the last exchangeParams got a complete acknowledgement (kind 6 or 7), also one
    /// without data.
    bool lastExchangeAcknowledged() const { return m_acknowledged; }

    /// Runs one action (parameter 1 = action, args) and returns its result.
    QByteArray runAction(quint8 action, const QByteArray &args, int timeoutMs, bool showErrors);

    /// Buffer size negotiation (command 3) and identification (actions 2 and 7). Fills info
    /// (revisions stay -1 on failure). Returns info->identified().
    bool identify(DeviceInfo *info, bool showErrors);

    /// Reads the identification record once more (no buffer size, no version word, no box) and
    /// returns the DevEUI it carries in *identifier (empty when all 0xFF). False when the device
    /// gave no valid identification.
    bool readIdentifier(QByteArray *identifier);

    /// Decodes an identification record into info; false when it is shorter than 6 bytes.
    static bool decodeIdentification(const QByteArray &record, DeviceInfo *info);

    /// Bootloader kind (0..31) of the controller with that tag, -1 when absent or no answer.
    int bootloaderTag(quint8 tag);
    /// The capability bytes of the bootloader query (command 8, empty payload); empty when
    /// the device did not answer with status 1 and at least one byte.
    QByteArray bootloaderCaps();
    /// Kind (0..31) of the first capability byte with that tag, -1 when none has it.
    static int tagValue(const QByteArray &caps, quint8 tag);
    /// Whether the radio-module terminal commands 6 and 7 both answer status 1 and no data.
    bool terminalAvailable();
    /// Sends a live-reading command; true with exactly 2 bytes in value when status 1 came.
    bool readLiveValue(quint8 command, QByteArray *value);

    /// Shows the message of a device error code ("Communication warning from device").
    void showDeviceError(quint8 code);
    /// The message of a device error code.
    static QString deviceErrorText(quint8 code);

    /// The apply result of an exchange: one entry per sentIds entry; empty when result does
    /// not hold exactly sentIds.size() / 8 bytes (or nothing was sent).
    static ApplyResults decodeBitmap(const QByteArray &sentIds, const QByteArray &result);

private:
    /// Throws away whatever is still waiting on the transport after a rejected answer, so it
    /// is not taken for the next answer's header. Stops at the first pause, after the largest
    /// length a header can announce, or after kDiscardLimitMs.
    void discardPending();
    /// Traces a header read that did not bring 4 bytes (got: what it returned).
    void traceHeaderFailure(const quint8 *header, qint32 got, int timeoutMs);

    Comm *m_comm;
    Reporter *m_rep;
    QObject *m_owner;
    int m_bufferSize = -1;
    bool m_acknowledged = false;
    ProtocolTrace m_trace;
};

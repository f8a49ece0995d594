#pragma once
// The protocol trace: at debug level of "pelm.protocol", one line per request and one per
// answer packet, with its direction, link code, command (and action or parameter ids),
// status, payload length and bytes as hex:
//
//   send link 0x75 cmd 5 (action 2 identify) len 2: 75 05 02 00 01 02
//   recv link 0x75 cmd 5 (action 2 identify) status 1 (last) len 15: 75 01 0F 00 06 1C 00 01 ...
//   send link 0x75 cmd 5 (write 6 7) len 30: 75 05 1E 00 C6 09 ** ** ** ** ** ** ** ** ** C7 11 ** ...
//
// LoRaWAN keys never reach the trace: the value bytes of every element of a key parameter
// (6 AppEUI, 7 AppKey) are written as "**", in parameter writes and in configuration answers
// (whose elements may run on from one packet into the next).

#include <QByteArray>
#include <QString>
#include <QVector>

/// Walks parameter elements byte by byte, across as many pieces as they come in, and tells
/// which bytes are values of key parameters.
class KeyValueMask
{
public:
    /// Starts over at an element header.
    void reset();
    /// For each byte of bytes: whether it belongs to the value of a key parameter.
    QVector<bool> feed(const QByteArray &bytes);

private:
    enum Stage
    {
        kHeader, ///< the next byte is an element header
        kLength, ///< the next byte is the length of the value
        kValue,  ///< m_left value bytes follow
    };
    Stage m_stage = kHeader;
    bool m_secret = false;
    int m_left = 0;
};

class ProtocolTrace
{
public:
    /// How an answer read ended.
    enum class Verdict
    {
        Taken,        ///< header and whole payload arrived
        Nothing,      ///< no byte within the timeout
        ReadFailed,   ///< the transport reported an error
        ShortHeader,  ///< fewer than 4 header bytes
        WrongLink,    ///< the header carries another link code
        TooLong,      ///< the header announces more than the reader takes
        ShortPayload, ///< fewer payload bytes than announced
    };

    /// Traces a request message (header and payload) about to be written; remembers the
    /// command (and action) for the answers that follow.
    void sending(const QByteArray &message);
    /// Traces a write the transport did not take whole (written: what it returned).
    void sendFailed(qint32 written, int size);
    /// Traces an answer packet: the bytes that arrived (header, then payload), the verdict,
    /// and detail: the timeout (Nothing) or the largest payload taken (TooLong).
    void received(const QByteArray &bytes, Verdict verdict, int detail = 0);
    /// Traces the bytes thrown away after a rejected answer (never their values).
    void discarded(int bytes);

    /// Bytes as upper-case hex pairs separated by spaces, a masked byte as "**".
    static QString hex(const QByteArray &bytes, const QVector<bool> &masked = QVector<bool>());

private:
    QString requestText() const;

    quint8 m_link = 0;
    int m_command = -1;
    int m_action = -1; ///< command 5: the action, 0 for a parameter write; -1 otherwise
    QString m_ids;     ///< command 5 parameter write: the ids of its elements
    KeyValueMask m_answerMask;
};

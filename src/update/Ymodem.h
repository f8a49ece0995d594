#pragma once
// YmodemUpdate: sends a firmware image file to a bootloader that receives files by YMODEM,
// over the device's own transport (which carries the YMODEM bytes unchanged once the device
// restarted into its bootloader). The file always goes out as "firmware.sfb".
//
// Blocks: SOH (128-byte data field) or STX (1024), block number, its ones' complement, the
// data padded with zeros, CRC-16/XMODEM high byte first. Data blocks are 1024 bytes on USB
// and 128 on BLE; a last piece of at most 128 bytes goes in a 128-byte block.
//
// A block is sent up to three times: again after a NAK, and again when no answer came within
// its timeout. A stop request is honoured while waiting for the receiver and between blocks:
// the transfer is cancelled with CAN CAN so that the receiver does not wait for more.

#include <QByteArray>
#include <QObject>

class Comm;
class QFile;

namespace Ymodem {

/// Control bytes.
enum Control : quint8
{
    kSoh = 0x01,
    kStx = 0x02,
    kEot = 0x04,
    kAck = 0x06,
    kNak = 0x15,
    kCan = 0x18,
    kCrcRequest = 0x43, ///< 'C'
};

constexpr int kSmallBlock = 128;
constexpr int kLargeBlock = 1024;
/// Block header (start byte, number, complement) and CRC.
constexpr int kBlockOverhead = 5;

/// CRC-16/XMODEM: polynomial 0x1021, initial value 0, no reflection, no final XOR.
quint16 crc16(const char *data, int length);
inline quint16 crc16(const QByteArray &data)
{
    return crc16(data.constData(), data.size());
}
/// The block as sent: 128-byte field for at most 128 payload bytes, else 1024; empty for a
/// payload above 1024 bytes.
QByteArray block(const QByteArray &payload, quint8 number);
/// The payload of the header block: name, 0x00, size in decimal, 0x00.
QByteArray headerPayload(const QString &name, quint64 size);

} // namespace Ymodem

class YmodemUpdate : public QObject
{
    Q_OBJECT
public:
    /// Name the file is sent under, whatever it is called.
    static constexpr char kRemoteName[] = "firmware.sfb";
    /// Sends of one block at most (the first one and two repeats).
    static constexpr int kBlockAttempts = 3;
    static constexpr int kEotAttempts = 10;
    /// The block whose answer may take long (the bootloader erases the flash then).
    static constexpr int kSlowBlockNumber = 3;

    /// Waits in milliseconds; tests shorten them.
    struct Timing
    {
        int receiverMs = 10000; ///< for a 'C' from the receiver
        int headerAnswerMs = 2000;
        int blockAnswerMs = 500;
        int slowBlockAnswerMs = 5000;
        int eotAnswerMs = 500;
        int closingAnswerMs = 500;
        /// A stop request is looked at (and events are processed) at least this often while
        /// waiting for the receiver.
        int pollMs = 100;
    };

    /// link: not owned. The block size follows the link code: 1024 for USB (0x75, 0x73),
    /// 128 otherwise.
    YmodemUpdate(Comm *link, const QString &firmwarePath, QObject *parent = nullptr);
    ~YmodemUpdate() override;

    /// Opens the link when needed, sends the file and emits progress 0, then updateDone or
    /// updateAbort. False without running when another update runs in the process.
    bool run();
    /// Asks the transfer to stop at its next check; the receiver gets CAN CAN.
    void requestAbort() { m_abort = 1; }
    bool abortRequested() const { return m_abort != 0; }
    bool isBusy() const { return m_busy; }
    quint32 blockSize() const { return m_blockSize; }
    void setTiming(const Timing &timing) { m_timing = timing; }
    /// Whether the last run succeeded.
    bool succeeded() const { return m_succeeded; }

signals:
    void printDialog(QString text);
    void updateProgressBar(int value);
    void updateDone();
    void updateAbort();

private:
    enum class Wait
    {
        Received, ///< a 'C' came
        Failed,   ///< the link failed or nothing came in time
        Stopped,  ///< a stop was requested
    };
    bool transfer();
    /// Reads bytes until a 'C' comes, the time is up or a stop is requested.
    Wait waitForReceiver(int timeoutMs);
    /// Sends a block, up to kBlockAttempts times, until it is acknowledged.
    bool sendBlock(const QByteArray &payload, quint8 number, int answerTimeoutMs);
    /// Reads one byte; -1 when none came in time or the link failed.
    int readByte(int timeoutMs);
    void cancel();
    /// Whether a stop is requested; prints the stop message once.
    bool stopping();

    Comm *m_link;
    QString m_path;
    quint32 m_blockSize;
    bool m_busy = false;
    bool m_succeeded = false;
    bool m_stopReported = false;
    volatile int m_abort = 0;
    Timing m_timing;
};

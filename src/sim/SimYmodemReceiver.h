#pragma once
// The YMODEM receiver of the simulated main controller's bootloader (see SimBootloaders): takes
// the host's bytes as they come and keeps the file it received (name and bytes, cut to the size
// of its header), so tests compare bytes.

#include <QByteArray>
#include <QList>
#include <QString>

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

#include "sim/SimYmodemReceiver.h"

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

/// CRC-16/XMODEM of a block. Written here again on purpose: the receiver checks the sender's
/// blocks with its own copy, so a fault in update/Ymodem's CRC can't hide behind itself.
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

} // namespace

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

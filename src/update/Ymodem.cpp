#include "update/Ymodem.h"

#include "links/Comm.h"
#include "update/Update.h"
#include "common/Logging.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <limits>

namespace Ymodem {

quint16 crc16(const char *data, int length)
{
    quint16 crc = 0;
    for (int i = 0; i < length; ++i) {
        crc ^= quint16(quint8(data[i]) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

QByteArray block(const QByteArray &payload, quint8 number)
{
    if (payload.size() > kLargeBlock)
        return QByteArray();
    const int field = payload.size() <= kSmallBlock ? kSmallBlock : kLargeBlock;
    QByteArray data = payload;
    data.append(field - payload.size(), '\0');
    const quint16 crc = crc16(data);
    QByteArray out;
    out.reserve(field + kBlockOverhead);
    out.append(char(field == kSmallBlock ? kSoh : kStx));
    out.append(char(number));
    out.append(char(quint8(~number)));
    out.append(data);
    out.append(char(crc >> 8));
    out.append(char(crc & 0xFF));
    return out;
}

QByteArray headerPayload(const QString &name, quint64 size)
{
    QByteArray p = name.toLatin1();
    p.append('\0');
    p.append(QByteArray::number(size));
    p.append('\0');
    return p;
}

} // namespace Ymodem

namespace {

/// Link codes of the transports that take 1024-byte blocks ('u' USB HID, 's').
constexpr quint8 kLinkUsb = 0x75;
constexpr quint8 kLinkSerial = 0x73;
/// Number of CAN bytes that cancel a transfer.
constexpr int kCancelBytes = 2;

} // namespace

constexpr char YmodemUpdate::kRemoteName[];

YmodemUpdate::YmodemUpdate(Comm *link, const QString &firmwarePath, QObject *parent)
    : QObject(parent), m_link(link), m_path(firmwarePath),
      m_blockSize(link && (link->linkCode() == kLinkUsb || link->linkCode() == kLinkSerial)
                      ? Ymodem::kLargeBlock
                      : Ymodem::kSmallBlock)
{
}

YmodemUpdate::~YmodemUpdate() = default;

bool YmodemUpdate::run()
{
    UpdateRunGuard running;
    if (!running.acquired()) {
        qCWarning(lcUpdate) << "An update is already running";
        return false;
    }
    m_abort = 0;
    m_stopReported = false;
    m_succeeded = false;
    if (m_link && !m_link->isConnected())
        m_link->open();
    m_busy = true;
    m_succeeded = m_link && transfer();
    m_busy = false;
    emit updateProgressBar(0);
    if (m_succeeded)
        emit updateDone();
    else
        emit updateAbort();
    return true;
}

bool YmodemUpdate::stopping()
{
    if (!m_abort)
        return false;
    if (!m_stopReported) {
        m_stopReported = true;
        cancel();
        emit printDialog(Update::stoppedText());
    }
    return true;
}

void YmodemUpdate::cancel()
{
    const quint8 can[kCancelBytes] = {Ymodem::kCan, Ymodem::kCan};
    m_link->write(can, kCancelBytes);
}

int YmodemUpdate::readByte(int timeoutMs)
{
    quint8 b = 0;
    return m_link->read(&b, 1, timeoutMs) == 1 ? int(b) : -1;
}

YmodemUpdate::Wait YmodemUpdate::waitForReceiver(int timeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        if (stopping())
            return Wait::Stopped;
        const qint64 left = timeoutMs - elapsed.elapsed();
        if (left <= 0)
            return Wait::Failed;
        quint8 b = 0;
        const qint32 got = m_link->read(&b, 1, int(qMin<qint64>(left, m_timing.pollMs)));
        if (got < 0)
            return Wait::Failed;
        if (got == 1 && b == Ymodem::kCrcRequest)
            return Wait::Received;
        // Let a stop request in between two reads (USB reads do not process events).
        QCoreApplication::processEvents();
    }
}

bool YmodemUpdate::sendBlock(const QByteArray &payload, quint8 number, int answerTimeoutMs)
{
    const QByteArray data = Ymodem::block(payload, number);
    if (data.isEmpty())
        return false;
    for (int attempt = 0; attempt < kBlockAttempts; ++attempt) {
        if (m_link->write(reinterpret_cast<const quint8 *>(data.constData()), quint32(data.size())) !=
            data.size())
            return false;
        const int answer = readByte(answerTimeoutMs);
        if (answer == Ymodem::kAck)
            return true;
        if (answer == Ymodem::kNak)
            continue;
        if (answer < 0) {
            qCDebug(lcUpdate) << "No answer to block" << number << "- sending it again";
            continue;
        }
        return false;
    }
    return false;
}

bool YmodemUpdate::transfer()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        emit printDialog(tr("Error: file %1 not found").arg(m_path));
        return false;
    }
    const qint64 size = file.size();
    if (size == 0) {
        emit printDialog(tr("Error: empty file"));
        return false;
    }
    if (size > qint64(std::numeric_limits<quint32>::max())) {
        emit printDialog(tr("Error: file size too long"));
        return false;
    }

    const QString failed = tr("Error: communication failed");
    emit printDialog(tr("Waiting for bootloader detection..."));
    switch (waitForReceiver(m_timing.receiverMs)) {
    case Wait::Stopped:
        return false;
    case Wait::Failed:
        emit printDialog(tr("Error: bootloader not detected"));
        return false;
    case Wait::Received:
        break;
    }
    emit printDialog(tr("Bootloader detected"));

    // From here on the receiver is in a transfer: a failure cancels it so that it does not
    // wait for more.
    const auto fail = [&](const QString &text) {
        emit printDialog(text);
        cancel();
        return false;
    };
    const auto receiverAgain = [&]() {
        switch (waitForReceiver(m_timing.receiverMs)) {
        case Wait::Stopped:
            return false;
        case Wait::Failed:
            return fail(failed);
        case Wait::Received:
            break;
        }
        return true;
    };

    emit printDialog(tr("Sending firmware..."));
    if (!sendBlock(Ymodem::headerPayload(QString::fromLatin1(kRemoteName), quint64(size)), 0,
                   m_timing.headerAnswerMs))
        return fail(failed);
    if (!receiverAgain())
        return false;

    quint64 remaining = quint64(size);
    int number = 1;
    while (remaining > 0) {
        if (stopping())
            return false;
        const qint64 want = qint64(qMin<quint64>(remaining, m_blockSize));
        const QByteArray payload = file.read(want);
        if (payload.size() != want)
            return fail(tr("Error: file reading"));
        const int timeout = number == kSlowBlockNumber ? m_timing.slowBlockAnswerMs : m_timing.blockAnswerMs;
        if (!sendBlock(payload, quint8(number), timeout))
            return fail(failed);
        remaining -= quint64(want);
        ++number;
        emit updateProgressBar(int((quint64(size) - remaining) * 100 / quint64(size)));
        // Let a stop request in between two blocks (USB reads do not process events).
        QCoreApplication::processEvents();
    }

    bool ended = false;
    for (int attempt = 0; attempt < kEotAttempts && !ended; ++attempt) {
        if (stopping())
            return false;
        const quint8 eot = Ymodem::kEot;
        if (m_link->write(&eot, 1) != 1)
            return fail(failed);
        const int answer = readByte(m_timing.eotAnswerMs);
        if (answer < 0)
            return fail(failed);
        ended = answer == Ymodem::kAck;
    }
    if (!ended)
        return fail(failed);

    if (!receiverAgain())
        return false;
    if (!sendBlock(QByteArray(1, '\0'), 0, m_timing.closingAnswerMs))
        return fail(failed);
    emit printDialog(tr("Firmware sent"));
    return true;
}

#include "device/protocol/DeviceClock.h"

#include "common/Bytes.h"

namespace DeviceClock {

QByteArray setValue(const QDateTime &utc)
{
    QByteArray value(1 + kClockBytes, '\0');
    value[0] = char(kClockAction);
    Bytes::putLe32(value.data() + 1, quint32(utc.toSecsSinceEpoch()));
    return value;
}

QByteArray shiftValue(qint16 seconds)
{
    QByteArray value(1 + int(sizeof(qint16)), '\0');
    value[0] = char(kClockAction);
    Bytes::putLe16(value.data() + 1, quint16(seconds));
    return value;
}

QByteArray readValue()
{
    return QByteArray(1, char(kClockAction));
}

bool decodeTime(const QByteArray &answer, QDateTime *utc)
{
    if (answer.size() < kClockBytes)
        return false;
    const quint32 secs = Bytes::le32(answer, 0);
    if (utc)
        *utc = QDateTime::fromSecsSinceEpoch(qint64(secs), Qt::UTC);
    return true;
}

} // namespace DeviceClock

#include "device/DeviceClock.h"

#include <QtEndian>

namespace DeviceClock {

QByteArray setValue(const QDateTime &utc)
{
    QByteArray value(1 + kClockBytes, '\0');
    value[0] = char(kClockAction);
    qToLittleEndian<quint32>(quint32(utc.toSecsSinceEpoch()), value.data() + 1);
    return value;
}

QByteArray shiftValue(qint16 seconds)
{
    QByteArray value(1 + int(sizeof(qint16)), '\0');
    value[0] = char(kClockAction);
    qToLittleEndian<qint16>(seconds, value.data() + 1);
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
    const quint32 secs = qFromLittleEndian<quint32>(answer.constData());
    if (utc)
        *utc = QDateTime::fromSecsSinceEpoch(qint64(secs), Qt::UTC);
    return true;
}

} // namespace DeviceClock

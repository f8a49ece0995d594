#pragma once
// The device clock's wire format. The clock is driven through the action parameter (id 1):
// its first value byte is the clock action 08, followed by
//   nothing        read the clock: the device answers with 4 bytes, seconds since 1970 UTC (LE)
//   4 bytes LE     set the clock to these seconds since 1970 UTC
//   2 bytes LE     shift the clock by these signed seconds
// Both the device session and the timestamp widget build their requests here.

#include "device/protocol/Protocol.h"

#include <QByteArray>
#include <QDateTime>

namespace DeviceClock {

constexpr quint8 kActionParamId = Protocol::kActionParamId;
constexpr quint8 kClockAction = Protocol::kActClock;
constexpr int kClockBytes = 4;                                ///< seconds since 1970, unsigned 32-bit LE
constexpr int kExchangeTimeoutMs = Protocol::kClockTimeoutMs; ///< per read of the answer

/// Value of the action parameter that sets the clock to utc.
QByteArray setValue(const QDateTime &utc);
/// Value of the action parameter that shifts the clock by seconds.
QByteArray shiftValue(qint16 seconds);
/// Value of the action parameter that reads the clock.
QByteArray readValue();
/// The time of a read's answer: false (utc unchanged) unless it holds at least 4 bytes.
bool decodeTime(const QByteArray &answer, QDateTime *utc);

} // namespace DeviceClock

/// What the timestamp widget needs of a device object. The GUI device object implements it with
/// its parameter exchange; tests implement it with a recording fake.
class ClockDevice
{
public:
    virtual ~ClockDevice() = default;
    /// False for an offline device (no transport): nothing is sent then.
    virtual bool hasTransport() const = 0;
    /// Empties the device object's parameter list, adds the ordinary record (parameter 1, value)
    /// and runs the parameter exchange with this timeout and errors shown. Returns the exchange's
    /// result bytes: empty when the device did not answer or refused.
    virtual QByteArray runAction(const QByteArray &value, int timeoutMs) = 0;
};

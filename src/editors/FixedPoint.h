#pragma once
// Physical quantities travel in parameter values as 16-bit fixed-point numbers: the shown
// value times 100 or 1000, truncated toward zero. The conversion starts from the digits a
// decimal box shows, not from its binary double: 0.29 times 100 is 28.999... in binary floating
// point, yet a box showing 0.29 must send 29.

#include <QtGlobal>

#include <cmath>
#include <limits>

namespace FixedPoint {

/// Most decimals the conversion honours; more would overflow the intermediate integers.
constexpr int kMaxDecimals = 9;

/// The value a box with `decimals` decimals shows for value, times scale, truncated toward zero.
/// scale must be positive (100 or 1000 in parameter values).
inline qint64 scaled(double value, int decimals, int scale)
{
    const int d = qBound(0, decimals, kMaxDecimals);
    qint64 unit = 1;
    for (int i = 0; i < d; ++i)
        unit *= 10;
    // The digits shown: value rounded to the box's decimals, as an integer count of units.
    const qint64 shown = std::llround(value * double(unit));
    // Integer division truncates toward zero for negative numbers too.
    return shown * scale / unit;
}

/// The number a fixed-point integer stands for.
inline double unscaled(qint64 raw, int scale)
{
    return double(raw) / double(scale);
}

/// raw limited to the signed 16-bit range (a value beyond it keeps its sign instead of wrapping).
inline qint16 saturateInt16(qint64 raw)
{
    return qint16(
        qBound<qint64>(std::numeric_limits<qint16>::min(), raw, std::numeric_limits<qint16>::max()));
}

/// raw limited to the unsigned 16-bit range.
inline quint16 saturateUInt16(qint64 raw)
{
    return quint16(qBound<qint64>(0, raw, std::numeric_limits<quint16>::max()));
}

} // namespace FixedPoint

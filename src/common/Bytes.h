#pragma once
// Little-endian values in byte strings: the device sends every number of more than one byte
// low byte first (lengths in headers, parameter values, clock values, live readings).

#include <QByteArray>
#include <QtGlobal>

namespace Bytes {

/// The 16-bit value at p (two bytes, low byte first).
inline quint16 le16(const char *p)
{
    return quint16(quint8(p[0]) | (quint8(p[1]) << 8));
}
/// The 16-bit value at position at of bytes (at + 1 must be inside).
inline quint16 le16(const QByteArray &bytes, int at)
{
    return le16(bytes.constData() + at);
}
/// The 32-bit value at position at of bytes (at + 3 must be inside).
inline quint32 le32(const QByteArray &bytes, int at)
{
    return quint32(le16(bytes, at)) | (quint32(le16(bytes, at + 2)) << 16);
}
/// Writes v at p, low byte first.
inline void putLe16(char *p, quint16 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
/// Appends v, low byte first.
inline void appendLe16(QByteArray &bytes, quint16 v)
{
    bytes.append(char(v & 0xFF));
    bytes.append(char(v >> 8));
}

} // namespace Bytes

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
/// Writes v at p (four bytes), low byte first.
inline void putLe32(char *p, quint32 v)
{
    putLe16(p, quint16(v & 0xFFFF));
    putLe16(p + 2, quint16(v >> 16));
}
/// Appends v, low byte first.
inline void appendLe16(QByteArray &bytes, quint16 v)
{
    bytes.append(char(v & 0xFF));
    bytes.append(char(v >> 8));
}
/// Appends v (four bytes), low byte first.
inline void appendLe32(QByteArray &bytes, quint32 v)
{
    appendLe16(bytes, quint16(v & 0xFFFF));
    appendLe16(bytes, quint16(v >> 16));
}
/// The two bytes of v, low byte first.
inline QByteArray le16Bytes(quint16 v)
{
    QByteArray bytes;
    appendLe16(bytes, v);
    return bytes;
}
/// The four bytes of v, low byte first.
inline QByteArray le32Bytes(quint32 v)
{
    QByteArray bytes;
    appendLe32(bytes, v);
    return bytes;
}

} // namespace Bytes

#pragma once
// Hexadecimal text helpers shared by frames, files and the terminal.

#include <QByteArray>
#include <QString>

namespace Hex {
/// Upper-case hexadecimal digits, two per byte, no separators.
QString upper(const QByteArray &bytes);
/// Lenient decoding: every character that is not a hexadecimal digit is skipped; digits
/// are paired from the end, so an odd count leaves the first digit as a byte by itself.
QByteArray decodeLenient(const QString &text);
} // namespace Hex

#pragma once
// What the serial terminal of the radio module makes of typed text and of received bytes,
// without widgets: the bytes a typed line stands for in each mode, the filter of hexadecimal
// input, and the text forms of bytes on screen.

#include <QByteArray>
#include <QString>

namespace TerminalText {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

/// The bytes of a line typed in "Ascii" mode: the text as UTF-8 (plain ASCII unchanged), then
/// the escapes replaced over the whole byte string in this order: \\ by one backslash, \a, \b,
/// \e, \f, \n, \r, \t, \v by their control bytes (07, 08, 1B, 0C, 0A, 0D, 09, 0B). So "\\n"
/// ends as a backslash and LF: the pair is replaced first and the "\n" it leaves afterwards.
/// Then CR when cr is set and LF when lf is set, in this order.
QByteArray asciiPayload(const QString &text, bool cr, bool lf);

/// The bytes of a line typed in "Hex" or "Modbus" mode: its hexadecimal digits, any other
/// character skipped (an odd count leaves the first digit as a byte by itself).
QByteArray hexPayload(const QString &text);

/// Typed text as the hexadecimal modes keep it: every ASCII character that is not 0-9, A-F or
/// a-f removed; other characters left.
QString filterHexInput(const QString &text);

/// Bytes as the terminal shows them: lower-case hexadecimal digits without separators.
QString lowerHex(const QByteArray &bytes);

/// Text as the output shows it: every LF removed, so a CR alone ends a line and CR LF gives
/// one line break.
QString forDisplay(const QString &text);

} // namespace TerminalText

#include "device/terminal/TerminalText.h"

#include "common/Hex.h"

namespace TerminalText {

namespace {

bool isHexDigit(ushort u)
{
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

constexpr ushort kAsciiEnd = 128;

/// Escape sequences and their bytes, in the order they are replaced.
// clang-format off
const struct { const char *escape; char byte; } kEscapes[] = {
    {"\\\\", '\\'},
    {"\\a", '\x07'},
    {"\\b", '\x08'},
    {"\\e", '\x1B'},
    {"\\f", '\x0C'},
    {"\\n", '\x0A'},
    {"\\r", '\x0D'},
    {"\\t", '\x09'},
    {"\\v", '\x0B'},
};
// clang-format on

} // namespace

QByteArray asciiPayload(const QString &text, bool cr, bool lf)
{
    QByteArray bytes = text.toUtf8();
    for (const auto &e : kEscapes)
        bytes.replace(e.escape, QByteArray(1, e.byte));
    if (cr)
        bytes.append(kCr);
    if (lf)
        bytes.append(kLf);
    return bytes;
}

QByteArray hexPayload(const QString &text)
{
    return Hex::decodeLenient(text);
}

QString filterHexInput(const QString &text)
{
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= kAsciiEnd || isHexDigit(c.unicode()))
            kept.append(c);
    }
    return kept;
}

QString lowerHex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex());
}

QString forDisplay(const QString &text)
{
    QString shown = text;
    shown.remove(QLatin1Char(kLf));
    return shown;
}

} // namespace TerminalText

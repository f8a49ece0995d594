#include "common/Hex.h"

QString Hex::upper(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QByteArray Hex::decodeLenient(const QString &text)
{
    QByteArray digits;
    digits.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if ((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F'))
            digits.append(char(u));
    }
    if (digits.size() % 2)
        digits.prepend('0');
    return QByteArray::fromHex(digits);
}

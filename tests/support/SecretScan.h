#pragma once
// Finds secrets (LoRaWAN keys) in texts a run printed, logged or showed: as hexadecimal in
// either case, with or without separators, as raw characters, or as qDebug() prints a byte
// array; whole, and every 4-byte piece of them (a key may travel in chunks).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace SecretScan {

/// Bytes of a secret that a text must never hold together.
constexpr int kPieceBytes = 4;

/// The forms of bytes as a program might print them (hexadecimal, raw characters).
inline QStringList forms(const QByteArray &bytes)
{
    QStringList out;
    for (const char sep : {'\0', ' ', ':', '-', ','})
        out << QString::fromLatin1(sep ? bytes.toHex(sep) : bytes.toHex());
    out << QString::fromLatin1(bytes);
    return out;
}

/// Every form of the secret and of its 4-byte pieces.
inline QStringList allForms(const QByteArray &secret)
{
    QStringList out = forms(secret);
    for (int i = 0; i + kPieceBytes <= secret.size(); ++i)
        out << forms(secret.mid(i, kPieceBytes));
    return out;
}

/// A text with the escapes of a debug-printed byte array undone (\xNN, \t, \n, \r, \\, \",
/// and the "" that separates an escape from a following digit), so raw bytes can be found.
inline QString unescaped(const QString &text)
{
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
            ++i;
            continue;
        }
        if (c != QLatin1Char('\\') || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar e = text.at(++i);
        bool ok = false;
        if (e == QLatin1Char('x') && i + 2 < text.size()) {
            const int v = text.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += QChar(v);
                i += 2;
                continue;
            }
        }
        switch (e.unicode()) {
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        default:
            out += e; // \\ and \" and anything else: the character itself
            break;
        }
    }
    return out;
}

/// The first text holding a form of one of the secrets (compared in any case); empty when none.
inline QString find(const QStringList &texts, const QList<QByteArray> &secrets)
{
    for (const QByteArray &secret : secrets) {
        const QStringList all = allForms(secret);
        for (const QString &t : texts) {
            const QString raw = unescaped(t);
            for (const QString &form : all) {
                if (t.contains(form, Qt::CaseInsensitive) || raw.contains(form, Qt::CaseInsensitive))
                    return t;
            }
        }
    }
    return QString();
}

} // namespace SecretScan

#pragma once
// Finds secrets (LoRaWAN keys) in texts a run printed, logged or showed: as hexadecimal in
// either case, with or without separators, as a byte array is debug-printed, or as raw
// characters; whole, and every 4-byte piece of them (a key may travel in chunks).

#include <QByteArray>
#include <QDebug>
#include <QList>
#include <QString>
#include <QStringList>

namespace SecretScan {

/// Bytes of a secret that a text must never hold together.
constexpr int kPieceBytes = 4;

/// The forms of bytes as a program might print them.
inline QStringList forms(const QByteArray &bytes)
{
    QStringList out;
    for (const char sep : {'\0', ' ', ':', '-', ','}) {
        const QString h = QString::fromLatin1(sep ? bytes.toHex(sep) : bytes.toHex());
        out << h;
    }
    // As qDebug() prints a byte array: printable characters as they are, others escaped.
    QString debugForm;
    QDebug(&debugForm).nospace() << bytes;
    debugForm = debugForm.trimmed();
    if (debugForm.size() >= 2)
        debugForm = debugForm.mid(1, debugForm.size() - 2); // without the quotes
    out << debugForm << QString::fromLatin1(bytes);
    return out;
}

/// Every form of the secret and of its 4-byte pieces.
inline QStringList allForms(const QByteArray &secret)
{
    QStringList out = forms(secret);
    for (int i = 0; i + kPieceBytes <= secret.size(); ++i) {
        const QByteArray piece = secret.mid(i, kPieceBytes);
        out << QString::fromLatin1(piece.toHex()) << QString::fromLatin1(piece.toHex(' '));
    }
    return out;
}

/// The first text holding a form of one of the secrets (compared in any case); empty when none.
inline QString find(const QStringList &texts, const QList<QByteArray> &secrets)
{
    for (const QByteArray &secret : secrets) {
        for (const QString &form : allForms(secret)) {
            for (const QString &t : texts) {
                if (t.contains(form, Qt::CaseInsensitive))
                    return t;
            }
        }
    }
    return QString();
}

} // namespace SecretScan

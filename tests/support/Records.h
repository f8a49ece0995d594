#pragma once
// Parameter records as short texts, both ways: "id:hex" is an ordinary record, "id@index:hex"
// a chunk of a buffer parameter starting at byte index (hex in upper case when written); and
// frames as their hex texts.

#include "device/model/OrvParam.h"
#include "frames/OrvFrame.h"

#include <QString>
#include <QStringList>

namespace Records {

/// The record a text "id:hex" or "id@index:hex" stands for.
inline OrvParam rec(const QString &text)
{
    const int colon = text.indexOf(QLatin1Char(':'));
    const QString head = text.left(colon);
    const QByteArray value = QByteArray::fromHex(text.mid(colon + 1).toLatin1());
    const int at = head.indexOf(QLatin1Char('@'));
    if (at < 0)
        return OrvParam(quint8(head.toUInt()), value);
    return OrvParam(quint8(head.left(at).toUInt()), value, quint8(head.mid(at + 1).toUInt()));
}

/// The records of texts, in order.
inline OrvParamList recs(const QStringList &texts)
{
    OrvParamList list;
    for (const QString &t : texts)
        list.append(rec(t));
    return list;
}

/// The text of a record, as rec() reads it.
inline QString describe(const OrvParam &p)
{
    QString head = QString::number(p.id());
    if (p.isBuf())
        head += QLatin1Char('@') + QString::number(p.index());
    return head + QLatin1Char(':') + QString::fromLatin1(p.data().toHex().toUpper());
}

/// The texts of records, in order.
inline QStringList describe(const OrvParamList &list)
{
    QStringList out;
    for (const OrvParam &p : list)
        out.append(describe(p));
    return out;
}

/// The hex texts of frames, in order.
inline QStringList hexOf(const OrvFrameList &frames)
{
    QStringList out;
    for (const OrvFrame &f : frames)
        out.append(f.toHexString());
    return out;
}

} // namespace Records

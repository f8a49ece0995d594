#include "device/rollout/KeyList.h"

#include "common/Csv.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("KeyList", text);
}

/// Exactly bytes bytes written as 2 * bytes hexadecimal digits (blanks around allowed).
QByteArray decodeHex(const QString &field, int bytes)
{
    const QString text = field.trimmed();
    if (text.size() != 2 * bytes)
        return QByteArray();
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')))
            return QByteArray();
    }
    return QByteArray::fromHex(text.toLatin1());
}

} // namespace

QStringList KeyList::header()
{
    return {QStringLiteral("DevEUI"), QStringLiteral("AppEUI"), QStringLiteral("AppKey")};
}

bool KeyList::parse(const QByteArray &text, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QVector<QStringList> records;
    Csv::ParseError csvError;
    if (!Csv::parse(text, &records, &csvError))
        return fail(tr("Line %1 of the key list: %2").arg(csvError.line).arg(csvError.reason));

    // Records and lines differ only where a quoted field holds a line break, which no valid
    // line of a key list has: such a list fails on that record anyway.
    const auto isEmptyRecord = [](const QStringList &r) {
        return r.size() == 1 && r.first().trimmed().isEmpty();
    };
    int first = 0;
    while (first < records.size() && isEmptyRecord(records.at(first)))
        ++first;
    if (first >= records.size())
        return fail(tr("The key list is empty."));
    QStringList head = records.at(first);
    for (QString &h : head)
        h = h.trimmed();
    if (head.size() != 3 || head.at(0).compare(header().at(0), Qt::CaseInsensitive) != 0 ||
        head.at(1).compare(header().at(1), Qt::CaseInsensitive) != 0 ||
        head.at(2).compare(header().at(2), Qt::CaseInsensitive) != 0)
        return fail(tr("The key list must begin with the line \"DevEUI,AppEUI,AppKey\"."));

    QHash<QByteArray, LoRaWanKeys::Keys> keys;
    for (int i = first + 1; i < records.size(); ++i) {
        const QStringList &r = records.at(i);
        const int line = i + 1;
        if (isEmptyRecord(r))
            continue;
        if (r.size() != 3)
            return fail(tr("Line %1 of the key list must have 3 fields (DevEUI, AppEUI, AppKey).").arg(line));
        const QByteArray devEui = decodeHex(r.at(0), kDevEuiBytes);
        if (devEui.isEmpty())
            return fail(tr("Line %1 of the key list: the DevEUI must have 16 hexadecimal digits.").arg(line));
        LoRaWanKeys::Keys k;
        k.appEui = decodeHex(r.at(1), LoRaWanKeys::kAppEuiBytes);
        if (k.appEui.isEmpty())
            return fail(tr("Line %1 of the key list: the AppEUI must have 16 hexadecimal digits.").arg(line));
        k.appKey = decodeHex(r.at(2), LoRaWanKeys::kAppKeyBytes);
        if (k.appKey.isEmpty())
            return fail(tr("Line %1 of the key list: the AppKey must have 32 hexadecimal digits.").arg(line));
        if (keys.contains(devEui))
            return fail(tr("Line %1 of the key list: the DevEUI %2 is listed twice.")
                            .arg(line)
                            .arg(QString::fromLatin1(devEui.toHex().toUpper())));
        keys.insert(devEui, k);
    }
    m_keys = keys;
    return true;
}

bool KeyList::load(const QString &path, QString *error)
{
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = tr("Can't open file '%1'!").arg(path);
        return false;
    }
    if (f.size() > kMaxFileBytes) {
        if (error)
            *error = tr("The key list '%1' is too large.").arg(path);
        return false;
    }
    return parse(f.read(kMaxFileBytes + 1), error);
}

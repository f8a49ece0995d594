#include "common/Csv.h"

#include <QCoreApplication>

namespace Csv {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Csv", text);
}

bool needsQuotes(const QString &field)
{
    for (const QChar c : field) {
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n'))
            return true;
    }
    return false;
}

} // namespace

QByteArray formatRecord(const QStringList &fields)
{
    QByteArray line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        const QString &f = fields.at(i);
        if (needsQuotes(f)) {
            QString quoted = f;
            quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
            line += '"' + quoted.toUtf8() + '"';
        } else {
            line += f.toUtf8();
        }
    }
    line += "\r\n";
    return line;
}

bool parse(const QByteArray &text, QVector<QStringList> *records, ParseError *error)
{
    QVector<QStringList> out;
    QStringList record;
    QByteArray field;
    int line = 1;
    int i = 0;
    const int n = text.size();
    const auto fail = [error, &line](const QString &why) {
        if (error) {
            error->line = line;
            error->reason = why;
        }
        return false;
    };
    const auto endField = [&record, &field]() {
        record.append(QString::fromUtf8(field));
        field.clear();
    };

    while (i < n) {
        // At the start of a field.
        if (text.at(i) == '"') {
            const int startLine = line;
            ++i;
            bool closed = false;
            while (i < n) {
                const char c = text.at(i);
                if (c == '"') {
                    if (i + 1 < n && text.at(i + 1) == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (c == '\n')
                    ++line;
                field += c;
                ++i;
            }
            if (!closed) {
                line = startLine; // where the field began
                return fail(tr("A quoted field is not closed."));
            }
            if (i < n && text.at(i) != ',' && text.at(i) != '\r' && text.at(i) != '\n')
                return fail(tr("Unexpected text after a closing quote."));
        } else {
            while (i < n && text.at(i) != ',' && text.at(i) != '\r' && text.at(i) != '\n') {
                if (text.at(i) == '"')
                    return fail(tr("A double quote inside an unquoted field."));
                field += text.at(i);
                ++i;
            }
        }
        endField();
        if (i >= n)
            break;
        const char sep = text.at(i);
        if (sep == ',') {
            ++i;
            if (i >= n)
                endField(); // a trailing comma: one more empty field
            continue;
        }
        // The end of a record: CR LF or LF (a lone CR is taken as a line end as well).
        ++i;
        if (sep == '\r' && i < n && text.at(i) == '\n')
            ++i;
        out.append(record);
        record.clear();
        ++line;
    }
    if (!record.isEmpty())
        out.append(record);
    if (records)
        *records = out;
    return true;
}

} // namespace Csv

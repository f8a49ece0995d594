#pragma once
// Comma-separated values as RFC 4180 has them: records end with CR LF, a field holding a
// comma, a double quote, CR or LF is put in double quotes, a double quote inside one is doubled.
// The reader also takes records ending with a bare LF and a last record without a line end.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace Csv {

/// One record as a line: the fields, quoted where needed, joined by commas, ended by CR LF.
QByteArray formatRecord(const QStringList &fields);

/// Where and why a text is not valid CSV.
struct ParseError
{
    int line = 0; ///< 1-based line of the problem (of its opening quote for a field never closed)
    QString reason;
};

/// Splits UTF-8 text into records of fields. A quoted field may hold line breaks. False (error
/// set, records untouched) for a quote inside an unquoted field, text after a closing quote
/// other than a comma or the line end, or a quoted field that never closes. An empty text gives
/// no record; an empty line gives a record of one empty field.
bool parse(const QByteArray &text, QVector<QStringList> *records, ParseError *error);

} // namespace Csv

#pragma once
// The provisioning record of a roll-out: a CSV file (RFC 4180) with one header line and one
// row per device handled, appended and flushed to disk as each device is done, so a crash or
// a pulled cable loses nothing already recorded.
//
// Columns: time (UTC, ISO 8601), DevEUI, identity line, device revision, radio-module revision,
// configuration file name, SHA-256 of the configuration file, result ("successful" or
// "failed"), reason. No key ever goes into a row.

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QVector>

class QIODevice;

namespace ProvisioningRecord {

/// One device handled.
struct Row
{
    QDateTime time; ///< UTC
    QString devEui; ///< 16 upper-case hexadecimal digits (empty when the device has none)
    QString identity;
    QString deviceRevision;
    QString moduleRevision;
    QString configFile;   ///< the file's name, without its folder
    QString configSha256; ///< 64 lower-case hexadecimal digits
    bool successful = false;
    QString reason;

    bool operator==(const Row &o) const;
};

/// The header line's fields, in column order.
QStringList header();
/// The texts of the result column.
QString resultText(bool successful);

/// A row as its CSV line (CR LF at the end).
QByteArray formatRow(const Row &row);
/// The header as its CSV line.
QByteArray formatHeader();

/// Reads a record: the header line, then the rows. False with the reason in *error when the
/// header is another one, a row does not have one field per column, a time is not an ISO 8601
/// UTC time or a result is neither "successful" nor "failed". An empty text is a record
/// without rows.
bool parse(const QByteArray &text, QVector<Row> *rows, QString *error);

/// SHA-256 of a file's content as 64 lower-case hexadecimal digits (empty when unreadable).
QString fileSha256(const QString &path);

/// Appends rows to a record file, each written and flushed to disk at once.
class Writer
{
    Q_DECLARE_TR_FUNCTIONS(ProvisioningRecord)

public:
    Writer() = default;
    ~Writer();
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    /// Opens path for appending: a new or empty file gets the header; an existing one must be a
    /// record (checked with parse) and is never rewritten. False with the reason in *error.
    bool open(const QString &path, QString *error);
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }
    /// Appends one row and syncs it to disk. False with the reason in *error.
    bool append(const Row &row, QString *error);
    void close();

private:
    QFile m_file;
};

} // namespace ProvisioningRecord

#include "device/rollout/ProvisioningRecord.h"

#include "common/Csv.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFileInfo>

#include <unistd.h>

namespace ProvisioningRecord {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ProvisioningRecord", text);
}

const char kSuccessful[] = "successful";
const char kFailed[] = "failed";
/// Largest record read back when appending (a row takes a few hundred bytes).
constexpr qint64 kMaxRecordBytes = 64 * 1024 * 1024;

QString timeText(const QDateTime &t)
{
    return t.toUTC().toString(Qt::ISODate);
}

} // namespace

bool Row::operator==(const Row &o) const
{
    return time == o.time && devEui == o.devEui && identity == o.identity &&
           deviceRevision == o.deviceRevision && moduleRevision == o.moduleRevision &&
           configFile == o.configFile && configSha256 == o.configSha256 && successful == o.successful &&
           reason == o.reason;
}

QStringList header()
{
    return {
        QStringLiteral("time_utc"),        QStringLiteral("dev_eui"),         QStringLiteral("identity"),
        QStringLiteral("device_revision"), QStringLiteral("module_revision"), QStringLiteral("config_file"),
        QStringLiteral("config_sha256"),   QStringLiteral("result"),          QStringLiteral("reason")};
}

QString resultText(bool successful)
{
    return QLatin1String(successful ? kSuccessful : kFailed);
}

QByteArray formatHeader()
{
    return Csv::formatRecord(header());
}

QByteArray formatRow(const Row &row)
{
    return Csv::formatRecord({timeText(row.time), row.devEui, row.identity, row.deviceRevision,
                              row.moduleRevision, row.configFile, row.configSha256,
                              resultText(row.successful), row.reason});
}

bool parse(const QByteArray &text, QVector<Row> *rows, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QVector<QStringList> records;
    Csv::ParseError csvError;
    if (!Csv::parse(text, &records, &csvError))
        return fail(tr("Line %1 of the record: %2").arg(csvError.line).arg(csvError.reason));
    QVector<Row> out;
    if (records.isEmpty()) {
        if (rows)
            *rows = out;
        return true;
    }
    if (records.first() != header())
        return fail(tr("The file is not a provisioning record: its first line is not \"%1\".")
                        .arg(header().join(QLatin1Char(','))));
    const int columns = header().size();
    for (int i = 1; i < records.size(); ++i) {
        const QStringList &r = records.at(i);
        const int number = i + 1;
        if (r.size() != columns)
            return fail(tr("Row %1 of the record has %2 fields instead of %3.")
                            .arg(number)
                            .arg(r.size())
                            .arg(columns));
        Row row;
        row.time = QDateTime::fromString(r.at(0), Qt::ISODate);
        // Only the form rows are written in: whole seconds, "Z" for UTC.
        if (!row.time.isValid() || row.time.timeSpec() != Qt::UTC || timeText(row.time) != r.at(0))
            return fail(tr("Row %1 of the record: the time is not an ISO 8601 UTC time.").arg(number));
        row.devEui = r.at(1);
        row.identity = r.at(2);
        row.deviceRevision = r.at(3);
        row.moduleRevision = r.at(4);
        row.configFile = r.at(5);
        row.configSha256 = r.at(6);
        if (r.at(7) == QLatin1String(kSuccessful))
            row.successful = true;
        else if (r.at(7) != QLatin1String(kFailed))
            return fail(
                tr("Row %1 of the record: the result is neither \"successful\" nor \"failed\".").arg(number));
        row.reason = r.at(8);
        out.append(row);
    }
    if (rows)
        *rows = out;
    return true;
}

QString fileSha256(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&f))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

Writer::~Writer()
{
    close();
}

bool Writer::open(const QString &path, QString *error)
{
    close();
    const auto fail = [this, error](const QString &why) {
        if (error)
            *error = why;
        m_file.close();
        return false;
    };
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return fail(tr("The record '%1' is not a regular file.").arg(path));
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Append))
        return fail(tr("Can't open the record '%1': %2").arg(path, m_file.errorString()));
    if (m_file.size() > 0) {
        if (m_file.size() > kMaxRecordBytes)
            return fail(tr("The record '%1' is too large to check.").arg(path));
        if (!m_file.seek(0))
            return fail(tr("Can't read the record '%1'.").arg(path));
        const QByteArray text = m_file.readAll();
        QString why;
        if (!parse(text, nullptr, &why))
            return fail(tr("The file '%1' can't be appended to: %2").arg(path, why));
        // A last row cut short by a crash has no line end: start the next row on a line of its own.
        if (!text.endsWith('\n') && m_file.write("\r\n") != 2)
            return fail(tr("Can't write to the record '%1': %2").arg(path, m_file.errorString()));
        return true;
    }
    const QByteArray head = formatHeader();
    if (m_file.write(head) != head.size() || !m_file.flush())
        return fail(tr("Can't write to the record '%1': %2").arg(path, m_file.errorString()));
    return true;
}

bool Writer::append(const Row &row, QString *error)
{
    if (!m_file.isOpen()) {
        if (error)
            *error = tr("The record is not open.");
        return false;
    }
    const QByteArray line = formatRow(row);
    if (m_file.write(line) != line.size() || !m_file.flush()) {
        if (error)
            *error = tr("Can't write to the record '%1': %2").arg(m_file.fileName(), m_file.errorString());
        return false;
    }
    // On the disk, not only in the system's cache: a power cut keeps the row.
    ::fsync(m_file.handle());
    return true;
}

void Writer::close()
{
    if (m_file.isOpen())
        m_file.close();
}

} // namespace ProvisioningRecord

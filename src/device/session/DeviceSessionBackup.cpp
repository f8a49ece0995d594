// The device session's steps before a write: the comparison with what the device holds and
// the backup of it.
#include "device/session/DeviceSession.h"

#include "common/Logging.h"
#include "device/files/BackupStore.h"
#include "device/model/Catalog.h"
#include "device/family/FamilyModel.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("DeviceSession", text);
}

} // namespace

bool DeviceSession::readDeviceValues(QMap<quint8, QByteArray> *values)
{
    // The page's last load is what the device holds (each write since updated it).
    if (m_configLoaded && !m_deviceValues.isEmpty()) {
        *values = m_deviceValues;
        return true;
    }
    if (!m_transport)
        return false;
    // A quiet load: no box, no status, the page's list untouched.
    OrvParamList request{OrvParam(Protocol::kActionParamId, quint8(Protocol::kActLoadConfig))};
    const QByteArray result = m_protocol.exchangeParams(request, nullptr, Protocol::kLoadTimeoutMs, false);
    OrvFrame frame;
    if (frame.setData(result) < 1)
        return false;
    OrvParamList loaded;
    frame.extractParams(loaded, {}, false);
    for (OrvParam &p : loaded) {
        if (m_tables.isBuffer(p.id()))
            p.takeIndex();
    }
    *values = ConfigDiff::values(loaded, kivType());
    return !values->isEmpty();
}

bool DeviceSession::deviceValues(QMap<quint8, QByteArray> *values)
{
    DeviceBusyGuard guard;
    if (!guard.acquired())
        return false;
    return readDeviceValues(values);
}

QString DeviceSession::saveBackup(const QMap<quint8, QByteArray> &values, QString *error)
{
    OrvParamList params;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        params.append(m_tables.isBuffer(it.key()) ? OrvParam(it.key(), it.value(), 0)
                                                  : OrvParam(it.key(), it.value()));
    }
    return BackupStore::save(identifier(), identity(), m_tables, params, error);
}

QString DeviceSession::backupNow(QString *error)
{
    DeviceBusyGuard guard;
    if (!guard.acquired()) {
        if (error)
            *error = tr("The device is busy, try again in a moment.");
        return QString();
    }
    QMap<quint8, QByteArray> values;
    if (!readDeviceValues(&values)) {
        if (error)
            *error = tr("The device's configuration could not be read.");
        return QString();
    }
    return saveBackup(values, error);
}

bool DeviceSession::prepareWrite(const OrvParamList &accepted, bool compare)
{
    m_lastWriteStop = WriteStop::None;
    m_lastChanges.clear();
    m_lastBackupPath.clear();
    const bool asks = compare && bool(m_confirmWrite);
    if (!m_backupsEnabled && !asks)
        return true;

    QMap<quint8, QByteArray> held;
    const bool read = readDeviceValues(&held);
    if (compare && read)
        m_lastChanges = ConfigDiff::compare(held, ConfigDiff::values(accepted, kivType()), kivType());

    if (asks && read) {
        if (m_lastChanges.isEmpty()) {
            m_lastWriteStop = WriteStop::NothingDiffers;
            status(tr("The device already holds these values: nothing was written."));
            return false;
        }
        if (!m_confirmWrite(m_lastChanges)) {
            m_lastWriteStop = WriteStop::Cancelled;
            status(tr("Nothing was written."));
            return false;
        }
    }
    if (!m_backupsEnabled)
        return true;

    QString why;
    if (read) {
        m_lastBackupPath = saveBackup(held, &why);
    } else if (!isConnected()) {
        // Gone: the write fails as a write to a device that does not answer.
        m_lastWriteStop = WriteStop::NoAnswer;
        return false;
    } else {
        why = tr("The device's configuration could not be read.");
    }
    if (!m_lastBackupPath.isEmpty()) {
        qCDebug(lcSession) << "backup saved:" << m_lastBackupPath;
        return true;
    }
    qCWarning(lcSession) << "backup failed:" << why;
    bool goOn = false;
    if (m_backupFailed) {
        goOn = m_backupFailed(why);
    } else {
        Reporter::Box question;
        question.icon = Reporter::Warning;
        question.title = tr("Backup failed");
        question.text = tr("The device's configuration could not be saved before writing:\n%1\n\n"
                           "Write without a backup?")
                            .arg(why);
        question.buttons = Reporter::Yes | Reporter::No;
        question.defaultButton = Reporter::No;
        question.parent = m_owner;
        m_last.box(question);
        goOn = m_messages.box(question) == Reporter::Yes;
    }
    if (!goOn) {
        m_lastWriteStop = WriteStop::BackupFailed;
        status(tr("Nothing was written: the backup could not be saved."));
    }
    return goOn;
}

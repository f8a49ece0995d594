#include "device/rollout/Provisioning.h"

#include "common/Clock.h"
#include "device/model/Catalog.h"
#include "device/family/FamilyModel.h"
#include "device/session/LoRaWanKeys.h"
#include "device/protocol/Protocol.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMap>

namespace Provisioning {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Provisioning", text);
}

/// Joins separate reasons of one device.
const QLatin1String kReasonSeparator("; ");

/// Whole values by id: ordinary records as they are, the chunks of a buffer parameter placed
/// at their index (a chunk at index 0 starts the value again, as the device does).
QMap<quint8, QByteArray> wholeValues(const OrvParamList &list, const ParamTables &tables)
{
    QMap<quint8, QByteArray> values;
    for (const OrvParam &p : list) {
        QByteArray &v = values[p.id()];
        if (!(p.isBuf() || tables.isBuffer(p.id()))) {
            v = p.data();
            continue;
        }
        if (p.index() == 0)
            v.clear();
        if (v.size() < p.index() + p.size())
            v.resize(p.index() + p.size());
        v.replace(p.index(), p.size(), p.data());
    }
    return values;
}

/// The texts of the boxes a step showed, on one line.
QString boxTexts(const QStringList &texts)
{
    QStringList out;
    for (const QString &t : texts)
        out << t.simplified();
    return out.join(QStringLiteral(" / "));
}

/// "stage: details", or the stage alone without details.
QString stageReason(const QString &stage, const QString &details)
{
    return details.isEmpty() ? stage : stage + QStringLiteral(": ") + details;
}

} // namespace

QString devEuiText(const QByteArray &devEui)
{
    return QString::fromLatin1(devEui.toHex().toUpper());
}

QVector<Mismatch> compare(const OrvParamList &written, const OrvParamList &readBack,
                          const ParamTables &tables)
{
    OrvParamList sent;
    for (const OrvParam &p : written) {
        if (p.id() == 0 || p.id() == Protocol::kActionParamId || LoRaWanKeys::isKeyParam(p.id()))
            continue;
        sent.append(p);
    }
    const QMap<quint8, QByteArray> want = wholeValues(sent, tables);
    const QMap<quint8, QByteArray> have = wholeValues(readBack, tables);
    QVector<Mismatch> out;
    for (auto it = want.constBegin(); it != want.constEnd(); ++it) {
        const auto found = have.constFind(it.key());
        if (found == have.constEnd())
            out.append(Mismatch{it.key(), true});
        else if (found.value() != it.value())
            out.append(Mismatch{it.key(), false});
    }
    return out;
}

QString describe(const Mismatch &m, const ParamTables &tables)
{
    QString name = tables.name(m.id);
    if (name.isEmpty())
        name = tr("Unknown parameter");
    QString why = m.missing ? tr("not reported by the device") : tables.error(m.id);
    if (why.isEmpty())
        why = tr("other value");
    return QStringLiteral("%1 (%2): %3").arg(name).arg(m.id).arg(why);
}

void Run::setConfigFile(const QString &path)
{
    m_configPath = path;
}

Outcome Run::provision(DeviceSession &session)
{
    Outcome outcome = run(session);
    const QByteArray devEui = session.identifier();
    if (!devEui.isEmpty() && m_provisioned.contains(devEui)) {
        outcome.repeated = true;
        const QString note = tr("DevEUI already provisioned in this run");
        outcome.reason = outcome.reason.isEmpty() ? note : outcome.reason + kReasonSeparator + note;
    }
    if (outcome.successful && !devEui.isEmpty())
        m_provisioned.insert(devEui);
    return outcome;
}

Outcome Run::run(DeviceSession &session)
{
    Outcome outcome;
    outcome.configSha256 = ProvisioningRecord::fileSha256(m_configPath);
    const QByteArray devEui = session.identifier();
    const bool withKeys = !m_keys.isEmpty();
    if (withKeys) {
        // Before anything is sent: a device without its keys is left as it came.
        if (devEui.isEmpty()) {
            outcome.step = Outcome::KeyList;
            outcome.reason = tr("the device reports no DevEUI, so no keys can be chosen");
            return outcome;
        }
        if (!m_keys.contains(devEui)) {
            outcome.step = Outcome::KeyList;
            outcome.reason = tr("DevEUI %1 is not in the key list").arg(devEuiText(devEui));
            return outcome;
        }
    }

    // Each step's boxes (the file's, the device's, the question's) explain its failure.
    const auto boxes = [&session] { return boxTexts(session.lastOutcome().boxTexts()); };
    // The file's own records are written, as they stand: never a page's editors.
    OrvParamList records;
    QVector<FamilyModel::LeftOut> leftOut;
    const int read = session.readConfigRecords(m_configPath, &records, &leftOut);
    if (read < 1) {
        outcome.step = Outcome::File;
        outcome.reason = stageReason(
            read == 0 ? tr("configuration file refused") : tr("configuration file not read"), boxes());
        return outcome;
    }
    // A value the device can't take fails the device before anything is sent to it.
    const FamilyModel::Checked checked = FamilyModel::check(records, session.kivType());
    if (!checked.ok()) {
        outcome.step = Outcome::Invalid;
        outcome.reason = stageReason(tr("configuration refused, nothing written"), checked.refusedText());
        return outcome;
    }
    const OrvParamList &written = checked.accepted;
    const QString leftOutNote = FamilyModel::leftOutText(leftOut);

    outcome.written = true;
    // A roll-out never asks: what changed goes into the device's line and row instead.
    const DeviceSession::ConfirmWrite pageConfirmation = session.writeConfirmation();
    session.setWriteConfirmation({});
    const int writeResult = session.writeConfiguration(written);
    session.setWriteConfirmation(pageConfirmation);
    if (writeResult != 0) {
        outcome.step = Outcome::Write;
        outcome.noAnswer = session.lastWriteStop() != DeviceSession::WriteStop::BackupFailed;
        outcome.reason = stageReason(session.lastWriteStop() == DeviceSession::WriteStop::BackupFailed
                                         ? tr("backup failed, nothing written")
                                         : tr("write failed"),
                                     boxes());
        return outcome;
    }
    QStringList refused;
    for (const ApplyResult &r : session.lastApplyResults()) {
        if (r.id == 0 || !r.refused)
            continue;
        const QString name = session.tables().name(r.id);
        const QString why = session.tables().error(r.id);
        refused << QStringLiteral("%1 (%2): %3")
                       .arg(name.isEmpty() ? tr("Unknown parameter") : name)
                       .arg(r.id)
                       .arg(why.isEmpty() ? tr("failed") : why);
    }
    if (!refused.isEmpty()) {
        outcome.step = Outcome::Refused;
        outcome.reason = stageReason(tr("parameters refused"), refused.join(kReasonSeparator));
        return outcome;
    }

    if (m_verify) {
        if (session.load(Protocol::kLoadTimeoutMs) < 0) {
            outcome.step = Outcome::ReadBack;
            outcome.noAnswer = true;
            outcome.reason = stageReason(tr("read-back failed"), boxes());
            return outcome;
        }
        const QVector<Mismatch> mismatches = compare(written, session.params(), session.tables());
        session.clearParams();
        if (!mismatches.isEmpty()) {
            outcome.step = Outcome::Mismatch;
            QStringList names;
            for (const Mismatch &m : mismatches)
                names << describe(m, session.tables());
            outcome.reason = stageReason(tr("read-back differs"), names.join(kReasonSeparator));
            return outcome;
        }
    }

    if (withKeys) {
        // The keys were chosen by the DevEUI read at identification: one corrupted read must
        // not give this device another one's keys, so the device is asked again first.
        QByteArray again;
        if (!session.rereadIdentifier(&again)) {
            outcome.step = Outcome::Keys;
            outcome.noAnswer = true;
            outcome.reason =
                stageReason(tr("keys not written"), tr("the device did not tell its DevEUI again"));
            return outcome;
        }
        if (again != devEui) {
            outcome.step = Outcome::Keys;
            outcome.reason = stageReason(tr("keys not written"),
                                         tr("the DevEUI read again (%1) differs from the one identified (%2)")
                                             .arg(devEuiText(again), devEuiText(devEui)));
            return outcome;
        }
        const LoRaWanKeys::Keys keys = m_keys.keys(devEui);
        const LoRaWanKeys::WriteResult result = LoRaWanKeys::write(session, keys.appEui, keys.appKey);
        if (result.outcome != LoRaWanKeys::WriteResult::Accepted) {
            outcome.step = Outcome::Keys;
            outcome.noAnswer = result.outcome == LoRaWanKeys::WriteResult::NoAnswer;
            QStringList why;
            for (const LoRaWanKeys::KeyResult &k : result.keys) {
                if (k.refused)
                    why << LoRaWanKeys::refusalText(k.id);
            }
            const QString details = why.isEmpty() ? boxes() : why.join(kReasonSeparator);
            outcome.reason = stageReason(tr("keys not written"), details);
            return outcome;
        }
    }
    outcome.successful = true;
    // The log line and the record say what the write changed on this device.
    outcome.changes = session.lastChanges();
    const QString changed = outcome.changes.isEmpty()
                                ? tr("nothing changed")
                                : tr("changed: %1").arg(ConfigDiff::summary(outcome.changes));
    outcome.reason = leftOutNote.isEmpty() ? changed : leftOutNote + kReasonSeparator + changed;
    return outcome;
}

ProvisioningRecord::Row Run::row(const DeviceSession &session, const Outcome &outcome) const
{
    ProvisioningRecord::Row r;
    QDateTime now = Clock::now().toUTC();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second())); // whole seconds
    r.time = now;
    r.devEui = devEuiText(session.identifier());
    r.identity = session.identityText();
    r.deviceRevision = Catalog::versionText(session.orvRev(), true);
    r.moduleRevision = Catalog::versionText(session.kivRev(), Catalog::kivRevThreePart(session.kivType()));
    r.configFile = QFileInfo(m_configPath).fileName();
    r.configSha256 = outcome.configSha256;
    r.successful = outcome.successful;
    r.reason = outcome.reason;
    return r;
}

} // namespace Provisioning

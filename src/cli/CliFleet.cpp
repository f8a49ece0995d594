#include "cli/CliFleet.h"

#include "cli/ExitCodes.h"
#include "cli/CliHelp.h"
#include "device/session/DeviceSession.h"

#include <QCoreApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace Cli {

namespace {
const QString kVerify = QStringLiteral("verify");
const QString kRecord = QStringLiteral("record");
const QString kKeysCsv = QStringLiteral("keys-csv");

/// The exit code of a device: told by the cause (a device that stopped answering is "no
/// device" at any step), then by the step where it stopped.
int exitCode(const Provisioning::Outcome &outcome)
{
    if (outcome.noAnswer)
        return kNoDevice;
    switch (outcome.step) {
    case Provisioning::Outcome::Done:
        return kOk;
    case Provisioning::Outcome::File:
    case Provisioning::Outcome::Invalid:
        return kFileError;
    case Provisioning::Outcome::Write:
    case Provisioning::Outcome::ReadBack:
        return kNoDevice;
    default:
        return kIncomplete;
    }
}

/// Whether path is a file that can be opened for reading.
bool canOpen(const QString &path)
{
    QFile f(path);
    return QFileInfo(path).isFile() && f.open(QIODevice::ReadOnly);
}
} // namespace

void FleetApply::addOptions(QCommandLineParser &p)
{
    p.addOption({kVerify, QStringLiteral("read the configuration back and compare")});
    p.addOption({kRecord, QStringLiteral("provisioning record"), QStringLiteral("FILE.csv")});
    p.addOption({kKeysCsv, QStringLiteral("key list"), QStringLiteral("FILE")});
}

int FleetApply::prepare(const QCommandLineParser &p, const QString &cmd, QTextStream &err)
{
    m_active = p.isSet(kVerify) || p.isSet(kRecord) || p.isSet(kKeysCsv);
    if (!m_active)
        return kOk;
    if (cmd != QLatin1String("apply"))
        return usage(err, QCoreApplication::translate(
                              "Cli", "--verify, --record and --keys-csv are options of device apply"));
    m_run.setVerify(p.isSet(kVerify));

    if (p.isSet(kKeysCsv)) {
        KeyList keys;
        QString why;
        const QString path = p.value(kKeysCsv);
        if (!keys.load(path, &why)) {
            err << "pelm-cli: " << QCoreApplication::translate("Cli", "nothing written: %1").arg(why) << '\n';
            // Told by the file, not by the reason's text (which is in the user's language).
            return canOpen(path) ? kIncomplete : kFileError;
        }
        m_run.setKeyList(keys);
    }

    if (p.isSet(kRecord)) {
        const QString path = p.value(kRecord);
        QString why;
        if (!m_record.open(path, &why)) {
            err << "pelm-cli: " << QCoreApplication::translate("Cli", "nothing written: %1").arg(why) << '\n';
            return kFileError;
        }
        // A device the record already shows as provisioned is flagged when it comes again.
        QFile f(path);
        QVector<ProvisioningRecord::Row> rows;
        if (f.open(QIODevice::ReadOnly) && ProvisioningRecord::parse(f.readAll(), &rows, nullptr)) {
            for (const ProvisioningRecord::Row &r : rows) {
                if (r.successful)
                    m_run.addProvisioned(QByteArray::fromHex(r.devEui.toLatin1()));
            }
        }
    }
    return kOk;
}

int FleetApply::run(DeviceSession &session, const QString &file, QTextStream &out, QTextStream &err)
{
    m_run.setConfigFile(file);
    const Provisioning::Outcome outcome = m_run.provision(session);
    if (outcome.written) {
        for (const ApplyResult &r : session.lastApplyResults()) {
            if (r.id == 0)
                continue; // padding of a frame's group of 8
            const QString name = session.tables().name(r.id);
            out << (r.refused ? "REFUSED  " : "accepted ") << r.id << ' '
                << (name.isEmpty() ? QStringLiteral("(unknown parameter)") : name);
            if (r.refused) {
                const QString why = session.tables().error(r.id);
                out << ": " << (why.isEmpty() ? QStringLiteral("failed") : why);
            }
            out << '\n';
        }
    }
    if (!m_active) {
        // A plain apply prints the parameters' lines only; what else there is to know goes to
        // standard error (the device's boxes are there already).
        if (outcome.step == Provisioning::Outcome::Invalid || outcome.step == Provisioning::Outcome::Done) {
            if (!outcome.reason.isEmpty())
                err << "pelm-cli: " << outcome.reason << '\n';
        }
        return exitCode(outcome);
    }
    out << Catalog::brand() << '-' << Catalog::typeName(session.orvType()) << " - "
        << ProvisioningRecord::resultText(outcome.successful);
    if (!session.identifier().isEmpty())
        out << " - DevEUI " << Provisioning::devEuiText(session.identifier());
    if (!outcome.reason.isEmpty())
        out << ": " << outcome.reason;
    out << '\n';

    int rc = exitCode(outcome);
    if (m_record.isOpen()) {
        QString why;
        if (!m_record.append(m_run.row(session, outcome), &why)) {
            err << "pelm-cli: " << why << '\n';
            if (rc == kOk)
                rc = kFileError;
        }
    }
    return rc;
}

} // namespace Cli

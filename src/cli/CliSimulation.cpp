#include "cli/CliSimulation.h"

#include "device/protocol/Protocol.h"
#include "sim/SimBle.h"
#include "sim/SimBootloaders.h"
#include "sim/SimUsbHid.h"
#include "update/SegmentStore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>

namespace {

/// Writes the store as S3 records of 16 bytes (what the simulated XCP target was given).
bool writeSRecords(const SegmentStore &store, const QString &path)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray text;
    for (int i = 0; i < store.segmentCount(); ++i) {
        quint32 base = 0;
        quint32 length = 0;
        const quint8 *data = store.segment(i, &base, &length);
        text +=
            SRecord::s3Records(base, QByteArray(reinterpret_cast<const char *>(data), int(length)), 16, "\n");
    }
    return f.write(text) == text.size() && f.commit();
}

} // namespace

namespace Cli {

Simulation::~Simulation()
{
    if (m_installed) {
        SimUsbHid::uninstall();
        uninstallSimBle();
    }
}

void Simulation::addOptions(QCommandLineParser &p)
{
    p.addOption({QStringLiteral("simulate"), QStringLiteral("simulated device")});
    p.addOption({QStringLiteral("sim-state"), QStringLiteral("simulator state"), QStringLiteral("FILE")});
    p.addOption({QStringLiteral("sim-fault"), QStringLiteral("simulator fault"), QStringLiteral("SPEC")});
    p.addOption({QStringLiteral("sim-refuse"), QStringLiteral("refused id"), QStringLiteral("ID")});
    p.addOption(
        {QStringLiteral("sim-schedule"), QStringLiteral("simulated cable events"), QStringLiteral("EVENTS")});
}

QStringList Simulation::optionNames()
{
    return {QStringLiteral("sim-state"), QStringLiteral("sim-fault"), QStringLiteral("sim-refuse"),
            QStringLiteral("sim-schedule")};
}

bool Simulation::anySet(const QCommandLineParser &p, const QStringList &names)
{
    for (const QString &name : names) {
        if (p.isSet(name))
            return true;
    }
    return false;
}

bool Simulation::setUp(const QCommandLineParser &p, QTextStream &err)
{
    m_statePath = p.value(QStringLiteral("sim-state"));
    if (!m_statePath.isEmpty() && QFile::exists(m_statePath) && !loadState(err))
        return false;
    for (const QString &id : p.values(QStringLiteral("sim-refuse"))) {
        bool ok = false;
        const int n = id.toInt(&ok);
        if (!ok || n < 0 || n > 63) {
            err << "pelm-cli: "
                << QCoreApplication::translate("Cli", "--sim-refuse takes a parameter id from 0 to 63")
                << '\n';
            return false;
        }
        m_device.setRefused(quint8(n));
    }
    if (p.isSet(QStringLiteral("sim-fault")) && !setFault(p.value(QStringLiteral("sim-fault")), err))
        return false;
    if (p.isSet(QStringLiteral("sim-schedule")) && !setSchedule(p.value(QStringLiteral("sim-schedule")), err))
        return false;
    SimUsbHid::install(&m_device);
    installSimBle(&m_device);
    m_installed = true;
    return true;
}

void Simulation::followSchedule(qint64 elapsedMs)
{
    while (!m_schedule.isEmpty() && m_schedule.first().atMs <= elapsedMs)
        m_device.setPlugged(m_schedule.takeFirst().plugged);
}

bool Simulation::saveState(QTextStream &err)
{
    if (m_statePath.isEmpty())
        return true;
    QJsonObject params;
    for (auto it = m_device.params().cbegin(); it != m_device.params().cend(); ++it)
        params.insert(QString::number(it.key()), QString::fromLatin1(it.value().toHex()));
    QSaveFile f(m_statePath);
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(QJsonDocument(QJsonObject{{QStringLiteral("params"), params}}).toJson()) < 0 || !f.commit()) {
        err << QCoreApplication::translate("Cli", "Can't write file '%1'!").arg(m_statePath) << '\n';
        return false;
    }
    return true;
}

bool Simulation::loadState(QTextStream &err)
{
    QFile f(m_statePath);
    const QJsonObject params = f.open(QIODevice::ReadOnly)
                                   ? QJsonDocument::fromJson(f.readAll()).object().value("params").toObject()
                                   : QJsonObject();
    if (params.isEmpty()) {
        err << "pelm-cli: "
            << QCoreApplication::translate("Cli", "the simulator state file '%1' can't be read")
                   .arg(m_statePath)
            << '\n';
        return false;
    }
    for (auto it = params.constBegin(); it != params.constEnd(); ++it)
        m_device.setParam(quint8(it.key().toInt()), QByteArray::fromHex(it.value().toString().toLatin1()));
    return true;
}

bool Simulation::setFault(const QString &spec, QTextStream &err)
{
    // KIND[:ARG][@load|@write|@defaults]
    static const QMap<QString, int> scopes = {
        {QStringLiteral("load"), 4}, {QStringLiteral("write"), 0}, {QStringLiteral("defaults"), 3}};
    const QString scope = spec.section('@', 1);
    const QString body = spec.section('@', 0, 0);
    const QString name = body.section(':', 0, 0);
    bool ok = scope.isEmpty() || scopes.contains(scope);
    const int arg = body.contains(':') ? body.section(':', 1).toInt(&ok) : 0;
    static const QMap<QString, SimFault::Kind> kinds = {
        {QStringLiteral("unplugged"), SimFault::Unplugged},
        {QStringLiteral("silent"), SimFault::Silent},
        {QStringLiteral("wrong-link-code"), SimFault::WrongLinkCode},
        {QStringLiteral("not-acknowledged"), SimFault::NotAcknowledged},
        {QStringLiteral("device-error"), SimFault::DeviceError},
        {QStringLiteral("truncated-load"), SimFault::TruncatedElement},
        {QStringLiteral("corrupted-load"), SimFault::CorruptedElement},
        {QStringLiteral("unplug-after"), SimFault::UnplugAfterRequests},
        {QStringLiteral("stores-other-value"), SimFault::StoresOtherValue},
    };
    if (!ok || (!kinds.contains(name) && name != QLatin1String("no-access"))) {
        err << "pelm-cli: " << QCoreApplication::translate("Cli", "unknown --sim-fault '%1'").arg(spec)
            << '\n';
        return false;
    }
    if (name == QLatin1String("no-access") && scope.isEmpty() && !body.contains(':')) {
        SimUsbHid::setAccessDenied(true); // listed, but its device node refuses this user
        return true;
    }
    const SimFault::Kind kind = kinds.value(name);
    SimFault fault(kind, arg);
    if (!scope.isEmpty())
        fault = fault.onAction(scopes.value(scope));
    if (kind == SimFault::Unplugged && scope.isEmpty())
        m_device.setPlugged(false);
    else
        m_device.setFault(fault);
    return true;
}

bool Simulation::setSchedule(const QString &spec, QTextStream &err)
{
    // unplug@MS|plug@MS[,...]
    m_schedule.clear();
    for (const QString &event : spec.split(',')) {
        const QString what = event.section('@', 0, 0);
        bool isNumber = false;
        const qint64 atMs = event.section('@', 1).toLongLong(&isNumber);
        const bool known = what == QLatin1String("plug") || what == QLatin1String("unplug");
        if (event.count('@') != 1 || !known || !isNumber || atMs < 0) {
            err << "pelm-cli: " << QCoreApplication::translate("Cli", "unknown --sim-schedule '%1'").arg(spec)
                << '\n';
            return false;
        }
        m_schedule.append({atMs, what == QLatin1String("plug")});
    }
    std::stable_sort(m_schedule.begin(), m_schedule.end(),
                     [](const CableEvent &a, const CableEvent &b) { return a.atMs < b.atMs; });
    return true;
}

} // namespace Cli

bool Cli::setUpSimBootloaders(const QCommandLineParser &p, SimDevice &device, QTextStream &err)
{
    SimBootloaders &boot = device.bootloaders();
    const auto bad = [&err](const QString &option, const QString &item) {
        err << "pelm-cli: " << QCoreApplication::translate("Cli", "unknown %1 item '%2'").arg(option, item)
            << '\n';
        return false;
    };
    // N or NxK
    const auto countSpec = [](const QString &text, int *n, int *times) {
        bool ok1 = false;
        bool ok2 = true;
        *n = text.section('x', 0, 0).toInt(&ok1);
        *times = text.contains('x') ? text.section('x', 1).toInt(&ok2) : 1;
        return ok1 && ok2 && *n >= 0 && *times > 0;
    };
    SimYmodemReceiver::Faults faults;
    // "waiting": the main controller is in its YMODEM bootloader from the start (an update of
    // it was stopped); for --sim-xcp the controller of --target is in its XCP bootloader.
    bool ymodemWaiting = false;
    bool xcpWaiting = false;
    for (const QString &item : p.value(QStringLiteral("sim-ymodem")).split(',', Qt::SkipEmptyParts)) {
        const QString name = item.section(':', 0, 0);
        const QString arg = item.section(':', 1);
        if (name == QLatin1String("waiting"))
            ymodemWaiting = true;
        else if (name == QLatin1String("silent"))
            faults.silent = true;
        else if (name == QLatin1String("ack-first-eot"))
            faults.ackFirstEot = true;
        else if (name == QLatin1String("restores-defaults"))
            device.setUpdateRestoresDefaults(true);
        else if (name == QLatin1String("drop") &&
                 countSpec(arg, &faults.dropAnswerBlock, &faults.dropAnswerTimes))
            continue;
        else if (name == QLatin1String("nak") && countSpec(arg, &faults.nakBlock, &faults.nakTimes))
            continue;
        else
            return bad(QStringLiteral("--sim-ymodem"), item);
    }
    boot.ymodem().setFaults(faults);
    if (p.isSet(QStringLiteral("sim-ymodem-peer")))
        boot.setYmodemPeer(p.value(QStringLiteral("sim-ymodem-peer")), QDir::currentPath());

    SimXcpTarget::Config config;
    for (const QString &item : p.value(QStringLiteral("sim-xcp")).split(',', Qt::SkipEmptyParts)) {
        const QString name = item.section(':', 0, 0);
        const QString arg = item.section(':', 1);
        bool ok = true;
        if (name == QLatin1String("waiting"))
            xcpWaiting = true;
        else if (name == QLatin1String("protected"))
            config.protectedPgm = true;
        else if (name == QLatin1String("motorola"))
            config.motorola = true;
        else if (name == QLatin1String("require-encrypted"))
            config.requireEncrypted = true;
        else if (name == QLatin1String("silent"))
            config.silent = true;
        else if (name == QLatin1String("unknown"))
            config.unknownConnects = arg.toInt(&ok);
        else if (name == QLatin1String("drop"))
            config.dropAnswerAt = arg.toInt(&ok);
        else if (name == QLatin1String("max-cto-pgm")) {
            const int n = arg.toInt(&ok);
            ok = ok && n >= 4 && n <= 255;
            config.maxCtoPgm = quint8(n);
        } else if (name == QLatin1String("seed")) {
            config.seed = QByteArray::fromHex(arg.toLatin1());
            ok = !config.seed.isEmpty();
        } else
            ok = false;
        if (!ok)
            return bad(QStringLiteral("--sim-xcp"), item);
    }
    boot.xcp().setConfig(config);
    boot.xcp().reset();
    if (ymodemWaiting)
        boot.restartInto(Protocol::kTagDevice, SimBootloaders::kKindYmodem);
    else if (xcpWaiting)
        boot.restartInto(p.value(QStringLiteral("target")) == QLatin1String("ble-module")
                             ? Protocol::kTagBleModule
                             : Protocol::kTagDevice,
                         SimBootloaders::kKindXcp);
    return true;
}

bool Cli::writeSimImage(SimDevice &device, const QString &path, QTextStream &err)
{
    SimBootloaders &boot = device.bootloaders();
    bool ok = false;
    if (!boot.restarts().isEmpty() && boot.restarts().last().second == SimBootloaders::kKindXcp) {
        ok = writeSRecords(boot.xcp().memory(), path);
    } else {
        QSaveFile f(path);
        const QByteArray bytes = boot.ymodem().file();
        ok = f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit();
    }
    if (!ok)
        err << QCoreApplication::translate("Cli", "Can't write file '%1'!").arg(path) << '\n';
    return ok;
}

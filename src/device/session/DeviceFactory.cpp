#include "device/session/DeviceFactory.h"

#include "common/Logging.h"
#include "device/model/Catalog.h"
#include "device/family/FamilyParams.h"
#include "links/Comm.h"
#include "links/CommBle.h"
#include "links/CommUsbHid.h"

#include <QCoreApplication>

namespace DeviceFactory {

namespace {

/// A device the default USB factory found plugged in but could not open, during the probe
/// that runs; the probe clears it before it asks the factory.
UsbHidDevice g_usbRefused;

Comm *openUsbHid()
{
    auto *comm = new CommUsbHid;
    if (!comm->openFirst()) {
        g_usbRefused = comm->refused();
        delete comm;
        return nullptr;
    }
    return comm;
}

UsbTransportFactory &usbFactory()
{
    static UsbTransportFactory f = openUsbHid;
    return f;
}

Comm *newCommBle(const QString &address)
{
    return new CommBle(address);
}

BleTransportFactory &bleFactory()
{
    static BleTransportFactory f = newCommBle;
    return f;
}

int g_usbAttempts = 0;
/// An unknown device was reported on USB and has not been unplugged since: the poll finds it
/// again every 500 ms, and one box per plug-in is enough.
bool g_usbUnknownReported = false;

Reporter &pick(Reporter *rep)
{
    return rep ? *rep : reporter();
}

void showUnknown(const DeviceInfo &info, QObject *parent, Reporter &rep)
{
    rep.information(Catalog::unknownDeviceTitle(), Catalog::unknownDeviceText(info.identity()), parent);
}

/// No device was found on USB, and logged so: the poll that keeps finding none says it once.
bool g_usbNothingLogged = false;

/// The path of the device last reported as plugged in but not to be opened (empty: none).
QByteArray g_usbRefusedReported;

/// Tells, once per plug-in, that a device is there but can't be opened; takes the message
/// back once it no longer holds (the device is gone or opens).
void reportRefused(const UsbHidDevice &refused, Reporter &rep)
{
    if (refused.path == g_usbRefusedReported)
        return;
    g_usbRefusedReported = refused.path;
    rep.status(refused.isNull() ? QString() : noAccessText(refused), 0);
}

/// One "pelm.session" line per probe (with nothingLogged, "no device" only once in a row).
void logProbe(const QString &where, const Probe &probe, bool *nothingLogged = nullptr)
{
    static const char *const kOutcomes[] = {"no device", "busy", "no identification", "unknown device",
                                            "accepted"};
    const bool nothing = probe.outcome == ProbeOutcome::NoDevice;
    if (nothingLogged) {
        if (nothing && *nothingLogged)
            return;
        *nothingLogged = nothing;
    }
    QString line = where + QStringLiteral(" probe: ") + QLatin1String(kOutcomes[int(probe.outcome)]);
    if (!probe.usbRefused.isNull())
        line += QStringLiteral(", %1 at %2 can't be opened")
                    .arg(probe.usbRefused.ids(), QString::fromLocal8Bit(probe.usbRefused.path));
    if (probe.outcome == ProbeOutcome::Unknown || probe.outcome == ProbeOutcome::Accepted)
        line += QStringLiteral(", type %1 rev 0x%2, module %3 rev 0x%4")
                    .arg(probe.info.orvType)
                    .arg(probe.info.orvRev, 4, 16, QLatin1Char('0'))
                    .arg(probe.info.kivType)
                    .arg(probe.info.kivRev, 4, 16, QLatin1Char('0'));
    qCDebug(lcSession).noquote() << line;
}

DeviceSession *makeSession(Probe &probe, const SessionCreator &creator)
{
    if (probe.outcome != ProbeOutcome::Accepted)
        return nullptr;
    return creator ? creator(std::move(probe.transport), probe.info)
                   : createPlainSession(std::move(probe.transport), probe.info);
}

} // namespace

void setUsbTransportFactory(UsbTransportFactory factory)
{
    usbFactory() = factory ? std::move(factory) : UsbTransportFactory(openUsbHid);
}

void setBleTransportFactory(BleTransportFactory factory)
{
    bleFactory() = factory ? std::move(factory) : BleTransportFactory(newCommBle);
}

int usbAttemptCounter()
{
    return g_usbAttempts;
}

void resetUsbAttemptCounter()
{
    g_usbAttempts = 0;
    g_usbUnknownReported = false;
    g_usbRefusedReported.clear();
}

QString noAccessText(const UsbHidDevice &device)
{
    return QCoreApplication::translate("DeviceFactory",
                                       "A device is plugged in, but this user may not open it: %1 (USB %2). "
                                       "Install the device rules %3 (the package does), then unplug the "
                                       "device and plug it in again.")
        .arg(QString::fromLocal8Bit(device.path), device.ids(), QLatin1String(kUdevRulesFile));
}

DeviceSession *createPlainSession(std::unique_ptr<Comm> transport, const DeviceInfo &info)
{
    DeviceSession *s = transport ? new DeviceSession(transport.release(), info)
                                 : new DeviceSession(info.orvType, info.orvRev, info.kivType);
    FamilyParams::registerThermocouple(s->tables(), info.kivType);
    return s;
}

Probe probeUsb(QObject *parent, Reporter *rep)
{
    Probe probe;
    DeviceBusyGuard guard;
    if (!guard.acquired()) {
        probe.outcome = ProbeOutcome::Busy;
        return probe;
    }
    Reporter &messages = pick(rep);

    g_usbRefused = UsbHidDevice();
    probe.transport.reset(usbFactory() ? usbFactory()() : nullptr);
    if (!probe.transport) {
        g_usbAttempts = 0;
        g_usbUnknownReported = false;
        probe.outcome = ProbeOutcome::NoDevice;
        probe.usbRefused = g_usbRefused;
        reportRefused(probe.usbRefused, messages);
        return probe;
    }
    reportRefused(UsbHidDevice(), messages);

    if (const auto *usb = dynamic_cast<const CommUsbHid *>(probe.transport.get())) {
        probe.usbVendorId = usb->vendorId();
        probe.usbProductId = usb->productId();
        probe.usbPath = usb->path();
    }

    const bool showErrors = g_usbAttempts >= kUsbSilentAttempts;
    g_usbAttempts = showErrors ? 0 : g_usbAttempts + 1;

    Protocol protocol(probe.transport.get(), &messages, parent);
    if (!protocol.identify(&probe.info, showErrors)) {
        probe.transport.reset();
        probe.outcome = ProbeOutcome::Failed;
        return probe;
    }
    // A device that answered starts the count of consecutive failures again.
    g_usbAttempts = 0;
    if (!Catalog::isAccepted(probe.info.orvType, probe.info.orvRev, probe.info.kivType)) {
        if (!g_usbUnknownReported)
            showUnknown(probe.info, parent, messages);
        g_usbUnknownReported = true;
        probe.transport.reset();
        probe.outcome = ProbeOutcome::Unknown;
        return probe;
    }
    g_usbUnknownReported = false;
    probe.outcome = ProbeOutcome::Accepted;
    return probe;
}

Probe probeBle(const QString &address, QObject *parent, Reporter *rep)
{
    Probe probe;
    DeviceBusyGuard guard;
    if (!guard.acquired()) {
        probe.outcome = ProbeOutcome::Busy;
        return probe;
    }
    Reporter &messages = pick(rep);

    probe.transport.reset(bleFactory() ? bleFactory()(address) : nullptr);
    if (!probe.transport || !probe.transport->open()) {
        probe.transport.reset();
        probe.outcome = ProbeOutcome::NoDevice;
        return probe;
    }

    for (int attempt = 1; attempt <= kBleAttempts; ++attempt) {
        Protocol protocol(probe.transport.get(), &messages, parent);
        if (!protocol.identify(&probe.info, attempt == kBleAttempts))
            continue;
        if (!Catalog::isAccepted(probe.info.orvType, probe.info.orvRev, probe.info.kivType)) {
            showUnknown(probe.info, parent, messages);
            probe.transport.reset();
            probe.outcome = ProbeOutcome::Unknown;
            return probe;
        }
        probe.outcome = ProbeOutcome::Accepted;
        return probe;
    }
    probe.transport.reset();
    probe.outcome = ProbeOutcome::Failed;
    return probe;
}

DeviceSession *connectUsb(bool *failed, QObject *parent, const SessionCreator &create, Reporter *rep)
{
    Probe probe = probeUsb(parent, rep);
    logProbe(QStringLiteral("USB"), probe, &g_usbNothingLogged);
    if (failed)
        *failed = probe.outcome == ProbeOutcome::Failed;
    return makeSession(probe, create);
}

DeviceSession *connectBle(const QString &address, QObject *parent, const SessionCreator &create,
                          Reporter *rep)
{
    Probe probe = probeBle(address, parent, rep);
    logProbe(QStringLiteral("BLE ") + address, probe);
    return makeSession(probe, create);
}

DeviceSession *createOffline(int orvType, int orvRev, int kivType, const SessionCreator &create)
{
    if (!Catalog::isAccepted(orvType, orvRev, kivType))
        return nullptr;
    DeviceInfo info;
    info.orvType = orvType;
    info.orvRev = orvRev;
    info.kivType = kivType;
    return create ? create(nullptr, info) : createPlainSession(nullptr, info);
}

} // namespace DeviceFactory

#include "sim/SimBle.h"
#include "device/protocol/Protocol.h"
#include "common/Bytes.h"

#include "sim/SimBootloaders.h"
#include "sim/SimDevice.h"

#include <QPointer>
#include <QQueue>
#include <QSet>
#include <QTimer>

#include <memory>

namespace {

/// How often a connected controller looks whether the device was unplugged.
constexpr int kPlugPollMs = 50;
/// How often the scanner reports a new RSSI of a device already reported.
constexpr int kRssiUpdateMs = 1000;
/// The RSSI wanders by up to this much around the configured value, in dBm.
constexpr int kRssiSwingDbm = 2;
/// Request header: link code, command, payload length (little-endian).
constexpr int kRequestHeaderBytes = Protocol::kHeaderSize;
/// How long a controller takes to restart (the link drops then).
constexpr int kRestartMs = 50;
/// A YMODEM bootloader waiting for a transfer asks for one again this often.
constexpr int kYmodemAskAgainMs = 1000;

QBluetoothUuid configServiceUuid()
{
    return QBluetoothUuid(QString::fromLatin1(BleGatt::kConfigServiceUuid));
}

QBluetoothUuid dataCharacteristicUuid()
{
    return QBluetoothUuid(QString::fromLatin1(BleGatt::kDataCharacteristicUuid));
}

QBluetoothUuid cccdUuid()
{
    return QBluetoothUuid(QBluetoothUuid::ClientCharacteristicConfiguration);
}

class SimBleController;

class SimBleService : public BleService
{
public:
    SimBleService(SimBleController *controller, const QBluetoothUuid &uuid, QObject *parent);

    QBluetoothUuid serviceUuid() const override { return m_uuid; }
    QLowEnergyService::ServiceState state() const override { return m_state; }
    void discoverDetails() override;
    QList<BleCharacteristic> characteristics() const override;
    void writeCharacteristic(const BleCharacteristic &characteristic, const QByteArray &value,
                             QLowEnergyService::WriteMode mode) override;
    void writeDescriptor(const BleDescriptor &descriptor, const QByteArray &value) override;

    bool isConfigService() const { return m_uuid == configServiceUuid(); }

    /// The link dropped: the service object is dead for good.
    void invalidate() { setState(QLowEnergyService::InvalidService); }

    /// A notification of the data characteristic.
    void notify(const QByteArray &value)
    {
        if (m_state == QLowEnergyService::ServiceDiscovered && isConfigService())
            emit characteristicChanged(dataCharacteristic(), value);
    }

    static BleCharacteristic dataCharacteristic() { return {dataCharacteristicUuid(), {cccdUuid()}}; }

private:
    void setState(QLowEnergyService::ServiceState state)
    {
        if (m_state == state)
            return;
        m_state = state;
        emit stateChanged(state);
    }

    QPointer<SimBleController> m_controller;
    QBluetoothUuid m_uuid;
    QLowEnergyService::ServiceState m_state = QLowEnergyService::DiscoveryRequired;
};

class SimBleController : public BleController
{
public:
    SimBleController(SimBleBackend *backend, const QBluetoothDeviceInfo &remote, QObject *parent)
        : BleController(parent), m_backend(backend), m_remote(remote.address()),
          m_device(backend->deviceAt(remote.address()))
    {
        m_plugPoll.setInterval(kPlugPollMs);
        connect(&m_plugPoll, &QTimer::timeout, this, [this] {
            if (!m_device->isPlugged())
                dropLink();
        });
        connect(&m_sendTimer, &QTimer::timeout, this, [this] {
            sendNextNotification();
            if (m_pending.isEmpty())
                m_sendTimer.stop();
        });
        m_askAgain.setInterval(kYmodemAskAgainMs);
        connect(&m_askAgain, &QTimer::timeout, this, [this] {
            if (linkUp() && m_notify)
                notifyBytes(m_device->bootloaders().idleDeviceBytes());
        });
    }

    QLowEnergyController::ControllerState state() const override { return m_state; }
    QLowEnergyController::Error error() const override { return m_error; }
    QString errorString() const override
    {
        return m_error == QLowEnergyController::NoError ? QString()
                                                        : QStringLiteral("The remote device does not answer");
    }

    void connectToDevice() override
    {
        if (m_state != QLowEnergyController::UnconnectedState)
            return;
        m_error = QLowEnergyController::NoError;
        setState(QLowEnergyController::ConnectingState);
        QTimer::singleShot(0, this, [this] { finishConnect(); });
    }

    void disconnectFromDevice() override
    {
        if (m_state == QLowEnergyController::UnconnectedState)
            return;
        if (m_state == QLowEnergyController::ConnectingState) {
            setState(QLowEnergyController::UnconnectedState);
            return;
        }
        setState(QLowEnergyController::ClosingState);
        QTimer::singleShot(0, this, [this] { dropLink(); });
    }

    void discoverServices() override
    {
        if (m_state != QLowEnergyController::ConnectedState)
            return;
        setState(QLowEnergyController::DiscoveringState);
        QTimer::singleShot(0, this, [this] {
            if (m_state != QLowEnergyController::DiscoveringState)
                return;
            m_discovered = {QBluetoothUuid(QBluetoothUuid::GenericAccess), configServiceUuid()};
            for (const QBluetoothUuid &uuid : qAsConst(m_discovered))
                emit serviceDiscovered(uuid);
            setState(QLowEnergyController::DiscoveredState);
            emit discoveryFinished();
        });
    }

    BleService *createServiceObject(const QBluetoothUuid &service, QObject *parent) override
    {
        if (!m_discovered.contains(service))
            return nullptr;
        auto *s = new SimBleService(this, service, parent);
        m_services.append(s);
        return s;
    }

    void requestConnectionUpdate(const QLowEnergyConnectionParameters &parameters) override
    {
        if (!linkUp())
            return;
        // The device accepts whatever is asked.
        QTimer::singleShot(0, this, [this, parameters] {
            if (linkUp())
                emit connectionUpdated(parameters);
        });
    }

    bool linkUp() const
    {
        return m_state == QLowEnergyController::ConnectedState ||
               m_state == QLowEnergyController::DiscoveringState ||
               m_state == QLowEnergyController::DiscoveredState;
    }

    void setNotificationsEnabled(bool enabled)
    {
        m_notify = enabled;
        if (enabled)
            pushBootloaderBytes();
    }

    /// One write of the data characteristic: a length-byte frame carrying request bytes.
    void receiveFrame(const QByteArray &frame)
    {
        if (!linkUp())
            return;
        SimDevice *device = m_device;
        if (!device->isPlugged()) {
            dropLink();
            return;
        }
        if (frame.isEmpty() || quint8(frame.at(0)) != frame.size() - 1)
            return; // a broken frame: the device ignores it
        SimBootloaders &boot = device->bootloaders();
        if (boot.mode() == SimBootloaders::Mode::Xcp) {
            // One XCP packet per frame, behind its length byte; the answer goes back the same way.
            const QByteArray body = frame.mid(1);
            QByteArray answer;
            if (!body.isEmpty() && quint8(body.at(0)) == body.size() - 1 &&
                boot.xcpPacket(body.mid(1), &answer))
                queueNotification(char(answer.size() + 1) + (char(answer.size()) + answer));
            followRestart();
            return;
        }
        if (boot.hostBytes(frame.mid(1))) {
            pushBootloaderBytes();
            followRestart();
            return;
        }
        m_request.append(frame.mid(1));
        while (m_request.size() >= kRequestHeaderBytes) {
            const int payload = Bytes::le16(m_request, Protocol::kHdrLengthLow);
            const int total = kRequestHeaderBytes + payload;
            if (m_request.size() < total)
                break;
            const QByteArray request = m_request.left(total);
            m_request.remove(0, total);
            m_backend->countRequest();
            const QList<QByteArray> answers = device->handleRequest(request);
            for (const QByteArray &answer : answers)
                notifyBytes(answer);
        }
        followRestart();
    }

private:
    void setState(QLowEnergyController::ControllerState state)
    {
        if (m_state == state)
            return;
        m_state = state;
        emit stateChanged(state);
    }

    bool reachable() const { return m_device && m_device->isPlugged(); }

    void finishConnect()
    {
        if (m_state != QLowEnergyController::ConnectingState)
            return;
        m_device = m_backend->deviceAt(m_remote);
        if (!reachable()) {
            m_error = QLowEnergyController::UnknownRemoteDeviceError;
            emit errorOccurred(m_error);
            setState(QLowEnergyController::UnconnectedState);
            return;
        }
        m_request.clear();
        m_pending.clear();
        m_notify = false;
        m_generation = m_device->bootloaders().generation();
        setState(QLowEnergyController::ConnectedState);
        emit connected();
        m_plugPoll.start();
        m_askAgain.start();
    }

    void dropLink()
    {
        if (m_state == QLowEnergyController::UnconnectedState)
            return;
        m_plugPoll.stop();
        m_askAgain.stop();
        m_pending.clear();
        m_discovered.clear();
        for (const QPointer<SimBleService> &s : qAsConst(m_services)) {
            if (s)
                s->invalidate();
        }
        m_services.clear();
        setState(QLowEnergyController::UnconnectedState);
        emit disconnected();
    }

    /// Bytes as notifications of at most kNotifyPayloadBytes behind their length byte.
    void notifyBytes(const QByteArray &bytes)
    {
        for (int at = 0; at < bytes.size(); at += SimBleBackend::kNotifyPayloadBytes) {
            const QByteArray piece = bytes.mid(at, SimBleBackend::kNotifyPayloadBytes);
            queueNotification(char(piece.size()) + piece);
        }
    }

    /// What a running YMODEM bootloader has to send.
    void pushBootloaderBytes()
    {
        if (linkUp())
            notifyBytes(m_device->bootloaders().pendingDeviceBytes());
    }

    /// A controller restarted (into its bootloader or back): the link drops a moment after
    /// what was sent before has gone out.
    void followRestart()
    {
        const int generation = m_device->bootloaders().generation();
        if (generation == m_generation)
            return;
        m_generation = generation;
        QTimer::singleShot(kRestartMs, this, [this] { dropLink(); });
    }

    /// Notifications leave one per event, in order, like packets over the air.
    /// With a notification interval they leave one per interval instead.
    void queueNotification(const QByteArray &value)
    {
        m_pending.enqueue(value);
        const int intervalMs = m_backend->notifyIntervalMs();
        if (intervalMs <= 0) {
            QTimer::singleShot(0, this, [this] { sendNextNotification(); });
            return;
        }
        if (!m_sendTimer.isActive())
            m_sendTimer.start(intervalMs);
    }

    void sendNextNotification()
    {
        if (m_pending.isEmpty())
            return;
        const QByteArray value = m_pending.dequeue();
        if (!linkUp() || !m_notify)
            return;
        for (const QPointer<SimBleService> &s : qAsConst(m_services)) {
            if (s)
                s->notify(value);
        }
    }

    SimBleBackend *m_backend;
    QBluetoothAddress m_remote;
    SimDevice *m_device; ///< the device at the remote address; null: nobody there
    QLowEnergyController::ControllerState m_state = QLowEnergyController::UnconnectedState;
    QLowEnergyController::Error m_error = QLowEnergyController::NoError;
    QList<QBluetoothUuid> m_discovered;
    QList<QPointer<SimBleService>> m_services;
    QByteArray m_request;
    QQueue<QByteArray> m_pending;
    bool m_notify = false;
    int m_generation = 0; ///< restarts of the device's controllers seen by this link
    QTimer m_plugPoll;
    QTimer m_askAgain;  ///< a YMODEM bootloader's repeated 'C'
    QTimer m_sendTimer; ///< paces the notifications when the backend has an interval
};

SimBleService::SimBleService(SimBleController *controller, const QBluetoothUuid &uuid, QObject *parent)
    : BleService(parent), m_controller(controller), m_uuid(uuid)
{
}

void SimBleService::discoverDetails()
{
    if (m_state != QLowEnergyService::DiscoveryRequired)
        return;
    if (!m_controller || !m_controller->linkUp()) {
        emit errorOccurred(QLowEnergyService::OperationError);
        return;
    }
    setState(QLowEnergyService::DiscoveringServices);
    QTimer::singleShot(0, this, [this] {
        if (m_state == QLowEnergyService::DiscoveringServices && m_controller && m_controller->linkUp())
            setState(QLowEnergyService::ServiceDiscovered);
    });
}

QList<BleCharacteristic> SimBleService::characteristics() const
{
    if (m_state != QLowEnergyService::ServiceDiscovered)
        return {};
    if (isConfigService())
        return {dataCharacteristic()};
    return {{QBluetoothUuid(QBluetoothUuid::DeviceName), {}}};
}

void SimBleService::writeCharacteristic(const BleCharacteristic &characteristic, const QByteArray &value,
                                        QLowEnergyService::WriteMode mode)
{
    Q_UNUSED(mode)
    if (m_state != QLowEnergyService::ServiceDiscovered || !m_controller) {
        emit errorOccurred(QLowEnergyService::OperationError);
        return;
    }
    if (isConfigService() && characteristic.uuid == dataCharacteristicUuid())
        m_controller->receiveFrame(value);
}

void SimBleService::writeDescriptor(const BleDescriptor &descriptor, const QByteArray &value)
{
    if (m_state != QLowEnergyService::ServiceDiscovered || !m_controller) {
        emit errorOccurred(QLowEnergyService::OperationError);
        return;
    }
    if (isConfigService() && descriptor.characteristic == dataCharacteristicUuid() &&
        descriptor.uuid == cccdUuid())
        m_controller->setNotificationsEnabled(value == QByteArray::fromHex(BleGatt::kNotifyEnableHex));
}

class SimBleAgent : public BleDiscoveryAgent
{
public:
    SimBleAgent(SimBleBackend *backend, QObject *parent) : BleDiscoveryAgent(parent), m_backend(backend)
    {
        m_rssiTimer.setInterval(kRssiUpdateMs);
        connect(&m_rssiTimer, &QTimer::timeout, this, [this] { advertise(); });
        m_finishTimer.setSingleShot(true);
        connect(&m_finishTimer, &QTimer::timeout, this, [this] {
            m_active = false;
            m_rssiTimer.stop();
            emit finished();
        });
    }

    void setLowEnergyDiscoveryTimeout(int timeoutMs) override { m_timeoutMs = timeoutMs; }

    void start(QBluetoothDeviceDiscoveryAgent::DiscoveryMethods methods) override
    {
        Q_UNUSED(methods)
        if (m_active)
            return;
        m_active = true;
        m_reported.clear();
        QTimer::singleShot(0, this, [this] { advertise(); });
        m_rssiTimer.start();
        if (m_timeoutMs > 0)
            m_finishTimer.start(m_timeoutMs);
    }

    void stop() override
    {
        m_active = false;
        m_rssiTimer.stop();
        m_finishTimer.stop();
    }

    bool isActive() const override { return m_active; }
    QBluetoothDeviceDiscoveryAgent::Error error() const override
    {
        return QBluetoothDeviceDiscoveryAgent::NoError;
    }
    QString errorString() const override { return {}; }

private:
    void advertise()
    {
        if (!m_active)
            return;
        ++m_tick;
        for (QBluetoothDeviceInfo info : m_backend->deviceInfos()) {
            const QString address = info.address().toString();
            if (!m_backend->deviceAt(info.address())->isPlugged())
                continue;
            if (!m_reported.contains(address)) {
                m_reported.insert(address);
                emit deviceDiscovered(info);
                continue;
            }
            // The signal strength wanders a little between advertisements.
            info.setRssi(qint16(info.rssi() + ((m_tick % 3) - 1) * kRssiSwingDbm));
            emit deviceUpdated(info, QBluetoothDeviceInfo::Fields(QBluetoothDeviceInfo::Field::RSSI));
            if (!m_active)
                return; // a receiver stopped the scan
        }
    }

    SimBleBackend *m_backend;
    QTimer m_rssiTimer;
    QTimer m_finishTimer;
    int m_timeoutMs = 0;
    bool m_active = false;
    QSet<QString> m_reported; ///< addresses reported since the start
    int m_tick = 0;
};

std::unique_ptr<SimBleBackend> g_simBackend;

} // namespace

SimBleBackend::SimBleBackend(SimDevice *device) : m_device(device) {}

namespace {
QBluetoothDeviceInfo infoOf(const QString &address, const QString &name, qint16 rssi)
{
    QBluetoothDeviceInfo info(QBluetoothAddress(address), name, 0);
    info.setCoreConfigurations(QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
    info.setRssi(rssi);
    return info;
}
} // namespace

QBluetoothDeviceInfo SimBleBackend::deviceInfo() const
{
    return infoOf(m_address, m_name, m_rssi);
}

void SimBleBackend::addDevice(SimDevice *device, const QString &name, const QString &address, qint16 rssi)
{
    m_others.append({device, name, address, rssi});
}

QList<QBluetoothDeviceInfo> SimBleBackend::deviceInfos() const
{
    QList<QBluetoothDeviceInfo> infos{deviceInfo()};
    for (const Other &o : m_others)
        infos.append(infoOf(o.address, o.name, o.rssi));
    return infos;
}

SimDevice *SimBleBackend::deviceAt(const QBluetoothAddress &address) const
{
    if (address == QBluetoothAddress(m_address))
        return m_device;
    for (const Other &o : m_others) {
        if (address == QBluetoothAddress(o.address))
            return o.device;
    }
    return nullptr;
}

BleController *SimBleBackend::createController(const QBluetoothDeviceInfo &remote, QObject *parent)
{
    return new SimBleController(this, remote, parent);
}

BleDiscoveryAgent *SimBleBackend::createDiscoveryAgent(QObject *parent)
{
    return new SimBleAgent(this, parent);
}

SimBleBackend *installSimBle(SimDevice *device)
{
    setBleBackend(nullptr);
    g_simBackend = std::make_unique<SimBleBackend>(device);
    setBleBackend(g_simBackend.get());
    return g_simBackend.get();
}

void uninstallSimBle()
{
    setBleBackend(nullptr);
    g_simBackend.reset();
}

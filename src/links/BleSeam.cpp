#include "links/BleSeam.h"

#include <QLowEnergyCharacteristic>
#include <QLowEnergyDescriptor>

BleService::~BleService() = default;
BleController::~BleController() = default;
BleDiscoveryAgent::~BleDiscoveryAgent() = default;
BleBackend::~BleBackend() = default;

BleCharacteristic BleService::characteristic(const QBluetoothUuid &uuid) const
{
    const QList<BleCharacteristic> all = characteristics();
    for (const BleCharacteristic &c : all) {
        if (c.uuid == uuid)
            return c;
    }
    return {};
}

BleDescriptor BleService::descriptor(const BleCharacteristic &characteristic,
                                     const QBluetoothUuid &uuid) const
{
    if (!characteristic.isValid() || !characteristic.descriptors.contains(uuid))
        return {};
    return {characteristic.uuid, uuid};
}

namespace {

BleCharacteristic toBle(const QLowEnergyCharacteristic &c)
{
    BleCharacteristic out;
    if (!c.isValid())
        return out;
    out.uuid = c.uuid();
    const QList<QLowEnergyDescriptor> descriptors = c.descriptors();
    for (const QLowEnergyDescriptor &d : descriptors)
        out.descriptors.append(d.uuid());
    return out;
}

/// Forwards to a QLowEnergyService it owns.
class QtBleService : public BleService
{
public:
    QtBleService(QLowEnergyService *service, QObject *parent) : BleService(parent), m_service(service)
    {
        m_service->setParent(this);
        connect(m_service, &QLowEnergyService::stateChanged, this, &BleService::stateChanged);
        connect(m_service, &QLowEnergyService::characteristicChanged, this,
                [this](const QLowEnergyCharacteristic &c, const QByteArray &value) {
                    emit characteristicChanged(toBle(c), value);
                });
        connect(m_service, qOverload<QLowEnergyService::ServiceError>(&QLowEnergyService::error), this,
                &BleService::errorOccurred);
    }

    QBluetoothUuid serviceUuid() const override { return m_service->serviceUuid(); }
    QLowEnergyService::ServiceState state() const override { return m_service->state(); }
    void discoverDetails() override { m_service->discoverDetails(); }

    QList<BleCharacteristic> characteristics() const override
    {
        QList<BleCharacteristic> out;
        const QList<QLowEnergyCharacteristic> all = m_service->characteristics();
        for (const QLowEnergyCharacteristic &c : all)
            out.append(toBle(c));
        return out;
    }

    void writeCharacteristic(const BleCharacteristic &characteristic, const QByteArray &value,
                             QLowEnergyService::WriteMode mode) override
    {
        const QLowEnergyCharacteristic c = m_service->characteristic(characteristic.uuid);
        if (c.isValid())
            m_service->writeCharacteristic(c, value, mode);
    }

    void writeDescriptor(const BleDescriptor &descriptor, const QByteArray &value) override
    {
        const QLowEnergyCharacteristic c = m_service->characteristic(descriptor.characteristic);
        const QLowEnergyDescriptor d = c.descriptor(descriptor.uuid);
        if (d.isValid())
            m_service->writeDescriptor(d, value);
    }

private:
    QLowEnergyService *const m_service;
};

/// Forwards to a central-role QLowEnergyController it owns.
class QtBleController : public BleController
{
public:
    QtBleController(const QBluetoothDeviceInfo &remote, QObject *parent)
        : BleController(parent), m_controller(QLowEnergyController::createCentral(remote, this))
    {
        connect(m_controller, &QLowEnergyController::connected, this, &BleController::connected);
        connect(m_controller, &QLowEnergyController::disconnected, this, &BleController::disconnected);
        connect(m_controller, &QLowEnergyController::stateChanged, this, &BleController::stateChanged);
        connect(m_controller, qOverload<QLowEnergyController::Error>(&QLowEnergyController::error), this,
                &BleController::errorOccurred);
        connect(m_controller, &QLowEnergyController::serviceDiscovered, this,
                &BleController::serviceDiscovered);
        connect(m_controller, &QLowEnergyController::discoveryFinished, this,
                &BleController::discoveryFinished);
        connect(m_controller, &QLowEnergyController::connectionUpdated, this,
                &BleController::connectionUpdated);
    }

    QLowEnergyController::ControllerState state() const override { return m_controller->state(); }
    QLowEnergyController::Error error() const override { return m_controller->error(); }
    QString errorString() const override { return m_controller->errorString(); }
    void connectToDevice() override { m_controller->connectToDevice(); }
    void disconnectFromDevice() override { m_controller->disconnectFromDevice(); }
    void discoverServices() override { m_controller->discoverServices(); }

    BleService *createServiceObject(const QBluetoothUuid &service, QObject *parent) override
    {
        QLowEnergyService *s = m_controller->createServiceObject(service);
        return s ? new QtBleService(s, parent) : nullptr;
    }

    void requestConnectionUpdate(const QLowEnergyConnectionParameters &parameters) override
    {
        m_controller->requestConnectionUpdate(parameters);
    }

private:
    QLowEnergyController *const m_controller;
};

/// Forwards to a QBluetoothDeviceDiscoveryAgent on the default adapter.
class QtBleDiscoveryAgent : public BleDiscoveryAgent
{
public:
    explicit QtBleDiscoveryAgent(QObject *parent)
        : BleDiscoveryAgent(parent), m_agent(new QBluetoothDeviceDiscoveryAgent(this))
    {
        connect(m_agent, &QBluetoothDeviceDiscoveryAgent::deviceDiscovered, this,
                &BleDiscoveryAgent::deviceDiscovered);
        connect(m_agent, &QBluetoothDeviceDiscoveryAgent::deviceUpdated, this,
                &BleDiscoveryAgent::deviceUpdated);
        connect(m_agent, &QBluetoothDeviceDiscoveryAgent::finished, this, &BleDiscoveryAgent::finished);
        connect(m_agent,
                qOverload<QBluetoothDeviceDiscoveryAgent::Error>(&QBluetoothDeviceDiscoveryAgent::error),
                this, &BleDiscoveryAgent::errorOccurred);
    }

    void setLowEnergyDiscoveryTimeout(int timeoutMs) override
    {
        m_agent->setLowEnergyDiscoveryTimeout(timeoutMs);
    }
    void start(QBluetoothDeviceDiscoveryAgent::DiscoveryMethods methods) override { m_agent->start(methods); }
    void stop() override { m_agent->stop(); }
    bool isActive() const override { return m_agent->isActive(); }
    QBluetoothDeviceDiscoveryAgent::Error error() const override { return m_agent->error(); }
    QString errorString() const override { return m_agent->errorString(); }

private:
    QBluetoothDeviceDiscoveryAgent *const m_agent;
};

class QtBleBackend : public BleBackend
{
public:
    BleController *createController(const QBluetoothDeviceInfo &remote, QObject *parent) override
    {
        return new QtBleController(remote, parent);
    }
    BleDiscoveryAgent *createDiscoveryAgent(QObject *parent) override
    {
        return new QtBleDiscoveryAgent(parent);
    }
};

BleBackend *g_backend = nullptr;

} // namespace

BleBackend &bleBackend()
{
    static QtBleBackend qtBackend;
    return g_backend ? *g_backend : qtBackend;
}

void setBleBackend(BleBackend *backend)
{
    g_backend = backend;
}

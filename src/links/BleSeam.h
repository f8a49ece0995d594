#pragma once
// The parts of Qt Bluetooth LE that the BLE transports and the BLE scan use, behind thin
// QObject interfaces: a central-role controller, a GATT service, a device discovery agent and
// the backend that creates them. The default backend forwards to QLowEnergyController,
// QLowEnergyService and QBluetoothDeviceDiscoveryAgent; the simulator and the tests install
// their own, in memory.
//
// Characteristics and descriptors are named by UUID (BleCharacteristic, BleDescriptor) instead
// of QLowEnergyCharacteristic/QLowEnergyDescriptor, which only a real QLowEnergyService can
// create.
//
// Without an adapter Qt reports errors synchronously inside QBluetoothDeviceDiscoveryAgent::start()
// and QLowEnergyController::connectToDevice(): connect to errorOccurred before calling them.

#include "common/Logging.h"

#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <QBluetoothUuid>
#include <QByteArray>
#include <QList>
#include <QLowEnergyConnectionParameters>
#include <QLowEnergyController>
#include <QLowEnergyService>
#include <QObject>

/// The device's private GATT service and its data characteristic, which carries requests
/// (writes) and answers (notifications). UUIDs compare as QUuid::toString() text.
namespace BleGatt {
constexpr char kConfigServiceUuid[] = "{363d74d3-2442-4edc-9a0f-003eb4f4a9e6}";
constexpr char kDataCharacteristicUuid[] = "{363d74d4-2442-4edc-9a0f-003eb4f4a9e6}";
/// Value written to the client characteristic configuration descriptor (0x2902): notifications on.
constexpr char kNotifyEnableHex[] = "0100";
} // namespace BleGatt

/// One characteristic of a service, named by its UUID, with the UUIDs of its descriptors.
struct BleCharacteristic
{
    QBluetoothUuid uuid;
    QList<QBluetoothUuid> descriptors;

    bool isValid() const { return !uuid.isNull(); }
    bool operator==(const BleCharacteristic &other) const { return uuid == other.uuid; }
    bool operator!=(const BleCharacteristic &other) const { return !(*this == other); }
};

/// One descriptor of a characteristic.
struct BleDescriptor
{
    QBluetoothUuid characteristic;
    QBluetoothUuid uuid;

    bool isValid() const { return !characteristic.isNull() && !uuid.isNull(); }
};

Q_DECLARE_METATYPE(BleCharacteristic)

/// A GATT service of the connected peer (QLowEnergyService).
class BleService : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~BleService() override;

    virtual QBluetoothUuid serviceUuid() const = 0;
    virtual QLowEnergyService::ServiceState state() const = 0;
    /// Starts discovering the characteristics and descriptors; stateChanged reports the end.
    virtual void discoverDetails() = 0;
    /// The characteristics in the service's order (empty before the details are discovered).
    virtual QList<BleCharacteristic> characteristics() const = 0;
    /// The characteristic with that UUID; invalid when absent.
    BleCharacteristic characteristic(const QBluetoothUuid &uuid) const;
    /// The descriptor of a characteristic; invalid when the characteristic does not have it.
    BleDescriptor descriptor(const BleCharacteristic &characteristic, const QBluetoothUuid &uuid) const;
    virtual void writeCharacteristic(const BleCharacteristic &characteristic, const QByteArray &value,
                                     QLowEnergyService::WriteMode mode) = 0;
    virtual void writeDescriptor(const BleDescriptor &descriptor, const QByteArray &value) = 0;

signals:
    void stateChanged(QLowEnergyService::ServiceState newState);
    /// A notification (or indication) of a characteristic.
    void characteristicChanged(const BleCharacteristic &characteristic, const QByteArray &newValue);
    void errorOccurred(QLowEnergyService::ServiceError error);
};

/// A central-role connection to one remote device (QLowEnergyController).
class BleController : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~BleController() override;

    virtual QLowEnergyController::ControllerState state() const = 0;
    virtual QLowEnergyController::Error error() const = 0;
    virtual QString errorString() const = 0;
    virtual void connectToDevice() = 0;
    virtual void disconnectFromDevice() = 0;
    virtual void discoverServices() = 0;
    /// A service object for a discovered service, owned by parent; null when the peer does not have it.
    virtual BleService *createServiceObject(const QBluetoothUuid &service, QObject *parent) = 0;
    virtual void requestConnectionUpdate(const QLowEnergyConnectionParameters &parameters) = 0;

signals:
    void connected();
    void disconnected();
    void stateChanged(QLowEnergyController::ControllerState state);
    void errorOccurred(QLowEnergyController::Error newError);
    void serviceDiscovered(const QBluetoothUuid &newService);
    void discoveryFinished();
    void connectionUpdated(const QLowEnergyConnectionParameters &parameters);
};

/// The scanner of the default adapter (QBluetoothDeviceDiscoveryAgent). The RSSI of a device
/// comes in its QBluetoothDeviceInfo.
class BleDiscoveryAgent : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~BleDiscoveryAgent() override;

    /// 0: the low-energy scan runs until stopped.
    virtual void setLowEnergyDiscoveryTimeout(int timeoutMs) = 0;
    virtual void start(QBluetoothDeviceDiscoveryAgent::DiscoveryMethods methods) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual QBluetoothDeviceDiscoveryAgent::Error error() const = 0;
    virtual QString errorString() const = 0;

signals:
    void deviceDiscovered(const QBluetoothDeviceInfo &info);
    void deviceUpdated(const QBluetoothDeviceInfo &info, QBluetoothDeviceInfo::Fields updatedFields);
    void finished();
    void errorOccurred(QBluetoothDeviceDiscoveryAgent::Error error);
};

/// Creates the controllers and discovery agents (services come from the controller).
class BleBackend
{
public:
    virtual ~BleBackend();
    /// A central-role controller for the remote device, owned by parent.
    virtual BleController *createController(const QBluetoothDeviceInfo &remote, QObject *parent) = 0;
    /// A discovery agent on the default adapter, owned by parent.
    virtual BleDiscoveryAgent *createDiscoveryAgent(QObject *parent) = 0;
};

/// The backend in use: the Qt Bluetooth one unless another was installed.
BleBackend &bleBackend();
/// Installs a backend (the simulator, a test fake; not owned); null restores Qt Bluetooth.
void setBleBackend(BleBackend *backend);

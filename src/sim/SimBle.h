#pragma once
// The simulated device over BLE: an in-memory Bluetooth backend whose scanner reports one
// device, whose controller connects to it and discovers the configuration service and its
// data characteristic, and whose service carries the command protocol to a SimDevice.
//
// Like a real stack every answer comes later, from the event loop (QTimer::singleShot(0)).
// A characteristic write carries one length-byte frame; the frames are joined into whole
// request messages (bytes 2..3 of the header give the payload length, little-endian), each
// is handed to SimDevice::handleRequest, and each answer message goes back as notifications
// of at most kNotifyPayloadBytes payload bytes behind their length byte. An unplugged device
// drops the link and is no longer advertised. More devices can be advertised beside the first
// one (the demo's BLE radio module).

#include "links/BleSeam.h"

#include <QBluetoothDeviceInfo>

class SimDevice;

class SimBleBackend : public BleBackend
{
public:
    /// Payload bytes of one notification: a 23-byte ATT MTU leaves 20 bytes of value, one of
    /// which is the frame's length byte.
    static constexpr int kNotifyPayloadBytes = 19;
    /// Advertised identity of the simulated device.
    static constexpr char kDefaultName[] = "QMX PTC-CT 0001";
    static constexpr char kDefaultAddress[] = "00:80:E1:26:00:01";
    static constexpr qint16 kDefaultRssi = -58;

    /// device: the simulated device (not owned; must outlive the objects this backend creates).
    explicit SimBleBackend(SimDevice *device);

    BleController *createController(const QBluetoothDeviceInfo &remote, QObject *parent) override;
    BleDiscoveryAgent *createDiscoveryAgent(QObject *parent) override;

    SimDevice *device() const { return m_device; }
    /// What the scanner reports (name, address, RSSI, low-energy core configuration).
    QBluetoothDeviceInfo deviceInfo() const;
    void setName(const QString &name) { m_name = name; }
    void setAddress(const QString &address) { m_address = address; }
    void setRssi(qint16 rssi) { m_rssi = rssi; }

    /// Time between two notifications, as a real link's connection interval paces them (the
    /// demo: a firmware transfer then takes long enough to be watched and stopped). 0, the
    /// default: one notification per turn of the event loop.
    void setNotifyIntervalMs(int ms) { m_notifyIntervalMs = ms; }
    int notifyIntervalMs() const { return m_notifyIntervalMs; }

    /// Advertises another simulated device (not owned) under its own name and address; the
    /// scanner reports it after the first one, and a controller for its address reaches it.
    void addDevice(SimDevice *device, const QString &name, const QString &address,
                   qint16 rssi = kDefaultRssi);
    /// What the scanner reports of every device, the first one first.
    QList<QBluetoothDeviceInfo> deviceInfos() const;
    /// The device advertised at address (null when none is).
    SimDevice *deviceAt(const QBluetoothAddress &address) const;

    /// Request messages handed to the device since construction.
    int requestCount() const { return m_requestCount; }
    void countRequest() { ++m_requestCount; }

private:
    SimDevice *m_device;
    QString m_name = QString::fromLatin1(kDefaultName);
    QString m_address = QString::fromLatin1(kDefaultAddress);
    qint16 m_rssi = kDefaultRssi;
    struct Other
    {
        SimDevice *device;
        QString name;
        QString address;
        qint16 rssi;
    };
    QList<Other> m_others;
    int m_requestCount = 0;
    int m_notifyIntervalMs = 0;
};

/// Makes the process use a simulated BLE device (for --simulate and the tests); the device
/// is not owned. Returns the installed backend.
SimBleBackend *installSimBle(SimDevice *device);
/// Restores the Qt Bluetooth backend and drops the simulated one. Objects created from it
/// (transports, scan pages) must be gone by then.
void uninstallSimBle();

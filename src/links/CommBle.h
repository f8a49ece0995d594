#pragma once
// The BLE transport of the configuration protocol. The device offers one private GATT
// service with one data characteristic: requests are written to it, answers come back as
// notifications of it. Each write and each notification carries one frame: a length byte,
// then that many payload bytes. The asynchronous Qt Bluetooth calls are turned into the
// blocking Comm calls with short local event loops, each ended by a signal or a timer.

#include "links/BleSeam.h"
#include "links/Comm.h"

#include <QBluetoothAddress>
#include <QBluetoothDeviceInfo>
#include <QByteArray>
#include <QList>
#include <QLowEnergyConnectionParameters>
#include <QObject>

class CommBle : public QObject, public Comm
{
    Q_OBJECT
public:
    /// Default bounds of the blocking steps, in milliseconds: those the devices need.
    static constexpr int kConnectTimeoutMs = 10000;
    static constexpr int kDiscoveryTimeoutMs = 10000;
    static constexpr int kCloseTimeoutMs = 5000;

    /// Bounds of the blocking steps, in milliseconds; tests shorten them.
    struct Timeouts
    {
        int connectMs = kConnectTimeoutMs;            ///< connection establishment
        int serviceDiscoveryMs = kDiscoveryTimeoutMs; ///< service discovery
        int charDiscoveryMs = kDiscoveryTimeoutMs;    ///< characteristic discovery
        int closeMs = kCloseTimeoutMs;                ///< wait for the controller to leave its closing state
    };

    /// Largest payload of one frame (the length byte must stay below 255).
    static constexpr quint32 kMaxFramePayload = 254;
    /// A read waits in this many slices of timeout/10 ms for the next notification.
    static constexpr int kReadSlices = 10;
    /// Connection latency asked for once connected (connection events the peer may skip).
    static constexpr int kConnectionLatency = 10;

    /// address: the remote device as text ("00:80:E1:26:00:01").
    explicit CommBle(const QString &address, QObject *parent = nullptr);
    /// Drops the link without waiting for the controller (no local event loop).
    ~CommBle() override;

    bool open() override;
    bool isConnected() override { return m_connected; }
    qint32 close() override;
    qint32 read(quint8 *buffer, quint32 length, qint32 timeoutMs) override;
    qint32 write(const quint8 *data, quint32 length) override;
    void waitForDisconnection(quint16 timeoutMs) override;
    void setConnectionInterval(double minMs, double maxMs) override;

    void setTimeouts(const Timeouts &timeouts) { m_timeouts = timeouts; }
    QBluetoothAddress address() const { return m_address; }
    /// The connection parameters last sent or received.
    QLowEnergyConnectionParameters connectionParameters() const { return m_connectionParameters; }

signals:
    void ConnectionCompletedSignal();
    void ServiceDiscoveringEndSignal();
    void CharDiscoveringEndSignal();
    void DisconnectSignal();
    void BleNotificationReceivedSignal();
    void BleErrorSignal();

public slots:
    /// The configuration service changed state; once its details are known, finds the data
    /// characteristic and enables its notifications.
    void ServiceDetailsDiscovered(QLowEnergyService::ServiceState newState);
    /// A notification: a length-byte frame whose payload goes to the receive buffer.
    void BleChangeCharacteristic(const BleCharacteristic &characteristic, const QByteArray &newValue);
    /// Abandons a connection attempt still in progress.
    void CancelConnection();

private:
    void ControllerError(QLowEnergyController::Error error);
    void ControllerStateChanged(QLowEnergyController::ControllerState state);
    void ServiceFound(const QBluetoothUuid &uuid);
    void ServiceScanFinished();
    void ConnectionParamUpdated(const QLowEnergyConnectionParameters &parameters);

    bool Connect();
    bool WaitConnection();
    bool ScanServices();
    bool ScanChar();
    bool WaitCharDiscovery();

    /// Drops the service objects of an earlier discovery.
    void clearServices();
    /// The controller still carries the link (connected, or services discovered).
    bool linkUp() const;

    QBluetoothAddress m_address;
    QBluetoothDeviceInfo m_deviceInfo;
    BleController *m_controller = nullptr; ///< owned (child)
    QLowEnergyConnectionParameters m_connectionParameters;
    BleService *m_currentService = nullptr; ///< owned (child), one of m_services
    BleCharacteristic m_writeCharacteristic;
    BleCharacteristic m_notifyCharacteristic;
    BleDescriptor m_notificationDescriptor;
    QList<BleService *> m_services;
    QByteArray m_receiveBuffer;
    bool m_connected = false;
    Timeouts m_timeouts;
};

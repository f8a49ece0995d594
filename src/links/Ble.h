#pragma once
// The BLE link of the bootloader session. It reaches the same GATT service and data
// characteristic as CommBle, over its own connection (the configuration link drops when the
// target restarts into its bootloader), retries the connection, and carries transport
// packets: a packet of n bytes travels as the frame n + 1, n, packet bytes, both ways.
//
// The session calls the link only through the BLE link table, a set of plain functions over
// the one Ble object of the process.

#include "links/BleSeam.h"

#include <QBluetoothAddress>
#include <QBluetoothDeviceInfo>
#include <QList>
#include <QLowEnergyConnectionParameters>
#include <QObject>

/// One packet of the bootloader session: up to 255 data bytes and their count.
struct TransportPacket
{
    static constexpr int kCapacity = 255;
    quint8 data[kCapacity];
    quint8 len;
};

class Ble : public QObject
{
    Q_OBJECT
public:
    /// Default durations of the wait slices, in milliseconds.
    static constexpr int kConnectSliceMs = 1000;
    static constexpr int kDiscoverySliceMs = 1000;
    static constexpr int kCloseMs = 3000;

    /// Durations of the wait slices in milliseconds; tests shorten them.
    struct Timing
    {
        int connectSliceMs = kConnectSliceMs;
        int discoverySliceMs = kDiscoverySliceMs;
        int closeMs = kCloseMs; ///< longest wait for the controller to finish closing
    };

    static constexpr int kConnectAttempts = 3;
    static constexpr int kConnectSlices = 30;
    static constexpr int kDiscoverySlices = 10;
    /// Size of the receive buffer; a longer notification is cut.
    static constexpr int kReceiveBufferBytes = 256;
    /// Largest packet that fits a frame (n + 1 must fit in the frame's first byte).
    static constexpr int kMaxPacketBytes = 254;

    /// address: the remote device as text. Prepares the controller; nothing is sent yet.
    explicit Ble(const QString &address, QObject *parent = nullptr);
    ~Ble() override;

    /// Connects (up to 3 attempts) and discovers the service and the data characteristic.
    bool open();
    /// Drops the link when connected and waits (up to Timing::closeMs) until the controller
    /// has finished closing, so that a connection can start at once.
    void close();
    /// Sends tx and waits up to timeoutMs for the answer packet into rx.
    bool exchange(const TransportPacket *tx, TransportPacket *rx, quint16 timeoutMs);

    bool isConnected() const { return m_connected; }
    QBluetoothAddress address() const { return m_address; }
    QLowEnergyController::Error lastError() const { return m_lastError; }
    QString lastErrorText() const { return m_lastErrorText; }
    QLowEnergyConnectionParameters connectionParameters() const { return m_connectionParameters; }
    void setTiming(const Timing &timing) { m_timing = timing; }

signals:
    void printStatus(QString text);
    void actionFinished(bool status);
    void connectionCompleted();
    void disconnectionSignal();
    void BleNotificationReceived();
    void BleError();
    /// A notification: the bytes after the first, and the first byte's value.
    void ReceiveReady(const char *buffer, int len);
    void ConnectionCompletedSignal();
    void ServiceDiscoveringEndSignal();
    void CharDiscoveringEndSignal();

private slots:
    void serviceDetailsDiscovered(QLowEnergyService::ServiceState newState);
    void BleChangeCharacteristic(const BleCharacteristic &characteristic, const QByteArray &newValue);

private:
    void onConnected();
    void onDisconnected();
    void onError(QLowEnergyController::Error error);
    void onServiceFound(const QBluetoothUuid &uuid);
    void onConnectionUpdated(const QLowEnergyConnectionParameters &parameters);

    bool connectAttempt();
    void waitUntilClosed();
    bool scanServices();
    bool scanChar();
    void failDiscovery(const QString &line);
    void clearServices();
    /// Writes the line to the debug log and emits it as status.
    void report(const QString &line);

    QBluetoothAddress m_address;
    QBluetoothDeviceInfo m_deviceInfo;
    BleController *m_controller = nullptr; ///< owned (child)
    BleService *m_currentService = nullptr;
    BleCharacteristic m_writeCharacteristic;
    BleCharacteristic m_notifyCharacteristic;
    BleDescriptor m_notificationDescriptor;
    QList<BleService *> m_services;
    QLowEnergyConnectionParameters m_connectionParameters;
    bool m_connected = false;
    QLowEnergyController::Error m_lastError = QLowEnergyController::NoError;
    QString m_lastErrorText;
    quint8 m_receiveBuffer[kReceiveBufferBytes] = {};
    int m_receiveLength = 0;
    quint64 m_notificationCount = 0;
    bool m_serviceDiscoveryEnded = false;
    bool m_charDiscoveryEnded = false;
    Timing m_timing;
};

/// The operations the bootloader session calls, over the process-wide Ble.
struct BleLinkTable
{
    /// Creates the link for the device address (replacing an earlier one).
    Ble *(*create)(const QString &address);
    /// Closes the link, then deletes it.
    void (*destroy)();
    /// Connects and discovers; true when ready.
    bool (*open)();
    /// Drops the link when connected.
    void (*close)();
    /// One packet out, one packet back.
    bool (*exchange)(const TransportPacket *tx, TransportPacket *rx, quint16 timeoutMs);
};

/// The BLE link table.
const BleLinkTable &bleLinkTable();
/// The process-wide link; null before create and after destroy.
Ble *bleLink();

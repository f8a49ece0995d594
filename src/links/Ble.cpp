#include "links/Ble.h"

#include "common/Logging.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstring>

namespace {

constexpr char kDeviceInfoName[] = "bluenrg";

void bleLog(const QString &line)
{
    qCDebug(lcBle).noquote() << line;
}

/// Runs one wait slice: a loop ended by the timer or by `signal` of `sender`.
template <typename Signal> void waitSlice(Ble *sender, Signal signal, int sliceMs)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(sender, signal, &loop, &QEventLoop::quit);
    QObject::connect(sender, &Ble::disconnectionSignal, &loop, &QEventLoop::quit);
    timer.start(sliceMs);
    loop.exec();
}

} // namespace

Ble::Ble(const QString &address, QObject *parent)
    : QObject(parent), m_address(address), m_deviceInfo(m_address, QString::fromLatin1(kDeviceInfoName), 0)
{
    m_deviceInfo.setCoreConfigurations(QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
    m_controller = bleBackend().createController(m_deviceInfo, this);
    // Connected before any connectToDevice(): without an adapter the error comes inside that call.
    connect(m_controller, &BleController::errorOccurred, this, &Ble::onError);
    connect(m_controller, &BleController::connected, this, &Ble::onConnected);
    connect(m_controller, &BleController::disconnected, this, &Ble::onDisconnected);
    connect(m_controller, &BleController::serviceDiscovered, this, &Ble::onServiceFound);
    connect(m_controller, &BleController::discoveryFinished, this, [this] {
        m_serviceDiscoveryEnded = true;
        emit ServiceDiscoveringEndSignal();
    });
    connect(m_controller, &BleController::connectionUpdated, this, &Ble::onConnectionUpdated);
}

Ble::~Ble()
{
    // The children go after this body: they must not call back into a half-destroyed object.
    for (BleService *service : qAsConst(m_services))
        service->disconnect(this);
    m_controller->disconnect(this);
    qDeleteAll(m_services);
    m_services.clear();
    delete m_controller;
}

void Ble::report(const QString &line)
{
    bleLog(line);
    emit printStatus(line);
}

bool Ble::open()
{
    if (m_connected)
        return true;

    bool connected = false;
    for (int attempt = 0; attempt < kConnectAttempts && !connected; ++attempt)
        connected = connectAttempt();
    if (!connected) {
        bleLog(QStringLiteral("Connect failed"));
        return false;
    }

    bleLog(QStringLiteral("Start Services and Characteristics discovering"));
    if (!scanServices()) {
        failDiscovery(QStringLiteral("ScanServices failed"));
        return false;
    }
    if (!scanChar()) {
        failDiscovery(QStringLiteral("ScanChar failed"));
        return false;
    }
    return true;
}

bool Ble::connectAttempt()
{
    m_lastError = QLowEnergyController::NoError;
    m_lastErrorText.clear();
    report(tr("Trying to connect device : %1 ...").arg(m_address.toString()));
    waitUntilClosed();
    m_controller->connectToDevice();

    for (int slice = 0;; ++slice) {
        if (m_controller->state() == QLowEnergyController::ConnectedState) {
            report(tr("Connection Completed."));
            return true;
        }
        if (m_lastError != QLowEnergyController::NoError) {
            report(tr("Error %1 in Connection").arg(int(m_lastError)));
            return false;
        }
        if (slice == kConnectSlices) {
            report(tr("Connection Timeout reached"));
            // Abandon the attempt so that the next one starts from an idle controller.
            m_controller->disconnectFromDevice();
            return false;
        }
        waitSlice(this, &Ble::connectionCompleted, m_timing.connectSliceMs);
    }
}

void Ble::clearServices()
{
    for (BleService *service : qAsConst(m_services)) {
        service->disconnect(this);
        service->deleteLater();
    }
    m_services.clear();
    m_currentService = nullptr;
    m_writeCharacteristic = {};
    m_notifyCharacteristic = {};
    m_notificationDescriptor = {};
}

bool Ble::scanServices()
{
    clearServices();
    m_serviceDiscoveryEnded = false;
    m_controller->discoverServices();
    for (int slice = 0; slice < kDiscoverySlices && !m_serviceDiscoveryEnded && m_connected; ++slice)
        waitSlice(this, &Ble::ServiceDiscoveringEndSignal, m_timing.discoverySliceMs);
    if (!m_serviceDiscoveryEnded) {
        bleLog(QStringLiteral("Service Discovering Timeout"));
        return false;
    }
    bleLog(QStringLiteral("Service Discovering End"));
    return true;
}

bool Ble::scanChar()
{
    if (m_services.size() != 1)
        return false;
    m_currentService = m_services.first();
    bleLog(QStringLiteral("Start Char discovering for service: %1")
               .arg(m_currentService->serviceUuid().toString()));
    connect(m_currentService, &BleService::stateChanged, this, &Ble::serviceDetailsDiscovered,
            Qt::UniqueConnection);
    connect(m_currentService, &BleService::characteristicChanged, this, &Ble::BleChangeCharacteristic,
            Qt::UniqueConnection);

    m_charDiscoveryEnded = false;
    m_currentService->discoverDetails();
    for (int slice = 0; slice < kDiscoverySlices && !m_charDiscoveryEnded && m_connected; ++slice)
        waitSlice(this, &Ble::CharDiscoveringEndSignal, m_timing.discoverySliceMs);
    if (!m_charDiscoveryEnded) {
        bleLog(QStringLiteral("Char Discovering Timeout"));
        return false;
    }
    bleLog(QStringLiteral("Char Discovering End"));
    // Without the data characteristic nothing can be exchanged.
    return m_writeCharacteristic.isValid();
}

void Ble::failDiscovery(const QString &line)
{
    bleLog(line);
    m_connected = false;
    m_controller->disconnectFromDevice();
}

void Ble::serviceDetailsDiscovered(QLowEnergyService::ServiceState newState)
{
    if (newState != QLowEnergyService::ServiceDiscovered || !m_currentService)
        return;
    bleLog(QStringLiteral("All Char discovered"));
    const BleCharacteristic data = m_currentService->characteristic(
        QBluetoothUuid(QString::fromLatin1(BleGatt::kDataCharacteristicUuid)));
    if (data.isValid()) {
        m_writeCharacteristic = data;
        m_notifyCharacteristic = data;
        m_notificationDescriptor = m_currentService->descriptor(
            data, QBluetoothUuid(QBluetoothUuid::ClientCharacteristicConfiguration));
        if (m_notificationDescriptor.isValid())
            m_currentService->writeDescriptor(m_notificationDescriptor,
                                              QByteArray::fromHex(BleGatt::kNotifyEnableHex));
    }
    m_charDiscoveryEnded = true;
    emit CharDiscoveringEndSignal();
}

void Ble::BleChangeCharacteristic(const BleCharacteristic &characteristic, const QByteArray &newValue)
{
    if (!m_notifyCharacteristic.isValid() || characteristic != m_notifyCharacteristic)
        return;
    std::memset(m_receiveBuffer, 0, sizeof m_receiveBuffer);
    m_receiveLength = qMin(newValue.size(), kReceiveBufferBytes);
    std::memcpy(m_receiveBuffer, newValue.constData(), size_t(m_receiveLength));
    ++m_notificationCount;
    emit ReceiveReady(reinterpret_cast<const char *>(m_receiveBuffer) + 1,
                      m_receiveLength > 0 ? m_receiveBuffer[0] : 0);
    emit BleNotificationReceived();
}

bool Ble::exchange(const TransportPacket *tx, TransportPacket *rx, quint16 timeoutMs)
{
    if (!m_connected) {
        bleLog(QStringLiteral("Connection lost"));
        return false;
    }
    if (!tx || !rx || !m_currentService || !m_writeCharacteristic.isValid())
        return false;
    if (tx->len > kMaxPacketBytes) {
        bleLog(QStringLiteral("Packet of %1 bytes too long for one frame").arg(tx->len));
        return false;
    }

    QByteArray frame;
    frame.append(char(tx->len + 1));
    frame.append(char(tx->len));
    frame.append(reinterpret_cast<const char *>(tx->data), tx->len);

    const quint64 seen = m_notificationCount;
    m_currentService->writeCharacteristic(m_writeCharacteristic, frame,
                                          QLowEnergyService::WriteWithoutResponse);
    if (m_notificationCount == seen && m_connected)
        waitSlice(this, &Ble::BleNotificationReceived, timeoutMs);

    if (m_notificationCount != seen) {
        // Byte 0 counts the rest of the frame, byte 1 the packet bytes that follow it.
        const int available = m_receiveLength - 2;
        if (available < 0 || m_receiveBuffer[1] > available) {
            bleLog(QStringLiteral("Reception invalid: %1 bytes").arg(m_receiveLength));
            return false;
        }
        rx->len = m_receiveBuffer[1];
        std::memcpy(rx->data, m_receiveBuffer + 2, rx->len);
        bleLog(QStringLiteral("reception OK"));
        return true;
    }
    if (!m_connected) {
        bleLog(QStringLiteral("Connection lost"));
        return false;
    }
    bleLog(QStringLiteral("Recepion Timeout"));
    return false;
}

void Ble::close()
{
    if (m_connected) {
        m_connected = false;
        m_controller->disconnectFromDevice();
    }
    waitUntilClosed();
}

void Ble::waitUntilClosed()
{
    // A controller still closing ignores connectToDevice(): the next attempt would sit out its
    // whole timeout.
    QElapsedTimer elapsed;
    elapsed.start();
    while (m_controller->state() == QLowEnergyController::ClosingState) {
        const qint64 left = m_timing.closeMs - elapsed.elapsed();
        if (left <= 0) {
            bleLog(QStringLiteral("Close Timeout reached"));
            return;
        }
        waitSlice(this, &Ble::disconnectionSignal, int(left));
    }
}

void Ble::onConnected()
{
    report(tr("Connection to device : %1 OK, Scanning Services ...").arg(m_address.toString()));
    m_connected = true;
    emit connectionCompleted();
}

void Ble::onDisconnected()
{
    report(tr("device : %1 disconnected").arg(m_address.toString()));
    m_connected = false;
    emit disconnectionSignal();
}

void Ble::onError(QLowEnergyController::Error error)
{
    m_lastError = error;
    m_lastErrorText = m_controller->errorString();
    report(tr("Error %1 during connection, please connect again").arg(int(error)));
    emit BleError();
    emit connectionCompleted();
}

void Ble::onServiceFound(const QBluetoothUuid &uuid)
{
    if (uuid.toString() != QLatin1String(BleGatt::kConfigServiceUuid))
        return;
    if (BleService *service = m_controller->createServiceObject(uuid, this))
        m_services.append(service);
    m_serviceDiscoveryEnded = true;
    emit ServiceDiscoveringEndSignal();
}

void Ble::onConnectionUpdated(const QLowEnergyConnectionParameters &parameters)
{
    bleLog(QString::asprintf("New Connection param request receive. Update Connection Param %f",
                             parameters.minimumInterval()));
    m_connectionParameters = parameters;
}

// ---------------------------------------------------------------------------
// BLE link table
// ---------------------------------------------------------------------------

namespace {

Ble *g_link = nullptr;

void linkDestroy()
{
    if (!g_link)
        return;
    g_link->close();
    delete g_link;
    g_link = nullptr;
}

Ble *linkCreate(const QString &address)
{
    linkDestroy();
    bleLog(QStringLiteral("Ble_Connect"));
    g_link = new Ble(address);
    return g_link;
}

bool linkOpen()
{
    return g_link && g_link->open();
}

void linkClose()
{
    if (g_link)
        g_link->close();
}

bool linkExchange(const TransportPacket *tx, TransportPacket *rx, quint16 timeoutMs)
{
    return g_link && g_link->exchange(tx, rx, timeoutMs);
}

const BleLinkTable kLinkTable = {linkCreate, linkDestroy, linkOpen, linkClose, linkExchange};

} // namespace

const BleLinkTable &bleLinkTable()
{
    return kLinkTable;
}

Ble *bleLink()
{
    return g_link;
}

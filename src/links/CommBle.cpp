#include "links/CommBle.h"

#include "common/Logging.h"

#include <QEventLoop>
#include <QTimer>

#include <cstring>

namespace {

/// Name given to the remote device before anything is known of it.
constexpr char kDeviceInfoName[] = "bluenrg";
/// Loop exit code of a wait ended by the loss of the link.
constexpr int kLoopLinkLost = 1;

void bleLog(const QString &line)
{
    qCDebug(lcBle).noquote() << line;
}

QString uuidText(const QBluetoothUuid &uuid)
{
    return uuid.toString();
}

} // namespace

CommBle::CommBle(const QString &address, QObject *parent)
    : QObject(parent), Comm(kLinkBle), m_address(address),
      m_deviceInfo(m_address, QString::fromLatin1(kDeviceInfoName), 0)
{
    m_deviceInfo.setCoreConfigurations(QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
    m_controller = bleBackend().createController(m_deviceInfo, this);
    // Connected before any connectToDevice(): without an adapter the error comes inside that call.
    connect(m_controller, &BleController::errorOccurred, this, &CommBle::ControllerError);
    connect(m_controller, &BleController::stateChanged, this, &CommBle::ControllerStateChanged);
    connect(m_controller, &BleController::serviceDiscovered, this, &CommBle::ServiceFound);
    connect(m_controller, &BleController::discoveryFinished, this, &CommBle::ServiceScanFinished);
    connect(m_controller, &BleController::connectionUpdated, this, &CommBle::ConnectionParamUpdated);
}

CommBle::~CommBle()
{
    // The link is dropped without close()'s wait: a destructor runs inside its owner's
    // destruction (a page deleting its device object), and a local event loop here would hand
    // events, deferred deletions included, to objects that are half destroyed.
    if (m_connected) {
        m_connected = false;
        m_controller->disconnectFromDevice();
    }
    // The children go after this body: they must not call back into a half-destroyed object.
    for (BleService *service : qAsConst(m_services))
        service->disconnect(this);
    m_controller->disconnect(this);
    qDeleteAll(m_services);
    m_services.clear();
    m_currentService = nullptr;
    delete m_controller;
    m_controller = nullptr;
}

bool CommBle::linkUp() const
{
    const QLowEnergyController::ControllerState state = m_controller->state();
    return state == QLowEnergyController::ConnectedState || state == QLowEnergyController::DiscoveredState;
}

bool CommBle::open()
{
    if (m_connected)
        return true;
    if (!Connect())
        return false;
    m_connectionParameters.setLatency(kConnectionLatency);

    bleLog(QStringLiteral("Start Services and Characteristics discovering"));
    bool servicesOk = false;
    if (m_connected) {
        clearServices();
        servicesOk = ScanServices();
    }
    if (!servicesOk) {
        bleLog(QStringLiteral("ScanServices failed"));
        close();
        return false;
    }
    if (!ScanChar()) {
        bleLog(QStringLiteral("ScanChar failed"));
        close();
        return false;
    }
    return true;
}

bool CommBle::Connect()
{
    bleLog(QStringLiteral("Trying to connect to device %1 ...").arg(m_address.toString()));
    m_controller->connectToDevice();
    return WaitConnection();
}

bool CommBle::WaitConnection()
{
    if (m_connected)
        return true;

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &CommBle::ConnectionCompletedSignal, &loop, &QEventLoop::quit);
    connect(this, &CommBle::DisconnectSignal, &loop, [&loop] { loop.exit(kLoopLinkLost); });
    timer.start(m_timeouts.connectMs);

    while (m_controller->state() == QLowEnergyController::ConnectingState) {
        if (!timer.isActive()) {
            // No answer within the bound: abandon the attempt.
            m_controller->disconnectFromDevice();
            break;
        }
        if (loop.exec() != 0)
            break;
    }
    timer.stop();

    if (m_controller->state() == QLowEnergyController::ConnectedState) {
        bleLog(QStringLiteral("Connection Completed"));
        return true;
    }
    bleLog(QStringLiteral("Connection Failed"));
    return false;
}

void CommBle::clearServices()
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

bool CommBle::ScanServices()
{
    if (!m_connected)
        return false;

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &CommBle::ServiceDiscoveringEndSignal, &loop, &QEventLoop::quit);
    connect(this, &CommBle::DisconnectSignal, &loop, &QEventLoop::quit);

    m_controller->discoverServices();
    timer.start(m_timeouts.serviceDiscoveryMs);
    while (m_controller->state() == QLowEnergyController::DiscoveringState) {
        if (!timer.isActive()) {
            bleLog(QStringLiteral("Service Discovering Timeout"));
            break;
        }
        loop.exec();
    }
    timer.stop();

    if (m_controller->state() != QLowEnergyController::DiscoveredState) {
        bleLog(QStringLiteral("Service Discovering Failed"));
        return false;
    }
    bleLog(QStringLiteral("Service Discovering Completed"));
    return true;
}

void CommBle::ServiceFound(const QBluetoothUuid &uuid)
{
    if (uuidText(uuid) != QLatin1String(BleGatt::kConfigServiceUuid)) {
        bleLog(QStringLiteral("service : %1 found (Not QUOR one)").arg(uuidText(uuid)));
        return;
    }
    bleLog(QStringLiteral("service : %1 found (QUOR one)").arg(uuidText(uuid)));
    if (BleService *service = m_controller->createServiceObject(uuid, this))
        m_services.append(service);
    emit ServiceDiscoveringEndSignal();
}

void CommBle::ServiceScanFinished()
{
    emit ServiceDiscoveringEndSignal();
}

bool CommBle::ScanChar()
{
    if (!m_connected)
        return false;

    bool result = false;
    if (m_services.size() == 1) {
        m_currentService = m_services.first();
        bleLog(QStringLiteral("Start Char discovering for service: %1")
                   .arg(uuidText(m_currentService->serviceUuid())));
        connect(m_currentService, &BleService::stateChanged, this, &CommBle::ServiceDetailsDiscovered,
                Qt::UniqueConnection);
        connect(m_currentService, &BleService::characteristicChanged, this, &CommBle::BleChangeCharacteristic,
                Qt::UniqueConnection);
        result = WaitCharDiscovery();
    }
    bleLog(QStringLiteral("Service number : %1").arg(m_services.size()));
    return result;
}

bool CommBle::WaitCharDiscovery()
{
    if (!m_connected || !m_currentService)
        return false;

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &CommBle::CharDiscoveringEndSignal, &loop, &QEventLoop::quit);
    connect(this, &CommBle::DisconnectSignal, &loop, &QEventLoop::quit);

    m_currentService->discoverDetails();
    timer.start(m_timeouts.charDiscoveryMs);
    while (m_currentService->state() == QLowEnergyService::DiscoveringServices) {
        if (!timer.isActive()) {
            bleLog(QStringLiteral("Char Discovering Timeout"));
            break;
        }
        loop.exec();
    }
    timer.stop();

    // A service without the data characteristic cannot carry the protocol.
    if (m_currentService->state() != QLowEnergyService::ServiceDiscovered ||
        !m_writeCharacteristic.isValid()) {
        bleLog(QStringLiteral("Char Discovering Failed"));
        return false;
    }
    bleLog(QStringLiteral("Char Discovering Completed"));
    return true;
}

void CommBle::ServiceDetailsDiscovered(QLowEnergyService::ServiceState newState)
{
    bleLog(QStringLiteral("Service State change : %1").arg(int(newState)));
    if (newState != QLowEnergyService::ServiceDiscovered || !m_currentService)
        return;

    bleLog(QStringLiteral("All Char discovered"));
    if (uuidText(m_currentService->serviceUuid()) == QLatin1String(BleGatt::kConfigServiceUuid)) {
        const QList<BleCharacteristic> characteristics = m_currentService->characteristics();
        for (const BleCharacteristic &c : characteristics) {
            if (uuidText(c.uuid) != QLatin1String(BleGatt::kDataCharacteristicUuid))
                continue;
            m_writeCharacteristic = c;
            m_notifyCharacteristic = c;
            m_notificationDescriptor = m_currentService->descriptor(
                c, QBluetoothUuid(QBluetoothUuid::ClientCharacteristicConfiguration));
            if (m_notificationDescriptor.isValid())
                m_currentService->writeDescriptor(m_notificationDescriptor,
                                                  QByteArray::fromHex(BleGatt::kNotifyEnableHex));
            break;
        }
    }
    emit CharDiscoveringEndSignal();
}

void CommBle::BleChangeCharacteristic(const BleCharacteristic &characteristic, const QByteArray &newValue)
{
    if (!m_notifyCharacteristic.isValid() || characteristic != m_notifyCharacteristic)
        return;
    const int announced = newValue.isEmpty() ? 0 : quint8(newValue.at(0));
    const QByteArray payload = newValue.mid(1, announced);
    if (newValue.isEmpty() || payload.size() != announced) {
        bleLog(QStringLiteral("BLE packet received: invalid information of size(%1 bytes)").arg(announced));
        return;
    }
    m_receiveBuffer.append(payload);
    emit BleNotificationReceivedSignal();
}

qint32 CommBle::write(const quint8 *data, quint32 length)
{
    // Unread answer bytes belong to the previous request.
    m_receiveBuffer.clear();
    if (length > kMaxFramePayload) {
        bleLog(QStringLiteral("Please do not write more than 250 bytes in BLE (have to debug this)"));
        return -1;
    }
    if (!data && length > 0)
        return -1;
    QByteArray frame;
    frame.reserve(int(length) + 1);
    frame.append(char(length));
    frame.append(reinterpret_cast<const char *>(data), int(length));
    if (!m_currentService || !m_writeCharacteristic.isValid())
        return -1;
    m_currentService->writeCharacteristic(m_writeCharacteristic, frame,
                                          QLowEnergyService::WriteWithoutResponse);
    return qint32(length);
}

qint32 CommBle::read(quint8 *buffer, quint32 length, qint32 timeoutMs)
{
    if (!buffer && length > 0)
        return -1;

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &CommBle::BleNotificationReceivedSignal, &loop, &QEventLoop::quit);
    connect(this, &CommBle::DisconnectSignal, &loop, [&loop] { loop.exit(kLoopLinkLost); });
    const int sliceMs = qMax(0, timeoutMs) / kReadSlices;

    quint32 delivered = 0;
    for (;;) {
        const quint32 take = qMin(length - delivered, quint32(m_receiveBuffer.size()));
        if (take > 0) {
            std::memcpy(buffer + delivered, m_receiveBuffer.constData(), take);
            m_receiveBuffer.remove(0, int(take));
            delivered += take;
        }
        if (delivered == length)
            return qint32(length);

        // The timeout bounds the silence between two notifications.
        int slice = 0;
        for (; slice < kReadSlices; ++slice) {
            if (!linkUp())
                return -1; // nothing more can come
            timer.start(sliceMs);
            const int rc = loop.exec();
            timer.stop();
            // A device that restarts right after answering: its last notification and the
            // link's loss may arrive in the same turn. What came is delivered first.
            if (!m_receiveBuffer.isEmpty())
                break;
            if (rc != 0 || !linkUp())
                return -1;
        }
        if (slice == kReadSlices) {
            bleLog(QStringLiteral("Reception Timeout"));
            return 0;
        }
    }
}

qint32 CommBle::close()
{
    if (!m_connected)
        return 0;
    m_controller->disconnectFromDevice();

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &CommBle::DisconnectSignal, &loop, &QEventLoop::quit);
    timer.start(m_timeouts.closeMs);
    while (m_controller->state() == QLowEnergyController::ClosingState && timer.isActive())
        loop.exec();
    timer.stop();
    // A controller stuck in its closing state no longer carries a usable link either.
    m_connected = false;
    return 0;
}

void CommBle::waitForDisconnection(quint16 timeoutMs)
{
    if (!m_connected)
        return;

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &CommBle::DisconnectSignal, &loop, &QEventLoop::quit);
    connect(this, &CommBle::BleErrorSignal, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    loop.exec();
    if (!timer.isActive())
        bleLog(QStringLiteral("Disconnect Signal receive timeout"));
    else
        timer.stop();
    if (m_controller->state() != QLowEnergyController::ClosingState)
        bleLog(QStringLiteral("Disconnect Signal received"));
    close();
}

void CommBle::setConnectionInterval(double minMs, double maxMs)
{
    m_connectionParameters.setIntervalRange(minMs, maxMs);
    m_controller->requestConnectionUpdate(m_connectionParameters);
}

void CommBle::ConnectionParamUpdated(const QLowEnergyConnectionParameters &parameters)
{
    bleLog(QString::asprintf("New Connection param request receive. Update Connection Param %f",
                             parameters.minimumInterval()));
    m_connectionParameters = parameters;
}

void CommBle::ControllerStateChanged(QLowEnergyController::ControllerState state)
{
    if (state == QLowEnergyController::UnconnectedState) {
        bleLog(QStringLiteral("device %1 disconnected").arg(m_address.toString()));
        m_connected = false;
        emit DisconnectSignal();
    } else if (state == QLowEnergyController::ConnectedState) {
        bleLog(QStringLiteral("device %1 connected").arg(m_address.toString()));
        m_connected = true;
        emit ConnectionCompletedSignal();
    }
}

void CommBle::ControllerError(QLowEnergyController::Error error)
{
    bleLog(QStringLiteral("Error %1 during, please connect again").arg(int(error)));
    // Ends a pending connection wait, which then fails because the controller is not connected.
    emit ConnectionCompletedSignal();
    emit BleErrorSignal();
}

void CommBle::CancelConnection()
{
    if (m_controller->state() == QLowEnergyController::ConnectingState)
        m_controller->disconnectFromDevice();
}

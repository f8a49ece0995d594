// The BLE configuration transport (CommBle) and the BLE module link (Ble and its link table)
// against a scriptable in-memory Bluetooth backend, and both ends through the simulator's
// BLE backend (SimBle) with the simulated device.

#include "links/Ble.h"
#include "links/BleSeam.h"
#include "links/CommBle.h"
#include "sim/SimBle.h"
#include "sim/SimDevice.h"

#include <QBluetoothLocalDevice>
#include <QElapsedTimer>
#include <QPointer>
#include <QtTest>

#include <cstring>
#include <functional>
#include <memory>

namespace {

const QString kAddress = QStringLiteral("00:80:E1:26:00:01");
const QBluetoothUuid kConfigService(QString::fromLatin1(BleGatt::kConfigServiceUuid));
const QBluetoothUuid kDataChar(QString::fromLatin1(BleGatt::kDataCharacteristicUuid));
const QBluetoothUuid kCccd(QBluetoothUuid::ClientCharacteristicConfiguration);
const QBluetoothUuid kGenericAccess(QBluetoothUuid::GenericAccess);
const QByteArray kNotifyOn = QByteArray::fromHex("0100");

/// Short bounds so that the failure paths run in a fraction of a second.
constexpr int kShortWaitMs = 150;
/// Read and exchange timeout where the answer comes at once.
constexpr int kReadTimeoutMs = 500;
constexpr quint8 kLinkBle = 0x62;
constexpr quint8 kCmdBufferSize = 3;
constexpr quint8 kCmdSerialWrite = 6;
constexpr quint8 kCmdSerialRead = 7;
constexpr quint8 kStatusComplete = 1;

// ---------------------------------------------------------------------------
// Debug log capture of the "pelm.ble" category
// ---------------------------------------------------------------------------

QStringList g_log;
QtMessageHandler g_previousHandler = nullptr;

void captureBleLog(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && qstrcmp(context.category, "pelm.ble") == 0) {
        g_log.append(message);
        return;
    }
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

/// Whether `expected` appears in `log` in this order (other lines may come between).
bool logHasInOrder(const QStringList &expected)
{
    int at = 0;
    for (const QString &line : qAsConst(g_log)) {
        if (at < expected.size() && line == expected.at(at))
            ++at;
    }
    return at == expected.size();
}

QByteArray logText()
{
    return ("log:\n  " + g_log.join(QStringLiteral("\n  "))).toUtf8();
}

#define VERIFY_LOG(...) QVERIFY2(logHasInOrder(QStringList{__VA_ARGS__}), logText().constData())

// ---------------------------------------------------------------------------
// Scriptable fake backend
// ---------------------------------------------------------------------------

/// How the fake peer behaves, and what the host did to it.
struct FakeScript
{
    enum ConnectMode
    {
        ConnectOk,
        ConnectSyncError,
        ConnectAsyncError,
        ConnectNever
    };
    ConnectMode connectMode = ConnectOk;
    /// Attempts answered with connectMode before the peer accepts (ConnectOk) one.
    int failingAttempts = 1000;
    QList<QBluetoothUuid> services = {kGenericAccess, kConfigService};
    bool discoveryHangs = false;
    bool dropDuringDiscovery = false;
    bool detailsHang = false;
    bool withDataCharacteristic = true;
    bool closingHangs = false;

    int connectCalls = 0;
    int disconnectCalls = 0;
    QList<QByteArray> writes;
    QList<QLowEnergyService::WriteMode> writeModes;
    QList<QPair<QBluetoothUuid, QByteArray>> descriptorWrites;
    QList<QLowEnergyConnectionParameters> updateRequests;
    /// Called on each characteristic write (after recording it).
    std::function<void(const QByteArray &)> onWrite;
};

class FakeService : public BleService
{
public:
    FakeService(FakeScript *script, const QBluetoothUuid &uuid, QObject *parent)
        : BleService(parent), m_script(script), m_uuid(uuid)
    {
    }

    QBluetoothUuid serviceUuid() const override { return m_uuid; }
    QLowEnergyService::ServiceState state() const override { return m_state; }
    void discoverDetails() override
    {
        setState(QLowEnergyService::DiscoveringServices);
        if (!m_script->detailsHang)
            QTimer::singleShot(0, this, [this] { setState(QLowEnergyService::ServiceDiscovered); });
    }
    QList<BleCharacteristic> characteristics() const override
    {
        if (m_state != QLowEnergyService::ServiceDiscovered || m_uuid != kConfigService)
            return {};
        QList<BleCharacteristic> list{{QBluetoothUuid(QBluetoothUuid::DeviceName), {}}};
        if (m_script->withDataCharacteristic)
            list.append({kDataChar, {kCccd}});
        return list;
    }
    void writeCharacteristic(const BleCharacteristic &c, const QByteArray &value,
                             QLowEnergyService::WriteMode mode) override
    {
        if (c.uuid != kDataChar)
            return;
        m_script->writes.append(value);
        m_script->writeModes.append(mode);
        if (m_script->onWrite)
            m_script->onWrite(value);
    }
    void writeDescriptor(const BleDescriptor &d, const QByteArray &value) override
    {
        m_script->descriptorWrites.append({d.uuid, value});
    }

    void invalidate() { setState(QLowEnergyService::InvalidService); }
    /// A notification of the data characteristic (or of another one).
    void notify(const QByteArray &value, const QBluetoothUuid &characteristic = kDataChar)
    {
        emit characteristicChanged(BleCharacteristic{characteristic, {}}, value);
    }

private:
    void setState(QLowEnergyService::ServiceState state)
    {
        m_state = state;
        emit stateChanged(state);
    }

    FakeScript *m_script;
    QBluetoothUuid m_uuid;
    QLowEnergyService::ServiceState m_state = QLowEnergyService::DiscoveryRequired;
};

class FakeController : public BleController
{
public:
    FakeController(FakeScript *script, QObject *parent) : BleController(parent), m_script(script) {}

    QLowEnergyController::ControllerState state() const override { return m_state; }
    QLowEnergyController::Error error() const override { return m_error; }
    QString errorString() const override { return QStringLiteral("fake error %1").arg(int(m_error)); }

    void connectToDevice() override
    {
        ++m_script->connectCalls;
        if (m_state != QLowEnergyController::UnconnectedState)
            return;
        m_error = QLowEnergyController::NoError;
        const FakeScript::ConnectMode mode = m_script->connectCalls <= m_script->failingAttempts
                                                 ? m_script->connectMode
                                                 : FakeScript::ConnectOk;
        switch (mode) {
        case FakeScript::ConnectSyncError:
            // What Qt does without an adapter: the error comes inside the call.
            m_error = QLowEnergyController::InvalidBluetoothAdapterError;
            emit errorOccurred(m_error);
            return;
        case FakeScript::ConnectAsyncError:
            setState(QLowEnergyController::ConnectingState);
            QTimer::singleShot(0, this, [this] {
                m_error = QLowEnergyController::ConnectionError;
                emit errorOccurred(m_error);
                setState(QLowEnergyController::UnconnectedState);
            });
            return;
        case FakeScript::ConnectNever:
            setState(QLowEnergyController::ConnectingState);
            return;
        case FakeScript::ConnectOk:
            setState(QLowEnergyController::ConnectingState);
            QTimer::singleShot(0, this, [this] {
                if (m_state != QLowEnergyController::ConnectingState)
                    return;
                setState(QLowEnergyController::ConnectedState);
                emit connected();
            });
            return;
        }
    }

    void disconnectFromDevice() override
    {
        ++m_script->disconnectCalls;
        if (m_state == QLowEnergyController::UnconnectedState)
            return;
        if (m_state == QLowEnergyController::ConnectingState) {
            setState(QLowEnergyController::UnconnectedState);
            return;
        }
        setState(QLowEnergyController::ClosingState);
        if (!m_script->closingHangs)
            QTimer::singleShot(0, this, [this] { dropLink(); });
    }

    void discoverServices() override
    {
        setState(QLowEnergyController::DiscoveringState);
        if (m_script->discoveryHangs)
            return;
        QTimer::singleShot(0, this, [this] {
            for (const QBluetoothUuid &uuid : qAsConst(m_script->services))
                emit serviceDiscovered(uuid);
            if (m_script->dropDuringDiscovery) {
                dropLink();
                return;
            }
            setState(QLowEnergyController::DiscoveredState);
            emit discoveryFinished();
        });
    }

    BleService *createServiceObject(const QBluetoothUuid &service, QObject *parent) override
    {
        auto *s = new FakeService(m_script, service, parent);
        m_services.append(s);
        return s;
    }

    void requestConnectionUpdate(const QLowEnergyConnectionParameters &parameters) override
    {
        m_script->updateRequests.append(parameters);
        QLowEnergyConnectionParameters granted = parameters;
        QTimer::singleShot(0, this, [this, granted] { emit connectionUpdated(granted); });
    }

    /// The peer drops the link.
    void dropLink()
    {
        for (const QPointer<FakeService> &s : qAsConst(m_services)) {
            if (s)
                s->invalidate();
        }
        setState(QLowEnergyController::UnconnectedState);
        emit disconnected();
    }

    /// The last service object created for the configuration service.
    FakeService *configService() const
    {
        for (int i = m_services.size() - 1; i >= 0; --i) {
            if (m_services.at(i) && m_services.at(i)->serviceUuid() == kConfigService)
                return m_services.at(i);
        }
        return nullptr;
    }

private:
    void setState(QLowEnergyController::ControllerState state)
    {
        m_state = state;
        emit stateChanged(state);
    }

    FakeScript *m_script;
    QLowEnergyController::ControllerState m_state = QLowEnergyController::UnconnectedState;
    QLowEnergyController::Error m_error = QLowEnergyController::NoError;
    QList<QPointer<FakeService>> m_services;
};

class FakeBackend : public BleBackend
{
public:
    BleController *createController(const QBluetoothDeviceInfo &remote, QObject *parent) override
    {
        remoteAddress = remote.address().toString();
        controller = new FakeController(&script, parent);
        return controller;
    }
    BleDiscoveryAgent *createDiscoveryAgent(QObject *) override { return nullptr; }

    FakeScript script;
    QPointer<FakeController> controller;
    QString remoteAddress;
};

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

QByteArray pattern(int size)
{
    QByteArray b(size, 0);
    for (int i = 0; i < size; ++i)
        b[i] = char(i * 7 + 1);
    return b;
}

/// Calls fn from the event loop after ms milliseconds.
void later(int ms, const std::function<void()> &fn)
{
    QTimer::singleShot(ms, fn);
}

TransportPacket packet(const QByteArray &content)
{
    TransportPacket p{};
    p.len = quint8(content.size());
    std::memcpy(p.data, content.constData(), size_t(content.size()));
    return p;
}

} // namespace

Q_DECLARE_METATYPE(FakeScript::ConnectMode)

class TestBle : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    // CommBle
    void openConnectsDiscoversAndEnablesNotifications();
    void openFailures_data();
    void openFailures();
    void openFailureReturnsWithoutWaitingOnSyncError();
    void connectionTimeoutAbandonsAttempt();
    void writeFraming_data();
    void writeFraming();
    void writeWithoutServiceFails();
    void notificationFraming_data();
    void notificationFraming();
    void writeDiscardsUnreadBytes();
    void readGathersNotificationsAndKeepsRemainder();
    void readTimeoutBoundsSilenceNotWholeRead();
    void readTimeoutReturnsZero_data();
    void readTimeoutReturnsZero();
    void readOnLinkLossReturnsError();
    void readDeliversWhatCameBeforeLinkLoss();
    void closeWaitsForClosingStateAndIsBounded();
    void waitForDisconnection_data();
    void waitForDisconnection();
    void connectionInterval();
    void cancelConnection();

    // Ble and its link table
    void bleOpenAttempts_data();
    void bleOpenAttempts();
    void bleOpenSuccessReportsStatus();
    void bleDiscoveryFailures_data();
    void bleDiscoveryFailures();
    void bleExchange_data();
    void bleExchange();
    void bleExchangeTimeoutAndLinkLoss();
    void bleLinkTableLifecycle();

    // Through the simulator
    void simBufferSizeQuery();
    void simLongAnswerSpansNotifications();
    void simLongRequestReachesDevice();
    void simUnplugBreaksRead();
    void simUnknownAddressFailsToConnect();
    void simScannerReportsDevice();
    void simBleLinkOpens();
    void bleCloseThenOpenAtOnce();

    // Qt Bluetooth itself
    void realBackendWithoutAdapter();

private:
    std::unique_ptr<CommBle> openedComm();

    std::unique_ptr<FakeBackend> m_fake;
};

void TestBle::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("pelm.ble.debug=true"));
    qRegisterMetaType<QBluetoothDeviceInfo>();
    g_previousHandler = qInstallMessageHandler(captureBleLog);
}

void TestBle::init()
{
    m_fake = std::make_unique<FakeBackend>();
    setBleBackend(m_fake.get());
    g_log.clear();
}

void TestBle::cleanup()
{
    bleLinkTable().destroy();
    uninstallSimBle();
    setBleBackend(nullptr);
    m_fake.reset();
}

std::unique_ptr<CommBle> TestBle::openedComm()
{
    auto comm = std::make_unique<CommBle>(kAddress);
    CommBle::Timeouts t;
    t.connectMs = t.serviceDiscoveryMs = t.charDiscoveryMs = t.closeMs = kShortWaitMs;
    comm->setTimeouts(t);
    if (!comm->open())
        return nullptr;
    g_log.clear();
    return comm;
}

// ---------------------------------------------------------------------------
// CommBle
// ---------------------------------------------------------------------------

void TestBle::openConnectsDiscoversAndEnablesNotifications()
{
    m_fake->script.failingAttempts = 0;
    CommBle comm(kAddress);
    QCOMPARE(comm.linkCode(), quint8(kLinkBle));
    QCOMPARE(m_fake->remoteAddress, kAddress);
    QVERIFY(!comm.isConnected());

    QVERIFY(comm.open());
    QVERIFY(comm.isConnected());
    const QString config = kConfigService.toString();
    VERIFY_LOG(QStringLiteral("Trying to connect to device %1 ...").arg(kAddress),
               QStringLiteral("device %1 connected").arg(kAddress), QStringLiteral("Connection Completed"),
               QStringLiteral("Start Services and Characteristics discovering"),
               QStringLiteral("service : %1 found (Not QUOR one)").arg(kGenericAccess.toString()),
               QStringLiteral("service : %1 found (QUOR one)").arg(config),
               QStringLiteral("Service Discovering Completed"),
               QStringLiteral("Start Char discovering for service: %1").arg(config),
               QStringLiteral("Service State change : 2"), QStringLiteral("Service State change : 3"),
               QStringLiteral("All Char discovered"), QStringLiteral("Char Discovering Completed"),
               QStringLiteral("Service number : 1"));
    // Notifications of the data characteristic were switched on.
    QCOMPARE(m_fake->script.descriptorWrites.size(), 1);
    QCOMPARE(m_fake->script.descriptorWrites.first().first, kCccd);
    QCOMPARE(m_fake->script.descriptorWrites.first().second, kNotifyOn);
    QCOMPARE(comm.connectionParameters().latency(), CommBle::kConnectionLatency);

    // Already connected: no new connection, no new discovery.
    g_log.clear();
    QVERIFY(comm.open());
    QCOMPARE(m_fake->script.connectCalls, 1);
    QVERIFY(g_log.isEmpty());
}

void TestBle::openFailures_data()
{
    QTest::addColumn<FakeScript::ConnectMode>("mode");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("expectedLog");
    QTest::addColumn<bool>("closedAfterConnect");

    const QString config = kConfigService.toString();
    QTest::newRow("adapter missing") << FakeScript::ConnectSyncError << QString()
                                     << QStringList{"Error 4 during, please connect again",
                                                    "Connection Failed"}
                                     << false;
    QTest::newRow("connection refused")
        << FakeScript::ConnectAsyncError << QString()
        << QStringList{"Error 5 during, please connect again", "device " + kAddress + " disconnected",
                       "Connection Failed"}
        << false;
    QTest::newRow("no configuration service")
        << FakeScript::ConnectOk << "noService"
        << QStringList{"Service Discovering Completed", "Service number : 0", "ScanChar failed"} << true;
    QTest::newRow("configuration service twice")
        << FakeScript::ConnectOk << "twoServices"
        << QStringList{"service : " + config + " found (QUOR one)",
                       "service : " + config + " found (QUOR one)", "Service number : 2", "ScanChar failed"}
        << true;
    QTest::newRow("service discovery silent")
        << FakeScript::ConnectOk << "discoveryHangs"
        << QStringList{"Service Discovering Timeout", "Service Discovering Failed", "ScanServices failed"}
        << true;
    QTest::newRow("link lost during discovery")
        << FakeScript::ConnectOk << "dropDuringDiscovery"
        << QStringList{"device " + kAddress + " disconnected", "Service Discovering Failed",
                       "ScanServices failed"}
        << false;
    QTest::newRow("characteristic discovery silent")
        << FakeScript::ConnectOk << "detailsHang"
        << QStringList{"Char Discovering Timeout", "Char Discovering Failed", "Service number : 1",
                       "ScanChar failed"}
        << true;
    QTest::newRow("data characteristic missing")
        << FakeScript::ConnectOk << "noDataChar"
        << QStringList{"All Char discovered", "Char Discovering Failed", "ScanChar failed"} << true;
}

void TestBle::openFailures()
{
    QFETCH(FakeScript::ConnectMode, mode);
    QFETCH(QString, fault);
    QFETCH(QStringList, expectedLog);
    QFETCH(bool, closedAfterConnect);

    FakeScript &s = m_fake->script;
    s.connectMode = mode;
    if (fault == "noService")
        s.services = {kGenericAccess};
    else if (fault == "twoServices")
        s.services = {kConfigService, kConfigService};
    else if (fault == "discoveryHangs")
        s.discoveryHangs = true;
    else if (fault == "dropDuringDiscovery")
        s.dropDuringDiscovery = true;
    else if (fault == "detailsHang")
        s.detailsHang = true;
    else if (fault == "noDataChar")
        s.withDataCharacteristic = false;

    CommBle comm(kAddress);
    CommBle::Timeouts t;
    t.connectMs = t.serviceDiscoveryMs = t.charDiscoveryMs = t.closeMs = kShortWaitMs;
    comm.setTimeouts(t);
    QVERIFY(!comm.open());
    QVERIFY(!comm.isConnected());
    QVERIFY2(logHasInOrder(expectedLog), logText().constData());
    // A link that was up is dropped again.
    QCOMPARE(s.disconnectCalls > 0, closedAfterConnect);
    QCOMPARE(m_fake->controller->state(), QLowEnergyController::UnconnectedState);
    // A failed open sends nothing.
    QVERIFY(s.writes.isEmpty());
    QCOMPARE(comm.write(reinterpret_cast<const quint8 *>("\x62\x03\x00\x00"), 4), -1);
}

void TestBle::openFailureReturnsWithoutWaitingOnSyncError()
{
    // No adapter: the error comes inside connectToDevice(); open must not sit out the bound.
    m_fake->script.connectMode = FakeScript::ConnectSyncError;
    CommBle comm(kAddress); // default timeouts
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!comm.open());
    QVERIFY2(clock.elapsed() < CommBle::kConnectTimeoutMs / 10, QByteArray::number(clock.elapsed()));
}

void TestBle::connectionTimeoutAbandonsAttempt()
{
    m_fake->script.connectMode = FakeScript::ConnectNever;
    CommBle comm(kAddress);
    CommBle::Timeouts t;
    t.connectMs = 200;
    comm.setTimeouts(t);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!comm.open());
    QVERIFY2(clock.elapsed() >= 190 && clock.elapsed() < 2000, QByteArray::number(clock.elapsed()));
    QCOMPARE(m_fake->script.disconnectCalls, 1);
    QCOMPARE(m_fake->controller->state(), QLowEnergyController::UnconnectedState);
    VERIFY_LOG("Connection Failed");
}

void TestBle::writeFraming_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("result");
    QTest::newRow("empty") << 0 << 0;
    QTest::newRow("request header") << 4 << 4;
    QTest::newRow("largest frame") << 254 << 254;
    QTest::newRow("too long") << 255 << -1;
    QTest::newRow("much too long") << 300 << -1;
}

void TestBle::writeFraming()
{
    QFETCH(int, length);
    QFETCH(int, result);
    m_fake->script.failingAttempts = 0;
    auto comm = openedComm();
    QVERIFY(comm);

    const QByteArray data = pattern(length);
    QCOMPARE(comm->write(reinterpret_cast<const quint8 *>(data.constData()), quint32(length)), result);
    if (result < 0) {
        QVERIFY(m_fake->script.writes.isEmpty());
        VERIFY_LOG("Please do not write more than 250 bytes in BLE (have to debug this)");
        return;
    }
    QCOMPARE(m_fake->script.writes.size(), 1);
    QCOMPARE(m_fake->script.writes.first(), char(length) + data);
    QCOMPARE(m_fake->script.writeModes.first(), QLowEnergyService::WriteWithoutResponse);
}

void TestBle::writeWithoutServiceFails()
{
    CommBle comm(kAddress);
    const quint8 request[] = {kLinkBle, kCmdBufferSize, 0, 0};
    QCOMPARE(comm.write(request, sizeof request), -1);
    QCOMPARE(comm.write(nullptr, 4), -1);
    QVERIFY(m_fake->script.writes.isEmpty());
}

void TestBle::notificationFraming_data()
{
    QTest::addColumn<QList<QByteArray>>("notifications");
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QStringList>("expectedLog");

    QTest::newRow("whole frame") << QList<QByteArray>{bytes("03414243")} << bytes("414243") << QStringList();
    QTest::newRow("short frame dropped")
        << QList<QByteArray>{bytes("034142"), bytes("024445")} << bytes("4445")
        << QStringList{"BLE packet received: invalid information of size(3 bytes)"};
    QTest::newRow("bytes beyond the length ignored")
        << QList<QByteArray>{bytes("02414243")} << bytes("4142") << QStringList();
    QTest::newRow("empty notification dropped")
        << QList<QByteArray>{QByteArray(), bytes("0199")} << bytes("99")
        << QStringList{"BLE packet received: invalid information of size(0 bytes)"};
    QTest::newRow("empty frame adds nothing")
        << QList<QByteArray>{bytes("00"), bytes("0177")} << bytes("77") << QStringList();
    QTest::newRow("frames joined") << QList<QByteArray>{bytes("0162"), bytes("03010200"), bytes("0140")}
                                   << bytes("6201020040") << QStringList();
}

void TestBle::notificationFraming()
{
    QFETCH(QList<QByteArray>, notifications);
    QFETCH(QByteArray, received);
    QFETCH(QStringList, expectedLog);
    m_fake->script.failingAttempts = 0;
    auto comm = openedComm();
    QVERIFY(comm);
    FakeService *service = m_fake->controller->configService();
    QVERIFY(service);

    // A notification of another characteristic is none of the transport's business.
    service->notify(bytes("03AAAAAA"), QBluetoothUuid(QBluetoothUuid::DeviceName));
    for (const QByteArray &n : notifications)
        service->notify(n);

    QByteArray buffer(received.size(), 0);
    QCOMPARE(comm->read(reinterpret_cast<quint8 *>(buffer.data()), quint32(buffer.size()), 100),
             received.size());
    QCOMPARE(buffer, received);
    QVERIFY2(logHasInOrder(expectedLog), logText().constData());
    // Nothing else is waiting.
    quint8 extra;
    QCOMPARE(comm->read(&extra, 1, 50), 0);
}

void TestBle::writeDiscardsUnreadBytes()
{
    m_fake->script.failingAttempts = 0;
    auto comm = openedComm();
    QVERIFY(comm);
    m_fake->controller->configService()->notify(bytes("02DEAD"));
    const quint8 request[] = {kLinkBle, kCmdBufferSize, 0, 0};
    QCOMPARE(comm->write(request, sizeof request), 4);
    quint8 buffer[2];
    QCOMPARE(comm->read(buffer, 2, 50), 0);
}

void TestBle::readGathersNotificationsAndKeepsRemainder()
{
    m_fake->script.failingAttempts = 0;
    auto comm = openedComm();
    QVERIFY(comm);
    FakeService *service = m_fake->controller->configService();
    later(20, [service] {
        service->notify(bytes("04"
                              "00010203"));
    });
    later(40, [service] {
        service->notify(bytes("06"
                              "040506070809"));
    });
    later(60, [service] {
        service->notify(bytes("03"
                              "0A0B0C"));
    });

    quint8 buffer[10] = {};
    QCOMPARE(comm->read(buffer, 10, 1000), 10);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buffer), 10), bytes("00010203040506070809"));
    // The rest of the last notification goes to the next read.
    quint8 rest[3] = {};
    QCOMPARE(comm->read(rest, 3, 1000), 3);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(rest), 3), bytes("0A0B0C"));
}

void TestBle::readTimeoutBoundsSilenceNotWholeRead()
{
    m_fake->script.failingAttempts = 0;
    auto comm = openedComm();
    QVERIFY(comm);
    FakeService *service = m_fake->controller->configService();
    // Six notifications 60 ms apart: 360 ms in all, though the read's timeout is 300 ms.
    for (int i = 0; i < 6; ++i)
        later(60 * (i + 1), [service, i] { service->notify(QByteArray(1, char(1)) + char(i)); });
    quint8 buffer[6] = {};
    QCOMPARE(comm->read(buffer, 6, 300), 6);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buffer), 6), bytes("000102030405"));
}

void TestBle::readTimeoutReturnsZero_data()
{
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<QByteArray>("before");
    QTest::newRow("silence, 1000 ms") << 1000 << QByteArray();
    QTest::newRow("answer stops half way, 300 ms") << 300 << bytes("020102");
}

void TestBle::readTimeoutReturnsZero()
{
    QFETCH(int, timeoutMs);
    QFETCH(QByteArray, before);
    m_fake->script.failingAttempts = 0;
    auto comm = openedComm();
    QVERIFY(comm);
    if (!before.isEmpty())
        m_fake->controller->configService()->notify(before);

    quint8 buffer[8];
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(comm->read(buffer, sizeof buffer, timeoutMs), 0);
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= timeoutMs * 9 / 10 && elapsed < timeoutMs * 2, QByteArray::number(elapsed));
    VERIFY_LOG("Reception Timeout");
    QVERIFY(comm->isConnected());
}

void TestBle::readOnLinkLossReturnsError()
{
    m_fake->script.failingAttempts = 0;
    auto comm = openedComm();
    QVERIFY(comm);
    QPointer<FakeController> controller = m_fake->controller;
    later(50, [controller] { controller->dropLink(); });

    quint8 buffer[4];
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(comm->read(buffer, sizeof buffer, 5000), -1);
    QVERIFY2(clock.elapsed() < 1000, QByteArray::number(clock.elapsed()));
    QVERIFY(!comm->isConnected());
    VERIFY_LOG(QStringLiteral("device %1 disconnected").arg(kAddress));
    // And a read on the dead link fails at once.
    QCOMPARE(comm->read(buffer, sizeof buffer, 5000), -1);
}

void TestBle::readDeliversWhatCameBeforeLinkLoss()
{
    // A device that restarts right after its answer: the answer's notification and the link's
    // loss reach the read in the same turn of its event loop. The answer came; it is read.
    m_fake->script.failingAttempts = 0;
    auto comm = openedComm();
    QVERIFY(comm);
    QPointer<FakeController> controller = m_fake->controller;
    later(50, [controller] {
        controller->configService()->notify(bytes("0401020304"));
        controller->dropLink();
    });
    quint8 buffer[4] = {};
    QCOMPARE(comm->read(buffer, sizeof buffer, kReadTimeoutMs), 4);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buffer), 4), bytes("01020304"));
    // Nothing more can come on the dead link: the next read fails at once.
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(comm->read(buffer, sizeof buffer, kReadTimeoutMs), -1);
    QVERIFY2(clock.elapsed() < kReadTimeoutMs / 2, QByteArray::number(clock.elapsed()));

    // Half an answer before the loss is no answer.
    auto again = openedComm();
    QVERIFY(again);
    controller = m_fake->controller;
    later(50, [controller] {
        controller->configService()->notify(bytes("020102"));
        controller->dropLink();
    });
    QCOMPARE(again->read(buffer, sizeof buffer, kReadTimeoutMs), -1);
}

void TestBle::closeWaitsForClosingStateAndIsBounded()
{
    m_fake->script.failingAttempts = 0;
    {
        auto comm = openedComm();
        QVERIFY(comm);
        QCOMPARE(comm->close(), 0);
        QCOMPARE(m_fake->controller->state(), QLowEnergyController::UnconnectedState);
        QVERIFY(!comm->isConnected());
        QCOMPARE(m_fake->script.disconnectCalls, 1);
        // Closing a closed link does nothing.
        QCOMPARE(comm->close(), 0);
        QCOMPARE(m_fake->script.disconnectCalls, 1);
    }
    // A controller that never leaves its closing state does not hold close() forever.
    m_fake->script.closingHangs = true;
    auto comm = openedComm();
    QVERIFY(comm);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(comm->close(), 0);
    QVERIFY2(clock.elapsed() < 1000, QByteArray::number(clock.elapsed()));
    QVERIFY(!comm->isConnected());
}

void TestBle::waitForDisconnection_data()
{
    QTest::addColumn<int>("dropAfterMs");
    QTest::addColumn<QStringList>("expectedLog");
    QTest::addColumn<QStringList>("absentLog");
    QTest::newRow("device drops the link")
        << 50 << QStringList{"device " + kAddress + " disconnected", "Disconnect Signal received"}
        << QStringList{"Disconnect Signal receive timeout"};
    QTest::newRow("device keeps the link")
        << -1 << QStringList{"Disconnect Signal receive timeout", "Disconnect Signal received"}
        << QStringList();
}

void TestBle::waitForDisconnection()
{
    QFETCH(int, dropAfterMs);
    QFETCH(QStringList, expectedLog);
    QFETCH(QStringList, absentLog);
    m_fake->script.failingAttempts = 0;
    auto comm = openedComm();
    QVERIFY(comm);
    QPointer<FakeController> controller = m_fake->controller;
    if (dropAfterMs >= 0)
        later(dropAfterMs, [controller] { controller->dropLink(); });

    QElapsedTimer clock;
    clock.start();
    comm->waitForDisconnection(300);
    QVERIFY2(clock.elapsed() < 1000, QByteArray::number(clock.elapsed()));
    QVERIFY2(logHasInOrder(expectedLog), logText().constData());
    for (const QString &line : absentLog)
        QVERIFY2(!g_log.contains(line), qPrintable(line));
    QVERIFY(!comm->isConnected());
    QCOMPARE(controller->state(), QLowEnergyController::UnconnectedState);

    // Not connected: nothing to wait for.
    g_log.clear();
    clock.restart();
    comm->waitForDisconnection(300);
    QVERIFY(clock.elapsed() < 100);
    QVERIFY(g_log.isEmpty());
}

void TestBle::connectionInterval()
{
    m_fake->script.failingAttempts = 0;
    auto comm = openedComm();
    QVERIFY(comm);
    comm->setConnectionInterval(7.5, 15);
    QCOMPARE(m_fake->script.updateRequests.size(), 1);
    const QLowEnergyConnectionParameters asked = m_fake->script.updateRequests.first();
    QCOMPARE(asked.minimumInterval(), 7.5);
    QCOMPARE(asked.maximumInterval(), 15.0);
    QCOMPARE(asked.latency(), CommBle::kConnectionLatency);
    QTRY_VERIFY(g_log.contains("New Connection param request receive. Update Connection Param 7.500000"));
    QCOMPARE(comm->connectionParameters().maximumInterval(), 15.0);
}

void TestBle::cancelConnection()
{
    m_fake->script.connectMode = FakeScript::ConnectNever;
    CommBle comm(kAddress);
    CommBle::Timeouts t;
    t.connectMs = 5000;
    comm.setTimeouts(t);
    later(30, [&comm] { comm.CancelConnection(); });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!comm.open());
    QVERIFY2(clock.elapsed() < 1000, QByteArray::number(clock.elapsed()));
    QCOMPARE(m_fake->script.disconnectCalls, 1);
    // Nothing to cancel when idle.
    comm.CancelConnection();
    QCOMPARE(m_fake->script.disconnectCalls, 1);
}

// ---------------------------------------------------------------------------
// Ble and the link table
// ---------------------------------------------------------------------------

void TestBle::bleOpenAttempts_data()
{
    QTest::addColumn<FakeScript::ConnectMode>("mode");
    QTest::addColumn<int>("failingAttempts");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("attemptFailure");

    QTest::newRow("adapter missing, 3 attempts")
        << FakeScript::ConnectSyncError << 1000 << false << "Error 4 in Connection";
    QTest::newRow("refused, 3 attempts")
        << FakeScript::ConnectAsyncError << 1000 << false << "Error 5 in Connection";
    QTest::newRow("never connects, 3 attempts")
        << FakeScript::ConnectNever << 1000 << false << "Connection Timeout reached";
    QTest::newRow("third attempt succeeds")
        << FakeScript::ConnectAsyncError << 2 << true << "Error 5 in Connection";
    QTest::newRow("second attempt succeeds after a timeout")
        << FakeScript::ConnectNever << 1 << true << "Connection Timeout reached";
}

void TestBle::bleOpenAttempts()
{
    QFETCH(FakeScript::ConnectMode, mode);
    QFETCH(int, failingAttempts);
    QFETCH(bool, opens);
    QFETCH(QString, attemptFailure);
    m_fake->script.connectMode = mode;
    m_fake->script.failingAttempts = failingAttempts;

    Ble ble(kAddress);
    Ble::Timing timing;
    timing.connectSliceMs = 2; // Ble::kConnectSlices of them: 60 ms per attempt
    timing.discoverySliceMs = 20;
    ble.setTiming(timing);
    QSignalSpy status(&ble, &Ble::printStatus);

    QCOMPARE(ble.open(), opens);
    const int attempts = opens ? failingAttempts + 1 : Ble::kConnectAttempts;
    QCOMPARE(m_fake->script.connectCalls, attempts);
    QCOMPARE(g_log.count(QStringLiteral("Trying to connect device : %1 ...").arg(kAddress)), attempts);
    QCOMPARE(g_log.count(attemptFailure), opens ? failingAttempts : Ble::kConnectAttempts);
    QCOMPARE(g_log.contains("Connect failed"), !opens);
    QCOMPARE(ble.isConnected(), opens);
    if (opens) {
        VERIFY_LOG("Connection Completed.");
    } else {
        QVERIFY(m_fake->script.writes.isEmpty());
    }
    // Reported lines are also status texts.
    QVERIFY(status.count() >= attempts);
    QCOMPARE(status.first().first().toString(),
             QStringLiteral("Trying to connect device : %1 ...").arg(kAddress));
}

void TestBle::bleOpenSuccessReportsStatus()
{
    m_fake->script.failingAttempts = 0;
    Ble ble(kAddress);
    QSignalSpy status(&ble, &Ble::printStatus);
    QVERIFY(ble.open());
    const QString config = kConfigService.toString();
    VERIFY_LOG(QStringLiteral("Trying to connect device : %1 ...").arg(kAddress),
               QStringLiteral("Connection to device : %1 OK, Scanning Services ...").arg(kAddress),
               QStringLiteral("Connection Completed."),
               QStringLiteral("Start Services and Characteristics discovering"),
               QStringLiteral("Service Discovering End"),
               QStringLiteral("Start Char discovering for service: %1").arg(config),
               QStringLiteral("All Char discovered"), QStringLiteral("Char Discovering End"));
    QStringList statusTexts;
    for (const QList<QVariant> &args : qAsConst(status))
        statusTexts.append(args.first().toString());
    QCOMPARE(statusTexts,
             (QStringList{QStringLiteral("Trying to connect device : %1 ...").arg(kAddress),
                          QStringLiteral("Connection to device : %1 OK, Scanning Services ...").arg(kAddress),
                          QStringLiteral("Connection Completed.")}));
    QCOMPARE(m_fake->script.descriptorWrites.size(), 1);
    QCOMPARE(m_fake->script.descriptorWrites.first().second, kNotifyOn);
    // Open again: nothing new.
    QVERIFY(ble.open());
    QCOMPARE(m_fake->script.connectCalls, 1);
}

void TestBle::bleDiscoveryFailures_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("expectedLog");
    QTest::newRow("service discovery silent")
        << "discoveryHangs" << QStringList{"Service Discovering Timeout", "ScanServices failed"};
    QTest::newRow("no configuration service")
        << "noService" << QStringList{"Service Discovering End", "ScanChar failed"};
    QTest::newRow("characteristic discovery silent")
        << "detailsHang" << QStringList{"Char Discovering Timeout", "ScanChar failed"};
    QTest::newRow("data characteristic missing")
        << "noDataChar" << QStringList{"All Char discovered", "Char Discovering End", "ScanChar failed"};
}

void TestBle::bleDiscoveryFailures()
{
    QFETCH(QString, fault);
    QFETCH(QStringList, expectedLog);
    FakeScript &s = m_fake->script;
    s.failingAttempts = 0;
    s.discoveryHangs = fault == "discoveryHangs";
    s.detailsHang = fault == "detailsHang";
    s.withDataCharacteristic = fault != "noDataChar";
    if (fault == "noService")
        s.services = {kGenericAccess};

    Ble ble(kAddress);
    Ble::Timing timing;
    timing.discoverySliceMs = 10;
    ble.setTiming(timing);
    QVERIFY(!ble.open());
    QVERIFY2(logHasInOrder(expectedLog), logText().constData());
    QVERIFY(!ble.isConnected());
    QCOMPARE(s.disconnectCalls, 1);
}

void TestBle::bleExchange_data()
{
    QTest::addColumn<QByteArray>("tx");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("notification");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("rx");

    // CONNECT (0xFF, mode 0, encrypted 1) and its positive answer.
    QTest::newRow("connect") << bytes("FF0001") << bytes("0403FF0001") << bytes("0201FF") << true
                             << bytes("FF");
    QTest::newRow("longer answer") << bytes("FD") << bytes("0201FD") << bytes("0706FF0001020304") << true
                                   << bytes("FF0001020304");
    QTest::newRow("largest packet") << pattern(254) << (bytes("FFFE") + pattern(254)) << bytes("0201FF")
                                    << true << bytes("FF");
    QTest::newRow("answer shorter than announced")
        << bytes("FF00") << bytes("0302FF00") << bytes("0504FF") << false << QByteArray();
    QTest::newRow("answer without packet length")
        << bytes("FF00") << bytes("0302FF00") << bytes("01") << false << QByteArray();
}

void TestBle::bleExchange()
{
    QFETCH(QByteArray, tx);
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, notification);
    QFETCH(bool, ok);
    QFETCH(QByteArray, rx);
    m_fake->script.failingAttempts = 0;
    Ble ble(kAddress);
    QVERIFY(ble.open());
    QPointer<FakeController> controller = m_fake->controller;
    m_fake->script.onWrite = [controller, notification](const QByteArray &) {
        QTimer::singleShot(10, [controller, notification] {
            if (controller)
                controller->configService()->notify(notification);
        });
    };
    // ReceiveReady carries a raw pointer: record it as it comes.
    QList<int> readyLengths;
    connect(&ble, &Ble::ReceiveReady, this,
            [&readyLengths](const char *, int len) { readyLengths.append(len); });

    const TransportPacket out = packet(tx);
    TransportPacket in{};
    QCOMPARE(ble.exchange(&out, &in, kReadTimeoutMs), ok);
    QCOMPARE(m_fake->script.writes, QList<QByteArray>{frame});
    QCOMPARE(m_fake->script.writeModes.first(), QLowEnergyService::WriteWithoutResponse);
    QCOMPARE(readyLengths, QList<int>{int(quint8(notification.at(0)))});
    if (ok) {
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(in.data), in.len), rx);
        VERIFY_LOG("reception OK");
    }
}

void TestBle::bleExchangeTimeoutAndLinkLoss()
{
    m_fake->script.failingAttempts = 0;
    Ble ble(kAddress);
    QVERIFY(ble.open());
    const TransportPacket out = packet(bytes("FF00"));
    TransportPacket in{};

    // Silence.
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!ble.exchange(&out, &in, 200));
    QVERIFY2(clock.elapsed() >= 180 && clock.elapsed() < 1500, QByteArray::number(clock.elapsed()));
    VERIFY_LOG("Recepion Timeout");

    // Null packets.
    QVERIFY(!ble.exchange(nullptr, &in, 200));
    QVERIFY(!ble.exchange(&out, nullptr, 200));

    // A packet too long for one frame is refused, not wrapped.
    const TransportPacket tooLong = packet(pattern(255));
    QVERIFY(!ble.exchange(&tooLong, &in, 200));
    QCOMPARE(m_fake->script.writes.size(), 1);

    // Link dropped while waiting: the exchange ends at once.
    QPointer<FakeController> controller = m_fake->controller;
    later(30, [controller] { controller->dropLink(); });
    clock.restart();
    QVERIFY(!ble.exchange(&out, &in, 5000));
    QVERIFY2(clock.elapsed() < 1000, QByteArray::number(clock.elapsed()));
    QVERIFY(!ble.isConnected());
    VERIFY_LOG(QStringLiteral("device : %1 disconnected").arg(kAddress), "Connection lost");

    // On the dropped link nothing is sent.
    g_log.clear();
    const int writes = m_fake->script.writes.size();
    QVERIFY(!ble.exchange(&out, &in, 5000));
    QCOMPARE(m_fake->script.writes.size(), writes);
    QCOMPARE(g_log, QStringList{"Connection lost"});
}

void TestBle::bleLinkTableLifecycle()
{
    m_fake->script.failingAttempts = 0;
    const BleLinkTable &table = bleLinkTable();
    const TransportPacket out = packet(bytes("FF0000"));
    TransportPacket in{};

    // Nothing created yet.
    QVERIFY(!bleLink());
    QVERIFY(!table.open());
    QVERIFY(!table.exchange(&out, &in, 100));
    table.close();

    Ble *link = table.create(kAddress);
    QVERIFY(link);
    QCOMPARE(bleLink(), link);
    QCOMPARE(link->address().toString(), kAddress);
    VERIFY_LOG("Ble_Connect");
    QCOMPARE(m_fake->script.connectCalls, 0); // prepared, not connected

    QVERIFY(table.open());
    QPointer<FakeController> controller = m_fake->controller;
    m_fake->script.onWrite = [controller](const QByteArray &) {
        QTimer::singleShot(0, [controller] { controller->configService()->notify(bytes("0201FF")); });
    };
    QVERIFY(table.exchange(&out, &in, kReadTimeoutMs));
    QCOMPARE(in.len, quint8(1));
    QCOMPARE(in.data[0], quint8(0xFF));

    table.close();
    QVERIFY(!link->isConnected());
    QCOMPARE(m_fake->script.disconnectCalls, 1);
    QVERIFY(!table.exchange(&out, &in, 100));

    // A second create replaces the link; destroy closes and forgets it.
    QPointer<Ble> first = link;
    Ble *second = table.create(QStringLiteral("00:80:E1:26:00:02"));
    QVERIFY(!first);
    QCOMPARE(bleLink(), second);
    QVERIFY(table.open());
    table.destroy();
    QVERIFY(!bleLink());
    QCOMPARE(m_fake->script.disconnectCalls, 2);
    table.destroy(); // nothing left: harmless
}

// ---------------------------------------------------------------------------
// Through the simulator
// ---------------------------------------------------------------------------

void TestBle::simBufferSizeQuery()
{
    SimDevice device;
    installSimBle(&device);
    CommBle comm(QString::fromLatin1(SimBleBackend::kDefaultAddress));
    QVERIFY(comm.open());

    const quint8 request[] = {kLinkBle, kCmdBufferSize, 0, 0};
    QCOMPARE(comm.write(request, sizeof request), 4);
    quint8 header[4] = {};
    QCOMPARE(comm.read(header, 4, kReadTimeoutMs), 4);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(header), 4), bytes("62010200"));
    quint8 size[2] = {};
    QCOMPARE(comm.read(size, 2, kReadTimeoutMs), 2);
    QCOMPARE(size[0] | (size[1] << 8), device.bufferSize());
    QCOMPARE(device.commandCount(kCmdBufferSize), 1);

    QCOMPARE(comm.close(), 0);
    QVERIFY(!comm.isConnected());
}

void TestBle::simLongAnswerSpansNotifications()
{
    SimDevice device;
    installSimBle(&device);
    const QByteArray payload = pattern(100);
    device.scriptAnswers(kCmdSerialRead, {SimDevice::answer(kLinkBle, kStatusComplete, payload)});
    CommBle comm(QString::fromLatin1(SimBleBackend::kDefaultAddress));
    QVERIFY(comm.open());
    QSignalSpy notifications(&comm, &CommBle::BleNotificationReceivedSignal);

    const quint8 request[] = {kLinkBle, kCmdSerialRead, 0, 0};
    QCOMPARE(comm.write(request, sizeof request), 4);
    quint8 header[4] = {};
    QCOMPARE(comm.read(header, 4, kReadTimeoutMs), 4);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(header), 4), bytes("62016400"));
    QByteArray data(payload.size(), 0);
    QCOMPARE(comm.read(reinterpret_cast<quint8 *>(data.data()), quint32(data.size()), kReadTimeoutMs),
             payload.size());
    QCOMPARE(data, payload);
    // 104 answer bytes in notifications of at most 19.
    const int total = 4 + payload.size();
    QCOMPARE(notifications.count(),
             (total + SimBleBackend::kNotifyPayloadBytes - 1) / SimBleBackend::kNotifyPayloadBytes);
}

void TestBle::simLongRequestReachesDevice()
{
    SimDevice device;
    installSimBle(&device);
    CommBle comm(QString::fromLatin1(SimBleBackend::kDefaultAddress));
    QVERIFY(comm.open());

    const QByteArray text = pattern(120);
    QByteArray request =
        QByteArray(1, char(kLinkBle)) + char(kCmdSerialWrite) + char(text.size()) + char(0) + text;
    QCOMPARE(comm.write(reinterpret_cast<const quint8 *>(request.constData()), quint32(request.size())),
             request.size());
    quint8 header[4] = {};
    QCOMPARE(comm.read(header, 4, kReadTimeoutMs), 4);
    QCOMPARE(header[0], kLinkBle);
    QCOMPARE(device.moduleInput(), text);
}

void TestBle::simUnplugBreaksRead()
{
    SimDevice device;
    installSimBle(&device);
    CommBle comm(QString::fromLatin1(SimBleBackend::kDefaultAddress));
    QVERIFY(comm.open());
    later(50, [&device] { device.setPlugged(false); });

    quint8 buffer[4];
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(comm.read(buffer, 4, 5000), -1);
    QVERIFY2(clock.elapsed() < 1000, QByteArray::number(clock.elapsed()));
    QVERIFY(!comm.isConnected());

    // An unplugged device cannot be reached again.
    CommBle::Timeouts t;
    t.connectMs = 300;
    comm.setTimeouts(t);
    QVERIFY(!comm.open());
    device.setPlugged(true);
    QVERIFY(comm.open());
}

void TestBle::simUnknownAddressFailsToConnect()
{
    SimDevice device;
    installSimBle(&device);
    CommBle comm(QStringLiteral("00:80:E1:26:00:99"));
    QVERIFY(!comm.open());
    VERIFY_LOG(QStringLiteral("Error %1 during, please connect again")
                   .arg(int(QLowEnergyController::UnknownRemoteDeviceError)),
               "Connection Failed");
}

void TestBle::simScannerReportsDevice()
{
    SimDevice device;
    SimBleBackend *sim = installSimBle(&device);
    QObject owner;
    BleDiscoveryAgent *agent = bleBackend().createDiscoveryAgent(&owner);
    QSignalSpy discovered(agent, &BleDiscoveryAgent::deviceDiscovered);
    int updates = 0;
    connect(agent, &BleDiscoveryAgent::deviceUpdated, this,
            [&updates](const QBluetoothDeviceInfo &, QBluetoothDeviceInfo::Fields) { ++updates; });
    agent->setLowEnergyDiscoveryTimeout(0);
    agent->start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
    QVERIFY(agent->isActive());
    QTRY_COMPARE(discovered.count(), 1);
    const auto info = discovered.first().first().value<QBluetoothDeviceInfo>();
    QVERIFY(info.name().contains(QLatin1String("qmx"), Qt::CaseInsensitive));
    QCOMPARE(info.address().toString(), QString::fromLatin1(SimBleBackend::kDefaultAddress));
    QVERIFY(info.coreConfigurations() & QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
    QCOMPARE(info.rssi(), sim->deviceInfo().rssi());
    QVERIFY(info.rssi() != 0);
    QTRY_VERIFY_WITH_TIMEOUT(updates >= 1, 3000);
    QCOMPARE(discovered.count(), 1);
    agent->stop();
    QVERIFY(!agent->isActive());
}

void TestBle::simBleLinkOpens()
{
    SimDevice device;
    installSimBle(&device);
    Ble ble(QString::fromLatin1(SimBleBackend::kDefaultAddress));
    QVERIFY(ble.open());
    QVERIFY(ble.isConnected());
    device.setPlugged(false);
    QTRY_VERIFY(!ble.isConnected());
}

void TestBle::bleCloseThenOpenAtOnce()
{
    // The session closes its link and opens it again right away: close waits until the
    // controller has finished closing, so the next connection does not sit out its timeout.
    m_fake->script.failingAttempts = 0;
    Ble ble(kAddress);
    QVERIFY(ble.open());
    ble.close();
    QCOMPARE(m_fake->controller->state(), QLowEnergyController::UnconnectedState);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(ble.open());
    QVERIFY2(clock.elapsed() < 1000, QByteArray::number(clock.elapsed()));
    QCOMPARE(m_fake->script.connectCalls, 2);

    // A controller that never finishes closing does not hold close() for ever.
    m_fake->script.closingHangs = true;
    Ble::Timing timing;
    timing.closeMs = 200;
    ble.setTiming(timing);
    clock.restart();
    ble.close();
    QVERIFY2(clock.elapsed() < 1000, QByteArray::number(clock.elapsed()));
    QVERIFY(!ble.isConnected());
}

// ---------------------------------------------------------------------------
// Qt Bluetooth itself
// ---------------------------------------------------------------------------

void TestBle::realBackendWithoutAdapter()
{
    setBleBackend(nullptr);
    if (!QBluetoothLocalDevice::allDevices().isEmpty())
        QSKIP("This machine has a Bluetooth adapter");

    // No adapter: both links fail at once, with the controller's error in the log.
    QElapsedTimer clock;
    clock.start();
    {
        CommBle comm(kAddress);
        QVERIFY(!comm.open());
        QVERIFY(!comm.isConnected());
        const quint8 request[] = {kLinkBle, kCmdBufferSize, 0, 0};
        QCOMPARE(comm.write(request, sizeof request), -1);
        quint8 header[4];
        QCOMPARE(comm.read(header, 4, 100), -1);
    }
    VERIFY_LOG(QStringLiteral("Trying to connect to device %1 ...").arg(kAddress), "Connection Failed");

    Ble ble(kAddress);
    QVERIFY(!ble.open());
    QCOMPARE(g_log.count(QStringLiteral("Trying to connect device : %1 ...").arg(kAddress)),
             Ble::kConnectAttempts);
    VERIFY_LOG("Connect failed");
    QVERIFY2(clock.elapsed() < 5000, QByteArray::number(clock.elapsed()));
}

QTEST_GUILESS_MAIN(TestBle)
#include "tst_ble.moc"

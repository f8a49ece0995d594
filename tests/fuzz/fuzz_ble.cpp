// Fuzz target: the BLE notification framing of the configuration transport (CommBle) and of
// the bootloader link (Ble), through an in-memory Bluetooth backend whose peer answers each
// characteristic write with notifications taken from the fuzz input.
//
// Input: byte 0 picks the scenario (bit 0: Ble, else CommBle; bits 1..2: what CommBle runs:
// reads of the protocol's sizes, an apply's or a load's parameter exchange, answers one after
// another), byte 1 is a scenario parameter (a read length, the packet length sent). Then the notifications,
// group by group: the notifications of a group answer one write, all at once. Each begins with a tag byte:
//   0x00         the group ends (what follows answers the next write);
//   0x01..0xFC   a notification of tag - 1 bytes follows;
//   0xFD, L      a notification of L bytes of another characteristic (to be ignored) follows;
//   0xFE, X      a notification of 252 + X bytes follows (longer than a frame can announce).
// The bytes of a notification are its whole value, length byte included. Checked: what the
// transports deliver is exactly the payload of the well-formed frames, in order.

#include "FuzzSupport.h"

#include "device/protocol/Protocol.h"
#include "frames/OrvFrame.h"
#include "links/Ble.h"
#include "links/BleSeam.h"
#include "links/CommBle.h"

#include <QCoreApplication>
#include <QList>
#include <QPointer>

#include <cstdint>
#include <cstring>

namespace {

const QString kAddress = QStringLiteral("00:80:E1:26:00:01");
const QBluetoothUuid kConfigService(QString::fromLatin1(BleGatt::kConfigServiceUuid));
const QBluetoothUuid kDataChar(QString::fromLatin1(BleGatt::kDataCharacteristicUuid));
const QBluetoothUuid kOtherChar(QBluetoothUuid::DeviceName);
const QBluetoothUuid kCccd(QBluetoothUuid::ClientCharacteristicConfiguration);

constexpr quint8 kFlagBootloaderLink = 0x01;
constexpr int kCommOpShift = 1;
constexpr quint8 kCommOpMask = 0x03;
constexpr quint8 kTagGroupEnd = 0x00;
constexpr quint8 kTagLastShort = 0xFC;
constexpr quint8 kTagOther = 0xFD;
constexpr quint8 kTagLong = 0xFE;
constexpr int kLongBase = 252;
/// Reads and exchanges never wait: whatever did not come with the write is not coming.
constexpr int kNoWaitMs = 0;
/// Most reads or exchanges a scenario makes (each needs at least one group of input).
constexpr int kMaxSteps = 64;

struct Notification
{
    bool dataCharacteristic = true;
    QByteArray value;
};
using Group = QList<Notification>;

/// Splits the input after the two leading bytes into groups of notifications.
QList<Group> parseGroups(const quint8 *data, size_t size)
{
    QList<Group> groups{Group()};
    size_t pos = 0;
    const auto take = [&](size_t n) {
        n = std::min(n, size - pos);
        QByteArray b(reinterpret_cast<const char *>(data + pos), int(n));
        pos += n;
        return b;
    };
    while (pos < size) {
        const quint8 tag = data[pos++];
        Notification n;
        if (tag == kTagGroupEnd) {
            groups.append(Group());
            continue;
        }
        if (tag <= kTagLastShort) {
            n.value = take(size_t(tag - 1));
        } else if (pos < size) {
            const quint8 extra = data[pos++];
            if (tag == kTagOther) {
                n.dataCharacteristic = false;
                n.value = take(extra);
            } else if (tag == kTagLong) {
                n.value = take(size_t(kLongBase + extra));
            } else {
                n.value = take(extra); // 0xFF: an ordinary notification of the next byte's length
            }
        }
        groups.last().append(n);
    }
    return groups;
}

class FuzzController;

/// The peer's side of the link, shared by its controller and service objects.
struct FuzzPeer
{
    QList<Group> groups;
    /// After each write the peer drops the link from the event loop: a transport read that has
    /// to wait for more (there is nothing more) fails at once instead of running out its time.
    bool dropWhenWaited = false;
};

class FuzzService : public BleService
{
public:
    FuzzService(FuzzPeer *peer, FuzzController *controller, const QBluetoothUuid &uuid, QObject *parent)
        : BleService(parent), m_peer(peer), m_controller(controller), m_uuid(uuid)
    {
    }

    QBluetoothUuid serviceUuid() const override { return m_uuid; }
    QLowEnergyService::ServiceState state() const override { return m_state; }
    void discoverDetails() override
    {
        m_state = QLowEnergyService::ServiceDiscovered;
        emit stateChanged(m_state);
    }
    QList<BleCharacteristic> characteristics() const override
    {
        if (m_state != QLowEnergyService::ServiceDiscovered)
            return {};
        return {{kOtherChar, {}}, {kDataChar, {kCccd}}};
    }
    void writeCharacteristic(const BleCharacteristic &c, const QByteArray &value,
                             QLowEnergyService::WriteMode mode) override
    {
        Q_UNUSED(value)
        Q_UNUSED(mode)
        if (c.uuid != kDataChar || !linkUp() || m_peer->groups.isEmpty())
            return;
        for (const Notification &n : m_peer->groups.takeFirst())
            emit characteristicChanged({n.dataCharacteristic ? kDataChar : kOtherChar, {}}, n.value);
        if (m_peer->dropWhenWaited)
            dropLater();
    }
    void writeDescriptor(const BleDescriptor &d, const QByteArray &value) override
    {
        Q_UNUSED(d)
        Q_UNUSED(value)
    }

private:
    bool linkUp() const;
    void dropLater();

    FuzzPeer *m_peer;
    QPointer<FuzzController> m_controller;
    QBluetoothUuid m_uuid;
    QLowEnergyService::ServiceState m_state = QLowEnergyService::DiscoveryRequired;
};

/// A peer that connects and is discovered at once (inside the calls: no event loop runs).
class FuzzController : public BleController
{
public:
    FuzzController(FuzzPeer *peer, QObject *parent) : BleController(parent), m_peer(peer) {}

    QLowEnergyController::ControllerState state() const override { return m_state; }
    QLowEnergyController::Error error() const override { return QLowEnergyController::NoError; }
    QString errorString() const override { return QString(); }
    void connectToDevice() override
    {
        setState(QLowEnergyController::ConnectedState);
        emit connected();
    }
    void disconnectFromDevice() override
    {
        if (m_state == QLowEnergyController::UnconnectedState)
            return;
        setState(QLowEnergyController::UnconnectedState);
        emit disconnected();
    }
    void discoverServices() override
    {
        setState(QLowEnergyController::DiscoveringState);
        emit serviceDiscovered(kConfigService);
        setState(QLowEnergyController::DiscoveredState);
        emit discoveryFinished();
    }
    BleService *createServiceObject(const QBluetoothUuid &service, QObject *parent) override
    {
        return new FuzzService(m_peer, this, service, parent);
    }
    void requestConnectionUpdate(const QLowEnergyConnectionParameters &parameters) override
    {
        Q_UNUSED(parameters)
    }

private:
    void setState(QLowEnergyController::ControllerState state)
    {
        m_state = state;
        emit stateChanged(state);
    }

    FuzzPeer *m_peer;
    QLowEnergyController::ControllerState m_state = QLowEnergyController::UnconnectedState;
};

bool FuzzService::linkUp() const
{
    return m_controller && m_controller->state() == QLowEnergyController::DiscoveredState;
}

void FuzzService::dropLater()
{
    QMetaObject::invokeMethod(
        m_controller, [c = m_controller] { c->disconnectFromDevice(); }, Qt::QueuedConnection);
}

class FuzzBackend : public BleBackend
{
public:
    BleController *createController(const QBluetoothDeviceInfo &remote, QObject *parent) override
    {
        Q_UNUSED(remote)
        return new FuzzController(&peer, parent);
    }
    BleDiscoveryAgent *createDiscoveryAgent(QObject *parent) override
    {
        Q_UNUSED(parent)
        return nullptr;
    }

    FuzzPeer peer;
};

FuzzBackend &backend()
{
    static FuzzBackend b;
    return b;
}

/// The payload a CommBle frame adds to the received bytes: a length byte, then at least that
/// many bytes (the rest is ignored). Nothing for a malformed frame or another characteristic.
QByteArray framePayload(const Notification &n)
{
    if (!n.dataCharacteristic || n.value.isEmpty())
        return QByteArray();
    const int announced = quint8(n.value.at(0));
    return n.value.size() - 1 >= announced ? n.value.mid(1, announced) : QByteArray();
}

/// What Ble::exchange takes from the last data notification of a group: the first 256 bytes
/// are kept, byte 1 counts the packet bytes after it. False when none came or it was malformed.
bool packetOf(const Group &group, QByteArray *packet)
{
    const Notification *last = nullptr;
    for (const Notification &n : group) {
        if (n.dataCharacteristic)
            last = &n;
    }
    if (!last)
        return false;
    const QByteArray kept = last->value.left(Ble::kReceiveBufferBytes);
    if (kept.size() < 2 || quint8(kept.at(1)) > kept.size() - 2)
        return false;
    *packet = kept.mid(2, quint8(kept.at(1)));
    return true;
}

/// Reconnects a transport whose link the peer dropped.
void reconnect(CommBle &comm)
{
    if (!comm.isConnected())
        FUZZ_CHECK(comm.open());
}

void runCommBle(quint8 op, quint8 parameter)
{
    const QList<Group> groups = backend().peer.groups;
    backend().peer.dropWhenWaited = true;
    CommBle comm(kAddress);
    FUZZ_CHECK(comm.open());
    switch (op) {
    case 0: {
        // Reads of the sizes the protocol uses, against the payload of the well-formed frames.
        const quint8 request[Protocol::kHeaderSize] = {Comm::kLinkBle, Protocol::kCmdParams, 0, 0};
        const quint32 sizes[] = {Protocol::kHeaderSize, 1, quint32(parameter), 2, 255};
        for (int step = 0; step < groups.size() && step < kMaxSteps; ++step) {
            reconnect(comm);
            FUZZ_CHECK(comm.write(request, sizeof request) == qint32(sizeof request));
            QByteArray expected;
            for (const Notification &n : groups.at(step))
                expected += framePayload(n);
            int offset = 0;
            for (const quint32 length : sizes) {
                QByteArray got(int(length), '\0');
                const qint32 n = comm.read(reinterpret_cast<quint8 *>(got.data()), length, kNoWaitMs);
                if (offset + int(length) > expected.size()) {
                    FUZZ_CHECK(n <= 0); // not enough came: the read times out or the link is gone
                    break;
                }
                FUZZ_CHECK(n == qint32(length));
                FUZZ_CHECK(got == expected.mid(offset, int(length)));
                offset += int(length);
            }
        }
        break;
    }
    case 1:
    case 3: {
        // The parameter exchange of an apply (frames of up to 250 bytes) or of a load.
        Protocol protocol(&comm, &Fuzz::quietReporter());
        protocol.setBufferSize(int(CommBle::kMaxFramePayload) - Protocol::kHeaderSize - parameter % 64);
        OrvParamList params;
        if (op == 1) {
            params.append(OrvParam(3, quint8(60)));
            params.append(OrvParam(20, QByteArray(200, 'x'), 0));
        } else {
            params.append(OrvParam(Protocol::kActionParamId, quint8(Protocol::kActLoadConfig)));
        }
        QByteArray sentIds;
        const QByteArray result = protocol.exchangeParams(params, &sentIds, kNoWaitMs, true);
        const ApplyResults results = Protocol::decodeBitmap(sentIds, result);
        FUZZ_CHECK(results.isEmpty() || results.size() == sentIds.size());
        OrvParamList loaded;
        OrvFrame::decodeElements(result, loaded, {}, false);
        break;
    }
    case 2: {
        // Answers one after another, and the raw answers of the small queries.
        Protocol protocol(&comm, &Fuzz::quietReporter());
        for (int step = 0; step < groups.size() && step < kMaxSteps; ++step) {
            reconnect(comm);
            FUZZ_CHECK(protocol.sendCommand(Protocol::kCmdBufferSize) == 0);
            if (step % 2 == 0) {
                const Protocol::Answer a = protocol.receiveAnswer(kNoWaitMs);
                FUZZ_CHECK(a.payload.size() <= Protocol::kMaxAnswerPayload);
            } else {
                quint8 raw[Protocol::kBootloaderCapacity];
                quint8 status = 0;
                const int n = protocol.receiveRaw(raw, parameter, kNoWaitMs, &status);
                FUZZ_CHECK(n >= -1 && n <= parameter);
            }
        }
        break;
    }
    }
    comm.close();
}

void runBle(quint8 parameter)
{
    const QList<Group> groups = backend().peer.groups;
    backend().peer.dropWhenWaited = false;
    Ble ble(kAddress);
    FUZZ_CHECK(ble.open());
    for (int step = 0; step < groups.size() && step < kMaxSteps; ++step) {
        TransportPacket tx{};
        tx.len = quint8(parameter % (Ble::kMaxPacketBytes + 1));
        std::memset(tx.data, 0x5A, tx.len);
        TransportPacket rx{};
        const bool ok = ble.exchange(&tx, &rx, kNoWaitMs);
        QByteArray expected;
        FUZZ_CHECK(ok == packetOf(groups.at(step), &expected));
        if (ok)
            FUZZ_CHECK(QByteArray(reinterpret_cast<const char *>(rx.data), rx.len) == expected);
    }
    ble.close();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::init(argc, argv);
    setBleBackend(&backend());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const quint8 scenario = data[0];
    const quint8 parameter = data[1];
    backend().peer.groups = parseGroups(data + 2, size - 2);
    if (scenario & kFlagBootloaderLink)
        runBle(parameter);
    else
        runCommBle(quint8((scenario >> kCommOpShift) & kCommOpMask), parameter);
    backend().peer.groups.clear();
    // Service objects of the transports are deleted later: do it now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}

// The device session and the factories against the simulated device: transactions with
// their boxes and status messages, refusals, the clock set, fault injection, the USB and BLE
// retry rules, the re-entry guard, and the same flows through the USB plug and CommUsbHid.

#include "support/SimComm.h"
#include "common/Clock.h"
#include "device/model/Catalog.h"
#include "device/session/DeviceFactory.h"
#include "device/session/DeviceSession.h"
#include "device/family/FamilyParams.h"
#include "links/CommUsbHid.h"
#include "sim/SimDevice.h"
#include "sim/SimUsbHid.h"
#include "support/LogRecorder.h"
#include "support/RecordingReporter.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(SimFault)

namespace {

QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}

const QString kLoadFailedTitle = QStringLiteral("Load configuration failed !");
const QString kLoadFailedText = QStringLiteral("No/Bad response from device! Please retry to load the "
                                               "configuration or disconnect and reconnect your device.");
const QString kLoadFailedStatus = QStringLiteral("Load configuration from Pelm, has failed !");
const QString kLoadOkStatus = QStringLiteral("Load configuration from Pelm, has succeeded !");
const QString kApplyFailedTitle = QStringLiteral("Apply configuration failed !");
const QString kApplyFailedText =
    QStringLiteral("No/Bad response from device! Please retry to apply the configuration.");
const QString kApplyFailedStatus = QStringLiteral("Apply configuration to Pelm, has failed !");
const QString kApplyOkStatus = QStringLiteral("Apply configuration to Pelm, has succeeded !");
const QString kBusyStatus = QStringLiteral("The device is busy, try again in a moment.");
const QString kBufferSizeText =
    QStringLiteral("Can't get the buffer size from orv device. Please disconnect the orv and retry.");

/// Parameters of the family in the simulated device's default store.
constexpr int kDeviceParamCount = 18;

/// A recording reporter that can run code from inside the next box, as a timer firing in
/// the box's event loop would.
class HookedReporter : public RecordingReporter
{
public:
    int box(const Box &b) override
    {
        const int result = RecordingReporter::box(b);
        if (onBox) {
            auto hook = std::move(onBox);
            onBox = nullptr;
            hook(b);
        }
        return result;
    }
    std::function<void(const Box &)> onBox;
};

/// A plain session that counts the applied notifications.
class CountingSession : public DeviceSession
{
public:
    using DeviceSession::DeviceSession;
    void configApplied() override { ++applied; }
    int applied = 0;
};

DeviceSession *createCounting(std::unique_ptr<Comm> t, const DeviceInfo &info)
{
    auto *s = new CountingSession(t.release(), info);
    FamilyParams::registerThermocouple(s->tables(), info.kivType);
    return s;
}

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void connectIdentifiesOnce();
    void loadFromDevice_data();
    void loadFromDevice();
    void loadFaults_data();
    void loadFaults();
    void corruptedElementIsUncompleted();
    void unknownParametersFitOnAScreen_data();
    void unknownParametersFitOnAScreen();
    void applyRoundTrip();
    void applyNeedsALoadedConfiguration();
    void clockSetByVersionWord_data();
    void clockSetByVersionWord();
    void answersClosedByBareKindByte_data();
    void answersClosedByBareKindByte();
    void applyRefusalReport();
    void applyTwoFramesRefusalOfSecondFrame();
    void applyFaults_data();
    void applyFaults();
    void restoreDefaults();
    void restoredButNotReadBack();
    void restoreFailures_data();
    void restoreFailures();
    void usbCounterShowsNinthFailure();
    void usbCounterResets();
    void usbUnknownDevice();
    void ble_data();
    void ble();
    void reentryGuardInsideBox();
    void reentryGuardInsideFactoryBox();
    void userRequestWhileBusyIsReported_data();
    void userRequestWhileBusyIsReported();
    void throughUsbPlug_data();
    void throughUsbPlug();
    void probeNamesTheUsbDevice_data();
    void probeNamesTheUsbDevice();
    void usbDeviceWithoutAccessIsSaidOncePerPlugIn();
    void offlineSessionAndFiles();
    void liveValuesTerminalBootloaderClock();
    void transportOwnership();
    void simulatedDeviceHistoryIsBounded();
    void sessionLog();

private:
    /// Connects to m_dev through the USB factory (plain counting session).
    CountingSession *connect();
    /// The statuses shown so far, then forgets them.
    QStringList takeStatuses();

    HookedReporter m_rep;
    std::unique_ptr<SimDevice> m_dev;
    QObject m_window;
    QDateTime m_now;
    QStringList m_badStatusTimeouts; ///< statuses not shown for 3000 ms (notes: until dismissed)
};

void TestSession::initTestCase()
{
    setReporter(&m_rep);
    m_now = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC);
}

void TestSession::cleanupTestCase()
{
    setReporter(nullptr);
}

void TestSession::init()
{
    m_dev.reset(new SimDevice);
    SimDevice *dev = m_dev.get();
    DeviceFactory::setUsbTransportFactory([dev]() -> Comm * { return new SimComm(*dev); });
    DeviceFactory::setBleTransportFactory(
        [dev](const QString &) -> Comm * { return new SimComm(*dev, Comm::kLinkBle); });
    DeviceFactory::resetUsbAttemptCounter();
    Clock::setFixed(m_now);
    m_rep.clear();
}

void TestSession::cleanup()
{
    DeviceFactory::setUsbTransportFactory({});
    DeviceFactory::setBleTransportFactory({});
    Clock::setFixed(QDateTime());
    m_rep.onBox = nullptr;
    takeStatuses();
    const QStringList badTimeouts = m_badStatusTimeouts;
    m_badStatusTimeouts.clear();
    RecordingReporter left = m_rep; // a failed case must not leave its boxes to the next
    m_rep.clear();
    QVERIFY2(badTimeouts.isEmpty(), qPrintable(badTimeouts.join('\n')));
    QVERIFY(!DeviceBusyGuard::isBusy());
    VERIFY_NO_PENDING_BOXES(left);
}

CountingSession *TestSession::connect()
{
    bool failed = true;
    DeviceSession *s = DeviceFactory::connectUsb(&failed, &m_window, createCounting);
    if (!s || failed)
        return nullptr;
    m_rep.clear();
    return static_cast<CountingSession *>(s);
}

QStringList TestSession::takeStatuses()
{
    const QStringList texts = m_rep.statusTexts();
    for (const auto &st : m_rep.statuses) {
        // The result of an import is a note the user dismisses; every other status passes.
        const bool note = st.first.startsWith(QStringLiteral("Import "));
        if (st.second != (note ? Reporter::kUntilDismissed : DeviceSession::kStatusTimeoutMs))
            m_badStatusTimeouts.append(st.first);
    }
    m_rep.statuses.clear();
    return texts;
}

void TestSession::connectIdentifiesOnce()
{
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    QCOMPARE(s->orvType(), 28);
    QCOMPARE(s->orvRev(), 0x0100);
    QCOMPARE(s->kivType(), 14);
    QCOMPARE(s->kivRev(), 0x0102);
    QCOMPARE(s->versionWord(), 0x0120);
    QCOMPARE(s->bufferSize(), 64);
    QCOMPARE(s->identifier(), hex("70B3D5499A0C1E2F"));
    QCOMPARE(s->identityText(), QStringLiteral("Pelm-PTC-CT:1.0.0 | KIV-:102 | DevEUI:70B3D5499A0C1E2F"));
    QCOMPARE(s->fileIdentity(), QStringLiteral("Pelm/PTC-CT"));
    QVERIFY(!s->isOffline());
    QVERIFY(s->isConnected());
    QVERIFY(s->supportsKeyChange());
    QCOMPARE(int(s->transport()->linkCode()), int(Comm::kLinkUsbHid));
    // One identification: the session is built on the probe's result.
    QCOMPARE(m_dev->commandCount(3), 1);
    QCOMPARE(m_dev->actionCount(2), 1);
    QCOMPARE(m_dev->actionCount(7), 1);
    QCOMPARE(DeviceFactory::usbAttemptCounter(), 0);
}

void TestSession::loadFromDevice_data()
{
    QTest::addColumn<int>("qualifier");
    QTest::addColumn<int>("packetPayload");
    QTest::newRow("kind 6, two packets") << -1 << 0;
    QTest::newRow("kind 7, two packets") << 9 << 0;
    QTest::newRow("kind 6, 8-byte packets") << -1 << 8;
    QTest::newRow("kind 7, 5-byte packets") << 3 << 5;
}

void TestSession::loadFromDevice()
{
    QFETCH(int, qualifier);
    QFETCH(int, packetPayload);
    m_dev->setQualifier(qualifier);
    m_dev->setMaxPacketPayload(packetPayload);
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);

    QCOMPARE(s->loadFromDevice(), 0);
    QCOMPARE(takeStatuses(), QStringList{kLoadOkStatus});
    const OrvParamList &list = s->params();
    QCOMPARE(list.size(), kDeviceParamCount);
    for (const OrvParam &p : list) {
        QVERIFY2(m_dev->params().contains(p.id()), qPrintable(QString::number(p.id())));
        QCOMPARE(p.data(), m_dev->param(p.id()));
        QCOMPARE(p.isBuf(), s->tables().isBuffer(p.id())); // buffer records got their index
        QCOMPARE(int(p.index()), 0);
    }
    QCOMPARE(s->pageParams(), list);
    QCOMPARE(m_dev->actionCount(4), 1);
}

void TestSession::loadFaults_data()
{
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<int>("packetPayload");
    QTest::addColumn<QString>("firstTitle"); // a box before the load failure, or empty
    QTest::addColumn<QString>("firstText");

    const QString none;
    QTest::newRow("silent") << SimFault(SimFault::Silent) << 0 << none << none;
    QTest::newRow("unplugged") << SimFault(SimFault::Unplugged) << 0 << none << none;
    QTest::newRow("unplugged mid answer") << SimFault::unplugAfterPackets(1) << 16 << none << none;
    QTest::newRow("answer stops after a packet") << SimFault::dropAfterPackets(1) << 16 << none << none;
    QTest::newRow("wrong link code") << SimFault(SimFault::WrongLinkCode) << 0 << none << none;
    QTest::newRow("1025 bytes announced") << SimFault(SimFault::OversizedAnswer) << 0 << none << none;
    QTest::newRow("garbled kind") << SimFault(SimFault::GarbledAnswer) << 0 << none << none;
    QTest::newRow("truncated element") << SimFault(SimFault::TruncatedElement) << 0 << none << none;
    QTest::newRow("empty acknowledge") << SimFault(SimFault::EmptyAcknowledge) << 0 << none << none;
    QTest::newRow("not acknowledged")
        << SimFault(SimFault::NotAcknowledged) << 0 << QStringLiteral("Communication warning")
        << QStringLiteral("Command or configuration not acknowledged !");
    QTest::newRow("device error") << SimFault::deviceError(4) << 0
                                  << QStringLiteral("Communication warning from device")
                                  << QStringLiteral("The device return error code: Can't run command !");
}

void TestSession::loadFaults()
{
    QFETCH(SimFault, fault);
    QFETCH(int, packetPayload);
    QFETCH(QString, firstTitle);
    QFETCH(QString, firstText);
    m_dev->setMaxPacketPayload(packetPayload);
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    QCOMPARE(s->loadFromDevice(), 0);
    const OrvParamList shown = s->pageParams();
    m_rep.clear();

    m_dev->setFault(fault.onAction(Protocol::kActLoadConfig));
    QCOMPARE(s->loadFromDevice(), -1);
    if (!firstTitle.isEmpty()) {
        const Reporter::Box b = m_rep.takeBox();
        QCOMPARE(b.title, firstTitle);
        QCOMPARE(b.text, firstText);
    }
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.icon, Reporter::Critical);
    QCOMPARE(b.title, kLoadFailedTitle);
    QCOMPARE(b.text, kLoadFailedText);
    QCOMPARE(b.parent, static_cast<QObject *>(nullptr)); // no owner set on a plain session
    QCOMPARE(takeStatuses(), QStringList{kLoadFailedStatus});
    QVERIFY(s->params().isEmpty());
    QCOMPARE(s->pageParams(), shown); // the page keeps what it showed
}

void TestSession::corruptedElementIsUncompleted()
{
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    m_dev->setFault(SimFault(SimFault::CorruptedElement));
    QCOMPARE(s->load(Protocol::kLoadTimeoutMs), kDeviceParamCount + 1);
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.icon, Reporter::Warning);
    QCOMPARE(b.title, QStringLiteral("Check parameters"));
    QCOMPARE(b.text,
             QStringLiteral("Some parameters in the device are unknown in the current version of this "
                            "software. There is probably a newer version available.\nPlease, upgrade this "
                            "software!\n\nList of the unknown parameters : 63"));
    QCOMPARE(takeStatuses(), QStringList{QStringLiteral("Load configuration from Pelm, is uncompleted !")});
}

void TestSession::unknownParametersFitOnAScreen_data()
{
    // Records of unknown ids: (first id, distinct ids, records of each).
    QTest::addColumn<int>("firstId");
    QTest::addColumn<int>("distinct");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<QString>("list");
    QTest::newRow("one") << 200 << 1 << 1 << "200";
    QTest::newRow("three, once each") << 200 << 3 << 1 << "200, 201, 202";
    QTest::newRow("one id in 30000 records") << 200 << 1 << 30000 << "200\n30000 unknown parameters in all.";
    QTest::newRow("32 ids")
        << 200 << 32 << 1
        << "200, 201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 215, "
           "216, 217, 218, 219, 220, 221, 222, 223, 224, 225, 226, 227, 228, 229, 230, 231";
    QTest::newRow("50 ids in 30000 records")
        << 200 << 50 << 600
        << "200, 201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 215, "
           "216, 217, 218, 219, 220, 221, 222, 223, 224, 225, 226, 227, 228, 229, 230, 231, ...\n"
           "30000 unknown parameters in all.";
}

void TestSession::unknownParametersFitOnAScreen()
{
    QFETCH(int, firstId);
    QFETCH(int, distinct);
    QFETCH(int, repeats);
    QFETCH(QString, list);
    std::unique_ptr<DeviceSession> s(DeviceFactory::createOffline(28, 0x0100, 14));
    for (int id = firstId; id < firstId + distinct; ++id)
        QVERIFY2(!s->tables().isKnown(quint8(id)), qPrintable(QString::number(id)));
    for (int r = 0; r < repeats; ++r)
        for (int id = firstId; id < firstId + distinct; ++id)
            s->params().append(OrvParam(quint8(id), quint8(r)));
    m_rep.clear();
    QCOMPARE(s->checkUnknown(), distinct * repeats);
    QCOMPARE(s->params().size(), distinct * repeats); // the records stay
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.title, QStringLiteral("Check parameters"));
    QCOMPARE(b.text,
             QStringLiteral("Some parameters in the device are unknown in the current version of this "
                            "software. There is probably a newer version available.\nPlease, upgrade this "
                            "software!\n\nList of the unknown parameters : ") +
                 list);
}

void TestSession::answersClosedByBareKindByte_data()
{
    QTest::addColumn<int>("packetPayload");
    QTest::addColumn<int>("qualifier");
    QTest::newRow("one data packet each") << 0 << -1;
    QTest::newRow("several data packets") << 16 << -1;
    QTest::newRow("kind 7, several data packets") << 16 << 0x2A;
}

void TestSession::answersClosedByBareKindByte()
{
    // The device sends its data with status 2 and closes each answer with a packet holding
    // only the kind bytes: identification, load and apply all work as usual.
    QFETCH(int, packetPayload);
    QFETCH(int, qualifier);
    m_dev->setMaxPacketPayload(packetPayload);
    m_dev->setQualifier(qualifier);
    m_dev->setBareClosingPacket(true);
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    QCOMPARE(s->identityText(), QStringLiteral("Pelm-PTC-CT:1.0.0 | KIV-:102 | DevEUI:70B3D5499A0C1E2F"));
    QCOMPARE(s->versionWord(), 0x0120);

    QCOMPARE(s->loadFromDevice(), 0);
    QCOMPARE(s->params().size(), kDeviceParamCount);
    OrvParamList edit{OrvParam(31, quint8(2))};
    s->paramsToWidgets(edit);
    QCOMPARE(s->applyToDevice(), 0);
    QCOMPARE(m_dev->param(31), hex("02"));
    QVERIFY(!s->lastApplyResults().isEmpty());
    QCOMPARE(takeStatuses(), (QStringList{kLoadOkStatus, kApplyOkStatus}));
}

void TestSession::applyRoundTrip()
{
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    s->setOwner(&m_window);
    QCOMPARE(s->loadFromDevice(), 0);
    takeStatuses();

    // The user changes two values on the page.
    OrvParamList edit{OrvParam(31, quint8(2)), OrvParam(22, hex("10 27 00 00 32 00 00 05"), 0)};
    s->paramsToWidgets(edit);
    m_dev->resetCounters();
    m_dev->setRefused(27); // a parameter the page neither shows nor changes

    QCOMPARE(s->applyToDevice(), 0);
    QCOMPARE(takeStatuses(), QStringList{kApplyOkStatus});
    QCOMPARE(m_dev->param(31), hex("02"));
    QCOMPARE(m_dev->param(22), hex("10 27 00 00 32 00 00 05"));
    // The parameters the page has no editor for go back only when they changed: the device
    // holds them as loaded, so a refusal of one of them can't fail the apply.
    QSet<quint8> written;
    for (const OrvParam &p : m_dev->writtenParams())
        written.insert(p.id());
    for (const quint8 kept : {3, 27, 28, 32})
        QVERIFY2(!written.contains(kept), qPrintable(QString::number(kept)));
    QCOMPARE(written.size(), kDeviceParamCount - 4);
    QCOMPARE(s->applied, 1);

    // Clock set after the apply: the fixed current time, little-endian seconds.
    QCOMPARE(m_dev->clockSets(), QList<quint32>{quint32(m_now.toSecsSinceEpoch())});
    const QByteArray last = m_dev->requests().last();
    QByteArray secs;
    for (int i = 0; i < 4; ++i)
        secs.append(char((quint32(m_now.toSecsSinceEpoch()) >> (8 * i)) & 0xFF));
    QCOMPARE(last, hex("75 05 07 00"
                       "C1 05 08") +
                       secs);
}

void TestSession::clockSetByVersionWord_data()
{
    QTest::addColumn<int>("versionWord");
    QTest::addColumn<int>("clockSets");
    QTest::newRow("0x011F") << 0x011F << 0;
    QTest::newRow("0x0120") << 0x0120 << 1;
    QTest::newRow("0x0200") << 0x0200 << 1;
}

void TestSession::clockSetByVersionWord()
{
    QFETCH(int, versionWord);
    m_dev->setVersionWord(versionWord);
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    QCOMPARE(s->versionWord(), versionWord);
    QCOMPARE(s->loadFromDevice(), 0);
    QCOMPARE(s->applyToDevice(), 0);
    QTEST(m_dev->clockSets().size(), "clockSets");
    QTEST(m_dev->actionCount(Protocol::kActClock), "clockSets");
}

void TestSession::applyRefusalReport()
{
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    s->setOwner(&m_window);
    s->registerParam(41, QStringLiteral("Custom"), QString(), false);
    m_dev->setRefused(24);

    s->clearParams();
    s->addParam(OrvParam(3, quint8(5)));     // accepted
    s->addParam(OrvParam(24, quint16(100))); // refused by the device
    s->addParam(OrvParam(31, quint8(9)));    // out of range
    s->addParam(OrvParam(40, quint8(1)));    // unknown to the device and to the tables
    s->addParam(OrvParam(41, quint8(1)));    // named, without failure message
    ApplyResults results;
    QCOMPARE(s->apply(results, Protocol::kApplyTimeoutMs), 4);
    const ApplyResults expected{{3, false}, {24, true}, {31, true}, {40, true},
                                {41, true}, {0, false}, {0, false}, {0, false}};
    QCOMPARE(results, expected);
    QCOMPARE(m_dev->param(3), hex("05"));

    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.icon, Reporter::Warning);
    QCOMPARE(b.title, QStringLiteral("Apply configuration failed"));
    QCOMPARE(b.text, QStringLiteral("Some parameter of the configuration as failed:\n\n"
                                    "    - Temperature Offset (24): Bad Temperature offset configuration !\n"
                                    "    - Couple Spire/Resistance (31): Bad Couple Spire/Resistance !\n"
                                    "    - Unknown parameters (40): failed !\n"
                                    "    - Custom (41): failed !\n"));
    QCOMPARE(b.parent, &m_window);
    QCOMPARE(takeStatuses(), QStringList{kApplyFailedStatus});
    QCOMPARE(s->lastOutcome().boxTexts(), QStringList{b.title + QStringLiteral(": ") + b.text});

    // The next transaction starts its outcome afresh.
    QVERIFY(s->load(Protocol::kLoadTimeoutMs) > 0);
    QVERIFY(!s->lastOutcome().hasBox());
    QCOMPARE(s->lastOutcome().lastStatus(), kLoadOkStatus);
    QCOMPARE(takeStatuses(), QStringList{kLoadOkStatus});
}

void TestSession::applyTwoFramesRefusalOfSecondFrame()
{
    m_dev->setBufferSize(12); // six 1-byte parameters per frame
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    QCOMPARE(s->bufferSize(), 12);
    const quint8 ids[] = {3, 5, 11, 31, 58, 3, 31, 5, 11, 58};
    s->clearParams();
    for (int i = 0; i < 10; ++i)
        s->addParam(OrvParam(ids[i], quint8(i == 6 ? 7 : 1)));
    m_dev->resetCounters();
    ApplyResults results;
    QCOMPARE(s->apply(results, Protocol::kApplyTimeoutMs), 1);
    QCOMPARE(m_dev->commandCount(5), 2);
    QCOMPARE(results.size(), 16);
    for (int i = 0; i < results.size(); ++i)
        QCOMPARE(results.at(i).refused, i == 8);
    QCOMPARE(int(results.at(8).id), 31);
    QCOMPARE(int(results.at(6).id), 0);
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.text, QStringLiteral("Some parameter of the configuration as failed:\n\n"
                                    "    - Couple Spire/Resistance (31): Bad Couple Spire/Resistance !\n"));
    takeStatuses();
}

void TestSession::applyFaults_data()
{
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<bool>("twoFrames");
    QTest::addColumn<bool>("secondFrameSilent");
    QTest::addColumn<QString>("firstTitle");

    const QString none;
    QTest::newRow("silent") << SimFault(SimFault::Silent) << false << false << none;
    QTest::newRow("unplugged at the write") << SimFault::unplugAfterRequests(0) << false << false << none;
    QTest::newRow("unplugged before frame 2") << SimFault::unplugAfterRequests(1) << true << false << none;
    QTest::newRow("frame 2 not answered") << SimFault() << true << true << none;
    QTest::newRow("empty acknowledge") << SimFault(SimFault::EmptyAcknowledge) << false << false << none;
    QTest::newRow("garbled") << SimFault(SimFault::GarbledAnswer) << false << false << none;
    QTest::newRow("wrong link code") << SimFault(SimFault::WrongLinkCode) << false << false << none;
    QTest::newRow("not acknowledged")
        << SimFault(SimFault::NotAcknowledged) << false << false << QStringLiteral("Communication warning");
    QTest::newRow("device error") << SimFault::deviceError(5) << false << false
                                  << QStringLiteral("Communication warning from device");
}

void TestSession::applyNeedsALoadedConfiguration()
{
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    // The first load gets no answer: the page holds nothing of the device.
    m_dev->setFault(SimFault(SimFault::Silent).onAction(Protocol::kActLoadConfig));
    QCOMPARE(s->loadFromDevice(), -1);
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Load configuration failed !"));
    takeStatuses();
    QVERIFY(!s->hasConfiguration());

    m_dev->setFault(SimFault());
    OrvParamList edit{OrvParam(31, quint8(2))};
    s->paramsToWidgets(edit);
    m_dev->resetCounters();
    QCOMPARE(s->applyToDevice(), -1);
    QCOMPARE(m_dev->commandCount(Protocol::kCmdParams), 0);
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.title, kApplyFailedTitle);
    QCOMPARE(b.text, QStringLiteral("The configuration has not been read from the device. Reload it from the "
                                    "device before applying."));
    QCOMPARE(takeStatuses(), QStringList{kApplyFailedStatus});

    // Once a load succeeded, the page's values may go.
    QCOMPARE(s->loadFromDevice(), 0);
    QVERIFY(s->hasConfiguration());
    s->paramsToWidgets(edit);
    QCOMPARE(s->applyToDevice(), 0);
    QCOMPARE(m_dev->param(31), hex("02"));
}

void TestSession::applyFaults()
{
    QFETCH(SimFault, fault);
    QFETCH(bool, twoFrames);
    QFETCH(bool, secondFrameSilent);
    QFETCH(QString, firstTitle);
    if (twoFrames)
        m_dev->setBufferSize(12); // five 1-byte parameters, then the two 2-byte ones
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    OrvParamList page{OrvParam(3, quint8(1)),     OrvParam(5, quint8(1)),  OrvParam(11, quint8(1)),
                      OrvParam(31, quint8(1)),    OrvParam(58, quint8(1)), OrvParam(24, quint16(0)),
                      OrvParam(25, quint16(1000))};

    // The page's load gives the backup before the write: the faults hit the write itself.
    QCOMPARE(s->loadFromDevice(), 0);
    m_rep.clear();
    m_dev->setFault(fault.onAction(0));
    if (secondFrameSilent) {
        m_dev->scriptAnswers(Protocol::kCmdParams, {SimDevice::answer(Comm::kLinkUsbHid, 1, hex("06 00"))});
        m_dev->scriptAnswers(Protocol::kCmdParams, {});
    }

    QCOMPARE(s->writeConfiguration(page), -1);
    // 2 identification exchanges and the page's load
    QCOMPARE(m_dev->commandCount(Protocol::kCmdParams) - 3, twoFrames ? 2 : 1);
    // The transaction's outcome holds what was shown, in the same order: the device's own
    // warning (when it sent one) comes before the apply's box.
    QStringList shown;
    for (const Reporter::Box &box : m_rep.boxes)
        shown << box.title + QStringLiteral(": ") + box.text;
    QCOMPARE(s->lastOutcome().boxTexts(), shown);
    QCOMPARE(s->lastOutcome().lastStatus(), kApplyFailedStatus);
    if (!firstTitle.isEmpty())
        QCOMPARE(m_rep.takeBox().title, firstTitle);
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.icon, Reporter::Critical);
    QCOMPARE(b.title, kApplyFailedTitle);
    QCOMPARE(b.text, kApplyFailedText);
    QCOMPARE(takeStatuses(), QStringList{kApplyFailedStatus});
    QCOMPARE(m_dev->clockSets().size(), 0);
    QCOMPARE(s->applied, 0);
}

void TestSession::restoreDefaults()
{
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    m_dev->setParam(31, hex("03"));
    QCOMPARE(s->restoreDefaults(), 0);
    QCOMPARE(m_dev->param(31), m_dev->defaults().value(31));
    QCOMPARE(m_dev->actionCount(Protocol::kActRestoreDefaults), 1);
    QCOMPARE(s->params().size(), kDeviceParamCount);
    QCOMPARE(s->pageParams().size(), kDeviceParamCount);
    QCOMPARE(
        takeStatuses(),
        (QStringList{kLoadOkStatus, QStringLiteral("Default configuration from Pelm, has succeeded !")}));
}

void TestSession::restoreFailures_data()
{
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<int>("result");
    QTest::newRow("empty kind-6 acknowledge") << SimFault(SimFault::EmptyAcknowledge) << 0;
    QTest::newRow("device says 1") << SimFault() << 1;
    QTest::newRow("silent") << SimFault(SimFault::Silent) << 0;
}

void TestSession::restoreFailures()
{
    QFETCH(SimFault, fault);
    QFETCH(int, result);
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    m_dev->setRestoreResult(quint8(result));
    m_dev->setFault(fault.onAction(Protocol::kActRestoreDefaults));
    QCOMPARE(s->restoreDefaults(), -1);
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.icon, Reporter::Critical);
    QCOMPARE(b.title, QStringLiteral("Default configuration failed !"));
    QCOMPARE(b.text, QStringLiteral("An error as occurred from restoration !"));
    QCOMPARE(takeStatuses(), QStringList{QStringLiteral("Default configuration from Pelm, has failed !")});
    // The configuration was read for the backup before the restore, never after its failure.
    QCOMPARE(m_dev->actionCount(Protocol::kActLoadConfig), 1);
}

void TestSession::restoredButNotReadBack()
{
    // The device restores its defaults, then the configuration can't be read back: the load's
    // failure is what the user sees, never "has succeeded".
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    m_dev->setFault(SimFault(SimFault::TruncatedElement).onAction(Protocol::kActLoadConfig));
    // No backup can be read either: the user chooses to restore without one.
    m_rep.answer(Reporter::Yes);
    QCOMPARE(s->restoreDefaults(), -1);
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Backup failed"));
    QCOMPARE(m_dev->actionCount(Protocol::kActRestoreDefaults), 1);
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Load configuration failed !"));
    const QStringList statuses = takeStatuses();
    QVERIFY2(!statuses.join('\n').contains("has succeeded"), qPrintable(statuses.join('\n')));
}

void TestSession::usbCounterShowsNinthFailure()
{
    m_dev->setFault(SimFault(SimFault::Silent));
    for (int attempt = 1; attempt <= 8; ++attempt) {
        bool failed = false;
        QVERIFY(!DeviceFactory::connectUsb(&failed, &m_window));
        QVERIFY(failed);
        QCOMPARE(DeviceFactory::usbAttemptCounter(), attempt);
        QVERIFY2(m_rep.boxes.isEmpty(), qPrintable(QString::number(attempt)));
    }
    bool failed = false;
    QVERIFY(!DeviceFactory::connectUsb(&failed, &m_window));
    QVERIFY(failed);
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.icon, Reporter::Critical);
    QCOMPARE(b.title, QStringLiteral("Communication error"));
    QCOMPARE(b.text, kBufferSizeText);
    QCOMPARE(b.parent, &m_window);
    QCOMPARE(DeviceFactory::usbAttemptCounter(), 0);

    // The count starts again: the tenth attempt is silent.
    QVERIFY(!DeviceFactory::connectUsb(&failed, &m_window));
    QVERIFY(m_rep.boxes.isEmpty());
    QCOMPARE(m_dev->commandCount(Protocol::kCmdBufferSize), 10);
}

void TestSession::usbCounterResets()
{
    m_dev->setFault(SimFault(SimFault::Silent));
    bool failed = false;
    for (int i = 0; i < 3; ++i)
        DeviceFactory::connectUsb(&failed, &m_window);
    QCOMPARE(DeviceFactory::usbAttemptCounter(), 3);

    // No device: reset, and not a failed identification.
    DeviceFactory::setUsbTransportFactory([]() -> Comm * { return nullptr; });
    QVERIFY(!DeviceFactory::connectUsb(&failed, &m_window));
    QVERIFY(!failed);
    QCOMPARE(DeviceFactory::usbAttemptCounter(), 0);

    // A device that identifies also starts the count again.
    SimDevice *dev = m_dev.get();
    DeviceFactory::setUsbTransportFactory([dev]() -> Comm * { return new SimComm(*dev); });
    for (int i = 0; i < 3; ++i)
        DeviceFactory::connectUsb(&failed, &m_window);
    m_dev->clearFault();
    std::unique_ptr<DeviceSession> s(DeviceFactory::connectUsb(&failed, &m_window));
    QVERIFY(s);
    QVERIFY(!failed);
    QCOMPARE(DeviceFactory::usbAttemptCounter(), 0);
}

void TestSession::usbUnknownDevice()
{
    m_dev->setOrvType(27);
    bool failed = true;
    QVERIFY(!DeviceFactory::connectUsb(&failed, &m_window));
    QVERIFY(!failed);
    DeviceIdentity id;
    id.orvType = 27;
    id.orvRev = 0x0100;
    id.kivType = 14;
    id.kivRev = 0x0102;
    id.identifier = m_dev->identifier();
    const Reporter::Box b = m_rep.takeBox();
    QCOMPARE(b.icon, Reporter::Information);
    QCOMPARE(b.title, QStringLiteral("Device unknown"));
    QCOMPARE(b.text, Catalog::unknownDeviceText(id));
    QVERIFY(b.text.endsWith(QStringLiteral("\n\nPelm-PINC-3:1.0.0 | KIV-:102 | DevEUI:70B3D5499A0C1E2F")));
    QCOMPARE(b.parent, &m_window);
    QCOMPARE(DeviceFactory::usbAttemptCounter(), 0);

    // The poll finds it again and again: no second box while it stays plugged in ...
    QVERIFY(!DeviceFactory::connectUsb(&failed, &m_window));
    QVERIFY(!m_rep.hasBoxes());
    // ... but once it was unplugged, plugging it in again is reported again.
    DeviceFactory::setUsbTransportFactory([]() -> Comm * { return nullptr; });
    QVERIFY(!DeviceFactory::connectUsb(&failed, &m_window));
    SimDevice *dev = m_dev.get();
    DeviceFactory::setUsbTransportFactory([dev]() -> Comm * { return new SimComm(*dev); });
    QVERIFY(!DeviceFactory::connectUsb(&failed, &m_window));
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Device unknown"));
}

void TestSession::ble_data()
{
    QTest::addColumn<int>("orvType");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("connects");
    QTest::addColumn<int>("identifications"); // command-3 requests
    QTest::addColumn<QString>("boxTitle");
    QTest::newRow("accepted") << 28 << false << true << true << 1 << QString();
    QTest::newRow("silent: three attempts, one box")
        << 28 << true << true << false << 3 << QStringLiteral("Communication error");
    QTest::newRow("unknown: one box, no retry")
        << 27 << false << true << false << 1 << QStringLiteral("Device unknown");
    QTest::newRow("does not open") << 28 << false << false << false << 0 << QString();
}

void TestSession::ble()
{
    QFETCH(int, orvType);
    QFETCH(bool, silent);
    QFETCH(bool, opens);
    QFETCH(bool, connects);
    QFETCH(int, identifications);
    QFETCH(QString, boxTitle);
    m_dev->setOrvType(orvType);
    if (silent)
        m_dev->setFault(SimFault(SimFault::Silent));
    SimDevice *dev = m_dev.get();
    QString asked;
    DeviceFactory::setBleTransportFactory([dev, opens, &asked](const QString &address) -> Comm * {
        asked = address;
        auto *c = new SimComm(*dev, Comm::kLinkBle);
        c->opens = opens;
        return c;
    });

    for (int call = 0; call < 2; ++call) { // each call starts again with attempt 1
        m_dev->resetCounters();
        std::unique_ptr<DeviceSession> s(
            DeviceFactory::connectBle(QStringLiteral("C0:FF:EE:00:00:01"), &m_window));
        QCOMPARE(asked, QStringLiteral("C0:FF:EE:00:00:01"));
        QCOMPARE(bool(s), connects);
        QCOMPARE(m_dev->commandCount(Protocol::kCmdBufferSize), identifications);
        if (s) {
            QCOMPARE(int(s->transport()->linkCode()), int(Comm::kLinkBle));
            QVERIFY(m_dev->requests().first().startsWith(char(Comm::kLinkBle)));
        }
        if (boxTitle.isEmpty()) {
            QVERIFY(m_rep.boxes.isEmpty());
        } else {
            QCOMPARE(m_rep.boxes.size(), 1);
            QCOMPARE(m_rep.takeBox().title, boxTitle);
        }
    }
}

void TestSession::reentryGuardInsideBox()
{
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    std::unique_ptr<CountingSession> other(connect());
    QVERIFY(other);
    m_dev->setRefused(31);

    bool ran = false;
    m_rep.onBox = [&](const Reporter::Box &) {
        ran = true;
        const int requestsBefore = m_dev->requestCount();
        QVERIFY(s->isBusy());
        QCOMPARE(s->loadFromDevice(), -1);
        QCOMPARE(other->loadFromDevice(), -1);
        QCOMPARE(other->applyToDevice(), -1);
        QCOMPARE(other->restoreDefaults(), -1);
        QVERIFY(!other->identify(true));
        QVERIFY(!other->readLiveValue(Protocol::kCmdTemperature, nullptr));
        QVERIFY(!other->terminalAvailable());
        QCOMPARE(other->bootloaderTag(Protocol::kTagDevice), -1);
        QCOMPARE(other->readFile(QStringLiteral("/nonexistent.ocf")), -1);
        bool failed = true;
        QVERIFY(!DeviceFactory::connectUsb(&failed, &m_window));
        QVERIFY(!failed);
        QVERIFY(!DeviceFactory::connectBle(QStringLiteral("C0:FF:EE:00:00:01"), &m_window));
        QCOMPARE(m_dev->requestCount(), requestsBefore); // no transport was touched
    };
    s->clearParams();
    s->addParam(OrvParam(31, quint8(1)));
    ApplyResults results;
    QCOMPARE(s->apply(results, Protocol::kApplyTimeoutMs), 1);
    QVERIFY(ran);
    QCOMPARE(m_rep.boxes.size(), 1); // only the apply report: the refused calls showed nothing
    m_rep.takeBox();
    takeStatuses();

    QVERIFY(!s->isBusy());
    QCOMPARE(other->loadFromDevice(), 0);
    takeStatuses();
}

void TestSession::reentryGuardInsideFactoryBox()
{
    // The USB poll fires while the "Device unknown" box of a BLE connection is open.
    m_dev->setOrvType(27);
    bool ran = false;
    m_rep.onBox = [&](const Reporter::Box &) {
        ran = true;
        const int requestsBefore = m_dev->requestCount();
        bool failed = true;
        QVERIFY(DeviceBusyGuard::isBusy());
        QVERIFY(!DeviceFactory::connectUsb(&failed, &m_window));
        QVERIFY(!failed);
        QCOMPARE(DeviceFactory::probeUsb(&m_window).outcome, DeviceFactory::ProbeOutcome::Busy);
        QCOMPARE(m_dev->requestCount(), requestsBefore);
    };
    QVERIFY(!DeviceFactory::connectBle(QStringLiteral("C0:FF:EE:00:00:01"), &m_window));
    QVERIFY(ran);
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Device unknown"));
}

void TestSession::userRequestWhileBusyIsReported_data()
{
    QTest::addColumn<QString>("request");
    for (const char *request :
         {"reload", "apply", "default", "keys", "save", "open", "clock set", "clock shift"})
        QTest::newRow(request) << QString::fromLatin1(request);
}

void TestSession::userRequestWhileBusyIsReported()
{
    // A request of the user that finds another exchange running (a live reading waiting for its
    // answer, a box of another transaction) is refused with a word, never dropped silently.
    QFETCH(QString, request);
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cfg.ocf"));
    QCOMPARE(s->loadFromDevice(), 0);
    QCOMPARE(s->writeFile(path), 0);
    takeStatuses();
    const QStringList untouched = QStringList{QStringLiteral("untouched")};

    int result = 0;
    {
        DeviceBusyGuard other;
        QVERIFY(other.acquired());
        const int requestsBefore = m_dev->requestCount();
        ApplyResults results;
        if (request == "reload")
            result = s->loadFromDevice();
        else if (request == "apply")
            result = s->applyToDevice();
        else if (request == "default")
            result = s->restoreDefaults();
        else if (request == "keys")
            result = s->apply(results, Protocol::kApplyTimeoutMs);
        else if (request == "save")
            result = s->writeFile(dir.filePath(QStringLiteral("other.ocf")));
        else if (request == "open")
            result = s->readFile(path);
        else if (request == "clock set")
            result = s->setDeviceClock(m_now);
        else if (request == "clock shift")
            result = s->shiftDeviceClock(5);
        else
            QFAIL("unknown request");
        QCOMPARE(m_dev->requestCount(), requestsBefore); // nothing was sent
    }
    QCOMPARE(result, -1);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("other.ocf"))));
    QVERIFY(m_rep.boxes.isEmpty());
    QCOMPARE(takeStatuses(), QStringList{kBusyStatus});

    // Queries and readings that run by themselves stay silent.
    {
        DeviceBusyGuard other;
        QVERIFY(!s->readLiveValue(Protocol::kCmdCurrent, nullptr));
        QVERIFY(!s->readDeviceClock(nullptr));
        QVERIFY(!s->terminalAvailable());
        QVERIFY(!s->hasBootloader());
        QVERIFY(!s->identify(false));
    }
    QCOMPARE(takeStatuses(), QStringList());
}

void TestSession::throughUsbPlug_data()
{
    QTest::addColumn<SimFault>("loadFault");
    QTest::addColumn<bool>("loads");
    QTest::newRow("no fault") << SimFault() << true;
    QTest::newRow("unplugged mid answer") << SimFault::unplugAfterPackets(1) << false;
    QTest::newRow("answer stops") << SimFault::dropAfterPackets(1) << false;
    QTest::newRow("truncated") << SimFault(SimFault::TruncatedElement) << false;
}

void TestSession::throughUsbPlug()
{
    QFETCH(SimFault, loadFault);
    QFETCH(bool, loads);
    m_dev->setMaxPacketPayload(16);
    SimUsbHid::install(m_dev.get());
    CommUsbHid::resetRemainder();
    DeviceFactory::setUsbTransportFactory({}); // the real transport, on the simulated HID table

    bool failed = true;
    std::unique_ptr<DeviceSession> s(DeviceFactory::connectUsb(&failed, &m_window));
    QVERIFY(s);
    QVERIFY(!failed);
    QVERIFY(dynamic_cast<CommUsbHid *>(s->transport()));
    QCOMPARE(s->identityText(), QStringLiteral("Pelm-PTC-CT:1.0.0 | KIV-:102 | DevEUI:70B3D5499A0C1E2F"));
    m_rep.clear();

    m_dev->setFault(loadFault.onAction(Protocol::kActLoadConfig));
    if (loads) {
        QCOMPARE(s->loadFromDevice(), 0);
        QCOMPARE(s->params().size(), kDeviceParamCount);
        OrvParamList edit{OrvParam(58, quint8(1))};
        s->paramsToWidgets(edit);
        QCOMPARE(s->applyToDevice(), 0);
        QCOMPARE(m_dev->param(58), hex("01"));
        QCOMPARE(m_dev->clockSets().size(), 1);
        QCOMPARE(takeStatuses(), (QStringList{kLoadOkStatus, kApplyOkStatus}));

        QVERIFY(s->isConnected());
        m_dev->setPlugged(false);
        QVERIFY(!s->isConnected());
        QCOMPARE(s->loadFromDevice(), -1);
    } else {
        QCOMPARE(s->loadFromDevice(), -1);
    }
    QCOMPARE(m_rep.takeBox().title, kLoadFailedTitle);
    QCOMPARE(takeStatuses(), QStringList{kLoadFailedStatus});

    s.reset();
    SimUsbHid::uninstall();
    CommUsbHid::resetRemainder();
}

void TestSession::probeNamesTheUsbDevice_data()
{
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<int>("outcome");
    QTest::newRow("accepted") << SimFault() << int(DeviceFactory::ProbeOutcome::Accepted);
    QTest::newRow("does not identify")
        << SimFault(SimFault::Silent) << int(DeviceFactory::ProbeOutcome::Failed);
}

void TestSession::probeNamesTheUsbDevice()
{
    // Whatever the outcome, the probe says which USB device it opened and where, so a
    // watcher can follow a device that did not identify itself until it leaves.
    QFETCH(SimFault, fault);
    QFETCH(int, outcome);
    SimUsbHid::install(m_dev.get());
    DeviceFactory::setUsbTransportFactory({});
    m_dev->setFault(fault);

    DeviceFactory::Probe probe = DeviceFactory::probeUsb(&m_window);
    QCOMPARE(int(probe.outcome), outcome);
    QCOMPARE(probe.usbVendorId, CommUsbHid::kIdentities[0].vendorId);
    QCOMPARE(probe.usbProductId, CommUsbHid::kIdentities[0].productId);
    QVERIFY(CommUsbHid::isListed(probe.usbVendorId, probe.usbProductId, probe.usbPath));
    m_dev->setPlugged(false);
    QVERIFY(!CommUsbHid::isListed(probe.usbVendorId, probe.usbProductId, probe.usbPath));

    probe.transport.reset();
    SimUsbHid::uninstall();
    CommUsbHid::resetRemainder();
}

void TestSession::usbDeviceWithoutAccessIsSaidOncePerPlugIn()
{
    // Plugged in, listed, but its device node refuses this user (no udev rules): every poll
    // finds no device, the user is told once per plug-in what is wrong and what to do, and
    // the message is taken back once the device is gone or opens.
    SimUsbHid::install(m_dev.get());
    SimUsbHid::setAccessDenied(true);
    DeviceFactory::setUsbTransportFactory({});
    const auto noAccess = [this] {
        return QStringLiteral("A device is plugged in, but this user may not open it: sim-hid:04d8:0240:%1 "
                              "(USB 04d8:0240). Install the device rules 70-pelm-configurator.rules (the "
                              "package does), then unplug the device and plug it in again.")
            .arg(m_dev->plugIns());
    };
    using Statuses = QList<QPair<QString, int>>;
    const auto poll = [this](int times) {
        for (int i = 0; i < times; ++i) {
            bool failed = true;
            QVERIFY(!DeviceFactory::connectUsb(&failed, &m_window));
            QVERIFY(!failed);
        }
    };

    poll(3);
    QCOMPARE(m_rep.statuses, (Statuses{{noAccess(), 0}}));
    m_rep.statuses.clear();
    const DeviceFactory::Probe probe = DeviceFactory::probeUsb(&m_window);
    QCOMPARE(int(probe.outcome), int(DeviceFactory::ProbeOutcome::NoDevice));
    QCOMPARE(probe.usbRefused.ids(), QStringLiteral("04d8:0240"));
    QVERIFY(CommUsbHid::isListed(0x04D8, 0x0240, probe.usbRefused.path));

    m_dev->setPlugged(false);
    poll(2);
    QCOMPARE(m_rep.statuses, (Statuses{{QString(), 0}}));
    m_rep.statuses.clear();

    m_dev->setPlugged(true); // plugged in again: told again
    poll(2);
    QCOMPARE(m_rep.statuses, (Statuses{{noAccess(), 0}}));
    m_rep.statuses.clear();

    SimUsbHid::setAccessDenied(false); // the rules are in place and the device was replugged
    bool failed = true;
    std::unique_ptr<DeviceSession> s(DeviceFactory::connectUsb(&failed, &m_window));
    QVERIFY(s);
    QCOMPARE(m_rep.statuses, (Statuses{{QString(), 0}}));
    m_rep.statuses.clear();
    QVERIFY(m_rep.boxes.isEmpty());

    s.reset();
    SimUsbHid::uninstall();
    CommUsbHid::resetRemainder();
}

void TestSession::offlineSessionAndFiles()
{
    QVERIFY(!DeviceFactory::createOffline(28, 0x00FF, 14));
    QVERIFY(!DeviceFactory::createOffline(27, 0x0100, 14));
    std::unique_ptr<DeviceSession> s(DeviceFactory::createOffline(28, 0x0100, 14));
    QVERIFY(s);
    QVERIFY(s->isOffline());
    QVERIFY(s->isConnected());
    QVERIFY(!s->supportsKeyChange());
    QCOMPARE(s->kivRev(), -1);
    QCOMPARE(s->identityText(), QStringLiteral("Pelm-PTC-CT:1.0.0 | KIV-:XXXX"));
    QCOMPARE(s->defaultFramePayload(), 8);

    // Offline transactions fail at once, without boxes.
    QCOMPARE(s->loadFromDevice(), -1);
    QCOMPARE(s->applyToDevice(), -1);
    QCOMPARE(s->restoreDefaults(), -1);
    QVERIFY(m_rep.boxes.isEmpty());
    m_rep.clear();

    // The default resource's twelve records, and the factory values where it is silent:
    // the VBat threshold off, the current calibration neutral, the first spire couple.
    QCOMPARE(s->loadDefaultConfig(), 16);
    QCOMPARE(takeStatuses(),
             QStringList{QStringLiteral("Load configuration from 'default', has succeeded !")});
    QCOMPARE(s->pageParams().size(), 16);
    const auto pageValue = [&s](quint8 id) {
        for (const OrvParam &p : s->pageParams()) {
            if (p.id() == id)
                return p.data();
        }
        return QByteArray();
    };
    QCOMPARE(pageValue(26), hex("68 10 e4 0c 64 00 00 00")); // duration 0: off
    QCOMPARE(pageValue(29), hex("e8 03"));
    QCOMPARE(pageValue(30), hex("00 00"));
    QCOMPARE(pageValue(31), hex("00"));

    // Written and read back through a file, with one parameter nobody knows.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cfg.ocf"));
    OrvParamList extra{OrvParam(40, quint8(7))};
    s->paramsToWidgets(extra);
    QCOMPARE(s->writeFile(path), 0);
    takeStatuses();

    std::unique_ptr<DeviceSession> t(DeviceFactory::createOffline(28, 0x0100, 14));
    // The parameter nobody knows was not saved.
    QCOMPARE(t->readFile(path), 16);
    QVERIFY(m_rep.boxes.isEmpty());
    QCOMPARE(takeStatuses(),
             QStringList{QStringLiteral("Load configuration from '%1', has succeeded !").arg(path)});
    for (const OrvParam &p : s->pageParams()) {
        if (p.id() == 40)
            continue;
        bool found = false;
        for (const OrvParam &q : t->pageParams())
            found = found || q == p;
        QVERIFY2(found, qPrintable(QString::number(p.id())));
    }

    // Frames of the page's values come back as the same parameters.
    OrvParamList out = t->exportParams();
    const FrameBuild build = buildFrames(out, 8);
    QVERIFY(build.frames.size() > 1);
    std::unique_ptr<DeviceSession> u(DeviceFactory::createOffline(28, 0x0100, 14));
    QCOMPARE(u->importFrames(build.frames), 16);
    QCOMPARE(
        takeStatuses(),
        QStringList{
            QStringLiteral("Import 16 parameters from %1 frames, has succeeded !").arg(build.frames.size())});
    QCOMPARE(u->pageParams().size(), 16);
}

void TestSession::liveValuesTerminalBootloaderClock()
{
    m_dev->setTemperature(-1234);
    m_dev->setCurrent(250);
    m_dev->setBatteryVoltage(3650);
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);

    QByteArray v;
    QVERIFY(s->readLiveValue(Protocol::kCmdTemperature, &v));
    QCOMPARE(v, hex("2E FB"));
    QVERIFY(s->readLiveValue(Protocol::kCmdCurrent, &v));
    QCOMPARE(v, hex("FA 00"));
    QVERIFY(s->readLiveValue(Protocol::kCmdBatteryVoltage, &v));
    QCOMPARE(v, hex("42 0E"));

    QVERIFY(s->terminalAvailable());
    Protocol &p = s->protocol();
    quint8 buffer[Protocol::kTerminalReadCapacity] = {};
    quint8 status = 0;
    QCOMPARE(p.sendCommand(Protocol::kCmdSerialWrite, hex("01 03 00 00 00 02 C4 0B")), 8);
    QCOMPARE(p.receiveRaw(buffer, Protocol::kTerminalWriteAckCapacity, 500, &status), 0);
    QCOMPARE(int(status), 1);
    QCOMPARE(p.sendCommand(Protocol::kCmdSerialRead), 0);
    const int n = p.receiveRaw(buffer, Protocol::kTerminalReadCapacity, 500, &status);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(buffer), qMax(0, n)),
             hex("01 03 04 00 01 00 02 2A 32"));
    p.sendCommand(Protocol::kCmdSerialWrite, QByteArray("AT\r\n"));
    p.receiveRaw(buffer, Protocol::kTerminalWriteAckCapacity, 500, &status);
    p.sendCommand(Protocol::kCmdSerialRead);
    QCOMPARE(p.receiveRaw(buffer, Protocol::kTerminalReadCapacity, 500, &status), 4);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(buffer), 4), QByteArray("AT\r\n"));

    QCOMPARE(s->bootloaderTag(Protocol::kTagDevice), 2);
    QCOMPARE(s->bootloaderTag(Protocol::kTagBleModule), 3);
    QCOMPARE(s->bootloaderTag(Protocol::kTagSerialModule), -1);
    const int queries = m_dev->commandCount(Protocol::kCmdBootloader);
    QVERIFY(s->hasBootloader());
    QCOMPARE(m_dev->commandCount(Protocol::kCmdBootloader), queries + 1); // one query for all tags
    m_dev->setBootloaderCaps(QByteArray());
    QVERIFY(!s->hasBootloader());

    const QDateTime t = QDateTime(QDate(2023, 1, 2), QTime(3, 4, 5), Qt::UTC);
    QCOMPARE(s->setDeviceClock(t), 0);
    QCOMPARE(s->shiftDeviceClock(-5), 0);
    QCOMPARE(m_dev->requests().last(), hex("75 05 05 00"
                                           "C1 03 08 FB FF"));
    QDateTime read;
    QVERIFY(s->readDeviceClock(&read));
    QCOMPARE(read, t.addSecs(-5));
    QCOMPARE(m_dev->clockShifts(), QList<qint16>{-5});

    s->restartDevice();
    QCOMPARE(m_dev->actionCount(Protocol::kActRestart), 1);
    QVERIFY(m_rep.boxes.isEmpty());

    // A silent device: every clock operation fails, nothing is invented.
    m_dev->setFault(SimFault(SimFault::Silent));
    QCOMPARE(s->setDeviceClock(t), -1);
    QVERIFY(!s->readDeviceClock(&read));
    QVERIFY(!s->readLiveValue(Protocol::kCmdCurrent, &v));
}

void TestSession::transportOwnership()
{
    bool destroyed = false;
    DeviceInfo info;
    info.orvType = 28;
    info.orvRev = 0x0100;
    info.kivType = 14;
    info.kivRev = 0x0102;
    info.bufferSize = 64;
    {
        DeviceSession s(new SimComm(*m_dev, Comm::kLinkUsbHid, &destroyed), info);
        QVERIFY(s.ownsTransport());
    }
    QVERIFY(destroyed);

    destroyed = false;
    std::unique_ptr<Comm> kept;
    {
        DeviceSession s(new SimComm(*m_dev, Comm::kLinkUsbHid, &destroyed), info);
        kept.reset(s.releaseTransport());
        QVERIFY(s.isOffline());
        QCOMPARE(s.loadFromDevice(), -1);
    }
    QVERIFY(!destroyed);
    kept.reset();
    QVERIFY(destroyed);

    destroyed = false;
    auto *comm = new SimComm(*m_dev, Comm::kLinkUsbHid, &destroyed);
    {
        DeviceSession s(comm, info);
        s.setOwnsTransport(false);
    }
    QVERIFY(!destroyed);

    // The updater's placeholder gets a transport later and owns it.
    {
        DeviceSession placeholder;
        QCOMPARE(placeholder.orvType(), 0);
        QCOMPARE(placeholder.orvRev(), -1);
        placeholder.setTransport(comm);
        QVERIFY(!placeholder.isOffline());
        QVERIFY(placeholder.identify(false));
        QCOMPARE(placeholder.orvType(), 28);
    }
    QVERIFY(destroyed);
    QVERIFY(m_rep.boxes.isEmpty());
}

void TestSession::simulatedDeviceHistoryIsBounded()
{
    // The demo mode plugs one simulated device in again and again: what it keeps of the
    // requests it received stays bounded, its counters stay exact.
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    m_dev->resetCounters();
    const int plugs = SimDevice::kHistoryLength * 3;
    const QDateTime t0 = QDateTime(QDate(2023, 1, 2), QTime(3, 4, 5), Qt::UTC);
    for (int i = 0; i < plugs; ++i) {
        QCOMPARE(s->setDeviceClock(t0.addSecs(i)), 0);
        QCOMPARE(s->shiftDeviceClock(qint16(i % 100)), 0);
        s->clearParams();
        s->addParam(OrvParam(58, quint8(i % 2)));
        ApplyResults results;
        QCOMPARE(s->apply(results, 500), 0);
    }
    // What the radio module receives through a long terminal session.
    constexpr int kChunk = 1000;
    const int chunks = SimDevice::kModuleInputHistoryBytes / kChunk + 2;
    const auto serialWrite = [this](const QByteArray &bytes) {
        QByteArray request = hex("75 06");
        request.append(char(bytes.size() & 0xFF));
        request.append(char(bytes.size() >> 8));
        m_dev->handleRequest(request + bytes);
    };
    for (int i = 0; i < chunks; ++i)
        serialWrite(QByteArray(kChunk, 'x'));
    serialWrite(QByteArray("tail"));

    QCOMPARE(m_dev->requestCount(), 3 * plugs + chunks + 1);
    QCOMPARE(m_dev->commandCount(Protocol::kCmdParams), 3 * plugs);
    QCOMPARE(m_dev->actionCount(Protocol::kActClock), 2 * plugs);
    QCOMPARE(m_dev->requests().size(), SimDevice::kHistoryLength);
    QVERIFY(m_dev->requests().last().endsWith("tail")); // the latest are kept
    QCOMPARE(m_dev->clockSets().size(), SimDevice::kHistoryLength);
    QCOMPARE(m_dev->clockSets().last(), quint32(t0.addSecs(plugs - 1).toSecsSinceEpoch()));
    QCOMPARE(m_dev->clockShifts().size(), SimDevice::kHistoryLength);
    QCOMPARE(m_dev->clockShifts().last(), qint16((plugs - 1) % 100));
    QCOMPARE(m_dev->writtenParams().size(), SimDevice::kHistoryLength);
    QCOMPARE(m_dev->writtenParams().last(), OrvParam(58, quint8((plugs - 1) % 2)));
    QCOMPARE(m_dev->moduleInput().size(), SimDevice::kModuleInputHistoryBytes);
    QVERIFY(m_dev->moduleInput().endsWith("tail"));
    QCOMPARE(m_dev->param(58), QByteArray(1, char((plugs - 1) % 2)));
    takeStatuses();
}

void TestSession::sessionLog()
{
    const LogRecorder log;
    const QString accepted = QStringLiteral("USB probe: accepted, type 28 rev 0x0100, module 14 rev 0x0102");
    std::unique_ptr<CountingSession> s(connect());
    QVERIFY(s);
    s.reset();

    // The poll that keeps finding nothing says so once.
    DeviceFactory::setUsbTransportFactory([]() -> Comm * { return nullptr; });
    bool failed = false;
    for (int i = 0; i < 3; ++i)
        QVERIFY(!DeviceFactory::connectUsb(&failed, &m_window));
    SimDevice *dev = m_dev.get();
    DeviceFactory::setUsbTransportFactory([dev]() -> Comm * { return new SimComm(*dev); });

    s.reset(connect());
    QVERIFY(s);
    QCOMPARE(s->loadFromDevice(), 0);
    m_dev->setFault(SimFault(SimFault::Silent));
    QCOMPARE(s->restoreDefaults(), -1);
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Default configuration failed !"));

    QCOMPARE(log.lines("pelm.session"), (QStringList{
                                            accepted,
                                            "USB probe: no device",
                                            accepted,
                                            "load: start",
                                            "load: end, " + QString::number(kDeviceParamCount),
                                            "restore defaults: start",
                                            // the debug log names the backup taken before the write
                                            "backup saved: \"" + s->lastBackupPath() + "\"",
                                            "restore defaults: end, failed",
                                        }));
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"

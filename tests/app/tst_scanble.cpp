// The BLE scan page: which scanned devices are listed and how, RSSI updates, refresh, the
// connect states and signals, and the hint shown when no scan can run (a fake scanner that
// fails inside start(), and the real Qt Bluetooth scanner on a machine without an adapter).

#include "links/BleSeam.h"
#include "app/WdgBleDevice.h"
#include "app/WdgScanBle.h"

#include <QBluetoothLocalDevice>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

const QString kNoAdapterHint = QStringLiteral("No Bluetooth adapter found: BLE devices can't be scanned.");
const QString kPoweredOffHint = QStringLiteral("Bluetooth is turned off: BLE devices can't be scanned.");
const QString kPtcCtPicture = QStringLiteral(":/orv/imgs/ptc-ct.png");
const QString kUnknownPicture = QStringLiteral(":/orv/imgs/orv_unknow.png");
const QString kGenericBlePicture = QStringLiteral(":/MainWindow/img/BLE_big.png");

class FakeAgent : public BleDiscoveryAgent
{
public:
    FakeAgent(QBluetoothDeviceDiscoveryAgent::Error failWith, QObject *parent)
        : BleDiscoveryAgent(parent), failWith(failWith)
    {
    }

    void setLowEnergyDiscoveryTimeout(int timeoutMs) override { this->timeoutMs = timeoutMs; }
    void start(QBluetoothDeviceDiscoveryAgent::DiscoveryMethods methods) override
    {
        ++starts;
        this->methods = methods;
        if (failWith != QBluetoothDeviceDiscoveryAgent::NoError) {
            // What Qt does without an adapter: the error comes inside the call.
            m_error = failWith;
            emit errorOccurred(failWith);
            return;
        }
        m_active = true;
    }
    void stop() override
    {
        ++stops;
        m_active = false;
    }
    bool isActive() const override { return m_active; }
    QBluetoothDeviceDiscoveryAgent::Error error() const override { return m_error; }
    QString errorString() const override { return QStringLiteral("fake scanner failure"); }

    void discover(const QBluetoothDeviceInfo &info) { emit deviceDiscovered(info); }
    void update(const QBluetoothDeviceInfo &info)
    {
        emit deviceUpdated(info, QBluetoothDeviceInfo::Fields(QBluetoothDeviceInfo::Field::RSSI));
    }

    QBluetoothDeviceDiscoveryAgent::Error failWith;
    int starts = 0;
    int stops = 0;
    int timeoutMs = -1;
    QBluetoothDeviceDiscoveryAgent::DiscoveryMethods methods;

private:
    bool m_active = false;
    QBluetoothDeviceDiscoveryAgent::Error m_error = QBluetoothDeviceDiscoveryAgent::NoError;
};

class FakeAgentBackend : public BleBackend
{
public:
    BleController *createController(const QBluetoothDeviceInfo &, QObject *) override { return nullptr; }
    BleDiscoveryAgent *createDiscoveryAgent(QObject *parent) override
    {
        agent = new FakeAgent(failWith, parent);
        return agent;
    }

    QBluetoothDeviceDiscoveryAgent::Error failWith = QBluetoothDeviceDiscoveryAgent::NoError;
    QPointer<FakeAgent> agent;
};

QBluetoothDeviceInfo device(const QString &name, const QString &address, qint16 rssi, bool lowEnergy = true)
{
    QBluetoothDeviceInfo info(QBluetoothAddress(address), name, 0);
    info.setCoreConfigurations(lowEnergy ? QBluetoothDeviceInfo::LowEnergyCoreConfiguration
                                         : QBluetoothDeviceInfo::BaseRateCoreConfiguration);
    info.setRssi(rssi);
    return info;
}

QImage scaledPicture(const QString &resource)
{
    return QPixmap(resource)
        .scaled(WdgBleDevice::kPictureSizePx, WdgBleDevice::kPictureSizePx, Qt::KeepAspectRatio,
                Qt::SmoothTransformation)
        .toImage();
}

} // namespace

class TestScanBle : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsContinuousLowEnergyScan();
    void listing_data();
    void listing();
    void rssiUpdate();
    void refreshEmptiesListAndRestarts();
    void doubleClickConnectsOnce();
    void pictureTable_data();
    void pictureTable();
    void scanFailureHint_data();
    void scanFailureHint();
    void realBackendWithoutAdapter();
    void pagesShareTheRefreshIcon();

private:
    /// A shown page on the fake scanner.
    void makePage();
    QListWidget *list() const { return m_page->findChild<QListWidget *>("listWidget_scannedDevices"); }
    QPushButton *connectButton() const { return m_page->findChild<QPushButton *>("bleConnectButton"); }
    QPushButton *refreshButton() const { return m_page->findChild<QPushButton *>("button_refreshBleScan"); }
    QLabel *hint() const { return m_page->findChild<QLabel *>("label_scanHint"); }
    QLabel *entryLabel(int row, const char *name) const
    {
        QWidget *entry = list()->itemWidget(list()->item(row));
        return entry ? entry->findChild<QLabel *>(name) : nullptr;
    }
    void clickRow(int row, bool twice = false)
    {
        const QRect rect = list()->visualItemRect(list()->item(row));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
        if (twice)
            QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
    }

    std::unique_ptr<FakeAgentBackend> m_backend;
    std::unique_ptr<WdgScanBle> m_page;
};

void TestScanBle::init()
{
    m_backend = std::make_unique<FakeAgentBackend>();
    setBleBackend(m_backend.get());
}

void TestScanBle::cleanup()
{
    m_page.reset();
    setBleBackend(nullptr);
    m_backend.reset();
}

void TestScanBle::makePage()
{
    m_page = std::make_unique<WdgScanBle>();
    m_page->resize(420, 500);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
}

void TestScanBle::startsContinuousLowEnergyScan()
{
    makePage();
    FakeAgent *agent = m_backend->agent;
    QVERIFY(agent);
    QCOMPARE(agent->starts, 1);
    QCOMPARE(agent->timeoutMs, 0);
    QCOMPARE(agent->methods, QBluetoothDeviceDiscoveryAgent::DiscoveryMethods(
                                 QBluetoothDeviceDiscoveryAgent::LowEnergyMethod));
    QCOMPARE(connectButton()->text(), QStringLiteral("Scanning ..."));
    QVERIFY(!connectButton()->isEnabled());
    QVERIFY(hint()->isHidden());
    QCOMPARE(list()->count(), 0);
    QCOMPARE(m_page->windowTitle(), QStringLiteral("Form"));
    QCOMPARE(m_page->findChild<QLabel *>("label")->text(), QStringLiteral("Bluetooth detected devices"));
    QCOMPARE(m_page->findChild<QLabel *>("label")->font().pointSize(), 12);

    // Connect without a selection does nothing.
    QSignalSpy orv(m_page.get(), &WdgScanBle::OnOrvBlePicked);
    QSignalSpy kiv(m_page.get(), &WdgScanBle::OnKivBlePicked);
    QMetaObject::invokeMethod(m_page.get(), "_onOrvBleConnect");
    QCOMPARE(orv.count() + kiv.count(), 0);
    QCOMPARE(agent->stops, 0);
}

void TestScanBle::listing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("lowEnergy");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<bool>("configurable");

    QTest::newRow("sensor") << "QMX PTC-CT 0001" << true << -58 << true << true;
    QTest::newRow("sensor, lower case") << "qmx-7" << true << -80 << true << true;
    QTest::newRow("radio module, upper case") << "PELM KIV_BLE 02" << true << -40 << true << false;
    QTest::newRow("radio module and sensor marker") << "kiv_ble qmx" << true << -40 << true << true;
    QTest::newRow("foreign device") << "Headphones" << true << -50 << false << false;
    QTest::newRow("no RSSI") << "QMX PTC-CT 0001" << true << 0 << false << false;
    QTest::newRow("not low energy") << "QMX PTC-CT 0001" << false << -58 << false << false;
    QTest::newRow("marker split") << "QM X" << true << -58 << false << false;
}

void TestScanBle::listing()
{
    QFETCH(QString, name);
    QFETCH(bool, lowEnergy);
    QFETCH(int, rssi);
    QFETCH(bool, listed);
    QFETCH(bool, configurable);
    makePage();
    const QString address = QStringLiteral("00:80:E1:26:00:01");
    m_backend->agent->discover(device(name, address, qint16(rssi), lowEnergy));

    QCOMPARE(list()->count(), listed ? 1 : 0);
    if (!listed)
        return;
    QCOMPARE(entryLabel(0, "label_advName")->text(), name);
    QCOMPARE(entryLabel(0, "label_bleAddr")->text(), address);
    QCOMPARE(entryLabel(0, "label_bleRssi")->text(), QString::number(rssi));
    QVERIFY(!entryLabel(0, "label_image")->pixmap(Qt::ReturnByValue).isNull());

    clickRow(0);
    QVERIFY(connectButton()->isEnabled());
    QCOMPARE(connectButton()->text(), QStringLiteral("Connect"));

    QSignalSpy orv(m_page.get(), &WdgScanBle::OnOrvBlePicked);
    QSignalSpy kiv(m_page.get(), &WdgScanBle::OnKivBlePicked);
    QTest::mouseClick(connectButton(), Qt::LeftButton);
    QCOMPARE(orv.count(), configurable ? 1 : 0);
    QCOMPARE(kiv.count(), configurable ? 0 : 1);
    QCOMPARE((configurable ? orv : kiv).first().first().toString(), address);
    QCOMPARE(connectButton()->text(), QStringLiteral("Connection In progress ..."));
    QVERIFY(!connectButton()->isEnabled());
    QCOMPARE(m_backend->agent->stops, 1);
    QVERIFY(!m_backend->agent->isActive());

    // While connecting, clicks on rows are ignored.
    clickRow(0);
    QVERIFY(!connectButton()->isEnabled());
    QCOMPARE(connectButton()->text(), QStringLiteral("Connection In progress ..."));
}

void TestScanBle::rssiUpdate()
{
    makePage();
    FakeAgent *agent = m_backend->agent;
    agent->discover(device("QMX A", "00:80:E1:26:00:01", -60));
    agent->discover(device("QMX B", "00:80:E1:26:00:02", -70));
    QCOMPARE(list()->count(), 2);

    agent->update(device("QMX B", "00:80:E1:26:00:02", -55));
    QCOMPARE(entryLabel(1, "label_bleRssi")->text(), QStringLiteral("-55"));
    QCOMPARE(entryLabel(0, "label_bleRssi")->text(), QStringLiteral("-60"));

    // A device never listed is ignored; repeated reports do not add rows.
    agent->update(device("QMX C", "00:80:E1:26:00:03", -30));
    QCOMPARE(list()->count(), 2);
    QCOMPARE(entryLabel(0, "label_bleRssi")->text(), QStringLiteral("-60"));
    QCOMPARE(entryLabel(1, "label_bleRssi")->text(), QStringLiteral("-55"));
}

void TestScanBle::refreshEmptiesListAndRestarts()
{
    makePage();
    FakeAgent *agent = m_backend->agent;
    agent->discover(device("QMX A", "00:80:E1:26:00:01", -60));
    agent->discover(device("KIV_BLE B", "00:80:E1:26:00:02", -70));
    clickRow(1);
    QVERIFY(connectButton()->isEnabled());

    QTest::mouseClick(refreshButton(), Qt::LeftButton);
    QCOMPARE(list()->count(), 0);
    QCOMPARE(connectButton()->text(), QStringLiteral("Scanning ..."));
    QVERIFY(!connectButton()->isEnabled());
    QCOMPARE(agent->stops, 1);
    QCOMPARE(agent->starts, 2);
    QCOMPARE(agent->timeoutMs, 0);

    // The old selection is gone: Connect acts on what is clicked in the new list.
    QSignalSpy orv(m_page.get(), &WdgScanBle::OnOrvBlePicked);
    QSignalSpy kiv(m_page.get(), &WdgScanBle::OnKivBlePicked);
    QMetaObject::invokeMethod(m_page.get(), "_onOrvBleConnect");
    QCOMPARE(orv.count() + kiv.count(), 0);
    agent->discover(device("QMX C", "00:80:E1:26:00:03", -50));
    clickRow(0);
    QTest::mouseClick(connectButton(), Qt::LeftButton);
    QCOMPARE(kiv.count(), 0);
    QCOMPARE(orv.count(), 1);
    QCOMPARE(orv.first().first().toString(), QStringLiteral("00:80:E1:26:00:03"));

    // Refresh also leaves the connecting state.
    QTest::mouseClick(refreshButton(), Qt::LeftButton);
    QCOMPARE(connectButton()->text(), QStringLiteral("Scanning ..."));
    agent->discover(device("QMX C", "00:80:E1:26:00:03", -50));
    clickRow(0);
    QVERIFY(connectButton()->isEnabled());
}

void TestScanBle::doubleClickConnectsOnce()
{
    makePage();
    m_backend->agent->discover(device("QMX A", "00:80:E1:26:00:01", -60));
    QSignalSpy orv(m_page.get(), &WdgScanBle::OnOrvBlePicked);

    clickRow(0, true);
    QCOMPARE(orv.count(), 1);
    QCOMPARE(connectButton()->text(), QStringLiteral("Connection In progress ..."));

    // "Connection In progress ...": a second double click does nothing.
    clickRow(0, true);
    QCOMPARE(orv.count(), 1);
}

void TestScanBle::pictureTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("picture");
    QTest::newRow("sensor marker") << "QMX PTC-CT 0001" << kPtcCtPicture;
    QTest::newRow("sensor marker, mixed case") << "Qmx" << kPtcCtPicture;
    QTest::newRow("longer code comes first") << "PELMTC08 qmx" << kUnknownPicture;
    QTest::newRow("radio module") << "KIV_BLE 02" << kUnknownPicture;
    QTest::newRow("no model code") << "Thermometer" << kGenericBlePicture;
}

void TestScanBle::pictureTable()
{
    QFETCH(QString, name);
    QFETCH(QString, picture);
    QCOMPARE(WdgBleDevice::pictureForName(name), picture);

    WdgBleDevice entry;
    entry.setPictureFromName(name);
    const QPixmap shown = entry.findChild<QLabel *>("label_image")->pixmap(Qt::ReturnByValue);
    QVERIFY(!shown.isNull());
    QVERIFY(shown.width() <= WdgBleDevice::kPictureSizePx && shown.height() <= WdgBleDevice::kPictureSizePx);
    QVERIFY(shown.width() == WdgBleDevice::kPictureSizePx || shown.height() == WdgBleDevice::kPictureSizePx);
    if (picture != kGenericBlePicture)
        QCOMPARE(shown.toImage(), scaledPicture(picture));
}

void TestScanBle::scanFailureHint_data()
{
    QTest::addColumn<QBluetoothDeviceDiscoveryAgent::Error>("error");
    QTest::addColumn<QString>("text");
    QTest::newRow("no adapter (i/o)") << QBluetoothDeviceDiscoveryAgent::InputOutputError << kNoAdapterHint;
    QTest::newRow("no adapter") << QBluetoothDeviceDiscoveryAgent::InvalidBluetoothAdapterError
                                << kNoAdapterHint;
    QTest::newRow("adapter off") << QBluetoothDeviceDiscoveryAgent::PoweredOffError << kPoweredOffHint;
    QTest::newRow("other") << QBluetoothDeviceDiscoveryAgent::UnknownError
                           << QStringLiteral("BLE scan failed: fake scanner failure");
}

void TestScanBle::scanFailureHint()
{
    QFETCH(QBluetoothDeviceDiscoveryAgent::Error, error);
    QFETCH(QString, text);
    m_backend->failWith = error;
    makePage();
    QVERIFY(!hint()->isHidden());
    QCOMPARE(hint()->text(), text);
    QCOMPARE(list()->count(), 0);
    QVERIFY(!connectButton()->isEnabled());
    QCOMPARE(connectButton()->text(), QStringLiteral("Not scanning"));

    // Still failing after refresh: the hint stays.
    QTest::mouseClick(refreshButton(), Qt::LeftButton);
    QVERIFY(!hint()->isHidden());
    QCOMPARE(hint()->text(), text);
    QCOMPARE(connectButton()->text(), QStringLiteral("Not scanning"));

    // The adapter is back: refresh scans again and the hint goes.
    m_backend->agent->failWith = QBluetoothDeviceDiscoveryAgent::NoError;
    QTest::mouseClick(refreshButton(), Qt::LeftButton);
    QVERIFY(hint()->isHidden());
    QVERIFY(m_backend->agent->isActive());
    QCOMPARE(connectButton()->text(), QStringLiteral("Scanning ..."));
    m_backend->agent->discover(device("QMX A", "00:80:E1:26:00:01", -60));
    QCOMPARE(list()->count(), 1);
}

void TestScanBle::realBackendWithoutAdapter()
{
    setBleBackend(nullptr);
    if (!QBluetoothLocalDevice::allDevices().isEmpty())
        QSKIP("This machine has a Bluetooth adapter");

    makePage();
    QTest::qWait(300); // whatever the stack reports late arrives now
    QVERIFY(!hint()->isHidden());
    QCOMPARE(hint()->text(), kNoAdapterHint);
    QCOMPARE(list()->count(), 0);

    QTest::mouseClick(refreshButton(), Qt::LeftButton);
    QTest::qWait(100);
    QVERIFY(!hint()->isHidden());
    QCOMPARE(hint()->text(), kNoAdapterHint);
    QCOMPARE(list()->count(), 0);
    QCOMPARE(connectButton()->text(), QStringLiteral("Not scanning"));
}

void TestScanBle::pagesShareTheRefreshIcon()
{
    // The connection page is built again after every unplug: its icon is built once for the
    // process, so drawing it finds its pixmaps in the pixmap cache instead of adding new ones.
    WdgScanBle first;
    WdgScanBle second;
    const QIcon a = first.findChild<QPushButton *>("button_refreshBleScan")->icon();
    const QIcon b = second.findChild<QPushButton *>("button_refreshBleScan")->icon();
    QVERIFY(!a.isNull());
    QCOMPARE(a.cacheKey(), b.cacheKey());
    QCOMPARE(a.pixmap(16, 16).cacheKey(), b.pixmap(16, 16).cacheKey());
}

QTEST_MAIN(TestScanBle)
#include "tst_scanble.moc"

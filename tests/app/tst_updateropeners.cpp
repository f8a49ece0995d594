// How the main window reaches the updater page: the Updater action (enabled only for a device
// page over BLE whose device reports a bootloader), the BLE radio module picked in the scan,
// the USB poll resting while the page is shown, and Close Tool bringing the connection page and
// the poll back.

#include "gui/FileDialogs.h"
#include "app/MainWindow.h"
#include "app/WdgMain.h"
#include "device/session/DeviceSession.h"
#include "editors/OrvObject.h"
#include "editors/WdgOrv.h"
#include "editors/WdgOrvVirtual.h"
#include "links/Comm.h"
#include "sim/SimBle.h"
#include "sim/SimBootloaders.h"
#include "sim/SimDevice.h"
#include "sim/SimUsbHid.h"
#include "support/RecordingReporter.h"
#include "tools/WdgDeviceUpdater.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {
const QString kDeviceAddress = QString::fromLatin1(SimBleBackend::kDefaultAddress);
const QString kModuleAddress = QStringLiteral("00:80:E1:26:00:02");
const QString kModuleName = QStringLiteral("KIV_BLE 0002");
} // namespace

class TestUpdaterOpeners : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void updaterActionEnabling_data();
    void updaterActionEnabling();
    void updaterActionTakesTheLinkOver();
    void moduleFromTheScanOpensTheUpdater();

private:
    void poll() { QVERIFY(QMetaObject::invokeMethod(m_window.get(), "on_orvManager")); }
    QAction *action(const char *name) { return m_window->findChild<QAction *>(QLatin1String(name)); }
    void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void pickBleDevice()
    {
        QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvBlePicked", Q_ARG(QString, kDeviceAddress)));
    }
    /// Closes the updater page with its button and checks what comes back.
    void closeTheUpdater();

    ScopedRecordingReporter m_rep;
    std::unique_ptr<SimDevice> m_usbDev;
    std::unique_ptr<SimDevice> m_bleDev;
    std::unique_ptr<SimDevice> m_moduleDev;
    std::unique_ptr<ScriptedFileDialogs> m_dialogs;
    std::unique_ptr<MainWindow> m_window;
};

void TestUpdaterOpeners::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("PelmTest");
    QCoreApplication::setApplicationName("Pelm Configurator");
}

void TestUpdaterOpeners::init()
{
    QSettings().clear();
    m_usbDev = std::make_unique<SimDevice>();
    m_usbDev->setPlugged(false);
    m_bleDev = std::make_unique<SimDevice>();
    m_bleDev->setExtendedIdentification(true);
    m_moduleDev = std::make_unique<SimDevice>();
    m_moduleDev->setBootloaderCaps(QByteArray::fromHex("63"));
    SimUsbHid::install(m_usbDev.get());
    installSimBle(m_bleDev.get())->addDevice(m_moduleDev.get(), kModuleName, kModuleAddress);
    m_dialogs = std::make_unique<ScriptedFileDialogs>();
    m_window = std::make_unique<MainWindow>();
    m_rep.clear();
}

void TestUpdaterOpeners::cleanup()
{
    m_window.reset();
    settle();
    uninstallSimBle();
    SimUsbHid::uninstall();
    m_usbDev.reset();
    m_bleDev.reset();
    m_moduleDev.reset();
    m_dialogs.reset();
    VERIFY_NO_PENDING_BOXES(m_rep);
    m_rep.clear();
}

void TestUpdaterOpeners::closeTheUpdater()
{
    auto *page = qobject_cast<WdgDeviceUpdater *>(m_window->centralWidget());
    QVERIFY(page);
    page->findChild<QPushButton *>("pushButton_close")->click();
    QVERIFY(qobject_cast<WdgMain *>(m_window->centralWidget()));
    QVERIFY(!m_window->device());
    QVERIFY(m_window->pollTimer().isActive());
    QCOMPARE(m_window->pollTimer().interval(), MainWindow::kUsbPollMs);
    QVERIFY(action("actionOpen")->isEnabled());
    QVERIFY(action("actionAuto_Conf")->isEnabled());
    QVERIFY(!action("actionUpdater")->isEnabled());
}

void TestUpdaterOpeners::updaterActionEnabling_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QByteArray>("caps");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("BLE, device and module bootloaders") << "ble" << QByteArray::fromHex("4263") << true;
    QTest::newRow("BLE, serial module bootloader only") << "ble" << QByteArray::fromHex("21") << true;
    QTest::newRow("BLE, no bootloader") << "ble" << QByteArray() << false;
    QTest::newRow("USB, device and module bootloaders") << "usb" << QByteArray::fromHex("4263") << false;
    QTest::newRow("offline") << "offline" << QByteArray::fromHex("4263") << false;
}

void TestUpdaterOpeners::updaterActionEnabling()
{
    QFETCH(QString, how);
    QFETCH(QByteArray, caps);
    QFETCH(bool, enabled);
    QVERIFY(!action("actionUpdater")->isEnabled()); // nothing shown yet
    m_bleDev->setBootloaderCaps(caps);
    m_usbDev->setBootloaderCaps(caps);
    if (how == "ble") {
        pickBleDevice();
    } else if (how == "usb") {
        m_usbDev->setPlugged(true);
        poll();
    } else {
        QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvPicked", Q_ARG(int, 28), Q_ARG(int, 256),
                                          Q_ARG(int, 14)));
    }
    QVERIFY(m_window->device());
    QCOMPARE(action("actionUpdater")->isEnabled(), enabled);
    if (how == "offline") {
        // Reached anyway, the updater has no link to work over: the offline page stays as it is.
        QWidget *before = m_window->centralWidget();
        QVERIFY(QMetaObject::invokeMethod(m_window.get(), "on_actionUpdater_triggered"));
        QCOMPARE(m_window->centralWidget(), before);
        QVERIFY(action("actionSave")->isEnabled());
    }
}

void TestUpdaterOpeners::updaterActionTakesTheLinkOver()
{
    pickBleDevice();
    QPointer<OrvObject> device = m_window->device();
    QVERIFY(device);
    QVERIFY(action("actionUpdater")->isEnabled());
    Comm *link = device->transport();
    const int identifications = m_bleDev->actionCount(2);

    action("actionUpdater")->trigger();
    auto *page = qobject_cast<WdgDeviceUpdater *>(m_window->centralWidget());
    QVERIFY(page);
    // The device page and its object are gone; the link went to the updater, still connected,
    // with the identity the device gave when it was connected (not asked again).
    settle();
    QVERIFY(!device);
    QCOMPARE(page->device()->transport(), link);
    QVERIFY(link->isConnected());
    QCOMPARE(m_bleDev->actionCount(2), identifications);
    QCOMPARE(page->findChild<QLabel *>("label_OrvName")->text(), "Pelm-PTC-CT (" + kDeviceAddress + ")");
    QVERIFY(page->findChild<QWidget *>("verticalWidget_Orv")->isEnabled());
    QVERIFY(page->findChild<QWidget *>("verticalWidget_KivBle")->isEnabled());
    QCOMPARE(page->findChild<QLabel *>("label_KivBleFw")->text(),
             QStringLiteral("Firmware : Pelm BLE 1.1.0\nBootloader : BootQuor"));

    // While the page is shown: no poll, no device actions, no other page from the File menu.
    QVERIFY(!m_window->pollTimer().isActive());
    for (const char *name : {"actionUpdater", "actionApply", "actionSave", "actionOpen", "actionAuto_Conf"})
        QVERIFY2(!action(name)->isEnabled(), name);
    m_usbDev->setPlugged(true);
    QTest::qWait(700);
    QCOMPARE(m_window->centralWidget(), page);
    QCOMPARE(m_usbDev->requestCount(), 0);
    // A pick that still arrives (the connection page's signals) leaves the page alone.
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvPicked", Q_ARG(int, 28), Q_ARG(int, 256),
                                      Q_ARG(int, 14)));
    QCOMPARE(m_window->centralWidget(), page);

    closeTheUpdater();
    settle();
    QVERIFY(m_bleDev->bootloaders().restarts().isEmpty()); // nothing was updated
    // The poll runs again and finds the USB device.
    poll();
    QVERIFY(qobject_cast<WdgOrv *>(m_window->centralWidget()));
    QVERIFY(!m_window->device()->isOffline());
}

void TestUpdaterOpeners::moduleFromTheScanOpensTheUpdater()
{
    // The scan lists the device and the radio module; picking the module opens the updater.
    auto *list = m_window->centralWidget()->findChild<QListWidget *>("listWidget_scannedDevices");
    QVERIFY(list);
    QTRY_COMPARE(list->count(), 2);
    QLabel *name = list->itemWidget(list->item(1))->findChild<QLabel *>("label_advName");
    QCOMPARE(name->text(), kModuleName);
    emit list->itemClicked(list->item(1));
    m_moduleDev->resetCounters();
    m_window->centralWidget()->findChild<QPushButton *>("bleConnectButton")->click();

    auto *page = qobject_cast<WdgDeviceUpdater *>(m_window->centralWidget());
    QVERIFY(page);
    QVERIFY(!m_window->pollTimer().isActive());
    QVERIFY(!action("actionOpen")->isEnabled());
    QVERIFY(page->device()->transport()->isConnected());
    QCOMPARE(page->device()->transport()->linkCode(), quint8(Comm::kLinkBle));
    // The module was asked for its bootloaders, not identified.
    QCOMPARE(m_moduleDev->commandCount(8), 1);
    QCOMPARE(m_moduleDev->actionCount(2), 0);
    QCOMPARE(m_bleDev->requestCount(), 0);
    QCOMPARE(page->findChild<QLabel *>("label_OrvName")->text(), "Pelm-XXX (" + kModuleAddress + ")");
    QVERIFY(!page->findChild<QWidget *>("verticalWidget_Orv")->isEnabled());
    QVERIFY(page->findChild<QWidget *>("verticalWidget_KivBle")->isEnabled());

    closeTheUpdater();
}

QTEST_MAIN(TestUpdaterOpeners)
#include "tst_updateropeners.moc"

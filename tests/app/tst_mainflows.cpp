// The main window's flows end to end on the simulated device: plug in, load, edit, apply,
// refusals, unplug, offline work, files, and the pending-device question.

#include "gui/FileDialogs.h"
#include "gui/GuiReporter.h"
#include "app/MainWindow.h"
#include "app/WdgMain.h"
#include "device/files/BackupStore.h"
#include "device/family/ConfigDiff.h"
#include "device/protocol/Protocol.h"
#include "editors/OrvObject.h"
#include "editors/WdgOrv.h"
#include "editors/WdgOrvVirtual.h"
#include "editors/WdgThresholdCfg.h"
#include "links/Comm.h"
#include "sim/SimBle.h"
#include "sim/SimDevice.h"
#include "sim/SimUsbHid.h"
#include "support/MainWindowTest.h"
#include "support/RecordingReporter.h"
#include "support/TestData.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QMessageBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(SimFault)

#include <memory>

namespace {

using namespace TestData;

/// Records a property of a widget of the device page at its first paint.
class FirstPaintRecorder : public QObject
{
public:
    FirstPaintRecorder(const QString &objectName, const char *property)
        : m_objectName(objectName), m_property(property)
    {
    }
    bool painted = false;
    QVariant firstValue;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!painted && event->type() == QEvent::Paint && watched->objectName() == m_objectName) {
            painted = true;
            firstValue = watched->property(m_property);
        }
        return false;
    }

private:
    QString m_objectName;
    const char *m_property;
};
} // namespace

class TestMainFlows : public MainWindowTest
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void plugLoadsThePage();
    void failedFirstLoadShowsNoPage_data();
    void failedFirstLoadShowsNoPage();
    void editApplyReload();
    void restoreBackupUndoesAnApply();
    void compareBoxOnScreen();
    void refusedParameterIsNamed();
    void unplugClosesThePageWithinAPoll();
    void offlinePick();
    void openFileWithoutDevice();
    void openFileOfUnknownTypeFails();
    void openFileOfAnotherTypeOnConnectedDevice();
    void openFileOfAnotherModuleAsksFirst_data();
    void openFileOfAnotherModuleAsksFirst();
    void saveWritesTheFileAndRecentFiles();
    void saveWhileThePageIsReplaced_data();
    void saveWhileThePageIsReplaced();
    void refusedFileIsNotTheCurrentFile_data();
    void refusedFileIsNotTheCurrentFile();
    void unreadableRecentFileIsRemoved_data();
    void unreadableRecentFileIsRemoved();
    void openReadsTheFileOnce();
    void pendingDeviceQuestion_data();
    void pendingDeviceQuestion();
    void pollDoesNotRunInsideABoxOfAnExchange();
    void reloadOfflineWithoutFileOffersTheDefault();
    void deviceThatDoesNotIdentifyKeepsTheConnectionPage();
    void deviceWithoutAccessIsSaidInTheStatusBar();
    void bleDeviceClosedFromItsPage();
    void offlinePickDuringBleConnectionWins();
    void pageShownOnlyWithTheDeviceValues_data();
    void pageShownOnlyWithTheDeviceValues();
    void keysAndTerminalFromTheDevicePage();
    void defaultAsksFirst_data();
    void defaultAsksFirst();

private:
    /// Shows a device page: "usb" (the device plugged in), "pick" (offline, from the picker)
    /// or a configuration file opened offline.
    void showDevice(const QString &how);

    QTemporaryDir m_dir;
};

void TestMainFlows::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("PelmTest");
    QCoreApplication::setApplicationName("Pelm Configurator");
    QCoreApplication::setApplicationVersion("1.0.7");
}

void TestMainFlows::init()
{
    startWindow();
}

void TestMainFlows::cleanup()
{
    stopWindow();
}

void TestMainFlows::plugLoadsThePage()
{
    QVERIFY(m_window->pollTimer().isActive());
    QCOMPARE(m_window->pollTimer().interval(), MainWindow::kUsbPollMs);
    poll();
    QVERIFY(!m_window->device()); // nothing plugged in
    QVERIFY(qobject_cast<WdgMain *>(m_window->centralWidget()));

    m_dev->setPlugged(true);
    poll();
    OrvObject *device = m_window->device();
    QVERIFY(device);
    auto *page = qobject_cast<WdgOrv *>(m_window->centralWidget());
    QVERIFY(page);
    QCOMPARE(page->findChild<QLabel *>("label_DeviceName")->text(), QStringLiteral("Pelm-PTC-CT"));
    QVERIFY(page->findChild<QWidget *>("pushButton_close")->isHidden()); // USB: closed by unplugging
    QCOMPARE(m_window->statusBar(), device->statusBar());
    QVERIFY(m_window->statusBar()
                ->findChild<QLabel *>("labelIdentity")
                ->text()
                .startsWith("Pelm-PTC-CT:1.0.0 | KIV-:"));
    QCOMPARE(m_window->statusBar()->currentMessage(),
             QStringLiteral("Load configuration from Pelm, has succeeded !"));
    QCOMPARE(m_dev->actionCount(4), 1); // the configuration was loaded once
    for (const char *name :
         {"actionApply", "actionReload", "actionDefault", "actionSave", "actionSave_as",
          "actionImport_frames", "actionExport_frames", "actionKivTerminal", "actionChangeLoRaWANkeys"})
        QVERIFY2(action(name)->isEnabled(), name);
    QVERIFY(!action("actionUpdater")->isEnabled()); // USB link: no updater
}

void TestMainFlows::failedFirstLoadShowsNoPage_data()
{
    QTest::addColumn<SimFault>("fault");
    QTest::newRow("no answer") << SimFault(SimFault::Silent);
    QTest::newRow("cut answer") << SimFault(SimFault::TruncatedElement);
}

void TestMainFlows::failedFirstLoadShowsNoPage()
{
    QFETCH(SimFault, fault);
    // The device identifies itself, but its configuration doesn't come.
    m_dev->setFault(fault.onAction(Protocol::kActLoadConfig));
    m_dev->setPlugged(true);
    poll();
    QPointer<OrvObject> device = m_window->device();
    QVERIFY(device);
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Load configuration failed !"));
    auto *page = qobject_cast<WdgOrv *>(m_window->centralWidget());
    QVERIFY(page);
    // No editor is shown: what they hold never came from the device.
    QVERIFY(device->isHidden() || !device->isVisibleTo(page));
    QVERIFY(
        page->stateText().startsWith(QStringLiteral("The configuration could not be read from the device.")));
    for (const char *name : {"actionApply", "actionSave", "actionSave_as", "actionImport_frames",
                             "actionExport_frames", "actionKivTerminal", "actionChangeLoRaWANkeys"})
        QVERIFY2(!action(name)->isEnabled(), name);
    QVERIFY(action("actionReload")->isEnabled());
    QVERIFY(!page->findChild<QPushButton *>("pushButton_apply")->isEnabled());
    QVERIFY(page->findChild<QPushButton *>("pushButton_reload")->isEnabled());
    // Even asked directly, nothing is written.
    QCOMPARE(device->applyToDevice(), -1);
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Apply configuration failed !"));
    QVERIFY(m_dev->writtenParams().isEmpty());

    // Reload once the device answers: the page is there, and Apply with it.
    m_dev->setFault(SimFault());
    page->findChild<QPushButton *>("pushButton_reload")->click();
    QCoreApplication::processEvents();
    QVERIFY(device->isVisibleTo(page));
    QCOMPARE(page->stateText(), QString());
    QVERIFY(page->findChild<QPushButton *>("pushButton_apply")->isEnabled());
    QVERIFY(action("actionApply")->isEnabled());
    QVERIFY(action("actionSave")->isEnabled());
}

void TestMainFlows::editApplyReload()
{
    m_dev->setPlugged(true);
    poll();
    QVERIFY(m_window->device());
    auto *offset = m_window->device()->findChild<QDoubleSpinBox *>("doubleSpinBox_sensor1Offset");
    QVERIFY(offset);
    offset->setValue(-0.12);
    const int clockActions = m_dev->actionCount(8);
    const QByteArray offsetBefore = m_dev->params().value(24);

    // What changes is shown first, in the page's units: Cancel writes nothing.
    m_rep.answer(Reporter::Cancel);
    action("actionApply")->trigger();
    Reporter::Box compare = m_rep.takeBox();
    QCOMPARE(compare.title, QStringLiteral("Write to the device?"));
    QCOMPARE(compare.text, QString::fromUtf8("Writing changes these values of the device:\n\n"
                                             "Temperature Offset: 0.00 °C → -0.12 °C"));
    QCOMPARE(compare.buttonTexts.value(Reporter::Ok), QStringLiteral("Write"));
    QCOMPARE(m_dev->params().value(24), offsetBefore);
    QCOMPARE(m_dev->actionCount(8), clockActions);
    QCOMPARE(m_window->statusBar()->currentMessage(), QStringLiteral("Nothing was written."));

    m_rep.answer(Reporter::Ok); // Write
    action("actionApply")->trigger();
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Write to the device?"));
    QCOMPARE(m_dev->params().value(24), QByteArray::fromHex("F4FF"));
    QCOMPARE(m_dev->actionCount(8), clockActions + 1); // version word 0x0120: the clock was set
    QCOMPARE(m_window->statusBar()->currentMessage(),
             QStringLiteral("Apply configuration to Pelm, has succeeded !"));

    offset->setValue(3);
    action("actionReload")->trigger();
    QCOMPARE(offset->value(), -0.12);

    // Nothing differs: said, and nothing written.
    const int writes = m_dev->commandCount(Protocol::kCmdParams);
    action("actionApply")->trigger();
    QCOMPARE(m_window->statusBar()->currentMessage(),
             QStringLiteral("The device already holds these values: nothing was written."));
    QCOMPARE(m_dev->commandCount(Protocol::kCmdParams), writes);

    // an edited temperature threshold goes to the device and comes back on reload; with "Ask
    // before writing" off nothing is asked
    QAction *ask = action("actionAsk_before_writing");
    QVERIFY(ask->isChecked());
    ask->setChecked(false);
    auto *threshold = m_window->device()->findChild<WdgThresholdCfg *>("wThresholdTemp");
    QVERIFY(threshold);
    QCOMPARE(threshold->setValues(62.5, 10, 0.5, 0), 0);
    action("actionApply")->trigger();
    ask->setChecked(true);
    QVERIFY(ConfigDiff::askBeforeWriting());
    QCOMPARE(m_dev->params().value(22).left(6), QByteArray::fromHex("6A18E8033200")); // 6250, 1000, 50
    QCOMPARE(threshold->setValues(70, 10, 0.5, 0), 0);
    action("actionReload")->trigger();
    QCOMPARE(threshold->high(), 62.5);
}

void TestMainFlows::restoreBackupUndoesAnApply()
{
    m_dev->setPlugged(true);
    poll();
    QVERIFY(m_window->device());
    QAction *restore = action("actionRestore_backup");
    QVERIFY(restore->isEnabled());
    const QMap<quint8, QByteArray> before = m_dev->params();
    auto *offset = m_window->device()->findChild<QDoubleSpinBox *>("doubleSpinBox_sensor1Offset");
    offset->setValue(-0.12);
    m_rep.answer(Reporter::Ok);
    action("actionApply")->trigger();
    m_rep.takeBox();
    QCOMPARE(m_dev->params().value(24), QByteArray::fromHex("F4FF"));
    const QVector<BackupStore::Entry> backups = BackupStore::list(m_window->device()->identifier());
    QVERIFY(!backups.isEmpty());

    // The backup taken before the apply, written through the comparison: the device is back.
    m_dialogs->setNextFileName(backups.first().path);
    m_rep.answer(Reporter::Ok);
    restore->trigger();
    const Reporter::Box compare = m_rep.takeBox();
    QCOMPARE(compare.title, QStringLiteral("Write to the device?"));
    QVERIFY2(compare.text.endsWith(QString::fromUtf8("Temperature Offset: -0.12 °C → 0.00 °C")),
             qPrintable(compare.text));
    QCOMPARE(m_dev->params(), before);
    QCOMPARE(offset->value(), 0.0); // the page shows the device again
    QCOMPARE(m_dialogs->requests.last().dir.section(QLatin1Char('/'), -1),
             QString::fromLatin1(m_window->device()->identifier().toHex().toUpper()));
}

void TestMainFlows::compareBoxOnScreen()
{
    // The real box: its Write and Cancel buttons, Cancel leaves the device as it was. With
    // PELM_SCREENSHOT_DIR set its picture is saved there (docs/compare.png).
    m_dev->setPlugged(true);
    poll();
    QVERIFY(m_window->device());
    m_window->resize(1281, 840);
    m_window->show();
    QCOMPARE(m_window->device()->findChild<WdgThresholdCfg *>("wThresholdTemp")->setValues(85.5, 0, 0.5, 0),
             0);
    m_window->device()->findChild<QDoubleSpinBox *>("doubleSpinBox_sensor1Offset")->setValue(-0.12);
    const QMap<quint8, QByteArray> before = m_dev->params();
    GuiReporter gui;
    gui.setWindow(m_window.get());
    setReporter(&gui);
    QStringList buttons;
    QString text;
    QTimer look;
    look.setInterval(20);
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        look.stop();
        for (QAbstractButton *b : box->buttons())
            buttons << b->text();
        text = box->text();
        const QString dir = qEnvironmentVariable("PELM_SCREENSHOT_DIR");
        if (!dir.isEmpty())
            box->grab().save(QDir(dir).filePath(QStringLiteral("compare.png")));
        box->button(QMessageBox::Cancel)->click();
    });
    look.start();
    action("actionApply")->trigger();
    setReporter(&m_rep);
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"Cancel", "Write"}));
    QVERIFY2(text.contains(QString::fromUtf8("Tempreature threshold high: 50.0 °C → 85.5 °C")),
             qPrintable(text));
    QCOMPARE(m_dev->params(), before);
}

void TestMainFlows::refusedParameterIsNamed()
{
    m_dev->setPlugged(true);
    m_dev->setRefused(22);
    poll();
    QVERIFY(m_window->device());
    m_window->device()->findChild<QComboBox *>("comboBox_Spire")->setCurrentIndex(2);
    m_rep.answer(Reporter::Ok);
    action("actionApply")->trigger();
    QCOMPARE(m_rep.takeBox().title, QStringLiteral("Write to the device?"));
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.title, QStringLiteral("Apply configuration failed"));
    QCOMPARE(box.text, QStringLiteral("Some parameter of the configuration as failed:\n\n"
                                      "    - Tempreature threshold (22): Bad threshold configuration !\n"));
    QCOMPARE(int(box.icon), int(Reporter::Warning));
}

void TestMainFlows::unplugClosesThePageWithinAPoll()
{
    m_dev->setPlugged(true);
    poll();
    QVERIFY(m_window->device());
    QPointer<OrvObject> device = m_window->device();
    poll(); // still there: the liveness check has looked at the device once
    QCOMPARE(m_window->device(), device.data());
    m_dev->setPlugged(false);
    poll();
    QVERIFY(!m_window->device());
    QVERIFY(qobject_cast<WdgMain *>(m_window->centralWidget()));
    QVERIFY(!action("actionApply")->isEnabled());
    QVERIFY(!action("actionSave")->isEnabled());
    settle();
    QVERIFY(!device); // deleted with its page
    // and the real timer does it by itself within 500 ms
    m_dev->setPlugged(true);
    QTRY_VERIFY_WITH_TIMEOUT(m_window->device(), 2000);
    m_dev->setPlugged(false);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->device(), 1000);
}

void TestMainFlows::offlinePick()
{
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvPicked", Q_ARG(int, 28), Q_ARG(int, 256),
                                      Q_ARG(int, 14)));
    OrvObject *device = m_window->device();
    QVERIFY(device);
    QVERIFY(device->isOffline());
    QVERIFY(qobject_cast<WdgOrvVirtual *>(m_window->centralWidget()));
    QVERIFY(action("actionSave")->isEnabled());
    QVERIFY(action("actionExport_frames")->isEnabled());
    for (const char *name : {"actionApply", "actionReload", "actionDefault", "actionKivTerminal",
                             "actionUpdater", "actionChangeLoRaWANkeys"})
        QVERIFY2(!action(name)->isEnabled(), name);
    // the family's default configuration was loaded into the page
    QCOMPARE(m_window->statusBar()->currentMessage(),
             QStringLiteral("Load configuration from 'default', has succeeded !"));
    QCOMPARE(m_dev->requestCount(), 0);
    // a second pick while a device is shown does nothing
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvPicked", Q_ARG(int, 28), Q_ARG(int, 256),
                                      Q_ARG(int, 14)));
    QCOMPARE(m_window->device(), device);
}

void TestMainFlows::openFileWithoutDevice()
{
    m_dialogs->setNextFileName(kDefaultConfig);
    action("actionOpen")->trigger();
    QVERIFY(m_window->device());
    QVERIFY(m_window->device()->isOffline());
    QVERIFY(qobject_cast<WdgOrvVirtual *>(m_window->centralWidget()));
    QCOMPARE(m_window->recentFiles(), QStringList{kDefaultConfig});
    QCOMPARE(m_window->currentFile(), kDefaultConfig);
    QCOMPARE(m_dialogs->requests.first().caption, QStringLiteral("Open Pelm config"));
    QCOMPARE(m_dialogs->requests.first().filter, QStringLiteral("Pelm config file (*.ocf);;All Files (*)"));
}

void TestMainFlows::openFileOfUnknownTypeFails()
{
    const QString path = configFor(m_dir, "type5.ocf", 5, 14);
    m_window->addRecentFile(path);
    QCOMPARE(m_window->openFile(path), -1);
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.title, QStringLiteral("Failed to load file !"));
    QCOMPARE(box.text, "The file '" + path +
                           "' was be to open but it is probably corrupted.\n"
                           "It is not possible to load this file !\n");
    QVERIFY(m_window->recentFiles().isEmpty());
    QVERIFY(!m_window->device());
}

void TestMainFlows::openFileOfAnotherTypeOnConnectedDevice()
{
    m_dev->setPlugged(true);
    poll();
    QVERIFY(m_window->device());
    const QString path = configFor(m_dir, "type27.ocf", 27, 14);
    QCOMPARE(m_window->openFile(path), 0);
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.title, QStringLiteral("No ORV matched"));
    QCOMPARE(m_window->recentFiles(), QStringList{path});
}

void TestMainFlows::openFileOfAnotherModuleAsksFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("Open") << int(Reporter::Open) << true;
    QTest::newRow("Cancel") << int(Reporter::Cancel) << false;
}

void TestMainFlows::openFileOfAnotherModuleAsksFirst()
{
    QFETCH(int, answer);
    QFETCH(bool, loaded);
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvPicked", Q_ARG(int, 28), Q_ARG(int, 256),
                                      Q_ARG(int, 14)));
    const QString path = configFor(m_dir, "kiv13.ocf", 28, 13);
    m_rep.clear();
    m_rep.answer(answer);
    const int result = m_window->openFile(path);
    QCOMPARE(result > 0, loaded);
    QCOMPARE(result == 0, !loaded);
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.title, QStringLiteral("No KIV matched"));
    QCOMPARE(box.informativeText, QStringLiteral("Do you want to processes opening file anyway ?"));
    QCOMPARE(m_window->recentFiles().contains(path), true); // 0 or more keeps the file
}

void TestMainFlows::saveWritesTheFileAndRecentFiles()
{
    m_dev->setPlugged(true);
    poll();
    QVERIFY(m_window->device());
    const QString path = m_dir.filePath("saved.ocf");
    m_dialogs->setNextFileName(path);
    action("actionSave")->trigger(); // no current file: asks for a name
    QCOMPARE(m_dialogs->requests.first().caption, QStringLiteral("Save Pelm config"));
    QCOMPARE(m_dialogs->requests.first().dir, QStringLiteral("untitled.ocf"));
    QVERIFY(QFile::exists(path));
    QCOMPARE(m_window->recentFiles(), QStringList{path});
    QCOMPARE(m_window->currentFile(), path);
    // the saved file holds every parameter the device reported, including those without an editor
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QJsonObject params = QJsonDocument::fromJson(f.readAll()).object().value("params").toObject();
    QVERIFY2(params.contains("Ble period"), qPrintable(params.keys().join(", ")));
    QVERIFY(params.contains("Tempreature threshold"));
    // Save again: no dialog
    action("actionSave")->trigger();
    QCOMPARE(m_dialogs->requests.size(), 1);
}

void TestMainFlows::showDevice(const QString &how)
{
    if (how == QLatin1String("usb")) {
        m_dev->setPlugged(true);
        poll();
    } else if (how == QLatin1String("pick")) {
        QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvPicked", Q_ARG(int, 28), Q_ARG(int, 256),
                                          Q_ARG(int, 14)));
    } else {
        const QString path = m_dir.filePath(how);
        QVERIFY(QFile::copy(kDefaultConfig, path));
        QVERIFY(m_window->openFile(path) > 0);
    }
    QVERIFY(m_window->device());
    m_rep.clear();
}

void TestMainFlows::saveWhileThePageIsReplaced_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("save"); // an action, or the offline page's button
    QTest::addColumn<bool>("unplug");  // else: a device is plugged in and taken ("Yes")
    QTest::newRow("Save As, cable pulled") << "usb"
                                           << "actionSave_as" << true;
    QTest::newRow("Save without a file, cable pulled") << "usb"
                                                       << "actionSave" << true;
    QTest::newRow("offline Save As, device taken") << "pick"
                                                   << "actionSave_as" << false;
    QTest::newRow("offline page's Save button, device taken") << "pick"
                                                              << "pushButton_save" << false;
}

void TestMainFlows::saveWhileThePageIsReplaced()
{
    // The file dialog runs an event loop in which the USB poll closes or replaces the page:
    // the file gets what the user was saving, never the device that came instead.
    QFETCH(QString, shown);
    QFETCH(QString, save);
    QFETCH(bool, unplug);
    showDevice(shown);
    QPointer<OrvObject> device = m_window->device();
    const int kivRev = device->kivRev();
    auto *offset = device->findChild<QDoubleSpinBox *>("doubleSpinBox_sensor1Offset");
    QVERIFY(offset);
    offset->setValue(-0.12); // edited, not applied

    const QString path = m_dir.filePath("saved.ocf");
    m_dialogs->setNextFileName(path);
    m_dialogs->setWhileOpen([&] {
        if (unplug) {
            m_dev->setPlugged(false);
            poll();
        } else {
            m_dev->setPlugged(true);
            m_rep.answer(Reporter::Yes);
            poll(); // asks, and closes the offline page
            poll(); // shows the device plugged in
        }
        settle(); // the dialog's event loop deletes what was closed
    });
    if (save.startsWith("action")) {
        action(qPrintable(save))->trigger();
    } else {
        auto *button = m_window->centralWidget()->findChild<QAbstractButton *>(save);
        QVERIFY(button);
        button->click();
    }
    settle();
    QVERIFY(!device);
    QCOMPARE(m_dialogs->requests.size(), 1);
    if (!unplug) {
        QCOMPARE(m_rep.takeBox().title, QStringLiteral("ORV connected"));
        QVERIFY(m_window->device());
        QVERIFY(!m_window->device()->isOffline());
    }

    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QJsonObject doc = QJsonDocument::fromJson(f.readAll()).object();
    QCOMPARE(doc.value("orv").toObject().value("kivRev").toInt(), kivRev);
    QCOMPARE(doc.value("params").toObject().value("Temperature Offset").toObject().value("data").toString(),
             QStringLiteral("f4ff"));
    QVERIFY(m_rep.statusTexts().contains("Save configuration to '" + path + "' has succeeded !"));
    // a saved file, but not the one of the page shown now
    QCOMPARE(m_window->recentFiles(), QStringList{path});
    QVERIFY(m_window->currentFile().isEmpty());
}

void TestMainFlows::refusedFileIsNotTheCurrentFile_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("orvType");
    QTest::addColumn<int>("kivType");
    QTest::addColumn<int>("answer"); // 0: no question
    QTest::addColumn<QString>("title");
    QTest::newRow("another device type, connected device") << "usb" << 27 << 14 << 0 << "No ORV matched";
    QTest::newRow("another module, Cancel")
        << "pick" << 28 << 13 << int(Reporter::Cancel) << "No KIV matched";
    QTest::newRow("another module, Cancel, offline file")
        << "first.ocf" << 28 << 13 << int(Reporter::Cancel) << "No KIV matched";
}

void TestMainFlows::refusedFileIsNotTheCurrentFile()
{
    QFETCH(QString, shown);
    QFETCH(int, orvType);
    QFETCH(int, kivType);
    QFETCH(int, answer);
    QFETCH(QString, title);
    showDevice(shown);
    const QString current = m_window->currentFile();

    const QString path = configFor(m_dir, "refused.ocf", orvType, kivType);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray content = f.readAll();
    f.close();
    if (answer)
        m_rep.answer(answer);
    QCOMPARE(m_window->openFile(path), 0);
    QCOMPARE(m_rep.takeBox().title, title);
    QVERIFY(m_window->recentFiles().contains(path)); // kept in the recent files
    QCOMPARE(m_window->currentFile(), current);      // but not worked on

    // Save writes the file the page came from, or asks: the refused file stays as it was.
    m_dialogs->setNextFileName(QString());
    action("actionSave")->trigger();
    QCOMPARE(m_dialogs->requests.size(), current.isEmpty() ? 1 : 0);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), content);
}

void TestMainFlows::unreadableRecentFileIsRemoved_data()
{
    QTest::addColumn<QString>("shown"); // empty: the connection page
    QTest::addColumn<QString>("file");  // what the entry names
    QTest::addColumn<QString>("text");  // the box, %1 the path
    const QString cantOpen = QStringLiteral("Can't open file '%1'!");
    QTest::newRow("gone, no device") << QString() << "gone" << cantOpen;
    QTest::newRow("gone, offline device") << "pick"
                                          << "gone" << cantOpen;
    QTest::newRow("gone, connected device") << "usb"
                                            << "gone" << cantOpen;
    QTest::newRow("a folder") << QString() << "folder" << cantOpen;
    QTest::newRow("too large") << QString() << "large"
                               << QStringLiteral("The file '%1' is too large for a configuration file "
                                                 "(more than 4 MiB)! It can't be loaded.");
}

void TestMainFlows::unreadableRecentFileIsRemoved()
{
    QFETCH(QString, shown);
    QFETCH(QString, file);
    QFETCH(QString, text);
    if (!shown.isEmpty())
        showDevice(shown);
    OrvObject *device = m_window->device();

    const QString path = m_dir.filePath(file);
    if (file == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir.path()).mkpath(file));
    } else if (file == QLatin1String("large")) {
        // a valid configuration, padded past the limit
        QFile in(kDefaultConfig);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QByteArray bytes = in.readAll();
        bytes.append(QByteArray(4 * 1024 * 1024, ' '));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(out.write(bytes), qint64(bytes.size()));
    }
    const QString other = configFor(m_dir, "other.ocf", 28, 14);
    m_window->addRecentFile(other);
    m_window->addRecentFile(path);

    QMenu *menu = action("actionRecent_Files")->menu();
    QCOMPARE(menu->actions().first()->text(), path);
    menu->actions().first()->trigger();
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.title, QStringLiteral("File error"));
    QCOMPARE(box.text, text.arg(path));
    QCOMPARE(m_window->recentFiles(), QStringList{other});
    QCOMPARE(m_window->device(), device); // the page shown stays
}

void TestMainFlows::openReadsTheFileOnce()
{
    // The file changes while the page is being built (events run between reading the
    // identity and loading the parameters): the page shows the file as it was opened.
    const QString path = configFor(m_dir, "changing.ocf", 28, 14);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QJsonObject doc = QJsonDocument::fromJson(f.readAll()).object();
    f.close();
    QJsonObject params = doc.value("params").toObject();
    QJsonObject offset = params.value("Temperature Offset").toObject();
    offset.insert("data", "f4ff");
    params.insert("Temperature Offset", offset);
    doc.insert("params", params);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QJsonDocument(doc).toJson());
    f.close();

    bool changed = false;
    QTimer::singleShot(0, m_window.get(), [&] {
        // another program writes a configuration of another device over it
        const QString other = configFor(m_dir, "type27.ocf", 27, 14);
        QFile::remove(path);
        changed = QFile::copy(other, path);
    });
    QVERIFY(m_window->openFile(path) > 0);
    QVERIFY(changed);
    QVERIFY(m_window->device());
    auto *spin = m_window->device()->findChild<QDoubleSpinBox *>("doubleSpinBox_sensor1Offset");
    QVERIFY(spin);
    QCOMPARE(spin->value(), -0.12);
    QCOMPARE(m_window->currentFile(), path);
}

void TestMainFlows::pendingDeviceQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("No") << int(Reporter::No);
    QTest::newRow("Yes") << int(Reporter::Yes);
}

void TestMainFlows::pendingDeviceQuestion()
{
    QFETCH(int, answer);
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvPicked", Q_ARG(int, 28), Q_ARG(int, 256),
                                      Q_ARG(int, 14)));
    m_rep.clear();
    m_dev->setPlugged(true);
    m_rep.answer(answer);
    poll();
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.title, QStringLiteral("ORV connected"));
    QCOMPARE(box.text, QStringLiteral("Do you want load a ORV and lose the last modification ?"));
    if (answer == Reporter::No) {
        QVERIFY(m_window->device()->isOffline());
        QVERIFY(m_window->pendingDevice());
        poll();
        poll(); // no second question while the device stays plugged in
        QVERIFY(qobject_cast<WdgOrvVirtual *>(m_window->centralWidget()));
        m_dev->setPlugged(false);
        poll();
        QVERIFY(!m_window->pendingDevice());
    } else {
        QVERIFY(!m_window->device()); // the offline page was closed
        poll();                       // the pending device is shown now
        QVERIFY(m_window->device());
        QVERIFY(!m_window->device()->isOffline());
        QVERIFY(qobject_cast<WdgOrv *>(m_window->centralWidget()));
    }
}

void TestMainFlows::pollDoesNotRunInsideABoxOfAnExchange()
{
    m_dev->setPlugged(true);
    m_dev->setRefused(31);
    poll();
    QVERIFY(m_window->device());
    // The apply report box spins an event loop in which the poll fires: it must not touch the
    // device, even though the device was unplugged meanwhile.
    class PollingReporter : public RecordingReporter
    {
    public:
        std::function<void()> hook;
        int box(const Box &b) override
        {
            if (hook)
                hook();
            return RecordingReporter::box(b);
        }
    } rep;
    setReporter(&rep);
    QPointer<OrvObject> device = m_window->device();
    device->findChild<QComboBox *>("comboBox_Spire")->setCurrentIndex(2);
    rep.answer(Reporter::Ok);
    int requestsDuringBox = -1;
    rep.hook = [&] {
        const int before = m_dev->requestCount();
        m_dev->setPlugged(false);
        poll();
        requestsDuringBox = m_dev->requestCount() - before;
        QVERIFY(m_window->device() == device); // still shown: the poll was skipped
    };
    action("actionApply")->trigger();
    setReporter(&m_rep);
    QCOMPARE(requestsDuringBox, 0);
    QVERIFY(device);
    poll(); // afterwards the unplug is noticed
    QVERIFY(!m_window->device());
}

void TestMainFlows::reloadOfflineWithoutFileOffersTheDefault()
{
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvPicked", Q_ARG(int, 28), Q_ARG(int, 256),
                                      Q_ARG(int, 14)));
    auto *page = qobject_cast<WdgOrvVirtual *>(m_window->centralWidget());
    QVERIFY(page);
    m_rep.clear();
    m_rep.answer(Reporter::Yes);
    emit page->reload();
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.title, QStringLiteral("No file !"));
    QCOMPARE(box.text, QStringLiteral("No file to reload !"));
    QCOMPARE(box.informativeText, QStringLiteral("Reload default ?"));
    QCOMPARE(box.defaultButton, int(Reporter::Yes));
    QCOMPARE(m_window->statusBar()->currentMessage(),
             QStringLiteral("Load configuration from 'default', has succeeded !"));
}

void TestMainFlows::deviceThatDoesNotIdentifyKeepsTheConnectionPage()
{
    m_dev->setPlugged(true);
    m_dev->setFault(SimFault(SimFault::Silent));
    QPointer<QWidget> page = m_window->centralWidget();
    QVERIFY(qobject_cast<WdgMain *>(page));
    for (int i = 0; i < 8; ++i)
        poll();
    QCOMPARE(m_window->centralWidget(), page.data()); // silent failures, same page
    poll();                                           // the ninth consecutive failure is shown
    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(box.title, QStringLiteral("Communication error"));
    QCOMPARE(
        box.text,
        QStringLiteral("Can't get the buffer size from orv device. Please disconnect the orv and retry."));
    QVERIFY(!m_window->device());
    QCOMPARE(m_window->centralWidget(), page.data());
}

void TestMainFlows::deviceWithoutAccessIsSaidInTheStatusBar()
{
    // A device this user may not open (no udev rules): the connection page stays, and its
    // status bar says what is wrong until the device is unplugged; no box, however many polls.
    GuiReporter gui;
    gui.setWindow(m_window.get());
    setReporter(&gui);
    SimUsbHid::setAccessDenied(true);
    m_dev->setPlugged(true);
    QPointer<QWidget> page = m_window->centralWidget();
    QVERIFY(qobject_cast<WdgMain *>(page));
    for (int i = 0; i < 10; ++i)
        poll();
    const QString shown = m_window->statusBar()->currentMessage();
    setReporter(&m_rep);
    QCOMPARE(shown, QStringLiteral("A device is plugged in, but this user may not open it: "
                                   "sim-hid:04d8:0240:%1 (USB 04d8:0240). Install the device rules "
                                   "70-pelm-configurator.rules (the package does), then unplug the "
                                   "device and plug it in again.")
                        .arg(m_dev->plugIns()));
    QCOMPARE(m_window->centralWidget(), page.data());
    QVERIFY(!m_window->device());

    setReporter(&gui);
    m_dev->setPlugged(false);
    poll();
    const QString afterUnplug = m_window->statusBar()->currentMessage();
    setReporter(&m_rep);
    QCOMPARE(afterUnplug, QString());
    SimUsbHid::setAccessDenied(false);
    m_dev->setPlugged(true);
    poll();
    QVERIFY(m_window->device()); // the rules in place: the device's page opens
}

void TestMainFlows::bleDeviceClosedFromItsPage()
{
    m_bleDev.reset(new SimDevice);
    m_bleDev->setBootloaderCaps(QByteArray::fromHex("41"));
    installSimBle(m_bleDev.get());
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvBlePicked",
                                      Q_ARG(QString, QString::fromLatin1(SimBleBackend::kDefaultAddress))));
    QPointer<OrvObject> device = m_window->device();
    QVERIFY(device);
    QVERIFY(device->transport());
    QCOMPARE(device->transport()->linkCode(), quint8(Comm::kLinkBle));
    QCOMPARE(m_bleDev->actionCount(4), 1); // the configuration was loaded over BLE
    auto *page = qobject_cast<WdgOrv *>(m_window->centralWidget());
    QVERIFY(page);
    auto *close = page->findChild<QAbstractButton *>("pushButton_close");
    QVERIFY(close);
    QVERIFY(!close->isHidden());                   // BLE: closed by the user
    QVERIFY(action("actionUpdater")->isEnabled()); // a bootloader, reached over BLE
    QCOMPARE(m_bleDev->commandCount(8), 1);        // asked once

    // Closing drops the link while the page and the device object go: the transport waits for
    // the controller to let the link go, and nothing may be deleted twice meanwhile.
    close->click();
    QVERIFY(!m_window->device());
    QVERIFY(qobject_cast<WdgMain *>(m_window->centralWidget()));
    settle();
    QVERIFY(!device);
}

void TestMainFlows::offlinePickDuringBleConnectionWins()
{
    // The BLE connection runs event loops; an offline device picked meanwhile is not replaced.
    m_bleDev.reset(new SimDevice);
    installSimBle(m_bleDev.get());
    QTimer::singleShot(0, m_window.get(), [this] {
        QMetaObject::invokeMethod(m_window.get(), "_onOrvPicked", Q_ARG(int, 28), Q_ARG(int, 256),
                                  Q_ARG(int, 14));
    });
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvBlePicked",
                                      Q_ARG(QString, QString::fromLatin1(SimBleBackend::kDefaultAddress))));
    QVERIFY(m_window->device());
    QVERIFY(m_window->device()->isOffline());
    QVERIFY(qobject_cast<WdgOrvVirtual *>(m_window->centralWidget()));
    settle();
    QVERIFY(m_window->device()->isOffline());
}

void TestMainFlows::pageShownOnlyWithTheDeviceValues_data()
{
    QTest::addColumn<bool>("ble");
    QTest::newRow("USB plug") << false;
    QTest::newRow("BLE pick") << true;
}

void TestMainFlows::pageShownOnlyWithTheDeviceValues()
{
    // An installer must never see the factory values of a plugged device's page, even for a
    // moment: the page is painted once it holds the device's values.
    QFETCH(bool, ble);
    SimDevice *dev = m_dev.get();
    if (ble) {
        m_bleDev.reset(new SimDevice);
        installSimBle(m_bleDev.get());
        dev = m_bleDev.get();
    }
    dev->setParam(58, QByteArray::fromHex("01")); // thermocouple activated; the page starts without
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

    FirstPaintRecorder recorder(QStringLiteral("checkBox_temp"), "checked");
    qApp->installEventFilter(&recorder);
    // While the configuration is read, the page says so and nothing that writes is enabled.
    QStringList duringLoad;
    dev->setRequestObserver([&](int command, int act) {
        if (command != Protocol::kCmdParams || act != Protocol::kActLoadConfig)
            return;
        auto *page = qobject_cast<WdgOrv *>(m_window->centralWidget());
        if (!page) {
            duringLoad << "no page";
            return;
        }
        duringLoad << page->stateText();
        for (const char *name : {"pushButton_apply", "pushButton_default", "pushButton_reload"}) {
            if (page->findChild<QPushButton *>(name)->isEnabled())
                duringLoad << name;
        }
        for (const char *name : {"actionApply", "actionDefault", "actionSave", "actionImport_frames"}) {
            if (action(name)->isEnabled())
                duringLoad << name;
        }
    });
    if (ble) {
        QVERIFY(
            QMetaObject::invokeMethod(m_window.get(), "_onOrvBlePicked",
                                      Q_ARG(QString, QString::fromLatin1(SimBleBackend::kDefaultAddress))));
    } else {
        m_dev->setPlugged(true);
        poll();
    }
    QVERIFY(m_window->device());
    QTRY_VERIFY(recorder.painted); // the page is shown
    qApp->removeEventFilter(&recorder);
    QCOMPARE(recorder.firstValue, QVariant(true));
    QCOMPARE(dev->actionCount(4), 1);
    dev->setRequestObserver({});
    QCOMPARE(duringLoad, QStringList{QStringLiteral("Reading the configuration from the device...")});
}

void TestMainFlows::keysAndTerminalFromTheDevicePage()
{
    m_dev->setPlugged(true);
    poll();
    OrvObject *device = m_window->device();
    QVERIFY(device);
    QVERIFY(action("actionChangeLoRaWANkeys")->isEnabled());
    QVERIFY(action("actionKivTerminal")->isEnabled());
    const QByteArray appEui = QByteArray::fromHex("0011223344556677");
    const QByteArray appKey = QByteArray::fromHex("8899AABBCCDDEEFF0011223344556677");
    bool keysRan = false;
    QTimer::singleShot(0, device, [&] {
        auto *dlg = device->findChild<QDialog *>(QStringLiteral("DlgChangeKeys"));
        if (!dlg)
            return;
        keysRan = dlg->isVisible();
        [&] {
            dlg->findChild<QLineEdit *>("lineEdit_AppEUI")->setText(QString::fromLatin1(appEui.toHex()));
            dlg->findChild<QLineEdit *>("lineEdit_AppKey")->setText(QString::fromLatin1(appKey.toHex()));
            auto *write = dlg->findChild<QPushButton *>("pushButton_Write");
            QTest::mouseClick(write, Qt::LeftButton);
            QCOMPARE(write->text(), QStringLiteral("Success"));
        }();
        dlg->accept();
    });
    action("actionChangeLoRaWANkeys")->trigger();
    QVERIFY(keysRan);
    QCOMPARE(m_dev->appEui(), appEui);
    QCOMPARE(m_dev->appKey(), appKey);

    bool terminalRan = false;
    QTimer::singleShot(0, device, [&] {
        auto *dlg = device->findChild<QDialog *>(QStringLiteral("DlgUartTerm"));
        if (!dlg)
            return;
        terminalRan = dlg->isVisible();
        [&] {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Kiv terminal"));
            QTest::keyClicks(dlg->findChild<QLineEdit *>("lineEdit"), "ATI");
            dlg->findChild<QPushButton *>("pushButton_cr")->click();
            QTest::mouseClick(dlg->findChild<QPushButton *>("pushButton_send"), Qt::LeftButton);
            QCOMPARE(m_dev->moduleInput(), QByteArray("ATI\r"));
            // The module's echo comes back through the USB link.
            auto *output = dlg->findChild<QTextBrowser *>("textBrowser");
            QTRY_COMPARE(output->toPlainText(), QStringLiteral("ATI\nATI\n"));
        }();
        dlg->accept();
    });
    action("actionKivTerminal")->trigger();
    QVERIFY(terminalRan);
    QCOMPARE(m_window->device(), device); // the poll left the device alone meanwhile
    QVERIFY(device->updatesRunning());
}

void TestMainFlows::defaultAsksFirst_data()
{
    QTest::addColumn<QString>("trigger"); // the Default action or the page's Default button
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("unplug"); // the cable is pulled while the question is open
    for (const char *trigger : {"actionDefault", "pushButton_default"}) {
        QTest::addRow("%s, no", trigger) << trigger << int(Reporter::No) << false;
        QTest::addRow("%s, yes", trigger) << trigger << int(Reporter::Yes) << false;
        QTest::addRow("%s, yes after the cable was pulled", trigger) << trigger << int(Reporter::Yes) << true;
    }
}

void TestMainFlows::defaultAsksFirst()
{
    // The device's whole configuration is replaced: only after the user said so.
    QFETCH(QString, trigger);
    QFETCH(int, answer);
    QFETCH(bool, unplug);
    showDevice("usb");
    QPointer<OrvObject> device = m_window->device();
    auto *offset = device->findChild<QDoubleSpinBox *>("doubleSpinBox_sensor1Offset");
    QVERIFY(offset);
    offset->setValue(-0.12);
    action("actionApply")->trigger();
    m_rep.clear();

    /// Passes boxes on to the recording reporter, pulling the cable first when asked to.
    struct PullingReporter : Reporter
    {
        std::function<void()> whileOpen;
        int box(const Box &b) override
        {
            if (whileOpen)
                whileOpen();
            return previous->box(b);
        }
        void status(const QString &text, int timeoutMs) override { previous->status(text, timeoutMs); }
        Reporter *previous = &reporter();
    } pulling;
    if (unplug)
        pulling.whileOpen = [this] {
            m_dev->setPlugged(false);
            poll(); // closes the page; the device object goes with the next deferred deletion
        };
    setReporter(&pulling);
    m_rep.answer(answer);
    if (trigger.startsWith("action")) {
        action(qPrintable(trigger))->trigger();
    } else {
        auto *button = m_window->centralWidget()->findChild<QAbstractButton *>(trigger);
        QVERIFY(button);
        button->click();
    }
    setReporter(&m_rep);

    const Reporter::Box box = m_rep.takeBox();
    QCOMPARE(int(box.icon), int(Reporter::Question));
    QCOMPARE(box.title, QStringLiteral("Default configuration"));
    QCOMPARE(box.text,
             QStringLiteral(
                 "Restore the factory defaults of the device?\nIts current configuration will be lost."));
    QCOMPARE(box.buttons, int(Reporter::Yes | Reporter::No));
    QCOMPARE(box.defaultButton, int(Reporter::No));
    const bool restored = answer == Reporter::Yes && !unplug;
    QCOMPARE(m_dev->actionCount(Protocol::kActRestoreDefaults), restored ? 1 : 0);
    if (unplug) {
        settle();
        QVERIFY(!device);
        QVERIFY(!m_window->device());
        return; // and nothing more was shown (cleanup checks no box is left)
    }
    QCOMPARE(offset->value(), restored ? 0.0 : -0.12);
    QCOMPARE(m_window->statusBar()->currentMessage(),
             restored ? QStringLiteral("Default configuration from Pelm, has succeeded !")
                      : QStringLiteral("Apply configuration to Pelm, has succeeded !"));
}

QTEST_MAIN(TestMainFlows)
#include "tst_mainflows.moc"

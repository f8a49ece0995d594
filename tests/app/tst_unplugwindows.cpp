// A device pulled out (USB cable, BLE link lost) while one of the windows of its page is open:
// the tools' dialogs, the boxes and file dialogs inside them, their menus, the terminal. The
// windows are real (real message boxes and file dialogs, run by their own exec()), and the
// window's own USB poll notices the pull inside their event loops, as in the field. Every case
// must leave the program running on the connection page, with no window left open and nothing
// written to the device.

#include "gui/FileDialogs.h"
#include "gui/GuiReporter.h"
#include "app/MainWindow.h"
#include "app/WdgMain.h"
#include "editors/OrvObject.h"
#include "editors/WdgOrvVirtual.h"
#include "gui/OpenWindow.h"
#include "sim/SimBle.h"
#include "sim/SimDevice.h"
#include "support/MainWindowTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include <functional>

#include "tools/WdgMakeFrames.h"
#include "tools/WdgTreeViewFrame.h"
#include "tools/WdgTreeViewParams.h"

namespace {
/// The write command of the device protocol (a configuration or keys sent to the device).
constexpr quint8 kWriteCommand = 5;
/// How long the window may take to notice the pull (its poll runs every 500 ms; a BLE link
/// is seen gone a little later).
constexpr int kNoticeTimeoutMs = 3000;
const QString kDisconnected = QStringLiteral("The device was disconnected.");
/// Two frame lines that do not decode: each would have its own box.
const QString kInvalidFrames = QStringLiteral("05\n07\n");

/// Real boxes (GuiReporter), recorded as they are asked for.
class RecordingGuiReporter : public GuiReporter
{
public:
    QStringList boxes; ///< "title: text"
    QStringList statuses;
    int box(const Box &b) override
    {
        boxes << b.title + QStringLiteral(": ") + b.text;
        return GuiReporter::box(b);
    }
    void status(const QString &text, int timeoutMs) override
    {
        statuses << text;
        GuiReporter::status(text, timeoutMs);
    }
};

/// The window in front: the popup menu, else the modal window (null when none).
QWidget *frontWindow()
{
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup;
    return QApplication::activeModalWidget();
}

QString describe(QWidget *window)
{
    if (!window)
        return QStringLiteral("(none)");
    if (qobject_cast<QMenu *>(window))
        return QStringLiteral("menu");
    if (auto *box = qobject_cast<QMessageBox *>(window))
        return box->windowTitle() + QStringLiteral(": ") + box->text();
    return window->windowTitle();
}

/// The windows still shown besides the main window.
QStringList openWindows(QWidget *main)
{
    QStringList open;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != main && w->isVisible())
            open << QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + describe(w);
    }
    return open;
}
} // namespace

class TestUnplugWindows : public MainWindowTest
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void pullDuringTheComparison_data();
    void pullDuringTheComparison();
    void pullWithAWindowOpen_data();
    void pullWithAWindowOpen();
    void deviceTakenWithAWindowOfTheOfflinePageOpen();
    void pendingDeviceGoneBeforeItIsTaken();

private:
    /// Shows the page of the device plugged in over USB or connected over BLE; returns the
    /// simulated device behind it.
    SimDevice *showConnectedDevice(bool ble);
    /// Pulls the device (cable or link) and lets the window's own poll notice it, from inside
    /// the window that is open now.
    void pull(SimDevice *dev);
    /// Opens the window named inner from inside the tool dialog (it runs its own exec()).
    void openInner(const QString &inner, QWidget *dialog);
    /// Runs action, from whatever event loop runs then, once a window other than below is in
    /// front (a tool may run event loops of its own before its window shows, e.g. over BLE).
    void whenInFront(QWidget *below, std::function<void(QWidget *)> action);

    QList<QTimer *> m_watches;

    RecordingGuiReporter m_gui;
};

void TestUnplugWindows::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("PelmTest");
    QCoreApplication::setApplicationName("Pelm Configurator");
    QCoreApplication::setApplicationVersion("1.0.7");
}

void TestUnplugWindows::init()
{
    startWindow();
    m_gui.setWindow(m_window.get());
    m_gui.boxes.clear();
    m_gui.statuses.clear();
}

void TestUnplugWindows::cleanup()
{
    setReporter(&m_rep);
    setFileDialogs(m_dialogs.get());
    qDeleteAll(m_watches);
    m_watches.clear();
    QCOMPARE(OpenWindow::count(), 0);
    stopWindow();
}

void TestUnplugWindows::whenInFront(QWidget *below, std::function<void(QWidget *)> action)
{
    auto *watch = new QTimer;
    m_watches << watch;
    watch->setInterval(10);
    connect(watch, &QTimer::timeout, watch, [watch, below, action] {
        QWidget *front = frontWindow();
        if (!front || front == below)
            return;
        watch->stop();
        action(front);
    });
    watch->start();
}

SimDevice *TestUnplugWindows::showConnectedDevice(bool ble)
{
    if (!ble) {
        m_dev->setPlugged(true);
        poll();
        return m_dev.get();
    }
    m_bleDev.reset(new SimDevice);
    installSimBle(m_bleDev.get());
    QMetaObject::invokeMethod(m_window.get(), "_onOrvBlePicked",
                              Q_ARG(QString, QString::fromLatin1(SimBleBackend::kDefaultAddress)));
    return m_bleDev.get();
}

void TestUnplugWindows::pull(SimDevice *dev)
{
    dev->setPlugged(false);
    QElapsedTimer waited;
    waited.start();
    while (m_window->device() && waited.elapsed() < kNoticeTimeoutMs)
        QTest::qWait(10);
}

void TestUnplugWindows::openInner(const QString &inner, QWidget *dialog)
{
    auto *builder = dialog->findChild<WdgMakeFrames *>();
    if (builder && inner != QLatin1String("import menu") && inner != QLatin1String("invalid frame")) {
        // Frames to delete, to export, to show a menu for.
        dialog->findChild<WdgTreeViewParams *>()->selectAll();
        builder->onSelectedParamsToFrames();
    }
    if (inner == QLatin1String("delete all")) {
        dialog->findChild<QAbstractButton *>("toolButton_clean")->click();
    } else if (inner == QLatin1String("QR image")) {
        setFileDialogs(nullptr); // the real file dialog
        builder->onExportAllFramesToQrCode();
    } else if (inner == QLatin1String("export menu")) {
        dialog->findChild<QAbstractButton *>("toolButton_export")->click();
    } else if (inner == QLatin1String("import menu")) {
        dialog->findChild<QAbstractButton *>("toolButton_import")->click();
    } else if (inner == QLatin1String("frames menu")) {
        WdgTreeViewFrame *view = dialog->findChild<WdgTreeViewFrame *>();
        emit view->customContextMenuRequested(QPoint(5, 5));
    } else if (inner == QLatin1String("invalid frame")) {
        QGuiApplication::clipboard()->setText(kInvalidFrames);
        builder->onImportFramesFromClipboard();
    } else if (inner == QLatin1String("short AppEUI")) {
        dialog->findChild<QLineEdit *>("lineEdit_AppEUI")->setText(QStringLiteral("0011"));
        dialog->findChild<QLineEdit *>("lineEdit_AppKey")
            ->setText(QStringLiteral("8899AABBCCDDEEFF0011223344556677"));
        QTest::mouseClick(dialog->findChild<QPushButton *>("pushButton_Write"), Qt::LeftButton);
    } else {
        QFAIL(qPrintable("no such window: " + inner));
    }
}

void TestUnplugWindows::pullDuringTheComparison_data()
{
    QTest::addColumn<bool>("ble");
    QTest::newRow("USB") << false;
    QTest::newRow("BLE") << true;
}

void TestUnplugWindows::pullDuringTheComparison()
{
    // The comparison is asked inside the write's exchange: the device pulled meanwhile is
    // noticed once the question is answered. Write then reaches no device, its failure is
    // said, and the page closes.
    QFETCH(bool, ble);
    SimDevice *dev = showConnectedDevice(ble);
    QPointer<OrvObject> device = m_window->device();
    QVERIFY(device);
    device->findChild<QDoubleSpinBox *>(QStringLiteral("doubleSpinBox_sensor1Offset"))->setValue(-0.12);
    const QByteArray offset = dev->param(24);
    m_rep.clear();
    setReporter(&m_gui);

    QString question;
    bool stillAsked = false;
    whenInFront(nullptr, [&](QWidget *box) {
        question = describe(box);
        dev->setPlugged(false);
        QTest::qWait(MainWindow::kUsbPollMs + 200);
        stillAsked = box->isVisible();
        whenInFront(box, [](QWidget *failure) {
            if (auto *mb = qobject_cast<QMessageBox *>(failure))
                mb->button(QMessageBox::Ok)->click();
        });
        qobject_cast<QMessageBox *>(box)->button(QMessageBox::Ok)->click(); // Write
    });
    action("actionApply")->trigger();
    setReporter(&m_rep);

    QVERIFY2(question.startsWith(QStringLiteral("Write to the device?: ")), qPrintable(question));
    QVERIFY(stillAsked);
    QCOMPARE(dev->param(24), offset);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->device(), kNoticeTimeoutMs);
    QVERIFY(qobject_cast<WdgMain *>(m_window->centralWidget()));
    QCOMPARE(openWindows(m_window.get()), QStringList());
    QCOMPARE(OpenWindow::count(), 0);
    settle();
    QVERIFY(!device);
}

void TestUnplugWindows::pullWithAWindowOpen_data()
{
    QTest::addColumn<bool>("ble");
    QTest::addColumn<QString>("action");    // the menu action that opens the tool
    QTest::addColumn<QString>("inner");     // a window opened inside the tool ("": none)
    QTest::addColumn<QString>("pulledIn");  // the window in front when the device is pulled
    QTest::addColumn<QStringList>("boxes"); // every box asked for, "title: text"

    const QString invalid = QStringLiteral("Invalid frames: The frame: '05' is invalid !");
    const QString deleteAll = QStringLiteral("Delete all frames: Are you sure to delete all frames ?");
    const QString shortKey =
        QStringLiteral("Change LoRaWAN keys: The AppEUI must have 16 hexadecimal digits.");
    const QString restore = QStringLiteral("Default configuration: Restore the factory defaults of the "
                                           "device?\nIts current configuration will be lost.");
    const struct
    {
        const char *name;
        const char *action;
        const char *inner;
        QString pulledIn;
        QStringList boxes;
    } windows[] = {
        {"Export frames", "actionExport_frames", "", QStringLiteral("Export frames"), {}},
        {"Export frames, Delete all frames box", "actionExport_frames", "delete all", deleteAll, {deleteAll}},
        {"Export frames, Save Qr Image file dialog",
         "actionExport_frames",
         "QR image",
         QStringLiteral("Save Qr Image"),
         {}},
        {"Export frames, export menu", "actionExport_frames", "export menu", QStringLiteral("menu"), {}},
        {"Export frames, frames' context menu",
         "actionExport_frames",
         "frames menu",
         QStringLiteral("menu"),
         {}},
        {"Import frames", "actionImport_frames", "", QStringLiteral("Import frames"), {}},
        {"Import frames, invalid frame box", "actionImport_frames", "invalid frame", invalid, {invalid}},
        {"Import frames, import menu", "actionImport_frames", "import menu", QStringLiteral("menu"), {}},
        {"Change LoRaWAN keys", "actionChangeLoRaWANkeys", "", QStringLiteral("Enter new LoRaWan Keys"), {}},
        {"Change LoRaWAN keys, short AppEUI box",
         "actionChangeLoRaWANkeys",
         "short AppEUI",
         shortKey,
         {shortKey}},
        {"Kiv Terminal", "actionKivTerminal", "", QStringLiteral("Kiv terminal"), {}},
        // The page's own question before an exchange. (The comparison before a write is asked
        // inside the write's exchange, where the poll waits for the answer: see
        // pullDuringTheComparison.)
        {"Default from ORV, question box", "actionDefault", "", restore, {restore}},
    };
    for (bool ble : {false, true}) {
        for (const auto &w : windows) {
            QTest::addRow("%s: %s", ble ? "BLE" : "USB", w.name)
                << ble << QString::fromLatin1(w.action) << QString::fromLatin1(w.inner) << w.pulledIn
                << w.boxes;
        }
    }
}

void TestUnplugWindows::pullWithAWindowOpen()
{
    QFETCH(bool, ble);
    QFETCH(QString, action);
    QFETCH(QString, inner);
    QFETCH(QString, pulledIn);
    QFETCH(QStringList, boxes);

    SimDevice *dev = showConnectedDevice(ble);
    QPointer<OrvObject> device = m_window->device();
    QVERIFY(device);
    QVERIFY2(this->action(qPrintable(action))->isEnabled(), qPrintable(action));
    const int writes = dev->commandCount(kWriteCommand);
    const int restores = dev->actionCount(Protocol::kActRestoreDefaults);
    const QByteArray appEui = dev->appEui();
    m_rep.clear();
    setReporter(&m_gui);

    QString inFront;
    bool pulled = false;
    const auto pullHere = [&] {
        inFront = describe(frontWindow());
        pull(dev);
        pulled = true;
    };
    whenInFront(nullptr, [&](QWidget *dialog) {
        if (inner.isEmpty()) {
            pullHere();
            return;
        }
        whenInFront(dialog, [&](QWidget *) { pullHere(); }); // inside the inner window
        openInner(inner, dialog);
    });
    this->action(qPrintable(action))->trigger();
    setReporter(&m_rep);

    QVERIFY(pulled);
    QCOMPARE(inFront, pulledIn);
    QVERIFY(!m_window->device());
    QVERIFY(qobject_cast<WdgMain *>(m_window->centralWidget()));
    QCOMPARE(openWindows(m_window.get()), QStringList());
    QCOMPARE(OpenWindow::count(), 0);
    QCOMPARE(m_gui.boxes, boxes); // the box that was open, and no further one
    QCOMPARE(m_gui.statuses.value(m_gui.statuses.size() - 1), kDisconnected);
    QCOMPARE(m_window->statusBar()->currentMessage(), kDisconnected);
    QCOMPARE(dev->commandCount(kWriteCommand), writes);
    QCOMPARE(dev->actionCount(Protocol::kActRestoreDefaults), restores);
    QCOMPARE(dev->appEui(), appEui);
    settle();
    QVERIFY(!device); // deleted once its windows had returned
    QVERIFY(!this->action("actionApply")->isEnabled());
}

void TestUnplugWindows::deviceTakenWithAWindowOfTheOfflinePageOpen()
{
    // The poll runs inside the frames dialog of an offline page too: a device plugged in and
    // taken there ("ORV connected", Yes) closes the offline page with its dialog and box.
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvPicked", Q_ARG(int, 28), Q_ARG(int, 256),
                                      Q_ARG(int, 14)));
    QPointer<OrvObject> offline = m_window->device();
    QVERIFY(offline && offline->isOffline());
    QGuiApplication::clipboard()->setText(kInvalidFrames);
    // The question comes from the recording reporter: it is answered Yes at once.
    class Answering : public RecordingGuiReporter
    {
    public:
        int box(const Box &b) override
        {
            if (b.title == QLatin1String("ORV connected")) {
                boxes << b.title + QStringLiteral(": ") + b.text;
                return Yes;
            }
            return RecordingGuiReporter::box(b);
        }
    } rep;
    rep.setWindow(m_window.get());
    setReporter(&rep);
    bool plugged = false;
    whenInFront(nullptr, [&](QWidget *dialog) {
        whenInFront(dialog, [&](QWidget *) {
            m_dev->setPlugged(true);
            plugged = true;
            QElapsedTimer waited;
            waited.start();
            while (m_window->device() == offline && waited.elapsed() < kNoticeTimeoutMs)
                QTest::qWait(10);
        });
        dialog->findChild<WdgMakeFrames *>()->onImportFramesFromClipboard();
    });
    action("actionImport_frames")->trigger();
    setReporter(&m_rep);
    QVERIFY(plugged);
    QCOMPARE(rep.boxes, QStringList({QStringLiteral("Invalid frames: The frame: '05' is invalid !"),
                                     QStringLiteral("ORV connected: Do you want load a ORV and lose the "
                                                    "last modification ?")}));
    QCOMPARE(openWindows(m_window.get()), QStringList());
    settle();
    QVERIFY(!offline);
    // The device taken is shown by the next poll.
    if (!m_window->device())
        poll();
    QVERIFY(m_window->device());
    QVERIFY(!m_window->device()->isOffline());
    QVERIFY(!m_rep.hasBoxes());
}

void TestUnplugWindows::pendingDeviceGoneBeforeItIsTaken()
{
    // The device plugged in while an offline page is shown is pulled out again while its
    // question is open: taking it shows no page and no failed load.
    QVERIFY(QMetaObject::invokeMethod(m_window.get(), "_onOrvPicked", Q_ARG(int, 28), Q_ARG(int, 256),
                                      Q_ARG(int, 14)));
    m_rep.clear();
    m_dev->setPlugged(true);
    class PullingReporter : public RecordingReporter
    {
    public:
        SimDevice *dev = nullptr;
        int box(const Box &b) override
        {
            dev->setPlugged(false);
            return RecordingReporter::box(b);
        }
    } rep;
    rep.dev = m_dev.get();
    rep.answer(Reporter::Yes);
    setReporter(&rep);
    poll(); // asks; Yes closes the offline page
    poll(); // would show the device taken
    setReporter(&m_rep);
    QCOMPARE(rep.takeBox().title, QStringLiteral("ORV connected"));
    QVERIFY(!rep.hasBoxes()); // no "Load configuration failed !"
    QVERIFY(!m_window->device());
    QVERIFY(!m_window->pendingDevice());
    QVERIFY(qobject_cast<WdgMain *>(m_window->centralWidget()));
    QCOMPARE(m_dev->actionCount(4), 0);
}

QTEST_MAIN(TestUnplugWindows)
#include "tst_unplugwindows.moc"

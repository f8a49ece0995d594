#include "ScreenshotTour.h"

#include "gui/FileDialogs.h"
#include "app/MainWindow.h"
#include "app/WdgMain.h"
#include "common/Reporter.h"
#include "device/files/ConfigFile.h"
#include "editors/OrvObject.h"
#include "editors/WdgOrv.h"
#include "tools/DlgMakeFrames.h"
#include "tools/WdgAutoCfg.h"
#include "tools/WdgDeviceUpdater.h"
#include "tools/WdgMakeFrames.h"
#include "tools/WdgTreeViewParams.h"

#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QItemSelection>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

namespace {
const char kConnectionPicture[] = "connection.png";
const char kDevicePicture[] = "device.png";
const char kFramesPicture[] = "frames.png";
const char kUpdaterPicture[] = "updater.png";
const char kAutoConfigPicture[] = "autoconfig.png";
/// The USB device's configuration, saved for the auto configuration page (which shows its path).
const char kScratchTemplate[] = "/pelm-demo-XXXXXX";
const char kConfigFileName[] = "site.ocf";
/// How often a wait looks again.
constexpr int kLookIntervalMs = 50;
/// The connection page lists the simulated sensor and the radio module beside it.
constexpr int kScannedBleDevices = 2;
/// Parameters the frames builder keeps on its left, so that the picture shows both views.
constexpr int kParamsLeftOut = 4;

/// Lets the event loop run for ms milliseconds.
void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

QStringList ScreenshotTour::fileNames()
{
    return {QLatin1String(kConnectionPicture), QLatin1String(kDevicePicture), QLatin1String(kFramesPicture),
            QLatin1String(kUpdaterPicture), QLatin1String(kAutoConfigPicture)};
}

ScreenshotTour::ScreenshotTour(MainWindow *window, const QString &dir, const QString &bleAddress,
                               QObject *parent)
    : QObject(parent), m_window(window), m_dir(dir), m_bleAddress(bleAddress),
      m_scratch(QDir::tempPath() + QLatin1String(kScratchTemplate)),
      m_configFile(m_scratch.filePath(QLatin1String(kConfigFileName)))
{
}

void ScreenshotTour::start()
{
    QTimer::singleShot(0, this, &ScreenshotTour::run);
}

void ScreenshotTour::run()
{
    bool ok = QDir().mkpath(m_dir);
    if (!ok)
        fail(QStringLiteral("cannot make the folder %1").arg(m_dir));
    ok = ok && connectionPage() && devicePage() && framesBuilder() && updaterPage() && autoConfigPage();
    emit finished(ok ? 0 : 1);
}

bool ScreenshotTour::connectionPage()
{
    // The simulated USB device is plugged in at the start: pulled, its page gives way to the
    // connection page (at the next poll, or it never opens).
    if (!trigger(simulatorAction("actionSimulatorUnplug")))
        return false;
    const bool shown = waitFor(QStringLiteral("the connection page with the BLE devices"), [this] {
        const auto *page = qobject_cast<WdgMain *>(m_window->centralWidget());
        if (!page || m_window->device())
            return false;
        const auto *list = page->findChild<QListWidget *>(QStringLiteral("listWidget_scannedDevices"));
        return list && list->count() >= kScannedBleDevices;
    });
    return shown && save(m_window, QLatin1String(kConnectionPicture));
}

bool ScreenshotTour::devicePage()
{
    QAction *plugged = simulatorAction("actionSimulatorPlugged");
    if (!plugged || (!plugged->isChecked() && !trigger(plugged)))
        return false;
    // The page is shown once it holds the device's values.
    const bool shown = waitFor(QStringLiteral("the USB device's page"), [this] {
        return qobject_cast<WdgOrv *>(m_window->centralWidget()) && m_window->device() &&
               m_window->device()->isVisible();
    });
    if (!shown || !save(m_window, QLatin1String(kDevicePicture)))
        return false;
    // Its configuration is what the auto configuration page writes into the next device.
    ConfigFile::Content content;
    if (!m_scratch.isValid() || !m_window->device()->fileContent(&content) ||
        ConfigFile::write(m_configFile, content).presentTo(m_window->device()->messages()) != 0) {
        fail(QStringLiteral("cannot save the device's configuration to %1").arg(m_configFile));
        return false;
    }
    return true;
}

bool ScreenshotTour::framesBuilder()
{
    QAction *exportFrames = m_window->findChild<QAction *>(QStringLiteral("actionExport_frames"));
    if (!exportFrames || !exportFrames->isEnabled()) {
        fail(QStringLiteral("Edit > Export frames is not available"));
        return false;
    }
    // The dialog runs modally inside the action: a timer in its event loop packs the first
    // parameters into frames with the ">" button, takes the picture and closes it.
    bool saved = false;
    bool opened = false;
    QTimer look;
    look.setInterval(kLookIntervalMs);
    connect(&look, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<DlgMakeFrames *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        look.stop();
        opened = true;
        auto *params = dialog->findChild<WdgTreeViewParams *>();
        auto *add = dialog->findChild<QToolButton *>(QStringLiteral("toolButton_addToViewFrames"));
        if (params && add) {
            const QAbstractItemModel *model = params->model();
            const int last = qMax(0, model->rowCount() - kParamsLeftOut - 1);
            params->selectionModel()->select(
                QItemSelection(model->index(0, 0), model->index(last, model->columnCount() - 1)),
                QItemSelectionModel::ClearAndSelect);
            add->click();
        }
        saved = waitFor(QStringLiteral("frames in the frames builder"),
                        [dialog] { return !dialog->frames().isEmpty(); }) &&
                save(dialog, QLatin1String(kFramesPicture));
        dialog->reject();
    });
    look.start();
    exportFrames->trigger();
    look.stop();
    if (!opened)
        fail(QStringLiteral("the frames builder did not open"));
    return saved;
}

bool ScreenshotTour::updaterPage()
{
    // The updater works over BLE: the USB device goes, the BLE device is connected as the
    // Connect button of the BLE list does, then Tools > Updater.
    if (!trigger(simulatorAction("actionSimulatorUnplug")))
        return false;
    if (!waitFor(QStringLiteral("the connection page"), [this] {
            return qobject_cast<WdgMain *>(m_window->centralWidget()) && !m_window->device();
        }))
        return false;
    // What the connection page says when the Connect button of its BLE list is clicked.
    auto *connection = qobject_cast<WdgMain *>(m_window->centralWidget());
    emit connection->OnOrvBlePicked(m_bleAddress);
    QAction *updater = m_window->findChild<QAction *>(QStringLiteral("actionUpdater"));
    if (!waitFor(QStringLiteral("the BLE device's page"), [this, updater] {
            return qobject_cast<WdgOrv *>(m_window->centralWidget()) && m_window->device() &&
                   m_window->device()->isVisible() && updater && updater->isEnabled();
        }))
        return false;
    if (!trigger(updater))
        return false;
    WdgDeviceUpdater *page = nullptr;
    const bool shown = waitFor(QStringLiteral("the updater page"), [this, &page] {
        page = qobject_cast<WdgDeviceUpdater *>(m_window->centralWidget());
        return page && page->device();
    });
    if (!shown || !save(m_window, QLatin1String(kUpdaterPicture)))
        return false;
    // Close Tool brings the connection page back.
    if (auto *close = page->findChild<QPushButton *>(QStringLiteral("pushButton_close")))
        close->click();
    return true;
}

bool ScreenshotTour::autoConfigPage()
{
    if (!trigger(m_window->findChild<QAction *>(QStringLiteral("actionAuto_Conf"))))
        return false;
    WdgAutoCfg *page = nullptr;
    if (!waitFor(QStringLiteral("the auto configuration page"), [this, &page] {
            page = qobject_cast<WdgAutoCfg *>(m_window->centralWidget());
            return page;
        }))
        return false;
    // A roll-out under way: the file saved from the USB device chosen, a new device plugged in.
    {
        ScriptedFileDialogs dialogs;
        dialogs.setNextFileName(m_configFile);
        page->on_toolButton_selectFile_clicked();
        page->start();
    }
    if (page->configFile().isEmpty()) {
        fail(QStringLiteral("the auto configuration page did not take %1").arg(m_configFile));
        return false;
    }
    if (!trigger(simulatorAction("actionSimulatorPlugNew")))
        return false;
    const auto *log = page->findChild<QTextBrowser *>(QStringLiteral("textBrowser"));
    const bool done = waitFor(QStringLiteral("the new device in the auto configuration log"),
                              [log] { return log && !log->document()->isEmpty(); });
    return done && save(m_window, QLatin1String(kAutoConfigPicture));
}

bool ScreenshotTour::waitFor(const QString &what, const std::function<bool()> &ready)
{
    QElapsedTimer clock;
    clock.start();
    while (!ready()) {
        if (clock.elapsed() > kPageTimeoutMs) {
            fail(QStringLiteral("%1 did not show within %2 s").arg(what).arg(kPageTimeoutMs / 1000));
            return false;
        }
        runEventLoop(kLookIntervalMs);
    }
    runEventLoop(kSettleMs);
    return true;
}

bool ScreenshotTour::save(QWidget *widget, const QString &name)
{
    const QString path = QDir(m_dir).filePath(name);
    const QPixmap picture = widget->grab();
    if (picture.isNull() || !picture.save(path, "PNG")) {
        fail(QStringLiteral("cannot write %1").arg(path));
        return false;
    }
    return true;
}

bool ScreenshotTour::trigger(QAction *action)
{
    if (!action || !action->isEnabled()) {
        fail(QStringLiteral("the action %1 is not available").arg(action ? action->objectName() : QString()));
        return false;
    }
    action->trigger();
    return true;
}

QAction *ScreenshotTour::simulatorAction(const char *name) const
{
    return m_window->findChild<QAction *>(QLatin1String(name));
}

void ScreenshotTour::fail(const QString &why)
{
    qWarning().noquote() << "Screenshots:" << why;
}

#pragma once
// What the main window's flow tests share: a recording reporter, a simulated device on the USB
// seam (unplugged at the start of each case), scripted file dialogs, a fresh window with clean
// settings, and a simulated BLE device when a case installs one. A test class derives from it
// and calls startWindow() from init() and stopWindow() from cleanup().

#include "gui/FileDialogs.h"
#include "app/MainWindow.h"
#include "sim/SimBle.h"
#include "sim/SimDevice.h"
#include "sim/SimUsbHid.h"
#include "support/RecordingReporter.h"

#include <QAction>
#include <QCoreApplication>
#include <QSettings>
#include <QtTest>

#include <memory>

class MainWindowTest : public QObject
{
protected:
    void startWindow()
    {
        QSettings().clear();
        m_dev.reset(new SimDevice);
        m_dev->setPlugged(false);
        SimUsbHid::install(m_dev.get());
        m_dialogs.reset(new ScriptedFileDialogs);
        m_window.reset(new MainWindow);
        m_rep.clear();
    }

    /// Closes the window, lets its pages go, takes the simulated devices off their seams and
    /// fails the case when a box was left that it did not take.
    void stopWindow()
    {
        m_window.reset();
        settle();
        if (m_bleDev) {
            uninstallSimBle();
            m_bleDev.reset();
        }
        SimUsbHid::uninstall();
        m_dev.reset();
        m_dialogs.reset();
        VERIFY_NO_PENDING_BOXES(m_rep);
        m_rep.clear();
    }

    /// One tick of the window's USB poll.
    void poll() { QVERIFY(QMetaObject::invokeMethod(m_window.get(), "on_orvManager")); }
    QAction *action(const char *name) { return m_window->findChild<QAction *>(QLatin1String(name)); }
    /// Lets deferred deletions of closed pages happen.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    ScopedRecordingReporter m_rep;
    std::unique_ptr<SimDevice> m_dev;
    std::unique_ptr<SimDevice> m_bleDev; ///< the device seen over BLE, when a case installs it
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<ScriptedFileDialogs> m_dialogs;
};

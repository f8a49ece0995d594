#pragma once
// The demo's picture tour (pelm-screenshot-tour DIR, a developer program beside the tests):
// walks the main window through its pages on the simulated devices, the way a user would with
// the menus, and saves a picture of each page into a folder: the connection page, the USB
// device's page, the frames builder, the updater of the BLE device and the auto configuration
// page (the USB device's configuration written into a new device). Then it ends the program.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class MainWindow;
class QAction;
class QWidget;

class ScreenshotTour : public QObject
{
    Q_OBJECT
public:
    /// How long a page may take to show (the BLE connection and loads run at the demo's pace).
    static constexpr int kPageTimeoutMs = 20000;
    /// Extra time after a page showed, for the events it posted (live readings, layouts).
    static constexpr int kSettleMs = 300;

    /// The pictures the tour writes, in the order it takes them.
    static QStringList fileNames();

    /// window: the main window of the demo, its simulated devices installed; dir: the folder
    /// the pictures go to (made when missing); bleAddress: the simulated BLE device's address.
    ScreenshotTour(MainWindow *window, const QString &dir, const QString &bleAddress,
                   QObject *parent = nullptr);

    /// Runs the tour once the event loop runs; finished follows.
    void start();

signals:
    /// The tour is over: code 0 when every picture was saved, otherwise 1 (the reason went to
    /// standard error).
    void finished(int code);

private:
    void run();
    bool connectionPage();
    bool devicePage();
    bool framesBuilder();
    bool updaterPage();
    bool autoConfigPage();

    /// Lets the event loop run until ready answers true (then kSettleMs more); false after
    /// kPageTimeoutMs, with the step named on standard error.
    bool waitFor(const QString &what, const std::function<bool()> &ready);
    /// Saves what widget shows as name in the folder; false (said on standard error) on failure.
    bool save(QWidget *widget, const QString &name);
    /// Triggers one of the window's actions as its menu entry would; false when it is disabled.
    bool trigger(QAction *action);
    /// An action of the Simulator menu, by object name.
    QAction *simulatorAction(const char *name) const;
    void fail(const QString &why);

    MainWindow *m_window;
    QString m_dir;
    QString m_bleAddress;
    QTemporaryDir m_scratch; ///< holds the configuration file saved from the USB device
    QString m_configFile;
};

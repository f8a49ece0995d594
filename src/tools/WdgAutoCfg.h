#pragma once
// The auto configuration page: one configuration file written into a series of devices that
// are plugged in one after another on USB. Every 100 ms it looks for a device; a new device is
// identified, loaded with the file, written, optionally read back and compared and given its
// own LoRaWAN keys from a key list, and reported in the log as successful or failed (with the
// reason); the page then waits for that device to be unplugged before it looks for the next.
// Each device handled can also become a row of a provisioning record file.
//
// Only one device is handled at a time, and the poll timer is stopped while a device is worked
// on, so polls never overlap. No key is ever shown in the log or written to the record.

#include "device/rollout/Provisioning.h"
#include "device/rollout/ProvisioningRecord.h"

#include <QColor>
#include <QScopedPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class OrvObject;

namespace Ui {
class WdgAutoCfg;
}

class WdgAutoCfg : public QWidget
{
    Q_OBJECT
public:
    /// Interval of the device poll.
    static constexpr int kPollIntervalMs = 100;
    /// Height the brand image is scaled down to when it is taller.
    static constexpr int kImageHeightPx = 50;

    static QColor successColour() { return QColor(0, 255, 0); }
    static QColor failureColour() { return QColor(255, 0, 0); }

    explicit WdgAutoCfg(QWidget *parent = nullptr);
    ~WdgAutoCfg() override;

    /// The poll timer (running while a file is chosen, stopped while a device is worked on).
    const QTimer &pollTimer() const { return m_pollTimer; }
    /// The device being configured or waiting to be unplugged (null when none).
    OrvObject *currentDevice() const { return m_device.get(); }
    /// The chosen configuration file (empty when none).
    QString configFile() const { return m_run.configFile(); }
    /// The roll-out: file, verification, key list and the DevEUIs provisioned so far.
    const Provisioning::Run &run() const { return m_run; }

    // Nothing is written before Start: the file, the record and the key list are chosen first,
    // and choosing any of them again pauses the roll-out until Start is pressed again.
    /// Chooses the configuration file (what the file button does once its dialog answered).
    /// False (with its box) when the file can't be read or names no device.
    bool chooseConfigFile(const QString &path);
    /// Chooses the provisioning record; false (with its box) when it can't be used.
    bool chooseRecord(const QString &path);
    /// Chooses the key list; false (with its box) when it can't be read.
    bool chooseKeyList(const QString &path);
    /// Starts the roll-out with what is chosen (needs a configuration file).
    void start();
    /// Pauses the roll-out: no device is looked for until start().
    void pause();
    /// Whether the roll-out runs (devices plugged in are configured).
    bool isRunning() const { return m_running; }

signals:
    /// The user asked to leave the tool. (It hides QWidget::close() on this class: the page is
    /// closed by the main window.)
    void close();

public slots:
    /// Chooses the configuration file (the poll is stopped meanwhile, and stays stopped when
    /// the dialog is cancelled or the file is refused).
    void on_toolButton_selectFile_clicked();
    void on_pushButton_close_clicked();
    /// Start, or Stop while the roll-out runs.
    void on_pushButton_start_clicked();
    /// One poll: handles a newly connected device, or notices that the current one is gone.
    void onTime();

private slots:
    /// Chooses the provisioning record (new or existing) that rows are appended to.
    void on_toolButton_selectRecord_clicked();
    void on_toolButton_clearRecord_clicked();
    /// Chooses the key list.
    void on_toolButton_selectKeys_clicked();
    void on_toolButton_clearKeys_clicked();
    void on_checkBox_verify_toggled(bool on);

private:
    /// Resets the labels to "no file".
    void showNoFile();
    /// Works on a device just found: provisions it, logs and records the outcome.
    void handleDevice();
    /// Appends "<name> - <result>[ - DevEUI <digits>][: <reason>]" to the log, the result in
    /// green or red.
    void appendLog(const QString &name, bool successful, const QString &devEui, const QString &reason);
    /// Appends a whole line in one colour.
    void appendLogLine(const QString &text, const QColor &colour);
    /// Destroys the current device object.
    void dropDevice();
    /// The Start button and the help line for the state.
    void showRunState();

    const QScopedPointer<Ui::WdgAutoCfg> m_ui;
    QTimer m_pollTimer;
    std::unique_ptr<OrvObject> m_device;
    Provisioning::Run m_run;
    ProvisioningRecord::Writer m_record;
    bool m_running = false;
};

#pragma once
// The "Updater Tool" page: one section per controller of the device that reports a bootloader
// (the main controller, the serial radio module, the BLE radio module), each with the installed
// firmware and the bootloader kind, a firmware file button and a start button. The update
// itself runs in FirmwareUpdater; the page shows its messages and progress. While an update
// runs its start button is the stop button and every other button is disabled; when it ends
// the page reads the device again.
//
// The page owns the link it is given. It runs the update inside the start button's slot (the
// link's and the sessions' local event loops keep the window responsive), so the page must
// not go while an update runs: its close button is disabled meanwhile.

#include "device/protocol/Protocol.h"
#include "update/FirmwareUpdater.h"

#include <QScopedPointer>
#include <QString>
#include <QWidget>

#include <memory>

class Comm;
class CommBle;
class DeviceSession;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Ui {
class WdgDeviceUpdater;
}

class WdgDeviceUpdater : public QWidget
{
    Q_OBJECT
public:
    /// Property of a firmware button holding the file filter of its section's bootloader.
    static constexpr char kFilterProperty[] = "extensionFw";

    /// The updater of a connected device. link: the device's transport, taken over; info: the
    /// identity read when the device was connected; bleAddress: the device's address over BLE,
    /// empty over USB.
    WdgDeviceUpdater(Comm *link, const DeviceInfo &info, const QString &bleAddress,
                     QWidget *parent = nullptr);
    /// The updater of a BLE radio module picked in the BLE scan (not identified): link to it,
    /// taken over, and its address.
    WdgDeviceUpdater(CommBle *link, const QString &bleAddress, QWidget *parent = nullptr);
    ~WdgDeviceUpdater() override;

    /// The device on the link (made again at every initialisation).
    DeviceSession *device() const { return m_session.get(); }
    /// The update flow of the current device object.
    FirmwareUpdater *updater() const { return m_updater.get(); }
    /// Whether an update runs (from the start to the end of the reconnection).
    bool isUpdating() const { return m_running != 0; }

    /// At least the size the form was designed for, so that the messages have room.
    QSize sizeHint() const override;

    /// Waits of the flows the page creates (tests shorten them).
    void setTiming(const FirmwareUpdater::Timing &timing);
    void setYmodemTiming(const YmodemUpdate::Timing &timing);

signals:
    /// The user closed the page.
    void close();

private slots:
    void _selectFirmwareOrv();
    void _selectFirmwareKiv();
    void _selectFirmwareKivBle();
    void _startUpdateOrv();
    void _startUpdateKiv();
    void _startUpdateKivBle();
    /// The update of a controller is over: its button shows play again, the others come back.
    void _stopUpdate(int microType);
    void _endUpdateKivBle();
    void _endUpdateOrv();
    void _abortUpdateKivBle();
    void _abortUpdateOrv();
    void on_pushButton_close_clicked();

private:
    /// The widgets of one controller's section.
    struct Section
    {
        quint8 code = 0;
        QWidget *box = nullptr;
        QLabel *label = nullptr;
        QLineEdit *file = nullptr;
        QPushButton *select = nullptr;
        QPushButton *start = nullptr;
    };

    void setUpWidgets();
    /// Opens a BLE link that is down, makes the device object (identifying the device again
    /// when reread), and shows the sections of the bootloaders it reports. False when the BLE
    /// link could not be opened (the page keeps its state).
    bool initialise(bool reread);
    void selectFirmware(Section &section);
    /// Starts the update of a controller, or asks the running one to stop.
    void startUpdate(quint8 code);
    /// Enables and shows the buttons for the current state.
    void updateButtons();
    void print(const QString &text);
    /// A line of the page's own (not a step of the flow): a step's outcome still ends the
    /// step's line.
    void note(const QString &text);
    /// The identity line of the device read again after an update.
    void printDevice();
    Section *section(quint8 code);

    const QScopedPointer<Ui::WdgDeviceUpdater> m_ui;
    std::unique_ptr<Comm> m_link;
    QString m_bleAddress;
    DeviceInfo m_info;
    std::unique_ptr<DeviceSession> m_session;
    std::unique_ptr<FirmwareUpdater> m_updater;
    Section m_sections[3];
    FirmwareUpdater::Timing m_timing;
    YmodemUpdate::Timing m_ymodemTiming;
    quint8 m_running = 0; ///< the controller being updated, 0 when none
    bool m_reconnecting = false;
    bool m_finishedSeen = false; ///< the running update got as far as its end or abort
    int m_stepBlock = -1;        ///< the text block of the step line waiting for its outcome
};

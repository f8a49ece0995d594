#pragma once
// Shows the clock of a connected device, sets it to the workstation's time, and lets the user
// shift it by a few seconds. Between reads the shown time advances locally once per second.

#include "device/protocol/DeviceClock.h"

#include <QByteArray>
#include <QDateTime>
#include <QScopedPointer>
#include <QTimer>
#include <QWidget>

namespace Ui {
class WdgTimeStamp;
}

class WdgTimeStamp : public QWidget
{
    Q_OBJECT

public:
    /// Tick interval of the shown time.
    static constexpr int kTickMs = 1000;

    explicit WdgTimeStamp(QWidget *parent = nullptr);
    ~WdgTimeStamp() override;

    /// Sets the device clock to the current time (Clock::now()), then readDate(). Nothing happens
    /// when device is null or offline.
    void initDate(ClockDevice *device);
    /// Shifts the device clock by the offset box's seconds, then readDate(). Nothing happens when
    /// device is null or offline.
    void adjustDate(ClockDevice *device);
    /// Reads the device clock; an answer of at least 4 bytes sets the shown time and restarts the
    /// one-second tick in step with the read. A shorter answer changes nothing. Nothing happens
    /// when device is null or offline.
    void readDate(ClockDevice *device);

    /// The shown device time in local time; invalid until a read succeeded.
    QDateTime deviceTime() const { return m_deviceTime; }
    /// Whether the one-second tick runs.
    bool isTicking() const { return m_tick.isActive(); }

signals:
    /// The user asked for a correction: the page answers with adjustDate(its device object).
    void _adjustDateSignal();

private slots:
    /// Emits _adjustDateSignal().
    void _onAdjustDate();
    /// Advances the shown time by one second.
    void _onUpdateDateTimeout();

private:
    /// Runs one clock action unless another is still running (a nested event loop of the
    /// exchange may deliver a click or a tick); returns its result.
    QByteArray runAction(ClockDevice *device, const QByteArray &value);
    void showTime();

    const QScopedPointer<Ui::WdgTimeStamp> m_ui;
    QTimer m_tick;
    QDateTime m_deviceTime;
    bool m_busy = false; ///< a clock exchange is running
};

#include "editors/WdgTimeStamp.h"

#include "common/Clock.h"
#include "ui_WdgTimeStamp.h"

#include <QLocale>

using namespace DeviceClock;

namespace {
bool isOnline(const ClockDevice *device)
{
    return device != nullptr && device->hasTransport();
}
} // namespace

WdgTimeStamp::WdgTimeStamp(QWidget *parent) : QWidget(parent), m_ui(new Ui::WdgTimeStamp)
{
    m_ui->setupUi(this);
    connect(m_ui->adjsutButton, &QPushButton::clicked, this, &WdgTimeStamp::_onAdjustDate);
    connect(&m_tick, &QTimer::timeout, this, &WdgTimeStamp::_onUpdateDateTimeout);
}

WdgTimeStamp::~WdgTimeStamp() = default;

QByteArray WdgTimeStamp::runAction(ClockDevice *device, const QByteArray &value)
{
    if (m_busy)
        return QByteArray();
    m_busy = true;
    const QByteArray result = device->runAction(value, kExchangeTimeoutMs);
    m_busy = false;
    return result;
}

void WdgTimeStamp::initDate(ClockDevice *device)
{
    if (!isOnline(device) || m_busy)
        return;
    runAction(device, setValue(Clock::now()));
    readDate(device);
}

void WdgTimeStamp::adjustDate(ClockDevice *device)
{
    if (!isOnline(device) || m_busy)
        return;
    runAction(device, shiftValue(qint16(m_ui->adjustSpinBox->value())));
    readDate(device);
}

void WdgTimeStamp::readDate(ClockDevice *device)
{
    if (!isOnline(device) || m_busy)
        return;
    // A clock needs all 4 bytes: a shorter answer is not a time.
    QDateTime utc;
    if (!decodeTime(runAction(device, readValue()), &utc))
        return;
    m_deviceTime = utc.toLocalTime();
    showTime();
    m_tick.stop();
    m_tick.start(kTickMs);
}

void WdgTimeStamp::_onAdjustDate()
{
    emit _adjustDateSignal();
}

void WdgTimeStamp::_onUpdateDateTimeout()
{
    if (!m_deviceTime.isValid())
        return;
    m_deviceTime = m_deviceTime.addSecs(1);
    showTime();
}

void WdgTimeStamp::showTime()
{
    m_ui->timeStampLabel->setText(QLocale().toString(m_deviceTime, QLocale::LongFormat));
}

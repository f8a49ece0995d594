#include "editors/OrvObject.h"

#include "device/Catalog.h"
#include "gui/OpenWindow.h"
#include "links/Comm.h"
#include "tools/DlgChangeKeys.h"
#include "tools/DlgUartTerm.h"
#include "tools/WdgUartTerm.h"
#include "tools/DlgMakeFrames.h"

#include <QLabel>
#include <QStatusBar>

OrvObject::OrvObject(Comm *transport, const DeviceInfo &info, QWidget *parent)
    : QWidget(parent), DeviceSession(transport, info)
{
    setOwner(this);
    // What a write changes is shown first, unless the user turned the question off.
    setWriteConfirmation([this](const ConfigDiff::Rows &rows) {
        if (!ConfigDiff::askBeforeWriting())
            return true;
        return messages().box(ConfigDiff::confirmBox(rows, this)) == Reporter::Ok;
    });
    // A device that did not identify itself gets no status bar (the factories drop it).
    if (info.identified())
        createStatusBar();
}

OrvObject::OrvObject(int orvType, int orvRev, int kivType, QWidget *parent)
    : QWidget(parent), DeviceSession(orvType, orvRev, kivType)
{
    setOwner(this);
    createStatusBar();
}

OrvObject::~OrvObject()
{
    m_updateTimer.stop();
    // The status bar may be shown by the main window; it goes with the device object.
    delete m_statusBar.data();
}

void OrvObject::createStatusBar()
{
    m_statusBar = new QStatusBar(this);
    m_statusBar->hide();
    m_identityLabel = new QLabel(identityText(), m_statusBar);
    m_identityLabel->setObjectName(QStringLiteral("labelIdentity"));
    m_statusBar->addPermanentWidget(m_identityLabel);
    QPointer<QStatusBar> bar = m_statusBar;
    messages().setStatusSink([bar](const QString &text, int timeoutMs) {
        if (bar)
            bar->showMessage(text, timeoutMs);
    });
}

QStatusBar *OrvObject::takeStatusBar()
{
    if (m_statusBar) {
        m_statusBar->setParent(this);
        m_statusBar->hide();
    }
    return m_statusBar;
}

QString OrvObject::displayName() const
{
    return QStringLiteral("Pelm-") + Catalog::typeName(orvType());
}

QString OrvObject::description() const
{
    return catalogLabel();
}

QString OrvObject::technologyText() const
{
    return Catalog::technologyText(kivType());
}

QString OrvObject::picturePath() const
{
    return OrvList::instance().picture(orvType(), orvRev(), kivType());
}

void OrvObject::startUpdates(int intervalMs)
{
    // Connected once, whatever the number of starts.
    connect(&m_updateTimer, &QTimer::timeout, this, &OrvObject::updateValues, Qt::UniqueConnection);
    m_updateTimer.start(intervalMs);
}

void OrvObject::stopUpdates()
{
    m_updateTimer.stop();
}

QByteArray OrvObject::runAction(const QByteArray &value, int timeoutMs)
{
    if (isOffline() || isBusy())
        return QByteArray();
    DeviceBusyGuard guard;
    clearParams();
    addParam(OrvParam(Protocol::kActionParamId, value));
    return protocol().exchangeParams(params(), nullptr, timeoutMs, true);
}

// The tools' dialogs are children of the device object, and the USB poll keeps running while
// they are open: a device unplugged meanwhile closes its page and retires the object, which
// closes the dialogs and is deleted once their exec() has returned (see OpenWindow). After a
// dialog returns nothing more is shown or started for a retired object.

void OrvObject::exportFrames()
{
    // The dialog works on a copy of the page's values; the device object keeps its own.
    const OrvParamList params = exportParams();
    QPointer<DlgMakeFrames> dialog =
        new DlgMakeFrames(this, params, tables().paramNames, tables().bufferFlags, defaultFramePayload());
    OpenWindow::exec(dialog);
    delete dialog.data();
}

void OrvObject::importFrames()
{
    QPointer<DlgMakeFrames> dialog = new DlgMakeFrames(this, tables().paramNames, tables().bufferFlags);
    const int result = OpenWindow::exec(dialog);
    if (!dialog)
        return;
    const OrvFrameList frames = dialog->frames();
    delete dialog.data();
    if (result == QDialog::Accepted && !OpenWindow::closing(this))
        DeviceSession::importFrames(frames);
}

int OrvObject::openKeysDialog()
{
    // A new dialog each time, gone when it closes: no typed key outlives it, and no earlier
    // dialog still listens to cfgAppliedToDevice.
    QPointer<DlgChangeKeys> dialog = new DlgChangeKeys(this);
    connect(dialog.data(), &DlgChangeKeys::writeNewKeys, this, &OrvObject::updateLoRaWANKeys);
    connect(this, &OrvObject::cfgAppliedToDevice, dialog.data(), &DlgChangeKeys::writeSuccessSlot);
    dialog->setDevEui(identifier());
    const int result = OpenWindow::exec(dialog);
    delete dialog.data();
    return result;
}

void OrvObject::openKivTerminal()
{
    // The live readings would share the link with the terminal's polls: paused meanwhile, then
    // resumed at the page's own pace (500 ms when none ran).
    constexpr int kRefreshAfterTerminalMs = 500;
    const int refreshMs = m_updateTimer.isActive() ? m_updateTimer.interval() : kRefreshAfterTerminalMs;
    stopUpdates();
    if (terminalAvailable()) {
        QPointer<DlgUartTerm> dialog = new DlgUartTerm(this);
        dialog->terminal()->setLink(this, Protocol::kCmdSerialWrite, Protocol::kCmdSerialRead);
        OpenWindow::exec(dialog);
        delete dialog.data();
    }
    if (OpenWindow::closing(this))
        return; // the device went while the terminal was open: nothing to refresh
    startUpdates(refreshMs);
}

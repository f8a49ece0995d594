#include "editors/OrvObject.h"

#include "device/model/Catalog.h"
#include "gui/MessageBar.h"
#include "gui/OpenWindow.h"
#include "links/Comm.h"

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
    delete m_messageBar.data(); // hosted by the page, which may outlive the device object
}

void OrvObject::createStatusBar()
{
    m_statusBar = new QStatusBar(this);
    m_statusBar->hide();
    m_identityLabel = new QLabel(identityText(), m_statusBar);
    m_identityLabel->setObjectName(QStringLiteral("labelIdentity"));
    m_statusBar->addPermanentWidget(m_identityLabel);
    m_messageBar = new MessageBar(this);
    QPointer<QStatusBar> bar = m_statusBar;
    QPointer<MessageBar> notes = m_messageBar;
    messages().setStatusSink([bar, notes](const QString &text, int timeoutMs) {
        if (timeoutMs == Reporter::kUntilDismissed) {
            if (notes)
                notes->showNote(text);
        } else if (bar) {
            bar->showMessage(text, timeoutMs);
        }
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

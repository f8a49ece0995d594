#pragma once
// The device object of the desktop program: a widget (the device-family page derives from
// it and is hosted by the configuration page) and a device session (identity, transport,
// parameters, transactions). It adds the status bar with the identity line, the refresh
// timer that drives updateValues. The tools open on it from tools/DeviceTools.
//
// It derives from DeviceSession instead of holding one: the page overrides the session's
// two page hooks directly, and a session and its widget can never get out of step.

#include "device/session/DeviceFactory.h"
#include "device/session/DeviceSession.h"
#include "device/protocol/DeviceClock.h"
#include "gui/MessageBar.h"

#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>

class QLabel;

class OrvObject : public QWidget, public DeviceSession, public ClockDevice
{
    Q_OBJECT
public:
    /// A device object on an identified transport (taken over; see setOwnsTransport).
    OrvObject(Comm *transport, const DeviceInfo &info, QWidget *parent = nullptr);
    /// An offline device object of a given identity.
    OrvObject(int orvType, int orvRev, int kivType, QWidget *parent = nullptr);
    ~OrvObject() override;

    /// The status bar with the identity line (the main window installs it as its own).
    QStatusBar *statusBar() const { return m_statusBar; }
    /// The bar of the notes that stay until dismissed; its page shows it above the editors.
    MessageBar *messageBar() const { return m_messageBar; }
    /// Takes the status bar back from a window that showed it (it then belongs to this object
    /// again), e.g. before the window installs another one.
    QStatusBar *takeStatusBar();

    /// Header texts of the configuration page.
    QString displayName() const;    ///< "Pelm-" + the type's display name
    QString description() const;    ///< the catalog label of the device's codes
    QString technologyText() const; ///< technology text of the radio-module type
    QString picturePath() const;    ///< product picture resource, empty when none

    /// Starts the refresh timer (updateValues every intervalMs).
    void startUpdates(int intervalMs);
    void stopUpdates();
    bool updatesRunning() const { return m_updateTimer.isActive(); }
    /// The refresh interval of the last startUpdates.
    int updateIntervalMs() const { return m_updateTimer.interval(); }

    // ClockDevice
    bool hasTransport() const override { return transport() != nullptr; }
    QByteArray runAction(const QByteArray &value, int timeoutMs) override;

    // Page hooks: the base keeps the values as a list (see DeviceSession).
    void paramsToWidgets(OrvParamList &params) override { DeviceSession::paramsToWidgets(params); }
    void widgetsToParams(OrvParamList &params) override { DeviceSession::widgetsToParams(params); }
    void configApplied() override { emit cfgAppliedToDevice(); }
    void loadStateChanged(bool loaded) override { emit configurationLoaded(loaded); }

public slots:
    /// Refreshes the live values (the family page overrides it).
    virtual void updateValues() {}
    /// Writes new LoRaWAN keys (the family page overrides it).
    virtual void updateLoRaWANKeys(const QByteArray &appEUI, const QByteArray &appKey)
    {
        Q_UNUSED(appEUI)
        Q_UNUSED(appKey)
    }

signals:
    /// A configuration was applied to the device.
    void cfgAppliedToDevice();
    /// A load of the device's configuration succeeded (true) or failed (false).
    void configurationLoaded(bool loaded);

private:
    void createStatusBar();

    QPointer<QStatusBar> m_statusBar;
    QLabel *m_identityLabel = nullptr;
    QPointer<MessageBar> m_messageBar;
    QTimer m_updateTimer;
};

/// Factories of device objects: the family page of an accepted device, or null.
namespace OrvFactory {
/// One USB attempt (see DeviceFactory::connectUsb); failed is set when a device was there
/// but did not identify itself.
OrvObject *connectUsb(QWidget *parent, bool *failed);
/// A BLE connection to address (3 identification attempts).
OrvObject *connectBle(const QString &address, QWidget *parent);
/// An offline device object of an accepted combination.
OrvObject *createOffline(QWidget *parent, int orvType, int orvRev, int kivType);
/// The family page class for a session on transport (null for an offline one).
OrvObject *createPage(Comm *transport, const DeviceInfo &info, QWidget *parent);
} // namespace OrvFactory

#pragma once
// The bootloaders of the simulated device. A restart request (command 8 with a controller
// code) puts the device into the bootloader its capability byte names for that controller:
// kind 2, a YMODEM receiver that takes the bytes of the device link as they come (USB
// reports, BLE frames); kind 3, an XCP target that takes one transport packet per BLE frame.
// Any other kind leaves the device as it is. When the transfer ends (the closing YMODEM
// header, XCP PROGRAM_RESET) the device boots its application again.
//
// A restart (into a bootloader or back) drops a BLE link, as a real restart does; the USB
// handle stays usable. Each bootloader keeps what it received, so tests compare bytes:
// the YMODEM file (name and bytes, cut to the size of its header) and the XCP memory.
//
// Instead of the built-in YMODEM receiver an external program can receive (for example
// `rb -b -y`): its standard input gets the host's bytes, its standard output goes back,
// through plain pipes. That works over USB.

#include "sim/SimXcpTarget.h"
#include "sim/SimYmodemReceiver.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <memory>

class QProcess;

/// The mode switch of the simulated device and its two bootloaders.
class SimBootloaders
{
public:
    enum class Mode
    {
        Application, ///< the configuration protocol
        Ymodem,      ///< the YMODEM receiver takes the link's bytes
        Xcp,         ///< the XCP target takes the link's packets
    };
    /// Bootloader kinds of the capability bytes.
    static constexpr int kKindYmodem = 2;
    static constexpr int kKindXcp = 3;

    SimBootloaders();
    ~SimBootloaders();
    SimBootloaders(const SimBootloaders &) = delete;
    SimBootloaders &operator=(const SimBootloaders &) = delete;

    Mode mode() const { return m_mode; }
    /// The controller whose bootloader runs (or ran last), 0 before any restart.
    quint8 controller() const { return m_controller; }
    /// Counts the restarts (into a bootloader and back): a BLE link drops when it changes.
    int generation() const { return m_generation; }
    /// Restarts of the controllers into their bootloaders, as (code, kind).
    const QList<QPair<quint8, int>> &restarts() const { return m_restarts; }

    /// A restart request for the controller with that code, whose bootloader is of kind.
    void restartInto(quint8 code, int kind);
    /// Boots the application again (the transfer ended).
    void leave();
    /// Called by leave() with the controller that boots its application again.
    void setOnLeave(std::function<void(quint8 controller)> onLeave) { m_onLeave = std::move(onLeave); }

    // --- YMODEM: the link's bytes ---------------------------------------------------------
    /// Bytes the host wrote on the device link. False when the application takes them (no
    /// bootloader runs, or the external receiver ended); a running bootloader takes them all.
    bool hostBytes(const QByteArray &bytes);
    /// Up to maxBytes from the receiver. Waits up to timeoutMs when it has nothing (a silent
    /// receiver, or an external one that answers later), as a device read would.
    QByteArray deviceBytes(int maxBytes, int timeoutMs);
    /// What the built-in receiver has to send now, without waiting (BLE notifications).
    QByteArray pendingDeviceBytes();
    /// What the built-in receiver sends when a while passed: what it has to send, or, while it
    /// waits for a transfer to start, 'C' again (it asks every second).
    QByteArray idleDeviceBytes();

    // --- XCP: packets -----------------------------------------------------------------------
    /// One packet from the host; false when no answer goes back.
    bool xcpPacket(const QByteArray &packet, QByteArray *answer);

    SimYmodemReceiver &ymodem() { return m_ymodem; }
    SimXcpTarget &xcp() { return m_xcp; }

    /// Lets an external program receive instead of the built-in receiver: command runs through
    /// /bin/sh in workDir when the device enters its YMODEM bootloader. Empty: built-in.
    void setYmodemPeer(const QString &command, const QString &workDir);
    /// What the external program wrote on its standard error (diagnostics).
    QByteArray peerErrors() const { return m_peerErrors; }
    /// Whether the external program exited with status 0.
    bool peerSucceeded() const { return m_peerSucceeded; }

private:
    void startPeer();
    void stopPeer();
    /// Leaves the bootloader when the transfer is over. hostWrites: the host is writing, so
    /// what the external receiver left unread no longer matters.
    void checkFinished(bool hostWrites = false);

    Mode m_mode = Mode::Application;
    quint8 m_controller = 0;
    int m_generation = 0;
    QList<QPair<quint8, int>> m_restarts;
    SimYmodemReceiver m_ymodem;
    SimXcpTarget m_xcp;
    std::function<void(quint8)> m_onLeave;
    QString m_peerCommand;
    QString m_peerDir;
    std::unique_ptr<QProcess> m_peer;
    QByteArray m_peerErrors;
    bool m_peerSucceeded = false;
};

#include "sim/SimBootloaders.h"

#include <QProcess>
#include <QThread>
#include <QtDebug>

#include <climits>

namespace {

/// How long the external receiver gets to end after its input closed.
constexpr int kPeerExitMs = 2000;
constexpr int kPeerStartMs = 5000;

} // namespace

SimBootloaders::SimBootloaders() = default;

SimBootloaders::~SimBootloaders()
{
    stopPeer();
}

void SimBootloaders::restartInto(quint8 code, int kind)
{
    m_restarts.append({code, kind});
    if (kind != kKindYmodem && kind != kKindXcp)
        return; // no bootloader this simulator knows: the controller carries on
    stopPeer();
    m_controller = code;
    ++m_generation;
    if (kind == kKindYmodem) {
        m_mode = Mode::Ymodem;
        if (m_peerCommand.isEmpty())
            m_ymodem.start();
        else
            startPeer();
    } else {
        m_mode = Mode::Xcp;
        m_xcp.reset();
    }
}

void SimBootloaders::leave()
{
    if (m_mode == Mode::Application)
        return;
    stopPeer();
    m_mode = Mode::Application;
    ++m_generation;
    if (m_onLeave)
        m_onLeave(m_controller);
}

void SimBootloaders::setYmodemPeer(const QString &command, const QString &workDir)
{
    m_peerCommand = command;
    m_peerDir = workDir;
}

void SimBootloaders::startPeer()
{
    m_peer = std::make_unique<QProcess>();
    m_peer->setWorkingDirectory(m_peerDir);
    m_peer->setProgram(QStringLiteral("/bin/sh"));
    m_peer->setArguments({QStringLiteral("-c"), m_peerCommand});
    m_peerErrors.clear();
    m_peerSucceeded = false;
    m_peer->start();
    if (!m_peer->waitForStarted(kPeerStartMs))
        qWarning() << "SimBootloaders: the YMODEM receiver" << m_peerCommand << "did not start";
}

void SimBootloaders::stopPeer()
{
    if (!m_peer)
        return;
    if (m_peer->state() != QProcess::NotRunning) {
        m_peer->closeWriteChannel();
        if (!m_peer->waitForFinished(kPeerExitMs)) {
            m_peer->kill();
            m_peer->waitForFinished(kPeerExitMs);
        }
    }
    m_peerErrors += m_peer->readAllStandardError();
    m_peerSucceeded = m_peer->exitStatus() == QProcess::NormalExit && m_peer->exitCode() == 0;
    m_peer.reset();
}

void SimBootloaders::checkFinished(bool hostWrites)
{
    if (m_mode != Mode::Ymodem)
        return;
    if (m_peer) {
        // The program ends after the closing header (or a cancel). What it said last reaches
        // the host first, unless the host writes again: it no longer listens then.
        if (m_peer->state() != QProcess::NotRunning)
            m_peer->waitForFinished(0);
        if (m_peer->state() == QProcess::NotRunning && (hostWrites || m_peer->bytesAvailable() == 0))
            leave();
        return;
    }
    // Once the last answer went out, the application boots.
    if (m_ymodem.finished() && !m_ymodem.hasOutput())
        leave();
}

bool SimBootloaders::hostBytes(const QByteArray &bytes)
{
    switch (m_mode) {
    case Mode::Application:
        return false;
    case Mode::Xcp:
        return true; // the XCP bootloader does not listen on this link
    case Mode::Ymodem:
        break;
    }
    if (m_peer) {
        checkFinished(true);
        if (m_mode != Mode::Ymodem)
            return false; // the program ended: the application takes the bytes
        m_peer->write(bytes);
        m_peer->waitForBytesWritten(kPeerExitMs);
        m_peerErrors += m_peer->readAllStandardError();
        return true;
    }
    m_ymodem.receive(bytes);
    return true;
}

QByteArray SimBootloaders::deviceBytes(int maxBytes, int timeoutMs)
{
    if (m_mode != Mode::Ymodem)
        return QByteArray();
    QByteArray out;
    if (m_peer) {
        if (m_peer->bytesAvailable() == 0 && m_peer->state() != QProcess::NotRunning)
            m_peer->waitForReadyRead(qMax(0, timeoutMs));
        out = m_peer->read(maxBytes);
        m_peerErrors += m_peer->readAllStandardError();
    } else {
        out = m_ymodem.take(maxBytes, true);
        if (out.isEmpty() && timeoutMs > 0)
            QThread::msleep(ulong(timeoutMs)); // nothing will come: the read times out
    }
    checkFinished(false);
    return out;
}

QByteArray SimBootloaders::pendingDeviceBytes()
{
    if (m_mode != Mode::Ymodem || m_peer)
        return QByteArray();
    const QByteArray out = m_ymodem.take(INT_MAX, false);
    checkFinished(false);
    return out;
}

QByteArray SimBootloaders::idleDeviceBytes()
{
    if (m_mode != Mode::Ymodem || m_peer)
        return QByteArray();
    const QByteArray out = m_ymodem.take(INT_MAX, true);
    checkFinished(false);
    return out;
}

bool SimBootloaders::xcpPacket(const QByteArray &packet, QByteArray *answer)
{
    if (m_mode != Mode::Xcp)
        return false;
    const bool answered = m_xcp.handle(packet, answer);
    if (m_xcp.resetRequested())
        leave();
    return answered;
}

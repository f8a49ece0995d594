#pragma once
// For the firmware update tests: the updater's waits short enough for the simulated device
// (it drops and takes back its link at once, so the flow need not sit out the waits a real
// device is given), and a recorder of what a transfer said.

#include "update/FirmwareUpdater.h"

#include <QList>
#include <QObject>
#include <QStringList>

/// Wait for the link to drop after the restart request, in milliseconds.
constexpr int kQuickRestartDisconnectMs = 1000;
/// Default wait for the link to drop after the update, in milliseconds.
constexpr int kQuickEndDisconnectMs = 200;
/// Pauses before the XCP session and before reconnecting, in milliseconds.
constexpr int kQuickPauseMs = 10;

/// The updater's waits shortened for the simulated device; endDisconnectMs is the wait for the
/// link to drop after the update.
inline FirmwareUpdater::Timing quickUpdaterTiming(int endDisconnectMs = kQuickEndDisconnectMs)
{
    FirmwareUpdater::Timing t;
    t.xcpDisconnectMs = kQuickRestartDisconnectMs;
    t.ymodemDisconnectMs = kQuickRestartDisconnectMs;
    t.afterDisconnectMs = kQuickPauseMs;
    t.endDisconnectMs = endDisconnectMs;
    t.deviceSettleMs = kQuickPauseMs;
    t.moduleSettleMs = kQuickPauseMs;
    return t;
}

/// Everything a transfer (YMODEM or XCP) said through its signals.
struct TransferRecorder
{
    QStringList messages;
    QList<int> progress;
    int done = 0;
    int aborted = 0;

    template <class Transfer> void attach(Transfer *u)
    {
        QObject::connect(u, &Transfer::printDialog, [this](const QString &t) { messages << t; });
        QObject::connect(u, &Transfer::updateProgressBar, [this](int v) { progress << v; });
        QObject::connect(u, &Transfer::updateDone, [this] { ++done; });
        QObject::connect(u, &Transfer::updateAbort, [this] { ++aborted; });
    }
    /// The messages from the connection to the bootloader on (after the settings and loading ones).
    QStringList fromConnecting() const
    {
        const int at = messages.indexOf(QStringLiteral("Connecting to target bootloader..."));
        return at < 0 ? QStringList() : messages.mid(at);
    }
};

#include "tools/DeviceTools.h"

#include "editors/OrvObject.h"
#include "gui/OpenWindow.h"
#include "tools/DlgChangeKeys.h"
#include "tools/DlgMakeFrames.h"
#include "tools/DlgUartTerm.h"
#include "tools/WdgUartTerm.h"

#include <QPointer>

namespace DeviceTools {

void exportFrames(OrvObject &device)
{
    const OrvParamList params = device.exportParams();
    QPointer<DlgMakeFrames> dialog =
        new DlgMakeFrames(&device, params, device.tables().paramNames, device.tables().bufferFlags,
                          device.defaultFramePayload());
    OpenWindow::exec(dialog);
    delete dialog.data();
}

void importFrames(OrvObject &device)
{
    QPointer<DlgMakeFrames> dialog =
        new DlgMakeFrames(&device, device.tables().paramNames, device.tables().bufferFlags);
    const int result = OpenWindow::exec(dialog);
    if (!dialog)
        return;
    const OrvFrameList frames = dialog->frames();
    delete dialog.data();
    if (result == QDialog::Accepted && !OpenWindow::closing(&device))
        device.importFrames(frames);
}

int openKeysDialog(OrvObject &device)
{
    // A new dialog each time, gone when it closes: no typed key outlives it, and no earlier
    // dialog still listens to cfgAppliedToDevice.
    QPointer<DlgChangeKeys> dialog = new DlgChangeKeys(&device);
    QObject::connect(dialog.data(), &DlgChangeKeys::writeNewKeys, &device, &OrvObject::updateLoRaWANKeys);
    QObject::connect(&device, &OrvObject::cfgAppliedToDevice, dialog.data(),
                     &DlgChangeKeys::writeSuccessSlot);
    dialog->setDevEui(device.identifier());
    const int result = OpenWindow::exec(dialog);
    delete dialog.data();
    return result;
}

void openKivTerminal(OrvObject &device)
{
    // The live readings would share the link with the terminal's polls: paused meanwhile, then
    // resumed at the page's own pace (500 ms when none ran).
    constexpr int kRefreshAfterTerminalMs = 500;
    const int refreshMs = device.updatesRunning() ? device.updateIntervalMs() : kRefreshAfterTerminalMs;
    device.stopUpdates();
    if (device.terminalAvailable()) {
        QPointer<DlgUartTerm> dialog = new DlgUartTerm(&device);
        dialog->terminal()->setLink(&device, Protocol::kCmdSerialWrite, Protocol::kCmdSerialRead);
        OpenWindow::exec(dialog);
        delete dialog.data();
    }
    if (OpenWindow::closing(&device))
        return; // the device went while the terminal was open: nothing to refresh
    device.startUpdates(refreshMs);
}

} // namespace DeviceTools

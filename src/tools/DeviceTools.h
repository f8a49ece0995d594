#pragma once
// The tools opened on a device object (Tools and File menus of the main window): the frames
// builder, the LoRaWAN keys dialog and the radio-module terminal. Their dialogs are children
// of the device object, and the USB poll keeps running while they are open: a device unplugged
// meanwhile closes its page and retires the object, which closes the dialogs and is deleted
// once their exec() has returned (see OpenWindow). After a dialog returns nothing more is shown
// or started for a retired object.

class OrvObject;

namespace DeviceTools {

/// The frames builder on a copy of the page's values (the device object keeps its own).
void exportFrames(OrvObject &device);
/// The frames builder in import mode; accepted frames go into the device's values.
void importFrames(OrvObject &device);
/// The LoRaWAN keys dialog; its keys go to the device's updateLoRaWANKeys. Returns the dialog's
/// result.
int openKeysDialog(OrvObject &device);
/// The radio-module terminal, with the live readings paused while it is open.
void openKivTerminal(OrvObject &device);

} // namespace DeviceTools

#include "cli/CliHelp.h"

#include "cli/Cli.h"

#include <QString>
#include <QTextStream>

namespace Cli {

const char *const kHelpText = R"(Commands:
  frames pack FILE.ocf [--max-payload N]
      Reads the configuration file as the program would load it and prints the
      parameters packed into radio frames: one frame per line, upper-case hex.
      N is 8..1024 (default: 51 for radio-module type 5, otherwise 8).
  frames qr FILE.ocf -o OUT.png [--max-payload N]
      Writes the QR Code image (PNG, 350x350) of all frames of the file: the
      text 'frames pack' prints, with CR LF between frames. Exit code 3 when
      the text does not fit into one QR Code.
  frames unpack [FILE|-]
      Reads frame text (one frame per line, hex; '-' or nothing: standard input),
      decodes and merges the frames and prints the parameters as a JSON array of
      {"param", "index", "isBuf", "data", "name"} objects. Invalid lines are
      reported on standard error.
  file info FILE.ocf
      Prints the identity and the writing program of a configuration file.

  device info
      Identifies the device: identity line, version word, buffer size.
  device read [-o FILE.ocf]
      Loads the device's configuration; writes it to FILE.ocf, or prints the
      parameters as JSON (as 'frames unpack' does) when no file is given.
  device apply FILE.ocf [--force] [--verify] [--record FILE.csv] [--keys-csv FILE]
      Writes a configuration file to the device and prints one line per parameter
      sent: "accepted" or "REFUSED" with its name and failure message. A file made
      for another radio-module type is refused unless --force is given.
      As a step of a roll-out (any of the three options), it ends with the line
      "Pelm-TYPE - successful|failed - DevEUI DIGITS[: REASON]":
      --verify         reads the configuration back and compares it
      --record FILE    appends the device's row to a provisioning record (CSV,
                       created with its header line when new)
      --keys-csv FILE  writes the device's own LoRaWAN keys from a key list (CSV
                       "DevEUI,AppEUI,AppKey"); a device not listed gets nothing
  device defaults
      Restores the device's factory defaults.
  device watch [--once]
      Watches the USB port and prints one line per event, as it happens:
        plugged IDENTITY   a device identified itself (its identity line)
        unknown VID:PID    a device that does not identify itself, or that is
                           not a supported device (hex ids, e.g. 04d8:0240)
        unplugged          that device is gone (reported within a second)
      Runs until interrupted (Ctrl+C or SIGTERM end it with exit code 0); with
      --once it exits after the first "unplugged". USB only.
  device keys --keys FILE|-
      Writes new LoRaWAN keys to the device. FILE ('-': standard input) holds
      the lines AppEUI=<16 hex digits> and AppKey=<32 hex digits>; keys are
      never given on the command line. Incomplete keys are not sent. Prints one
      line per key: "accepted" or "REFUSED" with its id and name, never the key.
  device update FILE [--target device|ble-module] [--seed-key LIB]
                     [--connect-timeout SECONDS]
      Updates the firmware of the device's main controller (default) or of its
      BLE radio module: reads the bootloader kinds, checks that FILE suits the
      bootloader (.sfb for "ST Ymodem", .srec for "BootQuor"), restarts the
      controller into its bootloader, sends the file (YMODEM over the device
      link, or XCP over BLE: the BLE module always needs --ble) and reconnects.
      The updater's messages and the progress go to standard error; Ctrl+C
      stops the update (the controller then stays in its bootloader).
      --seed-key LIB: seed-and-key library for bootloaders that ask for a key
      (default: the "SeedKeyLibrary" setting). --connect-timeout: how long to
      keep trying to reach the XCP bootloader (default 30 s).

  doctor
      Checks this machine: the USB HID devices of both device identities and
      whether this user may open each (with the fix when not), the Bluetooth
      adapter and its state ("none" without one), the translations found and
      the folders looked in, and the settings file. Exit code 4 when a device
      is plugged in but can't be opened.

  firmware info FILE.srec
      Loads an S-record file as the updater does and prints "segments N",
      "base 0x...", "size N", then one line per segment with its first and last
      address ("0xXXXXXXXX-0xXXXXXXXX"). Corrupt lines are counted on standard
      error.

  update-check [--url URL] [--product KEY]
      Asks the release service whether a newer release of this program exists
      and prints "up to date" or "update available: VERSION URL" (no URL when
      the answer has no http or https download address). A failed check prints
      "Network error N" or "JSON error" on standard error (exit code 4).
      Defaults from the settings: UpdateUrl, UpdateProduct, UpdateUserAgent,
      UpdateTimeoutMs (15000).

Device options:
  --ble ADDRESS     talk to the device over BLE instead of USB HID
  --simulate        talk to the simulated device instead of real hardware
  --sim-state FILE  keep the simulated device's parameters in FILE between runs
  --sim-fault SPEC  make the simulated device misbehave: unplugged, silent,
                    wrong-link-code, not-acknowledged, device-error:CODE,
                    truncated-load, corrupted-load, unplug-after:N (requests),
                    stores-other-value:ID (acknowledges writes but keeps
                    another value of ID; 0: the first parameter written);
                    '@load', '@write' or '@defaults' after it limits the
                    fault to that transaction (e.g. silent@write)
  --sim-refuse ID   make the simulated device refuse parameter ID (repeatable)
  --sim-schedule EVENTS
                    device watch: pull and plug the simulated device's cable
                    over time; EVENTS is a comma-separated list of unplug@MS
                    and plug@MS, in milliseconds after the start
                    (e.g. unplug@500,plug@1500; --sim-fault unplugged starts
                    with the cable pulled)
  --sim-ymodem SPEC (device update) the simulated YMODEM bootloader misbehaves:
                    comma list of silent, drop:N[xK] (answer to block N lost
                    K times), nak:N[xK], ack-first-eot
  --sim-ymodem-peer COMMAND
                    (device update) an external YMODEM receiver (e.g.
                    'rb -b -y') runs in the current folder instead
  --sim-xcp SPEC    (device update) the simulated XCP bootloader: comma list of
                    protected, motorola, require-encrypted, silent,
                    unknown:N (N CONNECTs refused as unknown), max-cto-pgm:N,
                    seed:HEX, drop:N (answer to packet N lost)
  --sim-image FILE  (device update) writes what the simulated bootloader
                    received: the YMODEM file's bytes, or the XCP memory as
                    S-records

Diagnostics:
  --verbose         (anywhere on the line) log every step on standard error: USB,
                    BLE, each request and answer as hex (LoRaWAN keys masked),
                    the device session; QT_LOGGING_RULES narrows it down (e.g.
                    QT_LOGGING_RULES="pelm.protocol.debug=false")

Boxes the program would show are printed on standard error; questions take
their default answer (Cancel/No) unless an option says otherwise.

Exit codes:
  0  success
  1  unknown command or bad arguments
  2  a file could not be read, written, or is not a configuration file
  3  some input was invalid (frame lines, a key file), some parameters could not
     be packed, or the device refused some parameters or keys
  4  no device, the device did not answer, or it is not a supported device;
     doctor: a device is plugged in but can't be opened;
     update-check: no answer from the release service, or not a release document
  5  the firmware update was refused, failed or was stopped
)";

int usage(QTextStream &err, const QString &why)
{
    err << "pelm-cli: " << why << "\n"
        << "Try 'pelm-cli --help'.\n";
    return Cli::kUsage;
}

} // namespace Cli

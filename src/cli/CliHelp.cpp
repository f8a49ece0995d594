#include "cli/CliHelp.h"

#include "cli/ExitCodes.h"

#include <QCoreApplication>
#include <QString>
#include <QTextStream>

namespace Cli {

/// The help after the usage line, one translatable entry per command, option or section: a
/// change to one command leaves the translations of the others as they are.
const char *const kHelpEntries[] = {
    QT_TRANSLATE_NOOP("CliHelp", "Commands:\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  frames pack FILE.ocf [--max-payload N]\n"
                      "      Reads the configuration file as the program would load it and prints the\n"
                      "      parameters packed into radio frames: one frame per line, upper-case hex.\n"
                      "      N is 8..1024 (default: 51 for radio-module type 5, otherwise 8).\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  frames qr FILE.ocf -o OUT.png [--max-payload N]\n"
                      "      Writes the QR Code image (PNG, 350x350) of all frames of the file: the\n"
                      "      text 'frames pack' prints, with CR LF between frames. Exit code 3 when\n"
                      "      the text does not fit into one QR Code.\n"),
    QT_TRANSLATE_NOOP(
        "CliHelp", "  frames unpack [FILE|-]\n"
                   "      Reads frame text (one frame per line, hex; '-' or nothing: standard input),\n"
                   "      decodes and merges the frames and prints the parameters as a JSON array of\n"
                   "      {\"param\", \"index\", \"isBuf\", \"data\", \"name\"} objects. Invalid lines are\n"
                   "      reported on standard error.\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  file info FILE.ocf\n"
                      "      Prints the identity and the writing program of a configuration file.\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  file diff A.ocf B.ocf\n"
                      "      One line per value that differs, \"NAME (ID): A → B\", in the units the\n"
                      "      device page shows. Exit code 0 when nothing differs, 1 when something does.\n"
                      "\n"),
    QT_TRANSLATE_NOOP("CliHelp", "  device info\n"
                                 "      Identifies the device: identity line, version word, buffer size.\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  device read [-o FILE.ocf]\n"
                      "      Loads the device's configuration; writes it to FILE.ocf, or prints the\n"
                      "      parameters as JSON (as 'frames unpack' does) when no file is given.\n"),
    QT_TRANSLATE_NOOP(
        "CliHelp", "  device apply FILE.ocf [--force] [--verify] [--record FILE.csv] [--keys-csv FILE]\n"
                   "      Writes a configuration file to the device and prints one line per parameter\n"
                   "      sent: \"accepted\" or \"REFUSED\" with its name and failure message. A file made\n"
                   "      for another radio-module type is refused unless --force is given.\n"
                   "      As a step of a roll-out (any of the three options), it ends with the line\n"
                   "      \"Pelm-TYPE - successful|failed - DevEUI DIGITS[: REASON]\":\n"
                   "      --verify         reads the configuration back and compares it\n"
                   "      --record FILE    appends the device's row to a provisioning record (CSV,\n"
                   "                       created with its header line when new)\n"
                   "      --keys-csv FILE  writes the device's own LoRaWAN keys from a key list (CSV\n"
                   "                       \"DevEUI,AppEUI,AppKey\"); a device not listed gets nothing\n"),
    QT_TRANSLATE_NOOP("CliHelp", "  device defaults\n"
                                 "      Restores the device's factory defaults.\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  device diff FILE.ocf\n"
                      "      What applying the file would change: one line per value, \"NAME (ID):\n"
                      "      DEVICE → FILE\". Exit code 0 when nothing differs, 1 when something does.\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  device backups\n"
                      "      Lists the backups of the device (newest first), each with what writing it\n"
                      "      back would change. device apply BACKUP.ocf restores one.\n"
                      "      apply and defaults save the device's configuration first (data folder,\n"
                      "      backups/DEVEUI/); when that fails nothing is written (exit code 2) unless\n"
                      "      --no-backup is given.\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  device watch [--once]\n"
                      "      Watches the USB port and prints one line per event, as it happens:\n"
                      "        plugged IDENTITY   a device identified itself (its identity line)\n"
                      "        unknown VID:PID    a device that does not identify itself, or that is\n"
                      "                           not a supported device (hex ids, e.g. 04d8:0240)\n"
                      "        unplugged          that device is gone (reported within a second)\n"
                      "      Runs until interrupted (Ctrl+C or SIGTERM end it with exit code 0); with\n"
                      "      --once it exits after the first \"unplugged\". USB only.\n"),
    QT_TRANSLATE_NOOP(
        "CliHelp", "  device keys --keys FILE|-\n"
                   "      Writes new LoRaWAN keys to the device. FILE ('-': standard input) holds\n"
                   "      the lines AppEUI=<16 hex digits> and AppKey=<32 hex digits>; keys are\n"
                   "      never given on the command line. Incomplete keys are not sent. Prints one\n"
                   "      line per key: \"accepted\" or \"REFUSED\" with its id and name, never the key.\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  device update FILE [--target device|ble-module] [--seed-key LIB]\n"
                      "                     [--connect-timeout SECONDS] [--resume]\n"
                      "      Updates the firmware of the device's main controller (default) or of its\n"
                      "      BLE radio module: reads the bootloader kinds, checks that FILE suits the\n"
                      "      bootloader (.sfb for \"ST Ymodem\", .srec for \"BootQuor\"), restarts the\n"
                      "      controller into its bootloader, sends the file (YMODEM over the device\n"
                      "      link, or XCP over BLE: the BLE module always needs --ble) and reconnects.\n"
                      "      The updater's messages and the progress go to standard error; Ctrl+C\n"
                      "      stops the update (the controller then stays in its bootloader).\n"
                      "      --seed-key LIB: seed-and-key library for bootloaders that ask for a key\n"
                      "      (default: the \"SeedKeyLibrary\" setting). --connect-timeout: how long to\n"
                      "      keep trying to reach the XCP bootloader (default 30 s).\n"
                      "      FILE is checked whole first: a corrupt S-record line, an S-record file\n"
                      "      without data or an empty .sfb is refused before the restart. A stopped\n"
                      "      update is finished by the same command: a controller that waits in its\n"
                      "      bootloader (YMODEM asking for a file, XCP answering CONNECT) gets FILE\n"
                      "      at once; --resume looks only for such a bootloader.\n"
                      "\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  doctor\n"
                      "      Checks this machine: the USB HID devices of both device identities and\n"
                      "      whether this user may open each (with the fix when not), the Bluetooth\n"
                      "      adapter and its state (\"none\" without one), the translations found and\n"
                      "      the folders looked in, and the settings file. Exit code 4 when a device\n"
                      "      is plugged in but can't be opened.\n"
                      "\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  firmware info FILE.srec\n"
                      "      Loads an S-record file as the updater does and prints \"segments N\",\n"
                      "      \"base 0x...\", \"size N\", then one line per segment with its first and last\n"
                      "      address (\"0xXXXXXXXX-0xXXXXXXXX\"). Corrupt lines are counted on standard\n"
                      "      error.\n"
                      "\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  update-check [--url URL] [--product KEY]\n"
                      "      Asks the release service whether a newer release of this program exists\n"
                      "      and prints \"up to date\" or \"update available: VERSION URL\" (no URL when\n"
                      "      the answer has no http or https download address). A failed check prints\n"
                      "      \"Network error N\" or \"JSON error\" on standard error (exit code 4).\n"
                      "      Defaults from the settings: UpdateUrl, UpdateProduct, UpdateUserAgent,\n"
                      "      UpdateTimeoutMs (15000).\n"
                      "\n"),
    QT_TRANSLATE_NOOP("CliHelp", "Device options:\n"),
    QT_TRANSLATE_NOOP("CliHelp", "  --ble ADDRESS     talk to the device over BLE instead of USB HID\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  --simulate        talk to the simulated device instead of real hardware\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  --sim-state FILE  keep the simulated device's parameters in FILE between runs\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  --sim-fault SPEC  make the simulated device misbehave: unplugged, silent,\n"
                      "                    wrong-link-code, not-acknowledged, device-error:CODE,\n"
                      "                    truncated-load, corrupted-load, unplug-after:N (requests),\n"
                      "                    stores-other-value:ID (acknowledges writes but keeps\n"
                      "                    another value of ID; 0: the first parameter written);\n"
                      "                    '@load', '@write' or '@defaults' after it limits the\n"
                      "                    fault to that transaction (e.g. silent@write)\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  --sim-refuse ID   make the simulated device refuse parameter ID (repeatable)\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  --sim-schedule EVENTS\n"
                      "                    device watch: pull and plug the simulated device's cable\n"
                      "                    over time; EVENTS is a comma-separated list of unplug@MS\n"
                      "                    and plug@MS, in milliseconds after the start\n"
                      "                    (e.g. unplug@500,plug@1500; --sim-fault unplugged starts\n"
                      "                    with the cable pulled)\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  --sim-ymodem SPEC (device update) the simulated YMODEM bootloader misbehaves:\n"
                      "                    comma list of silent, drop:N[xK] (answer to block N lost\n"
                      "                    K times), nak:N[xK], ack-first-eot, waiting (in its\n"
                      "                    bootloader from the start), restores-defaults (the new\n"
                      "                    firmware starts from the factory defaults)\n"),
    QT_TRANSLATE_NOOP("CliHelp", "  --sim-ymodem-peer COMMAND\n"
                                 "                    (device update) an external YMODEM receiver (e.g.\n"
                                 "                    'rb -b -y') runs in the current folder instead\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  --sim-xcp SPEC    (device update) the simulated XCP bootloader: comma list of\n"
                      "                    protected, motorola, require-encrypted, silent,\n"
                      "                    unknown:N (N CONNECTs refused as unknown), max-cto-pgm:N,\n"
                      "                    seed:HEX, drop:N (answer to packet N lost), waiting\n"
                      "                    (the --target controller in its bootloader from the start)\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  --sim-image FILE  (device update) writes what the simulated bootloader\n"
                      "                    received: the YMODEM file's bytes, or the XCP memory as\n"
                      "                    S-records\n"
                      "\n"),
    QT_TRANSLATE_NOOP("CliHelp", "Diagnostics:\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "  --verbose         (anywhere on the line) log every step on standard error: USB,\n"
                      "                    BLE, each request and answer as hex (LoRaWAN keys masked),\n"
                      "                    the device session; QT_LOGGING_RULES narrows it down (e.g.\n"
                      "                    QT_LOGGING_RULES=\"pelm.protocol.debug=false\")\n"
                      "\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "Boxes the program would show are printed on standard error; questions take\n"
                      "their default answer (Cancel/No) unless an option says otherwise.\n"
                      "\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "Language:\n"
                      "  Messages and this help are in French when the locale says so (LC_ALL,\n"
                      "  LC_MESSAGES or LANG set to fr_*, e.g. LANG=fr_FR.UTF-8). What scripts read\n"
                      "  stays in English: JSON, the \"accepted\"/\"REFUSED\" lines, the roll-out\n"
                      "  outcome line, \"up to date\", \"segments N\" and the other report lines.\n"
                      "\n"),
    QT_TRANSLATE_NOOP("CliHelp",
                      "Exit codes:\n"
                      "  0  success\n"
                      "  1  unknown command or bad arguments\n"
                      "  2  a file could not be read, written, or is not a configuration file\n"
                      "  3  some input was invalid (frame lines, a key file), some parameters could not\n"
                      "     be packed, or the device refused some parameters or keys\n"
                      "  4  no device, the device did not answer, or it is not a supported device;\n"
                      "     doctor: a device is plugged in but can't be opened;\n"
                      "     update-check: no answer from the release service, or not a release document\n"
                      "  5  the firmware update was refused, failed or was stopped\n"),
};

QString helpText()
{
    QString text;
    for (const char *entry : kHelpEntries)
        text += QCoreApplication::translate("CliHelp", entry);
    return text;
}

QString usageLine()
{
    return QCoreApplication::translate("CliHelp", "Usage: pelm-cli COMMAND [ARGUMENTS]");
}

int usage(QTextStream &err, const QString &why)
{
    err << "pelm-cli: " << why << "\n"
        << QCoreApplication::translate("CliHelp", "Try 'pelm-cli --help'.") << "\n";
    return Cli::kUsage;
}

} // namespace Cli

#pragma once
// pelm-cli device apply as a step of a roll-out: --verify reads the configuration back and
// compares it, --record FILE.csv appends the device's row to a provisioning record, and
// --keys-csv FILE writes the device's own LoRaWAN keys from a key list (by its DevEUI).

#include "device/rollout/Provisioning.h"
#include "device/rollout/ProvisioningRecord.h"

#include <QString>

class DeviceSession;
class QCommandLineParser;
class QTextStream;

namespace Cli {

class FleetApply
{
public:
    /// Declares --verify, --record and --keys-csv.
    static void addOptions(QCommandLineParser &p);

    /// Checks the options for command cmd and reads what they name before any device is
    /// touched: the key list, the record (which must be a record, or new). kOk, or the exit
    /// code with the reason on err (never quoting the key list).
    int prepare(const QCommandLineParser &p, const QString &cmd, QTextStream &err);
    /// Whether one of the options was given (device apply then runs through run()).
    bool isActive() const { return m_active; }

    /// Provisions the session's device with the file: prints the write's per-parameter lines
    /// and the outcome line, and appends the row to the record. The exit code.
    int run(DeviceSession &session, const QString &file, QTextStream &out, QTextStream &err);

private:
    bool m_active = false;
    Provisioning::Run m_run;
    ProvisioningRecord::Writer m_record;
};

} // namespace Cli

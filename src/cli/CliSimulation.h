#pragma once
// The simulated device of a --simulate run of pelm-cli: its options (faults, refused
// parameters, a cable schedule, a state file that keeps its parameters between runs) and its
// bootloaders for `device update`.

#include "sim/SimDevice.h"

#include <QList>
#include <QString>

class QCommandLineParser;
class QTextStream;

namespace Cli {

class Simulation
{
public:
    Simulation() = default;
    ~Simulation();
    Simulation(const Simulation &) = delete;
    Simulation &operator=(const Simulation &) = delete;

    /// Adds --simulate, --sim-state, --sim-fault, --sim-refuse and --sim-schedule.
    static void addOptions(QCommandLineParser &p);
    /// Whether any of the --sim-* options named (without dashes) is set.
    static bool anySet(const QCommandLineParser &p, const QStringList &names);
    /// The --sim-* options of addOptions (without dashes).
    static QStringList optionNames();

    /// Sets the device up from the options and plugs it in (USB and BLE); false (message on
    /// err) for a bad option.
    bool setUp(const QCommandLineParser &p, QTextStream &err);
    /// Plugs or unplugs the device as the schedule says for elapsedMs after the start.
    void followSchedule(qint64 elapsedMs);
    /// Writes the device's parameters back to the state file, if one was given.
    bool saveState(QTextStream &err);

    SimDevice &device() { return m_device; }

private:
    bool loadState(QTextStream &err);
    bool setFault(const QString &spec, QTextStream &err);
    bool setSchedule(const QString &spec, QTextStream &err);

    /// One scheduled move of the simulated cable.
    struct CableEvent
    {
        qint64 atMs;
        bool plugged;
    };

    SimDevice m_device;
    QString m_statePath;
    QList<CableEvent> m_schedule;
    bool m_installed = false;
};

/// Sets the simulated bootloaders up from the --sim-ymodem, --sim-ymodem-peer and --sim-xcp
/// options; false (message on err) for a bad item.
bool setUpSimBootloaders(const QCommandLineParser &p, SimDevice &device, QTextStream &err);
/// Writes what the simulated bootloader received (--sim-image): the YMODEM file as it came,
/// an XCP image as S-records.
bool writeSimImage(SimDevice &device, const QString &path, QTextStream &err);

} // namespace Cli

#pragma once
// Provisioning one device of a roll-out: the configuration file written, optionally read back
// and compared, optionally the device's own LoRaWAN keys from a key list, and the outcome as a
// result with its reason and as a row of the provisioning record. The auto configuration page
// and pelm-cli device apply share it.
//
// The keys are secrets: no reason, row or log line made here holds one.

#include "device/session/DeviceSession.h"
#include "device/rollout/KeyList.h"
#include "device/rollout/ProvisioningRecord.h"

#include <QCoreApplication>
#include <QSet>
#include <QVector>

namespace Provisioning {

/// A parameter written whose value read back from the device differs.
struct Mismatch
{
    quint8 id = 0;
    bool missing = false; ///< the device did not report the parameter at all
    bool operator==(const Mismatch &o) const { return id == o.id && missing == o.missing; }
};

/// Compares what was written with the configuration read back: every parameter written (not
/// the padding id 0, the action id or a key) must come back with the same bytes, the chunks of
/// a buffer parameter joined by their index. One entry per differing id, in ascending id order.
QVector<Mismatch> compare(const OrvParamList &written, const OrvParamList &readBack,
                          const ParamTables &tables);

/// "Tempreature threshold (22): Bad threshold configuration" (the device's message for the
/// parameter; "not reported by the device" for a missing one).
QString describe(const Mismatch &m, const ParamTables &tables);

/// How one device ended.
struct Outcome
{
    /// Where it stopped.
    enum Step
    {
        Done,     ///< every step passed
        KeyList,  ///< no keys listed for the device: nothing was sent
        File,     ///< the configuration file was refused or unreadable: nothing was sent
        Invalid,  ///< the file holds values the device can't take: nothing was sent
        Write,    ///< the device gave no valid answer to the write
        Refused,  ///< the device refused parameters
        ReadBack, ///< the configuration could not be read back
        Mismatch, ///< the configuration read back differs
        Keys,     ///< the keys were not taken
    };
    Step step = Done;
    bool successful = false;
    /// Why it failed; for a successful device a note or empty.
    QString reason;
    /// The DevEUI was already provisioned successfully earlier in this run.
    bool repeated = false;
    /// The configuration was sent to the device (its file was accepted).
    bool written = false;
    /// The step failed because the device gave no valid answer (gone, silent, garbled), not
    /// because it refused something.
    bool noAnswer = false;
    /// What the write changed on the device (compared before writing).
    ConfigDiff::Rows changes;
    /// SHA-256 of the configuration file as it was read for this device.
    QString configSha256;
};

/// A roll-out: one configuration file for a series of devices.
class Run
{
    Q_DECLARE_TR_FUNCTIONS(Provisioning)

public:
    /// The configuration file (its name and SHA-256, taken for each device, go into the rows).
    void setConfigFile(const QString &path);
    QString configFile() const { return m_configPath; }
    /// Read the configuration back after writing and compare it.
    void setVerify(bool verify) { m_verify = verify; }
    bool verify() const { return m_verify; }
    /// The key list; an empty list writes no keys.
    void setKeyList(const KeyList &keys) { m_keys = keys; }
    const KeyList &keyList() const { return m_keys; }

    /// Provisions the session's device: checks that the key list (if any) holds its DevEUI,
    /// reads the configuration file into the session, writes it, reads it back and compares
    /// (when verifying), writes the keys (when listed). Stops at the first failure: nothing is
    /// written to a device without keys in the list or whose file was refused. The session's
    /// boxes and questions go where they always go; their texts also make the reason.
    Outcome provision(DeviceSession &session);

    /// The record row of an outcome for the session's device, at time now (UTC).
    ProvisioningRecord::Row row(const DeviceSession &session, const Outcome &outcome) const;

    /// DevEUIs provisioned successfully in this run.
    const QSet<QByteArray> &provisioned() const { return m_provisioned; }
    /// Marks DevEUIs as already provisioned (e.g. the successful rows of an existing record).
    void addProvisioned(const QByteArray &devEui) { m_provisioned.insert(devEui); }

private:
    Outcome run(DeviceSession &session);

    QString m_configPath;
    bool m_verify = false;
    KeyList m_keys;
    QSet<QByteArray> m_provisioned;
};

/// The DevEUI as 16 upper-case hexadecimal digits (empty for none).
QString devEuiText(const QByteArray &devEui);

} // namespace Provisioning

#pragma once
// The configuration model of the thermocouple family, without widgets: which parameter ids are
// configuration parameters (shown by the page, or kept and carried in files), which are secrets
// (the LoRaWAN keys) or the action id, the size and range of each value, and the family's
// factory values. Every writer (the page's Apply, the roll-out, pelm-cli, files, frames) passes
// its records through it, so the same file writes the same bytes on every path and nothing the
// model refuses reaches a device, a file or an output.

#include "device/family/FamilyParams.h"
#include "device/model/OrvParam.h"

#include <QStringList>
#include <QVector>

namespace FamilyModel {

/// What an id is to the family.
enum class Role
{
    Shown,   ///< a configuration parameter the page edits
    Kept,    ///< a configuration parameter without an editor: carried in files, written when changed
    Secret,  ///< a LoRaWAN key: written only by the keys flow, never read out, saved or printed
    Action,  ///< the action id of the command protocol: never a configuration value
    Unknown, ///< no parameter of the family (the padding id 0 included)
};

/// The role of id on a device with radio-module type kivType (id 5 exists for modules 13 and 14).
Role role(quint8 id, int kivType);
/// Whether id is a secret (a LoRaWAN key) on every device of the family: its value is masked
/// wherever bytes are shown.
bool isSecret(quint8 id);
/// Shown or kept: an id that may travel in files, frames and outputs.
bool isConfigParam(quint8 id, int kivType);

/// One record left out of a list because its id is not a configuration parameter.
struct LeftOut
{
    quint8 id = 0;
    Role role = Role::Unknown;
    /// "parameter 1 is not a configuration parameter and was left out" and the like.
    QString text() const;
};

/// Removes from list every record whose id is not a configuration parameter (action id, keys,
/// unknown ids, the padding id 0). One entry per id removed, in the order first met.
QVector<LeftOut> leaveOut(OrvParamList &list, int kivType);
/// The texts of left, joined for one line ("; ").
QString leftOutText(const QVector<LeftOut> &left);

/// Why a configuration record can't be written.
struct Refusal
{
    enum Kind
    {
        NotConfig,  ///< action id, key or unknown id
        WrongSize,  ///< the value has a size the parameter never has
        OutOfRange, ///< a field of the value is outside what the device takes
    };
    quint8 id = 0;
    Kind kind = NotConfig;
    /// "Current coefficient (29): 1200 is out of range (900 to 1100)" and the like.
    QString text;
};

/// The records of a file (or a page) checked for writing: one whole record per id (the chunks
/// of a buffer parameter joined at index 0, a later record of an id replacing an earlier one),
/// in the order the ids first appear, and one refusal per id that can't be written.
struct Checked
{
    OrvParamList accepted;
    QVector<Refusal> refused;
    bool ok() const { return refused.isEmpty(); }
    /// The refusals' texts, joined for one line ("; ").
    QString refusedText() const;
};
Checked check(const OrvParamList &records, int kivType);

/// Why value can't be the value of configuration parameter id (empty when it can).
QString refusal(quint8 id, const QByteArray &value, int kivType);

/// One whole record per id of list (see Checked), without any check.
OrvParamList wholeRecords(const OrvParamList &list);

/// The family's factory values of the parameters the page shows (what a device holds after its
/// defaults are restored): thresholds off, calibration neutral.
OrvParamList factoryValues(int kivType);

} // namespace FamilyModel

#pragma once
// What a write would change: the configuration a device holds (or a first file) against the
// configuration to be written (or a second file), one row per value that differs, worded in
// the units and entries the device page shows ("Tempreature threshold high: 50.0 °C → 85.5 °C").
// Built from the family's model only, so the page's compare dialog, the roll-out's log and
// pelm-cli print the same rows. Keys never take part: only configuration parameters are
// compared.

#include "common/Reporter.h"
#include "device/model/OrvParam.h"

#include <QCoreApplication>
#include <QMap>
#include <QVector>

namespace ConfigDiff {

/// One value that differs. A threshold or the data logging record gives one row per field
/// that differs ("high", "statement period"...); any other parameter one row.
struct Row
{
    quint8 id = 0;
    QString name;   ///< the parameter's name, with the field when the value has several
    QString before; ///< the device's (or the first file's) value as the page shows it
    QString after;  ///< the new (or the second file's) value
    /// "NAME: BEFORE → AFTER".
    QString text() const;
    /// "NAME (ID): BEFORE → AFTER" (pelm-cli).
    QString line() const;
    bool operator==(const Row &o) const
    {
        return id == o.id && name == o.name && before == o.before && after == o.after;
    }
};
using Rows = QVector<Row>;

/// Whole configuration values by id (the chunks of a buffer joined), configuration parameters
/// of a device with radio-module type kivType only.
QMap<quint8, QByteArray> values(const OrvParamList &records, int kivType);

/// Which ids are compared.
enum class Scope
{
    Written, ///< the ids of `after` only: what a write of after changes on the device
    Both,    ///< every id of either side (two files); a side without it shows "(none)"
};

/// The rows of the values that differ, in ascending id order.
Rows compare(const QMap<quint8, QByteArray> &before, const QMap<quint8, QByteArray> &after, int kivType,
             Scope scope = Scope::Written);

/// The rows' texts joined for one line ("; "), e.g. for a roll-out's log.
QString summary(const Rows &rows);

/// "No parameter differs." and the like for an empty comparison.
QString nothingDiffersText();

/// The question before a write: the rows, Write (the Ok button) or Cancel.
Reporter::Box confirmBox(const Rows &rows, QObject *parent);

/// The "Ask before writing" setting (on unless turned off): whether the page shows what a
/// write changes and waits for Write. A provisioning station turns it off.
bool askBeforeWriting();
void setAskBeforeWriting(bool ask);

} // namespace ConfigDiff

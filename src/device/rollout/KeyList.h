#pragma once
// The key list of a roll-out: the LoRaWAN keys of each device, by DevEUI, as CSV with one
// header line "DevEUI,AppEUI,AppKey" and one line per device (16, 16 and 32 hexadecimal digits,
// either case). Empty lines are skipped.
//
// The keys are secrets: no text made here quotes a key or any part of a line of the list (a
// reason names the line number and the column, never the text).

#include "device/session/LoRaWanKeys.h"

#include <QByteArray>
#include <QHash>
#include <QString>

class KeyList
{
public:
    static constexpr int kDevEuiBytes = 8;
    /// Largest key list read (a line takes about 70 bytes: more than 100 000 devices).
    static constexpr int kMaxFileBytes = 8 * 1024 * 1024;

    /// The header line's fields, in order.
    static QStringList header();

    /// Reads a key list. False (the list left as it was) with the reason in *error when the
    /// text is not a key list: another header, a line without exactly three fields, a field that
    /// is not the right number of hexadecimal digits, a DevEUI given twice.
    bool parse(const QByteArray &text, QString *error);
    /// Reads a key list file (at most kMaxFileBytes). False with the reason in *error.
    bool load(const QString &path, QString *error);

    /// Whether the list holds keys for the DevEUI (8 bytes).
    bool contains(const QByteArray &devEui) const { return m_keys.contains(devEui); }
    /// The keys of the DevEUI (empty keys when it is not listed).
    LoRaWanKeys::Keys keys(const QByteArray &devEui) const { return m_keys.value(devEui); }
    int size() const { return m_keys.size(); }
    bool isEmpty() const { return m_keys.isEmpty(); }

private:
    QHash<QByteArray, LoRaWanKeys::Keys> m_keys;
};

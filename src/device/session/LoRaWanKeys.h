#pragma once
// The LoRaWAN join keys of a device: the AppEUI (8 bytes) and the AppKey (16 bytes), written as
// the buffer parameters 6 and 7. Both the keys dialog and the command line check typed keys
// and write them here.
//
// The keys are secrets: nothing here logs, stores or prints them, and no text made here
// quotes a key or any part of one (not even a malformed line of a key file).

#include "device/family/FamilyParams.h"

#include <QByteArray>
#include <QString>
#include <QVector>

class DeviceSession;

namespace LoRaWanKeys {

constexpr quint8 kAppEuiParamId = FamilyParams::ParamAppEui;
constexpr quint8 kAppKeyParamId = FamilyParams::ParamAppKey;
constexpr int kAppEuiBytes = 8;
constexpr int kAppKeyBytes = 16;
/// Answer timeout of the key write, for each read of the answer.
constexpr int kWriteTimeoutMs = 5000;

/// Whether id is one of the key parameters, whose values must never be shown or logged.
bool isKeyParam(quint8 id);
/// "AppEUI" or "AppKey"; empty for another id.
QString keyName(quint8 id);
/// Key length in bytes of a key parameter; 0 for another id.
int keyBytes(quint8 id);

/// Decodes a key typed as hexadecimal digits (either case): exactly two digits per key byte
/// and nothing else. Empty when the text is anything else (too short, too long, other characters).
QByteArray decodeKey(const QString &text, quint8 id);
/// Why typed text can't be used as that key ("The AppEUI must have 16 hexadecimal digits."),
/// empty when it can.
QString entryProblem(quint8 id, const QString &text);
/// The same reason for key bytes of the wrong length; empty when the length is right.
QString lengthProblem(quint8 id, const QByteArray &key);

/// Both keys, as bytes.
struct Keys
{
    QByteArray appEui;
    QByteArray appKey;
};

/// Reads keys given as text lines "AppEUI=<16 hex digits>" and "AppKey=<32 hex digits>" (names
/// in any case, blanks around names and values allowed; empty lines and lines beginning with
/// '#' are skipped). Both keys must be there, once each, complete. On failure returns false
/// and sets *error to the reason (with a line number, never with the line's text).
bool parseKeyText(const QByteArray &text, Keys *keys, QString *error);

/// The outcome of one key of a write.
struct KeyResult
{
    quint8 id = 0;
    bool refused = false;
    bool operator==(const KeyResult &o) const { return id == o.id && refused == o.refused; }
};

/// The outcome of a key write.
struct WriteResult
{
    enum Outcome
    {
        Accepted, ///< the device took both keys
        Refused,  ///< the device answered and refused at least one key (see keys)
        NoAnswer, ///< no valid answer (offline, busy, silent, not acknowledged, error code)
        Invalid,  ///< a key of the wrong length: nothing was sent
    };
    Outcome outcome = NoAnswer;
    /// One entry per key the device answered for (AppEUI first); empty unless it answered.
    QVector<KeyResult> keys;
};

/// The failure message of a refused key ("Can't set AppEUI").
QString refusalText(quint8 id);

/// Writes the keys to the session's device: empties its parameter list, puts in the buffer
/// records 6 (AppEUI) and 7 (AppKey), both at index 0, and applies them with a 5000 ms
/// timeout. The apply reports the outcome as for any configuration (status message, the
/// "Apply configuration failed" box naming a refused key with its message). Keys of the wrong
/// length are not sent: a warning box says why and the outcome is Invalid.
WriteResult write(DeviceSession &session, const QByteArray &appEui, const QByteArray &appKey);

} // namespace LoRaWanKeys

#include "device/session/LoRaWanKeys.h"

#include "device/session/DeviceSession.h"

#include <QCoreApplication>
#include <QList>
#include <QStringList>

namespace LoRaWanKeys {

namespace {

const char *const kContext = "LoRaWanKeys";

QString tr(const char *text)
{
    return QCoreApplication::translate(kContext, text);
}

bool isHexDigit(QChar c)
{
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

/// The names of the keys in a key text, as written there (compared in any case).
const QLatin1String kAppEuiName("AppEUI");
const QLatin1String kAppKeyName("AppKey");

/// Names and messages for the two keys while they are applied, so the apply report names a
/// refused key instead of calling it an unknown parameter. The session's tables are restored
/// afterwards: the keys are never part of the family's parameters (a file or a frame export
/// must never carry them).
class KeyNamesInTables
{
public:
    explicit KeyNamesInTables(DeviceSession &session) : m_session(session), m_saved(session.tables())
    {
        for (const quint8 id : {kAppEuiParamId, kAppKeyParamId})
            m_session.registerParam(id, keyName(id), refusalText(id), true);
    }
    ~KeyNamesInTables() { m_session.tables() = m_saved; }
    KeyNamesInTables(const KeyNamesInTables &) = delete;
    KeyNamesInTables &operator=(const KeyNamesInTables &) = delete;

private:
    DeviceSession &m_session;
    const ParamTables m_saved;
};

/// "The AppEUI must have 16 hexadecimal digits."
QString digitsText(quint8 id)
{
    //: %1 is the key's name (AppEUI or AppKey), %2 its number of digits
    return tr("The %1 must have %2 hexadecimal digits.").arg(keyName(id)).arg(2 * keyBytes(id));
}

} // namespace

bool isKeyParam(quint8 id)
{
    return id == kAppEuiParamId || id == kAppKeyParamId;
}

QString keyName(quint8 id)
{
    if (id == kAppEuiParamId)
        return kAppEuiName;
    if (id == kAppKeyParamId)
        return kAppKeyName;
    return QString();
}

int keyBytes(quint8 id)
{
    if (id == kAppEuiParamId)
        return kAppEuiBytes;
    if (id == kAppKeyParamId)
        return kAppKeyBytes;
    return 0;
}

QByteArray decodeKey(const QString &text, quint8 id)
{
    const int bytes = keyBytes(id);
    if (bytes == 0 || text.size() != 2 * bytes)
        return QByteArray();
    for (const QChar c : text) {
        if (!isHexDigit(c))
            return QByteArray();
    }
    return QByteArray::fromHex(text.toLatin1());
}

QString entryProblem(quint8 id, const QString &text)
{
    return decodeKey(text, id).isEmpty() ? digitsText(id) : QString();
}

QString lengthProblem(quint8 id, const QByteArray &key)
{
    return key.size() == keyBytes(id) ? QString() : digitsText(id);
}

bool parseKeyText(const QByteArray &text, Keys *keys, QString *error)
{
    Keys found;
    bool haveEui = false;
    bool haveKey = false;
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };

    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNumber = i + 1;
        const QString line = QString::fromUtf8(lines.at(i)).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? QString() : line.left(eq).trimmed();
        quint8 id = 0;
        if (name.compare(kAppEuiName, Qt::CaseInsensitive) == 0)
            id = kAppEuiParamId;
        else if (name.compare(kAppKeyName, Qt::CaseInsensitive) == 0)
            id = kAppKeyParamId;
        else
            return fail(tr("Line %1 is neither \"AppEUI=...\" nor \"AppKey=...\".").arg(lineNumber));

        bool &seen = id == kAppEuiParamId ? haveEui : haveKey;
        if (seen)
            return fail(tr("The %1 is given more than once (line %2).").arg(keyName(id)).arg(lineNumber));
        seen = true;
        const QByteArray key = decodeKey(line.mid(eq + 1).trimmed(), id);
        if (key.isEmpty())
            return fail(tr("Line %1: %2").arg(lineNumber).arg(digitsText(id)));
        (id == kAppEuiParamId ? found.appEui : found.appKey) = key;
    }
    if (!haveEui)
        return fail(tr("The %1 is missing.").arg(keyName(kAppEuiParamId)));
    if (!haveKey)
        return fail(tr("The %1 is missing.").arg(keyName(kAppKeyParamId)));
    if (keys)
        *keys = found;
    return true;
}

QString refusalText(quint8 id)
{
    //: %1 is the key's name (AppEUI or AppKey)
    return tr("Can't set %1").arg(keyName(id));
}

WriteResult write(DeviceSession &session, const QByteArray &appEui, const QByteArray &appKey)
{
    WriteResult result;
    session.beginOutcome();
    QStringList problems;
    for (const QString &p : {lengthProblem(kAppEuiParamId, appEui), lengthProblem(kAppKeyParamId, appKey)}) {
        if (!p.isEmpty())
            problems << p;
    }
    if (!problems.isEmpty()) {
        // A short key would be taken by the device as it is, and a device with a short AppEUI
        // or AppKey can never join its network.
        Outcome told;
        told.warning(tr("Change LoRaWAN keys"), problems.join(QLatin1Char('\n')));
        session.report(told);
        result.outcome = WriteResult::Invalid;
        return result;
    }

    session.clearParams();
    session.addParam(OrvParam(kAppEuiParamId, appEui, 0));
    session.addParam(OrvParam(kAppKeyParamId, appKey, 0));
    ApplyResults applied;
    {
        KeyNamesInTables names(session);
        session.apply(applied, kWriteTimeoutMs);
    }
    // The list held the keys; a failed write may leave parts of them there.
    session.clearParams();

    if (applied.isEmpty()) {
        result.outcome = WriteResult::NoAnswer;
        return result;
    }
    // A key sent in several chunks has one entry per chunk: it is taken only when every chunk
    // is (and a key that could not be sent at all was not taken either).
    result.outcome = WriteResult::Accepted;
    for (const quint8 id : {kAppEuiParamId, kAppKeyParamId}) {
        bool sent = false;
        bool refused = false;
        for (const ApplyResult &r : applied) {
            if (r.id == id) {
                sent = true;
                refused = refused || r.refused;
            }
        }
        result.keys.append(KeyResult{id, refused || !sent});
        if (result.keys.last().refused)
            result.outcome = WriteResult::Refused;
    }
    return result;
}

} // namespace LoRaWanKeys

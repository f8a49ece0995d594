#pragma once
// One parameter of a device's configuration: id, value bytes, and for a piece of a
// long (buffer) value the position of that piece.

#include <QByteArray>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QVector>

class OrvParam
{
public:
    OrvParam() = default;
    /// Ordinary record with that value; index 0.
    OrvParam(quint8 id, const QByteArray &value);
    /// Buffer record: the buffer flag set, value bytes starting at index of the whole value.
    OrvParam(quint8 id, const QByteArray &value, quint8 index);
    /// Ordinary record with a 1-byte value.
    OrvParam(quint8 id, quint8 value);
    /// Ordinary record with a 2-byte value, low byte first.
    OrvParam(quint8 id, quint16 value);
    /// Ordinary record with a copy of count bytes (0..255).
    OrvParam(quint8 id, const char *bytes, quint8 count);
    OrvParam(const OrvParam &) = default;
    OrvParam &operator=(const OrvParam &) = default;
    virtual ~OrvParam() = default;

    quint8 id() const { return m_id; }
    QByteArray &data() { return m_value; }
    const QByteArray &data() const { return m_value; }
    quint8 index() const { return m_index; }
    bool isBuf() const { return m_isBuf; }
    int size() const { return m_value.size(); }

    /// value[0] of an ordinary 1-byte record, else 0.
    quint8 toUInt8() const;
    /// value[0] + 256 * value[1] of an ordinary 2-byte record, else 0.
    quint16 toUInt16() const;
    /// The same two bytes as a signed number, else 0.
    qint16 toInt16() const;

    /// On an ordinary record: the first value byte becomes the index and the record a buffer record.
    void takeIndex();
    /// On a buffer record holding at least n bytes: removes and returns the first n bytes and
    /// advances the index by n (modulo 256); otherwise returns nothing and changes nothing.
    QByteArray takeChunk(int n);

    bool operator==(const OrvParam &o) const
    {
        return m_id == o.m_id && m_value == o.m_value && m_index == o.m_index && m_isBuf == o.m_isBuf;
    }
    bool operator!=(const OrvParam &o) const { return !(*this == o); }

private:
    quint8 m_id = 0;
    QByteArray m_value;
    quint8 m_index = 0;
    bool m_isBuf = false;
};

/// An ordered parameter list: the order is the sending order.
using OrvParamList = QVector<OrvParam>;

Q_DECLARE_METATYPE(OrvParam)

/// The three lookup tables a device family registers for its parameters.
struct ParamTables
{
    QMap<quint8, QString> paramNames;  ///< id -> display name
    QMap<quint8, QString> paramErrors; ///< id -> failure message
    QMap<quint8, bool> bufferFlags;    ///< id -> buffer parameter

    /// Sets the three entries of id, replacing earlier ones.
    void registerParam(quint8 id, const QString &name, const QString &error, bool isBuf);
    /// Display name of id, empty when none is registered (looking up does not insert).
    QString name(quint8 id) const { return paramNames.value(id); }
    QString error(quint8 id) const { return paramErrors.value(id); }
    bool isBuffer(quint8 id) const { return bufferFlags.value(id, false); }
    bool isKnown(quint8 id) const { return paramNames.contains(id); }
};

/// Appends an ordinary record unless the value is empty (a device page's "addParam").
void addParam(OrvParamList &list, quint8 id, const QByteArray &value);

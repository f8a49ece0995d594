#include "device/model/OrvParam.h"

#include "common/Bytes.h"

OrvParam::OrvParam(quint8 id, const QByteArray &value) : m_id(id), m_value(value) {}

OrvParam::OrvParam(quint8 id, const QByteArray &value, quint8 index)
    : m_id(id), m_value(value), m_index(index), m_isBuf(true)
{
}

OrvParam::OrvParam(quint8 id, quint8 value) : m_id(id), m_value(1, char(value)) {}

OrvParam::OrvParam(quint8 id, quint16 value) : m_id(id)
{
    Bytes::appendLe16(m_value, value);
}

OrvParam::OrvParam(quint8 id, const char *bytes, quint8 count)
    : m_id(id), m_value(bytes ? QByteArray(bytes, count) : QByteArray())
{
}

quint8 OrvParam::toUInt8() const
{
    return (!m_isBuf && m_value.size() == 1) ? quint8(m_value[0]) : 0;
}

quint16 OrvParam::toUInt16() const
{
    if (m_isBuf || m_value.size() != 2)
        return 0;
    return Bytes::le16(m_value, 0);
}

qint16 OrvParam::toInt16() const
{
    return qint16(toUInt16());
}

void OrvParam::takeIndex()
{
    if (m_isBuf || m_value.isEmpty())
        return;
    m_index = quint8(m_value[0]);
    m_value.remove(0, 1);
    m_isBuf = true;
}

QByteArray OrvParam::takeChunk(int n)
{
    if (!m_isBuf || n < 0 || m_value.size() < n)
        return QByteArray();
    const QByteArray chunk = m_value.left(n);
    m_value.remove(0, n);
    m_index = quint8(m_index + n);
    return chunk;
}

void ParamTables::registerParam(quint8 id, const QString &name, const QString &error, bool isBuf)
{
    paramNames[id] = name;
    paramErrors[id] = error;
    bufferFlags[id] = isBuf;
}

void addParam(OrvParamList &list, quint8 id, const QByteArray &value)
{
    if (!value.isEmpty())
        list.append(OrvParam(id, value));
}

#include "frames/OrvFrame.h"

#include "common/Hex.h"

#include <QCoreApplication>

namespace {

/// Length codes of an element header (bits 7..6).
enum LengthCode : quint8
{
    kLen1 = 0,        ///< 1 value byte
    kLen2 = 1,        ///< 2 value bytes
    kLen4 = 2,        ///< 4 value bytes
    kLenExplicit = 3, ///< the byte after the header holds the length
};

constexpr quint8 kIdMask = 0x3F;
constexpr int kLengthShift = 6;
/// Header, index byte and at least one chunk byte.
constexpr qint64 kMinBufferRoom = 3;
/// With 5 bytes of room a 4-byte value (index + 3 chunk bytes) still fits the one-byte header.
constexpr qint64 kShortHeaderRoom = 5;
constexpr int kShortHeaderChunk = 3;

/// Header bytes (one or two) for a value of length len.
QByteArray headerFor(quint8 id, int len)
{
    const quint8 idBits = id & kIdMask;
    QByteArray header;
    switch (len) {
    case 1:
        header.append(char((kLen1 << kLengthShift) | idBits));
        break;
    case 2:
        header.append(char((kLen2 << kLengthShift) | idBits));
        break;
    case 4:
        header.append(char((kLen4 << kLengthShift) | idBits));
        break;
    default:
        header.append(char((kLenExplicit << kLengthShift) | idBits));
        header.append(char(quint8(len)));
        break;
    }
    return header;
}

int headerLength(int len)
{
    return (len == 1 || len == 2 || len == 4) ? 1 : 2;
}

/// Whether a record can ever be packed into an empty frame of maxPayload bytes.
bool packable(const OrvParam &p, int maxPayload)
{
    if (p.data().isEmpty())
        return false;
    if (p.isBuf()) {
        // Chunk positions are one byte: every byte must sit at a position 0..255.
        return int(p.index()) + p.size() <= 256;
    }
    return p.size() <= OrvFrame::kMaxValue && headerLength(p.size()) + p.size() <= maxPayload;
}

} // namespace

QString OrvFrame::toHexString() const
{
    return Hex::upper(m_data);
}

int OrvFrame::appendParam(OrvParam &param)
{
    const qint64 used = m_data.size();
    const qint64 maxSize = m_maxSize;

    if (!param.isBuf()) {
        const int len = param.size();
        if (len == 0 || len > kMaxValue)
            return 0;
        if (used + headerLength(len) + len > maxSize)
            return 0;
        m_data.append(headerFor(param.id(), len));
        m_data.append(param.data());
        return len;
    }

    const qint64 room = maxSize - used;
    const int available = param.size();
    if (room < kMinBufferRoom || available == 0)
        return 0;
    qint64 chunk = room - 3;
    if (room == kMinBufferRoom)
        chunk = 1;
    else if (room == kShortHeaderRoom)
        chunk = kShortHeaderChunk;
    chunk = qMin<qint64>(chunk, kMaxChunk);
    chunk = qMin<qint64>(chunk, available);
    const int len = int(chunk) + 1;
    if (used + headerLength(len) + len > maxSize)
        return 0;

    const quint8 index = param.index();
    const QByteArray bytes = param.takeChunk(int(chunk));
    m_data.append(headerFor(param.id(), len));
    m_data.append(char(index));
    m_data.append(bytes);
    return int(chunk);
}

int OrvFrame::setData(const QByteArray &bytes)
{
    if (quint64(bytes.size()) > quint64(m_maxSize))
        return 0;
    OrvParamList decoded;
    const int n = decodeElements(bytes, decoded, {}, false);
    if (n < 1)
        return n;
    m_data = bytes;
    return m_data.size();
}

int OrvFrame::extractParams(OrvParamList &list, const QMap<quint8, bool> &bufferFlags, bool merge) const
{
    return decodeElements(m_data, list, bufferFlags, merge);
}

int OrvFrame::decodeElements(const QByteArray &bytes, OrvParamList &list,
                             const QMap<quint8, bool> &bufferFlags, bool merge)
{
    const int before = list.size();
    const int total = bytes.size();
    int pos = 0;
    while (total - pos >= 2) {
        const quint8 header = quint8(bytes[pos]);
        const quint8 id = header & kIdMask;
        int len = 0;
        switch (header >> kLengthShift) {
        case kLen1:
            len = 1;
            break;
        case kLen2:
            len = 2;
            break;
        case kLen4:
            len = 4;
            break;
        default:
            ++pos; // the length byte now stands in front of the value
            len = quint8(bytes[pos]);
            break;
        }
        if (len >= total - pos)
            return -1;
        ++pos;
        OrvParam rec(id, bytes.mid(pos, len));
        pos += len;

        if (bufferFlags.value(id, false)) {
            // A buffer element without its index byte carries nothing.
            if (rec.data().isEmpty())
                continue;
            rec.takeIndex();
        }
        if (merge)
            mergeParam(list, rec);
        else
            list.append(rec);
    }
    // Joining chunks can shrink the list; that is still a success.
    return qMax(0, list.size() - before);
}

void mergeParam(OrvParamList &list, OrvParam rec)
{
    if (!rec.isBuf()) {
        for (int i = list.size() - 1; i >= 0; --i) {
            if (list[i].id() == rec.id())
                list.remove(i);
        }
        list.append(rec);
        return;
    }

    // Join every chunk of the same buffer that touches or overlaps the new one; the joined
    // record may now reach chunks passed over before, so scan again until nothing joins.
    bool joined = true;
    while (joined) {
        joined = false;
        for (int i = 0; i < list.size(); ++i) {
            const OrvParam &e = list[i];
            if (e.id() != rec.id() || !e.isBuf())
                continue;
            const int p = rec.index();
            const int n = rec.size();
            const int ei = e.index();
            const int m = e.size();
            if (p > ei + m || ei > p + n)
                continue; // a gap between them
            const int lo = qMin(p, ei);
            const int hi = qMax(p + n, ei + m);
            QByteArray value(hi - lo, '\0');
            value.replace(ei - lo, m, e.data());
            value.replace(p - lo, n, rec.data()); // the newer bytes win where both hold some
            rec = OrvParam(rec.id(), value, quint8(lo));
            list.remove(i);
            --i;
            joined = true;
        }
    }
    list.append(rec);
}

FrameBuild buildFrames(OrvParamList &list, int maxPayload)
{
    const int payload = qBound(OrvFrame::kMinPayload, maxPayload, OrvFrame::kMaxPayload);
    FrameBuild result;

    // Records that could never leave the list would keep the loop below from ending.
    OrvParamList pending;
    pending.reserve(list.size());
    for (const OrvParam &p : qAsConst(list)) {
        if (packable(p, payload))
            pending.append(p);
        else if (!(p.isBuf() && p.data().isEmpty())) // an empty buffer record is already finished
            result.rejected.append(p);
    }
    list.clear();

    OrvFrame frame{quint32(payload)};
    while (!pending.isEmpty()) {
        frame.clear();
        int i = 0;
        while (i < pending.size()) {
            OrvParam &p = pending[i];
            if (frame.appendParam(p) == 0)
                ++i;
            else if (!(p.isBuf() && !p.data().isEmpty()))
                pending.remove(i);
        }
        result.frames.append(frame);
    }
    return result;
}

QString exportText(const OrvFrameList &frames)
{
    QStringList lines;
    lines.reserve(frames.size());
    for (const OrvFrame &f : frames)
        lines.append(f.toHexString().toUpper());
    return lines.join(QStringLiteral("\r\n"));
}

FrameImport importText(const QString &text)
{
    FrameImport result;
    const QStringList pieces = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        OrvFrame frame;
        if (frame.setData(Hex::decodeLenient(piece)) < 1) {
            QString line = piece;
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            result.invalidLines.append(line);
            continue;
        }
        result.frames.append(frame);
    }
    return result;
}

QString invalidFrameText(const QString &line)
{
    return QCoreApplication::translate("OrvFrame", "The frame: '%1' is invalid !").arg(line);
}

QString invalidFramesTitle()
{
    return QCoreApplication::translate("OrvFrame", "Invalid frames");
}

#include "update/SegmentStore.h"

#include "common/Logging.h"

#include <QFile>

#include <cstring>
#include <iterator>
#include <new>

namespace {

/// One past the highest address.
constexpr quint64 kAddressSpace = quint64(1) << 32;
/// The file is read in blocks of this many bytes.
constexpr qint64 kReadBlockBytes = 64 * 1024;

} // namespace

// ---------------------------------------------------------------------------------------------
// Segment store
// ---------------------------------------------------------------------------------------------

void SegmentStore::init(int parserKind)
{
    terminate();
    m_parser = parserKind == kParserSRecord ? kParserSRecord : -1;
}

void SegmentStore::terminate()
{
    m_pieces.clear();
    m_segments.clear();
    m_settled = true;
    m_bytes = 0;
    m_parser = -1;
    m_stats = SRecordStats();
}

bool SegmentStore::loadFromFile(const QString &path, quint32 addressOffset)
{
    m_stats = SRecordStats();
    if (m_parser != kParserSRecord || path.isEmpty())
        return false;
    return SRecord::load(path, addressOffset, *this, &m_stats);
}

SegmentStore::PieceMap::iterator SegmentStore::pieceAt(quint32 address)
{
    auto it = m_pieces.upper_bound(address);
    if (it == m_pieces.begin())
        return m_pieces.end();
    --it;
    return quint64(it->first) + it->second.length > address ? it : m_pieces.end();
}

void SegmentStore::cut(quint64 begin, quint64 end)
{
    auto it = m_pieces.upper_bound(quint32(begin));
    if (it != m_pieces.begin()) {
        auto before = std::prev(it);
        if (quint64(before->first) + before->second.length > begin)
            it = before;
    }
    while (it != m_pieces.end() && it->first < end) {
        const quint64 base = it->first;
        Piece &piece = it->second;
        const quint64 pieceEnd = base + piece.length;
        m_settled = false;
        if (base < begin) {
            // Keep the head; a tail past the range becomes a piece of its own (same bytes).
            if (pieceEnd > end) {
                Piece tail = piece;
                tail.offset += size_t(end - base);
                tail.length = pieceEnd - end;
                m_pieces.emplace_hint(std::next(it), quint32(end), std::move(tail));
            }
            m_bytes -= qMin(pieceEnd, end) - begin;
            piece.length = begin - base;
            ++it;
            continue;
        }
        if (pieceEnd > end) {
            // Only the head is covered: the rest moves to the end of the range.
            Piece tail = std::move(piece);
            tail.offset += size_t(end - base);
            tail.length = pieceEnd - end;
            m_bytes -= end - base;
            it = m_pieces.erase(it);
            m_pieces.emplace_hint(it, quint32(end), std::move(tail));
            return;
        }
        m_bytes -= piece.length;
        it = m_pieces.erase(it);
    }
}

bool SegmentStore::addData(quint32 address, quint32 length, const quint8 *bytes)
{
    if (length == 0 || !bytes)
        return false;
    const quint64 end = quint64(address) + length;
    if (end > kAddressSpace)
        return false;
    try {
        // A rewrite inside one piece that owns its bytes goes in place.
        auto holder = pieceAt(address);
        if (holder != m_pieces.end() && quint64(holder->first) + holder->second.length >= end &&
            holder->second.exclusive()) {
            std::memcpy(holder->second.buffer->data() + holder->second.offset + (address - holder->first),
                        bytes, length);
            return true;
        }

        cut(address, end);
        // The store never holds the whole address space, so a segment length fits 32 bits.
        if (m_bytes + length >= kAddressSpace)
            return false;

        // Data that continues the piece before it is appended to that piece.
        auto next = m_pieces.lower_bound(address);
        if (next != m_pieces.begin()) {
            Piece &before = std::prev(next)->second;
            const quint64 beforeEnd = quint64(std::prev(next)->first) + before.length;
            if (beforeEnd == address && before.exclusive() &&
                before.offset + before.length == before.buffer->size()) {
                before.buffer->insert(before.buffer->end(), bytes, bytes + length);
                before.length += length;
                m_bytes += length;
                m_settled = false;
                return true;
            }
        }
        Piece piece;
        piece.buffer = std::make_shared<Buffer>(bytes, bytes + length);
        piece.length = length;
        m_pieces.emplace_hint(next, address, std::move(piece));
        m_bytes += length;
        m_settled = false;
        return true;
    } catch (const std::bad_alloc &) {
        qCWarning(lcUpdate) << "Out of memory: segment at" << Qt::hex << address << "not added";
        m_settled = false;
        return false;
    }
}

bool SegmentStore::removeData(quint32 address, quint32 length)
{
    if (length == 0)
        return false;
    const quint64 end = quint64(address) + length;
    if (end > kAddressSpace)
        return false;
    cut(address, end);
    return true;
}

void SegmentStore::settle() const
{
    if (m_settled)
        return;
    m_segments.clear();
    auto it = m_pieces.begin();
    while (it != m_pieces.end()) {
        auto runEnd = std::next(it);
        quint64 runLength = it->second.length;
        while (runEnd != m_pieces.end() && quint64(it->first) + runLength == runEnd->first) {
            runLength += runEnd->second.length;
            ++runEnd;
        }
        if (runEnd != std::next(it)) {
            // Join the run into the first piece: in place when it owns its whole buffer,
            // otherwise into a new buffer.
            Piece &first = it->second;
            std::shared_ptr<Buffer> joined;
            if (first.exclusive() && first.offset == 0 && first.length == first.buffer->size()) {
                joined = first.buffer;
            } else {
                joined = std::make_shared<Buffer>(first.bytes(), first.bytes() + first.length);
            }
            joined->reserve(size_t(runLength));
            for (auto p = std::next(it); p != runEnd; ++p)
                joined->insert(joined->end(), p->second.bytes(), p->second.bytes() + p->second.length);
            first.buffer = joined;
            first.offset = 0;
            first.length = runLength;
            m_pieces.erase(std::next(it), runEnd);
        }
        m_segments.emplace_back(it->first, &it->second);
        it = runEnd;
    }
    m_settled = true;
}

int SegmentStore::segmentCount() const
{
    try {
        settle();
    } catch (const std::bad_alloc &) {
        qCWarning(lcUpdate) << "Out of memory while joining segments";
        return 0;
    }
    return int(m_segments.size());
}

const quint8 *SegmentStore::segment(int index, quint32 *base, quint32 *length) const
{
    if (!base || !length || index < 0 || index >= segmentCount())
        return nullptr;
    const Piece *piece = m_segments[size_t(index)].second;
    *base = m_segments[size_t(index)].first;
    *length = quint32(piece->length);
    return piece->bytes();
}

quint64 SegmentStore::totalSize() const
{
    return m_bytes;
}

// ---------------------------------------------------------------------------------------------
// S-record reader
// ---------------------------------------------------------------------------------------------

namespace SRecord {

namespace {

/// Values of the hex digits by character; any other character adds nothing (0).
struct HexTable
{
    quint8 value[256] = {};
    constexpr HexTable()
    {
        for (int c = '0'; c <= '9'; ++c)
            value[c] = quint8(c - '0');
        for (int c = 'A'; c <= 'F'; ++c)
            value[c] = quint8(c - 'A' + 10);
        for (int c = 'a'; c <= 'f'; ++c)
            value[c] = quint8(c - 'a' + 10);
    }
};
constexpr HexTable kHex;

inline quint8 hexByte(const char *at)
{
    return quint8((kHex.value[quint8(at[0])] << 4) | kHex.value[quint8(at[1])]);
}

/// Characters before the byte pairs: "S", the type digit.
constexpr size_t kTypeChars = 2;
/// A byte count of this or less ends the handling of a line.
constexpr quint8 kMinByteCount = 2;

} // namespace

LineKind parseLine(const char *line, size_t length, quint32 addressOffset, Record *record)
{
    if (length < kTypeChars || (line[0] != 'S' && line[0] != 's'))
        return LineKind::Ignored;
    size_t addressBytes = 0;
    switch (line[1]) {
    case '1':
        addressBytes = 2;
        break;
    case '2':
        addressBytes = 3;
        break;
    case '3':
        addressBytes = 4;
        break;
    default:
        return LineKind::Ignored; // header, count, start address, anything else
    }
    if (length < kTypeChars + 2)
        return LineKind::Corrupt;

    const quint8 count = hexByte(line + kTypeChars);
    if (count <= kMinByteCount)
        return LineKind::Ignored;
    // The record is as long as its byte count says; what follows the checksum (blanks before
    // the line end, anything else) is not part of it.
    if (length < kTypeChars + 2 + 2 * size_t(count) || count < addressBytes + 1)
        return LineKind::Corrupt;

    const char *pairs = line + kTypeChars + 2;
    quint32 sum = count;
    quint32 address = 0;
    for (size_t i = 0; i < addressBytes; ++i) {
        const quint8 b = hexByte(pairs + 2 * i);
        sum += b;
        address = (address << 8) | b;
    }
    const size_t dataBytes = size_t(count) - addressBytes - 1;
    const char *dataChars = pairs + 2 * addressBytes;
    quint8 data[SegmentStore::kMaxRecordChars / 2];
    for (size_t i = 0; i < dataBytes; ++i) {
        data[i] = hexByte(dataChars + 2 * i);
        sum += data[i];
    }
    const quint8 checksum = hexByte(dataChars + 2 * dataBytes);
    if (quint8(~sum) != checksum)
        return LineKind::Corrupt;

    const quint64 start = quint64(address) + addressOffset;
    if (start + dataBytes > kAddressSpace)
        return LineKind::Corrupt;
    if (record) {
        record->address = quint32(start);
        record->data.assign(data, data + dataBytes);
    }
    return LineKind::Data;
}

bool load(const QString &path, quint32 addressOffset, SegmentStore &store, SRecordStats *stats)
{
    SRecordStats local;
    SRecordStats &st = stats ? *stats : local;
    st = SRecordStats();
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;

    // A line goes into a buffer of kLineBufferChars; the rest of a longer one is dropped.
    char line[SegmentStore::kLineBufferChars];
    size_t used = 0;
    bool afterCr = false; // CR LF ends one line, not two
    Record record;
    std::vector<char> block(static_cast<size_t>(kReadBlockBytes));

    const auto finishLine = [&]() -> bool {
        ++st.lines;
        // The buffer holds the longest record: what a longer line has past it follows the
        // record's checksum and is not read.
        const size_t n = used;
        used = 0;
        switch (parseLine(line, n, addressOffset, &record)) {
        case LineKind::Ignored:
            return true;
        case LineKind::Corrupt:
            if (st.corruptLines++ == 0)
                st.firstCorruptLine = st.lines;
            qCDebug(lcUpdate) << "S-record line" << st.lines << "skipped";
            return true;
        case LineKind::Data:
            break;
        }
        if (record.data.empty())
            return true;
        if (!store.addData(record.address, quint32(record.data.size()), record.data.data()))
            return false;
        ++st.dataRecords;
        return true;
    };

    for (;;) {
        const qint64 got = file.read(block.data(), kReadBlockBytes);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        for (qint64 i = 0; i < got; ++i) {
            const char c = block[size_t(i)];
            if (c == '\n' && afterCr) {
                afterCr = false;
                continue;
            }
            afterCr = c == '\r';
            if (c == '\r' || c == '\n') {
                if (!finishLine())
                    return false;
                continue;
            }
            if (used < sizeof line)
                line[used++] = c;
        }
    }
    if (used > 0) {
        if (!finishLine())
            return false;
    }
    return true;
}

QByteArray s3Records(quint32 base, const QByteArray &data, int recordBytes, const QByteArray &lineEnd)
{
    constexpr int kAddressBytes = 4;
    constexpr int kChecksumBytes = 1;
    QByteArray text;
    for (int at = 0; at < data.size(); at += recordBytes) {
        const QByteArray piece = data.mid(at, recordBytes);
        const quint32 address = base + quint32(at);
        QByteArray body;
        body.append(char(kAddressBytes + piece.size() + kChecksumBytes));
        for (int shift = 24; shift >= 0; shift -= 8)
            body.append(char((address >> shift) & 0xFF));
        body.append(piece);
        quint8 sum = 0;
        for (const char c : body)
            sum = quint8(sum + quint8(c));
        body.append(char(quint8(~sum)));
        text += "S3" + body.toHex().toUpper() + lineEnd;
    }
    return text;
}

} // namespace SRecord

#pragma once
// The firmware image in memory: runs of consecutive bytes (segments), each with a start
// address, read from a Motorola S-record file before an XCP update.
//
// After every successful addData the segments are sorted by base address, no two overlap,
// and no segment ends exactly where the next one begins (such neighbours are one segment).
// Newer data wins: bytes written again replace the older ones.
//
// Cost: the bytes live in pieces keyed by address. Adding data cuts only the pieces it
// overlaps (a cut shares the bytes it keeps instead of copying them), rewrites inside a
// piece go in place, and data that continues the piece before it is appended to that piece.
// Touching pieces are joined into segments when the segments are looked at (segmentCount,
// segment). Loading a file of n records therefore costs O(n log n) plus one pass over the
// bytes, whatever the order of the records.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <map>
#include <memory>
#include <utility>
#include <vector>

/// What the S-record reader met in a file.
struct SRecordStats
{
    quint64 lines = 0;            ///< lines read (empty ones included)
    quint64 dataRecords = 0;      ///< S1/S2/S3 records with data, stored
    quint64 corruptLines = 0;     ///< S1/S2/S3 lines skipped: checksum, length, address range
    quint64 firstCorruptLine = 0; ///< number (from 1) of the first of them, 0 when none
};

class SegmentStore
{
public:
    /// File parsers that init can select.
    enum Parser : int
    {
        kParserSRecord = 0, ///< Motorola S-record
    };

    /// Characters of a line the reader keeps (516). The longest record (byte count 0xFF) has
    /// 514 characters; what a longer line has past them follows the checksum and is not read.
    static constexpr int kLineBufferChars = 516;
    static constexpr int kMaxRecordChars = 514;

    SegmentStore() = default;
    SegmentStore(const SegmentStore &) = delete;
    SegmentStore &operator=(const SegmentStore &) = delete;

    /// Empties the store and selects the parser (0: S-record; any other kind: none, so that
    /// loading fails).
    void init(int parserKind);
    /// Frees every segment and forgets the parser.
    void terminate();

    /// Reads the file with the selected parser, adding address offset to every record's
    /// address. Lines that are not data records are ignored, corrupt lines are skipped.
    /// False when there is no parser, the file can't be opened, or data can't be stored.
    /// A file without data records is a success with no segments.
    bool loadFromFile(const QString &path, quint32 addressOffset);
    /// What the last loadFromFile met.
    const SRecordStats &lastLoadStats() const { return m_stats; }

    /// Number of segments.
    int segmentCount() const;
    /// The bytes of segment index, with its base and length; null for a bad index or null outs.
    /// The pointer stays valid until the store changes.
    const quint8 *segment(int index, quint32 *base, quint32 *length) const;
    /// Sum of the segment lengths.
    quint64 totalSize() const;

    /// Stores length bytes at address, replacing older bytes there. False for a length of 0,
    /// null bytes, a range past 0xFFFFFFFF, or when memory runs out (nothing is added then).
    bool addData(quint32 address, quint32 length, const quint8 *bytes);
    /// Drops every stored byte of address .. address + length - 1 (a segment that overlaps
    /// the range keeps its parts before and after it). False for a length of 0 or a range past
    /// 0xFFFFFFFF; true when nothing was stored there.
    bool removeData(quint32 address, quint32 length);

private:
    using Buffer = std::vector<quint8>;
    /// length bytes of a buffer from offset on, stored at the address that keys the piece.
    struct Piece
    {
        std::shared_ptr<Buffer> buffer;
        size_t offset = 0;
        quint64 length = 0;
        const quint8 *bytes() const { return buffer->data() + offset; }
        /// Whether this piece alone owns its bytes, so they can change in place.
        bool exclusive() const { return buffer.use_count() == 1; }
    };
    using PieceMap = std::map<quint32, Piece>;

    /// The piece holding address, or end().
    PieceMap::iterator pieceAt(quint32 address);
    void cut(quint64 begin, quint64 end);
    /// Joins touching pieces and lists the segments (only when something changed).
    void settle() const;

    mutable PieceMap m_pieces;
    /// Base and piece of each segment, valid while m_settled.
    mutable std::vector<std::pair<quint32, const Piece *>> m_segments;
    mutable bool m_settled = true;
    quint64 m_bytes = 0;
    int m_parser = -1;
    SRecordStats m_stats;
};

/// The S-record reader, line by line.
namespace SRecord {

/// What one line is.
enum class LineKind
{
    Ignored, ///< not a data record (header, count, start address, empty, other text)
    Data,    ///< an S1/S2/S3 record (possibly without data bytes)
    Corrupt, ///< an S1/S2/S3 line that can't be taken: checksum, length, address range
};

/// One decoded data record.
struct Record
{
    quint32 address = 0; ///< with the offset added
    std::vector<quint8> data;
};

/// Decodes one line (without its line end). The record is read by its byte count: the line
/// must hold the counted pairs, and what follows the checksum (blanks before the line end,
/// anything else) is ignored. The address plus the offset plus the data must stay within
/// 32 bits.
LineKind parseLine(const char *line, size_t length, quint32 addressOffset, Record *record);

/// Reads an S-record file into store (which is not emptied first). False when the file
/// can't be opened or data can't be stored.
bool load(const QString &path, quint32 addressOffset, SegmentStore &store, SRecordStats *stats);

/// The S3 records (32-bit addresses) of data placed at base, recordBytes data bytes per record,
/// each line ended by lineEnd.
QByteArray s3Records(quint32 base, const QByteArray &data, int recordBytes = 16,
                     const QByteArray &lineEnd = QByteArrayLiteral("\r\n"));

} // namespace SRecord

// libFuzzer entry: the S-record reader, one line at a time and as a whole file, into a
// segment store. Lines may be anything: the reader must stay within each line, never wrap
// an address, and keep the store's invariants.

#include "update/SegmentStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(const SegmentStore &store)
{
    quint64 previousEnd = 0;
    bool first = true;
    quint64 total = 0;
    for (int i = 0; i < store.segmentCount(); ++i) {
        quint32 base = 0;
        quint32 length = 0;
        if (!store.segment(i, &base, &length) || length == 0)
            std::abort();
        // Sorted, apart, never touching, within 32 bits.
        if (!first && quint64(base) <= previousEnd)
            std::abort();
        if (quint64(base) + length > (quint64(1) << 32))
            std::abort();
        previousEnd = quint64(base) + length;
        total += length;
        first = false;
    }
    if (total != store.totalSize())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first four bytes are the address offset.
    quint32 offset = 0;
    if (size >= 4) {
        offset = quint32(data[0]) << 24 | quint32(data[1]) << 16 | quint32(data[2]) << 8 | data[3];
        data += 4;
        size -= 4;
    }
    const char *text = reinterpret_cast<const char *>(data);

    // Line by line, as the reader cuts them.
    SegmentStore store;
    store.init(SegmentStore::kParserSRecord);
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i < size && text[i] != '\n' && text[i] != '\r')
            continue;
        SRecord::Record record;
        if (SRecord::parseLine(text + start, i - start, offset, &record) == SRecord::LineKind::Data &&
            !record.data.empty()) {
            if (quint64(record.address) + record.data.size() > (quint64(1) << 32))
                std::abort();
            store.addData(record.address, quint32(record.data.size()), record.data.data());
        }
        start = i + 1;
    }
    check(store);

    // The same bytes as a file.
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.srec"));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        f.write(text, qint64(size));
        f.close();
        SegmentStore fromFile;
        fromFile.init(SegmentStore::kParserSRecord);
        fromFile.loadFromFile(path, offset);
        check(fromFile);
    }
    return 0;
}

// libFuzzer entry: the key list reader (CSV with a header line). Whatever the text, the reader
// either refuses it with a reason that quotes no key of the text, or gives keys of exactly the
// right lengths; a list it gives back, written out again, reads back the same.

#include "FuzzSupport.h"

#include "common/Csv.h"
#include "device/rollout/KeyList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), int(size));

    // The CSV layer: a parsed text, written out and read again, gives the same records.
    QVector<QStringList> records;
    Csv::ParseError csvError;
    if (Csv::parse(text, &records, &csvError)) {
        QByteArray again;
        for (const QStringList &r : records)
            again += Csv::formatRecord(r);
        QVector<QStringList> reread;
        FUZZ_CHECK(Csv::parse(again, &reread, &csvError));
        FUZZ_CHECK(reread == records);
    } else {
        FUZZ_CHECK(csvError.line >= 1 && !csvError.reason.isEmpty());
    }

    KeyList list;
    QString error;
    if (!list.parse(text, &error)) {
        FUZZ_CHECK(!error.isEmpty());
        FUZZ_CHECK(list.isEmpty());
        return 0;
    }
    // Every listed device has complete keys, and the list survives a round trip.
    QByteArray written = Csv::formatRecord(KeyList::header());
    for (const QStringList &r : records) {
        if (r.size() != 3)
            continue;
        const QByteArray devEui = QByteArray::fromHex(r.at(0).trimmed().toLatin1());
        if (devEui.size() != KeyList::kDevEuiBytes || !list.contains(devEui))
            continue;
        const LoRaWanKeys::Keys k = list.keys(devEui);
        FUZZ_CHECK(k.appEui.size() == LoRaWanKeys::kAppEuiBytes);
        FUZZ_CHECK(k.appKey.size() == LoRaWanKeys::kAppKeyBytes);
        written +=
            Csv::formatRecord({QString::fromLatin1(devEui.toHex()), QString::fromLatin1(k.appEui.toHex()),
                               QString::fromLatin1(k.appKey.toHex())});
    }
    KeyList again;
    FUZZ_CHECK(again.parse(written, &error));
    FUZZ_CHECK(again.size() == list.size());
    return 0;
}

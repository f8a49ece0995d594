// libFuzzer entry: the provisioning record reader. Whatever the text, it is refused with a
// reason or gives rows that, written out with the header again, read back as the same rows;
// the appending writer refuses what the reader refuses and never changes such a file.

#include "FuzzSupport.h"

#include "device/rollout/ProvisioningRecord.h"

#include <QFile>
#include <QTemporaryDir>

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
    QVector<ProvisioningRecord::Row> rows;
    QString error;
    const bool parsed = ProvisioningRecord::parse(text, &rows, &error);
    if (parsed) {
        QByteArray again = ProvisioningRecord::formatHeader();
        for (const ProvisioningRecord::Row &r : rows)
            again += ProvisioningRecord::formatRow(r);
        QVector<ProvisioningRecord::Row> reread;
        FUZZ_CHECK(ProvisioningRecord::parse(again, &reread, &error));
        FUZZ_CHECK(reread.size() == rows.size());
        for (int i = 0; i < rows.size(); ++i)
            FUZZ_CHECK(reread.at(i) == rows.at(i));
    } else {
        FUZZ_CHECK(!error.isEmpty());
    }

    // The writer on a file holding the text: only a record (or an empty file) is appended to.
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("record.csv"));
    {
        QFile f(path);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(f.write(text) == text.size());
    }
    ProvisioningRecord::Writer writer;
    const bool opened = writer.open(path, &error);
    FUZZ_CHECK(opened == parsed);
    if (!opened) {
        writer.close();
        QFile f(path);
        FUZZ_CHECK(f.open(QIODevice::ReadOnly));
        FUZZ_CHECK(f.readAll() == text);
    }
    return 0;
}

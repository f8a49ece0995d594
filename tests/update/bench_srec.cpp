// Loading a 1 MiB firmware image (65536 S3 records of 16 bytes, as objcopy writes them) into
// the segment store, in file order and in reverse order, next to objcopy converting the same
// file to a binary image. Run by hand: build/tests/bench_srec

#include "update/SegmentStore.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kRecords = 65536;
constexpr int kRecordBytes = 16;
constexpr quint32 kBase = 0x08000000;

QByteArray record(quint32 address, const QByteArray &data)
{
    return SRecord::s3Records(address, data, data.size());
}

/// The image file, written once per process.
struct Files
{
    QTemporaryDir dir;
    QString forward;
    QString reverse;

    Files()
    {
        QRandomGenerator rng(1);
        QByteArray image(kRecords * kRecordBytes, '\0');
        for (char &c : image)
            c = char(rng.bounded(256));
        QByteArray fwd;
        QByteArray rev;
        for (int i = 0; i < kRecords; ++i) {
            fwd += record(kBase + quint32(i * kRecordBytes), image.mid(i * kRecordBytes, kRecordBytes));
            const int j = kRecords - 1 - i;
            rev += record(kBase + quint32(j * kRecordBytes), image.mid(j * kRecordBytes, kRecordBytes));
        }
        forward = write(QStringLiteral("forward.srec"), fwd);
        reverse = write(QStringLiteral("reverse.srec"), rev);
    }

    QString write(const QString &name, const QByteArray &text)
    {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
            return QString();
        return f.fileName();
    }
};

Files &files()
{
    static Files f;
    return f;
}

void load(benchmark::State &state, const QString &path)
{
    for (auto _ : state) {
        SegmentStore store;
        store.init(SegmentStore::kParserSRecord);
        if (!store.loadFromFile(path, 0) || store.segmentCount() != 1) {
            state.SkipWithError("load failed");
            return;
        }
        benchmark::DoNotOptimize(store.totalSize());
    }
    state.SetBytesProcessed(state.iterations() * qint64(kRecords) * kRecordBytes);
}

void BM_LoadSRecord(benchmark::State &state)
{
    load(state, files().forward);
}

void BM_LoadSRecordReverseOrder(benchmark::State &state)
{
    load(state, files().reverse);
}

void BM_ObjcopyToBinary(benchmark::State &state)
{
    if (QStandardPaths::findExecutable(QStringLiteral("objcopy")).isEmpty()) {
        state.SkipWithError("objcopy not installed");
        return;
    }
    const QString out = files().dir.filePath(QStringLiteral("image.bin"));
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral("objcopy"),
                {QStringLiteral("-I"), QStringLiteral("srec"), QStringLiteral("-O"), QStringLiteral("binary"),
                 files().forward, out});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            state.SkipWithError("objcopy failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * qint64(kRecords) * kRecordBytes);
}

} // namespace

BENCHMARK(BM_LoadSRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSRecordReverseOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ObjcopyToBinary)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();

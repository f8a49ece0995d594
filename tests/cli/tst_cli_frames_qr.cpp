// pelm-cli frames qr: the QR Code image of a configuration file's frames, read back by zbar (an
// independent decoder) and by zxing-cpp, against the text 'frames pack' prints.

#include <ZXing/ReadBarcode.h>

#include <QDirIterator>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include "support/RunProcess.h"
#include "support/TestData.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
using Result = ProcessResult;

Result run(const QString &program, const QStringList &args)
{
    return runProcess(program, args);
}
using TestData::kDefaultConfig;

QString zxingText(const QString &path)
{
    const QImage grey = QImage(path).convertToFormat(QImage::Format_Grayscale8);
    const ZXing::Result r = ZXing::ReadBarcode(ZXing::ImageView(
        grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum, int(grey.bytesPerLine())));
    return r.isValid() ? QString::fromStdString(r.text()) : QStringLiteral("<no symbol>");
}

/// A copy of the default configuration whose parameters all hold n bytes.
QString withLongValues(const QTemporaryDir &dir, int n)
{
    return TestData::editedConfig(dir, QStringLiteral("long.ocf"), [n](QJsonObject &doc) {
        QJsonObject params = doc.value("params").toObject();
        for (const QString &key : params.keys()) {
            QJsonObject p = params.value(key).toObject();
            p.insert("data", QString::fromLatin1(QByteArray(n, '\x5A').toHex()));
            params.insert(key, p);
        }
        doc.insert("params", params);
    });
}
} // namespace

class TestCliFramesQr : public QObject
{
    Q_OBJECT
private slots:
    void imageHoldsThePackedFrames_data();
    void imageHoldsThePackedFrames();
    void textTooLongForOneSymbol();
    void errors_data();
    void errors();
    void help();

private:
    QTemporaryDir m_dir;
};

void TestCliFramesQr::imageHoldsThePackedFrames_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("options");
    QStringList files;
    for (const QString &root :
         {QStringLiteral(PELM_TEST_DATA), QStringLiteral(PELM_SOURCE_DIR "/resources/orv")}) {
        QDirIterator it(root, {QStringLiteral("*.ocf")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next());
    }
    files.sort();
    QVERIFY(files.size() >= 4);
    for (const QString &f : files) {
        const QString name = QFileInfo(f).fileName();
        QTest::newRow(qPrintable(name)) << f << QStringList();
        QTest::newRow(qPrintable(name + " payload 51")) << f << QStringList{"--max-payload", "51"};
    }
}

void TestCliFramesQr::imageHoldsThePackedFrames()
{
    QFETCH(QString, file);
    QFETCH(QStringList, options);
    const Result packed = runCli(QStringList{"frames", "pack", file} + options);
    const QString png = m_dir.filePath(QStringLiteral("frames.png"));
    QFile::remove(png);
    const Result qr = runCli(QStringList{"frames", "qr", file, "-o", png} + options);
    // the same messages and exit code: a file that can't be loaded, parameters that can't be packed
    QCOMPARE(qr.code, packed.code);
    QCOMPARE(qr.err, packed.err);
    QCOMPARE(qr.out, QString());
    if (packed.code == 2) {
        QVERIFY(!QFile::exists(png));
        return;
    }
    QVERIFY2(packed.code == 0 || packed.code == 3, qPrintable(packed.err));
    const QString text = packed.out.trimmed().split(QLatin1Char('\n')).join(QStringLiteral("\r\n"));
    QVERIFY(!text.isEmpty());
    QCOMPARE(QImage(png).size(), QSize(350, 350));
    QCOMPARE(zxingText(png), text);

    if (QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
        QSKIP("zbarimg (zbar-tools) is not installed");
    const Result zbar = run(QStringLiteral("zbarimg"), {"--nodbus", "--raw", "-q", png});
    QCOMPARE(zbar.code, 0);
    QCOMPARE(zbar.out, text + QLatin1Char('\n'));
}

void TestCliFramesQr::textTooLongForOneSymbol()
{
    const QString file = withLongValues(m_dir, 200);
    QVERIFY(!file.isEmpty());
    const Result packed = runCli({"frames", "pack", file, "--max-payload", "1024"});
    QCOMPARE(packed.code, 0);
    const int chars = packed.out.trimmed().split(QLatin1Char('\n')).join(QStringLiteral("\r\n")).size();
    QVERIFY(chars > 2953);

    const QString png = m_dir.filePath(QStringLiteral("long.png"));
    const Result r = runCli({"frames", "qr", file, "-o", png, "--max-payload", "1024"});
    QCOMPARE(r.code, 3);
    QCOMPARE(r.err,
             QStringLiteral("QR Code: Couldn't save QR Code image. The text of the frames (%1 characters) "
                            "is too long for one QR Code.\n")
                 .arg(chars));
    QVERIFY(!QFile::exists(png));
}

void TestCliFramesQr::errors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("no -o") << QStringList{"frames", "qr", kDefaultConfig} << 1
                           << "frames qr needs -o OUT.png";
    QTest::newRow("no file") << QStringList{"frames", "qr", "-o", "x.png"} << 1
                             << "frames qr needs exactly one FILE.ocf";
    QTest::newRow("payload too small")
        << QStringList{"frames", "qr", kDefaultConfig, "-o", "x.png", "--max-payload", "7"} << 1
        << "--max-payload must be a number from 8 to 1024";
    QTest::newRow("missing file") << QStringList{"frames", "qr", "/nonexistent/x.ocf", "-o", "x.png"} << 2
                                  << "";
    QTest::newRow("unwritable image")
        << QStringList{"frames", "qr", kDefaultConfig, "-o", "/nonexistent/x.png"} << 2
        << "QR Code: Couldn't save QR Code image. Can't write '/nonexistent/x.png'.";
}

void TestCliFramesQr::errors()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, message);
    const Result r = runCli(args);
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(!QFile::exists(QStringLiteral("x.png")));
}

void TestCliFramesQr::help()
{
    const Result r = runCli({"--help"});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains(QStringLiteral("frames qr FILE.ocf -o OUT.png [--max-payload N]")));
}

QTEST_GUILESS_MAIN(TestCliFramesQr)
#include "tst_cli_frames_qr.moc"

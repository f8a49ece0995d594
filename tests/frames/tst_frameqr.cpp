// Frame text as a QR Code image: what the image holds (read back by zxing-cpp and by zbar, an
// independent decoder), its geometry (size, quiet border, colours, error correction) and the
// texts that cannot become one symbol.

#include "frames/FrameQr.h"
#include "frames/OrvFrame.h"

#include <ZXing/ReadBarcode.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Decoded
{
    bool ok = false;
    QString text;
    QString ecLevel;
};

Decoded readWithZxing(const QImage &image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    const ZXing::Result r =
        ZXing::ReadBarcode(ZXing::ImageView(grey.constBits(), grey.width(), grey.height(),
                                            ZXing::ImageFormat::Lum, int(grey.bytesPerLine())),
                           hints);
    Decoded d;
    d.ok = r.isValid();
    d.text = QString::fromStdString(r.text());
    d.ecLevel = QString::fromStdString(r.ecLevel());
    return d;
}

/// zbarimg's reading of a PNG file (it adds one LF after the text); null when zbar is missing
/// or read nothing.
QString readWithZbar(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("zbarimg"), {"--nodbus", "--raw", "-q", path});
    if (!p.waitForStarted(5000) || !p.waitForFinished(20000) || p.exitCode() != 0)
        return QString();
    return QString::fromLatin1(p.readAllStandardOutput());
}

/// Frame text of n bytes of buffer parameters (192 bytes each) packed into frames of the given
/// payload.
QString frameText(int bytes, int payload)
{
    constexpr int kBufferBytes = 192;
    OrvParamList list;
    for (int start = 0; start < bytes; start += kBufferBytes) {
        QByteArray value;
        for (int i = start; i < qMin(bytes, start + kBufferBytes); ++i)
            value.append(char(quint8(i * 7)));
        list.append(OrvParam(quint8(10 + list.size()), value, 0));
    }
    return exportText(buildFrames(list, payload).frames);
}

/// Lengths of the runs of equal colour along row y, starting at x = 0 (black is 0).
QVector<QPair<bool, int>> runs(const QImage &image, int y)
{
    QVector<QPair<bool, int>> out;
    for (int x = 0; x < image.width(); ++x) {
        const bool black = qGray(image.pixel(x, y)) < 128;
        if (out.isEmpty() || out.last().first != black)
            out.append({black, 0});
        ++out.last().second;
    }
    return out;
}

} // namespace

class TestFrameQr : public QObject
{
    Q_OBJECT
private slots:
    void decodesToTheFrameText_data();
    void decodesToTheFrameText();
    void geometry();
    void textsWithoutSymbol_data();
    void textsWithoutSymbol();
    void saveFailsOnUnwritablePath();
};

void TestFrameQr::decodesToTheFrameText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("zxingReads");
    QTest::newRow("one short frame") << frameText(2, 8) << true;
    QTest::newRow("two frames, CR LF between") << frameText(8, 8) << true;
    QTest::newRow("nine LoRaWAN frames") << frameText(9 * 48 - 12, 51) << true;
    // Dense symbols get 2 or 3 (the largest, 177 modules: 1 or 2) pixels per module in 350
    // pixels. zbar reads them; zxing-cpp 1.4's reader misses some symbols whose modules are of
    // uneven width.
    QTest::newRow("one frame of 1000 bytes, alphanumeric") << frameText(1000, 1024) << false;
    QTest::newRow("28 LoRaWAN frames, largest symbol") << frameText(28 * 48 - 40, 51) << false;
}

void TestFrameQr::decodesToTheFrameText()
{
    QFETCH(QString, text);
    QFETCH(bool, zxingReads);
    const FrameQr::Encoded qr = FrameQr::encode(text);
    QVERIFY2(qr.ok(), qPrintable(qr.error));

    if (zxingReads) {
        const Decoded z = readWithZxing(qr.image);
        QVERIFY(z.ok);
        QCOMPARE(z.text, text);
        QCOMPARE(z.ecLevel, QStringLiteral("L"));
    }

    if (QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
        QSKIP("zbarimg (zbar-tools) is not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("qr.png"));
    QVERIFY(FrameQr::savePng(qr.image, path));
    QCOMPARE(readWithZbar(path), text + QLatin1Char('\n'));
}

void TestFrameQr::geometry()
{
    const FrameQr::Encoded qr = FrameQr::encode(frameText(2, 8));
    QVERIFY(qr.ok());
    QCOMPARE(qr.image.size(), QSize(FrameQr::kImageSize, FrameQr::kImageSize));
    QVERIFY(!qr.image.hasAlphaChannel());

    // only opaque black and white pixels: the symbol was scaled without smoothing
    for (int y = 0; y < qr.image.height(); ++y) {
        for (int x = 0; x < qr.image.width(); ++x) {
            const QRgb c = qr.image.pixel(x, y);
            QVERIFY2(c == qRgb(0, 0, 0) || c == qRgb(255, 255, 255),
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    }

    // Through the middle of the top-left finder pattern (7 modules: 1 black, 1 white, 3 black,
    // 1 white, 1 black) the row starts with the quiet border: one module of white.
    int finderRow = -1;
    for (int y = 0; y < qr.image.height() && finderRow < 0; ++y) {
        const auto r = runs(qr.image, y);
        if (r.size() >= 6 && r[1].first && r[3].first && r[3].second > 2 * r[1].second)
            finderRow = y;
    }
    QVERIFY(finderRow > 0);
    const auto r = runs(qr.image, finderRow + 10); // well inside the centre square
    QVERIFY(!r[0].first);
    const double module = (r[1].second + r[2].second + r[3].second + r[4].second + r[5].second) / 7.0;
    QVERIFY2(qAbs(r[0].second - module) <= 1.0,
             qPrintable(QStringLiteral("border %1 px, module %2 px").arg(r[0].second).arg(module)));
    // and the symbol fills the rest: (modules + 2) * module pixels make the image
    const int modules = qRound(FrameQr::kImageSize / module) - 2 * FrameQr::kQuietModules;
    QCOMPARE(modules, 21); // version 1
}

void TestFrameQr::textsWithoutSymbol_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::newRow("empty") << QString() << "There is no frame to put into a QR Code.";
    // byte mode (CR LF inside) holds at most 2953 characters at level L
    const QString tooLong = frameText(2000, 1024);
    QTest::newRow("two frames of 1024 bytes")
        << tooLong
        << QStringLiteral("The text of the frames (%1 characters) is too long for one QR Code.")
               .arg(tooLong.size());
    const QString justTooLong = QString(2952, QLatin1Char('A')) + QStringLiteral("\r\n");
    QTest::newRow("one character over")
        << justTooLong << "The text of the frames (2954 characters) is too long for one QR Code.";
}

void TestFrameQr::textsWithoutSymbol()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    const FrameQr::Encoded qr = FrameQr::encode(text);
    QVERIFY(!qr.ok());
    QVERIFY(qr.image.isNull());
    QCOMPARE(qr.error, error);
}

void TestFrameQr::saveFailsOnUnwritablePath()
{
    const FrameQr::Encoded qr = FrameQr::encode(QStringLiteral("0501"));
    QVERIFY(qr.ok());
    QVERIFY(!FrameQr::savePng(qr.image, QStringLiteral("/nonexistent-folder/qr.png")));
    QTemporaryDir dir;
    QVERIFY(FrameQr::savePng(qr.image, dir.filePath(QStringLiteral("qr.png"))));
    QCOMPARE(QImage(dir.filePath(QStringLiteral("qr.png"))).size(), qr.image.size());
}

QTEST_GUILESS_MAIN(TestFrameQr)
#include "tst_frameqr.moc"

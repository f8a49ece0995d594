#include "frames/FrameQr.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <QCoreApplication>
#include <QSaveFile>

#include <stdexcept>

Q_LOGGING_CATEGORY(lcFrames, "pelm.frames", QtInfoMsg)

namespace {
/// Error correction levels 0..2 of the writer give level L (about 7 % of the symbol).
constexpr int kEccLevelL = 1;
} // namespace

namespace FrameQr {

Encoded encode(const QString &text)
{
    Encoded result;
    if (text.isEmpty()) {
        result.error = QCoreApplication::translate("FrameQr", "There is no frame to put into a QR Code.");
        return result;
    }

    ZXing::BitMatrix matrix;
    try {
        // Frame text is hexadecimal digits and CR LF: plain Latin-1.
        matrix = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode)
                     .setEncoding(ZXing::CharacterSet::ISO8859_1)
                     .setEccLevel(kEccLevelL)
                     .setMargin(0) // pixels; the quiet border is drawn below
                     .encode(text.toStdString(), 0, 0);
    } catch (const std::exception &) {
        // The only refusal of a non-empty text: more data than the largest symbol holds.
        result.error =
            QCoreApplication::translate("FrameQr", "The text of the frames (%1 characters) is too long "
                                                   "for one QR Code.")
                .arg(text.size());
        return result;
    }

    // One pixel per module, with the quiet border, then scaled to the image size.
    const int modules = matrix.width();
    const int side = modules + 2 * kQuietModules;
    QImage symbol(side, side, QImage::Format_RGB32);
    symbol.fill(Qt::white);
    for (int y = 0; y < matrix.height(); ++y) {
        for (int x = 0; x < modules; ++x) {
            if (matrix.get(x, y))
                symbol.setPixel(x + kQuietModules, y + kQuietModules, qRgb(0, 0, 0));
        }
    }
    result.image = symbol.scaled(kImageSize, kImageSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return result;
}

bool savePng(const QImage &image, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!image.save(&file, "PNG"))
        return false;
    return file.commit();
}

QString saveFailedText()
{
    return QCoreApplication::translate("FrameQr", "Couldn't save QR Code image.");
}

QString failureTitle()
{
    return QCoreApplication::translate("FrameQr", "QR Code");
}

void reportFailure(Reporter &rep, const QString &reason, QObject *parent)
{
    Reporter::Box box;
    box.icon = Reporter::Warning;
    box.title = failureTitle();
    box.text = saveFailedText();
    box.informativeText = reason;
    box.parent = parent;
    rep.box(box);
}

} // namespace FrameQr

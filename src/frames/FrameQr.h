#pragma once
// Frame text as a QR Code image: the symbol one pixel per module, a quiet border of one module,
// black on white, scaled to a fixed square image. Shared by the frames builder and the command
// line so that both write the same image for the same frames.

#include "common/Reporter.h"

#include <QImage>
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcFrames)

namespace FrameQr {

/// Side of the square image in pixels.
constexpr int kImageSize = 350;
/// Quiet border on each side of the symbol, in modules.
constexpr int kQuietModules = 1;

/// The result of encoding: an image, or the reason why there is none.
struct Encoded
{
    QImage image;  ///< kImageSize by kImageSize, opaque black modules on white; null on failure
    QString error; ///< why no image could be made (empty on success)
    bool ok() const { return !image.isNull(); }
};

/// Encodes text as one QR Code symbol (error correction level L). An empty text or a text too
/// long for the largest symbol gives no image and a reason.
Encoded encode(const QString &text);

/// Saves the image as PNG. False when the file could not be written.
bool savePng(const QImage &image, const QString &path);

/// The failure message of a QR Code export: "Couldn't save QR Code image.".
QString saveFailedText();
/// Title of the failure box.
QString failureTitle();
/// Shows the failure box (reason, when given, as its informative text) through rep.
void reportFailure(Reporter &rep, const QString &reason, QObject *parent = nullptr);

} // namespace FrameQr

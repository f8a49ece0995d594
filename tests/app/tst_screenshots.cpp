// The demo's picture tour as scripts/screenshots.sh runs it: pelm-screenshot-tour DIR (the
// desktop program in demo mode, driven by the tour) writes the five pictures the documentation
// and the package's metainfo use, each a real picture of its own page, and quits; without a
// folder it refuses to start.

#include "support/RunProcess.h"

#include <QColor>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kProgram = QStringLiteral(PELM_TOUR);
/// The whole tour runs well within this (BLE connection and loads at the demo's pace).
constexpr int kTourTimeoutMs = 120000;
/// Smallest picture that shows a page.
constexpr int kMinWidthPx = 400;
constexpr int kMinHeightPx = 300;
/// A page with text, frames and pictures has many more colours; a blank or one-colour grab few.
constexpr int kMinColours = 16;

/// Distinct colours of an image (stops counting at limit).
int colourCount(const QImage &image, int limit)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
            if (colours.size() >= limit)
                return colours.size();
        }
    }
    return colours.size();
}
} // namespace

class TestScreenshots : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void picture_data();
    void picture();
    void picturesDiffer();
    void tourNeedsFolder();

private:
    /// The environment of a run: its own temporary folder (single-instance lock) and settings.
    QStringList environment() const;

    QTemporaryDir m_tmp;
    QString m_shots;
    ProcessResult m_tour;
};

QStringList TestScreenshots::environment() const
{
    return {QStringLiteral("TMPDIR=") + m_tmp.path(),
            QStringLiteral("XDG_CONFIG_HOME=") + m_tmp.filePath("config"),
            QStringLiteral("QT_QPA_PLATFORM=offscreen")};
}

void TestScreenshots::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    m_shots = m_tmp.filePath("shots");
    ProcessOptions options;
    options.environment = environment();
    options.timeoutMs = kTourTimeoutMs;
    m_tour = runProcess(kProgram, {m_shots}, options);
}

void TestScreenshots::picture_data()
{
    QTest::addColumn<QString>("name");
    // The names the README and the package's metainfo refer to.
    for (const char *name : {"connection.png", "device.png", "frames.png", "updater.png", "autoconfig.png"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestScreenshots::picture()
{
    QFETCH(QString, name);
    QVERIFY2(m_tour.code == 0, qPrintable(QString("exit code %1: %2").arg(m_tour.code).arg(m_tour.err)));
    const QImage image(QDir(m_shots).filePath(name));
    QVERIFY2(!image.isNull(), qPrintable(name + " missing or unreadable"));
    QVERIFY2(image.width() >= kMinWidthPx && image.height() >= kMinHeightPx,
             qPrintable(QString("%1 x %2").arg(image.width()).arg(image.height())));
    QVERIFY2(colourCount(image, kMinColours) >= kMinColours, "blank picture");
}

void TestScreenshots::picturesDiffer()
{
    // Each picture shows its own page: a tour stuck on one page would repeat it.
    QVERIFY2(m_tour.code == 0, qPrintable(m_tour.err));
    const QStringList names = QDir(m_shots).entryList({"*.png"}, QDir::Files, QDir::Name);
    QCOMPARE(names.size(), 5);
    QList<QImage> images;
    for (const QString &name : names)
        images << QImage(QDir(m_shots).filePath(name));
    for (int i = 0; i < images.size(); ++i) {
        for (int j = i + 1; j < images.size(); ++j)
            QVERIFY2(images.at(i) != images.at(j), qPrintable(names.at(i) + " == " + names.at(j)));
    }
}

void TestScreenshots::tourNeedsFolder()
{
    ProcessOptions options;
    options.environment = environment();
    const ProcessResult r = runProcess(kProgram, {}, options);
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("usage: pelm-screenshot-tour DIR"), qPrintable(r.err));
}

QTEST_GUILESS_MAIN(TestScreenshots)
#include "tst_screenshots.moc"

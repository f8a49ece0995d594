// Fuzz target: the release information the update check reads from the network. The input is
// the answer body, read for two product keys. What comes out must be safe to show: a download
// address is empty or an absolute http(s) URL, and the link built from it for the dialog's
// rich text keeps exactly its own markup (the address and text escaped). The version order
// must stay a strict order: never newer than itself, never both ways, transitive.

#include "FuzzSupport.h"

#include "net/ReleaseCheck.h"

#include <QStringList>

#include <cstdint>

namespace {

int count(const QString &text, QChar c)
{
    return int(text.count(c));
}

void checkLink(const QString &url)
{
    const QString html = ReleaseInfo::linkHtml(url, QStringLiteral("Download <page>"));
    if (url.isEmpty()) {
        FUZZ_CHECK(html.isEmpty());
        return;
    }
    FUZZ_CHECK(ReleaseInfo::isWebUrl(url));
    // <center><a href="...">...</a></center>: four tags, two quotes, whatever the address holds.
    FUZZ_CHECK(count(html, QLatin1Char('<')) == 4);
    FUZZ_CHECK(count(html, QLatin1Char('>')) == 4);
    FUZZ_CHECK(count(html, QLatin1Char('"')) == 2);
    FUZZ_CHECK(html.startsWith(QLatin1String("<center><a href=\"")));
    FUZZ_CHECK(html.endsWith(QLatin1String("\">Download &lt;page&gt;</a></center>")));
}

/// What pelm-cli update-check prints of an answer: never a control character, a space or
/// anything outside ASCII, and a version only of digits and dots.
void checkPrintable(const QString &version, const QString &url)
{
    const QString printed = ReleaseInfo::printableUrl(url);
    for (const QChar c : printed)
        FUZZ_CHECK(c.unicode() > 0x20 && c.unicode() < 0x7F);
    if (!printed.isEmpty())
        FUZZ_CHECK(ReleaseInfo::isWebUrl(printed));
    if (ReleaseInfo::isDottedDecimal(version)) {
        for (const QChar c : version)
            FUZZ_CHECK(c == QLatin1Char('.') || (c >= QLatin1Char('0') && c <= QLatin1Char('9')));
        FUZZ_CHECK(!version.startsWith(QLatin1Char('.')) && !version.endsWith(QLatin1Char('.')));
    }
}

void checkOrder(const QString &a, const QString &b, const QString &c)
{
    FUZZ_CHECK(!ReleaseInfo::isNewer(a, a));
    FUZZ_CHECK(!(ReleaseInfo::isNewer(a, b) && ReleaseInfo::isNewer(b, a)));
    if (ReleaseInfo::isNewer(a, b) && ReleaseInfo::isNewer(b, c))
        FUZZ_CHECK(ReleaseInfo::isNewer(a, c));
}

} // namespace

// Qt 5.15's JSON parser loses the earlier value of a key repeated in one object when that value
// is an object or an array (see fuzz_configfile.cpp): what Qt itself allocates is kept out of
// the leak reports; a leak of this program's objects is still reported.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libQt5Core.so\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    Fuzz::init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(data), int(size));
    // The input itself, cut at its line breaks, also gives version texts.
    const QStringList lines = QString::fromUtf8(body).split(QLatin1Char('\n'));
    checkOrder(lines.value(0), lines.value(1), lines.value(2));
    checkPrintable(lines.value(0), lines.value(1));
    for (const QString &product : {QStringLiteral("pelm-configurator"), QStringLiteral("p")}) {
        ReleaseInfo::Entry entry;
        entry.latestVersion = QStringLiteral("stale");
        entry.downloadUrl = QStringLiteral("https://stale.example/");
        if (!ReleaseInfo::parse(body, product, &entry)) {
            // Not a document: nothing of an earlier answer survives.
            FUZZ_CHECK(entry.latestVersion.isEmpty() && entry.downloadUrl.isEmpty());
            continue;
        }
        checkLink(entry.downloadUrl);
        checkPrintable(entry.latestVersion, entry.downloadUrl);
        checkOrder(entry.latestVersion, QStringLiteral("1.0.7"), lines.value(0));
        checkOrder(lines.value(0), entry.latestVersion, QStringLiteral("1.0.7"));
    }
    return 0;
}

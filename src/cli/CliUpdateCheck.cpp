#include "cli/CliUpdateCheck.h"

#include "cli/ExitCodes.h"
#include "cli/CliHelp.h"
#include "net/ReleaseCheck.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTextStream>

namespace Cli {

int updateCheck(const QStringList &args, QTextStream &out, QTextStream &err)
{
    ReleaseCheckSettings settings = ReleaseCheckSettings::load(QSettings());
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--url") && hasValue)
            settings.url = args.at(++i);
        else if (arg == QLatin1String("--product") && hasValue)
            settings.product = args.at(++i);
        else if (arg == QLatin1String("--url") || arg == QLatin1String("--product"))
            return usage(err, QCoreApplication::translate("Cli", "%1 needs a value").arg(arg));
        else
            return usage(err, QCoreApplication::translate("Cli", "unexpected argument '%1'").arg(arg));
    }

    ReleaseChecker checker;
    checker.apply(settings);
    checker.setCurrentVersion(QCoreApplication::applicationVersion());
    checker.run();
    // What the server sent reaches a terminal: a version must be numbers and dots, and the
    // address is printed percent-encoded, so no escape sequence or line of its own gets out.
    const ReleaseInfo::Entry entry = checker.entry();
    const bool published = checker.outcome() == ReleaseChecker::Outcome::UpdateAvailable ||
                           checker.outcome() == ReleaseChecker::Outcome::UpToDate;
    if (published && !entry.latestVersion.isEmpty() && !ReleaseInfo::isDottedDecimal(entry.latestVersion)) {
        err << ReleaseChecker::jsonError() << '\n';
        return kUpdateCheckFailed;
    }
    switch (checker.outcome()) {
    case ReleaseChecker::Outcome::UpdateAvailable: {
        out << "update available: " << entry.latestVersion;
        const QString url = ReleaseInfo::printableUrl(entry.downloadUrl);
        if (!url.isEmpty())
            out << ' ' << url;
        out << '\n';
        return kOk;
    }
    case ReleaseChecker::Outcome::UpToDate:
        out << "up to date\n";
        return kOk;
    case ReleaseChecker::Outcome::Failed:
    case ReleaseChecker::Outcome::None:
        break;
    }
    err << checker.error() << '\n';
    return kUpdateCheckFailed;
}

} // namespace Cli

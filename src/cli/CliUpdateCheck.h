#pragma once
// pelm-cli update-check: asks the release service whether a newer release of the program exists.

#include <QStringList>

class QTextStream;

namespace Cli {

/// Exit code of a check that failed (no answer, or not the release information): the code of
/// "no answer" of the device commands.
constexpr int kUpdateCheckFailed = 4;

/// update-check [--url URL] [--product KEY]: prints "up to date" or
/// "update available: VERSION URL" (exit 0), or the error on standard error (exit 4).
/// The address, product key, user agent and timeout come from the settings unless given.
int updateCheck(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace Cli

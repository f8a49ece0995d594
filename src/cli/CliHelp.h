#pragma once
// The help text of pelm-cli and the usage error.

class QString;
class QTextStream;

namespace Cli {
/// The commands, options and exit codes, as --help prints them after the usage line, in the
/// language of the installed translator.
QString helpText();
/// The usage line --help starts with (translated), without its line end.
QString usageLine();
/// Prints why the command line was refused and where to find help; returns kUsage.
int usage(QTextStream &err, const QString &why);
} // namespace Cli

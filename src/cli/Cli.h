#pragma once
// pelm-cli: configuration files and frames from the command line.

#include "cli/ExitCodes.h"

#include <QStringList>

class QTextStream;

namespace Cli {

/// Runs one command line (arguments without the program name); returns the exit code.
int run(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace Cli

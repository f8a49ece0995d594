// pelm-cli: picks the command from the first two words of the command line.
#include "cli/Cli.h"

#include "cli/CliCommands.h"
#include "cli/CliDoctor.h"
#include "cli/CliHelp.h"
#include "cli/CliReporter.h"
#include "cli/CliUpdateCheck.h"

#include "common/Logging.h"
#include "common/Reporter.h"

#include <QCoreApplication>
#include <QTextStream>

using Cli::usage;

int Cli::run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    // --verbose goes anywhere on the line: every log category on standard error.
    QStringList args = arguments;
    if (args.removeAll(QStringLiteral("--verbose")) > 0)
        Logging::enableVerbose();
    if (args.isEmpty())
        return usage(err, QCoreApplication::translate("Cli", "no command given"));
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        out << usageLine() << "\n\n" << helpText();
        return kOk;
    }
    if (args.contains(QLatin1String("--version"))) {
        out << "pelm-cli " << PELM_VERSION << '\n';
        return kOk;
    }
    CliReporter rep(err);
    setReporter(&rep);
    const QString group = args.value(0);
    const QString cmd = args.value(1);
    const QStringList rest = args.mid(2);
    int rc = kUsage;
    if (group == QLatin1String("frames") && cmd == QLatin1String("pack"))
        rc = framesPack(rest, out, err, rep);
    else if (group == QLatin1String("frames") && cmd == QLatin1String("qr"))
        rc = framesQr(rest, err, rep);
    else if (group == QLatin1String("frames") && cmd == QLatin1String("unpack"))
        rc = framesUnpack(rest, out, err);
    else if (group == QLatin1String("file") && cmd == QLatin1String("info"))
        rc = fileInfo(rest, out, err, rep);
    else if (group == QLatin1String("file") && cmd == QLatin1String("diff"))
        rc = fileDiff(rest, out, err, rep);
    else if (group == QLatin1String("firmware") && cmd == QLatin1String("info"))
        rc = firmwareInfo(rest, out, err);
    else if (group == QLatin1String("update-check"))
        rc = updateCheck(args.mid(1), out, err);
    else if (group == QLatin1String("device") && cmd == QLatin1String("update"))
        rc = deviceUpdate(rest, out, err);
    else if (group == QLatin1String("doctor"))
        rc = Cli::doctor(args.mid(1), out, err);
    else if (group == QLatin1String("device") && !cmd.isEmpty())
        rc = deviceCommand(cmd, rest, out, err);
    else
        rc = usage(err,
                   QCoreApplication::translate("Cli", "unknown command '%1'").arg(args.mid(0, 2).join(' ')));
    setReporter(nullptr);
    return rc;
}

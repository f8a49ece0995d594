#include "cli/Cli.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Pelm"));
    QCoreApplication::setApplicationName(QStringLiteral("Pelm Configurator"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELM_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments();
    args.removeFirst();
    const int rc = Cli::run(args, out, err);
    out.flush();
    err.flush();
    return rc;
}

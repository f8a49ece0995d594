#include "cli/Cli.h"
#include "common/Translations.h"
#include "device/family/FamilyParams.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {
/// The program's translation without the parameter names and failure messages: the names are
/// the keys of configuration files and, with the failure messages, part of the JSON and of the
/// "accepted"/"REFUSED" lines that scripts read, so they stay as the files have them.
class CliTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *source, const char *disambiguation,
                      int n) const override
    {
        if (context && std::strcmp(context, FamilyParams::kTranslationContext) == 0)
            return QString();
        return QTranslator::translate(context, source, disambiguation, n);
    }
};
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Pelm"));
    QCoreApplication::setApplicationName(QStringLiteral("Pelm Configurator"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELM_VERSION));
    // Messages in the language of the locale (LC_ALL, LC_MESSAGES, LANG) when the program has
    // a translation for it; the lines scripts read are never translated.
    const QString code = Translations::languageOf(QLocale::system().name());
    CliTranslator translator;
    QTranslator qtTranslator; // the command-line parser's own errors
    if (Translations::load(translator, code)) {
        QCoreApplication::installTranslator(&translator);
        if (qtTranslator.load(QStringLiteral("qtbase_") + code,
                              QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&qtTranslator);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments();
    args.removeFirst();
    const int rc = Cli::run(args, out, err);
    out.flush();
    err.flush();
    return rc;
}

#include "common/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>

namespace Translations {

QStringList searchDirs()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    return {QDir::cleanPath(programDir.filePath(QStringLiteral("translations"))),
            QDir::cleanPath(programDir.filePath(QLatin1String(kInstalledDir)))};
}

QString dir()
{
    const QStringList dirs = searchDirs();
    for (const QString &folder : dirs) {
        if (!languages(folder).isEmpty())
            return folder;
    }
    return dirs.first();
}

QStringList languages(const QString &folder)
{
    const QString prefix = QLatin1String(kFilePrefix);
    const QStringList files = QDir(folder).entryList({prefix + QLatin1Char('*') + QLatin1String(kFileSuffix)},
                                                     QDir::Files, QDir::Name);
    QStringList codes;
    for (const QString &file : files) {
        const QString code = QFileInfo(file).completeBaseName().mid(prefix.size());
        if (!code.isEmpty())
            codes << code;
    }
    return codes;
}

QString languageOf(const QString &localeName)
{
    return localeName.section(QLatin1Char('_'), 0, 0).section(QLatin1Char('.'), 0, 0);
}

bool load(QTranslator &translator, const QString &code)
{
    if (code.isEmpty() || !languages(dir()).contains(code))
        return false;
    return translator.load(QLatin1String(kFilePrefix) + code + QLatin1String(kFileSuffix), dir());
}

} // namespace Translations

#include "common/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

} // namespace Translations

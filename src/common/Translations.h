#pragma once
// Where the program's translations ("orv_cfg_<code>.qm") are found: in "translations" beside
// the executable (a build folder, a program copied with its translations), then in the data
// folder of an installation ("share/pelm-configurator/translations" beside the "bin" folder).

#include <QString>
#include <QStringList>

class QTranslator;

namespace Translations {

/// File name prefix and extension of a translation: kFilePrefix + code + kFileSuffix.
constexpr char kFilePrefix[] = "orv_cfg_";
constexpr char kFileSuffix[] = ".qm";
/// The folder of an installation, relative to the folder of the executable.
constexpr char kInstalledDir[] = "../share/pelm-configurator/translations";

/// The folders looked in, in order, as absolute clean paths.
QStringList searchDirs();
/// The first folder of searchDirs that holds a translation; the first folder when none does.
QString dir();
/// The language codes of the translations in folder, sorted by file name.
QStringList languages(const QString &folder);
/// The language code of a locale name: the part before its first "_" ("fr_FR.UTF-8" -> "fr").
QString languageOf(const QString &localeName);
/// Loads the program's translation of language code from dir() into translator; false (and
/// translator left empty) when there is none, as for "en", "C" or an empty code.
bool load(QTranslator &translator, const QString &code);

} // namespace Translations

#pragma once

#include <QString>
#include <functional>

// Gives the value of an environment variable, empty when it is not set.
using EnvLookup = std::function<QString(const char* name)>;

QString SystemEnvironment(const char* name);

// The language file of the desktop's language, as a name beside the program: "<base>.<language>.ini" for
// the first language the desktop asks for that has a file (with its territory, "de_AT", before the language
// alone, "de"), "<base>.ini" (English) when none has. The desktop's language is the first set of
// LANGUAGE (a list separated by colons), LC_ALL, LC_MESSAGES and LANG, the order gettext follows; as there, a
// messages locale of "C" or "POSIX" (LC_ALL=C, say) means English whatever LANGUAGE says.
QString DesktopLanguageFile(const QString& exePath, const QString& base, const EnvLookup& env);
// The language code of a language file's name: "de" for "<base>.de.ini", "en" for "<base>.ini".
QString LanguageOfFile(const QString& base, const QString& file);

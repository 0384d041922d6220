#include "Ulanguage.h"

#include <QFileInfo>
#include <QStringList>

namespace {

QStringList DesktopLanguages(const EnvLookup& env)
{
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = env(name);
        if (!value.isEmpty())
            return value.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    }
    return {};
}

// "de_AT.UTF-8@euro" asks for "de_AT", then "de".
QStringList FileLanguages(QString locale)
{
    locale.truncate(locale.indexOf(QLatin1Char('.')) < 0 ? locale.size() : locale.indexOf(QLatin1Char('.')));
    locale.truncate(locale.indexOf(QLatin1Char('@')) < 0 ? locale.size() : locale.indexOf(QLatin1Char('@')));
    const QString language = locale.section(QLatin1Char('_'), 0, 0);
    return language == locale ? QStringList{locale} : QStringList{locale, language};
}

bool IsEnglish(const QString& language)
{
    return language == QLatin1String("en") || language == QLatin1String("C") ||
           language == QLatin1String("POSIX");
}

// A language code of letters only: a value such as "../x" must not pick a file elsewhere.
bool IsPlainCode(const QString& code)
{
    for (const QChar c : code)
        if (!c.isLetter() && c != QLatin1Char('_'))
            return false;
    return !code.isEmpty();
}

} // namespace

QString SystemEnvironment(const char* name)
{
    return qEnvironmentVariable(name);
}

QString DesktopLanguageFile(const QString& exePath, const QString& base, const EnvLookup& env)
{
    QString english = base + QStringLiteral(".ini");
    for (const QString& locale : DesktopLanguages(env)) {
        const QStringList languages = FileLanguages(locale);
        if (IsEnglish(languages.last()))
            return english;
        for (const QString& language : languages) {
            QString name = base + '.' + language + QStringLiteral(".ini");
            if (IsPlainCode(language) && QFileInfo(exePath + name).isFile())
                return name;
        }
    }
    return english;
}

#include "Ulanguage.h"

#include <QFileInfo>
#include <QStringList>

namespace {

bool IsUntranslatedLocale(const QString& locale)
{
    return locale == QLatin1String("C") || locale.startsWith(QLatin1String("C.")) ||
           locale == QLatin1String("POSIX");
}

QStringList DesktopLanguages(const EnvLookup& env)
{
    QString locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = env(name);
        if (!locale.isEmpty())
            break;
    }
    // The messages locale "C" means untranslated, whatever LANGUAGE asks for (gettext's rule).
    if (IsUntranslatedLocale(locale))
        return {QStringLiteral("C")};
    const QString languages = env("LANGUAGE");
    return (languages.isEmpty() ? locale : languages).split(QLatin1Char(':'), Qt::SkipEmptyParts);
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

QString LanguageOfFile(const QString& base, const QString& file)
{
    const QString prefix = base + QLatin1Char('.');
    const QString suffix = QStringLiteral(".ini");
    if (!file.startsWith(prefix) || !file.endsWith(suffix) || file.size() <= prefix.size() + suffix.size())
        return QStringLiteral("en");
    return file.mid(prefix.size(), file.size() - prefix.size() - suffix.size());
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

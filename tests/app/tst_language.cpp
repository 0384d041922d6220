// Which language file the program reads, and that the shipped translation is complete.
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Ulanguage.h"
#include "testutil.h"

#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testutil::WriteFile;

namespace {

using Environment = QMap<QString, QString>;

EnvLookup LookupIn(const Environment& env)
{
    return [env](const char* name) { return env.value(QString::fromLatin1(name)); };
}

// Section -> key -> value, keys and sections in lower case as the program compares them.
using IniKeys = QMap<QString, QMap<QString, QString>>;

IniKeys ReadKeys(const QString& path)
{
    IniKeys keys;
    QString section;
    for (const QString& raw : QString::fromUtf8(testutil::ReadFile(path)).split('\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith('[')) {
            section = line.mid(1, line.size() - 2).toLower();
            keys[section];
        } else if (!line.isEmpty() && !line.startsWith(';') && line.contains('=')) {
            keys[section][line.section('=', 0, 0).trimmed().toLower()] = line.section('=', 1);
        }
    }
    return keys;
}

// What a translation must keep: the places filled in and the line breaks.
QStringList Placeholders(const QString& text)
{
    QStringList found;
    auto it = QRegularExpression(R"(%[sd]|\\n)").globalMatch(text);
    while (it.hasNext())
        found << it.next().captured();
    return found;
}

} // namespace

TEST(Language, DesktopLanguagePicksTheFile)
{
    QTemporaryDir dir;
    const QString exePath = dir.path() + '/';
    for (const char* name : {"prog.ini", "prog.de.ini", "prog.pt_BR.ini"})
        WriteFile(exePath + name, "[Common]\n");
    const struct {
        Environment env;
        const char* file;
    } cases[] = {
        {{}, "prog.ini"},
        {{{"LANG", "de_DE.UTF-8"}}, "prog.de.ini"},
        {{{"LANG", "de_AT.UTF-8@euro"}}, "prog.de.ini"},
        {{{"LANG", "de"}}, "prog.de.ini"},
        {{{"LANG", "fr_FR.UTF-8"}}, "prog.ini"},
        {{{"LANG", "pt_BR.UTF-8"}}, "prog.pt_BR.ini"},
        {{{"LANG", "pt_PT.UTF-8"}}, "prog.ini"},
        // The order of precedence: LANGUAGE, LC_ALL, LC_MESSAGES, LANG.
        {{{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}}, "prog.ini"},
        {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "de_DE.UTF-8"}}, "prog.de.ini"},
        {{{"LC_MESSAGES", "en_GB.UTF-8"}, {"LC_ALL", "de_CH.UTF-8"}}, "prog.de.ini"},
        {{{"LC_ALL", "C"}, {"LANG", "de_DE.UTF-8"}}, "prog.ini"},
        // A messages locale of C means untranslated, whatever LANGUAGE asks for.
        {{{"LC_ALL", "C"}, {"LANGUAGE", "de"}}, "prog.ini"},
        {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "de"}}, "prog.ini"},
        {{{"LC_MESSAGES", "POSIX"}, {"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "de"}}, "prog.ini"},
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "de"}}, "prog.de.ini"},
        {{{"LANGUAGE", "en"}, {"LC_ALL", "de_DE.UTF-8"}}, "prog.ini"},
        {{{"LANG", ""}, {"LC_ALL", ""}, {"LC_MESSAGES", "de_DE"}}, "prog.de.ini"},
        // A list is taken in its order; English stops it, as English needs no file.
        {{{"LANGUAGE", "fr:it:de"}}, "prog.de.ini"},
        {{{"LANGUAGE", "fr:en:de"}}, "prog.ini"},
        {{{"LANGUAGE", "::de_LU"}}, "prog.de.ini"},
        // Nothing but a language code names a file.
        {{{"LANG", "../../etc/passwd"}}, "prog.ini"},
        {{{"LANGUAGE", "x/../de"}}, "prog.ini"},
    };
    for (const auto& c : cases) {
        QStringList what;
        for (auto it = c.env.begin(); it != c.env.end(); ++it)
            what << it.key() + '=' + it.value();
        EXPECT_EQ(DesktopLanguageFile(exePath, "prog", LookupIn(c.env)), c.file)
            << what.join(' ').toStdString();
    }
}

TEST(Language, TheSettingsChoiceWinsOverTheDesktop)
{
    QTemporaryDir dir;
    WriteFile(dir.filePath("prog.ini"), "[Common]\nUnknow=N/A\n");
    WriteFile(dir.filePath("prog.de.ini"), "[Common]\nUnknow=k. A.\n");
    WriteFile(dir.filePath("mine.ini"), "[Common]\nUnknow=n.d.\n");
    const QByteArray oldLanguage = qgetenv("LANGUAGE");
    const QByteArray oldLocale = qgetenv("LC_ALL");
    qputenv("LANGUAGE", "de");
    // Not the C locale, under which LANGUAGE does not count.
    qputenv("LC_ALL", "de_DE.UTF-8");
    const struct {
        QByteArray settings;
        const char* text;
    } cases[] = {
        {"[Setting]\n", "k. A."},
        {"[Setting]\nStringFile=\n", "k. A."},
        {"[Setting]\nStringFile=mine.ini\n", "n.d."},
        {"[Setting]\nStringFile=prog.ini\n", "N/A"},
        // A file that is not there: the built-in English texts, and a line in the log that says why.
        {"[Setting]\nStringFile=missing.ini\n", "N/A"},
    };
    WriteFile(dir.filePath("log.Log"), "");
    DebugLogFile().Open(dir.filePath("log").toStdString());
    for (const auto& c : cases) {
        WriteFile(dir.filePath("prog.bin"), c.settings);
        CFAGlobalVar var;
        var.ReadFiles(dir.filePath("prog"));
        EXPECT_EQ(var.CommonTexts[0], c.text) << c.settings.constData();
        EXPECT_EQ(var.Language, QString(c.text) == "k. A." ? "de" : "en") << c.settings.constData();
    }
    DebugLogFile().Close();
    EXPECT_TRUE(QString::fromUtf8(testutil::ReadFile(dir.filePath("log.Log")))
                    .contains("StringFile missing.ini not found beside the program: the texts are English"));
    qputenv("LANGUAGE", oldLanguage);
    qputenv("LC_ALL", oldLocale);
}

TEST(Language, TheGermanFileTranslatesEveryEnglishText)
{
    const IniKeys english = ReadKeys(testutil::BinDir() + "/wlanutil.ini");
    const IniKeys german = ReadKeys(testutil::BinDir() + "/wlanutil.de.ini");
    ASSERT_FALSE(english.isEmpty());
    EXPECT_EQ(german.keys(), english.keys());
    for (auto section = english.begin(); section != english.end(); ++section) {
        const auto& translated = german.value(section.key());
        EXPECT_EQ(translated.keys(), section.value().keys()) << section.key().toStdString();
        for (auto key = section.value().begin(); key != section.value().end(); ++key) {
            const QString text = translated.value(key.key());
            const std::string where = (section.key() + '/' + key.key()).toStdString();
            EXPECT_EQ(Placeholders(text), Placeholders(key.value())) << where;
            EXPECT_EQ(text.isEmpty(), key.value().isEmpty()) << where;
        }
    }
}

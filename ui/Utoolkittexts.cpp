#include "Utoolkittexts.h"
#include "app/Udebug.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool LoadToolkitTexts(const QString& language)
{
    if (language.isEmpty() || language == QLatin1String("en"))
        return true;
    // One for the program's life: the application keeps a pointer to it.
    static QTranslator* toolkit = nullptr;
    if (!toolkit)
        toolkit = new QTranslator(QCoreApplication::instance());
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!toolkit->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
        DebugPrint("No toolkit texts for %s in %s: its menus and buttons stay English", qPrintable(language),
                   qPrintable(folder));
        return false;
    }
    QCoreApplication::installTranslator(toolkit);
    return true;
}

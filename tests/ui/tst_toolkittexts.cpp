// The toolkit's own texts (a text field's menu, a standard box's buttons) follow the program's language: they
// stayed English under German texts.
#include "ui/Utoolkittexts.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <gtest/gtest.h>
#include <memory>

namespace {

QStringList MenuTexts(QLineEdit& edit)
{
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (const QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text().section(QLatin1Char('\t'), 0, 0); // without the shortcut
    return texts;
}

} // namespace

TEST(ToolkitTexts, LoadedForTheLanguageShown)
{
    QLineEdit edit;
    const QStringList english = MenuTexts(edit);
    ASSERT_TRUE(english.contains("&Undo")) << english.join(' ').toStdString();
    EXPECT_TRUE(LoadToolkitTexts(QStringLiteral("en"))) << "English needs nothing";
    EXPECT_EQ(MenuTexts(edit), english);
    EXPECT_FALSE(LoadToolkitTexts(QStringLiteral("xx"))) << "a language the toolkit has no texts for";
    EXPECT_EQ(MenuTexts(edit), english);

    ASSERT_TRUE(LoadToolkitTexts(QStringLiteral("de")));
    const QStringList german = MenuTexts(edit);
    EXPECT_TRUE(german.contains("&Rückgängig")) << german.join(' ').toStdString();
    EXPECT_FALSE(german.contains("Select All")) << german.join(' ').toStdString();
}

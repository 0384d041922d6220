#include "editorfixture.h"
#include "app/Udefine.h"
#include "ui/Propertypageframeunit.h"
#include "ui/Uformmsgbox.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

void EditorPageTest::SetUp()
{
    PageTest::SetUp();
    m_Profile = WLProfile{};
    m_Profile.NetworkMode = 1;
    m_Profile.WEPKeyFormat = 1;
    m_Profile.AuthenticationMode = 2;
    m_Profile.WPAEncryptionType = 1;
    // Every box answers at once; a box that blocked would hang the test.
    TFormMsgBox::SetNextAnswer(mrOk);
    m_MessagesAtStart = TFormMsgBox::LastShown().Count;
}

void EditorPageTest::TearDown()
{
    TFormMsgBox::SetNextAnswer(mrNone);
    PageTest::TearDown();
}

void EditorPageTest::Open(TPropertyPageFrame* page)
{
    m_Page = page;
    Host(page);
    Attach();
    ASSERT_TRUE(page->EnterPage(nullptr, pmForward, 0));
}

bool EditorPageTest::Next()
{
    const bool left = m_Page->LeavePage(nullptr, pmForward, 0);
    TFormMsgBox::SetNextAnswer(mrOk);
    return left;
}

QComboBox* EditorPageTest::Combo(const char* name) const
{
    auto* combo = m_Page->findChild<QComboBox*>(QLatin1String(name));
    EXPECT_NE(combo, nullptr) << name;
    return combo;
}

void EditorPageTest::Choose(const char* name, int value)
{
    ChooseByKeys(Combo(name), value);
}

void EditorPageTest::Type(const char* name, const QString& text)
{
    auto* edit = m_Page->findChild<QLineEdit*>(QLatin1String(name));
    ASSERT_NE(edit, nullptr) << name;
    TypeText(edit, text);
    TFormMsgBox::SetNextAnswer(mrOk);
}

QList<int> EditorPageTest::Values(const char* name) const
{
    QList<int> values;
    const QComboBox* combo = Combo(name);
    for (int i = 0; i < combo->count(); ++i)
        values << combo->itemData(i).toInt();
    return values;
}

int EditorPageTest::Messages() const
{
    return TFormMsgBox::LastShown().Count - m_MessagesAtStart;
}

QString EditorPageTest::LastMessage() const
{
    return TFormMsgBox::LastShown().Text;
}

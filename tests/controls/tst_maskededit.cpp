#include "controls/Maskededit.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(MaskedEdit, StoredSecretIsReplacedNeverEdited)
{
    TMaskedEdit edit;
    edit.setText(QStringLiteral("secret-phrase"));
    edit.SetMasked(true);
    ASSERT_TRUE(edit.Masked());
    EXPECT_NE(edit.displayText(), edit.text());
    EXPECT_EQ(edit.displayText(), QString(13, u'*'));
    // Moving the cursor neither shows nor empties the secret.
    QTest::keyClick(&edit, Qt::Key_Left);
    EXPECT_TRUE(edit.Masked());
    EXPECT_EQ(edit.text(), QStringLiteral("secret-phrase"));
    QTest::keyClicks(&edit, QStringLiteral("ab"));
    EXPECT_FALSE(edit.Masked());
    EXPECT_EQ(edit.text(), QStringLiteral("ab"));
    EXPECT_EQ(edit.displayText(), QStringLiteral("ab"));
}

TEST(MaskedEdit, BackspaceEmptiesAMaskedEdit)
{
    TMaskedEdit edit;
    edit.setText(QStringLiteral("abcdef"));
    edit.SetMasked(true);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QString());
    EXPECT_FALSE(edit.Masked());
}

TEST(MaskedEdit, EmptyTextIsNeverMasked)
{
    TMaskedEdit edit;
    edit.SetMasked(true);
    EXPECT_FALSE(edit.Masked());
}

TEST(MaskedEdit, TypingPastTheLimitIsReported)
{
    TMaskedEdit edit;
    edit.setMaxLength(4);
    QSignalSpy reached(&edit, &TMaskedEdit::MaxTextReached);
    QTest::keyClicks(&edit, QStringLiteral("abcd"));
    EXPECT_EQ(reached.count(), 0);
    QTest::keyClicks(&edit, QStringLiteral("ef"));
    EXPECT_EQ(reached.count(), 2);
    EXPECT_EQ(edit.text(), QStringLiteral("abcd"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(reached.count(), 2);
}

} // namespace

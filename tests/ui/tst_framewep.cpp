// The editor's WEP page on the simulated adapter, typed into as a person does.
#include "editorfixture.h"
#include "testutil.h"
#include "ui/pages/Uframewep.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <cstring>

namespace {

class WEPPageTest : public EditorPageTest {
protected:
    void OpenWEP()
    {
        m_Profile.EncryptionMethod = 1;
        Open(new TFrameWEP(m_Profile));
    }
    QLineEdit* Edit(const char* name) const { return m_Page->findChild<QLineEdit*>(QLatin1String(name)); }
    // A 64-bit profile whose phrase and keys 1 and 2 are stored.
    void OpenWEPWithStoredKeys()
    {
        m_Profile.WEPEncryptionLevel = 1;
        strcpy(m_Profile.PassPhrase, "badpw");
        strcpy(m_Profile.WEPKey1, "02CB778981");
        strcpy(m_Profile.WEPKey2, "C27236DFB1");
        OpenWEP();
    }
    // A click on the "show characters" box, where its tick is.
    void ClickShowSwitch()
    {
        auto* box = m_Page->findChild<QCheckBox*>(QStringLiteral("ChkShowChars"));
        ASSERT_TRUE(box && box->isVisible());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
};

TEST_F(WEPPageTest, TransmitKeyOf64BitLevel)
{
    struct Case {
        const char* Key;
        bool Accepted;
        int Format;
        const char* Stored;
        const char* Message;
    };
    const Case cases[] = {
        {"ab#de", true, 2, "ab#de", ""},        {"0a1b2c3d4e", true, 1, "0A1B2C3D4E", ""},
        {"012345678", false, 0, "", "ErWEP64"}, {"012345678G", false, 0, "", "ErHex64"},
        {"", false, 0, "", "ErWEP64"},
    };
    testutil::WriteFile(m_Dir.filePath(QStringLiteral("wlanutil.ini")),
                        "[Message]\nErWEP64=length of a 64-bit key\nErHex64=digits of a 64-bit key\n");
    WriteSettings("[Setting]\nProfRoot=EngineTest\n");
    OpenWEP();
    Choose("CmbWEP", 1);
    for (const Case& c : cases) {
        const int shown = Messages();
        Type("EdtKey1", QString::fromLatin1(c.Key));
        ASSERT_EQ(Next(), c.Accepted) << c.Key;
        EXPECT_EQ(Messages() - shown, c.Accepted ? 0 : 1) << c.Key;
        if (c.Accepted) {
            EXPECT_EQ(m_Profile.WEPKeyFormat, c.Format) << c.Key;
            EXPECT_STREQ(m_Profile.WEPKey1, c.Stored);
            EXPECT_EQ(m_Profile.WEPEncryptionLevel, 1);
        } else {
            const bool lengthKind = strcmp(c.Message, "ErWEP64") == 0;
            EXPECT_EQ(LastMessage(), lengthKind ? QStringLiteral("length of a 64-bit key")
                                                : QStringLiteral("digits of a 64-bit key"))
                << c.Key;
        }
    }
}

TEST_F(WEPPageTest, EachKeyMessageNamesTheLengthsOfItsLevel)
{
    struct Case {
        int Level;
        QString Key;
        const char* Message;
    };
    const QString letters = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const Case cases[] = {
        {1, "012345678", "A 64-bit WEP key is 10 hexadecimal digits or 5 characters. Please try again."},
        {1, "012345678G",
         "A 64-bit WEP key of 10 hexadecimal digits takes only 0-9 and A-F; or type 5 characters. Please try "
         "again."},
        {2, "abcdefghijkl", "A 128-bit WEP key is 26 hexadecimal digits or 13 characters. Please try again."},
        {2, letters.left(26),
         "A 128-bit WEP key of 26 hexadecimal digits takes only 0-9 and A-F; or type 13 characters. Please "
         "try "
         "again."},
        {4, letters.left(30),
         "A 256-bit WEP key is 58 hexadecimal digits or 29 characters. Please try again."},
        {4, letters.left(58),
         "A 256-bit WEP key of 58 hexadecimal digits takes only 0-9 and A-F; or type 29 characters. Please "
         "try "
         "again."},
    };
    WriteSettings("[Setting]\nProfRoot=EngineTest\nWEP256=1\n");
    OpenWEP();
    for (const Case& c : cases) {
        Choose("CmbWEP", c.Level);
        Type("EdtKey1", c.Key);
        ASSERT_FALSE(Next()) << c.Key.toStdString();
        EXPECT_EQ(LastMessage(), QString::fromLatin1(c.Message)) << c.Key.toStdString();
    }
}

TEST_F(WEPPageTest, TheShowSwitchNeverRevealsAStoredKey)
{
    OpenWEPWithStoredKeys();
    ClickShowSwitch();
    for (const char* stored : {"EdtPhrase", "EdtKey1"}) {
        EXPECT_EQ(Edit(stored)->echoMode(), QLineEdit::Password) << stored;
        EXPECT_FALSE(Edit(stored)->displayText().contains(QStringLiteral("02CB"))) << stored;
    }
    // Typing replaces the stored key; what is typed shows while the switch is on, and hides when it is off.
    Edit("EdtKey1")->setFocus();
    QTest::keyClicks(Edit("EdtKey1"), QStringLiteral("abcde"));
    EXPECT_EQ(Edit("EdtKey1")->displayText(), QStringLiteral("abcde"));
    ClickShowSwitch();
    EXPECT_EQ(Edit("EdtKey1")->displayText(), QStringLiteral("*****"));
    // Key 2, still stored, stays masked with the switch on again.
    ClickShowSwitch();
    Choose("CmbDefKey", 1);
    EXPECT_EQ(Edit("EdtKey2")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Edit("EdtKey2")->text(), QStringLiteral("C27236DFB1"));
}

TEST_F(WEPPageTest, OnlyTheTransmitKeyIsExamined)
{
    OpenWEP();
    Choose("CmbWEP", 1);
    Choose("CmbDefKey", 1);
    EXPECT_TRUE(Edit("EdtKey2")->isVisible());
    EXPECT_FALSE(Edit("EdtKey1")->isVisible());
    EXPECT_EQ(m_Page->findChild<QLabel*>("LbKey")->text(), QStringLiteral("Key 2"));
    Type("EdtKey2", QStringLiteral("abcde"));
    Choose("CmbDefKey", 0);
    Type("EdtKey1", QStringLiteral("0123456789"));
    ASSERT_TRUE(Next());
    EXPECT_STREQ(m_Profile.WEPKey1, "0123456789");
    EXPECT_STREQ(m_Profile.WEPKey2, "");
    EXPECT_EQ(m_Profile.DefaultKey, 0);
}

TEST_F(WEPPageTest, PassPhraseGeneratesFourVisibleKeys)
{
    OpenWEP();
    Choose("CmbWEP", 1);
    Type("EdtPhrase", QStringLiteral("badpw"));
    EXPECT_EQ(Edit("EdtKey1")->text(), QStringLiteral("02CB778981"));
    EXPECT_EQ(Edit("EdtKey4")->text(), QStringLiteral("A804571CC0"));
    // Generated keys are no stored secrets: the show switch shows them.
    ClickShowSwitch();
    for (const char* key : {"EdtPhrase", "EdtKey1", "EdtKey2", "EdtKey3", "EdtKey4"})
        EXPECT_EQ(Edit(key)->echoMode(), QLineEdit::Normal) << key;
    // Generating key 1 is no hand edit: the phrase stays.
    EXPECT_EQ(Edit("EdtPhrase")->text(), QStringLiteral("badpw"));
    Choose("CmbAuthen", 1);
    ASSERT_TRUE(Next());
    EXPECT_STREQ(m_Profile.WEPKey3, "C90C104FA2");
    EXPECT_STREQ(m_Profile.PassPhrase, "");
    EXPECT_EQ(m_Profile.AuthenticationMode, 1);
}

TEST_F(WEPPageTest, TypingIntoMaskedKey1EmptiesItAndThePhrase)
{
    OpenWEPWithStoredKeys();
    EXPECT_EQ(Edit("EdtKey1")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Edit("EdtPhrase")->echoMode(), QLineEdit::Password);
    Edit("EdtKey1")->setFocus();
    QTest::keyClicks(Edit("EdtKey1"), QStringLiteral("f"));
    EXPECT_EQ(Edit("EdtKey1")->text(), QStringLiteral("f"));
    EXPECT_EQ(Edit("EdtPhrase")->text(), QString());
    // Key 2 is not tied to the phrase and keeps its stored text.
    EXPECT_EQ(Edit("EdtKey2")->text(), QStringLiteral("C27236DFB1"));
}

TEST_F(WEPPageTest, AnotherLevelEmptiesPhraseAndKeys)
{
    m_Profile.WEPEncryptionLevel = 1;
    strcpy(m_Profile.WEPKey1, "02CB778981");
    OpenWEP();
    Choose("CmbWEP", 2);
    EXPECT_EQ(Edit("EdtKey1")->text(), QString());
    EXPECT_EQ(Edit("EdtKey1")->maxLength(), 26);
    Type("EdtKey1", QStringLiteral("abcdefghijklm"));
    ASSERT_TRUE(Next());
    EXPECT_EQ(m_Profile.WEPKeyFormat, 2);
    EXPECT_STREQ(m_Profile.WEPKey1, "abcdefghijklm");
}

TEST_F(WEPPageTest, Levels256WithoutPhraseAndNoLevelMeansNoEncryption)
{
    WriteSettings("[Setting]\nProfRoot=EngineTest\nWEP256=1\n");
    OpenWEP();
    EXPECT_EQ(Values("CmbWEP"), (QList<int>{1, 2, 4}));
    Choose("CmbWEP", 4);
    EXPECT_FALSE(Edit("EdtPhrase")->isEnabled());
    EXPECT_EQ(Edit("EdtKey1")->maxLength(), 58);

    m_Page->SetAdapter(nullptr, acDetach, 0);
    DestroyAdapter();
    WriteSettings("[Setting]\nProfRoot=EngineTest\nWEP64=0\nWEP128=0\n");
    Attach();
    ASSERT_TRUE(m_Page->EnterPage(nullptr, pmForward, 0));
    EXPECT_FALSE(Edit("EdtKey1")->isEnabled());
    ASSERT_TRUE(Next());
    EXPECT_EQ(m_Profile.EncryptionMethod, 0);
    EXPECT_EQ(m_Profile.WEPEncryptionLevel, 0);
}

} // namespace

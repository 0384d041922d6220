// The editor's security type page and WPA-PSK page on the simulated adapter.
#include "editorfixture.h"
#include "ui/pages/Uframesecurity.h"
#include "ui/pages/Uframewpapsk.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <cstring>

namespace {

class SecurityPageTest : public EditorPageTest {
protected:
    void OpenSecurity() { Open(new TFrameSecurity(m_Profile)); }
};

TEST_F(SecurityPageTest, AdHocOffersOnlyNoneAndWEP)
{
    m_Profile.NetworkMode = 0;
    OpenSecurity();
    EXPECT_EQ(Values("CmbSecurity"), (QList<int>{0, 1}));
    m_Profile.NetworkMode = 1;
    ASSERT_TRUE(m_Page->EnterPage(nullptr, pmForward, 0));
    EXPECT_EQ(Values("CmbSecurity"), (QList<int>{0, 1, 3, 7, 2, 6, 4}));
}

TEST_F(SecurityPageTest, DisabledWPAFallsBackToWPA2AndResetsTheSecurityFields)
{
    WriteSettings("[Setting]\nProfRoot=EngineTest\nEnableWPA=0\n");
    m_Profile.EncryptionMethod = 3;
    strcpy(m_Profile.LoginName, "carol");
    strcpy(m_Profile.LoginPassword, "Ledger#2026");
    OpenSecurity();
    EXPECT_EQ(Combo("CmbSecurity")->currentData().toInt(), 7);
    ASSERT_TRUE(Next());
    EXPECT_EQ(m_Profile.EncryptionMethod, 7);
    EXPECT_STREQ(m_Profile.LoginName, "");
    // The old password leaves no trace in the record.
    EXPECT_EQ(memchr(m_Profile.LoginPassword, 'L', sizeof m_Profile.LoginPassword), nullptr);
}

TEST_F(SecurityPageTest, OnlyAChangedTypeResetsThePassPhrase)
{
    m_Profile.EncryptionMethod = 2;
    strcpy(m_Profile.WPAPassphrase, "kept-phrase");
    OpenSecurity();
    // There and back again before leaving: the type is unchanged.
    Choose("CmbSecurity", 6);
    Choose("CmbSecurity", 2);
    ASSERT_TRUE(Next());
    EXPECT_STREQ(m_Profile.WPAPassphrase, "kept-phrase");
    ASSERT_TRUE(m_Page->EnterPage(nullptr, pmForward, 0));
    Choose("CmbSecurity", 6);
    ASSERT_TRUE(Next());
    EXPECT_EQ(m_Profile.EncryptionMethod, 6);
    EXPECT_STREQ(m_Profile.WPAPassphrase, "");
}

TEST_F(SecurityPageTest, SisterTypeOfAMissingPassPhraseType)
{
    WriteSettings("[Setting]\nProfRoot=EngineTest\nEnableWPA2_PSK=0\n");
    m_Profile.EncryptionMethod = 6;
    OpenSecurity();
    EXPECT_EQ(Combo("CmbSecurity")->currentData().toInt(), 2);
}

class WPAPSKPageTest : public EditorPageTest {
protected:
    void OpenPSK(int method)
    {
        m_Profile.EncryptionMethod = method;
        Open(new TFrameWPAPSK(m_Profile));
    }
    QLineEdit* Phrase() const { return m_Page->findChild<QLineEdit*>("EdtPhrase"); }
};

TEST_F(WPAPSKPageTest, PhraseLengthAndCharacters)
{
    struct Case {
        QString Phrase;
        bool Accepted;
    };
    const Case cases[] = {
        {QString(7, u'a'), false},
        {QString(8, u'a'), true},
        {QString(63, u'z'), true},
        {QStringLiteral("sp ace~!{}"), true},
        // Not ASCII: no access point would derive the same key from it.
        {QStringLiteral("caf\u00e9-au-lait"), false},
    };
    OpenPSK(6);
    for (const Case& c : cases) {
        strcpy(m_Profile.WPAPassphrase, "previous");
        const int shown = Messages();
        Type("EdtPhrase", c.Phrase);
        EXPECT_EQ(Next(), c.Accepted) << c.Phrase.toStdString();
        EXPECT_EQ(Messages() - shown, c.Accepted ? 0 : 1) << c.Phrase.toStdString();
        EXPECT_EQ(QString::fromUtf8(m_Profile.WPAPassphrase),
                  c.Accepted ? c.Phrase : QStringLiteral("previous"));
    }
    EXPECT_EQ(LastMessage(),
              QStringLiteral("Passphrase should be between 8 to 63 charachers in ASCII format."));
}

TEST_F(WPAPSKPageTest, A64DigitKeyCannotBeTyped)
{
    OpenPSK(2);
    Type("EdtPhrase", QString(64, u'A'));
    EXPECT_EQ(Phrase()->text(), QString(63, u'A'));
    EXPECT_EQ(Messages(), 1);
}

TEST_F(WPAPSKPageTest, StoredPhraseIsMaskedAndReplacedByTyping)
{
    strcpy(m_Profile.WPAPassphrase, "harbor-2026-office");
    OpenPSK(6);
    auto* show = m_Page->findChild<QCheckBox*>(QStringLiteral("ChkShowChars"));
    ASSERT_TRUE(show && show->isVisible() && !show->isChecked());
    // The switch, pressed with the keyboard, never shows the stored phrase.
    show->setFocus();
    QTest::keyClick(show, Qt::Key_Space);
    ASSERT_TRUE(show->isChecked());
    EXPECT_EQ(Phrase()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Phrase()->displayText(), QString(18, u'*'));
    Phrase()->setFocus();
    QTest::keyClicks(Phrase(), QStringLiteral("x"));
    EXPECT_EQ(Phrase()->text(), QStringLiteral("x"));
    EXPECT_EQ(Phrase()->displayText(), QStringLiteral("x")) << "what was typed shows while the switch is on";
    show->setFocus();
    QTest::keyClick(show, Qt::Key_Space);
    EXPECT_EQ(Phrase()->displayText(), QStringLiteral("*"));
    // Entering the page again starts with the switch off.
    ASSERT_TRUE(m_Page->EnterPage(nullptr, pmForward, 0));
    EXPECT_FALSE(show->isChecked());
}

TEST_F(WPAPSKPageTest, AuthenticationModeFollowsNetworkAndType)
{
    struct Case {
        int NetworkMode, Method, Auth;
    };
    OpenPSK(6);
    for (const Case& c : {Case{1, 6, 7}, Case{1, 2, 4}, Case{0, 2, 5}}) {
        m_Profile.NetworkMode = c.NetworkMode;
        m_Profile.EncryptionMethod = c.Method;
        ASSERT_TRUE(m_Page->EnterPage(nullptr, pmForward, 0));
        Type("EdtPhrase", QStringLiteral("long-enough"));
        ASSERT_TRUE(Next());
        EXPECT_EQ(m_Profile.AuthenticationMode, c.Auth) << c.NetworkMode << " " << c.Method;
    }
}

TEST_F(WPAPSKPageTest, CipherByAdapterSettings)
{
    WriteSettings("[Setting]\nProfRoot=EngineTest\nEnableTKIP=0\n");
    m_Profile.WPAEncryptionType = 1;
    OpenPSK(6);
    EXPECT_EQ(Values("CmbEncryp"), (QList<int>{2}));
    Type("EdtPhrase", QStringLiteral("long-enough"));
    ASSERT_TRUE(Next());
    EXPECT_EQ(m_Profile.WPAEncryptionType, 2);
}

} // namespace

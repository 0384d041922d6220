// The editor's 802.1x page on the simulated adapter, typed into as a person does.
#include "editorfixture.h"
#include "testutil.h"
#include "ui/pages/Uframedot11.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <cstring>

using testutil::WaitFor;

namespace {

const char CERT_SCENARIO[] = R"([Adapter]
HardwareId=USB\VID_F5E1&PID_0302
Description=Certificate Test Adapter
MAC=02:00:00:00:00:E5
Domain=FCC
Modes=g
ZeroConfigService=0

[Network.Campus]
SSID=Campus
BSSID=00:11:22:00:03:01
Channel=1
Security=113
EAP=peap:mschapv2
Accounts=alice:secret-1

[Certificate.Alice]
Kind=user
Name=alice@campus.test
Issuer=Campus Issuing CA

[Certificate.Root]
Kind=authority
Name=Campus Root CA
Issuer=Campus Root CA
)";

class Dot11PageTest : public EditorPageTest {
protected:
    void UseLibrary() override { UseSimulator(CERT_SCENARIO, "USB\\VID_F5E1&PID_0302"); }
    // Opens the page for a profile of `encryption` and waits for the adapter's certificates.
    void OpenDot11(int encryption)
    {
        m_Profile.EncryptionMethod = encryption;
        Open(new TFrameDot11(m_Profile));
        WaitForCertificates();
    }
    // One user certificate, "Trust Any" and one authority.
    void WaitForCertificates()
    {
        ASSERT_TRUE(
            WaitFor([&] { return Combo("CmbMyCert")->count() + Combo("CmbServerCA")->count() == 3; }));
    }
    QWidget* Control(const char* name) const { return m_Page->findChild<QWidget*>(QLatin1String(name)); }
    // The captions shown, and the password's switch on a row of its own, top to bottom.
    QStringList ShownRows() const
    {
        QList<QWidget*> shown;
        for (const char* name : {"LbEncry", "LbAuthen", "LbUser", "LbPasswd", "ChkShowChars", "LbMyCert",
                                 "LbServerCA", "LbInner"})
            if (auto* row = m_Page->findChild<QWidget*>(QLatin1String(name)); !row->isHidden())
                shown << row;
        std::sort(shown.begin(), shown.end(), [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
        QStringList names;
        for (int i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i]->y() + shown[i]->height() / 2, 93 + 24 * i)
                << shown[i]->objectName().toStdString();
            names << shown[i]->objectName();
        }
        return names;
    }
};

TEST_F(Dot11PageTest, RowsOfEachMethodArePackedFromTheTop)
{
    WriteSettings("[Setting]\nProfRoot=EngineTest\nEnWPA_LEAP=1\n");
    OpenDot11(7);
    EXPECT_EQ(Values("CmbAuthen"), (QList<int>{1, 3, 2, 4}));
    const struct {
        int Method;
        QStringList Rows;
    } cases[] = {
        {1, {"LbEncry", "LbAuthen", "LbUser", "LbMyCert", "LbServerCA"}},
        {3, {"LbEncry", "LbAuthen", "LbUser", "LbPasswd", "ChkShowChars", "LbServerCA", "LbInner"}},
        {2, {"LbEncry", "LbAuthen", "LbUser", "LbPasswd", "ChkShowChars", "LbServerCA", "LbInner"}},
        {4, {"LbEncry", "LbAuthen", "LbUser", "LbPasswd", "ChkShowChars"}},
    };
    for (const auto& c : cases) {
        Choose("CmbAuthen", c.Method);
        EXPECT_EQ(ShownRows(), c.Rows) << c.Method;
        // The control sits beside its caption.
        EXPECT_EQ(Control("EdtUser")->y(), m_Page->findChild<QLabel*>("LbUser")->y() - 3);
    }
    Choose("CmbAuthen", 2);
    EXPECT_EQ(Values("CmbInner"), (QList<int>{0, 1, 2, 3}));
    EXPECT_EQ(Combo("CmbInner")->currentData().toInt(), 3);
    EXPECT_EQ(m_Page->findChild<QLabel*>("LbInner")->text(), QStringLiteral("TTLS Protocol:"));
    Choose("CmbAuthen", 3);
    EXPECT_EQ(Values("CmbInner"), (QList<int>{2})) << "GTC is off unless the settings offer it";

    // Without WPA: no cipher, and the settings of that kind.
    m_Page->SetAdapter(nullptr, acDetach, 0);
    DestroyAdapter();
    WriteSettings("[Setting]\nProfRoot=EngineTest\nEnRADIUS_TLS=0\nEnRADIUS_LEAP=1\n");
    m_Profile.EncryptionMethod = 4;
    Attach();
    ASSERT_TRUE(m_Page->EnterPage(nullptr, pmForward, 0));
    WaitForCertificates();
    EXPECT_EQ(Values("CmbAuthen"), (QList<int>{3, 2, 4}));
    EXPECT_EQ(ShownRows(),
              (QStringList{"LbAuthen", "LbUser", "LbPasswd", "ChkShowChars", "LbServerCA", "LbInner"}));
    Type("EdtUser", QStringLiteral("alice"));
    Type("EdtPasswd", QStringLiteral("pw"));
    ASSERT_TRUE(Next());
    EXPECT_EQ(m_Profile.AuthenticationMode, 2);
    EXPECT_EQ(m_Profile.WPAEncryptionType, 1);
}

TEST_F(Dot11PageTest, ChecksOfEachMethod)
{
    OpenDot11(3);
    const struct {
        int Method;
        const char* User;
        const char* Password; // null: left as it is
        const char* Message;  // empty: accepted
    } cases[] = {
        {2, "alice", "", "The password is empty.\nPlease enter a password."},
        {3, "", "pw", "The login name is empty.\nPlease enter a login name."},
        {1, "", nullptr, "The login name is empty.\nPlease enter a login name."},
        {1, "alice", nullptr, ""},
    };
    for (const auto& c : cases) {
        Choose("CmbAuthen", c.Method);
        Type("EdtUser", QString::fromLatin1(c.User));
        if (c.Password)
            Type("EdtPasswd", QString::fromLatin1(c.Password));
        const int shown = Messages();
        EXPECT_EQ(Next(), !*c.Message) << c.Method << c.User;
        if (*c.Message) {
            EXPECT_EQ(Messages(), shown + 1);
            EXPECT_EQ(LastMessage(), QString::fromLatin1(c.Message));
        }
    }
    EXPECT_EQ(m_Profile.AuthenticationMode, 3);
    EXPECT_STREQ(m_Profile.sCertificate, "alice@campus.test");
    EXPECT_STREQ(m_Profile.sCertificate_Issuer, "Campus Issuing CA");
    EXPECT_STREQ(m_Profile.LoginPassword, "") << "the password typed for PEAP is not stored for TLS";
}

TEST_F(Dot11PageTest, AuthorityIsSelectedByNameAndValidatesTheServer)
{
    strcpy(m_Profile.sCertAuthority, "Campus Root CA");
    strcpy(m_Profile.sCertAuthority_Issuer, "Campus Root CA");
    strcpy(m_Profile.LoginName, "alice");
    strcpy(m_Profile.LoginPassword, "secret-1");
    m_Profile.MS8021xAuthMode = 3;
    OpenDot11(7);
    // The list arrives from the adapter's worker after the page was entered, and the stored choice holds.
    EXPECT_EQ(Combo("CmbServerCA")->currentText(), QStringLiteral("Campus Root CA"));
    auto* password = m_Page->findChild<QLineEdit*>("EdtPasswd");
    auto* show = m_Page->findChild<QCheckBox*>("ChkShowChars");
    show->setFocus();
    QTest::keyClick(show, Qt::Key_Space);
    ASSERT_TRUE(show->isChecked());
    EXPECT_EQ(password->displayText(), QString(8, u'*')) << "the switch never shows a stored password";
    ASSERT_TRUE(Next());
    EXPECT_STREQ(m_Profile.LoginPassword, "secret-1") << "a stored password is kept unless replaced";
    EXPECT_EQ(m_Profile.ValidateServerCert, 1);
    EXPECT_EQ(m_Profile.AuthenticationMode, 6);

    // An authority no longer installed leaves "Trust Any", and leaving forward forgets it.
    strcpy(m_Profile.sCertAuthority, "Retired Root CA");
    ASSERT_TRUE(m_Page->EnterPage(nullptr, pmForward, 0));
    EXPECT_EQ(Combo("CmbServerCA")->currentIndex(), 0);
    EXPECT_FALSE(show->isChecked()) << "each entry starts with the characters hidden";
    password->setFocus();
    QTest::keyClicks(password, QStringLiteral("n"));
    EXPECT_EQ(password->text(), QStringLiteral("n")) << "the first key replaces the masked password";
    EXPECT_EQ(password->displayText(), QStringLiteral("*"));
    QTest::mouseClick(show, Qt::LeftButton, {}, QPoint(8, show->height() / 2));
    EXPECT_EQ(password->displayText(), QStringLiteral("n")) << "what was typed shows on request";
    ASSERT_TRUE(Next());
    EXPECT_STREQ(m_Profile.sCertAuthority, "");
    EXPECT_EQ(m_Profile.ValidateServerCert, 0);
}

// The default page scenario has no certificates installed.
class Dot11NoCertificateTest : public EditorPageTest {};

TEST_F(Dot11NoCertificateTest, TlsWithoutCertificateIsRefusedAndLeapNeedsNothing)
{
    WriteSettings("[Setting]\nProfRoot=EngineTest\nEnWPA_LEAP=1\n");
    m_Profile.EncryptionMethod = 3;
    Open(new TFrameDot11(m_Profile));
    Choose("CmbAuthen", 1);
    Type("EdtUser", QStringLiteral("alice"));
    EXPECT_FALSE(Next());
    EXPECT_EQ(LastMessage(), QStringLiteral("You must specify a certificate."));
    Choose("CmbAuthen", 4);
    Type("EdtUser", QString());
    ASSERT_TRUE(Next());
    EXPECT_EQ(m_Profile.MS8021xAuthMode, 4);
    EXPECT_STREQ(m_Profile.LoginName, "");
}

} // namespace

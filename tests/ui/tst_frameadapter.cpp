// The Adapter page on the simulated adapter: the rate lists of the adapter's settings and saving the link
// settings into the applied profile.
#include "app/Udefine.h"
#include "app/Uutility.h"
#include "pagefixture.h"
#include "testutil.h"
#include "ui/pages/Uframeadapter.h"
#include "ui/pages/Uframeprofset.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <cstring>

using testutil::WaitFor;

namespace {

class AdapterPageTest : public PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        m_Page = new TFrameAdapter;
        Host(m_Page);
        m_Editor = new TFrameProfSet(&m_Main);
    }
    QComboBox* Combo(const char* name) const { return m_Page->findChild<QComboBox*>(name); }
    QStringList Items(const char* name) const
    {
        QStringList texts;
        for (int i = 0; i < Combo(name)->count(); ++i)
            texts << Combo(name)->itemText(i);
        return texts;
    }
    // Picks an item with the keyboard, as a person does.
    void Choose(const char* name, const QString& text)
    {
        QComboBox* combo = Combo(name);
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Home);
        for (int i = 0; i < combo->count() && combo->currentText() != text; ++i)
            QTest::keyClick(combo, Qt::Key_Down);
        ASSERT_EQ(combo->currentText(), text);
    }
    // Stores an open-network profile of that name and connects with it.
    void ConnectStored(const char* name)
    {
        TSSiteEntry site{};
        ASSERT_TRUE(WaitFor([&] { return FindSite("Open-Net", site); }, 15000));
        WLProfile p{};
        m_Adapter->SiteToProfile(site, p);
        CopyTextField(p.ProfileName, sizeof p.ProfileName, QString::fromLatin1(name));
        if (std::strcmp(name, "(EditingProfile)") != 0) {
            ASSERT_TRUE(m_Adapter->AddProfile(p));
        }
        m_Adapter->Connect(p);
        ASSERT_TRUE(WaitFor([&] { return Connected(); }, 15000));
    }
    // Connects with the profile `name`, saves another power saving mode and checks that it is applied
    // without being stored, with the log line that says why.
    void SaveAndExpectOnlyApplied(const char* name, const char* why)
    {
        WriteSettings("[Setting]\nInitConnect=0\n");
        Attach();
        ConnectStored(name);
        ASSERT_TRUE(WaitFor([&] { return Combo("CmbPower")->currentIndex() == 0; }));
        Choose("CmbPower", "Fast Power Saving");
        m_Main.Received.clear();
        QTest::mouseClick(m_Page->findChild<QPushButton*>("BtnSave"), Qt::LeftButton);
        EXPECT_TRUE(LogSince().contains(QLatin1String(why)));
        EXPECT_TRUE(std::none_of(m_Main.Received.begin(), m_Main.Received.end(),
                                 [](const auto& r) { return r.first == 5; }));
        ASSERT_TRUE(WaitFor([&] { return Applied().PowerMode == 2; }, 15000)) << "applied all the same";
    }
    WLProfile Applied() const
    {
        WLProfile p{};
        m_Adapter->GetAppliedProfile(p);
        return p;
    }

    TFrameAdapter* m_Page = nullptr;
    TFrameProfSet* m_Editor = nullptr;
};

} // namespace

TEST_F(AdapterPageTest, RateListsComeFromTheSettingOfTheAdaptersMode)
{
    const struct {
        const char* setting;
        QStringList items;
    } cases[] = {
        {"2,4,11,22", {"Auto", "11 Mbps", "5.5 Mbps", "2 Mbps", "1 Mbps"}},
        {"2, 11,-1,22", {"Auto", "5.5 Mbps", "1 Mbps"}}, // a negative entry ends the list
        {"4,0,22", {"Auto", "2 Mbps"}},                  // so does 0
        {"", {"Auto"}},
        {"x,y", {"Auto"}},
    };
    for (const auto& c : cases) {
        WriteSettings(QByteArray("[Setting]\nInitConnect=0\nSupportMode=1\nTxRateB=") + c.setting + "\n");
        Attach();
        EXPECT_EQ(Items("CmbTxRate"), c.items) << c.setting;
        EXPECT_EQ(Combo("CmbTxRate")->itemData(0).toInt(), 15);
        EXPECT_TRUE(Combo("CmbTxRate")->isEnabled());
        m_Page->SetAdapter(nullptr, 2, 0);
        EXPECT_EQ(Combo("CmbTxRate")->count(), 0);
        EXPECT_FALSE(m_Page->findChild<QPushButton*>("BtnSave")->isEnabled());
        DestroyAdapter();
    }
    EXPECT_EQ(Items("CmbPreamble"), QStringList({"Auto", "Long Preamble", "Short Preamble"}));
}

TEST_F(AdapterPageTest, SaveStoresTheSettingsInTheAppliedProfileAndAppliesItAgain)
{
    WriteSettings("[Setting]\nInitConnect=0\nSupportMode=11\nTxRateB=2,4\nTxRateG=12,108\n");
    Attach();
    EXPECT_EQ(Items("CmbTxRate"), QStringList({"Auto", "54 Mbps", "6 Mbps"})) << "802.11g first";

    // Nothing is applied yet: Save does nothing.
    QTest::mouseClick(m_Page->findChild<QPushButton*>("BtnSave"), Qt::LeftButton);
    EXPECT_TRUE(m_Main.Received.empty() || m_Main.Received.back().first != 5);
    EXPECT_FALSE(LogSince().contains("modify profile"));

    ConnectStored("Office");
    ASSERT_TRUE(WaitFor([&] { return Combo("CmbPreamble")->currentText() == "Auto"; }));
    Choose("CmbTxRate", "6 Mbps");
    Choose("CmbPreamble", "Short Preamble");
    Choose("CmbPower", "Max. Power Saving");
    m_Main.Received.clear();
    QTest::mouseClick(m_Page->findChild<QPushButton*>("BtnSave"), Qt::LeftButton);
    EXPECT_TRUE(LogSince().contains("modify profile Office"));
    ASSERT_FALSE(m_Main.Received.empty());
    EXPECT_EQ(m_Main.Received.front(), std::make_pair(5, 256)) << "stored as an edited profile";
    EXPECT_EQ(m_Editor->Profile().TxRate, 12) << "handed to the editor the Profile page stores from";
    EXPECT_EQ(m_Editor->Profile().PreambleMode, 1);
    EXPECT_EQ(m_Editor->Profile().PowerMode, 1);
    ASSERT_TRUE(WaitFor([&] { return Applied().TxRate == 12; }, 15000)) << "applied again";
    EXPECT_EQ(Applied().PowerMode, 1);
}

TEST_F(AdapterPageTest, WithoutAnEditorInTheWindowTheSettingsAreOnlyAppliedAgain)
{
    delete m_Editor;
    m_Editor = nullptr;
    SaveAndExpectOnlyApplied("Office", "no profile editor stores Office");
}

TEST_F(AdapterPageTest, AProfileThatIsNotStoredIsOnlyAppliedAgain)
{
    SaveAndExpectOnlyApplied("(EditingProfile)", "profile (EditingProfile) is not exist");
}

#include "app/Udefine.h"
#include "app/Uinifile.h"
#include "testutil.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testutil::WriteFile;

namespace {

// A settings object read from a fake executable "prog" in a temporary folder.
class GlobalVarTest : public ::testing::Test {
protected:
    void Read(const QByteArray& settings, const QByteArray& language = QByteArray(),
              const char* langName = "prog.ini")
    {
        if (!settings.isNull())
            WriteFile(m_Dir.filePath("prog.bin"), settings);
        if (!language.isNull())
            WriteFile(m_Dir.filePath(langName), language);
        m_Var.ReadFiles(m_Dir.filePath("prog"));
    }
    QTemporaryDir m_Dir;
    CFAGlobalVar m_Var;
};

} // namespace

TEST_F(GlobalVarTest, NoSettingsFileGivesDefaults)
{
    WriteFile(m_Dir.filePath("prog.ini"), "[Utility]\nAppTitle=Ignored\n[Common]\nUnknow=X\n");
    Read(QByteArray());
    EXPECT_EQ(m_Var.AppTitle, "prog");
    EXPECT_EQ(m_Var.MsgTitle, "prog Message");
    EXPECT_EQ(m_Var.ProfRoot, "Tessaro");
    EXPECT_EQ(m_Var.MutexName, "Tessaro_Mutex");
    EXPECT_EQ(m_Var.NotifyMsgName, "Tessaro_NotifyMsg");
    EXPECT_EQ(m_Var.CommonTexts[0], "N/A") << "without a settings file the language file is not opened";
    EXPECT_EQ(m_Var.CommonTexts[81], "Level 3(Min. Power)");
    EXPECT_EQ(m_Var.LanguageReader(), nullptr);
    EXPECT_TRUE(m_Var.HwIdList.isEmpty());
    EXPECT_EQ(m_Var.OsKind, 7);
    EXPECT_EQ(m_Var.ExePath, m_Dir.path() + "/");
}

TEST_F(GlobalVarTest, UsersCopyOfTheSettingsIsReadFirstKeyByKey)
{
    qputenv("XDG_CONFIG_HOME", m_Dir.filePath("config").toUtf8());
    const QString copy = m_Dir.filePath("config/Lab/prog.bin");
    ASSERT_TRUE(QDir().mkpath(m_Dir.filePath("config/Lab")));
    WriteFile(copy, "[setting]\nHWID0=Mine\nProfRoot=Elsewhere\n[Extra]\nKey=1\n");
    Read("[Setting]\nProfRoot=Lab\nHWID0=Shipped\nHWID1=Second\n");
    EXPECT_EQ(m_Var.UserSettingsFile, copy);
    EXPECT_EQ(m_Var.HwIdList, (QStringList{"Mine", "Second"}));
    EXPECT_EQ(m_Var.ProfRoot, "Lab") << "the shipped file names the root, which places the copy";
    EXPECT_EQ(m_Var.InfoRead("extra", "key", QString()), "1");
    qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(GlobalVarTest, HardwareIdsStopAtTheFirstGapAndAtSixteen)
{
    Read("[Setting]\nHWID0=A\nHWID2=C\n");
    EXPECT_EQ(m_Var.HwIdList, QStringList{"A"});

    QByteArray many = "[Setting]\n";
    for (int i = 0; i <= 16; ++i)
        many += "HWID" + QByteArray::number(i) + "=ID" + QByteArray::number(i) + "\n";
    Read(many);
    EXPECT_EQ(m_Var.HwIdList.size(), 16);
    EXPECT_EQ(m_Var.HwIdList.last(), "ID15");
}

TEST_F(GlobalVarTest, LanguageFileTexts)
{
    Read("[Setting]\nProfRoot=Mine\n",
         "[Utility]\nAppTitle=My Title\n[Common]\nUnknow=unknown\nKbps=\nGHz=\"  G \"\n[Page]\nKey=value\n");
    EXPECT_EQ(m_Var.CommonTexts[0], "unknown");
    EXPECT_EQ(m_Var.CommonTexts[2], "") << "a present empty value is not the default";
    EXPECT_EQ(m_Var.CommonTexts[4], "  G ");
    EXPECT_EQ(m_Var.CommonTexts[3], "Mbps");
    EXPECT_EQ(m_Var.AppTitle, "My Title");
    EXPECT_EQ(m_Var.MsgTitle, "prog Message") << "the message title default is the executable's name";
    EXPECT_EQ(m_Var.GetLangText("page", "KEY", "d"), "value");
    EXPECT_EQ(m_Var.MutexName, "Mine_Mutex");
}

TEST_F(GlobalVarTest, StringFileNamesTheLanguageFile)
{
    Read("[Setting]\nStringFile=lang/de.ini\n", "[Common]\nUnknow=k.A.\n", "lang-missing.ini");
    EXPECT_EQ(m_Var.LanguageFile, m_Dir.path() + "/lang/de.ini");
    EXPECT_EQ(m_Var.CommonTexts[0], "N/A") << "a missing language file yields the defaults";

    QDir(m_Dir.path()).mkpath("lang");
    WriteFile(m_Dir.filePath("lang/de.ini"), "[Common]\nUnknow=k.A.\n");
    m_Var.ReadFiles(m_Dir.filePath("prog"));
    EXPECT_EQ(m_Var.CommonTexts[0], "k.A.");
}

TEST_F(GlobalVarTest, BadFilesAreNotedOnceAndGiveDefaults)
{
    // Fell back to defaults without a word: a picture as language file, a folder as the user's copy.
    const QByteArray picture =
        QByteArray("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11) + QByteArray(64, '\x02') + "\n[Common]\nUnknow=x\n";
    QDir().mkpath(m_Dir.filePath("config/Tessaro/prog.bin"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_Dir.filePath("config")));
    Read("[Setting]\nHWID0=ID0\n", picture);
    qunsetenv("XDG_CONFIG_HOME");
    using Problem = QPair<QString, IniProblem>;
    EXPECT_EQ(m_Var.FileProblems,
              (QList<Problem>{{m_Dir.filePath("config/Tessaro/prog.bin"), IniProblem::Unreadable},
                              {m_Dir.filePath("prog.ini"), IniProblem::NotIni}}));
    EXPECT_EQ(m_Var.CommonTexts[0], "N/A");
    EXPECT_EQ(m_Var.HwIdList, QStringList{"ID0"}) << "the shipped settings still count";

    const struct {
        const char* what;
        QByteArray data;
        bool ini;
    } cases[] = {
        {"text without a section", "just some words\nKey=1\n", false},
        {"only comments", "; nothing yet\n\n", true},
        {"a section after a byte-order mark", "\xEF\xBB\xBF[Common]\nUnknow=x\n", true},
        {"an empty section name", "[]\nUnknow=x\n", false},
        {"a stray NUL in a value", QByteArray("[Common]\nUnknow=a\0b\n", 20), true},
    };
    for (const auto& c : cases) {
        Read("[Setting]\n", c.data);
        EXPECT_EQ(m_Var.FileProblems.isEmpty(), c.ini) << c.what;
    }
}

TEST_F(GlobalVarTest, InfoReadForms)
{
    Read("[Setting]\nOn=1\nOff=0\nText= x \nLong=" + QByteArray(100000, 'L') + "\n");
    EXPECT_TRUE(m_Var.InfoRead("Setting", "On", false));
    EXPECT_FALSE(m_Var.InfoRead("Setting", "Off", true));
    EXPECT_TRUE(m_Var.InfoRead("Setting", "Missing", true));
    EXPECT_EQ(m_Var.InfoRead("Setting", "Text", QString("d")), "x");
    EXPECT_EQ(m_Var.InfoRead("Setting", "Long", QString()).size(), 100000);
}

TEST_F(GlobalVarTest, AcceptedHardwareIds)
{
    Read("[Setting]\nHWID0=USB\\VID_F5E1&PID_0301\nHWID1=" + QByteArray(100, 'Z') + "\n");
    EXPECT_TRUE(m_Var.IsAcceptedHwId("usb\\vid_f5e1&pid_0301&rev_0001")) << "case-insensitive substring";
    EXPECT_FALSE(m_Var.IsAcceptedHwId("USB\\VID_F5E1&PID_0302"));

    TSDevRecord records[1];
    memset(records, 0xAA, sizeof records);
    EXPECT_EQ(m_Var.GetHwIdList(records, 1), 2) << "the list size, beyond the capacity";
    EXPECT_STREQ(records[0].hwId, "USB\\VID_F5E1&PID_0301");
    EXPECT_EQ(records[0].libraryData[0], 0) << "records are zero-filled";

    TSDevRecord two[2];
    m_Var.GetHwIdList(two, 2);
    EXPECT_EQ(strlen(two[1].hwId), 63u) << "a long id is cut to 63 characters";

    CFAGlobalVar empty;
    EXPECT_FALSE(empty.IsAcceptedHwId("anything"));
}

TEST(GlobalVar, FindDevRecordComparesWholeDescriptors)
{
    TAdapterDesc list[3] = {};
    strcpy(list[0].HwId, "A");
    strcpy(list[1].HwId, "B");
    strcpy(list[2].HwId, "B");
    TAdapterDesc wanted = {};
    strcpy(wanted.HwId, "B");
    EXPECT_EQ(FindDevRecord(wanted, list, 3), 1);
    wanted.Instance[4] = 1;
    EXPECT_EQ(FindDevRecord(wanted, list, 3), -1) << "the last byte counts too";
    EXPECT_EQ(FindDevRecord(wanted, list, 0), -1);
}

TEST(GlobalVar, CommonTextKeys)
{
    EXPECT_STREQ(CommonTextKey(0), "Unknow");
    EXPECT_STREQ(CommonTextKey(28), "Encrypt_None");
    EXPECT_STREQ(CommonTextKey(81), "PowerLv3");
    EXPECT_STREQ(CommonTextKey(82), "802N");
    EXPECT_STREQ(CommonTextKey(84), "802AX");
    EXPECT_STREQ(CommonTextKey(85), "");
    CFAGlobalVar var;
    EXPECT_EQ(var.CommonTexts[28], "Disabled");
    EXPECT_EQ(var.CommonTexts[11], "Disabled");
}

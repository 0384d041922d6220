// Initialisation, per-adapter settings and channel queries of the adapter object.
#include "adapterfixture.h"
#include "app/Udefine.h"
#include "app/Uprofile.h"
#include "engine/Ucumlib.h"
#include "app/Uwriteproblem.h"
#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSettings>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using fakelib::With;

namespace {

class AdapterSettings : public AdapterTest {};

} // namespace

TEST_F(AdapterSettings, PerUserValueOverridesEverySettingsFileSection)
{
    WriteSettings("[Setting]\nProfRoot=EngineTest\nDefChB=2\nDefChA=40\nDefAPChB=3\n"
                  "[USB\\VID_0BDA&PID_8189-9999]\nDefChB=1\nDefChA=44\n"
                  "[USB\\VID_0BDA&PID_8189]\nDefChB=4\nDefChA=48\nDefAPChB=9\n");
    CNICAdapter& first = Adapter();
    first.WriteSet(QStringLiteral("DefChB"), 11);
    DestroyAdapter();

    CNICAdapter& a = Adapter();
    EXPECT_EQ(a.DefChB(), 11) << "per-user store first";
    EXPECT_EQ(a.DefChA(), 44) << "then the adapter's own section";
    EXPECT_EQ(a.DefAPChB(), 9) << "then the hardware id's section";
    EXPECT_EQ(a.ReadSet(QStringLiteral("DefChB"), 0), 11);
    EXPECT_EQ(a.ReadSet(QStringLiteral("Missing"), 77), 77);
    EXPECT_EQ(a.DefAPChA(), 36) << "then the default";
}

TEST_F(AdapterSettings, ValuesRoundTripInAllThreeForms)
{
    CNICAdapter& a = Adapter();
    const QString texts[] = {QStringLiteral("plain"),
                             QStringLiteral("with \"quotes\", commas; = and \\back\\slashes"),
                             QString::fromUtf8("Caf\xc3\xa9 \xe2\x82\xac \xe6\xbc\xa2"), QString()};
    for (const QString& text : texts) {
        a.WriteSet(QStringLiteral("Text"), text);
        EXPECT_EQ(a.ReadSet(QStringLiteral("Text"), "default"), text);
    }
    a.WriteSet(QStringLiteral("Flag"), true);
    EXPECT_TRUE(a.ReadSet(QStringLiteral("Flag"), false));
    a.WriteSet(QStringLiteral("Flag"), false);
    EXPECT_FALSE(a.ReadSet(QStringLiteral("Flag"), true));
    a.WriteSet(QStringLiteral("Number"), -5);
    EXPECT_EQ(a.ReadSet(QStringLiteral("Number"), 0), -5);
    a.SetDeleteKey(QStringLiteral("Number"));
    EXPECT_EQ(a.ReadSet(QStringLiteral("Number"), 3), 3);
}

TEST_F(AdapterSettings, AdaptersKeepTheirSettingsApart)
{
    Adapter().WriteSet(QStringLiteral("DefChB"), 13);
    DestroyAdapter();
    strcpy(m_Desc.HwId, "USB\\VID_0BDA&PID_8190");
    EXPECT_EQ(Adapter().DefChB(), 6);
}

TEST_F(AdapterSettings, WrongTypeInTheStoreIsLoggedAndGivesTheDefault)
{
    CNICAdapter& a = Adapter();
    a.WriteSet(QStringLiteral("SupportMode"), QStringLiteral("eleven"));
    EXPECT_EQ(a.ReadSet(QStringLiteral("SupportMode"), 34), 34);
    EXPECT_TRUE(LogSince().contains("Exception(CNICAdapter::ReadSet): int<SupportMode>"));
}

TEST_F(AdapterSettings, CorruptStoreReadsWhatItCanAndKeepsRunning)
{
    QDir().mkpath(QFileInfo(StoreFile()).absolutePath());
    testutil::WriteFile(StoreFile(),
                        QByteArray("\x00\xff[[[\n=\n\x01garbage\x02\n[", 19) + QByteArray(5000, '\xfe'));
    CNICAdapter& a = Adapter();
    EXPECT_EQ(a.DefChB(), 6);
    EXPECT_EQ(a.ProfileExists(QStringLiteral("Default")), true);
    a.WriteSet(QStringLiteral("DefChB"), 12);
    EXPECT_EQ(a.ReadSet(QStringLiteral("DefChB"), 0), 12);
}

TEST_F(AdapterSettings, UnreadableStoreLinesAreLoggedAndAGoodWriteIsNoFailure)
{
    // The settings class dropped such lines silently on its write, then called the write failed.
    QDir().mkpath(QFileInfo(StoreFile()).absolutePath());
    testutil::WriteFile(StoreFile(), "[Other]\nKept=5\nhand-edited note\n[Broken\n");
    CNICAdapter& a = Adapter();
    a.WriteSet(QStringLiteral("DefChB"), 12);
    EXPECT_EQ(a.ReadSet(QStringLiteral("DefChB"), 0), 12);
    const QString log = LogSince();
    EXPECT_TRUE(
        log.contains("line 3 of " + StoreFile() + " cannot be read and is left out: hand-edited note"));
    EXPECT_TRUE(log.contains("line 4 of " + StoreFile() + " cannot be read and is left out: [Broken"));
    EXPECT_FALSE(log.contains("exception")) << qPrintable(log);
    EXPECT_TRUE(testutil::ReadFile(StoreFile()).contains("[Other]\nKept=5\n"));
}

TEST_F(AdapterSettings, ReadOnlyStoreIsReportedOnceAndReadsStillWork)
{
    CNICAdapter& a = Adapter();
    a.WriteSet(QStringLiteral("DefChB"), 12);
    const QString folder = QFileInfo(StoreFile()).absolutePath();
    QFile::setPermissions(StoreFile(), QFile::ReadOwner);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    if (QFileInfo(StoreFile()).isWritable())
        GTEST_SKIP() << "running with rights that ignore file modes";
    for (int i = 0; i < 5; ++i)
        a.WriteSet(QStringLiteral("DefChA"), 100 + i);
    EXPECT_EQ(a.ReadSet(QStringLiteral("DefChB"), 0), 12);
    EXPECT_EQ(LogSince().count("WriteSet(int) DefChA exception"), 1) << qPrintable(LogSince());
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(StoreFile(), QFile::ReadOwner | QFile::WriteOwner);
    a.WriteSet(QStringLiteral("DefChA"), 7);
    EXPECT_EQ(a.ReadSet(QStringLiteral("DefChA"), 0), 7);
}

TEST_F(AdapterSettings, InitialReadsTheAdapterAndTheDefaults)
{
    WriteSettings(
        "[Setting]\nProfRoot=EngineTest\nDefProfName=\nDefProfSSID=\n"
        "DefAPProfName=An AP name that is far longer than the sixty-four characters a profile name has\n");
    CNICAdapter& a = Adapter();
    EXPECT_EQ(a.MacAddress(), "00:11:22:33:44:55");
    EXPECT_EQ(a.Domain(), "ETSI");
    EXPECT_EQ(a.Description(), "Test wireless adapter");
    EXPECT_EQ(a.AdapterName(), "USB\\VID_0BDA&PID_8189-9999");
    EXPECT_EQ(a.RegistryKey(), "Software\\EngineTest\\WLAdapter\\USB\\VID_0BDA&PID_8189-9999");
    EXPECT_EQ(a.DefProfName(), "Default") << "an empty name falls back";
    EXPECT_EQ(a.DefProfSSID(), "") << "an empty SSID stays empty";
    EXPECT_EQ(a.DefAPProfName().size(), 64);
    EXPECT_EQ(a.SupportMode(), 34);
    const WLProfile& sta = a.DefProfile();
    EXPECT_EQ(sta.Channel, 6);
    EXPECT_EQ(sta.AuthenticationMode, 2);
    EXPECT_EQ(sta.FragThreshold, 2346);
    EXPECT_EQ(sta.RTSThreshold, 2347);
    EXPECT_EQ(sta.TTLSEap, 3);
    WLProfile reset = sta;
    ResetSecurity(reset);
    EXPECT_EQ(std::memcmp(&reset, &sta, sizeof sta), 0) << "a new profile's security is the reset one";
    const WLProfile& ap = a.DefAPProfile();
    EXPECT_EQ(ap.FuncMode, 1);
    EXPECT_EQ(ap.ABGMode, 11);
    EXPECT_EQ(ap.AuthenticationMode, 0);
    EXPECT_STREQ(ap.Ssid1, "WLAN_AP");
    EXPECT_EQ(fakelib::Calls("TSRWL_SiteSurveyScan"), 1);
    EXPECT_EQ(a.ReadSet(QStringLiteral("ProfCount"), 0), 1) << "the default profile was stored";
    EXPECT_EQ(a.ReadSet(QStringLiteral("APProfCount"), 0), 1);
}

TEST_F(AdapterSettings, ServiceStartLeavesListsEmptyAndDoesNotScan)
{
    CNICAdapter& a = Adapter(SF_SERVICE);
    TProfileList list;
    a.GetProfileList(PROF_STATION, list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(fakelib::Calls("TSRWL_SiteSurveyScan"), 0);
    EXPECT_EQ(fakelib::Calls("TSRWL_SetWLProfile"), 0);
}

TEST_F(AdapterSettings, OlderSystemsNeverUseZeroConfiguration)
{
    Adapter().WriteSet(QStringLiteral("EnableZeroCfg"), true);
    DestroyAdapter();
    g_Var.OsKind = 6;
    CNICAdapter& a = Adapter();
    EXPECT_FALSE(a.EnableZeroCfg());
    a.WriteUseWZC(true);
    EXPECT_FALSE(a.EnableZeroCfg());
    EXPECT_EQ(m_Recorder.Count(NM_ZEROCFG), 0);
}

TEST_F(AdapterSettings, AllowedChannelsInBandOrderAndBounded)
{
    With([](FakeLibState& s) {
        s.channels[1] = {1, 2, 3};
        s.channels[4] = {1, 2, 3, 4, 5};
        s.channels[2] = {36, 40};
    });
    CNICAdapter& a = Adapter();
    int32_t out[16];
    std::fill(std::begin(out), std::end(out), -7);
    EXPECT_EQ(a.GetAllowedCh(out, 4, 7), 10) << "the count tells a small buffer the size it needs";
    EXPECT_TRUE(std::all_of(std::begin(out), std::end(out), [](int32_t c) { return c == -7; }))
        << "a too small buffer is left untouched";
    ASSERT_EQ(a.GetAllowedCh(out, 16, 7), 10);
    EXPECT_EQ(std::vector<int32_t>(out, out + 10), (std::vector<int32_t>{1, 2, 3, 1, 2, 3, 4, 5, 36, 40}));
    EXPECT_EQ(a.GetAllowedCh(out, 16, 2), 2);
    EXPECT_EQ(out[0], 36);
    EXPECT_EQ(a.GetSoftAPAllowedCh(out, 16, 7), 0);
}

TEST_F(AdapterSettings, AllowedChannelsSurviveGarbageCounts)
{
    With([](FakeLibState& s) {
        s.channels[1] = {1, 2};
        s.channels[4] = {3};
        s.channels[2] = {36};
        s.channelCountOverride[1] = 100000;
        s.channelCountOverride[4] = -50;
        s.channelCountOverride[2] = INT32_MAX;
    });
    CNICAdapter& a = Adapter();
    std::vector<int32_t> out(1024, -7);
    const int count = a.GetAllowedCh(out.data(), int(out.size()), 7);
    EXPECT_EQ(count, 512) << "never more than the local table holds";
    EXPECT_EQ(out[512], -7) << "nothing copied past the table";
    EXPECT_EQ(fakelib::Calls("TSRWL_GetAllowedChannel"), 1) << "a full table asks no further band";
}

TEST_F(AdapterSettings, SupportModeLimitsTheBandsAsked)
{
    WriteSettings(
        "[Setting]\nProfRoot=EngineTest\nSupportMode=3\nDomain=A very long regulatory domain name\n");
    CNICAdapter& a = Adapter();
    int32_t out[8];
    a.GetAllowedCh(out, 8, 7);
    EXPECT_EQ(fakelib::Calls("TSRWL_GetAllowedChannel"), 1) << "802.11g only: band 4 alone";
    With([](FakeLibState& s) { EXPECT_EQ(s.domainsAsked.back(), "A very long regulat"); });
}

TEST_F(AdapterSettings, UsableAdHocBands)
{
    struct Case {
        const char* settings;
        int mode;
        uint32_t bands;
    };
    const Case cases[] = {
        {"", 14, 7},
        {"", 11, 5},
        {"EnableAdHocG=0\n", 14, 3},
        {"AdHocG=0\n", 14, 3},
        {"AdHocA=1\nAdHocA_ETSI=0\n", 14, 5},
        {"AdHocA=0\nAdHocA_ETSI=1\n", 2, 2},
        {"SupportMode=1\n", 14, 1},
    };
    for (const Case& c : cases) {
        DestroyAdapter();
        WriteSettings(QByteArray("[Setting]\nProfRoot=EngineTest\n") + c.settings);
        EXPECT_EQ(Adapter().GetUsableAdHocBand(c.mode), c.bands) << c.settings << " mode " << c.mode;
    }
}

TEST_F(AdapterSettings, ALibraryMayKeepTheAdapterWithTheSystemsManagerUntilTheUserTakesIt)
{
    g_TSLib.TSRWL_Get_ZeroConfig = [] { return int32_t(TSRWL_OK); };
    EXPECT_TRUE(Adapter().EnableZeroCfg()) << "nothing chosen yet: the system's manager keeps the adapter";
    Adapter().WriteUseWZC(false); // the user's answer to the program's question
    DestroyAdapter();
    EXPECT_FALSE(Adapter().EnableZeroCfg()) << "the user's choice outlives the start";
}

// A store of binary bytes was written, and yet the write was called failed: the settings class ends lines at
// CR too and does not take NUL as text, and those lines were kept.
TEST_F(AdapterSettings, BinaryStoreIsNoWriteFailure)
{
    const QByteArray contents[] = {
        QByteArrayLiteral("[Other]\rKept=5\rnote without a value\r"),
        QByteArrayLiteral("[Other]\nKept=5\nnul\0=x\n"),
        QByteArrayLiteral(
            "\x7f"
            "ELF\x02\x01\x01\0\0\0\r\n\x03\0>\0\x01\0\0\0\x10\x10\0\0\0\0\0\0@\0\0\0\r\x9c\x31=\0\0"),
    };
    for (const QByteArray& content : contents) {
        QDir().mkpath(QFileInfo(StoreFile()).absolutePath());
        testutil::WriteFile(StoreFile(), content);
        CNICAdapter& a = Adapter();
        LogSince();
        a.WriteSet(QStringLiteral("DefChB"), 12);
        EXPECT_EQ(a.ReadSet(QStringLiteral("DefChB"), 0), 12);
        EXPECT_FALSE(LogSince().contains("exception")) << qPrintable(content.toHex());
        DestroyAdapter();
    }
}

// A store of 100 MB cost 910 MB of memory and 20 s before the first connect.
TEST_F(AdapterSettings, OversizedStoreIsNeitherReadNorWritten)
{
    QDir().mkpath(QFileInfo(StoreFile()).absolutePath());
    QByteArray big = "[Adapter]\nDefChB=3\n";
    big += QByteArray(5 * 1024 * 1024, ';');
    testutil::WriteFile(StoreFile(), big);
    CNICAdapter& a = Adapter();
    EXPECT_EQ(a.ReadSet(QStringLiteral("DefChB"), 0), 0) << "not read";
    a.WriteSet(QStringLiteral("DefChB"), 12);
    EXPECT_EQ(testutil::ReadFile(StoreFile()), big) << "not written";
    EXPECT_TRUE(LogSince().contains("is larger than 4 MB"));
}

// A FIFO in place of the store blocked the adapter's worker for good: the program never connected and said
// nothing. It is neither read nor written, and logged.
TEST_F(AdapterSettings, StoreThatIsNoRegularFileIsNeitherReadNorWritten)
{
    QDir().mkpath(QFileInfo(StoreFile()).absolutePath());
    ASSERT_EQ(mkfifo(QFile::encodeName(StoreFile()).constData(), 0600), 0);
    CNICAdapter& a = Adapter();
    EXPECT_EQ(a.ReadSet(QStringLiteral("DefChB"), 7), 7);
    a.WriteSet(QStringLiteral("DefChB"), 12);
    EXPECT_EQ(a.ReadSet(QStringLiteral("DefChB"), 7), 12) << "kept in memory";
    struct stat st {};
    ASSERT_EQ(lstat(QFile::encodeName(StoreFile()).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "not replaced";
    EXPECT_TRUE(LogSince().contains("is no regular file"));
}

// Under umask 000 the folder was made 0777 and the store 0666, so another user could replace it by a link.
TEST_F(AdapterSettings, StoreIsOwnerOnlyWhateverTheUmaskAndForeignLinksAreRefused)
{
    const mode_t old = umask(0);
    CNICAdapter& a = Adapter();
    a.WriteSet(QStringLiteral("DefChB"), 12);
    umask(old);
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(QFileInfo(StoreFile()).absolutePath()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    ASSERT_EQ(stat(QFile::encodeName(StoreFile()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    if (geteuid() != 0)
        GTEST_SKIP() << "a link of another user can only be made with root's rights";
    const QString notes = m_Dir.filePath("notes.txt");
    testutil::WriteFile(notes, "private notes\n");
    QFile::remove(StoreFile());
    ASSERT_TRUE(QFile::link(notes, StoreFile()));
    ASSERT_EQ(lchown(QFile::encodeName(StoreFile()).constData(), 65534, 65534), 0);
    a.WriteSet(QStringLiteral("DefChB"), 13);
    EXPECT_EQ(testutil::ReadFile(notes), "private notes\n");
    EXPECT_TRUE(LogSince().contains("symbolic link of another user"));
}

// Under umask 000 with the settings folder's parent writable by others, another user replaced the folder by a
// link to their own: the user's settings were written there, and settings planted there were read back. A
// store in a folder others can change is neither read nor written; the program says so once and goes on
// from memory.
TEST_F(AdapterSettings, StoreInAFolderOthersCanChangeIsNeitherReadNorWritten)
{
    const QString config = m_Dir.filePath(QStringLiteral("config"));
    Adapter().WriteSet(QStringLiteral("DefChB"), 3);
    DestroyAdapter();
    const QByteArray planted = testutil::ReadFile(StoreFile());
    ASSERT_TRUE(planted.contains("DefChB=3"));
    ASSERT_EQ(chmod(QFile::encodeName(config).constData(), 0777), 0);
    QStringList told;
    SetWriteProblemHandler([&told](StoreProblem problem, const QString& subject) {
        if (problem == StoreProblem::CannotSave)
            told << subject;
    });
    const auto reset = qScopeGuard([] { SetWriteProblemHandler(nullptr); });
    CNICAdapter& a = Adapter();
    EXPECT_EQ(a.ReadSet(QStringLiteral("DefChB"), 0), 0) << "what may have been planted is not read";
    a.WriteSet(QStringLiteral("DefChB"), 12);
    a.WriteSet(QStringLiteral("DefChA"), 5);
    EXPECT_EQ(a.ReadSet(QStringLiteral("DefChB"), 0), 12) << "the program goes on from memory";
    EXPECT_EQ(testutil::ReadFile(StoreFile()), planted) << "not written";
    EXPECT_EQ(told, QStringList{StoreFile()}) << "told once";
    EXPECT_TRUE(LogSince().contains(config + " is writable by others"));

    ASSERT_EQ(chmod(QFile::encodeName(config).constData(), 0700), 0);
    a.WriteSet(QStringLiteral("DefChG"), 1);
    DestroyAdapter();
    CNICAdapter& again = Adapter();
    EXPECT_EQ(again.ReadSet(QStringLiteral("DefChB"), 0), 12) << "written with the next change that can be";
    EXPECT_EQ(again.ReadSet(QStringLiteral("DefChA"), 0), 5);
}

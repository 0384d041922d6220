// The adapter's profile lists and the order kept in the per-user store.
#include "adapterfixture.h"
#include "app/Uwriteproblem.h"
#include "engine/Ucumlib.h"
#include "failingstore.h"
#include "testutil.h"

#include <QDirIterator>
#include <QScopeGuard>
#include <QStringList>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

using fakelib::MakeProfile;

namespace {

const char SCENARIO[] = R"([Adapter]
HardwareId=USB\VID_F5E1&PID_0301
Description=Profile Test Adapter
Domain=ETSI

[Network.Open]
SSID=OpenNet
BSSID=00:11:22:00:00:01
Channel=6
Security=0
)";

// The profile lists on the simulated adapter library, which keeps one file per profile.
class AdapterProfiles : public AdapterTest {
protected:
    void UseLibrary() override { UseSimulator(SCENARIO, "USB\\VID_F5E1&PID_0301"); }
    // Profiles the library holds before the adapter object exists.
    void Store(const std::vector<std::string>& names, int kind = PROF_STATION)
    {
        for (const std::string& name : names) {
            const WLProfile p = MakeProfile(name, kind);
            g_TSLib.TSRWL_SetWLProfile(p.ProfileName, &p);
        }
    }
    int LibraryProfileCount() const
    {
        CTSLibLock lock;
        char name[TSRWL_PROFILE_NAME_BUFFER_SIZE] = {};
        int count = 0;
        while (g_TSLib.TSRWL_EnumWLProfiles(count, name) == 1)
            ++count;
        return count;
    }
    QStringList Names(int kind = PROF_STATION) const
    {
        TProfileList list;
        m_Adapter->GetProfileList(kind, list);
        QStringList names;
        for (const auto& p : list)
            names << QString::fromUtf8(p->ProfileName);
        return names;
    }
    // The order as the per-user store holds it.
    QStringList StoredOrder(int kind = PROF_STATION) const
    {
        const QString prefix = kind == PROF_STATION ? "Prof" : "APProf";
        const int count = m_Adapter->ReadSet(prefix + "Count", -1);
        QStringList names;
        for (int i = 0; i < count; ++i)
            names << m_Adapter->ReadSet(prefix + QString::number(i), "<missing>");
        return names;
    }
    bool EntryExists(int position) const
    {
        return m_Adapter->ReadSet(QStringLiteral("Prof%1").arg(position), "<missing>") != "<missing>";
    }
    void ExpectInvariant(const char* step) const
    {
        EXPECT_EQ(StoredOrder(), Names()) << step;
        EXPECT_FALSE(EntryExists(int(Names().size()))) << step << ": no entry past the count";
    }
};

} // namespace

TEST_F(AdapterProfiles, OrderSurvivesAddDeleteAndRename)
{
    Store({"Home", "Office"});
    CNICAdapter& a = Adapter();
    EXPECT_EQ(Names(), (QStringList{"Home", "Office"}));
    ExpectInvariant("start");

    ASSERT_TRUE(a.AddProfile(MakeProfile("Cafe")));
    EXPECT_EQ(Names(), (QStringList{"Home", "Office", "Cafe"}));
    ExpectInvariant("add");

    ASSERT_TRUE(a.DeleteProfile(PROF_STATION, "OFFICE"));
    EXPECT_EQ(Names(), (QStringList{"Home", "Cafe"}));
    EXPECT_EQ(a.ReadSet(QStringLiteral("ProfCount"), 0), 2);
    ExpectInvariant("delete of the middle one");

    ASSERT_TRUE(a.UpdateProfile(MakeProfile("Home2"), "home"));
    EXPECT_EQ(Names(), (QStringList{"Home2", "Cafe"}));
    ExpectInvariant("rename");

    WLProfile replaced = MakeProfile("cafe", 0, "new ssid");
    ASSERT_TRUE(a.AddProfile(replaced));
    EXPECT_EQ(Names(), (QStringList{"Home2", "cafe"})) << "same name in another case replaces in place";
    ExpectInvariant("replace");
    EXPECT_EQ(LibraryProfileCount(), 3) << "Home2, cafe and the default Soft AP profile";

    // The user's order outlives the adapter object although the library enumerates otherwise.
    DestroyAdapter();
    Adapter();
    EXPECT_EQ(Names(), (QStringList{"Home2", "cafe"}));
    // The default Soft AP profile, add, delete, rename and replace.
    EXPECT_TRUE(testutil::WaitFor([&] { return m_Recorder.Count(NM_PROFILE_LIST) == 5; }));
}

TEST_F(AdapterProfiles, StaleOrderKeysAreDroppedAndUnknownProfilesAppended)
{
    Store({"B", "A", "New"});
    Adapter().WriteSet(QStringLiteral("ProfCount"), 5);
    const char* order[] = {"A", "Gone", "b", "Gone too", "A"};
    for (int i = 0; i < 5; ++i)
        m_Adapter->WriteSet(QStringLiteral("Prof%1").arg(i), order[i]);
    TProfileList list;
    m_Adapter->ReadProfileList(PROF_STATION, list);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_STREQ(list[0]->ProfileName, "A");
    EXPECT_STREQ(list[1]->ProfileName, "B");
    EXPECT_STREQ(list[2]->ProfileName, "New");
    EXPECT_STREQ(list[2]->NetInfo.sz_CurProfile, "New");
    EXPECT_EQ(m_Adapter->ReadSet(QStringLiteral("ProfCount"), 0), 3);
    for (int i = 3; i < 5; ++i)
        EXPECT_FALSE(EntryExists(i)) << i;
}

TEST_F(AdapterProfiles, KindsStayApart)
{
    Store({"Shared"}, PROF_SOFTAP);
    CNICAdapter& a = Adapter();
    EXPECT_TRUE(a.ProfileExists("shared"));
    EXPECT_FALSE(a.AddProfile(MakeProfile("Shared", PROF_STATION)))
        << "the name belongs to a Soft AP profile";
    EXPECT_EQ(Names(PROF_STATION), (QStringList{"Default"}));
    EXPECT_FALSE(a.DeleteProfile(PROF_STATION, "Shared"));
    EXPECT_TRUE(a.DeleteProfile(7, "Shared")) << "any kind but 0 is the Soft AP list";
    EXPECT_FALSE(a.DeleteProfile(PROF_STATION, "nothing"));
}

TEST_F(AdapterProfiles, ProfileTheLibraryDidNotStoreIsNotListed)
{
    // The library's profile folder cannot be made: a file stands in its way.
    testutil::WriteFile(m_Dir.filePath("blocker"), "");
    qputenv("TSRWL_SIM_PROFILES", m_Dir.filePath("blocker/profiles").toUtf8());
    CNICAdapter& a = Adapter();
    EXPECT_EQ(Names(PROF_STATION), QStringList()) << "the default profile whose save failed";
    EXPECT_FALSE(a.AddProfile(MakeProfile("New", PROF_STATION)));
    EXPECT_EQ(Names(PROF_STATION), QStringList());
    EXPECT_EQ(m_Adapter->ReadSet(QStringLiteral("ProfCount"), 0), 0);
}

TEST_F(AdapterProfiles, UnusualNamesKeepTheirPlace)
{
    const std::vector<std::string> names = {std::string(64, 'L'),  "With \"quotes\"",
                                            "Back\\slash\\",       "Caf\xc3\xa9 \xe2\x82\xac",
                                            "semi;colon=eq,comma", " padded "};
    Store(names);
    CNICAdapter& a = Adapter();
    // Reverse the library's order through the store, then read back.
    a.WriteSet(QStringLiteral("ProfCount"), int(names.size()));
    for (size_t i = 0; i < names.size(); ++i)
        a.WriteSet(QStringLiteral("Prof%1").arg(i), QString::fromUtf8(names[names.size() - 1 - i]));
    TProfileList list;
    a.ReadProfileList(PROF_STATION, list);
    ASSERT_EQ(list.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(list[i]->ProfileName, names[names.size() - 1 - i]) << i;

    WLProfile overlong = MakeProfile("x");
    memset(overlong.ProfileName, 'Z', sizeof overlong.ProfileName); // no terminating NUL
    ASSERT_TRUE(a.AddProfile(overlong));
    EXPECT_EQ(Names().last(), QString(64, 'Z'));
}

TEST_F(AdapterProfiles, FiveHundredProfiles)
{
    std::vector<std::string> names;
    for (int i = 0; i < 500; ++i)
        names.push_back("Profile " + std::to_string(i));
    Store(names);
    CNICAdapter& a = Adapter();
    QStringList expected = Names();
    ASSERT_EQ(expected.size(), 500);
    ASSERT_TRUE(a.DeleteProfile(PROF_STATION, "Profile 250"));
    expected.removeOne("Profile 250");
    EXPECT_EQ(Names(), expected);
    ExpectInvariant("500 profiles");
}

TEST_F(AdapterProfiles, LibraryEnumeratingForeverIsCutOff)
{
    Store({"Only"});
    CNICAdapter& a = Adapter();
    g_TSLib.TSRWL_EnumWLProfiles = [](int32_t, char* name) -> int32_t {
        strcpy(name, "Only");
        return 1;
    };
    TProfileList list;
    a.ReadProfileList(PROF_STATION, list);
    EXPECT_EQ(list.size(), 10000u);
    EXPECT_TRUE(LogSince().contains("ReadProfileList() stops after"));
}

TEST_F(AdapterProfiles, LastProfileOnlyWhenListed)
{
    Store({"Home"});
    CNICAdapter& a = Adapter();
    a.WriteSet(QStringLiteral("LastProf"), "HOME");
    EXPECT_EQ(a.GetLastProfile(PROF_STATION), "HOME");
    a.WriteSet(QStringLiteral("LastProf"), "Vanished");
    EXPECT_EQ(a.GetLastProfile(PROF_STATION), "");
    WLProfile last{};
    a.GetLastApplied(last);
    EXPECT_EQ(memcmp(&last, &a.DefProfile(), sizeof last), 0) << "no section yet: the default profile";
}

// The start connects with the last used profile, whatever the case of the name the settings hold, else with
// the first one the user sees listed; not at all when set not to.
TEST_F(AdapterProfiles, ConnectLastTakesTheLastUsedElseTheFirstListed)
{
    Store({"Home", "Office"});
    CNICAdapter& a = Adapter();
    a.WriteSet(QStringLiteral("LastProf"), "OFFICE");
    EXPECT_EQ(a.ConnectLast({"Home", "Office"}), "Office");
    a.WriteSet(QStringLiteral("LastProf"), "Vanished");
    EXPECT_EQ(a.ConnectLast({"Office", "Home"}), "Office") << "the first listed";
    EXPECT_EQ(a.ConnectLast({}), "");
    a.WriteSet(QStringLiteral("InitConnect"), false);
    EXPECT_EQ(a.ConnectLast({"Home"}), "");
}

// Saving an edited profile deleted its file before the new one was stored: an end at that moment lost the
// profile for good. The file must be replaced in place, and go only when the name changed.
TEST_F(AdapterProfiles, EditReplacesTheStoredFileWithoutAGap)
{
    Store({"Home", "Office"});
    CNICAdapter& a = Adapter();
    QDirIterator files(m_Dir.filePath("profiles"), {"Home*"}, QDir::Files, QDirIterator::Subdirectories);
    ASSERT_TRUE(files.hasNext());
    const QFileInfo home(files.next());
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    const auto closeWatch = qScopeGuard([watch] { close(watch); });
    ASSERT_GE(inotify_add_watch(watch, QFile::encodeName(home.path()).constData(), IN_DELETE), 0);

    ASSERT_TRUE(a.UpdateProfile(MakeProfile("Home", 0, "edited"), "Home"));
    alignas(inotify_event) char events[4096];
    EXPECT_LE(read(watch, events, sizeof events), 0) << "no file was deleted by an edit under the same name";
    EXPECT_TRUE(home.exists());

    ASSERT_TRUE(a.UpdateProfile(MakeProfile("Away", 0, "edited"), "home"));
    EXPECT_GT(read(watch, events, sizeof events), 0) << "a new name removes the old file";
    EXPECT_FALSE(QFileInfo::exists(home.filePath()));
    EXPECT_EQ(Names(), (QStringList{"Away", "Office"}));
    EXPECT_EQ(LibraryProfileCount(), 3) << "Away, Office and the default Soft AP profile";
}

// Editing on a full disk removed the old file after a store the library had refused, and reported success:
// the profile was gone. A failed store changes nothing and says so; a delete on a full disk still deletes.
TEST_F(AdapterProfiles, AStoreThatFailsLosesNothingAndSaysSo)
{
    struct Case {
        const char* what;
        std::function<bool(CNICAdapter&)> change;
        bool doneOnFullDisk;
        QStringList namesAfterFullDisk;
    };
    const Case cases[] = {
        {"add", [](CNICAdapter& a) { return a.AddProfile(MakeProfile("New")); }, false, {"Home", "Office"}},
        {"edit",
         [](CNICAdapter& a) { return a.UpdateProfile(MakeProfile("Home", 0, "edited"), "Home"); },
         false,
         {"Home", "Office"}},
        {"rename",
         [](CNICAdapter& a) { return a.UpdateProfile(MakeProfile("Home2", 0, "edited"), "Home"); },
         false,
         {"Home", "Office"}},
        {"delete", [](CNICAdapter& a) { return a.DeleteProfile(PROF_STATION, "Home"); }, true, {"Office"}},
    };
    Store({"Home", "Office"});
    // The delete done on a full disk comes last: the profile it removes stays removed.
    for (const StoreFault fault : {StoreFault::FolderGone, StoreFault::FullDisk})
        for (const Case& c : cases) {
            const bool full = fault == StoreFault::FullDisk;
            const std::string where =
                std::string(c.what) + (full ? " on a full disk" : " without its folder");
            DestroyAdapter();
            CNICAdapter& a = Adapter();
            bool done = false;
            {
                const FailingStore failing(fault, m_Dir.filePath("profiles"));
                done = c.change(a);
            }
            const bool expectDone = full && c.doneOnFullDisk;
            EXPECT_EQ(done, expectDone) << where;
            EXPECT_EQ(Names(), expectDone ? c.namesAfterFullDisk : QStringList({"Home", "Office"})) << where;
            DestroyAdapter();
            Adapter();
            EXPECT_EQ(Names(), expectDone ? c.namesAfterFullDisk : QStringList({"Home", "Office"}))
                << where << ", read back";
            WLProfile home{};
            if (!expectDone) {
                EXPECT_EQ(g_TSLib.TSRWL_GetWLProfile("Home", &home), TSRWL_OK) << where;
                EXPECT_STREQ(home.Ssid1, "net") << where;
            }
            EXPECT_NE(g_TSLib.TSRWL_GetWLProfile("Home2", &home), TSRWL_OK) << where;
            EXPECT_NE(g_TSLib.TSRWL_GetWLProfile("New", &home), TSRWL_OK) << where;
            Store({"Home"});
        }
}

// Renaming the profile connected last left the setting on the old name, and the next start connected with
// another profile, to another network. The name follows a rename and goes with a delete.
TEST_F(AdapterProfiles, TheLastUsedNameFollowsRenameAndDelete)
{
    Store({"Home", "Office"});
    Store({"Hotspot"}, PROF_SOFTAP);
    CNICAdapter& a = Adapter();
    a.WriteSet(QStringLiteral("LastProf"), "HOME");
    a.WriteSet(QStringLiteral("LastAPProf"), "Hotspot");
    ASSERT_TRUE(a.UpdateProfile(MakeProfile("Office", 0, "edited"), "Office"));
    EXPECT_EQ(a.ReadSet(QStringLiteral("LastProf"), ""), "HOME") << "another profile changed";
    ASSERT_TRUE(a.UpdateProfile(MakeProfile("Home", 0, "edited"), "Home"));
    EXPECT_EQ(a.ReadSet(QStringLiteral("LastProf"), ""), "Home") << "edited under its name, as it is spelt";
    ASSERT_TRUE(a.UpdateProfile(MakeProfile("Away"), "home"));
    EXPECT_EQ(a.ReadSet(QStringLiteral("LastProf"), ""), "Away");
    EXPECT_EQ(a.ConnectLast({"Office", "Away"}), "Away");
    ASSERT_TRUE(a.UpdateProfile(MakeProfile("Hotspot 2", PROF_SOFTAP), "Hotspot"));
    EXPECT_EQ(a.ReadSet(QStringLiteral("LastAPProf"), ""), "Hotspot 2");
    EXPECT_EQ(a.ReadSet(QStringLiteral("LastProf"), ""), "Away") << "the kinds keep their own names";

    ASSERT_TRUE(a.DeleteProfile(PROF_STATION, "Office"));
    EXPECT_EQ(a.ReadSet(QStringLiteral("LastProf"), ""), "Away");
    ASSERT_TRUE(a.DeleteProfile(PROF_STATION, "AWAY"));
    EXPECT_EQ(a.ReadSet(QStringLiteral("LastProf"), "<none>"), "<none>") << "cleared with its profile";
    ASSERT_TRUE(a.DeleteProfile(PROF_SOFTAP, "Hotspot 2"));
    EXPECT_EQ(a.ReadSet(QStringLiteral("LastAPProf"), "<none>"), "<none>");
}

// A damaged profile file dropped out of the list with only a line of the library on stderr, and the start
// then connected with another profile, which became the last used.
TEST_F(AdapterProfiles, DamagedProfileIsReportedAndKeepsItsPlaceAsLastUsed)
{
    Store({"Home", "Office"});
    QDirIterator files(m_Dir.filePath("profiles"), {"Home*"}, QDir::Files, QDirIterator::Subdirectories);
    ASSERT_TRUE(files.hasNext());
    testutil::WriteFile(files.next(), "garbage");
    QStringList told;
    SetWriteProblemHandler([&told](StoreProblem problem, const QString& subject) {
        if (problem == StoreProblem::DamagedProfile)
            told << subject;
    });
    const auto reset = qScopeGuard([] { SetWriteProblemHandler(nullptr); });
    CNICAdapter& a = Adapter();
    EXPECT_EQ(Names(), QStringList{"Office"});
    EXPECT_EQ(told, QStringList{"Home"}) << "told once, though both lists were read";
    EXPECT_FALSE(a.LastProfileDamaged(PROF_STATION));
    a.WriteSet(QStringLiteral("LastProf"), QStringLiteral("home"));
    EXPECT_TRUE(a.LastProfileDamaged(PROF_STATION));
    EXPECT_EQ(a.ConnectLast({"Office"}), "") << "connecting with another would make that the last used";
    a.WriteSet(QStringLiteral("LastProf"), QStringLiteral("Office"));
    EXPECT_FALSE(a.LastProfileDamaged(PROF_STATION));
}

#include "adaptercore/Coreprofilestore.h"
#include "simulator/simtestutil.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>

namespace {

using Record = std::array<uint8_t, 3976>;

Record Filled(uint8_t value)
{
    Record r;
    r.fill(value);
    return r;
}

class CoreProfileStore : public ::testing::Test {
protected:
    void SetUp() override { setenv("TSRWL_SIM_PROFILES", m_dir.Path().c_str(), 1); }
    simtest::TempDir m_dir;
};

TEST_F(CoreProfileStore, StoresReadsListsAndDeletes)
{
    const CCoreProfileStore store("Tessaro");
    const std::vector<std::string> names = {"Home",   "../escape",       ".hidden",
                                            "a/b\\c", "caf\xC3\xA9 %20", std::string(64, 'n')};
    for (size_t i = 0; i < names.size(); ++i)
        ASSERT_TRUE(store.Save(names[i], Filled(uint8_t(i + 1)).data(), sizeof(Record))) << names[i];
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(*store.Names(), sorted);
    for (size_t i = 0; i < names.size(); ++i) {
        Record r{};
        ASSERT_TRUE(store.Load(names[i], r.data(), r.size())) << names[i];
        EXPECT_EQ(r, Filled(uint8_t(i + 1))) << names[i];
    }
    // Nothing escaped the store's own folder.
    struct stat st {};
    EXPECT_NE(stat((m_dir.Path() + "/escape.wlprofile").c_str(), &st), 0);

    ASSERT_TRUE(store.Save("Home", Filled(0x55).data(), sizeof(Record)));
    Record r{};
    ASSERT_TRUE(store.Load("Home", r.data(), r.size()));
    EXPECT_EQ(r, Filled(0x55));
    EXPECT_TRUE(store.Remove("Home"));
    EXPECT_FALSE(store.Remove("Home"));
    EXPECT_FALSE(store.Load("Home", r.data(), r.size()));
    EXPECT_EQ(store.Names()->size(), names.size() - 1);
}

TEST_F(CoreProfileStore, FilesAreTheOwnersOnly)
{
    const CCoreProfileStore store("Tessaro");
    ASSERT_TRUE(store.Save("Secret", Filled(1).data(), sizeof(Record)));
    struct stat st {};
    ASSERT_EQ(stat(store.Directory().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(stat((store.Directory() + "/Secret.wlprofile").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(CoreProfileStore, RefusesUnusableNamesAndDamagedFiles)
{
    const CCoreProfileStore store("Tessaro");
    Record r{};
    EXPECT_FALSE(store.Save("", r.data(), r.size()));
    EXPECT_FALSE(store.Save(std::string(65, 'x'), r.data(), r.size()));
    EXPECT_FALSE(store.Save("x", nullptr, r.size()));
    ASSERT_TRUE(store.Save("Short", r.data(), 10));
    EXPECT_FALSE(store.Load("Short", r.data(), r.size())); // a record of another size is damaged
    simtest::WriteText(store.Directory() + "/Junk.wlprofile", "not a profile");
    EXPECT_FALSE(store.Load("Junk", r.data(), r.size()));
    simtest::WriteText(store.Directory() + "/%zz.wlprofile", "");
    EXPECT_EQ(*store.Names(), (std::vector<std::string>{"Junk", "Short"}));
}

TEST_F(CoreProfileStore, TwoProcessesWritingAtOnceLeaveWholeProfiles)
{
    const CCoreProfileStore store("Shared");
    constexpr int kRounds = 150;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            bool ok = true;
            for (int i = 0; i < kRounds; ++i) {
                ok &= store.Save("Both", Filled(uint8_t(c == 0 ? 0x11 : 0x22)).data(), sizeof(Record));
                ok &= store.Save("Own" + std::to_string(c) + "-" + std::to_string(i % 10),
                                 Filled(uint8_t(i)).data(), sizeof(Record));
            }
            _exit(ok ? 0 : 1);
        }
    }
    // Meanwhile this process reads: every read sees one writer's whole record, never a mix.
    int status[2] = {};
    for (int reads = 0; reads < 300; ++reads) {
        Record r{};
        if (store.Load("Both", r.data(), r.size())) {
            EXPECT_TRUE(r == Filled(0x11) || r == Filled(0x22));
        }
    }
    for (int c = 0; c < 2; ++c) {
        ASSERT_EQ(waitpid(children[c], &status[c], 0), children[c]);
        EXPECT_TRUE(WIFEXITED(status[c]) && WEXITSTATUS(status[c]) == 0);
    }
    EXPECT_EQ(store.Names()->size(), 21u);
}

// A store killed at any moment (kill -9, a crash, a power cut that the synced folder survives) leaves the old
// record or the new one, whole, never none or a mix; and the next use clears what the cut left behind.
TEST_F(CoreProfileStore, KilledAtAnyMomentLeavesTheOldOrTheNewRecord)
{
    const CCoreProfileStore store("Killed");
    ASSERT_TRUE(store.Save("Home", Filled(0x10).data(), sizeof(Record)));
    for (int round = 0; round < 40; ++round) {
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFds[0]);
            for (uint8_t value = 0x11;; value = value == 0x11 ? 0x12 : 0x11) {
                store.Save("Home", Filled(value).data(), sizeof(Record));
                [[maybe_unused]] const ssize_t n = write(pipeFds[1], "s", 1);
            }
        }
        close(pipeFds[1]);
        // Killed after a number of saves that varies by round, so the kill lands in different steps.
        char done[64];
        size_t seen = 0;
        while (seen < size_t(1 + round % 7)) {
            const ssize_t n = read(pipeFds[0], done, std::min(sizeof done, size_t(1 + round % 7) - seen));
            ASSERT_GT(n, 0);
            seen += size_t(n);
        }
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        close(pipeFds[0]);
        Record r{};
        ASSERT_TRUE(store.Load("Home", r.data(), r.size())) << "round " << round;
        EXPECT_TRUE(r == Filled(0x11) || r == Filled(0x12)) << "round " << round;
        EXPECT_EQ(*store.Names(), std::vector<std::string>{"Home"}) << "round " << round;
    }
}

} // namespace

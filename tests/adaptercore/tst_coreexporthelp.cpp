// What both adapter libraries do alike with a caller's arguments and buffers.
#include "adaptercore/Coreexporthelp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

TEST(CoreExportHelp, CallLockedRunsOnlyWithEveryArgumentAndUnderTheLock)
{
    std::mutex lock;
    int first = 0;
    char second = 0;
    struct Case {
        const char* what;
        const int* a;
        const char* b;
        int32_t result;
    } const cases[] = {
        {"both given", &first, &second, 7},
        {"first missing", nullptr, &second, kTsrwlFail},
        {"second missing", &first, nullptr, kTsrwlFail},
        {"both missing", nullptr, nullptr, kTsrwlFail},
    };
    for (const Case& c : cases) {
        bool ran = false, heldDuringCall = false;
        const int32_t result = CallLocked(
            lock,
            [&] {
                ran = true;
                // Asked from another thread: a mutex's owner must not try it again.
                std::thread([&] {
                    heldDuringCall = !lock.try_lock();
                    if (!heldDuringCall)
                        lock.unlock();
                }).join();
                return 7;
            },
            c.a, c.b);
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(ran, c.result == 7) << c.what;
        EXPECT_EQ(heldDuringCall, ran) << c.what;
        // The lock is given back however the call ended.
        ASSERT_TRUE(lock.try_lock()) << c.what;
        lock.unlock();
    }
}

TEST(CoreExportHelp, CallLockedWithoutPointersAlwaysRuns)
{
    std::mutex lock;
    EXPECT_EQ(CallLocked(lock, [] { return int32_t(-3); }), -3);
}

TEST(CoreExportHelp, TextArgTakesTextsUpToTheLimitOnly)
{
    struct Case {
        const char* text;
        bool taken;
    } const cases[] = {{nullptr, false}, {"", true}, {"abcd", true}, {"abcde", false}};
    for (const Case& c : cases) {
        std::string out = "old";
        EXPECT_EQ(TextArg(c.text, 4, out), c.taken) << (c.text ? c.text : "(null)");
        EXPECT_EQ(out, c.taken ? c.text : "old");
    }
}

TEST(CoreExportHelp, CopyOutCutsBeforeAWholeCharacter)
{
    struct Case {
        size_t size;
        std::string text;
        std::string expected;
    } const cases[] = {
        {1, "abc", ""},
        {4, "abc", "abc"},
        {3, "abc", "ab"},
        {3, "a\xC3\xA4", "a"},                // a two-byte character that would not fit whole
        {4, "a\xC3\xA4", "a\xC3\xA4"},        // fits exactly
        {4, "\xE2\x82\xAC!", "\xE2\x82\xAC"}, // a three-byte one, then what no longer fits
        {3, "\xE2\x82\xAC", ""},
    };
    for (const Case& c : cases) {
        char buffer[8];
        memset(buffer, 'Z', sizeof buffer);
        CopyOut(buffer, c.size, c.text);
        EXPECT_EQ(std::string(buffer), c.expected) << c.size << " " << c.text;
        EXPECT_EQ(buffer[c.size], 'Z') << "written past the buffer";
    }
}

TEST(CoreExportHelp, SurveyBufferHoldsWhatFitsAndSaysHowMuch)
{
    std::vector<TSSiteEntry> entries(3);
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i].Rssi = -40 - int32_t(i);
    struct Case {
        uint32_t size;
        uint32_t count;
    } const cases[] = {
        {uint32_t(sizeof(uint32_t)), 0},
        {uint32_t(sizeof(uint32_t) + 2 * sizeof(TSSiteEntry) + 5), 2},
        {uint32_t(sizeof(uint32_t) + 10 * sizeof(TSSiteEntry)), 3},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> buffer(c.size + 16, 0xEE);
        uint32_t size = c.size;
        EXPECT_EQ(FillSurveyBuffer(entries, buffer.data(), &size), TSRWL_OK);
        uint32_t count = 0;
        memcpy(&count, buffer.data(), sizeof count);
        EXPECT_EQ(count, c.count) << c.size;
        EXPECT_EQ(size, sizeof(uint32_t) + c.count * sizeof(TSSiteEntry)) << c.size;
        EXPECT_EQ(buffer[c.size], 0xEE) << "written past the buffer of " << c.size;
        for (uint32_t i = 0; i < count; ++i) {
            TSSiteEntry e{};
            memcpy(&e, buffer.data() + sizeof count + i * sizeof e, sizeof e);
            EXPECT_EQ(e.Rssi, entries[i].Rssi);
        }
    }
}

} // namespace

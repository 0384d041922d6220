#include "engine/Ucumlib.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <thread>

namespace {

std::string TestLibPath(const char* variant)
{
    const char* dir = getenv("WLANUTIL_TEST_BIN_DIR");
    return std::string(dir ? dir : ".") + "/libtsrwl_test_" + variant + ".so";
}

// The controls of one test library, reached through a handle of our own on the module the binding loaded.
class CTestLibControl {
public:
    explicit CTestLibControl(const std::string& path) : m_Module(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
    {
    }
    ~CTestLibControl()
    {
        if (m_Module)
            dlclose(m_Module);
    }
    CTestLibControl(const CTestLibControl&) = delete;
    CTestLibControl& operator=(const CTestLibControl&) = delete;

    explicit operator bool() const { return m_Module != nullptr; }
    template <typename F> F Get(const char* name) const { return reinterpret_cast<F>(dlsym(m_Module, name)); }
    int Calls(const char* name) const { return Get<int (*)(const char*)>("TestLib_CallCount")(name); }
    void Reset() const { Get<void (*)()>("TestLib_Reset")(); }
    void SetInt(const char* setter, int32_t value) const { Get<void (*)(int32_t)>(setter)(value); }
    void SetMediaState(uint32_t state) const { Get<void (*)(uint32_t)>("TestLib_SetMediaState")(state); }

private:
    void* m_Module;
};

class CumLibTest : public ::testing::Test {
protected:
    void TearDown() override { g_TSLib.Unload(); }

    // Loads the full test library and forgets the calls of the load itself.
    std::unique_ptr<CTestLibControl> LoadFull()
    {
        EXPECT_TRUE(g_TSLib.Load(TestLibPath("full")));
        auto control = std::make_unique<CTestLibControl>(TestLibPath("full"));
        EXPECT_TRUE(*control);
        control->Reset();
        return control;
    }
};

TEST_F(CumLibTest, LoadBindsAllNamesAndInitialisesTheLibraryOnce)
{
    ASSERT_TRUE(g_TSLib.Load(TestLibPath("full")));
    const CTestLibControl lib(TestLibPath("full"));
    ASSERT_TRUE(lib);
    EXPECT_TRUE(g_TSLib.IsLoaded());
    EXPECT_EQ(lib.Calls("TSRWL_Initial"), 1);
    EXPECT_EQ(lib.Calls(nullptr), 1) << "Load calls nothing but TSRWL_Initial";
    EXPECT_STREQ(lib.Get<const char* (*)()>("TestLib_InitialTag")(), "Tessar");
    EXPECT_EQ(lib.Get<int32_t (*)()>("TestLib_InitialFlag")(), 1);
#define EXPECT_BOUND(name, result, args) EXPECT_NE(g_TSLib.name, nullptr) << #name;
    TSRWL_FUNCTIONS(EXPECT_BOUND)
#undef EXPECT_BOUND
    // The lock is free exactly once: it is an auto-reset event.
    EXPECT_TRUE(g_TSLib.IsFree());
    const TLibTicket held = g_TSLib.Acquire();
    ASSERT_NE(held, 0u);
    EXPECT_FALSE(g_TSLib.IsFree());
    g_TSLib.Release(held);
}

TEST_F(CumLibTest, LoadRefusesALibraryLackingAnyName)
{
    for (const char* variant : {"no_first", "no_uncalled", "no_last"}) {
        SCOPED_TRACE(variant);
        EXPECT_FALSE(g_TSLib.Load(TestLibPath(variant)));
        EXPECT_FALSE(g_TSLib.IsLoaded());
        EXPECT_FALSE(g_TSLib.IsFree()) << "the lock stays taken, so no thread reaches a half-bound library";
        const CTestLibControl lib(TestLibPath(variant));
        ASSERT_TRUE(lib);
        EXPECT_EQ(lib.Calls(nullptr), 0) << "no function of a refused library is called";
        lib.Reset();
    }
}

TEST_F(CumLibTest, LoadFailsOnAMissingFile)
{
    EXPECT_FALSE(g_TSLib.Load(TestLibPath("does_not_exist")));
    EXPECT_FALSE(g_TSLib.IsLoaded());
    EXPECT_FALSE(g_TSLib.IsFree());
}

TEST_F(CumLibTest, ReadWLANStatus)
{
    struct Case {
        const char* name;
        int32_t queryResult;
        uint32_t mediaState;
        int32_t repeat;
        int expected;
        int statusCalls;
    };
    const Case cases[] = {
        {"disconnected adapter", 0, 1, 0, -99, 0},
        {"failing state query", 5, 0, 0, -99, 0},
        {"failing state query on a connected adapter", -1, 0, 1, -99, 0},
        {"connected, one call", 0, 0, 0, 7, 1},
        {"repeat flag stays set", 0, 0, 1, 7, 2},
    };
    const auto lib = LoadFull();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lib->Reset();
        lib->SetInt("TestLib_SetQueryResult", c.queryResult);
        lib->SetMediaState(c.mediaState);
        lib->SetInt("TestLib_SetRepeat", c.repeat);
        lib->SetInt("TestLib_SetStatusResult", 7);
        WLANStatus status{};
        EXPECT_EQ(g_TSLib.ReadWLANStatus(&status), c.expected);
        EXPECT_EQ(lib->Calls("TSRWL_GetWLANStatus"), c.statusCalls);
        EXPECT_EQ(lib->Calls("TSRWL_QueryOID"), 1);
        EXPECT_EQ(lib->Get<uint32_t (*)()>("TestLib_QueryOid")(), TSRWL_OID_MEDIA_CONNECT_STATUS);
        EXPECT_EQ(lib->Get<uint32_t (*)()>("TestLib_QueryLength")(), 4u);
        EXPECT_EQ(status.MediaState, c.mediaState) << "the media state lands in the status record";
    }
}

TEST_F(CumLibTest, StopRequestEndsTheWaitForTheLock)
{
    const auto lib = LoadFull();
    const TLibTicket held = g_TSLib.Acquire(); // another thread holds the library
    ASSERT_NE(held, 0u);
    CStopSignal stop;
    bool acquired = true;
    std::thread waiter([&] { acquired = g_TSLib.Acquire(stop) != 0; });
    stop.Event.Set();
    waiter.join();
    EXPECT_FALSE(acquired);
    EXPECT_TRUE(stop.Terminated);
    EXPECT_TRUE(stop.Event.IsSet()) << "the thread's main loop must still see the stop request";
    EXPECT_EQ(lib->Calls(nullptr), 0);
    EXPECT_FALSE(g_TSLib.IsFree()) << "the holder keeps the lock";
    g_TSLib.Release(held);
    EXPECT_TRUE(g_TSLib.IsFree());
}

TEST_F(CumLibTest, WaiterGetsTheLockWhenReleased)
{
    const auto lib = LoadFull();
    const TLibTicket held = g_TSLib.Acquire();
    CStopSignal stop;
    bool acquired = false;
    std::thread waiter([&] {
        const TLibTicket ticket = g_TSLib.Acquire(stop);
        acquired = ticket != 0;
        g_TSLib.Release(ticket);
    });
    g_TSLib.Release(held);
    waiter.join();
    EXPECT_TRUE(acquired);
    EXPECT_FALSE(stop.Terminated);
    EXPECT_TRUE(g_TSLib.IsFree());
}

TEST_F(CumLibTest, FreeLockWinsOverAPendingStopRequest)
{
    const auto lib = LoadFull();
    CStopSignal stop;
    stop.Event.Set();
    {
        const CTSLibLock lock(stop);
        EXPECT_TRUE(lock);
        EXPECT_FALSE(g_TSLib.IsFree());
    }
    EXPECT_TRUE(g_TSLib.IsFree()) << "the scope lock gives the library back";
    EXPECT_FALSE(stop.Terminated);
    EXPECT_TRUE(stop.Event.IsSet());
}

TEST_F(CumLibTest, AStopRequestMadeBeforeTheWaitLeavesAFreeLibraryAlone)
{
    const auto lib = LoadFull();
    CStopSignal stop;
    stop.Request();
    (void)stop.Event.Wait(0);
    EXPECT_EQ(g_TSLib.Acquire(stop), 0u) << "a thread being stopped starts no library work";
    EXPECT_TRUE(g_TSLib.IsFree());
    EXPECT_TRUE(stop.Event.IsSet());
}

// An owner that gives a stuck thread up frees the lock for others; the stuck thread's own release, when it
// comes back, must then change nothing, or two threads would be inside the library at once.
TEST_F(CumLibTest, OnlyTheCurrentHoldReleasesTheLock)
{
    const auto lib = LoadFull();
    CStopSignal stuck;
    const TLibTicket stale = g_TSLib.Acquire(stuck);
    ASSERT_NE(stale, 0u);
    CStopSignal other;
    EXPECT_FALSE(g_TSLib.ReleaseAbandoned(other)) << "only the abandoned thread's hold is freed";
    EXPECT_FALSE(g_TSLib.IsFree());
    ASSERT_TRUE(g_TSLib.ReleaseAbandoned(stuck));
    const TLibTicket owner = g_TSLib.Acquire();
    ASSERT_NE(owner, 0u);
    EXPECT_FALSE(g_TSLib.Holds(stale));
    g_TSLib.Release(stale);
    EXPECT_FALSE(g_TSLib.IsFree()) << "the returning thread's release leaves the new holder's lock alone";
    EXPECT_TRUE(g_TSLib.Holds(owner));
    EXPECT_FALSE(g_TSLib.ReleaseAbandoned(stuck)) << "its old hold is over";
    g_TSLib.Release(owner);
    EXPECT_TRUE(g_TSLib.IsFree());
}

} // namespace

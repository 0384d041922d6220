// Address release and renewal: through the library, or through the system on older systems.
#include "adapterfixture.h"
#include "app/Udefine.h"
#include "engine/Uiphelper.h"
#include "testutil.h"

namespace {

class FakeIpHelper : public IIpHelper {
public:
    QString FindInterface(const QString& wantedLower) override
    {
        Record("find " + wantedLower);
        return wantedLower.contains("test wireless") ? QStringLiteral("wlan7") : QString();
    }
    bool Release(const QString& name) override { return Record("release " + name); }
    bool Renew(const QString& name) override { return Record("renew " + name); }
    QStringList Calls() const
    {
        // A copy of its own: a shared list would be grown by the IP thread while this thread drops its
        // reference, a race the thread checker rightly reports.
        std::lock_guard lock(m_Mutex);
        return QStringList(m_Calls.cbegin(), m_Calls.cend());
    }

private:
    bool Record(const QString& call)
    {
        std::lock_guard lock(m_Mutex);
        m_Calls << call;
        return true;
    }
    mutable std::mutex m_Mutex;
    QStringList m_Calls;
};

class IpRenewal : public AdapterTest {
protected:
    void SetUp() override
    {
        AdapterTest::SetUp();
        SetIpHelper(m_Helper);
    }
    void TearDown() override
    {
        AdapterTest::TearDown();
        SetIpHelper(nullptr);
    }
    std::shared_ptr<FakeIpHelper> m_Helper = std::make_shared<FakeIpHelper>();
};

} // namespace

TEST_F(IpRenewal, NewerSystemsUseTheLibrary)
{
    g_Var.OsKind = 6;
    CNICAdapter& a = Adapter();
    a.IPRenew(IP_RELEASE);
    ASSERT_TRUE(testutil::WaitFor([] { return fakelib::Calls("TSRWL_IPRelease") == 1; }));
    a.IPRenew(IP_RENEW);
    ASSERT_TRUE(testutil::WaitFor([] { return fakelib::Calls("TSRWL_IPRenew") == 1; }));
    EXPECT_EQ(fakelib::Calls("TSRWL_IPRelease"), 1) << "the renewal alone releases nothing";
    EXPECT_TRUE(m_Helper->Calls().isEmpty());
}

TEST_F(IpRenewal, OlderSystemsUseTheSystemInTheIpThread)
{
    g_Var.OsKind = 4;
    CNICAdapter& a = Adapter();
    a.IPRenew(IP_RELEASE | IP_RENEW);
    ASSERT_TRUE(testutil::WaitFor([&] { return m_Helper->Calls().size() == 3; }));
    EXPECT_EQ(m_Helper->Calls(), (QStringList{"find test wireless adapter", "release wlan7", "renew wlan7"}));
    EXPECT_EQ(fakelib::Calls("TSRWL_IPRelease"), 0);
    ASSERT_TRUE(WaitForLog("IP renew done"));

    a.WriteSet(QStringLiteral("NicDesc"), "Another NIC");
    a.IPRenew(IP_RENEW);
    ASSERT_TRUE(WaitForLog("get NIC index failed"));
    EXPECT_TRUE(LogSince().contains("wait IPAddr Thread")) << "the previous IP thread is stopped first";
    EXPECT_TRUE(LogSince().contains("IPConfig NIC: Another NIC"));
}

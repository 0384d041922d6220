#include "app/Uinstance.h"
#include "testutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class InstanceTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("XDG_RUNTIME_DIR", m_Dir.path().toUtf8()); }
    QTemporaryDir m_Dir;
    QList<int> m_Sent;
    SingleInstanceOptions Options(int retries)
    {
        return {retries, 1, [this](int code) { m_Sent << code; }};
    }
};

} // namespace

TEST_F(InstanceTest, FirstRunsSecondAsksItToShow)
{
    CInstanceMutex first, second;
    EXPECT_TRUE(CheckSingleInstance(first, "Root_Mutex", Options(10)));
    EXPECT_TRUE(first.IsHeld());
    EXPECT_FALSE(CheckSingleInstance(second, "Root_Mutex", Options(10)));
    EXPECT_FALSE(second.IsHeld());
    EXPECT_EQ(m_Sent, QList<int>{1});

    CInstanceMutex other;
    EXPECT_TRUE(CheckSingleInstance(other, "Other_Mutex", Options(10))) << "each settings root has its own";
    first.Close();
    EXPECT_TRUE(CheckSingleInstance(second, "Root_Mutex", Options(10))) << "a closed lock is free again";
}

TEST_F(InstanceTest, LockThatCannotBeCreatedIsRetriedThenGivenUp)
{
    CInstanceMutex mutex;
    EXPECT_FALSE(CheckSingleInstance(mutex, "no/such/dir_Mutex", Options(10)));
    EXPECT_EQ(m_Sent, QList<int>(10, 9)) << "each retry first asks running instances to close";
    EXPECT_NE(mutex.LastError(), 0);
}

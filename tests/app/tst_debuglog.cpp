#include "app/Udebug.h"
#include "testutil.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using testutil::ReadFile;
using testutil::WriteFile;

namespace {

class DebugLogTest : public ::testing::Test {
protected:
    QString Exe() const { return m_Dir.filePath("prog"); }
    QString LogPath(const char* suffix = "") const
    {
        return m_Dir.filePath(QString("prog%1.Log").arg(suffix));
    }
    QTemporaryDir m_Dir;
};

} // namespace

TEST_F(DebugLogTest, OffWithoutLogFile)
{
    CDebugLog log;
    log.Open(Exe().toStdString());
    EXPECT_FALSE(log.IsOn());
    log.WriteLine("x", 1);
    EXPECT_TRUE(QDir(m_Dir.path()).entryList(QDir::Files).isEmpty()) << "no file is created";
}

TEST_F(DebugLogTest, AppendsRunsWithCrLf)
{
    WriteFile(LogPath(), "");
    for (const char* line : {"first", "second"}) {
        CDebugLog log;
        log.Open(Exe().toStdString());
        ASSERT_TRUE(log.IsOn());
        log.WriteLine(line, strlen(line));
    }
    EXPECT_EQ(ReadFile(LogPath()), "== START LOG ==\r\nfirst\r\n== START LOG ==\r\nsecond\r\n");
}

TEST_F(DebugLogTest, HeldLogFileSendsOthersToNumberedFiles)
{
    WriteFile(LogPath(), "");
    WriteFile(LogPath("_000"), "older run\r\n");
    CDebugLog first, second, third;
    first.Open(Exe().toStdString());
    second.Open(Exe().toStdString());
    third.Open(Exe().toStdString());
    EXPECT_EQ(QString::fromStdString(second.Path()), LogPath("_001"))
        << "an existing numbered file is never reused";
    EXPECT_EQ(QString::fromStdString(third.Path()), LogPath("_002"));
    EXPECT_EQ(ReadFile(LogPath("_000")), "older run\r\n");
    EXPECT_EQ(ReadFile(LogPath("_001")), "== START LOG ==\r\n");
}

TEST_F(DebugLogTest, AllNumbersTakenTurnsLoggingOff)
{
    WriteFile(LogPath(), "");
    for (int i = 0; i < 100; ++i)
        WriteFile(m_Dir.filePath(QString("prog_%1.Log").arg(i, 3, 10, QChar('0'))), "");
    CDebugLog first, second;
    first.Open(Exe().toStdString());
    second.Open(Exe().toStdString());
    EXPECT_TRUE(first.IsOn());
    EXPECT_FALSE(second.IsOn());
}

TEST_F(DebugLogTest, LinesFromManyThreadsStayWhole)
{
    WriteFile(LogPath(), "");
    CDebugLog log;
    log.Open(Exe().toStdString());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&log, t] {
            for (int i = 0; i < 200; ++i) {
                // Distinct lines: a line the same as the one before is counted, not written.
                const std::string line = std::to_string(t * 1000 + i) + std::string(200, 'x');
                log.WriteLine(line.data(), line.size());
            }
        });
    for (auto& t : threads)
        t.join();
    const QList<QByteArray> lines = ReadFile(LogPath()).split('\n');
    EXPECT_EQ(lines.size(), 802); // start line, 800 lines, empty rest
    for (int i = 1; i < 801; ++i)
        ASSERT_TRUE(lines[i].endsWith(QByteArray(200, 'x') + "\r")) << lines[i].constData();
}

// A flood on the instance socket grew the log by 80 MB in 12 s, a device event storm by 53 MB in 10 s. A
// repeated line is counted; past its limit the log moves aside once, so the two files together stay bounded.
TEST_F(DebugLogTest, RepeatsAreCountedAndTheLogRotatesOnceAtItsLimit)
{
    WriteFile(LogPath(), "");
    {
        auto now = std::chrono::steady_clock::now();
        CDebugLog log(4096, [&now] { return now; });
        log.Open(Exe().toStdString());
        for (int i = 0; i < 1500; ++i) {
            log.WriteLine("same", 4);
            now += std::chrono::milliseconds(1);
        }
        log.WriteLine("other", 5);
        log.WriteLine("retry", 5);
        now += CDebugLog::REPEAT_WINDOW;
        log.WriteLine("retry", 5);
        log.WriteLine("last", 4);
        log.WriteLine("last", 4);
    }
    EXPECT_EQ(ReadFile(LogPath()),
              "== START LOG ==\r\n"
              "same\r\n(the line before came 999 more times)\r\n"
              "same\r\n(the line before came 499 more times)\r\n"
              "other\r\nretry\r\nretry\r\nlast\r\n(the line before came 1 more times)\r\n")
        << "a flood is a line a second and its count; a retry a second later is written again; the count is "
           "written when another line comes, or the log closes";

    WriteFile(LogPath(), "");
    CDebugLog log(4096);
    log.Open(Exe().toStdString());
    for (int i = 0; i < 1000; ++i) {
        const std::string line = "line " + std::to_string(i) + std::string(50, '.');
        log.WriteLine(line.data(), line.size());
    }
    const QByteArray current = ReadFile(LogPath());
    const QByteArray older = ReadFile(LogPath() + ".1");
    EXPECT_LE(current.size(), 4096);
    EXPECT_LE(older.size(), 4096);
    EXPECT_GT(older.size(), 4000) << "moved aside when full";
    EXPECT_TRUE(current.contains("line 999.")) << "the newest lines are kept";
    EXPECT_EQ(QDir(m_Dir.path()).entryList(QDir::Files).size(), 2) << "one older file, no more";
    WriteFile(m_Dir.filePath("other.Log"), "");
    CDebugLog second;
    second.Open(m_Dir.filePath("other").toStdString());
    EXPECT_TRUE(second.IsOn()) << "the rotated log keeps its lock on the new file only";
    CDebugLog third;
    third.Open(Exe().toStdString());
    EXPECT_EQ(QString::fromStdString(third.Path()), LogPath("_000")) << "the new file is held";
}

TEST_F(DebugLogTest, TwoProcessesWriteToSeparateFiles)
{
    const QString probe = m_Dir.filePath("prog");
    ASSERT_TRUE(QFile::copy(testutil::TestBinDir() + "/logprobe", probe));
    WriteFile(LogPath(), "");
    QProcess holder;
    holder.start(probe, {"one", "hold"});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    QProcess second;
    second.start(probe, {"two"});
    ASSERT_TRUE(second.waitForFinished(10000));
    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(10000));
    EXPECT_EQ(ReadFile(LogPath()), "== START LOG ==\r\nprobe one\r\n");
    EXPECT_EQ(ReadFile(LogPath("_000")), "== START LOG ==\r\nprobe two\r\n");
}

TEST(DebugPrint, ErrorCodesAndFormats)
{
    QTemporaryDir dir;
    const QString probe = dir.filePath("errprobe");
    ASSERT_TRUE(QFile::copy(testutil::TestBinDir() + "/logprobe", probe));
    WriteFile(dir.filePath("errprobe.Log"), "");
    QProcess p;
    p.start(probe, {"%d%s%n", "errors"});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(ReadFile(dir.filePath("errprobe.Log")),
              QByteArray("== START LOG ==\r\n"
                         "probe %d%s%n\r\n" // an argument is text, never a format
                         "can't create instance mutex ErrCode(b7) ") +
                  strerror(183) + "\r\nErrCode(2) " + strerror(2) + "\r\n");
}

// Files read from outside: never blocking, regular files only, within a size limit.
#include "app/Udebug.h"
#include "app/Uoutsidefile.h"
#include "testutil.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const char* Name(OutsideFile r)
{
    static const char* const names[] = {"Ok", "Missing", "NotRegular", "TooLarge", "Unreadable"};
    return names[int(r)];
}

} // namespace

// A FIFO in place of a settings file or a skin picture held the reading thread for good; a device such as
// /dev/zero was read until memory ran out.
TEST(OutsideFile, OnlyRegularFilesWithinTheLimitAreRead)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    testutil::WriteFile(dir.filePath("small"), "0123456789");
    testutil::WriteFile(dir.filePath("exact"), QByteArray(100, 'x'));
    testutil::WriteFile(dir.filePath("over"), QByteArray(101, 'x'));
    testutil::WriteFile(dir.filePath("empty"), "");
    QFile::link(dir.filePath("small"), dir.filePath("link"));
    const struct {
        QString path;
        OutsideFile expected;
        QByteArray data;
    } cases[] = {
        {dir.filePath("small"), OutsideFile::Ok, "0123456789"},
        {dir.filePath("exact"), OutsideFile::Ok, QByteArray(100, 'x')},
        {dir.filePath("empty"), OutsideFile::Ok, ""},
        {dir.filePath("link"), OutsideFile::Ok, "0123456789"},
        {dir.filePath("over"), OutsideFile::TooLarge, ""},
        {dir.filePath("none"), OutsideFile::Missing, ""},
        {dir.filePath("none/below"), OutsideFile::Missing, ""},
        {fifo, OutsideFile::NotRegular, ""},
        {dir.path(), OutsideFile::NotRegular, ""},
        {QStringLiteral("/dev/zero"), OutsideFile::NotRegular, ""},
        {QStringLiteral("/dev/null"), OutsideFile::NotRegular, ""},
    };
    for (const auto& c : cases) {
        QByteArray data = "stale";
        EXPECT_STREQ(Name(ReadOutsideFile(c.path, 100, data)), Name(c.expected)) << qPrintable(c.path);
        EXPECT_EQ(data, c.data) << qPrintable(c.path);
        EXPECT_STREQ(Name(CheckOutsideFile(c.path, 100)), Name(c.expected)) << qPrintable(c.path);
    }
}

TEST(OutsideFile, ARefusalIsLoggedOncePerFile)
{
    QTemporaryDir dir;
    testutil::WriteFile(dir.filePath("prog.Log"), "");
    DebugLogFile().Open(dir.filePath("prog").toStdString());
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    testutil::WriteFile(dir.filePath("big"), QByteArray(3 << 20, 'x'));
    for (int i = 0; i < 3; ++i) {
        CheckOutsideFile(fifo, 100);
        CheckOutsideFile(dir.filePath("big"), 2 << 20);
    }
    DebugLogFile().Close();
    const QString text = QString::fromUtf8(testutil::ReadFile(dir.filePath("prog.Log")));
    EXPECT_EQ(text.count(fifo + " is no regular file"), 1) << qPrintable(text);
    EXPECT_EQ(text.count(dir.filePath("big") + " is larger than 2 MB; not read"), 1) << qPrintable(text);
}

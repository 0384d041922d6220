// Folders the program writes its settings in, and reads them from.
#include "app/Uinifile.h"
#include "app/Usafefolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t OTHER_USER = 54321;

class SafeFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(chmod(QFile::encodeName(m_Dir.path()).constData(), 0700), 0); }
    QString Make(const QString& relative, mode_t mode)
    {
        const QString path = m_Dir.filePath(relative);
        QDir().mkpath(path);
        chmod(QFile::encodeName(path).constData(), mode);
        return path;
    }
    QTemporaryDir m_Dir;
};

} // namespace

TEST_F(SafeFolderTest, OwnFoldersOnASafePathAreSafe)
{
    const struct {
        const char* path;
        mode_t mode;
        bool safe;
    } cases[] = {
        {"private", 0700, true},
        {"readable", 0755, true},
        {"writable by others", 0777, false},
        {"writable by others/below", 0700, false},
        {"sticky", 01777, true},
        {"sticky/below", 0700, true},
        {"not yet/made/at all", 0700, true},
    };
    for (const auto& c : cases) {
        const QString path = Make(QLatin1String(c.path), c.mode);
        EXPECT_EQ(IsSafeFolder(path), c.safe) << c.path;
    }
    EXPECT_TRUE(IsSafeFolder(m_Dir.filePath("not yet/made")));
    EXPECT_FALSE(IsSafeFolderOf(m_Dir.filePath("writable by others/file")));
    EXPECT_TRUE(IsSafeFolderOf(m_Dir.filePath("private/file")));
    const QString file = m_Dir.filePath("a file");
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_FALSE(IsSafeFolder(file + "/below")) << "a file where a folder should be";
}

TEST_F(SafeFolderTest, LinksAreFollowedAndTheirTargetsChecked)
{
    Make("own", 0700);
    Make("open", 0777);
    QFile::link(m_Dir.filePath("own"), m_Dir.filePath("to own"));
    QFile::link(QStringLiteral("open"), m_Dir.filePath("relative to open"));
    QFile::link(m_Dir.filePath("loop a"), m_Dir.filePath("loop b"));
    QFile::link(m_Dir.filePath("loop b"), m_Dir.filePath("loop a"));
    EXPECT_TRUE(IsSafeFolder(m_Dir.filePath("to own/settings")));
    EXPECT_FALSE(IsSafeFolder(m_Dir.filePath("relative to open/settings")));
    EXPECT_FALSE(IsSafeFolder(m_Dir.filePath("loop a/settings")));
    EXPECT_TRUE(IsSafeFolder(m_Dir.filePath("own/../own/./settings")));
}

TEST_F(SafeFolderTest, AnotherUsersFolderOrLinkIsRefused)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "another user's folder or link can only be made with root's rights";
    const QString theirs = Make("theirs", 0755);
    ASSERT_EQ(chown(QFile::encodeName(theirs).constData(), OTHER_USER, OTHER_USER), 0);
    Make("own", 0700);
    QFile::link(theirs, m_Dir.filePath("own/to theirs"));
    QFile::link(m_Dir.filePath("own"), m_Dir.filePath("their link"));
    ASSERT_EQ(lchown(QFile::encodeName(m_Dir.filePath("their link")).constData(), OTHER_USER, OTHER_USER), 0);
    const QString group = Make("group writable", 0770);
    ASSERT_EQ(chown(QFile::encodeName(group).constData(), geteuid(), OTHER_USER), 0);
    EXPECT_FALSE(IsSafeFolder(theirs));
    EXPECT_FALSE(IsSafeFolder(m_Dir.filePath("own/to theirs/settings"))) << "a link of ours to their folder";
    EXPECT_FALSE(IsSafeFolder(m_Dir.filePath("their link/settings")));
    EXPECT_FALSE(IsSafeFolder(group)) << "writable by a group of others";
    EXPECT_FALSE(MakePrivateFolder(m_Dir.filePath("own/to theirs"))) << "the program writes nothing there";
    EXPECT_FALSE(MakePrivateFolder(m_Dir.filePath("their link/settings")));
    EXPECT_FALSE(ReplaceIniSection(m_Dir.filePath("own/to theirs/wlanutil.bin"), "S", {{"K", "v"}}, false));
    EXPECT_FALSE(QFileInfo::exists(theirs + "/wlanutil.bin"));
}

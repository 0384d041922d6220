#include "app/Uinifile.h"
#include "testutil.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testutil::ReadFile;
using testutil::WriteFile;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString Write(const QByteArray& data)
    {
        const QString path = m_Dir.filePath("test.ini");
        WriteFile(path, data);
        return path;
    }
    QTemporaryDir m_Dir;
};

} // namespace

TEST_F(IniFileTest, ReadsLikeTheWindowsProfileReader)
{
    CIniFile ini(Write("; comment\r\n"
                       "[Setting]\r\n"
                       "  Name  =  spaced value  \r\n"
                       "Quoted=\"  kept blanks \"\r\n"
                       "Half=\"open\r\n"
                       "Empty=\r\n"
                       "Dup=first\r\n"
                       "DUP=second\r\n"
                       ";Hidden=1\r\n"
                       "NoEquals\r\n"
                       "Eq=a=b\r\n"
                       "[ other ]\r\n"
                       "Key=other\r\n"));
    EXPECT_EQ(ini.ReadString("setting", "NAME", "d"), "spaced value");
    EXPECT_EQ(ini.ReadString("Setting", "Quoted", "d"), "  kept blanks ");
    EXPECT_EQ(ini.ReadString("Setting", "Half", "d"), "\"open");
    EXPECT_EQ(ini.ReadString("Setting", "Empty", "d"), "") << "a present empty value is not the default";
    EXPECT_TRUE(ini.HasKey("Setting", "Empty"));
    EXPECT_EQ(ini.ReadString("Setting", "dup", "d"), "first") << "the first of two equal keys wins";
    EXPECT_EQ(ini.ReadString("Setting", "Hidden", "d"), "d");
    EXPECT_EQ(ini.ReadString("Setting", "NoEquals", "d"), "d");
    EXPECT_EQ(ini.ReadString("Setting", "Eq", "d"), "a=b");
    EXPECT_EQ(ini.ReadString("Other", "Key", "d"), "other");
    EXPECT_EQ(ini.ReadString("Missing", "Key", "d"), "d");
    EXPECT_EQ(ini.SectionKeys("SETTING"), (QList<QString>{"Name", "Quoted", "Half", "Empty", "Dup", "Eq"}));
}

TEST_F(IniFileTest, IntegersAndTruthValues)
{
    CIniFile ini(Write("[S]\nZero=0\nOne=1\nMinus=-5\nText=yes\nHex=0x10\nBlank=\n"));
    EXPECT_FALSE(ini.ReadBool("S", "Zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "One", false));
    EXPECT_TRUE(ini.ReadBool("S", "Minus", false));
    EXPECT_TRUE(ini.ReadBool("S", "Text", true)) << "no integer: the default";
    EXPECT_FALSE(ini.ReadBool("S", "Text", false));
    EXPECT_FALSE(ini.ReadBool("S", "Blank", false));
    EXPECT_TRUE(ini.ReadBool("S", "Missing", true));
    EXPECT_EQ(ini.ReadInteger("S", "Hex", 0), 16);
    EXPECT_EQ(ini.ReadInteger("S", "Minus", 0), -5);
}

TEST_F(IniFileTest, BadFilesReadAsDefaults)
{
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 37) & 0xFF);
    const QByteArray hugeLine = "[S]\nKey=" + QByteArray(1 << 20, 'v') + "\nAfter=1\n";
    const struct {
        const char* what;
        QByteArray data;
    } cases[] = {
        {"empty", ""},
        {"binary", binary},
        {"never closed section", "[S\nKey=unclosed\n"},
        {"only garbage", "\x01\x02=\x03\n]]]\n[\n="},
        {"huge line", hugeLine},
    };
    for (const auto& c : cases) {
        CIniFile ini(Write(c.data));
        EXPECT_EQ(ini.ReadString("Nothing", "Key", "d"), "d") << c.what;
    }
    CIniFile huge(Write(hugeLine));
    EXPECT_EQ(huge.ReadString("S", "Key", "d").size(), 1 << 20);
    EXPECT_EQ(huge.ReadString("S", "After", "d"), "1");
    CIniFile missing(m_Dir.filePath("none.ini"));
    EXPECT_EQ(missing.ReadString("S", "Key", "d"), "d");
}

TEST_F(IniFileTest, ReplaceSectionKeepsEverythingElseByteForByte)
{
    const QByteArray before = "; top comment\r\n[Setting]\r\nA=1\r\n\r\n";
    const QByteArray after = "[Later]\r\n; note\r\nB = 2 \r\n";
    const QString path = Write(before + "[LastApplyProf]\r\nOld=1\r\nGone=2\r\n" + after +
                               "[lastapplyprof]\r\nDuplicate=3\r\n");
    ASSERT_TRUE(ReplaceIniSection(path, "LastApplyProf", {{"Name", "New"}, {"Key", " padded "}}, false));
    EXPECT_EQ(ReadFile(path), before + "[LastApplyProf]\r\nName=New\r\nKey=\" padded \"\r\n" + after);
    CIniFile ini(path);
    EXPECT_EQ(ini.ReadString("LastApplyProf", "Key", "d"), " padded ") << "values read back as written";
    EXPECT_EQ(ini.ReadString("LastApplyProf", "Old", "d"), "d");
}

TEST_F(IniFileTest, ReplaceSectionAppendsOrCreates)
{
    const QString path = Write("[A]\nX=1"); // no final line end, LF only
    ASSERT_TRUE(ReplaceIniSection(path, "B", {{"Y", "2"}}, false));
    EXPECT_EQ(ReadFile(path), "[A]\nX=1\n[B]\nY=2\n");

    const QString fresh = m_Dir.filePath("new.ini");
    ASSERT_TRUE(ReplaceIniSection(fresh, "B", {{"Y", "line\nbreak"}}, false));
    EXPECT_EQ(ReadFile(fresh), "[B]\r\nY=line\\x0Abreak\r\n") << "a value can never start a new line";
}

TEST_F(IniFileTest, SecretSectionMakesTheFileOwnerOnly)
{
    const QString path = Write("[A]\nX=1\n");
    chmod(QFile::encodeName(path).constData(), 0644);
    ASSERT_TRUE(ReplaceIniSection(path, "Key", {{"Phrase", "secret"}}, true));
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    chmod(QFile::encodeName(path).constData(), 0640);
    ASSERT_TRUE(ReplaceIniSection(path, "Other", {{"Y", "1"}}, false));
    stat(QFile::encodeName(path).constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the mode is kept otherwise";
}

TEST_F(IniFileTest, ReadOnlyDirectoryLeavesTheFileUntouched)
{
    const QString path = Write("[A]\nX=1\n");
    chmod(QFile::encodeName(path).constData(), 0644);
    chmod(QFile::encodeName(m_Dir.path()).constData(), 0555);
    // Root writes into any directory, so the write is tried as an unprivileged user in a child process.
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        _exit(ReplaceIniSection(path, "A", {{"X", "2"}}, false) ? 1 : 0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    chmod(QFile::encodeName(m_Dir.path()).constData(), 0700);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write must fail";
    EXPECT_EQ(ReadFile(path), "[A]\nX=1\n");
    EXPECT_EQ(QDir(m_Dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file is left behind";
}

TEST_F(IniFileTest, UnwritableTargetFailsCleanly)
{
    // A directory in the file's place cannot be replaced: the write must fail, not report success.
    const QString path = m_Dir.filePath("dir.ini");
    QDir().mkpath(path);
    EXPECT_FALSE(ReplaceIniSection(path, "A", {{"X", "1"}}, false));
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_FALSE(ReplaceIniSection(m_Dir.filePath("missing/dir/x.ini"), "A", {{"X", "1"}}, false));
}

TEST_F(IniFileTest, WriteOverTheFileSizeLimitFailsAndLeavesTheOriginal)
{
    const QByteArray original = "[Keep]\r\nA=1\r\n";
    const QString path = Write(original);
    // In a child, as the program runs: the signal ignored and a limit below the new file's size.
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(ReplaceIniSection(path, "Big", {{"Value", QString(500, 'x')}}, false) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the short write counts as failed";
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files).size(), 1)
        << "no temporary file left";
}

TEST_F(IniFileTest, ChainOfLinksIsWrittenThroughToItsFinalTarget)
{
    // The middle link of settings.ini -> mid.ini -> real/final.ini was replaced by a plain file.
    QDir(m_Dir.path()).mkdir("real");
    const QString real = m_Dir.filePath("real/final.ini");
    WriteFile(real, "[Keep]\nA=1\n");
    QFile::link("real/final.ini", m_Dir.filePath("mid.ini"));
    QFile::link(m_Dir.filePath("mid.ini"), m_Dir.filePath("settings.ini"));
    ASSERT_TRUE(ReplaceIniSection(m_Dir.filePath("settings.ini"), "New", {{"B", "2"}}, false));
    EXPECT_EQ(ReadFile(real), "[Keep]\nA=1\n[New]\nB=2\n");
    EXPECT_TRUE(QFileInfo(m_Dir.filePath("mid.ini")).isSymLink());
    EXPECT_TRUE(QFileInfo(m_Dir.filePath("settings.ini")).isSymLink());

    QFile::link(m_Dir.filePath("loop.ini"), m_Dir.filePath("loop.ini"));
    EXPECT_FALSE(ReplaceIniSection(m_Dir.filePath("loop.ini"), "New", {{"B", "2"}}, false));
}

TEST_F(IniFileTest, LeftoversOfInterruptedWritesAreRemovedAndNothingElse)
{
    QDir(m_Dir.path()).mkdir("real");
    QFile::link("real/wlanutil.bin", m_Dir.filePath("wlanutil.bin"));
    const QStringList ours{"real/wlanutil.bin.Ab3dE9", "real/wlanutil.bin.zzzzzz",
                           "real/wlanutil.bin.lock.rmlock"};
    const QStringList others{"real/wlanutil.bin",
                             "real/wlanutil.bin.lock",
                             "real/wlanutil.bin.Ab3dE",
                             "real/wlanutil.bin.Ab3dE9x",
                             "real/wlanutil.bin.Ab-dE9",
                             "real/other.bin.Ab3dE9",
                             "wlanutil.bin.Ab3dE9",
                             "real/wlanutil.bin.lock.rmlockx",
                             QString::fromUtf8("real/wlanutil.bin.Ab3d\xC3\xA9"
                                               "9")};
    for (const QString& name : ours + others)
        WriteFile(m_Dir.filePath(name), "x");
    QFile::link(m_Dir.filePath("real/wlanutil.bin.Ab3dE9"), m_Dir.filePath("real/wlanutil.bin.LnkLnk"));
    RemoveInterruptedWrites(m_Dir.filePath("wlanutil.bin"));
    for (const QString& name : ours)
        EXPECT_FALSE(QFileInfo::exists(m_Dir.filePath(name))) << qPrintable(name);
    for (const QString& name : others + QStringList{"real/wlanutil.bin.LnkLnk"})
        EXPECT_TRUE(QFileInfo(m_Dir.filePath(name)).isSymLink() || QFileInfo::exists(m_Dir.filePath(name)))
            << qPrintable(name);
}

// Control bytes went into the file raw (CR and LF as blanks): a name holding one changed on reading back,
// and enough of them made the next start call the whole file damaged.
TEST_F(IniFileTest, EveryValueReadsBackByteForByte)
{
    const QString values[] = {
        QStringLiteral("line\nbreak"),
        QStringLiteral("cr\rcrlf\r\n"),
        QString::fromUtf8("nul\0in", 6),
        QStringLiteral("\x01\x1F\x7F\t"),
        QStringLiteral("C:\\dir\\x41\\"),
        QStringLiteral("\\x0A literal"),
        QStringLiteral("\\x5C\\x5c"),
        QStringLiteral("  outer blanks  "),
        QStringLiteral("\"quoted\""),
        QStringLiteral("[Other]"),
        QStringLiteral("=;#"),
        QString::fromUtf8("\xC3\xA9t\xC3\xA9"),
        QString(QChar(0xFEFF)) + QChar(0xFEFF) + QStringLiteral("\rbyte-order marks"),
    };
    IniEntries entries;
    for (const QString& value : values)
        entries.append({QStringLiteral("K%1").arg(entries.size()), value});
    const QString path = Write("[Keep]\r\nA=1\r\n");
    ASSERT_TRUE(ReplaceIniSection(path, "S", entries, false));

    const QByteArray data = ReadFile(path);
    EXPECT_EQ(data.count('\n'), data.count("\r\n")) << "only the file's own line ends";
    EXPECT_EQ(data.count('\r'), data.count("\r\n"));
    EXPECT_FALSE(data.contains('\0'));
    CIniFile ini(path);
    EXPECT_TRUE(ini.Problems().isEmpty());
    for (const auto& [key, value] : entries)
        EXPECT_EQ(ini.ReadString("S", key, "<missing>"), value) << qPrintable(key);
    EXPECT_EQ(ini.ReadString("Keep", "A", ""), "1");
}

TEST_F(IniFileTest, BackslashesOfOlderFilesKeepTheirMeaning)
{
    CIniFile ini(Write("[S]\nPath=C:\\new\\x41\\table\nText=one\\ntwo\nHex=\\x4142\n"));
    EXPECT_EQ(ini.ReadString("S", "Path", ""), "C:\\new\\x41\\table");
    EXPECT_EQ(ini.ReadString("S", "Text", ""), "one\\ntwo");
    EXPECT_EQ(ini.ReadString("S", "Hex", ""), "\\x4142");
}

// The writer cut lines at LF only while the reader stopped at NUL and took a lone CR as a line end: a NUL
// hid the rest of the file, rewriting a section of a CR-only file dropped the next one, and a lone "[" hid
// the section appended after it, also after a byte-order mark. Both sides must see the same sections.
TEST_F(IniFileTest, ReaderAndWriterCutLinesAlike)
{
    const struct {
        const char* name;
        QByteArray before;
    } cases[] = {
        {"NUL at the end of the first line", QByteArrayLiteral("[A]\0\nX=1\n[B]\nY=2\n")},
        {"NUL inside a header", QByteArrayLiteral("[A]\nX=1\n[\0B]\nY=2\n")},
        {"lone CR line ends", "[A]\rX=1\r[W]\rZ=0\r[B]\rY=2\r"},
        {"mixed line ends", "[A]\r\nX=1\n[W]\rZ=0\r\n[B]\nY=2"},
        {"a lone [ line", "[A]\nX=1\n[\n[B]\nY=2\n"},
        {"a [ without ] line", "[A]\nX=1\n[Broken\n[B]\nY=2\n"},
        {"a byte-order mark before a lone [", "\xEF\xBB\xBF[\r[A]\rX=1\r[B]\rY=2\r"},
        {"a byte-order mark before the rewritten section", "\xEF\xBB\xBF[W]\nZ=0\n[A]\nX=1\n[B]\nY=2\n"},
        {"two byte-order marks before a lone [", "\xEF\xBB\xBF\xEF\xBB\xBF[\r[A]\rX=1\r[B]\rY=2\r"},
    };
    for (const auto& c : cases) {
        const QString path = Write(c.before);
        EXPECT_EQ(CIniFile(path).ReadString("B", "Y", ""), "2") << c.name << ": before";
        ASSERT_TRUE(ReplaceIniSection(path, "W", {{"Z", "new"}}, false)) << c.name;
        ASSERT_TRUE(ReplaceIniSection(path, "C", {{"V", "3"}}, false)) << c.name;
        const CIniFile ini(path);
        EXPECT_TRUE(ini.Problems().isEmpty()) << c.name;
        EXPECT_EQ(ini.ReadString("A", "X", ""), "1") << c.name;
        EXPECT_EQ(ini.ReadString("B", "Y", ""), "2") << c.name;
        EXPECT_EQ(ini.ReadString("W", "Z", ""), "new") << c.name;
        EXPECT_EQ(ini.ReadString("C", "V", ""), "3") << c.name << ": the appended section";
        EXPECT_EQ(ReadFile(path).count("[W]"), 1) << c.name;
    }
}

// Settings folders took the umask's mode (0777 under umask 000), so another user could put a link where the
// settings file goes.
TEST_F(IniFileTest, PrivateFoldersWhateverTheUmask)
{
    for (const mode_t mask : {mode_t(0), mode_t(022), mode_t(0277)}) {
        const QString top = m_Dir.filePath(QString::number(mask, 8));
        const mode_t old = umask(mask);
        const bool made = MakePrivateFolder(top + "/a/b");
        umask(old);
        ASSERT_TRUE(made) << mask;
        for (const QString& dir : {top, top + "/a", top + "/a/b"}) {
            struct stat st {};
            ASSERT_EQ(stat(QFile::encodeName(dir).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0700u) << qPrintable(dir);
        }
    }
    const QString open = m_Dir.filePath("open");
    QDir().mkpath(open);
    chmod(QFile::encodeName(open).constData(), 0777);
    EXPECT_TRUE(MakePrivateFolder(open));
    EXPECT_EQ(QFileInfo(open).permissions() & (QFile::WriteGroup | QFile::WriteOther), 0) << "closed again";
    EXPECT_FALSE(MakePrivateFolder(Write("x") + "/below")) << "a file on the way";
}

// Another user replaced the settings file by a link to the victim's notes, and the next run wrote into them.
TEST_F(IniFileTest, LinkOfAnotherUserIsNotWrittenThrough)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "a link of another user can only be made with root's rights";
    const QString notes = m_Dir.filePath("notes.txt");
    WriteFile(notes, "private notes\n");
    const QString link = m_Dir.filePath("wlanutil.bin");
    ASSERT_TRUE(QFile::link(notes, link));
    ASSERT_EQ(lchown(QFile::encodeName(link).constData(), 65534, 65534), 0);
    EXPECT_FALSE(ReplaceIniSection(link, "S", {{"K", "v"}}, true));
    EXPECT_EQ(ReadFile(notes), "private notes\n");
    ASSERT_EQ(lchown(QFile::encodeName(link).constData(), 0, 0), 0);
    EXPECT_TRUE(ReplaceIniSection(link, "S", {{"K", "v"}}, true)) << "a link of our own is written through";
}

TEST_F(IniFileTest, OversizedFileIsNotRead)
{
    CIniFile ini(Write("[S]\nK=v\n" + QByteArray(MAX_SETTINGS_FILE_SIZE, ';')));
    EXPECT_EQ(ini.ReadString("S", "K", "default"), "default");
    ASSERT_EQ(ini.Problems().size(), 1);
    EXPECT_EQ(ini.Problems().front().second, IniProblem::TooLarge);
}

// A FIFO in place of the settings file blocked the start for good, and one in place of the file a section is
// written to blocked the writer. Neither is read nor written over.
TEST_F(IniFileTest, FifoIsNeitherReadNorWrittenOver)
{
    const QString fifo = m_Dir.filePath("fifo.ini");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    CIniFile ini(fifo);
    EXPECT_EQ(ini.ReadString("S", "K", "default"), "default");
    ASSERT_EQ(ini.Problems().size(), 1);
    EXPECT_EQ(ini.Problems().front().second, IniProblem::Unreadable);
    EXPECT_FALSE(ReplaceIniSection(fifo, "S", {{"K", "v"}}, false));
    struct stat st {};
    ASSERT_EQ(lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// A settings file saved in UTF-16 was written to in UTF-8 and never read back, with success reported. A file
// in another encoding is reported, not read, and never written over.
TEST_F(IniFileTest, FileInAnotherEncodingIsReportedAndNeverWrittenOver)
{
    const QString text = QStringLiteral("[Setting]\r\nProfRoot=Mine\r\n");
    QByteArray utf16le(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    QByteArray utf16be;
    for (qsizetype i = 0; i < utf16le.size(); i += 2)
        utf16be += QByteArray() + utf16le[i + 1] + utf16le[i];
    QByteArray utf32le;
    for (const QChar c : text)
        utf32le += QByteArray(1, char(c.unicode())) + QByteArray(3, '\0');
    const struct {
        const char* what;
        QByteArray data;
    } cases[] = {
        {"UTF-16 with its mark", "\xFF\xFE" + utf16le},
        {"UTF-16 without a mark", utf16le},
        {"UTF-16 big-endian", "\xFE\xFF" + utf16be},
        {"UTF-32", utf32le},
    };
    for (const auto& c : cases) {
        const QString path = Write(c.data);
        CIniFile ini(path);
        EXPECT_EQ(ini.ReadString("Setting", "ProfRoot", "default"), "default") << c.what;
        ASSERT_EQ(ini.Problems().size(), 1) << c.what;
        EXPECT_EQ(ini.Problems().front().second, IniProblem::OtherEncoding) << c.what;
        EXPECT_FALSE(ReplaceIniSection(path, "Setting", {{"ProfRoot", "Other"}}, false)) << c.what;
        EXPECT_EQ(ReadFile(path), c.data) << c.what << ": left as it is";
    }
    const QString plain = Write("[Setting]\nName=Caf\xC3\xA9\n");
    EXPECT_TRUE(CIniFile(plain).Problems().empty()) << "UTF-8 is no other encoding";
    EXPECT_TRUE(ReplaceIniSection(plain, "Setting", {{"ProfRoot", "Other"}}, false));
}

#include "app/Uutility.h"
#include "testutil.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(Utility, UnescapeNewlines)
{
    const struct {
        QString in, out;
    } cases[] = {
        {"a\\nb", "a\nb"}, {"\\n\\n", "\n\n"}, {"ends in \\", "ends in \\"}, {"\\\\n", "\\\n"}, {"", ""}};
    for (const auto& c : cases) {
        QString text = c.in;
        UnescapeNewlines(text);
        EXPECT_EQ(text, c.out) << c.in.toStdString();
    }
}

TEST(Utility, ParseIntListStoresUpToCapacityAndCountsAll)
{
    int32_t out[2] = {-1, -1};
    EXPECT_EQ(ParseIntList("10, 20,x,30", out, 2), 3);
    EXPECT_EQ(out[0], 10);
    EXPECT_EQ(out[1], 20);
}

TEST(Utility, ParseIntListForms)
{
    const struct {
        QString text;
        std::vector<int32_t> values;
    } cases[] = {
        {"", {}},           {"1 2\t3", {1, 2, 3}},  {"1,,2,", {1, 2}},       {"\"4\", \"5 6\",7", {4, 7}},
        {"-3,+4", {-3, 4}}, {"99999999999,5", {5}}, {"  8  ,  9  ", {8, 9}},
    };
    for (const auto& c : cases) {
        int32_t out[8] = {};
        const int n = ParseIntList(c.text, out, 8);
        EXPECT_EQ(std::vector<int32_t>(out, out + n), c.values) << c.text.toStdString();
    }
}

TEST(Utility, HexConversion)
{
    uint8_t bytes[3] = {0xEE, 0xEE, 0xEE};
    HexToBytes("0aFF1", bytes);
    EXPECT_EQ(bytes[0], 0x0A);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0xEE) << "a final odd digit is ignored";

    HexToBytes("G1"
               "1G",
               bytes);
    EXPECT_EQ(bytes[0], 0x00) << "a pair starting with a non-digit gives 0";
    EXPECT_EQ(bytes[1], 0x01) << "reading stops at the first non-digit";

    EXPECT_TRUE(IsHexText(""));
    EXPECT_TRUE(IsHexText("0123456789abcdefABCDEF"));
    EXPECT_FALSE(IsHexText("12G4"));
    EXPECT_FALSE(IsHexText(QString::fromUtf8("１２"))); // full-width digits are not hexadecimal
}

TEST(Utility, CopyTextFieldCutsAtCharacterBoundary)
{
    char field[6];
    memset(field, 'x', sizeof field);
    CopyTextField(field, sizeof field, QString::fromUtf8("abcä€")); // a b c (1 each), ä (2), € (3)
    EXPECT_STREQ(field, "abc\xC3\xA4");
    CopyTextField(field, sizeof field, QString::fromUtf8("€€"));
    EXPECT_STREQ(field, "\xE2\x82\xAC") << "never half a character";
    CopyTextField(field, sizeof field, "ab");
    EXPECT_EQ(QByteArray(field, 6), QByteArray("ab\0\0\0\0", 6)) << "the rest of the field is zeroed";
}

TEST(Utility, BytesTextReadsUtf8OrLatin1UpToTheField)
{
    const char latin1[] = "\xE9t\xE9"; // a Latin-1 network name
    EXPECT_EQ(BytesText(latin1, 3), QString::fromUtf8("été"));
    EXPECT_EQ(BytesText("\xC3\xA9t\xC3\xA9", 5), QString::fromUtf8("été"));
    EXPECT_EQ(BytesText("abc\0def", 7), "abc") << "stops at the first NUL";
    EXPECT_EQ(BytesText("abcdef", 3), "abc") << "never reads past the field";
    EXPECT_EQ(BytesText("\xC3", 1), QString::fromUtf8("Ã")) << "half a character is not UTF-8";
}

TEST(Utility, FileVersionOfTheProgram)
{
    const QString exe = testutil::BinDir() + "/wlanutil";
    const QString full = FileVersionText(exe, 0);
    ASSERT_FALSE(full.isEmpty());
    EXPECT_EQ(full.count('.'), 3);
    EXPECT_EQ(FileVersionText(exe, 2), full.section('.', 0, 1));
    EXPECT_EQ(FileVersionText(exe, 1), full.section('.', 0, 0));
    EXPECT_EQ(FileVersionText(exe, 3), full.section('.', 0, 2));
    EXPECT_EQ(FileVersionText(exe, 7), full);
}

TEST(Utility, FileVersionWithoutVersionOrFile)
{
    QTemporaryDir dir;
    testutil::WriteFile(dir.filePath("text"), "not an ELF file");
    testutil::WriteFile(dir.filePath("empty"), "");
    testutil::WriteFile(dir.filePath("short"), "\x7f"
                                               "ELF\x02\x01");
    EXPECT_EQ(FileVersionText(dir.filePath("missing"), 4), QString());
    EXPECT_EQ(FileVersionText(dir.filePath("text"), 4), QString());
    EXPECT_EQ(FileVersionText(dir.filePath("empty"), 4), QString());
    EXPECT_EQ(FileVersionText(dir.filePath("short"), 4), QString());
    EXPECT_EQ(FileVersionText("/bin/sh", 4), QString()) << "an ELF file without our note";
}

TEST(Utility, FileVersionOfKernelModule)
{
    QTemporaryDir dir;
    const QString modinfo = dir.filePath("modinfo");
    testutil::WriteFile(modinfo, QByteArray("license=GPL\0version=5.1.2600.0\0", 32));
    const QString module = dir.filePath("drv.ko");
    QFile::copy("/bin/true", module);
    const int rc = QProcess::execute("objcopy", {"--add-section", ".modinfo=" + modinfo, module});
    if (rc != 0)
        GTEST_SKIP() << "objcopy not available";
    EXPECT_EQ(FileVersionText(module, 2), "5.1");
    EXPECT_EQ(FileVersionText(module, 0), "5.1.2600.0");
}

TEST(Utility, DriverFilePath)
{
    QTemporaryDir root;
    SetDriverRootDir(root.path());
    QDir(root.path()).mkpath("kernel/drivers/net/wireless");
    QDir(root.path()).mkpath("extra");
    testutil::WriteFile(root.filePath("kernel/drivers/net/wireless/only.ko"), "x");
    testutil::WriteFile(root.filePath("extra/direct.ko"), "x");

    EXPECT_EQ(DriverFilePath("extra/direct.ko"), root.filePath("extra/direct.ko"));
    EXPECT_EQ(DriverFilePath("some\\other\\dir\\only.ko"),
              root.filePath("kernel/drivers/net/wireless/only.ko"))
        << "the drivers folder is searched by file name whatever directory the name carried";
    EXPECT_EQ(DriverFilePath(root.filePath("extra/direct.ko")), root.filePath("extra/direct.ko"));
    EXPECT_EQ(DriverFilePath("/nonexistent/only.ko"), root.filePath("kernel/drivers/net/wireless/only.ko"));
    EXPECT_EQ(DriverFilePath("missing.ko"), QString());
    EXPECT_EQ(DriverFilePath(""), QString());
    SetDriverRootDir(QString());
    EXPECT_TRUE(DriverRootDir().startsWith("/lib/modules/"));
}

TEST(Utility, RuntimeDirIsPrivateAndNeverOneAnotherUserCouldMake)
{
    QTemporaryDir dir;
    const auto privateMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    QFile::setPermissions(dir.path(), privateMode);
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    EXPECT_EQ(RuntimeDir(), dir.path());

    QFile::setPermissions(dir.path(), privateMode | QFileDevice::ReadOther | QFileDevice::ExeOther);
    EXPECT_NE(RuntimeDir(), dir.path()) << "a directory others can read is not used";
    if (QFileInfo::exists(QString("/run/user/%1").arg(getuid())))
        GTEST_SKIP() << "the session folder exists and comes before the cache folder";

    // Without a session folder: a private folder in the user's cache, never one in the shared /tmp.
    QTemporaryDir cache;
    qputenv("XDG_RUNTIME_DIR", "/nonexistent/runtime");
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    const QString fallback = cache.filePath("wlanutil-runtime");
    EXPECT_EQ(RuntimeDir(), fallback);
    EXPECT_EQ(QFileInfo(fallback).permissions() &
                  ~(privateMode | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
              0);

    // A fallback that is not ours alone, or only a link to a folder, is refused: then there is none.
    QFile::setPermissions(fallback, privateMode | QFileDevice::WriteGroup | QFileDevice::ExeGroup);
    EXPECT_EQ(RuntimeDir(), QString());
    ASSERT_TRUE(QDir(fallback).removeRecursively());
    ASSERT_TRUE(QFile::link(dir.path(), fallback));
    QFile::setPermissions(dir.path(), privateMode);
    EXPECT_EQ(RuntimeDir(), QString());
    qunsetenv("XDG_CACHE_HOME");
}

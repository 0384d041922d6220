#include "pagefixture.h"
#include "testutil.h"
#include "ui/pages/Uwepkeys.h"

namespace {

struct KeyCase {
    int Level;
    const char* Key;
    int Format;
    const char* MessageKey;
};

const KeyCase KEY_CASES[] = {
    {wl64, "abcde", wkfChars, ""},
    {wl64, "0123456789", wkfHex, ""},
    {wl64, "abcdefABCD", wkfHex, ""},
    {wl64, "012345678", wkfNone, "ErWEP64"},
    {wl64, "012345678G", wkfNone, "ErHex64"},
    {wl64, "", wkfNone, "ErWEP64"},
    // Five characters of which one is not ASCII would not make a five-byte key.
    {wl64, "abcd\xc3\xa9", wkfNone, "ErWEP64"},
    {wl128, "abcdefghijklm", wkfChars, ""},
    {wl128, "0123456789ABCDEF0123456789", wkfHex, ""},
    {wl128, "0123456789ABCDEF012345678Z", wkfNone, "ErHex128"},
    {wl128, "0123456789", wkfNone, "ErWEP128"},
    {wl256, "abcdefghijklmnopqrstuvwxyz012", wkfChars, ""},
    {wl256, "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789", wkfHex, ""},
    {wl256, "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF012345678x", wkfNone, "ErHex256"},
    {wl256, "abcde", wkfNone, "ErWEP256"},
};

class WEPKeysTest : public PageTest {};

TEST_F(WEPKeysTest, TransmitKeyIsCheckedByLengthThenDigits)
{
    for (const KeyCase& c : KEY_CASES) {
        const TWEPKeyCheck check = CheckWEPKey(c.Level, QString::fromUtf8(c.Key));
        EXPECT_EQ(check.Format, c.Format) << c.Key;
        EXPECT_EQ(check.MessageKey, QString::fromLatin1(c.MessageKey)) << c.Key;
        EXPECT_EQ(check.Valid(), c.Format != wkfNone) << c.Key;
    }
}

TEST_F(WEPKeysTest, ErrorTextComesFromTheLanguageFileWithADefaultThatNamesTheLengths)
{
    TWEPKeyCheck check = CheckWEPKey(wl64, QStringLiteral("123"));
    EXPECT_EQ(WEPKeyErrorText(check),
              QStringLiteral("A 64-bit WEP key is 10 hexadecimal digits or 5 characters. Please try again."));
    EXPECT_EQ(WEPKeyErrorText(TWEPKeyCheck{wkfNone, QStringLiteral("ErUnknown")}),
              QStringLiteral("You have entered an incorrect WEP key. Please try again."));
    testutil::WriteFile(m_Dir.filePath(QStringLiteral("wlanutil.ini")),
                        "[Message]\nErWEP64=Ten digits or five characters\n");
    WriteSettings("[Setting]\nProfRoot=EngineTest\n");
    EXPECT_EQ(WEPKeyErrorText(check), QStringLiteral("Ten digits or five characters"));
}

TEST_F(WEPKeysTest, OnlyKeysFittingTheFoundFormatAreStored)
{
    EXPECT_EQ(StoredWEPKey(wl64, QStringLiteral("0a1b2c3d4e"), wkfHex), QStringLiteral("0A1B2C3D4E"));
    EXPECT_EQ(StoredWEPKey(wl64, QStringLiteral("abcde"), wkfHex), QString());
    EXPECT_EQ(StoredWEPKey(wl64, QStringLiteral("0a1b2c3d4e"), wkfChars), QString());
    EXPECT_EQ(StoredWEPKey(wl64, QStringLiteral("aBcDe"), wkfChars), QStringLiteral("aBcDe"));
    EXPECT_EQ(StoredWEPKey(wl128, QStringLiteral("0a1b2c3d4g"), wkfHex), QString());
}

TEST_F(WEPKeysTest, LevelsFollowTheAdapterSettings)
{
    EXPECT_TRUE(AllowedWEPLevels(nullptr).empty());
    Attach();
    EXPECT_EQ(AllowedWEPLevels(m_Adapter.get()), (std::vector<int>{wl64, wl128}));
    DestroyAdapter();
    WriteSettings("[Setting]\nProfRoot=EngineTest\nWEP64=0\nWEP256=1\n");
    Attach();
    EXPECT_EQ(AllowedWEPLevels(m_Adapter.get()), (std::vector<int>{wl128, wl256}));
    EXPECT_EQ(WEPHexDigits(wl256), 58);
    EXPECT_EQ(WEPHexDigits(3), 0);
    EXPECT_FALSE(WEPPhraseAllowed(wl256));
    EXPECT_TRUE(WEPPhraseAllowed(wl128));
    EXPECT_EQ(WEPLevelText(wl64), QStringLiteral("64 bit WEP"));
}

TEST_F(WEPKeysTest, PassPhraseGivesTheLibrarysFourKeys)
{
    TWEPKeyTexts keys;
    ASSERT_TRUE(GenerateWEPKeys(QStringLiteral("badpw"), wl64, keys));
    EXPECT_EQ(keys, (TWEPKeyTexts{QStringLiteral("02CB778981"), QStringLiteral("C27236DFB1"),
                                  QStringLiteral("C90C104FA2"), QStringLiteral("A804571CC0")}));
    ASSERT_TRUE(GenerateWEPKeys(QStringLiteral("Openthedoor"), wl128, keys));
    EXPECT_EQ(keys[0], QStringLiteral("1C1F9289BA0A0A0EAA111785AB"));
    keys[0] = QStringLiteral("kept");
    EXPECT_FALSE(GenerateWEPKeys(QStringLiteral("abc"), wl256, keys));
    EXPECT_EQ(keys[0], QStringLiteral("kept"));
}

} // namespace

#include "app/Udefine.h"
#include "app/Uprofile.h"
#include "app/Uwriteproblem.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QUtf8StringView>
#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr uint8_t UNTOUCHED = 0x5A;

struct TextField {
    char* text;
    size_t size;
};

std::vector<TextField> TextFields(WLProfile& p)
{
    NetworkInfo& n = p.NetInfo;
    return {{p.ProfileName, sizeof p.ProfileName},
            {p.Ssid1, sizeof p.Ssid1},
            {p.Ssid2, sizeof p.Ssid2},
            {p.Ssid3, sizeof p.Ssid3},
            {p.PassPhrase, sizeof p.PassPhrase},
            {p.WEPKey1, sizeof p.WEPKey1},
            {p.WEPKey2, sizeof p.WEPKey2},
            {p.WEPKey3, sizeof p.WEPKey3},
            {p.WEPKey4, sizeof p.WEPKey4},
            {p.WPAPassphrase, sizeof p.WPAPassphrase},
            {p.LoginName, sizeof p.LoginName},
            {p.LoginPassword, sizeof p.LoginPassword},
            {p.DomainName, sizeof p.DomainName},
            {p.sCertificate, sizeof p.sCertificate},
            {p.sCertificate_Issuer, sizeof p.sCertificate_Issuer},
            {p.sCertAuthority, sizeof p.sCertAuthority},
            {p.sCertAuthority_Issuer, sizeof p.sCertAuthority_Issuer},
            {n.sz_CurProfile, sizeof n.sz_CurProfile},
            {n.strScopeId, sizeof n.strScopeId},
            {n.strHostName, sizeof n.strHostName},
            {n.strDomain, sizeof n.strDomain},
            {n.strDomSufSearch, sizeof n.strDomSufSearch},
            {n.strLoginUsr, sizeof n.strLoginUsr},
            {n.strLoginPsw, sizeof n.strLoginPsw},
            {n.strLoginDom, sizeof n.strLoginDom}};
}

// Bytes of the record that belong to no field.
bool IsPadding(size_t offset)
{
    return (offset >= 793 && offset < 796) || offset == 2933 || (offset >= 3970 && offset < 3972);
}

// A text of at most maxBytes bytes of UTF-8 with blanks, quotes, INI punctuation and multi-byte characters,
// none of which may upset the INI form.
std::string RandomText(std::mt19937& rng, size_t maxBytes)
{
    static const char* const pieces[] = {"a",
                                         "Z",
                                         "0",
                                         " ",
                                         "\"",
                                         "'",
                                         ";",
                                         "#",
                                         "=",
                                         "[",
                                         "]",
                                         "\\",
                                         "%s",
                                         "\t",
                                         "\xc3\xa9",
                                         "\xe2\x82\xac",
                                         "\xf0\x9f\x98\x80"};
    const size_t target = std::uniform_int_distribution<size_t>(0, maxBytes)(rng);
    std::string text;
    for (;;) {
        const char* piece = pieces[std::uniform_int_distribution<size_t>(0, std::size(pieces) - 1)(rng)];
        if (text.size() + strlen(piece) > target)
            return text;
        text += piece;
    }
}

// Every field random; texts valid, NUL-terminated and zero after the NUL, as the program makes them.
WLProfile RandomProfile(unsigned seed)
{
    std::mt19937 rng(seed);
    WLProfile p;
    auto* bytes = reinterpret_cast<uint8_t*>(&p);
    for (size_t i = 0; i < sizeof p; ++i)
        bytes[i] = IsPadding(i) ? 0 : uint8_t(rng());
    for (const TextField& f : TextFields(p)) {
        memset(f.text, 0, f.size);
        const std::string text = RandomText(rng, f.size - 1);
        memcpy(f.text, text.data(), text.size());
    }
    p.ApplyNetwork = rng() & 1;
    return p;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

// The key=value lines of one section, in file order, without line ends.
QList<QByteArray> SectionLines(const QByteArray& file, const QByteArray& section)
{
    QList<QByteArray> out;
    bool inside = false;
    for (QByteArray line : file.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('['))
            inside = line == '[' + section + ']';
        else if (inside && !line.isEmpty())
            out << line;
    }
    return out;
}

class ProfileIniTest : public ::testing::Test {
protected:
    QTemporaryDir m_Dir;
    QString m_Path = m_Dir.filePath(QStringLiteral("wlanutil.bin"));

    static WLProfile Untouched()
    {
        WLProfile p;
        memset(&p, UNTOUCHED, sizeof p);
        return p;
    }

    // Reads a hand-written section into an untouched profile.
    WLProfile ReadSection(const QByteArray& keys)
    {
        WriteAll(m_Path, "[P]\n" + keys);
        WLProfile p = Untouched();
        EXPECT_TRUE(ProfFromIniFile(p, QStringLiteral("P"), m_Path));
        return p;
    }

    void ExpectRoundTrip(const WLProfile& written)
    {
        ASSERT_TRUE(ProfToIniFile(written, QStringLiteral("LastApplyProf"), m_Path));
        WLProfile read = Untouched();
        ASSERT_TRUE(ProfFromIniFile(read, QStringLiteral("LastApplyProf"), m_Path));
        const auto* w = reinterpret_cast<const uint8_t*>(&written);
        const auto* r = reinterpret_cast<const uint8_t*>(&read);
        for (size_t i = 0; i < sizeof read; ++i) {
            if (IsPadding(i)) {
                ASSERT_EQ(r[i], UNTOUCHED) << "padding at " << i << " is not the reader's";
            } else {
                ASSERT_EQ(r[i], w[i]) << "byte " << i;
            }
        }
    }
};

TEST_F(ProfileIniTest, EveryFieldSurvivesTheRoundTrip)
{
    ExpectRoundTrip(WLProfile{});
    for (unsigned seed = 1; seed <= 25; ++seed) {
        SCOPED_TRACE(seed);
        ExpectRoundTrip(RandomProfile(seed));
    }
}

TEST_F(ProfileIniTest, WritesTheValueForms)
{
    WLProfile p{};
    p.FuncMode = 1;
    const uint8_t mac[6] = {0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC};
    memcpy(p.APMacFilter[3], mac, 6);
    p.TxRate = -1;
    strcpy(p.WEPKey2, "0A1B2C3D4E");
    strcpy(p.LoginPassword, " secret \"quoted\" ");
    p.ApplyNetwork = 7;
    p.NetInfo.wFlags = 65535;
    p.NetInfo.VCI = 255;
    const uint8_t ip[4] = {0xC0, 0xA8, 0x01, 0x0A};
    memcpy(p.NetInfo.IpAddr, ip, 4);
    ASSERT_TRUE(ProfToIniFile(p, QStringLiteral("LastApplyProf"), m_Path));
    const QList<QByteArray> lines = SectionLines(ReadAll(m_Path), "LastApplyProf");
    for (const char* expected : {"FuncMode=1", "APMacFilter3=001122AABBCC", "APMacFilter0=000000000000",
                                 "TxRate=-1", "WEPKey2=0A1B2C3D4E", "ApplyNetwork=1", "NI_wFlags=65535",
                                 "NI_VCI=255", "NI_IpAddr=C0A8010A", "NI_IpMask=00000000", "Ssid1="})
        EXPECT_TRUE(lines.contains(expected)) << expected;
}

TEST_F(ProfileIniTest, WritesTheKeysInTheirFixedOrder)
{
    QList<QByteArray> expected{"FuncMode"};
    for (int i = 0; i < 16; ++i)
        expected << "APMacFilter" + QByteArray::number(i);
    expected << "APMacFilterMode"
             << "APtxPwrLevel"
             << "Channel"
             << "AdHocBand"
             << "TxRate"
             << "NetworkMode"
             << "ABGMode"
             << "ProfileName"
             << "Ssid1"
             << "Ssid2"
             << "Ssid3"
             << "ApSSIDHide"
             << "WEPEncryptionLevel"
             << "PassPhrase"
             << "WEPKey1"
             << "WEPKey2"
             << "WEPKey3"
             << "WEPKey4"
             << "DefaultKey"
             << "WEPKeyFormat"
             << "AuthenticationMode"
             << "EncryptionMethod"
             << "WPAEncryptionType"
             << "WPAPassphrase"
             << "FragThreshold"
             << "RTSThreshold"
             << "PreambleMode"
             << "PowerMode"
             << "txPwrLevel"
             << "LoginName"
             << "LoginPassword"
             << "DomainName"
             << "sCertificate"
             << "sCertificate_Issuer"
             << "sCertAuthority"
             << "sCertAuthority_Issuer"
             << "ValidateServerCert"
             << "MS8021xAuthMode"
             << "TTLSEap"
             << "PeapEap"
             << "ApplyNetwork"
             << "QosEnabled"
             << "NI_sz_CurProfile"
             << "NI_wFlags"
             << "NI_wNetFlags"
             << "NI_wPPPFlags"
             << "NI_wEthWINSMode"
             << "NI_VPI"
             << "NI_VCI"
             << "NI_wEncapsulation"
             << "NI_IpAddr"
             << "NI_IpMask"
             << "NI_IpGate1"
             << "NI_IpGate2"
             << "NI_IpDNS1"
             << "NI_IpDNS2"
             << "NI_IpWINS1"
             << "NI_IpWINS2"
             << "NI_strScopeId"
             << "NI_strHostName"
             << "NI_strDomain"
             << "NI_strDomSufSearch"
             << "NI_strLoginUsr"
             << "NI_strLoginPsw"
             << "NI_strLoginDom";
    ASSERT_TRUE(ProfToIniFile(RandomProfile(7), QStringLiteral("LastApplyProf"), m_Path));
    QList<QByteArray> keys;
    for (const QByteArray& line : SectionLines(ReadAll(m_Path), "LastApplyProf"))
        keys << line.left(line.indexOf('='));
    EXPECT_EQ(keys, expected);
}

TEST_F(ProfileIniTest, MissingKeysTakeTheirDefaultsAndAddressesKeepTheirBytes)
{
    const WLProfile p = ReadSection("ProfileName=Home\n");
    EXPECT_STREQ(p.ProfileName, "Home");
    const std::pair<const char*, int32_t> ints[] = {
        {"FuncMode", p.FuncMode},
        {"APMacFilterMode", p.APMacFilterMode},
        {"APtxPwrLevel", p.APtxPwrLevel},
        {"Channel", p.Channel},
        {"AdHocBand", p.AdHocBand},
        {"TxRate", p.TxRate - 15},
        {"NetworkMode", p.NetworkMode - 1},
        {"ABGMode", p.ABGMode - 34},
        {"ApSSIDHide", p.ApSSIDHide},
        {"WEPEncryptionLevel", p.WEPEncryptionLevel},
        {"DefaultKey", p.DefaultKey},
        {"WEPKeyFormat", p.WEPKeyFormat},
        {"AuthenticationMode", p.AuthenticationMode - 2},
        {"EncryptionMethod", p.EncryptionMethod},
        {"WPAEncryptionType", p.WPAEncryptionType - 1},
        {"FragThreshold", p.FragThreshold - 2346},
        {"RTSThreshold", p.RTSThreshold - 2347},
        {"PreambleMode", p.PreambleMode - 2},
        {"PowerMode", p.PowerMode},
        {"txPwrLevel", p.txPwrLevel},
        {"ValidateServerCert", p.ValidateServerCert},
        {"MS8021xAuthMode", p.MS8021xAuthMode},
        {"TTLSEap", p.TTLSEap},
        {"PeapEap", p.PeapEap},
        {"QosEnabled", p.QosEnabled},
        {"ApplyNetwork", p.ApplyNetwork},
        {"NI_wFlags", p.NetInfo.wFlags},
        {"NI_wNetFlags", p.NetInfo.wNetFlags},
        {"NI_wPPPFlags", p.NetInfo.wPPPFlags},
        {"NI_wEthWINSMode", p.NetInfo.wEthWINSMode},
        {"NI_VPI", p.NetInfo.VPI},
        {"NI_VCI", p.NetInfo.VCI},
        {"NI_wEncapsulation", p.NetInfo.wEncapsulation},
    };
    for (const auto& [key, offFromDefault] : ints)
        EXPECT_EQ(offFromDefault, 0) << key;
    WLProfile copy = p;
    for (const TextField& f : TextFields(copy)) {
        if (f.text != copy.ProfileName && f.text != copy.NetInfo.sz_CurProfile) {
            EXPECT_STREQ(f.text, "");
        }
    }
    EXPECT_STREQ(p.NetInfo.sz_CurProfile, "(EditingProfile)");
    const std::vector<uint8_t> untouched(sizeof p.APMacFilter, UNTOUCHED);
    EXPECT_EQ(memcmp(p.APMacFilter, untouched.data(), sizeof p.APMacFilter), 0);
    EXPECT_EQ(memcmp(p.NetInfo.IpAddr, untouched.data(), 8 * TSRWL_IP_SIZE), 0);
}

TEST_F(ProfileIniTest, SectionWithoutNameReadsAsTheEditingProfile)
{
    EXPECT_STREQ(ReadSection("Ssid1=Cafe\n").ProfileName, "(EditingProfile)");
}

TEST_F(ProfileIniTest, MissingSectionLeavesTheProfileUntouched)
{
    const struct {
        const char* name;
        const char* file; // null: no file at all
    } cases[] = {
        {"no file", nullptr},
        {"other sections only", "[Setting]\nProfRoot=Tessaro\n"},
        {"empty section", "[LastApplyProf]\n[Setting]\nx=1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(m_Path);
        if (c.file)
            WriteAll(m_Path, c.file);
        WLProfile p = Untouched();
        EXPECT_FALSE(ProfFromIniFile(p, QStringLiteral("LastApplyProf"), m_Path));
        const WLProfile expected = Untouched();
        EXPECT_EQ(memcmp(&p, &expected, sizeof p), 0);
    }
}

TEST_F(ProfileIniTest, HandEditedValues)
{
    using Check = std::function<void(const WLProfile&)>;
    auto bytesAre = [](const uint8_t* field, std::vector<uint8_t> expected) {
        return std::vector<uint8_t>(field, field + expected.size()) == expected;
    };
    const uint8_t U = UNTOUCHED;
    const struct {
        const char* line;
        Check check;
    } cases[] = {
        {"NI_wFlags=65537", [](const WLProfile& p) { EXPECT_EQ(p.NetInfo.wFlags, 1); }},
        {"NI_wNetFlags=-1", [](const WLProfile& p) { EXPECT_EQ(p.NetInfo.wNetFlags, 65535); }},
        {"NI_VPI=300", [](const WLProfile& p) { EXPECT_EQ(p.NetInfo.VPI, 44); }},
        {"TxRate=0x1F", [](const WLProfile& p) { EXPECT_EQ(p.TxRate, 31); }},
        {"TxRate= 22 ", [](const WLProfile& p) { EXPECT_EQ(p.TxRate, 22); }},
        {"TxRate=fast", [](const WLProfile& p) { EXPECT_EQ(p.TxRate, 15); }},
        {"TxRate=", [](const WLProfile& p) { EXPECT_EQ(p.TxRate, 15); }},
        {"TxRate=12abc", [](const WLProfile& p) { EXPECT_EQ(p.TxRate, 15); }},
        {"TxRate=99999999999", [](const WLProfile& p) { EXPECT_EQ(p.TxRate, 15); }},
        {"NetworkMode=\xff\xfe", [](const WLProfile& p) { EXPECT_EQ(p.NetworkMode, 1); }},
        {"ApplyNetwork=7", [](const WLProfile& p) { EXPECT_EQ(p.ApplyNetwork, 1); }},
        {"ApplyNetwork=yes", [](const WLProfile& p) { EXPECT_EQ(p.ApplyNetwork, 0); }},
        {"NI_IpAddr=C0A8010AFFEE",
         [&](const WLProfile& p) {
             EXPECT_TRUE(bytesAre(p.NetInfo.IpAddr, {0xC0, 0xA8, 0x01, 0x0A}));
             EXPECT_TRUE(bytesAre(p.NetInfo.IpMask, {U, U, U, U})) << "a long address spills into the mask";
         }},
        {"NI_IpAddr=c0a8010a",
         [&](const WLProfile& p) {
             EXPECT_TRUE(bytesAre(p.NetInfo.IpAddr, {0xC0, 0xA8, 1, 10}));
         }},
        {"NI_IpAddr=C0A8",
         [&](const WLProfile& p) {
             EXPECT_TRUE(bytesAre(p.NetInfo.IpAddr, {0xC0, 0xA8, U, U}));
         }},
        {"NI_IpAddr=C0A801A",
         [&](const WLProfile& p) {
             EXPECT_TRUE(bytesAre(p.NetInfo.IpAddr, {0xC0, 0xA8, 1, U}));
         }},
        {"NI_IpAddr=192.168.1.10",
         [&](const WLProfile& p) {
             EXPECT_TRUE(bytesAre(p.NetInfo.IpAddr, {U, U, U, U}));
         }},
        {"APMacFilter0=001122AABBCCDDEEFF",
         [&](const WLProfile& p) {
             EXPECT_TRUE(bytesAre(p.APMacFilter[0], {0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC}));
             EXPECT_TRUE(bytesAre(p.APMacFilter[1], {U, U, U, U, U, U}))
                 << "a long entry spills into the next";
         }},
        {"APMacFilter15=00-11-22-AA-BB-CC",
         [&](const WLProfile& p) {
             EXPECT_TRUE(bytesAre(p.APMacFilter[15], {U, U, U, U, U, U}));
         }},
        {"NI_strHostName=host\\x00tail",
         [&](const WLProfile& p) {
             EXPECT_TRUE(bytesAre(reinterpret_cast<const uint8_t*>(p.NetInfo.strHostName),
                                  {'h', 'o', 's', 't', 0, 0}))
                 << "nothing kept unseen behind the end of the text";
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        c.check(ReadSection(QByteArray(c.line) + '\n'));
    }
}

TEST_F(ProfileIniTest, OverlongAndForeignTextsAreCutInsideTheirField)
{
    const QByteArray euro = "\xe2\x82\xac";
    const struct {
        const char* name;
        QByteArray value;
        QByteArray expected; // null: only the field's safety is checked
    } cases[] = {
        {"too long", QByteArray(40, 'a'), QByteArray(32, 'a')},
        {"exactly full", QByteArray(32, 'b'), QByteArray(32, 'b')},
        {"two-byte character at the cut", QByteArray(31, 'c') + "\xc3\xa9", QByteArray(31, 'c')},
        {"three-byte characters", euro.repeated(12), euro.repeated(10)},
        {"four-byte character at the cut", QByteArray(30, 'd') + "\xf0\x9f\x98\x80", QByteArray(30, 'd')},
        {"invalid UTF-8", QByteArray(40, '\xff'), {}},
        {"control bytes", QByteArray("\x01\x02\x1b[31mred\x7f"), {}},
        {"embedded NUL", QByteArray("abc\0def", 7), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const WLProfile p = ReadSection("Ssid2=next\nSsid1=" + c.value + "\n");
        const size_t length = strnlen(p.Ssid1, sizeof p.Ssid1);
        ASSERT_LT(length, sizeof p.Ssid1);
        EXPECT_TRUE(QUtf8StringView(p.Ssid1, qsizetype(length)).isValidUtf8());
        if (!c.expected.isNull()) {
            EXPECT_EQ(QByteArray(p.Ssid1), c.expected);
        }
        EXPECT_STREQ(p.Ssid2, "next");
    }
}

// A Latin-1 network name came back from the section as U+FFFD replacement characters, and the next connect
// went to another network.
TEST_F(ProfileIniTest, TextsThatAreNotUtf8KeepEveryByte)
{
    const struct {
        const char* name;
        QByteArray ssid;
        QByteArray written; // the value in the file
    } cases[] = {
        {"Latin-1", "\xe9t\xe9", "hex:E974E9"},
        {"full field of high bytes", QByteArray(32, '\xa0'),
         "hex:" + QByteArray(32, '\xa0').toHex().toUpper()},
        {"UTF-8 stays as it is", "caf\xc3\xa9", "\"caf\xc3\xa9\""},
        {"UTF-8 that looks like the escaped form", "hex:4142", "hex:6865783A34313432"},
        {"a byte-order mark in front", "\xEF\xBB\xBFnet", "\"\xEF\xBB\xBFnet\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WLProfile p{};
        memcpy(p.Ssid1, c.ssid.constData(), size_t(c.ssid.size()));
        memcpy(p.sCertificate, c.ssid.constData(), size_t(c.ssid.size()));
        ASSERT_TRUE(ProfToIniFile(p, QStringLiteral("LastApplyProf"), m_Path));
        EXPECT_TRUE(SectionLines(ReadAll(m_Path), "LastApplyProf").contains("Ssid1=" + c.written));
        WLProfile read = Untouched();
        ASSERT_TRUE(ProfFromIniFile(read, QStringLiteral("LastApplyProf"), m_Path));
        EXPECT_EQ(QByteArray(read.Ssid1), c.ssid);
        EXPECT_EQ(QByteArray(read.sCertificate), c.ssid);
        EXPECT_EQ(read.Ssid1[sizeof read.Ssid1 - 1], '\0');
    }
    // Hand-written values: only a whole run of digit pairs after the marker is the escaped form.
    EXPECT_STREQ(ReadSection("Ssid1=hex:41\n").Ssid1, "A");
    EXPECT_STREQ(ReadSection("Ssid1=hex:414\n").Ssid1, "hex:414");
    EXPECT_STREQ(ReadSection("Ssid1=hex:4G\n").Ssid1, "hex:4G");
    EXPECT_EQ(QByteArray(ReadSection("Ssid1=hex:" + QByteArray(40, 'a').toHex() + "\n").Ssid1),
              QByteArray(32, 'a'));
    EXPECT_STREQ(ReadSection("Ssid1=hex:41004200\n").Ssid1, "A") << "a NUL ends the text";
}

TEST_F(ProfileIniTest, UnterminatedRecordTextIsWrittenUpToItsFieldEnd)
{
    WLProfile p{};
    memset(p.Ssid1, 'x', sizeof p.Ssid1);
    strcpy(p.Ssid2, "second");
    ASSERT_TRUE(ProfToIniFile(p, QStringLiteral("LastApplyProf"), m_Path));
    EXPECT_TRUE(SectionLines(ReadAll(m_Path), "LastApplyProf").contains("Ssid1=" + QByteArray(33, 'x')));
    WLProfile read = Untouched();
    ASSERT_TRUE(ProfFromIniFile(read, QStringLiteral("LastApplyProf"), m_Path));
    EXPECT_EQ(QByteArray(read.Ssid1), QByteArray(32, 'x'));
    EXPECT_STREQ(read.Ssid2, "second");
}

TEST_F(ProfileIniTest, WritingKeepsTheRestOfTheFileAndHidesItFromOthers)
{
    const QByteArray before = "; wlanutil settings\r\n[Setting]\r\nProfRoot = Tessaro \r\n\r\n";
    const QByteArray after = "[Layout]\r\nLeft=5\r\n;end";
    WriteAll(m_Path, before + "[LastApplyProf]\r\nProfileName=Old\r\nStale=1\r\n" + after);
    ASSERT_EQ(chmod(QFile::encodeName(m_Path).constData(), 0644), 0);

    WLProfile p{};
    strcpy(p.ProfileName, "Office");
    ASSERT_TRUE(ProfToIniFile(p, QStringLiteral("LastApplyProf"), m_Path));
    ASSERT_TRUE(ProfToIniFile(p, QStringLiteral("LastApplyProf"), m_Path));

    const QByteArray file = ReadAll(m_Path);
    EXPECT_TRUE(file.startsWith(before + "[LastApplyProf]\r\n"));
    EXPECT_TRUE(file.endsWith(after));
    EXPECT_EQ(file.count("[LastApplyProf]"), 1);
    const QList<QByteArray> lines = SectionLines(file, "LastApplyProf");
    EXPECT_EQ(lines.size(), 1 + 16 + 7 + 4 + 13 + 5 + 11 + 2 + 23);
    EXPECT_FALSE(lines.contains("Stale=1"));
    EXPECT_TRUE(lines.contains("ProfileName=Office"));
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(m_Path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ProfileIniTest, NewFileIsReadableByItsOwnerOnly)
{
    ASSERT_TRUE(ProfToIniFile(WLProfile{}, QStringLiteral("LastApplyProf"), m_Path));
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(m_Path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ProfileIniTest, UnwritableFileIsReportedAndLeftAlone)
{
    EXPECT_FALSE(
        ProfToIniFile(WLProfile{}, QStringLiteral("LastApplyProf"), m_Dir.filePath("missing/x.bin")));
}

TEST_F(ProfileIniTest, WritesGoToTheUsersCopyAndTheShippedFileStaysTheDefault)
{
    // An installed program: the shipped settings hold the defaults and are never written.
    WriteAll(m_Path, "[LastApplyProf]\r\nSsid1=Shipped\r\nChannel=11\r\n");
    const QByteArray shipped = ReadAll(m_Path);
    const QString savedShipped = g_Var.SettingsFile;
    const QString savedUser = g_Var.UserSettingsFile;
    g_Var.SettingsFile = m_Path;
    g_Var.UserSettingsFile = m_Dir.filePath(QStringLiteral("config/Root/wlanutil.bin"));
    WLProfile read{};
    EXPECT_TRUE(ProfFromIniFile(read, QStringLiteral("LastApplyProf")));
    EXPECT_STREQ(read.Ssid1, "Shipped");

    WLProfile p{};
    strcpy(p.Ssid1, "Lab");
    EXPECT_TRUE(ProfToIniFile(p, QStringLiteral("LastApplyProf")));
    EXPECT_EQ(ReadAll(m_Path), shipped);
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(g_Var.UserSettingsFile).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "the copy holds keys";
    EXPECT_TRUE(ProfFromIniFile(read, QStringLiteral("LastApplyProf")));
    EXPECT_STREQ(read.Ssid1, "Lab") << "the user's copy is read first";

    // A copy that cannot be written is told once, however often the writes fail.
    QStringList told;
    SetWriteProblemHandler([&told](StoreProblem, const QString& path) { told << path; });
    g_Var.UserSettingsFile = m_Path + QStringLiteral("/not-a-folder/wlanutil.bin");
    EXPECT_FALSE(ProfToIniFile(p, QStringLiteral("LastApplyProf")));
    EXPECT_FALSE(ProfToIniFile(p, QStringLiteral("LastApplyProf")));
    SetWriteProblemHandler(nullptr);
    EXPECT_EQ(told, QStringList{g_Var.UserSettingsFile});
    g_Var.SettingsFile = savedShipped;
    g_Var.UserSettingsFile = savedUser;
}

TEST(ResetSecurityTest, ClearsSecurityAndKeepsTheRest)
{
    WLProfile p = RandomProfile(3);
    strcpy(p.WEPKey3, "ABCDEF0123");
    const WLProfile before = p;
    ResetSecurity(p);
    // These differ from the INI defaults on purpose: they are what the security pages start from.
    EXPECT_EQ(p.WEPKeyFormat, 1);
    EXPECT_EQ(p.PeapEap, 2);
    EXPECT_EQ(p.TTLSEap, 3);
    EXPECT_EQ(p.AuthenticationMode, 2);
    EXPECT_EQ(p.WPAEncryptionType, 1);
    EXPECT_EQ(p.EncryptionMethod | p.WEPEncryptionLevel | p.DefaultKey | p.MS8021xAuthMode |
                  p.ValidateServerCert,
              0);
    for (const char* text : {p.PassPhrase, p.WEPKey1, p.WEPKey2, p.WEPKey3, p.WEPKey4, p.WPAPassphrase,
                             p.LoginName, p.LoginPassword, p.DomainName, p.sCertificate,
                             p.sCertificate_Issuer, p.sCertAuthority, p.sCertAuthority_Issuer})
        EXPECT_EQ(text[0], '\0');
    // The purpose of the reset is that no key of the old type survives, also not behind the first NUL.
    EXPECT_EQ(std::count(p.WEPKey3, p.WEPKey3 + sizeof p.WEPKey3, '\0'), qsizetype(sizeof p.WEPKey3));
    EXPECT_STREQ(p.Ssid1, before.Ssid1);
    EXPECT_EQ(p.TxRate, before.TxRate);
    EXPECT_EQ(p.FuncMode, before.FuncMode);
    EXPECT_EQ(memcmp(p.APMacFilter, before.APMacFilter, sizeof p.APMacFilter), 0);
    EXPECT_EQ(memcmp(&p.NetInfo, &before.NetInfo, sizeof p.NetInfo), 0);
}

TEST(SameIpSettingsTest, ComparesAddressModeAndTheAddressesInUse)
{
    const NetworkInfo base = RandomProfile(5).NetInfo;
    const struct {
        const char* name;
        std::function<void(NetworkInfo&)> change;
        bool same;
    } cases[] = {
        {"identical", [](NetworkInfo&) {}, true},
        {"second gateway", [](NetworkInfo& n) { n.IpGate2[0] ^= 1; }, true},
        {"WINS servers", [](NetworkInfo& n) { n.IpWINS1[1] ^= 1, n.IpWINS2[2] ^= 1; }, true},
        {"host name", [](NetworkInfo& n) { strcpy(n.strHostName, "other"); }, true},
        {"profile name", [](NetworkInfo& n) { strcpy(n.sz_CurProfile, "other"); }, true},
        {"network flag bit 1", [](NetworkInfo& n) { n.wNetFlags ^= 2; }, true},
        {"other flags", [](NetworkInfo& n) { n.wFlags ^= 1, n.wPPPFlags ^= 1; }, true},
        {"network flag bit 0", [](NetworkInfo& n) { n.wNetFlags ^= 1; }, false},
        {"address", [](NetworkInfo& n) { n.IpAddr[3] ^= 1; }, false},
        {"mask", [](NetworkInfo& n) { n.IpMask[0] ^= 0x80; }, false},
        {"first gateway", [](NetworkInfo& n) { n.IpGate1[3] ^= 1; }, false},
        {"first name server", [](NetworkInfo& n) { n.IpDNS1[2] ^= 1; }, false},
        {"second name server", [](NetworkInfo& n) { n.IpDNS2[1] ^= 1; }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NetworkInfo other = base;
        c.change(other);
        EXPECT_EQ(SameIpSettings(base, other), c.same);
        EXPECT_EQ(SameIpSettings(other, base), c.same);
    }
}

} // namespace

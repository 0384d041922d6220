#include "Uprofile.h"
#include "Udebug.h"
#include "Udefine.h"
#include "Uinifile.h"
#include "Uutility.h"
#include "Uwriteproblem.h"
#include "adaptercore/Corecodes.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

const char* const EDITING_PROFILE_NAME = "(EditingProfile)";

namespace {

enum class FieldKind { Int32, UInt16, UInt8, Bool8, Text, Bytes };

// One key of the INI form: where its field sits in the profile and what a missing key reads as.
struct IniField {
    QString key;
    FieldKind kind;
    size_t offset;
    size_t size;
    int intDefault = 0;
    const char* textDefault = "";
};

constexpr size_t NI_OFFSET = offsetof(WLProfile, NetInfo);

// Key names are the field names, so one macro keeps the two from drifting apart.
#define PROF_INT(name, def)                                                                                  \
    IniField                                                                                                 \
    {                                                                                                        \
        QStringLiteral(#name), FieldKind::Int32, offsetof(WLProfile, name), 4, def                           \
    }
#define PROF_TEXT(name)                                                                                      \
    IniField                                                                                                 \
    {                                                                                                        \
        QStringLiteral(#name), FieldKind::Text, offsetof(WLProfile, name), sizeof(WLProfile::name)           \
    }
#define NI_FIELD(name, kind)                                                                                 \
    IniField                                                                                                 \
    {                                                                                                        \
        QStringLiteral("NI_" #name), kind, NI_OFFSET + offsetof(NetworkInfo, name),                          \
            sizeof(NetworkInfo::name)                                                                        \
    }

// Every key in the order the section lists them.
const std::vector<IniField>& ProfileFields()
{
    static const std::vector<IniField> fields = [] {
        std::vector<IniField> f{PROF_INT(FuncMode, 0)};
        for (int i = 0; i < TSRWL_MAC_FILTER_COUNT; ++i)
            f.push_back({QStringLiteral("APMacFilter%1").arg(i), FieldKind::Bytes,
                         offsetof(WLProfile, APMacFilter) + size_t(i) * TSRWL_MAC_SIZE, TSRWL_MAC_SIZE});
        f.insert(f.end(), {
                              PROF_INT(APMacFilterMode, 0),
                              PROF_INT(APtxPwrLevel, 0),
                              PROF_INT(Channel, 0),
                              PROF_INT(AdHocBand, 0),
                              PROF_INT(TxRate, 15),
                              PROF_INT(NetworkMode, 1),
                              PROF_INT(ABGMode, 34),
                              IniField{QStringLiteral("ProfileName"), FieldKind::Text,
                                       offsetof(WLProfile, ProfileName), sizeof(WLProfile::ProfileName), 0,
                                       EDITING_PROFILE_NAME},
                              PROF_TEXT(Ssid1),
                              PROF_TEXT(Ssid2),
                              PROF_TEXT(Ssid3),
                              PROF_INT(ApSSIDHide, 0),
                              PROF_INT(WEPEncryptionLevel, 0),
                              PROF_TEXT(PassPhrase),
                              PROF_TEXT(WEPKey1),
                              PROF_TEXT(WEPKey2),
                              PROF_TEXT(WEPKey3),
                              PROF_TEXT(WEPKey4),
                              PROF_INT(DefaultKey, 0),
                              PROF_INT(WEPKeyFormat, 0),
                              PROF_INT(AuthenticationMode, ToCode(TsrwlAuthMode::Auto)),
                              PROF_INT(EncryptionMethod, ToCode(TsrwlSecurity::Open)),
                              PROF_INT(WPAEncryptionType, ToCode(TsrwlCipher::Tkip)),
                              PROF_TEXT(WPAPassphrase),
                              PROF_INT(FragThreshold, 2346),
                              PROF_INT(RTSThreshold, 2347),
                              PROF_INT(PreambleMode, 2),
                              PROF_INT(PowerMode, 0),
                              PROF_INT(txPwrLevel, 0),
                              PROF_TEXT(LoginName),
                              PROF_TEXT(LoginPassword),
                              PROF_TEXT(DomainName),
                              PROF_TEXT(sCertificate),
                              PROF_TEXT(sCertificate_Issuer),
                              PROF_TEXT(sCertAuthority),
                              PROF_TEXT(sCertAuthority_Issuer),
                              PROF_INT(ValidateServerCert, 0),
                              PROF_INT(MS8021xAuthMode, 0),
                              PROF_INT(TTLSEap, 0),
                              PROF_INT(PeapEap, 0),
                              IniField{QStringLiteral("ApplyNetwork"), FieldKind::Bool8,
                                       offsetof(WLProfile, ApplyNetwork), 1},
                              PROF_INT(QosEnabled, 0),
                              IniField{QStringLiteral("NI_sz_CurProfile"), FieldKind::Text, NI_OFFSET,
                                       sizeof(NetworkInfo::sz_CurProfile), 0, EDITING_PROFILE_NAME},
                              NI_FIELD(wFlags, FieldKind::UInt16),
                              NI_FIELD(wNetFlags, FieldKind::UInt16),
                              NI_FIELD(wPPPFlags, FieldKind::UInt16),
                              NI_FIELD(wEthWINSMode, FieldKind::UInt16),
                              NI_FIELD(VPI, FieldKind::UInt8),
                              NI_FIELD(VCI, FieldKind::UInt8),
                              NI_FIELD(wEncapsulation, FieldKind::UInt16),
                              NI_FIELD(IpAddr, FieldKind::Bytes),
                              NI_FIELD(IpMask, FieldKind::Bytes),
                              NI_FIELD(IpGate1, FieldKind::Bytes),
                              NI_FIELD(IpGate2, FieldKind::Bytes),
                              NI_FIELD(IpDNS1, FieldKind::Bytes),
                              NI_FIELD(IpDNS2, FieldKind::Bytes),
                              NI_FIELD(IpWINS1, FieldKind::Bytes),
                              NI_FIELD(IpWINS2, FieldKind::Bytes),
                              NI_FIELD(strScopeId, FieldKind::Text),
                              NI_FIELD(strHostName, FieldKind::Text),
                              NI_FIELD(strDomain, FieldKind::Text),
                              NI_FIELD(strDomSufSearch, FieldKind::Text),
                              NI_FIELD(strLoginUsr, FieldKind::Text),
                              NI_FIELD(strLoginPsw, FieldKind::Text),
                              NI_FIELD(strLoginDom, FieldKind::Text),
                          });
        return f;
    }();
    return fields;
}

#undef PROF_INT
#undef PROF_TEXT
#undef NI_FIELD

unsigned ReadUnsigned(const uint8_t* p, size_t size)
{
    if (size == 1)
        return *p;
    uint16_t v16 = 0;
    memcpy(&v16, p, sizeof v16);
    return v16;
}

void WriteUnsigned(uint8_t* p, size_t size, int value)
{
    if (size == 1) {
        *p = uint8_t(value);
        return;
    }
    const auto v16 = uint16_t(value);
    memcpy(p, &v16, sizeof v16);
}

// Texts are bytes (a network name need not be UTF-8). UTF-8 is written as it is; other bytes, and texts
// holding control bytes, as the marker and their hexadecimal digits, which a reader that does not know the
// form still shows as text and which never puts a raw control byte into the file. A UTF-8 text that itself
// starts with the marker is written the same way, so that every value reads back as written.
const QLatin1String BYTES_MARKER("hex:");

bool HasControlBytes(const QByteArray& bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
}

QString TextValue(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError() && !text.startsWith(BYTES_MARKER) && !HasControlBytes(bytes))
        return text;
    return BYTES_MARKER + QString::fromLatin1(bytes.toHex().toUpper());
}

QByteArray ValueBytes(const QString& value)
{
    const QString digits = value.mid(BYTES_MARKER.size());
    if (value.startsWith(BYTES_MARKER) && digits.size() % 2 == 0 && IsHexText(digits))
        return QByteArray::fromHex(digits.toLatin1());
    return value.toUtf8();
}

QString FieldToText(const IniField& f, const uint8_t* p)
{
    int32_t v32 = 0;
    switch (f.kind) {
    case FieldKind::Int32:
        memcpy(&v32, p, sizeof v32);
        return QString::number(v32);
    case FieldKind::UInt16:
    case FieldKind::UInt8:
        return QString::number(ReadUnsigned(p, f.size));
    case FieldKind::Bool8:
        return *p ? QStringLiteral("1") : QStringLiteral("0");
    case FieldKind::Text:
        // A record from the library may lack its NUL; never read past the field.
        return TextValue(QByteArray(reinterpret_cast<const char*>(p),
                                    qsizetype(strnlen(reinterpret_cast<const char*>(p), f.size))));
    case FieldKind::Bytes:
        return QString::fromLatin1(
            QByteArray(reinterpret_cast<const char*>(p), qsizetype(f.size)).toHex().toUpper());
    }
    return {};
}

// Up to f.size bytes from the leading hexadecimal digit pairs; the bytes not supplied keep their content.
void ReadBytes(const CIniFile& ini, const QString& section, const IniField& f, uint8_t* p)
{
    const QString digits = ini.ReadString(section, f.key, QString()).trimmed().left(qsizetype(f.size) * 2);
    if (!IsHexText(digits)) {
        DebugPrint("ProfFromIniFile: [%s] %s is no hexadecimal byte string; kept", qPrintable(section),
                   qPrintable(f.key));
        return;
    }
    HexToBytes(digits, p);
}

// The integer value of a key, or the field's default when the key is missing or no number.
int ReadInt(const CIniFile& ini, const QString& section, const IniField& f)
{
    const int value = ini.ReadInteger(section, f.key, f.intDefault);
    // A value that reads as either default is no number.
    if (value == f.intDefault && ini.HasKey(section, f.key) &&
        ini.ReadInteger(section, f.key, f.intDefault + 1) != value)
        DebugPrint("ProfFromIniFile: [%s] %s is no number; %d used", qPrintable(section), qPrintable(f.key),
                   value);
    return value;
}

void ReadText(const CIniFile& ini, const QString& section, const IniField& f, char* field)
{
    // A text field ends at its first NUL (an escaped one in a hand-edited file): what followed would stay in
    // the record unseen and be gone after the next write.
    const QString read = ini.ReadString(section, f.key, QString::fromUtf8(f.textDefault));
    const QString text = read.left(read.indexOf(QChar(0)));
    const QByteArray bytes = ValueBytes(text);
    if (size_t(bytes.size()) >= f.size)
        DebugPrint("ProfFromIniFile: [%s] %s is longer than %zu bytes; cut", qPrintable(section),
                   qPrintable(f.key), f.size - 1);
    if (bytes == text.toUtf8()) {
        CopyTextField(field, f.size, text);
        return;
    }
    // Escaped bytes are taken as they are: there are no characters to keep whole.
    const size_t length = std::min(size_t(bytes.size()), f.size - 1);
    memset(field, 0, f.size);
    memcpy(field, bytes.constData(), std::min(length, strnlen(bytes.constData(), length)));
}

void ReadField(const CIniFile& ini, const QString& section, const IniField& f, uint8_t* p)
{
    switch (f.kind) {
    case FieldKind::Int32: {
        const int32_t v = ReadInt(ini, section, f);
        memcpy(p, &v, sizeof v);
        break;
    }
    case FieldKind::UInt16:
    case FieldKind::UInt8:
        // Stored in the field's width: higher bits are dropped.
        WriteUnsigned(p, f.size, ReadInt(ini, section, f));
        break;
    case FieldKind::Bool8:
        *p = ReadInt(ini, section, f) != 0 ? 1 : 0;
        break;
    case FieldKind::Text:
        ReadText(ini, section, f, reinterpret_cast<char*>(p));
        break;
    case FieldKind::Bytes:
        ReadBytes(ini, section, f, p);
        break;
    }
}

// Writes go to the user's copy of the settings, whose folder is made on first use.
QString WritablePath(const QString& iniPath)
{
    if (!iniPath.isEmpty())
        return iniPath;
    const QString dir = QFileInfo(g_Var.UserSettingsFile).absolutePath();
    if (!MakePrivateFolder(dir))
        DebugPrint("ProfToIniFile: can't make the folder %s", qPrintable(dir));
    return g_Var.UserSettingsFile;
}

// Reads see the user's copy first and the shipped defaults under it.
QStringList ReadablePaths(const QString& iniPath)
{
    return iniPath.isEmpty() ? QStringList{g_Var.TrustedUserCopy(), g_Var.SettingsFile}
                             : QStringList{iniPath};
}

} // namespace

bool ProfToIniFile(const WLProfile& prof, const QString& section, const QString& iniPath)
{
    try {
        const auto* base = reinterpret_cast<const uint8_t*>(&prof);
        IniEntries entries;
        for (const IniField& f : ProfileFields())
            entries.append({f.key, FieldToText(f, base + f.offset)});
        const QString path = WritablePath(iniPath);
        if (ReplaceIniSection(path, section, entries, true))
            return true;
        DebugPrint("ProfToIniFile exception: can't write section %s", qPrintable(section));
        ReportWriteProblem(path);
    } catch (const std::exception& e) {
        DebugPrint("ProfToIniFile exception: %s", e.what());
    }
    return false;
}

bool ProfFromIniFile(WLProfile& prof, const QString& section, const QString& iniPath)
{
    try {
        const CIniFile ini(ReadablePaths(iniPath));
        if (ini.SectionKeys(section).isEmpty())
            return false;
        auto* base = reinterpret_cast<uint8_t*>(&prof);
        for (const IniField& f : ProfileFields())
            ReadField(ini, section, f, base + f.offset);
    } catch (const std::exception& e) {
        DebugPrint("ProfFromIniFile exception: %s", e.what());
    }
    return true;
}

void ResetSecurity(WLProfile& prof)
{
    prof.EncryptionMethod = ToCode(TsrwlSecurity::Open);
    prof.WEPEncryptionLevel = 0;
    prof.WEPKeyFormat = 1;
    prof.DefaultKey = 0;
    prof.AuthenticationMode = ToCode(TsrwlAuthMode::Auto);
    prof.WPAEncryptionType = ToCode(TsrwlCipher::Tkip);
    prof.MS8021xAuthMode = 0;
    prof.PeapEap = ToCode(TsrwlPeapInner::MsChapV2);
    prof.TTLSEap = ToCode(TsrwlTtlsInner::MsChapV2);
    prof.ValidateServerCert = 0;
    // Whole fields, not only their first byte: the record goes to the library and into files as it stands,
    // and the rest of an old key or password must not travel with it.
    auto clear = [](auto& field) { memset(field, 0, sizeof field); };
    clear(prof.PassPhrase);
    clear(prof.WEPKey1);
    clear(prof.WEPKey2);
    clear(prof.WEPKey3);
    clear(prof.WEPKey4);
    clear(prof.WPAPassphrase);
    clear(prof.LoginName);
    clear(prof.LoginPassword);
    clear(prof.DomainName);
    clear(prof.sCertificate);
    clear(prof.sCertificate_Issuer);
    clear(prof.sCertAuthority);
    clear(prof.sCertAuthority_Issuer);
}

bool SameIpSettings(const NetworkInfo& wanted, const NetworkInfo& current)
{
    if ((wanted.wNetFlags & 1) != (current.wNetFlags & 1))
        return false;
    auto same = [](const uint8_t* a, const uint8_t* b) { return memcmp(a, b, TSRWL_IP_SIZE) == 0; };
    return same(wanted.IpAddr, current.IpAddr) && same(wanted.IpMask, current.IpMask) &&
           same(wanted.IpGate1, current.IpGate1) && same(wanted.IpDNS1, current.IpDNS1) &&
           same(wanted.IpDNS2, current.IpDNS2);
}

QString ProfileNameOf(const WLProfile& profile)
{
    return BytesText(profile.ProfileName, sizeof profile.ProfileName);
}

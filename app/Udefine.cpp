#include "Udefine.h"
#include "Udebug.h"
#include "Uinifile.h"
#include "Ulanguage.h"
#include "Usafefolder.h"
#include "Uutility.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <cstring>

CFAGlobalVar g_Var;

namespace {

struct CommonText {
    const char* key;
    const char* text;
};

const CommonText COMMON_TEXTS[COMMON_TEXT_COUNT] = {
    {"Unknow", "N/A"},                                     // 0
    {"dBm", "dBm"},                                        // 1
    {"Kbps", "Kbps"},                                      // 2
    {"Mbps", "Mbps"},                                      // 3
    {"GHz", "GHz"},                                        // 4
    {"Auto", "Auto"},                                      // 5
    {"Scanning", "Scanning"},                              // 6
    {"TrustAny", "Trust Any"},                             // 7
    {"None", "None"},                                      // 8
    {"NotUse", "Not Use"},                                 // 9
    {"Enabled", "Enabled"},                                // 10
    {"Disabled", "Disabled"},                              // 11
    {"Signal", "Signal"},                                  // 12
    {"Quality", "Quality"},                                // 13
    {"Connecting", "Connecting..."},                       // 14
    {"Connected", "Connected"},                            // 15
    {"DisConnected", "Disconnected"},                      // 16
    {"SignalNull", "No Signal"},                           // 17
    {"SignalPoor", "Poor"},                                // 18
    {"SignalGood", "Good"},                                // 19
    {"SignalVeryGood", "Very Good"},                       // 20
    {"SignalExcellent", "Excellent"},                      // 21
    {"Authenticating", "Authenticating..."},               // 22
    {"AuthenRetry", "Authentication failed, retrying..."}, // 23
    {"AuthenFail", "Authentication failed"},               // 24
    {"Authenticated", "Authenticated"},                    // 25
    {"Infrastructure", "Infrastructure"},                  // 26
    {"AdHoc", "Ad-Hoc"},                                   // 27
    {"Encrypt_None", "Disabled"},                          // 28
    {"Encrypt_WEP", "WEP"},                                // 29
    {"Encrypt_WPA_PSK", "WPA-PSK"},                        // 30
    {"Encrypt_WPA", "WPA"},                                // 31
    {"Encrypt_Radius", "RADIUS"},                          // 32
    {"Encrypt_LEAP", "LEAP"},                              // 33
    {"Encrypt_WPA2_PSK", "WPA2-PSK"},                      // 34
    {"Encrypt_WPA2", "WPA2"},                              // 35
    {"Encrypt_WPA_WPA2_PSK", "WPA-PSK/ WPA2-PSK"},         // 36
    {"Encrypt_WPA_WPA2", "WPA/ WPA2"},                     // 37
    {"Authen_None", "None"},                               // 38
    {"Authen_MD5", "MD5"},                                 // 39
    {"Authen_LEAP", "LEAP"},                               // 40
    {"Authen_TLS", "TLS"},                                 // 41
    {"Authen_TTLS", "TTLS"},                               // 42
    {"Authen_PEAP", "PEAP"},                               // 43
    {"WEP_64", "64 bit WEP"},                              // 44
    {"WEP_128", "128 bit WEP"},                            // 45
    {"WEP_152", "152 bit WEP"},                            // 46
    {"WEP_256", "256 bit WEP"},                            // 47
    {"WPA_TKIP", "TKIP"},                                  // 48
    {"WPA_AES", "AES"},                                    // 49
    {"AuthModeOpen", "Open"},                              // 50
    {"AuthModeShare", "Shared"},                           // 51
    {"AuthModeAuto", "Auto Switch"},                       // 52
    {"AuthModeWPA", "WPA"},                                // 53
    {"EAP_GTC", "EAP/GTC"},                                // 54
    {"EAP_PAP", "EAP/PAP"},                                // 55
    {"EAP_CHAP", "EAP/CHAP"},                              // 56
    {"EAP_MSCHAP", "EAP/MS-CHAP"},                         // 57
    {"EAP_MSCHAP_2", "EAP/MS-CHAP v2"},                    // 58
    {"Drv_Encrypt_None", "Not Using WEP"},                 // 59
    {"Drv_Encrypt_WEP", "WEP"},                            // 60
    {"Drv_Encrypt_AES", "AES"},                            // 61
    {"Drv_Encrypt_CKIP", "CKIP"},                          // 62
    {"Drv_Encrypt_TKIP", "TKIP"},                          // 63
    {"802B", "802.11b"},                                   // 64
    {"802G", "802.11g"},                                   // 65
    {"802A", "802.11a"},                                   // 66
    {"802G_Trb", "802.11g Turbo"},                         // 67
    {"802A_Trb", "802.11a Turbo"},                         // 68
    {"PowSaveNo", "No Power Saving"},                      // 69
    {"PowSaveMax", "Max. Power Saving"},                   // 70
    {"PowSaveFast", "Fast Power Saving"},                  // 71
    {"PreambleLong", "Long Preamble"},                     // 72
    {"PreambleShort", "Short Preamble"},                   // 73
    {"PreambleAuto", "Auto"},                              // 74
    {"RoamNo", "Do not consider roaming"},                 // 75
    {"RoamDef", "Default roaming mode"},                   // 76
    {"RoamOpt", "Optimized in roaming"},                   // 77
    {"PowerLv0", "Level 0(Max. Power)"},                   // 78
    {"PowerLv1", "Level 1"},                               // 79
    {"PowerLv2", "Level 2"},                               // 80
    {"PowerLv3", "Level 3(Min. Power)"},                   // 81
    // Generations of links beyond 802.11a/b/g, as real adapters report them.
    {"802N", "802.11n"},   // 82
    {"802AC", "802.11ac"}, // 83
    {"802AX", "802.11ax"}, // 84
};

// Linux has device notifications, session notifications and a system wireless manager: the newest class.
constexpr int LINUX_OS_KIND = 7;

} // namespace

const char* CommonTextKey(int index)
{
    return index >= 0 && index < COMMON_TEXT_COUNT ? COMMON_TEXTS[index].key : "";
}

CFAGlobalVar::CFAGlobalVar()
{
    for (int i = 0; i < COMMON_TEXT_COUNT; ++i)
        CommonTexts[size_t(i)] = QString::fromLatin1(COMMON_TEXTS[i].text);
}

CFAGlobalVar::~CFAGlobalVar() = default;

QString CFAGlobalVar::TrustedUserCopy() const
{
    // Settings in a folder another user can change are not read: they could have been planted there.
    return IsSafeFolderOf(UserSettingsFile) ? UserSettingsFile : QString();
}

void CFAGlobalVar::ReadFiles(const QString& exeFilePath)
{
    OsKind = LINUX_OS_KIND;
    const QFileInfo exe(exeFilePath);
    ExePath = exe.absolutePath() + '/';
    ExeName = exe.fileName();
    const QString base = exe.completeBaseName();
    SettingsFile = ExePath + base + QStringLiteral(".bin");
    // The shipped file names the settings root, and with it where the user's own copy lives; the copy holds
    // what the program writes and what the user changed, and is read first, key by key.
    const QString root =
        CIniFile(SettingsFile)
            .ReadString(QStringLiteral("Setting"), QStringLiteral("ProfRoot"), QStringLiteral("Tessaro"));
    UserSettingsFile = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + '/' + root +
                       '/' + base + QStringLiteral(".bin");
    m_Settings = std::make_unique<CIniFile>(QStringList{TrustedUserCopy(), SettingsFile});
    // A language the settings name wins; without one the texts follow the desktop's language.
    const QString chosen = InfoRead(QStringLiteral("Setting"), QStringLiteral("StringFile"), QString());
    const QString file = chosen.isEmpty() ? DesktopLanguageFile(ExePath, base, SystemEnvironment) : chosen;
    LanguageFile = ExePath + file;
    const bool missing = !chosen.isEmpty() && !QFileInfo(LanguageFile).isFile();
    if (missing)
        DebugPrint("StringFile %s not found beside the program: the texts are English", qPrintable(chosen));
    Language = missing ? QStringLiteral("en") : LanguageOfFile(base, QFileInfo(file).fileName());
    m_Language.reset();
    if (QFileInfo::exists(SettingsFile))
        m_Language = std::make_unique<CIniFile>(LanguageFile);

    AppTitle = GetLangText(QStringLiteral("Utility"), QStringLiteral("AppTitle"), base);
    MsgTitle =
        GetLangText(QStringLiteral("Utility"), QStringLiteral("MsgTitle"), base + QStringLiteral(" Message"));
    HwIdList.clear();
    for (int i = 0; i < MAX_HWIDS; ++i) {
        const QString id = InfoRead(QStringLiteral("Setting"), QStringLiteral("HWID%1").arg(i), QString());
        if (id.isEmpty())
            break;
        HwIdList << id;
    }
    NoteFileProblems();
    if (m_Language)
        for (int i = 0; i < COMMON_TEXT_COUNT; ++i)
            CommonTexts[size_t(i)] = GetLangText(
                QStringLiteral("Common"), QString::fromLatin1(COMMON_TEXTS[i].key), CommonTexts[size_t(i)]);
    ProfRoot = root;
    MutexName = ProfRoot + QStringLiteral("_Mutex");
    NotifyMsgName = ProfRoot + QStringLiteral("_NotifyMsg");
}

void CFAGlobalVar::NoteFileProblems()
{
    FileProblems.clear();
    for (const CIniFile* reader : {m_Settings.get(), m_Language.get()}) {
        if (!reader)
            continue;
        for (const auto& problem : reader->Problems()) {
            if (FileProblems.contains(problem))
                continue;
            FileProblems.append(problem);
            const char* format = problem.second == IniProblem::NotIni
                                     ? "CFAGlobalVar: %s is no INI file; defaults are used"
                                 : problem.second == IniProblem::OtherEncoding
                                     ? "CFAGlobalVar: %s is not in UTF-8; defaults are used"
                                 : problem.second == IniProblem::TooLarge
                                     ? "CFAGlobalVar: %s is larger than 4 MB and not read; defaults are used"
                                     : "CFAGlobalVar: can't read %s; defaults are used";
            DebugPrint(format, qPrintable(problem.first));
        }
    }
}

void CFAGlobalVar::Init(uint32_t startFlags, const QString& exeFilePath)
{
    StartFlags = startFlags;
    ReadFiles(exeFilePath);
}

QString CFAGlobalVar::InfoRead(const QString& section, const QString& key, const QString& def) const
{
    return m_Settings ? m_Settings->ReadString(section, key, def) : def;
}

bool CFAGlobalVar::InfoRead(const QString& section, const QString& key, bool def) const
{
    return m_Settings ? m_Settings->ReadBool(section, key, def) : def;
}

QString CFAGlobalVar::GetLangText(const QString& section, const QString& key, const QString& def) const
{
    return m_Language ? m_Language->ReadString(section, key, def) : def;
}

int CFAGlobalVar::GetHwIdList(TSDevRecord* records, int capacity) const
{
    for (int i = 0; i < HwIdList.size() && i < capacity; ++i) {
        memset(&records[i], 0, sizeof records[i]);
        CopyTextField(records[i].hwId, sizeof records[i].hwId, HwIdList[i]);
    }
    return int(HwIdList.size());
}

bool CFAGlobalVar::IsAcceptedHwId(const QString& deviceId) const
{
    const QString upper = deviceId.toUpper();
    for (const QString& id : HwIdList)
        if (upper.contains(id.toUpper()))
            return true;
    return false;
}

int FindDevRecord(const TAdapterDesc& desc, const TAdapterDesc* list, int count)
{
    for (int i = 0; i < count; ++i)
        if (memcmp(&desc, &list[i], sizeof desc) == 0)
            return i;
    return -1;
}

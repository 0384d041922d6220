#pragma once

#include "adaptercore/tsrwl.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

class CIniFile;
enum class IniProblem;

// Start-up switches of the command line.
enum StartFlag : uint32_t {
    SF_CLOSE = 1,    // "/Close"
    SF_SERVICE = 2,  // "/Service"
    SF_UI = 4,       // "/UI"
    SF_TRAYICON = 8, // "/TrayIcon"
};

constexpr int COMMON_TEXT_COUNT = 85;
constexpr int MAX_HWIDS = 16;

// The program-wide settings and texts and what start-up found out: the start flags and the kind of system,
// paths, the settings and language files, titles, the settings root, the accepted hardware ids and the common
// display texts. Initialised once on the GUI thread and read-only afterwards, so any thread reads it without
// a lock. Working state (the profile the editor edits, the Soft AP settings) lives with the pages that edit
// it.
class CFAGlobalVar {
public:
    CFAGlobalVar();
    ~CFAGlobalVar();
    CFAGlobalVar(const CFAGlobalVar&) = delete;
    CFAGlobalVar& operator=(const CFAGlobalVar&) = delete;

    // Keeps the start flags and reads both files; the engine binds the adapter library afterwards
    // (BindAdapterLibrary).
    void Init(uint32_t startFlags, const QString& exeFilePath);
    // Reads the files as Init does. Tests use it on their own settings.
    void ReadFiles(const QString& exeFilePath);

    QString InfoRead(const QString& section, const QString& key, const QString& def) const;
    bool InfoRead(const QString& section, const QString& key, bool def) const;
    QString GetLangText(const QString& section, const QString& key, const QString& def) const;

    // Fills up to `capacity` zeroed device records with the accepted hardware ids; returns the list size.
    int GetHwIdList(TSDevRecord* records, int capacity) const;
    bool IsAcceptedHwId(const QString& deviceId) const;

    // The user's copy of the settings when its folder is safe to read from, else an empty path.
    QString TrustedUserCopy() const;
    const CIniFile* SettingsReader() const { return m_Settings.get(); }
    const CIniFile* LanguageReader() const { return m_Language.get(); }

    int OsKind = 0;
    uint32_t StartFlags = 0;
    QString ExePath;
    QString ExeName;
    // The shipped settings (defaults, possibly in a folder the user cannot write) and the user's own copy
    // under the XDG config folder, which every write goes to.
    QString SettingsFile;
    QString UserSettingsFile;
    QString LanguageFile;
    // The language code of the texts shown ("en", "de"), for the toolkit's own texts.
    QString Language;
    QString AppTitle;
    QString MsgTitle;
    QString ProfRoot;
    QString MutexName;
    QString NotifyMsgName;
    std::array<QString, COMMON_TEXT_COUNT> CommonTexts;
    // Settings and language files that exist but were read as empty (logged by ReadFiles); the window tells
    // the user of each once.
    QList<QPair<QString, IniProblem>> FileProblems;
    QStringList HwIdList;

private:
    void NoteFileProblems();

    std::unique_ptr<CIniFile> m_Settings;
    std::unique_ptr<CIniFile> m_Language;
};

extern CFAGlobalVar g_Var;

// An adapter found by detection: description, hardware id and the instance text "9999".
struct TAdapterDesc {
    char Description[128];
    char HwId[64];
    char Instance[5];
};
static_assert(sizeof(TAdapterDesc) == 197);
static_assert(offsetof(TAdapterDesc, HwId) == 128 && offsetof(TAdapterDesc, Instance) == 192);

// Index of the first of `count` descriptors equal to `desc` byte for byte, or -1.
int FindDevRecord(const TAdapterDesc& desc, const TAdapterDesc* list, int count);

// Keys of the common texts in the language file's "Common" section, by index.
const char* CommonTextKey(int index);

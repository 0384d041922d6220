#include "Uwepkeys.h"
#include "app/Udefine.h"
#include "app/Uutility.h"
#include "engine/Ucumlib.h"
#include "engine/Unicadapter.h"

#include <QByteArray>
#include <cstring>

namespace {

struct TLevelRule {
    int Level;
    size_t LabelIndex; // in the common texts
    const char* Setting;
    bool SettingDefault;
    int HexDigits;
    bool PhraseAllowed;
    const char* ErrorHex;
    const char* ErrorLength;
    const char* DefaultHexText;    // English text of ErrorHex
    const char* DefaultLengthText; // English text of ErrorLength
};

// 152-bit keys exist in the profile record but are never offered.
constexpr TLevelRule LEVELS[] = {
    {wl64, 44, "WEP64", true, 10, true, "ErHex64", "ErWEP64",
     "A 64-bit WEP key of 10 hexadecimal digits takes only 0-9 and A-F; or type 5 characters. Please try "
     "again.",
     "A 64-bit WEP key is 10 hexadecimal digits or 5 characters. Please try again."},
    {wl128, 45, "WEP128", true, 26, true, "ErHex128", "ErWEP128",
     "A 128-bit WEP key of 26 hexadecimal digits takes only 0-9 and A-F; or type 13 characters. Please try "
     "again.",
     "A 128-bit WEP key is 26 hexadecimal digits or 13 characters. Please try again."},
    {wl256, 47, "WEP256", false, 58, false, "ErHex256", "ErWEP256",
     "A 256-bit WEP key of 58 hexadecimal digits takes only 0-9 and A-F; or type 29 characters. Please try "
     "again.",
     "A 256-bit WEP key is 58 hexadecimal digits or 29 characters. Please try again."},
};

const TLevelRule* FindLevel(int level)
{
    for (const TLevelRule& rule : LEVELS)
        if (rule.Level == level)
            return &rule;
    return nullptr;
}

// A character key becomes the key bytes one for one; anything beyond printable ASCII would change its length.
bool IsPrintableAscii(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}

} // namespace

std::vector<int> AllowedWEPLevels(const CNICAdapter* adapter)
{
    std::vector<int> levels;
    if (!adapter)
        return levels;
    for (const TLevelRule& rule : LEVELS)
        if (adapter->ReadSet(QString::fromLatin1(rule.Setting), rule.SettingDefault))
            levels.push_back(rule.Level);
    return levels;
}

QString WEPLevelText(int level)
{
    const TLevelRule* rule = FindLevel(level);
    return rule ? g_Var.CommonTexts[rule->LabelIndex] : QString();
}

int WEPHexDigits(int level)
{
    const TLevelRule* rule = FindLevel(level);
    return rule ? rule->HexDigits : 0;
}

bool WEPPhraseAllowed(int level)
{
    const TLevelRule* rule = FindLevel(level);
    return rule && rule->PhraseAllowed;
}

TWEPKeyCheck CheckWEPKey(int level, const QString& key)
{
    TWEPKeyCheck check;
    const TLevelRule* rule = FindLevel(level);
    if (!rule) {
        check.MessageKey = QStringLiteral("ErWEP64");
        return check;
    }
    const qsizetype length = key.size();
    if (length == rule->HexDigits / 2 && IsPrintableAscii(key))
        check.Format = wkfChars;
    else if (length == rule->HexDigits && IsHexText(key))
        check.Format = wkfHex;
    else if (length == rule->HexDigits)
        check.MessageKey = QString::fromLatin1(rule->ErrorHex);
    else
        check.MessageKey = QString::fromLatin1(rule->ErrorLength);
    return check;
}

QString WEPKeyErrorText(const TWEPKeyCheck& check)
{
    QString def = QStringLiteral("You have entered an incorrect WEP key. Please try again.");
    for (const TLevelRule& rule : LEVELS) {
        if (check.MessageKey == QLatin1String(rule.ErrorHex))
            def = QString::fromLatin1(rule.DefaultHexText);
        else if (check.MessageKey == QLatin1String(rule.ErrorLength))
            def = QString::fromLatin1(rule.DefaultLengthText);
    }
    return g_Var.GetLangText(QStringLiteral("Message"), check.MessageKey, def);
}

QString StoredWEPKey(int level, const QString& key, int format)
{
    const int digits = WEPHexDigits(level);
    if (format == wkfChars && key.size() == digits / 2 && IsPrintableAscii(key))
        return key;
    if (format == wkfHex && key.size() == digits && IsHexText(key))
        return key.toUpper();
    return QString();
}

bool GenerateWEPKeys(const QString& phrase, int level, TWEPKeyTexts& keys)
{
    if (!g_TSLib.IsLoaded())
        return false;
    TSWEPKeySet generated{};
    const QByteArray bytes = phrase.toUtf8();
    if (g_TSLib.TSRWL_PassphraseToWEPKey(bytes.constData(), level, &generated) != 1)
        return false;
    for (int i = 0; i < WEP_KEY_COUNT; ++i) {
        char* text = generated.Key[i];
        text[TSRWL_WEP_KEY_TEXT_SIZE - 1] = '\0';
        keys[size_t(i)] = QString::fromLatin1(text);
    }
    return true;
}

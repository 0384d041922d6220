#pragma once

#include <QString>
#include <array>
#include <vector>

class CNICAdapter;

// WEP key rules shared by the profile editor's WEP page and the Soft AP configuration page. No widgets: a
// page keeps its own edits and asks these functions.
//
// How a page uses it:
// - `AllowedWEPLevels(adapter)` lists the levels to offer (a page with a "None" entry adds it itself);
//   `WEPLevelText(level)` is the display word.
// - The key edits' MaxLength is `WEPHexDigits(level)` (0 = no limit, for "no level"); the pass phrase edit is
//   enabled when `WEPPhraseAllowed(level)`.
// - Before storing, `CheckWEPKey(level, transmitKeyText)` examines the transmit key only. On failure show
//   `WEPKeyErrorText(check)` in the program's message box and keep the page; on success store every key
//   through `StoredWEPKey(level, text, check.Format)`, which empties keys that do not fit the format found.
// - `GenerateWEPKeys(phrase, level, keys)` asks the adapter library for the four keys of a pass phrase.

// Formats of WEPKeyFormat.
enum TWEPKeyFormat : int {
    wkfNone = 0,
    wkfHex = 1,   // hexadecimal digits, stored in upper case
    wkfChars = 2, // characters as typed
};

// Levels of WEPEncryptionLevel a page may offer.
enum TWEPLevel : int {
    wlNone = 0,
    wl64 = 1,
    wl128 = 2,
    wl256 = 4,
};

struct TWEPKeyCheck {
    int Format = wkfNone;
    QString MessageKey; // key of the "Message" section that explains a refused key; empty when valid
    bool Valid() const { return Format != wkfNone; }
};

constexpr int WEP_KEY_COUNT = 4;
using TWEPKeyTexts = std::array<QString, WEP_KEY_COUNT>;

// The levels the adapter's settings allow, in the order they are offered; empty without an adapter.
std::vector<int> AllowedWEPLevels(const CNICAdapter* adapter);
QString WEPLevelText(int level);
// Hexadecimal digits of a key of that level; 0 for no level or an unknown one.
int WEPHexDigits(int level);
bool WEPPhraseAllowed(int level);

// Examines the transmit key's text for a level: half the digit count of printable ASCII characters, or the
// full count of hexadecimal digits.
TWEPKeyCheck CheckWEPKey(int level, const QString& key);
// The language text for a refused key.
QString WEPKeyErrorText(const TWEPKeyCheck& check);
// The text to store for one key once the transmit key was found in `format`: empty unless it fits.
QString StoredWEPKey(int level, const QString& key, int format);
// Keys 1 to 4 generated from a pass phrase by the adapter library; false (keys untouched) when the library
// refuses the phrase or the level, or is not loaded.
bool GenerateWEPKeys(const QString& phrase, int level, TWEPKeyTexts& keys);

#pragma once

#include <QObject>
#include <QString>
#include <array>

class CNICAdapter;
class QComboBox;
class QLabel;
class QWidget;
class TMaskedEdit;
struct WLProfile;

// The WEP controls of a page: key length, authentication type, pass phrase, transmit key with its caption and
// the four key edits that stand at one place, one visible at a time.
struct TWEPControls {
    QComboBox* Level = nullptr;
    QComboBox* Authen = nullptr;
    TMaskedEdit* Phrase = nullptr;
    QComboBox* DefKey = nullptr;
    QLabel* KeyCaption = nullptr;
    std::array<TMaskedEdit*, 4> Keys{};
};

// Where the pages that set WEP keys differ.
struct TWEPPageRules {
    QString Section;        // language section of the key captions "LbKey1" to "LbKey4"
    bool OffersNone;        // a "None" level heads the list
    bool OffersAutoAuth;    // automatic authentication is offered, and taken when nothing is chosen
    bool AllKeysDropPhrase; // editing any key by hand drops the pass phrase, not only key 1
};

// Runs a page's WEP controls by the shared key rules: the levels the adapter allows, key lengths, keys made
// from a pass phrase, masked stored secrets, the check of the transmit key and what is stored. The page keeps
// the controls and decides when to load and store.
class TWEPEdits : public QObject {
    Q_OBJECT
public:
    TWEPEdits(QWidget* page, const TWEPControls& controls, const TWEPPageRules& rules);

    // Fills the authentication types and the transmit keys "1" to "4".
    void FillChoices();
    // Fills the levels the adapter's settings allow (none without an adapter).
    void FillLevels(const CNICAdapter* adapter);
    // Deselects every choice and empties the edits; changes the user makes are ignored until the next load.
    void Clear();
    // Shows a profile's WEP settings; the stored phrase and keys are masked.
    void Load(const WLProfile& profile);
    int Level() const;
    // Checks the transmit key of the chosen level and finds its format (hexadecimal without a level); false
    // after showing why the key is refused.
    bool CheckTransmitKey(int& format) const;
    // Stores the page's WEP settings once the transmit key passed; without a level the profile loses its
    // encryption and every key. The pass phrase is never kept.
    void Store(WLProfile& profile, int format) const;

    void CmbWEPSelect();
    void CmbDefKeySelect();
    void EdtPhraseChange();
    void EdtKey1Change();

private:
    int AuthFallback() const;

    QWidget* m_Page;
    TWEPControls m_Controls;
    TWEPPageRules m_Rules;
    bool m_Loading = false;    // the page fills its edits itself
    bool m_Generating = false; // generated keys are being written
};

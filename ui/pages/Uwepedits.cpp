#include "Uwepedits.h"
#include "Ueditorpage.h"
#include "Ulinktexts.h"
#include "Uwepkeys.h"
#include "adaptercore/Corecodes.h"
#include "app/Udefine.h"
#include "app/Ulabels.h"
#include "app/Uutility.h"
#include "controls/Maskededit.h"
#include "ui/Uwinutil.h"

#include <QComboBox>
#include <QLabel>
#include <algorithm>

namespace {

// A key edit without a limit has the largest length an edit allows.
constexpr int NO_LENGTH_LIMIT = 32767;

constexpr size_t KEY_FIELD_SIZE = sizeof WLProfile::WEPKey1;

// The key fields 1 to 4 of a profile, all of one size.
template <class Profile> auto KeyFields(Profile& p)
{
    return std::array{p.WEPKey1, p.WEPKey2, p.WEPKey3, p.WEPKey4};
}

} // namespace

TWEPEdits::TWEPEdits(QWidget* page, const TWEPControls& controls, const TWEPPageRules& rules)
    : QObject(page), m_Page(page), m_Controls(controls), m_Rules(rules)
{
    connect(controls.Level, &QComboBox::activated, this, &TWEPEdits::CmbWEPSelect);
    connect(controls.DefKey, &QComboBox::activated, this, &TWEPEdits::CmbDefKeySelect);
    connect(controls.Phrase, &QLineEdit::textChanged, this, &TWEPEdits::EdtPhraseChange);
    for (TMaskedEdit* key : controls.Keys) {
        connect(key, &QLineEdit::textChanged, this, &TWEPEdits::EdtKey1Change);
        if (!rules.AllKeysDropPhrase)
            break;
    }
}

void TWEPEdits::FillChoices()
{
    const int lastAuth = m_Rules.OffersAutoAuth ? ToCode(TsrwlAuthMode::Auto) : ToCode(TsrwlAuthMode::Shared);
    for (int mode = ToCode(TsrwlAuthMode::Open); mode <= lastAuth; ++mode)
        m_Controls.Authen->addItem(CommonText(LT_AUTHMODE_OPEN + mode), mode);
    for (int key = 0; key < WEP_KEY_COUNT; ++key)
        m_Controls.DefKey->addItem(QString::number(key + 1), key);
}

int TWEPEdits::AuthFallback() const
{
    return m_Rules.OffersAutoAuth ? ToCode(TsrwlAuthMode::Auto) : ToCode(TsrwlAuthMode::Open);
}

void TWEPEdits::FillLevels(const CNICAdapter* adapter)
{
    m_Controls.Level->clear();
    if (m_Rules.OffersNone)
        m_Controls.Level->addItem(SecurityText(0), int(wlNone));
    for (int level : AllowedWEPLevels(adapter))
        m_Controls.Level->addItem(WEPLevelText(level), level);
}

void TWEPEdits::Clear()
{
    // Left set until the next load: nothing typed meanwhile may generate keys.
    m_Loading = true;
    m_Controls.Level->setCurrentIndex(-1);
    CmbWEPSelect();
    m_Controls.Authen->setCurrentIndex(-1);
    m_Controls.DefKey->setCurrentIndex(-1);
    CmbDefKeySelect();
}

void TWEPEdits::Load(const WLProfile& profile)
{
    m_Loading = true;
    SelectValueOrFirst(m_Controls.Level, profile.WEPEncryptionLevel);
    CmbWEPSelect();
    if (!SelectComboByValue(m_Controls.Authen, profile.AuthenticationMode))
        SelectComboByValue(m_Controls.Authen, AuthFallback());
    SelectValueOrFirst(m_Controls.DefKey, profile.DefaultKey);
    CmbDefKeySelect();
    m_Controls.Phrase->setText(BytesText(profile.PassPhrase, sizeof profile.PassPhrase));
    m_Controls.Phrase->SetMasked(true);
    const auto fields = KeyFields(profile);
    for (size_t i = 0; i < fields.size(); ++i) {
        m_Controls.Keys[i]->setText(BytesText(fields[i], KEY_FIELD_SIZE));
        m_Controls.Keys[i]->SetMasked(true);
    }
    m_Loading = false;
}

int TWEPEdits::Level() const
{
    return SelectedValue(m_Controls.Level, wlNone);
}

bool TWEPEdits::CheckTransmitKey(int& format) const
{
    format = wkfHex;
    const int level = Level();
    if (level == wlNone)
        return true;
    const int transmit = SelectedValue(m_Controls.DefKey, 0);
    const TWEPKeyCheck check = CheckWEPKey(level, m_Controls.Keys[size_t(transmit)]->text());
    if (!check.Valid()) {
        ShowEditorWarning(m_Page, WEPKeyErrorText(check));
        return false;
    }
    format = check.Format;
    return true;
}

void TWEPEdits::Store(WLProfile& profile, int format) const
{
    const int level = Level();
    profile.EncryptionMethod = level == wlNone ? ToCode(TsrwlSecurity::Open) : ToCode(TsrwlSecurity::Wep);
    profile.WEPEncryptionLevel = level;
    profile.WEPKeyFormat = level == wlNone ? int(wkfHex) : format;
    profile.DefaultKey = level == wlNone ? 0 : SelectedValue(m_Controls.DefKey, 0);
    const auto fields = KeyFields(profile);
    for (size_t i = 0; i < fields.size(); ++i)
        CopyTextField(fields[i], KEY_FIELD_SIZE,
                      level == wlNone ? QString() : StoredWEPKey(level, m_Controls.Keys[i]->text(), format));
    CopyTextField(profile.PassPhrase, sizeof profile.PassPhrase, QString());
    profile.AuthenticationMode = SelectedValue(m_Controls.Authen, AuthFallback());
}

void TWEPEdits::CmbWEPSelect()
{
    const int level = Level();
    m_Controls.Phrase->setEnabled(WEPPhraseAllowed(level));
    m_Controls.DefKey->setEnabled(level != wlNone);
    const int digits = WEPHexDigits(level);
    for (TMaskedEdit* key : m_Controls.Keys) {
        key->setEnabled(level != wlNone);
        key->setMaxLength(digits > 0 ? digits : NO_LENGTH_LIMIT);
    }
    m_Controls.Phrase->clear();
    for (TMaskedEdit* key : m_Controls.Keys)
        key->clear();
}

void TWEPEdits::CmbDefKeySelect()
{
    // With no transmit key chosen, key 1 is shown.
    const int index = std::max(0, m_Controls.DefKey->currentIndex());
    for (int i = 0; i < WEP_KEY_COUNT; ++i)
        m_Controls.Keys[size_t(i)]->setVisible(i == index);
    const QString key = QStringLiteral("LbKey%1").arg(index + 1);
    m_Controls.KeyCaption->setText(
        g_Var.GetLangText(m_Rules.Section, key, QStringLiteral("Key %1").arg(index + 1)));
}

void TWEPEdits::EdtPhraseChange()
{
    const int level = Level();
    if (m_Loading || level == wlNone)
        return;
    m_Generating = true;
    TWEPKeyTexts generated;
    const QString phrase = m_Controls.Phrase->text();
    if (phrase.isEmpty()) {
        for (TMaskedEdit* key : m_Controls.Keys)
            key->clear();
    } else if (GenerateWEPKeys(phrase, level, generated)) {
        for (size_t i = 0; i < generated.size(); ++i)
            m_Controls.Keys[i]->setText(generated[i]);
    }
    for (TMaskedEdit* key : m_Controls.Keys)
        key->SetMasked(false);
    m_Generating = false;
}

void TWEPEdits::EdtKey1Change()
{
    if (m_Loading || m_Generating)
        return;
    m_Loading = true;
    m_Controls.Phrase->clear();
    m_Controls.Phrase->SetMasked(false);
    m_Loading = false;
}

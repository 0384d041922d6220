#include "Uframewep.h"
#include "Ueditorpage.h"
#include "Uwepkeys.h"
#include "app/Udefine.h"
#include "app/Uutility.h"
#include "controls/Maskededit.h"
#include "ui/Uwinutil.h"
#include "ui_Uframewep.h"

#include <algorithm>

namespace {

const QString SECTION = QStringLiteral("FrameWEP");

// 802.11 authentication types and their common texts.
constexpr int AUTH_AUTO = 2;
constexpr size_t CT_AUTH_OPEN = 50;

struct TKeyField {
    char* Text;
    size_t Size;
};

std::array<TKeyField, WEP_KEY_COUNT> KeyFields(WLProfile& p)
{
    return {{{p.WEPKey1, sizeof p.WEPKey1},
             {p.WEPKey2, sizeof p.WEPKey2},
             {p.WEPKey3, sizeof p.WEPKey3},
             {p.WEPKey4, sizeof p.WEPKey4}}};
}

} // namespace

TFrameWEP::TFrameWEP(QWidget* parent) : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameWEP>())
{
    ui->setupUi(this);
    setObjectName(SECTION);
    m_Keys = {ui->EdtKey1, ui->EdtKey2, ui->EdtKey3, ui->EdtKey4};
    connect(ui->CmbWEP, &QComboBox::activated, this, &TFrameWEP::CmbWEPSelect);
    connect(ui->CmbDefKey, &QComboBox::activated, this, &TFrameWEP::CmbDefKeySelect);
    connect(ui->EdtPhrase, &QLineEdit::textChanged, this, &TFrameWEP::EdtPhraseChange);
    // Only key 1 is tied to the pass phrase: editing it by hand drops the phrase, editing the others does
    // not.
    connect(ui->EdtKey1, &QLineEdit::textChanged, this, &TFrameWEP::EdtKey1Change);
}

TFrameWEP::~TFrameWEP() = default;

void TFrameWEP::InitPage()
{
    SkinEditorPage(this, SECTION, ui->ImgBG, {ui->LbWEP, ui->LbAuthen, ui->LbPhrase, ui->LbDefKey, ui->LbKey},
                   ui->BtnBack, ui->BtnNext, ui->BtnExit);
    SetTextColor(ui->LbWEPSet, SKIN_HEADER_TEXT);
    for (int mode = 0; mode <= AUTH_AUTO; ++mode)
        ui->CmbAuthen->addItem(g_Var.CommonTexts[CT_AUTH_OPEN + size_t(mode)], mode);
    for (int key = 0; key < WEP_KEY_COUNT; ++key)
        ui->CmbDefKey->addItem(QString::number(key + 1), key);
    ClearPage();
    TPropertyPageFrame::InitPage();
}

void TFrameWEP::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    if (TrackStationAdapter(this, m_Adapter, adapter, change, flags) || change == acDetach) {
        ui->CmbWEP->clear();
        for (int level : AllowedWEPLevels(m_Adapter))
            ui->CmbWEP->addItem(WEPLevelText(level), level);
    }
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
}

void TFrameWEP::CmbWEPSelect()
{
    const int level = SelectedValue(ui->CmbWEP, wlNone);
    ui->EdtPhrase->setEnabled(WEPPhraseAllowed(level));
    ui->CmbDefKey->setEnabled(level != wlNone);
    // A key edit without a limit has the largest length an edit allows.
    const int digits = WEPHexDigits(level);
    for (TMaskedEdit* key : m_Keys) {
        key->setEnabled(level != wlNone);
        key->setMaxLength(digits > 0 ? digits : 32767);
    }
    ui->EdtPhrase->clear();
    for (TMaskedEdit* key : m_Keys)
        key->clear();
}

void TFrameWEP::CmbDefKeySelect()
{
    const int index = std::max(0, ui->CmbDefKey->currentIndex());
    for (int i = 0; i < WEP_KEY_COUNT; ++i)
        m_Keys[size_t(i)]->setVisible(i == index);
    const QString key = QStringLiteral("LbKey%1").arg(index + 1);
    ui->LbKey->setText(g_Var.GetLangText(SECTION, key, QStringLiteral("Key %1").arg(index + 1)));
}

bool TFrameWEP::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    WLProfile& profile = g_Var.EditingProfile;
    m_Loading = true;
    SelectValueOrFirst(ui->CmbWEP, profile.WEPEncryptionLevel);
    CmbWEPSelect();
    if (!SelectComboByValue(ui->CmbAuthen, profile.AuthenticationMode))
        SelectComboByValue(ui->CmbAuthen, AUTH_AUTO);
    SelectValueOrFirst(ui->CmbDefKey, profile.DefaultKey);
    CmbDefKeySelect();
    ui->EdtPhrase->setText(BytesText(profile.PassPhrase, sizeof profile.PassPhrase));
    ui->EdtPhrase->SetMasked(true);
    const auto fields = KeyFields(profile);
    for (size_t i = 0; i < fields.size(); ++i) {
        m_Keys[i]->setText(BytesText(fields[i].Text, fields[i].Size));
        m_Keys[i]->SetMasked(true);
    }
    m_Loading = false;
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

void TFrameWEP::EdtPhraseChange()
{
    const int level = SelectedValue(ui->CmbWEP, wlNone);
    if (m_Loading || level == wlNone)
        return;
    m_Generating = true;
    ShowWEPKeysOfPhrase(ui->EdtPhrase->text(), level, m_Keys);
    m_Generating = false;
}

void TFrameWEP::EdtKey1Change()
{
    if (m_Loading || m_Generating)
        return;
    m_Loading = true;
    ui->EdtPhrase->clear();
    ui->EdtPhrase->SetMasked(false);
    m_Loading = false;
}

bool TFrameWEP::LeavePage(TPropertyPageFrame* nextPage, int mode, int context)
{
    if (mode != pmForward)
        return TPropertyPageFrame::LeavePage(nextPage, mode, context);
    WLProfile& profile = g_Var.EditingProfile;
    const int level = SelectedValue(ui->CmbWEP, wlNone);
    if (level != wlNone) {
        const int transmit = SelectedValue(ui->CmbDefKey, 0);
        const TWEPKeyCheck check = CheckWEPKey(level, m_Keys[size_t(transmit)]->text());
        if (!check.Valid()) {
            ShowEditorWarning(this, WEPKeyErrorText(check));
            return false;
        }
        profile.WEPEncryptionLevel = level;
        profile.WEPKeyFormat = check.Format;
        profile.DefaultKey = transmit;
        const auto fields = KeyFields(profile);
        for (size_t i = 0; i < fields.size(); ++i)
            CopyTextField(fields[i].Text, fields[i].Size,
                          StoredWEPKey(level, m_Keys[i]->text(), check.Format));
    } else {
        // No key length is allowed: the profile goes without encryption.
        profile.EncryptionMethod = 0;
        profile.WEPEncryptionLevel = 0;
        profile.WEPKeyFormat = wkfHex;
        profile.DefaultKey = 0;
        for (const TKeyField& field : KeyFields(profile))
            CopyTextField(field.Text, field.Size, QString());
    }
    CopyTextField(profile.PassPhrase, sizeof profile.PassPhrase, QString());
    profile.AuthenticationMode = SelectedValue(ui->CmbAuthen, AUTH_AUTO);
    return TPropertyPageFrame::LeavePage(nextPage, mode, context);
}

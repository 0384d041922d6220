#include "Uframeapcfg.h"
#include "Ueditorpage.h"
#include "Ulinktexts.h"
#include "Upageskin.h"
#include "Upagetools.h"
#include "Usoftapsave.h"
#include "Uwepkeys.h"
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Ulabels.h"
#include "app/Uutility.h"
#include "controls/Maskededit.h"
#include "engine/Unicadapter.h"
#include "ui/Uformres.h"
#include "ui/Uwinutil.h"
#include "ui_Uframeapcfg.h"

#include <algorithm>
#include <cstring>

namespace {

const QString SECTION = QStringLiteral("FrameAPCfg");
constexpr int CANCEL_BUTTON_RIGHT = 551;
constexpr int COMMON_AUTO = 5;
constexpr int POWER_LEVELS = 4;
constexpr int MAX_CHANNELS = 256;
// An edit without a limit has the largest length an edit allows.
constexpr int NO_LENGTH_LIMIT = 32767;

// The wireless modes an access point may run, in the order offered, with the band bits the adapter must
// have, the setting that lists their channels and the band the library is asked for.
struct TAPMode {
    int Value;
    uint32_t Needs;
    const char* ChannelKey;
    uint32_t BandBit;
};
constexpr TAPMode AP_MODES[] = {
    {11, BAND_B | BAND_G, "SoftAPChBG", BAND_G},
    {1, BAND_B, "SoftAPChB", BAND_B},
    {3, BAND_G, "SoftAPChG", BAND_G},
    {2, BAND_A, "SoftAPChA", BAND_A},
};

const TAPMode* FindMode(int value)
{
    for (const TAPMode& mode : AP_MODES)
        if (mode.Value == value)
            return &mode;
    return nullptr;
}

QString ModeCaption(int value)
{
    switch (value) {
    case 11:
        return QStringLiteral("%1 + %2").arg(CommonText(LT_802B), CommonText(LT_802G));
    case 1:
        return CommonText(LT_802B);
    case 3:
        return CommonText(LT_802G);
    default:
        return CommonText(LT_802A);
    }
}

std::array<char*, WEP_KEY_COUNT> KeyFields(WLProfile& p)
{
    return {p.WEPKey1, p.WEPKey2, p.WEPKey3, p.WEPKey4};
}

} // namespace

TFrameAPCfg::TFrameAPCfg(QWidget* parent) : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameAPCfg>())
{
    ui->setupUi(this);
    setObjectName(SECTION);
    // The background picture covers the whole page: nothing needs erasing before it is drawn.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_Keys = {ui->EdtKey1, ui->EdtKey2, ui->EdtKey3, ui->EdtKey4};
    connect(ui->CmbMode, &QComboBox::activated, this, &TFrameAPCfg::CmbModeSelect);
    connect(ui->CmbWEP, &QComboBox::activated, this, &TFrameAPCfg::CmbWEPSelect);
    connect(ui->CmbDefKey, &QComboBox::activated, this, &TFrameAPCfg::CmbDefKeySelect);
    connect(ui->EdtPhrase, &QLineEdit::textChanged, this, &TFrameAPCfg::EdtPhraseChange);
    // Here every key is tied to the pass phrase: editing any of them by hand drops the phrase.
    for (TMaskedEdit* key : m_Keys)
        connect(key, &QLineEdit::textChanged, this, &TFrameAPCfg::EdtKey1Change);
    connect(ui->BtnSave, &QPushButton::clicked, this, &TFrameAPCfg::BtnSaveClick);
    connect(ui->BtnCancel, &QPushButton::clicked, this, &TFrameAPCfg::BtnCancelClick);
}

TFrameAPCfg::~TFrameAPCfg() = default;

void TFrameAPCfg::InitPage()
{
    LoadTexts(SECTION);
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgFrAPCfg"));
    const QList<QLabel*> captions = {ui->LbSSID,   ui->LbMode,   ui->LbChannel, ui->LbPower, ui->LbWEP,
                                     ui->LbAuthen, ui->LbPhrase, ui->LbDefKey,  ui->LbKey};
    for (QLabel* caption : captions) {
        AddCaptionBullets(this, {caption});
        SetTextColor(caption, SKIN_CAPTION_TEXT);
    }
    for (QLabel* heading : {ui->LbWireless, ui->LbSecurity})
        SetTextColor(heading, SKIN_HEADER_TEXT);
    SetButtonRow({{ui->BtnCancel, "ImgBtnCancel"}, {ui->BtnSave, "ImgBtnSave"}}, CANCEL_BUTTON_RIGHT);
    for (int level = 0; level < POWER_LEVELS; ++level)
        ui->CmbPower->addItem(PowerText(uint32_t(level)), level);
    ui->CmbAuthen->addItem(CommonText(LT_AUTHMODE_OPEN), 0);
    ui->CmbAuthen->addItem(CommonText(LT_AUTHMODE_SHARE), 1);
    for (int key = 0; key < WEP_KEY_COUNT; ++key)
        ui->CmbDefKey->addItem(QString::number(key + 1), key);
    ClearPage();
    TPropertyPageFrame::InitPage();
}

void TFrameAPCfg::ClearPage()
{
    TPropertyPageFrame::ClearPage();
    // Left set until the page is loaded again: nothing typed meanwhile may generate keys.
    m_Loading = true;
    ui->EdtSSID->clear();
    ui->ChkHide->setChecked(false);
    for (QComboBox* combo : {ui->CmbMode, ui->CmbCh, ui->CmbPower})
        combo->setCurrentIndex(-1);
    ui->CmbWEP->setCurrentIndex(-1);
    CmbWEPSelect();
    ui->CmbAuthen->setCurrentIndex(-1);
    ui->CmbDefKey->setCurrentIndex(-1);
    CmbDefKeySelect();
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui->EdtSSID, ui->ChkHide, ui->CmbMode, ui->CmbCh, ui->CmbPower,
                                         ui->CmbWEP, ui->CmbAuthen, ui->BtnSave, ui->BtnCancel})
        control->setEnabled(false);
}

bool TFrameAPCfg::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    if (m_Adapter && !m_Adapter->EnableZeroCfg()) {
        LoadAPWireless();
        LoadAPSecurity();
    }
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

void TFrameAPCfg::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
    if (change == acAttach && adapter && (flags & 1)) {
        m_Adapter = adapter;
        FillModes();
        FillWEPLevels();
        if (!adapter->EnableZeroCfg())
            EnableAndLoad();
    } else if (change == acDetach) {
        ClearPage();
        m_Adapter = nullptr;
    }
}

void TFrameAPCfg::AdapterEvent(CNICAdapter* adapter, int code, int value)
{
    TPropertyPageFrame::AdapterEvent(adapter, code, value);
    if (!m_Adapter || code != NM_ZEROCFG)
        return;
    if (value == 1)
        ClearPage();
    else
        EnableAndLoad();
}

void TFrameAPCfg::EnableAndLoad()
{
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui->EdtSSID, ui->ChkHide, ui->CmbMode, ui->CmbCh, ui->CmbPower,
                                         ui->CmbWEP, ui->CmbAuthen, ui->BtnSave, ui->BtnCancel})
        control->setEnabled(true);
    LoadAPWireless();
    LoadAPSecurity();
}

void TFrameAPCfg::FillModes()
{
    ui->CmbMode->clear();
    const uint32_t bands = ModeToBands(m_Adapter->SupportMode());
    for (const TAPMode& mode : AP_MODES)
        if ((bands & mode.Needs) == mode.Needs)
            ui->CmbMode->addItem(ModeCaption(mode.Value), mode.Value);
}

void TFrameAPCfg::FillWEPLevels()
{
    ui->CmbWEP->clear();
    ui->CmbWEP->addItem(SecurityText(0), int(wlNone));
    for (int level : AllowedWEPLevels(m_Adapter))
        ui->CmbWEP->addItem(WEPLevelText(level), level);
}

void TFrameAPCfg::LoadAPWireless()
{
    const WLProfile& profile = g_Var.SoftAPProfile;
    ui->EdtSSID->setText(BytesText(profile.Ssid1, sizeof profile.Ssid1));
    if (!SelectComboByValue(ui->CmbMode, profile.ABGMode) &&
        !(m_Adapter && SelectComboByValue(ui->CmbMode, m_Adapter->DefAPBand())))
        ui->CmbMode->setCurrentIndex(ui->CmbMode->count() > 0 ? 0 : -1);
    CmbModeSelect();
    ui->ChkHide->setChecked(profile.ApSSIDHide == 1);
    SelectValueOrFirst(ui->CmbPower, profile.APtxPwrLevel);
}

void TFrameAPCfg::CmbModeSelect()
{
    ui->CmbCh->clear();
    const TAPMode* mode = FindMode(SelectedValue(ui->CmbMode, 0));
    if (!mode || !m_Adapter)
        return;
    FillChannels(mode->BandBit, QLatin1String(mode->ChannelKey));
    const int fallback = mode->BandBit == BAND_A ? m_Adapter->DefAPChA() : m_Adapter->DefAPChB();
    if (!SelectComboByValue(ui->CmbCh, g_Var.SoftAPProfile.Channel))
        SelectComboByValue(ui->CmbCh, fallback);
    if (ui->CmbCh->currentIndex() < 0 && ui->CmbCh->count() > 0)
        ui->CmbCh->setCurrentIndex(0);
}

void TFrameAPCfg::FillChannels(uint32_t bandBit, const QString& key)
{
    QString text = m_Adapter->ReadSet(key, QString());
    // A setting for the adapter's regulatory domain overrides the general one.
    text = m_Adapter->ReadSet(key + QLatin1Char('_') + m_Adapter->Domain(), text);
    int32_t channels[MAX_CHANNELS] = {};
    int count = text.isEmpty() ? m_Adapter->GetSoftAPAllowedCh(channels, MAX_CHANNELS, bandBit)
                               : ParseIntList(text, channels, MAX_CHANNELS);
    count = std::min(count, MAX_CHANNELS);
    for (int i = 0; i < count && channels[i] >= 0; ++i) {
        const int channel = channels[i];
        ui->CmbCh->addItem(channel == 0 ? CommonText(COMMON_AUTO) : QString::number(channel), channel);
    }
}

void TFrameAPCfg::LoadAPSecurity()
{
    WLProfile& profile = g_Var.SoftAPProfile;
    m_Loading = true;
    SelectValueOrFirst(ui->CmbWEP, profile.WEPEncryptionLevel);
    CmbWEPSelect();
    SelectValueOrFirst(ui->CmbAuthen, profile.AuthenticationMode);
    SelectValueOrFirst(ui->CmbDefKey, profile.DefaultKey);
    CmbDefKeySelect();
    ui->EdtPhrase->setText(BytesText(profile.PassPhrase, sizeof profile.PassPhrase));
    ui->EdtPhrase->SetMasked(true);
    const auto fields = KeyFields(profile);
    for (size_t i = 0; i < fields.size(); ++i) {
        m_Keys[i]->setText(BytesText(fields[i], sizeof profile.WEPKey1));
        m_Keys[i]->SetMasked(true);
    }
    m_Loading = false;
}

void TFrameAPCfg::CmbWEPSelect()
{
    const int level = SelectedValue(ui->CmbWEP, wlNone);
    ui->EdtPhrase->setEnabled(WEPPhraseAllowed(level));
    ui->CmbDefKey->setEnabled(level != wlNone);
    const int digits = WEPHexDigits(level);
    for (TMaskedEdit* key : m_Keys) {
        key->setEnabled(level != wlNone);
        key->setMaxLength(digits > 0 ? digits : NO_LENGTH_LIMIT);
    }
    ui->EdtPhrase->clear();
    for (TMaskedEdit* key : m_Keys)
        key->clear();
}

void TFrameAPCfg::CmbDefKeySelect()
{
    const int index = std::max(0, ui->CmbDefKey->currentIndex());
    for (int i = 0; i < WEP_KEY_COUNT; ++i)
        m_Keys[size_t(i)]->setVisible(i == index);
    const QString key = QStringLiteral("LbKey%1").arg(index + 1);
    ui->LbKey->setText(g_Var.GetLangText(SECTION, key, QStringLiteral("Key %1").arg(index + 1)));
}

void TFrameAPCfg::EdtPhraseChange()
{
    const int level = SelectedValue(ui->CmbWEP, wlNone);
    if (m_Loading || level == wlNone)
        return;
    m_Generating = true;
    ShowWEPKeysOfPhrase(ui->EdtPhrase->text(), level, m_Keys);
    m_Generating = false;
}

void TFrameAPCfg::EdtKey1Change()
{
    if (m_Loading || m_Generating)
        return;
    m_Loading = true;
    ui->EdtPhrase->clear();
    ui->EdtPhrase->SetMasked(false);
    m_Loading = false;
}

void TFrameAPCfg::FocusSSID()
{
    try {
        ui->EdtSSID->setFocus();
    } catch (const std::exception& e) {
        DebugPrint("Exception(TFrameAPCfg::BtnSaveClick): %s", e.what());
    }
}

bool TFrameAPCfg::CheckSave(QByteArray& ssid, int& level, int& transmit, int& format)
{
    // An SSID is at most 32 bytes: a longer name is cut there, at a character boundary.
    ssid = Utf8Left(ui->EdtSSID->text(), TSRWL_SSID_MAX);
    if (ssid.isEmpty()) {
        ShowPageMessage(this, "ErAPSSID", "You should enter a SSID name.");
        FocusSSID();
        return false;
    }
    level = SelectedValue(ui->CmbWEP, wlNone);
    transmit = SelectedValue(ui->CmbDefKey, 0);
    format = wkfHex;
    if (level == wlNone)
        return true;
    const TWEPKeyCheck check = CheckWEPKey(level, m_Keys[size_t(transmit)]->text());
    if (!check.Valid()) {
        ShowEditorWarning(this, WEPKeyErrorText(check));
        return false;
    }
    format = check.Format;
    return true;
}

void TFrameAPCfg::StoreSecurity(WLProfile& profile, int level, int transmit, int format)
{
    profile.EncryptionMethod = level == wlNone ? 0 : 1;
    profile.WEPEncryptionLevel = level;
    profile.WEPKeyFormat = format;
    profile.DefaultKey = level == wlNone ? 0 : transmit;
    const auto fields = KeyFields(profile);
    for (size_t i = 0; i < fields.size(); ++i)
        CopyTextField(fields[i], sizeof profile.WEPKey1,
                      level == wlNone ? QString() : StoredWEPKey(level, m_Keys[i]->text(), format));
    CopyTextField(profile.PassPhrase, sizeof profile.PassPhrase, QString());
    profile.AuthenticationMode = SelectedValue(ui->CmbAuthen, 0);
}

void TFrameAPCfg::StoreWireless(WLProfile& profile, const QByteArray& ssid)
{
    // A name left as it was shown keeps its bytes, which need not be UTF-8.
    if (ui->EdtSSID->text() != BytesText(profile.Ssid1, sizeof profile.Ssid1)) {
        std::memset(profile.Ssid1, 0, sizeof profile.Ssid1);
        std::memcpy(profile.Ssid1, ssid.constData(), size_t(ssid.size()));
    }
    const WLProfile& defaults = m_Adapter->DefAPProfile();
    profile.ABGMode = SelectedValue(ui->CmbMode, defaults.ABGMode);
    profile.Channel = SelectedValue(ui->CmbCh, defaults.Channel);
    profile.ApSSIDHide = ui->ChkHide->isChecked() ? 1 : 0;
    profile.APtxPwrLevel = SelectedValue(ui->CmbPower, 0);
}

void TFrameAPCfg::BtnSaveClick()
{
    if (!m_Adapter)
        return;
    QByteArray ssid;
    int level = wlNone;
    int transmit = 0;
    int format = wkfHex;
    if (!CheckSave(ssid, level, transmit, format))
        return;
    WLProfile& profile = g_Var.SoftAPProfile;
    StoreSecurity(profile, level, transmit, format);
    StoreWireless(profile, ssid);
    SaveSoftAPProfile(this, *m_Adapter);
}

void TFrameAPCfg::BtnCancelClick()
{
    LoadAPWireless();
    LoadAPSecurity();
}

#include "Uframeapcfg.h"
#include "Ueditorpage.h"
#include "Ulinktexts.h"
#include "Upageskin.h"
#include "Upagetools.h"
#include "Uwepedits.h"
#include "Uwepkeys.h"
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Ulabels.h"
#include "app/Uutility.h"
#include "engine/Unicadapter.h"
#include "ui/Uformres.h"
#include "ui/Uwinutil.h"
#include "ui_Uframeapcfg.h"

#include <algorithm>
#include <cstring>

namespace {

const QString SECTION = QStringLiteral("FrameAPCfg");
constexpr int CANCEL_BUTTON_RIGHT = 551;
constexpr int POWER_LEVELS = 4;

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

} // namespace

TFrameAPCfg::TFrameAPCfg(QWidget* parent) : TSoftAPPage(parent), ui(std::make_unique<Ui::FrameAPCfg>())
{
    ui->setupUi(this);
    setObjectName(SECTION);
    // The background picture covers the whole page: nothing needs erasing before it is drawn.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Here every key is tied to the pass phrase: editing any of them by hand drops the phrase.
    m_WEP = new TWEPEdits(
        this,
        {ui->CmbWEP,
         ui->CmbAuthen,
         ui->EdtPhrase,
         ui->CmbDefKey,
         ui->LbKey,
         {ui->EdtKey1, ui->EdtKey2, ui->EdtKey3, ui->EdtKey4}},
        {.Section = SECTION, .OffersNone = true, .OffersAutoAuth = false, .AllKeysDropPhrase = true});
    connect(ui->CmbMode, &QComboBox::activated, this, &TFrameAPCfg::CmbModeSelect);
    connect(ui->BtnSave, &QPushButton::clicked, this, &TFrameAPCfg::BtnSaveClick);
    connect(ui->BtnCancel, &QPushButton::clicked, this, &TFrameAPCfg::LoadPage);
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
    m_WEP->FillChoices();
    SetUpShowSwitch(ui->ChkShowChars, SECTION,
                    {ui->EdtPhrase, ui->EdtKey1, ui->EdtKey2, ui->EdtKey3, ui->EdtKey4});
    ClearPage();
    TSoftAPPage::InitPage();
}

void TFrameAPCfg::ClearPage()
{
    TSoftAPPage::ClearPage();
    ui->EdtSSID->clear();
    ui->ChkHide->setChecked(false);
    ui->ChkShowChars->setChecked(false);
    for (QComboBox* combo : {ui->CmbMode, ui->CmbCh, ui->CmbPower})
        combo->setCurrentIndex(-1);
    m_WEP->Clear();
    for (QWidget* control : EnabledControls())
        control->setEnabled(false);
}

std::array<QWidget*, 10> TFrameAPCfg::EnabledControls() const
{
    return {ui->EdtSSID, ui->ChkHide,   ui->CmbMode, ui->CmbCh,     ui->CmbPower,
            ui->CmbWEP,  ui->CmbAuthen, ui->BtnSave, ui->BtnCancel, ui->ChkShowChars};
}

void TFrameAPCfg::AdapterTaken()
{
    FillModes();
    m_WEP->FillLevels(m_Adapter);
}

void TFrameAPCfg::EnableControls()
{
    for (QWidget* control : EnabledControls())
        control->setEnabled(true);
}

void TFrameAPCfg::LoadPage()
{
    // What was typed and shown is dropped with the rest of the unsaved edits.
    ui->ChkShowChars->setChecked(false);
    LoadAPWireless();
    m_WEP->Load(APProfile());
}

void TFrameAPCfg::FillModes()
{
    ui->CmbMode->clear();
    const uint32_t bands = ModeToBands(m_Adapter->SupportMode());
    for (const TAPMode& mode : AP_MODES)
        if ((bands & mode.Needs) == mode.Needs)
            ui->CmbMode->addItem(ModeCaption(mode.Value), mode.Value);
}

void TFrameAPCfg::LoadAPWireless()
{
    const WLProfile& profile = APProfile();
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
    FillChannelCombo(ui->CmbCh, *m_Adapter, QLatin1String(mode->ChannelKey), mode->BandBit,
                     &CNICAdapter::GetSoftAPAllowedCh);
    const int fallback = mode->BandBit == BAND_A ? m_Adapter->DefAPChA() : m_Adapter->DefAPChB();
    if (!SelectComboByValue(ui->CmbCh, APProfile().Channel))
        SelectComboByValue(ui->CmbCh, fallback);
    if (ui->CmbCh->currentIndex() < 0 && ui->CmbCh->count() > 0)
        ui->CmbCh->setCurrentIndex(0);
}

void TFrameAPCfg::FocusSSID()
{
    try {
        ui->EdtSSID->setFocus();
    } catch (const std::exception& e) {
        DebugPrint("Exception(TFrameAPCfg::BtnSaveClick): %s", e.what());
    }
}

bool TFrameAPCfg::CheckSave(QByteArray& ssid, int& format)
{
    // An SSID is at most 32 bytes: a longer name is cut there, at a character boundary.
    ssid = Utf8Left(ui->EdtSSID->text(), TSRWL_SSID_MAX);
    if (ssid.isEmpty()) {
        ShowPageMessage(this, "ErAPSSID", "You should enter a SSID name.");
        FocusSSID();
        return false;
    }
    return m_WEP->CheckTransmitKey(format);
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
    int format = wkfHex;
    if (!CheckSave(ssid, format))
        return;
    WLProfile& profile = APProfile();
    m_WEP->Store(profile, format);
    StoreWireless(profile, ssid);
    SaveAndApply();
}

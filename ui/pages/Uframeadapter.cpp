#include "Uframeadapter.h"
#include "Uframeprofset.h"
#include "Ueditorpage.h"
#include "Ulinktexts.h"
#include "Upageskin.h"
#include "Upagetools.h"
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Ulabels.h"
#include "app/Unotifyevent.h"
#include "app/Uprofile.h"
#include "app/Uutility.h"
#include "engine/Unicadapter.h"
#include "ui/Uformres.h"
#include "ui/Uwinutil.h"
#include "ui_Uframeadapter.h"

#include <QComboBox>

namespace {

const QString SECTION = QStringLiteral("FrameAdapter");
constexpr int SAVE_RIGHT = 527;
constexpr int MAX_RATES = 256;
constexpr int RATE_AUTO = 15;
constexpr int PREAMBLE_AUTO = 2;
constexpr int NO_RATE_MODE = 5;
constexpr int SAVE_EDITED = 0x100;
constexpr int LT_AUTO = 5;

// 802.11 modes of the status and the rate list settings.
enum RateMode { RM_B = 1, RM_A = 2, RM_G = 3 };

struct TValueItem {
    int Index; // common text
    int Value;
};
constexpr TValueItem PREAMBLE_ITEMS[] = {{74, 2}, {72, 0}, {73, 1}};
constexpr TValueItem POWER_ITEMS[] = {{69, 0}, {71, 2}, {70, 1}};

void FillValues(QComboBox* combo, std::initializer_list<TValueItem> items)
{
    combo->clear();
    for (const TValueItem& item : items)
        combo->addItem(CommonText(item.Index), item.Value);
}

void SelectValueOr(QComboBox* combo, int value, int fallback)
{
    if (!SelectComboByValue(combo, value) && !SelectComboByValue(combo, fallback))
        combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
}

} // namespace

TFrameAdapter::TFrameAdapter(QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameAdapter>())
{
    ui->setupUi(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(ui->BtnSave, &QPushButton::clicked, this, &TFrameAdapter::BtnSaveClick);
}

TFrameAdapter::~TFrameAdapter() = default;

void TFrameAdapter::InitPage()
{
    LoadTexts(SECTION);
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgAdapter"));
    SetTextColor(ui->LbSetting, SKIN_HEADER_TEXT);
    AddCaptionBullets(this, {ui->LbTxRate, ui->LbPreamble, ui->LbPower});
    SetButtonRow({{ui->BtnSave, "ImgBtnSave"}}, SAVE_RIGHT);
    FillValues(ui->CmbPreamble, {PREAMBLE_ITEMS[0], PREAMBLE_ITEMS[1], PREAMBLE_ITEMS[2]});
    FillValues(ui->CmbPower, {POWER_ITEMS[0], POWER_ITEMS[1], POWER_ITEMS[2]});
    ClearPage();
    TPropertyPageFrame::InitPage();
}

void TFrameAdapter::ClearPage()
{
    ui->CmbTxRate->clear();
    ui->CmbPreamble->setCurrentIndex(-1);
    ui->CmbPower->setCurrentIndex(-1);
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->CmbTxRate, ui->CmbPreamble, ui->CmbPower, ui->BtnSave})
        w->setEnabled(false);
    m_RateMode = NO_RATE_MODE;
    TPropertyPageFrame::ClearPage();
}

bool TFrameAdapter::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    if (m_Adapter && !m_Adapter->EnableZeroCfg())
        ShowSettings();
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

void TFrameAdapter::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    if (change == acAttach && adapter && !(flags & 1)) {
        m_Adapter = adapter;
        if (!adapter->EnableZeroCfg())
            EnableSettings();
    } else if (change == acDetach) {
        ClearPage();
        m_Adapter = nullptr;
    }
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
}

void TFrameAdapter::AdapterEvent(CNICAdapter* adapter, int code, int value)
{
    if (!m_Adapter)
        return;
    if (code == NM_ZEROCFG) {
        if (value == 1)
            ClearPage();
        else
            EnableSettings();
    } else if (code == NM_APPLYING && !(value & 1)) {
        ShowSettings();
    } else if (code == NM_STATUS) {
        FollowMode();
    }
    TPropertyPageFrame::AdapterEvent(adapter, code, value);
}

void TFrameAdapter::EnableSettings()
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->CmbTxRate, ui->CmbPreamble, ui->CmbPower, ui->BtnSave})
        w->setEnabled(true);
    const uint32_t bands = ModeToBands(m_Adapter->SupportMode());
    if (bands & BAND_G)
        InitTxRate(RM_G);
    else if (bands & BAND_B)
        InitTxRate(RM_B);
    else if (bands & BAND_A)
        InitTxRate(RM_A);
}

void TFrameAdapter::InitTxRate(int mode)
{
    const char* key = mode == RM_B   ? "TxRateB"
                      : mode == RM_A ? "TxRateA"
                      : mode == RM_G ? "TxRateG"
                                     : nullptr;
    if (!key || !m_Adapter) {
        DebugPrint("TFrameAdapter::InitTxRate NetworkType %d", mode);
        return;
    }
    int32_t rates[MAX_RATES] = {};
    const int count = std::min(
        ParseIntList(m_Adapter->ReadSet(QLatin1String(key), QString()), rates, MAX_RATES), MAX_RATES);
    QComboBox* cmb = ui->CmbTxRate;
    cmb->clear();
    for (int i = 0; i < count && rates[i] >= 1; ++i)
        cmb->insertItem(0, RateText(rates[i]), rates[i]);
    cmb->insertItem(0, CommonText(LT_AUTO), RATE_AUTO);
    m_RateMode = mode;
}

void TFrameAdapter::ShowSettings()
{
    WLProfile profile = m_Adapter->DefProfile();
    m_Adapter->GetAppliedProfile(profile);
    SelectValueOr(ui->CmbPower, profile.PowerMode, -1);
    SelectValueOr(ui->CmbPreamble, profile.PreambleMode, PREAMBLE_AUTO);
    SelectValueOr(ui->CmbTxRate, profile.TxRate, -1);
}

void TFrameAdapter::FollowMode()
{
    if (m_Adapter->EnableZeroCfg())
        return;
    WLANStatus status{};
    m_Adapter->GetStatus(status);
    if (status.MediaState != 0)
        return;
    if (int(status.DotMode) != m_RateMode) {
        InitTxRate(int(status.DotMode));
        ShowSettings();
    }
}

void TFrameAdapter::StoreEdited(const WLProfile& profile)
{
    TFrameProfSet* editor = TFrameProfSet::InWindowOf(this);
    if (!editor) {
        DebugPrint("TFrameAdapter: no profile editor stores %s", qPrintable(ProfileNameOf(profile)));
        return;
    }
    DebugPrint("modify profile %s", qPrintable(ProfileNameOf(profile)));
    // The Profile page stores what its editor holds, and its list then shows the new settings.
    editor->Profile() = profile;
    SendNotify(window(), NM_SAVE_PROFILE, SAVE_EDITED);
}

void TFrameAdapter::BtnSaveClick()
{
    if (!m_Adapter)
        return;
    WLProfile p = m_Adapter->DefProfile();
    if (!m_Adapter->GetAppliedProfile(p))
        return;
    p.TxRate = SelectedValue(ui->CmbTxRate, RATE_AUTO);
    p.PreambleMode = SelectedValue(ui->CmbPreamble, PREAMBLE_AUTO);
    p.PowerMode = SelectedValue(ui->CmbPower, 0);
    const QString name = ProfileNameOf(p);
    if (m_Adapter->ProfileExists(name))
        StoreEdited(p);
    else
        DebugPrint("profile %s is not exist", qPrintable(name));
    if (!m_Adapter->EnableZeroCfg())
        m_Adapter->Connect(p);
}

#include "Uframewlmode.h"
#include "Ueditorpage.h"
#include "Ulinktexts.h"
#include "Upageskin.h"
#include "Upagetools.h"
#include "app/Ulabels.h"
#include "app/Uutility.h"
#include "engine/Unicadapter.h"
#include "ui/Uformres.h"
#include "ui/Uwinutil.h"
#include "ui_Uframewlmode.h"

#include <QComboBox>

namespace {

const QString SECTION = QStringLiteral("FrameWlMode");
constexpr int LT_GHZ = 4;

// Ad hoc band values and what belongs to each.
struct TAdHocBand {
    int Value;
    uint32_t Bit;
    const char* ChannelKey;
};
constexpr TAdHocBand BAND_B_ITEM{1, BAND_B, "AdHocChB"};
constexpr TAdHocBand BAND_G_ITEM{3, BAND_G, "AdHocChG"};
constexpr TAdHocBand BAND_A_ITEM{2, BAND_A, "AdHocChA"};

const TAdHocBand* BandOfValue(int value)
{
    for (const TAdHocBand* band : {&BAND_B_ITEM, &BAND_G_ITEM, &BAND_A_ITEM})
        if (band->Value == value)
            return band;
    return nullptr;
}

QString GHzText(const char* number)
{
    return QLatin1String(number) + CommonText(LT_GHZ);
}

} // namespace

TFrameWlMode::TFrameWlMode(WLProfile& profile, QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameWlMode>()), m_Profile(profile)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(ui->CmbAdHocMode, &QComboBox::activated, this, &TFrameWlMode::CmbAdHocModeSelect);
}

TFrameWlMode::~TFrameWlMode() = default;

void TFrameWlMode::InitPage()
{
    SkinEditorPage(this, SECTION, ui->ImgBG, {ui->LbMode, ui->LbChannel}, ui->BtnBack, ui->BtnNext,
                   ui->BtnExit);
    SetTextColor(ui->LbWlSet, SKIN_HEADER_TEXT);
    ClearPage();
    TPropertyPageFrame::InitPage();
}

void TFrameWlMode::ClearPage()
{
    ui->CmbAdHocMode->clear();
    ui->CmbChannel->clear();
    TPropertyPageFrame::ClearPage();
}

void TFrameWlMode::FillBands()
{
    QComboBox* cmb = ui->CmbAdHocMode;
    cmb->clear();
    if (!m_Adapter)
        return;
    const uint32_t usable = m_Adapter->GetUsableAdHocBand(m_Profile.ABGMode);
    if (m_Adapter->ReadSet(QStringLiteral("EnableAdHocG"), true)) {
        for (const TAdHocBand* band : {&BAND_B_ITEM, &BAND_G_ITEM, &BAND_A_ITEM})
            if (usable & band->Bit)
                cmb->addItem(DotModeText(uint32_t(band->Value)), band->Value);
    } else {
        // Without the 802.11g choice the user picks a frequency; 2.4 GHz means 802.11b.
        if (usable & BAND_B)
            cmb->addItem(GHzText("2.4 "), BAND_B_ITEM.Value);
        if (usable & BAND_A)
            cmb->addItem(GHzText("5 "), BAND_A_ITEM.Value);
    }
}

void TFrameWlMode::CmbAdHocModeSelect()
{
    QComboBox* channels = ui->CmbChannel;
    channels->clear();
    const TAdHocBand* band = BandOfValue(ui->CmbAdHocMode->currentData().toInt());
    if (!m_Adapter || ui->CmbAdHocMode->currentIndex() < 0 || !band)
        return;
    FillChannelCombo(channels, *m_Adapter, QLatin1String(band->ChannelKey), band->Bit,
                     &CNICAdapter::GetAllowedCh);
    if (!SelectComboByValue(channels, m_Profile.Channel))
        SelectComboByValue(channels, band->Bit == BAND_A ? m_Adapter->DefChA() : m_Adapter->DefChB());
    if (channels->currentIndex() < 0 && channels->count() > 0)
        channels->setCurrentIndex(0);
}

bool TFrameWlMode::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    FillBands();
    QComboBox* bands = ui->CmbAdHocMode;
    if (!SelectComboByValue(bands, m_Profile.AdHocBand) &&
        !(m_Adapter && SelectComboByValue(bands, m_Adapter->DefBand())) && bands->count() > 0)
        bands->setCurrentIndex(0);
    CmbAdHocModeSelect();
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

bool TFrameWlMode::LeavePage(TPropertyPageFrame* nextPage, int mode, int context)
{
    if (mode == pmForward && m_Adapter) {
        WLProfile& p = m_Profile;
        const WLProfile& def = m_Adapter->DefProfile();
        p.AdHocBand = SelectedValue(ui->CmbAdHocMode, def.AdHocBand);
        p.Channel = SelectedValue(ui->CmbChannel, def.Channel);
    }
    return TPropertyPageFrame::LeavePage(nextPage, mode, context);
}

void TFrameWlMode::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    TrackStationAdapter(this, m_Adapter, adapter, change, flags);
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
}

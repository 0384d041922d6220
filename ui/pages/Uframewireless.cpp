#include "Uframewireless.h"
#include "Ueditorpage.h"
#include "Ulinktexts.h"
#include "Upageskin.h"
#include "Upagetools.h"
#include "app/Ulabels.h"
#include "engine/Unicadapter.h"
#include "ui/Uwinutil.h"
#include "ui_Uframewireless.h"

#include <QCheckBox>

namespace {

constexpr int LT_GHZ = 4;
const char* const BANDS_PROPERTY = "bands";
constexpr uint32_t BANDS_24GHZ = BAND_B | BAND_G | BAND_G_EXTRA;
constexpr uint32_t BANDS_5GHZ = BAND_A | BAND_A_EXTRA;
constexpr uint32_t BAND_LOW_BYTE = 0xFF;

uint32_t CarriedBands(const QCheckBox* box)
{
    return box->property(BANDS_PROPERTY).toUInt();
}

} // namespace

TFrameWireless::TFrameWireless(WLProfile& profile, QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameWireless>()), m_Profile(profile)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TFrameWireless::~TFrameWireless() = default;

void TFrameWireless::InitPage()
{
    SkinEditorPage(this, QStringLiteral("FrameWireless"), ui->ImgBG, {}, ui->BtnBack, ui->BtnNext,
                   ui->BtnExit);
    SetTextColor(ui->LbWlModeSet, SKIN_HEADER_TEXT);
    for (QLabel* label : {ui->LbBand1, ui->LbBand2, ui->LbBand3})
        SetTextColor(label, SKIN_CAPTION_TEXT);
    ClearPage();
    TPropertyPageFrame::InitPage();
}

void TFrameWireless::OfferBand(QCheckBox* box, QLabel* label, uint32_t bands, bool checked,
                               const QString& text)
{
    box->setProperty(BANDS_PROPERTY, bands);
    box->setChecked(bands != 0 && checked);
    box->setEnabled(bands != 0);
    box->setVisible(bands != 0);
    label->setVisible(bands != 0);
    if (bands != 0)
        label->setText(text);
}

bool TFrameWireless::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    if (m_Adapter) {
        const uint32_t adapterBands = ModeToBands(m_Adapter->SupportMode());
        const uint32_t profileBands = ModeToBands(m_Profile.ABGMode);
        const uint32_t shared = adapterBands & profileBands;
        const bool has24 = adapterBands & (BAND_B | BAND_G);
        const bool has5 = adapterBands & BAND_A;
        OfferBand(ui->ChkBand1, ui->LbBand1, has24 ? adapterBands & BANDS_24GHZ : 0,
                  shared & (BAND_B | BAND_G), QStringLiteral("2.4 ") + CommonText(LT_GHZ));
        OfferBand(ui->ChkBand2, ui->LbBand2, has5 ? adapterBands & BANDS_5GHZ : 0, shared & BAND_A,
                  QStringLiteral("5 ") + CommonText(LT_GHZ));
        OfferBand(ui->ChkBand3, ui->LbBand3, 0, false, QString());
    }
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

bool TFrameWireless::LeavePage(TPropertyPageFrame* nextPage, int mode, int context)
{
    if (mode != pmForward)
        return TPropertyPageFrame::LeavePage(nextPage, mode, context);
    uint32_t chosen = 0;
    for (const QCheckBox* box : {ui->ChkBand1, ui->ChkBand2, ui->ChkBand3})
        if (box->isChecked())
            chosen |= CarriedBands(box);
    if ((chosen & BAND_LOW_BYTE) == 0) {
        ShowPageMessage(this, "ErNoSelBand", "No band was selected!\\nAt least one band must be selected.");
        return false;
    }
    if (m_Adapter) {
        WLProfile& p = m_Profile;
        p.ABGMode = BandsToMode(chosen);
        // The ad hoc band and channel follow onto a band the profile still allows.
        const uint32_t usable = m_Adapter->GetUsableAdHocBand(p.ABGMode);
        if ((usable & ModeToBands(p.AdHocBand)) == 0) {
            if (usable & BAND_A) {
                p.AdHocBand = 2;
                p.Channel = m_Adapter->DefChA();
            } else if (usable & (BAND_G | BAND_B)) {
                p.AdHocBand = (usable & BAND_G) ? 3 : 1;
                p.Channel = m_Adapter->DefChB();
            }
        }
    }
    return TPropertyPageFrame::LeavePage(nextPage, mode, context);
}

void TFrameWireless::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    TrackStationAdapter(this, m_Adapter, adapter, change, flags);
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
}

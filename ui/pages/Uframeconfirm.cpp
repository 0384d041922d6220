#include "Uframeconfirm.h"
#include "Ueditorpage.h"
#include "Ulinktexts.h"
#include "Upageskin.h"
#include "Upagetools.h"
#include "app/Ulabels.h"
#include "app/Uutility.h"
#include "ui/Uformres.h"
#include "ui/Uwinutil.h"
#include "ui_Uframeconfirm.h"

namespace {

const QString SECTION = QStringLiteral("FrameConfirm");
constexpr int EXIT_RIGHT = 531;

} // namespace

TFrameConfirm::TFrameConfirm(WLProfile& profile, QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameConfirm>()), m_Profile(profile)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TFrameConfirm::~TFrameConfirm() = default;

void TFrameConfirm::InitPage()
{
    LoadTexts(SECTION);
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgFrProfSet"));
    SetTextColor(ui->LbConfirm, SKIN_HEADER_TEXT);
    AddCaptionBullets(this, {ui->LbSSID, ui->LbNetType, ui->LbWlMode, ui->LbChannel, ui->LbSecurity});
    for (QLabel* value : {ui->LblSSID, ui->LblNetType, ui->LblWlMode, ui->LblChannel, ui->LblSecurity}) {
        SetTextColor(value, SKIN_VALUE_TEXT);
        static_cast<TEllipsisLabel*>(value)->SetEllipsisEnd(true);
    }
    SetButtonRow({{ui->BtnExit, "ImgBtnExit"}, {ui->BtnSave, "ImgBtnSave"}, {ui->BtnBack, "ImgBtnBack"}},
                 EXIT_RIGHT);
    ClearPage();
    TPropertyPageFrame::InitPage();
}

bool TFrameConfirm::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    const WLProfile& p = m_Profile;
    ui->LblSSID->setText(BytesText(p.Ssid1, sizeof p.Ssid1));
    ui->LblNetType->setText(NetTypeText(uint32_t(p.NetworkMode)));
    ui->LblWlMode->setText(ProfileModeText(p, m_Adapter));
    ui->LblChannel->setText(ProfileChannelText(p));
    ui->LblSecurity->setText(SecurityText(p.EncryptionMethod));
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

void TFrameConfirm::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    TrackStationAdapter(this, m_Adapter, adapter, change, flags);
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
}

#include "Uframeconfirm.h"
#include "Ulinktexts.h"
#include "Upageskin.h"
#include "Upagetools.h"
#include "app/Udefine.h"
#include "app/Ulabels.h"
#include "app/Uutility.h"
#include "ui/Uformres.h"
#include "ui/Uwinutil.h"
#include "ui_Uframeconfirm.h"

namespace {

const QString SECTION = QStringLiteral("FrameConfirm");
constexpr int EXIT_RIGHT = 531;

} // namespace

TFrameConfirm::TFrameConfirm(QWidget* parent)
    : TStationPage(parent), ui(std::make_unique<Ui::FrameConfirm>())
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
    for (QLabel* caption : {ui->LbSSID, ui->LbNetType, ui->LbWlMode, ui->LbChannel, ui->LbSecurity})
        SetTextColor(caption, SKIN_CAPTION_TEXT);
    AddMarkBullets(this, {ui->LbSSID, ui->LbNetType, ui->LbWlMode, ui->LbChannel, ui->LbSecurity});
    for (QLabel* value : {ui->LblSSID, ui->LblNetType, ui->LblWlMode, ui->LblChannel, ui->LblSecurity}) {
        SetTextColor(value, SKIN_VALUE_TEXT);
        static_cast<TEllipsisLabel*>(value)->SetEllipsisEnd(true);
    }
    SetButtonRow({{ui->BtnExit, "ImgBtnExit"}, {ui->BtnSave, "ImgBtnSave"}, {ui->BtnBack, "ImgBtnBack"}}, EXIT_RIGHT);
    ClearPage();
    TStationPage::InitPage();
}

bool TFrameConfirm::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    const WLProfile& p = g_Var.EditingProfile;
    ui->LblSSID->setText(BytesText(p.Ssid1, sizeof p.Ssid1));
    ui->LblNetType->setText(NetTypeText(uint32_t(p.NetworkMode)));
    ui->LblWlMode->setText(ProfileModeText(p, m_Adapter));
    ui->LblChannel->setText(ProfileChannelText(p));
    ui->LblSecurity->setText(SecurityText(p.EncryptionMethod));
    return TStationPage::EnterPage(leftPage, mode, context);
}

#include "Uframeactive.h"
#include "Upageskin.h"
#include "Upagetools.h"
#include "ui/Uwinutil.h"
#include "ui_Uframeactive.h"

namespace {

constexpr int ACT_NOW_RIGHT = 287;

} // namespace

TFrameActive::TFrameActive(QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameActive>())
{
    ui->setupUi(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TFrameActive::~TFrameActive() = default;

void TFrameActive::InitPage()
{
    LoadTexts(QStringLiteral("FrameActive"));
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgFrActive"));
    SetTextColor(ui->LbMsg, SKIN_VALUE_TEXT);
    SetButtonRow({{ui->BtnActNow, "ImgBtnActnow"}}, ACT_NOW_RIGHT);
    SetButtonFaces(ui->BtnActLater, QStringLiteral("ImgBtnActlater"));
    ClearPage();
    TPropertyPageFrame::InitPage();
}

#include "Uframeapcfg.h"
#include "Upageskin.h"
#include "ui_Uframeapcfg.h"

TFrameAPCfg::TFrameAPCfg(QWidget* parent) : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameAPCfg>())
{
    ui->setupUi(this);
}

TFrameAPCfg::~TFrameAPCfg() = default;

void TFrameAPCfg::InitPage()
{
    LoadTexts(QStringLiteral("FrameAPCfg"));
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgFrAPCfg"));
}

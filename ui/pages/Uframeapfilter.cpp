#include "Uframeapfilter.h"
#include "Upageskin.h"
#include "ui_Uframeapfilter.h"

TFrameAPFilter::TFrameAPFilter(QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameAPFilter>())
{
    ui->setupUi(this);
}

TFrameAPFilter::~TFrameAPFilter() = default;

void TFrameAPFilter::InitPage()
{
    LoadTexts(QStringLiteral("FrameAPFilter"));
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgFrAPFilter"));
}

#include "Uframeadapter.h"
#include "Upageskin.h"
#include "ui_Uframeadapter.h"

TFrameAdapter::TFrameAdapter(QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameAdapter>())
{
    ui->setupUi(this);
}

TFrameAdapter::~TFrameAdapter() = default;

void TFrameAdapter::InitPage()
{
    LoadTexts(objectName());
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgAdapter"));
}

#include "Uformabout.h"
#include "Uformres.h"
#include "Uwinutil.h"
#include "app/Udefine.h"
#include "app/Uutility.h"
#include "ui_Uformabout.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace {

// The version values end here, short of the background's right-hand artwork.
constexpr int VERSION_RIGHT_EDGE = 337;
// The program's version shows major, minor and release.
constexpr int PROGRAM_VERSION_PARTS = 3;

const QString UTILITY = QStringLiteral("Utility");

} // namespace

// The background carries the box's own title and close button, and dragging it moves the box: a frame
// of the window manager's would be a second title bar.
TFormAbout::TFormAbout(QWidget* parent)
    : TFormBase(parent, Qt::Dialog | Qt::FramelessWindowHint), ui(std::make_unique<Ui::FormAbout>())
{
    ui->setupUi(this);
    FormCreate();
}

TFormAbout::~TFormAbout() = default;

void TFormAbout::FormCreate()
{
    LoadLayout(this, objectName());
    LoadTexts(QStringLiteral("FormAbout"));
    setWindowTitle(g_Var.AppTitle);
    setFixedSize(size());

    ui->LbProduct->setText(g_Var.GetLangText(UTILITY, QStringLiteral("ProductName"), g_Var.AppTitle));
    ui->LbCopyright->setText(
        g_Var.GetLangText(UTILITY, QStringLiteral("Copyright1"), ui->LbCopyright->text()));
    ui->LbRight->setText(g_Var.GetLangText(UTILITY, QStringLiteral("Copyright2"), ui->LbRight->text()));
    ui->LbProduct->SetEllipsisEnd(true);
    ui->LbCopyright->SetEllipsisEnd(true);
    ui->LbRight->SetEllipsisEnd(true);
    SetTextColor(ui->LbProduct, SKIN_HEADER_TEXT);
    for (QWidget* caption : {ui->LbCopyright, ui->LbRight, ui->LbDriverVer, ui->LbUtilityVer})
        SetTextColor(caption, SKIN_CAPTION_TEXT);
    for (QWidget* value : {ui->LblDriverVer, ui->LblUtilityVer})
        SetTextColor(value, SKIN_VALUE_TEXT);

    if (FormRes) {
        ui->ImgBG->setPixmap(QPixmap::fromImage(FormRes->Picture(QStringLiteral("ImgAboutBG"))));
        ui->BtnClose->SetFaces(FormRes->Picture(QStringLiteral("ImgBtnCloseN")));
        ui->BtnClose->SetFacesDown(FormRes->Picture(QStringLiteral("ImgBtnCloseH")));
        ui->BtnClose->SetFacesOver(FormRes->Picture(QStringLiteral("ImgBtnCloseH")));
        ui->BtnClose->SetAutoShape(true);
    }
    connect(ui->BtnClose, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
    ui->ImgBG->installEventFilter(this);

    FitLabel(ui->LbDriverVer, ui->LblDriverVer, VERSION_RIGHT_EDGE);
    FitLabel(ui->LbUtilityVer, ui->LblUtilityVer, VERSION_RIGHT_EDGE);
    ui->LblDriverVer->clear();
    ui->LblUtilityVer->setText(
        g_Var.GetLangText(UTILITY, QStringLiteral("UtilityVer"),
                          FileVersionText(QCoreApplication::applicationFilePath(), PROGRAM_VERSION_PARTS)));
}

void TFormAbout::SetDriver(const TDriverTexts* driver)
{
    if (!driver)
        return;
    ui->LblDriverVer->setText(g_Var.GetLangText(UTILITY, QStringLiteral("DriverVer"), driver->Version));
    ui->LblDriverVer->setToolTip(driver->Path);
}

int TFormAbout::ShowAbout(QWidget* mainWindow, const TDriverTexts* driver)
{
    SetDriver(driver);
    CenterOnForm(this, mainWindow);
    return ShowModal();
}

bool TFormAbout::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == ui->ImgBG && (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseMove)) {
        DragBackground(static_cast<QMouseEvent*>(e));
        return true;
    }
    return TFormBase::eventFilter(watched, e);
}

void TFormAbout::DragBackground(QMouseEvent* e)
{
    DragWindow(this, e, m_DragOffset);
}

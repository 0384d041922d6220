#include "Uframeapinfo.h"
#include "Upageskin.h"
#include "app/Uprofile.h"
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "engine/Unicadapter.h"
#include "ui_Uframeapinfo.h"

TFrameAPInfo::TFrameAPInfo(QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameAPInfo>())
{
    ui->setupUi(this);
}

TFrameAPInfo::~TFrameAPInfo() = default;

void TFrameAPInfo::InitPage()
{
    LoadTexts(QStringLiteral("FrameAPInfo"));
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgFrAPInfo"));
}

void TFrameAPInfo::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    if (change == acAttach && adapter && (flags & 1))
        m_Adapter = adapter;
    else if (change == acDetach)
        m_Adapter = nullptr;
}

void TFrameAPInfo::ConnectLast()
{
    if (!m_Adapter || !m_Adapter->ReadSet(QStringLiteral("InitConnect"), true))
        return;
    DebugPrint("Connect last => %s", qPrintable(ProfileNameOf(g_Var.SoftAPProfile)));
    m_Adapter->Connect(g_Var.SoftAPProfile);
}

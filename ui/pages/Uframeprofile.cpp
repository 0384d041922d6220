#include "Uframeprofile.h"
#include "Upageskin.h"
#include "app/Uprofile.h"
#include "app/Udebug.h"
#include "engine/Unicadapter.h"
#include "ui_Uframeprofile.h"

namespace {

// Page-change extra: the Site Survey page hands over a scanned network.
constexpr int EDIT_SCANNED_NETWORK = 0x200;

} // namespace

TFrameProfile::TFrameProfile(QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameProfile>())
{
    ui->setupUi(this);
}

TFrameProfile::~TFrameProfile() = default;

void TFrameProfile::InitPage()
{
    LoadTexts(objectName());
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgFrProfile"));
}

void TFrameProfile::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    if (change == acAttach && adapter && !(flags & 1))
        m_Adapter = adapter;
    else if (change == acDetach)
        m_Adapter = nullptr;
}

bool TFrameProfile::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    if ((context & EDIT_SCANNED_NETWORK) && !m_Adapter)
        return false;
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

void TFrameProfile::ConnectLast()
{
    if (!m_Adapter || m_Adapter->EnableZeroCfg())
        return;
    TProfileList list;
    m_Adapter->GetProfileList(PROF_STATION, list);
    if (list.empty() || !m_Adapter->ReadSet(QStringLiteral("InitConnect"), true))
        return;
    const QString last = m_Adapter->GetLastProfile(PROF_STATION);
    const WLProfile* chosen = list.front().get();
    for (const auto& profile : list) {
        if (ProfileNameOf(*profile) == last) {
            chosen = profile.get();
            break;
        }
    }
    DebugPrint("Connect last => %s", qPrintable(ProfileNameOf(*chosen)));
    m_Adapter->Connect(*chosen);
}

int TFrameProfile::SaveProfile(int /*flags*/)
{
    return 0;
}

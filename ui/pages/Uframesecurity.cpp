#include "Uframesecurity.h"
#include "Ueditorpage.h"
#include "adaptercore/Corecodes.h"
#include "app/Ulabels.h"
#include "app/Uprofile.h"
#include "engine/Unicadapter.h"
#include "ui/Uwinutil.h"
#include "ui_Uframesecurity.h"

namespace {

const QString SECTION = QStringLiteral("FrameSecurity");

struct TSecurityChoice {
    int Method; // EncryptionMethod
    const char* Setting;
    bool AdHoc; // offered for ad hoc profiles too
};

// In the order of the list.
constexpr TSecurityChoice CHOICES[] = {
    {ToCode(TsrwlSecurity::Open), "EnableNone", true},
    {ToCode(TsrwlSecurity::Wep), "EnableWEP", true},
    {ToCode(TsrwlSecurity::Wpa), "EnableWPA", false},
    {ToCode(TsrwlSecurity::Wpa2), "EnableWPA2", false},
    {ToCode(TsrwlSecurity::WpaPsk), "EnableWPA_PSK", false},
    {ToCode(TsrwlSecurity::Wpa2Psk), "EnableWPA2_PSK", false},
    {ToCode(TsrwlSecurity::Dot1x), "EnableRADIUS", false},
};

// WPA and WPA2 stand in for each other, with 802.1x and with a pass phrase.
int SisterMethod(int method)
{
    switch (method) {
    case ToCode(TsrwlSecurity::Wpa):
        return ToCode(TsrwlSecurity::Wpa2);
    case ToCode(TsrwlSecurity::Wpa2):
        return ToCode(TsrwlSecurity::Wpa);
    case ToCode(TsrwlSecurity::WpaPsk):
        return ToCode(TsrwlSecurity::Wpa2Psk);
    case ToCode(TsrwlSecurity::Wpa2Psk):
        return ToCode(TsrwlSecurity::WpaPsk);
    default:
        return -1;
    }
}

} // namespace

TFrameSecurity::TFrameSecurity(WLProfile& profile, QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameSecurity>()), m_Profile(profile)
{
    ui->setupUi(this);
    setObjectName(SECTION);
}

TFrameSecurity::~TFrameSecurity() = default;

void TFrameSecurity::InitPage()
{
    SkinEditorPage(this, SECTION, ui->ImgBG, {ui->LbSecurity}, ui->BtnBack, ui->BtnNext, ui->BtnExit);
    SetTextColor(ui->LbSecuritySet, SKIN_HEADER_TEXT);
    ClearPage();
    TPropertyPageFrame::InitPage();
}

void TFrameSecurity::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    TrackStationAdapter(this, m_Adapter, adapter, change, flags);
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
}

void TFrameSecurity::FillSecurityTypes()
{
    QComboBox* combo = ui->CmbSecurity;
    combo->clear();
    if (!m_Adapter)
        return;
    const bool infrastructure = m_Profile.NetworkMode == 1;
    for (const TSecurityChoice& choice : CHOICES)
        if ((choice.AdHoc || infrastructure) && m_Adapter->ReadSet(QString::fromLatin1(choice.Setting), true))
            combo->addItem(SecurityText(choice.Method), choice.Method);
}

void TFrameSecurity::SelectSecurityType(int method)
{
    QComboBox* combo = ui->CmbSecurity;
    if (SelectComboByValue(combo, method) || SelectComboByValue(combo, SisterMethod(method)))
        return;
    combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
}

bool TFrameSecurity::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    FillSecurityTypes();
    SelectSecurityType(m_Profile.EncryptionMethod);
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

bool TFrameSecurity::LeavePage(TPropertyPageFrame* nextPage, int mode, int context)
{
    if (mode == pmForward) {
        WLProfile& profile = m_Profile;
        const int method = SelectedValue(ui->CmbSecurity, 0);
        if (method != profile.EncryptionMethod) {
            ResetSecurity(profile);
            profile.EncryptionMethod = method;
        }
    }
    return TPropertyPageFrame::LeavePage(nextPage, mode, context);
}

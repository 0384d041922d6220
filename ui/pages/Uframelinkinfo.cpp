#include "Uframelinkinfo.h"
#include "Ulinktexts.h"
#include "adaptercore/Corecodes.h"
#include "controls/Skinaccessible.h"
#include "app/Udebug.h"
#include "controls/Levelrow.h"
#include "app/Udefine.h"
#include "app/Uprofile.h"
#include "app/Ulabels.h"
#include "engine/Ucumlib.h"
#include "engine/Unicadapter.h"
#include "ui/Uformchart.h"
#include "Upageskin.h"
#include "ui/Uformres.h"
#include "ui/Uwinutil.h"
#include "ui_Uframelinkinfo.h"

#include <cstring>
#include <tuple>

namespace {

const QString SECTION = QStringLiteral("FrameLinkInfo");
// The refusal line: raised a little and made two lines high, in a type that fits two lines there.
constexpr int ERROR_LINE_RISE = 6;
constexpr int ERROR_LINE_GROWTH = 5;
constexpr int ERROR_LINE_PIXELS = 11;
// Right edges of the value labels of the left and right column.
constexpr int LEFT_COLUMN_EDGE = 321;
constexpr int RIGHT_COLUMN_EDGE = 585;
// The chart button ends here, flush with the right column's artwork.
constexpr int CHART_BUTTON_RIGHT = 567;
// Lamp sockets of the background picture.
constexpr int LAMP_COUNT = 10;
constexpr int SIGNAL_LAMP_X = 125;
constexpr int QUALITY_LAMP_X = 393;
constexpr int LAMP_PITCH = 15;
constexpr int LAMP_Y = 278;
constexpr size_t TEXT_BUFFER_SIZE = 260;
constexpr int IP_RELEASE_AND_RENEW = IP_RELEASE | IP_RENEW;

// QLabel::clear repaints the label even when it holds nothing, and the status reports clear some every two
// seconds: an empty one is left alone.
void ClearLabel(QLabel* label)
{
    if (!label->text().isEmpty())
        label->clear();
}

QString AuthenText(int method)
{
    switch (method) {
    case ToCode(TsrwlEapMethod::Tls):
        return CommonText(LT_AUTHEN_TLS);
    case ToCode(TsrwlEapMethod::Ttls):
        return CommonText(LT_AUTHEN_TTLS);
    case ToCode(TsrwlEapMethod::Peap):
        return CommonText(LT_AUTHEN_PEAP);
    case ToCode(TsrwlEapMethod::Leap):
        return CommonText(LT_AUTHEN_LEAP);
    case ToCode(TsrwlEapMethod::Md5):
        return CommonText(LT_AUTHEN_MD5);
    default:
        return QString();
    }
}

} // namespace

TFrameLinkInfo::TFrameLinkInfo(QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameLinkInfo>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("FrameLinkInfo"));
    m_SignalLamps = new TLevelRow(this);
    m_QualityLamps = new TLevelRow(this);
    // The background picture covers the whole page: nothing needs erasing before it is drawn.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(ui->BtnTChart, &QPushButton::clicked, this, &TFrameLinkInfo::BtnTChartClick);
}

TFrameLinkInfo::~TFrameLinkInfo() = default;

void TFrameLinkInfo::InitPage()
{
    TPropertyPageFrame::InitPage();
    LoadTexts(SECTION);
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgFrLink"));
    if (FormRes) {
        ui->BtnTChart->SetFaces(FormRes->Picture(QStringLiteral("ImgBtnTChart")));
        ui->BtnTChart->SetFacesDown(FormRes->Picture(QStringLiteral("ImgBtnTChart")));
        ui->BtnTChart->SetFacesOver(FormRes->Picture(QStringLiteral("ImgBtnTChartOn")));
        ui->BtnTChart->SetAutoShape(true);
    }
    ui->BtnTChart->move(CHART_BUTTON_RIGHT - ui->BtnTChart->width(), ui->BtnTChart->y());

    const QPixmap bullet =
        FormRes ? QPixmap::fromImage(FormRes->Picture(QStringLiteral("ImgMark"))) : QPixmap();
    const QList<QPair<QLabel*, TEllipsisLabel*>> left = {
        {ui->LbProfName, ui->LblProfName}, {ui->LbSSID, ui->LblSSID},     {ui->LbMAC, ui->LblMAC},
        {ui->LbNetType, ui->LblNetType},   {ui->LbTxRate, ui->LblTxRate}, {ui->LbSecurity, ui->LblSecurity},
        {ui->LbChannel, ui->LblChannel},   {ui->LbIP, ui->LblIP}};
    const QList<QPair<QLabel*, TEllipsisLabel*>> right = {{ui->LbTransRate, ui->LblTransRate},
                                                          {ui->LbRecvReate, ui->LblRecvReate},
                                                          {ui->LbAuthen, ui->LblAuthen},
                                                          {ui->LbNetMode, ui->LblNetMode},
                                                          {ui->LbTrans, ui->LblTrans},
                                                          {ui->LbRecv, ui->LblRecv},
                                                          {ui->LbLinkQuality, ui->LblLinkQuality}};
    for (const auto& [caption, value] : left) {
        if (!bullet.isNull())
            AddBullet(caption, bullet);
        FitLabel(caption, value, LEFT_COLUMN_EDGE);
    }
    for (const auto& [caption, value] : right)
        FitLabel(caption, value, RIGHT_COLUMN_EDGE);
    for (const auto& pairs : {left, right})
        for (const auto& [caption, value] : pairs) {
            SetTextColor(caption, SKIN_CAPTION_TEXT);
            SetTextColor(value, SKIN_VALUE_TEXT);
            value->SetEllipsisEnd(true);
        }
    SetTextColor(ui->LblConnectError, SKIN_VALUE_TEXT);
    // A reason is never cut: a long one (German) wraps onto a second line, in a smaller type, in the room
    // above the lamp rows.
    ui->LblConnectError->setWordWrap(true);
    ui->LblConnectError->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ui->LblConnectError->setGeometry(
        ui->LblConnectError->geometry().adjusted(0, -ERROR_LINE_RISE, 0, ERROR_LINE_GROWTH));
    QFont errorFont = ui->LblConnectError->font();
    errorFont.setPixelSize(ERROR_LINE_PIXELS);
    ui->LblConnectError->setFont(errorFont);
    for (QLabel* heading : {ui->LbStatus, ui->LbStatistics})
        SetTextColor(heading, SKIN_HEADER_TEXT);
    for (QLabel* caption : {ui->LbSignal, ui->LbQuality})
        SetTextColor(caption, SKIN_CAPTION_TEXT);
    ShrinkLabelFont(ui->LbStatistics);
    CreateLamps();
    ClearPage();
}

void TFrameLinkInfo::CreateLamps()
{
    const QPixmap light =
        FormRes ? QPixmap::fromImage(FormRes->Picture(QStringLiteral("ImgLight"))) : QPixmap();
    for (auto [row, caption, x] : {std::tuple{m_SignalLamps, ui->LbSignal, SIGNAL_LAMP_X},
                                   std::tuple{m_QualityLamps, ui->LbQuality, QUALITY_LAMP_X}}) {
        row->move(x, LAMP_Y);
        row->CreateLamps(LAMP_COUNT, LAMP_PITCH, light,
                         [x = x](int i) { return QStringLiteral("ImgLamp%1_%2").arg(x).arg(i); });
        row->setAccessibleName(caption->text());
        row->SetLevelFormat(g_Var.GetLangText(QStringLiteral("Accessible"), QStringLiteral("LevelOf"),
                                              QStringLiteral("%1 of %2")));
    }
}

void TFrameLinkInfo::ClearPage()
{
    TPropertyPageFrame::ClearPage();
    ShowDisconnected();
    ui->LblConnectError->clear();
    ui->BtnTChart->setEnabled(false);
    m_ShowProfile = false;
    m_Profile = WLProfile{};
    m_Connecting = false;
    ResetRateSample();
}

void TFrameLinkInfo::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
    if (FormChartSlot)
        FormChartSlot->ChartSetAdapter(adapter, change, flags);
    if (change == acAttach && adapter && !(flags & 1)) {
        m_Adapter = adapter;
        ui->BtnTChart->setEnabled(!adapter->EnableZeroCfg());
    } else if (change == acDetach) {
        ClearPage();
        m_Adapter = nullptr;
    }
}

void TFrameLinkInfo::AdapterEvent(CNICAdapter* adapter, int code, int value)
{
    TPropertyPageFrame::AdapterEvent(adapter, code, value);
    if (code == NM_SERVICE) {
        ui->LblConnectError->setText(ServiceText(value));
        return;
    }
    if (!m_Adapter)
        return;
    if (FormChartSlot)
        FormChartSlot->ChartAdapterEvent(adapter, code, value);
    switch (code) {
    case NM_STATUS:
        RefreshStatus();
        break;
    case NM_APPLYING:
        if (!(value & 1))
            ConnectStarted();
        break;
    case NM_CONNECT_FAILED:
        ShowConnectFailure();
        break;
    case NM_ZEROCFG:
        if (value == 1)
            ClearPage();
        else
            ui->BtnTChart->setEnabled(true);
        break;
    default:
        break;
    }
}

bool TFrameLinkInfo::UnderZeroCfg() const
{
    return m_Adapter && m_Adapter->EnableZeroCfg();
}

void TFrameLinkInfo::RefreshStatus()
{
    if (!m_Adapter || UnderZeroCfg())
        return;
    WLANStatus status{};
    m_Adapter->GetStatus(status);
    // Hidden (another tab, or the window in the tray), the page only notes the link coming up; what it shows
    // is brought up to date when it is shown again, so an idle program draws and lays out nothing.
    if (!isVisible()) {
        if (status.MediaState == 0)
            LinkUp();
        else if (!m_Connecting)
            ResetRateSample();
        return;
    }
    NetworkInfo network{};
    m_Adapter->GetNetInfo(network);
    if (status.MediaState != 0) {
        // Between applying a profile and the link coming up the applied profile stays shown.
        if (!m_Connecting) {
            ResetRateSample();
            ShowDisconnected();
        }
        return;
    }
    LinkUp();
    ShowStatus(status);
    ShowIP(network);
    ShowRates(status);
}

void TFrameLinkInfo::LinkUp()
{
    ClearLabel(ui->LblConnectError);
    if (!m_Connecting)
        return;
    m_Connecting = false;
    if (m_Adapter->ReadSet(QStringLiteral("AutoRenewIP"), true))
        m_Adapter->IPRenew(IP_RELEASE_AND_RENEW);
}

void TFrameLinkInfo::showEvent(QShowEvent* e)
{
    TPropertyPageFrame::showEvent(e);
    RefreshStatus();
}

void TFrameLinkInfo::ConnectStarted()
{
    m_Connecting = true;
    ResetRateSample();
    ShowDisconnected();
    ui->LblConnectError->clear();
    if (m_Adapter && m_Adapter->GetAppliedProfile(m_Profile))
        m_ShowProfile = true;
}

void TFrameLinkInfo::ShowConnectFailure()
{
    TConnectFailure failure;
    if (!m_Adapter || !m_Adapter->GetConnectFailure(failure))
        return;
    // The connect is over: the reports that follow show the link as it is.
    m_Connecting = false;
    ShowDisconnected();
    ui->LblConnectError->setText(ConnectFailureText(failure));
    // The focus stays where it is (on Chart, say): a reader hears the reason as an alert.
    AnnounceAlert(ui->LblConnectError);
}

void TFrameLinkInfo::ClearValues()
{
    for (QLabel* value : {ui->LblProfName, ui->LblSSID, ui->LblMAC, ui->LblNetType, ui->LblTxRate,
                          ui->LblSecurity, ui->LblChannel, ui->LblIP, ui->LblTransRate, ui->LblRecvReate,
                          ui->LblAuthen, ui->LblNetMode, ui->LblTrans, ui->LblRecv, ui->LblLinkQuality})
        ClearLabel(value);
}

void TFrameLinkInfo::ShowDisconnected()
{
    ClearValues();
    m_SignalLamps->SetLevel(0);
    m_QualityLamps->SetLevel(0);
}

int TFrameLinkInfo::LampCount(int dbm)
{
    return (SignalPercent(dbm) + 9) / 10;
}

void TFrameLinkInfo::ShowStatus(const WLANStatus& status)
{
    ShowAuthentication(status);
    ui->LblSSID->setText(SsidText(status.Ssid, status.SsidLength));
    ui->LblMAC->setText(MacText(status.Bssid));
    ui->LblNetType->setText(NetTypeText(status.NetworkType));
    ui->LblTxRate->setText(TxRateText(status.TxRate));
    ui->LblChannel->setText(QString::number(ChannelOf(status.Frequency)));
    const QString mode = DotModeText(status.DotMode);
    if (!mode.isEmpty())
        ui->LblNetMode->setText(mode);
    ui->LblTrans->setText(QString::number(status.TotalTransmitted));
    ui->LblRecv->setText(QString::number(status.TotalReceived));
    ui->LblLinkQuality->setText(QStringLiteral("%1 %2").arg(status.LinkQuality).arg(CommonText(LT_DBM)));
    m_SignalLamps->SetLevel(LampCount(status.Rssi));
    m_QualityLamps->SetLevel(LampCount(status.LinkQuality));
}

void TFrameLinkInfo::ShowAuthentication(const WLANStatus& status)
{
    if (!m_ShowProfile) {
        ui->LblSecurity->setText(SecurityText(int(status.Encryption)));
        ui->LblAuthen->setText(AuthModeText(status.AuthMode));
        return;
    }
    const QString name = ProfileNameOf(m_Profile);
    ui->LblProfName->setText(name == QLatin1String(EDITING_PROFILE_NAME) ? QString() : name);
    const int method = m_Profile.EncryptionMethod;
    ui->LblSecurity->setText(SecurityText(method));
    // Set once: clearing first would repaint the label with every status report.
    ui->LblAuthen->setText(ProfileAuthenText(status.AuthMode));
}

QString TFrameLinkInfo::ProfileAuthenText(uint32_t authMode) const
{
    switch (m_Profile.EncryptionMethod) {
    case ToCode(TsrwlSecurity::Open):
    case ToCode(TsrwlSecurity::Wep):
        return AuthModeText(authMode);
    case ToCode(TsrwlSecurity::WpaPsk):
    case ToCode(TsrwlSecurity::Wpa2Psk):
        return CommonText(LT_NONE);
    case ToCode(TsrwlSecurity::Wpa):
    case ToCode(TsrwlSecurity::Dot1x):
    case ToCode(TsrwlSecurity::Wpa2):
        return AuthenText(m_Profile.MS8021xAuthMode);
    default:
        return {};
    }
}

void TFrameLinkInfo::ShowIP(const NetworkInfo& network)
{
    char text[TEXT_BUFFER_SIZE] = {};
    if (g_TSLib.IsLoaded())
        g_TSLib.TSRWL_IPDataToStr(network.IpAddr, text);
    text[TEXT_BUFFER_SIZE - 1] = 0;
    ui->LblIP->setText(text[0] ? QString::fromLatin1(text) : QStringLiteral("0.0.0.0"));
}

void TFrameLinkInfo::ShowRates(const WLANStatus& status)
{
    const uint32_t now = TickCount();
    if (m_SampleTick != 0) {
        const uint32_t elapsed = now - m_SampleTick;
        const auto show = [](QLabel* label, uint64_t oldCount, uint64_t newCount, uint32_t ms) {
            const auto kbps = float(ThroughputKbps(oldCount, newCount, ms));
            label->setText(QString::asprintf("%.0f ", double(kbps)) + CommonText(LT_KBPS));
        };
        show(ui->LblTransRate, m_PrevTx, status.TxBytes, elapsed);
        show(ui->LblRecvReate, m_PrevRx, status.RxBytes, elapsed);
    }
    m_SampleTick = now;
    m_PrevTx = status.TxBytes;
    m_PrevRx = status.RxBytes;
}

void TFrameLinkInfo::BtnTChartClick()
{
    if (!m_Adapter || FormChartSlot)
        return;
    try {
        TFormChart chart(window());
        FormChartSlot = &chart;
        chart.ShowChart(window(), m_Adapter);
    } catch (const std::exception& e) {
        DebugPrint("Exception(TFrameLinkInfo::BtnTChartClick): %s", e.what());
    }
    FormChartSlot = nullptr;
}

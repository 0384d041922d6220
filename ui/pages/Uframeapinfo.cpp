#include "Uframeapinfo.h"
#include "Usoftapprofile.h"
#include "Ulinktexts.h"
#include "Ueditorpage.h"
#include "Upageskin.h"
#include "Upagetools.h"
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Uprofile.h"
#include "app/Ulabels.h"
#include "engine/Ucumlib.h"
#include "engine/Unicadapter.h"
#include "ui/Uformres.h"
#include "ui/Uwinutil.h"
#include "ui_Uframeapinfo.h"

#include <QHeaderView>

namespace {

const QString SECTION = QStringLiteral("FrameAPInfo");
constexpr int VALUE_RIGHT_EDGE = 321;
constexpr int REFRESH_BUTTON_RIGHT = 567;
constexpr size_t TEXT_BUFFER_SIZE = 260;
constexpr int IP_RELEASE_AND_RENEW = IP_RELEASE | IP_RENEW;

// The first column only carries the row; the stations are told apart by their address.
enum StationColumn { COL_HIDDEN = 0, COL_MAC = 1 };
constexpr int MAC_COLUMN_WIDTH = 200;

} // namespace

TFrameAPInfo::TFrameAPInfo(QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameAPInfo>())
{
    ui->setupUi(this);
    setObjectName(SECTION);
    // The background picture covers the whole page: nothing needs erasing before it is drawn.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(ui->BtnRefresh, &QPushButton::clicked, this, &TFrameAPInfo::BtnRefreshClick);
    connect(ui->LvMAC, &TSortLv::ColumnClick, this, &TFrameAPInfo::SortLv1ColumnClick);
}

TFrameAPInfo::~TFrameAPInfo() = default;

void TFrameAPInfo::InitPage()
{
    LoadTexts(SECTION);
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgFrAPInfo"));
    SetButtonRow({{ui->BtnRefresh, "ImgBtnRefresh"}}, REFRESH_BUTTON_RIGHT);
    TSortLv* lv = ui->LvMAC;
    // The style's smallest section would show the first column as an empty strip before every address.
    lv->header()->setMinimumSectionSize(0);
    SetUpReportList(lv, {0, MAC_COLUMN_WIDTH}, COL_MAC);
    lv->header()->setSectionResizeMode(COL_HIDDEN, QHeaderView::Fixed);
    // The rows carry no picture; the empty image list only sets their height.
    if (FormRes)
        lv->setIconSize(QSize(FormRes->ImgsNull.Width(), FormRes->ImgsNull.Height()));
    lv->header()->setMaximumSectionSize(MAC_COLUMN_WIDTH);

    const QList<QPair<QLabel*, TEllipsisLabel*>> pairs = {
        {ui->LbSSID, ui->LblSSID},     {ui->LbChannel, ui->LblChannel},
        {ui->LbTxRate, ui->LblTxRate}, {ui->LbSecurity, ui->LblSecurity},
        {ui->LbMAC, ui->LblMAC},       {ui->LbPower, ui->LblPower},
        {ui->LbIP, ui->LblIP}};
    for (const auto& [caption, value] : pairs) {
        AddCaptionBullets(this, {caption});
        FitLabel(caption, value, VALUE_RIGHT_EDGE);
        SetTextColor(caption, SKIN_CAPTION_TEXT);
        SetTextColor(value, SKIN_VALUE_TEXT);
        value->SetEllipsisEnd(true);
    }
    for (QLabel* heading : {ui->LbStatus, ui->LbAssoc})
        SetTextColor(heading, SKIN_HEADER_TEXT);
    ShrinkLabelFont(ui->LbAssoc);
    ClearPage();
    TPropertyPageFrame::InitPage();
}

void TFrameAPInfo::ClearPage()
{
    TPropertyPageFrame::ClearPage();
    ui->BtnRefresh->setEnabled(false);
    ClearValues();
    ClearStations();
    m_Renew = false;
}

void TFrameAPInfo::ClearValues()
{
    for (QLabel* value :
         {ui->LblSSID, ui->LblChannel, ui->LblTxRate, ui->LblSecurity, ui->LblMAC, ui->LblPower, ui->LblIP})
        value->clear();
}

void TFrameAPInfo::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
    if (change == acAttach && adapter && (flags & 1)) {
        m_Adapter = adapter;
        CSoftAPProfile::InWindowOf(this).Take(*adapter);
        ui->BtnRefresh->setEnabled(!adapter->EnableZeroCfg());
    } else if (change == acDetach) {
        ClearPage();
        m_Adapter = nullptr;
    }
}

void TFrameAPInfo::AdapterEvent(CNICAdapter* adapter, int code, int value)
{
    TPropertyPageFrame::AdapterEvent(adapter, code, value);
    if (code == NM_ATTACHED)
        CSoftAPProfile::InWindowOf(this).AdapterAttached();
    if (!m_Adapter)
        return;
    if (code == NM_STATUS) {
        UpdateAPInfo();
    } else if (code == NM_APPLYING && (value & 1)) {
        ResetAPInfo();
    } else if (code == NM_ZEROCFG) {
        if (value == 1)
            ClearPage();
        else
            ui->BtnRefresh->setEnabled(true);
    }
}

void TFrameAPInfo::ConnectLast()
{
    if (!m_Adapter || !m_Adapter->ReadSet(QStringLiteral("InitConnect"), true))
        return;
    const WLProfile& profile = CSoftAPProfile::InWindowOf(this).Profile();
    DebugPrint("Connect last => %s", qPrintable(ProfileNameOf(profile)));
    m_Adapter->Connect(profile);
}

void TFrameAPInfo::UpdateAPInfo()
{
    if (!m_Adapter || m_Adapter->EnableZeroCfg())
        return;
    WLANStatus status{};
    NetworkInfo network{};
    m_Adapter->GetStatus(status);
    m_Adapter->GetNetInfo(network);
    // While the access point is down the last values stay shown.
    if (status.MediaState == 1)
        return;
    if (m_Renew) {
        m_Renew = false;
        if (m_Adapter->ReadSet(QStringLiteral("AutoRenewIP"), true))
            m_Adapter->IPRenew(IP_RELEASE_AND_RENEW);
    }
    ui->LblSSID->setText(SsidText(status.Ssid, status.SsidLength));
    ui->LblChannel->setText(QString::number(ChannelOf(status.Frequency)));
    ui->LblTxRate->setText(TxRateText(status.TxRate));
    ui->LblSecurity->setText(SecurityText(int(status.Encryption)));
    ui->LblMAC->setText(m_Adapter->MacAddress());
    const QString power = PowerText(status.TxPower);
    if (!power.isEmpty())
        ui->LblPower->setText(power);
    char ip[TEXT_BUFFER_SIZE] = {};
    if (g_TSLib.IsLoaded())
        g_TSLib.TSRWL_IPDataToStr(network.IpAddr, ip);
    ip[TEXT_BUFFER_SIZE - 1] = 0;
    ui->LblIP->setText(ip[0] ? QString::fromLatin1(ip) : QStringLiteral("0.0.0.0"));
    UpdateStationList();
}

void TFrameAPInfo::UpdateStationList()
{
    if (!m_Adapter)
        return;
    // Asked on the worker, which may hold the library for seconds while it applies a profile. A list asked
    // before the page was emptied belongs to what was emptied and is dropped.
    const int generation = m_ListGeneration;
    m_Adapter->Request(
        this,
        [](CNICAdapter& adapter) {
            TStationList stations;
            adapter.GetStationList(stations);
            return stations;
        },
        [this, generation](const TStationList& stations) {
            if (m_Adapter && generation == m_ListGeneration)
                ShowStations(stations);
        });
}

void TFrameAPInfo::ShowStations(const TStationList& stations)
{
    QStringList joined;
    joined.reserve(qsizetype(stations.size()));
    for (const TMacAddress& mac : stations)
        joined << MacText(mac.data());
    TSortLv* lv = ui->LvMAC;
    for (int i = lv->topLevelItemCount() - 1; i >= 0; --i) {
        const qsizetype found = joined.indexOf(lv->topLevelItem(i)->text(COL_MAC));
        if (found < 0)
            delete lv->takeTopLevelItem(i);
        else
            joined.removeAt(found);
    }
    for (const QString& mac : joined) {
        auto* item = new QTreeWidgetItem(lv);
        item->setText(COL_MAC, mac);
        item->setTextAlignment(COL_MAC, Qt::AlignCenter);
    }
    SortStations();
}

void TFrameAPInfo::ResetAPInfo()
{
    m_Renew = true;
    ClearValues();
    ClearStations();
}

void TFrameAPInfo::BtnRefreshClick()
{
    ClearStations();
}

void TFrameAPInfo::ClearStations()
{
    ++m_ListGeneration;
    ui->LvMAC->clear();
}

void TFrameAPInfo::SortLv1ColumnClick(int column)
{
    if (column != COL_HIDDEN)
        SortStations();
}

void TFrameAPInfo::SortStations()
{
    SortByColumnText(ui->LvMAC);
}

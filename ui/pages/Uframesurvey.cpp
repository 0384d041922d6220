#include "Uframesurvey.h"
#include "Uframeprofset.h"
#include "Ulinktexts.h"
#include "adaptercore/Corecodes.h"
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Uprofile.h"
#include "app/Ulabels.h"
#include "app/Unotifyevent.h"
#include "engine/Unicadapter.h"
#include "Upageskin.h"
#include "Upagetools.h"
#include "ui/Uformres.h"
#include "ui/Ukeyboard.h"
#include "ui/Uwinutil.h"
#include "ui_Uframesurvey.h"

#include <QDateTime>
#include <algorithm>
#include <cstring>

namespace {

const QString SECTION = QStringLiteral("FrameSurvey");
constexpr int VALUE_RIGHT_EDGE = 585;
// The connect button ends here, under the list's right edge; the scan button sits 8 pixels left of it.
constexpr int CONNECT_BUTTON_RIGHT = 317;
// The adapter has collected its scan by then.
constexpr int SURVEY_WAIT_MS = 3000;
// Entering with this context value (a page asked for the list) does not scan again.
constexpr int CONTEXT_NO_SCAN = 0x400;

enum SiteColumn { COL_ICON = 0, COL_SSID = 1, COL_CHANNEL = 2, COL_SIGNAL = 3 };

// Extra value of NM_EDIT_SCANNED: the Profile page opens the editor on the network handed over.
constexpr int CONTEXT_SCANNED_NETWORK = 512;

template <class T> int Sign(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// A row of the list; it owns its site entry.
class TSiteItem : public QTreeWidgetItem {
public:
    explicit TSiteItem(const TSSiteEntry& entry) : Entry(entry) {}
    TSSiteEntry Entry;
};

} // namespace

TFrameSurvey::TFrameSurvey(QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameSurvey>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("FrameSurvey"));
    // The background picture covers the whole page: nothing needs erasing before it is drawn.
    setAttribute(Qt::WA_OpaquePaintEvent);
    TimerSurvey.setObjectName(QStringLiteral("TimerSurvey"));
    TimerSurvey.setInterval(SURVEY_WAIT_MS);
    TimerSurvey.setSingleShot(true);
    connect(&TimerSurvey, &QTimer::timeout, this, &TFrameSurvey::TimerSurveyTimer);
    connect(ui->BtnScan, &QPushButton::clicked, this, &TFrameSurvey::BtnScanClick);
    connect(ui->BtnConnect, &QPushButton::clicked, this, &TFrameSurvey::BtnConnectClick);
    connect(ui->LvSite, &TSortLv::ColumnClick, this, &TFrameSurvey::LvSiteColumnClick);
    connect(ui->LvSite, &QTreeWidget::itemSelectionChanged, this, &TFrameSurvey::LvSiteSelectItem);
    connect(ui->LvSite, &QTreeWidget::itemDoubleClicked, this, &TFrameSurvey::BtnConnectClick);
}

TFrameSurvey::~TFrameSurvey() = default;

void TFrameSurvey::InitPage()
{
    TPropertyPageFrame::InitPage();
    LoadTexts(SECTION);
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgSurvey"));
    SetButtonRow({{ui->BtnConnect, "ImgBtnConnect"}, {ui->BtnScan, "ImgBtnScan"}}, CONNECT_BUTTON_RIGHT);
    SetUpReportList(ui->LvSite, {46, 100, 62, 59}, COL_SIGNAL);
    ui->LvSite->SetIncrease(false);

    const QList<QPair<QLabel*, QLabel*>> pairs = {
        {ui->LbNetType, ui->LblNetType}, {ui->LbWlMode, ui->LblWlMode}, {ui->LbChannel, ui->LblChannel},
        {ui->LbEncry, ui->LblEncry},     {ui->LbMAC, ui->LblMAC},       {ui->LbTime, ui->LblTime}};
    for (const auto& [caption, value] : pairs) {
        FitLabel(caption, value, VALUE_RIGHT_EDGE);
        SetTextColor(caption, SKIN_CAPTION_TEXT);
        SetTextColor(value, SKIN_VALUE_TEXT);
    }
    SetTextColor(ui->LbNetList, SKIN_HEADER_TEXT);
    SetTextColor(ui->LbSiteInfo, SKIN_VALUE_TEXT);
    ShrinkLabelFont(ui->LbSiteInfo);
    QPalette plain = ui->PlSearch->palette();
    plain.setColor(QPalette::Window, Qt::white);
    plain.setColor(QPalette::WindowText, SKIN_VALUE_TEXT);
    ui->PlSearch->setPalette(plain);
    ClearPage();
}

void TFrameSurvey::DonePage()
{
    TPropertyPageFrame::DonePage();
    ClearList();
}

void TFrameSurvey::ClearPage()
{
    TPropertyPageFrame::ClearPage();
    TimerSurvey.stop();
    m_Status = WLANStatus{};
    ClearList();
    ui->LblTime->clear();
    ui->BtnScan->setEnabled(false);
    ui->BtnConnect->setEnabled(false);
    ui->PlSearch->hide();
}

void TFrameSurvey::ClearList()
{
    ui->LvSite->clear();
    ClearSiteInfo();
}

bool TFrameSurvey::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    if (!(context & CONTEXT_NO_SCAN) && m_Adapter && ui->BtnScan->isEnabled())
        ui->BtnScan->click();
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

void TFrameSurvey::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
    if (change == acAttach && adapter && !(flags & 1)) {
        m_Adapter = adapter;
        m_ZeroCfg = adapter->EnableZeroCfg();
        // The adapter scans when it starts; the first list is fetched from that scan.
        if (!m_ZeroCfg) {
            TimerSurvey.start();
            ui->PlSearch->show();
        }
    } else if (change == acDetach) {
        ClearPage();
        m_Adapter = nullptr;
    }
}

void TFrameSurvey::AdapterEvent(CNICAdapter* adapter, int code, int value)
{
    TPropertyPageFrame::AdapterEvent(adapter, code, value);
    if (!m_Adapter)
        return;
    if (code == NM_ZEROCFG) {
        m_ZeroCfg = value == 1;
        if (m_ZeroCfg)
            ClearPage();
        else
            BtnScanClick();
    } else if (code == NM_STATUS) {
        MarkConnected();
    }
}

void TFrameSurvey::BtnScanClick()
{
    if (!m_Adapter || m_ZeroCfg)
        return;
    DisableKeepingFocus(ui->BtnScan, ui->LvSite);
    ClearList();
    ui->LblTime->clear();
    ui->PlSearch->show();
    // On the adapter's worker, like the fetch below: a connect may hold the library for seconds.
    m_Adapter->Queue([](CNICAdapter& adapter) { adapter.StartSiteSurvey(); });
    TimerSurvey.start();
}

void TFrameSurvey::TimerSurveyTimer()
{
    TimerSurvey.stop();
    FetchSiteList(
        this, m_Adapter, [this](const TSiteList& list) { ShowSiteList(list); }, [this] { ScanEnded(); });
}

void TFrameSurvey::ScanEnded()
{
    ui->PlSearch->hide();
    ui->BtnScan->setEnabled(true);
}

void TFrameSurvey::ShowSiteList(const TSiteList& list)
{
    DebugPrint("TFrameSurvey::ShowSiteList()");
    TSortLv* lv = ui->LvSite;
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(list.size()));
    for (const TSSiteEntry& entry : list) {
        auto* item = new TSiteItem(entry);
        item->setText(COL_SSID, SsidText(entry.Ssid, entry.SsidLength));
        item->setText(COL_CHANNEL, QString::number(ChannelOf(entry.Frequency)));
        item->setText(COL_SIGNAL, QString::asprintf("%d%%", SignalPercent(entry.Rssi)));
        if (FormRes)
            item->setIcon(COL_ICON,
                          FormRes->ImgsType.Icon(KindImageIndex(entry.Security, entry.NetworkMode)));
        // The lock in the picture, in words.
        item->setToolTip(COL_ICON, SiteSecurityText(entry.Security));
        for (int column : {COL_SSID, COL_CHANNEL, COL_SIGNAL})
            item->setTextAlignment(column, Qt::AlignCenter);
        items << item;
    }
    lv->addTopLevelItems(items);
    SortSites();
    PaintConnected();
    if (lv->topLevelItemCount() > 0)
        lv->setCurrentItem(lv->topLevelItem(0));
    FocusList("ShowSiteList");
    ui->LblTime->setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
}

void TFrameSurvey::FocusList(const char* method)
{
    try {
        // A person walking the tab row keeps the focus there.
        if (ui->LvSite->isEnabled() && parentWidget() && parentWidget()->isVisible() &&
            !FocusOnTabList(window()))
            ui->LvSite->setFocus();
    } catch (const std::exception& e) {
        DebugPrint("Exception(TFrameSurvey::%s): %s", method, e.what());
    }
}

const TSSiteEntry& TFrameSurvey::EntryOf(const QTreeWidgetItem* item)
{
    return static_cast<const TSiteItem*>(item)->Entry;
}

int TFrameSurvey::LvSiteCompare(const QTreeWidgetItem* a, const QTreeWidgetItem* b) const
{
    const TSSiteEntry& ea = EntryOf(a);
    const TSSiteEntry& eb = EntryOf(b);
    int result = 0;
    switch (ui->LvSite->SortColunm()) {
    case COL_CHANNEL:
        result = Sign(ChannelOf(ea.Frequency), ChannelOf(eb.Frequency));
        break;
    case COL_SIGNAL:
        result = Sign(ea.Rssi, eb.Rssi);
        break;
    case COL_SSID:
        result = Sign(QString::compare(a->text(COL_SSID), b->text(COL_SSID), Qt::CaseInsensitive), 0);
        break;
    default:
        result = Sign(QString::compare(a->text(COL_ICON), b->text(COL_ICON), Qt::CaseInsensitive), 0);
        break;
    }
    return ui->LvSite->Increase() ? result : -result;
}

void TFrameSurvey::SortSites()
{
    SortListItems(ui->LvSite, [this](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        return LvSiteCompare(a, b) < 0;
    });
}

void TFrameSurvey::LvSiteColumnClick(int column)
{
    if (column != COL_ICON)
        SortSites();
}

void TFrameSurvey::LvSiteSelectItem()
{
    const QList<QTreeWidgetItem*> selected = ui->LvSite->selectedItems();
    if (selected.isEmpty()) {
        ClearSiteInfo();
        return;
    }
    ShowSiteInfo(EntryOf(selected.first()));
    ui->BtnConnect->setEnabled(!m_ZeroCfg);
}

void TFrameSurvey::ShowSiteInfo(const TSSiteEntry& entry)
{
    ui->LblNetType->setText(NetTypeText(entry.NetworkMode));
    ui->LblWlMode->setText(DotModeText(entry.NetworkType));
    ui->LblChannel->setText(QString::number(ChannelOf(entry.Frequency)));
    ui->LblEncry->setText(SiteSecurityText(entry.Security));
    ui->LblMAC->setText(MacText(entry.Bssid));
}

void TFrameSurvey::ClearSiteInfo()
{
    for (QLabel* value : {ui->LblNetType, ui->LblWlMode, ui->LblChannel, ui->LblEncry, ui->LblMAC})
        value->clear();
    ui->BtnConnect->setEnabled(false);
}

const QColor& TFrameSurvey::ConnectedColor()
{
    return AppliedRowColor();
}

void TFrameSurvey::MarkConnected()
{
    if (!m_Adapter || m_ZeroCfg)
        return;
    WLANStatus status{};
    m_Adapter->GetStatus(status);
    if (status.MediaState == 1)
        status = WLANStatus{};
    if (std::memcmp(status.Bssid, m_Status.Bssid, sizeof status.Bssid) == 0)
        return;
    m_Status = status;
    PaintConnected();
}

void TFrameSurvey::PaintConnected()
{
    static const uint8_t none[sizeof m_Status.Bssid] = {};
    const bool connected = std::memcmp(m_Status.Bssid, none, sizeof none) != 0;
    PaintMarkedRows(
        ui->LvSite,
        [this, connected](const QTreeWidgetItem* item) {
            return connected && std::memcmp(EntryOf(item).Bssid, m_Status.Bssid, sizeof m_Status.Bssid) == 0;
        },
        g_Var.GetLangText(QStringLiteral("Accessible"), QStringLiteral("ConnectedRow"),
                          QStringLiteral("Connected")));
}

void TFrameSurvey::BtnConnectClick()
{
    FocusList("BtnConnectClick");
    const QList<QTreeWidgetItem*> selected = ui->LvSite->selectedItems();
    if (selected.isEmpty() || !m_Adapter || m_ZeroCfg)
        return;
    WLProfile profile{};
    m_Adapter->SiteToProfile(EntryOf(selected.first()), profile);
    // Whole fields are written so that nothing of the default profile's name stays behind the new one.
    std::memset(profile.ProfileName, 0, sizeof profile.ProfileName);
    std::memset(profile.NetInfo.sz_CurProfile, 0, sizeof profile.NetInfo.sz_CurProfile);
    qstrncpy(profile.ProfileName, EDITING_PROFILE_NAME, sizeof profile.ProfileName);
    qstrncpy(profile.NetInfo.sz_CurProfile, EDITING_PROFILE_NAME, sizeof profile.NetInfo.sz_CurProfile);
    if (profile.EncryptionMethod != ToCode(TsrwlSecurity::Open)) {
        // The editor asks for the network's security; without one in the window nothing can be asked.
        TFrameProfSet* editor = TFrameProfSet::InWindowOf(this);
        if (!editor) {
            DebugPrint("TFrameSurvey::BtnConnectClick: no profile editor");
            return;
        }
        editor->Profile() = profile;
        SendNotify(window(), NM_EDIT_SCANNED, CONTEXT_SCANNED_NETWORK);
    } else {
        m_Adapter->Connect(profile);
        PostNotify(window(), NM_SHOW_PAGE, PAGE_LINK_INFO);
    }
}

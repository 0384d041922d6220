#include "Uframenettype.h"
#include "Ueditorpage.h"
#include "Ulinktexts.h"
#include "Upageskin.h"
#include "Upagetools.h"
#include "app/Udefine.h"
#include "app/Ulabels.h"
#include "app/Uprofile.h"
#include "app/Uutility.h"
#include "engine/Unicadapter.h"
#include "ui/Uformres.h"
#include "ui/Uwinutil.h"
#include "ui_Uframenettype.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <algorithm>
#include <cstring>
#include <utility>

namespace {

const QString SECTION = QStringLiteral("FrameNetType");
constexpr int EXIT_RIGHT = 317;
constexpr int SELECT_RIGHT = 559;
constexpr int TYPE_TEXT_RIGHT = 329;
constexpr int SCAN_WAIT_MS = 3000;
constexpr int NAME_CHARS = 64;
constexpr int SSID_CHARS = 32;
constexpr int INFRASTRUCTURE = 1;
enum SiteColumn { COL_ICON = 0, COL_SSID = 1, COL_SIGNAL = 2, COL_CHANNEL = 3 };
constexpr int ICON_COLUMN_WIDTH = 46;
constexpr int FULL_SIGNAL = 100;
constexpr int WIDEST_CHANNEL = 165;

// A row of the scan list; it owns its site entry.
class TSiteRow : public QTreeWidgetItem {
public:
    explicit TSiteRow(const TSSiteEntry& entry) : Entry(entry) {}
    TSSiteEntry Entry;
};

const TSSiteEntry& EntryOf(const QTreeWidgetItem* item)
{
    return static_cast<const TSiteRow*>(item)->Entry;
}

QString SignalText(int percent)
{
    return QString::asprintf("%d%%", percent);
}

// Signal and channel take what their captions, sort arrow included, and their widest values need in the
// language shown; the network name takes the rest of the list's width beside the scroll bar, or what the
// longest name listed needs.
void FitScanColumns(TSortLv* list)
{
    const QFontMetrics metrics(list->font());
    const int cellMargins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    int rest = list->width() - 2 * list->frameWidth() -
               list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list) - ICON_COLUMN_WIDTH;
    for (const auto& [column, widest] : {std::pair{COL_SIGNAL, SignalText(FULL_SIGNAL)},
                                         std::pair{COL_CHANNEL, QString::number(WIDEST_CHANNEL)}}) {
        const int width =
            std::max(list->CaptionWidth(column), metrics.horizontalAdvance(widest) + cellMargins);
        list->setColumnWidth(column, width);
        rest -= width;
    }
    // A name longer than that is shown whole; the list then scrolls sideways.
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rest = std::max(rest, metrics.horizontalAdvance(list->topLevelItem(i)->text(COL_SSID)) + cellMargins);
    list->setColumnWidth(COL_SSID, rest);
}

} // namespace

TFrameNetType::TFrameNetType(WLProfile& profile, QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameNetType>()), m_Profile(profile)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
    TimerSurvey.setObjectName(QStringLiteral("TimerSurvey"));
    TimerSurvey.setInterval(SCAN_WAIT_MS);
    TimerSurvey.setSingleShot(true);
    connect(&TimerSurvey, &QTimer::timeout, this, &TFrameNetType::TimerSurveyTimer);
    connect(ui->BtnScan, &QPushButton::clicked, this, &TFrameNetType::BtnScanClick);
    connect(ui->BtnSelect, &QPushButton::clicked, this, &TFrameNetType::BtnSelectClick);
    connect(ui->LvSite, &TSortLv::ColumnClick, this, &TFrameNetType::LvSiteColumnClick);
    connect(ui->LvSite, &QTreeWidget::itemSelectionChanged, this, &TFrameNetType::LvSiteSelectItem);
    connect(ui->LvSite, &QTreeWidget::currentItemChanged, this, &TFrameNetType::LvSiteSelectItem);
    ui->LvSite->installEventFilter(this);
    ui->LbInfra->installEventFilter(this);
    ui->LbAdHoc->installEventFilter(this);
}

TFrameNetType::~TFrameNetType() = default;

void TFrameNetType::InitPage()
{
    LoadTexts(SECTION);
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgFrProfile"));
    SetTextColor(ui->LbEdtMode, SKIN_HEADER_TEXT);
    for (QLabel* caption : {ui->LbInfra, ui->LbAdHoc})
        SetTextColor(caption, SKIN_CAPTION_TEXT);
    for (QLabel* text : std::initializer_list<QLabel*>{ui->LblInfra, ui->LblAdHoc, ui->LbScan})
        SetTextColor(text, SKIN_VALUE_TEXT);
    AddCaptionBullets(this, {ui->LbName, ui->LbSSID, ui->LbNetType});
    SetButtonRow({{ui->BtnExit, "ImgBtnExit"}, {ui->BtnNext, "ImgBtnNext"}}, EXIT_RIGHT);
    SetButtonRow({{ui->BtnSelect, "ImgBtnSelect"}, {ui->BtnScan, "ImgBtnScan"}}, SELECT_RIGHT);
    FitLabel(ui->LbInfra, ui->LblInfra, TYPE_TEXT_RIGHT);
    FitLabel(ui->LbAdHoc, ui->LblAdHoc, TYPE_TEXT_RIGHT);
    ShrinkLabelFont(ui->LbScan);
    // Signal and channel tell apart the access points of one network name.
    SetUpReportList(ui->LvSite, {ICON_COLUMN_WIDTH, 0, 0, 0}, COL_SSID);
    FitScanColumns(ui->LvSite);
    QPalette plain = ui->PlSearch->palette();
    plain.setColor(QPalette::Window, Qt::white);
    plain.setColor(QPalette::WindowText, SKIN_VALUE_TEXT);
    ui->PlSearch->setPalette(plain);
    ClearPage();
    TPropertyPageFrame::InitPage();
}

void TFrameNetType::DonePage()
{
    ui->LvSite->clear();
    TPropertyPageFrame::DonePage();
}

void TFrameNetType::ClearPage()
{
    TimerSurvey.stop();
    m_Status = WLANStatus{};
    ui->LvSite->clear();
    ui->BtnScan->setEnabled(false);
    ui->BtnSelect->setEnabled(false);
    ui->PlSearch->hide();
    ui->EdtName->clear();
    ui->EdtSSID->clear();
    m_Adapter = nullptr;
    TPropertyPageFrame::ClearPage();
}

bool TFrameNetType::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    if (mode == pmForward && m_Adapter && ui->BtnScan->isEnabled())
        BtnScanClick();
    m_Flags = context;
    ui->LbEdtMode->setText(
        (context & 0x100)
            ? g_Var.GetLangText(SECTION, QStringLiteral("LbEdt"), QStringLiteral("Edit Profile"))
            : g_Var.GetLangText(SECTION, QStringLiteral("LbAdd"), QStringLiteral("Add New Profile")));
    ui->EdtName->setText(ProfileNameOf(m_Profile));
    ShowNetwork();
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

void TFrameNetType::ShowNetwork()
{
    const WLProfile& p = m_Profile;
    ui->EdtSSID->setText(BytesText(p.Ssid1, sizeof p.Ssid1));
    if (p.NetworkMode == INFRASTRUCTURE)
        ui->RBtnInfra->setChecked(true);
    else
        ui->RBtnAdHoc->setChecked(true);
}

bool TFrameNetType::LeavePage(TPropertyPageFrame* nextPage, int mode, int context)
{
    if (mode != pmForward)
        return TPropertyPageFrame::LeavePage(nextPage, mode, context);
    const QString name = ui->EdtName->text().left(NAME_CHARS);
    if (!CheckProfileName(name))
        return false;
    const QString ssid = ui->EdtSSID->text().left(SSID_CHARS);
    if (ssid.isEmpty()) {
        ShowPageMessage(this, "ErEmySSID", "SSID can't be empty!");
        return false;
    }
    // Stored as text ended by a NUL, which would cut it there.
    if (ssid.contains(QChar::Null)) {
        ShowPageMessage(this, "ErCtrlSSID", "The SSID cannot hold a NUL character. Please enter it again.");
        return false;
    }
    PresetSecurity(ssid);
    WLProfile& p = m_Profile;
    StoreEditedText(p.ProfileName, sizeof p.ProfileName, name, NAME_CHARS);
    std::memset(p.NetInfo.sz_CurProfile, 0, sizeof p.NetInfo.sz_CurProfile);
    std::memcpy(p.NetInfo.sz_CurProfile, p.ProfileName, sizeof p.ProfileName);
    StoreEditedText(p.Ssid1, sizeof p.Ssid1, ssid, SSID_CHARS);
    p.NetworkMode = ui->RBtnInfra->isChecked() ? INFRASTRUCTURE : 0;
    if (m_Adapter) {
        if (p.NetworkMode == INFRASTRUCTURE) {
            p.AdHocBand = m_Adapter->DefProfile().AdHocBand;
            p.Channel = m_Adapter->DefProfile().Channel;
        } else {
            p.ABGMode = m_Adapter->SupportMode();
        }
    }
    return TPropertyPageFrame::LeavePage(nextPage, mode, context);
}

void TFrameNetType::PresetSecurity(const QString& ssid)
{
    WLProfile& p = m_Profile;
    // Only a name the user typed: Select, or the edited profile's own name, brought its settings already.
    if (!m_Adapter || ssid == BytesText(p.Ssid1, sizeof p.Ssid1))
        return;
    const QTreeWidgetItem* strongest = nullptr;
    for (int i = 0; i < ui->LvSite->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = ui->LvSite->topLevelItem(i);
        if (row->text(COL_SSID) == ssid && (!strongest || EntryOf(row).Rssi > EntryOf(strongest).Rssi))
            strongest = row;
    }
    if (!strongest)
        return;
    WLProfile scanned{};
    m_Adapter->SiteToProfile(EntryOf(strongest), scanned);
    // A new security type starts from its defaults, as the security page would make it.
    if (scanned.EncryptionMethod != p.EncryptionMethod) {
        ResetSecurity(p);
        p.EncryptionMethod = scanned.EncryptionMethod;
    }
    p.WPAEncryptionType = scanned.WPAEncryptionType;
    p.WEPEncryptionLevel = scanned.WEPEncryptionLevel;
}

bool TFrameNetType::CheckProfileName(const QString& name)
{
    if (name.isEmpty()) {
        ShowPageMessage(this, "ErEmyProfName", "Profile Name can't be empty!");
        return false;
    }
    // A NUL would cut the stored name, a line break or another control character break the settings file
    // and the lists that show it.
    if (std::any_of(name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; })) {
        ShowPageMessage(this, "ErCtrlProfName",
                        "A profile name cannot hold control characters such as a line break or a NUL. Please "
                        "enter another name.");
        return false;
    }
    if (name == QLatin1String(EDITING_PROFILE_NAME) || (m_Adapter && name == m_Adapter->DefAPProfName())) {
        ShowPageMessage(this, "ErSysProfName",
                        "This profile name is used by the system. Please enter a different name.");
        return false;
    }
    const bool keepsOwnName = (m_Flags & 0x100) && name == m_EditName;
    if (m_Adapter && m_Adapter->ProfileExists(name) && !keepsOwnName) {
        ShowPageMessage(this, "ErSamProfName", "%s already exists. Please enter another name.", PM_WARNING,
                        QLatin1Char('\'') + name + QLatin1Char('\''));
        return false;
    }
    return true;
}

void TFrameNetType::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    if (change == acAttach && adapter && !(flags & 1)) {
        m_Adapter = adapter;
        // The adapter's current list is fetched a little later, without a scan of its own.
        TimerSurvey.start();
        ui->PlSearch->show();
    } else if (change == acDetach) {
        ClearPage();
    }
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
}

void TFrameNetType::AdapterEvent(CNICAdapter* adapter, int code, int value)
{
    if (m_Adapter && code == 3)
        MarkAssociated();
    TPropertyPageFrame::AdapterEvent(adapter, code, value);
}

void TFrameNetType::BtnScanClick()
{
    if (!m_Adapter)
        return;
    DisableKeepingFocus(ui->BtnScan, ui->LvSite);
    ui->LvSite->clear();
    ui->PlSearch->show();
    // On the adapter's worker, like the fetch below: a connect may hold the library for seconds.
    m_Adapter->Queue([](CNICAdapter& adapter) { adapter.StartSiteSurvey(); });
    TimerSurvey.start();
}

void TFrameNetType::TimerSurveyTimer()
{
    TimerSurvey.stop();
    FetchSiteList(
        this, m_Adapter, [this](const TSiteList& list) { FillSiteList(list); },
        [this] { ShowSearchEnded(); });
}

void TFrameNetType::ShowSearchEnded()
{
    ui->PlSearch->hide();
    ui->BtnScan->setEnabled(true);
}

void TFrameNetType::FillSiteList(const std::vector<TSSiteEntry>& list)
{
    ui->LvSite->clear();
    QList<QTreeWidgetItem*> rows;
    for (const TSSiteEntry& entry : list) {
        auto* row = new TSiteRow(entry);
        row->setText(COL_SSID, SsidText(entry.Ssid, entry.SsidLength));
        // A long name is cut in its narrow column.
        row->setToolTip(COL_SSID, row->text(COL_SSID));
        const int percent = SignalPercent(entry.Rssi);
        row->setText(COL_SIGNAL, SignalText(percent));
        row->setData(COL_SIGNAL, Qt::UserRole, percent);
        const int channel = ChannelOf(entry.Frequency);
        row->setText(COL_CHANNEL, QString::number(channel));
        row->setData(COL_CHANNEL, Qt::UserRole, channel);
        for (int column : {COL_SSID, COL_SIGNAL, COL_CHANNEL})
            row->setTextAlignment(column, Qt::AlignCenter);
        if (FormRes)
            row->setIcon(COL_ICON, FormRes->ImgsType.Icon(KindImageIndex(entry.Security, entry.NetworkMode)));
        row->setToolTip(COL_ICON, SiteSecurityText(entry.Security));
        rows << row;
    }
    ui->LvSite->addTopLevelItems(rows);
    SortByColumnText(ui->LvSite);
    FitScanColumns(ui->LvSite);
    MarkAssociated();
}

void TFrameNetType::LvSiteColumnClick(int column)
{
    if (column != COL_ICON)
        SortByColumnText(ui->LvSite);
}

QTreeWidgetItem* TFrameNetType::ChosenRow() const
{
    // The row the keys are on counts as chosen, selected or not: Home on the first row moves nothing.
    const QList<QTreeWidgetItem*> selected = ui->LvSite->selectedItems();
    return selected.isEmpty() ? ui->LvSite->currentItem() : selected.first();
}

void TFrameNetType::LvSiteSelectItem()
{
    ui->BtnSelect->setEnabled(ChosenRow() != nullptr);
}

void TFrameNetType::BtnSelectClick()
{
    QTreeWidgetItem* row = ChosenRow();
    if (!m_Adapter || !row)
        return;
    m_Adapter->SiteToProfile(EntryOf(row), m_Profile);
    ShowNetwork();
}

void TFrameNetType::MarkAssociated()
{
    WLANStatus status{};
    if (m_Adapter)
        m_Adapter->GetStatus(status);
    if (status.MediaState == 1)
        status = WLANStatus{};
    if (std::memcmp(status.Bssid, m_Status.Bssid, sizeof status.Bssid) != 0)
        m_Status = status;
    static const uint8_t none[sizeof m_Status.Bssid] = {};
    const bool associated = std::memcmp(m_Status.Bssid, none, sizeof none) != 0;
    PaintMarkedRows(
        ui->LvSite,
        [this, associated](const QTreeWidgetItem* row) {
            return associated && std::memcmp(EntryOf(row).Bssid, m_Status.Bssid, sizeof m_Status.Bssid) == 0;
        },
        g_Var.GetLangText(QStringLiteral("Accessible"), QStringLiteral("ConnectedRow"),
                          QStringLiteral("Connected")));
}

bool TFrameNetType::eventFilter(QObject* watched, QEvent* e)
{
    // Enter on a row of the scan list takes that network, as Select does, rather than going on to the next
    // page with the network typed so far.
    if (watched == ui->LvSite && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && ChosenRow()) {
            BtnSelectClick();
            return true;
        }
    }
    if (e->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        if (watched == ui->LbInfra)
            ui->RBtnInfra->setChecked(true);
        else if (watched == ui->LbAdHoc)
            ui->RBtnAdHoc->setChecked(true);
    }
    return TPropertyPageFrame::eventFilter(watched, e);
}

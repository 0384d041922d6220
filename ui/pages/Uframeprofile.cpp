#include "Uframeprofile.h"
#include "Uframeprofset.h"
#include "Ulinktexts.h"
#include "Upageskin.h"
#include "Upagetools.h"
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Ulabels.h"
#include "app/Uprofile.h"
#include "app/Unotifyevent.h"
#include "app/Uutility.h"
#include "engine/Unicadapter.h"
#include "ui/Uformbase.h"
#include "ui/Ukeyboard.h"
#include "ui/Uformres.h"
#include "ui/Uwinutil.h"
#include "ui_Uframeprofile.h"

#include <cstring>

namespace {

const QString SECTION = QStringLiteral("FrameProfile");
constexpr int VALUE_RIGHT_EDGE = 585;
constexpr int EDIT_BUTTON_RIGHT = 317;
enum ProfileColumn { COL_ICON = 0, COL_NAME = 1, COL_SSID = 2 };
constexpr int NAME_CHARS = 64;
// The last number tried when a new profile's name is taken.
constexpr int LAST_NAME_NUMBER = 9998;

// A row of the list; it owns its profile.
class TProfileItem : public QTreeWidgetItem {
public:
    explicit TProfileItem(const WLProfile& profile) : Profile(profile) {}
    WLProfile Profile;
};

WLProfile& ProfileOf(QTreeWidgetItem* item)
{
    return static_cast<TProfileItem*>(item)->Profile;
}

const WLProfile& ProfileOf(const QTreeWidgetItem* item)
{
    return static_cast<const TProfileItem*>(item)->Profile;
}

// The first free name of the form "<name>_<n>"; the last one tried even when it is taken.
QString FreeProfileName(const CNICAdapter& adapter, const QString& name)
{
    QString candidate;
    for (int i = 1; i <= LAST_NAME_NUMBER; ++i) {
        candidate = QStringLiteral("%1_%2").arg(name).arg(i);
        if (!adapter.ProfileExists(candidate))
            break;
    }
    return candidate.left(NAME_CHARS);
}

} // namespace

TFrameProfile::TFrameProfile(QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameProfile>())
{
    ui->setupUi(this);
    // The background picture covers the page: nothing needs erasing before it is drawn.
    setAttribute(Qt::WA_OpaquePaintEvent);
    ui->PlProfile->setAttribute(Qt::WA_OpaquePaintEvent);
    connect(ui->BtnActivate, &QPushButton::clicked, this, &TFrameProfile::BtnActivateClick);
    connect(ui->BtnAdd, &QPushButton::clicked, this, &TFrameProfile::BtnAddClick);
    connect(ui->BtnDelete, &QPushButton::clicked, this, &TFrameProfile::BtnDeleteClick);
    connect(ui->BtnEdit, &QPushButton::clicked, this, &TFrameProfile::BtnEditClick);
    connect(ui->LvProf, &QTreeWidget::itemSelectionChanged, this, &TFrameProfile::LvProfSelectItem);
    connect(ui->LvProf, &QTreeWidget::itemDoubleClicked, this, &TFrameProfile::BtnActivateClick);
    connect(ui->LvProf, &TSortLv::ColumnClick, this, &TFrameProfile::LvProfColumnClick);
}

TFrameProfile::~TFrameProfile() = default;

TFrameProfSet* TFrameProfile::Editor() const
{
    return ui->FrameProfSet1;
}

void TFrameProfile::InitPage()
{
    ui->FrameProfSet1->InitPage();
    LoadTexts(SECTION);
    SetPageBackground(ui->ImgBG, QStringLiteral("ImgFrProfile"));
    SetTextColor(ui->LbList, SKIN_HEADER_TEXT);
    SetTextColor(ui->LbInfo, SKIN_VALUE_TEXT);
    const QList<QPair<QLabel*, QLabel*>> pairs = {{ui->LbNetType, ui->LblNetType},
                                                  {ui->LbWlMode, ui->LblWlMode},
                                                  {ui->LbChannel, ui->LblChannel},
                                                  {ui->LbSecurity, ui->LblSecurity},
                                                  {ui->LbTxRate, ui->LblTxRate}};
    for (const auto& [caption, value] : pairs) {
        FitLabel(caption, value, VALUE_RIGHT_EDGE);
        SetTextColor(caption, SKIN_CAPTION_TEXT);
        SetTextColor(value, SKIN_VALUE_TEXT);
    }
    ShrinkLabelFont(ui->LbInfo);
    SetButtonRow({{ui->BtnEdit, "ImgBtnEdit"},
                  {ui->BtnDelete, "ImgBtnDelete"},
                  {ui->BtnAdd, "ImgBtnAdd"},
                  {ui->BtnActivate, "ImgBtnAct"}},
                 EDIT_BUTTON_RIGHT);
    SetUpReportList(ui->LvProf, {46, 130, 91}, COL_NAME);
    ClearPage();
    TPropertyPageFrame::InitPage();
}

void TFrameProfile::DonePage()
{
    ui->FrameProfSet1->DonePage();
    ClearList();
    TPropertyPageFrame::DonePage();
}

void TFrameProfile::ClearPage()
{
    ui->FrameProfSet1->hide();
    ui->PlProfile->show();
    ClearList();
    for (QWidget* button : {ui->BtnActivate, ui->BtnAdd, ui->BtnDelete, ui->BtnEdit})
        button->setEnabled(false);
    m_Applied = WLProfile{};
    // A request still unanswered is not waited for: its answer is dropped when the adapter goes.
    m_Deleting = false;
    TPropertyPageFrame::ClearPage();
}

void TFrameProfile::ClearList()
{
    ui->LvProf->clear();
    ClearProfileInfo();
}

bool TFrameProfile::EnterPage(TPropertyPageFrame* leftPage, int mode, int context)
{
    if (context & efSecurityOnly) {
        if (!OpenEditor(PAGE_SITE_SURVEY, context))
            return false;
    } else {
        ui->PlProfile->show();
        // The list takes the focus from the editor before it hides: left to itself the focus would pass to
        // the window's next control, and a screen reader would announce that.
        if (ui->FrameProfSet1->isAncestorOf(window()->focusWidget()))
            ui->LvProf->setFocus(Qt::OtherFocusReason);
        ui->FrameProfSet1->hide();
    }
    return TPropertyPageFrame::EnterPage(leftPage, mode, context);
}

bool TFrameProfile::LeavePage(TPropertyPageFrame* nextPage, int mode, int context)
{
    if (!MayLeaveEditor())
        return false;
    return TPropertyPageFrame::LeavePage(nextPage, mode, context);
}

bool TFrameProfile::MayLeaveEditor()
{
    TFrameProfSet* editor = ui->FrameProfSet1;
    if (!editor->isVisible() || !editor->HasUnsavedEdits())
        return true;
    if (ShowPageMessage(this, "LeaveEditor",
                        "The profile has changes that are not saved.\nLeave the editor and discard them?",
                        PM_YES_NO_DEFAULT_NO) != mrYes)
        return false;
    editor->DiscardEdits();
    return true;
}

bool TFrameProfile::MayEscape()
{
    return MayLeaveEditor();
}

void TFrameProfile::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    ui->FrameProfSet1->SetAdapter(adapter, change, flags);
    if (change == acAttach && adapter && !(flags & 1)) {
        m_Adapter = adapter;
        m_ZeroCfg = adapter->EnableZeroCfg();
        // A page made after a connect began shows that connect's profile as applied too.
        if (!adapter->GetAppliedProfile(m_Applied))
            m_Applied = WLProfile{};
        if (!m_ZeroCfg)
            InitProfileList();
    } else if (change == acDetach) {
        ClearPage();
        m_Adapter = nullptr;
    }
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
}

void TFrameProfile::AdapterEvent(CNICAdapter* adapter, int code, int value)
{
    if (!m_Adapter)
        return;
    ui->FrameProfSet1->AdapterEvent(adapter, code, value);
    if (code == NM_ZEROCFG) {
        m_ZeroCfg = value == 1;
        if (m_ZeroCfg)
            ClearPage();
        else
            InitProfileList();
    } else if (code == NM_APPLYING && !(value & 1)) {
        if (!m_Adapter->GetAppliedProfile(m_Applied))
            m_Applied = WLProfile{};
        PaintApplied();
    }
    TPropertyPageFrame::AdapterEvent(adapter, code, value);
}

void TFrameProfile::InitProfileList()
{
    // Built afresh: taking the adapter back from zero configuration must not list every profile twice.
    ClearList();
    TProfileList profiles;
    m_Adapter->GetProfileList(PROF_STATION, profiles);
    TSortLv* lv = ui->LvProf;
    for (const auto& profile : profiles) {
        auto* item = new TProfileItem(*profile);
        ShowItem(item, *profile);
        lv->addTopLevelItem(item);
    }
    SortByColumnText(lv);
    PaintApplied();
    if (lv->topLevelItemCount() > 0)
        SelectItem(lv->topLevelItem(0));
    FocusList("InitProfileList");
    ui->BtnAdd->setEnabled(true);
}

void TFrameProfile::ShowItem(QTreeWidgetItem* item, const WLProfile& profile)
{
    item->setText(COL_NAME, ProfileNameOf(profile));
    item->setText(COL_SSID, BytesText(profile.Ssid1, sizeof profile.Ssid1));
    item->setTextAlignment(COL_NAME, Qt::AlignCenter);
    item->setTextAlignment(COL_SSID, Qt::AlignCenter);
    if (FormRes)
        item->setIcon(COL_ICON, FormRes->ImgsType.Icon(KindImageIndex(uint32_t(profile.EncryptionMethod),
                                                                      uint32_t(profile.NetworkMode))));
}

void TFrameProfile::SelectItem(QTreeWidgetItem* item)
{
    ui->LvProf->clearSelection();
    ui->LvProf->setCurrentItem(item);
    ui->LvProf->scrollToItem(item);
}

QTreeWidgetItem* TFrameProfile::SelectedItem() const
{
    const QList<QTreeWidgetItem*> selected = ui->LvProf->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QTreeWidgetItem* TFrameProfile::FindItem(const QString& name) const
{
    for (int i = 0; i < ui->LvProf->topLevelItemCount(); ++i)
        if (ui->LvProf->topLevelItem(i)->text(COL_NAME) == name)
            return ui->LvProf->topLevelItem(i);
    return nullptr;
}

void TFrameProfile::PaintApplied()
{
    PaintMarkedRows(
        ui->LvProf,
        [this](const QTreeWidgetItem* item) {
            return std::memcmp(&ProfileOf(item), &m_Applied, sizeof m_Applied) == 0;
        },
        g_Var.GetLangText(QStringLiteral("Accessible"), QStringLiteral("ActiveRow"),
                          QStringLiteral("Active")));
}

void TFrameProfile::FocusList(const char* method)
{
    try {
        // A person walking the tab row keeps the focus there.
        if (ui->LvProf->isEnabled() && parentWidget() && parentWidget()->isVisible() &&
            !FocusOnTabList(window()))
            ui->LvProf->setFocus();
    } catch (const std::exception& e) {
        DebugPrint("Exception(TFrameProfile::%s): %s", method, e.what());
    }
}

void TFrameProfile::LvProfSelectItem()
{
    if (QTreeWidgetItem* item = SelectedItem()) {
        ShowProfileInfo(ProfileOf(item));
        return;
    }
    ClearProfileInfo();
}

void TFrameProfile::LvProfColumnClick(int column)
{
    if (column != COL_ICON)
        SortByColumnText(ui->LvProf);
}

void TFrameProfile::ShowProfileInfo(const WLProfile& profile)
{
    ui->LblNetType->setText(NetTypeText(uint32_t(profile.NetworkMode)));
    ui->LblWlMode->setText(ProfileModeText(profile, m_Adapter));
    ui->LblChannel->setText(ProfileChannelText(profile));
    ui->LblSecurity->setText(SecurityText(profile.EncryptionMethod));
    ui->LblTxRate->setText(RateText(profile.TxRate));
    ui->BtnActivate->setEnabled(!m_ZeroCfg);
    ui->BtnDelete->setEnabled(!m_Deleting);
    ui->BtnEdit->setEnabled(true);
}

void TFrameProfile::ClearProfileInfo()
{
    for (QLabel* value : {ui->LblNetType, ui->LblWlMode, ui->LblChannel, ui->LblSecurity, ui->LblTxRate})
        value->clear();
    for (QWidget* button : {ui->BtnActivate, ui->BtnDelete, ui->BtnEdit})
        button->setEnabled(false);
}

bool TFrameProfile::OpenEditor(int mode, int extra)
{
    if (!m_Adapter || !ui->FrameProfSet1->EnterPage(nullptr, mode, extra))
        return false;
    ui->FrameProfSet1->show();
    ui->PlProfile->hide();
    return true;
}

void TFrameProfile::BtnActivateClick()
{
    FocusList("BtnActivateClick");
    QTreeWidgetItem* item = SelectedItem();
    if (!m_Adapter || !item || m_ZeroCfg)
        return;
    m_Adapter->Connect(ProfileOf(item));
    PostNotify(window(), NM_SHOW_PAGE, PAGE_LINK_INFO);
}

void TFrameProfile::BtnAddClick()
{
    if (!m_Adapter)
        return;
    WLProfile& p = ui->FrameProfSet1->Profile();
    p = m_Adapter->DefProfile();
    const QString name = ProfileNameOf(p);
    if (!name.isEmpty() && m_Adapter->ProfileExists(name)) {
        CopyTextField(p.ProfileName, sizeof p.ProfileName, FreeProfileName(*m_Adapter, name));
        CopyTextField(p.NetInfo.sz_CurProfile, sizeof p.NetInfo.sz_CurProfile, ProfileNameOf(p));
    }
    OpenEditor(PAGE_PROFILE, 0);
}

void TFrameProfile::BtnEditClick()
{
    QTreeWidgetItem* item = SelectedItem();
    if (!item)
        return;
    ui->FrameProfSet1->Profile() = ProfileOf(item);
    m_EditName = item->text(COL_NAME);
    OpenEditor(PAGE_PROFILE, efEditExisting);
}

void TFrameProfile::BtnDeleteClick()
{
    QTreeWidgetItem* item = SelectedItem();
    if (!m_Adapter || !item || m_Deleting)
        return;
    const QString name = item->text(COL_NAME);
    if (ShowPageMessage(this, "RemoveProf", "Really remove '%s'?", PM_OK_CANCEL, name) != mrOk) {
        FocusList("BtnDeleteClick 1");
        return;
    }
    // Deleted on the adapter's worker, which may first finish a connect; the list follows the answer.
    m_Deleting = true;
    ui->BtnDelete->setEnabled(false);
    CNICAdapter* adapter = m_Adapter;
    m_Adapter->Request(
        this, [name](CNICAdapter& a) { return a.DeleteProfile(PROF_STATION, name); },
        [this, adapter, name](bool deleted) { DeleteDone(adapter, name, deleted); });
}

void TFrameProfile::DeleteDone(const CNICAdapter* adapter, const QString& name, bool deleted)
{
    if (adapter != m_Adapter)
        return;
    m_Deleting = false;
    TSortLv* lv = ui->LvProf;
    if (QTreeWidgetItem* item = deleted ? FindItem(name) : nullptr) {
        const int index = lv->indexOfTopLevelItem(item);
        delete item;
        const int count = lv->topLevelItemCount();
        if (count > 0)
            SelectItem(lv->topLevelItem(std::min(index, count - 1)));
    }
    LvProfSelectItem();
    if (!deleted)
        ShowPageMessage(this, "ErRemoveProf", "The profile %s could not be removed.", PM_WARNING, name);
    FocusList("BtnDeleteClick 2");
}

int TFrameProfile::SaveProfile(int flags)
{
    if (!m_Adapter)
        return 0;
    const WLProfile edited = ui->FrameProfSet1->Profile();
    QString oldName;
    if (flags & efEditExisting) {
        QTreeWidgetItem* item = FindItem(ProfileNameOf(edited));
        if (!item)
            item = FindItem(m_EditName);
        if (!item) {
            DebugPrint("SaveProfile: not found selected profile");
            return 0;
        }
        oldName = item->text(COL_NAME);
    }
    // Stored on the adapter's worker, which may first finish a connect; the list and the editor follow the
    // answer.
    CNICAdapter* adapter = m_Adapter;
    m_Adapter->Request(
        this,
        [edited, oldName](CNICAdapter& a) {
            return oldName.isEmpty() ? a.AddProfile(edited) : a.UpdateProfile(edited, oldName);
        },
        [this, adapter, edited, oldName](bool stored) { SaveDone(adapter, edited, oldName, stored); });
    return 1;
}

void TFrameProfile::SaveDone(const CNICAdapter* adapter, const WLProfile& saved, const QString& oldName,
                             bool stored)
{
    if (adapter != m_Adapter)
        return;
    if (stored) {
        const QString name = ProfileNameOf(saved);
        QTreeWidgetItem* item = oldName.isEmpty() ? nullptr : FindItem(oldName);
        if (!item)
            item = FindItem(name);
        if (!item) {
            item = new TProfileItem(saved);
            ui->LvProf->insertTopLevelItem(0, item);
        }
        ProfileOf(item) = saved;
        ShowItem(item, saved);
        PaintApplied();
        SelectItem(item);
    }
    ui->FrameProfSet1->SaveDone(stored);
}

void TFrameProfile::ConnectLast()
{
    if (!m_Adapter || m_ZeroCfg)
        return;
    QStringList listed;
    for (int i = 0; i < ui->LvProf->topLevelItemCount(); ++i)
        listed << ui->LvProf->topLevelItem(i)->text(COL_NAME);
    m_Adapter->ConnectLast(listed);
}

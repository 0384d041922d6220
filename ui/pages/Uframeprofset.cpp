#include "Uframeprofset.h"
#include "Uframeactive.h"
#include "Uframeconfirm.h"
#include "Uframedot11.h"
#include "Uframenettype.h"
#include "Uframesecurity.h"
#include "Uframewep.h"
#include "Uframewireless.h"
#include "Uframewlmode.h"
#include "Uframewpapsk.h"
#include "Upagetools.h"
#include "adaptercore/Corecodes.h"
#include "app/Ulabels.h"
#include "app/Unotifyevent.h"
#include "app/Uprofile.h"
#include "engine/Unicadapter.h"
#include "ui_Uframeprofset.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <cstring>
#include <type_traits>

namespace {

constexpr int INFRASTRUCTURE = 1;

template <class TPage> TPropertyPageFrame* MakePage(WLProfile& profile, QWidget* parent)
{
    if constexpr (std::is_constructible_v<TPage, WLProfile&, QWidget*>)
        return new TPage(profile, parent);
    else
        return new TPage(parent);
}

// The page of each slot: its object name and how it is made.
const struct {
    const char* Name;
    TPropertyPageFrame* (*Make)(WLProfile& profile, QWidget* parent);
} PAGE_KINDS[EDITOR_SLOT_COUNT] = {
    {"FrameNetType1", MakePage<TFrameNetType>},   {"FrameWlMode1", MakePage<TFrameWlMode>},
    {"FrameSecurity1", MakePage<TFrameSecurity>}, {"FrameWEP1", MakePage<TFrameWEP>},
    {"FrameWPAPSK1", MakePage<TFrameWPAPSK>},     {"FrameDot111", MakePage<TFrameDot11>},
    {"FrameConfirm1", MakePage<TFrameConfirm>},   {"FrameActive1", MakePage<TFrameActive>},
    {"FrameWireless1", MakePage<TFrameWireless>},
};

} // namespace

TFrameProfSet::TFrameProfSet(QWidget* parent)
    : TPropertyPageFrame(parent), ui(std::make_unique<Ui::FrameProfSet>())
{
    ui->setupUi(this);
    // Every page draws its own background picture over the whole editor: nothing needs erasing.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The container's own buttons are never seen; Back on the first page and Activate Later click its Exit,
    // Save of a scanned network its Activate Now.
    connect(ui->BtnBack, &QAbstractButton::clicked, this, &TFrameProfSet::BtnBackClick);
    connect(ui->BtnNext, &QAbstractButton::clicked, this, &TFrameProfSet::BtnNextClick);
    connect(ui->BtnExit, &QAbstractButton::clicked, this, &TFrameProfSet::BtnExitClick);
    connect(ui->BtnSave, &QAbstractButton::clicked, this, &TFrameProfSet::BtnSaveClick);
    connect(ui->BtnActNow, &QAbstractButton::clicked, this, &TFrameProfSet::BtnActNowClick);
    connect(ui->BtnActLater, &QAbstractButton::clicked, this, &TFrameProfSet::BtnActLaterClick);
}

TFrameProfSet::~TFrameProfSet() = default;

TFrameProfSet* TFrameProfSet::InWindowOf(const QWidget* page)
{
    return page->window()->findChild<TFrameProfSet*>();
}

void TFrameProfSet::BindButtons(TPropertyPageFrame* page)
{
    const struct {
        const char* name;
        void (TFrameProfSet::*handler)();
    } bindings[] = {
        {"BtnBack", &TFrameProfSet::BtnBackClick},     {"BtnNext", &TFrameProfSet::BtnNextClick},
        {"BtnExit", &TFrameProfSet::BtnExitClick},     {"BtnSave", &TFrameProfSet::BtnSaveClick},
        {"BtnActNow", &TFrameProfSet::BtnActNowClick}, {"BtnActLater", &TFrameProfSet::BtnActLaterClick},
    };
    for (const auto& b : bindings)
        if (auto* button = page->findChild<QAbstractButton*>(QLatin1String(b.name)))
            connect(button, &QAbstractButton::clicked, this, b.handler);
}

void TFrameProfSet::InitPage()
{
    ClearPage();
    TPropertyPageFrame::InitPage();
}

TPropertyPageFrame* TFrameProfSet::Page(TEditorSlot slot)
{
    TPropertyPageFrame*& page = m_Pages[size_t(slot)];
    if (!page)
        page = BuildPage(slot);
    return page;
}

TPropertyPageFrame* TFrameProfSet::BuildPage(TEditorSlot slot)
{
    // Most sessions never open the editor, and most editings pass a few of its pages: each is made and
    // skinned when first wanted, with the texts and skin in use then, and given the adapter it missed.
    TPropertyPageFrame* page = PAGE_KINDS[size_t(slot)].Make(m_Profile, this);
    page->setObjectName(QLatin1String(PAGE_KINDS[size_t(slot)].Name));
    page->setGeometry(rect());
    page->hide();
    BindButtons(page);
    page->InitPage();
    WatchFieldEdits(page);
    if (m_Adapter)
        page->SetAdapter(m_Adapter, acAttach, 0);
    return page;
}

void TFrameProfSet::WatchFieldEdits(TPropertyPageFrame* page)
{
    const auto edited = [this] { m_FieldEdited = true; };
    for (QLineEdit* edit : page->findChildren<QLineEdit*>())
        connect(edit, &QLineEdit::textEdited, this, edited);
    for (QComboBox* combo : page->findChildren<QComboBox*>())
        connect(combo, &QComboBox::activated, this, edited);
    // Check boxes and radio buttons; the "show characters" switches change nothing of the profile.
    for (QAbstractButton* box : page->findChildren<QAbstractButton*>())
        if (box->isCheckable() && box->objectName() != QLatin1String("ChkShowChars"))
            connect(box, &QAbstractButton::clicked, this, edited);
}

bool TFrameProfSet::HasUnsavedEdits() const
{
    return m_Editing && (m_FieldEdited || std::memcmp(&m_Opened, &m_Profile, sizeof m_Opened) != 0);
}

void TFrameProfSet::ClearPage()
{
    m_Editing = false;
    SetSaving(false);
    for (TPropertyPageFrame* page : m_Pages)
        if (page)
            page->hide();
    m_Current = nullptr;
}

bool TFrameProfSet::EnterPage(TPropertyPageFrame* /*leftPage*/, int mode, int context)
{
    m_ReturnPage = mode;
    m_Flags = context;
    ClearPage();
    m_Editing = true;
    m_FieldEdited = false;
    // Byte for byte, as HasUnsavedEdits compares it.
    std::memcpy(&m_Opened, &m_Profile, sizeof m_Opened);
    TPropertyPageFrame* first = nullptr;
    if (m_Flags & efSecurityOnly) {
        first = Page(SecurityDetailSlot());
    } else {
        first = Page(esNetType);
        static_cast<TFrameNetType*>(first)->SetEditName(ProfileNameOf(m_Profile));
    }
    ShowPage(first, pmForward);
    return true;
}

void TFrameProfSet::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    for (TPropertyPageFrame* page : m_Pages)
        if (page)
            page->SetAdapter(adapter, change, flags);
    if (change == acAttach && adapter && !(flags & 1)) {
        m_Adapter = adapter;
    } else if (change == acDetach) {
        ClearPage();
        m_Adapter = nullptr;
    }
}

void TFrameProfSet::AdapterEvent(CNICAdapter* adapter, int code, int value)
{
    for (TPropertyPageFrame* page : m_Pages)
        if (page)
            page->AdapterEvent(adapter, code, value);
}

bool TFrameProfSet::UseWirelessPage() const
{
    if ((m_Flags & efSecurityOnly) || m_Profile.NetworkMode != INFRASTRUCTURE || !m_Adapter)
        return false;
    const uint32_t bands = ModeToBands(m_Adapter->SupportMode());
    return (bands & BAND_A) && (bands & (BAND_B | BAND_G));
}

TEditorSlot TFrameProfSet::SlotOf(const TPropertyPageFrame* page) const
{
    for (size_t i = 0; i < m_Pages.size(); ++i)
        if (page && m_Pages[i] == page)
            return TEditorSlot(i);
    return EDITOR_SLOT_COUNT;
}

TEditorSlot TFrameProfSet::SecurityDetailSlot() const
{
    switch (m_Profile.EncryptionMethod) {
    case ToCode(TsrwlSecurity::Wep):
        return esWEP;
    case ToCode(TsrwlSecurity::WpaPsk):
    case ToCode(TsrwlSecurity::Wpa2Psk):
        return esWPAPSK;
    case ToCode(TsrwlSecurity::Wpa):
    case ToCode(TsrwlSecurity::Dot1x):
    case ToCode(TsrwlSecurity::Wpa2):
        return esDot11;
    default:
        return UseWirelessPage() ? esWireless : esConfirm;
    }
}

TEditorSlot TFrameProfSet::NextSlot(TEditorSlot slot) const
{
    switch (slot) {
    case esNetType:
        return m_Profile.NetworkMode == INFRASTRUCTURE ? esSecurity : esWlMode;
    case esWlMode:
        return esSecurity;
    case esSecurity:
        return SecurityDetailSlot();
    case esWEP:
    case esWPAPSK:
    case esDot11:
        return UseWirelessPage() ? esWireless : esConfirm;
    case esWireless:
        return esConfirm;
    default:
        return esNetType;
    }
}

void TFrameProfSet::ShowPage(TPropertyPageFrame* page, int mode)
{
    if (!page || !page->EnterPage(m_Current, mode, m_Flags))
        return;
    // A save still unanswered is no longer waited for once the user moves on.
    SetSaving(false);
    // The new page is shown first and takes the focus from the old one: hidden first, the old page would
    // pass the focus to the window's next control, and a screen reader would announce that on every step.
    page->show();
    if (m_Current && m_Current != page)
        m_Current->hide();
    m_Current = page;
}

void TFrameProfSet::BtnNextClick()
{
    if (m_Current && !m_Current->LeavePage(nullptr, pmForward, m_Flags))
        return;
    // The security type the flow branches on is the one the page just left has written.
    ShowPage(Page(NextSlot(SlotOf(m_Current))), pmForward);
}

void TFrameProfSet::BtnBackClick()
{
    if (!m_Current)
        return;
    TPropertyPageFrame* back = m_Current->BackPage;
    if (!m_Current->LeavePage(nullptr, pmBackward, m_Flags))
        return;
    if (back)
        ShowPage(back, pmBackward);
    else
        ui->BtnExit->click();
}

void TFrameProfSet::BtnExitClick()
{
    m_Editing = false;
    SetSaving(false);
    PostNotify(window(), NM_SHOW_PAGE, m_ReturnPage);
}

void TFrameProfSet::BtnSaveClick()
{
    if (m_Flags & efSecurityOnly) {
        ui->BtnActNow->click();
        return;
    }
    if (m_Saving)
        return;
    // The Profile page stores the profile on the adapter's worker, which may first finish a connect, and
    // answers with SaveDone; 0 means that it could not even start.
    SetSaving(true);
    // The profile is on its way to the store: leaving now loses nothing the user has to be asked about.
    m_Editing = false;
    if (SendNotify(window(), NM_SAVE_PROFILE, m_Flags) == 0)
        SaveDone(false);
}

void TFrameProfSet::SaveDone(bool stored)
{
    if (!m_Saving)
        return;
    SetSaving(false);
    // Offering to connect with a profile that was not stored would report a failure as success.
    if (!stored) {
        m_Editing = true;
        ShowPageMessage(this, "ErSaveProf", "The profile could not be saved.");
        return;
    }
    ShowPage(Page(esActive), pmForward);
}

void TFrameProfSet::SetSaving(bool saving)
{
    m_Saving = saving;
    if (!m_Current)
        return;
    auto* save = m_Current->findChild<QAbstractButton*>(QStringLiteral("BtnSave"));
    if (save && saving)
        DisableKeepingFocus(save, m_Current);
    else if (save)
        save->setEnabled(true);
}

void TFrameProfSet::BtnActNowClick()
{
    m_Editing = false;
    if (m_Adapter)
        m_Adapter->Connect(m_Profile);
    PostNotify(window(), NM_SHOW_PAGE, PAGE_LINK_INFO);
}

void TFrameProfSet::BtnActLaterClick()
{
    ui->BtnExit->click();
}

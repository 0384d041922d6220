#include "Umainpages.h"
#include "Uformbase.h"
#include "Uformres.h"
#include "Ukeyboard.h"
#include "Utabkeys.h"
#include "app/Udebug.h"
#include "app/Unotifycode.h"
#include "app/Uprofile.h"
#include "controls/Tablist.h"
#include "controls/Trifacelabel.h"
#include "engine/Unicadapter.h"
#include "ui/pages/Uframeapcfg.h"
#include "ui/pages/Uframeapfilter.h"
#include "ui/pages/Uframeadapter.h"
#include "ui/pages/Uframeapinfo.h"
#include "ui/pages/Uframeprofile.h"
#include "ui/pages/Uframesurvey.h"
#include "ui_Uformmain.h"

#include <QPainter>
#include <algorithm>
#include <exception>

namespace {

// Tab captions: slate when not selected, white on the selected tab and under the mouse.
const QColor TAB_NORMAL(0x50, 0x64, 0x79); // 7955536 in the settings' blue-green-red order
const QColor TAB_SELECTED(Qt::white);
constexpr int TAB_TEXT_TOP = 37;

constexpr int STATION = 0;
constexpr int SOFT_AP = 1;
// Extra value of a page switch that opens the Site Survey page on a page's request.
constexpr int EXTRA_SURVEY_REQUEST = 1024;

template <class TPage> TPropertyPageFrame* MakePage(QWidget* parent)
{
    return new TPage(parent);
}

} // namespace

TMainPages::TMainPages(TFormBase* window, const Ui::FormMain& ui)
    : QObject(window), m_Window(window), m_Background(ui.PBoxBG),
      // In the order of the window's design, which is the order the pages hear of the adapter in.
      m_Tabs{
          {{ui.LbAPInfo, nullptr, "FrameAPInfo1", "ImgAPInfo", SOFT_AP, PAGE_AP_INFO, MakePage<TFrameAPInfo>},
           {ui.LbAPCfg, nullptr, "FrameAPCfg1", "ImgAPCfg", SOFT_AP, 0, MakePage<TFrameAPCfg>},
           {ui.LbAPFilter, nullptr, "FrameAPFilter1", "ImgAPFilter", SOFT_AP, 0, MakePage<TFrameAPFilter>},
           {ui.LbLinkInfo, ui.FrameLinkInfo1, "", "ImgMainInfo", STATION, PAGE_LINK_INFO, nullptr},
           {ui.LbSiteSurvey, nullptr, "FrameSurvey1", "ImgMainSurvey", STATION, PAGE_SITE_SURVEY,
            MakePage<TFrameSurvey>},
           {ui.LbProfile, nullptr, "FrameProfile1", "ImgMainProfile", STATION, PAGE_PROFILE,
            MakePage<TFrameProfile>},
           {ui.LbAdapter, nullptr, "FrameAdapter1", "ImgMainAdapter", STATION, 0, MakePage<TFrameAdapter>}}},
      m_PageRect(ui.FrameLinkInfo1->geometry())
{
    StyleTabs();
    m_Background->setAttribute(Qt::WA_OpaquePaintEvent);
    m_Background->installEventFilter(this);
    m_TabList = new TTabList(window);
    for (const TTabPage& t : m_Tabs)
        m_TabList->AddTab(t.Tab);
    connect(m_TabList, &TTabList::TabChosen, this, [this](TTrifaceLabel* tab) { SwitchPage(tab, 0); });
    new TTabKeys(window, m_TabList, [this](TTrifaceLabel* tab) { SwitchPage(tab, 0); });
}

TTrifaceLabel* TMainPages::CurrentTab() const
{
    return m_TabList->Current();
}

void TMainPages::StyleTabs()
{
    for (const TTabPage& t : m_Tabs) {
        t.Tab->SetFontCr(TTrifaceLabel::ckNormal, TAB_NORMAL);
        t.Tab->SetFontCr(TTrifaceLabel::ckOver, TAB_SELECTED);
        t.Tab->SetFontCr(TTrifaceLabel::ckDown, TAB_SELECTED);
        t.Tab->SetOffsetTop(TAB_TEXT_TOP);
        t.Tab->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        t.Tab->setCursor(Qt::PointingHandCursor);
        // Any button, on press.
        connect(t.Tab, &TTrifaceLabel::MouseDown, this, [this, tab = t.Tab] {
            if (tab != CurrentTab())
                SwitchPage(tab, 0);
        });
    }
}

QList<TPropertyPageFrame*> TMainPages::MadePages() const
{
    QList<TPropertyPageFrame*> pages;
    for (const TTabPage& t : m_Tabs)
        if (t.Page)
            pages << t.Page;
    return pages;
}

void TMainPages::InitPages()
{
    m_TabList->FitTabs();
    for (TPropertyPageFrame* page : MadePages()) {
        page->InitPage();
        page->hide();
    }
}

void TMainPages::DonePages()
{
    for (TPropertyPageFrame* page : MadePages())
        page->DonePage();
}

QStringList TMainPages::LatePageNames() const
{
    QStringList names;
    for (const TTabPage& t : m_Tabs)
        if (t.Make)
            names << QLatin1String(t.Name);
    return names;
}

TMainPages::TTabPage* TMainPages::FindTab(const TTrifaceLabel* tab)
{
    for (TTabPage& t : m_Tabs)
        if (tab && t.Tab == tab)
            return &t;
    return nullptr;
}

TMainPages::TTabPage* TMainPages::FindCode(int code)
{
    for (TTabPage& t : m_Tabs)
        if (code != 0 && t.Code == code)
            return &t;
    return nullptr;
}

TPropertyPageFrame* TMainPages::PageOf(TTabPage& t)
{
    if (!t.Page)
        t.Page = BuildPage(t);
    return t.Page;
}

TPropertyPageFrame* TMainPages::BuildPage(const TTabPage& t)
{
    TPropertyPageFrame* page = t.Make(m_Window);
    page->setObjectName(QLatin1String(t.Name));
    page->setGeometry(m_PageRect);
    // Explicitly hidden, or the window's next show would show it too.
    page->hide();
    StackInDesignOrder(t, page);
    // What the window's layout and FormCreate would have done to it at start.
    const QString form = m_Window->objectName();
    m_Window->LoadLayout(page, QStringLiteral("%1_%2").arg(form, page->objectName()));
    m_Window->LoadCtrlPos(page, form + QStringLiteral("_CtrlPos"));
    page->InitPage();
    if (m_Adapter)
        page->SetAdapter(m_Adapter, acAttach, m_AdapterMode);
    return page;
}

void TMainPages::StackInDesignOrder(const TTabPage& t, TPropertyPageFrame* page)
{
    // Readers and the layout walk the window's children in their order: the late page takes its designed
    // place before the next page that exists; with none made after it, it stays after those made so far.
    for (auto next = m_Tabs.begin() + (&t - m_Tabs.data()) + 1; next != m_Tabs.end(); ++next)
        if (next->Page) {
            page->stackUnder(next->Page);
            return;
        }
}

void TMainPages::SwitchPage(TTrifaceLabel* tab, int extra)
{
    TTabPage* next = FindTab(tab);
    TPropertyPageFrame* newPage = next ? PageOf(*next) : nullptr;
    if (m_CurPage && !m_CurPage->LeavePage(newPage, pmSwitchTab, 0))
        return;
    if (!newPage || !newPage->EnterPage(m_CurPage, pmSwitchTab, extra))
        return;
    // Chosen on the tab row by the arrow keys, the focus stays on the row. The tab is current before its page
    // shows, which puts it in the window's tab order.
    const bool onTabs = FocusOnTabList(m_Window);
    m_TabList->SetCurrent(next->Tab);
    // Shown before the old page hides, the new page takes the focus straight from it (see ShowPage of the
    // editor).
    newPage->show();
    if (m_CurPage && m_CurPage != newPage)
        m_CurPage->hide();
    if (next->Code == PAGE_PROFILE && !onTabs)
        FocusPageList(newPage, "LvProf", 1);
    else if (next->Code == PAGE_SITE_SURVEY && !onTabs)
        FocusPageList(newPage, "LvSite", 2);
    SelectTab(*next);
}

void TMainPages::SelectTab(const TTabPage& t)
{
    for (const TTabPage& other : m_Tabs)
        other.Tab->SetFontCr(TTrifaceLabel::ckNormal, other.Tab == t.Tab ? TAB_SELECTED : TAB_NORMAL);
    m_CurPage = t.Page;
    m_CurPicture = FormRes ? FormRes->Picture(QString::fromLatin1(t.Picture)) : QImage();
    m_Window->update();
}

void TMainPages::FocusPageList(TPropertyPageFrame* page, const char* listName, int place)
{
    try {
        auto* list = page->findChild<QWidget*>(QString::fromLatin1(listName));
        if (list && m_Window->isVisible() && list->isEnabled() && list->focusPolicy() != Qt::NoFocus)
            list->setFocus();
    } catch (const std::exception& e) {
        DebugPrint("Exception(TFormMain::SwitchPage %d): %s", place, e.what());
    }
}

void TMainPages::ShowMode(int mode)
{
    for (const TTabPage& t : m_Tabs)
        t.Tab->setVisible(t.Mode == mode);
    ShowPageByCode(mode == SOFT_AP ? PAGE_AP_INFO : PAGE_LINK_INFO);
}

void TMainPages::ShowPageByCode(int code)
{
    if (TTabPage* t = FindCode(code))
        SwitchPage(t->Tab, code == PAGE_SITE_SURVEY ? EXTRA_SURVEY_REQUEST : 0);
}

void TMainPages::SetAdapter(CNICAdapter* adapter, int change, int mode)
{
    m_Adapter = change == acAttach ? adapter : nullptr;
    m_AdapterMode = mode;
    // A page made meanwhile (a page may ask for another) has had it already.
    for (TPropertyPageFrame* page : MadePages())
        page->SetAdapter(adapter, change, mode);
}

void TMainPages::AdapterEvent(CNICAdapter* adapter, int code, int value)
{
    for (TPropertyPageFrame* page : MadePages())
        page->AdapterEvent(adapter, code, value);
}

void TMainPages::ConnectLast(int mode)
{
    if (mode == SOFT_AP) {
        static_cast<TFrameAPInfo*>(PageOf(*FindCode(PAGE_AP_INFO)))->ConnectLast();
        return;
    }
    if (auto* profile = static_cast<TFrameProfile*>(FindCode(PAGE_PROFILE)->Page)) {
        profile->ConnectLast();
        return;
    }
    // The Profile page is made when first shown, not for this: the profiles are taken in the order it first
    // lists them, by name.
    if (!m_Adapter)
        return;
    TProfileList profiles;
    m_Adapter->GetProfileList(PROF_STATION, profiles);
    QStringList names;
    for (const auto& p : profiles)
        names << ProfileNameOf(*p);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    m_Adapter->ConnectLast(names);
}

TFrameProfile* TMainPages::ProfilePage()
{
    return static_cast<TFrameProfile*>(PageOf(*FindCode(PAGE_PROFILE)));
}

int TMainPages::SaveProfile(int flags)
{
    return ProfilePage()->SaveProfile(flags);
}

bool TMainPages::MayLeaveMode()
{
    // Switching the mode takes the adapter from the pages, and with it whatever the editor holds.
    auto* profile = static_cast<TFrameProfile*>(FindCode(PAGE_PROFILE)->Page);
    return !profile || m_CurPage != profile || profile->MayLeaveEditor();
}

bool TMainPages::eventFilter(QObject* watched, QEvent* e)
{
    if (watched != m_Background || e->type() != QEvent::Paint)
        return QObject::eventFilter(watched, e);
    QPainter painter(m_Background);
    if (m_CurPicture.isNull())
        painter.fillRect(m_Background->rect(), m_Window->palette().window());
    else
        painter.drawImage(0, 0, m_CurPicture);
    return true;
}

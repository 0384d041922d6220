#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>
#include <QStringList>
#include <array>

namespace Ui {
class FormMain;
}

class CNICAdapter;
class TFormBase;
class TFrameProfile;
class TPropertyPageFrame;
class TTabList;
class TTrifaceLabel;

// The main window's pages and their tabs: which tab shows which page on which background picture, the only
// way a page is shown, where the focus goes then, the tabs of each mode, and the adapter's attach, detach and
// events passed on to every page. Only Link Info, the first page shown, is made at start; every other page is
// made the first time it is shown or, for Profile, first asked to connect or store, which spares the
// start-up their lists and pictures. Such a page is then given the adapter the pages were given last, so that
// it shows what it would have shown if it had been made at start.
class TMainPages : public QObject {
    Q_OBJECT
public:
    TMainPages(TFormBase* window, const Ui::FormMain& ui);

    // Once the window's skin, texts and layout are loaded: every page made so far is initialised and hidden.
    void InitPages();
    void DonePages();

    // A page that refuses to be left or entered keeps the current one.
    void SwitchPage(TTrifaceLabel* tab, int extra);
    // The tabs of `mode` (0 station, 1 Soft AP) and its first page.
    void ShowMode(int mode);
    // A PageCode; any other code does nothing.
    void ShowPageByCode(int code);
    // What the window's adapter session announces, passed on to the pages made so far.
    void SetAdapter(CNICAdapter* adapter, int change, int mode);
    void AdapterEvent(CNICAdapter* adapter, int code, int value);
    void ConnectLast(int mode);
    // Stores the editor's profile through the Profile page; 1 when it is being stored.
    int SaveProfile(int flags);
    // False when the Profile page's editor holds changes the user wants to keep.
    bool MayLeaveMode();
    // Pages made when first shown, by object name: the window's layout sections may name them before.
    QStringList LatePageNames() const;

    TTrifaceLabel* CurrentTab() const;
    TPropertyPageFrame* CurrentPage() const { return m_CurPage; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct TTabPage {
        TTrifaceLabel* Tab;
        TPropertyPageFrame* Page; // null until made
        const char* Name;         // of a page made later
        const char* Picture;
        int Mode;
        int Code;                                     // the PageCode that shows it, or 0
        TPropertyPageFrame* (*Make)(QWidget* parent); // null for the pages of the window's design
    };

    void StyleTabs();
    QList<TPropertyPageFrame*> MadePages() const;
    TTabPage* FindTab(const TTrifaceLabel* tab);
    TTabPage* FindCode(int code);
    // The page of the tab, made now if it was not yet.
    TPropertyPageFrame* PageOf(TTabPage& t);
    TPropertyPageFrame* BuildPage(const TTabPage& t);
    // The Profile page, which connects and stores for the window, made now if it was not yet.
    TFrameProfile* ProfilePage();
    void StackInDesignOrder(const TTabPage& t, TPropertyPageFrame* page);
    void FocusPageList(TPropertyPageFrame* page, const char* listName, int place);
    void SelectTab(const TTabPage& t);

    TFormBase* m_Window;
    QWidget* m_Background;
    std::array<TTabPage, 7> m_Tabs;
    // Where the design places every page; a late page is put there before the window's layout moves it.
    QRect m_PageRect;
    TTabList* m_TabList = nullptr;
    TPropertyPageFrame* m_CurPage = nullptr;
    QImage m_CurPicture;
    // The adapter as the pages were last given it, for a page made later.
    CNICAdapter* m_Adapter = nullptr;
    int m_AdapterMode = 0;
};

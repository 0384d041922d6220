#pragma once

#include "adaptercore/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <array>
#include <memory>

namespace Ui {
class FrameProfSet;
}

// Flags the opener of the profile editor gives its EnterPage; every editor page gets them as context value.
enum TEditorFlag : int {
    efEditExisting = 0x100, // an existing profile is edited: it may keep its name
    efSecurityOnly = 0x200, // a scanned network: only its security is asked, and Save connects at once
};

// Slots of the editor's pages, in the order the container owns them.
enum TEditorSlot : int {
    esNetType,
    esWlMode,
    esSecurity,
    esWEP,
    esWPAPSK,
    esDot11,
    esConfirm,
    esActive,
    esWireless,
    EDITOR_SLOT_COUNT
};

// The profile editor: leads the user one page at a time through the settings of the profile it holds, which
// its pages read and write. It decides which page follows which (network type, security type and the
// adapter's bands), retraces on Back the path actually taken, and ends by storing the profile through the
// Profile page (code 5 to the main window, answered later by SaveDone), by connecting with it, or by showing
// the opener's page again.
//
// The pages' own Back, Next, Exit, Save, Activate Now and Activate Later buttons (found by those object
// names) are bound to the container's handlers, so a page only offers its buttons and checks its input in
// LeavePage. A page is made the first time it is wanted.
class TFrameProfSet : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameProfSet(QWidget* parent = nullptr);
    ~TFrameProfSet() override;

    // The editor of the window `page` is in, where the pages that hand it a profile find it; null when the
    // window has none.
    static TFrameProfSet* InWindowOf(const QWidget* page);

    void InitPage() override;
    void ClearPage() override;
    // `mode` is the page code to return to (2 Profile page, 3 Site Survey), `context` the editor flags.
    // Always accepts.
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    void AdapterEvent(CNICAdapter* adapter, int code, int value) override;

    void BtnBackClick();
    void BtnNextClick();
    void BtnExitClick();
    void BtnSaveClick();
    void BtnActNowClick();
    void BtnActLaterClick();
    // The answer of the Profile page to Save: `stored` tells whether the profile was stored. Ignored unless
    // the editor still waits for it.
    void SaveDone(bool stored);

    // True while an editing runs whose changes are not stored: the profile differs from what the editor
    // opened with, or the user changed a field of the page shown. Exit, Save and Activate end it.
    bool HasUnsavedEdits() const;
    // Gives up the running editing without storing it; the opener's page then shows the list again.
    void DiscardEdits() { m_Editing = false; }

    // The profile being edited; whoever opens the editor fills it first.
    WLProfile& Profile() { return m_Profile; }
    const WLProfile& Profile() const { return m_Profile; }
    // The page of `slot`, made now if it was not yet.
    TPropertyPageFrame* Page(TEditorSlot slot);
    TPropertyPageFrame* CurrentPage() const { return m_Current; }
    // The band page is offered for infrastructure profiles on an adapter with 2.4 and 5 GHz bands, except
    // when only the security of a scanned network is asked.
    bool UseWirelessPage() const;

private:
    TPropertyPageFrame* BuildPage(TEditorSlot slot);
    void BindButtons(TPropertyPageFrame* page);
    TEditorSlot SlotOf(const TPropertyPageFrame* page) const;
    TEditorSlot NextSlot(TEditorSlot slot) const;
    TEditorSlot SecurityDetailSlot() const;
    void ShowPage(TPropertyPageFrame* page, int mode);
    // While a save waits for its answer, the current page's Save button is disabled.
    void SetSaving(bool saving);
    // Notes the user's changes of fields on the page, which reach the profile only when a page is left.
    void WatchFieldEdits(TPropertyPageFrame* page);

    std::unique_ptr<Ui::FrameProfSet> ui;
    std::array<TPropertyPageFrame*, EDITOR_SLOT_COUNT> m_Pages{};
    int m_ReturnPage = 0;
    TPropertyPageFrame* m_Current = nullptr;
    int m_Flags = 0;
    CNICAdapter* m_Adapter = nullptr;
    bool m_Saving = false;
    bool m_Editing = false;
    bool m_FieldEdited = false;
    WLProfile m_Profile{};
    WLProfile m_Opened{}; // the profile as the editing began
};

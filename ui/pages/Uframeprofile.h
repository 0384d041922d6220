#pragma once

#include "adaptercore/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <memory>

class QTreeWidgetItem;
class TFrameProfSet;

namespace Ui {
class FrameProfile;
}

// The Profile page: the adapter's station profiles with the details of the selected one; connecting with
// one, adding, deleting and editing them through the profile editor that covers the page meanwhile; storing
// what the editor produced; and the automatic connection with the last used profile.
class TFrameProfile : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameProfile(QWidget* parent = nullptr);
    ~TFrameProfile() override;

    void InitPage() override;
    void DonePage() override;
    void ClearPage() override;
    // A network handed over by the Site Survey page (bit 0x200 of `context`) opens the editor on it; the page
    // is not entered when the editor cannot be opened.
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    // Leaving the page while the editor holds unsaved changes asks first (MayLeaveEditor).
    bool LeavePage(TPropertyPageFrame* nextPage, int mode, int context) override;
    // True when the editor holds no unsaved changes, or the user agreed to discard them.
    bool MayLeaveEditor();
    // Escape in the editor asks as leaving the page does.
    bool MayEscape() override;
    // Takes the adapter only in station mode (bit 0 of `flags` clear).
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    void AdapterEvent(CNICAdapter* adapter, int code, int value) override;

    // Connects with the listed profile used last, else with the first listed one, when the adapter is set to
    // connect by itself ("InitConnect").
    void ConnectLast();
    // Stores the editor's profile: with 0x100 in `flags` in place of the edited profile, else as a new one.
    // The adapter's worker stores it; the list is updated and the editor told (its SaveDone) when it has.
    // 1 when the profile is being stored, 0 when it cannot be (no adapter, or the edited profile is no longer
    // listed).
    Q_INVOKABLE int SaveProfile(int flags);
    // Shows the editor over the list; `mode` is the page code to return to, `extra` the editor flags.
    bool OpenEditor(int mode, int extra);

    void BtnActivateClick();
    void BtnAddClick();
    void BtnDeleteClick();
    void BtnEditClick();

    TFrameProfSet* Editor() const;

private:
    void InitProfileList();
    void ClearList();
    void LvProfSelectItem();
    void LvProfColumnClick(int column);
    void ShowProfileInfo(const WLProfile& profile);
    void ClearProfileInfo();
    void ShowItem(QTreeWidgetItem* item, const WLProfile& profile);
    void SelectItem(QTreeWidgetItem* item);
    QTreeWidgetItem* SelectedItem() const;
    QTreeWidgetItem* FindItem(const QString& name) const;
    void PaintApplied();
    void FocusList(const char* method);
    // The answers of the adapter's worker to a delete and a save made through `adapter`.
    void DeleteDone(const CNICAdapter* adapter, const QString& name, bool deleted);
    void SaveDone(const CNICAdapter* adapter, const WLProfile& saved, const QString& oldName, bool stored);

    std::unique_ptr<Ui::FrameProfile> ui;
    CNICAdapter* m_Adapter = nullptr;
    bool m_ZeroCfg = false;
    // A delete waits for the worker's answer; meanwhile Delete does nothing.
    bool m_Deleting = false;
    // The profile being applied, all zero when none.
    WLProfile m_Applied{};
    // The name of the profile opened for editing, as it was when opened.
    QString m_EditName;
};

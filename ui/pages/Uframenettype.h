#pragma once

#include "adaptercore/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <QTimer>
#include <memory>
#include <vector>

class QTreeWidgetItem;

namespace Ui {
class FrameNetType;
}

// The editor's first page: the profile's name, its network name and whether it joins an access point or
// other computers directly. A small scan list lets the user take a network over. The name is checked
// against the adapter's profiles on Next.
class TFrameNetType : public TPropertyPageFrame {
    Q_OBJECT
public:
    // `profile` is the editor's record this page shows and writes.
    explicit TFrameNetType(WLProfile& profile, QWidget* parent = nullptr);
    ~TFrameNetType() override;

    void InitPage() override;
    void DonePage() override;
    void ClearPage() override;
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    bool LeavePage(TPropertyPageFrame* nextPage, int mode, int context) override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    void AdapterEvent(CNICAdapter* adapter, int code, int value) override;

    // The name the profile had when the editing began; an edited profile may keep it.
    void SetEditName(const QString& name) { m_EditName = name; }

    void BtnScanClick();
    void TimerSurveyTimer();
    void BtnSelectClick();

    QTimer TimerSurvey;

protected:
    // A click on a network type's caption chooses that type.
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool CheckProfileName(const QString& name);
    // A typed network name that the scan list holds takes that network's security type and cipher, as
    // Select would give them (the strongest access point of that name).
    void PresetSecurity(const QString& ssid);
    void ShowNetwork();
    void FillSiteList(const std::vector<TSSiteEntry>& list);
    void ShowSearchEnded();
    void LvSiteColumnClick(int column);
    // The row Select takes: the selected one, else the one the keys are on.
    QTreeWidgetItem* ChosenRow() const;
    void LvSiteSelectItem();
    void MarkAssociated();

    std::unique_ptr<Ui::FrameNetType> ui;
    WLProfile& m_Profile;
    CNICAdapter* m_Adapter = nullptr;
    int m_Flags = 0;
    QString m_EditName;
    WLANStatus m_Status{};
};

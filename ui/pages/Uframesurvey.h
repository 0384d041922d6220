#pragma once

#include "adaptercore/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <QTimer>
#include <memory>
#include <vector>

class QTreeWidgetItem;

namespace Ui {
class FrameSurvey;
}

using TSiteList = std::vector<TSSiteEntry>;

// The Site Survey: scans for networks, lists them with an icon per kind, shows the details of the selected
// one, marks the one the adapter is connected to, and connects to the selected one (an open network at once,
// a secured one through the profile editor).
class TFrameSurvey : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameSurvey(QWidget* parent = nullptr);
    ~TFrameSurvey() override;

    void InitPage() override;
    void DonePage() override;
    void ClearPage() override;
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    void AdapterEvent(CNICAdapter* adapter, int code, int value) override;

    void BtnScanClick();
    void TimerSurveyTimer();
    // The search panel goes and the Scan button comes back.
    void ScanEnded();
    void ShowSiteList(const TSiteList& list);
    // Orders the list by its sort column and direction.
    void SortSites();
    void MarkConnected();
    void BtnConnectClick();

    // The site entry an item of the list carries.
    static const TSSiteEntry& EntryOf(const QTreeWidgetItem* item);
    // Background of the row of the network the adapter is connected to.
    static const QColor& ConnectedColor();

    QTimer TimerSurvey;

private:
    int LvSiteCompare(const QTreeWidgetItem* a, const QTreeWidgetItem* b) const;
    void LvSiteColumnClick(int column);
    void LvSiteSelectItem();
    void ShowSiteInfo(const TSSiteEntry& entry);
    void ClearSiteInfo();
    void ClearList();
    void PaintConnected();
    void FocusList(const char* method);

    std::unique_ptr<Ui::FrameSurvey> ui;
    CNICAdapter* m_Adapter = nullptr;
    bool m_ZeroCfg = false;
    WLANStatus m_Status{};
};

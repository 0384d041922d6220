#pragma once

#include "engine/Unicadapter.h"
#include "ui/Propertypageframeunit.h"

#include <memory>

namespace Ui {
class FrameAPInfo;
}

// The AP information page: the running access point's values and the stations associated with it, refreshed
// by the adapter's status reports. It also starts the Soft AP when its mode is entered and renews the address
// once after a Soft AP profile was applied.
class TFrameAPInfo : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameAPInfo(QWidget* parent = nullptr);
    ~TFrameAPInfo() override;

    void InitPage() override;
    void ClearPage() override;
    // Takes the adapter only in Soft AP mode (bit 0 of `flags`).
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    void AdapterEvent(CNICAdapter* adapter, int code, int value) override;

    // Applies the Soft AP settings when the adapter is set to connect by itself ("InitConnect").
    void ConnectLast();

    void UpdateAPInfo();
    // Keeps the rows of stations still associated, so selection and order survive a refresh.
    void UpdateStationList();
    void BtnRefreshClick();

private:
    void ShowStations(const TStationList& stations);
    void ResetAPInfo();
    void ClearValues();
    void ClearStations();
    void SortLv1ColumnClick(int column);
    void SortStations();

    std::unique_ptr<Ui::FrameAPInfo> ui;
    CNICAdapter* m_Adapter = nullptr;
    bool m_Renew = false;
    // Counts the times the list was emptied, so that a list asked for before is not shown after.
    int m_ListGeneration = 0;
};

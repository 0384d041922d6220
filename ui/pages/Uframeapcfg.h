#pragma once

#include "Usoftappage.h"
#include "adaptercore/tsrwl.h"

#include <array>
#include <memory>

class QByteArray;
class QComboBox;
class TWEPEdits;

namespace Ui {
class FrameAPCfg;
}

// The AP configuration page: SSID, hidden SSID, wireless mode, channel, output power and WEP security of the
// Soft AP. Save stores the Soft AP profile and applies it at once; Cancel and every entry reload the page
// from it, so edits that were not saved are dropped.
class TFrameAPCfg : public TSoftAPPage {
    Q_OBJECT
public:
    explicit TFrameAPCfg(QWidget* parent = nullptr);
    ~TFrameAPCfg() override;

    void InitPage() override;
    void ClearPage() override;

    void LoadAPWireless();
    void CmbModeSelect();
    void BtnSaveClick();

protected:
    void AdapterTaken() override;
    void EnableControls() override;
    void LoadPage() override;

private:
    // The controls enabled while the page may be edited.
    std::array<QWidget*, 10> EnabledControls() const;
    void FillModes();
    void FocusSSID();
    // The checks that must pass before anything is written; false after showing why not.
    bool CheckSave(QByteArray& ssid, int& format);
    void StoreWireless(WLProfile& profile, const QByteArray& ssid);

    std::unique_ptr<Ui::FrameAPCfg> ui;
    TWEPEdits* m_WEP = nullptr;
};

#pragma once

#include "engine/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <array>
#include <memory>

class QByteArray;
class QComboBox;
class TMaskedEdit;

namespace Ui {
class FrameAPCfg;
}

// The AP configuration page: SSID, hidden SSID, wireless mode, channel, output power and WEP security of the
// Soft AP. Save stores the Soft AP profile and applies it at once; Cancel and every entry reload the page
// from it, so edits that were not saved are dropped.
class TFrameAPCfg : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameAPCfg(QWidget* parent = nullptr);
    ~TFrameAPCfg() override;

    void InitPage() override;
    void ClearPage() override;
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    // Takes the adapter only in Soft AP mode (bit 0 of `flags`).
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    void AdapterEvent(CNICAdapter* adapter, int code, int value) override;

    void LoadAPWireless();
    void LoadAPSecurity();
    void CmbModeSelect();
    void CmbWEPSelect();
    void CmbDefKeySelect();
    void EdtPhraseChange();
    void EdtKey1Change();
    void BtnSaveClick();
    void BtnCancelClick();

private:
    void FillModes();
    void FillWEPLevels();
    void FillChannels(uint32_t bandBit, const QString& key);
    void EnableAndLoad();
    void FocusSSID();
    // The checks that must pass before anything is written; false after showing why not.
    bool CheckSave(QByteArray& ssid, int& level, int& transmit, int& format);
    void StoreSecurity(WLProfile& profile, int level, int transmit, int format);
    void StoreWireless(WLProfile& profile, const QByteArray& ssid);

    std::unique_ptr<Ui::FrameAPCfg> ui;
    std::array<TMaskedEdit*, 4> m_Keys{};
    CNICAdapter* m_Adapter = nullptr;
    bool m_Loading = false;    // the page fills its edits itself
    bool m_Generating = false; // generated keys are being written
};

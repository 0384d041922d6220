#pragma once

#include "engine/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <QList>
#include <array>
#include <memory>

class QLineEdit;

namespace Ui {
class FrameAPFilter;
}

// The AP MAC filter page: the filter mode of the Soft AP and its 16 addresses, stored in the Soft AP profile
// and applied at once.
class TFrameAPFilter : public TPropertyPageFrame {
    Q_OBJECT
public:
    explicit TFrameAPFilter(QWidget* parent = nullptr);
    ~TFrameAPFilter() override;

    void InitPage() override;
    void ClearPage() override;
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    // Takes the adapter only in Soft AP mode (bit 0 of `flags`).
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;
    void AdapterEvent(CNICAdapter* adapter, int code, int value) override;

    void LoadAPFilter();
    void CmbTypeSelect();
    void Edt1Change();
    void BtnSaveClick();
    void BtnCancelClick();

    // The 6 bytes an edit's text stands for: its 12 positions, each one that holds no hexadecimal digit
    // (empty ones included) read as 0.
    static std::array<uint8_t, TSRWL_MAC_SIZE> EditAddress(const QString& displayText);

private:
    void EnableAndLoad();

    std::unique_ptr<Ui::FrameAPFilter> ui;
    QList<QLineEdit*> m_Edits;
    CNICAdapter* m_Adapter = nullptr;
};

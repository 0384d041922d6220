#pragma once

#include "adaptercore/tsrwl.h"
#include "ui/Propertypageframeunit.h"

#include <memory>

namespace Ui {
class FrameSecurity;
}

// Editor page: the encryption type of the edited profile. A changed type clears every security field, so no
// key or login of the old type survives; the editor picks the next page by the type.
class TFrameSecurity : public TPropertyPageFrame {
    Q_OBJECT
public:
    // `profile` is the editor's record this page shows and writes.
    explicit TFrameSecurity(WLProfile& profile, QWidget* parent = nullptr);
    ~TFrameSecurity() override;

    void InitPage() override;
    bool EnterPage(TPropertyPageFrame* leftPage, int mode, int context) override;
    bool LeavePage(TPropertyPageFrame* nextPage, int mode, int context) override;
    void SetAdapter(CNICAdapter* adapter, int change, int flags) override;

private:
    void FillSecurityTypes();
    void SelectSecurityType(int method);

    std::unique_ptr<Ui::FrameSecurity> ui;
    WLProfile& m_Profile;
    CNICAdapter* m_Adapter = nullptr;
};

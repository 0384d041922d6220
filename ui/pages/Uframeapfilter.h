#pragma once

#include "adaptercore/tsrwl.h"
#include "Usoftappage.h"

#include <QList>
#include <array>
#include <memory>

class QLineEdit;

namespace Ui {
class FrameAPFilter;
}

// The AP MAC filter page: the filter mode of the Soft AP and its 16 addresses, stored in the Soft AP profile
// and applied at once.
class TFrameAPFilter : public TSoftAPPage {
    Q_OBJECT
public:
    explicit TFrameAPFilter(QWidget* parent = nullptr);
    ~TFrameAPFilter() override;

    void InitPage() override;
    void ClearPage() override;

    void LoadAPFilter();
    void CmbTypeSelect();
    void Edt1Change();
    void BtnSaveClick();
    void BtnCancelClick();

    // The 6 bytes an edit's text stands for: its 12 positions, each one that holds no hexadecimal digit
    // (empty ones included) read as 0.
    static std::array<uint8_t, TSRWL_MAC_SIZE> EditAddress(const QString& displayText);

protected:
    void EnableControls() override;
    void LoadPage() override { LoadAPFilter(); }

private:
    std::unique_ptr<Ui::FrameAPFilter> ui;
    QList<QLineEdit*> m_Edits;
};

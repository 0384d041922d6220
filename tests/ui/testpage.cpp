#include "testpage.h"

TTestPage::TTestPage(QWidget* parent) : TPropertyPageFrame(parent)
{
    ui.setupUi(this);
}

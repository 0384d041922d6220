#include "Ustationpage.h"

void TStationPage::SetAdapter(CNICAdapter* adapter, int change, int flags)
{
    if (change == acAttach && adapter && !(flags & 1)) {
        m_Adapter = adapter;
    } else if (change == acDetach) {
        ClearPage();
        m_Adapter = nullptr;
    }
    TPropertyPageFrame::SetAdapter(adapter, change, flags);
}

#include "Upagerouter.h"
#include "app/Unotifyevent.h"
#include "engine/Unicadapter.h"
#include "ui/Propertypageframeunit.h"

bool CPageRouter::IsReport(const TNotifyEvent& n) const
{
    return Adapter && (n.Code == NM_STATUS || n.Code == NM_ZEROCFG || n.Code == NM_APPLYING ||
                       n.Code == NM_CONNECT_FAILED);
}

bool CPageRouter::event(QEvent* e)
{
    if (e->type() != QEvent::Type(NotifyMsg()))
        return QWidget::event(e);
    auto* n = static_cast<TNotifyEvent*>(e);
    if (IsReport(*n))
        for (TPropertyPageFrame* page : Pages)
            page->AdapterEvent(Adapter, n->Code, n->Value);
    Notify(*n);
    return true;
}

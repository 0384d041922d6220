#pragma once

#include <QList>
#include <QWidget>

class CNICAdapter;
class TPropertyPageFrame;
class TNotifyEvent;

// Stands in for the main window: passes the adapter's reports (codes 3, 4, 7 and connect failures) on to the
// pages and hands every notification to `Notify` for what else a tool wants of it.
class CPageRouter : public QWidget {
public:
    CNICAdapter* Adapter = nullptr;
    QList<TPropertyPageFrame*> Pages;

protected:
    bool event(QEvent* e) override;
    virtual void Notify(TNotifyEvent& /*n*/) {}
    // True for a report of the adapter that is routed.
    bool IsReport(const TNotifyEvent& n) const;
};

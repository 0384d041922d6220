#pragma once

#include <QObject>
#include <functional>

class QWidget;
class TTabList;
class TTrifaceLabel;

// The keys that switch a window's tabs from anywhere in it: Ctrl+Tab and Ctrl+Shift+Tab step through the tabs
// shown, Ctrl+1 to Ctrl+4 pick one of them. Hidden tabs (those of the other mode) are skipped.
class TTabKeys : public QObject {
    Q_OBJECT
public:
    // `pick` selects another tab of `tabs`, which may refuse.
    TTabKeys(QWidget* window, const TTabList* tabs, std::function<void(TTrifaceLabel*)> pick);

private:
    void Step(int step);
    void Pick(int index);

    const TTabList* m_TabList;
    std::function<void(TTrifaceLabel*)> m_Pick;
};

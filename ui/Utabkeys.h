#pragma once

#include <QList>
#include <QObject>
#include <functional>

class QWidget;
class TTrifaceLabel;

// The keys that switch a window's tabs: Ctrl+Tab and Ctrl+Shift+Tab step through the tabs shown, Ctrl+1 to
// Ctrl+4 pick one of them. Hidden tabs (those of the other mode) are skipped.
class TTabKeys : public QObject {
    Q_OBJECT
public:
    // `current` answers the selected tab; `pick` selects another one, which may refuse.
    TTabKeys(QWidget* window, QList<TTrifaceLabel*> tabs, std::function<TTrifaceLabel*()> current,
             std::function<void(TTrifaceLabel*)> pick);

private:
    QList<TTrifaceLabel*> ShownTabs() const;
    void Step(int step);
    void Pick(int index);

    QList<TTrifaceLabel*> m_Tabs;
    std::function<TTrifaceLabel*()> m_Current;
    std::function<void(TTrifaceLabel*)> m_Pick;
};

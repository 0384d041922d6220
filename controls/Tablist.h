#pragma once

#include <QList>
#include <QWidget>

class TTrifaceLabel;

// The main window's row of page tabs as one control: it holds the tabs where the window's design put them
// (it spans the window and takes the mouse only over its tabs), marks one of them as the current one, and
// moves between the shown tabs with the arrow keys, Home and End. Only the current tab takes the focus by
// Tab, so that Tab passes the row in one step; a reader hears a tab list and which tab is selected.
class TTabList : public QWidget {
    Q_OBJECT
public:
    explicit TTabList(QWidget* window);

    // Takes over a tab of the window, keeping its place.
    void AddTab(TTrifaceLabel* tab);
    // Once the window's layout has placed the tabs: the row takes the mouse over them only.
    void FitTabs();

    TTrifaceLabel* Current() const { return m_Current; }
    // Marks `tab` as the one shown; when the tab that was current had the focus, `tab` takes it over.
    void SetCurrent(TTrifaceLabel* tab);
    // The tabs not hidden, in their order.
    QList<TTrifaceLabel*> ShownTabs() const;
    // The shown tab `step` places from the current one, round the row; null when no tab is shown.
    TTrifaceLabel* Neighbour(int step) const;

Q_SIGNALS:
    // A key asked for another tab; the window switches to it, or refuses and keeps the current one.
    void TabChosen(TTrifaceLabel* tab);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QList<TTrifaceLabel*> m_Tabs;
    TTrifaceLabel* m_Current = nullptr;
};

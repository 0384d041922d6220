#include "Utabkeys.h"
#include "controls/Tablist.h"

#include <QShortcut>

namespace {

// Ctrl+1 to Ctrl+4: as many as the station mode has tabs.
constexpr int TAB_KEYS = 4;

} // namespace

TTabKeys::TTabKeys(QWidget* window, const TTabList* tabs, std::function<void(TTrifaceLabel*)> pick)
    : QObject(window), m_TabList(tabs), m_Pick(std::move(pick))
{
    const auto bind = [this, window](const QKeySequence& keys, auto action) {
        connect(new QShortcut(keys, window), &QShortcut::activated, this, action);
    };
    bind(QKeySequence(Qt::CTRL | Qt::Key_Tab), [this] { Step(1); });
    // The window system reports Shift+Tab as a back tab.
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab})
        bind(QKeySequence(Qt::CTRL | Qt::SHIFT | key), [this] { Step(-1); });
    for (int i = 0; i < TAB_KEYS; ++i)
        bind(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)), [this, i] { Pick(i); });
}

void TTabKeys::Step(int step)
{
    TTrifaceLabel* tab = m_TabList->Neighbour(step);
    if (tab && tab != m_TabList->Current())
        m_Pick(tab);
}

void TTabKeys::Pick(int index)
{
    const QList<TTrifaceLabel*> tabs = m_TabList->ShownTabs();
    if (index < tabs.size() && tabs[index] != m_TabList->Current())
        m_Pick(tabs[index]);
}

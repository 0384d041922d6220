#include "Utabkeys.h"
#include "controls/Trifacelabel.h"

#include <QShortcut>

namespace {

// Ctrl+1 to Ctrl+4: as many as the station mode has tabs.
constexpr int TAB_KEYS = 4;

} // namespace

TTabKeys::TTabKeys(QWidget* window, QList<TTrifaceLabel*> tabs, std::function<TTrifaceLabel*()> current,
                   std::function<void(TTrifaceLabel*)> pick)
    : QObject(window), m_Tabs(std::move(tabs)), m_Current(std::move(current)), m_Pick(std::move(pick))
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

QList<TTrifaceLabel*> TTabKeys::ShownTabs() const
{
    QList<TTrifaceLabel*> tabs;
    for (TTrifaceLabel* tab : m_Tabs)
        if (!tab->isHidden())
            tabs << tab;
    return tabs;
}

void TTabKeys::Step(int step)
{
    const QList<TTrifaceLabel*> tabs = ShownTabs();
    if (tabs.isEmpty())
        return;
    const qsizetype at = tabs.indexOf(m_Current());
    Pick(int((at + step + tabs.size()) % tabs.size()));
}

void TTabKeys::Pick(int index)
{
    const QList<TTrifaceLabel*> tabs = ShownTabs();
    if (index < tabs.size() && tabs[index] != m_Current())
        m_Pick(tabs[index]);
}

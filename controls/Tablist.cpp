#include "Tablist.h"
#include "Trifacelabel.h"

#include <QAccessible>
#include <QKeyEvent>

TTabList::TTabList(QWidget* window) : QWidget(window)
{
    setObjectName(QStringLiteral("TabList"));
    setGeometry(window->rect());
}

void TTabList::AddTab(TTrifaceLabel* tab)
{
    const QRect place = tab->geometry();
    const bool hidden = tab->isHidden();
    tab->setParent(this);
    tab->setGeometry(place);
    tab->setVisible(!hidden);
    tab->setFocusPolicy(Qt::NoFocus);
    m_Tabs << tab;
}

void TTabList::FitTabs()
{
    setGeometry(parentWidget()->rect());
    QRegion over;
    for (const TTrifaceLabel* tab : std::as_const(m_Tabs))
        over += tab->geometry();
    setMask(over);
}

void TTabList::SetCurrent(TTrifaceLabel* tab)
{
    TTrifaceLabel* old = m_Current;
    if (tab == old)
        return;
    const bool hadFocus = old && old->hasFocus();
    m_Current = tab;
    for (TTrifaceLabel* t : {old, tab}) {
        if (!t)
            continue;
        t->setFocusPolicy(t == tab ? Qt::TabFocus : Qt::NoFocus);
        QAccessible::State changed;
        changed.selected = true;
        QAccessibleStateChangeEvent event(t, changed);
        QAccessible::updateAccessibility(&event);
    }
    if (hadFocus && tab)
        tab->setFocus(Qt::TabFocusReason);
}

QList<TTrifaceLabel*> TTabList::ShownTabs() const
{
    QList<TTrifaceLabel*> tabs;
    for (TTrifaceLabel* tab : m_Tabs)
        if (!tab->isHidden())
            tabs << tab;
    return tabs;
}

TTrifaceLabel* TTabList::Neighbour(int step) const
{
    const QList<TTrifaceLabel*> tabs = ShownTabs();
    if (tabs.isEmpty())
        return nullptr;
    const qsizetype at = tabs.indexOf(m_Current);
    if (at < 0)
        return step > 0 ? tabs.first() : tabs.last();
    const qsizetype size = tabs.size();
    return tabs[((at + step) % size + size) % size];
}

void TTabList::keyPressEvent(QKeyEvent* e)
{
    const QList<TTrifaceLabel*> tabs = ShownTabs();
    TTrifaceLabel* chosen = nullptr;
    if (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier) {
        switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            chosen = Neighbour(-1);
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            chosen = Neighbour(1);
            break;
        case Qt::Key_Home:
            chosen = tabs.value(0);
            break;
        case Qt::Key_End:
            chosen = tabs.value(tabs.size() - 1);
            break;
        default:
            break;
        }
    }
    if (!chosen) {
        QWidget::keyPressEvent(e);
        return;
    }
    if (chosen != m_Current)
        Q_EMIT TabChosen(chosen);
}

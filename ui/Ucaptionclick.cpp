#include "Ucaptionclick.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMouseEvent>

TCaptionClick::TCaptionClick(QLabel* caption, QAbstractButton* box) : QObject(caption), m_Box(box)
{
    caption->installEventFilter(this);
}

void TCaptionClick::Attach(QLabel* caption, QAbstractButton* box)
{
    if (!caption || !box || caption->findChild<TCaptionClick*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new TCaptionClick(caption, box);
}

bool TCaptionClick::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(e);
    const auto* caption = static_cast<QWidget*>(watched);
    if (mouse->button() == Qt::LeftButton && caption->rect().contains(mouse->position().toPoint()) &&
        m_Box->isEnabled() && m_Box->isVisible()) {
        m_Box->setFocus(Qt::MouseFocusReason);
        m_Box->click();
    }
    return false;
}

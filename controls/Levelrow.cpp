#include "Levelrow.h"

#include <QAccessible>
#include <QLabel>
#include <algorithm>

TLevelRow::TLevelRow(QWidget* parent) : QWidget(parent)
{
    // The lamps sit on the page's picture; the row neither paints nor takes the mouse.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TLevelRow::CreateLamps(int count, int pitch, const QPixmap& light,
                            const std::function<QString(int)>& nameOf)
{
    qDeleteAll(m_Lamps);
    m_Lamps.clear();
    m_Light = light;
    for (int i = 0; i < count; ++i) {
        auto* lamp = new QLabel(this);
        lamp->setObjectName(nameOf(i));
        lamp->setPixmap(light);
        lamp->setGeometry(pitch * i, 0, light.width(), light.height());
        m_Lamps.append(lamp);
    }
    resize(count > 0 ? pitch * (count - 1) + light.width() : 0, light.height());
    m_Level = count;
}

// The lamps stay shown and only change their picture: showing and hiding widgets on every status report
// costs the window system round trips for the pointer's enter and leave.
void TLevelRow::SetLevel(int value)
{
    value = std::clamp(value, 0, Maximum());
    if (value == m_Level)
        return;
    // The lamps below the level are lit: only those between the old level and the new one change.
    for (int i = std::min(value, m_Level); i < std::max(value, m_Level); ++i)
        m_Lamps[i]->setPixmap(i < value ? m_Light : QPixmap());
    m_Level = value;
    QAccessibleValueChangeEvent event(this, value);
    QAccessible::updateAccessibility(&event);
}

QString TLevelRow::LevelText() const
{
    return m_LevelFormat.isEmpty() ? QString::number(m_Level) : m_LevelFormat.arg(m_Level).arg(Maximum());
}

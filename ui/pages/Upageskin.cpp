#include "Upageskin.h"
#include "ui/Uformres.h"

#include <QEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>

namespace {

// Draws a page's background picture into its label. The picture is read when the label is shown and let go
// when it is hidden, so the backgrounds of pages nobody opens are never read; and only the parts to repaint
// are drawn, which keeps the painter from splitting a whole-picture blit across worker threads for every
// changed value on the page.
class CPageBackground : public QObject {
public:
    CPageBackground(QLabel* label, const QString& picture) : QObject(label), m_Picture(picture)
    {
        label->installEventFilter(this);
        if (label->isVisible())
            Load();
        label->update();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && m_Image.isNull())
            Load();
        // A hidden page keeps no picture: a skin of large pictures would otherwise add up page by page.
        if (event->type() == QEvent::Hide)
            m_Image = QImage();
        if (event->type() != QEvent::Paint)
            return false;
        QPainter painter(static_cast<QWidget*>(watched));
        for (const QRect& r : static_cast<QPaintEvent*>(event)->region())
            painter.drawImage(r, m_Image, r);
        return true;
    }

private:
    void Load()
    {
        // Drawn from the skin's own decoded picture, which it shares: a pixmap would be a second copy of it.
        if (FormRes)
            m_Image = FormRes->Picture(m_Picture);
        // A picture that covers the whole label hides what lies beneath: the toolkit then skips painting it.
        auto* label = static_cast<QLabel*>(parent());
        const bool covers = m_Image.width() >= label->width() && m_Image.height() >= label->height();
        label->setAttribute(Qt::WA_OpaquePaintEvent, covers);
    }

    QString m_Picture;
    QImage m_Image;
};

} // namespace

void SetPageBackground(QLabel* background, const QString& picture)
{
    delete background->findChild<CPageBackground*>(QString(), Qt::FindDirectChildrenOnly);
    background->clear();
    new CPageBackground(background, picture);
}

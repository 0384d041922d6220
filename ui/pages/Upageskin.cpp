#include "Upageskin.h"
#include "ui/Uformres.h"

#include <QEvent>
#include <QLabel>

namespace {

// Puts the picture in when the label is first shown: the backgrounds of pages nobody opens are never read.
class CBackgroundOnShow : public QObject {
public:
    CBackgroundOnShow(QLabel* label, const QString& picture) : QObject(label), m_Picture(picture)
    {
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            SetPageBackground(static_cast<QLabel*>(watched), m_Picture);
            deleteLater();
        }
        return false;
    }

private:
    QString m_Picture;
};

} // namespace

void SetPageBackground(QLabel* background, const QString& picture)
{
    if (!background->isVisible())
        new CBackgroundOnShow(background, picture);
    else if (FormRes)
        background->setPixmap(QPixmap::fromImage(FormRes->Picture(picture)));
}

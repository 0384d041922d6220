#include "Upageskin.h"
#include "ui/Uformres.h"

#include <QLabel>

void SetPageBackground(QLabel* background, const QString& picture)
{
    if (FormRes)
        background->setPixmap(QPixmap::fromImage(FormRes->Picture(picture)));
}

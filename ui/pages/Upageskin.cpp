#include "Upageskin.h"
#include "ui/Uformres.h"

#include <QLabel>
#include <cstring>

void SetPageBackground(QLabel* background, const QString& picture)
{
    if (FormRes)
        background->setPixmap(QPixmap::fromImage(FormRes->Picture(picture)));
}

QString ProfileNameOf(const WLProfile& profile)
{
    return QString::fromUtf8(profile.ProfileName,
                             int(strnlen(profile.ProfileName, sizeof profile.ProfileName)));
}

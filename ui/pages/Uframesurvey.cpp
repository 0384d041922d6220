#include "Uframesurvey.h"

TFrameSurvey::TFrameSurvey(QWidget* parent) : TPropertyPageFrame(parent)
{
    setObjectName(QStringLiteral("FrameSurvey"));
}

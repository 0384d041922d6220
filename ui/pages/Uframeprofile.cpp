#include "Uframeprofile.h"

TFrameProfile::TFrameProfile(QWidget* parent) : TPropertyPageFrame(parent)
{
    setObjectName(QStringLiteral("FrameProfile"));
}

#include "Uframeapfilter.h"

TFrameAPFilter::TFrameAPFilter(QWidget* parent) : TPropertyPageFrame(parent)
{
    setObjectName(QStringLiteral("FrameAPFilter"));
}

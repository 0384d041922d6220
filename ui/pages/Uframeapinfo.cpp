#include "Uframeapinfo.h"

TFrameAPInfo::TFrameAPInfo(QWidget* parent) : TPropertyPageFrame(parent)
{
    setObjectName(QStringLiteral("FrameAPInfo"));
}

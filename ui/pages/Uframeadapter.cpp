#include "Uframeadapter.h"

TFrameAdapter::TFrameAdapter(QWidget* parent) : TPropertyPageFrame(parent)
{
    setObjectName(QStringLiteral("FrameAdapter"));
}

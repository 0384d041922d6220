#include "Uframeapcfg.h"

TFrameAPCfg::TFrameAPCfg(QWidget* parent) : TPropertyPageFrame(parent)
{
    setObjectName(QStringLiteral("FrameAPCfg"));
}

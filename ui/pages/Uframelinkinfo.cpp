#include "Uframelinkinfo.h"

TFrameLinkInfo::TFrameLinkInfo(QWidget* parent) : TPropertyPageFrame(parent)
{
    setObjectName(QStringLiteral("FrameLinkInfo"));
}

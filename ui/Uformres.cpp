#include "Uformres.h"

TFormRes* FormRes = nullptr;

TFormRes::TFormRes(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("FormRes"));
}

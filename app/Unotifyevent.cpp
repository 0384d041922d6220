#include "Unotifyevent.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace {

int g_NotifyMsg = 0;

} // namespace

TNotifyEvent::TNotifyEvent(int code, int value) : QEvent(QEvent::Type(NotifyMsg())), Code(code), Value(value) {}

int NotifyMsg()
{
    return g_NotifyMsg;
}

int RegisterNotifyMsg()
{
    if (g_NotifyMsg == 0)
        g_NotifyMsg = QEvent::registerEventType();
    return g_NotifyMsg;
}

void PostNotify(QObject* target, int code, int value)
{
    QCoreApplication::postEvent(target, new TNotifyEvent(code, value));
}

int SendNotify(QObject* target, int code, int value)
{
    TNotifyEvent event(code, value);
    if (target->thread() == QThread::currentThread())
        QCoreApplication::sendEvent(target, &event);
    else
        QMetaObject::invokeMethod(
            target, [target, &event] { QCoreApplication::sendEvent(target, &event); },
            Qt::BlockingQueuedConnection);
    return event.Result;
}

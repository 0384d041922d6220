#include "Unotifyevent.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

int g_NotifyMsg = 0;

} // namespace

TNotifyEvent::TNotifyEvent(int code, int value) : QEvent(QEvent::Type(NotifyMsg())), Code(code), Value(value)
{
}

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
    if (target->thread() == QThread::currentThread()) {
        TNotifyEvent event(code, value);
        QCoreApplication::sendEvent(target, &event);
        return event.Result;
    }
    // A queued call answered through our own lock rather than a blocking queued connection: the answer and
    // its hand-over are then visible to the thread sanitizer, and the sender is released even when the
    // target goes away before the call runs (Qt then destroys the call unrun).
    struct Answer {
        std::mutex mutex;
        std::condition_variable done;
        bool handled = false;
        int result = 0;
    };
    struct Release {
        explicit Release(std::shared_ptr<Answer> a) : answer(std::move(a)) {}
        Release(const Release&) = delete;
        Release& operator=(const Release&) = delete;
        ~Release()
        {
            std::lock_guard lock(answer->mutex);
            answer->handled = true;
            answer->done.notify_all();
        }
        std::shared_ptr<Answer> answer;
    };
    auto answer = std::make_shared<Answer>();
    auto release = std::make_shared<Release>(answer);
    QMetaObject::invokeMethod(
        target,
        [target, code, value, answer, release = std::move(release)] {
            TNotifyEvent event(code, value);
            QCoreApplication::sendEvent(target, &event);
            std::lock_guard lock(answer->mutex);
            answer->result = event.Result;
        },
        Qt::QueuedConnection);
    std::unique_lock lock(answer->mutex);
    answer->done.wait(lock, [&] { return answer->handled; });
    return answer->result;
}

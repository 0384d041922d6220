#pragma once

#include "Unotifycode.h"

#include <QEvent>

class QObject;

// The program's notify message: a code (NotifyCode) and a value, delivered to the adapter session or, from a
// page, to its window, which passes it on.
class TNotifyEvent : public QEvent {
public:
    TNotifyEvent(int code, int value);
    int Code;
    int Value;
    // What the handler answers; sent notifications return it to the sender.
    int Result = 0;
};

// The event type number of the notify message, registered once at start-up (0 before).
int NotifyMsg();
int RegisterNotifyMsg();

// Queues a notification and returns at once.
void PostNotify(QObject* target, int code, int value);
// Delivers a notification and waits for the handler's answer: directly on the target's thread, otherwise
// through a blocking call into it.
int SendNotify(QObject* target, int code, int value);

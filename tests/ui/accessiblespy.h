#pragma once

#include <QAccessible>
#include <QObject>
#include <QString>
#include <vector>

// Records what assistive technology is told while it lives, as a screen reader running would hear it: the
// toolkit passes its accessibility events on only while a reader is active, which the spy pretends.
class CAccessibleSpy {
public:
    struct TEvent {
        QObject* Object;
        QAccessible::Event Type;
        QString Name;
        QString Description;
    };

    CAccessibleSpy();
    ~CAccessibleSpy();
    CAccessibleSpy(const CAccessibleSpy&) = delete;
    CAccessibleSpy& operator=(const CAccessibleSpy&) = delete;

    // The events of that type about `object`, in their order.
    std::vector<TEvent> Events(const QObject* object, QAccessible::Event type) const;
    size_t Count() const { return s_Events.size(); }

private:
    static void Record(QAccessibleEvent* e);
    static std::vector<TEvent> s_Events;
};

#include "accessiblespy.h"

#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>

std::vector<CAccessibleSpy::TEvent> CAccessibleSpy::s_Events;

namespace {

QPlatformAccessibility* Platform()
{
    QPlatformIntegration* integration = QGuiApplicationPrivate::platformIntegration();
    return integration ? integration->accessibility() : nullptr;
}

} // namespace

CAccessibleSpy::CAccessibleSpy()
{
    s_Events.clear();
    if (QPlatformAccessibility* platform = Platform())
        platform->setActive(true);
    QAccessible::installUpdateHandler(&Record);
}

CAccessibleSpy::~CAccessibleSpy()
{
    QAccessible::installUpdateHandler(nullptr);
    if (QPlatformAccessibility* platform = Platform())
        platform->setActive(false);
}

void CAccessibleSpy::Record(QAccessibleEvent* e)
{
    QAccessibleInterface* a = e->accessibleInterface();
    s_Events.push_back({e->object(), e->type(), a ? a->text(QAccessible::Name) : QString(),
                        a ? a->text(QAccessible::Description) : QString()});
}

std::vector<CAccessibleSpy::TEvent> CAccessibleSpy::Events(const QObject* object,
                                                           QAccessible::Event type) const
{
    std::vector<TEvent> found;
    for (const TEvent& e : s_Events)
        if (e.Object == object && e.Type == type)
            found.push_back(e);
    return found;
}

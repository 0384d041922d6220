#include "Usoftapprofile.h"
#include "engine/Unicadapter.h"

#include <QWidget>

CSoftAPProfile& CSoftAPProfile::InWindowOf(QWidget* page)
{
    QWidget* window = page->window();
    auto* shared = window->findChild<CSoftAPProfile*>(QString(), Qt::FindDirectChildrenOnly);
    return shared ? *shared : *new CSoftAPProfile(window);
}

void CSoftAPProfile::Take(const CNICAdapter& adapter)
{
    if (m_Loaded)
        return;
    m_Loaded = true;
    TProfileList list;
    adapter.GetProfileList(PROF_SOFTAP, list);
    m_Profile = list.empty() ? adapter.DefAPProfile() : *list.front();
}

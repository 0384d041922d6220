// The adapter's station and Soft AP profile lists and the order the user gave them.
#include "Unicadapter.h"
#include "Ucumlib.h"
#include "app/Udebug.h"
#include "app/Unotifyevent.h"
#include "app/Uprofile.h"
#include "app/Uutility.h"
#include "app/Uwriteproblem.h"

#include <QHash>
#include <cstring>
#include <deque>

namespace {

// Bounds against a library or a store that answers garbage.
constexpr int MAX_ENUMERATED_PROFILES = 10000;
constexpr int MAX_ORDER_KEYS = 10000;

QString CountKey(int kind)
{
    return kind == PROF_STATION ? QStringLiteral("ProfCount") : QStringLiteral("APProfCount");
}

// The setting naming the profile connected last, with which the next start connects.
QString LastKey(int kind)
{
    return kind == PROF_STATION ? QStringLiteral("LastProf") : QStringLiteral("LastAPProf");
}

QString EntryKey(int kind, size_t position)
{
    return (kind == PROF_STATION ? QStringLiteral("Prof%1") : QStringLiteral("APProf%1")).arg(position);
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

TProfileList::const_iterator FindName(const TProfileList& list, const QString& name)
{
    return std::find_if(list.begin(), list.end(),
                        [&](const auto& p) { return SameName(ProfileNameOf(*p), name); });
}

// Moves the profiles named by `order` to `target` in that order (each name takes the first profile of that
// name not yet taken), then the others in their own order. Hashed: lists may hold hundreds of profiles.
void ArrangeByName(TProfileList& scratch, const QStringList& order, TProfileList& target)
{
    QHash<QString, std::deque<size_t>> positions;
    for (size_t i = 0; i < scratch.size(); ++i)
        positions[ProfileNameOf(*scratch[i]).toCaseFolded()].push_back(i);
    for (const QString& name : order) {
        const auto it = positions.find(name.toCaseFolded());
        if (it == positions.end() || it->empty())
            continue;
        target.push_back(std::move(scratch[it->front()]));
        it->pop_front();
    }
    for (auto& profile : scratch)
        if (profile)
            target.push_back(std::move(profile));
}

int KindOf(const WLProfile& profile)
{
    return profile.FuncMode == 0 ? PROF_STATION : PROF_SOFTAP;
}

// A profile from a caller, with the name field terminated whatever the caller left in it.
WLProfile WithTerminatedName(const WLProfile& profile)
{
    WLProfile copy = profile;
    copy.ProfileName[sizeof copy.ProfileName - 1] = '\0';
    return copy;
}

} // namespace

TProfileList& CNICAdapter::List(int kind)
{
    return kind == PROF_STATION ? m_StaProfiles : m_APProfiles;
}

const TProfileList& CNICAdapter::List(int kind) const
{
    return kind == PROF_STATION ? m_StaProfiles : m_APProfiles;
}

void CNICAdapter::WriteOrder(int kind, const TProfileList& list, size_t from, int oldCount)
{
    QList<QPair<QString, QVariant>> values{{CountKey(kind), int(list.size())}};
    for (size_t p = from; p < list.size(); ++p)
        values.append({EntryKey(kind, p), ProfileNameOf(*list[p])});
    QStringList removed;
    for (int p = int(list.size()); p < oldCount; ++p)
        removed << EntryKey(kind, size_t(p));
    StoreUpdate(values, removed);
}

void CNICAdapter::ReadProfileList(int kind, TProfileList& target)
{
    DebugPrint("CNICAdapter::ReadProfileList()");
    const WLProfile& defaults = kind == PROF_STATION ? m_DefProf : m_DefAPProf;
    TProfileList scratch;
    {
        CTSLibLock lock(m_Stop);
        if (!lock)
            return;
        char name[TSRWL_PROFILE_NAME_BUFFER_SIZE];
        for (int i = 0; !Terminated(); ++i) {
            memset(name, 0, sizeof name);
            if (g_TSLib.TSRWL_EnumWLProfiles(i, name) != 1)
                break;
            if (i == MAX_ENUMERATED_PROFILES) {
                DebugPrint("CNICAdapter::ReadProfileList() stops after %d profiles", i);
                break;
            }
            name[sizeof name - 1] = '\0';
            auto profile = std::make_unique<WLProfile>(defaults);
            if (g_TSLib.TSRWL_GetWLProfile(name, profile.get()) != 1) {
                NoteDamaged(QString::fromUtf8(name));
                continue;
            }
            if (profile->FuncMode != kind)
                continue;
            profile->ProfileName[sizeof profile->ProfileName - 1] = '\0';
            CopyTextField(profile->NetInfo.sz_CurProfile, sizeof profile->NetInfo.sz_CurProfile,
                          ProfileNameOf(*profile));
            scratch.push_back(std::move(profile));
        }
    }
    const int stored = std::clamp(ReadSet(CountKey(kind), 0), 0, MAX_ORDER_KEYS);
    QStringList keys;
    for (int p = 0; p < stored; ++p)
        keys << EntryKey(kind, size_t(p));
    const QStringList order = ReadSetTexts(keys);
    std::lock_guard lock(m_ListMutex);
    target.clear();
    ArrangeByName(scratch, order, target);
    WriteOrder(kind, target, 0, stored);
}

void CNICAdapter::NoteDamaged(const QString& name)
{
    DebugPrint("CNICAdapter::ReadProfileList() can't read the stored profile %s", qUtf8Printable(name));
    {
        std::lock_guard lock(m_ListMutex);
        if (!m_DamagedProfiles.contains(name, Qt::CaseInsensitive))
            m_DamagedProfiles << name;
    }
    ReportDamagedProfile(name);
}

bool CNICAdapter::LastProfileDamaged(int kind) const
{
    const QString name = ReadSet(LastKey(kind), "");
    std::lock_guard lock(m_ListMutex);
    return !name.isEmpty() && m_DamagedProfiles.contains(name, Qt::CaseInsensitive);
}

void CNICAdapter::GetProfileList(int kind, TProfileList& out) const
{
    std::lock_guard lock(m_ListMutex);
    for (const auto& profile : List(kind))
        out.push_back(std::make_unique<WLProfile>(*profile));
}

bool CNICAdapter::ProfileExists(const QString& name) const
{
    std::lock_guard lock(m_ListMutex);
    return FindName(m_StaProfiles, name) != m_StaProfiles.end() ||
           FindName(m_APProfiles, name) != m_APProfiles.end();
}

bool CNICAdapter::AddProfile(const WLProfile& profile)
{
    DebugPrint("CNICAdapter::AddProfile()");
    const WLProfile copy = WithTerminatedName(profile);
    if (ProfileExists(ProfileNameOf(copy)))
        return UpdateProfile(copy, ProfileNameOf(copy));
    {
        CTSLibLock lock(m_Stop);
        if (!lock)
            return false;
        // A profile the library did not store would be listed until the next start and then be gone.
        if (g_TSLib.TSRWL_SetWLProfile(copy.ProfileName, &copy) != TSRWL_OK) {
            DebugPrint("CNICAdapter::AddProfile: the library did not store %s",
                       qUtf8Printable(ProfileNameOf(copy)));
            return false;
        }
    }
    const int kind = KindOf(copy);
    {
        std::lock_guard lock(m_ListMutex);
        TProfileList& list = List(kind);
        list.push_back(std::make_unique<WLProfile>(copy));
        WriteOrder(kind, list, list.size() - 1, int(list.size()));
    }
    Post(NM_PROFILE_LIST, kind);
    return true;
}

std::optional<size_t> CNICAdapter::ReplaceInLibrary(int kind, const QString& name,
                                                    const WLProfile* replacement)
{
    size_t position;
    char listedName[sizeof WLProfile::ProfileName];
    {
        std::lock_guard lock(m_ListMutex);
        const TProfileList& list = List(kind);
        const auto it = FindName(list, name);
        if (it == list.end())
            return std::nullopt;
        position = size_t(it - list.begin());
        memcpy(listedName, (*it)->ProfileName, sizeof listedName);
    }
    CTSLibLock lock(m_Stop);
    if (!lock)
        return std::nullopt;
    // The new profile is stored before the old name goes, so that an end at any moment leaves one of them;
    // under an unchanged name the store replaces the file by itself. A store that fails (a full disk, a
    // folder that cannot be written) leaves the old profile where it was.
    if (replacement && g_TSLib.TSRWL_SetWLProfile(replacement->ProfileName, replacement) != TSRWL_OK) {
        DebugPrint("CNICAdapter: the library did not store %s; %s kept",
                   qUtf8Printable(QString::fromUtf8(replacement->ProfileName)), listedName);
        return std::nullopt;
    }
    if (replacement && strcmp(listedName, replacement->ProfileName) == 0)
        return position;
    if (g_TSLib.TSRWL_DeleteWLProfile(listedName) != TSRWL_OK) {
        DebugPrint("CNICAdapter: the library did not remove %s", listedName);
        // A rename that cannot drop the old name is undone, so that the list and the store still agree.
        if (replacement)
            g_TSLib.TSRWL_DeleteWLProfile(replacement->ProfileName);
        return std::nullopt;
    }
    return position;
}

bool CNICAdapter::DeleteProfile(int kind, const QString& name)
{
    DebugPrint("CNICAdapter::DeleteProfile()");
    kind = kind == PROF_STATION ? PROF_STATION : PROF_SOFTAP;
    const std::optional<size_t> position = ReplaceInLibrary(kind, name, nullptr);
    if (!position)
        return false;
    {
        std::lock_guard lock(m_ListMutex);
        TProfileList& list = List(kind);
        list.erase(list.begin() + ptrdiff_t(*position));
        WriteOrder(kind, list, *position, int(list.size()) + 1);
    }
    FollowLastName(kind, name, QString());
    Post(NM_PROFILE_LIST, kind);
    return true;
}

bool CNICAdapter::UpdateProfile(const WLProfile& profile, const QString& oldName)
{
    DebugPrint("CNICAdapter::UpdateProfile()");
    const WLProfile copy = WithTerminatedName(profile);
    const int kind = KindOf(copy);
    const std::optional<size_t> position = ReplaceInLibrary(kind, oldName, &copy);
    if (!position)
        return false;
    {
        std::lock_guard lock(m_ListMutex);
        TProfileList& list = List(kind);
        *list[*position] = copy;
        WriteOrder(kind, list, *position, int(list.size()));
    }
    FollowLastName(kind, oldName, ProfileNameOf(copy));
    Post(NM_PROFILE_LIST, kind);
    return true;
}

void CNICAdapter::FollowLastName(int kind, const QString& oldName, const QString& newName)
{
    const QString last = ReadSet(LastKey(kind), "");
    if (last.isEmpty() || !SameName(last, oldName) || last == newName)
        return;
    // Left on a gone name, the next start would connect with whichever profile is listed first.
    if (newName.isEmpty())
        SetDeleteKey(LastKey(kind));
    else
        WriteSet(LastKey(kind), newName);
}

QString CNICAdapter::GetLastProfile(int kind) const
{
    const QString name = ReadSet(LastKey(kind), "");
    std::lock_guard lock(m_ListMutex);
    const TProfileList& list = List(kind);
    return !name.isEmpty() && FindName(list, name) != list.end() ? name : QString();
}

QString CNICAdapter::ConnectLast(const QStringList& listed)
{
    if (listed.isEmpty() || EnableZeroCfg() || !ReadSet(QStringLiteral("InitConnect"), true))
        return {};
    if (LastProfileDamaged(PROF_STATION)) {
        DebugPrint("Connect last: the last profile cannot be read; not connecting");
        return {};
    }
    const QString last = GetLastProfile(PROF_STATION);
    const QString chosen =
        !last.isEmpty() && listed.contains(last, Qt::CaseInsensitive) ? last : listed.first();
    WLProfile profile;
    {
        std::lock_guard lock(m_ListMutex);
        const auto found = FindName(m_StaProfiles, chosen);
        if (found == m_StaProfiles.end())
            return {};
        profile = **found;
    }
    QString name = ProfileNameOf(profile);
    DebugPrint("Connect last => %s", qPrintable(name));
    Connect(profile);
    return name;
}

void CNICAdapter::GetLastApplied(WLProfile& out) const
{
    WLProfile applied = m_DefProf;
    if (!ProfFromIniFile(applied, QStringLiteral("LastApplyProf")))
        applied = m_DefProf;
    out = applied;
}

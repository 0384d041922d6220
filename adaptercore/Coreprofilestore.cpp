#include "Coreprofilestore.h"

#include "Corefilelock.h"
#include "Corepaths.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <dirent.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kSuffix[] = ".wlprofile";
// Changes made by this process; a folder's time stamp may not move for two changes close together.
std::atomic<uint64_t> g_changes{0};
const char kMagic[8] = {'T', 'S', 'R', 'W', 'L', 'P', 'R', '1'};

bool IsPlainChar(unsigned char c)
{
    return isalnum(c) || c == ' ' || c == '_' || c == '-' || c == '(' || c == ')' || c == '+' || c == ',' ||
           c == '.';
}

// Any byte could be in a profile name; file names keep the readable ones and escape the rest as %XX.
std::string EncodeName(const std::string& name)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (IsPlainChar(c) && !(i == 0 && c == '.')) {
            encoded += char(c);
        } else {
            encoded += '%';
            encoded += digits[c >> 4];
            encoded += digits[c & 15];
        }
    }
    return encoded;
}

bool DecodeName(const std::string& encoded, std::string& name)
{
    name.clear();
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            name += encoded[i];
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= encoded.size() || sscanf(encoded.substr(i + 1, 2).c_str(), "%2X", &value) != 1)
            return false;
        name += char(value);
        i += 2;
    }
    return CCoreProfileStore::IsUsableName(name);
}

std::string SafeDirName(const std::string& dirName)
{
    const std::string encoded = EncodeName(dirName.substr(0, 128));
    return encoded.empty() ? "default" : encoded;
}

} // namespace

CCoreProfileStore::CCoreProfileStore(const std::string& dirName)
    : CCoreProfileStore(ProfileBaseDir(), dirName)
{
}

CCoreProfileStore::CCoreProfileStore(const std::string& baseDir, const std::string& dirName)
    : m_dir(baseDir + "/" + SafeDirName(dirName))
{
}

bool CCoreProfileStore::IsUsableName(const std::string& name)
{
    return !name.empty() && name.size() <= MaxNameLength && name.find('\0') == std::string::npos;
}

std::string CCoreProfileStore::FilePath(const std::string& name) const
{
    return m_dir + "/" + EncodeName(name) + kSuffix;
}

bool CCoreProfileStore::Save(const std::string& name, const void* record, size_t size) const
{
    if (!IsUsableName(name) || !record)
        return false;
    if (!MakePrivateDirs(m_dir)) {
        CoreLog("profile directory %s cannot be made: %s", m_dir.c_str(), strerror(errno));
        return false;
    }
    RemoveLeftoversOnce();
    std::string data(kMagic, sizeof kMagic);
    data.append(static_cast<const char*>(record), size);
    // Held so that another process's first use never takes this save's temporary file for a leftover.
    const CCoreFileLock lock(m_dir, LOCK_EX);
    const bool written = WriteFileAtomic(FilePath(name), data);
    ++g_changes;
    if (!written) {
        CoreLog("profile %s cannot be written in %s: %s", name.c_str(), m_dir.c_str(), strerror(errno));
        return false;
    }
    return true;
}

bool CCoreProfileStore::Load(const std::string& name, void* record, size_t size) const
{
    if (!IsUsableName(name) || !record)
        return false;
    std::string data;
    if (!ReadFileText(FilePath(name), data))
        return false;
    if (data.size() != sizeof kMagic + size || memcmp(data.data(), kMagic, sizeof kMagic) != 0) {
        CoreLog("profile file %s is damaged; ignored", FilePath(name).c_str());
        return false;
    }
    memcpy(record, data.data() + sizeof kMagic, size);
    return true;
}

bool CCoreProfileStore::Remove(const std::string& name) const
{
    if (!IsUsableName(name))
        return false;
    // The folder is synced where it can be; the file is gone either way, and that is what the caller asked.
    const bool removed = unlink(FilePath(name).c_str()) == 0;
    if (removed)
        SyncFolderOf(FilePath(name));
    ++g_changes;
    return removed;
}

std::shared_ptr<const std::vector<std::string>> CCoreProfileStore::Names() const
{
    // Enumeration asks for one index at a time: the folder is listed and sorted again only when it changed,
    // here or in another process, not once per index (thousands of profiles took seconds).
    struct Listing {
        dev_t device = 0;
        ino_t inode = 0;
        timespec modified{};
        uint64_t generation = 0;
        std::shared_ptr<const std::vector<std::string>> names;
    };
    RemoveLeftoversOnce();
    static std::mutex lock;
    static std::map<std::string, Listing> listings;
    struct stat info {};
    if (stat(m_dir.c_str(), &info) != 0)
        return std::make_shared<const std::vector<std::string>>();
    const std::lock_guard guard(lock);
    Listing& cached = listings[m_dir];
    if (cached.names && cached.device == info.st_dev && cached.inode == info.st_ino &&
        cached.modified.tv_sec == info.st_mtim.tv_sec && cached.modified.tv_nsec == info.st_mtim.tv_nsec &&
        cached.generation == g_changes)
        return cached.names;
    cached = {info.st_dev, info.st_ino, info.st_mtim, g_changes,
              std::make_shared<const std::vector<std::string>>(ListNames())};
    return cached.names;
}

void CCoreProfileStore::RemoveLeftoversOnce() const
{
    if (!FirstTimeInProcess(m_dir))
        return;
    struct stat info {};
    if (stat(m_dir.c_str(), &info) != 0)
        return;
    const CCoreFileLock held(m_dir, LOCK_EX);
    if (held.Held())
        RemoveWriteLeftovers(m_dir, [](const std::string& file) {
            return file.size() > strlen(kSuffix) &&
                   file.compare(file.size() - strlen(kSuffix), std::string::npos, kSuffix) == 0;
        });
}

std::vector<std::string> CCoreProfileStore::ListNames() const
{
    std::vector<std::string> names;
    DIR* dir = opendir(m_dir.c_str());
    if (!dir)
        return names;
    const size_t suffixLength = strlen(kSuffix);
    while (const dirent* entry = readdir(dir)) {
        const std::string file = entry->d_name;
        std::string name;
        if (file.size() > suffixLength &&
            file.compare(file.size() - suffixLength, suffixLength, kSuffix) == 0 &&
            DecodeName(file.substr(0, file.size() - suffixLength), name))
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

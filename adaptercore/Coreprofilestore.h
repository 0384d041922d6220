#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// Stored profiles: one file per profile in a private directory, written atomically, readable by the owner
// only.

class CCoreProfileStore {
public:
    static constexpr size_t MaxNameLength = 64;

    // `dirName` is the name the program gives (its profile root); it becomes one folder under
    // ProfileBaseDir().
    explicit CCoreProfileStore(const std::string& dirName);
    // The same under another base directory (another adapter library keeps its profiles apart).
    CCoreProfileStore(const std::string& baseDir, const std::string& dirName);

    bool Save(const std::string& name, const void* record, size_t size) const;
    // False when there is no such profile or its file does not hold a record of `size` bytes.
    bool Load(const std::string& name, void* record, size_t size) const;
    bool Remove(const std::string& name) const;
    // Names of the stored profiles, sorted, so that enumeration by index is stable.
    std::shared_ptr<const std::vector<std::string>> Names() const;
    const std::string& Directory() const { return m_dir; }

    static bool IsUsableName(const std::string& name);

private:
    std::vector<std::string> ListNames() const;
    // What saves cut short in an earlier process left in the folder goes at this process's first use of it.
    void RemoveLeftoversOnce() const;
    std::string FilePath(const std::string& name) const;

    std::string m_dir;
};

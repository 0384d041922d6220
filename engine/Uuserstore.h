#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <mutex>
#include <optional>
#include <vector>

// The per-user key-value store of one adapter: a group of its own in an INI file under
// $XDG_CONFIG_HOME/<root>/, written atomically and locked against other processes. Every call opens the
// file afresh, so any thread may use the store.
class CUserStore {
public:
    CUserStore(const QString& root, const QString& groupName);
    // The file of every adapter's store under the settings root `root`.
    static QString PathFor(const QString& root);

    const QString& FilePath() const { return m_Path; }
    // The stored value, or nothing when the key (or the whole store) is missing.
    std::optional<QVariant> Value(const QString& key) const;
    // Several values with one reading of the file.
    std::vector<std::optional<QVariant>> Values(const QStringList& keys) const;
    // Sets the values and removes the keys in one write. False, with the reason in `error`, when the change
    // could not be written; it is then kept in memory, read back from there, and written with the next
    // change that can be.
    bool Update(const QList<QPair<QString, QVariant>>& values, const QStringList& removed, QString& error);

private:
    std::vector<std::optional<QVariant>> StoredValues(const QStringList& keys) const;
    bool Write(const QList<QPair<QString, QVariant>>& values, const QStringList& removed, QString& error);

    QString m_Path;
    QString m_Group;
    // Changes not written yet: a key's value, or an invalid value for a removed key.
    mutable std::mutex m_UnsavedMutex;
    QHash<QString, QVariant> m_Unsaved;

public:
    // A damaged file is reported once, not at every read.
    mutable std::atomic<bool> m_ReportedCorrupt{false};
};

#pragma once

#include <QList>
#include <QtGlobal>
#include <QPair>
#include <QString>
#include <QStringList>
#include <sys/types.h>
#include <memory>
#include <vector>

class CIniStore;

// Why a file that exists gave no values.
enum class IniProblem {
    Unreadable,    // no regular file, or no permission to read it
    NotIni,        // binary bytes, or text in which no line opens a section
    TooLarge,      // larger than MAX_SETTINGS_FILE_SIZE
    OtherEncoding, // text in UTF-16 or UTF-32, which the reader does not take; never written over either
};

// No settings or language file of the program comes near this; a larger one (a mistake or an attack) would
// cost memory and seconds of parsing before the window appears, and is not read.
constexpr qint64 MAX_SETTINGS_FILE_SIZE = 4 * 1024 * 1024;

// Read-only view of an INI file with the Windows profile reader's rules: sections and keys compare without
// regard to letter case, blanks around names and values are trimmed, a value in double quotes loses them,
// lines starting with ';' are comments and the first of two equal keys wins. A missing or unreadable file
// reads as empty. Several files can be layered: a key is taken from the first file that holds it, so a
// user's own copy of a file can override the shipped defaults key by key.
class CIniFile {
public:
    explicit CIniFile(const QString& path);
    // The files in the order they are asked; FileName() is the first.
    explicit CIniFile(const QStringList& paths);
    ~CIniFile();
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    const QString& FileName() const { return m_Path; }
    bool HasKey(const QString& section, const QString& key) const;
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Integers as the Windows reader takes them: decimal, or hexadecimal after "0x"; anything else is `def`.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // "0" is false, any other integer true; a value that is no integer gives `def`.
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    QList<QString> SectionKeys(const QString& section) const;
    // The files that exist but were read as empty, in the order given.
    const QList<QPair<QString, IniProblem>>& Problems() const { return m_Problems; }

private:
    const char* Find(const QString& section, const QString& key) const;

    QString m_Path;
    std::vector<std::unique_ptr<CIniStore>> m_Inis;
    QList<QPair<QString, IniProblem>> m_Problems;
};

using IniEntries = QList<QPair<QString, QString>>;

// The file `path` finally names: every symbolic link of a chain is followed (a relative one from its own
// folder). Empty when the chain loops or is longer than the system would follow.
QString FinalTarget(const QString& path);

// True when a symbolic link on the chain from `path` to its final target belongs to another user (root
// aside): another user could point it anywhere, so nothing is written through it.
bool ForeignLinkOnTheWay(const QString& path);

// Makes the folder `dir` and the folders on its way that are missing, each usable by its owner only
// whatever the umask; a folder of ours that others could write to (made by an earlier version under a
// lax umask) is closed too. False (logged) when it cannot be made.
bool MakePrivateFolder(const QString& dir);

// Removes the temporary files that interrupted writes of `path` left beside its final target: the target's
// name followed by "." and six letters or digits, as these writes and the system's settings class name them,
// and the lock of that class's stale-lock removal (".lock.rmlock").
// Other files are never touched. Call it only while no other process can be writing the file.
void RemoveInterruptedWrites(const QString& path);

// Replaces the file `path` with `data` of the given mode: written beside it as a temporary file, flushed to
// disk and renamed over it, so a failure (logged) leaves the original untouched.
bool WriteFileAtomic(const QString& path, const QByteArray& data, mode_t mode);

// Replaces one whole section of an INI file (creating the file or the section as needed) and keeps every
// other byte of it. A chain of symbolic links is written through to its final target: the new file is
// written beside that, flushed to disk and renamed over it, so a failure leaves the original untouched. With
// `secret` the file is made readable by its owner only. Returns false (and logs why) when the file could not
// be written.
bool ReplaceIniSection(const QString& path, const QString& section, const IniEntries& entries, bool secret);

#include "Uuserstore.h"
#include "app/Udebug.h"
#include "app/Uinifile.h"
#include "app/Uoutsidefile.h"
#include "app/Usafefolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// QSettings shares one parsed copy of each file among all its objects in the process; its own lock is
// invisible to the thread sanitizer, so the store adds one of ours and hands out values it does not share.
std::mutex g_StoreMutex;

QVariant Unshared(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList) {
        QStringList copy;
        for (const QString& item : value.toStringList())
            copy << QString(item.constData(), item.size());
        return copy;
    }
    const QString text = value.toString();
    return QString(text.constData(), text.size());
}

// The lines the settings class can read: blank, a comment, a section header or a key with a value. A NUL
// byte it does not take as text.
bool Readable(const QByteArray& line)
{
    const QByteArray t = line.trimmed();
    return !t.contains('\0') &&
           (t.isEmpty() || t.startsWith(';') || t.contains('=') || (t.startsWith('[') && t.contains(']')));
}

// The settings class ends a line at a CR as well as at an LF.
QByteArrayList SettingsLines(const QByteArray& data)
{
    QByteArray unified = data;
    unified.replace('\r', '\n');
    return unified.split('\n');
}

// The store as the settings class would open it: a FIFO or a device in its place would block the worker for
// good, a huge file cost its size.
OutsideFile CheckStore(const QString& path)
{
    return CheckOutsideFile(path, MAX_SETTINGS_FILE_SIZE);
}

// The lines the settings class cannot read it drops on its next write without a word, and it then calls even
// a good write failed. They are logged and taken out first, so nothing vanishes unseen and the write's own
// result counts. False when the file without them could not be written.
bool DropUnreadableLines(const QString& path)
{
    QByteArray data;
    if (ReadOutsideFile(path, MAX_SETTINGS_FILE_SIZE, data) != OutsideFile::Ok)
        return true; // missing, or unreadable: the write itself tells
    const QByteArrayList lines = SettingsLines(data);
    QByteArrayList kept;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (Readable(lines[i]))
            kept << lines[i];
        else
            DebugPrint("CUserStore: line %d of %s cannot be read and is left out: %s", int(i + 1),
                       qUtf8Printable(path), lines[i].left(200).constData());
    }
    if (kept.size() == lines.size())
        return true;
    struct stat st {};
    const QString target = FinalTarget(path);
    const mode_t mode = stat(QFile::encodeName(target).constData(), &st) == 0 ? st.st_mode & 07777 : 0600;
    return WriteFileAtomic(target, kept.join('\n'), mode);
}

// The settings class makes a new file with the umask's mode and keeps the mode of one that exists: the store
// is made first, readable by its owner only.
bool CreateOwnerOnly(const QString& path)
{
    const int fd =
        open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return errno == EEXIST;
    const bool ok = fchmod(fd, 0600) == 0;
    close(fd);
    return ok;
}

} // namespace

CUserStore::CUserStore(const QString& root, const QString& groupName)
    : m_Path(PathFor(root)),
      // Hardware ids hold backslashes, which the INI form takes for group separators.
      m_Group(QString::fromLatin1(QUrl::toPercentEncoding(groupName)))
{
}

QString CUserStore::PathFor(const QString& root)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + '/' + root +
           QStringLiteral("/WLAdapter.conf");
}

std::optional<QVariant> CUserStore::Value(const QString& key) const
{
    return Values({key}).front();
}

std::vector<std::optional<QVariant>> CUserStore::Values(const QStringList& keys) const
{
    std::vector<std::optional<QVariant>> values = StoredValues(keys);
    const std::lock_guard unsavedLock(m_UnsavedMutex);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const auto unsaved = m_Unsaved.constFind(keys[i]);
        if (unsaved != m_Unsaved.constEnd())
            values[size_t(i)] =
                unsaved->isValid() ? std::optional<QVariant>(Unshared(*unsaved)) : std::nullopt;
    }
    return values;
}

std::vector<std::optional<QVariant>> CUserStore::StoredValues(const QStringList& keys) const
{
    const std::lock_guard lock(g_StoreMutex);
    // A store in a folder others can change is not trusted: what was planted there is not read.
    const OutsideFile check = CheckStore(m_Path);
    if ((check != OutsideFile::Ok && check != OutsideFile::Missing) || !IsSafeFolderOf(m_Path))
        return std::vector<std::optional<QVariant>>(size_t(keys.size()));
    QSettings settings(Unshared(m_Path).toString(), QSettings::NativeFormat);
    if (settings.status() == QSettings::FormatError && !m_ReportedCorrupt.exchange(true))
        DebugPrint("CUserStore: %s is damaged; its readable values are used", qUtf8Printable(m_Path));
    settings.beginGroup(m_Group);
    std::vector<std::optional<QVariant>> values;
    for (const QString& key : keys) {
        const QVariant value = settings.value(key);
        values.push_back(value.isValid() ? std::optional<QVariant>(Unshared(value)) : std::nullopt);
    }
    return values;
}

bool CUserStore::Update(const QList<QPair<QString, QVariant>>& values, const QStringList& removed,
                        QString& error)
{
    const std::lock_guard unsavedLock(m_UnsavedMutex);
    QHash<QString, QVariant> changes = m_Unsaved;
    for (const auto& [key, value] : values)
        changes.insert(key, value);
    for (const QString& key : removed)
        changes.insert(key, QVariant());
    QList<QPair<QString, QVariant>> set;
    QStringList gone;
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        if (it->isValid())
            set.append({it.key(), *it});
        else
            gone << it.key();
    }
    // Kept in memory when it cannot be written: the program goes on with what the user set.
    const bool written = Write(set, gone, error);
    m_Unsaved = written ? QHash<QString, QVariant>() : changes;
    return written;
}

bool CUserStore::Write(const QList<QPair<QString, QVariant>>& values, const QStringList& removed,
                       QString& error)
{
    if (!MakePrivateFolder(QFileInfo(m_Path).absolutePath())) {
        error = QStringLiteral("cannot create the folder of ") + m_Path;
        return false;
    }
    std::lock_guard lock(g_StoreMutex);
    if (ForeignLinkOnTheWay(m_Path)) {
        error = m_Path + QStringLiteral(" is a symbolic link of another user");
        return false;
    }
    if (!CreateOwnerOnly(m_Path)) {
        error = QStringLiteral("cannot create ") + m_Path;
        return false;
    }
    if (CheckStore(m_Path) != OutsideFile::Ok) {
        error = m_Path + QStringLiteral(" is no regular file of at most 4 MB");
        return false;
    }
    QSettings settings(Unshared(m_Path).toString(), QSettings::NativeFormat);
    if (!DropUnreadableLines(m_Path)) {
        error = QStringLiteral("cannot write ") + m_Path;
        return false;
    }
    if (!settings.isWritable()) {
        error = m_Path + QStringLiteral(" is not writable");
        return false;
    }
    settings.beginGroup(m_Group);
    for (const auto& [key, value] : values)
        settings.setValue(key, value);
    for (const QString& key : removed)
        settings.remove(key);
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        error = QStringLiteral("cannot write ") + m_Path;
        return false;
    }
    return true;
}

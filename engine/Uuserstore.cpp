#include "Uuserstore.h"
#include "app/Udebug.h"
#include "app/Uinifile.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <mutex>
#include <sys/stat.h>

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

// The lines the settings class can read: blank, a comment, a section header or a key with a value.
bool Readable(const QByteArray& line)
{
    const QByteArray t = line.trimmed();
    return t.isEmpty() || t.startsWith(';') || t.contains('=') || (t.startsWith('[') && t.contains(']'));
}

// The lines the settings class cannot read it drops on its next write without a word, and it then calls even
// a good write failed. They are logged and taken out first, so nothing vanishes unseen and the write's own
// result counts. False when the file without them could not be written.
bool DropUnreadableLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true; // missing, or unreadable: the write itself tells
    const QByteArrayList lines = file.readAll().split('\n');
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
    std::lock_guard lock(g_StoreMutex);
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

bool CUserStore::Update(const QList<QPair<QString, QVariant>>& values, const QStringList& removed, QString& error)
{
    if (!QDir().mkpath(QFileInfo(m_Path).absolutePath())) {
        error = QStringLiteral("cannot create the folder of ") + m_Path;
        return false;
    }
    std::lock_guard lock(g_StoreMutex);
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

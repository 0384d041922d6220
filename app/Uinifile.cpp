#include "Uinifile.h"
#include "Udebug.h"

#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class CIniStore : public CSimpleIniA {
public:
    CIniStore() : CSimpleIniA(false, true, false) { SetQuotes(true); }
};

namespace {

QByteArray Key(const QString& text)
{
    return text.trimmed().toUtf8();
}

// Section header name of a line, or a null array when the line is no header.
QByteArray HeaderName(const QByteArray& line)
{
    const QByteArray t = line.trimmed();
    if (!t.startsWith('['))
        return {};
    const qsizetype close = t.indexOf(']');
    return close < 0 ? t.mid(1).trimmed() : t.mid(1, close - 1).trimmed();
}

QByteArray IniValue(const QString& value)
{
    QByteArray v = value.toUtf8();
    v.replace('\r', ' ').replace('\n', ' ');
    // A value with outer blanks or quotes is quoted so that reading it back gives the same text.
    const bool needsQuotes = !v.isEmpty() && (v.front() <= ' ' || v.back() <= ' ' || v.front() == '"');
    return needsQuotes ? '"' + v + '"' : v;
}

QByteArray SectionText(const QString& section, const IniEntries& entries, const QByteArray& eol)
{
    QByteArray text = '[' + section.toUtf8() + ']' + eol;
    for (const auto& [key, value] : entries)
        text += key.toUtf8() + '=' + IniValue(value) + eol;
    return text;
}

QByteArray Rewrite(const QByteArray& old, const QString& section, const IniEntries& entries)
{
    const QByteArray eol = old.contains("\r\n") || old.isEmpty() ? "\r\n" : "\n";
    const QByteArray wanted = section.toUtf8().toLower();
    QByteArray out;
    bool inSection = false;
    bool written = false;
    qsizetype pos = 0;
    while (pos < old.size()) {
        qsizetype end = old.indexOf('\n', pos);
        end = end < 0 ? old.size() : end + 1;
        const QByteArray line = old.mid(pos, end - pos);
        pos = end;
        const QByteArray name = HeaderName(line);
        if (!name.isNull())
            inSection = name.toLower() == wanted;
        if (inSection && !written) {
            out += SectionText(section, entries, eol);
            written = true;
        }
        if (!inSection)
            out += line;
    }
    if (!written) {
        if (!out.isEmpty() && !out.endsWith('\n'))
            out += eol;
        out += SectionText(section, entries, eol);
    }
    return out;
}

// A picture, a program or plain text named as an INI file would otherwise read as empty without a word. Binary
// data is told by its share of control bytes (about one in nine of random bytes); a few stray ones in a
// hand-edited file are no reason to drop it all.
bool LooksLikeIni(const QByteArray& data)
{
    constexpr qsizetype STRAY_CONTROLS = 16;
    const auto control = std::count_if(data.begin(), data.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return (b < 0x20 && b != '\t' && b != '\n' && b != '\r') || b == 0x7F;
    });
    if (control > STRAY_CONTROLS && control * 20 > data.size())
        return false;
    bool content = false;
    for (const QByteArray& raw : data.split('\n')) {
        QByteArray line = raw.trimmed();
        if (line.startsWith("\xEF\xBB\xBF"))
            line = line.mid(3);
        if (line.startsWith('[') && line.indexOf(']') > 1)
            return true;
        content = content || !(line.isEmpty() || line.startsWith(';') || line.startsWith('#'));
    }
    return !content;
}

bool WriteAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

CIniFile::CIniFile(const QString& path) : CIniFile(QStringList{path}) {}

CIniFile::CIniFile(const QStringList& paths) : m_Path(paths.value(0))
{
    for (const QString& path : paths) {
        m_Inis.push_back(std::make_unique<CIniStore>());
        const QFileInfo info(path);
        if (!info.exists())
            continue;
        // Not opened unless a regular file: a FIFO in its place would block the start for good.
        QFile f(path);
        const bool opened = info.isFile() && f.open(QIODevice::ReadOnly);
        const QByteArray data = opened ? f.readAll() : QByteArray();
        if (!opened || f.error() != QFile::NoError)
            m_Problems.append({path, IniProblem::Unreadable});
        else if (!LooksLikeIni(data))
            m_Problems.append({path, IniProblem::NotIni});
        else
            m_Inis.back()->LoadData(data.constData(), size_t(data.size()));
    }
}

CIniFile::~CIniFile() = default;

const char* CIniFile::Find(const QString& section, const QString& key) const
{
    const QByteArray s = Key(section);
    const QByteArray k = Key(key);
    for (const auto& ini : m_Inis)
        if (const char* v = ini->GetValue(s.constData(), k.constData(), nullptr))
            return v;
    return nullptr;
}

bool CIniFile::HasKey(const QString& section, const QString& key) const
{
    return Find(section, key) != nullptr;
}

QString CIniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    const char* v = Find(section, key);
    return v ? QString::fromUtf8(v) : def;
}

int CIniFile::ReadInteger(const QString& section, const QString& key, int def) const
{
    const QString text = ReadString(section, key, QString()).trimmed();
    bool ok = false;
    const int value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16)
                                                                                : text.toInt(&ok, 10);
    return ok ? value : def;
}

bool CIniFile::ReadBool(const QString& section, const QString& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

QList<QString> CIniFile::SectionKeys(const QString& section) const
{
    QList<QString> out;
    for (const auto& ini : m_Inis) {
        CSimpleIniA::TNamesDepend keys;
        ini->GetAllKeys(Key(section).constData(), keys);
        keys.sort(CSimpleIniA::Entry::LoadOrder());
        for (const auto& k : keys)
            out << QString::fromUtf8(k.pItem);
    }
    // Names compare without regard to letter case, as the lookups do.
    QList<QString> unique;
    for (const QString& key : out)
        if (!unique.contains(key, Qt::CaseInsensitive))
            unique << key;
    return unique;
}

QString FinalTarget(const QString& path)
{
    // The system's own limit of links followed in one path.
    constexpr int MAX_LINKS = 40;
    QString current = path;
    for (int i = 0; i < MAX_LINKS; ++i) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        current = info.symLinkTarget();
    }
    return {};
}

void RemoveInterruptedWrites(const QString& path)
{
    const QFileInfo target(FinalTarget(path));
    if (target.filePath().isEmpty())
        return;
    const QRegularExpression temporary(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(target.fileName()) + "\\.[A-Za-z0-9]{6}"));
    const QFileInfoList entries = target.dir().entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries) {
        if (!temporary.match(entry.fileName()).hasMatch() || entry.ownerId() != geteuid())
            continue;
        if (QFile::remove(entry.filePath()))
            DebugPrint("removed %s, left by an interrupted write", qPrintable(entry.filePath()));
    }
}

bool WriteFileAtomic(const QString& path, const QByteArray& data, mode_t mode)
{
    QByteArray temp = QFile::encodeName(path) + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        DebugPrintErr(errno, "WriteFileAtomic: can't create a temporary file for %s", qPrintable(path));
        return false;
    }
    const bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, data) && fsync(fd) == 0;
    const int err = errno;
    close(fd);
    if (!ok || rename(temp.constData(), QFile::encodeName(path).constData()) != 0) {
        DebugPrintErr(ok ? errno : err, "WriteFileAtomic: can't write %s", qPrintable(path));
        unlink(temp.constData());
        return false;
    }
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int dfd = open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    return true;
}

bool ReplaceIniSection(const QString& path, const QString& section, const IniEntries& entries, bool secret)
{
    const QString target = FinalTarget(path);
    if (target.isEmpty()) {
        DebugPrint("ReplaceIniSection: %s is a loop of symbolic links", qPrintable(path));
        return false;
    }
    QFile old(target);
    QByteArray oldData;
    mode_t mode = 0644;
    struct stat st {};
    if (stat(QFile::encodeName(target).constData(), &st) == 0) {
        if (!old.open(QIODevice::ReadOnly)) {
            DebugPrint("ReplaceIniSection: can't read %s", qPrintable(target));
            return false;
        }
        oldData = old.readAll();
        mode = st.st_mode & 07777;
    }
    if (secret)
        mode &= 0600;
    return WriteFileAtomic(target, Rewrite(oldData, section, entries), mode);
}

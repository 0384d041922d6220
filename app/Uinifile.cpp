#include "Uinifile.h"
#include "Udebug.h"

#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <QByteArrayList>
#include <QFile>
#include <QFileInfo>
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
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray data = f.readAll();
        if (m_Inis.back()->LoadData(data.constData(), size_t(data.size())) < 0)
            DebugPrint("CIniFile: can't parse %s", qPrintable(path));
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

bool ReplaceIniSection(const QString& path, const QString& section, const IniEntries& entries, bool secret)
{
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    QFile old(target);
    QByteArray oldData;
    mode_t mode = 0644;
    struct stat st{};
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
    QByteArray temp = QFile::encodeName(target) + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        DebugPrintErr(errno, "ReplaceIniSection: can't create a temporary file for %s", qPrintable(target));
        return false;
    }
    const bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, Rewrite(oldData, section, entries)) && fsync(fd) == 0;
    const int err = errno;
    close(fd);
    if (!ok || rename(temp.constData(), QFile::encodeName(target).constData()) != 0) {
        DebugPrintErr(ok ? errno : err, "ReplaceIniSection: can't write %s", qPrintable(target));
        unlink(temp.constData());
        return false;
    }
    const QByteArray dir = QFile::encodeName(QFileInfo(target).absolutePath());
    const int dfd = open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    return true;
}

#include "Uinifile.h"
#include "Udebug.h"
#include "Uoutsidefile.h"
#include "Usafefolder.h"

#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class CIniStore : public CSimpleIniA {
public:
    CIniStore() : CSimpleIniA(false, true, false) { SetQuotes(true); }
};

namespace {

// The name of what an interrupted write of `target` leaves: a temporary file, `target` and six letters or
// digits, or the lock the settings class takes while it removes its stale lock file, which a kill at that
// moment leaves behind and that class never removes itself. Read at every start: no pattern engine for it.
bool IsInterruptedWrite(const QString& name, const QString& target)
{
    if (name.size() <= target.size() || !name.startsWith(target) || name.at(target.size()) != u'.')
        return false;
    const QStringView rest = QStringView(name).mid(target.size() + 1);
    constexpr qsizetype TEMPORARY_SUFFIX_LENGTH = 6;
    if (rest == u"lock.rmlock")
        return true;
    return rest.size() == TEMPORARY_SUFFIX_LENGTH && std::all_of(rest.begin(), rest.end(), [](QChar c) {
               return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
           });
}

QByteArray Key(const QString& text)
{
    return text.trimmed().toUtf8();
}

// The one rule by which both the reader and the writer cut a file into lines: a line ends at LF, CR LF or a
// lone CR, and keeps its end here so that a rewrite can copy it byte for byte.
QByteArrayList IniLines(const QByteArray& data)
{
    QByteArrayList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (data[i] != '\n' && data[i] != '\r')
            continue;
        if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n')
            ++i;
        lines << data.mid(start, i + 1 - start);
        start = i + 1;
    }
    if (start < data.size())
        lines << data.mid(start);
    return lines;
}

// What a line says: without its end and without NUL bytes, which would otherwise end the reader's text
// early and hide the rest of the file.
QByteArray LineText(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    line.replace('\0', QByteArray());
    return line;
}

// A byte-order mark before the first line is no part of it: whether that line is a header must not depend on
// one, for the reader's parser skips it.
QByteArray WithoutByteOrderMark(const QByteArray& data)
{
    return data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data;
}

// Section header name of a line, or a null array when the line is no header. A "[" without "]" opens no
// section: neither side takes it for one.
QByteArray HeaderName(const QByteArray& line)
{
    const QByteArray t = LineText(line).trimmed();
    const qsizetype close = t.indexOf(']');
    if (!t.startsWith('[') || close < 0)
        return {};
    return t.mid(1, close - 1).trimmed();
}

// The text handed to the INI parser: the lines by the rule above, each ended by LF; a broken header line is
// left out, so that the keys after it stay in the section before it, where the writer sees them too. It
// opens with an empty line: the parser skips a byte-order mark at the start of its text, and a second mark
// after the file's own would then make it read a header where the writer sees none.
QByteArray ParserText(const QByteArray& data)
{
    QByteArray text("\n");
    text.reserve(data.size() + 2);
    for (const QByteArray& line : IniLines(WithoutByteOrderMark(data))) {
        const QByteArray t = LineText(line);
        if (t.trimmed().startsWith('[') && HeaderName(line).isNull())
            continue;
        text += t + '\n';
    }
    return text;
}

// Control bytes in a value are written as \xHH so that a value holding them (a network name may) reads
// back byte for byte and never breaks the file's lines. Only these codes are turned back on reading, so
// the backslashes of files written before (paths, "\n" in texts) keep their meaning; a backslash that
// would read as one of them is itself written as \x5C.
bool EscapedByte(int code)
{
    return (code >= 0 && code < 0x20) || code == 0x7F || code == '\\';
}

// The byte that the escape at `pos` stands for, or -1 when there is none.
int EscapeCode(const QByteArray& text, qsizetype pos)
{
    if (pos + 3 >= text.size() || text[pos] != '\\' || text[pos + 1] != 'x' ||
        !isxdigit(static_cast<unsigned char>(text[pos + 2])) ||
        !isxdigit(static_cast<unsigned char>(text[pos + 3])))
        return -1;
    const int code = static_cast<unsigned char>(QByteArray::fromHex(text.mid(pos + 2, 2)).at(0));
    return EscapedByte(code) ? code : -1;
}

QByteArray Escaped(const QByteArray& v)
{
    QByteArray out;
    for (qsizetype i = 0; i < v.size(); ++i) {
        const auto b = static_cast<unsigned char>(v[i]);
        if ((b < 0x20 || b == 0x7F) || (b == '\\' && EscapeCode(v, i) >= 0))
            out += "\\x" + QByteArray::number(b, 16).rightJustified(2, '0').toUpper();
        else
            out += char(b);
    }
    return out;
}

QByteArray Unescaped(const QByteArray& v)
{
    if (!v.contains("\\x"))
        return v;
    QByteArray out;
    for (qsizetype i = 0; i < v.size(); ++i) {
        const int code = EscapeCode(v, i);
        out += code >= 0 ? char(code) : v[i];
        if (code >= 0)
            i += 3;
    }
    return out;
}

QByteArray IniValue(const QString& value)
{
    QByteArray v = Escaped(value.toUtf8());
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
    const QByteArrayList lines = IniLines(old);
    // New lines end as the file's first line does.
    QByteArray eol = lines.value(0).right(2);
    eol = eol == "\r\n" ? eol : eol.right(1);
    if (eol != "\r\n" && eol != "\n" && eol != "\r")
        eol = "\r\n";
    const QByteArray wanted = section.toUtf8().toLower();
    QByteArray out;
    bool inSection = false;
    bool written = false;
    for (const QByteArray& line : lines) {
        const QByteArray name = HeaderName(&line == &lines.front() ? WithoutByteOrderMark(line) : line);
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
        if (!out.isEmpty() && !out.endsWith('\n') && !out.endsWith('\r'))
            out += eol;
        out += SectionText(section, entries, eol);
    }
    return out;
}

// A picture, a program or plain text named as an INI file would otherwise read as empty without a word.
// Binary data is told by its share of control bytes (about one in nine of random bytes); a few stray ones in
// a hand-edited file are no reason to drop it all.
// UTF-16 or UTF-32 text, with a byte order mark or without one: NULs beside the first ASCII character, which
// no text in UTF-8 has.
bool InOtherEncoding(const QByteArray& data)
{
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF"))
        return true;
    if (data.size() < 4)
        return false;
    const auto zero = [&data](int i) { return data[i] == '\0'; };
    return (!zero(0) && zero(1)) || (zero(0) && !zero(1)) || (zero(0) && zero(1) && (zero(2) != zero(3)));
}

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
    for (const QByteArray& raw : IniLines(data)) {
        QByteArray line = LineText(raw).trimmed();
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
        // A FIFO in its place would block the start for good.
        QByteArray data;
        const OutsideFile read = ReadOutsideFile(path, MAX_SETTINGS_FILE_SIZE, data);
        if (read == OutsideFile::Missing)
            continue;
        if (read == OutsideFile::TooLarge)
            m_Problems.append({path, IniProblem::TooLarge});
        else if (read != OutsideFile::Ok)
            m_Problems.append({path, IniProblem::Unreadable});
        else if (InOtherEncoding(data))
            m_Problems.append({path, IniProblem::OtherEncoding});
        else if (!LooksLikeIni(data))
            m_Problems.append({path, IniProblem::NotIni});
        else
            m_Inis.back()->LoadData(ParserText(data).toStdString());
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
    if (!v)
        return def;
    // A value may begin with U+FEFF (a network name may); the plain conversion would take it for a byte-order
    // mark and drop it.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(Unescaped(QByteArray(v)));
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

bool ForeignLinkOnTheWay(const QString& path)
{
    constexpr int MAX_LINKS = 40;
    QString current = path;
    for (int i = 0; i < MAX_LINKS; ++i) {
        struct stat st {};
        if (lstat(QFile::encodeName(current).constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return false;
        if (st.st_uid != geteuid() && st.st_uid != 0)
            return true;
        current = QFileInfo(current).symLinkTarget();
    }
    return false;
}

bool MakePrivateFolder(const QString& dir)
{
    if (!IsSafeFolderOf(dir))
        return false;
    const QByteArray name = QFile::encodeName(dir);
    struct stat st {};
    if (stat(name.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 022) != 0 &&
            chmod(name.constData(), 0700) == 0)
            DebugPrint("MakePrivateFolder: %s was open to others; now its owner's only", name.constData());
        // A link to another user's folder is followed by stat: the folder itself is checked too.
        return S_ISDIR(st.st_mode) && IsSafeFolder(dir);
    }
    const QString parent = QFileInfo(dir).absolutePath();
    if (parent != dir && !QFileInfo(parent).isDir() && !MakePrivateFolder(parent))
        return false;
    // The mode is set again after making it: the umask may have taken bits from the owner too.
    if ((mkdir(name.constData(), 0700) != 0 && errno != EEXIST) || chmod(name.constData(), 0700) != 0) {
        DebugPrintErr(errno, "MakePrivateFolder: can't make %s", name.constData());
        return false;
    }
    return true;
}

void RemoveInterruptedWrites(const QString& path)
{
    const QFileInfo target(FinalTarget(path));
    if (target.filePath().isEmpty())
        return;
    const QFileInfoList entries = target.dir().entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries) {
        if (!IsInterruptedWrite(entry.fileName(), target.fileName()) || entry.ownerId() != geteuid())
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
    if (ForeignLinkOnTheWay(path)) {
        DebugPrint("ReplaceIniSection: %s is a symbolic link of another user; not written", qPrintable(path));
        return false;
    }
    if (!IsSafeFolderOf(target))
        return false;
    QByteArray oldData;
    mode_t mode = 0644;
    const OutsideFile read = ReadOutsideFile(target, MAX_SETTINGS_FILE_SIZE, oldData);
    // What cannot be read whole is never written over: its other sections would be lost.
    if (read != OutsideFile::Ok && read != OutsideFile::Missing) {
        DebugPrint("ReplaceIniSection: can't read %s", qPrintable(target));
        return false;
    }
    // Written in UTF-8 into it, the file would be read by nothing: the user's own file is left as it is.
    if (InOtherEncoding(oldData)) {
        DebugPrint("ReplaceIniSection: %s is not in UTF-8; not written", qPrintable(target));
        return false;
    }
    struct stat st {};
    if (read == OutsideFile::Ok && stat(QFile::encodeName(target).constData(), &st) == 0)
        mode = st.st_mode & 07777;
    if (secret)
        mode &= 0600;
    return WriteFileAtomic(target, Rewrite(oldData, section, entries), mode);
}

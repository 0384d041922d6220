#include "Uutility.h"
#include "Uoutsidefile.h"
#include "Uversionnote.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cstring>
#include <elf.h>
#include <cerrno>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

QString g_DriverRoot;

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

QStringList SplitCommaText(const QString& text)
{
    QStringList items;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto isBlank = [](QChar c) { return c.unicode() <= ' '; };
    while (i < n && isBlank(text[i]))
        ++i;
    while (i < n) {
        QString item;
        if (text[i] == '"') {
            ++i;
            while (i < n && text[i] != '"')
                item += text[i++];
            if (i < n)
                ++i;
        }
        while (i < n && text[i] != ',' && !isBlank(text[i]))
            item += text[i++];
        items << item;
        while (i < n && isBlank(text[i]))
            ++i;
        if (i < n && text[i] == ',') {
            ++i;
            while (i < n && isBlank(text[i]))
                ++i;
            if (i == n)
                items << QString();
        }
    }
    return items;
}

QString JoinVersion(const uint32_t v[4], int parts)
{
    if (parts < 1 || parts > 3)
        parts = 4;
    QStringList out;
    for (int i = 0; i < parts; ++i)
        out << QString::number(v[i]);
    return out.join('.');
}

// A minimal reader of little-endian ELF section headers: enough to find a note or the .modinfo section.
struct ElfSection {
    QByteArray name;
    uint32_t type = 0;
    QByteArray data;
};

template <typename Ehdr, typename Shdr> QList<ElfSection> ReadSections(const QByteArray& file)
{
    QList<ElfSection> sections;
    if (file.size() < qsizetype(sizeof(Ehdr)))
        return sections;
    Ehdr eh;
    memcpy(&eh, file.constData(), sizeof eh);
    if (eh.e_shentsize != sizeof(Shdr) || eh.e_shoff == 0 || eh.e_shnum == 0)
        return sections;
    const auto fileSize = static_cast<uint64_t>(file.size());
    if (eh.e_shoff > fileSize || uint64_t(eh.e_shnum) * sizeof(Shdr) > fileSize - eh.e_shoff)
        return sections;
    QList<Shdr> headers(eh.e_shnum);
    memcpy(headers.data(), file.constData() + eh.e_shoff, sizeof(Shdr) * eh.e_shnum);
    auto bytesOf = [&](const Shdr& sh) {
        if (sh.sh_type == SHT_NOBITS || sh.sh_offset > fileSize || sh.sh_size > fileSize - sh.sh_offset)
            return QByteArray();
        return file.mid(qsizetype(sh.sh_offset), qsizetype(sh.sh_size));
    };
    const QByteArray names = eh.e_shstrndx < eh.e_shnum ? bytesOf(headers[eh.e_shstrndx]) : QByteArray();
    for (const Shdr& sh : headers) {
        ElfSection s;
        if (sh.sh_name < uint64_t(names.size()))
            s.name = QByteArray(names.constData() + sh.sh_name);
        s.type = sh.sh_type;
        s.data = bytesOf(sh);
        sections << s;
    }
    return sections;
}

bool VersionFromNotes(const QByteArray& notes, uint32_t v[4])
{
    qsizetype pos = 0;
    while (pos + 12 <= notes.size()) {
        uint32_t head[3];
        memcpy(head, notes.constData() + pos, sizeof head);
        const qsizetype nameLen = (qsizetype(head[0]) + 3) & ~qsizetype(3);
        const qsizetype descLen = (qsizetype(head[1]) + 3) & ~qsizetype(3);
        const qsizetype name = pos + 12;
        const qsizetype desc = name + nameLen;
        if (head[0] > 4096 || head[1] > 4096 || desc + descLen > notes.size())
            return false;
        if (head[2] == WL_VERSION_NOTE_TYPE && head[1] == 16 && head[0] == sizeof(WL_VERSION_NOTE_NAME) &&
            memcmp(notes.constData() + name, WL_VERSION_NOTE_NAME, sizeof(WL_VERSION_NOTE_NAME)) == 0) {
            memcpy(v, notes.constData() + desc, 16);
            return true;
        }
        pos = desc + descLen;
    }
    return false;
}

bool VersionFromModinfo(const QByteArray& modinfo, uint32_t v[4])
{
    for (const QByteArray& entry : modinfo.split('\0')) {
        if (!entry.startsWith("version="))
            continue;
        const QList<QByteArray> parts = entry.mid(8).split('.');
        for (int i = 0; i < 4; ++i) {
            bool ok = true;
            v[i] = i < parts.size() ? parts[i].toUInt(&ok) : 0;
            if (!ok)
                v[i] = 0;
        }
        return true;
    }
    return false;
}

} // namespace

void UnescapeNewlines(QString& text)
{
    text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
}

int ParseIntList(const QString& text, int32_t* out, int capacity)
{
    int count = 0;
    for (const QString& item : SplitCommaText(text)) {
        bool ok = false;
        const int value = item.toInt(&ok, 10);
        if (!ok)
            continue;
        if (count < capacity)
            out[count] = value;
        ++count;
    }
    return count;
}

QString FileVersionText(const QString& path, int parts)
{
    // The adapter library's path comes from outside: a FIFO in its place must not block the caller.
    constexpr qint64 MAX_VERSIONED_FILE_SIZE = qint64(1) << 30;
    QFile f(path);
    if (CheckOutsideFile(path, MAX_VERSIONED_FILE_SIZE) != OutsideFile::Ok || !f.open(QIODevice::ReadOnly))
        return {};
    // Version data sits in the section headers; large files are mapped rather than read.
    const qint64 size = f.size();
    uchar* mapped = size > 0 ? f.map(0, size) : nullptr;
    if (!mapped)
        return {};
    const QByteArray file = QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), qsizetype(size));
    if (file.size() < EI_NIDENT || memcmp(file.constData(), ELFMAG, SELFMAG) != 0 ||
        file[EI_DATA] != ELFDATA2LSB)
        return {};
    const QList<ElfSection> sections = file[EI_CLASS] == ELFCLASS64
                                           ? ReadSections<Elf64_Ehdr, Elf64_Shdr>(file)
                                           : ReadSections<Elf32_Ehdr, Elf32_Shdr>(file);
    uint32_t v[4] = {};
    for (const ElfSection& s : sections) {
        if ((s.type == SHT_NOTE && VersionFromNotes(s.data, v)) ||
            (s.name == ".modinfo" && VersionFromModinfo(s.data, v)))
            return JoinVersion(v, parts);
    }
    return {};
}

void SetDriverRootDir(const QString& dir)
{
    g_DriverRoot = dir;
}

QString DriverRootDir()
{
    if (!g_DriverRoot.isEmpty())
        return g_DriverRoot.endsWith('/') ? g_DriverRoot : g_DriverRoot + '/';
    utsname u{};
    uname(&u);
    return QStringLiteral("/lib/modules/%1/").arg(QString::fromLocal8Bit(u.release));
}

QString DriverFilePath(const QString& name)
{
    if (name.isEmpty())
        return {};
    QString relative = name;
    relative.replace('\\', '/');
    // A library may name its driver by full path; such a path is taken as it stands.
    if (QFileInfo(relative).isAbsolute() && QFileInfo(relative).isFile())
        return relative;
    const QString root = DriverRootDir();
    if (QFileInfo(root + relative).isFile())
        return root + relative;
    const QString inDrivers =
        root + QStringLiteral("kernel/drivers/net/wireless/") + QFileInfo(relative).fileName();
    return QFileInfo(inDrivers).isFile() ? inDrivers : QString();
}

QString RuntimeDir()
{
    // A folder is safe only when it is ours and nobody else may look into it; a symbolic link is not taken
    // for the folder it points to.
    auto usable = [](const QByteArray& dir) {
        struct stat st {};
        return !dir.isEmpty() && lstat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
               st.st_uid == getuid() && (st.st_mode & 0077) == 0;
    };
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (usable(xdg))
        return QFile::decodeName(xdg);
    const QByteArray session = "/run/user/" + QByteArray::number(getuid());
    if (usable(session))
        return QFile::decodeName(session);
    // Without a session folder, one in the user's own cache: a folder in the shared temporary folder could be
    // made first by another user.
    QByteArray cache = qgetenv("XDG_CACHE_HOME");
    if (cache.isEmpty() || !cache.startsWith('/'))
        cache = qgetenv("HOME").isEmpty() ? QByteArray() : qgetenv("HOME") + "/.cache";
    if (cache.isEmpty())
        return {};
    mkdir(cache.constData(), 0700);
    const QByteArray own = cache + "/wlanutil-runtime";
    if (mkdir(own.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return usable(own) ? QFile::decodeName(own) : QString();
}

QString BytesText(const char* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(strnlen(data, size)));
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QByteArray Utf8Left(const QString& text, qsizetype maxBytes)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= maxBytes)
        return bytes;
    qsizetype cut = maxBytes;
    // Back off over continuation bytes so no multi-byte sequence is split.
    while (cut > 0 && (uchar(bytes[cut]) & 0xC0) == 0x80)
        --cut;
    bytes.truncate(cut);
    return bytes;
}

void CopyTextField(char* field, size_t size, const QString& text)
{
    if (size == 0)
        return;
    memset(field, 0, size);
    const QByteArray bytes = Utf8Left(text, qsizetype(size) - 1);
    memcpy(field, bytes.constData(), size_t(bytes.size()));
}

void HexToBytes(const QString& text, uint8_t* buffer)
{
    for (qsizetype i = 0; i < text.size() / 2; ++i) {
        uint8_t value = 0;
        for (qsizetype k = 2 * i; k < 2 * i + 2; ++k) {
            const int digit = HexDigit(text[k]);
            if (digit < 0)
                break;
            value = uint8_t(value * 16 + digit);
        }
        buffer[i] = value;
    }
}

bool IsHexText(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return HexDigit(c) >= 0; });
}

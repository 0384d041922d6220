#include "Uautostart.h"
#include "Udebug.h"
#include "Uinifile.h"
#include "Usafefolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>

namespace {

const QString ENTRY_SECTION = QStringLiteral("Desktop Entry");

// A path as one argument of an Exec line: quoted with the reserved characters escaped, then escaped once
// more as a desktop-file string; a per cent sign would be taken for a field code.
QString ExecArgument(const QString& path)
{
    QString quoted;
    for (const QChar c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('%'), QLatin1String("%%"));
    return '"' + quoted + '"';
}

// A value of the entry is one line: a title with a line break in it would end the entry early.
QString OneLine(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
}

} // namespace

CAutostart::CAutostart(const QString& program, const QString& name, QList<TLocalName> localNames)
    : m_Program(program), m_Name(name), m_LocalNames(std::move(localNames))
{
}

QString CAutostart::CommandFor(const QString& executable)
{
    const QFileInfo exe(executable);
    const QDir folder = exe.absoluteDir();
    const QString publicCommand =
        QDir::cleanPath(folder.absoluteFilePath(QStringLiteral("../../bin/")) + '/' + exe.fileName());
    const bool installed = folder.dirName() == exe.fileName() && QFileInfo(publicCommand).isExecutable();
    return installed ? publicCommand : exe.absoluteFilePath();
}

QString CAutostart::EntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/wlanutil.desktop");
}

bool CAutostart::IsEnabled() const
{
    if (!QFileInfo(EntryPath()).isFile())
        return false;
    const CIniFile entry(EntryPath());
    return entry.ReadString(ENTRY_SECTION, QStringLiteral("Hidden"), QString()) != QLatin1String("true") &&
           entry.ReadString(ENTRY_SECTION, QStringLiteral("X-GNOME-Autostart-enabled"), QString()) !=
               QLatin1String("false");
}

bool CAutostart::SetEnabled(bool on) const
{
    const QString path = EntryPath();
    // An entry in a folder another user can change could be made to start anything at the next login.
    if (!IsSafeFolderOf(path))
        return false;
    if (on) {
        if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
            DebugPrint("CAutostart::SetEnabled: can't create the folder of %s", qPrintable(path));
            return false;
        }
        return WriteFileAtomic(path, EntryText(), 0644);
    }
    if (QFile::remove(path) || !QFileInfo::exists(path))
        return true;
    DebugPrintErr(errno, "CAutostart::SetEnabled: can't remove %s", qPrintable(path));
    return false;
}

QByteArray CAutostart::EntryText() const
{
    QString names = QStringLiteral("Name=%1\n").arg(OneLine(m_Name));
    for (const auto& [language, name] : m_LocalNames)
        names += QStringLiteral("Name[%1]=%2\n").arg(OneLine(language), OneLine(name));
    // TryExec: once the program is gone (the package purged), the desktop skips the entry.
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "%1"
                          "TryExec=%2\n"
                          "Exec=%3 --tray\n"
                          "Icon=wlanutil\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(names, OneLine(m_Program).replace(QLatin1Char('\\'), QLatin1String("\\\\")),
             ExecArgument(m_Program))
        .toUtf8();
}

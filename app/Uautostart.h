#pragma once

#include <QList>
#include <QString>
#include <utility>

// The user's own entry in the desktop's autostart folder ($XDG_CONFIG_HOME/autostart, after the freedesktop
// rules), which starts the program in the notification area at login. Nothing system-wide is touched: the
// choice is each user's.
class CAutostart {
public:
    // A title in another language: ("de", "WLAN-Dienstprogramm").
    using TLocalName = std::pair<QString, QString>;

    // `program` is the executable the entry starts, `name` the title the desktop shows for it, `localNames`
    // the title in other languages, so that the entry follows the desktop's language rather than the one
    // shown when it was written.
    CAutostart(const QString& program, const QString& name, QList<TLocalName> localNames = {});

    // The command an entry starts `executable` by: an installed program (<prefix>/lib/wlanutil/wlanutil) by
    // its public command <prefix>/bin/wlanutil, which stays the same across versions and goes with the
    // package; any other by its own path.
    static QString CommandFor(const QString& executable);

    static QString EntryPath();
    // An entry that a desktop's own settings switched off (Hidden=true, X-GNOME-Autostart-enabled=false)
    // counts as off.
    bool IsEnabled() const;
    // Writes the entry (atomically) or removes it; false, with the reason in the log, when that failed.
    bool SetEnabled(bool on) const;

private:
    QByteArray EntryText() const;

    QString m_Program;
    QString m_Name;
    QList<TLocalName> m_LocalNames;
};

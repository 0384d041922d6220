#pragma once

#include <QString>

// The user's own entry in the desktop's autostart folder ($XDG_CONFIG_HOME/autostart, after the freedesktop
// rules), which starts the program in the notification area at login. Nothing system-wide is touched: the
// choice is each user's.
class CAutostart {
public:
    // `program` is the executable the entry starts, `name` the title the desktop shows for it.
    CAutostart(const QString& program, const QString& name);

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
};

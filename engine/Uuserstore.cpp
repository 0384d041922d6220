#include "Uuserstore.h"
#include "app/Udebug.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

CUserStore::CUserStore(const QString& root, const QString& groupName)
    : m_Path(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + '/' + root +
             QStringLiteral("/WLAdapter.conf")),
      // Hardware ids hold backslashes, which the INI form takes for group separators.
      m_Group(QString::fromLatin1(QUrl::toPercentEncoding(groupName)))
{
}

std::optional<QVariant> CUserStore::Value(const QString& key) const
{
    QSettings settings(m_Path, QSettings::NativeFormat);
    if (settings.status() == QSettings::FormatError && !m_ReportedCorrupt.exchange(true))
        DebugPrint("CUserStore: %s is damaged; its readable values are used", qUtf8Printable(m_Path));
    settings.beginGroup(m_Group);
    QVariant value = settings.value(key);
    if (!value.isValid())
        return std::nullopt;
    return value;
}

bool CUserStore::Update(const QList<QPair<QString, QVariant>>& values, const QStringList& removed, QString& error)
{
    if (!QDir().mkpath(QFileInfo(m_Path).absolutePath())) {
        error = QStringLiteral("cannot create the folder of ") + m_Path;
        return false;
    }
    QSettings settings(m_Path, QSettings::NativeFormat);
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

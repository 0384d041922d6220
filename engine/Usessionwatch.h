#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// Console and power events of the program's own login session, from the login manager on the system bus: the
// session turning inactive (another user's session took the console) or active again, and the end of a sleep.
class CSessionWatch : public QObject {
    Q_OBJECT
public:
    explicit CSessionWatch(QObject* parent = nullptr);
    ~CSessionWatch() override;

    // False when there is no system bus, no login manager or no session for this process.
    bool Register();
    void Unregister();

Q_SIGNALS:
    void ConsoleConnect();
    void ConsoleDisconnect();
    void Resume();

private Q_SLOTS:
    void OnPropertiesChanged(const QString& interfaceName, const QVariantMap& changed,
                             const QStringList& invalidated);
    void OnPrepareForSleep(bool start);

private:
    bool Connect();
    bool ReadActive(bool& active) const;
    void SetActive(bool active);

    QString m_BusName;
    QString m_SessionPath;
    bool m_Active = true;
};

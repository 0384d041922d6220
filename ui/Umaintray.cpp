#include "Umaintray.h"
#include "Uformmsgbox.h"
#include "app/Uautostart.h"
#include "app/Ulanguage.h"
#include "app/Uinifile.h"
#include "app/Udefine.h"
#include "controls/Trayicon.h"
#include "engine/Uadaptersession.h"
#include "ui/pages/Ulinktexts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QDir>
#include <QMenu>

namespace {

// OsKind from which the desktop's own wireless manager exists.
constexpr int OS_WITH_ZERO_CFG = 7;
constexpr int MB_OK_WARNING = 0x30;

QString TitleIn(const QString& languageFile)
{
    return CIniFile(g_Var.ExePath + languageFile)
        .ReadString(QStringLiteral("Utility"), QStringLiteral("AppTitle"), QString());
}

// The entry starts this very program (an installed one by its public command) under its title in every
// language it has a file for.
CAutostart Autostart()
{
    const QString exe = QCoreApplication::applicationFilePath();
    const QString base = QFileInfo(exe).completeBaseName();
    const QString english = TitleIn(base + QStringLiteral(".ini"));
    QList<CAutostart::TLocalName> local;
    const QStringList files = QDir(g_Var.ExePath).entryList({base + QStringLiteral(".*.ini")}, QDir::Files);
    for (const QString& file : files)
        if (const QString title = TitleIn(file); !title.isEmpty())
            local.push_back({LanguageOfFile(base, file), title});
    return CAutostart(CAutostart::CommandFor(exe), english.isEmpty() ? g_Var.AppTitle : english, local);
}

} // namespace

TMainTray::TMainTray(QWidget* window)
    : QObject(window), m_Window(window), m_Icon(new TTrayIcon(window)), m_Menu(new QMenu(window))
{
    // Minimising the window hides it to the tray while the icon shows.
    m_Icon->SetMainWindow(window);
    m_Icon->SetRestoreOn(TTrayIcon::imNone);
    m_Icon->SetPopupMenuOn(TTrayIcon::imNone);
    m_ItWZC = m_Menu->addAction(QStringLiteral("Window Zero Configuration"));
    m_ItWZC->setCheckable(true);
    m_ItWZC->setChecked(true);
    m_N1 = m_Menu->addSeparator();
    m_ItAutostart = m_Menu->addAction(QStringLiteral("Start with the desktop"));
    m_ItAutostart->setCheckable(true);
    m_ItOpen = m_Menu->addAction(QStringLiteral("Open"));
    m_ItClose = m_Menu->addAction(QStringLiteral("Close"));
    connect(m_ItAutostart, &QAction::triggered, this, &TMainTray::ItAutostartClick);
    connect(m_Icon, &TTrayIcon::OnMouseUp, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint& pos) {
                if (button != Qt::RightButton)
                    return;
                UpdateMenu();
                m_Menu->popup(pos);
            });
}

void TMainTray::SetIndex(int index)
{
    if (m_Icon->IconIndex() != index)
        m_Icon->SetIconIndex(index);
}

void TMainTray::SetHint(const QString& text)
{
    const QString hint = text.isEmpty() ? g_Var.GetLangText(QStringLiteral("Utility"),
                                                            QStringLiteral("ProductName"), g_Var.AppTitle)
                                        : text;
    // The tip holds fewer than HINT_LIMIT characters; a longer line shows that it goes on.
    const int room = TTrayIcon::HINT_LIMIT - 1;
    m_Icon->SetHint(hint.size() <= room ? hint : hint.left(room - 1) + QChar(0x2026));
}

void TMainTray::UpdateMenu()
{
    const CNICAdapter* adapter = m_Session ? m_Session->Adapter() : nullptr;
    const std::pair<QAction*, const char*> items[] = {{m_ItWZC, "MenuWZC"},
                                                      {m_ItAutostart, "MenuAutostart"},
                                                      {m_ItOpen, "MenuOpen"},
                                                      {m_ItClose, "MenuClose"}};
    for (const auto& [item, key] : items)
        item->setText(g_Var.GetLangText(QStringLiteral("Menu"), QLatin1String(key), item->text()));
    // Another program (the desktop's own settings) may have changed the entry since the last look.
    m_ItAutostart->setChecked(Autostart().IsEnabled());
    const bool wzc = g_Var.OsKind >= OS_WITH_ZERO_CFG && adapter;
    m_ItWZC->setVisible(wzc);
    m_N1->setVisible(wzc);
    if (wzc)
        m_ItWZC->setChecked(adapter->EnableZeroCfg());
    m_ItOpen->setVisible(false);
}

void TMainTray::Follow(const CAdapterSession* session)
{
    m_Session = session;
    connect(session, &CAdapterSession::LinkChanged, this, [this](CAdapterSession::LinkState state) {
        // Reported with every status while the window shows: only a change is news to the tray.
        if (m_Icon->IconIndex() == state)
            return;
        SetIndex(state);
        // A failed connect stays in the tip until the link is up or a new profile is applied.
        if (state != CAdapterSession::lsDown)
            SetHint(QString());
    });
    connect(session, &CAdapterSession::Applying, this, [this] {
        SetIndex(CAdapterSession::lsDown);
        SetHint(QString());
    });
    connect(session, &CAdapterSession::AdapterEvent, this, [this](CNICAdapter*, int code, int value) {
        if (code == NM_SERVICE)
            SetHint(ServiceText(value));
    });
    connect(session, &CAdapterSession::ConnectFailed, this,
            [this](const TConnectFailure& failure) { SetHint(ConnectFailureText(failure)); });
    connect(session, &CAdapterSession::AdapterReady, this, [this] {
        SetIndex(CAdapterSession::lsDown);
        if (!m_Icon->Visible())
            m_Icon->SetVisible(true);
    });
}

void TMainTray::ItAutostartClick(bool checked)
{
    if (Autostart().SetEnabled(checked))
        return;
    m_ItAutostart->setChecked(!checked);
    QString text = g_Var.GetLangText(QStringLiteral("Message"), QStringLiteral("ErAutostart"),
                                     QStringLiteral("The desktop's autostart entry %s cannot be changed."));
    ShowMsgBox(m_Window, text.replace(QLatin1String("%s"), CAutostart::EntryPath()), MB_OK_WARNING);
}

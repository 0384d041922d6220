// The Profile page with its editor and the Adapter page on the simulated adapter, driven as a user does: a
// profile for the open network "Corner-Cafe" is added through every editor page and activated, an ad hoc
// profile with a channel is added, the security pages are filled in for a WEP, a WPA-PSK and three 802.1x
// networks, and the Adapter page shows the applied profile's settings. Every step is written as a PNG file
// into the given folder.
#include "../common/Upagerouter.h"
#include "../common/Upicturetool.h"
#include "../common/Usimtool.h"
#include "app/Udefine.h"
#include "app/Unotifyevent.h"
#include "engine/Ucumlib.h"
#include "engine/Unicadapter.h"
#include "ui/pages/Uframeadapter.h"
#include "ui/pages/Uframeprofile.h"
#include "ui/pages/Uframeprofset.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <functional>

namespace {

const char HWID[] = "USB\\VID_F5E1&PID_0301";

// Stands in for the main window: stores the edited profile through the Profile page, passes the adapter's
// codes on to the pages and notes the pages it is asked to show.
class Router : public CPageRouter {
public:
    TFrameProfile* Profile = nullptr;
    int Shown = 0;

protected:
    void Notify(TNotifyEvent& n) override
    {
        if (n.Code == 5)
            n.Result = Profile->SaveProfile(n.Value);
        else if (n.Code == 10)
            Shown = n.Value;
    }
};

class Driver {
public:
    Driver(TFrameProfile& page, QString dir) : m_Page(page), m_Dir(std::move(dir)) {}

    TPropertyPageFrame* Current() const { return m_Page.Editor()->CurrentPage(); }
    template <class T = QWidget> T* On(const char* name) const
    {
        QWidget* scope = m_Page.Editor()->isVisible() ? static_cast<QWidget*>(Current()) : &m_Page;
        return scope ? scope->findChild<T*>(QLatin1String(name)) : nullptr;
    }
    void Click(const char* name)
    {
        if (auto* w = On(name))
            QTest::mouseClick(w, Qt::LeftButton);
        else
            fprintf(stderr, "no %s to click\n", name);
        QCoreApplication::processEvents();
    }
    void Type(const char* edit, const QString& text)
    {
        auto* e = On<QLineEdit>(edit);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }
    void Choose(const char* combo, const QString& text)
    {
        auto* c = On<QComboBox>(combo);
        c->setFocus();
        QTest::keyClick(c, Qt::Key_Home);
        for (int i = 0; i < c->count() && c->currentText() != text; ++i)
            QTest::keyClick(c, Qt::Key_Down);
    }
    void Shot(const QString& file) const { SavePicture(&m_Page, m_Dir, file); }

private:
    TFrameProfile& m_Page;
    QString m_Dir;
};

} // namespace

int main(int argc, char** argv)
{
    CPictureTool tool(argc, argv);
    if (!tool.Ready())
        return 1;
    const QString& outDir = tool.OutDir();

    Router router;
    router.resize(595, 317);
    auto* profile = new TFrameProfile(&router);
    auto* settings = new TFrameAdapter(&router);
    router.Profile = profile;
    router.Pages = {profile, settings};
    profile->InitPage();
    settings->InitPage();
    settings->hide();
    router.show();

    TThreadPtr<CNICAdapter> adapter = CreateSimulatedAdapter(&router, HWID);
    router.Adapter = adapter.get();
    profile->SetAdapter(adapter.get(), 1, 0);
    settings->SetAdapter(adapter.get(), 1, 0);

    Driver d(*profile, outDir);
    d.Shot(QStringLiteral("profile-list.png"));
    d.Click("BtnAdd");
    Wait([&] { return d.On<QWidget>("PlSearch") && !d.On<QWidget>("PlSearch")->isVisible(); }, 15000);
    d.Type("EdtName", QStringLiteral("Cafe"));
    d.Type("EdtSSID", QStringLiteral("Corner-Cafe"));
    d.Shot(QStringLiteral("editor-nettype.png"));
    // Every page on the way, named by the page.
    for (int i = 0; i < 8 && d.Current() != profile->Editor()->Page(esConfirm); ++i) {
        d.Click("BtnNext");
        d.Shot(QStringLiteral("editor-%1.png").arg(d.Current()->objectName()));
    }
    d.Click("BtnSave");
    Wait([&] { return d.Current() == profile->Editor()->Page(esActive); }, 5000);
    d.Shot(QStringLiteral("editor-active.png"));
    d.Click("BtnActNow");
    Wait([&] { return router.Shown == 1; }, 5000);
    Wait(
        [&] {
            WLANStatus s{};
            adapter->GetStatus(s);
            return s.MediaState == 0;
        },
        20000);
    profile->EnterPage(nullptr, 0, 0);
    Wait([&] { return false; }, 3000);
    d.Shot(QStringLiteral("profile-applied.png"));

    d.Click("BtnAdd");
    d.Type("EdtName", QStringLiteral("Cell"));
    d.Type("EdtSSID", QStringLiteral("cell-net"));
    d.Click("LbAdHoc");
    d.Click("BtnNext");
    d.Choose("CmbChannel", QStringLiteral("6"));
    d.Shot(QStringLiteral("editor-wlmode.png"));
    while (d.Current() != profile->Editor()->Page(esConfirm) && d.Current())
        d.Click("BtnNext");
    d.Shot(QStringLiteral("editor-confirm-adhoc.png"));
    d.Click("BtnSave");
    Wait([&] { return d.Current() == profile->Editor()->Page(esActive); }, 5000);
    d.Click("BtnActLater");
    profile->EnterPage(nullptr, 0, 0);
    d.Shot(QStringLiteral("profile-two.png"));

    // A profile of each secured kind for a network of the scenario, its security pages filled in.
    const auto secured = [&](const char* name, const char* ssid, const char* type, const QString& shot,
                             const std::function<void()>& fill) {
        d.Click("BtnAdd");
        d.Type("EdtName", QString::fromLatin1(name));
        d.Type("EdtSSID", QString::fromLatin1(ssid));
        d.Click("BtnNext");
        d.Choose("CmbSecurity", QString::fromLatin1(type));
        d.Shot(QStringLiteral("editor-security-%1.png").arg(shot));
        d.Click("BtnNext");
        fill();
        d.Shot(QStringLiteral("editor-%1.png").arg(shot));
        d.Click("BtnExit");
        profile->EnterPage(nullptr, 0, 0);
    };
    secured("Lab", "Lab-WEP128", "WEP", QStringLiteral("wep"), [&] {
        d.Choose("CmbWEP", QStringLiteral("128 bit WEP"));
        d.Choose("CmbAuthen", QStringLiteral("Shared"));
        d.Type("EdtPhrase", QStringLiteral("Openthedoor"));
    });
    secured("Studio", "Studio-AES", "WPA-PSK", QStringLiteral("wpapsk"), [&] {
        d.Choose("CmbEncryp", QStringLiteral("AES"));
        d.Type("EdtPhrase", QStringLiteral("studio-aes-phrase"));
    });
    const auto login = [&](const char* method, const char* user, const char* password) {
        d.Choose("CmbEncryp", QStringLiteral("AES"));
        d.Choose("CmbAuthen", QString::fromLatin1(method));
        d.Type("EdtUser", QString::fromLatin1(user));
        if (password)
            d.Type("EdtPasswd", QString::fromLatin1(password));
        Wait([&] { return d.On<QComboBox>("CmbServerCA")->count() > 1; }, 5000);
        d.Choose("CmbServerCA", QStringLiteral("Campus Root CA"));
    };
    secured("Campus", "Campus-WLAN", "WPA2", QStringLiteral("dot11-peap"),
            [&] { login("PEAP", "alice", "Wonderland!1"); });
    secured("CampusTLS", "Campus-WLAN", "WPA2", QStringLiteral("dot11-tls"),
            [&] { login("TLS", "alice", nullptr); });
    secured("Legacy", "Legacy-8021X", "RADIUS", QStringLiteral("dot11-radius"), [&] {
        d.Choose("CmbAuthen", QStringLiteral("TTLS"));
        d.Type("EdtUser", QStringLiteral("frank"));
        d.Type("EdtPasswd", QStringLiteral("Dynamic-Wep1"));
    });

    profile->hide();
    settings->show();
    settings->EnterPage(nullptr, 0, 0);
    SavePicture(settings, outDir, QStringLiteral("adapter.png"));

    for (TPropertyPageFrame* page : router.Pages)
        page->SetAdapter(nullptr, 2, 0);
    router.Adapter = nullptr;
    adapter.reset();
    return 0;
}

// Screenshots of the Soft AP pages on the simulated adapter: the access point running with two stations
// associated and a reject filter set, its configuration with 64-bit WEP, and the MAC filter page.
#include "../common/Upagerouter.h"
#include "../common/Upicturetool.h"
#include "../common/Usimtool.h"
#include "app/Udefine.h"
#include "app/Unotifyevent.h"
#include "engine/Unicadapter.h"
#include "ui/pages/Uframeapcfg.h"
#include "ui/pages/Uframeapfilter.h"
#include "ui/pages/Uframeapinfo.h"

#include <QProcess>
#include <QTreeWidget>
#include <cstring>

namespace {

const char HWID[] = "USB\\VID_F5E1&PID_0301";

} // namespace

int main(int argc, char** argv)
{
    CPictureTool tool(argc, argv);
    if (!tool.Ready())
        return 1;
    const QString& outDir = tool.OutDir();
    CPageRouter router;
    TFrameAPInfo info;
    TFrameAPCfg cfg;
    TFrameAPFilter filter;
    for (TPropertyPageFrame* page : std::initializer_list<TPropertyPageFrame*>{&info, &cfg, &filter}) {
        page->InitPage();
        page->show();
        router.Pages << page;
    }
    TThreadPtr<CNICAdapter> adapter = CreateSimulatedAdapter(&router, HWID);
    router.Adapter = adapter.get();
    WLProfile& ap = g_Var.SoftAPProfile;
    TProfileList list;
    adapter->GetProfileList(PROF_SOFTAP, list);
    ap = list.empty() ? adapter->DefAPProfile() : *list.front();
    qstrncpy(ap.Ssid1, "Harbor Guest AP", sizeof ap.Ssid1);
    ap.Channel = 11;
    ap.APtxPwrLevel = 1;
    ap.EncryptionMethod = 1;
    ap.WEPEncryptionLevel = 1;
    ap.WEPKeyFormat = 1;
    qstrncpy(ap.WEPKey1, "A1B2C3D4E5", sizeof ap.WEPKey1);
    ap.APMacFilterMode = 2;
    const uint8_t rejected[6] = {0x02, 0x77, 0, 0, 0, 0x03};
    memcpy(ap.APMacFilter[0], rejected, 6);
    for (TPropertyPageFrame* page : router.Pages)
        page->SetAdapter(adapter.get(), 1, 1);
    // Two stations with the key join, the third is on the reject list.
    QProcess::execute(QCoreApplication::applicationDirPath() + "/tsrwl-simctl", {"reset"});
    for (const char* mac : {"02:77:00:00:00:01", "02:77:00:00:00:02", "02:77:00:00:00:03"})
        QProcess::execute(QCoreApplication::applicationDirPath() + "/tsrwl-simctl",
                          {"station", "add", mac, "--key", "A1B2C3D4E5"});
    info.ConnectLast();
    auto* stations = info.findChild<QTreeWidget*>(QStringLiteral("LvMAC"));
    Wait([&] { return stations->topLevelItemCount() == 2; }, 20000);
    stations->setCurrentItem(stations->topLevelItem(0));
    SavePicture(&info, outDir, "apinfo.png");
    cfg.EnterPage(nullptr, 0, 0);
    SavePicture(&cfg, outDir, "apcfg.png");
    filter.EnterPage(nullptr, 0, 0);
    SavePicture(&filter, outDir, "apfilter.png");
    for (TPropertyPageFrame* page : router.Pages)
        page->SetAdapter(nullptr, 2, 0);
    router.Adapter = nullptr;
    adapter.reset();
    return 0;
}

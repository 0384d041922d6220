// Screenshots of the Soft AP pages on the simulated adapter: the access point running with two stations
// associated and a reject filter set, its configuration with 64-bit WEP, and the MAC filter page.
#include "../common/Upagerouter.h"
#include "../common/Upicturetool.h"
#include "../common/Usimtool.h"
#include "app/Unotifyevent.h"
#include "engine/Unicadapter.h"
#include "ui/pages/Uframeapcfg.h"
#include "ui/pages/Uframeapfilter.h"
#include "ui/pages/Uframeapinfo.h"
#include "ui/pages/Usoftapprofile.h"

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
    // The pages share the Soft AP profile of their window: the router stands in for it.
    CPageRouter router;
    router.resize(595, 317);
    auto* info = new TFrameAPInfo(&router);
    auto* cfg = new TFrameAPCfg(&router);
    auto* filter = new TFrameAPFilter(&router);
    for (TPropertyPageFrame* page : std::initializer_list<TPropertyPageFrame*>{info, cfg, filter}) {
        page->InitPage();
        router.Pages << page;
    }
    router.show();
    TThreadPtr<CNICAdapter> adapter = CreateSimulatedAdapter(&router, HWID);
    router.Adapter = adapter.get();
    for (TPropertyPageFrame* page : router.Pages)
        page->SetAdapter(adapter.get(), 1, 1);
    WLProfile& ap = CSoftAPProfile::InWindowOf(info).Profile();
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
    // Two stations with the key join, the third is on the reject list.
    QProcess::execute(QCoreApplication::applicationDirPath() + "/tsrwl-simctl", {"reset"});
    for (const char* mac : {"02:77:00:00:00:01", "02:77:00:00:00:02", "02:77:00:00:00:03"})
        QProcess::execute(QCoreApplication::applicationDirPath() + "/tsrwl-simctl",
                          {"station", "add", mac, "--key", "A1B2C3D4E5"});
    info->ConnectLast();
    auto* stations = info->findChild<QTreeWidget*>(QStringLiteral("LvMAC"));
    Wait([&] { return stations->topLevelItemCount() == 2; }, 20000);
    stations->setCurrentItem(stations->topLevelItem(0));
    for (TPropertyPageFrame* page : std::initializer_list<TPropertyPageFrame*>{cfg, filter})
        page->hide();
    SavePicture(info, outDir, "apinfo.png");
    info->hide();
    cfg->show();
    cfg->EnterPage(nullptr, 0, 0);
    SavePicture(cfg, outDir, "apcfg.png");
    cfg->hide();
    filter->show();
    filter->EnterPage(nullptr, 0, 0);
    SavePicture(filter, outDir, "apfilter.png");
    for (TPropertyPageFrame* page : router.Pages)
        page->SetAdapter(nullptr, 2, 0);
    router.Adapter = nullptr;
    adapter.reset();
    return 0;
}

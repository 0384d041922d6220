#include "Ucmdline.h"
#include "Udebug.h"
#include "Udefine.h"

uint32_t ParseCommandLine(const QStringList& arguments)
{
    static const struct {
        const char* name;
        uint32_t flag;
    } switches[] = {{"/Service", SF_SERVICE}, {"/Close", SF_CLOSE}, {"/UI", SF_UI}, {"/TrayIcon", SF_TRAYICON}};
    uint32_t flags = 0;
    for (int i = 0; i < arguments.size(); ++i) {
        DebugPrint("Param(%d) %s", i + 1, arguments[i].toLocal8Bit().constData());
        for (const auto& s : switches)
            if (arguments[i].compare(QLatin1String(s.name), Qt::CaseInsensitive) == 0)
                flags |= s.flag;
    }
    return flags;
}

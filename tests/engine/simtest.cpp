#include "simtest.h"
#include "app/Udefine.h"
#include "engine/Ucumlib.h"
#include "testutil.h"

#include <QProcess>
#include <QTemporaryDir>

namespace simtest {

bool LoadSimulator(const QTemporaryDir& dir)
{
    qputenv("TSRWL_SIM_STATE", dir.filePath(QStringLiteral("sim.state")).toUtf8());
    qputenv("TSRWL_SIM_PROFILES", dir.filePath(QStringLiteral("profiles")).toUtf8());
    return g_TSLib.Load((testutil::BinDir() + QStringLiteral("/libtsrwl.so")).toStdString());
}

QString SimCtl(const QString& command)
{
    QProcess simctl;
    simctl.start(testutil::BinDir() + QStringLiteral("/tsrwl-simctl"),
                 QStringList{QStringLiteral("--prof-root"), g_Var.ProfRoot} +
                     command.split(QLatin1Char(' ')));
    return simctl.waitForFinished(10000) ? QString::fromUtf8(simctl.readAllStandardOutput()) : QString();
}

} // namespace simtest

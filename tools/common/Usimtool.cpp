#include "Usimtool.h"
#include "app/Udefine.h"
#include "app/Unotifyevent.h"
#include "engine/Ucumlib.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <cstdio>

void UseSandbox(const QTemporaryDir& sandbox)
{
    qputenv("TSRWL_SIM_STATE", sandbox.filePath(QStringLiteral("sim.state")).toUtf8());
    qputenv("TSRWL_SIM_PROFILES", sandbox.filePath(QStringLiteral("profiles")).toUtf8());
    qputenv("XDG_CONFIG_HOME", sandbox.filePath(QStringLiteral("config")).toUtf8());
}

bool LoadSimulatedProgram()
{
    const QString bin = QCoreApplication::applicationDirPath();
    g_Var.ReadFiles(bin + QStringLiteral("/wlanutil"));
    RegisterNotifyMsg();
    if (!g_TSLib.Load((bin + QStringLiteral("/libtsrwl.so")).toStdString())) {
        fprintf(stderr, "cannot load the simulated adapter library from %s\n", qPrintable(bin));
        return false;
    }
    g_TSLib.TSRWL_SetWLProfileDir(g_Var.ProfRoot.toUtf8().constData());
    return true;
}

TThreadPtr<CNICAdapter> CreateSimulatedAdapter(QObject* target, const char* hwId)
{
    TAdapterDesc desc{};
    qstrncpy(desc.Description, "Simulated adapter", sizeof desc.Description);
    qstrncpy(desc.HwId, hwId, sizeof desc.HwId);
    qstrncpy(desc.Instance, "9999", sizeof desc.Instance);
    TThreadPtr<CNICAdapter> adapter = CNICAdapter::Create(target, 0, desc);
    if (adapter->EnableZeroCfg())
        adapter->WriteUseWZC(false);
    return adapter;
}

void Wait(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!condition() && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
    }
}

void SavePicture(QWidget* w, const QString& dir, const QString& file)
{
    QCoreApplication::processEvents();
    const QString path = QDir(dir).filePath(file);
    printf("%s %s\n", w->grab().save(path) ? "wrote" : "could not write", qPrintable(path));
}

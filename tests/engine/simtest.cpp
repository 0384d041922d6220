#include "simtest.h"
#include "app/Udefine.h"
#include "engine/Ucumlib.h"
#include "testutil.h"

#include <QTemporaryDir>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace simtest {

bool LoadSimulator(const QTemporaryDir& dir)
{
    qputenv("TSRWL_SIM_STATE", dir.filePath(QStringLiteral("sim.state")).toUtf8());
    qputenv("TSRWL_SIM_PROFILES", dir.filePath(QStringLiteral("profiles")).toUtf8());
    return g_TSLib.Load((testutil::BinDir() + QStringLiteral("/libtsrwl.so")).toStdString());
}

namespace {

struct SimCtlRun {
    bool finished = false; // ended by itself, with an exit code
    int exitCode = -1;
    QByteArray printed;
};

// Not through QProcess: its child runs in this process's memory until it starts the program, and there it
// steps on what the thread sanitizer keeps about the calling thread, which then misses the locks that thread
// takes afterwards and reports races that are none.
SimCtlRun RunSimCtl(const QString& command)
{
    std::vector<std::string> words{(testutil::BinDir() + QStringLiteral("/tsrwl-simctl")).toStdString(),
                                   "--prof-root", g_Var.ProfRoot.toStdString()};
    for (const QString& word : command.split(QLatin1Char(' ')))
        words.push_back(word.toStdString());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    SimCtlRun run;
    int out[2];
    if (pipe(out) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = 0;
    const bool started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    char buffer[4096];
    for (ssize_t n; started && (n = read(out[0], buffer, sizeof buffer)) > 0;)
        run.printed.append(buffer, n);
    close(out[0]);
    int status = 0;
    run.finished = started && waitpid(pid, &status, 0) == pid && WIFEXITED(status);
    if (run.finished)
        run.exitCode = WEXITSTATUS(status);
    return run;
}

} // namespace

QString SimCtl(const QString& command)
{
    const SimCtlRun run = RunSimCtl(command);
    return run.finished ? QString::fromUtf8(run.printed) : QString();
}

bool SimCtlSucceeds(const QString& command)
{
    const SimCtlRun run = RunSimCtl(command);
    return run.finished && run.exitCode == 0;
}

} // namespace simtest

#include "Ustartup.h"
#include "Uformmain.h"
#include "Uformres.h"
#include "app/Ucmdline.h"
#include "app/Udebug.h"
#include "app/Udefine.h"
#include "app/Uinifile.h"
#include "app/Uinstance.h"
#include "app/Unotifychannel.h"
#include "app/Unotifyevent.h"
#include "app/Uoutsidefile.h"
#include "app/Usignalwatch.h"
#include "app/Uutility.h"
#include "app/Uwriteproblem.h"
#include "engine/Ucumlib.h"
#include "engine/Uthread.h"
#include "engine/Uuserstore.h"
#include "Uformmsgbox.h"
#include "Utoolkittexts.h"

#include "controls/Focusstyle.h"
#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QThread>
#include <QThreadPool>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fontconfig/fontconfig.h>
#include <functional>
#include <malloc.h>
#include <optional>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

// Qt can open neither an X11 nor a Wayland display without one of these; say so instead of letting the
// toolkit abort with its own message.
bool DisplayAvailable()
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
           qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

bool GraphicalSession()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

// The system's own error box, for failures before the program's windows exist; its title is the
// platform's default.
void SystemErrorBox(const QString& text)
{
    if (GraphicalSession())
        QMessageBox::critical(nullptr, QString(), text);
}

QStringList Arguments(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

// Without a folder that only this user can use, the lock and the sockets could be taken over by another
// user: the program does not start, and says why.
bool RuntimeDirUsable()
{
    if (!RuntimeDir().isEmpty())
        return true;
    QString text = g_Var.GetLangText(
        QStringLiteral("Message"), QStringLiteral("NoRuntimeDir"),
        QStringLiteral("No private folder for the lock file and the sockets of the program was found.\n"
                       "Set XDG_RUNTIME_DIR to a folder that only you can use."));
    UnescapeNewlines(text);
    DebugPrint("no private runtime folder (XDG_RUNTIME_DIR, /run/user and the cache folder were not usable)");
    fprintf(stderr, "wlanutil: %s\n", qPrintable(text));
    SystemErrorBox(text);
    return false;
}

// As the usual command-line tools answer a switch they do not know.
constexpr int BAD_SWITCH_EXIT_CODE = 2;

// An OK button with the warning icon, in the classic message box flags.
constexpr int MB_OK_WARNING = 0x30;

void TellStoreProblem(QWidget* window, StoreProblem problem, const QString& subject)
{
    QString text =
        problem == StoreProblem::CannotSave
            ? g_Var.GetLangText(QStringLiteral("Message"), QStringLiteral("CannotSave"),
                                QStringLiteral("Your settings cannot be saved in %s.\\n"
                                               "Changes you make are lost when the program ends."))
            : g_Var.GetLangText(QStringLiteral("Message"), QStringLiteral("ProfileDamaged"),
                                QStringLiteral("The stored profile %s is damaged and cannot be read.\\n"
                                               "It is left out of the list; save it again to keep it."));
    ShowMsgBox(window, text.replace(QLatin1String("%s"), subject), MB_OK_WARNING);
}

// A settings or language file that is damaged or not readable leaves the program on its defaults; the user
// should know why. The texts have built-in defaults: the language file may be the bad one.
QString ReadProblemText(IniProblem problem)
{
    switch (problem) {
    case IniProblem::NotIni:
        return g_Var.GetLangText(QStringLiteral("Message"), QStringLiteral("FileNotIni"),
                                 QStringLiteral("%s is damaged or is not an INI file.\\n"
                                                "The program uses its built-in defaults instead."));
    case IniProblem::TooLarge:
        return g_Var.GetLangText(QStringLiteral("Message"), QStringLiteral("FileTooLarge"),
                                 QStringLiteral("%s is larger than 4 MB and is not used.\\n"
                                                "The program uses its built-in defaults instead."));
    case IniProblem::OtherEncoding:
        return g_Var.GetLangText(
            QStringLiteral("Message"), QStringLiteral("FileEncoding"),
            QStringLiteral("%s is not written in UTF-8 and is not used; it is left as it is.\n"
                           "Save it as UTF-8 to use it. The program uses its built-in "
                           "defaults instead."));
    case IniProblem::Unreadable:
        break;
    }
    return g_Var.GetLangText(QStringLiteral("Message"), QStringLiteral("FileUnreadable"),
                             QStringLiteral("%s cannot be read.\\n"
                                            "The program uses its built-in defaults instead."));
}

void TellReadProblem(QWidget* window, const QString& path, IniProblem problem)
{
    ShowMsgBox(window, ReadProblemText(problem).replace(QLatin1String("%s"), path), MB_OK_WARNING);
}

// The adapter store is read again and again while the program runs; one that is far too large, or no regular
// file (a FIFO would block the adapter's worker), is not used.
void NoteStoreProblem()
{
    const QString store = CUserStore::PathFor(g_Var.ProfRoot);
    const OutsideFile check = CheckOutsideFile(store, MAX_SETTINGS_FILE_SIZE);
    if (check == OutsideFile::TooLarge)
        g_Var.FileProblems.append({store, IniProblem::TooLarge});
    else if (check != OutsideFile::Ok && check != OutsideFile::Missing)
        g_Var.FileProblems.append({store, IniProblem::Unreadable});
}

// The toolkit's display plugins end the process with exit() when the display goes away (the virtual display
// killed, a session ending under the program), from their event handling on the GUI thread, right after
// saying so. Static destruction would then free the library's state while the adapter's threads still work in
// it. The work is ended first, as the tray menu's Close ends it, and the process leaves without static
// destruction. The handler at exit is the second line, for an exit that says nothing first: it runs before
// the destructors of what existed when it was registered, not of what was made later.
std::function<void()> g_EndBeforeExit;
QtMessageHandler g_ToolkitMessages = nullptr;

void EndBeforeExit()
{
    if (!g_EndBeforeExit || QThread::currentThread() != QCoreApplication::instance()->thread())
        return;
    const std::function<void()> end = std::exchange(g_EndBeforeExit, nullptr);
    DebugPrint("the display is gone: ending the adapter's work");
    end();
    DebugPrint("the display is gone: done");
    _exit(0);
}

void OnToolkitMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    // The toolkit hands back its own default handler when none was installed before.
    g_ToolkitMessages(type, context, text);
    if (type == QtWarningMsg && text.contains(QLatin1String("connection broke")))
        EndBeforeExit();
}

void Broadcast(int code)
{
    SendToRunningInstance(g_Var.NotifyMsgName, code, 0);
}

// A close request needs no display: it goes to the running instance over its socket. Without one it used to
// end here with "no display" and leave the instance running.
int CloseWithoutDisplay()
{
    RegisterNotifyMsg();
    g_Var.ReadFiles(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
    DebugPrint("PM_CLOSE");
    Broadcast(9);
    return 0;
}

// Help, version and a switch that means nothing end the start before any instance or window exists. The
// answers are in the user's language: the program's files are read, its adapter library is not loaded.
int AnswerCommandLine(const CommandCheck& check, const char* program)
{
    const QString name = QFileInfo(QString::fromLocal8Bit(program)).fileName();
    g_Var.ReadFiles(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
    switch (check.action) {
    case CommandAction::Help:
        fputs(qPrintable(CommandLineHelp(name)), stdout);
        return 0;
    case CommandAction::Version:
        fputs(qPrintable(CommandLineVersion(name)), stdout);
        return 0;
    case CommandAction::BadSwitch:
        fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(UnknownSwitchText(check.badSwitch)));
        return BAD_SWITCH_EXIT_CODE;
    case CommandAction::Run:
        break;
    }
    return 0;
}

// A thread still inside the adapter library after the orderly end would find the static objects gone when it
// returned. The end itself is complete (settings saved, sockets removed), so the process leaves normally
// without destroying them, rather than waiting for the library.
void LeaveIfAThreadIsStuck(int code)
{
    if (CThread::WaitForAbandoned(200))
        return;
    DebugPrint("a thread is still inside the adapter library; the program ends without it");
    // What that thread still listens on goes with the program.
    CSignalWatch::RemoveSocketFiles();
    fflush(nullptr);
    _exit(code);
}

int RunMainWindow(uint32_t flags)
{
    // No application display name: the window system would append it to every window's title, and each
    // window sets its whole title itself.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setStyle(new TFocusStyle);
    // Made first and so gone last: a second signal during the end below ends the process at once.
    CSignalWatch signalWatch;
    TFormRes res;
    FormRes = &res;
    TFormMain main;
    main.SetStartFlags(flags);
    std::optional<CNotifyServer> server;
    server.emplace(g_Var.NotifyMsgName,
                   [&main](int code, int value) { return main.Session()->HandleNotify(code, value); });
    server->Listen();
    // A logout, a service manager or Ctrl+C end the program as the tray menu's Close does.
    QObject::connect(&signalWatch, &CSignalWatch::Terminate, &main, [&main] { main.MenuItCloseClick(); });
    signalWatch.Install();
    // Writes fail on the adapter's threads too; the box is shown by the window's own thread.
    SetWriteProblemHandler([&main](StoreProblem problem, const QString& subject) {
        QMetaObject::invokeMethod(
            &main, [&main, problem, subject] { TellStoreProblem(&main, problem, subject); },
            Qt::QueuedConnection);
    });
    for (const auto& [path, problem] : g_Var.FileProblems)
        QMetaObject::invokeMethod(
            &main, [&main, path, problem] { TellReadProblem(&main, path, problem); }, Qt::QueuedConnection);
    if (flags & SF_UI)
        main.show();
    g_EndBeforeExit = [&main, &server] {
        server.reset();
        main.Session()->EndWork();
    };
    g_ToolkitMessages = qInstallMessageHandler(OnToolkitMessage);
    std::atexit(EndBeforeExit);
    QApplication::exec();
    // From here on a thread stuck in the library is abandoned after a brief wait, and the sockets go first:
    // the end takes well under two seconds whatever the library does.
    CThread::BeginProcessEnd();
    server.reset();
    g_EndBeforeExit = nullptr;
    // Pool threads the toolkit started for large pictures end here, while the application still exists.
    QThreadPool::globalInstance()->waitForDone();
    SetWriteProblemHandler(nullptr);
    FormRes = nullptr;
    return 0;
}

} // namespace

int RunProgram(int argc, char** argv)
{
    // A signal at any moment of the start ends the program in order once its window runs, not by the
    // signal's default action.
    CSignalWatch::CatchEarly();
    // Each thread that allocates would get an allocator arena of its own, whose pages stay with the process;
    // the threads here allocate little and rarely, so they share the one arena.
    mallopt(M_ARENA_MAX, 1);
    // Under a file-size limit a write past it must fail like any other (the original file stays), not end
    // the program.
    signal(SIGXFSZ, SIG_IGN);
    const CommandCheck check = CheckCommandLine(Arguments(argc, argv));
    // The toolkit's own options (such as -platform) are known only once it has taken them out of the
    // arguments; without a display nothing takes them.
    if (check.action != CommandAction::Run &&
        (check.action != CommandAction::BadSwitch || !DisplayAvailable()))
        return AnswerCommandLine(check, argv[0]);
    DebugLogFile();
    if (!DisplayAvailable() && (ParseCommandLine(Arguments(argc, argv)) & SF_CLOSE))
        return CloseWithoutDisplay();
    if (!DisplayAvailable()) {
        fprintf(stderr,
                "wlanutil: no display (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                "Run it in a desktop session, under a virtual display with\n"
                "  xvfb-run -a %s /UI\n"
                "or without any display with QT_QPA_PLATFORM=offscreen.\n",
                argv[0]);
        return 0;
    }
    // The font configuration, a few dozen XML files and the font caches, takes milliseconds to read; it is
    // read beside the toolkit's connection to the display rather than after it, when the first text is
    // measured. The library keeps one configuration for the process, which the toolkit then finds ready.
    std::thread fonts([] { FcInit(); });
    QApplication app(argc, argv);
    fonts.join();
    if (const CommandCheck left = CheckCommandLine(Arguments(argc, argv)); left.action != CommandAction::Run)
        return AnswerCommandLine(left, argv[0]);
    CInstanceMutex mutex;
    try {
        RegisterNotifyMsg();
        const uint32_t flags = ParseCommandLine(Arguments(argc, argv));
        g_Var.Init(flags, QCoreApplication::applicationFilePath());
        LoadToolkitTexts(g_Var.Language);
        if (!BindAdapterLibrary(g_Var)) {
            SystemErrorBox(g_Var.GetLangText(QStringLiteral("Message"), QStringLiteral("LibraryLoadFailed"),
                                             QString::fromLatin1(LIBRARY_LOAD_FAILED)));
            return 0;
        }
        if (flags & SF_CLOSE) {
            DebugPrint("PM_CLOSE");
            Broadcast(9);
            return 0;
        }
        if (!RuntimeDirUsable())
            return 0;
        if (!CheckSingleInstance(mutex, g_Var.MutexName, {10, 3000, Broadcast}))
            return 0;
        // Only the one instance writes these files, so what an interrupted write left can go now.
        RemoveInterruptedWrites(g_Var.UserSettingsFile);
        RemoveInterruptedWrites(CUserStore::PathFor(g_Var.ProfRoot));
        NoteStoreProblem();
        const int code = RunMainWindow(flags);
        LeaveIfAThreadIsStuck(code);
        return code;
    } catch (const std::exception& e) {
        DebugPrint("Exception(WinMain): %s", e.what());
        SystemErrorBox(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        // Nothing tells what went wrong, but the user learns that the program ended on an error.
        DebugPrint("Exception(WinMain)");
        SystemErrorBox(QString());
    }
    return 0;
}

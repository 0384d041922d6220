#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the termination signals (SIGTERM, SIGINT, SIGHUP) into a Terminate() on the thread that made the
// watch, through a pipe read by its event loop: the handler itself only writes one byte. The signals are
// caught from the start of the program (CatchEarly): one that comes before the watch exists waits in the pipe
// and ends the program as soon as its event loop runs. A second signal while that end is still running ends
// the process at once, removing the socket files the program listens on first, so a program stuck in its
// end can still be stopped without leaving them behind; so does the first signal's end when it has not come
// five seconds later (the window thread stuck in the toolkit). One watch per process.
class CSignalWatch : public QObject {
    Q_OBJECT
public:
    explicit CSignalWatch(QObject* parent = nullptr);
    ~CSignalWatch() override;
    CSignalWatch(const CSignalWatch&) = delete;
    CSignalWatch& operator=(const CSignalWatch&) = delete;

    // Catches the signals from now on, before any watch exists; false (logged) when it cannot.
    static bool CatchEarly();
    // False (logged) when the pipe or the handlers could not be set up; the signals then keep their
    // default action.
    bool Install();

    // The socket file at `path` is removed by an end forced by a second signal, until Forget is called with
    // the same path. Up to a handful of files; safe from any thread.
    static void RemoveOnForcedEnd(const QByteArray& path);
    static void Forget(const QByteArray& path);
    // Removes those files now: for an end that leaves without closing what still listens (a thread stuck).
    static void RemoveSocketFiles();
    // True once those files are being removed for good: a listener must not make its file again.
    static bool EndForced();

Q_SIGNALS:
    void Terminate(int signalNumber);

private:
    void OnReadable();
    void Uninstall();

    QSocketNotifier* m_Notifier = nullptr;
};

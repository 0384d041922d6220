#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the termination signals (SIGTERM, SIGINT, SIGHUP) into a Terminate() on the thread that made the
// watch, through a pipe read by its event loop: the handler itself only writes one byte. A second signal
// while that end is still running ends the process at once, so a program stuck in its end can still be
// stopped. One watch per process.
class CSignalWatch : public QObject {
    Q_OBJECT
public:
    explicit CSignalWatch(QObject* parent = nullptr);
    ~CSignalWatch() override;
    CSignalWatch(const CSignalWatch&) = delete;
    CSignalWatch& operator=(const CSignalWatch&) = delete;

    // False (logged) when the pipe or the handlers could not be set up; the signals then keep their
    // default action.
    bool Install();

Q_SIGNALS:
    void Terminate(int signalNumber);

private:
    void OnReadable();
    void Uninstall();

    QSocketNotifier* m_Notifier = nullptr;
};

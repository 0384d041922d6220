#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

class QSocketNotifier;
struct sockaddr_un;

// One accepted connection of a per-user local socket, driven by the event loop of the thread it lives in.
// What the peer sends is read as it comes (readyRead); writing never blocks: what the kernel cannot take yet
// is sent as it drains. The peer's hang-up is reported (Disconnected) after the readyRead of what it sent
// before, and that data stays readable. A plain descriptor is enough for this: the toolkit's own local socket
// would load its whole network library, and what that needs, at every start of the program.
class CLocalSocket : public QIODevice {
    Q_OBJECT
public:
    // Takes `fd`, a connected non-blocking stream socket, and closes it when done.
    explicit CLocalSocket(int fd, QObject* parent = nullptr);
    ~CLocalSocket() override;

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    bool canReadLine() const override;
    bool IsConnected() const { return m_Fd >= 0; }
    // The descriptor while connected, else -1.
    int Descriptor() const { return m_Fd; }
    // Sends what waits to be written as far as the kernel takes it now.
    void Flush();
    // Hangs up at once: what was neither read nor sent yet is dropped. Disconnected follows when it was
    // connected.
    void Abort();

Q_SIGNALS:
    void Disconnected();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 readLineData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    void OnReadable();
    void HangUp();

    int m_Fd;
    // Received and not read yet; to be sent.
    QByteArray m_In;
    QByteArray m_Out;
    QSocketNotifier* m_ReadNotifier;
    QSocketNotifier* m_WriteNotifier;
};

// The address of the local socket file `path` (in the file system's encoding); false when it does not fit.
bool LocalSocketAddress(const QString& path, sockaddr_un& address);

// Connects to the local socket at `path` as a blocking client whose connect, sends and receives each give up
// after `timeoutMs` (a listener whose queue is full is waited for); -1 at once when nobody listens there.
int ConnectLocalSocket(const QString& path, int timeoutMs);

#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

// Decodes a list of picture files on a thread of its own, in the order given, while the caller goes on with
// other work; each picture can be taken as soon as it is decoded. Ends its thread when destroyed, without
// decoding what is left.
class CPictureFetch {
public:
    // (name, file) pairs.
    explicit CPictureFetch(QList<QPair<QString, QString>> files);
    ~CPictureFetch();
    CPictureFetch(const CPictureFetch&) = delete;
    CPictureFetch& operator=(const CPictureFetch&) = delete;

    // The picture decoded for the name, waiting while it is still being decoded; nothing for a name not in
    // the list, already taken, or not decoded for want of memory. A file that could not be read gives an
    // empty picture.
    std::optional<QImage> Take(const QString& name);

private:
    void Run();

    const QList<QPair<QString, QString>> m_Files;
    std::mutex m_Lock;
    std::condition_variable m_Decoded;
    QHash<QString, QImage> m_Pictures;
    qsizetype m_Done = 0;
    bool m_Stop = false;
    std::thread m_Thread;
};

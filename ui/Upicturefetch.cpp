#include "Upicturefetch.h"
#include "Uformres.h"

#include <algorithm>

CPictureFetch::CPictureFetch(QList<QPair<QString, QString>> files)
    : m_Files(std::move(files)), m_Thread([this] { Run(); })
{
}

CPictureFetch::~CPictureFetch()
{
    {
        const std::lock_guard lock(m_Lock);
        m_Stop = true;
    }
    m_Thread.join();
}

void CPictureFetch::Run()
{
    for (const auto& [name, file] : m_Files) {
        std::optional<QImage> picture;
        try {
            picture = LoadPictureFile(file);
        } catch (const std::bad_alloc&) {
            // Left to the caller, which reads the file itself when it asks for the picture.
        }
        const std::lock_guard lock(m_Lock);
        if (m_Stop)
            return;
        if (picture)
            m_Pictures.insert(name, std::move(*picture));
        ++m_Done;
        m_Decoded.notify_all();
    }
}

std::optional<QImage> CPictureFetch::Take(const QString& name)
{
    const auto listed =
        std::find_if(m_Files.begin(), m_Files.end(), [&](const auto& f) { return f.first == name; });
    if (listed == m_Files.end())
        return std::nullopt;
    const qsizetype index = listed - m_Files.begin();
    std::unique_lock lock(m_Lock);
    m_Decoded.wait(lock, [&] { return m_Done > index; });
    const auto found = m_Pictures.find(name);
    if (found == m_Pictures.end())
        return std::nullopt;
    std::optional<QImage> picture = std::move(*found);
    m_Pictures.erase(found);
    return picture;
}

#pragma once

#include <QRect>
#include <QString>
#include <QTemporaryDir>
#include <ostream>

// A fake executable in a temporary directory with the given settings and language files beside it, read into
// g_Var. On destruction g_Var reads an empty directory again, so no test sees another's files.
class ScopedConfig {
public:
    ScopedConfig(const QString& settings, const QString& language);
    ~ScopedConfig();
    ScopedConfig(const ScopedConfig&) = delete;
    ScopedConfig& operator=(const ScopedConfig&) = delete;

private:
    QTemporaryDir m_Dir;
};

// Readable rectangles in failure messages.
void PrintTo(const QRect& r, std::ostream* os);

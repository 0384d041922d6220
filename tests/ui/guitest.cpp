#include "guitest.h"
#include "app/Udefine.h"
#include "testutil.h"

#include <gtest/gtest.h>

ScopedConfig::ScopedConfig(const QString& settings, const QString& language)
{
    EXPECT_TRUE(testutil::WriteFile(m_Dir.filePath(QStringLiteral("fake.bin")), settings.toUtf8()));
    EXPECT_TRUE(testutil::WriteFile(m_Dir.filePath(QStringLiteral("fake.ini")), language.toUtf8()));
    g_Var.ReadFiles(m_Dir.filePath(QStringLiteral("fake")));
}

ScopedConfig::~ScopedConfig()
{
    QTemporaryDir empty;
    g_Var.ReadFiles(empty.filePath(QStringLiteral("fake")));
}

void PrintTo(const QRect& r, std::ostream* os)
{
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}

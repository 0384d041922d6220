// Entry point of the GUI test programs: one application object for all tests, offscreen by default.
#include <QApplication>
#include <QThreadPool>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // The toolkit scales and converts large pictures on pool threads: they are joined while the application
    // still exists, so none is still ending when it goes and the leak checker sees nothing of theirs.
    QThreadPool::globalInstance()->waitForDone();
    return result;
}

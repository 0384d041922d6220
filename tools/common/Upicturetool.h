#pragma once

#include "ui/Uformres.h"

#include <QApplication>
#include <QTemporaryDir>
#include <memory>

// One run of a picture tool: the simulated adapter's state, profiles and the per-user settings in a sandbox,
// the application object, the program's files and the simulated adapter library, and the skin. Pictures go to
// the folder given as the first argument, else to the current folder.
class CPictureTool {
public:
    CPictureTool(int& argc, char** argv);
    ~CPictureTool();
    // False, with the reason on stderr, when the simulated adapter library cannot be loaded.
    bool Ready() const { return m_Res != nullptr; }
    const QString& OutDir() const { return m_OutDir; }

private:
    // Made before the application object, which reads the per-user settings folder.
    struct Sandbox {
        Sandbox();
        QTemporaryDir Dir;
    } m_Sandbox;
    QApplication m_App;
    QString m_OutDir;
    std::unique_ptr<TFormRes> m_Res;
};

#include "Upicturetool.h"
#include "Usimtool.h"

#include <QDir>

CPictureTool::Sandbox::Sandbox()
{
    UseSandbox(Dir);
}

CPictureTool::CPictureTool(int& argc, char** argv)
    : m_App(argc, argv), m_OutDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath())
{
    if (!LoadSimulatedProgram())
        return;
    m_Res = std::make_unique<TFormRes>();
    FormRes = m_Res.get();
}

CPictureTool::~CPictureTool()
{
    FormRes = nullptr;
}

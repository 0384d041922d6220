#pragma once

// The program from start to end: command line, settings, the adapter library, the single instance, the
// skin and the main window, and the message loop. Always returns 0, as the program's exit code.
int RunProgram(int argc, char** argv);

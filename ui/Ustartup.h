#pragma once

// The program from start to end: command line, settings, the adapter library, the single instance, the
// skin and the main window, and the message loop. Returns the program's exit code: 0, or 2 for a switch it
// does not know.
int RunProgram(int argc, char** argv);

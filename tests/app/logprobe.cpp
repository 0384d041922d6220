// Writes to the debug log as the program does: "logprobe <text> [hold|errors]". With "errors" it logs two
// error codes; with "hold" it keeps its log open until its standard input closes.
#include "app/Udebug.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    DebugPrint("probe %s", argc > 1 ? argv[1] : "");
    if (argc > 2 && strcmp(argv[2], "errors") == 0) {
        DebugPrintErr(183, "can't create instance mutex");
        DebugPrintErr(2);
    }
    if (argc > 2 && strcmp(argv[2], "hold") == 0) {
        puts("holding");
        fflush(stdout);
        while (getchar() != EOF) {
        }
    }
    return 0;
}

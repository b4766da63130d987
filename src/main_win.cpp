// Program entry of VemoIsland.exe.
#include "sys_win.h"

int wmain(int argc, wchar_t** argv) {
    (void)argc;
    (void)argv;
    return 0;
}

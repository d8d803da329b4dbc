// The process entry of expscale-gui.exe. Command-line arguments are ignored.
#include <windows.h>

#include "shell/win32/program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // No critical-error or open-file error box: a drive that is not ready simply fails to read.
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    expscale::shutDown(expscale::runProgram());
}

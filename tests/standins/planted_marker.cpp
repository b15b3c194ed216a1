// Stands for a program an ordinary user planted under a system program's name (icacls.exe, runas.exe,
// regsvr32.exe, cmd.exe) where an elevated program might look for it: beside setup.exe, or in the
// install directory it leaves as its current one. Records its command line in C:\quortest\planted.log
// and does nothing else.
#include "tests/standins/standin_log.h"

int main() {
    AppendCommandLineToLog("C:\\quortest\\planted.log");
    return 0;
}

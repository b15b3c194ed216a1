// Stand-in for the system's runas.exe in the test prefix (Wine has none): records its command line
// in C:\quortest\runas.log and starts nothing.
#include "tests/standins/standin_log.h"

int main() {
    AppendCommandLineToLog("C:\\quortest\\runas.log");
    return 0;
}

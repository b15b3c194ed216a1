// Stand-in for the system's icacls.exe in the test prefix (Wine's own prints nothing). It records its
// command line in C:\quortest\icacls.log and prints a listing: the text of
// C:\quortest\icacls-listing.txt when a test wrote one, else a listing in the system's layout with
// the first entry on the path's line, an (RX) and an (F) application-package line and the closing
// summary. (The program reads no output of the integrity-level commands.)
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "tests/standins/standin_log.h"

int main() {
    AppendCommandLineToLog("C:\\quortest\\icacls.log");
    FILE* listing = std::fopen("C:\\quortest\\icacls-listing.txt", "rb");
    if (listing == nullptr) {
        std::fputs("C:\\Progra~1\\quorel8 NT AUTHORITY\\SYSTEM:(OI)(CI)(F)\n"
                   "                    APPLICATION PACKAGE AUTHORITY\\ALL RESTRICTED APPLICATION PACKAGES:(OI)(CI)(RX)\n"
                   "                    APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(OI)(CI)(F)\n"
                   "                    BUILTIN\\Administrators:(OI)(CI)(F)\n"
                   "                    NT AUTHORITY\\Authenticated Users:(OI)(CI)(RX,W)\n"
                   "\nSuccessfully processed 1 files; Failed processing 0 files\n",
                   stdout);
        return 0;
    }
    // Binary mode: the listing file's bytes, line ends included, reach the pipe as the test wrote them.
    _setmode(_fileno(stdout), _O_BINARY);
    char chunk[4096];
    for (std::size_t read; (read = std::fread(chunk, 1, sizeof chunk, listing)) > 0;) std::fwrite(chunk, 1, read, stdout);
    std::fclose(listing);
    return 0;
}

// Stand-in for the system's icacls.exe in the test prefix (Wine's own prints nothing). It records its
// command line in C:\quortest\icacls.log and, unless asked to set an integrity level, prints a
// listing: the text of C:\quortest\icacls-listing.txt when a test wrote one, else a listing in the
// system's layout with the first entry on the path's line, an (RX) and an (F) application-package
// line and the closing summary.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "tests/standins/standin_log.h"

namespace {

constexpr char kDefaultListing[] =
    "C:\\Progra~1\\quorel8 NT AUTHORITY\\SYSTEM:(OI)(CI)(F)\n"
    "                    APPLICATION PACKAGE AUTHORITY\\ALL RESTRICTED APPLICATION PACKAGES:(OI)(CI)(RX)\n"
    "                    APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(OI)(CI)(F)\n"
    "                    BUILTIN\\Administrators:(OI)(CI)(F)\n"
    "                    NT AUTHORITY\\Authenticated Users:(OI)(CI)(RX,W)\n"
    "\n"
    "Successfully processed 1 files; Failed processing 0 files\n";

void PrintListingFile(FILE* listing) {
    char chunk[4096];
    std::size_t read = 0;
    while ((read = std::fread(chunk, 1, sizeof chunk, listing)) > 0) std::fwrite(chunk, 1, read, stdout);
}

}  // namespace

int main() {
    AppendCommandLineToLog("C:\\quortest\\icacls.log");
    if (std::strstr(GetCommandLineA(), "/SetIntegrityLevel") != nullptr) {
        std::printf("processed file: C:\\Progra~1\\quorel8\n");
        std::printf("Successfully processed 1 files; Failed processing 0 files\n");
        return 0;
    }
    // Binary mode: the listing file's bytes, line ends included, reach the pipe as the test wrote them.
    if (FILE* listing = std::fopen("C:\\quortest\\icacls-listing.txt", "rb")) {
        _setmode(_fileno(stdout), _O_BINARY);
        PrintListingFile(listing);
        std::fclose(listing);
    } else {
        std::fputs(kDefaultListing, stdout);
    }
    return 0;
}

// The 64-bit half of the input method's own setup (setupw64.exe). The setup program starts it at
// the end of an IMM install on 64-bit Windows as "setupw64.exe regqu32=DIR", DIR being the install
// directory with its closing backslash. It shows no window. It notes each run by appending the
// word and the directory as one line to setupw64.log in DIR (when DIR exists), so an install can
// be checked for having started it, and exits with status 0. Without the word it does nothing and
// exits with status 1.
#include <windows.h>

#define QUOR_WORD L"regqu32="

// The text after the word, up to the end of the command line (the directory may hold spaces and
// is not quoted), or NULL when the word is missing.
static const WCHAR* FindDirectory(const WCHAR* commandLine) {
    const int wordLength = lstrlenW(QUOR_WORD);
    for (const WCHAR* p = commandLine; *p != 0; ++p) {
        if (CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, p, wordLength, QUOR_WORD, wordLength) ==
            CSTR_EQUAL) {
            return p + wordLength;
        }
    }
    return NULL;
}

static void AppendRunNote(const WCHAR* directory) {
    WCHAR path[MAX_PATH];
    const int directoryLength = lstrlenW(directory);
    const int nameLength = lstrlenW(L"setupw64.log");
    if (directoryLength == 0 || directoryLength + nameLength + 2 > MAX_PATH) return;
    lstrcpyW(path, directory);
    if (path[directoryLength - 1] != L'\\') lstrcatW(path, L"\\");
    lstrcatW(path, L"setupw64.log");

    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    char line[3 * MAX_PATH + 16];
    int length = WideCharToMultiByte(CP_ACP, 0, QUOR_WORD, -1, line, sizeof line, NULL, NULL) - 1;
    int written = WideCharToMultiByte(CP_ACP, 0, directory, -1, line + length,
                                      (int)sizeof line - length - 2, NULL, NULL);
    if (length >= 0 && written > 0) {
        length += written - 1;
        line[length++] = '\r';
        line[length++] = '\n';
        DWORD done = 0;
        WriteFile(file, line, (DWORD)length, &done, NULL);
    }
    CloseHandle(file);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    const WCHAR* directory = FindDirectory(GetCommandLineW());
    if (directory == NULL) return 1;
    DWORD attributes = GetFileAttributesW(directory);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        AppendRunNote(directory);
    }
    return 0;
}

// The uninstaller's command-line words (see command_words.h).
#include "uninstall/command_words.h"

#include <cstring>

#include "uninstall/self_copy.h"

UninstallWords ReadUninstallWords(int count, const char* const* arguments) {
    UninstallWords words;
    for (int i = 1; i < count; ++i) {
        if (_stricmp(arguments[i], "/S") == 0) words.silent = true;
        if (_stricmp(arguments[i], kWorkingCopyWord) == 0) words.workingCopy = true;
    }
    return words;
}

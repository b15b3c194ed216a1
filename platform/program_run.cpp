// RunAndWait (see program_run.h).
#include "platform/program_run.h"

#include "common/handles.h"
#include "common/text.h"

namespace {

constexpr std::size_t kCommandLineCapacity = 2 * MAX_PATH + 64;

}  // namespace

bool RunAndWait(const char* program, const char* arguments, DWORD timeoutMs, DWORD* exitCode) {
    // CreateProcessA may write into the command line, so it is built in a buffer of our own.
    char commandLine[kCommandLineCapacity];
    if (!FormatText(commandLine, "\"%s\" %s", program, arguments)) return false;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return false;
    }
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    if (WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    if (!GetExitCodeProcess(process.Get(), &code)) return false;
    if (exitCode != nullptr) *exitCode = code;
    return true;
}

// Stand-in for regsvr32 in the test prefix: records its command line in C:\quortest\regsvr32.log and
// then does what regsvr32 does with it: loads the DLL and calls its DllRegisterServer, or with "/u"
// its DllUnregisterServer, without any window. Other tests run it as the system's regsvr32 too.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "tests/standins/standin_log.h"

int main() {
    AppendCommandLineToLog("C:\\quortest\\regsvr32.log");
    // The program name, then options ("/s", "/u", "-u"...), then the DLL: the rest of the line.
    std::string line = GetCommandLineA();
    std::size_t at = line[0] == '"' ? line.find('"', 1) : line.find(' ');
    bool unregister = false;
    while (at != std::string::npos && (at = line.find_first_not_of(' ', at + 1)) != std::string::npos &&
           (line[at] == '/' || line[at] == '-')) {
        unregister = unregister || std::tolower(static_cast<unsigned char>(line[at + 1])) == 'u';
        at = line.find(' ', at);
    }
    if (at == std::string::npos) return 1;
    std::string dll = line.substr(at);
    dll.erase(std::remove(dll.begin(), dll.end(), '"'), dll.end());
    HMODULE module = LoadLibraryA(dll.c_str());
    if (module == nullptr) return 3;
    using EntryPoint = HRESULT(WINAPI*)();
    auto entry = reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(
        GetProcAddress(module, unregister ? "DllUnregisterServer" : "DllRegisterServer")));
    int result = entry == nullptr ? 4 : (SUCCEEDED(entry()) ? 0 : 5);
    FreeLibrary(module);
    return result;
}

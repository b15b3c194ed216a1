// Stand-in for regsvr32 in the test prefix. It appends its command line to C:\quortest\<name>.log,
// where name is its own file name without extension, and then does what regsvr32 does with it:
// loads the DLL and calls DllRegisterServer (DllUnregisterServer with /u), without any window.
#include <windows.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

std::string OwnName() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

void AppendLog(const std::string& name, const char* line) {
    CreateDirectoryA("C:\\quortest", nullptr);
    std::string path = "C:\\quortest\\" + name + ".log";
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string text = std::string(line) + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// Splits the arguments after the program name, honouring double quotes.
std::vector<std::string> Arguments(const char* commandLine) {
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false, any = false;
    for (const char* p = commandLine; *p != '\0'; ++p) {
        if (*p == '"') {
            quoted = !quoted;
            any = true;
        } else if ((*p == ' ' || *p == '\t') && !quoted) {
            if (any) arguments.push_back(current);
            current.clear();
            any = false;
        } else {
            current += *p;
            any = true;
        }
    }
    if (any) arguments.push_back(current);
    if (!arguments.empty()) arguments.erase(arguments.begin());
    return arguments;
}

// regsvr32's exit codes: 0 done, 3 the DLL did not load, 4 no entry point, 5 the entry point failed.
int Register(const std::vector<std::string>& arguments) {
    bool unregister = false;
    std::string dll;
    for (const std::string& argument : arguments) {
        if (argument.size() >= 2 && (argument[0] == '/' || argument[0] == '-')) {
            if (argument[1] == 'u' || argument[1] == 'U') unregister = true;
        } else if (dll.empty()) {
            dll = argument;
        }
    }
    if (dll.empty()) return 1;
    HMODULE module = LoadLibraryA(dll.c_str());
    if (module == nullptr) return 3;
    using EntryPoint = HRESULT(WINAPI*)();
    auto entry = reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(
        GetProcAddress(module, unregister ? "DllUnregisterServer" : "DllRegisterServer")));
    int result = entry == nullptr ? 4 : (SUCCEEDED(entry()) ? 0 : 5);
    FreeLibrary(module);
    return result;
}

}  // namespace

int main() {
    const char* commandLine = GetCommandLineA();
    std::string name = OwnName();
    AppendLog(name, commandLine);
    if (name == "regsvr32") return Register(Arguments(commandLine));
    return 0;
}

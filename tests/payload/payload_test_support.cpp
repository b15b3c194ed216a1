// Payload test helpers (see payload_test_support.h).
#include "tests/payload/payload_test_support.h"

#include "common/handles.h"

namespace {

// A host path as Wine shows it on drive Z:.
std::string WindowsPath(std::string hostPath) {
    for (char& c : hostPath) {
        if (c == '/') c = '\\';
    }
    return "Z:" + hostPath;
}

}  // namespace

std::string MemberPath(const std::string& name) { return WindowsPath(QUOR_PAYLOAD_MEMBERS_DIR) + "\\" + name; }

std::string PayloadArchivePath() { return WindowsPath(QUOR_PAYLOAD_ARCHIVE); }

std::optional<DWORD> RunAndWait(const std::string& commandLine, DWORD timeoutMs) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return std::nullopt;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        return std::nullopt;
    }
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.hProcess, &exitCode)) return std::nullopt;
    return exitCode;
}

bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

struct RegistryTreeKeeper::Node {
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<Value> values;
    std::vector<std::pair<std::wstring, std::unique_ptr<Node>>> children;
};

namespace {

std::unique_ptr<RegistryTreeKeeper::Node> SaveKey(HKEY key) {
    auto node = std::make_unique<RegistryTreeKeeper::Node>();
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = 16384, type = 0, dataSize = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &dataSize) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(dataSize);
        nameLength = 16384;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS) break;
        data.resize(dataSize);
        node->values.push_back({std::wstring(name, nameLength), type, data});
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
        node->children.emplace_back(std::wstring(name, nameLength), SaveKey(child));
        RegCloseKey(child);
    }
    return node;
}

void RestoreKey(HKEY key, const RegistryTreeKeeper::Node& node) {
    for (const auto& value : node.values) {
        RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
    }
    for (const auto& [name, child] : node.children) {
        HKEY childKey = nullptr;
        if (RegCreateKeyExW(key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &childKey, nullptr) != ERROR_SUCCESS) continue;
        RestoreKey(childKey, *child);
        RegCloseKey(childKey);
    }
}

}  // namespace

RegistryTreeKeeper::RegistryTreeKeeper(std::string path) : path_(std::move(path)) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        saved_ = SaveKey(key);
        RegCloseKey(key);
    }
}

RegistryTreeKeeper::~RegistryTreeKeeper() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, path_.c_str());
    if (!saved_) return;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) return;
    RestoreKey(key, *saved_);
    RegCloseKey(key);
}

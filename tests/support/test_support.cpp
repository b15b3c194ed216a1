// Shared test helpers (see test_support.h).
#include "tests/support/test_support.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

#include "common/install_state.h"
#include "platform/directory_pin.h"
#include "tests/support/os_facts_scripted.h"

void QuorTest::SetUp() {
    ResetInstallState();
    UnscriptOsFacts();
    InstallMessageRecorder(&messages);
}

void QuorTest::TearDown() {
    // The pins of a run of the install procedure, which would keep its directory from being removed.
    UnpinDirectories();
    InstallMessageRecorder(nullptr);
    UnscriptOsFacts();
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

void RemoveFile(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::string& directory) {
    std::string base = directory;
    if (!base.empty() && base.back() != '\\') base += '\\';
    WIN32_FIND_DATAA entry;
    UniqueFindHandle find(FindFirstFileA((base + "*").c_str(), &entry));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find.Get(), &entry)) {
        std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveTree(base + name) : RemoveFile(base + name);
    }
    find.Reset();
    SetFileAttributesA(base.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(base.c_str());
}

namespace {

void RunOnHost(const wchar_t* program, std::wstring command, std::initializer_list<std::string> paths) {
    using UnixNameCall = char*(CDECL*)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixNameCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    ASSERT_NE(unixName, nullptr);
    for (const std::string& path : paths) {
        std::wstring wide(path.size() + 1, L'\0');
        wide.resize(MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size())));
        char* name = unixName(wide.c_str());
        ASSERT_NE(name, nullptr) << path;
        command += L" \"";
        for (const char* c = name; *c != '\0'; ++c) command += static_cast<wchar_t>(static_cast<unsigned char>(*c));
        command += L'"';
        HeapFree(GetProcessHeap(), 0, name);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

}  // namespace

void Symlink(const std::string& at, const std::string& target) {
    RunOnHost(L"Z:\\bin\\ln", L"ln -s", {target, at});
}

void Unlink(const std::string& at) { RunOnHost(L"Z:\\bin\\rm", L"rm", {at}); }

std::string WindowsDir() {
    char buffer[MAX_PATH];
    return std::string(buffer, GetWindowsDirectoryA(buffer, MAX_PATH));
}

std::string SystemDir() {
    char buffer[MAX_PATH];
    return std::string(buffer, GetSystemDirectoryA(buffer, MAX_PATH));
}

ScratchDir::ScratchDir() {
    static int counter = 0;
    CreateDirectoryA("C:\\quortest", nullptr);
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "C:\\quortest\\%lu-%d\\", GetCurrentProcessId(), ++counter);
    path_ = name;
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

Restorer KeepFile(const std::string& path) {
    return Restorer([path, saved = ReadFileBytes(path)] { saved ? void(WriteFileBytes(path, *saved)) : RemoveFile(path); });
}

Restorer KeepRegValue(HKEY root, const std::string& key, const std::string& value) {
    UniqueHKey opened = CreateKey(root, key.c_str());
    DWORD type = 0, size = 0;
    std::optional<std::vector<BYTE>> saved;
    if (RegQueryValueExA(opened.Get(), value.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        saved.emplace(size);
        RegQueryValueExA(opened.Get(), value.c_str(), nullptr, &type, saved->data(), &size);
    }
    return Restorer([=] {
        UniqueHKey reopened = CreateKey(root, key.c_str());
        if (!saved) RegDeleteValueA(reopened.Get(), value.c_str());
        if (saved) RegSetValueExA(reopened.Get(), value.c_str(), 0, type, saved->data(), static_cast<DWORD>(saved->size()));
    });
}

namespace {

// RegDeleteTree empties a key; the key itself goes with RegDeleteKey.
void DeleteTree(HKEY root, const std::string& path) {
    RegDeleteTreeA(root, path.c_str());
    RegDeleteKeyA(root, path.c_str());
}

// Replaces root\path with a copy of fromRoot\from; false, and root\path gone, when from does not exist.
bool ReplaceTree(HKEY fromRoot, const std::string& from, HKEY root, const std::string& path) {
    DeleteTree(root, path);
    UniqueHKey source;
    if (RegOpenKeyExA(fromRoot, from.c_str(), 0, KEY_READ, source.Put()) != ERROR_SUCCESS) return false;
    if (UniqueHKey target = CreateKey(root, path.c_str())) RegCopyTreeA(source.Get(), nullptr, target.Get());
    return true;
}

}  // namespace

// The key is copied aside under HKEY_CURRENT_USER and copied back over whatever the test left.
Restorer KeepRegTree(HKEY root, const std::string& path) {
    static int counter = 0;
    const std::string saved = "Software\\quortest saved keys\\" + std::to_string(GetCurrentProcessId()) + "-" +
                              std::to_string(++counter);
    bool existed = ReplaceTree(root, path, HKEY_CURRENT_USER, saved);
    return Restorer([=] {
        existed ? void(ReplaceTree(HKEY_CURRENT_USER, saved, root, path)) : DeleteTree(root, path);
        DeleteTree(HKEY_CURRENT_USER, saved);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\quortest saved keys");  // once no other copy is in it
    });
}

std::optional<std::string> ReadRegBytes(HKEY root, const char* key, const char* value) {
    std::string bytes(4096, '\0');
    DWORD size = static_cast<DWORD>(bytes.size());
    if (RegGetValueA(root, key, value, RRF_RT_REG_SZ, nullptr, bytes.data(), &size) != ERROR_SUCCESS) return std::nullopt;
    bytes.resize(size);
    return bytes;
}

std::optional<std::string> ReadRegString(HKEY root, const char* key, const char* value) {
    std::optional<std::string> text = ReadRegBytes(root, key, value);
    if (text) text->erase(text->find_last_not_of('\0') + 1);
    return text;
}

std::optional<std::wstring> ReadRegTextW(HKEY root, const wchar_t* key, const wchar_t* value) {
    std::wstring text(2048, L'\0');
    DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, text.data(), &size) != ERROR_SUCCESS) return std::nullopt;
    text.resize(size / sizeof(wchar_t));
    text.erase(text.find_last_not_of(L'\0') + 1);
    return text;
}

bool WriteRegString(HKEY root, const char* key, const char* value, const std::string& data) {
    UniqueHKey opened = CreateKey(root, key);
    return opened && RegSetValueExA(opened.Get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                    static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

UniqueHKey CreateKey(HKEY root, const char* path) {
    UniqueHKey key;
    RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
    return key;
}

bool KeyPresent(HKEY root, const char* path) {
    UniqueHKey key;
    return RegOpenKeyExA(root, path, 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

Ids RegNames(HKEY root, const char* path, bool values) {
    Ids names;
    UniqueHKey key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return names;
    char name[512];
    DWORD length = sizeof name;
    for (DWORD i = 0; (values ? RegEnumValueA(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr)
                              : RegEnumKeyExA(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr)) ==
                      ERROR_SUCCESS;
         ++i, length = sizeof name) {
        names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
}

Ids ShownBoxes(const MessageRecorder& recorder) {
    Ids shown;
    for (const RecordedMessage& box : recorder.shown) {
        shown.push_back(box.text + " | " + box.caption + (box.wide || box.style != MB_OK ? " (other form)" : ""));
    }
    return shown;
}

// Shared test helpers (see test_support.h).
#include "tests/support/test_support.h"

#include <algorithm>
#include <cstdio>

#include "common/handles.h"
#include "common/install_state.h"
#include "tests/support/os_facts_scripted.h"

void QuorTest::SetUp() {
    ResetInstallState();
    UnscriptOsFacts();
    InstallMessageRecorder(&messages);
}

void QuorTest::TearDown() {
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
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
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

std::string WindowsDir() {
    char buffer[MAX_PATH];
    UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, length);
}

std::string SystemDir() {
    char buffer[MAX_PATH];
    UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, length);
}

void RemoveTree(const std::string& directory) {
    std::string base = directory;
    if (!base.empty() && base.back() != '\\') base += '\\';
    WIN32_FIND_DATAA entry;
    UniqueFindHandle find(FindFirstFileA((base + "*").c_str(), &entry));
    if (find) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = base + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                RemoveFile(path);
            }
        } while (FindNextFileA(find.Get(), &entry));
    }
    find.Reset();
    SetFileAttributesA(base.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(base.c_str());
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

ScratchDir::~ScratchDir() { RemoveTree(path_); }

FileRestorer::FileRestorer(std::string path) : path_(std::move(path)), saved_(ReadFileBytes(path_)) {}

FileRestorer::~FileRestorer() {
    if (saved_) {
        WriteFileBytes(path_, *saved_);
    } else {
        RemoveFile(path_);
    }
}

std::optional<std::string> ReadRegString(HKEY root, const char* key, const char* value) {
    UniqueHKey opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, opened.Put()) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(opened.Get(), value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    std::string data(size, '\0');
    if (RegQueryValueExA(opened.Get(), value, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(size);
    while (!data.empty() && data.back() == '\0') data.pop_back();
    return data;
}

bool WriteRegString(HKEY root, const char* key, const char* value, const std::string& data) {
    UniqueHKey opened;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, opened.Put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExA(opened.Get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

void DeleteRegValue(HKEY root, const char* key, const char* value) {
    UniqueHKey opened;
    if (RegOpenKeyExA(root, key, 0, KEY_ALL_ACCESS, opened.Put()) == ERROR_SUCCESS) RegDeleteValueA(opened.Get(), value);
}

void DeleteRegTree(HKEY root, const char* key) { RegDeleteTreeA(root, key); }

RegValueRestorer::RegValueRestorer(HKEY root, std::string key, std::string value)
    : root_(root), key_(std::move(key)), value_(std::move(value)) {
    UniqueHKey opened;
    if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_READ, opened.Put()) != ERROR_SUCCESS) return;
    DWORD size = 0;
    if (RegQueryValueExA(opened.Get(), value_.c_str(), nullptr, &type_, nullptr, &size) != ERROR_SUCCESS) return;
    std::vector<BYTE> data(size);
    if (RegQueryValueExA(opened.Get(), value_.c_str(), nullptr, &type_, data.data(), &size) == ERROR_SUCCESS) {
        data.resize(size);
        saved_ = std::move(data);
    }
}

RegValueRestorer::~RegValueRestorer() {
    if (!saved_) {
        DeleteRegValue(root_, key_.c_str(), value_.c_str());
        return;
    }
    UniqueHKey opened;
    if (RegCreateKeyExA(root_, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, opened.Put(), nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExA(opened.Get(), value_.c_str(), 0, type_, saved_->data(), static_cast<DWORD>(saved_->size()));
    }
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

std::optional<std::string> ReadSz(HKEY root, const char* path, const char* name) {
    std::string bytes(1024, '\0');
    DWORD size = static_cast<DWORD>(bytes.size());
    if (RegGetValueA(root, path, name, RRF_RT_REG_SZ, nullptr, bytes.data(), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    bytes.resize(size);
    return bytes;
}

Ids ShownBoxes(const MessageRecorder& recorder) {
    Ids shown;
    for (const RecordedMessage& box : recorder.shown) {
        shown.push_back(box.text + " | " + box.caption + (box.wide || box.style != MB_OK ? " (other form)" : ""));
    }
    return shown;
}

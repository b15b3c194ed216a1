// Keyboard Layouts and preload lists arranged for the tests.
#include "tests/register/layout_fixture.h"

#include <algorithm>
#include <cctype>

#include "common/handles.h"
#include "common/install_state.h"
#include "deploy/os_info.h"

namespace {

constexpr char kPreloadPath[] = "Keyboard Layout\\Preload";
constexpr char kDefaultPreloadPath[] = ".DEFAULT\\Keyboard Layout\\Preload";

void SetNtList(HKEY root, const char* path, const std::vector<std::string>& ids) {
    RegDeleteTreeA(root, path);
    RegDeleteKeyA(root, path);
    for (std::size_t i = 0; i < ids.size(); ++i) WriteRegString(root, path, std::to_string(i + 1).c_str(), ids[i]);
    if (ids.empty()) {
        UniqueHKey key;
        RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
    }
}

std::vector<std::string> GetNtList(HKEY root, const char* path) {
    std::vector<std::string> ids;
    for (int number = 1; number <= 49; ++number) {
        auto id = ReadRegString(root, path, std::to_string(number).c_str());
        if (!id) break;
        ids.push_back(*id);
    }
    return ids;
}

}  // namespace

void LayoutTest::SetUp() {
    QuorTest::SetUp();
    // What start-up leaves behind: the OEM code page and the OS major version.
    g_state.oemCodePage = GetOEMCP();
    Is64BitSystem();
}

bool LayoutTest::Big5() const { return GetOEMCP() == 950; }
bool LayoutTest::Win9x() const { return (GetVersion() & 0x80000000u) != 0; }
std::string LayoutTest::Suffix() const { return Big5() ? "404" : "804"; }
std::string LayoutTest::OtherSuffix() const { return Big5() ? "804" : "404"; }
std::string LayoutTest::OwnText() const { return Big5() ? kOwnTextBig5 : kOwnTextGbk; }
std::string LayoutTest::OlderOwnText() const { return Big5() ? kOlderTextBig5 : kOlderTextGbk; }

std::string LayoutTest::WithSuffix(std::string id, const std::string& suffix) const {
    id.replace(id.size() - 3, 3, suffix);
    return id;
}

std::string LayoutTest::AsWritten(std::string id) const {
    for (char& c : id) c = static_cast<char>(Win9x() ? std::toupper(static_cast<unsigned char>(c))
                                                    : std::tolower(static_cast<unsigned char>(c)));
    return id;
}

void LayoutTest::SetLayouts(const std::vector<LayoutEntry>& entries) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kLayoutsPath);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLayoutsPath);
    UniqueHKey layouts;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kLayoutsPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, layouts.Put(),
                              nullptr),
              ERROR_SUCCESS);
    for (const LayoutEntry& entry : entries) {
        UniqueHKey layout;
        ASSERT_EQ(RegCreateKeyExA(layouts.Get(), entry.name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  layout.Put(), nullptr),
                  ERROR_SUCCESS);
        if (entry.text) {
            RegSetValueExA(layout.Get(), "layout text", 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.text->c_str()),
                           static_cast<DWORD>(entry.text->size() + 1));
        }
    }
}

std::vector<std::string> LayoutTest::LayoutNames() const { return SubkeyNames(HKEY_LOCAL_MACHINE, kLayoutsPath); }

std::optional<std::string> LayoutTest::LayoutValue(const std::string& id, const char* value) const {
    return ReadRegString(HKEY_LOCAL_MACHINE, (std::string(kLayoutsPath) + "\\" + id).c_str(), value);
}

void LayoutTest::SetPreload(const std::vector<std::string>& ids) {
    if (!Win9x()) {
        SetNtList(HKEY_CURRENT_USER, kPreloadPath, ids);
        return;
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kPreloadPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, kPreloadPath);
    UniqueHKey preload;
    RegCreateKeyExA(HKEY_CURRENT_USER, kPreloadPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, preload.Put(), nullptr);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        std::string path = std::string(kPreloadPath) + "\\" + std::to_string(i + 1);
        WriteRegString(HKEY_CURRENT_USER, path.c_str(), nullptr, ids[i]);
    }
}

std::vector<std::string> LayoutTest::Preload() const {
    if (!Win9x()) return GetNtList(HKEY_CURRENT_USER, kPreloadPath);
    std::vector<std::string> ids;
    for (int number = 1; number <= 49; ++number) {
        std::string path = std::string(kPreloadPath) + "\\" + std::to_string(number);
        auto id = ReadRegString(HKEY_CURRENT_USER, path.c_str(), nullptr);
        if (!id) break;
        ids.push_back(*id);
    }
    return ids;
}

void LayoutTest::SetDefaultPreload(const std::vector<std::string>& ids) {
    SetNtList(HKEY_USERS, kDefaultPreloadPath, ids);
}

std::vector<std::string> LayoutTest::DefaultPreload() const { return GetNtList(HKEY_USERS, kDefaultPreloadPath); }

bool KeyPresent(HKEY root, const char* path) {
    UniqueHKey key;
    return RegOpenKeyExA(root, path, 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

std::vector<std::string> SubkeyNames(HKEY root, const char* path) {
    std::vector<std::string> names;
    UniqueHKey key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<RawValue> ReadRawA(HKEY root, const char* path, const char* name) {
    UniqueHKey key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    std::string bytes(size, '\0');
    if (RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    bytes.resize(size);
    return RawValue{type, bytes};
}

std::optional<RawValue> ReadRawW(HKEY root, const wchar_t* path, const wchar_t* name) {
    UniqueHKey key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    std::string bytes(size, '\0');
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    bytes.resize(size);
    return RawValue{type, bytes};
}

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

void CreateKey(HKEY root, const std::string& path) {
    UniqueHKey key;
    RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
}

void RecreateKey(HKEY root, const char* path) {
    RegDeleteTreeA(root, path);
    RegDeleteKeyA(root, path);
    CreateKey(root, path);
}

// A list at path: its values "1".."49", or in the 9x form the default values of subkeys "1".."49".
void SetList(HKEY root, const char* path, const Ids& ids, bool subkeys) {
    RecreateKey(root, path);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        std::string number = std::to_string(i + 1);
        if (subkeys) {
            WriteRegString(root, (std::string(path) + "\\" + number).c_str(), nullptr, ids[i]);
        } else {
            WriteRegString(root, path, number.c_str(), ids[i]);
        }
    }
}

Ids GetList(HKEY root, const char* path, bool subkeys) {
    Ids ids;
    for (int number = 1; number <= 49; ++number) {
        std::string name = std::to_string(number);
        auto id = subkeys ? ReadRegString(root, (std::string(path) + "\\" + name).c_str(), nullptr)
                          : ReadRegString(root, path, name.c_str());
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

bool LayoutTest::Big5() { return GetOEMCP() == 950; }
bool LayoutTest::Win9x() { return (GetVersion() & 0x80000000u) != 0; }
std::string LayoutTest::OwnText() { return Big5() ? kOwnTextBig5 : kOwnTextGbk; }

std::string LayoutTest::Local(std::string id) {
    std::string tail = id.size() > 3 ? id.substr(id.size() - 3) : "";
    if (tail == "LNG" || tail == "OTH") id.replace(id.size() - 3, 3, (tail == "LNG") == Big5() ? "404" : "804");
    return id;
}

std::string LayoutTest::AsWritten(std::string id) {
    for (char& c : id) c = static_cast<char>(Win9x() ? std::toupper(c) : std::tolower(c));
    return id;
}

void LayoutTest::SetLayouts(const std::vector<LayoutEntry>& entries) {
    RecreateKey(HKEY_LOCAL_MACHINE, kLayoutsPath);
    UniqueHKey layouts;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLayoutsPath, 0, KEY_ALL_ACCESS, layouts.Put());
    // Each entry relative to the key: a full path of an overlong name would be too long.
    for (const LayoutEntry& entry : entries) {
        UniqueHKey layout;
        ASSERT_EQ(RegCreateKeyExA(layouts.Get(), Local(entry.name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  layout.Put(), nullptr),
                  ERROR_SUCCESS);
        if (entry.text) {
            RegSetValueExA(layout.Get(), "layout text", 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.text->c_str()),
                           static_cast<DWORD>(entry.text->size() + 1));
        }
    }
}

Ids LayoutTest::LayoutNames() { return RegNames(HKEY_LOCAL_MACHINE, kLayoutsPath); }

std::optional<std::string> LayoutTest::LayoutValue(const std::string& id, const char* value) {
    return ReadRegString(HKEY_LOCAL_MACHINE, (std::string(kLayoutsPath) + "\\" + id).c_str(), value);
}

void LayoutTest::SetPreload(const Ids& ids) { SetList(HKEY_CURRENT_USER, kPreloadPath, ids, Win9x()); }
Ids LayoutTest::Preload() { return GetList(HKEY_CURRENT_USER, kPreloadPath, Win9x()); }
void LayoutTest::SetDefaultPreload(const Ids& ids) { SetList(HKEY_USERS, kDefaultPreloadPath, ids, false); }
Ids LayoutTest::DefaultPreload() { return GetList(HKEY_USERS, kDefaultPreloadPath, false); }

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
    if (RegGetValueA(root, path, name, RRF_RT_REG_SZ, nullptr, bytes.data(), &size) != ERROR_SUCCESS) return std::nullopt;
    bytes.resize(size);
    return bytes;
}

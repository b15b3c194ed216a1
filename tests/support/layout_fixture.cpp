// Keyboard Layouts and preload lists arranged for the tests.
#include "tests/support/layout_fixture.h"

#include <cctype>

#include "common/handles.h"
#include "common/install_state.h"
#include "platform/os_info.h"

namespace {

// A new empty key in place of the old one (which may be volatile, as one test makes it).
UniqueHKey RecreateKey(HKEY root, const char* path) {
    RegDeleteTreeA(root, path);
    RegDeleteKeyA(root, path);
    return CreateKey(root, path);
}

}  // namespace

void LayoutTest::SetUp() {
    QuorTest::SetUp();
    // What start-up leaves behind: the OEM code page and the OS major version.
    g_state.oemCodePage = GetOEMCP();
    Is64BitSystem();
}

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
    UniqueHKey layouts = RecreateKey(HKEY_LOCAL_MACHINE, kLayoutsPath);
    // Each entry relative to the key: the full path of an overlong name would be too long.
    for (const LayoutEntry& entry : entries) {
        UniqueHKey layout = CreateKey(layouts.Get(), Local(entry.name).c_str());
        ASSERT_TRUE(layout);
        if (entry.text) {
            RegSetValueExA(layout.Get(), "layout text", 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.text->c_str()),
                           static_cast<DWORD>(entry.text->size() + 1));
        }
    }
}

void LayoutTest::SetList(HKEY root, const std::string& path, const Ids& ids, bool subkeys) {
    RecreateKey(root, path.c_str());
    for (std::size_t i = 0; i < ids.size(); ++i) {
        std::string number = std::to_string(i + 1);
        WriteRegString(root, (subkeys ? path + "\\" + number : path).c_str(), subkeys ? nullptr : number.c_str(),
                       ids[i]);
    }
}

Ids LayoutTest::GetList(HKEY root, const std::string& path, bool subkeys) {
    Ids ids;
    for (int number = 1; number <= 49; ++number) {
        std::string name = std::to_string(number);
        auto id = ReadRegString(root, (subkeys ? path + "\\" + name : path).c_str(), subkeys ? nullptr : name.c_str());
        if (!id) break;
        ids.push_back(*id);
    }
    return ids;
}

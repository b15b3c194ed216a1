// Fixture of the keyboard-layout and preload-list tests: the Keyboard Layouts key and both users'
// preload lists are saved before each case and put back after it, and the helpers arrange and read
// them in the form of the Windows version the program runs under (NT values or 9x subkeys).
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/register/registry_guard.h"
#include "tests/support/test_support.h"

inline constexpr char kLayoutsPath[] = "System\\CurrentControlSet\\Control\\Keyboard Layouts";

// The layout texts as the registry should hold them: GBK and Big5 bytes.
inline const std::string kOwnTextGbk = "智能岚石输入平台  8.6";
inline const std::string kOwnTextBig5 = "\xB4\xBC\xAF\xE0\xB4\x50\xA5\xDB\xBF\xE9\xA4\x4A\xA5\xAD\xA5\x78  8.6";
inline const std::string kOlderTextGbk = "智能岚石输入平台  8.5";
inline const std::string kOlderTextBig5 = "\xB4\xBC\xAF\xE0\xB4\x50\xA5\xDB\xBF\xE9\xA4\x4A\xA5\xAD\xA5\x78  8.5";

struct LayoutEntry {
    std::string name;
    std::optional<std::string> text;  // "layout text"; none: the value is absent
};

class LayoutTest : public QuorTest {
protected:
    void SetUp() override;

    bool Big5() const;
    bool Win9x() const;
    std::string Suffix() const;             // "804", or "404" on code page 950
    std::string OtherSuffix() const;
    std::string OwnText() const;            // this code page's layout text
    std::string OlderOwnText() const;       // an earlier version's text in this code page
    std::string WithSuffix(std::string id, const std::string& suffix) const;
    std::string AsWritten(std::string id) const;  // lower case on NT, upper case on 9x

    // Replaces the Keyboard Layouts key with these entries (nullopt: the key is absent).
    void SetLayouts(const std::vector<LayoutEntry>& entries);
    std::vector<std::string> LayoutNames() const;
    std::optional<std::string> LayoutValue(const std::string& id, const char* value) const;

    // The current user's list, in this system's form.
    void SetPreload(const std::vector<std::string>& ids);
    std::vector<std::string> Preload() const;
    // The default user's list (NT form).
    void SetDefaultPreload(const std::vector<std::string>& ids);
    std::vector<std::string> DefaultPreload() const;

private:
    RegistryTreeGuard layouts_{HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Keyboard Layouts"};
    RegistryTreeGuard userLayout_{HKEY_CURRENT_USER, L"Keyboard Layout"};
    RegistryTreeGuard defaultLayout_{HKEY_USERS, L".DEFAULT\\Keyboard Layout"};
};

bool KeyPresent(HKEY root, const char* path);
// Every subkey name of a key, sorted.
std::vector<std::string> SubkeyNames(HKEY root, const char* path);
// Raw data and type of a value (A or W form), none when it is missing.
struct RawValue {
    DWORD type;
    std::string bytes;
};
std::optional<RawValue> ReadRawA(HKEY root, const char* path, const char* name);
std::optional<RawValue> ReadRawW(HKEY root, const wchar_t* path, const wchar_t* name);

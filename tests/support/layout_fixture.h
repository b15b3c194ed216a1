// Fixture of the keyboard-layout and preload-list tests: the Keyboard Layouts key and both users'
// keyboard-layout keys are saved before each case and put back after it, and the helpers arrange and
// read them in the form of the Windows version the program runs under (NT values or 9x subkeys).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/handles.h"
#include "tests/support/test_support.h"

inline constexpr char kLayoutsPath[] = "System\\CurrentControlSet\\Control\\Keyboard Layouts";

// The layout text as the registry must hold it: GBK, and Big5 under code page 950.
inline const std::string kOwnTextGbk = "\xD6\xC7\xC4\xDC\xE1\xB0\xCA\xAF\xCA\xE4\xC8\xEB\xC6\xBD\xCC\xA8  8.6";
inline const std::string kOwnTextBig5 = "\xB4\xBC\xAF\xE0\xB4\x50\xA5\xDB\xBF\xE9\xA4\x4A\xA5\xAD\xA5\x78  8.6";

struct LayoutEntry {
    std::string name;
    std::optional<std::string> text;  // "layout text"; none: the value is absent
};

class LayoutTest : public QuorTest {
protected:
    void SetUp() override;

    static bool Big5() { return GetOEMCP() == 950; }
    static bool Win9x() { return (GetVersion() & 0x80000000u) != 0; }
    static std::string OwnText() { return Big5() ? kOwnTextBig5 : kOwnTextGbk; }
    // An id ending in "LNG" gets this code page's language part ("804", or "404" on code page 950),
    // one ending in "OTH" the other one; other ids stay as they are.
    static std::string Local(std::string id);
    static std::string AsWritten(std::string id);  // lower case on NT, upper case on 9x

    // Replaces the Keyboard Layouts key with these entries (names made Local).
    static void SetLayouts(const std::vector<LayoutEntry>& entries);
    static Ids LayoutNames() { return RegNames(HKEY_LOCAL_MACHINE, kLayoutsPath); }  // sorted
    static std::optional<std::string> LayoutValue(const std::string& id, const char* value) {
        return ReadRegString(HKEY_LOCAL_MACHINE, (std::string(kLayoutsPath) + "\\" + id).c_str(), value);
    }

    // The current user's list in this system's form, and the default user's list (NT form): the
    // values "1".."49" of the preload key, or on Windows 9x the default values of its subkeys.
    static void SetPreload(const Ids& ids) { SetList(HKEY_CURRENT_USER, kPreloadPath, ids, Win9x()); }
    static Ids Preload() { return GetList(HKEY_CURRENT_USER, kPreloadPath, Win9x()); }
    static void SetDefaultPreload(const Ids& ids) { SetList(HKEY_USERS, kDefaultPreloadPath, ids, false); }
    static Ids DefaultPreload() { return GetList(HKEY_USERS, kDefaultPreloadPath, false); }

private:
    static constexpr char kPreloadPath[] = "Keyboard Layout\\Preload";
    static constexpr char kDefaultPreloadPath[] = ".DEFAULT\\Keyboard Layout\\Preload";
    static void SetList(HKEY root, const std::string& path, const Ids& ids, bool subkeys);
    static Ids GetList(HKEY root, const std::string& path, bool subkeys);

    Restorer keep_[3] = {KeepRegTree(HKEY_LOCAL_MACHINE, kLayoutsPath), KeepRegTree(HKEY_CURRENT_USER, "Keyboard Layout"),
                         KeepRegTree(HKEY_USERS, ".DEFAULT\\Keyboard Layout")};
};

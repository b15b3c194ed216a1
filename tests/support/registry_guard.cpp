// Saving and restoring registry trees for tests: the key is copied aside under HKEY_CURRENT_USER
// when the guard is made and copied back over whatever the test left when it is destroyed.
#include "tests/support/registry_guard.h"

#include "common/handles.h"

namespace {

constexpr wchar_t kSavedKeys[] = L"Software\\quortest saved keys";

// RegDeleteTree empties the key; the key itself goes with RegDeleteKey.
void DeleteTree(HKEY root, const std::wstring& path) {
    RegDeleteTreeW(root, path.c_str());
    RegDeleteKeyW(root, path.c_str());
}

// Replaces root\path with a copy of fromRoot\from (the whole tree goes when from does not exist).
bool ReplaceTree(HKEY fromRoot, const std::wstring& from, HKEY root, const std::wstring& path) {
    DeleteTree(root, path);
    UniqueHKey source, target;
    if (RegOpenKeyExW(fromRoot, from.c_str(), 0, KEY_READ, source.Put()) != ERROR_SUCCESS) return false;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, target.Put(), nullptr) ==
        ERROR_SUCCESS) {
        RegCopyTreeW(source.Get(), nullptr, target.Get());
    }
    return true;
}

}  // namespace

RegistryTreeGuard::RegistryTreeGuard(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
    static int counter = 0;
    copy_ = std::wstring(kSavedKeys) + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    if (!ReplaceTree(root_, path_, HKEY_CURRENT_USER, copy_)) copy_.clear();
}

RegistryTreeGuard::~RegistryTreeGuard() {
    if (copy_.empty()) {
        DeleteTree(root_, path_);
        return;
    }
    ReplaceTree(HKEY_CURRENT_USER, copy_, root_, path_);
    DeleteTree(HKEY_CURRENT_USER, copy_);
    RegDeleteKeyW(HKEY_CURRENT_USER, kSavedKeys);  // once no other guard's copy is in it
}

// Saving and restoring registry trees for tests: the key is copied aside under HKEY_CURRENT_USER
// when the guard is made and copied back over whatever the test left when it is destroyed.
#include "tests/register/registry_guard.h"

#include "common/handles.h"

// Where the saved copy of the key lives, under HKEY_CURRENT_USER.
struct RegistryTreeGuard::Node {
    std::wstring copy;
};

namespace {

constexpr wchar_t kSavedKeys[] = L"Software\\quortest saved keys";

void DeleteTree(HKEY root, const std::wstring& path) {
    RegDeleteTreeW(root, path.c_str());
    RegDeleteKeyW(root, path.c_str());
}

void CopyTree(HKEY source, HKEY root, const std::wstring& path) {
    UniqueHKey target;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, target.Put(), nullptr) ==
        ERROR_SUCCESS) {
        RegCopyTreeW(source, nullptr, target.Get());
    }
}

}  // namespace

RegistryTreeGuard::RegistryTreeGuard(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
    UniqueHKey key;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
    static int counter = 0;
    saved_ = std::make_unique<Node>();
    saved_->copy = std::wstring(kSavedKeys) + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(++counter);
    DeleteTree(HKEY_CURRENT_USER, saved_->copy);
    CopyTree(key.Get(), HKEY_CURRENT_USER, saved_->copy);
}

RegistryTreeGuard::~RegistryTreeGuard() {
    DeleteTree(root_, path_);
    if (!saved_) return;
    UniqueHKey copy;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, saved_->copy.c_str(), 0, KEY_READ, copy.Put()) == ERROR_SUCCESS) {
        CopyTree(copy.Get(), root_, path_);
    }
    copy.Reset();
    DeleteTree(HKEY_CURRENT_USER, saved_->copy);
    RegDeleteKeyW(HKEY_CURRENT_USER, kSavedKeys);  // once no other guard's copy is in it
}

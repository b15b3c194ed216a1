// Keeps a whole registry key (values, types, data and subkeys, or its absence) and puts it back when
// destroyed, so that tests can rearrange keys of the shared prefix freely.
#pragma once

#include <windows.h>

#include <string>

class RegistryTreeGuard {
public:
    RegistryTreeGuard(HKEY root, std::wstring path);
    ~RegistryTreeGuard();
    RegistryTreeGuard(const RegistryTreeGuard&) = delete;
    RegistryTreeGuard& operator=(const RegistryTreeGuard&) = delete;

private:
    HKEY root_;
    std::wstring path_;
    std::wstring copy_;  // the saved copy under HKEY_CURRENT_USER; empty when the key did not exist
};

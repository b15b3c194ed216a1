// Text-service DLL of the input method (quorsrf.dll, quorsrf6.dll and the variants qsrf732.dll,
// qsrf764.dll). regsvr32 calls DllRegisterServer, which enters the text service under the TIP key
// with the categories it belongs to; DllUnregisterServer removes that whole entry again. The
// service object itself is not part of this build, so class factories are refused.
#include <windows.h>
#include <olectl.h>

#include "stub_common.h"

#define QUOR_TIP_KEY "SOFTWARE\\Microsoft\\CTF\\TIP\\" QUOR_TEXT_SERVICE_CLSID

// The categories the text service belongs to: immersive (store-app) support, the system-tray
// language bar, and keyboard text service.
static const char* const kCategories[] = {
    "{13A016DF-560B-46CD-947A-4C3AF1E0E35D}",
    "{25504FB4-7BAB-4BC1-9C69-CF81890F0EF5}",
    "{34745C63-B2F0-4784-8B67-5E12C8701A31}",
};

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}

// Creates the key HKLM\path, with any missing parents, and closes it. The keys carry no values.
static LONG CreateKeyPath(const char* path) {
    HKEY key = NULL;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE, NULL, &key, NULL);
    if (status == ERROR_SUCCESS) RegCloseKey(key);
    return status;
}

// Both directions of each category link: Category\Category\{cat}\{clsid} and
// Category\Item\{clsid}\{cat}.
static LONG RegisterCategory(const char* category) {
    char path[300];
    wsprintfA(path, "%s\\Category\\Category\\%s\\%s", QUOR_TIP_KEY, category,
              QUOR_TEXT_SERVICE_CLSID);
    LONG status = CreateKeyPath(path);
    if (status != ERROR_SUCCESS) return status;
    wsprintfA(path, "%s\\Category\\Item\\%s\\%s", QUOR_TIP_KEY, QUOR_TEXT_SERVICE_CLSID, category);
    return CreateKeyPath(path);
}

// Deletes a key with all its subkeys (RegDeleteTree is missing before Vista).
static LONG DeleteKeyTree(HKEY parent, const char* name) {
    HKEY key = NULL;
    LONG status = RegOpenKeyExA(parent, name, 0, KEY_READ | KEY_WRITE, &key);
    if (status != ERROR_SUCCESS) return status;
    char child[256];
    for (;;) {
        DWORD length = sizeof child;
        // Always the first subkey: the one before it was just deleted.
        if (RegEnumKeyExA(key, 0, child, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        if (DeleteKeyTree(key, child) != ERROR_SUCCESS) break;
    }
    RegCloseKey(key);
    return RegDeleteKeyA(parent, name);
}

__declspec(dllexport) HRESULT WINAPI DllRegisterServer(void) {
    if (CreateKeyPath(QUOR_TIP_KEY) != ERROR_SUCCESS) return SELFREG_E_CLASS;
    for (size_t i = 0; i < sizeof kCategories / sizeof kCategories[0]; ++i) {
        if (RegisterCategory(kCategories[i]) != ERROR_SUCCESS) {
            DeleteKeyTree(HKEY_LOCAL_MACHINE, QUOR_TIP_KEY);
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI DllUnregisterServer(void) {
    LONG status = DeleteKeyTree(HKEY_LOCAL_MACHINE, QUOR_TIP_KEY);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}

__declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    (void)clsid;
    (void)iid;
    if (object != NULL) *object = NULL;
    return CLASS_E_CLASSNOTAVAILABLE;
}

__declspec(dllexport) HRESULT WINAPI DllCanUnloadNow(void) { return S_OK; }

// A text-service DLL for the tests: its registration makes the keys that a text service's own
// registration leaves under the TIP key (the class id's key, "Category\Category\<category>\<class
// id>" and "Category\Item\<class id>\<category>" for the three categories the setup program tests).
// Copied by the tests to where the setup program expects quorsrf6.dll.
#include <windows.h>

namespace {

constexpr char kTextServiceKey[] = "SOFTWARE\\Microsoft\\CTF\\TIP\\{65653599-5030-4C0F-8871-83F6AFDE5098}";
constexpr char kClsid[] = "{65653599-5030-4C0F-8871-83F6AFDE5098}";
constexpr const char* kCategories[] = {
    "{13A016DF-560B-46CD-947A-4C3AF1E0E35D}",
    "{25504FB4-7BAB-4BC1-9C69-CF81890F0EF5}",
    "{34745C63-B2F0-4784-8B67-5E12C8701A31}",
};

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
    char paths[2][512];
    for (const char* category : kCategories) {
        wsprintfA(paths[0], "%s\\Category\\Category\\%s\\%s", kTextServiceKey, category, kClsid);
        wsprintfA(paths[1], "%s\\Category\\Item\\%s\\%s", kTextServiceKey, kClsid, category);
        for (const char* path : paths) {
            HKEY key = nullptr;
            if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
                ERROR_SUCCESS) {
                return E_FAIL;
            }
            RegCloseKey(key);
        }
    }
    return S_OK;
}

// PinDirectory and UnpinDirectories (see directory_pin.h).
#include "platform/directory_pin.h"

#include <windows.h>
#include <winternl.h>

#include <cstring>
#include <cwchar>
#include <utility>

#include "common/file_io.h"
#include "common/file_security.h"
#include "common/handles.h"
#include "common/text.h"

namespace {

// The install directory and, when it differs, the earlier install's directory.
constexpr int kPinsMax = 2;
constexpr int kAnchorNameAttempts = 4;

struct Pin {
    char path[MAX_PATH];
    UniqueHandle anchor;
};
Pin g_pins[kPinsMax];

using NtCreateFileFunction = LONG(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                                          ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);

// A new empty folder inside the folder open as directory, named relative to that handle. Every
// sharing is allowed (its access list alone keeps others out), so that the install report can list
// it and step into it as into any folder. A name someone made first is passed over.
UniqueHandle CreateAnchor(HANDLE directory) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto create = ntdll ? reinterpret_cast<NtCreateFileFunction>(
                              reinterpret_cast<void*>(GetProcAddress(ntdll, "NtCreateFile")))
                        : nullptr;
    SecurityAttributes adminsOnly(kAdministratorsOnlySddl);
    if (create == nullptr || adminsOnly.Get() == nullptr) return UniqueHandle();
    for (int attempt = 0; attempt < kAnchorNameAttempts; ++attempt) {
        wchar_t name[32];
        FormatTextW(name, L"~qupin%04lX%02d", GetCurrentProcessId() & 0xFFFF, attempt);
        UNICODE_STRING unicode;
        unicode.Buffer = name;
        unicode.Length = static_cast<USHORT>(wcslen(name) * sizeof(wchar_t));
        unicode.MaximumLength = static_cast<USHORT>(unicode.Length + sizeof(wchar_t));
        OBJECT_ATTRIBUTES attributes;
        InitializeObjectAttributes(&attributes, &unicode, OBJ_CASE_INSENSITIVE, directory, adminsOnly.Descriptor());
        IO_STATUS_BLOCK status{};
        HANDLE anchor = nullptr;
        LONG result = create(&anchor, DELETE | SYNCHRONIZE | FILE_LIST_DIRECTORY, &attributes, &status, nullptr,
                             FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_CREATE,
                             FILE_DIRECTORY_FILE | FILE_DELETE_ON_CLOSE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
        if (result >= 0) return UniqueHandle(anchor);
    }
    return UniqueHandle();
}

bool HasReparsePoint(HANDLE directory) {
    DWORD attributes = 0;
    DWORD links = 0;
    return !QueryFileFacts(directory, &attributes, &links) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

PinResult PinDirectory(const char* path) {
    Pin* free = nullptr;
    for (Pin& pin : g_pins) {
        if (pin.anchor && std::strcmp(pin.path, path) == 0) return PinResult::kPinned;
        if (!pin.anchor && free == nullptr) free = &pin;
    }
    UniqueHandle directory;
    switch (ExamineDirectoryName(path, &directory)) {
        case DirectoryName::kNothing:
            return PinResult::kMissing;
        case DirectoryName::kSomethingElse:
            return PinResult::kNotReal;
        case DirectoryName::kRealDirectory:
            break;
    }
    if (free == nullptr || !CopyText(free->path, path)) return PinResult::kNotReal;
    // Made a junction after it was examined, it would have been made one while still empty: the
    // folder then shows the reparse point now that the anchor is inside.
    UniqueHandle anchor = CreateAnchor(directory.Get());
    if (!anchor || HasReparsePoint(directory.Get()) || ExamineDirectoryName(path) != DirectoryName::kRealDirectory) {
        return PinResult::kNotReal;
    }
    free->anchor = std::move(anchor);
    return PinResult::kPinned;
}

void UnpinDirectories() {
    for (Pin& pin : g_pins) pin.anchor.Reset();
}

// Whole-file reading and writing (see file_io.h). Names are examined through handles opened with
// FILE_FLAG_OPEN_REPARSE_POINT, so that a Windows link is itself the file looked at, and through the
// final path of the handle, which is what gives a Unix symbolic link away under Wine: Wine shows it
// as the file it leads to (no reparse attribute, the target's link count), deletes and moves that
// target when asked to delete or move the link, and follows it when a file is created over it.
#include "common/file_io.h"

#include <climits>
#include <cstdint>
#include <utility>

namespace {

// Paths are at most MAX_PATH narrow characters; final paths add the "\\?\" prefix.
constexpr DWORD kWidePathCapacity = 2 * MAX_PATH;
constexpr DWORD kClearedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
using SetInformationFunction = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

// Both exist from Windows Vista on: they are looked up by name so that the program still starts on
// Windows XP, where the attribute and link-count checks stand alone and names are changed by path.
template <typename Function>
Function Kernel32Function(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name))) : nullptr;
}

FinalPathFunction FinalPathCall() {
    static const FinalPathFunction call = Kernel32Function<FinalPathFunction>("GetFinalPathNameByHandleW");
    return call;
}

SetInformationFunction SetInformationCall() {
    static const SetInformationFunction call = Kernel32Function<SetInformationFunction>("SetFileInformationByHandle");
    return call;
}

using GetInformationFunction = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

GetInformationFunction GetInformationCall() {
    static const GetInformationFunction call = Kernel32Function<GetInformationFunction>("GetFileInformationByHandleEx");
    return call;
}

// The narrow path as the A file functions would take it.
bool Widen(const char* path, wchar_t* wide) {
    if (path == nullptr || path[0] == '\0') return false;
    UINT codePage = AreFileApisANSI() ? CP_ACP : CP_OEMCP;
    return MultiByteToWideChar(codePage, 0, path, -1, wide, static_cast<int>(kWidePathCapacity)) > 0;
}

bool FinalPath(HANDLE handle, wchar_t* out) {
    DWORD length = FinalPathCall()(handle, out, kWidePathCapacity, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    return length > 0 && length < kWidePathCapacity;
}

bool SameIgnoringAsciiCase(const wchar_t* a, const wchar_t* b) {
    for (;; ++a, ++b) {
        wchar_t x = (*a >= L'A' && *a <= L'Z') ? *a - L'A' + L'a' : *a;
        wchar_t y = (*b >= L'A' && *b <= L'Z') ? *b - L'A' + L'a' : *b;
        if (x != y) return false;
        if (x == L'\0') return true;
    }
}

// Whether the open file is the one this very name holds: its final path must be the final path of the
// folder the name is in, followed by the name. Windows can tell only from Vista on; without it true.
bool ReachedByItsName(HANDLE file, const wchar_t* path) {
    if (FinalPathCall() == nullptr) return true;
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p != L'\0'; ++p) {
        if (*p == L'\\' || *p == L'/') name = p + 1;
    }
    wchar_t folder[kWidePathCapacity] = L".";
    if (name != path) {
        std::size_t length = static_cast<std::size_t>(name - path);
        // A drive root keeps its backslash ("C:\"); any other folder is named without it.
        if (length > 3 || path[1] != L':') --length;
        for (std::size_t i = 0; i < length; ++i) folder[i] = path[i];
        folder[length] = L'\0';
    }
    UniqueHandle folderHandle(CreateFileW(folder, FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    wchar_t expected[kWidePathCapacity];
    wchar_t actual[kWidePathCapacity];
    if (!folderHandle || !FinalPath(folderHandle.Get(), expected) || !FinalPath(file, actual)) return false;
    std::size_t length = 0;
    while (expected[length] != L'\0') ++length;
    if (length > 0 && expected[length - 1] != L'\\') expected[length++] = L'\\';
    for (const wchar_t* p = name; *p != L'\0' && length + 1 < kWidePathCapacity; ++p) expected[length++] = *p;
    expected[length] = L'\0';
    return SameIgnoringAsciiCase(expected, actual);
}

// A plain file: no reparse point, no directory, one name only, and that name the path's.
bool IsOwnPlainFile(HANDLE file, const wchar_t* path) {
    DWORD attributes = 0;
    DWORD links = 0;
    if (!QueryFileFacts(file, &attributes, &links)) return false;
    if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return false;
    return links == 1 && ReachedByItsName(file, path);
}

UniqueHandle OpenPlainFileW(const wchar_t* path, DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE) {
    UniqueHandle file(CreateFileW(path, GENERIC_READ, sharing, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
    if (!file || !IsOwnPlainFile(file.Get(), path)) return UniqueHandle();
    return file;
}

void ClearAttributes(HANDLE file, const wchar_t* path) {
    if (SetInformationFunction setInformation = SetInformationCall()) {
        FILE_BASIC_INFO basic = {};  // zero times stay as they are
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        setInformation(file, FileBasicInfo, &basic, sizeof basic);
        return;
    }
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
}

// The name goes when the handle is closed.
bool DeleteThroughHandle(HANDLE file, const wchar_t* path) {
    if (SetInformationFunction setInformation = SetInformationCall()) {
        FILE_DISPOSITION_INFO disposition = {TRUE};
        return setInformation(file, FileDispositionInfo, &disposition, sizeof disposition);
    }
    // Windows XP: DeleteFile removes the name itself, a link as the link.
    return DeleteFileW(path);
}

bool RemoveNameW(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && RemoveDirectoryW(path);
    }
    UniqueHandle file(CreateFileW(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    DWORD fileAttributes = 0;
    DWORD links = 0;
    if (!file || !QueryFileFacts(file.Get(), &fileAttributes, &links)) return false;
    // A Windows link opened this way is the handle's own file, deleted as the link. What is reached by
    // another name is a link Wine shows as its target: deleting through the handle would delete that.
    bool link = fileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    if (!link && !ReachedByItsName(file.Get(), path)) return false;
    // The attributes of a file with several hard links belong to all its names: they stay.
    if (!link && links == 1 && (fileAttributes & kClearedAttributes)) {
        ClearAttributes(file.Get(), path);
    }
    return DeleteThroughHandle(file.Get(), path);
}

bool ReadFrom(HANDLE file, void* buffer, std::size_t capacity, std::size_t* length) {
    if (capacity > MAXDWORD) return false;
    DWORD read = 0;
    if (!ReadFile(file, buffer, static_cast<DWORD>(capacity), &read, nullptr)) return false;
    *length = read;
    return true;
}

}  // namespace

bool QueryFileFacts(HANDLE file, DWORD* attributes, DWORD* links) {
    if (GetInformationFunction getInformation = GetInformationCall()) {
        FILE_BASIC_INFO basic;
        FILE_STANDARD_INFO standard;
        if (!getInformation(file, FileBasicInfo, &basic, sizeof basic) ||
            !getInformation(file, FileStandardInfo, &standard, sizeof standard)) {
            return false;
        }
        *attributes = basic.FileAttributes;
        *links = standard.NumberOfLinks;
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) return false;
    *attributes = info.dwFileAttributes;
    *links = info.nNumberOfLinks;
    return true;
}

UniqueHandle OpenPlainFile(const char* path) {
    wchar_t wide[kWidePathCapacity];
    return Widen(path, wide) ? OpenPlainFileW(wide) : UniqueHandle();
}

bool RemoveName(const char* path) {
    wchar_t wide[kWidePathCapacity];
    return Widen(path, wide) && RemoveNameW(wide);
}

UniqueHandle OpenPlainFileForStart(const char* path) {
    wchar_t wide[kWidePathCapacity];
    return Widen(path, wide) ? OpenPlainFileW(wide, FILE_SHARE_READ) : UniqueHandle();
}

DirectoryName ExamineDirectoryName(const char* path, UniqueHandle* held) {
    wchar_t wide[kWidePathCapacity];
    if (!Widen(path, wide)) return DirectoryName::kSomethingElse;
    // The name itself, without the closing backslash of a directory (a drive root keeps its own).
    std::size_t length = 0;
    while (wide[length] != L'\0') ++length;
    if (length > 3 && wide[length - 1] == L'\\') wide[length - 1] = L'\0';
    if (GetFileAttributesW(wide) == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        bool nothing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return nothing ? DirectoryName::kNothing : DirectoryName::kSomethingElse;
    }
    UniqueHandle directory(CreateFileW(wide, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                       nullptr));
    DWORD attributes = 0;
    DWORD links = 0;
    if (!directory || !QueryFileFacts(directory.Get(), &attributes, &links) ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != FILE_ATTRIBUTE_DIRECTORY ||
        !ReachedByItsName(directory.Get(), wide)) {
        return DirectoryName::kSomethingElse;
    }
    if (held != nullptr) *held = std::move(directory);
    return DirectoryName::kRealDirectory;
}

bool SameFileObject(const char* a, const char* b) {
    BY_HANDLE_FILE_INFORMATION infos[2];
    const char* paths[2] = {a, b};
    for (int i = 0; i < 2; ++i) {
        wchar_t wide[kWidePathCapacity];
        UniqueHandle handle;
        if (Widen(paths[i], wide)) {
            handle.Reset(CreateFileW(wide, FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        }
        if (!handle || !GetFileInformationByHandle(handle.Get(), &infos[i])) return false;
    }
    return infos[0].dwVolumeSerialNumber == infos[1].dwVolumeSerialNumber &&
           infos[0].nFileIndexHigh == infos[1].nFileIndexHigh && infos[0].nFileIndexLow == infos[1].nFileIndexLow;
}

bool IsRealDirectory(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

UniqueHandle CreateFileAnew(const char* path, SECURITY_ATTRIBUTES* security) {
    wchar_t wide[kWidePathCapacity];
    if (!Widen(path, wide)) return UniqueHandle();
    // What RemoveName cannot take away makes the creation fail: CREATE_NEW never opens an existing
    // name, nor follows a link that is still (or again) there.
    RemoveNameW(wide);
    return UniqueHandle(CreateFileW(wide, GENERIC_WRITE, 0, security, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteWholeFile(const char* path, const void* bytes, std::size_t length, SECURITY_ATTRIBUTES* security) {
    if (length > MAXDWORD) return false;
    UniqueHandle file = CreateFileAnew(path, security);
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes, static_cast<DWORD>(length), &written, nullptr) && written == length;
}

bool ReadFileStart(const char* path, void* buffer, std::size_t capacity, std::size_t* length) {
    UniqueHandle file = OpenPlainFile(path);
    return file && ReadFrom(file.Get(), buffer, capacity, length);
}

bool ReadWholeFile(const char* path, void* buffer, std::size_t capacity, std::size_t* length) {
    UniqueHandle file = OpenPlainFile(path);
    std::size_t read = 0;
    if (!file || !ReadFrom(file.Get(), buffer, capacity, &read)) return false;
    char beyond;
    std::size_t more = 0;
    if (read == capacity && ReadFrom(file.Get(), &beyond, 1, &more) && more == 1) return false;
    *length = read;
    return true;
}

bool ReadWholeFile(const char* path, LockedGlobalMemory* block, std::size_t* length, std::size_t spare) {
    block->Free();
    UniqueHandle file = OpenPlainFile(path);
    return file && ReadOpenFile(file.Get(), block, length, spare);
}

bool ReadOpenFile(HANDLE file, LockedGlobalMemory* block, std::size_t* length, std::size_t spare) {
    block->Free();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 || size.QuadPart > LONG_MAX) return false;
    std::size_t bytes = static_cast<std::size_t>(size.QuadPart);
    if (spare > SIZE_MAX - bytes) return false;
    // An empty file without spare room still gets a block (GlobalAlloc of 0 bytes gives none).
    std::size_t room = bytes + spare > 0 ? bytes + spare : 1;
    if (!block->Allocate(GMEM_FIXED | GMEM_ZEROINIT, room)) return false;
    if (!ReadFrom(file, block->Data(), bytes, length)) {
        block->Free();
        return false;
    }
    return true;
}

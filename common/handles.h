// Move-only owners for what Win32 makes a caller give back: registry keys, kernel handles, find
// handles, GDI objects (and the object a DC had selected before), window and paint DCs, global and
// local memory, loaded libraries and _lopen file handles. Each releases on every path out of scope.
#pragma once

#include <windows.h>

#include <utility>

// Generic owner: Traits gives the empty value, the emptiness test and the release call.
template <typename Traits>
class UniqueResource {
public:
    using Handle = typename Traits::Handle;

    UniqueResource() noexcept : handle_(Traits::Empty()) {}
    explicit UniqueResource(Handle handle) noexcept : handle_(handle) {}
    UniqueResource(UniqueResource&& other) noexcept : handle_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { Reset(); }

    Handle Get() const noexcept { return handle_; }
    bool Valid() const noexcept { return !Traits::IsEmpty(handle_); }
    explicit operator bool() const noexcept { return Valid(); }

    // Gives up ownership without releasing.
    Handle Release() noexcept { return std::exchange(handle_, Traits::Empty()); }

    void Reset(Handle handle = Traits::Empty()) noexcept {
        Handle old = std::exchange(handle_, handle);
        if (!Traits::IsEmpty(old)) Traits::Close(old);
    }

    // For APIs that return the handle through an out parameter; releases what was held first.
    Handle* Put() noexcept {
        Reset();
        return &handle_;
    }

private:
    Handle handle_;
};

struct HKeyTraits {
    using Handle = HKEY;
    static HKEY Empty() { return nullptr; }
    static bool IsEmpty(HKEY h) { return h == nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
using UniqueHKey = UniqueResource<HKeyTraits>;

// Kernel handles: both NULL and INVALID_HANDLE_VALUE mean "none", as different APIs use either.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static HANDLE Empty() { return nullptr; }
    static bool IsEmpty(HANDLE h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
using UniqueHandle = UniqueResource<KernelHandleTraits>;

struct FindHandleTraits {
    using Handle = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static bool IsEmpty(HANDLE h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
using UniqueFindHandle = UniqueResource<FindHandleTraits>;

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static HGDIOBJ Empty() { return nullptr; }
    static bool IsEmpty(HGDIOBJ h) { return h == nullptr; }
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
using UniqueGdiObject = UniqueResource<GdiObjectTraits>;

struct MemoryDcTraits {
    using Handle = HDC;
    static HDC Empty() { return nullptr; }
    static bool IsEmpty(HDC h) { return h == nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;

struct LocalMemoryTraits {
    using Handle = HLOCAL;
    static HLOCAL Empty() { return nullptr; }
    static bool IsEmpty(HLOCAL h) { return h == nullptr; }
    static void Close(HLOCAL h) { LocalFree(h); }
};
using UniqueLocalMemory = UniqueResource<LocalMemoryTraits>;

struct LibraryTraits {
    using Handle = HMODULE;
    static HMODULE Empty() { return nullptr; }
    static bool IsEmpty(HMODULE h) { return h == nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};
using UniqueLibrary = UniqueResource<LibraryTraits>;

// Files opened with _lopen/_lcreat, whose failure value is HFILE_ERROR.
struct HFileTraits {
    using Handle = HFILE;
    static HFILE Empty() { return HFILE_ERROR; }
    static bool IsEmpty(HFILE h) { return h == HFILE_ERROR; }
    static void Close(HFILE h) { _lclose(h); }
};
using UniqueHFile = UniqueResource<HFileTraits>;

// Selects an object into a DC and selects the previous one back on scope exit.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// GetDC/ReleaseDC of a window.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    HDC Get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint/EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND window) noexcept : window_(window), dc_(BeginPaint(window, &paint_)) {}
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { EndPaint(window_, &paint_); }
    HDC Get() const noexcept { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// A block of global memory, locked for as long as the owner lives.
class LockedGlobalMemory {
public:
    LockedGlobalMemory() noexcept = default;
    LockedGlobalMemory(UINT flags, SIZE_T size) noexcept { Allocate(flags, size); }
    LockedGlobalMemory(LockedGlobalMemory&& other) noexcept
        : memory_(std::exchange(other.memory_, nullptr)), data_(std::exchange(other.data_, nullptr)) {}
    LockedGlobalMemory& operator=(LockedGlobalMemory&& other) noexcept {
        if (this != &other) {
            Free();
            memory_ = std::exchange(other.memory_, nullptr);
            data_ = std::exchange(other.data_, nullptr);
        }
        return *this;
    }
    LockedGlobalMemory(const LockedGlobalMemory&) = delete;
    LockedGlobalMemory& operator=(const LockedGlobalMemory&) = delete;
    ~LockedGlobalMemory() { Free(); }

    // Allocates and locks; on any failure nothing stays allocated and false is returned.
    bool Allocate(UINT flags, SIZE_T size) noexcept {
        Free();
        memory_ = GlobalAlloc(flags, size);
        if (memory_ == nullptr) return false;
        data_ = GlobalLock(memory_);
        if (data_ == nullptr) {
            GlobalFree(memory_);
            memory_ = nullptr;
            return false;
        }
        return true;
    }

    void Free() noexcept {
        if (memory_ == nullptr) return;
        if (data_ != nullptr) GlobalUnlock(memory_);
        GlobalFree(memory_);
        memory_ = nullptr;
        data_ = nullptr;
    }

    void* Data() const noexcept { return data_; }
    unsigned char* Bytes() const noexcept { return static_cast<unsigned char*>(data_); }
    explicit operator bool() const noexcept { return data_ != nullptr; }

private:
    HGLOBAL memory_ = nullptr;
    void* data_ = nullptr;
};

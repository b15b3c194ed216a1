// Bounded copying, appending and formatting, and ContainsName.
#include "common/text.h"

#include <windows.h>
#include <strsafe.h>

#include <cstring>

bool ContainsName(const char* list, const char* name) {
    if (list == nullptr || name == nullptr || name[0] == '\0') return false;
    for (const char* start = list; *start != '\0'; ++start) {
        const char* l = start;
        const char* n = name;
        while (*n != '\0' && *l != '\0') {
            char c = *l;
            bool same = c == *n || AsciiLower(c) == *n;
            if (!same) break;
            ++l;
            ++n;
        }
        if (*n == '\0') return true;
    }
    return false;
}

std::size_t BoundedLength(const char* buf, std::size_t capacity) {
    const void* end = std::memchr(buf, '\0', capacity);
    return end ? static_cast<std::size_t>(static_cast<const char*>(end) - buf) : capacity;
}

bool CopyText(char* dst, std::size_t capacity, const char* src) {
    if (capacity == 0) return false;
    return SUCCEEDED(StringCchCopyA(dst, capacity, src));
}

bool AppendText(char* dst, std::size_t capacity, const char* src) {
    if (capacity == 0) return false;
    std::size_t used = BoundedLength(dst, capacity);
    if (used >= capacity) {
        dst[capacity - 1] = '\0';
        return false;
    }
    return CopyText(dst + used, capacity - used, src);
}

bool FormatTextV(char* dst, std::size_t capacity, const char* format, va_list args) {
    if (capacity == 0) return false;
    return SUCCEEDED(StringCchVPrintfA(dst, capacity, format, args));
}

bool FormatText(char* dst, std::size_t capacity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    bool fitted = FormatTextV(dst, capacity, format, args);
    va_end(args);
    return fitted;
}

bool AppendFormat(char* dst, std::size_t capacity, const char* format, ...) {
    if (capacity == 0) return false;
    std::size_t used = BoundedLength(dst, capacity);
    if (used >= capacity) {
        dst[capacity - 1] = '\0';
        return false;
    }
    va_list args;
    va_start(args, format);
    bool fitted = FormatTextV(dst + used, capacity - used, format, args);
    va_end(args);
    return fitted;
}

bool CopyTextW(wchar_t* dst, std::size_t capacity, const wchar_t* src) {
    if (capacity == 0) return false;
    return SUCCEEDED(StringCchCopyW(dst, capacity, src));
}

bool AppendTextW(wchar_t* dst, std::size_t capacity, const wchar_t* src) {
    if (capacity == 0) return false;
    std::size_t used = 0;
    while (used < capacity && dst[used] != L'\0') ++used;
    if (used >= capacity) {
        dst[capacity - 1] = L'\0';
        return false;
    }
    return CopyTextW(dst + used, capacity - used, src);
}

bool FormatTextW(wchar_t* dst, std::size_t capacity, const wchar_t* format, ...) {
    if (capacity == 0) return false;
    va_list args;
    va_start(args, format);
    bool fitted = SUCCEEDED(StringCchVPrintfW(dst, capacity, format, args));
    va_end(args);
    return fitted;
}

// Bounded text operations for the program's fixed-size buffers, and the command-line word test.
// Every write into a fixed buffer goes through these: they never write past the capacity, always
// leave a terminated text, and report whether the whole text fitted, so a caller can refuse a path
// that would not fit instead of using a silently cut one.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "common/ascii_case.h"

// Whether name occurs in list as a run of consecutive bytes. A list byte that is an ASCII capital
// also matches the same letter in lower case in name; only the list side is folded. An empty name
// matches nothing.
bool ContainsName(const char* list, const char* name);

// Length of the text in buf, stopping at capacity when no NUL is found there (untrusted buffers).
std::size_t BoundedLength(const char* buf, std::size_t capacity);

// Copy, append and format into dst of the given capacity. They return false when the text had to be
// cut to fit (dst still holds the cut, terminated text); capacity 0 writes nothing and returns false.
bool CopyText(char* dst, std::size_t capacity, const char* src);
bool AppendText(char* dst, std::size_t capacity, const char* src);
bool FormatText(char* dst, std::size_t capacity, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
bool FormatTextV(char* dst, std::size_t capacity, const char* format, va_list args);
bool AppendFormat(char* dst, std::size_t capacity, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

bool CopyTextW(wchar_t* dst, std::size_t capacity, const wchar_t* src);
bool AppendTextW(wchar_t* dst, std::size_t capacity, const wchar_t* src);
bool FormatTextW(wchar_t* dst, std::size_t capacity, const wchar_t* format, ...);

// Array forms: the capacity is the array's size.
template <std::size_t N>
bool CopyText(char (&dst)[N], const char* src) { return CopyText(dst, N, src); }
template <std::size_t N>
bool AppendText(char (&dst)[N], const char* src) { return AppendText(dst, N, src); }
template <std::size_t N, typename... Args>
bool FormatText(char (&dst)[N], const char* format, Args... args) {
    return FormatText(static_cast<char*>(dst), N, format, args...);
}
template <std::size_t N, typename... Args>
bool AppendFormat(char (&dst)[N], const char* format, Args... args) {
    return AppendFormat(static_cast<char*>(dst), N, format, args...);
}
template <std::size_t N>
bool CopyTextW(wchar_t (&dst)[N], const wchar_t* src) { return CopyTextW(dst, N, src); }
template <std::size_t N>
bool AppendTextW(wchar_t (&dst)[N], const wchar_t* src) { return AppendTextW(dst, N, src); }
template <std::size_t N, typename... Args>
bool FormatTextW(wchar_t (&dst)[N], const wchar_t* format, Args... args) {
    return FormatTextW(static_cast<wchar_t*>(dst), N, format, args...);
}

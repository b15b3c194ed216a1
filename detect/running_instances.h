// Signs that the input method is in use: top-level windows of its window class ("UITAVO" for the
// IMM interface, "STATTAVO" for TSF), listed by the programs that own them, and its named shared
// memory ("quoreltavo", "quoreltavo80"). Results go to g_state.detectionCount; the message naming
// the programs is built as UTF-16 at the start of the work buffer.
#pragma once

#include <windows.h>

#include <cstddef>

// Layout of the work buffer while the message is built (byte offsets).
constexpr std::size_t kDetectMessageOffset = 0;
constexpr std::size_t kDetectLineOffset = 262144;
constexpr std::size_t kDetectListOffset = 278528;

// Counts the matching windows and, when there are any, leaves the message at the start of the work
// buffer. Lines that would no longer fit the message's area are left out of the list (the count
// still has them).
void ListProgramsUsingIme();

// EnumWindows callback: counts and lists a window of the wanted class. Always TRUE.
BOOL CALLBACK CheckImeWindow(HWND window, LPARAM parameter);

// Appends "　　N：title\r\n" for the top window above window; nothing for a window without a parent
// or owner.
void AppendProgramLine(HWND window);

// detectionCount = 1 when the interface's shared memory exists, else 0.
void CheckImeSharedMemory();

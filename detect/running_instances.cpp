// Finding programs that have the input method loaded.
#include "detect/running_instances.h"

#include <cwchar>

#include "common/install_state.h"
#include "common/text.h"

namespace {

// The message ends where the line scratch begins; the list must fit in it together with the fixed
// texts around it.
constexpr std::size_t kMessageChars = (kDetectLineOffset - kDetectMessageOffset) / sizeof(wchar_t);
constexpr std::size_t kLineChars = (kDetectListOffset - kDetectLineOffset) / sizeof(wchar_t);
constexpr std::size_t kFixedTextReserve = 512;
constexpr std::size_t kListChars = kMessageChars - kFixedTextReserve;
static_assert(kDetectListOffset + kListChars * sizeof(wchar_t) <= kWorkBufferSize, "list fits the work buffer");

constexpr int kClassNameCapacity = 100;
constexpr int kTitleCapacity = 200;
// Owner chains are short; the bound only guards the climb.
constexpr int kMaxClimb = 10000;

constexpr wchar_t kTrailer[] =
    L"\r\n\r\n请关闭上述软件后再继续安装！\r\n如无法关闭，则请将智能岚石设置为非默认输入法后，重新启动机器进行安装！";
static_assert(sizeof(kTrailer) / sizeof(wchar_t) + 64 < kFixedTextReserve, "fixed texts fit their reserve");

wchar_t* Area(std::size_t offset) { return reinterpret_cast<wchar_t*>(g_state.workBuffer + offset); }

bool UsesTsf() { return g_state.interfaceChoice == kInterfaceTsf; }

}  // namespace

void ListProgramsUsingIme() {
    g_state.detectionCount = 0;
    if (g_state.workBuffer == nullptr) return;
    wchar_t* list = Area(kDetectListOffset);
    list[0] = L'\0';
    EnumWindows(CheckImeWindow, 0);
    if (g_state.detectionCount <= 0) return;

    wchar_t* message = Area(kDetectMessageOffset);
    FormatTextW(message, kMessageChars, L"智能岚石安装软件检测到有下列 %d 个软件在使用智能岚石输入法:\r\n\r\n",
                g_state.detectionCount);
    AppendTextW(message, kMessageChars, list);
    AppendTextW(message, kMessageChars, kTrailer);
}

BOOL CALLBACK CheckImeWindow(HWND window, LPARAM) {
    char className[kClassNameCapacity] = {};
    GetClassNameA(window, className, kClassNameCapacity);
    if (lstrcmpA(className, UsesTsf() ? "STATTAVO" : "UITAVO") == 0) {
        ++g_state.detectionCount;
        AppendProgramLine(window);
    }
    return TRUE;
}

void AppendProgramLine(HWND window) {
    if (g_state.workBuffer == nullptr) return;
    HWND top = GetParent(window);
    if (top == nullptr) return;
    for (int climbed = 0; climbed < kMaxClimb; ++climbed) {
        HWND above = GetParent(top);
        if (above == nullptr) break;
        top = above;
    }

    wchar_t* line = Area(kDetectLineOffset);
    FormatTextW(line, kLineChars, L"　　%d：", g_state.detectionCount);
    wchar_t title[kTitleCapacity] = {};
    GetWindowTextW(top, title, kTitleCapacity);
    AppendTextW(line, kLineChars, title);
    AppendTextW(line, kLineChars, L"\r\n");

    wchar_t* list = Area(kDetectListOffset);
    std::size_t used = wcsnlen(list, kListChars);
    if (used + std::wcslen(line) < kListChars) AppendTextW(list, kListChars, line);
}

void CheckImeSharedMemory() {
    g_state.detectionCount = 0;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, TRUE, UsesTsf() ? "quoreltavo80" : "quoreltavo");
    if (mapping != nullptr) {
        CloseHandle(mapping);
        g_state.detectionCount = 1;
    }
}

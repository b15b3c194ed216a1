// The install and finish sequences run from the main window: the checks that may stop or delay the
// install, the install procedure, the extra and settings files, the restore of the earlier data,
// the finished page and the report. The window is reached only through its handles in InstallState
// and the progress display; the skin dialog comes in as a SkinChooser.
#pragma once

#include <windows.h>

#include "install/extra_files.h"

// The one-shot timer after an IMM install on 64-bit Windows.
constexpr UINT_PTR kInstallTimerId = 2;
constexpr UINT kInstallTimerMs = 1600;

// Shown before the install goes on when the input method is still in memory (caption "智能岚石").
inline constexpr wchar_t kStillInMemoryText[] = L"检测到内存中有智能岚石数据没有退出，请安装后重新启动机器再使用！";
// Shown by the finish sequence when the install report found nothing to report.
inline constexpr wchar_t kInstallDoneText[] = L"安装完毕，如不能使用，请重新启动计算机！";

// Runs the install from the confirmation of page 6. Ends at page 6 when programs still use the input
// method, at page 8 on 64-bit systems (with the timer for IMM), or with WM_DESTROY posted to the main
// window (the IMM guard refused, the install could not start, or a 32-bit system has finished).
void RunInstallSequence(SkinChooser chooseSkin);

// The report, or the completion message when it found nothing, then the text-service check.
void RunFinishSequence();

// The timer: back to the finished page 8 and the IMM file copied once more into the WOW64 system
// directory.
void OnInstallTimer();

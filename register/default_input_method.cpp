// The default-input-method guard and its messages.
#include "register/default_input_method.h"

#include <windows.h>
#include <imm.h>

#include <cstring>

#include "common/install_state.h"
#include "common/message_box.h"
#include "platform/os_info.h"
#include "register/preload_list.h"

namespace {

constexpr wchar_t kOnlyInputMethodText[] =
    L"　　你以前安装的智能岚石为系统默认输入法，并且是系统安装的唯一输入法，请通过微软的输入法管理器增加英文输入法，"
    L"并将智能岚石输入法设置为系统非默认输入法后，重新启动机器才能安装新版本的智能岚石！";
constexpr wchar_t kDefaultInputMethodText[] =
    L"　　你以前安装的智能岚石为系统默认输入法，请设置为系统非默认输入法后，重新启动机器才能安装新版本的智能岚石！";
constexpr wchar_t kMakeNonDefaultQuestion[] = L"是否设置智能岚石为系统非默认输入法？";
constexpr wchar_t kRestartText[] = L"请重新启动机器后安装智能岚石！";
constexpr wchar_t kCurrentLayoutText[] =
    L"　　你以前安装的岚石五笔为系统默认输入法，请通过微软的输入法管理器将岚石五笔输入法设置为系统非默认输入法后，"
    L"重新启动机器才能安装新版本的岚石五笔！";

// IME descriptions that begin with these bytes (GBK) are the input method's.
constexpr char kDescriptionMark[] = "智能岚石输入平台";
constexpr std::size_t kDescriptionMarkBytes = 16;
constexpr int kDescriptionCapacity = 50;

int StopAsDefault() {
    const PreloadList& list = g_state.preload;
    if (list.count < 2) {
        ShowMessageW(kOnlyInputMethodText, kCaptionSetupW, MB_OK);
        return 0;
    }
    ShowMessageW(kDefaultInputMethodText, kCaptionSetupW, MB_OK);
    if (Is64BitSystem()) return 0;
    if (ShowMessageW(kMakeNonDefaultQuestion, kCaptionSetupW, MB_YESNO) != IDYES) return 0;
    SwapFirstTwoPreload();
    ShowMessageW(kRestartText, kCaptionSetupW, MB_OK);
    return 0;
}

}  // namespace

int CheckDefaultInputMethod() {
    FindImeInPreload();
    if (g_state.preload.found && g_state.preload.position == 1) return StopAsDefault();

    char description[kDescriptionCapacity] = {};
    UINT length = ImmGetDescriptionA(GetKeyboardLayout(0), description, kDescriptionCapacity);
    return CheckCurrentLayoutDescription(description, length);
}

int CheckCurrentLayoutDescription(const char* description, std::size_t length) {
    if (length >= kDescriptionMarkBytes && std::memcmp(description, kDescriptionMark, kDescriptionMarkBytes) == 0) {
        ShowMessageW(kCurrentLayoutText, kCaptionSetupW, MB_OK);
        return 0;
    }
    return 1;
}

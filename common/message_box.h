// The one place where the program shows message boxes. Every box has no owner window, as the
// program's boxes always have; in-process tests install a recorder instead of showing them. An
// unattended run has them answered with their default instead (OK, or Yes to a question), and every
// box goes to the log (common/install_log.h) with its answer.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

// Captions of the program's boxes.
inline constexpr char kCaptionProduct[] = "智能岚石";
inline constexpr char kCaptionSetup[] = "智能岚石安装";
inline constexpr char kCaptionSetupWubi[] = "智能岚石(岚石五笔)安装";
inline constexpr char kCaptionProductWubi[] = "智能岚石(岚石五笔)";
inline constexpr wchar_t kCaptionProductW[] = L"智能岚石";
inline constexpr wchar_t kCaptionSetupW[] = L"智能岚石安装";

// Narrow (GBK) and UTF-16 boxes; they return the button the user chose.
int ShowMessageA(const char* text, const char* caption, UINT style);
int ShowMessageW(const wchar_t* text, const wchar_t* caption, UINT style);

// One box as a test saw it. Narrow boxes keep their bytes in text/caption, wide ones in wtext/wcaption.
struct RecordedMessage {
    bool wide;
    std::string text;
    std::string caption;
    std::wstring wtext;
    std::wstring wcaption;
    UINT style;
};

// Records boxes instead of showing them and answers from a script (then with defaultAnswer).
struct MessageRecorder {
    std::vector<RecordedMessage> shown;
    std::deque<int> answers;
    int defaultAnswer = IDOK;
};

// Routes every later box to recorder; nullptr shows real boxes again.
void InstallMessageRecorder(MessageRecorder* recorder);

// From now on no box is shown (nor recorded): each is answered with its default.
void SuppressMessageBoxes(bool suppress);

// False when the process runs in a window station nobody sees (a service, a deployment tool in
// session 0): a box shown there would wait for ever.
bool HasVisibleWindowStation();

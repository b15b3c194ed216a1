// Message boxes: shown for real, handed to a test's recorder, or, where nobody could answer them,
// answered with their default. Every box goes to the log with the answer it got.
#include "common/message_box.h"

#include <string>

#include "common/install_log.h"
#include "common/progress.h"

namespace {

MessageRecorder* g_recorder = nullptr;
bool g_suppressed = false;

int NextAnswer() {
    if (g_recorder->answers.empty()) return g_recorder->defaultAnswer;
    int answer = g_recorder->answers.front();
    g_recorder->answers.pop_front();
    return answer;
}

// What the box is answered with when nobody is there: OK, or Yes to a question.
int DefaultAnswer(UINT style) { return (style & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK; }

const wchar_t* AnswerName(int answer) {
    switch (answer) {
        case IDOK:
            return L"OK";
        case IDYES:
            return L"Yes";
        case IDNO:
            return L"No";
        case IDCANCEL:
            return L"Cancel";
        default:
            return L"none";
    }
}

// One log line: "message box CAPTION: TEXT -> ANSWER", the text's line ends as blanks.
void LogBox(const std::wstring& caption, std::wstring text, int answer) {
    if (!LogIsOpen()) return;
    for (wchar_t& c : text) {
        if (c == L'\r' || c == L'\n') c = L' ';
    }
    std::wstring line = caption + L": " + text + (g_suppressed ? L" -> not shown, " : L" -> ") + AnswerName(answer);
    LogTextW(L"message box ", line.c_str());
}

}  // namespace

void InstallMessageRecorder(MessageRecorder* recorder) { g_recorder = recorder; }

void SuppressMessageBoxes(bool suppress) { g_suppressed = suppress; }

bool HasVisibleWindowStation() {
    USEROBJECTFLAGS flags{};
    HWINSTA station = GetProcessWindowStation();
    // Without an answer the station is taken to be visible: boxes are suppressed only when known unseen.
    return station == nullptr ||
           !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) ||
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

namespace {

// The answer: the default where nobody could give one, else the user's, or the test's script.
template <typename Show, typename Record>
int Answer(UINT style, Show show, Record record) {
    FlushProgress();
    if (g_suppressed) return DefaultAnswer(style);
    if (g_recorder == nullptr) return show();
    record();
    return NextAnswer();
}

}  // namespace

int ShowMessageA(const char* text, const char* caption, UINT style) {
    int answer = Answer(
        style, [&] { return MessageBoxA(nullptr, text, caption, style); },
        [&] {
            g_recorder->shown.push_back(RecordedMessage{false, text ? text : "", caption ? caption : "",
                                                        std::wstring(), std::wstring(), style});
        });
    LogBox(WidenForLog(caption), WidenForLog(text), answer);
    return answer;
}

int ShowMessageW(const wchar_t* text, const wchar_t* caption, UINT style) {
    int answer = Answer(
        style, [&] { return MessageBoxW(nullptr, text, caption, style); },
        [&] {
            g_recorder->shown.push_back(RecordedMessage{true, std::string(), std::string(), text ? text : L"",
                                                        caption ? caption : L"", style});
        });
    LogBox(caption ? caption : L"", text ? text : L"", answer);
    return answer;
}

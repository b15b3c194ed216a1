// Message boxes: shown for real, or handed to a test's recorder.
#include "common/message_box.h"

namespace {

MessageRecorder* g_recorder = nullptr;

int NextAnswer() {
    if (g_recorder->answers.empty()) return g_recorder->defaultAnswer;
    int answer = g_recorder->answers.front();
    g_recorder->answers.pop_front();
    return answer;
}

}  // namespace

void InstallMessageRecorder(MessageRecorder* recorder) { g_recorder = recorder; }

int ShowMessageA(const char* text, const char* caption, UINT style) {
    if (g_recorder == nullptr) return MessageBoxA(nullptr, text, caption, style);
    g_recorder->shown.push_back(RecordedMessage{false, text ? text : "", caption ? caption : "",
                                                std::wstring(), std::wstring(), style});
    return NextAnswer();
}

int ShowMessageW(const wchar_t* text, const wchar_t* caption, UINT style) {
    if (g_recorder == nullptr) return MessageBoxW(nullptr, text, caption, style);
    g_recorder->shown.push_back(RecordedMessage{true, std::string(), std::string(), text ? text : L"",
                                                caption ? caption : L"", style});
    return NextAnswer();
}

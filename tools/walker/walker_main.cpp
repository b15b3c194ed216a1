// walker.exe SETUP_EXE OUT_DIR: starts the setup program and walks its wizard as a user would when
// there is no display to show it on: the Pinyin edition with the IMM interface, a valid mobile
// number, a name and a password, the confirmation, every box answered (OK, Yes, the skin dialog's
// OK). Saves a picture of each page it passes into OUT_DIR (page-1-first.bmp, page-2-user-info.bmp,
// page-3-install.bmp, page-4-finished.bmp), prints the boxes it answered and the install directory,
// and ends with 0 when every page showed as expected and the program ended.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/walker/setup_driver.h"

namespace {

void PrintUtf8(const std::wstring& text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string bytes(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                        nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void PrintBoxes(const std::vector<MessageBoxInfo>& boxes) {
    for (const MessageBoxInfo& box : boxes) {
        std::wstring text = box.text;
        for (wchar_t& c : text) {
            if (c == L'\r' || c == L'\n') c = L' ';
        }
        PrintUtf8(L"answered: [" + box.caption + L"] " + text + L"\n");
    }
}

// Saves the page's picture when it is the expected page.
bool SavePage(SetupWindow& window, SeenPage expected, const std::wstring& path) {
    WindowPicture picture = window.Picture();
    SeenPage seen = PageOf(picture);
    if (seen != expected) {
        std::printf("walker: expected the %s, the window shows the %s\n", PageName(expected), PageName(seen));
        return false;
    }
    if (!picture.SaveBmp(path)) {
        std::printf("walker: could not save %ls\n", path.c_str());
        return false;
    }
    PrintUtf8(L"picture of the " + std::wstring(PageName(expected), PageName(expected) + std::strlen(PageName(expected))) +
              L": " + path + L"\n");
    return true;
}

bool Walk(SetupProcess& setup, const std::wstring& outDir) {
    SetupWindow window;
    if (!window.Attach(&setup)) {
        std::printf("walker: the setup window did not appear\n");
        return false;
    }
    if (!SavePage(window, SeenPage::kFirst, outDir + L"\\page-1-first.bmp")) return false;

    window.Click(kPinyinPoint.x, kPinyinPoint.y);
    window.Click(kImmPoint.x, kImmPoint.y);
    window.Click(kNextPoint.x, kNextPoint.y);
    window.Settle();
    window.Type(kMobileEditY, L"13812345678");
    window.Type(kNameEditY, L"张小明");
    window.Type(kPasswordEditY, L"abc123");
    if (!SavePage(window, SeenPage::kUserInfo, outDir + L"\\page-2-user-info.bmp")) return false;

    std::vector<MessageBoxInfo> boxes;
    window.Click(kNextPoint.x, kNextPoint.y);
    window.Settle(&boxes);
    PrintBoxes(boxes);
    if (!SavePage(window, SeenPage::kInstall, outDir + L"\\page-3-install.bmp")) return false;

    boxes.clear();
    window.Click(kNextPoint.x, kNextPoint.y);
    window.Settle(&boxes);
    PrintBoxes(boxes);
    // On a 64-bit system the finished page waits for the user; on a 32-bit one the program ends.
    if (setup.Running() && !SavePage(window, SeenPage::kFinished, outDir + L"\\page-4-finished.bmp")) return false;

    boxes.clear();
    for (int click = 0; click < 2 && setup.Running(); ++click) {
        window.Click(kNextPoint.x, kNextPoint.y);
        window.Settle(&boxes);
    }
    PrintBoxes(boxes);
    if (setup.Wait(30000) != 0) {
        std::printf("walker: the setup program did not end with 0\n");
        return false;
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: walker SETUP_EXE OUT_DIR\n");
        return 2;
    }
    SetupProcess setup;
    if (!StartProgram(argv[1], L"", &setup)) {
        std::fprintf(stderr, "walker: cannot start %ls\n", argv[1]);
        return 1;
    }
    bool walked = Walk(setup, argv[2]);
    std::printf("install directory: C:\\Program Files\\quorel8\\\n");
    std::fflush(stdout);
    return walked ? 0 : 1;
}

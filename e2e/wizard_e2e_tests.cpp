// The real setup.exe walked through its wizard as a user would, one row per walk, each on a fresh
// machine: the first page's pixels and clicks, the user information, the install page, every box of
// the install read and answered, the finished page and its timer, the way out, and then the machine:
// the install directory against the payload and the access lists of its programs, the system copies,
// the settings files. One walk starts setup.exe from a folder where an ordinary user has put programs
// under system names beside it, and in the earlier install directory: none of them may run. A second
// table takes every other way out of the wizard.
#include <algorithm>
#include <cctype>

#include "install/install_sequence.h"
#include "tests/support/command_log.h"
#include "tests/support/install_checks.h"
#include "tests/support/text_service_fixture.h"
#include "tools/walker/setup_driver.h"

namespace {

const std::string kDir = kInstallDir;
constexpr COLORREF kRed = RGB(255, 0, 0), kBar = RGB(30, 144, 255);

struct Walk {
    const char* name;
    const wchar_t *version, *title;  // the title under code page 936
    // reinstall: over an earlier install with user data, whose data is kept; hosts: programs that use
    // the input method are open at the first confirmation.
    bool pinyin, tsf, reinstall, hosts;
    const char *systemFile, *systemMember;  // the interface's file in the System directory, and its member
    // Members whose installed file differs from the payload (an IMM install's are the silent install's
    // test, but for the settings record, checked below).
    std::vector<const char*> differing;
    // Marker programs under system names beside setup.exe and in the earlier install directory; the
    // walk then goes through the finish sequence (report, text-service check) instead of closing.
    bool planted = false;
};

const std::vector<const char*> kTsfReinstallDiffering = {
    "quorel4.ime", "quorel64.ime", "quor320.ime", "quor321.ime", "quor640.ime", "quor641.ime", "qsrf732.dll",
    "qsrf764.dll", "quorcyzk.bak", "quorpyck.bak", "quszsj43.quh", "quordwdw.txt", "quorzdym.quh", "qupyzdym.quh",
    "quwbpy.txt", "quorynhz.txt", "quorzdfh.quh", "userck.txt"};
const char* const kPlantedNames[] = {"icacls.exe", "runas.exe", "regsvr32.exe", "cmd.exe"};
const std::string kDownloads = "C:\\quortest\\downloads\\";

const Walk kWalks[] = {
    {"Win7ImmPinyin", L"win7", L"智能岚石系统安装3264-os：64-0-100-61", true, false, false, true, "quorel4.ime",
     "quorel64.ime", {}},
    {"Win10TsfWubiReinstall", L"win10", L"智能岚石系统安装3264-os：64-0-101-62", false, true, true, false,
     "quorsrf6.dll", "quorsrf6.dll", kTsfReinstallDiffering},
    {"Win10TsfPinyinReinstallWithPlantedPrograms", L"win10", L"智能岚石系统安装3264-os：64-0-101-62", true, true, true,
     false, "quorsrf6.dll", "quorsrf6.dll", kTsfReinstallDiffering, true},
    {"XpImmWubi", L"winxp64", L"智能岚石系统安装32-os：32-0-100-52", false, false, false, false, "quorel4.ime",
     "quorel4.ime", {}},
};

// Pixels of a colour in the client rectangle.
int Count(const WindowPicture& picture, COLORREF colour, int left, int top, int right, int bottom) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) count += picture.At(x, y) == colour;
    return count;
}

// Whether the client rectangle shows the payload's picture tavo1.bmp (401 x 310, 24-bit, bottom-up) 1:1.
bool ShowsPicture(const WindowPicture& picture, int left, int top, int right, int bottom) {
    const std::string bmp = ReadMember("tavo1.bmp");
    const auto* bits = reinterpret_cast<const unsigned char*>(bmp.data()) + (bmp[10] & 0xFF) + ((bmp[11] & 0xFF) << 8);
    bool same = true;
    for (int y = top; y < bottom; ++y) {
        const unsigned char* row = bits + (309 - y) * ((401 * 3 + 3) / 4 * 4);
        for (int x = left; x < right; ++x) same = same && picture.At(x, y) == RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    }
    return same;
}

std::string Acp(const wchar_t* text) {
    char bytes[64] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

// The earlier install: its path file, user data and a user record with no terminators.
const char* const kEarlierData[] = {"quorpyck.quh", "quszsj43.quh", "qfontset.quh", "qwbzlcz1.quh", "quwbcmxz.quh",
                                    "qudhzcm.quh",  "quordhz.quh",  "qugbkhz.quh",  "quordwdw.txt", "quorzdym.quh",
                                    "qupyzdym.quh", "quwbpy.txt",   "quorynhz.txt", "quorzdfh.quh", "userck.txt"};
void MakeEarlierInstall() {
    CreateDirectoryA(kDir.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(WindowsDir() + "\\quorpat8.quh", kDir));
    for (const char* name : kEarlierData) ASSERT_TRUE(WriteFileBytes(kDir + name, std::string("earlier ") + name));
    std::string record(600, 'A');
    record.replace(50, 12, std::string("13912345678\0", 12));
    ASSERT_TRUE(WriteFileBytes(kDir + "quyhgl0.dat", record));
}

// setup.exe in a download folder, with the marker under each system name beside it and in the earlier
// install directory; the copy to start.
std::wstring PlantPrograms() {
    CreateDirectoryA("C:\\quortest", nullptr);
    CreateDirectoryA(kDownloads.c_str(), nullptr);
    const std::wstring setup = HostPath(QUOR_SETUP_EXE), marker = HostPath(QUOR_PLANTED_MARKER);
    EXPECT_TRUE(CopyFileW(setup.c_str(), L"C:\\quortest\\downloads\\setup.exe", FALSE));
    for (const char* name : kPlantedNames) {
        for (const std::string& folder : {kDownloads, kDir}) {
            const std::string path = folder + name;
            EXPECT_TRUE(CopyFileW(marker.c_str(), std::wstring(path.begin(), path.end()).c_str(), FALSE)) << path;
        }
    }
    return L"C:\\quortest\\downloads\\setup.exe";
}

class WizardWalk : public testing::TestWithParam<Walk> {
protected:
    std::vector<MessageBoxInfo> Boxes(const BoxAnswerer& answer = DefaultAnswer) {
        std::vector<MessageBoxInfo> boxes;
        EXPECT_TRUE(window_.Settle(&boxes, answer));
        return boxes;
    }
    // The page shown, saved as a picture for the build tree.
    WindowPicture Page(SeenPage expected, const char* label) {
        WindowPicture picture = window_.Picture();
        EXPECT_EQ(PageName(PageOf(picture)), std::string(PageName(expected))) << label;
        picture.SaveBmp(HostPath(std::string(QUOR_E2E_PICTURES "/") + GetParam().name +
                                 (GetOEMCP() == 950 ? "-cp950-" : "-") + label + ".bmp"));
        return picture;
    }
    void Click(POINT point, bool right = false) { window_.Click(point.x, point.y, right); }

    SetupProcess setup_;
    SetupWindow window_;
};

TEST_P(WizardWalk, FromTheFirstClickToTheLast) {
    const Walk& w = GetParam();
    const bool big5 = GetOEMCP() == 950, xp = w.version == std::wstring(L"winxp64");
    SetProgramWindowsVersion(L"setup.exe", w.version);
    if (w.reinstall) MakeEarlierInstall();
    SetupProcess hosts[3];  // two editors with an input-method window, and one holding the shared memory
    for (int i = 0; i < (w.hosts ? 3 : 0); ++i) {
        StartProgram(HostPath(QUOR_IME_HOST), i < 2 ? L"UITAVO owned - Editor" + std::to_wstring(i) : L"- owned quoreltavo Holder", &hosts[i]);
    }
    CreateDirectoryA("C:\\quortest", nullptr);
    ASSERT_TRUE(StartProgram(w.planted ? PlantPrograms() : HostPath(QUOR_SETUP_EXE), L"/log=C:\\quortest\\setup.log",
                             &setup_));
    ASSERT_TRUE(window_.Attach(&setup_));
    // A fixed-size window (no sizing frame, no minimise or maximise box), centred on the screen; then
    // out of the way of the boxes, which open in the middle of the screen.
    const HWND window = window_.Handle();
    const LONG style = GetWindowLongW(window, GWL_STYLE) & (WS_CAPTION | WS_SYSMENU | WS_SIZEBOX | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    RECT r;
    GetWindowRect(window, &r);
    const LONG left = (GetSystemMetrics(SM_CXSCREEN) - 400) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - 300) / 2;
    EXPECT_EQ((std::vector<LONG>{style, r.left, r.top, r.right, r.bottom}),
              (std::vector<LONG>{WS_CAPTION | WS_SYSMENU, left, top, left + 400, top + 310}));
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    wchar_t title[100] = {};
    GetWindowTextW(window, title, 100);
    EXPECT_EQ(std::wstring(title), big5 ? L"智能嵐石系統安裝" : w.title);

    // The first page: the Pinyin caption painted over the picture at first; the ticks and the caption
    // of the row's choices, the other edition clicked first, then the row's at its region's
    // bottom-right corner, with the right button.
    EXPECT_FALSE(ShowsPicture(Page(SeenPage::kFirst, "0"), 73, 90, 201, 125));
    Click(w.pinyin ? kWubiPoint : kPinyinPoint);
    Click(w.pinyin ? POINT{255, 210} : POINT{370, 210}, true);
    if (!w.tsf) Click({370, 235}, true);
    const WindowPicture first = Page(SeenPage::kFirst, "0");
    for (int x : {150, 265}) {
        EXPECT_EQ(Count(first, kRed, x, 190, x + 10, 210) > 0, w.pinyin == (x == 150)) << x;
        EXPECT_EQ(Count(first, kRed, x, 215, x + 10, 235) > 0, w.tsf == (x == 150)) << x;
    }
    EXPECT_EQ(ShowsPicture(first, 73, 90, 201, 125), !w.pinyin);

    // The user information: no message at first, the earlier record shown on a reinstall; options
    // clicked now change nothing. (The refusals are the wizard's in-process tests.)
    Click({140, 270});
    EXPECT_TRUE(Boxes().empty());
    Page(SeenPage::kUserInfo, "1");
    EXPECT_EQ(window_.EditText(kMobileEditY), w.reinstall ? L"13912345678" : L"");
    EXPECT_EQ(window_.EditText(kNameEditY), w.reinstall ? std::wstring(49, L'A') : L"");
    EXPECT_EQ(window_.EditText(kPasswordEditY), L"");
    Click(w.pinyin ? kWubiPoint : kPinyinPoint);
    Click(w.tsf ? kImmPoint : kTsfPoint);
    if (!w.reinstall) window_.Type(kMobileEditY, L"13812345678");
    window_.Type(kNameEditY, L"王小明王小明王");
    window_.Type(kPasswordEditY, L"明小王");
    Click(kNextPoint);
    std::vector<MessageBoxInfo> boxes = Boxes();
    EXPECT_TRUE(boxes.empty());
    Page(SeenPage::kInstall, "6");

    // Programs that use the input method stop the install at page 6 (its list is the detection's
    // in-process test); once they are closed the install runs. Clicks and the close box do nothing
    // meanwhile.
    if (w.hosts) {
        Click(kNextPoint, true);
        boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].text.find(L"有下列 2 个软件在使用智能岚石输入法"), std::wstring::npos) << boxes[0].text;
        Page(SeenPage::kInstall, "6");
        for (int i : {0, 1}) hosts[i].Close();
    }
    int barWidth = -1;
    // While the install runs the install directory holds the folder that pins it; after, it is gone.
    auto pinned = [] {
        WIN32_FIND_DATAA found;
        UniqueFindHandle find(FindFirstFileA((kDir + "~qupin*").c_str(), &found));
        return find.Valid() && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    };
    bool pinnedDuringInstall = false;
    Click(kNextPoint);
    boxes = Boxes([&](const MessageBoxInfo& box) {
        if (box.yesNo) barWidth = Count(CaptureWindow(window), kBar, 30, 204, 400, 205);
        if (GetDlgItem(box.window, kSkinDialogOkButton) == nullptr) return DefaultAnswer(box);
        pinnedDuringInstall = pinned();
        window_.Close();
        Click(kExitPoint);
        AnswerMessageBox(box.window, 106);  // the dual window
        return kSkinDialogOkButton;
    });
    // Gone before the timer copies it again, 1.6 s after an IMM install on a 64-bit system ends.
    const std::string wowIme = WindowsDir() + "\\syswow64\\quorel4.ime";
    if (!w.tsf && !xp) RemoveFile(wowIme);
    std::vector<std::wstring> seen, expected;
    for (const MessageBoxInfo& box : boxes) seen.push_back(box.caption + L": " + box.text);
    if (w.hosts) expected.push_back(L"智能岚石: 检测到内存中有智能岚石数据没有退出，请安装后重新启动机器再使用！");
    if (w.reinstall) expected.push_back(L"智能岚石安装: 检测到安装目录下有智能岚石以前的词组等数据文件，是否保留？");
    expected.push_back(big5 ? L"智能嵐石皮膚及窗口模式選擇: " : L"智能岚石皮肤及窗口模式选择: ");
    if (w.reinstall) expected.push_back(L"智能岚石: 成功恢复了16个原有数据文件！");
    if (xp) expected.push_back(L"智能岚石: 安装完毕，如不能使用，请重新启动计算机！");
    EXPECT_EQ(seen, expected);
    if (w.reinstall) { EXPECT_TRUE(barWidth > 0 && barWidth <= 293) << barWidth; }

    if (!xp) {
        EXPECT_EQ(Page(SeenPage::kFinished, "8").At(2, 240), RGB(116, 197, 134));
        if (w.planted) {
            // Page 9, then the finish sequence: the report (nothing to report) and the text-service check.
            for (int click = 0; click < 2; ++click) Click(kNextPoint);
            boxes = Boxes();
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, L"安装完毕，如不能使用，请重新启动计算机！");
        } else if (w.reinstall) {
            // The close box ends the program without the finish sequence.
            window_.Close();
            EXPECT_TRUE(Boxes().empty());
        } else if (!w.tsf) {
            // The timer copies the IMM file again and brings page 9 back to 8: one more Next is needed.
            // A Next while the finish sequence's box is open does nothing.
            Click(kNextPoint);
            Sleep(2500);
            EXPECT_TRUE(HoldsMember(wowIme, "quorel4.ime"));
            Click(kNextPoint);
            EXPECT_TRUE(Boxes().empty());
            for (int click = 0; click < 2; ++click) Click(kNextPoint);
            boxes = Boxes();
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, L"安装完毕，如不能使用，请重新启动计算机！");
        }
    }
    EXPECT_EQ(setup_.Wait(10000), 0u);
    EXPECT_TRUE(pinnedDuringInstall && !pinned());
    // The window's log: its mode, the install's boxes with the answers they got, the exit code last.
    const std::vector<std::wstring> log = ProgramLogW("C:\\quortest\\setup.log");
    EXPECT_TRUE(log.size() > 2 && log[2] == L"run mode: window" && log.back() == L"exit code 0");
    for (const std::wstring& box : seen) {
        const std::wstring answer = box.find(L"是否保留") != std::wstring::npos ? L" -> Yes" : L" -> OK";
        if (!box.ends_with(L": ")) { EXPECT_NE(std::find(log.begin(), log.end(), L"message box " + box + answer), log.end()); }
    }

    // The system's own programs ran, by their full paths, with the command lines they always had; no
    // planted one ran.
    if (w.planted) {
        EXPECT_EQ(LogLinesAfterPause(kPlantedLog), Ids{});
        const std::string quoted = "icacls.exe \"c:\\Progra~1\\quorel8\" /SetIntegrityLevel Level: L";
        const std::string plain = "icacls.exe c:\\Progra~1\\quorel8 /SetIntegrityLevel Level: L";
        Ids icacls = WaitForLogLines(kIcaclsLog, 5);
        std::sort(icacls.begin(), icacls.end());
        EXPECT_EQ(icacls, (Ids{quoted, quoted, "icacls.exe C:\\Progra~1\\quorel8", plain, plain}));
        EXPECT_EQ(WaitForLogLines(kRegsvr32Log, 2), (Ids{"regsvr32 /s " + WindowsDir() + "\\syswow64\\quorsrf.dll",
                                                          "regsvr32 /s " + SystemDir() + "\\quorsrf6.dll"}));
        EXPECT_EQ(WaitForLogLines(kRunasLog, 1), Ids{kBasicTrustCommand});
        for (const char* name : kPlantedNames) RemoveFile(kDir + name);
    }

    // The machine: the payload in place, the system copies, the settings of the choices.
    if (w.tsf) { EXPECT_EQ(DifferingMembers(ReadPayload()), DifferingReport(w.differing)); }
    EXPECT_EQ(FilesWithWrongAccess(), std::vector<std::string>{});
    if (w.tsf) { EXPECT_TRUE(KeyPresent(HKEY_LOCAL_MACHINE, kTip)); }
    EXPECT_TRUE(HoldsMember(SystemDir() + "\\" + w.systemFile, w.systemMember));
    EXPECT_EQ(ReadFileBytes(kDir + "wbpybz.quh"), std::string(w.pinyin ? "QUWBPYBZ=1" : "QUWBPYBZ=0", 11));
    const std::string record = ReadFileBytes(kDir + "quyhgl0.dat").value_or("");
    ASSERT_EQ(record.size(), 492u);
    EXPECT_EQ((Ids{record.c_str(), record.c_str() + 50, record.c_str() + 392}),
              (Ids{Acp(L"王小明王小明"), w.reinstall ? "13912345678" : "13812345678", Acp(L"明小王")}));
    const std::string settings = ReadFileBytes(kDir + "quszsj43.quh").value_or("");
    EXPECT_EQ(settings.substr(0, w.reinstall ? std::string::npos : 1), w.reinstall ? "earlier quszsj43.quh" : "\x04");
}

void PrintTo(const Walk& walk, std::ostream* out) { *out << walk.name; }

INSTANTIATE_TEST_SUITE_P(Rows, WizardWalk, testing::ValuesIn(kWalks),
                         [](const testing::TestParamInfo<Walk>& info) { return std::string(info.param.name); });

// Every way out of the wizard and the answers to the install's questions, each row on a fresh machine
// (Windows 10; Windows 7 for the IMM interface). The clicks: i the IMM option, n Next, x Exit
// (capitals: the right button), c the close box, u the user information typed, m the same with a
// mobile number the rules refuse. Then the boxes they bring, in order ("caption: text", the row's
// text being a part of the box's), whether the finish sequence ran (its step in the log) and whether
// the machine holds the install: from pages 0, 1 and 6 nothing is installed; from the finished pages
// either button runs the finish sequence; the earlier data left out is no longer anywhere.
struct WayOut {
    const char* name;
    bool imm, hosts, reinstall;  // hosts: two programs that use the input method are open
    const char* clicks;
    std::vector<std::wstring> boxes;
    bool installed, finished;
    int answer = IDYES;  // to every question
};

const std::wstring kSkinBox = L"智能岚石皮肤及窗口模式选择: ", kDoneBox = std::wstring(L"智能岚石: ") + kInstallDoneText;
const std::wstring kUsedBox = L"智能岚石: 智能岚石安装软件检测到有下列 2 个软件在使用智能岚石输入法";

const WayOut kWaysOut[] = {
    {"ExitOnTheFirstPage", false, false, false, "X", {}, false, false},
    {"ExitOnTheUserPageAfterARefusal", false, false, false, "nmnx", {L"智能岚石安装: 请正确输入你的手机号码！"},
     false, false},
    {"ExitOnTheInstallPageAfterProgramsUseTheInputMethodTwice", true, true, false, "inunnnX", {kUsedBox, kUsedBox},
     false, false},
    {"ExitOnTheFinishedPage", false, false, false, "nunnx", {kSkinBox, kDoneBox}, true, true},
    {"ExitWithTheRightButtonOnPageNine", false, false, false, "nunnnX", {kSkinBox, kDoneBox}, true, true},
    {"ReinstallWithoutTheEarlierData", false, false, true, "nunnc",
     {L"智能岚石安装: 检测到安装目录下有智能岚石以前的词组等数据文件，是否保留？", kSkinBox}, true, false, IDNO},
};

class WizardWayOut : public testing::TestWithParam<WayOut> {};

TEST_P(WizardWayOut, EndsAsTheUserChose) {
    const WayOut& row = GetParam();
    if (GetOEMCP() == 950) GTEST_SKIP() << "the ways out do not depend on the code page";
    SetProgramWindowsVersion(L"setup.exe", row.imm ? L"win7" : L"win10");
    if (row.reinstall) MakeEarlierInstall();
    SetupProcess hosts[2], setup;
    for (int i = 0; i < (row.hosts ? 2 : 0); ++i)
        StartProgram(HostPath(QUOR_IME_HOST), L"UITAVO owned - Editor" + std::to_wstring(i), &hosts[i]);
    CreateDirectoryA("C:\\quortest", nullptr);
    ASSERT_TRUE(StartProgram(HostPath(QUOR_SETUP_EXE), L"/log=C:\\quortest\\setup.log", &setup));
    SetupWindow window;
    ASSERT_TRUE(window.Attach(&setup));
    std::vector<MessageBoxInfo> boxes;
    for (const char* click = row.clicks; *click != '\0'; ++click) {
        if (*click == 'u' || *click == 'm') {
            window.Type(kMobileEditY, *click == 'u' ? L"13812345678" : L"23812345678");
            window.Type(kNameEditY, L"王小明");
            window.Type(kPasswordEditY, L"abc123");
            continue;
        }
        if (*click == 'c') {
            window.Close();
        } else {
            const POINT point = *click == 'i' ? kImmPoint : std::tolower(*click) == 'n' ? kNextPoint : kExitPoint;
            window.Click(point.x, point.y, std::isupper(*click) != 0);
        }
        EXPECT_TRUE(window.Settle(&boxes, [&](const MessageBoxInfo& box) { return box.yesNo ? row.answer : DefaultAnswer(box); }))
            << *click;
    }
    EXPECT_EQ(setup.Wait(10000), 0u);
    std::vector<std::wstring> seen;  // a box that holds the row's text is taken as that text
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const std::wstring box = boxes[i].caption + L": " + boxes[i].text;
        seen.push_back(i < row.boxes.size() && box.find(row.boxes[i]) != std::wstring::npos ? row.boxes[i] : box);
    }
    EXPECT_EQ(seen, row.boxes);
    const std::vector<std::wstring> log = ProgramLogW("C:\\quortest\\setup.log");
    EXPECT_EQ(std::count(log.begin(), log.end(), L"step: report and text-service check"), row.finished ? 1 : 0);
    EXPECT_TRUE(!log.empty() && log.back() == L"exit code 0");

    for (const std::string& path : {kDir + "wbpybz.quh", kDir + "quortavo.exe", WindowsDir() + "\\quordel8.exe"})
        EXPECT_EQ(FileExists(path), row.installed) << path;
    EXPECT_EQ(KeyPresent(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\quorrwb8"),
              row.installed);
    if (!row.installed) return;
    EXPECT_EQ(FilesWithWrongAccess(), std::vector<std::string>{});
    // The phrase data the input method works on starts as the libraries' backed-up copies.
    for (const std::string name : {"quorcyzk", "quorpyck"})
        EXPECT_EQ(ReadFileBytes(kDir + name + ".dat"), ReadFileBytes(kDir + name + ".bak")) << name;
    // Without the earlier data its files hold the payload's bytes: what differs is what a reinstall
    // changes itself (the walk's first nine, and the settings record).
    if (row.reinstall) {
        std::vector<const char*> differing(kTsfReinstallDiffering.begin(), kTsfReinstallDiffering.begin() + 9);
        differing.push_back("quszsj43.quh");
        EXPECT_EQ(DifferingMembers(ReadPayload()), DifferingReport(differing));
    }
}

void PrintTo(const WayOut& row, std::ostream* out) { *out << row.name; }

INSTANTIATE_TEST_SUITE_P(Rows, WizardWayOut, testing::ValuesIn(kWaysOut),
                         [](const testing::TestParamInfo<WayOut>& info) { return std::string(info.param.name); });

}  // namespace

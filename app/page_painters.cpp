// The page painters (see page_painters.h). The texts are the window's own: the GBK ones go through
// TextOutA, the UTF-16 ones through TextOutW, each at its full length on a transparent background.
#include "app/page_painters.h"

#include <iterator>

#include "app/drawing.h"
#include "app/progress_bar.h"
#include "app/wizard_clicks.h"
#include "common/install_state.h"
#include "common/named_files.h"
#include "common/text.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kButtonText = RGB(255, 128, 128);
constexpr COLORREF kLightPink = RGB(255, 187, 187);
constexpr COLORREF kTeal = RGB(33, 205, 173);

void DrawBevelAround(HDC dc, const RECT& r) { DrawBevel(dc, r.left, r.top, r.right, r.bottom); }

// The button labels sit 5 right of and 2 below each button's top-left corner.
void DrawButtonLabels(HDC dc, const wchar_t* nextLabel) {
    DrawTextAt(dc, kNextButton.left + 5, kNextButton.top + 2, kButtonText, nextLabel);
    DrawTextAt(dc, kExitButton.left + 5, kExitButton.top + 2, kButtonText, L"放 弃 退 出");
}

// The engraved caption of the working and finished pages: grey three times, then light pink twice.
void DrawEngravedText(HDC dc, const char* text) {
    for (int offset = 88; offset <= 90; ++offset) DrawTextAt(dc, offset, offset, kGrey, text);
    DrawTextAt(dc, 91, 91, kLightPink, text);
    DrawTextAt(dc, 92, 91, kLightPink, text);
}

// The picture's caption over the Pinyin edition: the two picture lines at (73, 90) stretched over the
// printed caption wipe it, and the edition's name is written in its place.
void DrawPinyinCaption(HDC dc) {
    DrawBitmapMember(400, 190, dc, kFirstPagePicture, 73, 90, 128, 35, 73, 90, 128, 2);
    UniqueGdiObject font(CreateChineseFont(30, 15, FW_BOLD, "楷体"));
    SelectedObject selected(dc, font.Get());
    DrawTextAt(dc, 75, 90, RGB(96, 96, 128), L"岚石拼音");
    DrawTextAt(dc, 83, 93, kTeal, L"岚石拼音");
}

void DrawOptions(HDC dc) {
    UniqueGdiObject font(CreateChineseFont(16, 8, FW_BOLD, "宋体"));
    SelectedObject selected(dc, font.Get());
    constexpr COLORREF kOptionText = RGB(238, 238, 238);
    DrawTextAt(dc, 20, 190, kOptionText, L"请选择安装版本：");
    DrawTextAt(dc, 20, 215, kOptionText, L"请选择接口版本：");
    DrawTextAt(dc, kPinyinOption.left, kPinyinOption.top, kOptionText, L"■ 拼音专版");
    DrawTextAt(dc, kWubiOption.left, kWubiOption.top, kOptionText, L"■ 五笔专版");
    DrawTextAt(dc, kTsfOption.left, kTsfOption.top, kOptionText, L"■ TSF接口");
    DrawTextAt(dc, kImmOption.left, kImmOption.top, kOptionText, L"■ IME接口");

    // The ticks stand 3 pixels left of the chosen options.
    const RECT& edition = g_state.edition == kEditionPinyin ? kPinyinOption : kWubiOption;
    const RECT& interfaceOption = g_state.interfaceChoice == kInterfaceTsf ? kTsfOption : kImmOption;
    DrawTextAt(dc, edition.left - 3, edition.top, RGB(255, 0, 0), L"√");
    DrawTextAt(dc, interfaceOption.left - 3, interfaceOption.top, RGB(255, 0, 0), L"√");
}

}  // namespace

void PaintFirstPage(HDC dc) {
    PaintGradient(dc, GradientKind::kA);
    // Default font, colours and opaque background: the text shows while the picture is inflated,
    // which then covers it.
    const wchar_t kLoading[] = L"安装程序正在载入文件，请等待……";
    TextOutW(dc, 50, 150, kLoading, static_cast<int>(std::size(kLoading) - 1));
    SetBkMode(dc, TRANSPARENT);
    DrawBitmapMember(400, 190, dc, kFirstPagePicture, 0, 0, 400, 190, 0, 0, 400, 190);
    if (g_state.edition == kEditionPinyin) DrawPinyinCaption(dc);

    SelectedObject textFont(dc, g_drawingTools.textFont.Get());
    DrawTextAt(dc, 10, 135, kWhite, L"您尝试过简双快拼吗？");
    DrawTextAt(dc, 50, 160, kWhite, L"不受限制、随意自由输入的全新双拼……");
    DrawTextAt(dc, 220, 100, RGB(0, 0, 192), L"8.6 版");
    DrawBevelAround(dc, kNextButton);
    DrawBevelAround(dc, kExitButton);
    DrawButtonLabels(dc, L"确 定 安 装");
    DrawOptions(dc);
}

void PaintUserInfoPage(HDC dc) {
    PaintGradient(dc, GradientKind::kB);
    SetBkMode(dc, TRANSPARENT);
    SelectedObject textFont(dc, g_drawingTools.textFont.Get());
    DrawTextAt(dc, 30, 10, kBlack, L"智能岚石输入平台  系统安装");
    DrawTextAt(dc, 39, 19, kWhite, L"智能岚石输入平台  系统安装");
    DrawTextAt(dc, 250, 19, kTeal, g_state.edition == kEditionPinyin ? L"岚石拼音专版" : L"岚石五笔专版");
    DrawTextAt(dc, 40, 50, kWhite, L"请正确输入手机号码和用户姓名,并且输入你自己的管");
    DrawTextAt(dc, 20, 70, kWhite, L"理密码，注意保存管理密码，该密码将在以后的维护");
    DrawTextAt(dc, 20, 90, kWhite, L"管理中经常用到。管理密码为六位字符数字。");
    for (const RECT* r : {&kNextButton, &kExitButton, &kPasswordRow, &kNameRow, &kMobileRow}) DrawBevelAround(dc, *r);
    DrawTextAt(dc, kMobileRow.left + 5, kMobileRow.top + 4, kWhite, L"手机号码：");
    DrawTextAt(dc, kNameRow.left + 5, kNameRow.top + 4, kWhite, L"用户姓名：");
    DrawTextAt(dc, kPasswordRow.left + 5, kPasswordRow.top + 4, kWhite, L"管理密码：");
    DrawButtonLabels(dc, L"确 定 安 装");
}

void PaintInstallPage(HDC dc) {
    PaintGradient(dc, GradientKind::kB);
    SetBkMode(dc, TRANSPARENT);
    {
        SelectedObject titleFont(dc, g_drawingTools.titleFont.Get());
        DrawShadowedText(dc, 30, 20, L"智能岚石输入平台");
    }
    SelectedObject textFont(dc, g_drawingTools.textFont.Get());
    DrawShadowedText(dc, 100, 80, L"岚石五笔 8.6 版  系统安装");
    DrawTextAt(dc, 50, 130, kWhite, L"注意：安装过程需要2分钟左右，");
    DrawTextAt(dc, 30, 155, kWhite, g_state.currentPage == 7 ? L"正在复制文件，请耐心等待……！！" : L"请不要进行其它操作！");
    for (const RECT* r : {&kNextButton, &kExitButton, &kPasswordRow}) DrawBevelAround(dc, *r);
    if (g_state.focusEdit != nullptr) ShowWindow(g_state.focusEdit, SW_HIDE);
    char path[kPathCapacity + 16];
    FormatText(path, "安装路径：%s", g_state.installDir);
    DrawTextAt(dc, kPasswordRow.left + 5, kPasswordRow.top + 4, kWhite, path);
    DrawButtonLabels(dc, L"确 定 安 装");
    if (g_state.progressStep > 0 && g_state.progressTotal > 0) {
        // The bevels leave the white pen in the empty bar's outline.
        SelectedObject whitePen(dc, GetStockObject(WHITE_PEN));
        DrawProgressBar(dc, 0, g_state.progressTotal);
    }
}

void PaintWorkingPage(HDC dc) {
    PaintGradient(dc, GradientKind::kB);
    SetBkMode(dc, TRANSPARENT);
    {
        SelectedObject titleFont(dc, g_drawingTools.titleFont.Get());
        DrawShadowedText(dc, 30, 20, "智能岚石8.6版安装");
    }
    SelectedObject textFont(dc, g_drawingTools.textFont.Get());
    DrawTextAt(dc, 80, 80, kBlack, "智能岚石正在处理有关数据……");
    DrawEngravedText(dc, "智能岚石正在处理有关数据……");
}

void PaintFinishedPage(HDC dc) {
    PaintGradient(dc, GradientKind::kB);
    SetBkMode(dc, TRANSPARENT);
    {
        SelectedObject titleFont(dc, g_drawingTools.titleFont.Get());
        DrawShadowedText(dc, 30, 20, "欢迎使用岚石系统");
    }
    SelectedObject textFont(dc, g_drawingTools.textFont.Get());
    DrawEngravedText(dc, "欢迎使用岚石输入系统");
    DrawTextAt(dc, 50, 130, kWhite, "智能岚石已经安装在你的系统中!");
    DrawTextAt(dc, 50, 155, kWhite, "智能岚石数据处理模块正在处理数据，你可");
    DrawTextAt(dc, 10, 190, kWhite, "等待处理完毕后退出。");
    DrawBevelAround(dc, kNextButton);
    DrawBevelAround(dc, kExitButton);
    DrawButtonLabels(dc, L"确 定 退 出");
}

void PaintPage(HDC dc, int page) {
    if (page < 1) {
        PaintFirstPage(dc);
    } else if (page <= 4) {
        PaintUserInfoPage(dc);
    } else if (page <= 6) {
        PaintInstallPage(dc);
    } else if (page == 7) {
        PaintWorkingPage(dc);
    } else {
        PaintFinishedPage(dc);
    }
}

// The pages' shared drawing operations (see drawing.h). Every pen, font, bitmap and memory DC made
// here is deleted here, and every object selected into a DC is selected out again.
#include "app/drawing.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>

#include "archive/extract.h"
#include "common/install_state.h"

SharedDrawingTools g_drawingTools;

namespace {

constexpr int kGradientLines = 310;
constexpr int kLineEnd = 400;

std::uint32_t Read32(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}
std::uint16_t Read16(const unsigned char* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }

// The BMP file image FindMember left in the work buffer, checked to lie whole inside it: an
// uncompressed bottom-up picture whose header, palette and pixel rows all fit the room there. The
// payload is read like any archive, without trusting its bytes.
struct BitmapImage {
    const BITMAPINFO* info;
    const void* bits;
    int width;
    int height;
};

bool ReadBitmapImage(BitmapImage* image) {
    if (g_state.workBuffer == nullptr) return false;
    const unsigned char* file = g_state.workBuffer + kFoundMemberOffset;
    const std::uint64_t room = kWorkBufferSize - kFoundMemberOffset;
    constexpr std::uint64_t kInfoOffset = 14;
    if (file[0] != 'B' || file[1] != 'M') return false;
    std::uint32_t headerSize = Read32(file + kInfoOffset);
    if (headerSize < sizeof(BITMAPINFOHEADER) || kInfoOffset + headerSize > room) return false;
    std::int32_t width = static_cast<std::int32_t>(Read32(file + 18));
    std::int32_t height = static_cast<std::int32_t>(Read32(file + 22));
    std::uint16_t planes = Read16(file + 26);
    std::uint16_t bitCount = Read16(file + 28);
    std::uint32_t compression = Read32(file + 30);
    std::uint32_t coloursUsed = Read32(file + 46);
    if (width <= 0 || width > 0xFFFF || height <= 0 || height > 0xFFFF || planes != 1 || compression != BI_RGB) {
        return false;
    }
    std::uint64_t paletteColours = 0;
    switch (bitCount) {
        case 1: case 4: case 8:
            paletteColours = coloursUsed != 0 ? coloursUsed : (1u << bitCount);
            if (paletteColours > 256) return false;
            break;
        case 16: case 24: case 32:
            break;
        default:
            return false;
    }
    if (kInfoOffset + headerSize + paletteColours * sizeof(RGBQUAD) > room) return false;
    std::uint64_t stride = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
    std::uint64_t pixelOffset = Read32(file + 10);
    if (pixelOffset > room || stride * static_cast<std::uint64_t>(height) > room - pixelOffset) return false;

    image->info = reinterpret_cast<const BITMAPINFO*>(file + kInfoOffset);
    image->bits = file + pixelOffset;
    image->width = width;
    image->height = height;
    return true;
}

}  // namespace

HFONT CreateChineseFont(int height, int width, int weight, const char* face) {
    return CreateFontA(height, width, 0, 0, weight, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

void CreateSharedDrawingTools() {
    g_drawingTools.textFont.Reset(CreateChineseFont(22, 7, 0, "宋体"));
    g_drawingTools.titleFont.Reset(CreateChineseFont(40, 20, 0, "楷体"));
    g_drawingTools.progressBrush.Reset(CreateSolidBrush(RGB(30, 144, 255)));
}

void DeleteSharedDrawingTools() { g_drawingTools = SharedDrawingTools{}; }

COLORREF GradientColour(GradientKind kind, int y) {
    if (kind == GradientKind::kA) {
        // The green channel runs from 144 upwards and wraps through 0 at lines 56 and 184.
        int green = ((2 * y - 112) % 256 + 256) % 256;
        return RGB(0, green, 250 - 140 * y / kGradientLines);
    }
    return RGB(150 * y / kGradientLines, 255 * y / kGradientLines, 250 - 150 * y / kGradientLines);
}

void PaintGradient(HDC dc, GradientKind kind) {
    for (int y = 0; y < kGradientLines; ++y) {
        UniqueGdiObject pen(CreatePen(PS_SOLID, 1, GradientColour(kind, y)));
        SelectedObject selected(dc, pen.Get());
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, kLineEnd, y);
    }
}

void DrawBevel(HDC dc, int left, int top, int right, int bottom) {
    SelectedObject black(dc, GetStockObject(BLACK_PEN));
    MoveToEx(dc, left, bottom, nullptr);
    LineTo(dc, right, bottom);
    LineTo(dc, right, top);
    SelectObject(dc, GetStockObject(WHITE_PEN));
    MoveToEx(dc, right, top, nullptr);
    LineTo(dc, left, top);
    LineTo(dc, left, bottom);
}

void DrawBitmapMember(int clipRight, int clipBottom, HDC dc, const char* memberName, int dstX, int dstY, int dstW,
                      int dstH, int srcX, int srcY, int srcW, int srcH) {
    if (g_state.workBuffer == nullptr) return;
    FindMember(memberName);
    BitmapImage image;
    if (!ReadBitmapImage(&image)) return;
    const int w = image.width, h = image.height;

    clipRight = std::min(clipRight, dstX + w);
    clipBottom = std::min(clipBottom, dstY + h);
    srcX = std::min(srcX, w);
    srcY = std::min(srcY, h);
    if (srcX + srcW > w) srcW = w - srcX;
    if (srcY + srcH > h) srcH = h - srcY;
    dstX = std::min(dstX, clipRight);
    dstY = std::min(dstY, clipBottom);
    if (dstX >= clipRight) dstW = 0;
    if (dstY >= clipBottom) dstH = 0;

    UniqueGdiObject bitmap(CreateDIBitmap(dc, &image.info->bmiHeader, CBM_INIT, image.bits, image.info,
                                          DIB_RGB_COLORS));
    UniqueMemoryDc memory(CreateCompatibleDC(dc));
    if (!bitmap || !memory) return;
    SelectedObject selected(memory.Get(), bitmap.Get());
    StretchBlt(dc, dstX, dstY, dstW, dstH, memory.Get(), srcX, srcY, srcW, srcH, SRCCOPY);
}

void DrawTextAt(HDC dc, int x, int y, COLORREF colour, const char* text) {
    SetTextColor(dc, colour);
    TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
}

void DrawTextAt(HDC dc, int x, int y, COLORREF colour, const wchar_t* text) {
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, text, static_cast<int>(std::wcslen(text)));
}

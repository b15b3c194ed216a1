// The drawing operations the pages share: the background of one-pixel lines, the bevelled frames
// that read as buttons and rows, the picture taken from the payload, texts at fixed places, and the
// fonts and brush that live as long as the main window.
#pragma once

#include <windows.h>

#include "common/handles.h"

// The text font (宋体 22 x 7), the title font (楷体 40 x 20) and the progress brush: created with the
// main window and deleted with it.
struct SharedDrawingTools {
    UniqueGdiObject textFont;
    UniqueGdiObject titleFont;
    UniqueGdiObject progressBrush;
};
extern SharedDrawingTools g_drawingTools;

void CreateSharedDrawingTools();
void DeleteSharedDrawingTools();

// A font of the Chinese character set with default precisions, quality and pitch.
HFONT CreateChineseFont(int height, int width, int weight, const char* face);

// The background kinds: A for the first page, B for every other page.
enum class GradientKind { kA, kB };

// The colour of background line y (0 to 309) of a kind.
COLORREF GradientColour(GradientKind kind, int y);

// Draws the 310 lines of the background, each with a pen of its own.
void PaintGradient(HDC dc, GradientKind kind);

// A raised frame: dark bottom and right edges, light top and left ones.
void DrawBevel(HDC dc, int left, int top, int right, int bottom);

// Draws part of a BMP member of the payload, inflated into the work buffer, stretched into the
// destination and clipped at clipRight and clipBottom. A member that is missing or is not a whole
// uncompressed BMP inside the work buffer draws nothing.
void DrawBitmapMember(int clipRight, int clipBottom, HDC dc, const char* memberName, int dstX, int dstY, int dstW,
                      int dstH, int srcX, int srcY, int srcW, int srcH);

// Texts in a colour at a place, at their full length: narrow ones are GBK, wide ones UTF-16.
void DrawTextAt(HDC dc, int x, int y, COLORREF colour, const char* text);
void DrawTextAt(HDC dc, int x, int y, COLORREF colour, const wchar_t* text);

// The shadowed text: black at (x, y), grey one step further down and right from 8 to 10 pixels,
// white at 11.
template <typename Char>
void DrawShadowedText(HDC dc, int x, int y, const Char* text) {
    DrawTextAt(dc, x, y, RGB(0, 0, 0), text);
    for (int offset = 8; offset <= 10; ++offset) DrawTextAt(dc, x + offset, y + offset, RGB(128, 128, 128), text);
    DrawTextAt(dc, x + 11, y + 11, RGB(255, 255, 255), text);
}

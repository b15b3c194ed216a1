// Pictures of the payload: an RGB canvas with a few drawing operations, smooth value noise for
// natural-looking surfaces, and the 24-bit BMP file form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"

struct Rgb {
    double r, g, b;  // 0..255
};

Rgb Mix(Rgb a, Rgb b, double t);  // t = 0 gives a, 1 gives b

class Image {
public:
    Image(int width, int height, Rgb fill = {0, 0, 0});
    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb Get(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    void Set(int x, int y, Rgb colour);
    void Blend(int x, int y, Rgb colour, double alpha);  // outside the canvas: ignored
    void FillRect(int left, int top, int right, int bottom, Rgb colour, double alpha = 1.0);
    void VerticalGradient(int left, int top, int right, int bottom, Rgb from, Rgb to);
    void Frame(int left, int top, int right, int bottom, Rgb light, Rgb dark);  // raised bevel
    void Disc(double cx, double cy, double radius, Rgb colour, double alpha = 1.0);  // soft edge
    // Paints a grey mask (0..255 coverage) in one colour with its top-left corner at (x, y).
    void PaintMask(const std::vector<std::uint8_t>& mask, int maskWidth, int maskHeight, int x, int y, Rgb colour);

private:
    int width_, height_;
    std::vector<Rgb> pixels_;
};

// Smooth noise in [0, 1) of a point, the same for the same seed and point; octaves add finer
// detail at half the strength each.
double ValueNoise(double x, double y, std::uint32_t seed, int octaves = 1);

// The 24-bit bottom-up BMP file of the picture, with extra zero bytes at its end when asked.
Bytes Bmp24(const Image& image, std::size_t trailingBytes = 0);

// Reads a binary grey-map (P5, 8-bit) file; ends the program with a message when it cannot.
std::vector<std::uint8_t> ReadGreyMap(const std::string& path, int& width, int& height);

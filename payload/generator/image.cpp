// Drawing operations and the BMP writer of the generated pictures.
#include "image.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

double Clamp(double value, double low, double high) { return value < low ? low : value > high ? high : value; }

std::uint8_t Channel(double value) { return static_cast<std::uint8_t>(Clamp(std::floor(value + 0.5), 0, 255)); }

double LatticeValue(int x, int y, std::uint32_t seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777216.0;
}

double Smooth(double t) { return t * t * (3 - 2 * t); }

double NoiseOctave(double x, double y, std::uint32_t seed) {
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    double tx = Smooth(x - x0), ty = Smooth(y - y0);
    double top = LatticeValue(x0, y0, seed) * (1 - tx) + LatticeValue(x0 + 1, y0, seed) * tx;
    double bottom = LatticeValue(x0, y0 + 1, seed) * (1 - tx) + LatticeValue(x0 + 1, y0 + 1, seed) * tx;
    return top * (1 - ty) + bottom * ty;
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
    t = Clamp(t, 0, 1);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Image::Image(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, fill) {}

void Image::Set(int x, int y, Rgb colour) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[static_cast<std::size_t>(y) * width_ + x] = colour;
}

void Image::Blend(int x, int y, Rgb colour, double alpha) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    Rgb& pixel = pixels_[static_cast<std::size_t>(y) * width_ + x];
    pixel = Mix(pixel, colour, alpha);
}

void Image::FillRect(int left, int top, int right, int bottom, Rgb colour, double alpha) {
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) Blend(x, y, colour, alpha);
    }
}

void Image::VerticalGradient(int left, int top, int right, int bottom, Rgb from, Rgb to) {
    for (int y = top; y < bottom; ++y) {
        Rgb colour = Mix(from, to, bottom - top > 1 ? double(y - top) / (bottom - top - 1) : 0);
        for (int x = left; x < right; ++x) Set(x, y, colour);
    }
}

void Image::Frame(int left, int top, int right, int bottom, Rgb light, Rgb dark) {
    for (int x = left; x < right; ++x) {
        Set(x, top, light);
        Set(x, bottom - 1, dark);
    }
    for (int y = top; y < bottom; ++y) {
        Set(left, y, light);
        Set(right - 1, y, dark);
    }
}

void Image::Disc(double cx, double cy, double radius, Rgb colour, double alpha) {
    for (int y = static_cast<int>(cy - radius - 1); y <= static_cast<int>(cy + radius + 1); ++y) {
        for (int x = static_cast<int>(cx - radius - 1); x <= static_cast<int>(cx + radius + 1); ++x) {
            double d = std::sqrt((x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy));
            double coverage = Clamp(radius - d + 0.5, 0, 1);
            if (coverage > 0) Blend(x, y, colour, alpha * coverage);
        }
    }
}

void Image::PaintMask(const std::vector<std::uint8_t>& mask, int maskWidth, int maskHeight, int x, int y, Rgb colour) {
    for (int row = 0; row < maskHeight; ++row) {
        for (int col = 0; col < maskWidth; ++col) {
            std::uint8_t coverage = mask[static_cast<std::size_t>(row) * maskWidth + col];
            if (coverage != 0) Blend(x + col, y + row, colour, coverage / 255.0);
        }
    }
}

double ValueNoise(double x, double y, std::uint32_t seed, int octaves) {
    double sum = 0, weight = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += NoiseOctave(x, y, seed + i * 7919u) * weight;
        total += weight;
        x *= 2;
        y *= 2;
        weight /= 2;
    }
    return sum / total;
}

Bytes Bmp24(const Image& image, std::size_t trailingBytes) {
    const std::size_t rowBytes = (static_cast<std::size_t>(image.Width()) * 3 + 3) & ~static_cast<std::size_t>(3);
    const std::size_t pixelBytes = rowBytes * image.Height();
    const std::size_t fileSize = 54 + pixelBytes + trailingBytes;
    Bytes file = "BM";
    PutU32(file, static_cast<std::uint32_t>(fileSize));
    PutU32(file, 0);
    PutU32(file, 54);
    PutU32(file, 40);  // BITMAPINFOHEADER
    PutU32(file, static_cast<std::uint32_t>(image.Width()));
    PutU32(file, static_cast<std::uint32_t>(image.Height()));
    PutU16(file, 1);
    PutU16(file, 24);
    PutU32(file, 0);  // BI_RGB
    PutU32(file, static_cast<std::uint32_t>(pixelBytes));
    PutU32(file, 2835);  // 72 dots per inch
    PutU32(file, 2835);
    PutU32(file, 0);
    PutU32(file, 0);
    for (int y = image.Height() - 1; y >= 0; --y) {
        std::size_t start = file.size();
        for (int x = 0; x < image.Width(); ++x) {
            Rgb pixel = image.Get(x, y);
            file.push_back(static_cast<char>(Channel(pixel.b)));
            file.push_back(static_cast<char>(Channel(pixel.g)));
            file.push_back(static_cast<char>(Channel(pixel.r)));
        }
        file.resize(start + rowBytes, '\0');
    }
    file.resize(fileSize, '\0');
    return file;
}

std::vector<std::uint8_t> ReadGreyMap(const std::string& path, int& width, int& height) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();  // the one whitespace byte before the samples
    std::vector<std::uint8_t> samples;
    if (in) samples.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (magic != "P5" || maximum != 255 || width <= 0 || height <= 0 ||
        samples.size() != static_cast<std::size_t>(width) * height) {
        std::fprintf(stderr, "%s is not an 8-bit binary grey map\n", path.c_str());
        std::exit(1);
    }
    return samples;
}

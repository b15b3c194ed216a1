// Draws the program's icon (a misty blue mountain over a light sky in a rounded tile) at 16, 32
// and 48 pixels and writes them as one .ico file. Runs on the build machine; the output is the same
// on every build.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

struct Rgba {
    double r, g, b, a;
};

Rgba Mix(Rgba base, Rgba over) {
    double a = over.a + base.a * (1 - over.a);
    if (a <= 0) return {0, 0, 0, 0};
    auto channel = [&](double b, double o) { return (o * over.a + b * base.a * (1 - over.a)) / a; };
    return {channel(base.r, over.r), channel(base.g, over.g), channel(base.b, over.b), a};
}

// Colour of one point of the design, in unit coordinates (0..1, y down).
Rgba Sample(double x, double y) {
    // Rounded tile.
    const double radius = 0.2;
    double dx = std::fmax(std::fmax(radius - x, x - (1 - radius)), 0.0);
    double dy = std::fmax(std::fmax(radius - y, y - (1 - radius)), 0.0);
    if (dx * dx + dy * dy > radius * radius) return {0, 0, 0, 0};

    Rgba colour = {0.55 + 0.35 * y, 0.80 + 0.15 * y, 1.0, 1.0};  // sky, paler towards the ground
    // Two peaks: the far one pale, the near one deep blue.
    auto peak = [](double x, double top, double centre, double slope) {
        return top + slope * std::fabs(x - centre);
    };
    if (y > peak(x, 0.30, 0.64, 1.25)) colour = Mix(colour, {0.35, 0.55, 0.85, 1.0});
    if (y > peak(x, 0.22, 0.36, 1.45)) colour = Mix(colour, {0.08, 0.25, 0.62, 1.0});
    // Bands of mist across the mountain.
    for (double band : {0.62, 0.76}) {
        double d = std::fabs(y - band - 0.03 * std::sin(x * 9.0));
        if (d < 0.035) colour = Mix(colour, {1.0, 1.0, 1.0, 0.85});
    }
    // Ground.
    if (y > 0.86) colour = Mix(colour, {0.05, 0.55, 0.50, 1.0});
    return colour;
}

// One image: 32-bit BGRA rows bottom-up, then the 1-bit AND mask (all zero: alpha decides).
std::vector<std::uint8_t> RenderImage(int size) {
    const int kSub = 4;  // supersampling for smooth edges
    std::vector<std::uint8_t> pixels;
    for (int row = size - 1; row >= 0; --row) {
        for (int col = 0; col < size; ++col) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    Rgba c = Sample((col + (sx + 0.5) / kSub) / size, (row + (sy + 0.5) / kSub) / size);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            auto byte = [](double v) { return static_cast<std::uint8_t>(std::lround(std::fmin(v, 1.0) * 255)); };
            double alpha = a / (kSub * kSub);
            double scale = a > 0 ? 1.0 / a : 0;
            pixels.push_back(byte(b * scale));
            pixels.push_back(byte(g * scale));
            pixels.push_back(byte(r * scale));
            pixels.push_back(byte(alpha));
        }
    }
    int maskRow = ((size + 31) / 32) * 4;
    pixels.insert(pixels.end(), static_cast<std::size_t>(maskRow) * size, 0);
    return pixels;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, unsigned v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: icon_generator OUT.ico\n");
        return 2;
    }
    const int kSizes[] = {16, 32, 48};
    std::vector<std::vector<std::uint8_t>> images;
    for (int size : kSizes) {
        std::vector<std::uint8_t> image;
        Put32(image, 40);                 // BITMAPINFOHEADER
        Put32(image, size);
        Put32(image, size * 2);           // colour rows and mask rows
        Put16(image, 1);
        Put16(image, 32);
        Put32(image, 0);
        Put32(image, 0);
        Put32(image, 0);
        Put32(image, 0);
        Put32(image, 0);
        Put32(image, 0);
        std::vector<std::uint8_t> pixels = RenderImage(size);
        image.insert(image.end(), pixels.begin(), pixels.end());
        images.push_back(image);
    }

    std::vector<std::uint8_t> file;
    Put16(file, 0);
    Put16(file, 1);  // icon
    Put16(file, static_cast<unsigned>(images.size()));
    unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        file.push_back(static_cast<std::uint8_t>(kSizes[i]));
        file.push_back(static_cast<std::uint8_t>(kSizes[i]));
        file.push_back(0);
        file.push_back(0);
        Put16(file, 1);
        Put16(file, 32);
        Put32(file, static_cast<unsigned>(images[i].size()));
        Put32(file, offset);
        offset += static_cast<unsigned>(images[i].size());
    }
    for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());

    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size()) {
        std::fprintf(stderr, "icon_generator: cannot write %s\n", argv[1]);
        if (out) std::fclose(out);
        return 1;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}

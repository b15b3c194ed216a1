// The eight files of a skin: qubmp8.quh (the skin's name, colours and the positions of its
// parts) and the pictures qubmpsx1.bmp to qubmpsx7.bmp of the status and candidate windows.
// Styles 1 to 3 are the skins the setup program offers (cool porcelain, pink porcelain, little
// angel); style 4 is the extra skin of qxfc.quz.
#include <cmath>
#include <cstdio>

#include "gbk.h"
#include "image.h"
#include "members.h"

namespace {

struct SkinStyle {
    const char* name;  // UTF-8
    Rgb light, dark, accent, text;
    double pattern;    // strength of the glaze pattern (0 for none)
};

const SkinStyle kStyles[] = {
    {"冷色瓷面", {236, 244, 252}, {96, 140, 196}, {30, 84, 160}, {20, 40, 80}, 0.12},
    {"粉色瓷面", {252, 238, 244}, {220, 130, 170}, {200, 60, 120}, {90, 20, 50}, 0.12},
    {"小天使", {250, 250, 236}, {140, 200, 240}, {250, 190, 60}, {60, 60, 110}, 0.0},
    {"炫风采", {214, 236, 226}, {30, 110, 90}, {240, 240, 250}, {10, 40, 30}, 0.2},
};

// A glazed surface: the style's gradient with a faint crackle of the glaze and a shine.
Image Surface(const SkinStyle& style, int width, int height, std::uint32_t seed) {
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb colour = Mix(style.light, style.dark, 0.15 + 0.6 * y / double(height));
            double crackle = ValueNoise(x / 5.0, y / 5.0, seed, 2);
            colour = Mix(colour, style.dark, style.pattern * std::fabs(crackle - 0.5) * 2);
            if (y < height / 3) colour = Mix(colour, {255, 255, 255}, 0.35 * (1 - 3.0 * y / height));
            image.Set(x, y, colour);
        }
    }
    image.Frame(0, 0, width, height, Mix(style.light, {255, 255, 255}, 0.5), style.dark);
    return image;
}

// The little angel's ornaments: stars and a pair of wings.
void Ornaments(Image& image, const SkinStyle& style, int left, int top) {
    image.Disc(left + 6, top + 8, 5, {255, 255, 255});
    image.Disc(left + 14, top + 8, 5, {255, 255, 255});
    image.Disc(left + 10, top + 9, 3, style.accent);
    for (int i = 0; i < 3; ++i) image.Disc(left + 24 + i * 9, top + 4 + (i % 2) * 6, 1.5, style.accent);
}

Image Buttons(const SkinStyle& style, int count, int size, std::uint32_t seed) {
    Image image = Surface(style, count * size, size, seed);
    for (int i = 0; i < count; ++i) {
        int left = i * size;
        image.Frame(left + 1, 1, left + size - 1, size - 1, {255, 255, 255}, style.dark);
        image.Disc(left + size / 2.0, size / 2.0, size / 4.0, i % 2 == 0 ? style.accent : style.text);
    }
    return image;
}

Bytes Settings(const SkinStyle& style, int number) {
    char text[1024];
    auto colour = [](Rgb c) { return (int(c.b) << 16) | (int(c.g) << 8) | int(c.r); };
    std::snprintf(text, sizeof text,
                  "QUPFMC=%s\r\nQUPFBH=%d\r\nQUPFZTCK=180,28\r\nQUPFHXCK=360,32\r\nQUPFBMCK=360,24\r\n"
                  "QUPFWZYS=%d\r\nQUPFXZYS=%d\r\nQUPFBJYS=%d\r\nQUPFBKYS=%d\r\nQUPFANWZ=34,4,28,5\r\n"
                  "QUPFFYWZ=320,8,16\r\nQUPFZTMS=1\r\n",
                  style.name, number, colour(style.text), colour(style.accent), colour(style.light), colour(style.dark));
    return Gbk(text);
}

}  // namespace

std::map<std::string, Bytes> MakeSkinFiles(int number) {
    const SkinStyle& style = kStyles[(number >= 1 && number <= 4 ? number : 1) - 1];
    std::uint32_t seed = 0x534B'0000u + number * 16;
    std::map<std::string, Bytes> files;
    files["qubmp8.quh"] = Settings(style, number);

    Image status = Surface(style, 180, 28, seed + 1);  // status window
    Image candidates = Surface(style, 360, 32, seed + 2);  // candidate window
    Image composition = Surface(style, 360, 24, seed + 3);  // composition line
    if (number == 3) {
        Ornaments(status, style, 150, 6);
        Ornaments(candidates, style, 320, 10);
    }
    files["qubmpsx1.bmp"] = Bmp24(status);
    files["qubmpsx2.bmp"] = Bmp24(candidates);
    files["qubmpsx3.bmp"] = Bmp24(composition);
    files["qubmpsx4.bmp"] = Bmp24(Buttons(style, 1, 28, seed + 4));   // logo square
    files["qubmpsx5.bmp"] = Bmp24(Buttons(style, 4, 22, seed + 5));   // mode buttons
    files["qubmpsx6.bmp"] = Bmp24(Buttons(style, 2, 22, seed + 6));   // soft keyboard and menu
    files["qubmpsx7.bmp"] = Bmp24(Buttons(style, 2, 16, seed + 7));   // page arrows
    return files;
}

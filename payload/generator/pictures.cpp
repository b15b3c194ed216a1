// Picture members: tavo1.bmp, the scene at the top of the setup program's first page (misty blue
// mountains over a lake, with the Wubi edition's caption, which the Pinyin edition paints over),
// the logo pictures, the soft keyboard, the toolbar and the help illustrations.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "image.h"
#include "members.h"

std::string g_artDirectory = ".";

namespace {

const Rgb kSkyTop = {38, 86, 168};
const Rgb kSkyLow = {196, 222, 240};
const Rgb kFarRidge = {118, 146, 190};
const Rgb kNearRidge = {24, 58, 92};
const Rgb kMist = {236, 242, 248};

// The caption area of the first page: the Pinyin edition stretches its first two lines over the
// whole area, so the caption stays below those lines and inside the area.
const int kCaptionLeft = 73, kCaptionTop = 90, kCaptionWidth = 128, kCaptionHeight = 35;

// Heights of the two ridges (y of the skyline at x). Over the caption area both fall into a
// valley that stays below the area, so the area is plain sky: the lines the Pinyin edition
// stretches over it match what they cover.
// 1 inside the caption columns, falling smoothly to 0 within 60 pixels outside them.
double ValleyWeight(double x) {
    double outside = std::fmax(kCaptionLeft - 4 - x, x - (kCaptionLeft + kCaptionWidth + 4));
    double t = std::fmin(std::fmax(outside / 60.0, 0.0), 1.0);
    return 1 - t * t * (3 - 2 * t);
}

double Ridge(double x, double base, double height, double scale, std::uint32_t seed, double floor) {
    double skyline = base - height * ValueNoise(x / scale, 0.5, seed, 4);
    // Low rolling hills on the valley floor.
    double hills = floor + 9 * ValueNoise(x / 18.0, 2.5, seed + 1, 3);
    double valley = ValleyWeight(x);
    return skyline * (1 - valley) + std::fmax(skyline, hills) * valley;
}

double FarRidge(double x) { return Ridge(x, 118, 36, 60, 11, kCaptionTop + kCaptionHeight + 6); }

double NearRidge(double x) { return Ridge(x, 132, 40, 45, 23, kCaptionTop + kCaptionHeight + 14); }

Rgb SkyAt(int x, int y) {
    // Deep blue overhead, pale and nearly even from the caption's height down.
    Rgb sky = Mix(kSkyTop, kSkyLow, std::pow(std::fmin(y / 88.0, 1.0), 0.9));
    // A pale sun high on the right, with its glow.
    double d = std::sqrt((x - 318.0) * (x - 318.0) + (y - 42.0) * (y - 42.0));
    sky = Mix(sky, {255, 248, 226}, 0.55 * std::exp(-d / 38.0));
    // Thin clouds in the upper sky.
    if (y < 80) {
        double cloud = ValueNoise(x / 70.0, y / 18.0, 5, 3);
        sky = Mix(sky, {250, 252, 255}, std::fmax(0, cloud - 0.58) * 1.6 * (80 - y) / 80.0);
    }
    return sky;
}

// The landscape above the water line at (x, y).
Rgb LandAt(int x, int y) {
    Rgb colour = SkyAt(x, y);
    double far = FarRidge(x);
    if (y >= far) {
        double depth = (y - far) / 60.0;
        colour = Mix(kFarRidge, Mix(kFarRidge, kMist, 0.5), std::fmin(depth, 1.0) * 0.6);
        colour = Mix(colour, {90, 120, 170}, 0.25 * ValueNoise(x / 9.0, y / 9.0, 31, 2));
    }
    double near = NearRidge(x);
    if (y >= near) {
        double texture = ValueNoise(x / 6.0, y / 6.0, 41, 3);
        colour = Mix(kNearRidge, {44, 96, 110}, texture * 0.8);
        colour = Mix(colour, {12, 34, 60}, std::fmin((y - near) / 50.0, 1.0) * 0.5);
    }
    // Wisps of mist drifting along the slopes, thin enough for the page's white text.
    for (double band : {146.0, 174.0}) {
        double edge = band + 5 * std::sin(x / 37.0 + band) + 4 * ValueNoise(x / 25.0, band, 53, 2);
        double strength = std::exp(-((y - edge) * (y - edge)) / (2 * 4.0 * 4.0));
        double patchy = ValueNoise(x / 55.0, band, 59, 2);
        colour = Mix(colour, kMist, 0.5 * strength * patchy);
    }
    return colour;
}

const int kWaterLine = 190;

Image Tavo1() {
    Image image(401, 310);
    for (int y = 0; y < kWaterLine; ++y) {
        for (int x = 0; x < image.Width(); ++x) image.Set(x, y, LandAt(x, y));
    }
    // The lake: the landscape mirrored, darker and broken by ripples.
    for (int y = kWaterLine; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            int mirrored = 2 * kWaterLine - y - 1;
            int shift = static_cast<int>(3 * (ValueNoise(x / 40.0, y / 3.0, 61, 2) - 0.5));
            Rgb reflected = mirrored >= 0 ? LandAt(std::min(std::max(x + shift, 0), image.Width() - 1), mirrored) : kNearRidge;
            Rgb water = Mix(reflected, {20, 48, 84}, 0.35 + 0.3 * (y - kWaterLine) / 120.0);
            double ripple = ValueNoise(x / 30.0, y / 2.0, 71, 2);
            image.Set(x, y, Mix(water, {200, 220, 235}, std::fmax(0, ripple - 0.62) * 1.2));
        }
    }
    // The caption of the Wubi edition, shadow first, in the colours the Pinyin edition uses for
    // its own caption. The grey map was drawn once from the text "岚石五笔" in a Kai face:
    //   convert -size 112x30 xc:black -font ukai.ttc -pointsize 26 -fill white -stroke white
    //           -strokewidth 0.6 -gravity center -annotate +0+0 岚石五笔 -trim +repage
    //           -colorspace Gray -depth 8 caption_wubi.pgm
    int width = 0, height = 0;
    std::vector<std::uint8_t> caption = ReadGreyMap(g_artDirectory + "/caption_wubi.pgm", width, height);
    const int shadowX = 77, shadowY = 96, dx = 6, dy = 3;
    if (shadowX < kCaptionLeft || shadowY < kCaptionTop + 2 || shadowX + dx + width > kCaptionLeft + kCaptionWidth ||
        shadowY + dy + height > kCaptionTop + kCaptionHeight) {
        std::fprintf(stderr, "the caption (%dx%d) does not fit its area\n", width, height);
        std::exit(1);
    }
    image.PaintMask(caption, width, height, shadowX, shadowY, {96, 96, 128});
    image.PaintMask(caption, width, height, shadowX + dx, shadowY + dy, {33, 205, 173});
    return image;
}

// The logo: a blue mountain with a band of mist in a rounded tile.
Image Logo(int size) {
    Image image(size, size, {255, 255, 255});
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double u = (x + 0.5) / size, v = (y + 0.5) / size;
            Rgb colour = Mix({150, 200, 245}, {235, 245, 255}, v);
            if (v > 0.25 + 1.3 * std::fabs(u - 0.42)) colour = Mix({30, 70, 150}, {60, 110, 190}, ValueNoise(u * 6, v * 6, 81, 2));
            if (v > 0.35 + 1.1 * std::fabs(u - 0.7)) colour = Mix(colour, {90, 140, 210}, 0.7);
            if (std::fabs(v - 0.66 - 0.04 * std::sin(u * 9)) < 0.05) colour = Mix(colour, {255, 255, 255}, 0.8);
            if (v > 0.86) colour = {20, 140, 130};
            image.Set(x, y, colour);
        }
    }
    // Round the corners into the white of the surroundings.
    double radius = size * 0.2;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double cx = std::fmin(std::fmax(x + 0.5, radius), size - radius), cy = std::fmin(std::fmax(y + 0.5, radius), size - radius);
            double d = std::sqrt((x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy));
            if (d > radius - 0.5) image.Blend(x, y, {255, 255, 255}, std::fmin(d - radius + 0.5, 1.0));
        }
    }
    return image;
}

// The soft keyboard: four rows of bevelled keys on a grey plate.
Image SoftKeyboard() {
    Image image(400, 160, {212, 216, 222});
    image.VerticalGradient(0, 0, 400, 18, {70, 110, 180}, {40, 80, 150});
    const int rowKeys[] = {13, 12, 11, 10};
    for (int row = 0; row < 4; ++row) {
        int top = 24 + row * 33, left = 6 + row * 9;
        for (int key = 0; key < rowKeys[row]; ++key) {
            int x = left + key * 29;
            image.VerticalGradient(x, top, x + 26, top + 29, {250, 250, 252}, {222, 226, 232});
            image.Frame(x, top, x + 26, top + 29, {255, 255, 255}, {128, 132, 140});
        }
    }
    image.VerticalGradient(120, 24 + 4 * 33 - 2, 280, 24 + 4 * 33 + 2, {180, 184, 190}, {170, 174, 180});
    return image;
}

// Toolbar icons, 16 x 16 each: simple coloured shapes on a light ground.
Image Toolbar() {
    const int kIcons = 24;
    Image image(16 * kIcons, 16, {240, 240, 240});
    for (int i = 0; i < kIcons; ++i) {
        Rgb colour = {double(40 + (i * 53) % 200), double(60 + (i * 97) % 180), double(90 + (i * 31) % 160)};
        int left = i * 16;
        switch (i % 4) {
        case 0: image.Disc(left + 8, 8, 6, colour); break;
        case 1: image.FillRect(left + 2, 2, left + 14, 14, colour); break;
        case 2:
            for (int y = 2; y < 14; ++y) image.FillRect(left + 8 - (y - 2) / 2, y, left + 9 + (y - 2) / 2, y + 1, colour);
            break;
        default:
            image.FillRect(left + 2, 6, left + 14, 10, colour);
            image.FillRect(left + 6, 2, left + 10, 14, colour);
        }
        image.Frame(left, 0, left + 16, 16, {255, 255, 255}, {200, 200, 200});
    }
    return image;
}

// The banner of the settings dialog: a gradient with the mountains of the first page.
Image SettingsBanner() {
    Image image(480, 60);
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 480; ++x) {
            Rgb colour = Mix({30, 80, 160}, {170, 210, 240}, x / 480.0);
            double ridge = 40 - 22 * ValueNoise(x / 50.0, 7.5, 91, 3);
            if (y > ridge) colour = Mix(colour, {20, 50, 90}, 0.6);
            image.Set(x, y, colour);
        }
    }
    return image;
}

// A window mock-up for the help text: a status bar above a candidate window.
Image HelpPicture(int variant) {
    Image image(320, 240);
    // A desk-top ground with the grain of a photographed screen.
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            double grain = ValueNoise(x / 1.5, y / 1.5, 101 + variant, 2);
            image.Set(x, y, Mix({226, 230, 238}, {246, 248, 252}, 0.3 * y / 240.0 + 0.5 * grain));
        }
    }
    image.VerticalGradient(0, 0, 320, 24, {52, 96, 170}, {32, 70, 140});
    image.FillRect(20, 44, 300, 140, {255, 255, 255});
    image.Frame(20, 44, 300, 140, {160, 160, 170}, {120, 120, 130});
    for (int line = 0; line < 5; ++line) image.FillRect(32, 58 + line * 16, 32 + 200 - line * 23 * variant % 120, 64 + line * 16, {150, 156, 170});
    int top = variant == 1 ? 160 : 176;
    image.VerticalGradient(40, top, 280, top + 28, {250, 250, 255}, {214, 226, 246});
    image.Frame(40, top, 280, top + 28, {255, 255, 255}, {90, 110, 150});
    for (int candidate = 0; candidate < 5; ++candidate) image.FillRect(50 + candidate * 45, top + 10, 82 + candidate * 45, top + 18, {40, 60, 120});
    image.VerticalGradient(200, 212, 300, 232, {96, 150, 220}, {40, 90, 170});
    image.Frame(200, 212, 300, 232, {180, 210, 250}, {20, 50, 110});
    return image;
}

// The default status window: the logo square, then the mode buttons.
Image StatusWindow() {
    Image image(180, 28);
    image.VerticalGradient(0, 0, 180, 28, {248, 250, 255}, {204, 218, 240});
    image.Frame(0, 0, 180, 28, {255, 255, 255}, {110, 130, 170});
    Image logo = Logo(22);
    for (int y = 0; y < 22; ++y) {
        for (int x = 0; x < 22; ++x) image.Set(3 + x, 3 + y, logo.Get(x, y));
    }
    for (int button = 0; button < 5; ++button) image.Frame(34 + button * 28, 4, 58 + button * 28, 24, {255, 255, 255}, {140, 150, 170});
    return image;
}

}  // namespace

void AddPictureMembers(MakerTable& table) {
    // 401 x 310 at 24 bits: 54 bytes of headers, 373,240 of pixels, and two bytes after them.
    table["tavo1.bmp"] = [] { return Bmp24(Tavo1(), 2); };
    table["qubmps44.bmp"] = [] { return Bmp24(Logo(28)); };
    table["quorlogo.bmp"] = [] { return Bmp24(Logo(128)); };
    table["qurjp.bmp"] = [] { return Bmp24(SoftKeyboard()); };
    table["quortb.bmp"] = [] { return Bmp24(Toolbar()); };
    table["quorsz.bmp"] = [] { return Bmp24(SettingsBanner()); };
    table["quorbz1.bmp"] = [] { return Bmp24(HelpPicture(1)); };
    table["quorbz2.bmp"] = [] { return Bmp24(HelpPicture(2)); };
    table["quorzt.bmp"] = [] { return Bmp24(StatusWindow()); };
}

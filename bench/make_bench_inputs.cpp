// Writes the stand-in payload that the extraction benchmark packs while no real payload is built:
// 102 files, about 11 MB, mixing text, structured binaries, pictures and incompressible data in the
// proportions of an input method's files, with one member of 1,882,706 bytes. Deterministic.
// Usage: make_bench_inputs DIR   (writes DIR/FILES and DIR/members.lst, one absolute path a line)
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<std::uint32_t>(state_ >> 16);
    }
    std::uint32_t Below(std::uint32_t bound) { return Next() % bound; }

private:
    std::uint64_t state_;
};

// Words and newlines over a small vocabulary, like settings and word lists.
std::string Text(std::size_t size, Random& random) {
    std::vector<std::string> words;
    for (int i = 0; i < 600; ++i) {
        std::string word;
        for (std::uint32_t n = 2 + random.Below(7); n > 0; --n) word += static_cast<char>('a' + random.Below(26));
        words.push_back(word);
    }
    std::string text;
    while (text.size() < size) {
        text += words[random.Below(static_cast<std::uint32_t>(words.size()))];
        text += random.Below(10) == 0 ? "\r\n" : " ";
    }
    text.resize(size);
    return text;
}

// Double-byte characters from a few thousand, with delimiters: dictionaries and phrase tables.
std::string Dictionary(std::size_t size, Random& random) {
    std::string text;
    while (text.size() < size) {
        std::uint32_t length = 2 + random.Below(3);
        for (std::uint32_t i = 0; i < length; ++i) {
            std::uint32_t code = random.Below(3000);
            text += static_cast<char>(0xB0 + code / 94);
            text += static_cast<char>(0xA1 + code % 94);
        }
        text += random.Below(4) == 0 ? "\r\n" : "; ";
    }
    text.resize(size);
    return text;
}

// Chunks drawn from a small dictionary with some noise between them: program code and its data.
std::string Binary(std::size_t size, Random& random) {
    std::vector<std::string> chunks;
    for (int i = 0; i < 400; ++i) {
        std::string chunk;
        for (std::uint32_t n = 3 + random.Below(14); n > 0; --n) chunk += static_cast<char>(random.Below(256));
        chunks.push_back(chunk);
    }
    std::string bytes = "MZ";
    while (bytes.size() < size) {
        if (random.Below(5) == 0) {
            bytes += static_cast<char>(random.Below(256));
        } else {
            bytes += chunks[random.Below(static_cast<std::uint32_t>(chunks.size()))];
        }
    }
    bytes.resize(size);
    return bytes;
}

// A 24-bit bottom-up BMP of a gradient with a little grain.
std::string Picture(int width, int height, Random& random) {
    int stride = (width * 3 + 3) & ~3;
    std::uint32_t imageSize = static_cast<std::uint32_t>(stride * height);
    std::string bytes(54 + imageSize, '\0');
    auto put32 = [&bytes](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<std::uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, imageSize);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::size_t at = 54 + static_cast<std::size_t>(y * stride + x * 3);
            int grain = static_cast<int>(random.Below(4));
            bytes[at] = static_cast<char>((x * 255 / width + grain) & 0xFF);
            bytes[at + 1] = static_cast<char>((y * 255 / height + grain) & 0xFF);
            bytes[at + 2] = static_cast<char>(((x + y) / 3 + grain) & 0xFF);
        }
    }
    return bytes;
}

std::string Noise(std::size_t size, Random& random) {
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random.Below(256));
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_bench_inputs DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    Random random(2024);
    std::vector<std::pair<std::string, std::string>> files;
    files.emplace_back("qudict.quh", Dictionary(1882706, random));
    for (int i = 0; i < 6; ++i) files.emplace_back("quorime" + std::to_string(i) + ".ime", Binary(260000, random));
    for (int i = 0; i < 4; ++i) files.emplace_back("quorsrf" + std::to_string(i) + ".dll", Binary(310000, random));
    for (int i = 0; i < 6; ++i) files.emplace_back("quorexe" + std::to_string(i) + ".exe", Binary(160000, random));
    for (int i = 0; i < 20; ++i) {
        std::size_t size = 20000 + 7000 * static_cast<std::size_t>(i);
        files.emplace_back("qutext" + std::to_string(i) + ".txt", i % 2 ? Text(size, random) : Dictionary(size, random));
    }
    files.emplace_back("tavo1.bmp", Picture(401, 310, random));
    for (int i = 0; i < 14; ++i) files.emplace_back("qubmp" + std::to_string(i) + ".bmp", Picture(160 + 12 * i, 120 + 8 * i, random));
    for (int i = 0; i < 10; ++i) files.emplace_back("quwav" + std::to_string(i) + ".wav", Noise(60000 + 9000 * i, random));
    for (int i = 0; i < 4; ++i) files.emplace_back("quskin" + std::to_string(i) + ".quz", Noise(60000, random));
    for (int i = 0; i < 36; ++i) {
        std::size_t size = 1000 + 550 * static_cast<std::size_t>(i);
        files.emplace_back("qusm" + std::to_string(i) + ".quh", i % 3 ? Text(size, random) : Binary(size, random));
    }

    std::ofstream list(dir + "/members.lst");
    std::size_t total = 0;
    for (const auto& [name, bytes] : files) {
        std::ofstream file(dir + "/" + name, std::ios::binary);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!file) {
            std::fprintf(stderr, "make_bench_inputs: %s/%s cannot be written\n", dir.c_str(), name.c_str());
            return 1;
        }
        list << dir << "/" << name << "\n";
        total += bytes.size();
    }
    std::printf("%zu files, %zu bytes\n", files.size(), total);
    return 0;
}

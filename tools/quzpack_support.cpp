// quzpack helpers (see quzpack_support.h).
#include "tools/quzpack_support.h"

#include <iconv.h>
#include <md5.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

#include "archive/quz_format.h"
#include "common/ascii_case.h"

namespace {

bool Convert(const char* to, const char* from, const std::string& input, std::string* output) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    std::string result(input.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* out = result.data();
    std::size_t outLeft = result.size();
    bool ok = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0 &&
              iconv(converter, nullptr, nullptr, &out, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!ok) return false;
    result.resize(result.size() - outLeft);
    *output = result;
    return true;
}

}  // namespace

void Complain(const std::string& text) { std::cerr << "quzpack: " << text << '\n'; }

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>* bytes, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = path + ": cannot be read: " + std::strerror(errno);
        return false;
    }
    bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        *error = path + ": read error";
        return false;
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes, std::string* error) {
    std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) {
            *error = temporary + ": cannot be created: " + std::strerror(errno);
            return false;
        }
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            std::remove(temporary.c_str());
            *error = temporary + ": write error";
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        *error = path + ": cannot be replaced: " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

void ComputeDigestText(const unsigned char* data, std::size_t length, char* text) {
    MD5_CTX context;
    MD5Init(&context);
    MD5Update(&context, data, length);
    unsigned char digest[MD5_DIGEST_LENGTH];
    MD5Final(digest, &context);
    FormatDigestText(digest, text);
}

InflateResult InflateMember(const unsigned char* data, std::size_t length, std::size_t limit,
                            std::vector<unsigned char>* out) {
    out->clear();
    z_stream stream = {};
    if (inflateInit(&stream) != Z_OK) return InflateResult::kCorrupt;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(length);
    unsigned char chunk[65536];
    int status = Z_OK;
    InflateResult result = InflateResult::kOk;
    while (status == Z_OK) {
        stream.next_out = chunk;
        stream.avail_out = sizeof chunk;
        status = inflate(&stream, Z_NO_FLUSH);
        std::size_t produced = sizeof chunk - stream.avail_out;
        if (out->size() + produced > limit) {
            result = InflateResult::kTooLarge;
            break;
        }
        out->insert(out->end(), chunk, chunk + produced);
    }
    inflateEnd(&stream);
    if (result == InflateResult::kOk && status != Z_STREAM_END) result = InflateResult::kCorrupt;
    return result;
}

bool Utf8ToGbk(const std::string& utf8, std::string* gbk) { return Convert("GBK", "UTF-8", utf8, gbk); }

bool GbkToUtf8(const std::string& gbk, std::string* utf8) { return Convert("UTF-8", "GBK", gbk, utf8); }

namespace {

// Control characters are escaped, so a hostile name cannot write to the terminal; so are bytes from
// 0x7F up unless the text is known to be UTF-8.
std::string Escaped(const std::string& text, bool utf8) {
    std::string shown;
    for (unsigned char c : text) {
        if (c >= 0x20 && c != 0x7F && (utf8 || c < 0x7F)) {
            shown += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            shown += hex;
        }
    }
    return shown;
}

// Windows refuses these in a file name, and drops a dot or blank at its end, so the member would be
// written under another name or not at all.
bool WindowsRefuses(const std::string& name) {
    for (unsigned char c : name) {
        if (c < 0x20 || std::strchr("<>\"|?*", c) != nullptr) return true;
    }
    return !name.empty() && (name.back() == '.' || name.back() == ' ');
}

}  // namespace

std::string DisplayName(const std::string& gbk) {
    std::string utf8;
    bool converted = GbkToUtf8(gbk, &utf8);
    return Escaped(converted ? utf8 : gbk, converted);
}

std::string DisplayFileName(const std::string& utf8) { return Escaped(utf8, true); }

bool MemberNameOf(const std::string& path, ArchiveVariant variant, std::string* gbk, std::string* error) {
    std::string name = BaseName(path);
    std::string shown = DisplayFileName(name);
    std::string where = DisplayFileName(path) + ": member name '" + shown + "' ";
    if (name.empty()) {
        *error = DisplayFileName(path) + ": no file name";
        return false;
    }
    if (!Utf8ToGbk(name, gbk)) {
        *error = where + "cannot be written in GBK";
        return false;
    }
    std::size_t most = MaxNameLength(variant);
    if (gbk->size() > most) {
        *error = where + "takes " + std::to_string(gbk->size()) + " bytes in GBK; the " +
                 (variant == ArchiveVariant::kDigest ? "digest" : "plain") + " variant holds at most " +
                 std::to_string(most);
        return false;
    }
    char field[kDigestNameFieldSize] = {};
    gbk->copy(field, gbk->size());
    NameProblem problem = CheckMemberName(field, NameFieldSize(variant));
    if (problem != NameProblem::kNone) {
        *error = where + "cannot be used: " + DescribeNameProblem(problem);
        return false;
    }
    if (WindowsRefuses(name)) {
        *error = where + "cannot name a file on Windows (a control character, one of < > \" | ? *, or a dot or "
                 "blank at its end)";
        return false;
    }
    return true;
}

std::string MemberSizeProblem(std::size_t size, ArchiveVariant variant) {
    if (size == 0) return "is empty; the setup program fails members of 0 bytes";
    std::size_t largest = LargestMemberOf(variant);
    if (size > largest) {
        return "has " + std::to_string(size) + " bytes; the setup program extracts at most " + std::to_string(largest);
    }
    return "";
}

std::string FoldedName(const std::string& gbk) {
    std::string folded = gbk;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(folded[i]);
        if (c >= 0x81 && c <= 0xFE) {
            ++i;  // lead byte: its trail byte is part of the character
        } else {
            folded[i] = AsciiLower(folded[i]);
        }
    }
    return folded;
}

std::size_t LargestMemberOf(ArchiveVariant variant) {
    return variant == ArchiveVariant::kPlain ? kLargestArchiveFileMember : kLargestMember;
}

std::string BaseName(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Helpers of the quzpack tool: whole-file input and atomic output, digest text with libmd, bounded
// inflation, GBK member names from UTF-8 file names and back, the rules a file must meet to become a
// member, and the tool's messages.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "archive/quz_format.h"

// Exit statuses of the tool.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // a bad archive, or files that cannot be packed
constexpr int kExitUsage = 2;

// Prints "quzpack: TEXT" to standard error.
void Complain(const std::string& text);

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>* bytes, std::string* error);
// Writes to a temporary file beside path and renames it over path, so a failed run leaves no
// half-written archive.
bool WriteFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes, std::string* error);

// The 34-byte digest text (upper-case hexadecimal MD5, two NUL bytes).
void ComputeDigestText(const unsigned char* data, std::size_t length, char* text);

enum class InflateResult { kOk, kCorrupt, kTooLarge };
// Inflates one zlib stream; kTooLarge when it holds more than limit bytes.
InflateResult InflateMember(const unsigned char* data, std::size_t length, std::size_t limit,
                            std::vector<unsigned char>* out);

// Conversions of member names; false when the text cannot be converted whole.
bool Utf8ToGbk(const std::string& utf8, std::string* gbk);
bool GbkToUtf8(const std::string& gbk, std::string* utf8);
// A stored name for messages: UTF-8 when it converts, otherwise its bytes with \xNN escapes.
std::string DisplayName(const std::string& gbk);
// A file name (UTF-8) for messages, its control characters escaped.
std::string DisplayFileName(const std::string& utf8);

// The member name of a file (the last component of path) in GBK; false with an error naming the file
// when it does not fit the variant's field, cannot be written in GBK, is not a bare file name or
// cannot name a file on Windows.
bool MemberNameOf(const std::string& path, ArchiveVariant variant, std::string* gbk, std::string* error);

// Why a file of this size cannot be a member that the setup program extracts; empty when it can.
std::string MemberSizeProblem(std::size_t size, ArchiveVariant variant);

// A stored name as Windows compares file names: ASCII letters folded to lower case, the two bytes
// of a GBK character kept as they are (a trail byte may look like a letter).
std::string FoldedName(const std::string& gbk);

// The largest member the setup program extracts from an archive of this variant: the plain variant
// is only read from archive files (the skins), whose members have less room.
std::size_t LargestMemberOf(ArchiveVariant variant);

// The last component of a path (after its last '/').
std::string BaseName(const std::string& path);

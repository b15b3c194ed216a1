// Verified extraction of archives into the install directory, the check of installed files against
// an archive, the search for one payload member, and the extraction of an archive that lies in a file.
#pragma once

#include <cstddef>

#include "archive/quz_format.h"

// Where FindMember inflates a member in the work buffer.
constexpr std::size_t kFoundMemberOffset = 100;

// Shown when the installation cannot start because the payload resource or the work buffer is missing.
extern const wchar_t kMissingPayloadText[];

// Which members an archive may bring. The payload is the program's own; an archive read from the
// install directory (a skin, the backup of the user's data) may have been replaced by any user, and
// a program or library it brought would be run by the system or an administrator: such a member
// fails as a member that cannot be written.
enum class MemberSource { kPayload, kUserWritableFile };

// Unpacks every member of the archive (archiveSize bytes) into the install directory, verifying each
// against its digest in the digest variant. outputArea (outputRoom bytes) receives the member's name,
// data and digest text in turn; a member too large for it fails. A failed member shows its own
// message and the walk goes on; the progress step advances after every member. True when every
// member was written and verified (also for an archive of no members). Without an archive or an
// output area the installation is refused with a message and false.
bool ExtractAll(const unsigned char* archive, std::size_t archiveSize, unsigned char* outputArea,
                std::size_t outputRoom, MemberSource source = MemberSource::kPayload);

// Compares the install directory with the archive: a member passes when its installed file has the
// stored digest (or its name occurs in the exemption list), in the plain variant when the installed
// file is at least as long as the compressed data. Each failing member appends "NAME...." to the
// report (reportCapacity bytes, bounded); a walk that ends short of the count, or any failure, adds
// the closing line. Returns the number of members that passed.
int VerifyInstalled(const unsigned char* archive, std::size_t archiveSize, char* report,
                    std::size_t reportCapacity, const char* exemptions);

// Room a caller of VerifyInstalled keeps free at the end of its report for ShowVerifyReport's lines.
constexpr std::size_t kVerifyReportClosingRoom = 256;

// Shows a VerifyInstalled report with a blank line and the caller's closing line after it.
void ShowVerifyReport(char* report, std::size_t capacity, const char* closing);

// Inflates the payload member of this exact name into the work buffer at offset 100, without a
// digest check; the two bytes there stay 0 when it is not found.
void FindMember(const char* name);

// Reads an archive of at most 128 KiB from a file into the start of the work buffer and extracts it
// with the output area after it. Does nothing when the file cannot be opened, and refuses a larger
// file whole rather than walking a cut archive. True when ExtractAll ran and succeeded.
bool ExtractArchiveFile(const char* path);

// IsProgramName and SecurityAttributes (see file_security.h).
#include "common/file_security.h"

#include <sddl.h>

#include <cstring>

#include "common/ascii_case.h"

namespace {

// What Windows starts or loads by itself, or the setup does: programs, libraries, IMM files, drivers,
// control-panel items, screen savers, controls and command scripts.
constexpr const char* kProgramExtensions[] = {".exe", ".dll", ".ime", ".com", ".scr", ".cpl",
                                              ".ocx", ".sys", ".drv", ".bat", ".cmd"};

bool EndsWithIgnoringAsciiCase(const char* text, std::size_t length, const char* ending) {
    std::size_t endingLength = std::strlen(ending);
    if (length < endingLength) return false;
    for (std::size_t i = 0; i < endingLength; ++i) {
        if (AsciiLower(text[length - endingLength + i]) != ending[i]) return false;
    }
    return true;
}

}  // namespace

bool IsProgramName(const char* name) {
    std::size_t length = std::strlen(name);
    for (const char* extension : kProgramExtensions) {
        if (EndsWithIgnoringAsciiCase(name, length, extension)) return true;
    }
    return false;
}

SecurityAttributes::SecurityAttributes(const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr)) return;
    descriptor_.Reset(descriptor);
    attributes_.nLength = sizeof attributes_;
    attributes_.bInheritHandle = FALSE;
    attributes_.lpSecurityDescriptor = descriptor;
}

// The file helpers of the install directory and the programs they produced (see install_dir_files.h).
#include "platform/install_dir_files.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "common/ascii_case.h"
#include "common/file_io.h"
#include "common/file_security.h"
#include "common/install_log.h"
#include "common/install_state.h"
#include "common/md5_text.h"
#include "common/text.h"
#include "platform/file_clearing.h"
#include "platform/install_paths.h"
#include "platform/program_run.h"

namespace {

// A file's path in the install directory; empty when there is none or it does not fit. MAX_PATH is
// what the narrow file functions take, room for any install directory and member name.
struct InstalledPath {
    explicit InstalledPath(const char* name) {
        if (!InstallDirPath(name, text, sizeof text)) text[0] = '\0';
    }
    explicit operator bool() const { return text[0] != '\0'; }
    char text[MAX_PATH];
};

bool SameName(const char* a, const char* b) {
    for (; AsciiLower(*a) == AsciiLower(*b); ++a, ++b) {
        if (*a == '\0') return true;
    }
    return false;
}

ProducedProgram* FindProduced(const char* name) {
    for (int i = 0; i < g_state.producedProgramCount; ++i) {
        if (SameName(g_state.producedPrograms[i].name, name)) return &g_state.producedPrograms[i];
    }
    return nullptr;
}

// The name no longer holds what this process wrote there (or is about to be written anew).
void ForgetProduced(const char* name) {
    ProducedProgram* entry = FindProduced(name);
    if (entry == nullptr) return;
    *entry = g_state.producedPrograms[--g_state.producedProgramCount];
}

// A name that does not fit the table is not noted: such a program is never copied or started.
void NoteProduced(const char* name, const char* digest) {
    ProducedProgram* entry = FindProduced(name);
    if (entry == nullptr) {
        if (g_state.producedProgramCount >= kProducedProgramsMax) return;
        entry = &g_state.producedPrograms[g_state.producedProgramCount++];
    }
    if (!CopyText(entry->name, name)) {
        ForgetProduced(name);
        return;
    }
    std::memcpy(entry->digest, digest, kDigestTextSize);
}

}  // namespace

bool CopyInstalled(const char* from, const char* to) {
    InstalledPath source(from);
    return source && CopyIntoInstallDir(source.text, to);
}

bool CopyIntoInstallDir(const char* sourcePath, const char* name) {
    LockedGlobalMemory block;
    std::size_t length = 0;
    return ReadWholeFile(sourcePath, &block, &length) && WriteInstalled(name, block.Data(), length);
}

bool RenameInstalled(const char* from, const char* to) {
    InstalledPath source(from);
    InstalledPath target(to);
    if (!source || !target) return false;
    // A link is never moved: under Wine the move would carry its target along into the folder. (The
    // examining handle is closed first: while open, it keeps the name from being moved.)
    if (!OpenPlainFile(source.text)) return false;
    ForgetProduced(to);
    if (std::rename(source.text, target.text) != 0) return false;
    if (ProducedProgram* entry = FindProduced(from)) {
        char digest[kDigestTextSize];
        std::memcpy(digest, entry->digest, sizeof digest);
        ForgetProduced(from);
        NoteProduced(to, digest);
    }
    return true;
}

bool RemoveInstalled(const char* name) {
    InstalledPath path(name);
    ForgetProduced(name);
    return path && RemoveName(path.text);
}

bool ForceDeleteInstalled(const char* name) {
    InstalledPath path(name);
    ForgetProduced(name);
    return path && ForceDelete(path.text) == 0;
}

bool RenameAsideInstalled(const char* name) {
    InstalledPath path(name);
    ForgetProduced(name);
    return path && RenameAside(path.text);
}

bool WriteInstalled(const char* name, const void* bytes, std::size_t length, const char* digest) {
    InstalledPath path(name);
    ForgetProduced(name);
    if (!path) return false;
    if (!IsProgramName(name)) return WriteWholeFile(path.text, bytes, length);
    SecurityAttributes adminsOnly(kProgramFileSddl);
    if (adminsOnly.Get() == nullptr || !WriteWholeFile(path.text, bytes, length, adminsOnly.Get())) return false;
    char computed[kDigestTextSize];
    if (digest == nullptr) {
        Md5Text(bytes, length, computed);
        digest = computed;
    }
    NoteProduced(name, digest);
    return true;
}

bool ProducedDigest(const char* name, char* digest) {
    const ProducedProgram* entry = FindProduced(name);
    if (entry == nullptr || entry->digest[0] == '\0') return false;
    std::memcpy(digest, entry->digest, kDigestTextSize);
    return true;
}

bool StartProducedProgram(const char* name, const char* commandLine) {
    InstalledPath path(name);
    char expected[kDigestTextSize] = {};
    char digest[kDigestTextSize] = {};
    UniqueHandle held;
    LockedGlobalMemory bytes;
    std::size_t length = 0;
    if (path && ProducedDigest(name, expected) && (held = OpenPlainFileForStart(path.text)) &&
        ReadOpenFile(held.Get(), &bytes, &length)) {
        Md5Text(bytes.Data(), length, digest);
    }
    if (!DigestTextsEqual(digest, reinterpret_cast<const unsigned char*>(expected))) {
        LogLine("not started %s: not the file this install wrote", name);
        return false;
    }
    return StartProgram(path.text, commandLine, SW_SHOW);
}

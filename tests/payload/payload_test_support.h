// Helpers of the payload tests: where the built members and the packed payload lie (in the host
// build tree, reached through drive Z:), starting a program and waiting for it, and keeping a
// registry subtree so that a test can put it back as it was.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The member file of that name as the build made it, and the packed payload archive.
std::string MemberPath(const std::string& name);
std::string PayloadArchivePath();

// Runs a command line and waits for the program to end; the exit code, or nothing when it could
// not be started or did not end within the time (it is then ended).
std::optional<DWORD> RunAndWait(const std::string& commandLine, DWORD timeoutMs = 30000);

bool KeyExists(HKEY root, const std::string& path);

// Keeps a key of HKEY_LOCAL_MACHINE with all its subkeys and values (or its absence) and puts it
// back when destroyed.
class RegistryTreeKeeper {
public:
    explicit RegistryTreeKeeper(std::string path);
    ~RegistryTreeKeeper();
    RegistryTreeKeeper(const RegistryTreeKeeper&) = delete;
    RegistryTreeKeeper& operator=(const RegistryTreeKeeper&) = delete;

    struct Node;

private:
    std::string path_;
    std::unique_ptr<Node> saved_;
};

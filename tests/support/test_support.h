// Helpers shared by the test programs: a base fixture that keeps message boxes off the screen and
// resets the program state, and small file, directory and registry helpers for the real Wine
// machine the tests run on. Narrow literals of the tests are compiled to GBK like the program's own.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/handles.h"
#include "common/message_box.h"

// Base fixture: every case starts from a fresh InstallState and unscripted OS facts, and message
// boxes go to `messages` (answered with IDOK unless scripted).
class QuorTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    MessageRecorder messages;
};

// Whole-file helpers (narrow paths in the process code page).
std::optional<std::string> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
void RemoveFile(const std::string& path);
bool FileExists(const std::string& path);
void RemoveTree(const std::string& directory);

// A Unix symbolic link at a Windows path (Wine's CreateSymbolicLinkW does nothing), made and removed
// by the host's ln and rm, which Wine starts as it starts any program. Wine shows such a link as its
// target: DeleteFile at the link would delete the target, so only Unlink removes it.
void Symlink(const std::string& at, const std::string& target);
void Unlink(const std::string& at);

std::string WindowsDir();  // without a trailing backslash
std::string SystemDir();

// A new empty directory under C:\quortest\ for one test; removed with its contents when destroyed.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir() { RemoveTree(path_); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path_; }  // ends with a backslash

private:
    std::string path_;
};

// Puts back, when destroyed, what it was made to keep: a file's bytes, a registry value or a whole
// registry key (values, types, data and subkeys), or their absence.
class Restorer {
public:
    explicit Restorer(std::function<void()> undo) : undo_(std::move(undo)) {}
    Restorer(Restorer&& other) noexcept : undo_(std::exchange(other.undo_, nullptr)) {}
    Restorer& operator=(Restorer&&) = delete;
    ~Restorer() {
        if (undo_) undo_();
    }

private:
    std::function<void()> undo_;
};
Restorer KeepFile(const std::string& path);
Restorer KeepRegValue(HKEY root, const std::string& key, const std::string& value);
Restorer KeepRegTree(HKEY root, const std::string& path);

// A REG_SZ value's bytes as the narrow API returns them, terminators included (the system adds one
// to a text written without it); none when missing or of another type.
std::optional<std::string> ReadRegBytes(HKEY root, const char* key, const char* value);
// The same without its terminators.
std::optional<std::string> ReadRegString(HKEY root, const char* key, const char* value);
bool WriteRegString(HKEY root, const char* key, const char* value, const std::string& data);
// The UTF-16 form of ReadRegString.
std::optional<std::wstring> ReadRegTextW(HKEY root, const wchar_t* key, const wchar_t* value);

// Registry helpers (narrow names in the process code page).
using Ids = std::vector<std::string>;
UniqueHKey CreateKey(HKEY root, const char* path);  // opened, or made with the keys above it
bool KeyPresent(HKEY root, const char* path);
inline void DeleteRegTree(HKEY root, const char* path) { RegDeleteTreeA(root, path); }
// Names of the subkeys (or of the values) of a key, sorted.
Ids RegNames(HKEY root, const char* path, bool values = false);

// The message boxes shown, each as "text | caption", marked " (other form)" unless narrow with OK.
Ids ShownBoxes(const MessageRecorder& recorder);

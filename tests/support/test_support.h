// Helpers shared by the test programs: a base fixture that keeps message boxes off the screen and
// resets the program state, and small file, directory and registry helpers for the real Wine
// machine the tests run on.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
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

// Narrow literals of the tests are compiled to GBK like the program's own, so expected texts are
// written as plain literals.

// Whole-file helpers (narrow paths in the process code page).
std::optional<std::string> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
void RemoveFile(const std::string& path);
bool FileExists(const std::string& path);

std::string WindowsDir();  // without a trailing backslash
std::string SystemDir();

// A new empty directory under C:\quortest\ for one test; removed with its contents when destroyed.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path_; }  // ends with a backslash

private:
    std::string path_;
};

void RemoveTree(const std::string& directory);

// Keeps a file's bytes (or its absence) and puts them back when destroyed.
class FileRestorer {
public:
    explicit FileRestorer(std::string path);
    ~FileRestorer();
    FileRestorer(const FileRestorer&) = delete;
    FileRestorer& operator=(const FileRestorer&) = delete;

private:
    std::string path_;
    std::optional<std::string> saved_;
};

// Registry string values (REG_SZ, written with or without terminator as the code under test does).
std::optional<std::string> ReadRegString(HKEY root, const char* key, const char* value);
bool WriteRegString(HKEY root, const char* key, const char* value, const std::string& data);
void DeleteRegValue(HKEY root, const char* key, const char* value);
void DeleteRegTree(HKEY root, const char* key);

// Keeps a registry value (or its absence) and puts it back when destroyed.
class RegValueRestorer {
public:
    RegValueRestorer(HKEY root, std::string key, std::string value);
    ~RegValueRestorer();
    RegValueRestorer(const RegValueRestorer&) = delete;
    RegValueRestorer& operator=(const RegValueRestorer&) = delete;

private:
    HKEY root_;
    std::string key_;
    std::string value_;
    DWORD type_ = 0;
    std::optional<std::vector<BYTE>> saved_;
};

// Registry helpers (narrow names in the process code page).
using Ids = std::vector<std::string>;
UniqueHKey CreateKey(HKEY root, const char* path);  // opened, or made with the keys above it
bool KeyPresent(HKEY root, const char* path);
// Names of the subkeys (or of the values) of a key, sorted.
Ids RegNames(HKEY root, const char* path, bool values = false);
// A REG_SZ value's data as stored, read in the process code page; none when missing or of another type.
std::optional<std::string> ReadSz(HKEY root, const char* path, const char* name);

// The message boxes shown, each as "text | caption", marked " (other form)" unless narrow with OK.
Ids ShownBoxes(const MessageRecorder& recorder);

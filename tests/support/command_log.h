// The command lines that the stand-in system programs of the test prefix record, and the text
// service's registry keys, for the registration tests.
#pragma once

#include <string>
#include <vector>

inline constexpr char kRegsvr32Log[] = "C:\\quortest\\regsvr32.log";
inline constexpr char kRunasLog[] = "C:\\quortest\\runas.log";
inline constexpr char kIcaclsLog[] = "C:\\quortest\\icacls.log";
inline constexpr char kPlantedLog[] = "C:\\quortest\\planted.log";
inline constexpr char kBasicTrustCommand[] = "runas /trustlevel:0x20000 c:\\Progra~1\\quorel8\\qrjcdir";

// Lines of a log, waiting up to timeoutMs for at least count of them (the programs are not waited
// for by the code under test).
std::vector<std::string> WaitForLogLines(const char* path, std::size_t count, unsigned timeoutMs = 8000);

// Lines of a log after a pause long enough for a started program to have written them; for checking
// that a program was not started.
std::vector<std::string> LogLinesAfterPause(const char* path);

// The lines of a log the setup program or the uninstaller wrote (/LOG=), each without its time, in
// UTF-16 or in the test's code page; empty when there is none.
std::vector<std::wstring> ProgramLogW(const std::string& path);
std::vector<std::string> ProgramLog(const std::string& path);

// The directory of the running test program, with a trailing backslash.
std::string TestProgramDir();

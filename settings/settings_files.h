// The input method's small settings and user files written into the install directory at install:
// the edition flag, two data files that start empty, the network settings, the user record, the
// byte-coded status-window settings record and the install stamp.
#pragma once

// The network settings text written to qunetsj.dat (110 bytes, no terminator).
inline constexpr char kNetworkSettingsText[] =
    "QUNETURL1=\r\nQUNETURL2=\r\nQUNETTIME=1\r\nQUBJTIME=7\r\nQUWYTIME=3\r\nQUSJOFF=0\r\nQUNETTIME0=0\r\n"
    "QUBJTIME0=0\r\nQUNEONE=1\r\n";

struct UserRecord;

// Reads quyhgl0.dat of the install directory into g_state.user: at most 492 bytes, a shorter file
// leaving the rest as it was. The file comes from an earlier install and is not trusted: a field
// without a NUL gets one in its last byte, so that no later read of it runs into the next field.
// False when the file cannot be opened.
bool ReadUserRecord();

// Ends each text field of the record inside the field when it holds no NUL.
void TerminateUserRecordFields(UserRecord* record);

// Recomputes the install directory, then writes wbpybz.quh, quoryhzc.dat, quordat.dat, qunetsj.dat
// and quyhgl0.dat. When the directory does not exist yet every write fails silently.
void WriteSettingsFiles();

// Reads quszsj43.quh into the working copy, applies the code-page, edition and status-window edits
// and writes its 200 bytes back; does nothing when the user keeps earlier data (backup state 2).
void WriteStatusWindowSettings();

// Writes GetTickCount() as signed decimal text into install.quh.
void WriteInstallStamp();

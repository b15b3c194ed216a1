// The user's earlier data across a reinstall: packed into quorback.quz (digest variant) in the
// earlier install directory when the window opens, the question whether to keep it, and its restore
// over the newly installed files once the install is complete.
#pragma once

#include "common/named_files.h"

// Member names are bare file names of at most this many bytes.
constexpr int kBackupNameLimit = 12;

// The keep-data question (Yes and No, caption "智能岚石安装"): when the earlier data lies in another
// directory than the install directory, and when it lies in the install directory itself.
inline constexpr wchar_t kKeepDataQuestionElsewhere[] = L"检测到有智能岚石以前的词组等数据文件，是否保留？";
inline constexpr wchar_t kKeepDataQuestionInInstallDir[] =
    L"检测到安装目录下有智能岚石以前的词组等数据文件，是否保留？";

// Packs the user's data files of the earlier install directory into its quorback.quz; true when every
// required file was added. Leaves g_state.installDir set to that directory (the caller recomputes
// it). Without a recorded earlier install directory nothing is collected and false is returned.
bool CollectBackup();

// Adds one file (a full path) to a digest-variant archive of the install directory, creating the
// archive when it does not exist. False, with the archive as it was, when the name is empty, longer
// than 12 bytes or already present, when the archive is damaged (see the walker), when the file
// cannot be read, or when its compressed form does not fit its capacity.
bool AppendToBackup(const char* archiveName, const char* filePath);

// The question text for the current install and earlier install directories.
const wchar_t* KeepDataQuestion();

// Asks the keep-data question when a complete backup was taken (backup state 1); Yes sets state 2.
void AskToKeepEarlierData();

// Unpacks quorback.quz (copied first from the earlier install directory when that is another one)
// into the install directory, checks the files and reports the outcome: a failure always, the number
// of files restored when reportSuccess (the silent install leaves it out). True when the archive was
// there and every file of it is in place; a missing or short archive is false without a message.
bool RestoreBackup(bool reportSuccess = true);

// The names of the input method's files that the setup program and the uninstaller rely on, in one
// place: the payload members a step names (a folder of files is checked against them before it is
// packed into a setup program), the user's data files the backup takes, and the files the setup
// writes into the install directory besides the members (which the uninstaller removes). Portable:
// the host-built packer reads it too. Narrow texts are in the build's character set (GBK in the
// setup program, UTF-8 in the packer, which converts names as it packs them).
#pragma once

#include <cstddef>

// IMM files: the full 32-bit and 64-bit files, and the small code-page variants placed first (the
// versions patched); every system copy of an IMM file takes the first name. quorel32.ime is an older
// version's, removed where found.
inline constexpr char kImeFile[] = "quorel4.ime";
inline constexpr char kIme64File[] = "quorel64.ime";
inline constexpr char kIme32Gbk[] = "quor320.ime";
inline constexpr char kIme32Big5[] = "quor321.ime";
inline constexpr char kIme64Gbk[] = "quor640.ime";
inline constexpr char kIme64Big5[] = "quor641.ime";
inline constexpr char kOldImeFile[] = "quorel32.ime";

// Text-service DLLs (32-bit, 64-bit) and the forms that take their names before Windows 10.
inline constexpr char kTextService32[] = "quorsrf.dll";
inline constexpr char kTextService64[] = "quorsrf6.dll";
inline constexpr char kTextService32Early[] = "qsrf732.dll";
inline constexpr char kTextService64Early[] = "qsrf764.dll";

// Programs: the 64-bit half of the setup (started at the end of an IMM install on 64-bit Windows),
// the data-management program (the autorun entry's) and an earlier version of it, the uninstaller
// (copied into the Windows directory) and the launcher started at basic trust.
inline constexpr char kSetup64[] = "setupw64.exe";
inline constexpr char kAutorunProgram[] = "quortavo.exe";
inline constexpr char kOldAutorunProgram[] = "quortav6.exe";
inline constexpr char kUninstaller[] = "quordel8.exe";
inline constexpr char kLauncher[] = "qrjcdir.exe";

// The first page's picture, the skin archives (one per skin choice), the files a skin brings and the
// bitmap copied over its fourth one.
inline constexpr char kFirstPagePicture[] = "tavo1.bmp";
inline constexpr const char* kSkinArchives[] = {"冷色瓷面.quz", "粉色瓷面.quz", "小天使.quz"};
inline constexpr const char* kSkinFiles[] = {"qubmp8.quh",   "qubmpsx1.bmp", "qubmpsx2.bmp", "qubmpsx3.bmp",
                                             "qubmpsx4.bmp", "qubmpsx5.bmp", "qubmpsx6.bmp", "qubmpsx7.bmp"};
inline constexpr char kSkinBitmapSource[] = "qubmps44.bmp";
inline constexpr char kSkinBitmapTarget[] = "qubmpsx4.bmp";

// The Wubi and Pinyin phrase libraries: the library, its backed-up form (the Wubi one converted as it
// is unpacked) and the phrase data made from the backed-up form at every install.
inline constexpr char kWubiLibrary[] = "quorcyzk.quh";
inline constexpr char kWubiLibraryBackup[] = "quorcyzk.bak";
inline constexpr char kWubiPhraseData[] = "quorcyzk.dat";
inline constexpr char kPinyinLibrary[] = "quorpyck.quh";
inline constexpr char kPinyinLibraryBackup[] = "quorpyck.bak";
inline constexpr char kPinyinPhraseData[] = "quorpyck.dat";

// Settings and user files the setup writes, and the backup archive of the user's earlier data.
inline constexpr char kEditionFile[] = "wbpybz.quh";
inline constexpr char kPhraseCountFile[] = "quoryhzc.dat";
inline constexpr char kDataFile[] = "quordat.dat";
inline constexpr char kNetworkSettingsFile[] = "qunetsj.dat";
inline constexpr char kUserRecordFile[] = "quyhgl0.dat";
inline constexpr char kSettingsRecordFile[] = "quszsj43.quh";
inline constexpr char kInstallStampFile[] = "install.quh";
inline constexpr char kBackupArchiveName[] = "quorback.quz";

// The user's data files the backup of an earlier install takes, in archive order. Files with a copy
// name are first copied over that name in the same directory, and the copy is what is packed; a
// required file that cannot be added ends the backup, incomplete. Every source is a payload member.
struct BackupRow {
    const char* source;
    const char* copiedTo;  // nullptr: packed under its own name
    bool required;
};
inline constexpr BackupRow kBackupRows[] = {
    {kPinyinLibrary, kPinyinLibraryBackup, true}, {kSettingsRecordFile, "quszsj43.bak", true},
    {"qfontset.quh", "qfontset.bak", true},       {"qwbzlcz1.quh", "qwbzlcz1.bak", true},
    {"quwbcmxz.quh", "quwbcmxz.bak", true},       {"qudhzcm.quh", "qudhzcm.bak", true},
    {"quordhz.quh", "quordhz.bak", true},         {"qugbkhz.quh", "qugbkhz.bak", true},
    {kSettingsRecordFile, nullptr, true},         {"quordwdw.txt", nullptr, true},
    {"quorzdym.quh", nullptr, true},              {"qupyzdym.quh", nullptr, true},
    {"quwbpy.txt", nullptr, true},                {"quorynhz.txt", nullptr, true},
    {"quorzdfh.quh", nullptr, true},              {"userck.txt", nullptr, false},
    {"delck.txt", nullptr, false},                {"ftquzdym.txt", nullptr, false},
    {"ftpyzdym.txt", nullptr, false},             {"quorpymb.ov1", nullptr, false},
    {"qugbkbh.quh", nullptr, false},              {"quszsj05.quh", nullptr, false},
    {"quszsj06.quh", nullptr, false},
};

// What a name is to the setup program.
enum NameUse : unsigned {
    kPayloadMember = 1,    // a step names it: every payload must carry it
    kVersionPatched = 2,   // a program whose version text the setup rewrites: it must carry that text
    kWrittenBySetup = 4,   // the setup writes it into the install directory besides the members
};

struct NamedFile {
    const char* name;
    unsigned uses;
};

// Every name above but the user's data files of the backup (kBackupRows), with what it is.
inline constexpr NamedFile kNamedFiles[] = {
    {kImeFile, kPayloadMember},
    {kIme64File, kPayloadMember},
    {kIme32Gbk, kPayloadMember | kVersionPatched},
    {kIme32Big5, kPayloadMember | kVersionPatched},
    {kIme64Gbk, kPayloadMember | kVersionPatched},
    {kIme64Big5, kPayloadMember | kVersionPatched},
    {kTextService32, kPayloadMember},
    {kTextService64, kPayloadMember},
    {kTextService32Early, kPayloadMember},
    {kTextService64Early, kPayloadMember},
    {kSetup64, kPayloadMember | kVersionPatched},
    {kAutorunProgram, kPayloadMember},
    {kUninstaller, kPayloadMember},
    {kLauncher, kPayloadMember},
    {kFirstPagePicture, kPayloadMember},
    {kSkinBitmapSource, kPayloadMember},
    {kSkinArchives[0], kPayloadMember},
    {kSkinArchives[1], kPayloadMember},
    {kSkinArchives[2], kPayloadMember},
    {kWubiLibrary, kPayloadMember},
    {kWubiLibraryBackup, kPayloadMember},
    {kPinyinLibraryBackup, kPayloadMember},
    {kWubiPhraseData, kWrittenBySetup},
    {kPinyinPhraseData, kWrittenBySetup},
    {kEditionFile, kWrittenBySetup},
    {kPhraseCountFile, kWrittenBySetup},
    {kDataFile, kWrittenBySetup},
    {kNetworkSettingsFile, kWrittenBySetup},
    {kUserRecordFile, kWrittenBySetup},
    {kInstallStampFile, kWrittenBySetup},
    {kBackupArchiveName, kWrittenBySetup},
    {kSkinFiles[0], kWrittenBySetup},
    {kSkinFiles[1], kWrittenBySetup},
    {kSkinFiles[2], kWrittenBySetup},
    {kSkinFiles[3], kWrittenBySetup},
    {kSkinFiles[4], kWrittenBySetup},
    {kSkinFiles[5], kWrittenBySetup},
    {kSkinFiles[6], kWrittenBySetup},
    {kSkinFiles[7], kWrittenBySetup},
};

// Whether the name is one of the user's data files the backup takes (a source of kBackupRows).
bool IsBackedUpUserFile(const char* name);

// The program-wide state of the setup program: one instance, g_state, for the life of the process.
// Every subsystem reads and writes its own fields here; the capacities of the text buffers are part
// of the program's behaviour (paths are cut or refused at these sizes), so they are fixed arrays.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "common/digest_text.h"

// Run modes chosen at start-up.
constexpr int kRunModeWindow = 2;
constexpr int kRunModeSilent = 3;

// The OEM code page of Traditional Chinese (Big5), on which the Big5 texts, dialog and layout ids are
// chosen; every other code page gets the GBK ones.
constexpr UINT kBig5CodePage = 950;

// Held for the life of a setup or uninstall process: one started meanwhile finds it and refuses,
// since the two would race each other over the same files and registry entries.
inline constexpr wchar_t kSetupMutexName[] = L"Global\\quorel8setup";

// Edition and interface choices.
constexpr int kEditionWubi = 0;
constexpr int kEditionPinyin = 1;
constexpr int kInterfaceImm = 0;
constexpr int kInterfaceTsf = 1;

// Backup states of the user's earlier data.
constexpr int kBackupNone = 0;
constexpr int kBackupTaken = 1;
constexpr int kBackupRestoreWanted = 2;

// Faults the install procedure met and reported to the user, as bits of g_state.installFaults. The
// install goes on after them; the silent install turns them into its exit code.
constexpr int kFaultNotStarted = 1;             // no payload or work buffer: nothing was installed
constexpr int kFaultIncompleteExtraction = 2;   // a payload member was not written and verified
constexpr int kFaultSystemCopy = 4;             // a file could not be placed in a system directory
constexpr int kFaultNotRegistered = 8;          // the IMM input method got no keyboard-layout entry
constexpr int kFaultRestoreFailed = 16;         // the user's earlier data could not be put back

// The work buffer shared, one use after another, by painting, extraction, backup, skins and detection.
constexpr std::size_t kWorkBufferSize = 2097152;

constexpr std::size_t kPathCapacity = 200;          // install, target and WOW64 system directories
constexpr std::size_t kPreviousDirCapacity = 256;   // the directory an earlier install recorded
constexpr std::size_t kCapturedOutputCapacity = 10000;
constexpr std::size_t kMessageCapacity = 600;       // scratch for formatted message texts

// The user record, stored byte for byte as quyhgl0.dat (492 bytes). The field sizes are the distances
// between the fields; bytes beyond each text keep what an earlier file held.
struct UserRecord {
    char name[50];
    char mobile[342];
    char password[100];
};
static_assert(sizeof(UserRecord) == 492, "quyhgl0.dat is 492 bytes");

constexpr int kPreloadMax = 49;

// The user's keyboard-layout preload list as last read.
struct PreloadList {
    char ids[kPreloadMax][10];       // in list order: ids[0] is number "1"
    char texts[kPreloadMax][200];    // "layout text" of each id's Keyboard Layouts entry
    int count;
    int position;                    // 1-based place of the input method, 0 when absent
    int found;
};

constexpr std::size_t kSettingsRecordSize = 200;

// A program or library this process wrote into the install directory (a member name of at most 15
// bytes), with the digest text of the bytes it wrote.
struct ProducedProgram {
    char name[16];
    char digest[kDigestTextSize];
};
constexpr int kProducedProgramsMax = 32;

struct InstallState {
    // Start-up and run mode.
    int currentPage;
    UINT oemCodePage;
    int runMode;
    HINSTANCE instance;

    // Main window and its edit controls.
    HWND mainWindow;
    HWND focusEdit;
    HWND passwordEdit;
    HWND nameEdit;
    HWND mobileEdit;

    // The user's choices.
    int edition;
    int interfaceChoice;
    int isWindows10;

    // Payload archive (a locked resource, read in place) and the work buffer.
    const unsigned char* payload;
    std::size_t payloadSize;
    HGLOBAL payloadResource;
    unsigned char* workBuffer;
    int progressStep;
    int progressTotal;

    // Install paths and OS facts.
    char installDir[kPathCapacity];
    char previousInstallDir[kPreviousDirCapacity];
    char targetDir[kPathCapacity];
    char wow64SystemDir[kPathCapacity];
    DWORD osMajorVersion;
    std::uint16_t versionCode;   // major * 10 + minor as GetVersion reports it
    int systemBits;              // 32 or 64 once known; 0 in the silent install mode
    int isWow64Process;
    DWORD versionWord;           // last GetVersion() value; its top bit marks Windows 9x

    // Copies into the system directories: scratch paths quoted by their messages.
    char sourcePath[kPathCapacity];
    char destinationPath[kPathCapacity];
    char messageText[kMessageCapacity];

    // Backup of the user's earlier data, registration and detection results.
    int backupState;
    int registrationResult;
    int detectionCount;
    int installFaults;   // kFault* bits of the last install procedure
    PreloadList preload;

    // User information, skin dialog answers and the settings record.
    UserRecord user;
    std::uint8_t statusWindowMode;
    std::uint8_t skinChoice;
    unsigned char settingsRecord[kSettingsRecordSize];

    // The programs and libraries written into the install directory by this process and still there
    // under their names: the only ones it copies into the system directories or starts.
    ProducedProgram producedPrograms[kProducedProgramsMax];
    int producedProgramCount;
    unsigned long long unpackedBytes;  // what the payload's members took when unpacked

    // Output of the last command captured through a pipe.
    char capturedOutput[kCapturedOutputCapacity];

    // The install report's scan of the install directory: a score (1 listing, +10 enterable,
    // +3 plain directory attributes; 14 passes) and plain-file counters that wrap at 256.
    std::uint8_t directoryScore;
    std::uint8_t txtFileCount;
    std::uint8_t quhFileCount;
    std::uint8_t otherFileCount;
};

extern InstallState g_state;

inline bool UsesBig5() { return g_state.oemCodePage == kBig5CodePage; }

// Puts g_state back to its state at process start (zero, plus the settings record defaults).
void ResetInstallState();

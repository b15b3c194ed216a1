// The input method's keyboard-layout (IMM) registration: quorel4.ime handed to the system's IMM
// installer, and, when that fails, the Keyboard Layouts entry and the preload number written here.
#pragma once

// HKEY_LOCAL_MACHINE key that holds one subkey per keyboard layout, named by the layout id.
inline constexpr char kKeyboardLayoutsKey[] = "System\\CurrentControlSet\\Control\\Keyboard Layouts";

// The "layout text" the input method registers under, in GBK and (code page 950) in Big5. Its first
// 16 bytes mark the input method's own entry, whatever version wrote it.
extern const char kLayoutTextGbk[];
extern const char kLayoutTextBig5[];
constexpr unsigned kLayoutTextPrefixBytes = 16;

// Installs quorel4.ime with the system's installer and falls back to the manual entry; on Windows XP
// and earlier the input method is then moved to second place in the preload list. Sets
// g_state.registrationResult, and the kFaultNotRegistered bit when no keyboard layout was entered.
void RegisterImmInputMethod();

// The steps after the system's installer answered: kept apart so that the manual path can be run on
// a system whose installer never fails.
void FinishImmRegistration(bool installed);

// ImmInstallIMEW of the system directory's quorel4.ime; true when a keyboard-layout handle came back.
bool InstallImeFile();

// Writes (or rewrites) the input method's Keyboard Layouts entry and adds it to the current user's
// preload list. Failures are shown in a message box and end the operation. True when the entry was
// written (whether or not the preload list could then be extended).
bool WriteKeyboardLayoutEntry();

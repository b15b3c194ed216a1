// OS facts: WOW64, the file-system redirection switch, 64-bit system detection and the version code.
#pragma once

#include <windows.h>

bool IsWow64();

// Switch WOW64 redirection off (storing what Revert needs in *old) and back on. Disable answers the
// system call's result, or 0 when the function does not exist.
BOOL DisableFsRedirection(PVOID* old);
void RevertFsRedirection(PVOID old);

// WOW64 redirection switched off for the guard's life when this is a WOW64 process and the switch
// works (Active()); otherwise nothing is switched.
class RedirectionOff {
public:
    RedirectionOff() noexcept : active_(IsWow64() && DisableFsRedirection(&old_) == 1) {}
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;
    ~RedirectionOff() {
        if (active_) RevertFsRedirection(old_);
    }
    bool Active() const noexcept { return active_; }

private:
    PVOID old_ = nullptr;
    bool active_;
};

// Runs action with WOW64 redirection switched off when this is a WOW64 process and the switch works;
// otherwise runs it unchanged. Returns the action's result.
template <typename Action>
auto RunWithoutRedirection(Action&& action) -> decltype(action()) {
    RedirectionOff off;
    return action();
}

// True on Vista and later when the WOW64 system directory exists; refreshes g_state.osMajorVersion
// and g_state.wow64SystemDir (GetWow64SystemDir).
bool Is64BitSystem();

// 32 or 64; stores g_state.versionCode and, from Vista on, g_state.isWow64Process.
int GetSystemBits();

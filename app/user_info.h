// User information: the mobile number, the user name and the six-character management password
// typed into the main window's edits, checked, kept in the user record of InstallState, and shown
// again from the earlier install's quyhgl0.dat on a reinstall.
#pragma once

// Texts of the two refusals (caption "智能岚石安装").
inline constexpr wchar_t kInvalidMobileText[] = L"请正确输入你的手机号码！";
inline constexpr wchar_t kInvalidPasswordText[] = L"请输入6数位你自己的管理密码，并请记住你的密码！";

// Fills the mobile and name edits from the earlier quyhgl0.dat of the install directory and empties
// the password edit; without that file all three start empty.
void LoadUserInfo();

// Reads the three edits into the user record (at most 13, 13 and 9 bytes) and checks them. Refused:
// page 1, with the reason shown unless the submission came from page 0. Accepted from page 0: page
// 1. Accepted later: the edits are destroyed, the settings files written and the page is 6.
void SubmitUserInfo();

// An 11-digit number beginning with 1, any 18 digits, or w/W followed by 7 to 17 digits but 10.
bool IsValidMobile(const char* text);

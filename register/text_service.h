// The input method's TSF text service: whether it stands in the current user's keyboard sort order,
// and its registration, which runs regsvr32 on the text-service DLLs (32-bit quorsrf.dll and, on
// 64-bit Windows, 64-bit quorsrf6.dll), each run followed by a two-second pause; and its
// unregistration by the uninstaller.
#pragma once

// The text service's class id, in the form the registry and the sort order use.
inline constexpr char kTextServiceClsid[] = "{65653599-5030-4C0F-8871-83F6AFDE5098}";
// HKEY_LOCAL_MACHINE key that the DLLs' registration creates.
inline constexpr char kTextServiceKey[] = "SOFTWARE\\Microsoft\\CTF\\TIP\\{65653599-5030-4C0F-8871-83F6AFDE5098}";
// HKEY_CURRENT_USER key of the keyboard sort order for Simplified Chinese.
inline constexpr char kSortOrderKey[] =
    "SOFTWARE\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\0x00000804\\{34745C63-B2F0-4784-8B67-5E12C8701A31}";

// 1-based position of the text service among the first 100 sort-order items; 0 when it is not
// there, when an item up to it is incomplete, or when the list can't be read.
int FindTextServiceInSortOrder();

// Runs regsvr32 on the DLLs for the system bitness (once on 32-bit systems; on 64-bit ones twice,
// and twice more with WOW64 redirection off when this process runs under WOW64). Always 1.
int RegisterTextService();

// The second pass of a WOW64 process, with the file-system redirection switched off. Always 1.
int RegisterTextServiceNative();

// Runs "regsvr32 /u /s" on each text-service DLL found in the System and WOW64 system directories,
// waiting for each, then removes the text service's TIP key from both registry views where it is
// still there.
void UnregisterTextService();

// Whether the text service's TIP key exists in either registry view.
bool TextServiceRegistered();

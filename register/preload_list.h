// The user's preload list of keyboard layouts (number 1 is the default input method): reading it,
// finding the input method in it, moving it to second place, swapping the first two, and adding the
// input method's layout id. On NT the list is the REG_SZ values "1".."49" of "keyboard layout\preload";
// on Windows 9x it is the subkeys "1".."49" of that key, each with the id as its default value.
#pragma once

// Refreshes g_state.versionWord from GetVersion and answers its Windows 9x flag (the top bit).
bool RefreshWin9xFlag();

// Reads the current user's list and each id's "layout text" into g_state.preload; returns the count
// (0 also when the keys can't be opened).
int ReadPreloadList();

// Reads the list and sets position and found at the first entry whose layout text marks the input
// method.
bool FindImeInPreload();

// After an IMM install on Windows XP or earlier: moves the input method found at number 3 or later
// to number 2, for the current and the default user.
void PromoteImeInPreload();

// Exchanges numbers 1 and 2 (ids of the last read) for the current and the default user.
void SwapFirstTwoPreload();

// Adds layoutId to the current user's list: nothing when it is listed, over an entry that differs
// only in its language part, else at the first free number (over "49" when all are taken).
void InsertIntoPreload(const char* layoutId);

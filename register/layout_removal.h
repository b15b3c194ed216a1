// Taking the input method's IMM registration away again: its Keyboard Layouts entries (those whose
// IME file is quorel4.ime), unloaded first where they are loaded, and their numbers in the preload
// lists of the current and the default user, where the entries after them move up so that the
// numbers stay without gaps. Every other layout and list entry is left as it was.
#pragma once

constexpr int kOwnLayoutsMax = 16;
constexpr unsigned kLayoutIdChars = 8;

struct OwnLayouts {
    char ids[kOwnLayoutsMax][kLayoutIdChars + 1];
    int count;
};

// The layout ids whose "Ime File" names quorel4.ime: bare, as the manual entry writes it, or with
// the system directory in front, as the system's IMM installer writes it.
void FindOwnLayouts(OwnLayouts* layouts);

// Unloads each layout where it is loaded, deletes its entry and takes its ids out of the preload
// lists (the current user's in the form of this Windows version, the default user's NT list).
void RemoveOwnLayouts(const OwnLayouts& layouts);

// Keeping a folder the one real folder of its name while the setup writes into it. The install
// directory lets every user write, and an empty folder one may write can be turned into a junction
// or mount point leading anywhere: everything then written by its name would land there. A folder
// that holds anything cannot be turned so. Pinning finds the folder real by its own name and puts an
// empty folder of the program's own into it, made through a handle of the folder itself (so that it
// lands there whatever the name leads to meanwhile), which only administrators may remove and which
// goes when the program unpins or ends. This holds for a folder whose parent ordinary users cannot
// change, as the Program Files folder of the install directory.
#pragma once

enum class PinResult {
    kPinned,   // a real folder reached by its own name, now pinned (or pinned already)
    kMissing,  // nothing at the name
    kNotReal,  // a link or anything else at the name, or the pin could not be placed
};

PinResult PinDirectory(const char* path);

// Takes the pins away; each pinned folder is as it was before.
void UnpinDirectories();

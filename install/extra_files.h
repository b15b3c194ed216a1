// The extra files after the install: the check of the installed payload, the choice of the status
// window and the skin, and the chosen skin unpacked and checked.
#pragma once

// Opens the status-window mode and skin dialog; it leaves the answers in g_state. The window that
// owns the dialog supplies it.
using SkinChooser = void (*)();

// Runs the payload check, then, unless earlier data is kept and a complete skin is already there,
// the chooser and the chosen skin's installation, reporting what did not arrive.
void InstallExtraFiles(SkinChooser chooseSkin);

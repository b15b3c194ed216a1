// Names shared by the input method's stand-in components.
#pragma once

// Class id of the text service (also the name of its TIP key).
#define QUOR_TEXT_SERVICE_CLSID "{65653599-5030-4C0F-8871-83F6AFDE5098}"

// Window class of the IMM user interface; the setup program looks for it to find programs that
// have the input method loaded.
#define QUOR_IME_UI_CLASS L"UITAVO"

// The Big5 form of the layout text, for code page 950. This file alone is compiled to Big5 bytes.
#include "register/keyboard_layout.h"

extern const char kLayoutTextBig5[] = "智能嵐石輸入平台  8.6";

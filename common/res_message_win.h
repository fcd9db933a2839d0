#pragma once
// Message boxes whose texts are strings of the resource library: the title is string 1100,
// the text the string asked for.
#include "common/win.h"

// An OK box with string stringId of the resource library as text and string 1100 as title.
// 0 when the library or the id is missing, or the string cannot be loaded (the caller may
// then show a fall-back); else 1.
int ShowResMessage(HWND owner, HINSTANCE resourceLibrary, UINT stringId);

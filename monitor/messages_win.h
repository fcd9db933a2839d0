#pragma once
// Message boxes of the monitor. While the environment check runs they are suppressed.
#include "common/win.h"

// True while a top-level window of class "InstallExeClass" titled "Vigil3 Environment Check"
// exists.
bool IsEnvCheckRunning();

// A box with string id of the resource library as text and string 1100 as title. 0 when the
// library or the id is missing, or the string cannot be loaded (the caller then shows its
// English fall-back); else 1.
int ShowResMessage(HWND owner, HINSTANCE resourceLibrary, UINT stringId);

// An OK box titled "KORVA Vigil 3" with a fixed English text.
void ShowFallbackMessage(const char* text);

// The resource string, or the fall-back text when no library or no such string exists.
void ShowResOrFallback(HINSTANCE resourceLibrary, UINT stringId, const char* fallback);

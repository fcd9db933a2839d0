#pragma once
// Message boxes of the monitor. While the environment check runs they are suppressed.
#include "common/res_message_win.h"
#include "common/win.h"

// True while a top-level window of class "InstallExeClass" titled "Vigil3 Environment Check"
// exists.
bool IsEnvCheckRunning();

// An OK box titled "KORVA Vigil 3" with a fixed English text.
void ShowFallbackMessage(const char* text);

// The resource string, or the fall-back text when no library or no such string exists.
void ShowResOrFallback(HINSTANCE resourceLibrary, UINT stringId, const char* fallback);

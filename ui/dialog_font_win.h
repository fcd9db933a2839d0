#pragma once
// The replacement font of a dialog on a double-byte system (the rule: dialog_font_rules.h).
#include "common/win.h"

// Whether the system supports double-byte characters. The font code asks through this seam
// so that a test can play a double-byte system; null means the system's own answer
// (SM_DBCSENABLED).
using DoubleByteProbe = bool (*)();
// Sets the probe and returns the previous one.
DoubleByteProbe SetDoubleByteProbe(DoubleByteProbe probe);
bool IsDoubleByteSystem();

// The font that replaces the dialog's own, or null when it keeps its own. The caller owns
// the font and hands it to the dialog and its children.
HFONT MakeReplacementFont(HWND dialog);

#pragma once
// The HTML Help control, bound at run time: the file that the system registers as the
// control's in-process server (its CLSID's "InprocServer32"), else "hhctrl.ocx" of the system
// folder, and its entries by ordinal (14 the ANSI entry, 15 the wide one). Each entry is
// bound once per process; a binding that failed is not tried again, and its calls then do
// nothing and return null.
#include "common/win.h"

// The HTML Help control's class.
constexpr char kHtmlHelpClsidKey[] =
    "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr WORD kHtmlHelpAnsiOrdinal = 14;
constexpr WORD kHtmlHelpWideOrdinal = 15;

HWND VgHtmlHelpA(HWND caller, const char* file, UINT command, DWORD_PTR data);
HWND VgHtmlHelpW(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data);

// Whether the entry is bound (binding it now if it was not tried yet).
bool IsHtmlHelpABound();
bool IsHtmlHelpWBound();

#pragma once
// Window messages of the status window: what its status worker posts to it (the worker's
// result in wParam, lParam 0) and what a second status window of the same printer sends it.
// Both sides include this one list, so the numbers cannot drift apart.
#include "common/win.h"

// A second status window of the printer asks this one to stay open.
constexpr UINT WM_USERDETAIL = WM_USER + 6;
// A second pop-up start of the printer asks this one forward.
constexpr UINT WM_USERPOPUP = WM_USER + 7;
// The status worker's reports.
constexpr UINT WM_RESULT_DEVICEID_ERROR = WM_USER + 0x28;  // the device check's result
constexpr UINT WM_RESULT_CHANNEL_ERROR = WM_USER + 0x29;   // no status channel could be opened
constexpr UINT WM_RESULT_QVSTATUS = WM_USER + 0x2A;        // a status fetch finished
// Sent by nothing in the system; the window only logs it.
constexpr UINT WM_STATUS_READ = WM_USER + 50;

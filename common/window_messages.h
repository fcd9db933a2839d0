#pragma once
// The window messages that cross from one window, thread or process to another: those of the
// status window (what its status worker posts to it, the worker's result in wParam and lParam
// 0, and what a second status window or the pop-up program of the same printer sends it) and
// those of the monitor's hidden main window. Every sender and receiver includes this one list, so
// the numbers cannot drift apart.
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

// The preferences dialog: another part of the library reports a file that did not open; the
// dialog shows its message unless bit 0 of lParam is set.
constexpr UINT WM_PREFERENCES_FILE_OPEN_FAILED = WM_USER + 10;

// The monitor's main window. A second monitor started for the same printer posts the first
// one this (both parameters 0): the job goes on, so its quit timer starts over.
constexpr UINT WM_RESTART_QUIT_TIMER = WM_USER + 7;
// Posted by the monitor to its own window: the window's thread carries out the last request
// to set or kill the quit timer, which only that thread may do.
constexpr UINT WM_APPLY_QUIT_TIMER = WM_USER + 8;

#pragma once
// The preferences entry of the library (PrStartPreference) and what OK sets going: the tray
// icon program's registration at log-on for the printer (a value under the current user's
// "Run" key) and its start at once, with the R flag when the icon was switched off.
#include "common/win.h"

// RunPreferenceDialog's results.
constexpr int kPreferencesConfirmed = 0;
constexpr int kPreferencesCancelled = 1;
constexpr int kPreferencesFailed = -1;        // an argument too long, or no resources
constexpr int kPreferencesOtherResult = -3;   // the dialog ended another way

// Runs the printer's preferences; on OK registers and starts (or stops) the icon program.
int RunPreferenceDialog(const char* printerName, const char* driverName, const char* portName,
                        const char* modelId, const char* resourceLibrary);

// Tray switch 1: the printer's Run value starts the icon program from an auto-start parameter
// file (from options when no file can be made). Otherwise the value goes, and the file it
// names with it. 1 done (a Run key that does not open is passed over), 0 when no command line
// could be formed (the icon program is not installed, or the line does not fit).
int RegisterStartup(int trayEnable, const char* printerName, const char* driverName,
                    const char* portName, const char* modelId);

// Starts the icon program for the printer now, with the R flag when trayEnable is 0. 1 when it
// was started.
int RunIconProgram(int trayEnable, const char* printerName, const char* driverName,
                   const char* portName, const char* modelId);

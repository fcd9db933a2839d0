#pragma once
// The network agent settings of the preferences: which agent applies to a printer's driver
// and whether it may monitor, the start of the maker's agent settings program that changes
// that (with the wait dialog meanwhile), and the one place from which the agent's programs
// are started.
#include "common/win.h"

// What the agent settings take from the preferences dialog.
struct AgentDialogInfo {
  const char* driverName = nullptr;
  const char* printerName = nullptr;
  HWND dialog = nullptr;                  // owner of the elevation prompt, parent of the wait
  const char* resourceLibrary = nullptr;  // file name of the resource library (wait dialog)
};

// 2 when the Driver key's "QVAPI32" is "QVAPI2.DLL" (any letter case), else 1.
int GetAgentKind(const char* driverName);
// Kind 2: 1 when "AllowMonitoring" of HKLM software\KORVA\QVPrinter\SAgent2 is non-zero (a
// missing key or value is 0). Kind 1: 1 when the "ZRAgent" service key exists. Else 0.
int IsAgentAllowed(int kind);
// 1 for an agent kind below 2 when the bidirectional library's key ("Software\Korva\eQVAPI")
// is missing and the IPX/SPX protocol's ("Enum\Network\NWLINK") exists; else 0.
int IsLegacyNetworkOnly(int agentKind);
// 1 on the NT platform from version 6 on.
int IsVistaOrLater();

// Starts the agent settings program of the Driver key's "VG_RCV" for the dialog's driver and
// printer with inhibit flag n (1: monitoring was allowed and is now forbidden, 0: the other way
// round), and shows the wait dialog while it works. Before Vista it is started directly;
// from Vista on a copy in the common application-data folder ("\KORVA\") is started through
// the shell's elevation, and a refused or failed elevation shows no wait dialog. Every
// failure ends the operation silently.
void SetQOLTAgent2(const AgentDialogInfo& dialog, int n);

namespace vgagent {

// Starts a program with a whole command line (its path leads the line): 1 when it started.
int StartProgram(const char* programPath, const char* commandLine);
// Starts a program through the shell's elevation ("runas"), owned by `owner`; the shell's
// result, and in *lastError the error that the call left.
INT_PTR StartElevated(HWND owner, const char* programPath, const char* parameters,
                      DWORD* lastError);

// Wine grants every elevation without asking, so a refusal cannot happen there: tests put a
// starter of their own in the shell's place. Null puts the shell back.
using ElevatedStarter = INT_PTR (*)(HWND owner, const char* programPath, const char* parameters,
                                    DWORD* lastError);
void SetElevatedStarter(ElevatedStarter starter);

}  // namespace vgagent

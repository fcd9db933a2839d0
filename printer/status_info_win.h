#pragma once
// CStatusInfo: the decoder. It owns the status tables, filled from the STATUS lines of the
// model's profile when it is built, and turns a status reply (or a forced status number)
// into a CPrinterStatus with texts, category row and help link.
#include <cstdint>
#include <string>

#include "common/win.h"
#include "printer/printer_status_win.h"
#include "printer/status_ctrl.h"

// The trouble resources of the resource library: this id plus the record's help number.
constexpr int kTroubleResourceBase = 11010;

class CStatusInfo {
 public:
  // profileIniPath: the profile INI of the printer being served; its language section's
  // STATUS lines go in front of the built-in rows. Null, empty or unreadable: built-in
  // rows only.
  explicit CStatusInfo(const char* profileIniPath = nullptr);
  virtual ~CStatusInfo();
  CStatusInfo(const CStatusInfo&) = delete;
  CStatusInfo& operator=(const CStatusInfo&) = delete;

  // The model's data file, which serves the help links; also notes whether HTML files have
  // a class under HKEY_CLASSES_ROOT (".HTM"). Null clears the name. Always 1.
  int SetDatFile(const char* name);
  // The resource library: string resources of the built-in texts and trouble resources.
  void SetResourceModule(HMODULE module) { m_hResource = module; }
  // The driver whose Driver key holds "InstallPath", the folder of troubleshooting files.
  void SetDriverName(const char* driverName);

  // A new status for the channel's reply (reply may be null), or null for an invalid reply
  // or when no record fits. forcedStatusNo, when not 0, replaces the matched number. The
  // fifth value is not used. The caller deletes the result (or hands it to
  // ReleaseStatusObject).
  CPrinterStatus* CreateStatusObject(DWORD channel, const void* reply, int size, int forcedStatusNo,
                                     int unused);
  void ReleaseStatusObject(CPrinterStatus* status) { delete status; }

  // The status number of the first code row that matches, or 0.
  int GetStatusNo(const StatusReply& reply);
  // The index of the record of that kind and number, or -1.
  int SearchStatusInfo(int kind, int statusNo);

  const char* GetDatFile() const { return m_szDatFile; }
  bool IsHtmlHelp() const { return m_bHtmlHelp != FALSE; }
  const CStatusCtrl& GetStatusCtrl() const { return m_cStatusCtrl; }
  // The result of loading the profile rows (see kBuild*; 1 = all rows built).
  int GetLoadResult() const { return m_nLoadResult; }

 private:
  int LoadProfile(const char* profileIniPath);
  HelpLink FindHelpLink(int helpNo) const;
  bool FindHelpFile(int helpNo, char (&path)[MAX_PATH]) const;

  CStatusCtrl m_cStatusCtrl;
  char m_szDatFile[MAX_PATH] = {};
  BOOL m_bHtmlHelp = FALSE;
  HMODULE m_hResource = nullptr;
  char m_szDriverKey[MAX_PATH] = {};
  int m_nLoadResult = kBuildNoRecords;
};

// Reads a whole text file of at most maxBytes; false when it cannot be opened or read.
bool ReadTextFile(const char* path, std::string* text, DWORD maxBytes = 4u << 20);

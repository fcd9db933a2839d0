#pragma once
// CStatusInfo: the decoder. It holds the status tables, filled from the STATUS lines of the
// model's profile when it is built, and turns a status reply (or a forced status number)
// into a CPrinterStatus with texts, category row and help link.
//
// The tables built from a profile are kept for the process and shared by every decoder of
// that profile, read-only, while the profile file keeps its last-write time and size and its
// language section stays the same; a changed profile gets new tables. Thread-safe.
#include <cstdint>
#include <memory>
#include <string>

#include "common/win.h"
#include "printer/help_link_win.h"
#include "printer/printer_status_win.h"
#include "printer/status_ctrl.h"

class CStatusInfo {
 public:
  // profileIniPath: the profile INI of the printer being served; its language section's
  // STATUS lines go in front of the built-in rows. Null, empty or unreadable: built-in
  // rows only.
  explicit CStatusInfo(const char* profileIniPath = nullptr);
  virtual ~CStatusInfo();
  CStatusInfo(const CStatusInfo&) = delete;
  CStatusInfo& operator=(const CStatusInfo&) = delete;

  // The model's data file, which serves the help links. Null clears the name. Always 1.
  int SetDatFile(const char* name);
  // The resource library: string resources of the built-in texts and trouble resources.
  void SetResourceModule(HMODULE module) { m_stHelp.resource = module; }
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

  const char* GetDatFile() const { return m_stHelp.datFile; }
  // Whether help files can be shown: a data file is set and HTML files have a class under
  // HKEY_CLASSES_ROOT (".HTM"), asked when this is asked (as the help links ask it).
  bool IsHtmlHelp() const { return m_stHelp.datFile[0] != '\0' && HtmlClassExists(); }
  const CStatusCtrl& GetStatusCtrl() const { return *m_pStatusCtrl; }
  // The result of loading the profile rows (see kBuild*; 1 = all rows built).
  int GetLoadResult() const { return m_nLoadResult; }

 private:
  std::shared_ptr<const CStatusCtrl> m_pStatusCtrl;
  HelpSource m_stHelp;  // data file, Driver key and resource library of the help links
  int m_nLoadResult = kBuildNoRecords;
};

// Reads a whole text file of at most maxBytes; false when it cannot be opened or read.
bool ReadTextFile(const char* path, std::string* text, DWORD maxBytes = 4u << 20);

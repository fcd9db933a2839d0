#pragma once
// CPrinterStatus: one decoded status on the heap. CStatusInfo::CreateStatusObject makes it;
// whoever receives it deletes it (through the virtual destructor).
#include <cstdint>

#include "common/win.h"
#include "printer/status_reply.h"
#include "printer/status_tables.h"

// Kinds of help a status can carry.
constexpr int kHelpNone = 0;
constexpr int kHelpFile = 1;      // a troubleshooting file of the installation
constexpr int kHelpResource = 2;  // a trouble resource (RCDATA) of the resource library

struct HelpLink {
  int type = kHelpNone;
  char path[MAX_PATH] = {};
  HRSRC resource = nullptr;
};

class CPrinterStatus {
 public:
  // reply is ignored (kept zero-filled) when hasReply is false; a missing category row gives
  // six zeros. resourceModule serves the texts that are string resource ids.
  CPrinterStatus(bool hasReply, const StatusReply& reply, const CategoryRow* category,
                 const HelpLink& help, const StatusRecord& record, HMODULE resourceModule);
  virtual ~CPrinterStatus();
  CPrinterStatus(const CPrinterStatus&) = delete;
  CPrinterStatus& operator=(const CPrinterStatus&) = delete;

  int GetStatusNo() const { return m_stRecord.statusNo; }
  int GetSimpleStatusNo() const { return m_stRecord.simpleNo; }
  int GetNotifyNo() const { return m_stRecord.notifyNo; }
  int GetSoundResNo() const { return m_stRecord.soundResNo; }
  int GetCategory() const { return m_stRecord.category; }
  int GetHelpNo() const { return m_stRecord.helpNo; }
  // 0 when no reply was parsed, 2 while the printer's state is 3, else 1.
  int GetPrintingState() const;

  // The two texts into out[size] (at most kStatusTextSize bytes are used): the inline text,
  // or the string resource of that id from the resource library ("" when it cannot be
  // loaded). Returns the characters written.
  int GetText1(char* out, int size) const;
  int GetText2(char* out, int size) const;

  // The six numbers of the display category's row.
  const CategoryRow& GetCategoryRow() const { return m_stCategory; }

  int GetHelpType() const { return m_nHelpType; }
  const char* GetHelpPath() const { return m_szHelpPath; }
  HRSRC GetHelpResource() const { return m_hHelpResource; }

  bool HasReply() const { return m_bHasReply != FALSE; }
  const StatusReply& GetReply() const { return m_stReply; }
  uint16_t GetCounter() const { return m_stReply.counter; }
  const StatusRecord& GetRecord() const { return m_stRecord; }

 private:
  int GetText(const char (&text)[kStatusTextSize], char* out, int size) const;

  BOOL m_bHasReply;
  StatusReply m_stReply;
  CategoryRow m_stCategory;
  int m_nHelpType;
  char m_szHelpPath[MAX_PATH];
  HRSRC m_hHelpResource;
  StatusRecord m_stRecord;
  HMODULE m_hResource;
};

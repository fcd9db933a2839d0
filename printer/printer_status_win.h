#pragma once
// CPrinterStatus: one decoded status on the heap. CStatusInfo::CreateStatusObject makes it;
// whoever receives it deletes it (through the virtual destructor).
#include <cstdint>

#include "common/win.h"
#include "printer/help_link_win.h"
#include "printer/status_reply.h"
#include "printer/status_tables.h"

class CPrinterStatus {
 public:
  // reply is ignored (kept zero-filled) when hasReply is false; a missing category row gives
  // six zeros. The help link is found from help (the record's help number) when it is first
  // asked for. resourceModule serves the texts that are string resource ids.
  CPrinterStatus(bool hasReply, const StatusReply& reply, const CategoryRow* category,
                 const HelpSource& help, const StatusRecord& record, HMODULE resourceModule);
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

  // The help link, found on the first of these calls (the resource library must still be
  // loaded then).
  int GetHelpType() const { return Help().type; }
  const char* GetHelpPath() const { return Help().path; }
  HRSRC GetHelpResource() const { return Help().resource; }

  bool HasReply() const { return m_bHasReply != FALSE; }
  const StatusReply& GetReply() const { return m_stReply; }
  uint16_t GetCounter() const { return m_stReply.counter; }
  const StatusRecord& GetRecord() const { return m_stRecord; }

 private:
  int GetText(const char (&text)[kStatusTextSize], char* out, int size) const;
  const HelpLink& Help() const;

  BOOL m_bHasReply;
  StatusReply m_stReply;
  CategoryRow m_stCategory;
  HelpSource m_stHelpSource;
  mutable HelpLink m_stHelp;
  mutable bool m_bHelpFound = false;
  StatusRecord m_stRecord;
  // The resource library of the texts, borrowed: the library's loader keeps it while
  // statuses live.
  HMODULE m_hResource;
};

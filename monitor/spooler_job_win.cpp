#include "monitor/spooler_job_win.h"

#include <new>
#include <string>

#include "common/debug_log_win.h"
#include "common/kv_open_printer_win.h"
#include "common/unique_handle.h"
#include "common/windows_version_win.h"
#include "monitor/spooler_access_win.h"
#include "monitor/spooler_job_rules.h"
#include "common/app_mem_win.h"

int ChkSubSpoolerJob(HANDLE printer) {
  VgLogWrite("CMainFrame::ChkSubSpoolerJob");
  if (printer == nullptr) return -1;
  SpoolerAccess& spooler = TheSpooler();
  BYTE probe[1] = {};
  DWORD needed = 0;
  DWORD returned = 0;
  spooler.EnumJobs(printer, 0, 2, probe, sizeof probe, &needed, &returned);
  if (needed == 0) {
    VgLogWrite("[ChkSubSpoolerJob] monitoring is finish, because job is none.");
    return 0;
  }
  CAppMem jobs;
  if (jobs.Alloc(needed) == nullptr) {
    VgLogWrite("[ChkSubSpoolerJob] monitoring is finish, because memory allocate error.");
    return -2;
  }
  returned = 0;
  if (!spooler.EnumJobs(printer, 0, 2, jobs.As<BYTE>(), needed, &needed, &returned)) returned = 0;
  const char* document = nullptr;
  if (returned == 1) {
    document = jobs.As<JOB_INFO_1A>()->pDocument;
    if (document) VgLogWrite("!! found document", document);
  }
  const vgmon::QueueVerdict verdict = vgmon::JudgeQueue(static_cast<int>(returned), document);
  if (verdict.logsName && document) {
    VgLogWrite(verdict.logText, document);
  } else {
    VgLogWrite(verdict.logText);
  }
  return verdict.result;
}

int ChkSpoolerJob(const char* printerName, const char* portName) {
  VgLogWrite("CMainFrame::ChkSpoolerJob");
  VgLogWrite("[1] check is local...");
  const char* printer = printerName ? printerName : "";
  const char* port = portName ? portName : "";
  int result = 0;
  {
    ScopedPrinter handle;
    if (!KV_OpenPrinter(printer, handle.Receive(), nullptr) || !handle.IsValid()) {
      VgLogWrite("[1] KV_OpenPrinter is failed.", printer);
      return -1;
    }
    VgLogWrite("[1] KV_OpenPrinter is succeed.", printer);
    result = ChkSubSpoolerJob(handle.Get());
  }
  if (result != 0) return result;

  if (vgmon::ShouldAskServerQueue(IsNtPlatform(), printer, port)) {
    VgLogWrite("[1] check is server...");
    ScopedPrinter server;
    if (KV_OpenPrinter(port, server.Receive(), nullptr) && server.IsValid()) {
      VgLogWrite("[2] KV_OpenPrinter is succeed.", port);
      result = ChkSubSpoolerJob(server.Get());
    } else {
      VgLogWrite("[2] KV_OpenPrinter is failed.", port);
    }
  }
  return result;
}

int GetSpoolPause(const char* printerName) {
  if (printerName == nullptr || printerName[0] == '\0') return -1;
  ScopedPrinter handle;
  if (!KV_OpenPrinter(printerName, handle.Receive(), nullptr) || !handle.IsValid()) return -1;
  DWORD status = 0;
  if (!TheSpooler().QueueStatus(handle.Get(), &status)) return -1;
  return status == PRINTER_STATUS_PAUSED ? 1 : 0;
}

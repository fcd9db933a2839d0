// PrGetStatus: the monitor's poll. One status reply from the session's status channel,
// decoded into the status numbers and the pop-up and sound flags, and stored in the printer's
// target key for the status window; an unreachable printer gets a substitute
// communication-error status instead. The target key is found and opened once per call and
// serves every write and switch of the call.
#include <memory>
#include <string>

#include "common/app_mem_win.h"
#include "common/change_watch_win.h"
#include "common/debug_log_win.h"
#include "common/exception_guard_win.h"
#include "common/registry_win.h"
#include "common/target_keys_win.h"
#include "common/vgprn_exports.h"
#include "printer/channel_rules.h"
#include "printer/monitoring_buffer_win.h"
#include "printer/printer_status_win.h"
#include "printer/qvapi_binding_win.h"
#include "printer/session_state_win.h"
#include "printer/sound_notify_win.h"
#include "printer/status_info_win.h"
#include "printer/status_query_rules.h"
#include "printer/status_tables.h"
#include "printer/vgprn_app_win.h"

namespace {

using vgquery::ReadOutcome;

struct Outputs {
  int* popup;
  int* soundPlay;
  int* printing;
  int* realStatus;
  int* simpleStatus;

  void Set(int* out, int value) const {
    if (out) *out = value;
  }
};

class StatusQuery {
 public:
  StatusQuery(int enableGetStatusErr, const Outputs& out)
      : enable_(enableGetStatusErr), out_(out), app_(TheApp()), identity_(app_.BaseInfo()) {}

  int Run(const CTraceScope& trace);
  // No session, no valid printer or no usable library: the printer cannot be reached, and the
  // outputs say so as for a failed read (the substitute status), never a status not read.
  int RunUnreachable(const CTraceScope& trace);

 private:
  void Prepare();
  ReadOutcome Classify(int result, bool firstRead);
  // The query's result for a read that did not deliver a reply.
  int Conclude(const CTraceScope& trace, ReadOutcome outcome);
  int Finish(const CTraceScope& trace, int result);
  int Substitute(const CTraceScope& trace);
  void Notify(int notifyNo, int simpleNo);
  void LogValues(const CTraceScope& trace) const;
  // The printer's target key, found and opened on first use (closed when there is none).
  Registry& Target();

  int enable_;
  Outputs out_;
  CVG_PxxxxApp& app_;
  const CBaseInfo& identity_;
  CMonitoringBuffer* session_ = nullptr;
  std::unique_ptr<CStatusInfo> info_;
  Registry target_;
  bool targetOpened_ = false;
  CAppMem reply_;
  int popup_ = 0;
  int soundPlay_ = 0;
  int printing_ = 0;
  int real_ = 0;
  int simple_ = 0;
};

// Counts a tolerated parallel-port error as it classifies: call it once per read.
ReadOutcome StatusQuery::Classify(int result, bool firstRead) {
  vgquery::BusyAllowance allowance;
  allowance.disableNum = app_.m_nComErrDisableNum;
  allowance.lptStatusChannel =
      vgchan::IsLptStatusChannel(identity_.PortName(), session_->m_dwStatusChannel) != 0;
  allowance.count = &app_.m_nComErrCount;
  return vgquery::ClassifyStatusRead(result, firstRead, allowance);
}

int StatusQuery::Conclude(const CTraceScope& trace, ReadOutcome outcome) {
  switch (outcome) {
    case ReadOutcome::kNothing:
      return Finish(trace, 0);
    case ReadOutcome::kFailure:
      return Finish(trace, -1);
    default:
      return Substitute(trace);
  }
}

void StatusQuery::LogValues(const CTraceScope& trace) const {
  trace.Write("iEnableGetStatusErr : %d, pbPopup : %d, pbSoundPlay : %d, bPrinting : %d, "
              "pnRealStatusNo : %d, pnSimpleStatusNo : %d\n",
              enable_, popup_, soundPlay_, printing_, real_, simple_);
}

int StatusQuery::Finish(const CTraceScope& trace, int result) {
  trace.Write("PrGetStatus : error : %d\n", result == 0 ? 0 : -2);
  reply_.Free();
  return result;
}

Registry& StatusQuery::Target() {
  if (!targetOpened_) {
    OpenTargetKeyToWrite(identity_.PrinterName(), identity_.PortName(), &target_);
    targetOpened_ = true;
  }
  return target_;
}

void StatusQuery::Notify(int notifyNo, int simpleNo) {
  NotifyItems notify(Target());
  GetSoundNotify(Target(), notify, notifyNo, &soundPlay_, &popup_);
  int buzzer = 0;
  GetBeepBuzzer(Target(), notify, identity_.ModelID(), simpleNo, &buzzer);
  if (buzzer == 1) soundPlay_ = 1;
  out_.Set(out_.popup, popup_);
  out_.Set(out_.soundPlay, soundPlay_);
}

int StatusQuery::Substitute(const CTraceScope& trace) {
  trace.Write("PrGetStatus : error : %d\n", -1);
  reply_.Free();
  const DWORD statusChannel = session_ ? session_->m_dwStatusChannel : 0;
  const bool haveChannel = statusChannel != 0 && session_->m_hStatusChannel != 0;
  int forced;
  if (haveChannel) {
    forced = enable_ > 0 ? kStatusCommErrorReported : kStatusCommError;
    SetComStatus(Target(), enable_ > 0 ? 4 : 0);
  } else if (GetComStatus(Target()) == 3) {
    forced = kStatusOtherModel;  // the monitor saw another model on the port
  } else {
    forced = enable_ > 0 ? kStatusCommErrorReported : kStatusCommError;
  }
  std::unique_ptr<CPrinterStatus> status(
      info_->CreateStatusObject(statusChannel, nullptr, 0, forced, 0));
  if (!status) return -1;
  simple_ = status->GetSimpleStatusNo();
  out_.Set(out_.simpleStatus, simple_);
  Notify(simple_, simple_);
  trace.Write("PrGetStatus() : Error\n");
  LogValues(trace);
  return 1;
}

void StatusQuery::Prepare() {
  session_ = app_.Session();
  info_ = std::make_unique<CStatusInfo>(identity_.ProfilePath());
  info_->SetDatFile(identity_.ProfilePath());
  info_->SetDriverName(identity_.DriverName());
  info_->SetResourceModule(app_.ResourceModule());
  out_.Set(out_.popup, 0);
  out_.Set(out_.soundPlay, 0);
  out_.Set(out_.printing, 0);
  out_.Set(out_.realStatus, 0);
}

int StatusQuery::RunUnreachable(const CTraceScope& trace) {
  Prepare();
  return Substitute(trace);
}

int StatusQuery::Run(const CTraceScope& trace) {
  Prepare();

  if (session_->m_dwStatusChannel == 0 || session_->m_hStatusChannel == 0) {
    trace.Write("ERROR!! : dwChan == NULL || hChan == NULL\n");
    return Substitute(trace);
  }
  const PrinterAddress address = CurrentPrinterAddress();
  CQvApiChannel channel(address.kind, address.name);

  int32_t size = 0;
  int result = channel.GetStatusOf(session_->m_hStatusChannel, nullptr, &size);
  trace.Write("PrGetStatus : QVGetStatus(1st) : %d\n", result);
  ReadOutcome outcome = Classify(result, true);
  if (outcome != ReadOutcome::kContinue) return Conclude(trace, outcome);
  // A library that reports no size gets an empty buffer; its second answer decides.
  if (size < 0) size = 0;
  if (reply_.Alloc(static_cast<size_t>(size) + 1) == nullptr) return Finish(trace, -1);
  const int32_t allocated = size;
  result = channel.GetStatusOf(session_->m_hStatusChannel, reply_.Get(), &size);
  if (size < 0 || size > allocated) size = allocated;
  trace.Write("PrGetStatus : QVGetStatus(2nd) : %d\n", result);
  trace.Write("Status : %.*s\n", static_cast<int>(size), reply_.As<char>());
  outcome = Classify(result, false);
  if (outcome != ReadOutcome::kContinue) return Conclude(trace, outcome);

  std::unique_ptr<CPrinterStatus> status(
      info_->CreateStatusObject(session_->m_dwStatusChannel, reply_.Get(), size, 0, 0));
  if (!status) {
    trace.Write("ERROR!! : NULL == pStatus\n");
    return Substitute(trace);
  }
  if (status->GetStatusNo() == kStatusCommError ||
      status->GetStatusNo() == kStatusCommErrorReported) {
    status.reset();
    trace.Write("PrGetStatus : ERROR!! : CStatusInfo::COMMUNICATION_ERROR\n");
    return Substitute(trace);
  }

  app_.m_nComErrCount = 0;
  SetTargetStatus(Target(), reply_.As<BYTE>(), static_cast<DWORD>(size),
                  session_->m_dwStatusChannel);
  SetComStatus(Target(), 1);
  reply_.Free();
  real_ = status->GetStatusNo();
  simple_ = status->GetSimpleStatusNo();
  printing_ = status->GetPrintingState();
  const int notifyNo = status->GetNotifyNo();
  status.reset();
  out_.Set(out_.realStatus, real_);
  out_.Set(out_.simpleStatus, simple_);
  out_.Set(out_.printing, printing_);

  // A repeated "printing" status neither pops up nor sounds again.
  if (vgquery::IsRepeatedPrintingStatus(printing_, simple_, real_, app_.m_nLastRealStatusNo)) {
    return 1;
  }
  app_.m_nLastRealStatusNo = real_;
  Notify(notifyNo, simple_);
  trace.Write("PrGetStatus() : Success\n");
  LogValues(trace);
  return 1;
}

}  // namespace

extern "C" int __cdecl PrGetStatus(int iEnableGetStatusErr, int* pbPopup, int* pbSoundPlay,
                                   int* bPrinting, int* pnRealStatusNo, int* pnSimpleStatusNo) {
  return vg::Guarded("PrGetStatus()", -1, [&]() -> int {
    CTraceScope trace("PrGetStatus()");
    CVG_PxxxxApp& app = TheApp();
    // The profile INI behind several kept facts of one query is looked at once.
    ChangeWatch::Moment moment;
    StatusQuery query(iEnableGetStatusErr,
                      Outputs{pbPopup, pbSoundPlay, bPrinting, pnRealStatusNo, pnSimpleStatusNo});
    // The result stays 1 (a status is delivered), and it is the communication error's.
    if (app.Session() == nullptr || !app.BaseInfo().IsValid()) return query.RunUnreachable(trace);
    CQvApi api;
    if (!api.IsEnabled()) return query.RunUnreachable(trace);
    return query.Run(trace);
  });
}

#pragma once
// The status window's worker without the system: what the registry's communication state
// and the printer's device ID mean to it, what a direct status read gives the window, how
// long it waits between passes, and the loop itself. The worker's Windows side answers the
// questions of StatusWorkerHost; everything it reports goes through Report.
#include <cstdint>
#include <string_view>

#include "printer/status_query_rules.h"

namespace vgworker {

// Seconds between two passes when the window gives none.
constexpr int kDefaultLocalInterval = 5;
constexpr int kDefaultNetworkInterval = 30;
// While a monitor runs, the worker looks at the registry every second.
constexpr int kMonitorInterval = 1;

// The check result for a "ComStatus" value: 0 -1 (printer unreachable), 1 1 (a fresh reply
// stands in the registry), 3 -2 (another model), 4 -3 (unreachable, reported as such),
// 5 -4; anything else, 2 included, 0 (nothing new).
int ComStatusResult(int comStatus);

// The model check over a device ID: 0 when the first QVGetDeviceID said -17 (communication
// off); -1 when the ID names no model ("MDL:" up to ";"); 1 when the model equals modelId
// without regard to case; -2 for another model.
int ModelCheckResult(int32_t firstResult, std::string_view deviceId, std::string_view modelId);

// A status read of the worker that did not deliver a reply, as the window hears of it:
// nothing pending 0; -17, a tolerated busy parallel port or no memory -2; any other failure -1.
constexpr int kReadNothing = 0;
constexpr int kReadBusy = -2;
constexpr int kReadFailed = -1;
int ReadResultOf(vgquery::ReadOutcome outcome);

// Seconds until the next pass: kMonitorInterval while a monitor runs; the network interval
// on an open channel whose mode word has the network bit; the local one otherwise.
int PassInterval(bool monitorRunning, bool channelOpen, uint16_t channelMode, int localInterval,
                 int networkInterval);

// A new interval from the window: 0 keeps the one held.
int ChosenInterval(int held, int given);

// The mapping value of a WM_RESULT_CHANNEL_ERROR: -1 when no status channel exists, 1 when
// one exists but did not open (OpenStatusChannel's -1 and 0).
int ChannelErrorValue(int openResult);

// What the worker tells its window.
enum class Report {
  kDeviceIdError,  // WM_RESULT_DEVICEID_ERROR
  kChannelError,   // WM_RESULT_CHANNEL_ERROR
  kStatus,         // WM_RESULT_QVSTATUS
};

// What the loop asks of the system; the Windows worker answers through its own operations.
class StatusWorkerHost {
 public:
  virtual ~StatusWorkerHost() = default;
  // The running flag: set from the start until the window ends the worker.
  virtual bool IsRunning() = 0;
  // Sleeps up to ms; a stop ends the sleep early.
  virtual void Sleep(unsigned ms) = 0;
  // One line of the debug log (ends in "\n").
  virtual void Trace(const char* line) = 0;
  // Looks for the monitor of the printer and keeps the answer for the status fetch and the
  // interval; true while it runs.
  virtual bool CheckMonitorRunning() = 0;
  virtual int CheckRegComStatus() = 0;
  // Marks the reply in the registry as taken ("ComStatus" 2), so it is not taken twice.
  virtual void TakeReply() = 0;
  virtual int CheckModelIDFromQVAPI() = 0;
  virtual bool IsChannelOpen() = 0;
  virtual int OpenStatusChannel() = 0;
  virtual int GetPrinterStatus() = 0;
  virtual int GetInterval() = 0;
  virtual void Post(Report report, int value) = 0;
};

// The worker's thread body: after half a second, one pass every GetInterval seconds counted
// in one-second sleeps, until the running flag goes. A pass checks the monitor's reply in
// the registry (monitor running) or the printer's model (until it is confirmed once), then
// reports a failed check, or opens the status channel when needed and reports the status
// fetch. Nothing is reported once the running flag is clear.
void RunStatusLoop(StatusWorkerHost& host);

}  // namespace vgworker

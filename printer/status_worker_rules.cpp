#include "printer/status_worker_rules.h"

#include <cstdio>

#include "common/device_id.h"
#include "common/qvapi.h"
#include "common/text_util.h"

namespace vgworker {

int ComStatusResult(int comStatus) {
  switch (comStatus) {
    case 0:
      return -1;
    case 1:
      return 1;
    case 3:
      return -2;
    case 4:
      return -3;
    case 5:
      return -4;
    default:
      return 0;
  }
}

int ModelCheckResult(int32_t firstResult, std::string_view deviceId, std::string_view modelId) {
  if (firstResult == qvapi::kCommunicationOff) return 0;
  const std::string_view model = vgdevice::ModelOf(deviceId);
  if (model.empty()) return -1;
  return vgtext::EqualsNoCase(model, modelId) ? 1 : -2;
}

int ReadResultOf(vgquery::ReadOutcome outcome) {
  switch (outcome) {
    case vgquery::ReadOutcome::kNothing:
      return kReadNothing;
    case vgquery::ReadOutcome::kFailure:
      return kReadBusy;
    default:
      return kReadFailed;
  }
}

int PassInterval(bool monitorRunning, bool channelOpen, uint16_t channelMode, int localInterval,
                 int networkInterval) {
  if (monitorRunning) return kMonitorInterval;
  if (channelOpen && (channelMode & qvapi::kModeNetwork) != 0) return networkInterval;
  return localInterval;
}

int ChosenInterval(int held, int given) { return given != 0 ? given : held; }

int ChannelErrorValue(int openResult) { return openResult < 0 ? -1 : 1; }

namespace {

void TraceFormatted(StatusWorkerHost& host, const char* format, int value) {
  char line[96];
  std::snprintf(line, sizeof line, format, value);
  host.Trace(line);
}

// One pass's report after its check gave r.
void ReportPass(StatusWorkerHost& host, int r) {
  if (r < 0) {
    host.Trace("Error deviceID process\n");
    host.Post(Report::kDeviceIdError, r);
    return;
  }
  if (r != 1) return;
  if (!host.IsChannelOpen()) {
    const int opened = host.OpenStatusChannel();
    if (opened < 1) {
      const int value = ChannelErrorValue(opened);
      if (value < 0) TraceFormatted(host, "Error:GetChannel(), Result : %d\n", value);
      host.Trace("Error status channel process\n");
      host.Post(Report::kChannelError, value);
      return;
    }
  }
  if (!host.IsRunning()) return;
  TraceFormatted(host, "Before PostMessage(WM_RESULT_QVSTATUS), iResult = %d\n", r);
  const int result = host.GetPrinterStatus();
  // The window may have ended the worker during the fetch: it hears nothing more then.
  if (host.IsRunning()) host.Post(Report::kStatus, result);
  TraceFormatted(host, "After PostMessage(WM_RESULT_QVSTATUS), iResult = %d\n", result);
}

}  // namespace

void RunStatusLoop(StatusWorkerHost& host) {
  host.Sleep(500);
  host.Trace("Status loop start\n");
  // The model is checked again by every run of the loop, until it matches once.
  bool deviceConfirmed = false;
  int tick = 0;
  int wait = 0;
  while (host.IsRunning()) {
    if (wait > tick) {
      ++tick;
      host.Sleep(1000);
      continue;
    }
    tick = 0;
    host.Trace("Status loop head\n");
    const bool monitorRunning = host.CheckMonitorRunning();
    host.Trace(monitorRunning ? "Printing = TRUE\n" : "Printing = FALSE\n");
    int r = 0;
    if (monitorRunning) {
      r = host.CheckRegComStatus();
      if (r == 1) {
        deviceConfirmed = true;
        host.TakeReply();
      }
    } else if (!deviceConfirmed) {
      r = host.CheckModelIDFromQVAPI();
      if (r == 1) deviceConfirmed = true;
    } else {
      r = 1;
    }
    if (!host.IsRunning()) break;
    ReportPass(host, r);
    wait = host.GetInterval();
    ++tick;
    host.Sleep(1000);
  }
  host.Trace("Status loop end\n");
}

}  // namespace vgworker

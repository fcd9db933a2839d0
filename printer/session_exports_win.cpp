// The monitoring session behind vgprn's exports: start and end, the printer's channels, its
// device ID, the polling interval, and the printer data calls.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "common/debug_log_win.h"
#include "common/exception_guard_win.h"
#include "common/install_profile_win.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "common/vgprn_exports.h"
#include "printer/channel_rules.h"
#include "printer/monitoring_buffer_win.h"
#include "printer/qvapi_binding_win.h"
#include "printer/qvapi_call_guard_win.h"
#include "printer/session_state_win.h"
#include "printer/timer_string.h"
#include "printer/vgprn_app_win.h"
#include "resources/vgres_ids.h"

namespace {

// The checks the session exports make first; the log line names the first that fails.
// needChannel adds the check that the channel object holds the printer's address.
bool SessionUsable(const CTraceScope& trace, const char* prefix, const CQvApiChannel& channel,
                   bool needChannel) {
  CVG_PxxxxApp& app = TheApp();
  const char* problem = nullptr;
  if (app.Session() == nullptr) {
    problem = "NULL == pMonitorBuffer";
  } else if (!app.BaseInfo().IsValid()) {
    problem = "printerinfo is disable";
  } else if (!channel.IsEnabled()) {
    problem = "qvapi is disable";
  } else if (needChannel && channel.Name() == nullptr) {
    problem = "channel is disable";
  }
  if (problem == nullptr) return true;
  trace.Write("%s%s\n", prefix, problem);
  return false;
}

// The polling interval text of the printer's Driver key ("" when the key or value is missing).
std::string DriverTimerString(const CBaseInfo& identity, bool network, bool* keyOpen) {
  const std::string driverKeyPath = std::string(vgreg::kDriverKeyPrefix) + identity.DriverName();
  Registry driverKey(HKEY_LOCAL_MACHINE, driverKeyPath.c_str());
  if (keyOpen) *keyOpen = driverKey.IsOpen();
  if (!driverKey.IsOpen()) return std::string();
  return driverKey.GetString(network ? vgreg::kDriverNetworkTimer : vgreg::kDriverLocalTimer, "",
                             MAX_PATH);
}

}  // namespace

PrinterAddress CurrentPrinterAddress() {
  const CBaseInfo& identity = TheApp().BaseInfo();
  if (identity.PrinterName()[0] != '\0') return {qvapi::kKindPrinter, identity.PrinterName()};
  return {qvapi::kKindPort, identity.PortName()};
}

extern "C" int __cdecl PrMonitoringStart(HWND window, const char* printerName,
                                         const char* driverName, const char* portName,
                                         const char* modelId, const char* datFileName,
                                         const char* resDllName) {
  return vg::Guarded("PrMonitoringStart()", 1, [&]() -> int {
    CTraceScope trace("PrMonitoringStart()");
    auto text = [](const char* value) { return value ? value : ""; };
    trace.Write(
        "PrinterName : %s, DriverName : %s, PortName : %s, ModelID : %s, DatFileName : %s\n",
        text(printerName), text(driverName), text(portName), text(modelId), text(datFileName));
    CVG_PxxxxApp& app = TheApp();
    app.BaseInfo().Set(printerName, driverName, portName, modelId, datFileName, resDllName);
    // Until the monitor asks for its interval, a call into the bidirectional library may take
    // as long as one poll at the local interval the driver names.
    CQvCallGuard::Instance().SetPollSeconds(
        vgtimer::SecondsFromTimerString(DriverTimerString(app.BaseInfo(), false, nullptr)));

    CQvApi api;
    if (!api.IsEnabled()) return 1;
    // The library stays initialised for the whole session, until PrMonitoringEnd.
    api.AddUser();
    if (app.BaseInfo().IsValid() && app.Session() == nullptr) {
      auto* session = new (std::nothrow) CMonitoringBuffer(window);
      if (session == nullptr) return 1;
      app.SetSession(session);
    }
    app.m_nComErrDisableNum = static_cast<int>(::GetPrivateProfileIntA(
        app.BaseInfo().ModelID(), "ComErrDisableNum", 0, app.BaseInfo().ProfilePath()));
    return app.BaseInfo().IsValid() ? 0 : 1;
  });
}

extern "C" int __cdecl PrMonitoringEnd(void) {
  return vg::Guarded("PrMonitoringEnd()", 1, [&]() -> int {
    CTraceScope trace("PrMonitoringEnd()");
    CQvApi api;
    if (!api.IsEnabled()) return 1;
    // The session's channels go with the library, which its last user releases below.
    api.RemoveUser();
    TheApp().SetSession(nullptr);
    return 0;
  });
}

extern "C" int __cdecl PrGetChannel(DWORD* statusChannel, DWORD* dataChannel) {
  return vg::Guarded("PrGetChannel()", 1, [&]() -> int {
    CTraceScope trace("PrGetChannel()");
    if (statusChannel) *statusChannel = 0;
    if (dataChannel) *dataChannel = 0;
    const PrinterAddress address = CurrentPrinterAddress();
    CQvApiChannel channel(address.kind, address.name);
    if (!SessionUsable(trace, "PrGetChannel : error : ", channel, true)) return 1;

    DWORD status = 0;
    for (int i = 0; (status = vgchan::SessionStatusCandidate(i)) != 0; ++i) {
      // An unreadable channel list (-1) takes the candidate too.
      if (channel.SelectChannel(status, qvapi::kModeStatus) != 0) break;
    }
    if (status == 0) {
      trace.Write("PrGetChannel : error : 0 == dwStatusChannelNo\n");
      return 1;
    }
    if (statusChannel) *statusChannel = status;

    DWORD data = 0;
    for (int i = 0; (data = vgchan::SessionDataCandidate(i)) != 0; ++i) {
      if (channel.SelectChannel(data, 0) != 0) break;
    }
    if (data == 0) return 1;
    if (dataChannel) *dataChannel = data;

    CMonitoringBuffer* session = TheApp().Session();
    // A repeated acquisition replaces the handles of the previous one.
    channel.CloseChannelHandle(session->m_hStatusChannel);
    channel.CloseChannelHandle(session->m_hDataChannel);
    session->m_dwStatusChannel = status;
    session->m_dwDataChannel = data;
    const int statusHandle = channel.OpenChannelNumber(status);
    const int dataHandle = channel.OpenChannelNumber(data);
    // A channel that did not open has no handle: nothing reads or closes what the library
    // refused, and the caller, told of the failure, acquires the channels again later
    // instead of polling a channel that never opened.
    session->m_hStatusChannel = statusHandle > 0 ? statusHandle : 0;
    session->m_hDataChannel = dataHandle > 0 ? dataHandle : 0;
    if (statusHandle <= 0 || dataHandle <= 0) {
      trace.Write("PrGetChannel : error : QVOpenChannel : %d, %d\n", statusHandle, dataHandle);
      return 1;
    }
    return 0;
  });
}

extern "C" int __cdecl PrGetDeviceID(char* buffer, DWORD* size) {
  return vg::Guarded("PrGetDeviceID()", 1, [&]() -> int {
    CTraceScope trace("PrGetDeviceID()");
    if (buffer) buffer[0] = '\0';
    const PrinterAddress address = CurrentPrinterAddress();
    CQvApiChannel channel(address.kind, address.name);
    if (!SessionUsable(trace, "PrGetDeviceID : error : ", channel, false)) return 1;
    if (size == nullptr) return 1;

    int32_t needed = 0;
    const int first = channel.GetDeviceID(nullptr, &needed);
    trace.Write("PrGetDeviceID : QVGetDeviceID(1st) : %d\n", first);
    if (needed < 0) needed = 0;
    const DWORD given = *size;
    if (buffer == nullptr || given < static_cast<DWORD>(needed)) {
      *size = static_cast<DWORD>(needed);
      return 1;  // the size query
    }
    *size = static_cast<DWORD>(needed);
    if (first != qvapi::kBufferTooSmall || needed <= 0) return 1;
    // The caller's buffer and size go to the library as they are: a library that counts no
    // terminator fills the size exactly, and ending the text is the caller's job (the monitor
    // gives one zeroed byte more). Whatever size the library writes back reaches the caller.
    int32_t room = needed;
    const int second = channel.GetDeviceID(buffer, &room);
    *size = static_cast<DWORD>(room);
    trace.Write("PrGetDeviceID : QVGetDeviceID(2nd) : %d\n", second);
    trace.Write("DeviceID : %.*s\n", static_cast<int>(given < 0x7FFFFFFF ? given : 0x7FFFFFFF),
                buffer);
    if (second < 0) {
      buffer[0] = '\0';
      return 1;
    }
    return 0;
  });
}

extern "C" int __cdecl PrGetTimerValue(DWORD channelNumber, int* networkFlag) {
  return vg::Guarded("PrGetTimerValue()", -1, [&]() -> int {
    CTraceScope trace("PrGetTimerValue()");
    const CBaseInfo& identity = TheApp().BaseInfo();
    if (!identity.IsValid()) return -1;
    CQvApiChannel channel(qvapi::kKindPrinter, identity.PrinterName());
    if (!channel.IsEnabled()) return -1;
    // An unreadable channel list (-1) goes on without a selection: a local connection.
    if (channel.SelectChannel(channelNumber, qvapi::kModeStatus) == 0) return -1;
    const bool network = (channel.GetChannelMode() & qvapi::kModeNetwork) != 0;

    bool keyOpen = false;
    const std::string timer = DriverTimerString(identity, network, &keyOpen);
    if (keyOpen && networkFlag) *networkFlag = network ? 1 : 0;
    trace.Write("Get Timer String(for Registry) : %s\n", timer.c_str());
    if (!timer.empty()) {
      const int seconds = vgtimer::SecondsFromTimerString(timer);
      if (seconds == -1) return -1;
      trace.Write("Return, Timer Value(for Registry) : %d\n", seconds);
      CQvCallGuard::Instance().SetPollSeconds(seconds);
      return seconds;
    }

    // The resource library by its full path in the installation, never by a bare name.
    char resDll[MAX_PATH] = {};
    if (!GetResDllPath(resDll, identity.DriverName(), identity.ModelID())) return -1;
    ScopedModule resources(::LoadLibraryA(resDll));
    if (!resources.IsValid()) return -1;
    char text[32] = {};
    if (::LoadStringA(resources.Get(), IDS_DEFAULT_TIMER, text, sizeof text) <= 0) return -1;
    int seconds = std::atoi(text);
    if (network) seconds *= 3;
    trace.Write("Return, Timer Value(for Resource) : %d\n", seconds);
    CQvCallGuard::Instance().SetPollSeconds(seconds);
    return seconds;
  });
}

extern "C" int __cdecl PrSendPrinterData(DWORD, DWORD*, void** data) {
  return vg::Guarded("PrSendPrinterData()", 1, [&]() -> int {
    CTraceScope trace("PrSendPrinterData()");
    CMonitoringBuffer* session = TheApp().Session();
    if (session == nullptr) return 1;
    if (data) *data = session->m_pPrinterData;
    return 0;
  });
}

extern "C" int __cdecl PrGetPrinterData(DWORD, DWORD*, void** data) {
  return vg::Guarded("PrGetPrinterData()", 1, [&]() -> int {
    CTraceScope trace("PrGetPrinterData()");
    CMonitoringBuffer* session = TheApp().Session();
    if (session == nullptr) return 1;
    if (data) *data = session->m_pPrinterData;
    return 0;
  });
}

extern "C" int __cdecl PrReleasePrinterData(void** data) {
  return vg::Guarded("PrReleasePrinterData()", 0, [&]() -> int {
    CTraceScope trace("PrReleasePrinterData()");
    CMonitoringBuffer* session = TheApp().Session();
    if (session != nullptr) {
      session->m_pPrinterData = nullptr;
      if (data) *data = nullptr;
    }
    return 0;
  });
}

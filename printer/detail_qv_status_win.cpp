#include "printer/detail_qv_status_win.h"

#include "common/app_mem_win.h"
#include "common/instance_names.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/target_keys_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "printer/channel_rules.h"
#include "printer/status_worker_rules.h"
#include "printer/vgprn_app_win.h"

// The loop's questions, answered by the worker's own operations on the worker's thread.
class CDetailQvStatus::LoopHost final : public vgworker::StatusWorkerHost {
 public:
  LoopHost(CDetailQvStatus& worker, const CTraceScope& trace) : m_worker(worker), m_trace(trace) {}

  bool IsRunning() override { return m_worker.IsRunning(); }
  void Sleep(unsigned ms) override { m_worker.SleepWhileRunning(ms); }
  void Trace(const char* line) override { m_trace.Write("%s", line); }
  bool CheckMonitorRunning() override {
    m_worker.m_bMonitorRunning = m_worker.IsMonitorRunning() != 0;
    return m_worker.m_bMonitorRunning;
  }
  int CheckRegComStatus() override { return m_worker.CheckRegComStatus(); }
  void TakeReply() override {
    SetComStatus(m_worker.m_szPrinterName.c_str(), m_worker.m_szPortName.c_str(), 2);
  }
  int CheckModelIDFromQVAPI() override { return m_worker.CheckModelIDFromQVAPI(); }
  bool IsChannelOpen() override { return m_worker.IsOpen() != FALSE; }
  int OpenStatusChannel() override { return m_worker.OpenStatusChannel(); }
  int GetPrinterStatus() override { return m_worker.GetPrinterStatus(); }
  int GetInterval() override { return m_worker.GetInterval(); }
  void Post(vgworker::Report report, int value) override {
    switch (report) {
      case vgworker::Report::kDeviceIdError:
        m_worker.Post(WM_RESULT_DEVICEID_ERROR, value);
        break;
      case vgworker::Report::kChannelError:
        m_worker.Post(WM_RESULT_CHANNEL_ERROR, value);
        break;
      case vgworker::Report::kStatus:
        m_worker.Post(WM_RESULT_QVSTATUS, value);
        break;
    }
  }

 private:
  CDetailQvStatus& m_worker;
  const CTraceScope& m_trace;
};

CDetailQvStatus::CDetailQvStatus(int kind, const char* name)
    : CQvStatChannel(kind, name),
      m_nLocalInterval(vgworker::kDefaultLocalInterval),
      m_nNetworkInterval(vgworker::kDefaultNetworkInterval) {}

CDetailQvStatus::~CDetailQvStatus() { EndStatusThread(); }

int CDetailQvStatus::Initialize(const char* printerName, const char* portName, const char* modelId,
                                const char* mapPrinter) {
  CTraceScope trace("CDetailQvStatus::Initialize");
  if (IsRunning()) return 0;
  if (printerName != nullptr) m_szPrinterName = printerName;
  if (portName != nullptr) m_szPortName = portName;
  if (modelId != nullptr) m_szModelID = modelId;
  if (mapPrinter != nullptr) m_szMonitorMapName = vgnames::InstanceMappingName(mapPrinter, "");
  trace.Write("MonitorMapFile = %s\n", m_szMonitorMapName.c_str());
  return 1;
}

void CDetailQvStatus::SetIntervals(int local, int network) {
  m_nLocalInterval = vgworker::ChosenInterval(m_nLocalInterval, local);
  m_nNetworkInterval = vgworker::ChosenInterval(m_nNetworkInterval, network);
}

DWORD CDetailQvStatus::EnumChannel(int index) { return vgchan::SessionStatusCandidate(index); }

int CDetailQvStatus::IsMonitorRunning() const {
  if (m_szMonitorMapName.empty()) return 0;
  ScopedHandle mapping(::OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, m_szMonitorMapName.c_str()));
  return mapping.IsValid() ? 1 : 0;
}

int CDetailQvStatus::CheckRegComStatus() const {
  CTraceScope trace("CDetailQvStatus::CheckRegComStatus");
  const int comStatus = GetComStatus(m_szPrinterName.c_str(), m_szPortName.c_str());
  trace.Write("dwComStatus : %d\n", comStatus);
  return vgworker::ComStatusResult(comStatus);
}

int CDetailQvStatus::CheckModelIDFromQVAPI() {
  CTraceScope trace("CDetailQvStatus::CheckModelIDFromQVAPI");
  int32_t size = 0;
  const int first = GetDeviceID(nullptr, &size);
  trace.Write("QVGetDeviceID(1st) : %d\n", first);
  std::string_view deviceId;
  CAppMem buffer;
  if (first == qvapi::kBufferTooSmall && size > 0) {
    // One byte more than asked for, zero-filled: the ID is terminated however the library
    // counts its size.
    const int32_t allocated = size;
    if (buffer.Alloc(static_cast<size_t>(allocated) + 1) != nullptr) {
      const int second = GetDeviceID(buffer.As<char>(), &size);
      trace.Write("QVGetDeviceID(2nd) : %d\n", second);
      if (second >= 0) {
        deviceId = vgtext::BoundedView(buffer.As<char>(), static_cast<size_t>(allocated));
        trace.Write("DeviceID : %.*s\n", static_cast<int>(deviceId.size()), deviceId.data());
      }
    }
  }
  return vgworker::ModelCheckResult(first, deviceId, m_szModelID);
}

int CDetailQvStatus::GetInterval() const {
  return vgworker::PassInterval(m_bMonitorRunning, IsOpen() != FALSE, GetChannelMode(),
                                m_nLocalInterval, m_nNetworkInterval);
}

int CDetailQvStatus::ReadFromRegistry(const CTraceScope& trace) const {
  trace.Write("from Registry\n");
  // The key lies in the logon user's hive, which is this process's own only when it runs as
  // that user.
  Registry key;
  if (OpenTargetKey(m_szPrinterName.c_str(), m_szPortName.c_str(), KEY_READ, &key) !=
          kTargetFound ||
      !key.IsOpen()) {
    return -1;
  }
  return key.GetBinary(vgreg::kTargetStatus).empty() ? -1 : 1;
}

int CDetailQvStatus::ReadFromPrinter(const CTraceScope& trace) {
  trace.Write("from QVGetStatus\n");
  if (!IsOpen()) return -1;
  CVG_PxxxxApp& app = TheApp();
  // A busy parallel port is tolerated a few times in a row, counted with the library's count.
  vgquery::BusyAllowance allowance;
  allowance.disableNum = app.m_nComErrDisableNum;
  allowance.lptStatusChannel = vgchan::IsLptStatusChannel(m_szPortName, GetSelectedChannel()) != 0;
  allowance.count = &app.m_nComErrCount;

  int32_t size = 0;
  int result = GetStatus(nullptr, &size);
  trace.Write("QVGetStatus(1st) : %d\n", result);
  vgquery::ReadOutcome outcome = vgquery::ClassifyStatusRead(result, true, allowance);
  if (outcome != vgquery::ReadOutcome::kContinue) return vgworker::ReadResultOf(outcome);
  if (size <= 0) return vgworker::kReadNothing;  // nothing pending after all

  CAppMem reply;
  if (reply.Alloc(static_cast<size_t>(size)) == nullptr) return vgworker::kReadBusy;
  const int32_t allocated = size;
  result = GetStatus(reply.Get(), &size);
  trace.Write("QVGetStatus(2nd) : %d\n", result);
  outcome = vgquery::ClassifyStatusRead(result, false, allowance);
  if (outcome != vgquery::ReadOutcome::kContinue) return vgworker::ReadResultOf(outcome);
  // Never more than the buffer holds, whatever size the library reports.
  if (size <= 0 || size > allocated) size = allocated;

  if (CheckTargetRegKey(m_szPrinterName.c_str(), m_szPortName.c_str(), m_szModelID.c_str(), nullptr,
                        nullptr) != 0) {
    return vgworker::kReadNothing;
  }
  app.m_nComErrCount = 0;
  SetTargetStatus(m_szPrinterName.c_str(), m_szPortName.c_str(), reply.As<BYTE>(),
                  static_cast<DWORD>(size), GetSelectedChannel());
  return 1;
}

int CDetailQvStatus::GetPrinterStatus() {
  CTraceScope trace("CDetailQvStatus::GetPrinterStatus");
  return m_bMonitorRunning ? ReadFromRegistry(trace) : ReadFromPrinter(trace);
}

void CDetailQvStatus::QvStatusThreadMain() {
  CTraceScope trace("CDetailQvStatus::QvStatusThreadMain");
  LoopHost host(*this, trace);
  vgworker::RunStatusLoop(host);
}

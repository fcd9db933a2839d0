#pragma once
// CDetailQvStatus: the status window's worker. Once a second it looks whether the printer's
// monitor runs. While it does, the monitor owns the printer and leaves each decoded reply in
// the printer's target key, and the worker only tells the window when a fresh one stands
// there; otherwise the worker checks the printer's model and reads the printer itself,
// storing the reply where the window reads it. It reports by posted messages only
// (common/window_messages.h).
#include <atomic>
#include <string>

#include "common/debug_log_win.h"
#include "printer/stat_channel_win.h"

class CDetailQvStatus : public CQvStatChannel {
 public:
  // kind 1 addresses the printer by name, 0 by port name (as CQvApiChannel).
  CDetailQvStatus(int kind, const char* name);
  // Ends the thread before the members it reads go.
  ~CDetailQvStatus() override;

  // Stores each string given (null keeps the one held) and names the monitor's mapping
  // after mapPrinter. 0, changing nothing, while the worker runs; else 1.
  int Initialize(const char* printerName, const char* portName, const char* modelId,
                 const char* mapPrinter);
  // Seconds between passes on a local and on a network connection; 0 keeps the one held.
  void SetIntervals(int local, int network);

  // 1 a reply is available in the registry; 0 nothing to report; -1 failure; -2 channel
  // busy, no memory, or a tolerated parallel-port error.
  int GetPrinterStatus() override;
  // The status channel candidates of a monitoring session, then 0.
  DWORD EnumChannel(int index) override;
  void QvStatusThreadMain() override;

  // 1 when the monitor's instance mapping of the printer exists.
  int IsMonitorRunning() const;
  // The printer's "ComStatus" as a check result (see vgworker::ComStatusResult).
  int CheckRegComStatus() const;
  // The printer's model against the one held: 1 same, -2 another, -1 none, 0 no
  // communication.
  int CheckModelIDFromQVAPI();
  // Seconds until the next pass.
  int GetInterval() const;

  const std::string& MonitorMapName() const { return m_szMonitorMapName; }
  int LocalInterval() const { return m_nLocalInterval; }
  int NetworkInterval() const { return m_nNetworkInterval; }
  // The monitor-running flag of the last pass.
  bool MonitorRunningFlag() const { return m_bMonitorRunning; }

 private:
  class LoopHost;

  int ReadFromRegistry(const CTraceScope& trace) const;
  int ReadFromPrinter(const CTraceScope& trace);

  // Written by the loop, read by the status fetch and the interval on the same thread, and
  // by the window for its own look.
  std::atomic<bool> m_bMonitorRunning{false};
  // Set by Initialize only while no worker runs.
  std::string m_szModelID;
  std::string m_szPrinterName;
  std::string m_szPortName;
  std::string m_szMonitorMapName;
  std::atomic<int> m_nLocalInterval;
  std::atomic<int> m_nNetworkInterval;
};

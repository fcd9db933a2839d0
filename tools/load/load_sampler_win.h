#pragma once
// The memory and CPU of a load run's programs, read from their Linux side under Wine (/proc
// through drive Z:): every program whose command line holds the run's tag, and the Wine
// server of this prefix, which serves them all. Private memory is what Wine reports as a
// process's private usage (anonymous resident memory and swap); CPU time is the kernel's count
// of the threads' time on a CPU. A program's CPU time counts as last seen, so the part of its
// last sampling period is missed.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vgload {

class LoadSampler {
 public:
  // The processes there are now are nobody of the run's.
  explicit LoadSampler(std::string tag);

  void Sample(long nowMs);

  int ProcessesMeasured() const { return static_cast<int>(cpuNs_.size()); }
  uint64_t PeakPrivateKb() const { return peakKb_; }
  long PeakPrivateAtMs() const { return peakAtMs_; }
  int ProcessesAtPeak() const { return processesAtPeak_; }
  uint64_t WineserverPeakKb() const { return serverPeakKb_; }
  double CpuSeconds() const;
  double WineserverCpuSeconds() const;
  // The busiest stretch of at least a second, and the mean over the run, in cores.
  double PeakCores() const;
  double MeanCores() const;
  int Samples() const { return static_cast<int>(history_.size()); }

 private:
  struct Point {
    long atMs;
    uint64_t totalNs;  // programs and the server, since the first sample
  };
  uint64_t ProgramsNs() const;

  std::string tag_;
  std::map<unsigned long, int> strangers_;  // pid -> looks at its command line so far
  std::map<unsigned long, uint64_t> cpuNs_;  // the run's programs, as last seen
  unsigned long server_ = 0;
  uint64_t serverFirstNs_ = 0;
  uint64_t serverLastNs_ = 0;
  uint64_t peakKb_ = 0;
  long peakAtMs_ = 0;
  int processesAtPeak_ = 0;
  uint64_t serverPeakKb_ = 0;
  std::vector<Point> history_;
};

}  // namespace vgload

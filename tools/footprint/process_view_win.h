#pragma once
// Another process as Windows code sees it: its images, the stacks of its threads, its heaps and
// its other committed private allocations, and its Linux side under Wine (reached through
// Wine's drive Z:, the Unix root): the Linux process id, the CPU time of its threads, and its
// private pages.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/win.h"
#include "tools/footprint/memory_breakdown.h"

namespace vgfoot {

// Adds the process's areas to the map; threadCount receives the number of stacks found.
// False when the process cannot be read.
bool ReadWindowsAreas(HANDLE process, DWORD processId, AreaMap* map, int* threadCount);

// The Linux process id of a program of ours running under this Wine, found by the tag in its
// command line; 0 when none (or when drive Z: does not reach /proc).
unsigned long FindLinuxProcess(const std::string& program, const std::string& tag);

// Nanoseconds that the threads of the Linux process have spent on a CPU (the kernel's own
// count, unlike Wine's process times, which step by 10 ms); false when it cannot be read.
bool ReadCpuNanoseconds(unsigned long linuxPid, uint64_t* nanoseconds);

// The Linux processes there are now (through drive Z:); empty when /proc cannot be read.
std::vector<unsigned long> ListLinuxProcesses();

// A whole file of a Linux process's /proc folder ("cmdline", "environ", "status"); false when
// it cannot be read (the process has gone, or belongs to another user).
bool ReadProcText(unsigned long linuxPid, const char* file, std::string* text);

// Calls page(address) for every private page of the Linux process (in memory or in swap);
// false when its files cannot be read.
bool ForEachPrivatePage(unsigned long linuxPid, const std::function<void(uint64_t)>& page);

constexpr uint64_t kPageSize = 4096;

}  // namespace vgfoot

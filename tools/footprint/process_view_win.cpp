#include "tools/footprint/process_view_win.h"

#include <tlhelp32.h>
// After the Windows header, which it needs.
#include <psapi.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>
#include <vector>

#include "common/system_library_win.h"
#include "common/unique_handle.h"
#include "tools/footprint/proc_text.h"

namespace vgfoot {

namespace {

// The parts of the native structures that are read here (32-bit layouts).
struct ThreadBasicInformation {
  LONG exitStatus;
  void* tebBaseAddress;
  void* uniqueProcess;
  void* uniqueThread;
  ULONG_PTR affinityMask;
  LONG priority;
  LONG basePriority;
};
struct ProcessBasicInformation {
  LONG exitStatus;
  void* pebBaseAddress;
  ULONG_PTR affinityMask;
  LONG basePriority;
  ULONG_PTR uniqueProcessId;
  ULONG_PTR inheritedFromUniqueProcessId;
};
constexpr DWORD kTebStackBase = 0x04;
constexpr DWORD kTebDeallocationStack = 0xE0C;
constexpr DWORD kPebProcessHeap = 0x18;

// Heap signatures: every heap (on Windows and under Wine) has 0xFFEEFFEE at offset 8 of its
// first segment; Wine's further segments point back to their heap at offset 0x14, and its
// large blocks carry two magic numbers at 0x18 and 0x1C.
constexpr DWORD kHeapSignature = 0xFFEEFFEE;
constexpr DWORD kSegmentHeapOffset = 0x14 / 4;
constexpr DWORD kLargeBlockSize = 0xFEDCBA90;
constexpr DWORD kLargeBlockMagic = 0x6752614C;

using NtQueryInformationThreadFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
using NtQueryInformationProcessFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);

template <typename T>
bool ReadRemote(HANDLE process, uint64_t address, T* value) {
  SIZE_T done = 0;
  return ::ReadProcessMemory(process, reinterpret_cast<const void*>(static_cast<uintptr_t>(address)),
                             value, sizeof(T), &done) &&
         done == sizeof(T);
}

void AddImages(HANDLE process, AreaMap* map) {
  std::vector<HMODULE> modules(512);
  DWORD needed = 0;
  if (!::EnumProcessModules(process, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)),
                            &needed)) {
    return;
  }
  modules.resize(std::min<size_t>(modules.size(), needed / sizeof(HMODULE)));
  for (HMODULE module : modules) {
    MODULEINFO info = {};
    char name[MAX_PATH] = {};
    if (!::GetModuleInformation(process, module, &info, sizeof info) ||
        ::GetModuleBaseNameA(process, module, name, sizeof name) == 0) {
      continue;
    }
    for (char* c = name; *c; ++c) {
      if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
    }
    const uint64_t base = reinterpret_cast<uintptr_t>(info.lpBaseOfDll);
    map->Add({base, base + info.SizeOfImage, AreaKind::kImage, name});
  }
}

int AddStacks(HANDLE process, DWORD processId, AreaMap* map) {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  auto queryThread = GetProcAs<NtQueryInformationThreadFn>(ntdll, "NtQueryInformationThread");
  if (queryThread == nullptr) return 0;
  ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot.IsValid()) return 0;
  int count = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Thread32First(snapshot.Get(), &entry); more;
       more = ::Thread32Next(snapshot.Get(), &entry)) {
    if (entry.th32OwnerProcessID != processId) continue;
    ScopedHandle thread(::OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
    ThreadBasicInformation basic = {};
    if (!thread.IsValid() || queryThread(thread.Get(), 0, &basic, sizeof basic, nullptr) != 0) {
      continue;
    }
    const uint64_t teb = reinterpret_cast<uintptr_t>(basic.tebBaseAddress);
    DWORD stackBase = 0;
    DWORD deallocation = 0;
    if (!ReadRemote(process, teb + kTebStackBase, &stackBase) ||
        !ReadRemote(process, teb + kTebDeallocationStack, &deallocation) || deallocation == 0 ||
        deallocation >= stackBase) {
      continue;
    }
    map->Add({deallocation, stackBase, AreaKind::kStack, std::string()});
    ++count;
  }
  return count;
}

struct Allocation {
  uint64_t base = 0;
  uint64_t end = 0;
  bool privateMemory = false;
};

// The committed allocations of the process, each from its allocation base to the end of its
// last committed region.
std::vector<Allocation> CommittedAllocations(HANDLE process) {
  std::vector<Allocation> allocations;
  uint64_t address = 0x10000;
  while (address < 0xFFFF0000ull) {
    MEMORY_BASIC_INFORMATION info = {};
    if (::VirtualQueryEx(process, reinterpret_cast<const void*>(static_cast<uintptr_t>(address)),
                         &info, sizeof info) != sizeof info ||
        info.RegionSize == 0) {
      break;
    }
    const uint64_t base = reinterpret_cast<uintptr_t>(info.BaseAddress);
    const uint64_t end = base + info.RegionSize;
    if (info.State == MEM_COMMIT && info.Type != MEM_IMAGE) {
      const uint64_t allocationBase = reinterpret_cast<uintptr_t>(info.AllocationBase);
      if (!allocations.empty() && allocations.back().base == allocationBase) {
        allocations.back().end = end;
      } else {
        allocations.push_back({allocationBase, end, info.Type == MEM_PRIVATE});
      }
    }
    if (end <= address) break;
    address = end;
  }
  return allocations;
}

void AddAllocations(HANDLE process, AreaMap* map) {
  std::set<uint64_t> heaps;
  auto queryProcess = GetProcAs<NtQueryInformationProcessFn>(::GetModuleHandleA("ntdll.dll"),
                                                             "NtQueryInformationProcess");
  ProcessBasicInformation basic = {};
  DWORD processHeap = 0;
  if (queryProcess != nullptr && queryProcess(process, 0, &basic, sizeof basic, nullptr) == 0 &&
      ReadRemote(process, reinterpret_cast<uintptr_t>(basic.pebBaseAddress) + kPebProcessHeap,
                 &processHeap)) {
    heaps.insert(processHeap);
  }

  const std::vector<Allocation> allocations = CommittedAllocations(process);
  std::vector<std::array<DWORD, 8>> heads(allocations.size());
  for (size_t i = 0; i < allocations.size(); ++i) {
    if (!allocations[i].privateMemory || !ReadRemote(process, allocations[i].base, &heads[i])) {
      heads[i].fill(0);
    } else if (heads[i][2] == kHeapSignature) {
      heaps.insert(allocations[i].base);
    }
  }
  for (size_t i = 0; i < allocations.size(); ++i) {
    const auto& head = heads[i];
    const bool heap = heaps.count(allocations[i].base) != 0 ||
                      heaps.count(head[kSegmentHeapOffset]) != 0 ||
                      (head[6] == kLargeBlockSize && head[7] == kLargeBlockMagic);
    map->Add({allocations[i].base, allocations[i].end, heap ? AreaKind::kHeap : AreaKind::kOther,
              std::string()});
  }
}

std::string ProcPath(unsigned long pid, const char* file) {
  return "Z:\\proc\\" + std::to_string(pid) + "\\" + file;
}

// A whole /proc file: its size is not known beforehand, so it is read to its end.
bool ReadProcFile(const std::string& path, std::string* text) {
  ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file.IsValid()) return false;
  text->clear();
  char buffer[16384];
  DWORD done = 0;
  while (::ReadFile(file.Get(), buffer, sizeof buffer, &done, nullptr) && done > 0) {
    text->append(buffer, done);
  }
  return true;
}

bool IsNumber(const char* text) {
  if (*text == '\0') return false;
  for (; *text; ++text) {
    if (*text < '0' || *text > '9') return false;
  }
  return true;
}

}  // namespace

bool ReadWindowsAreas(HANDLE process, DWORD processId, AreaMap* map, int* threadCount) {
  if (process == nullptr || map == nullptr) return false;
  AddImages(process, map);
  const int stacks = AddStacks(process, processId, map);
  if (threadCount != nullptr) *threadCount = stacks;
  AddAllocations(process, map);
  return true;
}

unsigned long FindLinuxProcess(const std::string& program, const std::string& tag) {
  WIN32_FIND_DATAA data;
  ScopedFindHandle find(::FindFirstFileA("Z:\\proc\\*", &data));
  if (!find.IsValid()) return 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsNumber(data.cFileName)) continue;
    const unsigned long pid = std::strtoul(data.cFileName, nullptr, 10);
    std::string commandLine;
    if (ReadProcFile(ProcPath(pid, "cmdline"), &commandLine) &&
        CommandLineHas(commandLine, program, tag)) {
      return pid;
    }
  } while (::FindNextFileA(find.Get(), &data));
  return 0;
}

std::vector<unsigned long> ListLinuxProcesses() {
  std::vector<unsigned long> pids;
  WIN32_FIND_DATAA data;
  ScopedFindHandle find(::FindFirstFileA("Z:\\proc\\*", &data));
  if (!find.IsValid()) return pids;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsNumber(data.cFileName)) {
      pids.push_back(std::strtoul(data.cFileName, nullptr, 10));
    }
  } while (::FindNextFileA(find.Get(), &data));
  return pids;
}

bool ReadProcText(unsigned long linuxPid, const char* file, std::string* text) {
  return text != nullptr && ReadProcFile(ProcPath(linuxPid, file), text);
}

bool ReadCpuNanoseconds(unsigned long linuxPid, uint64_t* nanoseconds) {
  const std::string tasks = "Z:\\proc\\" + std::to_string(linuxPid) + "\\task\\";
  WIN32_FIND_DATAA data;
  ScopedFindHandle find(::FindFirstFileA((tasks + "*").c_str(), &data));
  if (!find.IsValid()) return false;
  uint64_t total = 0;
  bool any = false;
  do {
    if (!IsNumber(data.cFileName)) continue;
    std::string text;
    uint64_t value = 0;
    if (ReadProcFile(tasks + data.cFileName + "\\schedstat", &text) &&
        ParseSchedstat(text, &value)) {
      total += value;
      any = true;
    }
  } while (::FindNextFileA(find.Get(), &data));
  if (any) *nanoseconds = total;
  return any;
}

bool ForEachPrivatePage(unsigned long linuxPid, const std::function<void(uint64_t)>& page) {
  std::string smaps;
  if (!ReadProcFile(ProcPath(linuxPid, "smaps"), &smaps)) return false;
  ScopedHandle pagemap(::CreateFileA(ProcPath(linuxPid, "pagemap").c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     0, nullptr));
  if (!pagemap.IsValid()) return false;
  std::vector<uint64_t> entries;
  for (const Mapping& mapping : ParseSmaps(smaps)) {
    if (mapping.anonymousKb == 0 && mapping.swapKb == 0) continue;
    const uint64_t first = mapping.begin / kPageSize;
    const uint64_t count = (mapping.end - mapping.begin) / kPageSize;
    entries.assign(static_cast<size_t>(count), 0);
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(first * sizeof(uint64_t));
    DWORD done = 0;
    if (!::SetFilePointerEx(pagemap.Get(), offset, nullptr, FILE_BEGIN) ||
        !::ReadFile(pagemap.Get(), entries.data(), static_cast<DWORD>(count * sizeof(uint64_t)),
                    &done, nullptr)) {
      return false;
    }
    for (uint64_t i = 0; i < done / sizeof(uint64_t); ++i) {
      if (IsPrivateAnonymousPage(entries[static_cast<size_t>(i)])) page((first + i) * kPageSize);
    }
  }
  return true;
}

}  // namespace vgfoot

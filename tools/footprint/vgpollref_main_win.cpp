// vgpollref.exe: the work of the monitor's poll that any monitor of this printer must do,
// without the system's own code, for the footprint comparison (vgfootprint.exe): a hidden
// window with its message loop, and a worker thread that once a second asks the spooler what
// the poll asks (the queue's state, then its jobs) and reads the printer's status reply
// through the bidirectional library (the size query, then the reply).
//   vgpollref.exe PRINTER LIBRARY TAG     (TAG only marks the process for the measurement)
#include <process.h>
#include <stdlib.h>

#include <cstdint>
#include <vector>

#include "common/kv_open_printer_win.h"
#include "common/qvapi.h"
#include "common/spooler_printer_win.h"
#include "common/system_library_win.h"
#include "common/unique_handle.h"
#include "common/win.h"

namespace {

struct Poller {
  const char* printer = nullptr;
  PFN_QVGetStatus getStatus = nullptr;
  int32_t channel = 0;
  HANDLE stop = nullptr;  // borrowed: the program's stop event, owned by its entry
};

void AskSpooler(const char* printerName) {
  // The printer's record, as each poll reads it.
  const SpoolerPrinter record(printerName);
  ScopedPrinter queue;
  if (KV_OpenPrinter(printerName, queue.Receive(), nullptr) && queue.IsValid()) {
    BYTE probe[1] = {};
    DWORD needed = 0;
    DWORD returned = 0;
    ::EnumJobsA(queue.Get(), 0, 2, 1, probe, sizeof probe, &needed, &returned);
  }
}

void ReadStatus(const Poller& poller) {
  if (poller.getStatus == nullptr || poller.channel <= 0) return;
  int32_t size = 0;
  if (poller.getStatus(poller.channel, nullptr, &size) != qvapi::kBufferTooSmall || size <= 0) {
    return;
  }
  std::vector<char> reply(static_cast<size_t>(size) + 1);
  poller.getStatus(poller.channel, reply.data(), &size);
}

unsigned __stdcall PollThread(void* context) {
  const Poller& poller = *static_cast<const Poller*>(context);
  while (::WaitForSingleObject(poller.stop, 1000) == WAIT_TIMEOUT) {
    ReadStatus(poller);
    AskSpooler(poller.printer);
  }
  return 0;
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const int argc = __argc;
  char** argv = __argv;
  if (argc < 3) return 2;
  ScopedModule library(::LoadLibraryA(argv[2]));
  auto initialize = GetProcAs<PFN_QVInitialize>(library.Get(), "QVInitialize");
  auto open = GetProcAs<PFN_QVOpenChannel>(library.Get(), "QVOpenChannel");
  Poller poller;
  poller.printer = argv[1];
  poller.getStatus = GetProcAs<PFN_QVGetStatus>(library.Get(), "QVGetStatus");
  if (initialize == nullptr || open == nullptr || initialize() != 0) return 1;
  poller.channel = open(qvapi::kKindPrinter, argv[1], qvapi::kChannel10000005);

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = Proc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VgPollReferenceWindow";
  ::RegisterClassA(&windowClass);
  ::CreateWindowExA(0, windowClass.lpszClassName, "poll reference", WS_OVERLAPPED, 0, 0, 100, 100,
                    nullptr, nullptr, windowClass.hInstance, nullptr);
  ScopedHandle stop(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  poller.stop = stop.Get();
  ScopedHandle thread(reinterpret_cast<HANDLE>(
      ::_beginthreadex(nullptr, 0, &PollThread, &poller, 0, nullptr)));
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) ::DispatchMessageA(&message);
  ::SetEvent(stop.Get());
  ::WaitForSingleObject(thread.Get(), INFINITE);
  return 0;
}

// The library application object for the printer unit tests (the DLL defines its own).
#include "printer/test_app_instance.h"

#include <atomic>
#include <new>

#include "printer/vgprn_app_win.h"

namespace {
std::atomic<bool> g_failLookups{false};
}

namespace vgtest {
void FailAppLookups(bool on) { g_failLookups = on; }
}  // namespace vgtest

CVG_PxxxxApp& TheApp() {
  if (g_failLookups) throw std::bad_alloc();
  static CVG_PxxxxApp app;
  return app;
}

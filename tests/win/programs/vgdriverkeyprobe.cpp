// Test helper: the printer library's Driver key check in a process of its own, so that a test
// can read and close the message box it shows.
//   vgdriverkeyprobe DRIVER [RESDLL]
// The exit code is the check's result (1 the key exists, 0 it does not), 2 for bad arguments.
#include "common/win.h"
#include "printer/driver_key_check_win.h"
#include "printer/vgprn_app_win.h"

CVG_PxxxxApp& TheApp() {
  static CVG_PxxxxApp app;
  return app;
}

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) return 2;
  return CheckDriverKey(argv[1], argc == 3 ? argv[2] : nullptr);
}

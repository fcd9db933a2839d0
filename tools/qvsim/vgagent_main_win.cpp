// vgagent.exe: a stand-in for the printer maker's agent settings program, which the
// preferences start (under the Driver key's "VG_RCV") to let the network agent monitor a
// printer or not. It records how it was started and ends (see docs/qvsim.md).
#include "common/win.h"
#include "tools/qvsim/standin_start_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return qvsim::RecordThisStart().recorded ? 0 : 1;
}

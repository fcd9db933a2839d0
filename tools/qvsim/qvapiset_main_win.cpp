// qvapiset.exe: a stand-in for the bidirectional library's set-up program, which the
// preferences start to switch the network agent on or off. It records how it was started,
// works for the answer delay set with "qvsimctl answer" (half a second unless set), and then
// posts the message of its "/Ret=WM:WINDOW;MESSAGE" option to that window (see docs/qvsim.md).
#include "common/win.h"
#include "tools/qvsim/standin_rules.h"
#include "tools/qvsim/standin_start_win.h"
#include "tools/qvsim/standin_store_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const qvsim::StandInStart start = qvsim::RecordThisStart();
  const auto address = qvsim::FindReturnAddress(start.commandLine);
  const uint32_t delay = qvsim::AnswerDelay(start.program);
  if (address && address->window != 0 && delay != qvsim::kNeverAnswer) {
    ::Sleep(delay);
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(address->window));
    if (!::PostMessageA(window, address->message, 0, 0)) return 3;
  }
  return start.recorded ? 0 : 1;
}

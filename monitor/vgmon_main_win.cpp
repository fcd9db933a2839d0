// Entry of vgmon.exe. The application object is built before this runs and torn down after.
#include "common/win.h"
#include "monitor/mt_app_win.h"

namespace {
CMTApp theApp;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  return theApp.Run(instance, commandLine);
}

// Entry of vgprn.dll: the application object lives as long as the library is loaded.
#include "common/win.h"
#include "printer/vgprn_app_win.h"

namespace {
CVG_PxxxxApp theApp;
}

CVG_PxxxxApp& TheApp() { return theApp; }

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

#include "printer/vgprn_app_win.h"

#include "common/debug_log_win.h"

CVG_PxxxxApp::CVG_PxxxxApp() { VgTraceEnable(VgTraceReadSwitch()); }

CVG_PxxxxApp::~CVG_PxxxxApp() = default;

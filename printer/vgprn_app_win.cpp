#include "printer/vgprn_app_win.h"

#include "common/debug_log_win.h"
#include "common/text_util.h"

CVG_PxxxxApp::CVG_PxxxxApp() { VgTraceEnable(VgTraceReadSwitch()); }

CVG_PxxxxApp::~CVG_PxxxxApp() = default;

void CVG_PxxxxApp::SetCurrentPrinterName(const char* name) {
  vgtext::CopyBounded(m_szPrinterName, sizeof m_szPrinterName, name ? name : "");
}

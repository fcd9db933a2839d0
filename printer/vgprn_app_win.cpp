#include "printer/vgprn_app_win.h"

#include "printer/monitoring_buffer_win.h"

#include "common/debug_log_win.h"

CVG_PxxxxApp::CVG_PxxxxApp() { VgTraceEnable(VgTraceReadSwitch()); }

CVG_PxxxxApp::~CVG_PxxxxApp() { SetSession(nullptr); }

void CVG_PxxxxApp::SetSession(CMonitoringBuffer* session) {
  if (m_pSession != session) delete m_pSession;
  m_pSession = session;
}

#include "monitor/qv_win.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "common/debug_log_win.h"
#include "common/device_id.h"
#include "common/system_library_win.h"
#include "common/text_util.h"

CQv::CQv(const char* modelId) : m_pszModelID(modelId ? modelId : "") {}

CQv::~CQv() = default;

const char* CQv::Bind(HMODULE printerLibrary) {
  m_pfnPrGetStatus = GetProcAs<PFN_PrGetStatus>(printerLibrary, "PrGetStatus");
  if (m_pfnPrGetStatus == nullptr) return "PrGetStatus";
  m_pfnPrGetChannel = GetProcAs<PFN_PrGetChannel>(printerLibrary, "PrGetChannel");
  if (m_pfnPrGetChannel == nullptr) return "PrGetChannel";
  m_pfnPrGetDeviceID = GetProcAs<PFN_PrGetDeviceID>(printerLibrary, "PrGetDeviceID");
  if (m_pfnPrGetDeviceID == nullptr) return "PrGetDeviceID";
  return nullptr;
}

int CQv::GetDeviceModel(char (&model)[MAX_PATH]) {
  model[0] = '\0';
  m_bLastCallSucceeded = FALSE;
  if (m_pfnPrGetDeviceID == nullptr) return -1;
  DWORD size = 0;
  VgLogWrite("Call PrGetDeviceID[1st]");
  int result = m_pfnPrGetDeviceID(nullptr, &size);
  VgLogWrite("Returned from PrGetDeviceID[1st] : nRet", result);
  if (size == 0 || size > 0x100000) return 0;
  std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
  VgLogWrite("Call PrGetDeviceID[2nd]");
  result = m_pfnPrGetDeviceID(buffer.data(), &size);
  VgLogWrite("Returned from PrGetDeviceID[2nd] : nRet", result);
  if (result != 0) return 0;
  const std::string_view found =
      vgdevice::ModelOf(vgtext::BoundedView(buffer.data(), buffer.size()));
  if (found.empty()) return 0;
  vgtext::CopyBounded(model, sizeof model, found);
  return 1;
}

int CQv::CheckModel() {
  char model[MAX_PATH];
  if (GetDeviceModel(model) <= 0) return -1;
  return vgtext::EqualsNoCase(model, m_pszModelID) ? 1 : 0;
}

int CQv::AcquireChannel(int enableGetStatusErr) {
  m_bLastCallSucceeded = FALSE;
  if (!m_bEnabled) return 0;
  m_bChannelAcquired = FALSE;
  switch (CheckModel()) {
    case 0:
      m_dwComStatus = 3;  // the printer reports another model
      m_bError = TRUE;
      return 0;
    case -1:
      m_dwComStatus = 0;
      m_nStNum = 11;  // polling goes on without a channel; the next cycle tries again
      return 1;
    default:
      break;
  }
  if (enableGetStatusErr == 1 && m_iEnableGetStatusErr == 0 && m_nStNum != 11) {
    m_iEnableGetStatusErr = 1;
  }
  VgLogWrite("Call PrGetChannel");
  const int result = m_pfnPrGetChannel(&m_dwStatusChannel, &m_dwDataChannel);
  VgLogWrite("Returned from PrGetChannel : nRet", result);
  if (result != 0) return 0;
  m_bChannelAcquired = TRUE;
  m_bLastCallSucceeded = TRUE;
  return 1;
}

int CQv::QueryStatus(int& nPopup) {
  const int keptPopup = nPopup;
  const int keptStNum = m_nStNum;
  const int keptFineStNum = m_nFineStNum;
  m_nPrevPrintState = m_nPrintState;

  VgLogWrite("Call PrGetStatus");
  int soundPlay = 0;
  // The library writes a copy: the window thread may set the print state meanwhile.
  int printState = m_nPrevPrintState;
  int result = 0;
  if (m_pfnPrGetStatus != nullptr) {
    result = m_pfnPrGetStatus(m_iEnableGetStatusErr, &nPopup, &soundPlay, &printState,
                              &m_nFineStNum, &m_nStNum);
  }
  VgLogWrite("Returned from PrGetStatus : nRet", result);
  char line[1024];
  std::snprintf(line, sizeof line,
                "nPopup = %d, bSoundPlay = %d, m_nPrintState = %d, m_nFineStNum = %d, "
                "m_nStNum = %d",
                nPopup, soundPlay, printState, m_nFineStNum, m_nStNum);
  VgLogWrite(line);

  // 0 is "not reported": the state stays as it was.
  if (printState != 0) m_nPrintState = printState;
  if (result < 0) {
    m_bLastCallSucceeded = result == -1 ? TRUE : FALSE;
  } else if (result == 0) {
    nPopup = keptPopup;
    m_nStNum = keptStNum;
    m_nFineStNum = keptFineStNum;
    m_bLastCallSucceeded = TRUE;
  } else {
    m_bLastCallSucceeded = TRUE;
  }
  return result;
}

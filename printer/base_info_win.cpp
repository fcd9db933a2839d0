#include "printer/base_info_win.h"

#include "common/install_profile_win.h"
#include "common/target_keys_win.h"

namespace {

bool IsEmpty(const char* text) { return text == nullptr || text[0] == '\0'; }

}  // namespace

struct CBaseInfo::Fields {
  std::string printerName;
  std::string driverName;
  std::string portName;
  std::string modelId;
  std::string profilePath;
  std::string resDllName;
  std::string targetKeyPath;
  int state = kStateNotSet;
};

CBaseInfo::~CBaseInfo() = default;

void CBaseInfo::Store(const Fields& fields) {
  m_strPrinterName = fields.printerName;
  m_strDriverName = fields.driverName;
  m_strPortName = fields.portName;
  m_strModelId = fields.modelId;
  m_strProfilePath = fields.profilePath;
  m_strResDllName = fields.resDllName;
  m_strTargetKeyPath = fields.targetKeyPath;
  m_nState = fields.state;
}

int CBaseInfo::Set(const char* printerName, const char* driverName, const char* portName,
                   const char* modelId, const char* profilePath, const char* resDllName) {
  m_nState = kStateNotSet;
  if (IsEmpty(printerName) || IsEmpty(driverName) || IsEmpty(portName) || IsEmpty(modelId)) {
    return m_nState;
  }
  // Copied first: the arguments may point into this object.
  Fields next;
  next.printerName = printerName;
  next.driverName = driverName;
  next.portName = portName;
  next.modelId = modelId;
  next.state = kStateIdentity;
  const std::string givenProfile = profilePath ? profilePath : "";
  const std::string givenResDll = resDllName ? resDllName : "";
  Store(next);

  if (!givenProfile.empty()) {
    next.profilePath = givenProfile;
  } else {
    char found[kInstallPathSize] = {};
    if (!GetProfilePath(found, next.driverName.c_str(), next.modelId.c_str()) ||
        found[0] == '\0') {
      return m_nState;
    }
    next.profilePath = found;
  }

  if (!givenResDll.empty()) {
    next.resDllName = givenResDll;
    next.state = kStateComplete;
  } else {
    char found[kInstallPathSize] = {};
    if (GetLangProfileString("ResDll", found, sizeof found, next.profilePath.c_str()) == 0) {
      next.resDllName = found;
      next.state = kStateComplete;
    }
  }
  Store(next);

  // A missing key is rebuilt through the printer library, which may be this very library
  // and set the identity again on the way: what this call was given wins.
  char keyPath[kTargetKeyPathSize] = {};
  CheckTargetRegKey(next.printerName.c_str(), next.portName.c_str(), next.modelId.c_str(), nullptr,
                    keyPath);
  next.targetKeyPath = keyPath;
  Store(next);
  return m_nState;
}

void CBaseInfo::SetPrinterName(const char* name) { m_strPrinterName = name ? name : ""; }

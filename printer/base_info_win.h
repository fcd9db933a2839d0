#pragma once
// CBaseInfo: the identity of the printer that this vgprn process serves, set by the
// monitoring start, the viewer entries and the registry exports. One instance lives in the
// library's application object.
#include <string>

#include "common/unique_handle.h"
#include "common/win.h"

class CBaseInfo {
 public:
  static constexpr int kStateNotSet = -1;    // no usable identity
  static constexpr int kStateIdentity = 0;   // the four names are stored
  static constexpr int kStateComplete = 1;   // and the resource library is known

  CBaseInfo() = default;
  virtual ~CBaseInfo();
  CBaseInfo(const CBaseInfo&) = delete;
  CBaseInfo& operator=(const CBaseInfo&) = delete;

  // Sets the identity, in this order: the state becomes kStateNotSet, and stays so unless
  // all four names are non-empty; they are stored (kStateIdentity). The profile INI is the
  // given one, else the model's by driver and model; without one the setting stops here.
  // The resource library is the given one, else "ResDll" of the INI's language section
  // (kStateComplete when known). Last, the printer's target key is found, or rebuilt when
  // it is missing. Returns the new state. Null and empty arguments count alike.
  int Set(const char* printerName, const char* driverName, const char* portName,
          const char* modelId, const char* profilePath, const char* resDllName);

  const char* PrinterName() const { return m_strPrinterName.c_str(); }
  const char* DriverName() const { return m_strDriverName.c_str(); }
  const char* PortName() const { return m_strPortName.c_str(); }
  const char* ModelID() const { return m_strModelId.c_str(); }
  // The model's profile INI (the data file); "" when unknown.
  const char* ProfilePath() const { return m_strProfilePath.c_str(); }
  // The resource library's file name; "" when unknown.
  const char* ResDllName() const { return m_strResDllName.c_str(); }
  // The target key's path (under the root that the target-key lookup chooses); "" when none.
  const char* TargetKeyPath() const { return m_strTargetKeyPath.c_str(); }
  int State() const { return m_nState; }
  bool IsValid() const { return m_nState != kStateNotSet; }

  // Changes the printer name alone, leaving the state and everything else as it is.
  void SetPrinterName(const char* name);

  // The shared window table mapping that this process registered its windows in; owned
  // from here on (a previous one is closed).
  HANDLE MapFile() const { return m_hMapFile.Get(); }
  void SetMapFile(HANDLE mapping) { m_hMapFile.Reset(mapping); }

 private:
  struct Fields;
  void Store(const Fields& fields);

  std::string m_strPrinterName;
  std::string m_strDriverName;
  std::string m_strPortName;
  std::string m_strModelId;
  std::string m_strProfilePath;
  std::string m_strResDllName;
  std::string m_strTargetKeyPath;
  int m_nState = kStateNotSet;
  ScopedHandle m_hMapFile;
};

#pragma once
// The binding of the printer maker's bidirectional library: found through the spooler (the
// printer data "QVAPIB6Namex86" names the file, which lies in the folder of the driver's data
// file), loaded lazily, initialised once and shared by a user count. Callers hold short-lived
// handle objects (CQvApi, CQvApiChannel) for the span of one operation.
#include <atomic>
#include <mutex>

#include "common/win.h"
#include "common/app_mem_win.h"
#include "printer/qvapi.h"

class CQvApiBase {
 public:
  // The library's one instance is built without initialising; Initialize runs when the first
  // handle object finds the binding disabled.
  explicit CQvApiBase(bool initialize = false);
  virtual ~CQvApiBase();
  CQvApiBase(const CQvApiBase&) = delete;
  CQvApiBase& operator=(const CQvApiBase&) = delete;

  // The process's binding.
  static CQvApiBase& Instance();

  // Locates and loads the library when none is loaded, then resolves the twelve functions and
  // calls QVInitialize while it has not succeeded. Returns m_bEnable.
  BOOL Initialize();
  // Releases and unloads the library when no user is left.
  void Destroy();
  // The channel count (cached once fetched), 0 for a null name, or -1.
  int QVGetAvailableChannel(int kind, const char* name);

  BOOL IsEnabled() const { return m_bEnable; }
  int AddUser() { return ++m_nUsers; }
  int RemoveUser();
  int Users() const { return m_nUsers; }
  const qvapi::ChannelRecord* Channels() const { return m_cChannels.As<qvapi::ChannelRecord>(); }
  int ChannelCount() const { return m_nChannelCount; }
  HMODULE Module() const { return m_hModule; }

  // The twelve entries, valid while m_bEnable is set.
  PFN_QVInitialize m_pfnQVInitialize = nullptr;
  PFN_QVRelease m_pfnQVRelease = nullptr;
  PFN_QVGetDeviceID m_pfnQVGetDeviceID = nullptr;
  PFN_QVGetAvailableChannel m_pfnQVGetAvailableChannel = nullptr;
  PFN_QVOpenChannel m_pfnQVOpenChannel = nullptr;
  PFN_QVCloseChannel m_pfnQVCloseChannel = nullptr;
  PFN_QVSetOption m_pfnQVSetOption = nullptr;
  PFN_QVGetOption m_pfnQVGetOption = nullptr;
  PFN_QVReceiveCancel m_pfnQVReceiveCancel = nullptr;
  PFN_QVGetStatus m_pfnQVGetStatus = nullptr;
  PFN_QVReceive m_pfnQVReceive = nullptr;
  PFN_QVSend m_pfnQVSend = nullptr;

 private:
  void LoadLibraryOfCurrentPrinter();
  bool ResolveFunctions();
  void ClearFunctions();

  HMODULE m_hModule = nullptr;
  int m_nInitResult = -1;
  BOOL m_bEnable = FALSE;
  // Handle objects live on the status worker and the window thread alike.
  std::atomic<int> m_nUsers{0};
  CAppMem m_cChannels;
  int m_nChannelCount = -1;
  std::recursive_mutex m_lock;
};

// A handle object for the span of one operation: it keeps the library loaded while it lives.
class CQvApi {
 public:
  CQvApi();
  virtual ~CQvApi();
  CQvApi(const CQvApi&) = delete;
  CQvApi& operator=(const CQvApi&) = delete;

  BOOL IsEnabled() const;
  int AddUser();
  int RemoveUser();
  // Fetches the base's channel list and copies its pointer and count; -15 for a null name.
  int GetChannels(int kind, const char* name);

 protected:
  CQvApiBase* m_pBase;
  const qvapi::ChannelRecord* m_pChannels = nullptr;
  int m_nChannelCount = -1;
  BOOL m_bEnable = FALSE;
  PFN_QVInitialize m_pfnQVInitialize = nullptr;
  PFN_QVRelease m_pfnQVRelease = nullptr;
  PFN_QVGetDeviceID m_pfnQVGetDeviceID = nullptr;
  PFN_QVOpenChannel m_pfnQVOpenChannel = nullptr;
  PFN_QVCloseChannel m_pfnQVCloseChannel = nullptr;
  PFN_QVSetOption m_pfnQVSetOption = nullptr;
  PFN_QVGetOption m_pfnQVGetOption = nullptr;
  PFN_QVReceiveCancel m_pfnQVReceiveCancel = nullptr;
  PFN_QVGetStatus m_pfnQVGetStatus = nullptr;
  PFN_QVReceive m_pfnQVReceive = nullptr;
  PFN_QVSend m_pfnQVSend = nullptr;
};

// One channel of one printer (kind 1: printer name, kind 0: port name).
class CQvApiChannel : public CQvApi {
 public:
  CQvApiChannel(int kind, const char* name, DWORD channel = 0, WORD modeMask = 0);
  ~CQvApiChannel() override;

  // 1 selected, 0 missing or lacking the mode bits, -1 when a channel is open or the list
  // cannot be had.
  int SelectChannel(DWORD channel, WORD modeMask);
  // The handle of the selected channel (stored), or 0 without a selection.
  int OpenChannel();
  void CloseChannel();
  BOOL IsOpen() const { return m_hChannel > 0; }
  DWORD GetSelectedChannel() const { return m_bSelected ? m_dwChannel : 0; }
  WORD GetChannelMode() const {
    return m_bSelected ? static_cast<WORD>(m_dwChannelInfo & 0xFFFF) : 0;
  }
  int Kind() const { return m_nKind; }
  const char* Name() const { return m_cName.As<char>(); }
  int Handle() const { return m_hChannel; }

  // QVOpenChannel for any channel of this printer, without selecting it; the handle or the
  // failure result.
  int OpenChannelNumber(DWORD channel);
  // QVCloseChannel for a handle this printer's channels were opened with (positive only).
  void CloseChannelHandle(int handle);
  // QVGetStatus on any handle of this printer.
  int GetStatusOf(int handle, void* buffer, int32_t* size);

  int GetStatus(void* buffer, int32_t* size);
  int GetDeviceID(char* buffer, int32_t* size);
  int ReceiveCancel();
  int SetOption(int option, void* data, int32_t* size);
  int Send(const void* data, int32_t* size);
  int Receive(void* buffer, int32_t* size);

 protected:
  int m_nKind;
  CAppMem m_cName;
  const qvapi::ChannelRecord* m_pList = nullptr;
  int m_nListCount = -1;
  BOOL m_bSelected = FALSE;
  DWORD m_dwChannel = 0;
  DWORD m_dwChannelInfo = 0;
  int m_hChannel = -1;
};

#pragma once
// The binding of the printer maker's bidirectional library: found through the spooler (the
// printer data "QVAPIB6Namex86" names the file, which lies in the folder of the driver's data
// file), loaded lazily, initialised once and shared by a user count. Callers hold short-lived
// handle objects (CQvApi, CQvApiChannel) for the span of one operation. Every call into the
// library goes through the call guard (qvapi_call_guard_win.h): a call that crashes or does
// not come back within a poll interval fails, and the library is kept loaded and left alone
// as the guard says.
#include <mutex>

#include "common/app_mem_win.h"
#include "common/qvapi.h"
#include "common/unique_handle.h"
#include "common/win.h"

class CQvApiBase {
 public:
  // The library's one instance is built without initialising; Initialize runs when the first
  // handle object finds the binding disabled.
  explicit CQvApiBase(bool initialize = false);
  // Calls nothing of the bidirectional library and unloads nothing: it runs while the system
  // unloads this library, under its loader lock. The library's last user has released it.
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
  // One locked step for a new handle object: adds a user, initialises the binding when it is
  // off, and copies the function table (emptied when the binding stays off). The library
  // cannot be released between these steps. Returns m_bEnable.
  BOOL AddUserAndBind(qvapi::FunctionTable* table);
  // One locked step for a leaving handle object: removes a user and releases the library when
  // it was the last.
  void RemoveUserAndRelease();
  // The channel count (cached once fetched), 0 for a null name, or -1; with the records of
  // the cached list, which stay valid while any user is left.
  int QVGetAvailableChannel(int kind, const char* name,
                            const qvapi::ChannelRecord** records = nullptr);

  BOOL IsEnabled() const;
  int AddUser();
  int RemoveUser();
  int Users() const;
  HMODULE Module() const;

 private:
  void LoadLibraryOfCurrentPrinter();

  // Every field below is read and written under this lock: handle objects live on the
  // monitor's worker, a status window's worker and the window thread alike.
  mutable std::recursive_mutex m_lock;
  ScopedModule m_hModule;
  int m_nInitResult = -1;
  BOOL m_bEnable = FALSE;
  int m_nUsers = 0;
  CAppMem m_cChannels;
  int m_nChannelCount = -1;
  // The twelve entries, valid while m_bEnable is set.
  qvapi::FunctionTable m_fn;
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
  // The base's function table as it was when this object became a user.
  qvapi::FunctionTable m_fn;
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
  // QVCloseChannel for an open handle (its result is of no use to anyone).
  void CloseHandleOf(int handle);

  int m_nKind;
  CAppMem m_cName;
  const qvapi::ChannelRecord* m_pList = nullptr;
  int m_nListCount = -1;
  BOOL m_bSelected = FALSE;
  DWORD m_dwChannel = 0;
  DWORD m_dwChannelInfo = 0;
  int m_hChannel = -1;
};

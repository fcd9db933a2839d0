#include "printer/qvapi_binding_win.h"

#include <cstring>

#include "common/debug_log_win.h"
#include "common/registry_keys.h"
#include "common/system_library_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "printer/channel_rules.h"
#include "printer/vgprn_app_win.h"

namespace {

using vgreg::kQvapiLibraryDataName;

// The library's file name from the printer data, and the folder of the driver's data file.
// Empty strings when the spooler cannot tell.
struct LibraryLocation {
  char fileName[MAX_PATH] = {};
  char folder[MAX_PATH] = {};
};

LibraryLocation LocateLibrary(const char* printerName) {
  LibraryLocation location;
  CAppMem name(MAX_PATH);
  if (name.Get() == nullptr) return location;
  vgtext::CopyBounded(name.As<char>(), MAX_PATH, printerName ? printerName : "");

  // Full access as the driver's own tools ask for it; a user without administration rights
  // gets read access, which is all that reading the printer data and driver needs.
  ScopedPrinter printer;
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!::OpenPrinterA(name.As<char>(), printer.Receive(), &defaults) || !printer.IsValid()) {
    PRINTER_DEFAULTSA readOnly = {nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!::OpenPrinterA(name.As<char>(), printer.Receive(), &readOnly) || !printer.IsValid()) {
      return location;
    }
  }

  CAppMem fileName(MAX_PATH);
  if (fileName.Get() == nullptr) return location;
  DWORD type = 0;
  DWORD needed = 0;
  if (::GetPrinterDataA(printer.Get(), const_cast<char*>(kQvapiLibraryDataName), &type,
                        fileName.As<BYTE>(), MAX_PATH, &needed) != ERROR_SUCCESS) {
    return location;
  }
  const size_t nameLength = needed < MAX_PATH ? needed : MAX_PATH - 1;
  fileName.As<char>()[nameLength] = '\0';

  needed = 0;
  if (!::GetPrinterDriverA(printer.Get(), nullptr, 6, nullptr, 0, &needed) &&
      ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    return location;
  }
  CAppMem driver(needed);
  if (driver.Get() == nullptr ||
      !::GetPrinterDriverA(printer.Get(), nullptr, 6, driver.As<BYTE>(), needed, &needed)) {
    return location;
  }
  const char* dataFile = driver.As<DRIVER_INFO_6A>()->pDataFile;
  if (dataFile == nullptr) return location;
  char folder[MAX_PATH] = {};
  vgtext::CopyBounded(folder, sizeof folder, dataFile);
  char* slash = std::strrchr(folder, '\\');
  if (slash == nullptr) return location;  // no folder: nothing is loaded
  slash[1] = '\0';
  vgtext::CopyBounded(location.folder, sizeof location.folder, folder);
  vgtext::CopyBounded(location.fileName, sizeof location.fileName, fileName.As<char>());
  return location;
}

}  // namespace

CQvApiBase::CQvApiBase(bool initialize) {
  if (initialize) Initialize();
}

CQvApiBase::~CQvApiBase() {
  // Under the loader lock nothing may be unloaded: a library still held is left to the
  // process's end.
  static_cast<void>(m_hModule.Take());
}

CQvApiBase& CQvApiBase::Instance() {
  static CQvApiBase base;
  return base;
}

BOOL CQvApiBase::IsEnabled() const {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return m_bEnable;
}

int CQvApiBase::AddUser() {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return ++m_nUsers;
}

int CQvApiBase::RemoveUser() {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (m_nUsers > 0) --m_nUsers;
  return m_nUsers;
}

int CQvApiBase::Users() const {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return m_nUsers;
}

HMODULE CQvApiBase::Module() const {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return m_hModule.Get();
}

BOOL CQvApiBase::AddUserAndBind(qvapi::FunctionTable* table) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (!m_bEnable) Initialize();
  ++m_nUsers;  // only once nothing can throw: a failed start leaves the count as it was
  *table = m_bEnable ? m_fn : qvapi::FunctionTable();
  return m_bEnable;
}

void CQvApiBase::RemoveUserAndRelease() {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  RemoveUser();
  Destroy();
}

void CQvApiBase::LoadLibraryOfCurrentPrinter() {
  const LibraryLocation location = LocateLibrary(TheApp().CurrentPrinterName());
  if (location.folder[0] == '\0' || location.fileName[0] == '\0') return;
  char path[2 * MAX_PATH] = {};
  std::strcat(path, location.folder);
  std::strcat(path, location.fileName);
  if (std::strlen(path) >= MAX_PATH) return;
  m_hModule.Reset(::LoadLibraryA(path));
}

BOOL CQvApiBase::Initialize() {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  CTraceScope trace("CQvApiBase::Initialize");
  if (!m_hModule.IsValid()) {
    m_bEnable = FALSE;
    LoadLibraryOfCurrentPrinter();
  }
  // Any result but 0 left the library unready: it is asked again on every later call.
  if (m_nInitResult != 0 && m_hModule.IsValid()) {
    HMODULE module = m_hModule.Get();
    // The first missing name leaves the binding off.
    if (qvapi::BindFunctions(&m_fn, [module](const char* name) {
          return GetProcAs<void*>(module, name);
        }) != nullptr) {
      return m_bEnable;
    }
    trace.Write("Before:QVInitialize()\n");
    m_nInitResult = m_fn.QVInitialize();
    m_bEnable = m_nInitResult == 0 ? TRUE : FALSE;
    trace.Write("After:QVInitialize(), m_bEnable : %d\n", m_bEnable);
  }
  return m_bEnable;
}

void CQvApiBase::Destroy() {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (m_nUsers > 0) return;
  CTraceScope trace("CQvApiBase::Destroy");
  m_cChannels.Free();
  m_nChannelCount = -1;
  if (m_nInitResult >= 0 && m_fn.QVRelease != nullptr) {
    trace.Write("Before:QVRelease()\n");
    if (m_fn.QVRelease() >= 0) m_nInitResult = -1;
    trace.Write("After:QVRelease()\n");
  }
  m_hModule.Close();
  // Nothing of an unloaded library may be called again: the next user loads it afresh.
  m_nInitResult = -1;
  m_bEnable = FALSE;
  m_fn = qvapi::FunctionTable();
}

int CQvApiBase::QVGetAvailableChannel(int kind, const char* name,
                                      const qvapi::ChannelRecord** records) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  CTraceScope trace("CQvApiBase::QVGetAvailableChannel");
  if (records) *records = nullptr;
  if (name == nullptr) return 0;
  if (m_cChannels.Get() != nullptr && m_nChannelCount >= 1) {
    if (records) *records = m_cChannels.As<qvapi::ChannelRecord>();
    return m_nChannelCount;
  }
  m_cChannels.Free();
  m_nChannelCount = -1;
  if (!m_bEnable || m_fn.QVGetAvailableChannel == nullptr) return -1;

  int32_t size = 0;
  trace.Write("Before:QVGetAvailableChannel(1st)\n");
  int32_t result = m_fn.QVGetAvailableChannel(kind, name, nullptr, &size);
  trace.Write("After :QVGetAvailableChannel(1st) : %d\n", static_cast<int>(result));
  if (result != qvapi::kBufferTooSmall || size <= 0) return -1;

  if (m_cChannels.Alloc(static_cast<size_t>(size) + 1) == nullptr) return -1;
  const int32_t allocated = size;
  trace.Write("Before:QVGetAvailableChannel(2nd)\n");
  result = m_fn.QVGetAvailableChannel(kind, name, m_cChannels.Get(), &size);
  trace.Write("After :QVGetAvailableChannel(2nd) : %d\n", static_cast<int>(result));
  if (result <= 0) {
    m_cChannels.Free();
    m_nChannelCount = -1;
    return -1;
  }
  // A count beyond the buffer would make every later scan read past it.
  const int fits = static_cast<int>(allocated / static_cast<int32_t>(sizeof(qvapi::ChannelRecord)));
  m_nChannelCount = result < fits ? result : fits;
  const qvapi::ChannelRecord* list = m_cChannels.As<qvapi::ChannelRecord>();
  for (int i = 0; i < m_nChannelCount; ++i) {
    trace.Write("Channel info[%d], Channel : %#x, Mode : %#x\n", i,
                static_cast<unsigned>(list[i].channel),
                static_cast<unsigned>(qvapi::ModeOf(list[i])));
  }
  if (records) *records = list;
  return m_nChannelCount;
}

CQvApi::CQvApi() : m_pBase(&CQvApiBase::Instance()) {
  m_bEnable = m_pBase->AddUserAndBind(&m_fn);
}

CQvApi::~CQvApi() { m_pBase->RemoveUserAndRelease(); }

BOOL CQvApi::IsEnabled() const { return m_pBase ? (m_bEnable && m_pBase->IsEnabled()) : FALSE; }

int CQvApi::AddUser() { return m_pBase->AddUser(); }

int CQvApi::RemoveUser() { return m_pBase->RemoveUser(); }

int CQvApi::GetChannels(int kind, const char* name) {
  if (name == nullptr) return -15;
  const qvapi::ChannelRecord* records = nullptr;
  const int count = m_pBase->QVGetAvailableChannel(kind, name, &records);
  m_pChannels = records;
  m_nChannelCount = count > 0 ? count : -1;
  return count;
}

CQvApiChannel::CQvApiChannel(int kind, const char* name, DWORD channel, WORD modeMask)
    : m_nKind(kind) {
  if (!IsEnabled() || (kind != qvapi::kKindPort && kind != qvapi::kKindPrinter)) return;
  if (name == nullptr) return;
  const size_t length = CAppMem::StrLen(name);
  if (m_cName.Alloc(length + 1) == nullptr) return;
  std::memcpy(m_cName.Get(), name, length);
  if (channel != 0) SelectChannel(channel, modeMask);
}

CQvApiChannel::~CQvApiChannel() = default;

int CQvApiChannel::SelectChannel(DWORD channel, WORD modeMask) {
  if (IsOpen()) return -1;
  if (m_cName.Get() == nullptr) return 0;
  if (m_pList == nullptr || m_nListCount < 1) {
    const int count = GetChannels(m_nKind, Name());
    if (count < 1) {
      m_bSelected = FALSE;
      m_dwChannel = 0;
      m_dwChannelInfo = 0;
      return -1;
    }
    m_pList = m_pChannels;
    m_nListCount = count;
  }
  const int index = vgchan::FindChannelRecord(m_pList, m_nListCount, channel, modeMask);
  if (index < 0) {
    m_bSelected = FALSE;
    return 0;
  }
  m_dwChannel = m_pList[index].channel;
  m_dwChannelInfo = m_pList[index].info;
  m_bSelected = m_dwChannel == channel ? TRUE : FALSE;
  return m_bSelected ? 1 : 0;
}

int CQvApiChannel::OpenChannel() {
  if (!m_bSelected || !IsEnabled()) return 0;
  const int handle = m_fn.QVOpenChannel(m_nKind, Name(), m_dwChannel);
  // A failed open stays closed, so the next attempt opens again.
  m_hChannel = handle > 0 ? handle : -1;
  return handle;
}

void CQvApiChannel::CloseChannel() {
  if (m_hChannel >= 0 && IsEnabled()) m_fn.QVCloseChannel(m_hChannel);
  m_hChannel = -1;
}

int CQvApiChannel::OpenChannelNumber(DWORD channel) {
  if (!IsEnabled() || m_cName.Get() == nullptr) return 0;
  return m_fn.QVOpenChannel(m_nKind, Name(), channel);
}

void CQvApiChannel::CloseChannelHandle(int handle) {
  if (handle > 0 && IsEnabled()) m_fn.QVCloseChannel(handle);
}

int CQvApiChannel::GetStatusOf(int handle, void* buffer, int32_t* size) {
  if (!IsEnabled()) return -1;
  return m_fn.QVGetStatus(handle, buffer, size);
}

int CQvApiChannel::GetStatus(void* buffer, int32_t* size) {
  if (!IsEnabled()) return -1;
  return m_fn.QVGetStatus(m_hChannel, buffer, size);
}

int CQvApiChannel::GetDeviceID(char* buffer, int32_t* size) {
  if (!IsEnabled() || m_cName.Get() == nullptr) return -1;
  return m_fn.QVGetDeviceID(m_nKind, Name(), buffer, size);
}

int CQvApiChannel::ReceiveCancel() {
  if (!IsEnabled()) return -1;
  return m_fn.QVReceiveCancel(m_hChannel);
}

int CQvApiChannel::SetOption(int option, void* data, int32_t* size) {
  if (!IsEnabled()) return -1;
  return m_fn.QVSetOption(m_hChannel, option, data, size);
}

int CQvApiChannel::Send(const void* data, int32_t* size) {
  if (!IsEnabled()) return -1;
  return m_fn.QVSend(m_hChannel, data, size);
}

int CQvApiChannel::Receive(void* buffer, int32_t* size) {
  if (!IsEnabled()) return -1;
  return m_fn.QVReceive(m_hChannel, buffer, size);
}

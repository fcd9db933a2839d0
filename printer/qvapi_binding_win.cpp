#include "printer/qvapi_binding_win.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/debug_log_win.h"
#include "common/registry_keys.h"
#include "common/system_library_win.h"
#include "common/text_util.h"
#include "common/unique_handle.h"
#include "printer/channel_rules.h"
#include "printer/qvapi_call_guard_win.h"
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

// The caller's name, buffer and size as one call into the library gets them: copies that the
// call owns, since the guard may give the call up while it still runs. The buffer holds the
// caller's bytes (some calls read them) and as many as *size says the library may write.
class CallCopies {
 public:
  CallCopies(const char* name, const void* buffer, const int32_t* size)
      : hasName_(name != nullptr),
        hasBuffer_(buffer != nullptr),
        hasSize_(size != nullptr),
        size_(size ? *size : 0),
        capacity_(size && *size > 0 ? static_cast<size_t>(*size) : 0) {
    if (hasName_) name_ = name;
    if (buffer != nullptr) {
      bytes_.assign(capacity_ + 1, 0);
      if (capacity_ > 0) std::memcpy(bytes_.data(), buffer, capacity_);
    }
  }

  const char* Name() const { return hasName_ ? name_.c_str() : nullptr; }
  void* Buffer() { return hasBuffer_ ? bytes_.data() : nullptr; }
  int32_t* Size() { return hasSize_ ? &size_ : nullptr; }

  // What the library wrote goes to the caller: the buffer as far as it was offered, the size.
  void GiveBack(void* buffer, int32_t* size) const {
    if (hasBuffer_ && buffer != nullptr && capacity_ > 0) {
      std::memcpy(buffer, bytes_.data(), capacity_);
    }
    if (hasSize_ && size != nullptr) *size = size_;
  }

 private:
  bool hasName_;
  bool hasBuffer_;
  bool hasSize_;
  std::string name_;
  int32_t size_;
  size_t capacity_;
  std::vector<char> bytes_;
};

// One call into the library through the guard: invoke(copies) makes it on the copies, which
// go back to the caller only when the library answered.
template <typename Invoke>
int32_t CallLibrary(const char* function, const char* name, void* buffer, int32_t* size,
                    Invoke invoke) {
  auto copies = std::make_shared<CallCopies>(name, buffer, size);
  bool answered = false;
  const int32_t result = CQvCallGuard::Instance().Call(
      function, [copies, invoke]() { return invoke(*copies); }, &answered);
  if (answered) copies->GiveBack(buffer, size);
  return result;
}

// A call without name, buffer or size.
template <typename Invoke>
int32_t CallLibrary(const char* function, Invoke invoke) {
  return CQvCallGuard::Instance().Call(function, invoke);
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
  // A library that crashed, or that has not come back from a call given up, is as unusable
  // as one that could not start: the guard would refuse every call.
  return (m_bEnable && CQvCallGuard::Instance().Admits()) ? TRUE : FALSE;
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
    const PFN_QVInitialize initialize = m_fn.QVInitialize;
    m_nInitResult = CallLibrary("QVInitialize", [initialize] { return initialize(); });
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
  CQvCallGuard& calls = CQvCallGuard::Instance();
  if (m_nInitResult >= 0 && m_fn.QVRelease != nullptr && calls.Admits()) {
    trace.Write("Before:QVRelease()\n");
    const PFN_QVRelease release = m_fn.QVRelease;
    if (CallLibrary("QVRelease", [release] { return release(); }) >= 0) m_nInitResult = -1;
    trace.Write("After:QVRelease()\n");
  }
  // A library that still runs a call given up, or that crashed, stays loaded: its code would
  // run on after the unload, or its unload code on a broken state. The next user finds it
  // loaded; the guard decides whether it may be called.
  if (m_hModule.IsValid() && calls.Admits()) {
    m_hModule.Close();
  } else if (m_hModule.IsValid()) {
    trace.Write("The library stays loaded: a call of it is running or it crashed\n");
  }
  // Nothing of a library let go may be called again: the next user binds it afresh.
  m_nInitResult = -1;
  m_bEnable = FALSE;
  m_fn = qvapi::FunctionTable();
  calls.EndIdleThreads();
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

  const PFN_QVGetAvailableChannel getChannels = m_fn.QVGetAvailableChannel;
  auto call = [getChannels, kind](CallCopies& copies) {
    return getChannels(kind, copies.Name(), copies.Buffer(), copies.Size());
  };
  int32_t size = 0;
  trace.Write("Before:QVGetAvailableChannel(1st)\n");
  int32_t result = CallLibrary("QVGetAvailableChannel", name, nullptr, &size, call);
  trace.Write("After :QVGetAvailableChannel(1st) : %d\n", static_cast<int>(result));
  if (result != qvapi::kBufferTooSmall || size <= 0) return -1;

  if (m_cChannels.Alloc(static_cast<size_t>(size) + 1) == nullptr) return -1;
  const int32_t allocated = size;
  trace.Write("Before:QVGetAvailableChannel(2nd)\n");
  result = CallLibrary("QVGetAvailableChannel", name, m_cChannels.Get(), &size, call);
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

CQvApi::CQvApi() : m_pBase(&CQvApiBase::Instance()) { m_bEnable = m_pBase->AddUserAndBind(&m_fn); }

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
  const int handle = OpenChannelNumber(m_dwChannel);
  // A failed open stays closed, so the next attempt opens again.
  m_hChannel = handle > 0 ? handle : -1;
  return handle;
}

void CQvApiChannel::CloseChannel() {
  if (m_hChannel >= 0 && IsEnabled()) CloseHandleOf(m_hChannel);
  m_hChannel = -1;
}

int CQvApiChannel::OpenChannelNumber(DWORD channel) {
  if (!IsEnabled() || m_cName.Get() == nullptr) return 0;
  const PFN_QVOpenChannel open = m_fn.QVOpenChannel;
  const int32_t kind = m_nKind;
  return CallLibrary(
      "QVOpenChannel", Name(), nullptr, nullptr,
      [open, kind, channel](CallCopies& copies) { return open(kind, copies.Name(), channel); });
}

void CQvApiChannel::CloseChannelHandle(int handle) {
  if (handle > 0 && IsEnabled()) CloseHandleOf(handle);
}

void CQvApiChannel::CloseHandleOf(int handle) {
  const PFN_QVCloseChannel close = m_fn.QVCloseChannel;
  CallLibrary("QVCloseChannel", [close, handle] { return close(handle); });
}

int CQvApiChannel::GetStatusOf(int handle, void* buffer, int32_t* size) {
  if (!IsEnabled()) return -1;
  const PFN_QVGetStatus getStatus = m_fn.QVGetStatus;
  return CallLibrary("QVGetStatus", nullptr, buffer, size, [getStatus, handle](CallCopies& copies) {
    return getStatus(handle, copies.Buffer(), copies.Size());
  });
}

int CQvApiChannel::GetStatus(void* buffer, int32_t* size) {
  return GetStatusOf(m_hChannel, buffer, size);
}

int CQvApiChannel::GetDeviceID(char* buffer, int32_t* size) {
  if (!IsEnabled() || m_cName.Get() == nullptr) return -1;
  const PFN_QVGetDeviceID getDeviceId = m_fn.QVGetDeviceID;
  const int32_t kind = m_nKind;
  return CallLibrary(
      "QVGetDeviceID", Name(), buffer, size, [getDeviceId, kind](CallCopies& copies) {
        return getDeviceId(kind, copies.Name(), static_cast<char*>(copies.Buffer()), copies.Size());
      });
}

int CQvApiChannel::ReceiveCancel() {
  if (!IsEnabled()) return -1;
  const PFN_QVReceiveCancel cancel = m_fn.QVReceiveCancel;
  const int handle = m_hChannel;
  return CallLibrary("QVReceiveCancel", [cancel, handle] { return cancel(handle); });
}

int CQvApiChannel::SetOption(int option, void* data, int32_t* size) {
  if (!IsEnabled()) return -1;
  const PFN_QVSetOption setOption = m_fn.QVSetOption;
  const int handle = m_hChannel;
  return CallLibrary("QVSetOption", nullptr, data, size,
                     [setOption, handle, option](CallCopies& copies) {
                       return setOption(handle, option, copies.Buffer(), copies.Size());
                     });
}

int CQvApiChannel::Send(const void* data, int32_t* size) {
  if (!IsEnabled()) return -1;
  const PFN_QVSend send = m_fn.QVSend;
  const int handle = m_hChannel;
  // The bytes sent are only read: a copy goes in, and only the size comes back.
  const bool hasData = data != nullptr;
  const bool hasSize = size != nullptr;
  const size_t count = hasData && hasSize && *size > 0 ? static_cast<size_t>(*size) : 0;
  auto bytes = std::make_shared<std::vector<char>>(count + 1, 0);
  if (count > 0) std::memcpy(bytes->data(), data, count);
  auto sent = std::make_shared<int32_t>(hasSize ? *size : 0);
  bool answered = false;
  const int32_t result = CQvCallGuard::Instance().Call(
      "QVSend",
      [send, handle, bytes, sent, hasData, hasSize] {
        return send(handle, hasData ? bytes->data() : nullptr, hasSize ? sent.get() : nullptr);
      },
      &answered);
  if (answered && hasSize) *size = *sent;
  return result;
}

int CQvApiChannel::Receive(void* buffer, int32_t* size) {
  if (!IsEnabled()) return -1;
  const PFN_QVReceive receive = m_fn.QVReceive;
  const int handle = m_hChannel;
  return CallLibrary("QVReceive", nullptr, buffer, size, [receive, handle](CallCopies& copies) {
    return receive(handle, copies.Buffer(), copies.Size());
  });
}

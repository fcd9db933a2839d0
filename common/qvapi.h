#pragma once
// The printer maker's bidirectional library: the twelve functions that the system binds by
// name at run time. C linkage, undecorated export names, the C calling convention (the
// caller removes the arguments). Every function returns a signed 32-bit result; -4 means the
// buffer was too small and the required size was stored through the size pointer; other
// negative values are failures. Printers are addressed by a kind (1 = printer name,
// 0 = port name) and a name.
#include <cstdint>

#if defined(_WIN32)
#define QVAPI_CALL __cdecl
#else
#define QVAPI_CALL
#endif

extern "C" {
typedef int32_t(QVAPI_CALL* PFN_QVInitialize)(void);
typedef int32_t(QVAPI_CALL* PFN_QVRelease)(void);
typedef int32_t(QVAPI_CALL* PFN_QVGetDeviceID)(int32_t kind, const char* name, char* buffer,
                                                int32_t* size);
typedef int32_t(QVAPI_CALL* PFN_QVGetAvailableChannel)(int32_t kind, const char* name,
                                                        void* buffer, int32_t* size);
typedef int32_t(QVAPI_CALL* PFN_QVOpenChannel)(int32_t kind, const char* name, uint32_t channel);
typedef int32_t(QVAPI_CALL* PFN_QVCloseChannel)(int32_t handle);
typedef int32_t(QVAPI_CALL* PFN_QVSetOption)(int32_t handle, int32_t option, void* data,
                                              int32_t* size);
typedef int32_t(QVAPI_CALL* PFN_QVGetOption)(int32_t handle, int32_t option, void* data,
                                              int32_t* size);
typedef int32_t(QVAPI_CALL* PFN_QVReceiveCancel)(int32_t handle);
typedef int32_t(QVAPI_CALL* PFN_QVGetStatus)(int32_t handle, void* buffer, int32_t* size);
typedef int32_t(QVAPI_CALL* PFN_QVReceive)(int32_t handle, void* buffer, int32_t* size);
typedef int32_t(QVAPI_CALL* PFN_QVSend)(int32_t handle, const void* data, int32_t* size);
}

// The twelve functions, in the order the system binds them, each with its pointer type. This
// one list makes the binding's function table, binds it by name, and checks the simulated
// printer's exports: X(name, type) is expanded once per function.
#define QVAPI_FUNCTIONS(X)                            \
  X(QVInitialize, PFN_QVInitialize)                   \
  X(QVRelease, PFN_QVRelease)                         \
  X(QVGetDeviceID, PFN_QVGetDeviceID)                 \
  X(QVGetAvailableChannel, PFN_QVGetAvailableChannel) \
  X(QVOpenChannel, PFN_QVOpenChannel)                 \
  X(QVCloseChannel, PFN_QVCloseChannel)               \
  X(QVSetOption, PFN_QVSetOption)                     \
  X(QVGetOption, PFN_QVGetOption)                     \
  X(QVReceiveCancel, PFN_QVReceiveCancel)             \
  X(QVGetStatus, PFN_QVGetStatus)                     \
  X(QVReceive, PFN_QVReceive)                         \
  X(QVSend, PFN_QVSend)

namespace qvapi {

// The bound functions, one member per function, named as the function.
struct FunctionTable {
#define QVAPI_TABLE_MEMBER(name, type) type name = nullptr;
  QVAPI_FUNCTIONS(QVAPI_TABLE_MEMBER)
#undef QVAPI_TABLE_MEMBER
};

// Binds every function through lookup(name), which gives the function's address or null (the
// system's procedure lookup in the shell). Returns null when all are bound; otherwise the name
// of the first one missing, and the table is left empty.
template <typename Lookup>
const char* BindFunctions(FunctionTable* table, Lookup&& lookup) {
  FunctionTable bound;
#define QVAPI_BIND_MEMBER(name, type)                \
  if (void* address = lookup(#name)) {               \
    bound.name = reinterpret_cast<type>(address);    \
  } else {                                           \
    *table = FunctionTable();                        \
    return #name;                                    \
  }
  QVAPI_FUNCTIONS(QVAPI_BIND_MEMBER)
#undef QVAPI_BIND_MEMBER
  *table = bound;
  return nullptr;
}

// One record of QVGetAvailableChannel: the channel number and a second word whose low
// 16 bits are the mode word.
struct ChannelRecord {
  uint32_t channel;
  uint32_t info;
};
static_assert(sizeof(ChannelRecord) == 8, "channel records are 8 bytes");

inline uint16_t ModeOf(const ChannelRecord& record) {
  return static_cast<uint16_t>(record.info & 0xFFFF);
}

constexpr int32_t kKindPort = 0;
constexpr int32_t kKindPrinter = 1;

constexpr int32_t kBufferTooSmall = -4;
constexpr int32_t kChannelBusy = -5;      // tolerated on a parallel port
constexpr int32_t kCommunicationOff = -17;

constexpr uint16_t kModeStatus = 0x0004;   // the channel can report status
constexpr uint16_t kModeNetwork = 0x8000;  // a network connection

constexpr uint32_t kChannel4 = 0x00000004;
constexpr uint32_t kChannel10000005 = 0x10000005;
constexpr uint32_t kChannelParallel = 0x10010003;
constexpr uint32_t kChannel10000003 = 0x10000003;
constexpr uint32_t kChannel02000001 = 0x02000001;

}  // namespace qvapi

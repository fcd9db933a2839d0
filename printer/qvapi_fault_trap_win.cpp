#include "printer/qvapi_fault_trap_win.h"

#include <intrin.h>
#include <setjmp.h>

#include "printer/qvapi_call_rules.h"

namespace {

// The system's exception registration record: the link and the handler.
struct SehRecord {
  SehRecord* next;
  void* handler;
};

// The record comes first: the system hands the handler the record's address as the frame.
struct TrapFrame {
  SehRecord record;
  jmp_buf resume;
  volatile DWORD code;
};

// The flags of a handler call that only unwinds (another frame took the exception).
constexpr DWORD kUnwindFlags = 0x2 | 0x4;

extern "C" EXCEPTION_DISPOSITION __cdecl TrapHandler(EXCEPTION_RECORD* exception, void* frame,
                                                      CONTEXT*, void*) {
  if ((exception->ExceptionFlags & kUnwindFlags) != 0) return ExceptionContinueSearch;
  if (!vgqvcall::IsCrash(exception->ExceptionCode)) return ExceptionContinueSearch;
  TrapFrame* trap = static_cast<TrapFrame*>(frame);
  trap->code = exception->ExceptionCode;
  // Unwinds the chain down to our record (which setjmp saw at its head), then resumes there.
  longjmp(trap->resume, 1);
}

}  // namespace

namespace vgtrap {

__attribute__((noinline)) DWORD RunTrapped(TrappedCall call, void* context, int32_t* result) {
  TrapFrame trap;
  trap.code = 0;
  trap.record.next = reinterpret_cast<SehRecord*>(__readfsdword(0));
  trap.record.handler = reinterpret_cast<void*>(&TrapHandler);
  __writefsdword(0, static_cast<DWORD>(reinterpret_cast<uintptr_t>(&trap.record)));
  if (setjmp(trap.resume) == 0) {
    const int32_t value = call(context);
    *result = value;
  }
  // Returned or resumed: our record heads the chain either way, and leaves it now.
  __writefsdword(0, static_cast<DWORD>(reinterpret_cast<uintptr_t>(trap.record.next)));
  return trap.code;
}

}  // namespace vgtrap

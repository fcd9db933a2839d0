#pragma once
// One call run under a structured exception frame of its own, so that a crash inside another
// maker's library (an access violation, an illegal instruction, ...) ends that call instead
// of the process. Only what nothing inside the call handled reaches the frame, and only a
// crash (vgqvcall::IsCrash) is caught there; the library's own handlers always run first.
//
// This compiler has no __try on 32-bit x86, so the frame is made by hand: a registration
// record on this function's stack, linked at the head of the thread's exception chain (fs:0)
// for the span of the call. Its handler leaves through the C runtime's longjmp, which first
// unwinds the chain down to the record that setjmp saw (ours), as an __except block does:
// the frames the library left behind are gone, and the chain is whole again.
#include <cstdint>

#include "common/win.h"

namespace vgtrap {

using TrappedCall = int32_t (*)(void* context);

// Runs call(context) and stores its result in *result. Returns 0 when the call returned, or
// the code of the exception that ended it (*result is then left as it was).
DWORD RunTrapped(TrappedCall call, void* context, int32_t* result);

}  // namespace vgtrap

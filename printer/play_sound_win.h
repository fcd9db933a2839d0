#pragma once
// PlaySoundA, bound at run time on the first sound. The multimedia library brings several
// more system libraries with it (about 1.3 MiB of private memory under Wine); a process that
// never plays a sound, like the monitor, does not load them. Once loaded, the library stays
// for the life of the process: an asynchronous sound may still be playing from it.
#include "common/win.h"

// As PlaySoundA; FALSE when the multimedia library or its PlaySoundA is missing. Safe from
// any thread.
BOOL PlaySoundOnDemand(LPCSTR sound, HMODULE module, DWORD flags);

// Whether a sound has ever been asked for in this process (nothing can be playing otherwise).
bool IsSoundLibraryLoaded();

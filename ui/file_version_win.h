#pragma once
// The product version of a file, read from its version resource ("ProductVersion" of the
// first translation), in the system's single-byte code page.
#include <string>

#include "common/win.h"

// Empty when the file has no version resource or any step fails.
std::string GetProductVersion(const char* path);

// The full path of the module that holds this code: the printer status library itself, or
// the program it is linked into. Empty when it cannot be found.
std::string ThisModulePath();

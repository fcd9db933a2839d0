#pragma once
// The one project header that includes <windows.h>. It pins the target version, because the
// MinGW headers otherwise pick an old one, and keeps the big optional headers out.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0501
#endif
#ifndef WINVER
#define WINVER 0x0501
#endif
#include <windows.h>
#include <winspool.h>

#pragma once
// The C exports of vgprn.dll, with the C calling convention and undecorated names (listed in
// printer/vgprn.def). The monitor, the sibling programs, the tools and the tests load the
// library and bind them by name; the pointer types below are what they bind, listed once.
#include "common/win.h"

extern "C" {
int __cdecl PrMonitoringStart(HWND window, const char* printerName, const char* driverName,
                              const char* portName, const char* modelId,
                              const char* datFileName, const char* resDllName);
int __cdecl PrMonitoringEnd(void);
int __cdecl PrGetChannel(DWORD* statusChannel, DWORD* dataChannel);
int __cdecl PrGetDeviceID(char* buffer, DWORD* size);
int __cdecl PrGetStatus(int iEnableGetStatusErr, int* pbPopup, int* pbSoundPlay,
                        int* bPrinting, int* pnRealStatusNo, int* pnSimpleStatusNo);
int __cdecl PrGetTimerValue(DWORD channel, int* networkFlag);
int __cdecl PrSendPrinterData(DWORD command, DWORD* size, void** data);
int __cdecl PrGetPrinterData(DWORD command, DWORD* size, void** data);
int __cdecl PrReleasePrinterData(void** data);
int __cdecl PrStartView(int viewType, const char* printerName, const char* driverName,
                        const char* portName, const char* modelId, const char* datFileName,
                        const char* resDllName);
int __cdecl PrStartPreference(const char* printerName, const char* driverName,
                              const char* portName, const char* modelId, int ignored,
                              const char* resDllName);
int __cdecl PrSetRegDefaultValue(const char* printerName, const char* driverName,
                                 const char* portName, const char* modelId,
                                 const char* datFileName);
int __cdecl PrReleaseRegistry(const char* printerName, const char* driverName,
                              const char* portName, const char* modelId);
}

// How the monitor binds them: PrMonitoringStart receives two further trailing values (the
// hand-off block and its size) and PrMonitoringEnd two zeros, which the library ignores;
// the C calling convention makes that safe.
using PFN_PrMonitoringStart = int(__cdecl*)(HWND, const char*, const char*, const char*,
                                            const char*, const char*, const char*, const void*,
                                            DWORD);
using PFN_PrMonitoringEnd = int(__cdecl*)(int, int);
using PFN_PrGetChannel = int(__cdecl*)(DWORD*, DWORD*);
using PFN_PrGetDeviceID = int(__cdecl*)(char*, DWORD*);
using PFN_PrGetStatus = int(__cdecl*)(int, int*, int*, int*, int*, int*);
using PFN_PrGetTimerValue = int(__cdecl*)(DWORD, int*);
using PFN_PrStartView = int(__cdecl*)(int, const char*, const char*, const char*, const char*,
                                      const char*, const char*);
using PFN_PrSetRegDefaultValue = int(__cdecl*)(const char*, const char*, const char*,
                                               const char*, const char*);
using PFN_PrSendPrinterData = decltype(&PrSendPrinterData);
using PFN_PrGetPrinterData = decltype(&PrGetPrinterData);
using PFN_PrReleasePrinterData = decltype(&PrReleasePrinterData);
using PFN_PrReleaseRegistry = decltype(&PrReleaseRegistry);
using PFN_PrStartPreference = decltype(&PrStartPreference);

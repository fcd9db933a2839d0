#pragma once
// One move-only owner for every kind of system handle; the traits say which value means
// "none" and how the handle is released.
#include "common/win.h"

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() noexcept : handle_(Traits::Invalid()) {}
  explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
  ~UniqueHandle() { Close(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Take()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Take());
    return *this;
  }

  bool IsValid() const noexcept { return Traits::IsValid(handle_); }
  Handle Get() const noexcept { return handle_; }
  [[nodiscard]] Handle Take() noexcept {
    Handle handle = handle_;
    handle_ = Traits::Invalid();
    return handle;
  }
  void Reset(Handle handle = Traits::Invalid()) noexcept {
    if (IsValid()) Traits::Close(handle_);
    handle_ = handle;
  }
  void Close() noexcept { Reset(); }
  // For calls that return the handle through an out-parameter.
  Handle* Receive() noexcept {
    Close();
    return &handle_;
  }

 private:
  Handle handle_;
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  // Some calls report failure as NULL, others as INVALID_HANDLE_VALUE.
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::FindClose(h); }
};

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::RegCloseKey(h); }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::FreeLibrary(h); }
};

struct MapViewTraits {
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::UnmapViewOfFile(h); }
};

struct PrinterHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::ClosePrinter(h); }
};

struct HeapBlockTraits {
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::HeapFree(::GetProcessHeap(), 0, h); }
};

using ScopedHandle = UniqueHandle<KernelHandleTraits>;
using ScopedFindHandle = UniqueHandle<FindHandleTraits>;
using ScopedRegKey = UniqueHandle<RegKeyTraits>;
using ScopedModule = UniqueHandle<ModuleTraits>;
using ScopedMapView = UniqueHandle<MapViewTraits>;
using ScopedPrinter = UniqueHandle<PrinterHandleTraits>;
using ScopedHeapBlock = UniqueHandle<HeapBlockTraits>;

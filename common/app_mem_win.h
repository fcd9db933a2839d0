#pragma once
// CAppMem: owner of one process-heap block, zero-filled as the heap reports its size.
#include <cstddef>

#include "common/win.h"

class CAppMem {
 public:
  CAppMem() = default;
  explicit CAppMem(size_t size) { Alloc(size); }
  virtual ~CAppMem() { Free(); }
  CAppMem(const CAppMem&) = delete;
  CAppMem& operator=(const CAppMem&) = delete;
  CAppMem(CAppMem&& other) noexcept : m_pBlock(other.m_pBlock) { other.m_pBlock = nullptr; }
  CAppMem& operator=(CAppMem&& other) noexcept;

  // Replaces any held block; null when the heap has no room.
  void* Alloc(size_t size);
  void Free();
  void* Get() const { return m_pBlock; }
  template <typename T>
  T* As() const {
    return static_cast<T*>(m_pBlock);
  }
  // The block's size as the heap reports it (0 without a block).
  size_t Size() const;

  // String lengths that stop at 0x7FFFFFFF characters.
  static size_t StrLen(const char* text);

 private:
  void* m_pBlock = nullptr;
};

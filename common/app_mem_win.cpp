#include "common/app_mem_win.h"

CAppMem& CAppMem::operator=(CAppMem&& other) noexcept {
  if (this != &other) {
    Free();
    m_pBlock = other.m_pBlock;
    other.m_pBlock = nullptr;
  }
  return *this;
}

void* CAppMem::Alloc(size_t size) {
  Free();
  m_pBlock = ::HeapAlloc(::GetProcessHeap(), 0, size == 0 ? 1 : size);
  if (m_pBlock) {
    // The heap may hand out more than asked; all of it starts zeroed.
    ::ZeroMemory(m_pBlock, ::HeapSize(::GetProcessHeap(), 0, m_pBlock));
  }
  return m_pBlock;
}

void CAppMem::Free() {
  if (m_pBlock) ::HeapFree(::GetProcessHeap(), 0, m_pBlock);
  m_pBlock = nullptr;
}

size_t CAppMem::Size() const {
  if (m_pBlock == nullptr) return 0;
  SIZE_T size = ::HeapSize(::GetProcessHeap(), 0, m_pBlock);
  return size == static_cast<SIZE_T>(-1) ? 0 : size;
}

size_t CAppMem::StrLen(const char* text) {
  if (text == nullptr) return 0;
  size_t length = 0;
  while (length < 0x7FFFFFFF && text[length] != '\0') ++length;
  return length;
}

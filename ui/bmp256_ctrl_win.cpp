#include "ui/bmp256_ctrl_win.h"

#include <new>

#include "common/exception_guard_win.h"
#include "common/registry_win.h"
#include "printer/vgprn_app_win.h"
#include "ui/dib_layout.h"
#include "ui/driver_key_path.h"
#include "ui/picture_rules.h"

namespace {

// A picture of a status window is a few hundred kilobytes at most; a file far larger is not
// one, and reading it would only take memory.
constexpr DWORD kMaxPictureFile = 16 * 1024 * 1024;

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  // No sharing: a picture being written is not read half-way.
  ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  const DWORD size = ::GetFileSize(file.Get(), nullptr);
  if (size == INVALID_FILE_SIZE || size > kMaxPictureFile) return false;
  try {
    bytes->assign(size, 0);
  } catch (const std::bad_alloc&) {
    bytes->clear();
    return false;
  }
  DWORD done = 0;
  if (size > 0 && (!::ReadFile(file.Get(), bytes->data(), size, &done, nullptr) || done != size)) {
    bytes->clear();
    return false;
  }
  return true;
}

// A logical palette of the picture's 256 colours.
HPALETTE MakePalette(const uint8_t* dib, const vgui::DibLayout& layout) {
  const std::vector<vgui::PaletteColor> colors = vgui::PaletteOf(dib, layout, 256);
  std::vector<uint8_t> storage(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = 256;
  for (size_t i = 0; i < colors.size(); ++i) {
    palette->palPalEntry[i].peRed = colors[i].red;
    palette->palPalEntry[i].peGreen = colors[i].green;
    palette->palPalEntry[i].peBlue = colors[i].blue;
    palette->palPalEntry[i].peFlags = 0;
  }
  return ::CreatePalette(palette);
}

}  // namespace

CBMP256Ctrl::CBMP256Ctrl() = default;

CBMP256Ctrl::~CBMP256Ctrl() { Detach(); }

void CBMP256Ctrl::Attach(HWND hwnd) {
  Detach();
  if (hwnd == nullptr) return;
  m_hWnd = hwnd;
  ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  m_pfnPrevProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
      hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CBMP256Ctrl::WindowProc)));
}

void CBMP256Ctrl::Detach() {
  if (m_hWnd == nullptr) return;
  KillAnimationTimer();
  if (::IsWindow(m_hWnd) && m_pfnPrevProc != nullptr) {
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevProc));
    ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
  }
  m_hWnd = nullptr;
  m_pfnPrevProc = nullptr;
}

void CBMP256Ctrl::SetImageSize(int width, int height) {
  m_nImageWidth = width;
  m_nImageHeight = height;
}

void CBMP256Ctrl::SetFileNames(const char* blue, const char* red, const char* yellow) {
  m_szBlue = blue != nullptr ? blue : "";
  m_szRed = red != nullptr ? red : "";
  m_szYellow = yellow != nullptr ? yellow : "";
}

HMODULE CBMP256Ctrl::Module() const {
  return m_hModule != nullptr ? m_hModule : TheApp().ResourceModule();
}

void CBMP256Ctrl::Invalidate() {
  if (m_hWnd != nullptr) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

int CBMP256Ctrl::SelectPicture(int id) {
  if (id == m_nPictureId) return 1;
  m_nPictureId = id;
  std::string installPath;
  const char* driverKey = vgui::DriverKeyPath();
  if (driverKey[0] != '\0') {
    installPath = Registry(HKEY_LOCAL_MACHINE, driverKey).GetString("InstallPath", "", MAX_PATH);
  }
  const std::string path =
      vgui::PictureFilePath(installPath, id, {m_szBlue, m_szRed, m_szYellow});
  m_fileBytes.clear();
  m_nFileId = 0;
  if (!path.empty() && ReadWholeFile(path, &m_fileBytes)) m_nFileId = id;
  Invalidate();
  return 1;
}

int CBMP256Ctrl::SetFrames(int count, const WORD* ids) {
  if (count <= 0 || ids == nullptr) return 0;
  std::vector<uint16_t> list;
  try {
    list.assign(ids, ids + count);
  } catch (const std::bad_alloc&) {
    // Without memory for the list the last frame stands as a still picture.
    m_cAnimation.SetFrames({});
    SyncTimer(false);
    SelectPicture(ids[count - 1]);
    return 0;
  }
  KillAnimationTimer();
  SelectPicture(m_cAnimation.SetFrames(list));
  SyncTimer(true);
  return 1;
}

int CBMP256Ctrl::SetOverlay(int id, BOOL restart) {
  const vgui::PictureAnimation::OverlayUpdate update = m_cAnimation.SetOverlay(id, restart != 0);
  if (update.reloadIcon) {
    m_overlayIcon.Reset();
    if (id != 0) {
      m_overlayIcon.Reset(static_cast<HICON>(::LoadImageA(Module(), MAKEINTRESOURCEA(id),
                                                          IMAGE_ICON, m_nImageWidth,
                                                          m_nImageHeight, 0)));
    }
  }
  SyncTimer(update.restartTimer);
  if (update.invalidate) Invalidate();
  return 1;
}

void CBMP256Ctrl::Stop() {
  m_cAnimation.Stop();
  KillAnimationTimer();
  m_fileBytes.clear();
  m_fileBytes.shrink_to_fit();
  m_nFileId = 0;
}

void CBMP256Ctrl::KillAnimationTimer() {
  if (m_nTimerId != 0 && m_hWnd != nullptr) ::KillTimer(m_hWnd, m_nTimerId);
  m_nTimerId = 0;
}

void CBMP256Ctrl::SyncTimer(bool restart) {
  if (!m_cAnimation.TimerNeeded()) {
    KillAnimationTimer();
    return;
  }
  if (m_nTimerId != 0 && !restart) return;
  KillAnimationTimer();
  if (m_hWnd != nullptr &&
      ::SetTimer(m_hWnd, vgui::kAnimationTimerId, vgui::kAnimationIntervalMs, nullptr) != 0) {
    m_nTimerId = vgui::kAnimationTimerId;
  }
}

void CBMP256Ctrl::OnTimer(UINT_PTR id) {
  if (id != vgui::kAnimationTimerId || m_nTimerId == 0) return;
  int picture = m_nPictureId;
  if (m_cAnimation.Tick(&picture)) {
    // A frame is the resource bitmap of its id.
    m_nPictureId = picture;
    Invalidate();
  }
  SyncTimer(false);
}

void CBMP256Ctrl::ResizeToPicture(int width, int height) {
  RECT window = {};
  RECT client = {};
  if (!::GetWindowRect(m_hWnd, &window) || !::GetClientRect(m_hWnd, &client)) return;
  if (client.right == width && client.bottom == height) return;
  const int borderX = (window.right - window.left) - client.right;
  const int borderY = (window.bottom - window.top) - client.bottom;
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, width + borderX, height + borderY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBMP256Ctrl::Paint(HDC dc) {
  const uint8_t* base = nullptr;
  size_t size = 0;
  vgui::DibLayout layout;
  bool found = false;
  if (m_nFileId != 0 && m_nFileId == m_nPictureId && !m_fileBytes.empty()) {
    base = m_fileBytes.data();
    size = m_fileBytes.size();
    found = vgui::ParseBitmapFile(base, size, &layout);
  }
  if (!found && m_nPictureId > 0 && m_nPictureId <= 0xFFFF && Module() != nullptr) {
    HRSRC resource = ::FindResourceA(Module(), MAKEINTRESOURCEA(m_nPictureId), RT_BITMAP);
    HGLOBAL loaded = resource != nullptr ? ::LoadResource(Module(), resource) : nullptr;
    base = loaded != nullptr ? static_cast<const uint8_t*>(::LockResource(loaded)) : nullptr;
    size = base != nullptr ? ::SizeofResource(Module(), resource) : 0;
    found = base != nullptr && vgui::ParseDib(base, size, &layout);
  }
  if (!found) return;

  const bool paletteDevice = (::GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0;
  const int bitsPerPixel = ::GetDeviceCaps(dc, BITSPIXEL) * ::GetDeviceCaps(dc, PLANES);
  ScopedPalette palette;
  if (vgui::NeedsPalette(vgui::ColorCountOf(layout), bitsPerPixel, paletteDevice)) {
    palette.Reset(MakePalette(base, layout));
  }
  const int rows = layout.height < 0 ? -layout.height : layout.height;
  ResizeToPicture(layout.width, rows);

  HPALETTE oldPalette = nullptr;
  if (palette.IsValid()) {
    oldPalette = ::SelectPalette(dc, palette.Get(), FALSE);
    ::RealizePalette(dc);
  }
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(base + layout.headerOffset);
  ScopedBitmap bitmap(::CreateDIBitmap(dc, header, CBM_INIT, base + layout.bitsOffset,
                                       reinterpret_cast<const BITMAPINFO*>(header),
                                       DIB_RGB_COLORS));
  if (bitmap.IsValid()) {
    ScopedCreatedDC memory(::CreateCompatibleDC(dc));
    if (memory.IsValid()) {
      ScopedSelectObject select(memory.Get(), bitmap.Get());
      ::BitBlt(dc, 0, 0, m_nImageWidth, m_nImageHeight, memory.Get(), 0, 0, SRCCOPY);
    }
  }
  if (oldPalette != nullptr) ::SelectPalette(dc, oldPalette, FALSE);

  if (m_cAnimation.OverlayVisible() && m_overlayIcon.IsValid()) {
    ::DrawIconEx(dc, 0, 0, m_overlayIcon.Get(), 0, 0, 0, nullptr, DI_NORMAL);
  }
}

void CBMP256Ctrl::OnPaint() {
  const ScopedPaint paint(m_hWnd);
  if (paint.IsValid()) Paint(paint.Get());
}

LRESULT CBMP256Ctrl::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = m_pfnPrevProc;
  switch (message) {
    case WM_PAINT:
      OnPaint();
      break;
    case WM_TIMER:
      OnTimer(wParam);
      break;
    case WM_NCDESTROY:
      // The window goes before the object: give the control back its own procedure.
      Detach();
      break;
    default:
      break;
  }
  return ::CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CBMP256Ctrl::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return vg::Guarded("CBMP256Ctrl::WindowProc", static_cast<LRESULT>(0), [&]() -> LRESULT {
    auto* self = reinterpret_cast<CBMP256Ctrl*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->m_pfnPrevProc == nullptr) {
      return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return self->OnMessage(hwnd, message, wParam, lParam);
  });
}

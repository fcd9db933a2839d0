#pragma once
// CBMP256Ctrl: the printer picture. It takes over a static control of a dialog and paints a
// 256-colour bitmap into it: from a picture file of the installation or from the resource
// library, with a palette on palette devices, a blinking overlay icon, or a frame animation.
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "common/win.h"
#include "ui/picture_animation.h"
#include "ui/wnd_base_win.h"

class CBMP256Ctrl : public CStatic {
 public:
  CBMP256Ctrl();
  virtual ~CBMP256Ctrl();

  // Takes over the control: its window procedure paints the picture and runs the timer.
  void Attach(HWND hwnd);
  // The module of the pictures and overlay icons; null means the resource library.
  void SetModule(HMODULE module) { m_hModule = module; }
  // The area that is copied to the control, and the size of an overlay icon.
  void SetImageSize(int width, int height);
  // The picture files of the three category pictures (names in the installation folder).
  void SetFileNames(const char* blue, const char* red, const char* yellow);

  // Shows picture `id`; the same id again changes nothing. Returns 1.
  int SelectPicture(int id);
  // Shows the frames one after the other, 500 ms each; one frame is a still picture.
  // Returns 1, or 0 for an empty list.
  int SetFrames(int count, const WORD* ids);
  // Shows overlay icon `id` (0 = none) blinking over the picture; the same id restarts the
  // blink only with `restart` set. Returns 1.
  int SetOverlay(int id, BOOL restart);
  // Stops the timer and frees the frames and the picture file's bytes.
  void Stop();

  int CurrentPicture() const { return m_nPictureId; }
  // The running timer's id (20), or 0.
  UINT_PTR TimerId() const { return m_nTimerId; }
  bool OverlayVisible() const { return m_cAnimation.OverlayVisible(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnPaint();
  void Paint(HDC dc);
  void OnTimer(UINT_PTR id);
  void SyncTimer(bool restart);
  void KillAnimationTimer();
  void Detach();
  void Invalidate();
  HMODULE Module() const;
  void ResizeToPicture(int width, int height);

  int m_nImageWidth = 0;
  int m_nImageHeight = 0;
  int m_nPictureId = 0;
  UINT_PTR m_nTimerId = 0;
  HMODULE m_hModule = nullptr;  // borrowed: the caller keeps it loaded
  vgui::PictureAnimation m_cAnimation;
  ScopedIcon m_overlayIcon;
  std::string m_szBlue;
  std::string m_szRed;
  std::string m_szYellow;
  WNDPROC m_pfnPrevProc = nullptr;
  // The picture file's bytes and the picture id they were read for.
  std::vector<uint8_t> m_fileBytes;
  int m_nFileId = 0;
};

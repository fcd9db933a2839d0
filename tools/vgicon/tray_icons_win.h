#pragma once
// CTrayIcons: the one window of the icon program that serves every printer of the user. It
// shows one notification-area icon per printer (the tray icon its preferences chose, its
// status as the tip, kept current every two seconds), takes requests from later starts of the
// program (WM_COPYDATA with a parameter file's text), opens the status window on a double
// click and offers the status window, the preferences and "Close" on the icon's menu. It ends
// when its last icon has gone.
#include <memory>
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "common/vgl_param.h"
#include "common/win.h"
#include "tools/vgicon/icon_status_win.h"

class CTrayIcons {
 public:
  static constexpr char kClassName[] = "VgIconTrayWindow";
  // The icons' callback message: wParam the icon's id, lParam the mouse message.
  static constexpr UINT kCallbackMessage = WM_APP + 1;
  // WM_COPYDATA's tag of a request.
  static constexpr ULONG_PTR kRequestTag = 0x56474943;  // "VGIC"
  static constexpr UINT kRefreshMs = 2000;

  CTrayIcons();
  ~CTrayIcons();
  CTrayIcons(const CTrayIcons&) = delete;
  CTrayIcons& operator=(const CTrayIcons&) = delete;

  // Makes the window; false when it cannot be made.
  bool Create(HINSTANCE instance);
  HWND Window() const { return m_window.Get(); }
  // Shows, refreshes or removes the printer's icon. The window goes with the last icon.
  void Apply(const CVglParam& request);
  size_t Count() const { return m_printers.size(); }

  // Hands a request to the running instance's window: true when it took it.
  static bool SendRequest(HWND running, const CVglParam& request);

 private:
  struct Printer {
    IconPrinter identity;
    UINT id = 0;
    bool shown = false;
    int iconResource = 0;
    std::string tip;
    ScopedIcon icon;
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Refresh(Printer& printer);
  void Remove(size_t index);
  void RemoveAll();
  Printer* Find(UINT id);
  void OnIcon(Printer& printer, UINT mouseMessage);
  // The status window (or the preferences) of the printer, in a process of its own.
  void OpenWindowOf(const Printer& printer, bool preferences);
  HMODULE ResourcesOf(const IconPrinter& printer);

  ScopedWindow m_window;
  UINT m_nTaskbarCreated = 0;
  UINT m_nNextId = 1;
  std::vector<std::unique_ptr<Printer>> m_printers;
  // Resource libraries by path, loaded once.
  std::vector<std::pair<std::string, ScopedModule>> m_libraries;
};

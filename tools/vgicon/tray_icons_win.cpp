#include "tools/vgicon/tray_icons_win.h"

#include <string>

#include "common/debug_log_win.h"
#include "common/exception_guard_win.h"
#include "common/install_profile_win.h"
#include "common/windows_version_win.h"
#include "resources/vgres_ids.h"
#include "tools/vgicon/icon_rules.h"

// After the project's Windows header, which it needs.
#include <shellapi.h>

namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr int kIconSize = 16;

// Windows before 2000 take the first, short form of the icon record only.
DWORD NotifyDataSize() {
  const WindowsVersion version = GetWindowsVersion();
  return version.nt && version.major >= 5 ? sizeof(NOTIFYICONDATAA) : NOTIFYICONDATAA_V1_SIZE;
}

size_t TipSize() { return NotifyDataSize() == NOTIFYICONDATAA_V1_SIZE ? 64 : 128; }

std::string MenuText(HMODULE resources, UINT id, const char* fallback) {
  char text[260] = {};
  if (resources != nullptr && ::LoadStringA(resources, id, text, sizeof text) > 0) return text;
  return fallback;
}

}  // namespace

CTrayIcons::CTrayIcons() = default;

CTrayIcons::~CTrayIcons() {
  RemoveAll();  // the window goes with its owner, after the icons that name it
}

bool CTrayIcons::Create(HINSTANCE instance) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = &CTrayIcons::WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  ::RegisterClassA(&windowClass);
  // The window procedure takes the window into its owner as it is made.
  if (::CreateWindowExA(0, kClassName, "KORVA Vigil 3 tray icons", WS_POPUP, 0, 0, 0, 0, nullptr,
                        nullptr, instance, this) == nullptr) {
    return false;
  }
  // A shell that starts again (or late, at log-on) announces itself: the icons go back.
  m_nTaskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
  ::SetTimer(m_window.Get(), kRefreshTimer, kRefreshMs, nullptr);
  return true;
}

bool CTrayIcons::SendRequest(HWND running, const CVglParam& request) {
  const std::string text = request.FormatParamFile();
  COPYDATASTRUCT data = {};
  data.dwData = kRequestTag;
  data.cbData = static_cast<DWORD>(text.size());
  data.lpData = const_cast<char*>(text.data());
  DWORD_PTR answer = 0;
  if (!::SendMessageTimeoutA(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, 10000, &answer)) {
    return false;
  }
  return answer == TRUE;
}

HMODULE CTrayIcons::ResourcesOf(const IconPrinter& printer) {
  char path[kInstallPathSize] = {};
  if (GetResDllPath(path, printer.driver.c_str(), printer.model.c_str()) != 1) return nullptr;
  for (const auto& [loaded, module] : m_libraries) {
    if (loaded == path) return module.Get();
  }
  ScopedModule module(::LoadLibraryA(path));
  HMODULE handle = module.Get();
  if (handle != nullptr) m_libraries.emplace_back(path, std::move(module));
  return handle;
}

void CTrayIcons::Apply(const CVglParam& request) {
  CTraceScope trace("CTrayIcons::Apply");
  const vgicon::Action action =
      vgicon::ActionOf(request.PrinterName[0] != '\0' || request.PortName[0] != '\0',
                       request.RemoveFlag != 0, false, false);
  size_t index = 0;
  while (index < m_printers.size() &&
         !vgicon::SamePrinter(m_printers[index]->identity.printer, m_printers[index]->identity.port,
                              request.PrinterName, request.PortName)) {
    ++index;
  }
  if (action == vgicon::Action::kRemoveIcon) {
    if (index < m_printers.size()) Remove(index);
  } else if (action == vgicon::Action::kShowIcon) {
    if (index == m_printers.size()) {
      auto printer = std::make_unique<Printer>();
      printer->identity = {request.PrinterName, request.PortName, request.DriverName,
                           request.ModelID};
      printer->id = m_nNextId++;
      m_printers.push_back(std::move(printer));
    } else {
      // A later start may know more of the printer than the first one did.
      IconPrinter& known = m_printers[index]->identity;
      if (request.DriverName[0] != '\0') known.driver = request.DriverName;
      if (request.ModelID[0] != '\0') known.model = request.ModelID;
    }
    Refresh(*m_printers[index]);
  }
  if (m_printers.empty() && m_window.IsValid()) {
    // The last icon has gone: so does the window, at once, so that the next start finds no
    // instance and becomes one itself.
    ::DestroyWindow(m_window.Take());
    ::PostQuitMessage(0);
  }
}

void CTrayIcons::Refresh(Printer& printer) {
  const IconPrinter& who = printer.identity;
  HMODULE resources = ResourcesOf(who);
  const IconLook look = ReadIconLook(who, resources);
  const std::string tip =
      vgicon::TipText(vgicon::DisplayName(who.printer, who.port), look.status, TipSize());
  const bool iconChanged = look.iconResource != printer.iconResource || !printer.icon.IsValid();
  if (printer.shown && !iconChanged && tip == printer.tip) return;
  if (iconChanged && resources != nullptr) {
    printer.icon.Reset(static_cast<HICON>(::LoadImageA(resources,
                                                       MAKEINTRESOURCEA(look.iconResource),
                                                       IMAGE_ICON, kIconSize, kIconSize, 0)));
    printer.iconResource = look.iconResource;
  }
  NOTIFYICONDATAA data = {};
  data.cbSize = NotifyDataSize();
  data.hWnd = m_window.Get();
  data.uID = printer.id;
  data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = printer.icon.Get();
  lstrcpynA(data.szTip, tip.c_str(), static_cast<int>(TipSize()));
  if (printer.shown) {
    if (!::Shell_NotifyIconA(NIM_MODIFY, &data)) printer.shown = false;
  }
  // No notification area yet (at log-on it may come later): tried again at the next refresh.
  if (!printer.shown) printer.shown = ::Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
  printer.tip = tip;
}

void CTrayIcons::Remove(size_t index) {
  Printer& printer = *m_printers[index];
  if (printer.shown) {
    NOTIFYICONDATAA data = {};
    data.cbSize = NotifyDataSize();
    data.hWnd = m_window.Get();
    data.uID = printer.id;
    ::Shell_NotifyIconA(NIM_DELETE, &data);
  }
  m_printers.erase(m_printers.begin() + static_cast<std::ptrdiff_t>(index));
}

void CTrayIcons::RemoveAll() {
  while (!m_printers.empty()) Remove(m_printers.size() - 1);
}

CTrayIcons::Printer* CTrayIcons::Find(UINT id) {
  for (auto& printer : m_printers) {
    if (printer->id == id) return printer.get();
  }
  return nullptr;
}

void CTrayIcons::OpenWindowOf(const Printer& printer, bool preferences) {
  CTraceScope trace("CTrayIcons::OpenWindowOf");
  char program[MAX_PATH] = {};
  if (::GetModuleFileNameA(nullptr, program, sizeof program) == 0) return;
  CVglParam block;
  CopyParamText(block.DriverName, printer.identity.driver);
  if (preferences) {
    block.FlagE = 1;
  } else {
    block.FlagS = 1;
  }
  if (block.CreateParamFile(printer.identity.printer.c_str(), printer.identity.port.c_str(),
                            printer.identity.model.c_str()) != 1) {
    return;
  }
  const std::string line = std::string("\"") + program + "\" /F \"" + block.ParamFileName + "\"";
  if (!RunCommandLine(line.c_str(), program)) {
    char name[kParamTextSize];
    CopyParamText(name, block.ParamFileName);
    block.DeleteParamFile(name);
  }
}

void CTrayIcons::OnIcon(Printer& printer, UINT mouseMessage) {
  if (mouseMessage == WM_LBUTTONDBLCLK) {
    OpenWindowOf(printer, false);
    return;
  }
  if (mouseMessage != WM_RBUTTONUP && mouseMessage != WM_CONTEXTMENU) return;
  HMODULE resources = ResourcesOf(printer.identity);
  ScopedMenu menu(::CreatePopupMenu());
  if (!menu.IsValid()) return;
  ::AppendMenuA(menu.Get(), MF_STRING, vgicon::kCommandStatus,
                MenuText(resources, IDS_ICON_MENU_STATUS, "&Status Window").c_str());
  ::AppendMenuA(menu.Get(), MF_STRING, vgicon::kCommandPreferences,
                MenuText(resources, IDS_ICON_MENU_PREFERENCES, "&Monitoring Preferences...").c_str());
  ::AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.Get(), MF_STRING, vgicon::kCommandClose,
                MenuText(resources, IDS_ICON_MENU_CLOSE, "&Close").c_str());
  ::SetMenuDefaultItem(menu.Get(), vgicon::kCommandStatus, FALSE);
  POINT cursor = {};
  ::GetCursorPos(&cursor);
  // The menu closes on a click elsewhere only while its owner is in front.
  ::SetForegroundWindow(m_window.Get());
  const UINT id = printer.id;
  const BOOL command = ::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x,
                                        cursor.y, 0, m_window.Get(), nullptr);
  ::PostMessageA(m_window.Get(), WM_NULL, 0, 0);
  Printer* chosen = Find(id);  // the menu's loop may have removed it
  if (chosen == nullptr) return;
  switch (command) {
    case vgicon::kCommandStatus:
      OpenWindowOf(*chosen, false);
      break;
    case vgicon::kCommandPreferences:
      OpenWindowOf(*chosen, true);
      break;
    case vgicon::kCommandClose: {
      CVglParam remove;
      CopyParamText(remove.PrinterName, chosen->identity.printer);
      CopyParamText(remove.PortName, chosen->identity.port);
      remove.RemoveFlag = 1;
      Apply(remove);
      break;
    }
    default:
      break;
  }
}

LRESULT CTrayIcons::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = m_window.Get();
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data == nullptr || data->dwData != kRequestTag || data->lpData == nullptr) return FALSE;
    CVglParam request;
    const std::string text(static_cast<const char*>(data->lpData), data->cbData);
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      request.ApplyParamLine(std::string_view(text).substr(start, end - start));
      start = end + 1;
    }
    Apply(request);
    return TRUE;
  }
  if (message == kCallbackMessage) {
    if (Printer* printer = Find(static_cast<UINT>(wParam))) {
      OnIcon(*printer, static_cast<UINT>(LOWORD(lParam)));
    }
    return 0;
  }
  if (message == WM_TIMER && wParam == kRefreshTimer) {
    for (auto& printer : m_printers) Refresh(*printer);
    return 0;
  }
  if (m_nTaskbarCreated != 0 && message == m_nTaskbarCreated) {
    for (auto& printer : m_printers) {
      printer->shown = false;
      Refresh(*printer);
    }
    return 0;
  }
  if (message == WM_DESTROY) {
    ::KillTimer(hwnd, kRefreshTimer);
    return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CTrayIcons::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return vg::Guarded("CTrayIcons::WindowProc", static_cast<LRESULT>(0), [&]() -> LRESULT {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      auto* self = static_cast<CTrayIcons*>(create->lpCreateParams);
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->m_window.Reset(hwnd);
    }
    auto* self = reinterpret_cast<CTrayIcons*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->m_window.Get() != hwnd) {
      return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      // Gone: the owner lets go without destroying it again.
      (void)self->m_window.Take();
      return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
  });
}

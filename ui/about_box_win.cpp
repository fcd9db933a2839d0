#include "ui/about_box_win.h"

#include <string>

#include "common/debug_log_win.h"
#include "common/install_profile_win.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/windows_version_win.h"
#include "resources/vgres_ids.h"
#include "ui/about_versions.h"
#include "ui/driver_key_path.h"
#include "ui/file_version_win.h"
#include "ui/theme_rules.h"

namespace {

using vgreg::kQvapiInfoKey;

// A sibling program named by the Driver key, or found under its default name in the
// installation folder; without a default name only the Driver key counts.
std::string ProgramPath(const char* valueName, const char* defaultName, const std::string& driver,
                        const std::string& model) {
  char path[kInstallPathSize] = {};
  if (defaultName != nullptr) {
    if (GetProgramPath(path, valueName, defaultName, driver.c_str(), model.c_str()) != 1) {
      return std::string();
    }
    return path;
  }
  if (GetDriverValue(path, valueName, driver.c_str(), model.c_str()) != 1 || path[0] == '\0' ||
      FileExists(path) != 1) {
    return std::string();
  }
  return path;
}

}  // namespace

CAboutBox::CAboutBox(HWND parent) : CDialogBox(IDD_ABOUT, parent) {}

CAboutBox::~CAboutBox() = default;

void CAboutBox::AttachControls(HWND hwnd) {
  for (int i = 0; i < kItemCount; ++i) m_hItems[i] = ::GetDlgItem(hwnd, kFirstItem + i);
}

int CAboutBox::OnMessage(HWND, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        End(1);
        return 1;
      }
      // The Escape key and the caption's close button close it as WM_CLOSE does.
      if (LOWORD(wParam) == IDCANCEL) {
        End(2);
        return 1;
      }
      return 0;
    case WM_CLOSE:
      End(2);
      return 1;
    default:
      return 0;
  }
}

void CAboutBox::SetLine(int item, const std::string& version) {
  if (version.empty()) return;  // the line keeps its template text
  HWND line = m_hItems[item - kFirstItem];
  if (line != nullptr) ::SetWindowTextA(line, vgui::VersionLine(version).c_str());
}

int CAboutBox::OnInitDialog() {
  CTraceScope trace("CAboutBox::OnInitDialog");
  const WindowsVersion windows = GetWindowsVersion();
  if (vgui::HasVisualStyles(windows.nt, windows.major, windows.minor)) {
    m_theme.EnableThemeDialogTexture(m_hWnd, kThemeDialogTextureEnableTab);
  }

  const std::string keyPath = vgui::DriverKeyPath();
  const std::string driver(vgui::DriverNameOf(keyPath));
  std::string model;
  char profile[kInstallPathSize] = {};
  if (!keyPath.empty()) {
    model = Registry(HKEY_LOCAL_MACHINE, keyPath.c_str()).GetString("ModelID", "", MAX_PATH);
    if (!model.empty()) GetProfilePath(profile, driver.c_str(), model.c_str());
  }

  bool productRead = false;
  char kvwver[MAX_PATH] = {};
  if (profile[0] != '\0') {
    ::GetPrivateProfileStringA(model.c_str(), "KVWVER", vgui::kNoProductVersion.data(), kvwver,
                               sizeof kvwver, profile);
    productRead = true;
  }
  const vgui::ProductVersion product = vgui::ProductVersionOf(productRead, kvwver);
  if (product.show) SetLine(IDC_ABOUT_PRODUCT_VERSION, product.text);

  SetLine(IDC_ABOUT_POPUP_VERSION,
          GetProductVersion(ProgramPath("VG_ENV", "VGPOP2.EXE", driver, model).c_str()));
  SetLine(IDC_ABOUT_LIBRARY_VERSION, GetProductVersion(ThisModulePath().c_str()));

  Registry info(HKEY_LOCAL_MACHINE, kQvapiInfoKey);
  SetLine(IDC_ABOUT_QVAPI_VERSION,
          vgui::CommunicationLibraryVersion(info.IsOpen(), info.GetString("QVAPIVersion"),
                                            info.GetString("Version"), product));

  SetLine(IDC_ABOUT_AGENT_VERSION,
          GetProductVersion(ProgramPath("VG_RCV", nullptr, driver, model).c_str()));

  for (int item : {IDC_ABOUT_HIDDEN_1, IDC_ABOUT_HIDDEN_2}) {
    HWND hidden = m_hItems[item - kFirstItem];
    if (hidden != nullptr) ::ShowWindow(hidden, SW_HIDE);
  }
  ::ShowWindow(m_hWnd, SW_SHOW);
  return 1;
}

#include "printer/driver_key_check_win.h"

#include <string>

#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/unique_handle.h"
#include "printer/vgprn_app_win.h"
#include "resources/vgres_ids.h"

int CheckDriverKey(const char* driverName, const char* resDllName) {
  const std::string path = std::string(vgreg::kDriverKeyPrefix) + (driverName ? driverName : "");
  if (Registry(HKEY_LOCAL_MACHINE, path.c_str()).IsOpen()) return 1;

  HMODULE resources = TheApp().ResourceModule();
  // Without a loaded library the named one serves these two strings, and goes again.
  ScopedModule loadedHere;
  if (resources == nullptr && resDllName != nullptr && resDllName[0] != '\0') {
    loadedHere.Reset(::LoadLibraryExA(resDllName, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    resources = loadedHere.Get();
  }
  char text[1024] = "Unable to establish bi directional communication.\n"
                    "Please re install your printer driver.";
  char caption[260] = "KORVA Vigil3";
  if (resources != nullptr) {
    char loaded[1024] = {};
    if (::LoadStringA(resources, IDS_ERR_OTHERS, loaded, sizeof loaded) > 0) {
      lstrcpynA(text, loaded, sizeof text);
    }
    char title[260] = {};
    if (::LoadStringA(resources, IDS_APP_TITLE, title, sizeof title) > 0) {
      lstrcpynA(caption, title, sizeof caption);
    }
  }
  ::MessageBoxA(nullptr, text, caption, MB_OK);
  return 0;
}

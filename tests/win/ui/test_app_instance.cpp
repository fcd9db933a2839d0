// The library application object for the dialog tests (the DLL defines its own).
#include "printer/vgprn_app_win.h"

CVG_PxxxxApp& TheApp() {
  static CVG_PxxxxApp app;
  return app;
}

// PrStartView: the export through which a sibling program shows a printer's status window.
// It runs the window on the caller's thread and returns when the window has closed.
#include <string>

#include "common/debug_log_win.h"
#include "common/exception_guard_win.h"
#include "common/install_profile_win.h"
#include "common/unique_handle.h"
#include "common/vgprn_exports.h"
#include "printer/driver_key_check_win.h"
#include "printer/vgprn_app_win.h"
#include "ui/detail_rules.h"
#include "ui/detail_win.h"

namespace {

// The library's resource module for the span of one window: the one of an earlier window
// still open on another thread comes back when this one is done.
class ResourceModuleScope {
 public:
  ResourceModuleScope(CVG_PxxxxApp& app, HMODULE module)
      : m_app(app), m_previous(app.ResourceModule()) {
    m_app.SetResourceModule(module);
  }
  ~ResourceModuleScope() { m_app.SetResourceModule(m_previous); }
  ResourceModuleScope(const ResourceModuleScope&) = delete;
  ResourceModuleScope& operator=(const ResourceModuleScope&) = delete;

 private:
  CVG_PxxxxApp& m_app;
  HMODULE m_previous;
};

const char* Text(const char* value) { return value != nullptr ? value : ""; }

}  // namespace

extern "C" int __cdecl PrStartView(int viewType, const char* printerName, const char* driverName,
                                   const char* portName, const char* modelId,
                                   const char* datFileName, const char* resDllName) {
  return vg::Guarded("PrStartView()", 1, [&]() -> int {
    CTraceScope trace("PrStartView()");
    trace.Write(
        "PrinterName : %s, DriverName : %s, PortName : %s, ModelID : %s, DatFileName : %s, "
        "ViewType :%d\n",
        Text(printerName), Text(driverName), Text(portName), Text(modelId), Text(datFileName),
        viewType);
    CVG_PxxxxApp& app = TheApp();
    CBaseInfo& identity = app.BaseInfo();
    identity.Set(printerName, driverName, portName, modelId, datFileName, resDllName);
    if (!identity.IsValid()) return 1;

    // The resource library by the caller's name, else by its full path in the installation.
    std::string resources = Text(resDllName);
    if (resources.empty()) {
      char path[kInstallPathSize] = {};
      if (GetResDllPath(path, identity.DriverName(), identity.ModelID()) == 1) resources = path;
    }
    ScopedModule library(resources.empty() ? nullptr : ::LoadLibraryA(resources.c_str()));
    if (!library.IsValid()) return 1;
    ResourceModuleScope scope(app, library.Get());

    if (CheckDriverKey(identity.DriverName(), resources.c_str()) == 0) return 1;
    app.m_nComErrDisableNum = static_cast<int>(
        ::GetPrivateProfileIntA(identity.ModelID(), "ComErrDisableNum", 0, identity.ProfilePath()));

    CDetail detail(nullptr);
    detail.SetResourceModule(library.Get());
    detail.SetViewType(viewType);
    if (viewType == vgdetail::kViewSetUpOnly) return 1;

    // Without a data file from the caller, the one the identity found serves.
    const std::string datFile =
        Text(datFileName)[0] != '\0' ? Text(datFileName) : identity.ProfilePath();
    trace.Write("Detail.DoModal() : Start\n");
    const int code = detail.DoModal(identity.PrinterName(), identity.PortName(), identity.ModelID(),
                                    datFile.c_str(), 0);
    trace.Write("Detail.DoModal() : End\n");
    // A window that could not even be made is a failure, not a window that closed.
    return code == -1 ? 1 : 0;
  });
}

// The registry exports: default settings of a printer's target key, for the printer driver,
// its installer and the target-key rebuild of any process.
#include "common/debug_log_win.h"
#include "common/exception_guard_win.h"
#include "common/install_profile_win.h"
#include "common/target_defaults_win.h"
#include "common/target_keys_win.h"
#include "common/text_util.h"
#include "common/vgprn_exports.h"
#include "printer/vgprn_app_win.h"

namespace {

const char* Safe(const char* text) { return text ? text : ""; }
bool IsEmpty(const char* text) { return text == nullptr || text[0] == '\0'; }

}  // namespace

extern "C" int __cdecl PrSetRegDefaultValue(const char* printerName, const char* driverName,
                                            const char* portName, const char* modelId,
                                            const char* datFileName) {
  return vg::Guarded("PrSetRegDefaultValue()", 1, [&]() -> int {
    CTraceScope trace("PrSetRegDefaultValue()");
    trace.Write("PrinterName : %s, DriverName : %s, PortName : %s, ModelID : %s\n",
                Safe(printerName), Safe(driverName), Safe(portName), Safe(modelId));

    // A path longer than a path buffer is no path: cut, it would name another file.
    char iniPath[kInstallPathSize] = {};
    if (!IsEmpty(datFileName) && vgtext::BoundedView(datFileName, sizeof iniPath).size() <
                                     sizeof iniPath) {
      vgtext::CopyBounded(iniPath, sizeof iniPath, datFileName);
    } else if (!IsEmpty(modelId)) {
      char found[kInstallPathSize] = {};
      if (GetProfilePath(found, driverName, modelId)) {
        vgtext::CopyBounded(iniPath, sizeof iniPath, found);
      }
    }

    const int nRC =
        TheApp().BaseInfo().Set(printerName, driverName, portName, modelId, iniPath, nullptr);
    trace.Write("nRC : %d\n", nRC);
    if (nRC < 0) return 1;

    const vgtarget::TargetName target =
        vgtarget::ChooseTargetName(Safe(printerName), Safe(portName));
    if (target.name.empty()) {
      trace.Write("ERROR : PrinterName/PortName is NULL\n");
      return 1;
    }
    const std::string name(target.name);
    HKEY root = HKEY_CURRENT_USER;
    char keyPath[kTargetKeyPathSize] = {};
    if (GetCurrentTargetPrnKey(name.c_str(), target.kind, keyPath, &root) != kTargetFound) {
      trace.Write("ERROR : GetCurrentTargetPrnKey Not Found!!\n");
      return 1;
    }
    trace.Write("Call : SetRegDefaultValue()\n");
    return SetRegDefaultValue(root, iniPath, modelId, keyPath);
  });
}

extern "C" int __cdecl PrReleaseRegistry(const char* printerName, const char* driverName,
                                         const char* portName, const char* modelId) {
  return vg::Guarded("PrReleaseRegistry()", 1, [&]() -> int {
    CTraceScope trace("PrReleaseRegistry()");
    const int state =
        TheApp().BaseInfo().Set(printerName, driverName, portName, modelId, nullptr, nullptr);
    return state < 0 ? 1 : 0;
  });
}

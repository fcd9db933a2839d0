#include "tools/vgicon/icon_status_win.h"

#include <vector>

#include "common/install_profile_win.h"
#include "common/registry_keys.h"
#include "common/registry_win.h"
#include "common/target_keys_win.h"
#include "printer/status_info_win.h"
#include "tools/vgicon/icon_rules.h"

IconLook ReadIconLook(const IconPrinter& printer, HMODULE resources) {
  IconLook look;
  look.iconResource = vgicon::TrayIconResource(0);
  Registry key;
  if (OpenTargetKey(printer.printer.c_str(), printer.port.c_str(), KEY_READ, &key) !=
          kTargetFound ||
      !key.IsOpen()) {
    return look;
  }
  look.iconResource = vgicon::TrayIconResource(
      static_cast<int>(key.GetDWordValue("TrayIconSelected", 0)));

  const int forced = vgicon::ForcedStatusOf(GetComStatus(key));
  const std::vector<BYTE> reply = key.GetBinary(vgreg::kTargetStatus);
  const DWORD channel = key.GetDWordValue(vgreg::kTargetChannel, 0);
  if (forced == 0 && reply.empty()) return look;

  char profile[kInstallPathSize] = {};
  GetProfilePath(profile, printer.driver.c_str(), printer.model.c_str());
  CStatusInfo info(profile);
  info.SetDatFile(profile);
  info.SetDriverName(printer.driver.c_str());
  info.SetResourceModule(resources);
  CPrinterStatus* status = info.CreateStatusObject(
      channel, reply.empty() ? nullptr : reply.data(), static_cast<int>(reply.size()), forced, 0);
  if (status == nullptr) return look;
  char title[kStatusTextSize] = {};
  status->GetText1(title, sizeof title);
  info.ReleaseStatusObject(status);
  look.status = title;
  return look;
}

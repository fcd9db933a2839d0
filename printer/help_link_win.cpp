#include "printer/help_link_win.h"

#include <cstdio>
#include <string>

#include "common/install_profile_win.h"
#include "common/profile_paths.h"
#include "common/registry_win.h"

namespace {

bool ValidResourceId(int id) { return id > 0 && id <= 0xFFFF; }

bool FindHelpFile(const HelpSource& source, int helpNo, char (&path)[MAX_PATH]) {
  char key[16];
  std::snprintf(key, sizeof(key), "TSF%03d", helpNo);
  char file[MAX_PATH] = {};
  if (GetLangProfileString(key, file, sizeof(file), source.datFile) != 0 || file[0] == '\0') {
    return false;
  }
  std::string folder;
  if (source.driverKey[0] != '\0') {
    Registry driver(HKEY_LOCAL_MACHINE, source.driverKey);
    folder = driver.GetString("InstallPath", "", MAX_PATH);
  }
  if (folder.empty()) folder = ".\\";
  if (folder.back() != '\\') folder += '\\';
  if (!vgprofile::JoinBounded(path, sizeof(path), folder, file)) return false;
  OFSTRUCT info = {};
  info.cBytes = sizeof(info);
  if (::OpenFile(path, &info, OF_EXIST) == HFILE_ERROR) {
    path[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace

bool HtmlClassExists() {
  Registry htmlClass(HKEY_CLASSES_ROOT, ".HTM");
  return htmlClass.IsOpen();
}

HelpLink FindHelpLink(const HelpSource& source, int helpNo) {
  HelpLink link;
  if (source.datFile[0] == '\0') return link;
  char key[16];
  std::snprintf(key, sizeof(key), "TSS%03d", helpNo);
  char value[MAX_PATH] = {};
  if (GetLangProfileString(key, value, sizeof(value), source.datFile) != 0) return link;

  if (HtmlClassExists() && FindHelpFile(source, helpNo, link.path)) {
    link.type = kHelpFile;
    return link;
  }
  const int resourceId = kTroubleResourceBase + helpNo;
  if (source.resource != nullptr && ValidResourceId(resourceId)) {
    HRSRC resource = ::FindResourceA(source.resource, MAKEINTRESOURCEA(resourceId), RT_RCDATA);
    if (resource != nullptr) {
      link.type = kHelpResource;
      link.resource = resource;
    }
  }
  return link;
}

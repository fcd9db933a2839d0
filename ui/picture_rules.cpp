#include "ui/picture_rules.h"

namespace vgui {

std::string PictureFilePath(std::string_view installPath, int id, const PictureFileNames& names,
                            size_t pathSize) {
  std::string_view name;
  switch (id) {
    case kPictureBlue:
      name = names.blue;
      break;
    case kPictureRed:
      name = names.red;
      break;
    case kPictureYellow:
      name = names.yellow;
      break;
    default:
      return std::string();
  }
  if (installPath.empty() || name.empty()) return std::string();
  std::string path(installPath);
  if (path.back() != '\\') path += '\\';
  path += name;
  if (path.size() + 1 > pathSize) return std::string();
  return path;
}

}  // namespace vgui

#include "ui/about_versions.h"

namespace vgui {

std::string VersionLine(std::string_view version) {
  std::string line(kVersionLinePrefix);
  line += version;
  return line;
}

ProductVersion ProductVersionOf(bool read, std::string_view kvwver) {
  ProductVersion product;
  if (!read || kvwver.empty() || kvwver == kNoProductVersion) return product;
  product.show = true;
  product.text = std::string(kvwver);
  return product;
}

std::string CommunicationLibraryVersion(bool keyOpened, std::string_view qvapiVersion,
                                        std::string_view version,
                                        const ProductVersion& product) {
  if (!keyOpened) return product.text;
  return std::string(qvapiVersion.empty() ? version : qvapiVersion);
}

}  // namespace vgui

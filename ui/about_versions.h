#pragma once
// The texts of the about box's version lines. Each line reads "Ver. " and a version; where
// a version is unknown the line keeps the text of the dialog template.
#include <string>
#include <string_view>

namespace vgui {

constexpr std::string_view kVersionLinePrefix = "Ver. ";
// The profile's "KVWVER" when the model has no product version to show.
constexpr std::string_view kNoProductVersion = "N/A";

std::string VersionLine(std::string_view version);

// The product version from the profile's "KVWVER" (read with the default "N/A"): shown on
// the product line unless it is "N/A" or empty, and standing in for the communication
// library's version, as "0" when there is none.
struct ProductVersion {
  bool show = false;
  std::string text = "0";
};
// `read` is false when the model has no profile to read it from.
ProductVersion ProductVersionOf(bool read, std::string_view kvwver);

// The communication library's line: with its information key, "QVAPIVersion", or "Version"
// when that is empty, and nothing when both are empty; without the key, the product
// version text. Empty means the line keeps its template text.
std::string CommunicationLibraryVersion(bool keyOpened, std::string_view qvapiVersion,
                                        std::string_view version,
                                        const ProductVersion& product);

}  // namespace vgui

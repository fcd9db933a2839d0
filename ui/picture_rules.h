#pragma once
// Which file of the installation shows a printer picture. The three category pictures may
// come from files that the model's status table names; every other picture, and one whose
// file is not named or does not open, is the bitmap resource of the same id.
#include <string>
#include <string_view>

#include "resources/vgres_ids.h"

namespace vgui {

constexpr int kPictureYellow = IDB_PRINTER_YELLOW;  // warning
constexpr int kPictureBlue = IDB_PRINTER_BLUE;      // normal
constexpr int kPictureRed = IDB_PRINTER_RED;        // error

struct PictureFileNames {
  std::string_view blue;
  std::string_view red;
  std::string_view yellow;
};

// The full path of the file for picture `id`: the installation folder (from "InstallPath";
// a backslash is added when it lacks one) followed by the file name. Empty when the folder
// or the name is empty, the id has no file, or the path would not fit pathSize bytes with
// its terminator (a cut path names another file).
std::string PictureFilePath(std::string_view installPath, int id, const PictureFileNames& names,
                            size_t pathSize = 260);

}  // namespace vgui

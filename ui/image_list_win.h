#pragma once
// The common controls of the preferences (list views and their image lists), and an owner for
// image lists. Only ui code that drives list views includes this header.
#include "common/unique_handle.h"
#include "common/win.h"

// After the project's Windows header, which it needs.
#include <commctrl.h>

// An image list from ImageList_Create or ImageList_LoadImage. A list view destroys its image
// lists with itself unless it has the style LVS_SHAREIMAGELISTS: the controls that own their
// image lists give their list that style, and take the list back before the owner goes.
struct ImageListTraits {
  using Handle = HIMAGELIST;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ImageList_Destroy(h); }
};
using ScopedImageList = UniqueHandle<ImageListTraits>;

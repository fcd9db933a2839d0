#include "ui/ntfy_list_ctrl_win.h"

#include <string>
#include <vector>

#include "resources/vgres_ids.h"
#include "ui/notify_columns.h"

namespace {

constexpr int kStateImageWidth = 16;
constexpr COLORREF kStateImageMask = RGB(0, 0, 128);
constexpr int kHeaderTextSize = 32;  // headers hold at most 31 characters
constexpr int kLabelSize = 260;
constexpr UINT kHitParts = LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON;

std::string LoadText(HMODULE module, UINT id, int size) {
  std::vector<char> text(static_cast<size_t>(size), '\0');
  const int length = ::LoadStringA(module, id, text.data(), size);
  return std::string(text.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

int TextWidth(HWND list, const std::string& text) {
  return static_cast<int>(
      ::SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

}  // namespace

CNtfyListCtrl::CNtfyListCtrl() = default;

CNtfyListCtrl::~CNtfyListCtrl() {
  // The list keeps drawing with its image list for as long as it lives.
  if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) ListView_SetImageList(m_hWnd, nullptr, LVSIL_SMALL);
}

bool CNtfyListCtrl::Prepare(HWND list, HMODULE resources) {
  if (list == nullptr) return false;
  m_hWnd = list;
  m_hResource = resources;
  ::LoadStringA(resources, IDS_NOTIFY_STATE_OFF, m_szStateText[0], kStateTextSize);
  ::LoadStringA(resources, IDS_NOTIFY_STATE_ON, m_szStateText[1], kStateTextSize);

  // The list shares the image list, so that it stays ours to destroy.
  const LONG_PTR style = ::GetWindowLongPtrA(list, GWL_STYLE);
  ::SetWindowLongPtrA(list, GWL_STYLE,
                      (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK | LVS_AUTOARRANGE)) |
                          LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS);
  m_images.Reset(ImageList_LoadImageA(resources, MAKEINTRESOURCEA(IDB_NOTIFY_STATES),
                                      kStateImageWidth, 0, kStateImageMask, IMAGE_BITMAP, 0));
  ListView_SetImageList(list, m_images.Get(), LVSIL_SMALL);

  RECT client = {};
  ::GetClientRect(list, &client);
  const UINT headers[] = {IDS_NOTIFY_COLUMN_EVENT, IDS_NOTIFY_COLUMN_STATE};
  for (int column = 0; column < 2; ++column) {
    std::string header = LoadText(resources, headers[column], kHeaderTextSize);
    LVCOLUMNA info = {};
    info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    info.cx = client.right / 3;
    info.pszText = &header[0];
    info.iSubItem = column;
    ::SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
  }
  return true;
}

int CNtfyListCtrl::Add(const char* label, int value, int number) {
  if (m_hWnd == nullptr) return -1;
  std::string text = label != nullptr ? label : "";
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = Count();
  item.pszText = &text[0];
  item.iImage = value == 1 ? 1 : 0;
  item.lParam = number;
  const int index =
      static_cast<int>(::SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (index >= 0) SetStateText(index, item.iImage);
  return index;
}

void CNtfyListCtrl::SetStateText(int index, int value) {
  LVITEMA item = {};
  item.iSubItem = 1;
  item.pszText = const_cast<char*>(StateText(value));
  ::SendMessageA(m_hWnd, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
}

void CNtfyListCtrl::Toggle(int index) {
  if (m_hWnd == nullptr || index < 0 || index >= Count()) return;
  char label[kLabelSize] = {};
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = index;
  item.pszText = label;
  item.cchTextMax = kLabelSize;
  if (!::SendMessageA(m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return;
  item.iImage = item.iImage == 1 ? 0 : 1;
  item.pszText = label;
  ::SendMessageA(m_hWnd, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  SetStateText(index, item.iImage);
}

void CNtfyListCtrl::LayOut() {
  if (m_hWnd == nullptr) return;
  vgui::NotifyColumnTexts texts;
  texts.margin = TextWidth(m_hWnd, "HH");
  texts.labelHeader =
      TextWidth(m_hWnd, LoadText(m_hResource, IDS_NOTIFY_COLUMN_EVENT, kHeaderTextSize));
  texts.stateHeader =
      TextWidth(m_hWnd, LoadText(m_hResource, IDS_NOTIFY_COLUMN_STATE, kHeaderTextSize));
  for (int value = 0; value < 2; ++value)
    texts.stateTexts[value] = TextWidth(m_hWnd, StateText(value));
  const int count = Count();
  for (int index = 0; index < count; ++index) {
    char label[kLabelSize] = {};
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = label;
    item.cchTextMax = kLabelSize;
    ::SendMessageA(m_hWnd, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
    RECT icon = {};
    icon.left = LVIR_ICON;
    ::SendMessageA(m_hWnd, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&icon));
    texts.items.push_back(TextWidth(m_hWnd, label) + (icon.right - icon.left));
  }
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);
  const vgui::NotifyColumnWidths widths = vgui::LayOutNotifyColumns(client.right, texts);
  ListView_SetColumnWidth(m_hWnd, 0, widths.label);
  ListView_SetColumnWidth(m_hWnd, 1, widths.state);
}

bool CNtfyListCtrl::OnClick() {
  if (m_hWnd == nullptr) return false;
  const DWORD position = ::GetMessagePos();
  LVHITTESTINFO hit = {};
  hit.pt.x = static_cast<short>(LOWORD(position));
  hit.pt.y = static_cast<short>(HIWORD(position));
  ::ScreenToClient(m_hWnd, &hit.pt);
  const int index =
      static_cast<int>(::SendMessageA(m_hWnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (index < 0 || (hit.flags & kHitParts) == 0) return false;
  Toggle(index);
  return true;
}

void CNtfyListCtrl::OnKeyDown(WORD key) {
  if (m_hWnd == nullptr || key != VK_SPACE) return;
  for (int index = ListView_GetNextItem(m_hWnd, -1, LVNI_SELECTED); index >= 0;
       index = ListView_GetNextItem(m_hWnd, index, LVNI_SELECTED)) {
    Toggle(index);
  }
}

int CNtfyListCtrl::Count() const { return m_hWnd != nullptr ? ListView_GetItemCount(m_hWnd) : 0; }

int CNtfyListCtrl::NumberOf(int index) const {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  if (m_hWnd == nullptr ||
      !::SendMessageA(m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) {
    return -1;
  }
  return static_cast<int>(item.lParam);
}

int CNtfyListCtrl::ValueOf(int index) const {
  LVITEMA item = {};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  if (m_hWnd == nullptr ||
      !::SendMessageA(m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) {
    return -1;
  }
  return item.iImage == 1 ? 1 : 0;
}

void CNtfyListCtrl::SetValue(int index, int value) {
  if (m_hWnd == nullptr || index < 0 || index >= Count()) return;
  LVITEMA item = {};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  item.iImage = value == 1 ? 1 : 0;
  ::SendMessageA(m_hWnd, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  SetStateText(index, item.iImage);
}

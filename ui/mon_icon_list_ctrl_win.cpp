#include "ui/mon_icon_list_ctrl_win.h"

#include <vector>

#include "common/exception_guard_win.h"
#include "resources/vgres_ids.h"
#include "ui/icon_list_layout.h"

namespace {

RECT ToRect(const vgui::ListRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

vgui::ListRect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

CMonIconListCtrl::CMonIconListCtrl() = default;

CMonIconListCtrl::~CMonIconListCtrl() { Detach(); }

void CMonIconListCtrl::Attach(HWND list) {
  Detach();
  if (list == nullptr) return;
  m_hWnd = list;
  ::SetWindowLongPtrA(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  m_pfnPrevProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
      list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CMonIconListCtrl::WindowProc)));
}

void CMonIconListCtrl::Detach() {
  if (m_hWnd == nullptr) return;
  if (::IsWindow(m_hWnd)) {
    // The list keeps drawing with its image list for as long as it lives.
    ListView_SetImageList(m_hWnd, nullptr, LVSIL_NORMAL);
    if (m_pfnPrevProc != nullptr) {
      ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevProc));
      ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    }
  }
  m_hWnd = nullptr;
  m_pfnPrevProc = nullptr;
}

int CMonIconListCtrl::IconCount() const {
  return m_images.IsValid() ? ImageList_GetImageCount(m_images.Get()) : 0;
}

void CMonIconListCtrl::Fill(HMODULE resources) {
  if (m_hWnd == nullptr) return;
  // The list shares the image list, so that it stays ours to destroy.
  const LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
  // An arranging list would undo the placement of the icons.
  ::SetWindowLongPtrA(m_hWnd, GWL_STYLE,
                      (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK | LVS_AUTOARRANGE)) | LVS_ICON |
                          LVS_SINGLESEL | LVS_SHAREIMAGELISTS);
  ListView_SetImageList(m_hWnd, nullptr, LVSIL_NORMAL);
  m_images.Reset(ImageList_Create(kIconSize, kIconSize, ILC_COLOR32 | ILC_MASK,
                                  IDI_TRAY_LAST - IDI_TRAY_FIRST + 1, 0));
  for (int id = IDI_TRAY_FIRST; id <= IDI_TRAY_LAST && m_images.IsValid(); ++id) {
    ScopedIcon icon(static_cast<HICON>(
        ::LoadImageA(resources, MAKEINTRESOURCEA(id), IMAGE_ICON, kIconSize, kIconSize, 0)));
    if (icon.IsValid()) ImageList_AddIcon(m_images.Get(), icon.Get());
  }
  ListView_SetImageList(m_hWnd, m_images.Get(), LVSIL_NORMAL);
  if (m_bEnabled) {
    Enable();
  } else {
    Disable();
  }
}

void CMonIconListCtrl::Enable() {
  if (m_hWnd == nullptr) return;
  ListView_SetBkColor(m_hWnd, ::GetSysColor(COLOR_WINDOW));
  ListView_DeleteAllItems(m_hWnd);
  const int count = IconCount();
  for (int index = 0; index < count; ++index) {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE | LVIF_STATE;
    item.iItem = index;
    item.iImage = index;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = index == m_nSelected ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    ::SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  m_places.clear();
  if (vgui::PlacesIconsEvenly(count)) {
    const LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, style | LVS_NOSCROLL);
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    int iconWidth = kIconSize;
    int iconHeight = kIconSize;
    ImageList_GetIconSize(m_images.Get(), &iconWidth, &iconHeight);
    for (const vgui::ListPoint& place :
         vgui::EvenIconPositions(client.right, client.bottom, iconWidth, iconHeight, count)) {
      m_places.push_back(POINT{place.x, place.y});
    }
    Place();
  }
  if (count > 0) ListView_RedrawItems(m_hWnd, 0, count - 1);
  Refresh();
}

void CMonIconListCtrl::Place() {
  for (size_t index = 0; index < m_places.size(); ++index) {
    POINT place = m_places[index];
    ::SendMessageA(m_hWnd, LVM_SETITEMPOSITION32, index, reinterpret_cast<LPARAM>(&place));
  }
}

bool CMonIconListCtrl::PlacesHold() const {
  for (size_t index = 0; index < m_places.size(); ++index) {
    POINT now = {};
    if (!ListView_GetItemPosition(m_hWnd, static_cast<int>(index), &now) ||
        now.x != m_places[index].x || now.y != m_places[index].y) {
      return false;
    }
  }
  return true;
}

void CMonIconListCtrl::Disable() {
  if (m_hWnd == nullptr) return;
  m_places.clear();
  ListView_DeleteAllItems(m_hWnd);
  ListView_SetBkColor(
      m_hWnd, vgui::AverageColour(::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_WINDOW)));
  Refresh();
}

void CMonIconListCtrl::Refresh() {
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
  ::UpdateWindow(m_hWnd);
}

void CMonIconListCtrl::OnSetFocus() {
  m_bFocused = true;
  if (m_hWnd != nullptr) Refresh();
}

void CMonIconListCtrl::OnKillFocus() {
  m_bFocused = false;
  if (m_hWnd != nullptr) Refresh();
}

bool CMonIconListCtrl::OnNotify(const NMHDR* header) {
  if (header == nullptr || m_hWnd == nullptr || header->hwndFrom != m_hWnd) return false;
  switch (header->code) {
    case NM_SETFOCUS:
      OnSetFocus();
      return false;
    case NM_KILLFOCUS:
      OnKillFocus();
      return false;
    case LVN_KEYDOWN:
      Refresh();
      return false;
    case LVN_ITEMCHANGED: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
      if ((change->uChanged & LVIF_STATE) == 0 || (change->uNewState & LVIS_SELECTED) == 0 ||
          (change->uOldState & LVIS_SELECTED) != 0 || change->iItem < 0) {
        return false;
      }
      LVITEMA item = {};
      item.mask = LVIF_IMAGE;
      item.iItem = change->iItem;
      if (!::SendMessageA(m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return false;
      m_nSelected = item.iImage;
      Refresh();
      return true;
    }
    default:
      return false;
  }
}

void CMonIconListCtrl::PaintFrames(HDC dc) {
  const COLORREF window = ::GetSysColor(COLOR_WINDOW);
  const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
  ScopedBrush windowBrush(::CreateSolidBrush(window));
  ScopedBrush highlightBrush(::CreateSolidBrush(highlight));
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);
  int iconWidth = kIconSize;
  int iconHeight = kIconSize;
  ImageList_GetIconSize(m_images.Get(), &iconWidth, &iconHeight);

  const int count = ListView_GetItemCount(m_hWnd);
  for (int index = 0; index < count; ++index) {
    RECT iconRect = {};
    iconRect.left = LVIR_ICON;
    if (!::SendMessageA(m_hWnd, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&iconRect))) {
      continue;
    }
    const vgui::IconFrames frames = vgui::FramesAround(FromRect(iconRect), iconWidth, iconHeight);
    const bool selected = index == m_nSelected;
    if (selected) {
      const RECT below = ToRect(vgui::AreaBelow(FromRect(client), frames));
      ::FillRect(dc, &below, windowBrush.Get());
    }
    ImageList_Draw(m_images.Get(), index, dc, frames.iconAt.x, frames.iconAt.y, ILD_NORMAL);
    for (int k = 0; k < vgui::kFrameCount; ++k) {
      const RECT frame = ToRect(frames.frames[k]);
      const bool lit =
          vgui::FrameColourOf(selected, m_bFocused, k) == vgui::FrameColour::kHighlight;
      ::FrameRect(dc, &frame, lit ? highlightBrush.Get() : windowBrush.Get());
    }
  }
}

LRESULT CMonIconListCtrl::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = m_pfnPrevProc;
  if (message == WM_PAINT) {
    // The frames and icons are drawn here; the list then finds nothing left to paint.
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd, &paint);
    if (dc != nullptr && m_bEnabled && m_images.IsValid()) PaintFrames(dc);
    ::EndPaint(hwnd, &paint);
    const LRESULT result = ::CallWindowProcA(previous, hwnd, message, wParam, lParam);
    // Some list views (Wine's) arrange their icons in rows when they first paint them, which
    // undoes the placement and can push the third icon out of sight: place them again.
    if (m_hWnd != nullptr && !PlacesHold()) {
      Place();
      ::InvalidateRect(hwnd, nullptr, TRUE);
    }
    return result;
  }
  if (message == WM_DESTROY) Detach();
  return ::CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CMonIconListCtrl::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  return vg::Guarded("CMonIconListCtrl::WindowProc", static_cast<LRESULT>(0), [&]() -> LRESULT {
    auto* self = reinterpret_cast<CMonIconListCtrl*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->m_pfnPrevProc == nullptr) {
      return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return self->OnMessage(hwnd, message, wParam, lParam);
  });
}

#include "ui/dialog_font_win.h"

#include "common/unique_handle.h"
#include "ui/dialog_font_rules.h"

namespace {

DoubleByteProbe g_probe = nullptr;

int VerticalDpi(HWND dialog) {
  ScopedWindowDC dc(dialog);
  if (!dc.IsValid()) return 1;
  const int dpi = ::GetDeviceCaps(dc.Get(), LOGPIXELSY);
  return dpi > 0 ? dpi : 1;
}

}  // namespace

DoubleByteProbe SetDoubleByteProbe(DoubleByteProbe probe) {
  DoubleByteProbe previous = g_probe;
  g_probe = probe;
  return previous;
}

bool IsDoubleByteSystem() {
  if (g_probe != nullptr) return g_probe();
  return ::GetSystemMetrics(SM_DBCSENABLED) != 0;
}

HFONT MakeReplacementFont(HWND dialog) {
  vgui::DialogFontFacts facts;
  facts.doubleByteSystem = IsDoubleByteSystem();
  if (!facts.doubleByteSystem) return nullptr;

  LOGFONTA own = {};
  HFONT font = reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0));
  facts.hasFont = font != nullptr && ::GetObjectA(font, sizeof own, &own) != 0;
  if (facts.hasFont) {
    facts.face = own.lfFaceName;  // GetObject terminates the face name
    facts.height = own.lfHeight;
    facts.dpi = VerticalDpi(dialog);
  }
  HGDIOBJ stock = ::GetStockObject(DEFAULT_GUI_FONT);
  if (stock == nullptr) stock = ::GetStockObject(SYSTEM_FONT);
  LOGFONTA replacement = {};
  facts.hasStockFont = stock != nullptr && ::GetObjectA(stock, sizeof replacement, &replacement) != 0;

  const vgui::FontReplacement decision = vgui::DecideReplacementFont(facts);
  if (!decision.make) return nullptr;
  if (!decision.keepStockHeight) replacement.lfHeight = decision.height;
  return ::CreateFontIndirectA(&replacement);
}

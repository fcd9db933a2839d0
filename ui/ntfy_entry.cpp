#include "ui/ntfy_entry.h"

#include <string>

#include "common/notify_item_rules.h"
#include "common/text_util.h"

CNtfyEntry::CNtfyEntry() = default;

CNtfyEntry::CNtfyEntry(int number, int value) : m_nNumber(number) {
  SetValue(value);
  const std::string name = vgnotify::NotifyValueName(number);
  vgtext::CopyBounded(m_szValueName, sizeof m_szValueName, name);
  vgtext::CopyBounded(m_szIniKey, sizeof m_szIniKey, "ITEM" + name);
}

CNtfyEntry::~CNtfyEntry() = default;

#pragma once
// CNtfyEntry: one notification item of the preferences, with the names it is stored under:
// the value of the printer's "Notify" key ("%03d" of its number) and the key of the model's
// profile section that holds its default ("ITEM" and the same three digits).
#include <cstddef>

class CNtfyEntry {
 public:
  static constexpr size_t kNameSize = 260;

  CNtfyEntry();
  // An item with its number and value; the names follow from the number.
  CNtfyEntry(int number, int value);
  virtual ~CNtfyEntry();
  // Copying an entry copies all four fields.
  CNtfyEntry(const CNtfyEntry&) = default;
  CNtfyEntry& operator=(const CNtfyEntry&) = default;

  int Number() const { return m_nNumber; }
  int Value() const { return m_nValue; }
  // Stores an item state; anything but 1 is off.
  void SetValue(int value) { m_nValue = value == 1 ? 1 : 0; }
  const char* ValueName() const { return m_szValueName; }
  const char* IniKey() const { return m_szIniKey; }

 private:
  int m_nNumber = 0;
  int m_nValue = 0;
  char m_szValueName[kNameSize] = {};
  char m_szIniKey[kNameSize] = {};
};

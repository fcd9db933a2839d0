#pragma once
// CCmdLine: a command-line text of slash options and the scanner that enumerates them.
// Grammar: an option starts at "/" outside quotes; its name runs to the first digit, quote,
// slash, blank, tab, CR, LF or the end; digits up to the next quote, slash or LF form a
// length prefix N. With N > 0 the value is the N characters after the first quote (they may
// hold quotes and slashes); with N = 0 it runs from the first quote to the next quote or LF.
#include <cstddef>
#include <string_view>

constexpr size_t kParamTextSize = 260;  // every text field: 259 characters and a terminator

// Copies text into a buffer of kParamTextSize bytes, cut at 259 characters. Returns the
// number of characters copied.
size_t CopyParamText(char (&out)[kParamTextSize], std::string_view text);

class CCmdLine {
 public:
  CCmdLine();
  virtual ~CCmdLine();

  // Stores the command line, cut at 259 characters.
  void SetText(std::string_view text);
  const char* Text() const { return m_szCmdLine; }

  // The option at the zero-based index: its name and value (each cut to 259 characters into
  // buffers of kParamTextSize) and the value's length; -1 with both outputs empty when
  // there is no such option or a length-prefixed option has no opening quote.
  int GetArg(int index, char* name, char* value) const;
  // True when a quote is never closed: a quoted value runs into the end of the stored text, a
  // length-prefixed value is longer than what is left, or the text ends inside quotes. The
  // text was cut or mistyped.
  bool HasUnclosedValue() const;

 protected:
  char m_szCmdLine[kParamTextSize];

 private:
  struct ArgSpan {
    std::string_view name;
    std::string_view value;
    bool closed = true;
  };
  // The option at the zero-based index within the stored text; false when there is none (or
  // a length-prefixed option has no opening quote), with closed telling then whether the text
  // ended outside quotes.
  bool FindArg(int index, ArgSpan* out) const;
  // Accumulates the digits from pos up to the next quote, slash, LF or the end; pos ends on
  // that character.
  static unsigned long ReadLengthPrefix(std::string_view text, size_t& pos);
};

// Splits one parameter-file line into its option name (at most 79 characters) and value: the
// value runs from the first quote after the name to the last quote of the line; a line
// without quotes gives the line itself. Returns false when the line holds no "/".
bool ParseParamLine(std::string_view line, char (&name)[80], char (&value)[kParamTextSize]);

#pragma once
// CVglParam: the parameter block of one printer job (identity, job id, flags and
// pass-through texts), parsed from a command line or read from a parameter file, and the
// text of the parameter file it writes.
#include <string>
#include <string_view>

#include "common/cmd_line.h"

class CVglParam : public CCmdLine {
 public:
  // Every text empty, every flag 0.
  CVglParam();
  // Full construction from a command line: options, then a /A or /F file (a /F file is
  // deleted after reading), the BE rule, then the spooler and the Driver key fill in what is
  // missing. Never fails; unfillable fields stay empty. (Windows only.)
  explicit CVglParam(const char* commandLine);
  ~CVglParam() override;

  // P, D, O, M, J, BH, BU, BD, BI, BN and KVM copy the value; R, S, U, C, E and BE set their
  // flag; any other name (F and A included) is ignored. Names match without regard to case.
  void SetOption(const char* name, const char* value);

  // Enumerates the stored command line into the fields; F and A also land in
  // ParamFileToRead and ParamFileName. Later options overwrite earlier ones.
  void ApplyCommandLine();
  // One line of a parameter file; an A line also lands in ParamFileName.
  void ApplyParamLine(std::string_view line);
  // Flag BE is kept only when BH, BU, BD and BI are all non-empty.
  void ApplyBeRule();
  // The parameter file's lines in their fixed order ("\n" line ends; the file is written in
  // text mode, so they become CR LF on disk).
  std::string FormatParamFile() const;

  // Windows only: parameter files, the spooler and the Driver key.
  int CreateParamFile(const char* printer, const char* port, const char* model);
  int CreateRunParamFile(const char* printer, const char* port, const char* model);
  int WriteParamFile();
  int ReadParamFile();
  int DeleteParamFile(const char* name);
  int FillFromSpooler();
  int FillModelID();

  char TempFolder[kParamTextSize];
  int RemoveFlag;
  int FlagS;
  int FlagE;
  int FlagC;
  int FlagU;
  char PrinterName[kParamTextSize];
  char DriverName[kParamTextSize];
  char PortName[kParamTextSize];
  char ModelID[kParamTextSize];
  char ParamFileToRead[kParamTextSize];
  char ParamFileName[kParamTextSize];
  char JobID[kParamTextSize];
  int FlagBE;
  char BH[kParamTextSize];
  char BU[kParamTextSize];
  char BD[kParamTextSize];
  char BI[kParamTextSize];
  char BN[kParamTextSize];
  char KVM[kParamTextSize];

 private:
  void Clear();
  // Stores the identity and writes the file named by ParamFileName; a failed write deletes it.
  int FillAndWriteParamFile(const char* printer, const char* port, const char* model);
};

// Whether a full path names something inside the folder (a full path, with or without its
// trailing backslash), compared without regard to case: only parameter files there are
// consumed, so that a /F option cannot make a program delete a file anywhere else.
bool IsInsideFolder(std::string_view fullPath, std::string_view folder);

// The auto-start parameter file that a log-on registration (a "Run" value) names: the value
// of its /A option; for a value of another form, the text between its first and its last
// double quote. Empty when there is neither.
std::string RunValueParamFile(std::string_view runValue);
// Whether a path may be removed as a parameter file of this system on the word of a stored
// value: its file name begins with "VG_" and the path holds ".tmp", in any letter case.
bool IsOwnParamFileName(std::string_view path);

// 1 when the path is non-empty, contains a "." and the text from its last "." begins with
// ".chm" (compared without regard to case).
int IsHtmlHelpFile(const char* path);

// Starts a process from a command line (no handle inheritance, the caller's environment and
// folder); 1 when it was created. Windows only. With programPath, that file is the program
// and the command line goes to it as it is: the system does not split the line to find the
// program, so an unquoted path with blanks cannot start another program.
int RunCommandLine(const char* commandLine, const char* programPath = nullptr);
